#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "editor/editor_test_support.h"
#include "editor/print_layout.h"
#include "editor/print_presenter.h"
#include "platform/fake/fake_desktop.h"

namespace bl::editor {
namespace {

using platform::PageMetrics;
using platform::Rect;

TEST(PrintLayoutTest, MarginsAndRowsFromThePixelsPerMillimetre) {
  // 2400 x 3200 pixels on 203.2 x 270.9 mm; one inch margins.
  const auto layout = LayOutPage({2400, 3200, 203.2, 270.9}, PrintSettings{});
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->left, 300);
  EXPECT_EQ(layout->right, 2100);
  EXPECT_EQ(layout->top, 300);      // 300.04 truncated
  EXPECT_EQ(layout->bottom, 2899);  // 2899.96 truncated
  EXPECT_EQ(layout->rowHeight, 25);
  EXPECT_EQ(CharactersPerRow(1800, 12), 144);
  EXPECT_EQ(CharactersPerRow(8000, 10), 255);
  EXPECT_EQ(CharactersPerRow(60, 10), 0);
  EXPECT_EQ(CharactersPerRow(600, 0), 0);
}

TEST(PrintLayoutTest, SettingsThatLeaveNoRoomGiveNoLayout) {
  const PageMetrics page{2400, 3200, 203.2, 270.9};
  auto with = [](auto change) {
    PrintSettings s;
    change(s);
    return s;
  };
  EXPECT_FALSE(LayOutPage(page, with([](PrintSettings& s) { s.linesPerPage = 0; })));
  EXPECT_FALSE(LayOutPage(page, with([](PrintSettings& s) { s.linesPerPage = -3; })));
  EXPECT_FALSE(LayOutPage(page, with([](PrintSettings& s) { s.linesPerPage = 2600; })));
  EXPECT_FALSE(LayOutPage(page, with([](PrintSettings& s) { s.leftMarginMm = 180; })));
  EXPECT_FALSE(LayOutPage(page, with([](PrintSettings& s) { s.bottomMarginMm = 250; })));
  EXPECT_FALSE(LayOutPage(page, with([](PrintSettings& s) { s.topMarginMm = 1e300; })));
  EXPECT_FALSE(LayOutPage(page, with([](PrintSettings& s) { s.rightMarginMm = NAN; })));
  EXPECT_FALSE(LayOutPage({2400, 3200, 0, 270.9}, PrintSettings{}));
  // A page of negative width would give margins a positive width between them.
  EXPECT_FALSE(LayOutPage({-10, 3200, 1, 270.9}, PrintSettings{}));
  EXPECT_TRUE(LayOutPage(page, with([](PrintSettings& s) { s.linesPerPage = 2599; })));
}

TEST(PrintLayoutTest, DefaultRangeIsTheSelectionsLinesInOrder) {
  std::string text;
  for (int i = 1; i <= 30; ++i) text += "line " + std::to_string(i) + "\n";
  const int line12 = static_cast<int>(text.find("line 12"));
  const int line20 = static_cast<int>(text.find("line 20"));
  EXPECT_EQ(DefaultPrintRange(text, line12 + 2, line20 + 1), (LineRange{12, 20}));
  EXPECT_EQ(DefaultPrintRange(text, line20 + 3, line12), (LineRange{12, 20}));
  EXPECT_EQ(DefaultPrintRange(text, line20, line20), (LineRange{0, 0}));
}

TEST(PrintLayoutTest, RowsContinueLongLinesAndStopAtTheEndingLine) {
  const std::string text = "ab\n\nabcdefg\nlast";
  PrintRows rows(text, 0, 0, 3);
  std::vector<std::string> out;
  while (!rows.Done()) {
    const PrintRow r = rows.Next();
    out.push_back(r.label + std::string(r.text));
  }
  EXPECT_EQ(out, (std::vector<std::string>{"   1  ab", "   2  ", "   3  abc", "   +  def",
                                           "   +  g", "   4  las", "   +  t"}));
  PrintRows range(text, 2, 3, 3);
  out.clear();
  while (!range.Done()) out.push_back(range.Next().label);
  EXPECT_EQ(out, (std::vector<std::string>{"   2  ", "   3  ", "   +  ", "   +  "}));
  EXPECT_TRUE(PrintRows(text, 5, 0, 3).Done());
  EXPECT_TRUE(PrintRows("a\n", 2, 0, 3).Done());
  EXPECT_TRUE(PrintRows("", 0, 0, 3).Done());
}

class PrintPresenterTest : public ::testing::Test {
 protected:
  PrintPresenterTest() {
    // 10 pixels a millimetre and no margins: rows of 20 pixels hold 1060 / 10 - 6 = 100
    // characters (a character of the fake canvas is half the font's height wide).
    desktop.printPage = {1060, 2000, 106.0, 200.0};
    settings.leftMarginMm = settings.rightMarginMm = 0;
    settings.topMarginMm = settings.bottomMarginMm = 0;
  }
  std::vector<const platform::RecordingCanvas::Op*> Rows(std::size_t page) const {
    return desktop.printedPages.at(page)->Texts();
  }

