#include "shell/qt/main_window.h"

#include <algorithm>
#include <memory>
#include <tuple>
#include <utility>

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "commands/command_ids.h"
#include "controller/connect_presenter.h"
#include "controller/identify_controller.h"
#include "controller/qt/connect_dialogs.h"
#include "definitions/qt/select_variable_dialog.h"
#include "editor/define_tools.h"
#include "editor/editor_edit.h"
#include "editor/editor_files.h"
#include "editor/editor_settings.h"
#include "editor/qt/editor_view.h"
#include "editor/qt/find_dialog.h"
#include "editor/qt/preferences_dialog.h"
#include "editor/qt/print_dialog.h"
#include "editor/qt/program_list_dialog.h"
#include "editor/qt/upload_dialog.h"
#include "graph/draw_pane.h"
#include "link/qt/progress_meter_dialog.h"
#include "platform/color_palette.h"
#include "platform/desktop.h"
#include "platform/qt/canvas_widget.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_fonts.h"
#include "series/qt/table_view.h"
#include "shell/main_menu.h"
#include "shell/qt/gather_commands.h"
#include "shell/qt/graph_commands.h"
#include "shell/qt/graph_pane.h"
#include "shell/qt/series_panel.h"
#include "shell/qt/toolbar.h"
#include "shell/qt/monitor_window_commands.h"
#include "shell/qt/tuning_commands.h"
#include "shell/shell.h"
#include "shell/view_ids.h"
#include "shell/workbench.h"
#include "terminal/qt/command_line_edit.h"
#include "terminal/qt/terminal_view.h"
#include "tools/qt/backup_dialog.h"
#include "tools/qt/compare_config_dialog.h"
#include "tools/qt/encoder_table_dialog.h"

