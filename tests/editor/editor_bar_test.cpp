#include <gtest/gtest.h>

#include "editor/editor_bar.h"
#include "editor/editor_state.h"

namespace bl::editor {
namespace {

TEST(EditorBarTest, ButtonsSpreadAcrossTheWidth) {
  const auto b = EditorBarButtons(700);
  EXPECT_EQ(b[0], (platform::Rect{7, 2, 133, 27}));
  EXPECT_EQ(b[3], (platform::Rect{427, 2, 553, 27}));
  EXPECT_EQ(b[4].left, 567);
}

TEST(EditorBarTest, TogglesAndDragRelayTheView) {
  EditorState s;
  int relayouts = 0;
  s.relayout = [&] { ++relayouts; };
  ToggleRawCode(s, 700);
  EXPECT_EQ(s.rawWidth, 231);
  ToggleRawCode(s, 700);
  EXPECT_EQ(s.rawWidth, 0);
  ToggleFileList(s);
  EXPECT_EQ(s.fileListHeight, 0);
  ToggleFileList(s);
  EXPECT_EQ(s.fileListHeight, 140);

  DragEditorBar(s, -60, 480);  // up: the list grows
  EXPECT_EQ(s.fileListHeight, 200);
  DragEditorBar(s, -1000, 480);
  EXPECT_EQ(s.fileListHeight, 375);
  DragEditorBar(s, 1000, 480);
  EXPECT_EQ(s.fileListHeight, 0);
  DragEditorBar(s, -10, 50);  // a window too small for any list
  EXPECT_EQ(s.fileListHeight, 0);
  EXPECT_EQ(relayouts, 8);
}

}  // namespace
}  // namespace bl::editor
