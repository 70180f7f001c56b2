#include "editor/define_tools.h"

#include <gtest/gtest.h>

#include <string>

#include "definitions/define_text.h"
#include "definitions/definition_table.h"
#include "editor/editor_context.h"
#include "editor/program_file.h"
#include "platform/fake/fake_desktop.h"
#include "platform/text_format.h"
#include "terminal_lines/terminal_lines.h"

namespace bl::editor {
namespace {

class DefineToolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state.width = 700;
    state.height = 320;
    state.repaintMainWindow = [this] { ++repainted; };
    state.showEditorView = [this] { ++shown; };
  }
  EditorState state;
  DefinitionTable definitions;
  Terminal terminal;
  platform::FakeDesktop desktop;
  EditorContext ctx{state, definitions, terminal, desktop};
  int repainted = 0;
  int shown = 0;
};

TEST_F(DefineToolsTest, UpdateTakesDefinitionsOutsideCommentsAndCountsRedefinitions) {
  state.editorText =
      "#define speed P10 ; the speed\n"
      "/* #define hidden P11\n"
      "#define alsoHidden P12 */ #define after P13\n"
      "#define gain 1.5\n"
      "// #define commented P14\n"
      "#define velo P10";
  EXPECT_EQ(UpdateDefines(ctx), 1);
  EXPECT_EQ(definitions.NameOf(VariableKind::P, 10), "velo");
  EXPECT_EQ(definitions.NameOf(VariableKind::P, 11), "");
  EXPECT_EQ(definitions.NameOf(VariableKind::P, 12), "");
  // What follows a block comment's end on its line counts as the line.
  EXPECT_EQ(definitions.NameOf(VariableKind::P, 13), "after");
  EXPECT_EQ(definitions.NameOf(VariableKind::P, 14), "");
  EXPECT_EQ(definitions.Replacement("gain"), "1.5");
  EXPECT_EQ(terminal.Line(0).text, "  Warning: Line 6 re-DEFINED P10 from speed to velo.");
  EXPECT_EQ(terminal.Line(1).text, "Updating #DEFINEs...");
  EXPECT_EQ(terminal.Line(1).color, 13);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text,
            "A duplicate #DEFINE was found.  Details are shown in the terminal window.");
  EXPECT_EQ(desktop.messages[0].title, "Update #DEFINEs Warning");

  // Defining the same things again is no re-definition; an empty text is not scanned.
  state.editorText = "#define velo P10\n#define gain 1.5\n";
  EXPECT_EQ(UpdateDefines(ctx), 0);
  state.editorText.clear();
  EXPECT_EQ(UpdateDefines(ctx), 0);
  EXPECT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(repainted, 3);  // each update recolours the names
}

TEST_F(DefineToolsTest, ListingsFollowTheFormatsInVariableOrder) {
  definitions.DefineLine("#define speed P10", 0, terminal);
  definitions.DefineLine("#define home P1", 0, terminal);
  definitions.DefineLine("#define gain 1.5", 0, terminal);
  definitions.DefineLine("#define axis M162", 0, terminal);
  bool cut = true;
  EXPECT_EQ(DefinitionListing(definitions, "P-Variable Definitions", cut),
            "; P-Variable Definitions\n\n"
            "#DEFINE home                             P1\n"
            "#DEFINE speed                            P10\n");
  EXPECT_FALSE(cut);
  EXPECT_EQ(DefinitionListing(definitions, "User Definitions", cut),
            "; User Definitions\n\n"
            "#DEFINE gain                             1.5                             \n");
  EXPECT_EQ(DefinitionListing(definitions, "M-Variable Definitions", cut),
            "; M-Variable Definitions\n\n#DEFINE axis                             M162\n");
  EXPECT_EQ(DefinitionListing(definitions, "I-Variable Definitions", cut),
            "; I-Variable Definitions\n\n");
}

TEST_F(DefineToolsTest, AListingReplacesTheTextUnnamedAndFeedsBackIntoTheTable) {
  definitions.DefineLine("#define speed P10", 0, terminal);
  state.editorText = "work";
  state.currentFile = "/p/work.pmc";
  state.modifiedFlag = true;
  desktop.messageAnswers = {platform::MessageAnswer::Cancel, platform::MessageAnswer::No};
  ListDefinitions(ctx, "P-Variable Definitions");
  EXPECT_EQ(state.editorText, "work");

  ListDefinitions(ctx, "P-Variable Definitions");
  EXPECT_EQ(state.editorText.substr(0, 26), "; P-Variable Definitions\n\n");
  EXPECT_EQ(state.currentFile, "");
  EXPECT_FALSE(state.modifiedFlag);
  EXPECT_EQ(shown, 1);
  DefinitionTable fresh;
  EXPECT_EQ(DefineFromText(state.editorText, fresh, terminal), 0);
  EXPECT_EQ(fresh.NameOf(VariableKind::P, 10), "speed");
}

TEST_F(DefineToolsTest, AListingLargerThanTheEditorStopsAtAWholeLine) {
  for (int i = 0; i < DefinitionTable::kMaxSlots; ++i) {
    definitions.DefineLine(
        platform::Format("#define user_definition_name_%05d value_text_of_the_definition%d", i, i),
        0, terminal);
  }
  ASSERT_EQ(definitions.UserDefinitions().size(), 8192u);
  bool cut = false;
  const std::string text = DefinitionListing(definitions, "User Definitions", cut);
  EXPECT_TRUE(cut);
  EXPECT_LE(text.size(), kMaxProgramText);
  EXPECT_GT(text.size(), kMaxProgramText - 80);
  EXPECT_EQ(text.back(), '\n');

  ListDefinitions(ctx, "User Definitions");
  EXPECT_EQ(state.editorText, text);
  EXPECT_EQ(terminal.Line(0).text,
            "  Warning: The listing was cut at the editor's 499,999 characters.");
}

}  // namespace
}  // namespace bl::editor
