// The built-in diagnostic scripts of the three Turbo types against the in-process virtual
// controller of each type: every script the Diagnostics menu opens is there, every item lies on
// its page, every variable a page reads and every command a button sends is answered without an
// error, whichever motor or coordinate system the script's own buttons choose.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "diagnostics/diagnostic_buttons.h"
#include "diagnostics/diagnostic_refresh.h"
#include "diagnostics/script_test_support.h"
#include "link/fake_vendor_library.h"
#include "sim/controller.h"

namespace bl::diagnostics::test {
namespace {

struct TurboType {
  const char* shortName;
  int code;
};
constexpr TurboType kTurboTypes[] = {{"TURBO1", 4}, {"TURBO2", 5}, {"TURBO2UL", 6}};
void PrintTo(const TurboType& type, std::ostream* out) { *out << type.shortName; }

// The scripts the Diagnostics menu (and the two commands without a menu entry) open by name.
constexpr const char* kScriptNames[] = {
    "System",       "IVars",     "Connectors", "Accessories",    "MotorStatus",    "MotorJog",
    "CS_Positions", "CS_Status", "Extras",     "MotorPositions", "MotorVelocities"};

fs::path SourcePath(const TurboType& type, const char* name) {
  return fs::path(BL_SOURCE_DATA_DIR) / "Diagnostics" / "src" /
         (std::string(type.shortName) + "_" + name + ".diag");
}

DiagnosticTables CompiledSource(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  DiagnosticTables tables;
  std::string error;
  EXPECT_TRUE(CompileScriptSource(text.str(), path.string(), tables, error)) << error;
  return tables;
}

// A link to a fresh virtual controller of the type that notes every command it refuses.
class VirtualTurbo {
 public:
  explicit VirtualTurbo(int code) : controller_(code) {
    fixture_.state->responder = [this](const std::string& command) {
      const bool control = command.size() == 1 && command[0] > 0 && command[0] < 27;
      std::string reply =
          control ? controller_.RespondControl(command[0]) : controller_.Respond(command);
      if (reply.find('\a') != std::string::npos) refused.push_back(command + " -> " + reply);
      return reply;
    };
    fixture_.Connect();
  }

  PmacLink& Link() { return fixture_.link; }
  // Lets the servo run for the time given, in steps the controller takes whole.
  void Run(std::chrono::milliseconds time) {
    for (auto left = time; left.count() > 0; left -= std::chrono::milliseconds(100))
      controller_.Advance(std::min(left, std::chrono::milliseconds(100)));
  }
  double Report(const char* command) { return std::stod(controller_.Respond(command)); }
  std::size_t CommandCount() { return fixture_.state->Commands().size(); }

  std::vector<std::string> refused;

