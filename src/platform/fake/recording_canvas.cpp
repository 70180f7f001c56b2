#include "platform/fake/recording_canvas.h"

namespace bl::platform {

RecordingCanvas::Op& RecordingCanvas::Add(Kind kind, const Rect& r) {
  Op op;
  op.kind = kind;
  op.rect = r;
  op.pen = pen_;
  op.penWidth = penWidth_;
  op.brush = brush_;
  op.textBackground = textBackground_;
  op.font = font_;
  op.fontHeight = fontHeight_;
  op.clip = clip_;
  ops_.push_back(std::move(op));
  return ops_.back();
}

std::vector<const RecordingCanvas::Op*> RecordingCanvas::Texts() const {
  std::vector<const Op*> out;
  for (const Op& op : ops_)
    if (op.kind == Kind::Text) out.push_back(&op);
  return out;
}

const RecordingCanvas::Op* RecordingCanvas::FindText(std::string_view text) const {
  for (const Op& op : ops_)
    if (op.kind == Kind::Text && op.text == text) return &op;
  return nullptr;
}

}  // namespace bl::platform
