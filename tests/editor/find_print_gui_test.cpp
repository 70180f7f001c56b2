#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "commands/command_ids.h"
#include "definitions/definition_table.h"
#include "editor/editor_context.h"
#include "editor/print_presenter.h"
#include "editor/qt/editor_widget.h"
#include "editor/qt/find_dialog.h"
#include "editor/qt/program_list_dialog.h"
#include "gui/gui_support.h"
#include "platform/fake/fake_desktop.h"
#include "platform/qt/qt_print_job.h"
#include "terminal_lines/terminal_lines.h"

namespace bl::editor {
namespace {

void DeleteClosedWindows() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class FindPrintGuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  DefinitionTable table;
  Terminal terminal;
  platform::FakeDesktop desktop;
  EditorState state;
  EditorContext context{state, table, terminal, desktop};
};

TEST_F(FindPrintGuiTest, FindDialogButtonsDriveTheEditor) {
  state.editorText = "OPEN PROG 1\nP1=1\nP1=P1+1\nCLOSE\n";
  EditorWidget widget(state, table, desktop);
  widget.resize(500, 300);
  widget.show();
  QWidget owner;
  context.find.findText = "p1";
  QPointer<FindReplaceDialog> dialog = OpenFindReplaceDialog(&owner, context);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(OpenFindReplaceDialog(&owner, context), dialog.data());  // one at a time
  EXPECT_EQ(dialog->FindField().text(), "p1");
  test::SaveScreenshot(dialog->grab().toImage(), "find_and_replace");

  QTest::mouseClick(&dialog->FindNextButton(), Qt::LeftButton);
  EXPECT_EQ(state.caret, 12);
  EXPECT_EQ(state.anchor, 14);
  // The editor shows the match selected: blue over the first two cells of line 2 only.
  const QImage image = widget.Client().Render();
  EXPECT_TRUE(test::AnyPixelNear(image, QRect(60, 16, 16, 16), QColor(0, 0, 255), 10));
  EXPECT_FALSE(test::AnyPixelNear(image, QRect(77, 16, 16, 16), QColor(0, 0, 255), 10));

  QTest::keyClicks(&dialog->ReplaceField(), "Q7");
  for (int i = 0; i < 3; ++i) QTest::mouseClick(&dialog->ReplaceButton(), Qt::LeftButton);
  EXPECT_EQ(state.editorText, "OPEN PROG 1\nQ7=1\nQ7=Q7+1\nCLOSE\n");
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, "The end of the file was reached.");
  widget.RunCommand(cmd::kUndo);
  widget.RunCommand(cmd::kUndo);
  EXPECT_EQ(state.editorText, "OPEN PROG 1\nQ7=1\nQ7=P1+1\nCLOSE\n");

  QTest::mouseClick(&dialog->CaseSensitive(), Qt::LeftButton);
  EXPECT_TRUE(context.find.caseSensitive);
  QTest::mouseClick(&dialog->ReplaceAllButton(), Qt::LeftButton);
  EXPECT_EQ(state.editorText, "OPEN PROG 1\nQ7=1\nQ7=P1+1\nCLOSE\n");  // "p1" is not "P1"

  QTest::mouseClick(&dialog->CancelButton(), Qt::LeftButton);
  DeleteClosedWindows();
  EXPECT_FALSE(dialog);
  // The state keeps the texts and switches; a new dialog shows them.
  dialog = OpenFindReplaceDialog(&owner, context);
  EXPECT_EQ(dialog->ReplaceField().text(), "Q7");
  EXPECT_TRUE(dialog->CaseSensitive().isChecked());
  QTest::keyClick(dialog, Qt::Key_Escape);
  DeleteClosedWindows();
  EXPECT_FALSE(dialog);
  CloseFindReplaceDialog(&owner);  // none open: nothing to do
}

TEST_F(FindPrintGuiTest, ProgramListJumpsOnDoubleClick) {
  state.editorText = "; setup\nOPEN PLC 1\nCLOSE\nopen prog 2\nX1\nCLOSE\n";
  int focused = 0;
  state.focusEditor = [&] { ++focused; };
  ProgramListDialog dialog(state);
  dialog.show();
  ASSERT_EQ(dialog.List().count(), 2);
  EXPECT_EQ(dialog.List().item(1)->text(), "open prog 2");
  QListWidget& list = dialog.List();
  const QPoint at = list.visualItemRect(list.item(1)).center();
  QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(state.caret, 25);
  EXPECT_EQ(state.anchor, 25);

  ProgramListDialog none(state);
  none.accept();  // OK without a choice moves nothing
  EXPECT_EQ(state.caret, 25);
  EXPECT_EQ(focused, 0);
}

// The scripted desktop, except that printing goes to a PDF file through the real print job.
class PdfDesktop final : public platform::Desktop {
 public:
  PdfDesktop(platform::FakeDesktop& fake, QString path) : fake_(fake), path_(std::move(path)) {}
  platform::MessageAnswer ShowMessage(std::string_view text, std::string_view title,
                                      platform::MessageButtons buttons,
                                      platform::MessageIcon icon) override {
    return fake_.ShowMessage(text, title, buttons, icon);
  }
  std::optional<std::string> ChooseOpenFile(const platform::FileDialogRequest& r) override {
    return fake_.ChooseOpenFile(r);
  }
  std::optional<std::string> ChooseSaveFile(const platform::FileDialogRequest& r) override {
    return fake_.ChooseSaveFile(r);
  }
  std::optional<platform::Rgb> ChooseColor(platform::Rgb initial) override {
    return fake_.ChooseColor(initial);
  }
  std::unique_ptr<platform::PrintJob> BeginPrint(std::string_view documentName) override {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path_);
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setDocName(QString::fromLatin1(documentName.data(), documentName.size()));
    paintRectPoints = printer->pageLayout().paintRect(QPageLayout::Point);
    return std::make_unique<platform::QtPrintJob>(std::move(printer));
  }
  std::string ClipboardText() override { return fake_.ClipboardText(); }
  void SetClipboardText(std::string_view text) override { fake_.SetClipboardText(text); }
  platform::KeyState Keys() const override { return fake_.Keys(); }
  bool OpenExternal(std::string_view pathOrAddress) override {
    return fake_.OpenExternal(pathOrAddress);
  }

  QRectF paintRectPoints;

 private:
  platform::FakeDesktop& fake_;
  QString path_;
};

