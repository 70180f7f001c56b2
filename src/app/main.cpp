#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstring>
#include <string>

#include "editor/editor_settings.h"
#include "graph/graph_record.h"
#include "link/builtin_library.h"
#include "link/dynamic_vendor_library.h"
#include "link/qt/select_device_dialog.h"
#include "link/virtual_time.h"
#include "platform/clock.h"
#include "platform/qt/qt_desktop.h"
#include "platform/qt/qt_locale.h"
#include "platform/qt/qt_ui_thread.h"
#include "series/gather.h"
#include "shell/qt/app_icon.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"
#include "shell/workbench.h"
#include "tuning/reference_series.h"

namespace {

void PrintUsage() {
  std::fputs(
      "Usage: brightlantern [--vendor-library DIR]\n"
      "Without options, connections go through Brightlantern's own library: device 0 is the\n"
      "built-in virtual controller; Ethernet and serial devices are set up in the device\n"
      "choice of \"Connect to PMAC\" and kept in ~/.config/brightlantern/devices.conf.\n"
      "  --vendor-library DIR  bind the controller vendor's communication library\n"
      "                        (libPComm32W.so or libPComm32.so) from DIR instead\n"
      "  --help                show this text\n",
      stdout);
}

// Shipped data after the start directory: the installed data folder beside the program, then,
// for a program run from its build folder, the data the build makes (the compiled diagnostic
// scripts) and the source tree's data folder.
std::vector<std::string> DataFolders() {
  const QString exe = QCoreApplication::applicationDirPath();
  return {QDir(exe + "/../share/brightlantern").absolutePath().toStdString(), BL_BUILD_DATA_DIR,
          BL_SOURCE_DATA_DIR};
}

}  // namespace

int main(int argc, char** argv) {
  std::string vendorFolder;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      PrintUsage();
      return 0;
    }
    if (std::strcmp(argv[i], "--vendor-library") == 0 && i + 1 < argc) vendorFolder = argv[++i];
  }

  QApplication app(argc, argv);
  bl::platform::KeepCNumberFormat();
  QApplication::setApplicationName("Brightlantern");
  QApplication::setOrganizationName("Quillon Controls");
  QApplication::setWindowIcon(bl::MakeAppIcon());

  bl::platform::QtDesktop desktop;
  bl::platform::QtUiThread uiThread;
  bl::platform::SystemClock clock;
  // The virtual controllers' servo time follows the real clock on a thread of its own.
  bl::VirtualTime virtualTime;
  bl::VirtualTimeThread virtualTimeThread(virtualTime, clock);
  bl::BuiltinDevices devices(bl::DefaultDeviceSettingsPath(), &virtualTime, &clock);
  bl::VendorLibraryLoader loader =
      vendorFolder.empty() ? bl::BuiltinLibraryLoader(devices)
                           : [vendorFolder] { return bl::LoadDynamicVendorLibrary(vendorFolder); };
  bl::Workbench workbench(desktop, uiThread, clock, std::move(loader), DataFolders());
  // The editor's colours and options as the user left them.
  workbench.editor.preferencesFile = bl::editor::DefaultEditorSettingsPath();
  if (std::string error; !bl::editor::LoadEditorSettings(workbench.editor.preferencesFile,
                                                         workbench.editor.preferences, error))
    std::fprintf(stderr, "brightlantern: %s\n", error.c_str());
  // The gather buffer and the series' sources as the user left them, processed anew.
  if (std::string error; !bl::series::LoadGatherSettings(workbench.gather, workbench.series, error))
    std::fprintf(stderr, "brightlantern: %s\n", error.c_str());
  workbench.series.ProcessAll();
  // The reference series generator's settings as the user left them.
  if (std::string error; !bl::tuning::LoadReferenceSettings(workbench.reference, error))
    std::fprintf(stderr, "brightlantern: %s\n", error.c_str());
  // The test moves' parameters as the user left them.
  if (std::string error; !bl::tuning::LoadTestMoveSettings(bl::tuning::TestMoveSettingsPath(),
                                                          workbench.testMoves, error))
    std::fprintf(stderr, "brightlantern: %s\n", error.c_str());
  // The graph library and the last graph as the user left them. A library that could not be
  // read is not written over at the end, so that nothing the user stored is lost.
  std::string graphError;
  const bool graphsRead =
      bl::graph::LoadGraphLibrary(bl::graph::GraphLibraryPath(), workbench.graph, graphError);
  if (!graphsRead) std::fprintf(stderr, "brightlantern: %s\n", graphError.c_str());
  bl::Shell shell(workbench);

  bl::MainWindow window(workbench, shell);
  // Both forget the window when it is destroyed, before the desktop and the devices are.
  desktop.SetOwner(&window);
  bl::SetDeviceChooser(devices, &window);
  // The live displays and the end of test moves, from before the connection dialog to the end.
  workbench.monitor.Start();
  shell.StartUp([&window] { window.show(); });
  const int exitCode = app.exec();
  // The monitor may be waiting for a task it posted to this thread: events are let through until
  // it has ended, while the windows it may call into still exist.
  workbench.monitor.Stop([] { QCoreApplication::processEvents(); });
  if (graphsRead &&
      !bl::graph::SaveGraphLibrary(bl::graph::GraphLibraryPath(), workbench.graph, graphError))
    std::fprintf(stderr, "brightlantern: %s\n", graphError.c_str());
  return exitCode;
}
