// The shipped diagnostic scripts: every source compiles, survives the loader and decompiles back
// to the same file; each controller type has the whole set the Diagnostics menu opens; the
// tables refer only to records that exist; and what the scripts read and send is accepted by
// the virtual controller of their type.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "controller/controller_type.h"
#include "diagnostics/diagnostic_buttons.h"
#include "diagnostics/diagnostic_refresh.h"
#include "diagnostics/script_loader.h"
#include "diagnostics/script_source.h"
#include "link/fake_vendor_library.h"
#include "sim/controller.h"

namespace bl::diagnostics::test {
namespace {

namespace fs = std::filesystem;

const std::set<std::string> kTypes = {"PMAC1", "PMAC2", "PMAC2UL", "TURBO1", "TURBO2", "TURBO2UL"};
// The scripts the Diagnostics menu opens by name, without ".bin".
const std::set<std::string> kBuiltinNames = {
    "System",       "IVars",     "Connectors", "Accessories",    "MotorStatus",    "MotorJog",
    "CS_Positions", "CS_Status", "Extras",     "MotorPositions", "MotorVelocities"};

struct Source {
  std::string type;  // the part of the file name before the first "_"
  std::string name;  // the rest
  std::string text;
};

std::vector<Source> ShippedSources() {
  std::vector<Source> out;
  for (const auto& entry : fs::directory_iterator(BL_DIAGNOSTIC_SOURCE_DIR)) {
    if (entry.path().extension() != ".diag") continue;
    const std::string stem = entry.path().stem().string();
    const std::size_t cut = stem.find('_');
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    out.push_back(
        {stem.substr(0, cut), cut == std::string::npos ? "" : stem.substr(cut + 1), text.str()});
  }
  return out;
}

DiagnosticTables CompileOrFail(const Source& source) {
  DiagnosticTables tables;
  std::string error;
  EXPECT_TRUE(CompileScriptSource(source.text, source.type + "_" + source.name, tables, error))
      << error;
  return tables;
}

TEST(BuiltinScripts, EachCompilesLoadsAndDecompilesToTheSameBytes) {
  for (const Source& source : ShippedSources()) {
    SCOPED_TRACE(source.type + "_" + source.name);
    const std::string bytes = EncodeScript(CompileOrFail(source));
    // As the loader takes the file.
    DiagnosticTables loaded;
    ASSERT_EQ(DecodeScript(bytes, loaded), DecodeResult::kOk);
    PrepareLoadedTables(loaded);
    EXPECT_EQ(EncodeScript(loaded), bytes) << "the load rules changed the script";
    const std::string decompiled = DecompileScript(loaded);
    DiagnosticTables again;
    std::string error;
    ASSERT_TRUE(CompileScriptSource(decompiled, "decompiled", again, error)) << error;
    EXPECT_EQ(EncodeScript(again), bytes);
  }
}

TEST(BuiltinScripts, EveryTypeWithScriptsHasTheWholeMenuSet) {
  std::map<std::string, std::set<std::string>> byType;
  for (const Source& source : ShippedSources()) {
    EXPECT_TRUE(kTypes.contains(source.type)) << "no controller type " << source.type;
    EXPECT_TRUE(kBuiltinNames.contains(source.name))
        << source.type << "_" << source.name << " is not a name the menu opens";
    byType[source.type].insert(source.name);
  }
  for (const std::string& type : kTypes) {
    const std::set<std::string>& names = byType[type];
    // Every type has its jog ribbon; a set still being written holds nothing else yet.
    EXPECT_TRUE(names.contains("MotorJog")) << type;
    if (names.size() <= 1) continue;
    EXPECT_EQ(names, kBuiltinNames) << type;
  }
}

void ExpectBitsInRange(int variable, int start, int count, const std::string& where) {
  if (variable < 0 || (start == 0 && count == 0)) return;
  EXPECT_TRUE(start >= 0 && count >= 1 && start + count <= 24)
      << where << ": bit field " << start << "," << count;
}

TEST(BuiltinScripts, ReferencesBitFieldsAndBoxesStayInRange) {
  for (const Source& source : ShippedSources()) {
    const DiagnosticTables t = CompileOrFail(source);
    const std::string file = source.type + "_" + source.name;
    const int variables = t.variableCount;
    const int pages = PageCount(t);
    for (int v = 0; v < variables; ++v) {
      const DiagnosticVariable& var = t.variables[v];
      const std::string where = file + " variable " + var.name;
      EXPECT_TRUE((var.type >= 1 && var.type <= 9) || var.type == 100) << where;
      EXPECT_TRUE(
          var.indexVariable == -1 ||
          (var.indexVariable >= 0 && var.indexVariable < variables && var.indexVariable != v))
          << where;
    }
    int pageWidth = 0, pageHeight = 0;
    for (int i = 0; i < t.itemCount; ++i) {
      const DiagnosticItem& item = t.items[i];
      const std::string where = file + " item " + std::to_string(i);
      if (item.kind == kKindPage) {
        pageWidth = item.x1;
        pageHeight = item.y1;
        continue;
      }
      EXPECT_TRUE(item.kind >= kKindShape && item.kind <= kKindStripChart) << where;
      EXPECT_TRUE(item.variableA >= -1 && item.variableA < variables) << where;
      EXPECT_TRUE(item.variableB >= -1 && item.variableB < variables) << where;
      ExpectBitsInRange(item.variableA, item.startBitA, item.bitCountA, where);
      ExpectBitsInRange(item.variableB, item.startBitB, item.bitCountB, where);
      if (item.kind == kKindShape && item.precision != 0) {
        // A parent is another shape, and the chain ends.
        ASSERT_TRUE(item.precision > 0 && item.precision < t.itemCount) << where;
        EXPECT_EQ(t.items[item.precision].kind, kKindShape) << where;
        EXPECT_NE(item.precision, i) << where;
      }
      if (item.kind == kKindButton && item.mode == kActionSetVariable) {
        EXPECT_TRUE(item.precision >= 0 && item.precision < variables) << where;
      }
      if (item.kind == kKindButton && item.mode == kActionGoToPage) {
        EXPECT_TRUE(item.argument >= 1 && item.argument <= pages) << where;
      }
      // Shapes and lines may move or decorate; everything else is drawn in its page.
      if (item.kind != kKindShape && item.kind != kKindLine) {
        EXPECT_TRUE(item.x1 >= 0 && item.x1 < item.x2 && item.x2 <= pageWidth && item.y1 >= 0 &&
                    item.y1 < item.y2 && item.y2 <= pageHeight)
            << where << ": box " << item.x1 << "," << item.y1 << "," << item.x2 << "," << item.y2
            << " outside the page " << pageWidth << "x" << pageHeight;
      }
    }
  }
}

// Every page of a type's scripts read through the link from that type's virtual controller,
// and every command button clicked, under each choice the script's set-variable buttons offer:
// the controller refuses none of it.
TEST(BuiltinScripts, NonTurboScriptsReadAndSendOnlyWhatTheControllerAccepts) {
  const std::map<std::string, int> codes = {{"PMAC1", 1}, {"PMAC2", 2}, {"PMAC2UL", 3}};
  for (const Source& source : ShippedSources()) {
    const auto code = codes.find(source.type);
    if (code == codes.end()) continue;
    const std::string file = source.type + "_" + source.name;
    SCOPED_TRACE(file);
    bl::test::LinkFixture fixture;
    sim::Controller controller{code->second};
    std::vector<std::string> refused;
    fixture.state->responder = [&](const std::string& command) {
      const bool control = command.size() == 1 && command[0] > 0 && command[0] < 32;
      std::string reply =
          control ? controller.RespondControl(command[0]) : controller.Respond(command);
      if (reply.find('\a') != std::string::npos) refused.push_back(command);
      return reply;
    };
    fixture.Connect();
    ControllerType type;
    ScriptLoadContext context{fixture.desktop, type, {}, {}};
    DiagnosticScript script;
    script.tables = CompileOrFail(source);
    const DiagnosticTables& t = script.tables;

    std::vector<int> commandButtons;
    std::vector<std::pair<int, int>> choices = {{-1, 0}};  // (variable, value); -1: as loaded
    for (int i = 0; i < t.itemCount; ++i) {
      const DiagnosticItem& item = t.items[i];
      if (item.kind != kKindButton) continue;
      if (item.mode == kActionCommand) commandButtons.push_back(i);
      if (item.mode == kActionSetVariable) choices.emplace_back(item.precision, item.argument);
    }
    for (int page = 1; page <= PageCount(t); ++page) {
      script.currentPage = page;
      RefreshDiagnosticScript(script, fixture.link);
    }
    for (const auto& [variable, value] : choices) {
      if (variable >= 0) script.tables.variables[variable].value = value;
      for (int button : commandButtons) {
        const std::size_t before = fixture.state->Commands().size();
        EXPECT_TRUE(RunButtonAction(script, fixture.link, context, button)) << "item " << button;
        EXPECT_GT(fixture.state->Commands().size(), before) << "item " << button << " sent nothing";
      }
    }
    EXPECT_TRUE(refused.empty()) << "refused: " << ::testing::PrintToString(refused);
  }
}

// The value of the first item of the kind that reads variable A (and B, when named) by name.
double ReadingOf(const DiagnosticTables& t, int kind, const std::string& a,
                 const std::string& b = "") {
  for (int i = 0; i < t.itemCount; ++i) {
    const DiagnosticItem& item = t.items[i];
    if (item.kind != kind || item.variableA < 0 || t.variables[item.variableA].name != a) continue;
    if (!b.empty() && (item.variableB < 0 || t.variables[item.variableB].name != b)) continue;
    return ItemValue(t, i);
  }
  ADD_FAILURE() << "no item reads " << a << " " << b;
  return 0;
}

// A motor jogged to a place and then at its jog speed shows up in the units the labels name:
// counts, counts per ms, and the coordinate system it was put in.
TEST(BuiltinScripts, NonTurboScalesShowCountsCountsPerMsAndSystems) {
  const std::map<std::string, int> codes = {{"PMAC1", 1}, {"PMAC2", 2}, {"PMAC2UL", 3}};
  std::map<std::string, DiagnosticTables> scripts;
  for (const Source& source : ShippedSources())
    if (codes.contains(source.type))
      scripts[source.type + "_" + source.name] = CompileOrFail(source);
  for (const auto& [typeName, code] : codes) {
    SCOPED_TRACE(typeName);
    if (!scripts.contains(typeName + "_MotorPositions")) continue;
    bl::test::LinkFixture fixture;
    sim::Controller controller{code};
    fixture.state->responder = [&](const std::string& c) { return controller.Respond(c); };
    fixture.Connect();
    const auto refresh = [&](const std::string& name) {
      DiagnosticScript script;
      script.tables = scripts.at(typeName + "_" + name);
      RefreshDiagnosticScript(script, fixture.link);
      return script.tables;
    };
    // Motor 2 in system 1, jogged to 1000 counts and at rest there.
    controller.Respond("&1 #2->1000X #2J=1000");
    controller.Advance(std::chrono::seconds(2));
    DiagnosticTables t = refresh("MotorPositions");
    EXPECT_NEAR(ReadingOf(t, kKindValueText, "Act2"), 1000, 0.5);
    EXPECT_NEAR(ReadingOf(t, kKindValueText, "Cmd2", "Act2"), 0, 0.5);
    EXPECT_NEAR(ReadingOf(t, kKindValueText, "Act1"), 0, 0.5);

    t = refresh("CS_Positions");
    const auto inSystem = [&t](int motor) {
      const double v = ReadingOf(t, kKindShape, "M" + std::to_string(motor) + "Y", "CS");
      for (int i = 0; i < t.itemCount; ++i)
        if (t.items[i].kind == kKindShape && t.items[i].variableA >= 0 &&
            t.variables[t.items[i].variableA].name == "M" + std::to_string(motor) + "Y")
          return v >= t.items[i].minimum && v <= t.items[i].maximum;
      return false;
    };
    EXPECT_TRUE(inSystem(2));
    EXPECT_FALSE(inSystem(1));

    // At the jog speed Ix22 = 32 counts per ms, reached at Ix19 = 1/64 count/ms² in about 2 s.
    controller.Respond("#2J+");
    controller.Advance(std::chrono::seconds(3));
    t = refresh("MotorVelocities");
    EXPECT_NEAR(ReadingOf(t, kKindValueText, "Vel2", "I10"), 32, 0.1);
    EXPECT_NEAR(ReadingOf(t, kKindValueText, "Vel2"), 32 * 3713707 / 8388608.0, 0.05);
  }
}

}  // namespace
}  // namespace bl::diagnostics::test
