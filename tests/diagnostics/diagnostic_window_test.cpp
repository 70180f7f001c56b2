// The diagnostic window's mouse handling and the value edit dialog's presenter, with the
// commands the controller receives recorded.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "diagnostics/diagnostic_window.h"
#include "diagnostics/script_test_support.h"
#include "diagnostics/value_edit.h"
#include "link/fake_vendor_library.h"
#include "platform/color_palette.h"
#include "platform/fake/recording_canvas.h"

namespace bl::diagnostics::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Action = DiagnosticWindow::Action;

constexpr char kPanel[] = R"(
variable Speed type=P number=100
variable Motor type=internal value=2
variable Gain type=P number=200 index=Motor multiplier=100
variable Mode type=internal value=1
variable Flag type=Q number=5
page title="Panel" size=200,100
slider box=10,10,30,110 var=Speed min=0 max=100 precision=1
slider box=40,10,60,110 var=Motor min=0 max=100 precision=-2
slider box=70,10,170,30 style=horizontal var=Gain min=-1 max=1 precision=-1
button box=100,40,140,60 shape=rectangle command="#{Motor}J+"
button box=100,70,140,90 command="J/" var=Mode min=0 max=5
edit box=150,40,195,60 var=Speed precision=-4 min=0 max=1000 title="Speed"
    description="First\nSecond"
edit box=150,70,195,90 var=Gain precision=2 min=5 max=5
edit box=150,95,195,99 var=Motor precision=0
)";

class DiagnosticWindowTest : public ScriptFolderTest, public bl::test::LinkFixture {
 protected:
  void SetUp() override {
    ScriptFolderTest::SetUp();
    Connect();
    WriteScript("Diagnostics/TURBO2_Panel.bin", kPanel);
    ASSERT_EQ(OpenScript(script, context, "Panel.bin", false), OpenResult::kLoaded);
  }
  DiagnosticVariable& Variable(int i) { return script.tables.variables[i]; }
  std::vector<std::string> Sent() { return state->Commands(); }

  DiagnosticWindow window{script, link, context};
};

TEST_F(DiagnosticWindowTest, TitleBarMovesOrClosesAndTheSizeFollowsThePage) {
  EXPECT_EQ(window.WindowSize(), (platform::Size{210, 141}));
  EXPECT_EQ(window.Press({175, 20}), Action::Close);
  EXPECT_EQ(window.Press({174, 20}), Action::StartMove);
  EXPECT_EQ(window.DragMode(), 1);
  EXPECT_EQ(window.MoveTo({180, 30}), Action::MoveWindow);
  EXPECT_EQ(window.Release({180, 30}), Action::None);
  EXPECT_EQ(window.DragMode(), 0);
  EXPECT_EQ(window.Press({100, 36}), Action::Repaint);  // on no item
  EXPECT_THAT(Sent(), IsEmpty());
}

TEST_F(DiagnosticWindowTest, SliderDragSetsTheVariableAndTheReleaseSendsIt) {
  // Client y 95 is page y 60, half way up the slider from 110 to 10.
  EXPECT_EQ(window.Press({24, 95}), Action::Repaint);
  EXPECT_EQ(window.DragMode(), 2);
  EXPECT_DOUBLE_EQ(Variable(0).value, 50);
  EXPECT_EQ(window.MoveTo({24, 0}), Action::Repaint);  // beyond the top: the maximum
  EXPECT_DOUBLE_EQ(Variable(0).value, 100);
  EXPECT_THAT(Sent(), IsEmpty());  // nothing while dragging
  EXPECT_EQ(window.Release({24, 95}), Action::Repaint);
  EXPECT_THAT(Sent(), ElementsAre("P100=50.0"));

  // 5 pixels beside the track still takes it. An internal variable stores the value truncated
  // and sends nothing.
  EXPECT_EQ(window.Press({40, 96}), Action::Repaint);
  EXPECT_DOUBLE_EQ(Variable(1).value, 49);
  window.Release({40, 96});
  EXPECT_THAT(Sent(), ElementsAre("P100=50.0"));

  // A horizontal slider with a negative precision sends six decimals, to the base number.
  window.Press({124, 56});
  window.Release({124, 56});
  EXPECT_THAT(Sent(), ElementsAre("P100=50.0", "P200=0.000000"));
}

TEST_F(DiagnosticWindowTest, ButtonsPressForHalfASecondUnlessActive) {
  EXPECT_EQ(window.Press({124, 85}), Action::ButtonPressed);
  EXPECT_EQ(window.PressedButton(), 4);
  EXPECT_THAT(Sent(), ElementsAre("#2J+"));
  // The pressed button is drawn sunken: its lit top edge is black outside.
  platform::RecordingCanvas canvas({210, 141});
  window.Paint(canvas, 0);
  bool sunken = false;
  for (const auto& op : canvas.Ops())
    sunken |= op.kind == platform::RecordingCanvas::Kind::Line &&
              op.points == std::vector<platform::Point>{{104, 75}, {144, 75}} &&
              op.pen == platform::PaletteColor(0);
  EXPECT_TRUE(sunken);
  EXPECT_EQ(window.TimerElapsed(), Action::Repaint);
  EXPECT_EQ(window.PressedButton(), -1);

  // Mode is 1, within 0..5: the button is active and a click does nothing.
  EXPECT_EQ(window.Press({124, 115}), Action::Repaint);
  EXPECT_EQ(window.PressedButton(), -1);
  EXPECT_THAT(Sent(), ElementsAre("#2J+"));
}

TEST_F(DiagnosticWindowTest, EditDialogShowsThePrecisionAndSendsAcceptedValues) {
  Variable(0).value = 255;
  EXPECT_EQ(window.Press({170, 85}), Action::EditValue);
  ValueEditPresenter edit(script, link, window.EditedItem());
  EXPECT_EQ(edit.Title(), "Speed");
  EXPECT_EQ(edit.Description(), "First\nSecond");
  EXPECT_EQ(edit.Value(), "$00FF");
  EXPECT_EQ(edit.Maximum(), "$03E8");
  EXPECT_EQ(edit.Minimum(), "$0000");
  EXPECT_TRUE(edit.Accept("$1F"));
  EXPECT_FALSE(edit.Accept("1001"));  // out of range: dropped
  EXPECT_FALSE(edit.Accept("twelve"));
  EXPECT_TRUE(edit.Accept(" 12.7"));
  EXPECT_THAT(Sent(), ElementsAre("P100=$001F", "P100=$000C"));

  // Minimum equal to maximum: no range. The index variable applies: P200 + 100 x 2.
  ValueEditPresenter gain(script, link, 7);
  EXPECT_TRUE(gain.Accept("-3.14159"));
  EXPECT_EQ(Sent().back(), "P400=-3.14");
  // An internal variable keeps the value truncated; nothing is sent.
  ValueEditPresenter motor(script, link, 8);
  EXPECT_TRUE(motor.Accept("7.9"));
  EXPECT_DOUBLE_EQ(Variable(1).value, 7);
  EXPECT_EQ(Sent().size(), 3u);
}

TEST(DescriptionText, LineBreaksOnlyInTheFirst254Characters) {
  EXPECT_EQ(DescriptionText("a\\nb\\"), "a\nb\\");
  const std::string tail = std::string(253, 'x') + "\\n\\n";
  EXPECT_EQ(DescriptionText(tail), std::string(253, 'x') + "\n\\n");
}

}  // namespace
}  // namespace bl::diagnostics::test