 private:
  sim::Controller controller_;
  bl::test::LinkFixture fixture_;
};

class BuiltinTurboScripts : public ::testing::TestWithParam<TurboType> {
 protected:
  ControllerType type;
  platform::FakeDesktop desktop;
  ScriptLoadContext context{desktop, type, {}, {}};
};

TEST_P(BuiltinTurboScripts, EveryMenuScriptIsShippedAndEveryItemLiesOnItsPage) {
  for (const char* name : kScriptNames) {
    const fs::path path = SourcePath(GetParam(), name);
    ASSERT_TRUE(fs::exists(path)) << path;
    const DiagnosticTables tables = CompiledSource(path);
    int width = 0;
    int height = 0;
    for (int i = 0; i < tables.itemCount; ++i) {
      const DiagnosticItem& item = tables.items[i];
      if (item.kind == kKindPage) {
        width = item.x1;
        height = item.y1;
        continue;
      }
      SCOPED_TRACE(std::string(name) + " item " + std::to_string(i));
      EXPECT_GE(item.x1, 0);
      EXPECT_GE(item.y1, 0);
      EXPECT_LE(item.x1, item.x2);
      EXPECT_LE(item.x2, width);
      EXPECT_LE(item.y2, height);
      if (item.kind != kKindLine) {
        EXPECT_LE(item.y1, item.y2);
      }
    }
  }
}

// The value boxes of the current page whose value lies outside their range (drawn yellow).
std::vector<std::string> OutOfRange(const DiagnosticScript& script) {
  std::vector<std::string> out;
  int page = 0;
  for (int i = 0; i < script.tables.itemCount; ++i) {
    const DiagnosticItem& item = script.tables.items[i];
    if (item.kind == kKindPage) ++page;
    if (page != script.currentPage || item.kind != kKindValueBox) continue;
    const double value = ItemValue(script.tables, i);
    if (!IsActive(item, value)) out.push_back(item.text1 + " = " + std::to_string(value));
  }
  return out;
}

// Each page is refreshed once as it opens and once after each button on it that chooses a
// motor or a system, so that every register an index reaches is read. A controller fresh from
// the factory holds no value outside the range of a value box.
TEST_P(BuiltinTurboScripts, EveryPageReadsWithoutAnError) {
  for (const char* name : kScriptNames) {
    SCOPED_TRACE(name);
    VirtualTurbo controller(GetParam().code);
    DiagnosticScript script;
    script.tables = CompiledSource(SourcePath(GetParam(), name));
    const int pages = PageCount(script.tables);
    int page = 0;
    for (int i = 0; i < script.tables.itemCount; ++i) {
      const DiagnosticItem& item = script.tables.items[i];
      if (item.kind == kKindPage) {
        script.currentPage = ++page;
      } else if (item.kind == kKindButton && item.mode == kActionSetVariable) {
        RunButtonAction(script, controller.Link(), context, i);
      } else {
        continue;
      }
      RefreshDiagnosticScript(script, controller.Link());
      EXPECT_EQ(OutOfRange(script), std::vector<std::string>{}) << "page " << page;
    }
    EXPECT_EQ(page, pages);
    EXPECT_EQ(controller.refused, std::vector<std::string>{});
  }
}

// A command with a variable in braces is sent once for every value the script's buttons give
// that variable.
TEST_P(BuiltinTurboScripts, EveryButtonCommandIsAccepted) {
  for (const char* name : kScriptNames) {
    SCOPED_TRACE(name);
    VirtualTurbo controller(GetParam().code);
    DiagnosticScript script;
    script.tables = CompiledSource(SourcePath(GetParam(), name));
    const DiagnosticTables& tables = script.tables;
    for (int i = 0; i < tables.itemCount; ++i) {
      const DiagnosticItem& item = tables.items[i];
      if (item.kind != kKindButton || item.mode != kActionCommand) continue;
      std::vector<int> choosers;
      for (int k = 0; k < tables.itemCount; ++k) {
        const DiagnosticItem& chooser = tables.items[k];
        if (chooser.kind != kKindButton || chooser.mode != kActionSetVariable) continue;
        const std::string& target = tables.variables[chooser.precision].name;
        if (item.command.find("{" + target + "}") != std::string::npos) choosers.push_back(k);
      }
      if (choosers.empty()) choosers.push_back(-1);
      for (int chooser : choosers) {
        if (chooser >= 0) RunButtonAction(script, controller.Link(), context, chooser);
        const std::size_t before = controller.CommandCount();
        EXPECT_TRUE(RunButtonAction(script, controller.Link(), context, i)) << item.command;
        EXPECT_EQ(controller.CommandCount(), before + 1) << item.command;
      }
    }
    EXPECT_EQ(controller.refused, std::vector<std::string>{});
  }
}

// The value of the first value text that reads the named variable, with or without a second
// variable combined with it.
double ShownValue(const DiagnosticTables& tables, const std::string& variable, bool combined) {
  for (int i = 0; i < tables.itemCount; ++i) {
    const DiagnosticItem& item = tables.items[i];
    if (item.kind != kKindValueText || item.variableA < 0) continue;
    if (tables.variables[item.variableA].name == variable && (item.variableB >= 0) == combined)
      return ItemValue(tables, i);
  }
  ADD_FAILURE() << "no value shows " << variable;
  return 0;
}

// Motor 1 jogging at its factory speed (Ix22 = 32 counts/ms, reached after Ix19 = 1/64
// counts/ms2 for 2048 ms): the scales of the panels give counts and counts/ms.
TEST_P(BuiltinTurboScripts, PanelsShowMotorOneInCountsAndCountsPerMillisecond) {
  VirtualTurbo controller(GetParam().code);
  std::string reply;
  controller.Link().PmacCommand(reply, 255, "#1J+", false);
  controller.Run(std::chrono::milliseconds(3000));
  const auto refreshed = [&](const char* name) {
    DiagnosticScript script;
    script.tables = CompiledSource(SourcePath(GetParam(), name));
    RefreshDiagnosticScript(script, controller.Link());
    return script.tables;
  };
  const double servoMs = 3713707.0 / 8388608.0;

  const DiagnosticTables velocities = refreshed("MotorVelocities");
  EXPECT_NEAR(ShownValue(velocities, "Velocity1", true), 32, 0.2);
  EXPECT_NEAR(ShownValue(velocities, "Velocity1", false), 32 * servoMs, 0.1);

  const DiagnosticTables positions = refreshed("MotorPositions");
  const double actual = controller.Report("#1P");
  EXPECT_GT(actual, 30000);
  EXPECT_NEAR(ShownValue(positions, "Actual1", false), actual, 0.5);
  EXPECT_NEAR(ShownValue(positions, "Commanded1", true), controller.Report("#1F"), 0.5);

  const DiagnosticTables connectors = refreshed("Connectors");
  EXPECT_NEAR(ShownValue(connectors, "Feedback1", false), actual, 1);
  if (GetParam().code != 6) {  // an Ultralite has no servo IC counters
    EXPECT_NEAR(ShownValue(connectors, "Encoder1", false), actual, 1);
  }

  const DiagnosticTables system = refreshed("System");
  EXPECT_NEAR(ShownValue(system, "KhzI10", true), 1 / servoMs, 1e-3);
  EXPECT_EQ(ShownValue(system, "I68", true), 16);  // coordinate systems
  EXPECT_EQ(controller.refused, std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(TurboTypes, BuiltinTurboScripts, ::testing::ValuesIn(kTurboTypes),
                         [](const auto& info) { return std::string(info.param.shortName); });

}  // namespace
}  // namespace bl::diagnostics::test
