#pragma once

#include "editor/qt/editor_view.h"
#include "link/vendor_library.h"
#include "platform/clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/immediate_ui_thread.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"
#include "shell/view_ids.h"
#include "shell/workbench.h"

namespace bl::test {

// The whole program in its real main window, without a controller: a scripted desktop, posted
// work run at once, the system clock.
struct OfflineProgram {
  editor::EditorView& EditorView() {
    return *static_cast<editor::EditorView*>(window.Client().MainChild(kViewEditor));
  }

  platform::FakeDesktop desktop;
  platform::ImmediateUiThread ui;
  platform::SystemClock clock;
  Workbench workbench{desktop, ui, clock, [] { return LibraryLoad{}; }};
  Shell shell{workbench};
  MainWindow window{workbench, shell};
};

}  // namespace bl::test
