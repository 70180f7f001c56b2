#pragma once

namespace bl::cmd {

// Menu commands and the main window's buttons, by number: the vocabulary the frame and the
// subsystems that carry out its commands share, so it lives below both.
inline constexpr int kNewProgramFile = 32822;
inline constexpr int kOpenProgramFile = 32818;
inline constexpr int kOpenProject = 32826;
inline constexpr int kSaveProgramFile = 32820;
inline constexpr int kSaveProgramFileAs = 32823;
inline constexpr int kUploadProgramFile = 32821;
inline constexpr int kDownloadProgramFile = 32829;
inline constexpr int kDownloadEditorProgram = 32827;
inline constexpr int kPrint = 32869;
// Beyond the classic menu: the graph view as a PNG, SVG or PDF file.
inline constexpr int kExportGraph = 32950;
// Beyond the classic menu: the step metrics the time graph shows.
inline constexpr int kStepMetrics = 32951;
inline constexpr int kExit = 104;

inline constexpr int kCut = 32795;
inline constexpr int kCopy = 32796;
inline constexpr int kPaste = 32797;
inline constexpr int kDelete = 32798;
inline constexpr int kUndo = 32879;
inline constexpr int kFindReplace = 32856;
inline constexpr int kInsertP = 32866;
inline constexpr int kInsertQ = 32867;
inline constexpr int kInsertM = 32865;
inline constexpr int kInsertI = 32868;

inline constexpr int kEditorPreferences = 32819;

inline constexpr int kVariableSetup = 32814;
inline constexpr int kMotorTuning = 32812;
// Beyond the classic menu: the test moves kept with their gains.
inline constexpr int kTuningHistory = 32961;
inline constexpr int kEncoderTable = 32848;
inline constexpr int kListPlc = 32835;
inline constexpr int kListPlcc = 32860;
inline constexpr int kListMotionPrograms = 32836;
inline constexpr int kListAxisDefinitions = 32849;
inline constexpr int kBackup = 32858;
inline constexpr int kRestore = 32859;
// Beyond the classic menu: two configurations (controller or backup file) compared.
inline constexpr int kCompareConfiguration = 32960;
inline constexpr int kConnect = 32811;

inline constexpr int kGraphProperties = 32847;
inline constexpr int kGatherBufferSettings = 32828;
inline constexpr int kGatherSources = 32832;
inline constexpr int kReferenceSeries = 32899;
inline constexpr int kFrequencyResponse = 32830;
inline constexpr int kExportSeriesText = 32824;
inline constexpr int kImportPlotFile = 32816;
inline constexpr int kSaveAllSeries = 32833;
inline constexpr int kLoadAllSeries = 32834;
inline constexpr int kPrintGraphMenu = 32852;

inline constexpr int kWatchWindow = 32813;
inline constexpr int kPositionWindow = 32881;
inline constexpr int kDiagSystem = 32873;
inline constexpr int kDiagIVariables = 32880;
inline constexpr int kDiagConnectors = 32863;
inline constexpr int kDiagAccessories = 32872;
inline constexpr int kDiagMotorStatus = 32851;
inline constexpr int kDiagMotorJog = 32854;
inline constexpr int kDiagCsPositions = 32861;
inline constexpr int kDiagCsStatus = 32862;
inline constexpr int kDiagExtras = 32874;
inline constexpr int kDiagMotorPositions = 32850;
inline constexpr int kDiagMotorVelocities = 32853;
inline constexpr int kLoadCustomDiagnostic = 32825;

inline constexpr int kManualContents = 32870;
inline constexpr int kManualEditor = 32877;
inline constexpr int kManualPlotting = 32878;
inline constexpr int kManualTuning = 32875;
inline constexpr int kManualDiagnostics = 32876;
inline constexpr int kWebSite = 32871;
inline constexpr int kAbout = 103;

// Toolbar buttons 0..9 send 71..80.
inline constexpr int kToolbarFirst = 71;
inline constexpr int kToolbarLast = 80;

// Buttons of the graph and data views.
inline constexpr int kUpdateLimits = 4;
inline constexpr int kCursors = 5;
inline constexpr int kFullScreen = 7;
inline constexpr int kPrintGraph = 13;
inline constexpr int kDefineBuffer = 10;
inline constexpr int kBeginGathering = 11;
inline constexpr int kEndGathering = 12;
inline constexpr int kBufferSettings = 14;
inline constexpr int kUploadData = 15;

}  // namespace bl::cmd
