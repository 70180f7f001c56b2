// The refresh of a diagnostic window's variables against the in-process virtual controller,
// with the commands it sends recorded in order.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

#include "diagnostics/diagnostic_buttons.h"
#include "diagnostics/diagnostic_refresh.h"
#include "diagnostics/script_test_support.h"
#include "link/fake_vendor_library.h"
#include "sim/controller.h"

namespace bl::diagnostics::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kPanel[] = R"(
variable Motor type=internal value=2
variable Gain type=I number=8 index=Motor multiplier=100
variable Speed type=P number=10 index=Motor
variable Word type=XS number=$1F00
variable Far type=Q number=7 value=4
variable Loop1 type=P number=1 index=Loop2
variable Loop2 type=P number=2 index=Loop1
page
value var=Speed var-b=Gain
bits var=Word bits=0,24
value var=Speed
value var=Loop1 var-b=@1000
page
value var=Far
chart var=Speed scale=2
)";

// The virtual controller answers every exchange of a link that records them.
class RefreshTest : public ::testing::Test, public bl::test::LinkFixture {
 protected:
  RefreshTest() {
    state->responder = [this](const std::string& command) {
      if (before) before(command);
      return controller.Respond(command);
    };
    Connect();
    Send("P12=42.5 I208=3 P2=5 P6=66 Q7=9");
    controller.WriteX(0x1F00, 0xFFFFFF);
    std::lock_guard lock(script.mutex);
    script.tables = Compiled(kPanel);
  }
  void Send(const char* command) {
    std::string reply;
    link.PmacCommand(reply, 255, command, false);
  }
  std::vector<std::string> Refresh() {
    const std::size_t sent = state->Commands().size();
    RefreshDiagnosticScript(script, link);
    const std::vector<std::string> all = state->Commands();
    return {all.begin() + static_cast<std::ptrdiff_t>(sent), all.end()};
  }
  const DiagnosticVariable& Variable(int i) { return script.tables.variables[i]; }

  sim::Controller controller{5};
  std::function<void(const std::string&)> before;  // runs inside an exchange
  DiagnosticScript script;
};

TEST_F(RefreshTest, CurrentPageOnlyIndexVariablesFirstEachVariableOnce) {
  // Speed after its index Motor (internal: no exchange), Gain with the same index and the word
  // on one line, Speed not again; then the loop of index variables, one at a time, each after
  // its index variable, ending with the value Loop1 had.
  EXPECT_THAT(Refresh(), ElementsAre("P12 I208 RX:7936", "P2", "P6"));
  std::unique_lock lock(script.mutex);
  EXPECT_EQ(Variable(0).value, 2);
  EXPECT_EQ(Variable(1).value, 3);
  EXPECT_EQ(Variable(2).value, 42.5);
  EXPECT_EQ(Variable(3).value, -1);  // the signed 24-bit word
  EXPECT_EQ(Variable(5).value, 66);
  EXPECT_EQ(Variable(6).value, 5);
  for (int i : {0, 1, 2, 3, 5, 6}) EXPECT_EQ(Variable(i).readFlag, 1) << i;
  EXPECT_EQ(Variable(4).readFlag, 0);  // page 2 only
  EXPECT_EQ(Variable(4).value, 4);
  EXPECT_EQ(ItemValue(script.tables, 1), 45.5);
  // Strip charts on every page take a sample each refresh.
  EXPECT_EQ(script.tables.items[7].history[49], 85.0f);

  script.currentPage = 2;
  lock.unlock();
  Send("P12=7");
  EXPECT_THAT(Refresh(), ElementsAre("Q7 P12"));
  lock.lock();
  EXPECT_EQ(Variable(4).value, 9);
  EXPECT_EQ(Variable(1).readFlag, 0) << "flags are cleared each refresh";
  EXPECT_EQ(script.tables.items[7].history[48], 85.0f);
  EXPECT_EQ(script.tables.items[7].history[49], 14.0f);
}

