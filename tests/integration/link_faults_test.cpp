#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "integration/fake_clock_program.h"
#include "integration/sim_process.h"
#include "sim/controller.h"
#include "sim/ethernet_server.h"


namespace bl {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kTimeoutMs = 300;
constexpr int kProblemColor = 5;

// The program without windows, connected to device 1: an Ethernet device served by a virtual
// controller on loopback whose fault switches the tests flip.
class LinkFaultsTest : public ::testing::Test, protected test::FakeClockProgram {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(server.Start(0, error)) << error;
    ConnectTo(server.Port());
  }

  void ConnectTo(std::uint16_t port) {
    DeviceConfig config;
    config.kind = DeviceConfig::Kind::Ethernet;
    config.host = "127.0.0.1";
    config.port = port;
    config.timeoutMs = kTimeoutMs;
    UseDevice(1, config);
    ASSERT_EQ(workbench.link.LinkConnect(), 0);
    where = "127.0.0.1:" + std::to_string(port);
  }

  // P1 through the link: what PmacValue gives, and the value (unchanged on failure).
  int ReadP1(double& value) { return workbench.link.PmacValue(ValueKind::P, 1, value, AccessMode::Read); }

  bool TerminalHas(const std::string& text, int color) const {
    for (int i = 0; i < Terminal::kLineCount; ++i) {
      const TerminalLine& line = workbench.terminal.Line(i);
      if (line.text == text && line.color == color) return true;
    }
    return false;
  }
  int LinesStartingWith(const std::string& prefix) const {
    int n = 0;
    for (int i = 0; i < Terminal::kLineCount; ++i)
      if (workbench.terminal.Line(i).text.starts_with(prefix)) ++n;
    return n;
  }

  sim::Controller controller{5};
  sim::EthernetServer server{controller};
  std::string where;
};

// Each way a controller or its connection can misbehave: the exchange fails within the timeout
// with a clear red line, the value read keeps its old value, the program stays connected with
// its definitions, and the link works again once the fault clears.
TEST_F(LinkFaultsTest, EachFaultFailsClearlyAndTheLinkRecovers) {
  struct Fault {
    const char* name;
    std::function<void(sim::Faults&)> set;
    const char* reason;  // how the red line ends
  };
  const Fault faults[] = {
      {"drop", [](sim::Faults& f) { f.dropConnection = true; },
       "the controller closed the connection"},
      {"drop mid-reply", [](sim::Faults& f) { f.dropMidReply = true; },
       "the controller closed the connection"},
      {"silent", [](sim::Faults& f) { f.silent = true; }, "no answer within 300 ms"},
      {"slow", [](sim::Faults& f) { f.replyDelayMs = 2000; }, "no answer within 300 ms"},
  };
  workbench.definitions.DefineLine("#define speed P10", 0, workbench.terminal);
  double value = 42;
  ASSERT_EQ(workbench.link.PmacValue(ValueKind::P, 1, value, AccessMode::WriteRead), 0);

  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.name);
    fault.set(server.faults());
    double read = -1;
    const auto start = Clock::now();
    EXPECT_EQ(ReadP1(read), -1);
    EXPECT_LT(Clock::now() - start, 2 * std::chrono::milliseconds(kTimeoutMs) + 500ms);
    EXPECT_EQ(read, -1);  // untouched
    EXPECT_TRUE(TerminalHas("connection to " + where + " lost: " + fault.reason, kProblemColor));

    server.faults().silent = false;
    server.faults().replyDelayMs = 0;
    ASSERT_EQ(ReadP1(read), 0);
    EXPECT_EQ(read, 42);
    EXPECT_TRUE(TerminalHas("connection to " + where + " restored", 13));
    EXPECT_EQ(workbench.link.PmacDevice(), 1);
    EXPECT_EQ(workbench.definitions.NameOf(VariableKind::P, 10), "speed");
  }
}

