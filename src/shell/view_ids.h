#pragma once

namespace bl {

// The main window's views. Graph views 0..3 follow the graph type; 20..22 are the three
// spreadsheet variants (words and values, words only, values only).
inline constexpr int kViewGraphTime = 0;
inline constexpr int kViewGraphPoints = 1;
inline constexpr int kViewGraphFrequency = 2;
inline constexpr int kViewGraphXY = 3;
inline constexpr int kViewData = 10;
inline constexpr int kViewSpreadsheet = 20;
inline constexpr int kViewSpreadsheetWords = 21;
inline constexpr int kViewSpreadsheetValues = 22;
inline constexpr int kViewTerminal = 30;
inline constexpr int kViewEditor = 40;

constexpr bool IsGraphView(int view) { return view >= 0 && view <= 3; }
constexpr bool IsSpreadsheetView(int view) { return view >= 20 && view <= 22; }

// The view a toolbar command (71..80) selects, or -1.
constexpr int ViewForToolbarCommand(int command) {
  switch (command) {
    case 71:
      return kViewTerminal;
    case 72:
      return kViewEditor;
    case 73:
      return kViewData;
    case 74:
    case 75:
    case 76:
      return kViewSpreadsheet + (command - 74);
    case 77:
    case 78:
    case 79:
    case 80:
      return command - 77;
    default:
      return -1;
  }
}

// The toolbar button (0..9) that belongs to a view, or -1.
constexpr int ToolbarButtonForView(int view) {
  for (int command = 71; command <= 80; ++command)
    if (ViewForToolbarCommand(command) == view) return command - 71;
  return -1;
}

}  // namespace bl
