#include "shell/qt/monitor_window_commands.h"

#include <QObject>
#include <QPointer>
#include <memory>

#include "commands/command_ids.h"
#include "diagnostics/qt/diagnostic_widget.h"
#include "diagnostics/qt/position_widget.h"
#include "diagnostics/qt/variable_setup_dialog.h"
#include "diagnostics/qt/watch_widget.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"
#include "shell/workbench.h"

namespace bl {

namespace {

constexpr int kWarningColor = 5;
constexpr const char* kOwnerName = "MonitorWindows";

// The records of the three windows, kept as long as the main window.
class MonitorWindows : public QObject {
 public:
  explicit MonitorWindows(QObject* parent) : QObject(parent) { setObjectName(kOwnerName); }
  ~MonitorWindows() override {
    delete watch;
    delete position;
    delete diagnostic;
  }

  std::shared_ptr<diagnostics::WatchRecords> watchRecords =
      std::make_shared<diagnostics::WatchRecords>();
  diagnostics::PositionUnits units;
  diagnostics::VariableSetupMemory setup;
  QPointer<diagnostics::WatchWidget> watch;
  QPointer<diagnostics::PositionWidget> position;
  QPointer<diagnostics::DiagnosticWidget> diagnostic;
};

void Raise(QWidget* w) {
  w->show();
  w->raise();
  w->activateWindow();
  w->setFocus();
}

void OpenWatchWindow(MainWindow& window, Workbench& workbench, MonitorWindows& owner) {
  if (!owner.watch) {
    diagnostics::WatchContext context{owner.watchRecords,
                                      workbench.controllerType,
                                      workbench.definitions,
                                      workbench.selectVariable,
                                      workbench.link,
                                      workbench.desktop,
                                      workbench.monitor,
                                      [&workbench](const std::string& error) {
                                        workbench.terminal.TerminalAddLine("  " + error,
                                                                           kWarningColor);
                                      }};
    owner.watch = new diagnostics::WatchWidget(std::move(context), &window);
    // A name defined on the command line may be one the window shows.
    QPointer<diagnostics::WatchWidget> watch = owner.watch;
    workbench.link.onDefinitionStored = [watch] {
      if (watch) watch->Refresh();
    };
  }
  Raise(owner.watch);
}

void OpenPositionWindow(MainWindow& window, Workbench& workbench, MonitorWindows& owner) {
  if (!owner.position)
    owner.position = new diagnostics::PositionWidget(
        workbench.position, owner.units, workbench.controllerType, workbench.monitor, &window);
  Raise(owner.position);
}

// After a script was opened: the diagnostic window is created, or given the focus, and repainted
// with the script's first page; the main window is repainted too.
void ShowDiagnosticWindow(MainWindow& window, Workbench& workbench, Shell& shell,
                          MonitorWindows& owner) {
  if (!owner.diagnostic) {
    // A button that opens another script comes back here through the same hook.
    const auto show = [&shell] {
      if (shell.hooks.showDiagnosticWindow) shell.hooks.showDiagnosticWindow();
    };
    owner.diagnostic = new diagnostics::DiagnosticWidget(workbench.diagnosticScript, workbench.link,
                                                         DiagnosticLoadContext(workbench, show),
                                                         workbench.monitor, &window);
  }
  Raise(owner.diagnostic);
  owner.diagnostic->Refresh();
  if (shell.hooks.repaint) shell.hooks.repaint();
}

void RunVariableSetup(MainWindow& window, Workbench& workbench, Shell& shell,
                      MonitorWindows& owner) {
  diagnostics::VariableSetupPresenter presenter(owner.setup, workbench.link, workbench.definitions,
                                                workbench.controllerType, workbench.desktop);
  diagnostics::VariableSetupDialog dialog(presenter, &window);
  dialog.exec();
  if (shell.hooks.repaint) shell.hooks.repaint();
}

}  // namespace

void WireMonitorWindowCommands(MainWindow& window, Workbench& workbench, Shell& shell) {
  auto* owner = new MonitorWindows(&window);
  shell.SetCommand(cmd::kWatchWindow,
                   [&window, &workbench, owner] { OpenWatchWindow(window, workbench, *owner); });
  shell.SetCommand(cmd::kPositionWindow,
                   [&window, &workbench, owner] { OpenPositionWindow(window, workbench, *owner); });
  shell.SetCommand(cmd::kVariableSetup, [&window, &workbench, &shell, owner] {
    RunVariableSetup(window, workbench, shell, *owner);
  });
  shell.hooks.showDiagnosticWindow = [&window, &workbench, &shell, owner] {
    ShowDiagnosticWindow(window, workbench, shell, *owner);
  };
}

void UnwireMonitorWindowCommands(MainWindow& window, Shell& shell) {
  shell.SetCommand(cmd::kWatchWindow, nullptr);
  shell.SetCommand(cmd::kPositionWindow, nullptr);
  shell.SetCommand(cmd::kVariableSetup, nullptr);
  shell.hooks.showDiagnosticWindow = nullptr;
  delete window.findChild<MonitorWindows*>(kOwnerName, Qt::FindDirectChildrenOnly);
}

}  // namespace bl