// Many variables of every kind go out some to a line and read what each read alone gives; a
// line the controller refuses is asked again one variable at a time, so that only the variable
// it cannot read shows 0.
TEST_F(RefreshTest, ReadsGoSeveralToALineAndARefusedLineOneByOne) {
  std::string source;
  const char* types[] = {"P", "Q", "M", "I", "X", "Y", "XS", "YS", "D"};
  for (int i = 0; i < 60; ++i)
    source += "variable V" + std::to_string(i) + " type=" + types[i % 9] +
              " number=" + std::to_string(i % 9 >= 4 ? 0x1F00 + i : 100 + i) + "\n";
  source += "variable Bad type=I number=99999\npage\n";
  for (int i = 0; i < 60; ++i) source += "value var=V" + std::to_string(i) + "\n";
  Send("P100..199=7.25 Q100..199=-3 WX:$1F00,1,2,3,4,5,6,7,8,9,10,11,12");
  for (int a = 0x1F00; a < 0x1F40; ++a) controller.WriteY(a, a * 3);
  {
    std::lock_guard lock(script.mutex);
    script.tables = Compiled(source);
  }
  const std::vector<std::string> lines = Refresh();
  EXPECT_GE(lines.size(), 3u);
  EXPECT_LT(lines.size(), 8u) << "60 variables take a few lines";
  for (const std::string& line : lines) EXPECT_LE(line.size(), 200u) << line;

  std::vector<double> alone(60);
  for (int i = 0; i < 60; ++i) {
    std::lock_guard lock(script.mutex);
    const DiagnosticVariable& v = Variable(i);
    ASSERT_EQ(link.PmacValue(static_cast<ValueKind>(v.type), v.number, alone[i], AccessMode::Read),
              0)
        << v.name;
  }
  {
    std::lock_guard lock(script.mutex);
    for (int i = 0; i < 60; ++i) {
      EXPECT_EQ(Variable(i).value, alone[i]) << Variable(i).name;
      EXPECT_EQ(Variable(i).readFlag, 1) << Variable(i).name;
    }
    EXPECT_EQ(Variable(0).value, 7.25);
    EXPECT_EQ(Variable(1).value, -3);
    EXPECT_EQ(Variable(4).value, 5);                                // an X word
    EXPECT_EQ(Variable(5).value, static_cast<double>(0x1F05 * 3));  // a Y word
    EXPECT_EQ(Variable(8).value, 9.0 * 16777216 + 0x1F08 * 3);      // the X:Y pair
  }

  // The refused variable shown first: its line is asked again variable by variable.
  {
    std::lock_guard lock(script.mutex);
    script.tables = Compiled(source + "value var=Bad\n");
    std::swap(script.tables.items[1].variableA, script.tables.items[61].variableA);
  }
  const std::vector<std::string> again = Refresh();
  ASSERT_FALSE(again.empty());
  EXPECT_EQ(again[0].rfind("I99999 ", 0), 0u) << again[0];
  EXPECT_THAT(again, ::testing::Contains("I99999"));
  EXPECT_THAT(again, ::testing::Contains("Q101")) << "the rest of its line, alone";
  std::lock_guard lock(script.mutex);
  EXPECT_EQ(Variable(60).value, 0);
  EXPECT_EQ(Variable(60).readFlag, 1);
  for (int i = 0; i < 60; ++i) EXPECT_EQ(Variable(i).value, alone[i]) << Variable(i).name;
}

TEST_F(RefreshTest, UnreadableVariablesShowZeroAndInternalOnesKeepTheirValue) {
  link.LinkDisconnect();
  EXPECT_THAT(Refresh(), IsEmpty());
  std::lock_guard lock(script.mutex);
  EXPECT_EQ(Variable(0).value, 2);
  EXPECT_EQ(Variable(2).value, 0);
  EXPECT_EQ(Variable(3).value, 0);
}

TEST_F(RefreshTest, AScriptLoadedDuringTheRefreshIsNotWrittenInto) {
  before = [this](const std::string& command) {
    if (command.rfind("P12", 0) != 0) return;
    std::lock_guard lock(script.mutex);
    script.tables = Compiled("variable Other type=P number=1 value=8\npage\nchart var=Other");
    ++script.generation;
  };
  Refresh();
  std::lock_guard lock(script.mutex);
  EXPECT_EQ(Variable(0).value, 8);
  EXPECT_EQ(Variable(0).readFlag, 0);
  EXPECT_EQ(script.tables.items[1].history[49], 0.0f);
}

TEST_F(RefreshTest, ClicksAndPaintingBesideTheMonitorThread) {
  {
    std::lock_guard lock(script.mutex);
    script.tables = Compiled(R"(
variable Motor type=internal value=1
variable Speed type=P number=10 index=Motor
page
button action=set target=Motor set=2 command="#{Motor}J/"
button command="P{Motor}=1"
chart var=Speed
)");
  }
  ControllerType type;
  ScriptLoadContext context{desktop, type, {}, {}};
  std::thread monitor([this] {
    for (int i = 0; i < 50; ++i) RefreshDiagnosticScript(script, link);
  });
  double sum = 0;
  for (int i = 0; i < 50; ++i) {
    RunButtonAction(script, link, context, 1 + i % 2);
    std::lock_guard lock(script.mutex);
    sum += ItemValue(script.tables, 3) + script.tables.items[3].history[0];
  }
  monitor.join();
  std::lock_guard lock(script.mutex);
  EXPECT_EQ(Variable(0).value, 2);
  EXPECT_GE(sum, 0);
}

TEST(ShippedMotorJog, ReadsMotorOneRegistersOfItsType) {
  const struct {
    const char* type;
    int code;
    std::vector<std::string> reads;
  } cases[] = {{"TURBO2", 5, {"RHX:139 RHY:139 RX:176 I122"}},
               {"PMAC2", 2, {"RHX:43 RHY:43 RX:61 I122"}}};
  for (const auto& c : cases) {
    bl::test::LinkFixture fixture;
    sim::Controller controller{c.code};
    fixture.state->responder = [&controller](const std::string& command) {
      return controller.Respond(command);
    };
    fixture.Connect();
    std::ifstream in(fs::path(BL_SOURCE_DATA_DIR) / "Diagnostics" / "src" /
                     (std::string(c.type) + "_MotorJog.diag"));
    std::stringstream source;
    source << in.rdbuf();
    DiagnosticScript script;
    script.tables = Compiled(source.str());
    RefreshDiagnosticScript(script, fixture.link);
    EXPECT_EQ(fixture.state->Commands(), c.reads) << c.type;
    ControllerType type;
    ScriptLoadContext context{fixture.desktop, type, {}, {}};
    EXPECT_TRUE(RunButtonAction(script, fixture.link, context, 9));  // Jog +
    EXPECT_EQ(fixture.state->Commands().back(), "#1J+");
  }
}

}  // namespace
}  // namespace bl::diagnostics::test
