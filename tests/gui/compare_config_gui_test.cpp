// "Compare Configuration..." through the real menu: a backup file of the built-in virtual
// controller against the same controller after two variables changed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <filesystem>

#include "commands/command_ids.h"
#include "gui_support.h"
#include "tools/backup.h"
#include "tools/qt/compare_config_dialog.h"
#include "virtual_program.h"

namespace bl {
namespace {

using test::WhenModal;
using tools::CompareConfigDialog;

class CompareConfigGuiTest : public ::testing::Test, protected test::VirtualProgram {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  CompareConfigGuiTest() { window.show(); }
  ~CompareConfigGuiTest() override { std::filesystem::remove_all(folder_); }

  QString Cell(QTableView& table, int row, int column) {
    return table.model()->index(row, column).data().toString();
  }

  std::filesystem::path folder_ =
      std::filesystem::temp_directory_path() / ("bl-compare-gui-" + std::to_string(::getpid()));
};

TEST_F(CompareConfigGuiTest, ABackupAgainstTheChangedControllerShowsTheTwoChanges) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ConnectAndIdentify();
  const std::size_t greeted = desktop.messages.size();
  std::filesystem::create_directories(folder_);
  const std::string path = (folder_ / "before.pmc").string();
  std::string error;
  ASSERT_TRUE(tools::RunBackup(
      workbench.link,
      {workbench.controllerType.typeCode.load(), workbench.controllerType.variableCount}, {}, path,
      nullptr, error))
      << error;
  Ask("I130=3000 P100=42.5");
  desktop.openFileAnswers.push_back(path);

  QStringList rows;
  int allRows = 0;
  QString status;
  WhenModal<CompareConfigDialog>([&](CompareConfigDialog& d) {
    // A from the file, B the connected controller.
    d.SideA().browse->click();
    EXPECT_TRUE(d.SideA().file->isChecked());
    EXPECT_EQ(d.SideA().path->text().toStdString(), path);
    d.SideB().controller->setChecked(true);
    d.CompareButton().click();
    EXPECT_FALSE(d.CompareButton().isEnabled()) << "the controller is read tick by tick";
    ASSERT_TRUE(QTest::qWaitFor([&d] { return d.CompareButton().isEnabled(); }, 20000));
    status = d.StatusLine().text();
    QTableView& table = d.Table();
    for (int r = 0; r < table.model()->rowCount(); ++r) {
      QStringList cells;
      for (int c = 0; c < 5; ++c) cells << Cell(table, r, c);
      rows << cells.join("|");
    }
    test::SaveScreenshot(d.grab().toImage(), "compare_configuration");
    d.DifferencesOnlyBox().setChecked(false);
    allRows = table.model()->rowCount();
    d.reject();
  });
  window.MenuAction(cmd::kCompareConfiguration)->trigger();

  EXPECT_EQ(window.MenuAction(cmd::kCompareConfiguration)->text(), "C&ompare Configuration...");
  ASSERT_EQ(rows.size(), 2) << rows.join("\n").toStdString();
  EXPECT_EQ(rows[0], "P-Variables|P100|0|42.5|");
  EXPECT_TRUE(rows[1].startsWith("I-Variables|I130|")) << rows[1].toStdString();
  EXPECT_TRUE(rows[1].endsWith("|3000|")) << rows[1].toStdString();
  EXPECT_EQ(status, "2 differences (2 changed, 0 only in A, 0 only in B)");
  EXPECT_GT(allRows, 4 * workbench.controllerType.variableCount);
  EXPECT_EQ(desktop.messages.size(), greeted) << desktop.messages.back().text;
}

}  // namespace
}  // namespace bl