namespace bl {

namespace {

using platform::ToQRect;

// The file commands the editor carries out.
constexpr int kEditorFileCommands[] = {cmd::kNewProgramFile, cmd::kOpenProgramFile,
                                       cmd::kOpenProject, cmd::kSaveProgramFile,
                                       cmd::kSaveProgramFileAs};

series::TableHandlers DataWindowHandlers(series::DataWindow& list) {
  series::TableHandlers h;
  h.paint = [&list](platform::Canvas& canvas) {
    list.Paint(canvas);
    return series::TableBars{list.VerticalBar(), std::nullopt};
  };
  h.resize = [&list](platform::Size size) { list.SetClientHeight(size.height); };
  h.press = [&list](platform::Point at, bool right, bool) {
    right ? list.RightButton(at) : list.LeftButton(at);
  };
  h.key = [&list](series::TableKey key, bool, bool) { list.Key(key); };
  h.character = [&list](char c) { list.Character(c); };
  h.scroll = [&list](bool, platform::ScrollAction action, int thumb) {
    list.Scroll(action, thumb);
  };
  return h;
}

series::TableHandlers SpreadsheetHandlers(series::Spreadsheet& sheet) {
  series::TableHandlers h;
  h.paint = [&sheet](platform::Canvas& canvas) {
    sheet.Paint(canvas);
    return series::TableBars{sheet.VerticalBar(), sheet.HorizontalBar()};
  };
  h.resize = [&sheet](platform::Size size) { sheet.SetClientSize(size); };
  h.press = [&sheet](platform::Point at, bool right, bool shift) {
    if (!right) sheet.Press(at, shift);
  };
  h.drag = [&sheet](platform::Point at) { sheet.Drag(at); };
  h.key = [&sheet](series::TableKey key, bool shift, bool control) {
    sheet.Key(key, shift, control);
  };
  h.character = [&sheet](char c) { sheet.Character(c); };
  h.scroll = [&sheet](bool vertical, platform::ScrollAction action, int thumb) {
    sheet.Scroll(vertical, action, thumb);
  };
  return h;
}

}  // namespace

MainClientArea::MainClientArea(Workbench& workbench, Shell& shell, QWidget* parent)
    : QWidget(parent),
      workbench_(workbench),
      shell_(shell),
      dataList_(workbench.series, workbench.desktop),
      sheet_(workbench.series, workbench.desktop),
      toolbar_(new Toolbar([&shell](int command) { shell.RunCommand(command); }, this)),
      terminalView_(new TerminalView(workbench.terminal, this)),
      commandLine_(new CommandLineEdit(workbench.commandLine, this)),
      panes_{new GraphPaneWidget(workbench, 0, this), new GraphPaneWidget(workbench, 1, this)},
      dataWindow_(new series::TableView(DataWindowHandlers(dataList_), false, this)),
      spreadsheet_(new series::TableView(SpreadsheetHandlers(sheet_), true, this)),
      seriesPanel_(new SeriesPanel(this)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  dataWindow_->setObjectName("Data");
  spreadsheet_->setObjectName("Spreadsheet");
  sheet_.seriesChanged = [this] { RefreshGraphPanel(); };
  dataList_.editSources = [&shell] { shell.RunCommand(cmd::kGatherSources); };
  dataList_.seriesChanged = [this] { RefreshGraphPanel(); };
  for (GraphPaneWidget* pane : panes_) {
    pane->onChanged = [this] { RedrawGraph(); };
    // A mouse move over either pane maps the cursor through Graph1's plot.
    pane->graph1Plot = [this] { return panes_[0]->Plot(); };
    pane->runCommand = [&shell](int command) { shell.RunCommand(command); };
  }
  seriesPanel_->onChoose = [this](int slot, graph::SlotField field, int value) {
    // A choice the slot refuses puts the list back to what the slot holds.
    graph::ChooseInSlot(workbench_.graph, workbench_.series, slot, field, value);
    RefreshGraphPanel();
  };
  seriesPanel_->onToggleAxis = [this](int slot) {
    graph::ToggleSlotAxis(workbench_.graph, workbench_.series, slot);
    RefreshGraphPanel();
  };

  const std::pair<int, const char*> buttons[] = {
      {cmd::kUpdateLimits, "Update Limits"},     {cmd::kCursors, "Cursors: Off"},
      {cmd::kFullScreen, "FullScreen: Off"},     {cmd::kPrintGraph, "Print Graph"},
      {cmd::kDefineBuffer, "Define Buffer"},     {cmd::kBufferSettings, "Buffer Settings"},
      {cmd::kBeginGathering, "Begin Gathering"}, {cmd::kEndGathering, "End Gathering"},
      {cmd::kUploadData, "Upload Data"}};
  for (const auto& [command, text] : buttons) {
    auto* button = new QPushButton(text, this);
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QPushButton::clicked, this, [&shell, c = command] { shell.RunCommand(c); });
    buttons_[command] = button;
  }
  for (int command : {cmd::kDefineBuffer, cmd::kBufferSettings, cmd::kBeginGathering,
                      cmd::kEndGathering, cmd::kUploadData})
    buttons_[command]->setEnabled(false);
  RefreshGraphPanel();
  ShowView(shell_.ViewId());
}

void MainClientArea::RefreshGraphPanel() {
  const graph::GraphPanel panel = graph::RefreshGraphPanel(workbench_.graph, workbench_.series);
  seriesPanel_->Fill(panel);
  buttons_[cmd::kCursors]->setText(platform::ToQt(panel.cursorText));
  RedrawGraph();
}

void MainClientArea::RedrawGraph() {
  for (GraphPaneWidget* pane : panes_) {
    pane->SyncScrollBars();
    pane->update();
  }
}

void MainClientArea::SetEditorView(QWidget* editorView) {
  editorView_ = editorView;
  editorView_->setParent(this);
  Relayout();
}

