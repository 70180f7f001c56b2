#include "shell/main_menu.h"

#include "commands/command_ids.h"

namespace bl {

namespace {

constexpr MenuEntry kSeparator{};

}  // namespace

const std::vector<MenuPopup>& MainMenu() {
  using namespace cmd;
  static const std::vector<MenuPopup> kMenu = {
      {"&File",
       {{kNewProgramFile, "&New Program File"},
        {kOpenProgramFile, "&Open Program File"},
        {kOpenProject, "Open Program File as a &Project"},
        kSeparator,
        {kSaveProgramFile, "&Save Program File"},
        {kSaveProgramFileAs, "Save Program File &As"},
        kSeparator,
        {kUploadProgramFile, "&Upload Program File"},
        {kDownloadProgramFile, "&Download Program File"},
        {kDownloadEditorProgram, "Download Program in &Editor Window"},
        kSeparator,
        {kPrint, "&Print"},
        {kExportGraph, "Export &Graph..."},
        kSeparator,
        {kExit, "E&xit"}}},
      {"&Edit",
       {{kCut, "Cu&t"},
        {kCopy, "&Copy"},
        {kPaste, "&Paste"},
        {kDelete, "&Delete"},
        kSeparator,
        {kUndo, "&Undo"},
        kSeparator,
        {kFindReplace, "&Find and Replace"},
        kSeparator,
        {kInsertP, "Insert &P-Variable Definition"},
        {kInsertQ, "Insert &Q-Variable Definition"},
        {kInsertM, "Insert &M-Variable Definition"},
        {kInsertI, "Insert &I-Variable Definition"}}},
      {"&Preferences", {{kEditorPreferences, "&Program Editor Preferences"}}},
      {"&PMAC",
       {{kVariableSetup, "&Variable Setup"},
        {kMotorTuning, "&Motor Tuning"},
        {kTuningHistory, "Tuning &History..."},
        {kEncoderTable, "&Encoder Conversion Table Editor"},
        kSeparator,
        {kListPlc, "List &PLC Status"},
        {kListPlcc, "List P&LCC Status"},
        {kListMotionPrograms, "List &Motion Program Status"},
        {kListAxisDefinitions, "List &Axis Definitions"},
        kSeparator,
        {kBackup, "&Backup PMAC Configuration"},
        {kRestore, "&Restore PMAC Configuration"},
        {kCompareConfiguration, "C&ompare Configuration..."},
        kSeparator,
        {kConnect, "&Connect/Disconnect from PMAC Device"}}},
      {"&Graphing",
       {{kGraphProperties, "&Graph Properties"},
        kSeparator,
        {kGatherBufferSettings, "Data Gathering &Buffer Settings"},
        {kGatherSources, "&Data Gathering Sources, Scaling, and Filtering"},
        kSeparator,
        {kReferenceSeries, "Create &Reference Series"},
        {kFrequencyResponse, "Create &Frequency Response Series"},
        {kStepMetrics, "Step &Metrics..."},
        kSeparator,
        {kExportSeriesText, "&Export Selected Data Series as Text"},
        {kImportPlotFile, "&Import PMAC Plot File (.ppl)"},
        kSeparator,
        {kSaveAllSeries, "&Save All Data Series"},
        {kLoadAllSeries, "&Load All Data Series"},
        kSeparator,
        {kPrintGraphMenu, "&Print Graph"}}},
      {"&Diagnostics",
       {{kWatchWindow, "&Watch Window"},
        {kPositionWindow, "&Position Window (Pos, Vel, F.E.)"},
        kSeparator,
        {kDiagSystem, "&System"},
        {kDiagIVariables, "&I-Variables"},
        {kDiagConnectors, "&Connectors"},
        {kDiagAccessories, "&Accessories"},
        {kDiagMotorStatus, "Motor &Status"},
        {kDiagMotorJog, "Motor &Jog Ribbon"},
        {kDiagCsPositions, "Coordinate System P&ositions"},
        {kDiagCsStatus, "Coordinate System S&tatus"},
        {kDiagExtras, "&Extras"},
        kSeparator,
        {kLoadCustomDiagnostic, "&Load Custom Diagnostic Script From File"}}},
      {"&Help",
       {{kManualContents, "&Brightlantern User's Manual (Table of contents)"},
        {kManualEditor, "&Editing Programs"},
        {kManualPlotting, "&Plotting Data"},
        {kManualTuning, "&Tuning Motors"},
        {kManualDiagnostics, "&Diagnostic Windows"},
        kSeparator,
        {kWebSite, "&Quillon Controls on the Web"},
        kSeparator,
        {kAbout, "&About ..."}}},
  };
  return kMenu;
}

std::string_view MenuText(int command) {
  if (command == 0) return {};
  for (const MenuPopup& popup : MainMenu())
    for (const MenuEntry& e : popup.entries)
      if (e.command == command) return e.text;
  return {};
}

}  // namespace bl
