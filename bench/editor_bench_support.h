#pragma once

// What the editor benchmarks share: a canvas that draws nothing and a sample program text.
#include <benchmark/benchmark.h>

#include <iterator>
#include <string>
#include <string_view>

#include "platform/canvas.h"

namespace bl::bench {

// Draws nothing: what remains is the painter's own work.
class NullCanvas final : public platform::Canvas {
 public:
  explicit NullCanvas(platform::Size size) : size_(size) {}
  platform::Size PixelSize() const override { return size_; }
  void SetPen(platform::Rgb, int) override {}
  void SetNullPen() override {}
  void SetBrush(platform::Rgb) override {}
  void SetHollowBrush() override {}
  void DrawRectangle(const platform::Rect&) override {}
  void DrawRoundRect(const platform::Rect&, int, int) override {}
  void DrawEllipse(const platform::Rect&) override {}
  void DrawChord(const platform::Rect&, platform::Point, platform::Point) override {}
  void DrawPolygon(std::span<const platform::Point>) override {}
  void DrawPolyline(std::span<const platform::Point>) override {}
  void DrawLine(platform::Point, platform::Point) override {}
  void FillRect(const platform::Rect&, platform::Rgb) override {}
  void SetFont(platform::FontId) override {}
  void SetFontByHeight(int, bool, bool) override {}
  void SetTextColor(platform::Rgb) override {}
  void SetTextBackground(platform::Rgb, bool) override {}
  void DrawText(std::string_view text, const platform::Rect&, unsigned) override {
    benchmark::DoNotOptimize(text.data());
  }
  int TextWidth(std::string_view text) const override { return 8 * static_cast<int>(text.size()); }
  int TextHeight() const override { return 16; }
  void SetClipRect(const platform::Rect&) override {}
  void ClearClip() override {}
  void InvertRect(const platform::Rect&, platform::Rgb) override {}

 private:
  platform::Size size_;
};

// A motion program of the given size with comments, quotations and defined names.
std::string Program(std::size_t bytes) {
  static const char* const kLines[] = {
      "; jog axis 1 to the next index",
      "OPEN PROG 10 CLEAR",
      "Speed=Speed+1 ; count up",
      "IF (M1=1) X(Start+Speed*2) F100",
      "/* settle time before",
      "   the next move */ DWELL 50",
      "SEND\"Done\" P20=P21/3",
      "ENDIF",
      "CLOSE",
  };
  std::string text;
  for (std::size_t i = 0; text.size() < bytes; ++i) {
    text += kLines[i % std::size(kLines)];
    text += '\n';
  }
  text.resize(bytes);
  return text;
}

}  // namespace bl::bench