QWidget* MainClientArea::MainChild(int view) {
  if (IsGraphView(view)) return panes_[0];
  if (view == kViewData) return dataWindow_;
  if (IsSpreadsheetView(view)) return spreadsheet_;
  if (view == kViewTerminal) return commandLine_;
  if (view == kViewEditor) return editorView_;
  return nullptr;
}

void MainClientArea::ShowView(int view) {
  const bool graph = IsGraphView(view);
  panes_[0]->setVisible(graph);
  panes_[1]->setVisible(graph && shell_.GraphType() == 2);
  for (int command : {cmd::kUpdateLimits, cmd::kCursors, cmd::kFullScreen, cmd::kPrintGraph})
    buttons_[command]->setVisible(graph);
  seriesPanel_->SetVisible(graph && !shell_.FullScreen());
  dataWindow_->setVisible(view == kViewData);
  if (IsSpreadsheetView(view)) {
    sheet_.SetLayout(static_cast<series::SheetLayout>(view));
    spreadsheet_->Client().update();
  }
  for (int command : {cmd::kDefineBuffer, cmd::kBufferSettings, cmd::kBeginGathering,
                      cmd::kEndGathering, cmd::kUploadData})
    buttons_[command]->setVisible(view == kViewData);
  spreadsheet_->setVisible(IsSpreadsheetView(view));
  terminalView_->setVisible(view == kViewTerminal);
  commandLine_->setVisible(view == kViewTerminal);
  if (editorView_) editorView_->setVisible(view == kViewEditor);
  if (QWidget* child = MainChild(view)) child->setFocus();
  update();
}

void MainClientArea::Relayout() {
  layout_ = LayOutMainWindow(width(), height(), shell_.GraphType(), shell_.FullScreen());
  toolbar_->setGeometry(ToQRect(layout_.toolbar));
  panes_[0]->setGeometry(ToQRect(layout_.graph.pane1));
  panes_[1]->setGeometry(ToQRect(layout_.graph.pane2));
  const int graphButtons[] = {cmd::kUpdateLimits, cmd::kCursors, cmd::kFullScreen,
                              cmd::kPrintGraph};
  for (std::size_t i = 0; i < 4; ++i)
    buttons_[graphButtons[i]]->setGeometry(ToQRect(layout_.graph.buttons[i]));
  buttons_[cmd::kFullScreen]->setText(platform::ToQt(shell_.FullScreenText()));
  buttons_[cmd::kCursors]->setText(
      platform::ToQt(graph::CursorButtonText(workbench_.graph.cursorMode)));
  seriesPanel_->LayOut(width(), height());
  dataWindow_->setGeometry(ToQRect(layout_.data.dataWindow));
  buttons_[cmd::kDefineBuffer]->setGeometry(ToQRect(layout_.data.defineBuffer));
  buttons_[cmd::kBufferSettings]->setGeometry(ToQRect(layout_.data.bufferSettings));
  buttons_[cmd::kBeginGathering]->setGeometry(ToQRect(layout_.data.beginGathering));
  buttons_[cmd::kEndGathering]->setGeometry(ToQRect(layout_.data.endGathering));
  buttons_[cmd::kUploadData]->setGeometry(ToQRect(layout_.data.uploadData));
  spreadsheet_->setGeometry(ToQRect(layout_.spreadsheet));
  terminalView_->setGeometry(ToQRect(layout_.terminal.view));
  commandLine_->setGeometry(ToQRect(layout_.terminal.commandLine));
  if (editorView_) editorView_->setGeometry(ToQRect(layout_.editor));
  ShowView(shell_.ViewId());
}

void MainClientArea::resizeEvent(QResizeEvent*) { Relayout(); }

void MainClientArea::paintEvent(QPaintEvent*) {
  QImage image(size(), QImage::Format_RGB32);
  {
    QPainter p(&image);
    platform::QtCanvas canvas(p, {width(), height()});
    MainPaintState state;
    state.view = shell_.ViewId();
    state.fullScreen = shell_.FullScreen();
    state.servoPeriod = workbench_.controllerType.servoPeriod;
    state.gather = &workbench_.gatherStatus;
    PaintMainWindow(canvas, layout_, state);
  }
  QPainter screen(this);
  screen.drawImage(0, 0, image);
}

