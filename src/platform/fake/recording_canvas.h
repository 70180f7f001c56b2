#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/canvas.h"

namespace bl::platform {

// A canvas that draws nothing and remembers every drawing call with the pen, brush, font and
// colours in force, so that core tests can check a painter's output headless. Text metrics are
// those of the fixed grid: 8 pixels a character (Arial counts 8 too, its average width).
class RecordingCanvas final : public Canvas {
 public:
  enum class Kind {
    Rectangle,
    RoundRect,
    Ellipse,
    Chord,
    Polygon,
    Polyline,
    Line,
    FillRect,
    Text,
    Invert
  };
  struct Op {
    Kind kind = Kind::Rectangle;
    Rect rect;
    std::vector<Point> points;
    std::string text;
    unsigned flags = 0;
    std::optional<Rgb> pen;  // nothing: null pen
    int penWidth = 1;
    std::optional<Rgb> brush;           // nothing: hollow brush
    Rgb color;                          // FillRect and Invert colour, or the text colour
    std::optional<Rgb> textBackground;  // nothing: transparent
    FontId font = FontId::Fixed;
    int fontHeight = 0;  // set by SetFontByHeight, else 0
    std::optional<Rect> clip;
  };

  explicit RecordingCanvas(Size size) : size_(size) {}

  Size PixelSize() const override { return size_; }
  void SetPen(Rgb color, int width) override { pen_ = color, penWidth_ = width; }
  void SetNullPen() override { pen_.reset(); }
  void SetBrush(Rgb color) override { brush_ = color; }
  void SetHollowBrush() override { brush_.reset(); }
  void DrawRectangle(const Rect& r) override { Add(Kind::Rectangle, r); }
  void DrawRoundRect(const Rect& r, int, int) override { Add(Kind::RoundRect, r); }
  void DrawEllipse(const Rect& r) override { Add(Kind::Ellipse, r); }
  void DrawChord(const Rect& r, Point start, Point end) override {
    Add(Kind::Chord, r).points = {start, end};
  }
  void DrawPolygon(std::span<const Point> points) override {
    Add(Kind::Polygon, {}).points.assign(points.begin(), points.end());
  }
  void DrawPolyline(std::span<const Point> points) override {
    Add(Kind::Polyline, {}).points.assign(points.begin(), points.end());
  }
  void DrawLine(Point from, Point to) override { Add(Kind::Line, {}).points = {from, to}; }
  void FillRect(const Rect& r, Rgb color) override { Add(Kind::FillRect, r).color = color; }
  void SetFont(FontId font) override { font_ = font, fontHeight_ = 0; }
  void SetFontByHeight(int heightPx, bool fixedPitch, bool) override {
    font_ = fixedPitch ? FontId::Fixed : FontId::Arial;
    fontHeight_ = heightPx;
  }
  void SetRotatedFontByHeight(int heightPx) override {
    font_ = FontId::ArialRotated;
    fontHeight_ = heightPx;
  }
  void SetTextColor(Rgb color) override { textColor_ = color; }
  void SetTextBackground(Rgb color, bool opaque) override {
    textBackground_ = opaque ? std::optional<Rgb>(color) : std::nullopt;
  }
  void DrawText(std::string_view text, const Rect& box, unsigned flags) override {
    Op& op = Add(Kind::Text, box);
    op.text = std::string(text);
    op.flags = flags;
    op.color = textColor_;
  }
  int TextWidth(std::string_view text) const override { return TextWidthAt(text, fontHeight_); }
  int TextHeight() const override { return fontHeight_ > 0 ? fontHeight_ : kFixedCellHeight; }
  void SetClipRect(const Rect& r) override { clip_ = r; }
  void ClearClip() override { clip_.reset(); }
  void InvertRect(const Rect& r, Rgb color) override { Add(Kind::Invert, r).color = color; }

  // The width of text: 8 pixels a character, or half the height of a font chosen by height.
  static int TextWidthAt(std::string_view text, int fontHeight) {
    return static_cast<int>(text.size()) * (fontHeight > 0 ? fontHeight / 2 : kFixedCellWidth);
  }

  const std::vector<Op>& Ops() const { return ops_; }
  void Clear() { ops_.clear(); }
  // The text operations, in drawing order.
  std::vector<const Op*> Texts() const;
  // The first text operation whose text equals text, or null.
  const Op* FindText(std::string_view text) const;

 private:
  Op& Add(Kind kind, const Rect& r);

  Size size_;
  std::optional<Rgb> pen_ = Rgb{};
  int penWidth_ = 1;
  std::optional<Rgb> brush_ = Rgb{255, 255, 255};
  Rgb textColor_{};
  std::optional<Rgb> textBackground_ = Rgb{255, 255, 255};
  FontId font_ = FontId::Fixed;
  int fontHeight_ = 0;
  std::optional<Rect> clip_;
  std::vector<Op> ops_;
};

}  // namespace bl::platform