TEST_F(LinkFaultsTest, GarbageIsNoValueAndSplitRepliesAreWhole) {
  std::string expected;
  workbench.link.PmacCommand(expected, 65536, "P0..299", false);
  ASSERT_GT(expected.size(), 300u);

  server.faults().splitReplies = true;
  std::string reply;
  workbench.link.PmacCommand(reply, 65536, "P0..299", false);
  EXPECT_EQ(reply, expected);
  server.faults().splitReplies = false;

  server.faults().garbageReplies = true;
  for (int i = 0; i < 20; ++i) {
    double value = 7;
    EXPECT_EQ(ReadP1(value), -1);
    EXPECT_EQ(value, 7);
  }
  server.faults().garbageReplies = false;
  double value = -1;
  EXPECT_EQ(ReadP1(value), 0);
  EXPECT_EQ(value, 0);
}

// A controller that stays away: each exchange tries to reconnect once and fails quickly, and
// the terminal tells the same problem once, not once per exchange.
TEST_F(LinkFaultsTest, AControllerThatStaysAwayIsReportedOnce) {
  server.Stop();
  for (int i = 0; i < 5; ++i) {
    double value = 0;
    EXPECT_EQ(ReadP1(value), -1);
  }
  EXPECT_EQ(LinesStartingWith("connection to " + where + " lost: "), 2);  // the loss, the refusal
  EXPECT_TRUE(TerminalHas("connection to " + where + " lost: cannot connect to " + where +
                              ": Connection refused",
                          kProblemColor));
  EXPECT_EQ(workbench.link.PmacDevice(), 1);
}

TEST_F(LinkFaultsTest, TheProgramStaysConnectedWhileTheSimulatorIsStoppedAndRestarted) {
  auto sim = std::make_unique<SimProcess>(0);
  ASSERT_GT(sim->Port(), 0);
  ConnectTo(static_cast<std::uint16_t>(sim->Port()));
  Ask("P5=17");

  sim->Stop();
  double value = 0;
  EXPECT_EQ(ReadP1(value), -1);
  EXPECT_TRUE(TerminalHas(
      "connection to " + where + " lost: the controller closed the connection", kProblemColor));
  EXPECT_EQ(workbench.link.PmacDevice(), 1);

  const int port = std::atoi(where.c_str() + where.rfind(':') + 1);
  sim = std::make_unique<SimProcess>(port);
  ASSERT_EQ(sim->Port(), port);
  value = -1;
  EXPECT_EQ(workbench.link.PmacValue(ValueKind::P, 5, value, AccessMode::Read), 0);
  EXPECT_EQ(value, 0);  // a new controller, fresh from power-on
  EXPECT_TRUE(TerminalHas("connection to " + where + " restored", 13));
}

// A download does not hold the link: another thread's exchanges go on between its lines.
TEST(LinkDownload, OtherThreadsExchangeWhileADownloadRuns) {
  test::FakeClockProgram program;
  Workbench& workbench = program.workbench;
  ASSERT_EQ(workbench.link.LinkConnect(), 0);

  const auto file = std::filesystem::temp_directory_path() /
                    ("bl_interleave_" + std::to_string(::getpid()) + ".pmc");
  {
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < 100; ++i) out << "P" << i << "=" << i << "\r\n";
  }
  std::mutex mutex;
  std::condition_variable changed;
  bool asked = false, answered = false;
  int readResult = -1;
  std::thread other([&] {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return asked; });
    lock.unlock();
    double value = 0;
    const int result = workbench.link.PmacValue(ValueKind::I, 10, value, AccessMode::Read);
    lock.lock();
    readResult = result;
    answered = true;
    changed.notify_all();
  });
  bool answeredDuringDownload = false;
  workbench.link.Download(
      file.string(), nullptr, [&](int percent) {
        if (percent != 50) return;
        std::unique_lock lock(mutex);
        asked = true;
        changed.notify_all();
        answeredDuringDownload = changed.wait_for(lock, 5s, [&] { return answered; });
      });
  {
    std::lock_guard lock(mutex);
    asked = true;  // let the other thread finish even if the download never got half way
    changed.notify_all();
  }
  other.join();
  std::filesystem::remove(file);
  EXPECT_TRUE(answeredDuringDownload);
  EXPECT_EQ(readResult, 0);
  double last = 0;
  EXPECT_EQ(workbench.link.PmacValue(ValueKind::P, 99, last, AccessMode::Read), 0);
  EXPECT_EQ(last, 99);
}

}  // namespace
}  // namespace bl
