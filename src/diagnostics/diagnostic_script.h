#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace bl::diagnostics {

// Room in each of the two tables a script fills.
inline constexpr int kDiagnosticTableSize = 1000;
inline constexpr int kHistorySamples = 50;

// Item kinds; 0 ends the item list.
inline constexpr int kKindEnd = 0;
inline constexpr int kKindPage = 1;
inline constexpr int kKindShape = 2;
inline constexpr int kKindButton = 3;
inline constexpr int kKindGauge = 4;
inline constexpr int kKindValueText = 5;
inline constexpr int kKindLine = 6;
inline constexpr int kKindSlider = 7;
inline constexpr int kKindBitDisplay = 8;
inline constexpr int kKindValueBox = 9;
inline constexpr int kKindStripChart = 10;

// Button actions (the mode of a kind-3 item).
inline constexpr int kActionCommand = 0;
inline constexpr int kActionSetVariable = 1;
inline constexpr int kActionGoToPage = 2;
inline constexpr int kActionOpenScript = 3;

// Variable types.
inline constexpr int kVariableInternal = 100;
inline constexpr int kVariableDoubleWord = 9;

// Texts of an item hold at most 255 characters (a 256-byte field with its NUL), a variable's
// name at most 35.
inline constexpr std::size_t kItemTextLimit = 255;
inline constexpr std::size_t kVariableNameLimit = 35;

// Page records are limited so that a damaged script cannot ask for a window of absurd size; item
// coordinates and motion amounts so that the painter's sums stay far from overflow; the shape
// parameters so that tick and grid counts stay drawable.
inline constexpr int kMinPageWidth = 35;
inline constexpr int kMaxPageSize = 4000;
inline constexpr int kCoordinateLimit = 32767;
inline constexpr int kParameterLimit = 1000;

struct DiagnosticItem {
  int kind = kKindEnd;
  int style = 0;
  int x1 = 0;  // page records: the page width
  int y1 = 0;  // page records: the page height
  int x2 = 0;
  int y2 = 0;
  int angle = 0;
  int mode = 0;  // shapes: motion; buttons: action
  int parameter1 = 0;
  int parameter2 = 0;
  int outlineNormal = 0;
  int outlineActive = 0;
  int fillNormal = 0;
  int fillActive = 0;
  int font = 0;
  int alignment = 0;
  int precision = 0;  // shapes: parent item; set-variable buttons: target variable
  int argument = 0;   // shapes: motion at the maximum; buttons: value to set or page
  int motionStart = 0;
  int variableA = -1;
  int variableB = -1;
  int startBitA = 0;
  int bitCountA = 0;
  int startBitB = 0;
  int bitCountB = 0;
  double scaleA = 0;
  double scaleB = 0;
  int operation = 0;
  double maximum = 0;
  double minimum = 0;
  std::string text1;    // at most kItemTextLimit characters, no NUL
  std::string text2;    // likewise
  std::string command;  // likewise
  // Strip charts: the last samples, oldest first. Run-time only.
  std::array<float, kHistorySamples> history{};
};

struct DiagnosticVariable {
  int type = 0;
  int number = 0;
  int indexVariable = -1;
  int multiplier = 0;
  double value = 0;
  int readFlag = 0;  // run-time
  std::string name;  // at most kVariableNameLimit characters, no NUL
};

// The two tables of the loaded script, always kDiagnosticTableSize records each.
struct DiagnosticTables {
  DiagnosticTables();
  std::vector<DiagnosticItem> items;
  std::vector<DiagnosticVariable> variables;
  // How many records of each the script file held (at most kDiagnosticTableSize); what
  // EncodeScript writes.
  int itemCount = 0;
  int variableCount = 0;
};

// The diagnostic window's records for the whole run: the tables, the current page and the folder
// of the current script. The monitor thread refreshes values while the user-interface thread
// paints, clicks and loads, so the tables are only touched with `mutex` held; the refresh does its
// controller exchanges without it (see RefreshDiagnosticScript).
struct DiagnosticScript {
  mutable std::mutex mutex;
  DiagnosticTables tables;  // guarded by mutex
  // Counts the loads, so that a refresh that began before one does not store into the new
  // script. Guarded by mutex.
  unsigned generation = 0;
  int currentPage = 1;  // guarded by mutex
  // The folder of the script opened last, ending in its separator; user-interface thread only.
  std::string scriptFolder;
};

// --- The file format --------------------------------------------------------------------------

inline constexpr char kDiagnosticMagic[] = "Brightlantern Diagnostic Window Version 1.01";
inline constexpr std::size_t kHeaderSize = 256;
inline constexpr std::size_t kItemRecordSize = 1168;
inline constexpr std::size_t kVariableRecordSize = 64;
inline constexpr std::size_t kTextFieldSize = 256;
inline constexpr std::size_t kNameFieldSize = 36;
// No script needs more than its two full tables; anything larger is refused unread.
inline constexpr std::size_t kMaxScriptFileBytes = std::size_t{64} << 20;

// The file for the tables' first itemCount items and variableCount variables (a count of 0
// is written as -1, no records). Texts are cut to their fields; histories and read flags are
// written as zeros, since they are run-time only.
std::string EncodeScript(const DiagnosticTables& tables);

enum class DecodeResult { kOk, kBadHeader, kTruncated };

// Fills tables (cleared first, whatever the result) from a file's bytes. The header's text must
// be the magic; counts above 999 keep the first 1000 records and skip the rest, negative counts
// mean none. A file that ends before the records its counts announce is kTruncated and leaves
// the tables cleared. Texts without a NUL are cut at the end of their field. Nothing of the
// loader's run-time rules is applied here (see PrepareLoadedTables).
DecodeResult DecodeScript(std::string_view bytes, DiagnosticTables& tables);

// The loader's rules after reading: strip-chart histories cleared, item 0 made a page of at
// least kMinPageWidth × 1, page sizes limited to kMaxPageSize, coordinates and motion amounts
// to ±kCoordinateLimit, shape parameters to 0..kParameterLimit.
void PrepareLoadedTables(DiagnosticTables& tables);

// --- Values -------------------------------------------------------------------------------------

// A bit field of a value: start 0 and count 0 give the value unchanged; a field outside bits
// 0..23 gives 0; otherwise the bits of the value truncated to a 32-bit integer, two's complement
// with its top bit as the sign when isSigned.
double BitField(double value, int start, int count, bool isSigned);

// The item's value from the variables (0 for an index outside the table).
double ItemValue(const DiagnosticTables& tables, int itemIndex);

// Whether the item shows its active state for the given value: variable A set and the value in
// minimum..maximum (or, when both are equal, at or above the maximum).
bool IsActive(const DiagnosticItem& item, double value);

// The page an item belongs to (1 for the first page record), 0 for items after the end of the
// list, and for an index outside the table.
int PageOfItem(const DiagnosticTables& tables, int itemIndex);
// The number of pages in the item list.
int PageCount(const DiagnosticTables& tables);

// The chain of parents whose motion applies to a shape, nearest first: indices 1..998 only, and
// each item at most once, so that a damaged script with a cycle of parents ends.
std::vector<int> ParentChain(const DiagnosticTables& tables, int itemIndex);

}  // namespace bl::diagnostics
