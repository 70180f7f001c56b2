#include "diagnostics/watch_item_presenter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>

#include "definitions/definition_table.h"
#include "platform/desktop.h"
#include "platform/text_format.h"

namespace bl::diagnostics {

namespace {

constexpr std::size_t kFieldChars = 255;
constexpr const char* kErrorTitle = "Watch Insert/Modify Error";

std::string RealText(double v) { return platform::Format("%lf", v); }

// A real typed with "%lf"; a field that does not give a finite number keeps the previous value.
void ReadReal(const std::string& text, double& value) {
  double v = 0;
  if (platform::Scan(text, kFieldChars, "%lf", &v) == 1 && std::isfinite(v)) value = v;
}

// "%d", bounded: digits beyond an int's range do not wrap around.
void ReadPrecision(const std::string& text, int& value) {
  if (const auto v = platform::ParseNumberField(platform::Cut(text, kFieldChars), false))
    value =
        static_cast<int>(std::clamp<long long>(*v, -kWatchPrecisionLimit, kWatchPrecisionLimit));
}

}  // namespace

WatchItemPresenter::WatchItemPresenter(WatchTable& table, WatchDialogDefaults& defaults,
                                       const DefinitionTable& definitions, const int& variableCount,
                                       platform::Desktop& desktop,
                                       std::function<void(bool)> changed)
    : table_(table),
      defaults_(defaults),
      definitions_(definitions),
      variableCount_(variableCount),
      desktop_(desktop),
      changed_(std::move(changed)) {}

void WatchItemPresenter::ShowDefaults() {
  fields.item.clear();
  fields.scale = RealText(defaults_.scale);
  fields.maximum = RealText(defaults_.maximum);
  fields.minimum = RealText(defaults_.minimum);
  fields.precision = platform::Format("%d", defaults_.precision);
  fields.display = defaults_.display;
}

void WatchItemPresenter::Open(int selectedRow) {
  if (!table_.Holds(selectedRow)) {
    ShowDefaults();
    return;
  }
  const WatchItem item = table_.Copy()[static_cast<std::size_t>(selectedRow)];
  fields.item = WatchVariableName(item.variableType, item.number);
  fields.scale = RealText(item.scale);
  fields.maximum = RealText(item.maximum);
  fields.minimum = RealText(item.minimum);
  fields.precision = platform::Format("%d", item.precision);
  fields.display = item.Display();
  if (fields.display != WatchDisplay::Lamp && fields.display != WatchDisplay::Meter &&
      fields.display != WatchDisplay::Graph)
    fields.display = WatchDisplay::Value;
}

bool WatchItemPresenter::Insert() {
  ReadReal(fields.scale, defaults_.scale);
  ReadReal(fields.maximum, defaults_.maximum);
  ReadReal(fields.minimum, defaults_.minimum);
  ReadPrecision(fields.precision, defaults_.precision);
  defaults_.display = fields.display;

  WatchItem item;
  item.kind = static_cast<int>(defaults_.display);
  item.scale = defaults_.scale;
  item.maximum = defaults_.maximum;
  item.minimum = defaults_.minimum;
  item.precision = defaults_.precision;

  std::string name(platform::Cut(fields.item, kFieldChars));
  definitions_.SubstituteNames(name);
  const std::string_view letters = "PQMI";
  const std::size_t type =
      name.size() > 1
          ? letters.find(static_cast<char>(std::toupper(static_cast<unsigned char>(name[0]))))
          : std::string_view::npos;
  const auto number = type == std::string_view::npos
                          ? std::nullopt
                          : platform::ParseNumberField(std::string_view(name).substr(1), false);
  if (!number || *number < 0 || *number >= variableCount_) {
    desktop_.ShowMessage("Invalid Watch Item", kErrorTitle);
    return false;
  }
  item.variableType = static_cast<int>(type) + 1;
  item.number = static_cast<int>(*number);

  if (table_.Insert(item) == WatchTable::InsertResult::Full) {
    desktop_.ShowMessage("The Watch Window is Full", kErrorTitle);
    return false;
  }
  ShowDefaults();
  if (changed_) changed_(true);
  return true;
}

void WatchItemPresenter::Cancel() {
  if (changed_) changed_(false);
}

}  // namespace bl::diagnostics
