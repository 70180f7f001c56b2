#include "editor/editor_view_layout.h"

#include <algorithm>

#include "platform/color_palette.h"

namespace bl::editor {

namespace {

constexpr int kBandHeight = 26;
constexpr int kEditorTop = 25;  // the editor covers the band's last row
constexpr int kBarHeight = 30;
constexpr int kBandTextLeft = 10;

}  // namespace

EditorViewLayout LayOutEditorView(platform::Size view, int rawWidth, int fileListHeight) {
  const int w = view.width;
  const int h = view.height;
  const int listTop = h - fileListHeight;
  const int barTop = listTop - kBarHeight;
  const int paneBottom = std::max(barTop, kEditorTop);
  const int rawLeft = w - rawWidth;
  EditorViewLayout l;
  l.band = {0, 0, w, kBandHeight};
  l.editor = {0, kEditorTop, rawLeft, paneBottom};
  l.raw = {rawLeft, kEditorTop, w, paneBottom};
  l.bar = {0, barTop, w, listTop};
  l.fileList = {0, listTop, w, h};
  return l;
}

void PaintFileNameBand(platform::Canvas& canvas, std::string_view currentFile) {
  const platform::Size size = canvas.PixelSize();
  canvas.FillRect({0, 0, size.width, size.height}, platform::PaletteColor(13));
  canvas.SetFont(platform::FontId::Arial);
  canvas.SetTextColor(platform::kWhite);
  canvas.SetTextBackground(platform::PaletteColor(13), false);
  canvas.DrawText(currentFile.empty() ? std::string_view("New File") : currentFile,
                  {kBandTextLeft, 0, size.width, size.height},
                  platform::text::kLeft | platform::text::kVCenter | platform::text::kSingleLine);
}

}  // namespace bl::editor
