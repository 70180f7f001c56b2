#pragma once

#include <QMainWindow>
#include <array>
#include <map>

#include "series/data_window.h"
#include "series/spreadsheet.h"
#include "shell/main_layout.h"
#include "shell/qt/graph_pane.h"

class QPushButton;

namespace bl {

class Workbench;
class Shell;
class TerminalView;
class CommandLineEdit;
class Toolbar;
class SeriesPanel;
namespace platform {
class CanvasWidget;
}
namespace editor {
class EditorView;
}
namespace series {
class TableView;
}

// The client area of the main window: every view's child windows, laid out at their pixel
// positions on each resize, and the main window's own drawing beneath them.
class MainClientArea : public QWidget {
 public:
  MainClientArea(Workbench& workbench, Shell& shell, QWidget* parent = nullptr);

  void Relayout();
  // Shows the children of one view and hides the others.
  void ShowView(int view);
  QWidget* MainChild(int view);
  // The editor view's body, once the editor exists.
  void SetEditorView(QWidget* editorView);

  Toolbar& ToolbarWidget() { return *toolbar_; }
  TerminalView& Terminal() { return *terminalView_; }
  CommandLineEdit& CommandLine() { return *commandLine_; }
  GraphPaneWidget& GraphPane(int index) { return *panes_[static_cast<std::size_t>(index)]; }
  // The data view's series list, over the gather panel.
  series::TableView& DataWindow() { return *dataWindow_; }
  series::DataWindow& DataList() { return dataList_; }
  // The spreadsheet of views 20..22; its columns follow the view shown.
  series::TableView& Spreadsheet() { return *spreadsheet_; }
  series::Spreadsheet& Sheet() { return sheet_; }
  QPushButton& Button(int command) { return *buttons_.at(command); }
  SeriesPanel& Series() { return *seriesPanel_; }
  const MainLayout& Layout() const { return layout_; }

  // Fills the series panel and the cursor button from the graph settings and redraws both panes.
  void RefreshGraphPanel();
  // Redraws both panes; their scroll bars follow the windows as they paint.
  void RedrawGraph();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  Workbench& workbench_;
  Shell& shell_;
  series::DataWindow dataList_;
  series::Spreadsheet sheet_;
  MainLayout layout_;
  Toolbar* toolbar_;
  TerminalView* terminalView_;
  CommandLineEdit* commandLine_;
  std::array<GraphPaneWidget*, 2> panes_;
  series::TableView* dataWindow_;
  series::TableView* spreadsheet_;
  QWidget* editorView_ = nullptr;
  SeriesPanel* seriesPanel_;
  std::map<int, QPushButton*> buttons_;
};

// The "Main" window: menu bar, toolbar and one view at a time.
class MainWindow : public QMainWindow {
 public:
  MainWindow(Workbench& workbench, Shell& shell);
  // Clears the hooks the window gave the shell and the editor.
  ~MainWindow() override;

  MainClientArea& Client() { return *client_; }
  // The command a menu entry sends, by its number; null when the menu has no such entry.
  QAction* MenuAction(int command) const;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenu();
  void WireShell();
  void WireEditor();
  void WireEditorFiles(editor::EditorView& view);

  Workbench& workbench_;
  Shell& shell_;
  MainClientArea* client_;
  std::map<int, QAction*> actions_;
  // Set while Exit closes the window: Exit has asked about unsaved changes already.
  bool exiting_ = false;
};

// The About box: the product line, the maker and an OK button.
void ShowAboutBox(QWidget* parent);

}  // namespace bl