  platform::FakeDesktop desktop;
  EditorState editor = test::Editor("");
  PrintSettings settings;
  PrintPresenter presenter{editor, settings, desktop};
};

TEST_F(PrintPresenterTest, LongLineContinuesOnRowsOfCharactersPerRow) {
  editor.editorText = std::string(300, 'a') + "\nshort\n";
  EXPECT_EQ(presenter.Print(), PrintOutcome::Printed);
  ASSERT_EQ(desktop.printedPages.size(), 1u);
  const auto rows = Rows(0);
  ASSERT_EQ(rows.size(), 4u);
  const std::string hundred(100, 'a');
  EXPECT_EQ(rows[0]->text, "   1  " + hundred);
  EXPECT_EQ(rows[1]->text, "   +  " + hundred);
  EXPECT_EQ(rows[2]->text, "   +  " + hundred);
  EXPECT_EQ(rows[3]->text, "   2  short");
  EXPECT_EQ(rows[1]->rect, (Rect{0, 20, 1060, 40}));
  EXPECT_EQ(rows[1]->fontHeight, 20);
  EXPECT_EQ(rows[1]->flags,
            platform::text::kLeft | platform::text::kVCenter | platform::text::kSingleLine);
  EXPECT_EQ(desktop.printDocuments, std::vector<std::string>{"Brightlantern Printout"});
  EXPECT_EQ(desktop.messages.back().text, "Printing is Complete");
  EXPECT_EQ(desktop.messages.back().title, "Print Message");
}

TEST_F(PrintPresenterTest, PagesHoldLinesPerPageRowsBetweenTheMargins) {
  settings.linesPerPage = 70;
  settings.leftMarginMm = 10;
  settings.topMarginMm = 20;
  settings.bottomMarginMm = 40;  // rows of (1600 - 200) / 70 = 20 pixels
  for (int i = 1; i <= 150; ++i) editor.editorText += "l" + std::to_string(i) + "\n";
  presenter.Print();
  ASSERT_EQ(desktop.printedPages.size(), 3u);
  EXPECT_EQ(Rows(0).size(), 70u);
  EXPECT_EQ(Rows(1).at(0)->text, "  71  l71");
  EXPECT_EQ(Rows(1).at(0)->rect, (Rect{100, 200, 1060, 220}));
  EXPECT_EQ(Rows(1).at(69)->rect, (Rect{100, 1580, 1060, 1600}));
  EXPECT_EQ(Rows(2).size(), 10u);
}

TEST_F(PrintPresenterTest, DialogFieldsShowInchesAndKeepUnreadableValues) {
  settings = PrintSettings{};
  editor.editorText = "a\nb\nc\nd\n";
  editor.caret = 7;   // line 4
  editor.anchor = 2;  // line 2
  presenter.Open();
  EXPECT_EQ(presenter.Field(PrintField::LeftMargin), "1.00");
  EXPECT_EQ(presenter.Field(PrintField::StartingLine), "2");
  EXPECT_EQ(presenter.Field(PrintField::EndingLine), "4");
  EXPECT_EQ(presenter.Field(PrintField::LinesPerPage), "100");
  presenter.SetField(PrintField::LeftMargin, "0.5");
  presenter.SetField(PrintField::TopMargin, "wide");
  presenter.SetField(PrintField::LinesPerPage, "60 lines");
  presenter.SetField(PrintField::EndingLine, "");
  presenter.Accept();
  EXPECT_DOUBLE_EQ(settings.leftMarginMm, 12.7);
  EXPECT_DOUBLE_EQ(settings.topMarginMm, 25.4);
  EXPECT_EQ(settings.linesPerPage, 60);
  EXPECT_EQ(settings.endingLine, 4);
  EXPECT_EQ(PrintPresenter::Label(PrintField::BottomMargin), "Bottom Margin (inches):");
}

TEST_F(PrintPresenterTest, CancelNoRoomAndNothingToPrint) {
  editor.editorText = "one\ntwo";
  desktop.printCancelled = true;
  EXPECT_EQ(presenter.Print(), PrintOutcome::Cancelled);
  EXPECT_EQ(desktop.messages.back().text, "Printing will not continue.");
  EXPECT_EQ(desktop.messages.back().title, "Print Error");
  EXPECT_EQ(desktop.messages.back().icon, platform::MessageIcon::Warning);
  desktop.printCancelled = false;

  // Margins that cross, no lines on a page, and rows too short for one character beside the
  // label (a single line on a 2000-pixel page is 2000 pixels high, its characters 1000 wide).
  for (auto change : {+[](PrintSettings& s) { s.leftMarginMm = 60, s.rightMarginMm = 60; },
                      +[](PrintSettings& s) { s.linesPerPage = 0; },
                      +[](PrintSettings& s) { s.linesPerPage = 1; }}) {
    PrintSettings saved = settings;
    change(settings);
    EXPECT_EQ(presenter.Print(), PrintOutcome::NoRoom);
    EXPECT_EQ(desktop.messages.back().text,
              "The margins and lines per page leave no room to print.");
    settings = saved;
  }
  EXPECT_TRUE(desktop.printedPages.empty());

  settings.startingLine = 3;
  EXPECT_EQ(presenter.Print(), PrintOutcome::Printed);
  EXPECT_TRUE(desktop.printedPages.empty());
  EXPECT_EQ(desktop.messages.back().text, "Printing is Complete");
}

}  // namespace
}  // namespace bl::editor
