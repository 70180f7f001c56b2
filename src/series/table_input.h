#pragma once

namespace bl::series {

// The keys the data window and the spreadsheet act on; the Qt hosts translate theirs to these.
enum class TableKey {
  Enter,
  Space,
  Up,
  Down,
  Left,
  Right,
  PageUp,
  PageDown,
  Delete,
  Insert,
  Other
};

// Control characters as the character events deliver them.
inline constexpr char kCtrlC = 3;
inline constexpr char kCtrlV = 22;
inline constexpr char kCtrlX = 24;

}  // namespace bl::series