struct PdfWord {
  double xMin = 0;
  double yMin = 0;
  double yMax = 0;
  QString text;
};

// The words of the PDF's first page in reading order with their boxes in points, by pdftotext
// -bbox; empty when poppler's pdftotext is not installed.
std::vector<PdfWord> FirstPageWords(const QString& pdf) {
  const QString tool = QStandardPaths::findExecutable("pdftotext");
  if (tool.isEmpty()) return {};
  QProcess run;
  run.start(tool, {"-bbox", "-f", "1", "-l", "1", pdf, "-"});
  if (!run.waitForFinished(20000)) return {};
  const QString html = QString::fromUtf8(run.readAllStandardOutput());
  static const QRegularExpression word(
      R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">([^<]*)</word>)re");
  std::vector<PdfWord> words;
  for (auto it = word.globalMatch(html); it.hasNext();) {
    const auto m = it.next();
    words.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                     m.captured(4)});
  }
  std::stable_sort(words.begin(), words.end(), [](const PdfWord& a, const PdfWord& b) {
    return a.yMin < b.yMin - 0.5 || (std::abs(a.yMin - b.yMin) <= 0.5 && a.xMin < b.xMin);
  });
  return words;
}

TEST_F(FindPrintGuiTest, PrintoutOnAPdfPageFollowsTheLayout) {
  const QString path = QStringLiteral(BL_TEST_OUTPUT_DIR) + "/editor_printout.pdf";
  QFile::remove(path);
  PdfDesktop pdf(desktop, path);
  state.editorText = "OPEN PROG 1 CLEAR\n" + std::string(300, 'X') + "\nCLOSE\n";
  PrintSettings settings;  // one-inch margins, 100 lines a page
  PrintPresenter presenter(state, settings, pdf);
  ASSERT_EQ(presenter.Print(), PrintOutcome::Printed);
  EXPECT_EQ(desktop.messages.back().text, "Printing is Complete");
  ASSERT_TRUE(QFile::exists(path));
  EXPECT_GT(QFile(path).size(), 0);

  const std::vector<PdfWord> words = FirstPageWords(path);
  if (words.empty()) GTEST_SKIP() << "pdftotext is not installed: only the file was checked";
  std::vector<QString> texts;
  for (const PdfWord& w : words) texts.push_back(w.text);
  // Labels and text: line 1, line 2 over a row of its own and two continuations, line 3.
  ASSERT_EQ(texts.size(), 13u);
  EXPECT_EQ(texts[0], "1");
  EXPECT_EQ(texts[1], "OPEN");
  EXPECT_EQ(texts[5], "2");
  EXPECT_EQ(texts[7], "+");
  EXPECT_EQ(texts[9], "+");
  EXPECT_EQ(texts[11], "3");
  EXPECT_EQ(texts[12], "CLOSE");
  EXPECT_EQ(texts[6].size() + texts[8].size() + texts[10].size(), 300);
  EXPECT_EQ(texts[6].size(), texts[8].size());  // full rows of characters per row

  // Geometry in points: the rows start one inch inside the printable area, the label's number
  // three characters further, the text six; each row is a hundredth of the height between the
  // margins and its text is centred in it.
  const QRectF area = pdf.paintRectPoints;
  const double rowHeight = (area.height() - 2 * 72.0) / 100;
  const double charWidth = (words[1].xMin - words[0].xMin) / 3;  // "1  O": three advances
  EXPECT_NEAR(words[0].xMin, area.left() + 72 + 3 * charWidth, 0.5);
  EXPECT_NEAR(words[7].xMin, words[0].xMin, 0.1);  // "+"
  EXPECT_NEAR(words[8].xMin, words[1].xMin, 0.1);
  for (int row : {0, 1, 2, 3, 4}) {
    const PdfWord& label = words[std::array{0, 5, 7, 9, 11}[row]];
    EXPECT_NEAR((label.yMin + label.yMax) / 2, area.top() + 72 + (row + 0.5) * rowHeight, 0.3)
        << row;
  }
}

TEST_F(FindPrintGuiTest, PdfThatCannotBeWrittenIsReportedAndNothingToPrintLeavesNoFile) {
  const QString folder = QStringLiteral(BL_TEST_OUTPUT_DIR);
  PdfDesktop unwritable(desktop, folder);  // a folder, not a file
  state.editorText = "P1=1\n";
  PrintSettings settings;
  EXPECT_EQ(PrintPresenter(state, settings, unwritable).Print(), PrintOutcome::Failed);
  EXPECT_EQ(desktop.messages.back().title, "Print Error");

  const QString path = folder + "/editor_printout_empty.pdf";
  QFile::remove(path);
  PdfDesktop pdf(desktop, path);
  settings.startingLine = 9;
  EXPECT_EQ(PrintPresenter(state, settings, pdf).Print(), PrintOutcome::Printed);
  EXPECT_FALSE(QFile::exists(path));
}

}  // namespace
}  // namespace bl::editor