MainWindow::MainWindow(Workbench& workbench, Shell& shell)
    : workbench_(workbench), shell_(shell), client_(new MainClientArea(workbench, shell, this)) {
  setObjectName("Main");
  setWindowTitle("Brightlantern");
  setCentralWidget(client_);
  BuildMenu();
  WireShell();
  resize(kMainDefaultWidth, kMainDefaultHeight);
  setMinimumSize(kMainMinWidth, kMainMinHeight);
}

MainWindow::~MainWindow() {
  // The shell and the editor state outlive the window; their hooks capture it and its widgets.
  // Cleared here, before the widgets go, nothing can call into them any more (the editor's and
  // the terminal's views clear the hooks they set themselves).
  shell_.hooks = {};
  shell_.editor = {};
  workbench_.transfer.meterHost = nullptr;
  workbench_.editor.showEditorView = nullptr;
  workbench_.editor.showTerminalView = nullptr;
  workbench_.editor.repaintMainWindow = nullptr;
  shell_.SetCommand(cmd::kEditorPreferences, nullptr);
  shell_.SetCommand(cmd::kPrint, nullptr);
  UnwireGatherCommands(shell_);
  UnwireGraphCommands(shell_);
  UnwireTuningCommands(shell_);
  shell_.SetCommand(cmd::kBackup, nullptr);
  shell_.SetCommand(cmd::kCompareConfiguration, nullptr);
  shell_.SetCommand(cmd::kEncoderTable, nullptr);
  UnwireMonitorWindowCommands(*this, shell_);
  for (int command : kEditorFileCommands) shell_.SetCommand(command, nullptr);
}

void MainWindow::BuildMenu() {
  for (const MenuPopup& popup : MainMenu()) {
    QMenu* menu = menuBar()->addMenu(platform::ToQt(popup.title));
    for (const MenuEntry& entry : popup.entries) {
      if (entry.IsSeparator()) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(platform::ToQt(entry.text));
      action->setData(entry.command);
      connect(action, &QAction::triggered, this,
              [this, command = entry.command] { shell_.RunCommand(command); });
      actions_[entry.command] = action;
    }
  }
}

QAction* MainWindow::MenuAction(int command) const {
  const auto it = actions_.find(command);
  return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::WireShell() {
  Shell::Hooks& h = shell_.hooks;
  h.showView = [this](int view) { client_->ShowView(view); };
  h.relayout = [this] { client_->Relayout(); };
  h.repaint = [this] { client_->update(); };
  h.reprocessSeriesAndLimits = [this] { client_->RedrawGraph(); };
  h.refreshGraphPanel = [this] { client_->RefreshGraphPanel(); };
  h.repaintGatherPanel = [this] {
    client_->update(ToQRect(GatherPanelRepaintArea(client_->width(), client_->height())));
  };
  h.pressToolbarButton = [this] { client_->ToolbarWidget().Press(shell_.PressedButton()); };
  h.enableGatheringButtons = [this](bool enabled) {
    for (int command : {cmd::kDefineBuffer, cmd::kBufferSettings, cmd::kBeginGathering,
                        cmd::kEndGathering, cmd::kUploadData})
      client_->Button(command).setEnabled(enabled);
  };
  h.destroyMainWindow = [this] {
    exiting_ = true;
    close();
    exiting_ = false;
  };
  h.runConnectionDialogs = [this] {
    auto identify = [this] {
      IdentifyHooks hooks;
      hooks.setTitle = [this](const std::string& title) { setWindowTitle(platform::ToQt(title)); };
      hooks.limitCurrentSeries = [this](int count) {
        series::SeriesTable& table = workbench_.series;
        table.seriesCount = count;
        table.currentSeries = std::clamp(table.currentSeries, 1, count);
      };
      IdentifyController(workbench_.controllerType, workbench_.link, workbench_.definitions,
                         workbench_.terminal, hooks);
      client_->RefreshGraphPanel();
    };
    ConnectPresenter connect(workbench_.link, workbench_.controllerType, identify, this);
    WorkOfflinePresenter offline(workbench_.link, workbench_.controllerType, identify);
    RunConnectionDialogs(this, connect, offline);
  };
  h.chooseVariable = [this](int kind) {
    return ChooseDefinedVariable(this, workbench_.definitions, workbench_.selectVariable, kind);
  };
  h.commandLineEdit = [this](int command) {
    CommandLineEdit& edit = client_->CommandLine();
    if (command == cmd::kCut) edit.cut();
    if (command == cmd::kCopy) edit.copy();
    if (command == cmd::kPaste) edit.paste();
    if (command == cmd::kDelete && edit.hasSelectedText()) edit.del();
  };
  h.insertIntoCommandLine = [this](std::string_view text) {
    // As in the editor, the chosen name is put on the clipboard and pasted from there.
    workbench_.desktop.SetClipboardText(text);
    client_->CommandLine().insert(platform::ToQt(text));
    client_->CommandLine().setFocus();
  };
  h.sendKeyToView = [this](int view, int key) {
    QWidget* target = client_->MainChild(view);
    if (!target) return;
    const bool del = key == 127;
    const Qt::Key qtKey = del ? Qt::Key_Delete : static_cast<Qt::Key>(Qt::Key_A + key - 1);
    QKeyEvent press(QEvent::KeyPress, qtKey, del ? Qt::NoModifier : Qt::ControlModifier,
                    del ? QString() : QString(QChar(key)));
    QApplication::sendEvent(target, &press);
  };
  h.showAbout = [this] { ShowAboutBox(this); };
  WireGatherCommands(*this, workbench_, shell_);
  WireGraphCommands(*this, workbench_, shell_);
  WireTuningCommands(*this, workbench_, shell_);
  // "Backup PMAC Configuration"; its section switches are kept for the run.
  shell_.SetCommand(cmd::kBackup, [this, kept = std::make_shared<tools::BackupSwitches>()] {
    tools::BackupPresenter presenter(workbench_.link, workbench_.desktop, workbench_.controllerType,
                                     *kept);
    tools::RunBackupDialog(this, presenter);
  });
  // "Compare Configuration...": its choice of A and B is kept for the run.
  using CompareSide = tools::CompareConfigPresenter::Side;
  shell_.SetCommand(cmd::kCompareConfiguration,
                    [this, kept = std::make_shared<std::pair<CompareSide, CompareSide>>(
                               CompareSide{true, {}}, CompareSide{})] {
                      tools::CompareConfigPresenter presenter(workbench_.link, workbench_.desktop,
                                                              workbench_.controllerType,
                                                              workbench_.definitions);
                      std::tie(presenter.a, presenter.b) = *kept;
                      tools::RunCompareConfigDialog(this, presenter);
                      *kept = {presenter.a, presenter.b};
                    });
  shell_.SetCommand(cmd::kEncoderTable, [this] {
    tools::EncoderTablePresenter presenter(workbench_.link, workbench_.desktop,
                                           workbench_.controllerType.typeCode.load());
    tools::RunEncoderTableDialog(this, presenter);
    if (shell_.hooks.repaint) shell_.hooks.repaint();
  });
  WireMonitorWindowCommands(*this, workbench_, shell_);
  WireEditor();
}

void MainWindow::WireEditor() {
  auto* view = new editor::EditorView(workbench_.editor, workbench_.definitions, workbench_.desktop,
                                      client_);
  client_->SetEditorView(view);
  editor::EditorWidget& widget = view->Editor();
  Shell::EditorHooks& e = shell_.editor;
  e.edit = [&widget](int command) { widget.RunCommand(command); };
  e.undo = [&widget] { widget.RunCommand(cmd::kUndo); };
  e.focus = [&widget] { widget.setFocus(); };
  e.insert = [this](std::string_view name) {
    editor::InsertDefinedName(workbench_.editor, workbench_.desktop, name);
  };
  // The context menu's Insert commands always insert into the editor.
  widget.onInsertDefinition = [this](int kind) {
    if (const auto name =
            ChooseDefinedVariable(this, workbench_.definitions, workbench_.selectVariable, kind)) {
      editor::InsertDefinedName(workbench_.editor, workbench_.desktop, *name);
    }
    client_->update();
  };
  widget.onFindReplace = [this] { shell_.RunCommand(cmd::kFindReplace); };
  editor::EditorState& state = workbench_.editor;
  state.showEditorView = [this] {
    if (shell_.ViewId() != kViewEditor) shell_.SelectView(kViewEditor, true);
  };
  state.showTerminalView = [this] { shell_.SelectView(kViewTerminal, true); };
  state.repaintMainWindow = [this] {
    client_->update();
    editor::Repaint(workbench_.editor);
  };
  shell_.hooks.runUploadDialog = [this](editor::UploadPresenter& presenter) {
    return editor::RunUploadDialog(this, presenter);
  };
  workbench_.transfer.meterHost = ProgressMeterDialogHost(workbench_.uiThread, this);
  e.findAndReplace = [this] { editor::OpenFindReplaceDialog(this, workbench_.editorContext); };
  shell_.hooks.closeFindDialog = [this] { editor::CloseFindReplaceDialog(this); };
  view->EditorBar().onJumpToProgram = [this] {
    editor::RunProgramListDialog(this, workbench_.editor);
  };
  shell_.SetCommand(cmd::kPrint, [this] { editor::RunPrint(this, workbench_.editorContext); });
  shell_.SetCommand(cmd::kEditorPreferences, [this] {
    const editor::EditorPreferences before = workbench_.editor.preferences;
    editor::RunPreferencesDialog(this, workbench_.editor.preferences, workbench_.desktop,
                                 [this] { editor::Repaint(workbench_.editor); });
    editor::KeepChangedPreferences(workbench_.editorContext, before);
  });
  WireEditorFiles(*view);
}

void MainWindow::WireEditorFiles(editor::EditorView& view) {
  editor::EditorContext& ctx = workbench_.editorContext;
  for (int command : kEditorFileCommands)
    shell_.SetCommand(command, [&ctx, command] { editor::RunFileCommand(ctx, command); });
  view.EditorBar().onSaveFile = [&ctx] { editor::SaveProgramFileCommand(ctx, false); };
  view.EditorBar().onUpdateDefines = [&ctx] { editor::UpdateDefines(ctx); };
  view.FileList().onActivate = [&ctx](editor::FileListRef item) {
    editor::ActivateFileListItem(ctx, item);
  };
  shell_.hooks.confirmUnsaved = [&ctx] { return editor::ConfirmUnsaved(ctx) == 0; };
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Exit has asked about unsaved changes before it closes; the close box asks here, and the
  // answer decides this very event (closing again from inside it would be swallowed by the close
  // in progress).
  if (exiting_ || shell_.ConfirmClose())
    event->accept();
  else
    event->ignore();
}

void ShowAboutBox(QWidget* parent) {
  QDialog box(parent);
  box.setWindowTitle("About");
  auto* layout = new QVBoxLayout(&box);
  auto* product = new QLabel("BRIGHTLANTERN, Version 0.51", &box);
  QFont bold = product->font();
  bold.setBold(true);
  product->setFont(bold);
  layout->addWidget(product);
  layout->addWidget(new QLabel("Quillon Controls, Inc.", &box));
  layout->addWidget(new QLabel("A workbench for PMAC motion controllers.", &box));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  layout->addWidget(buttons);
  box.exec();
}

}  // namespace bl
