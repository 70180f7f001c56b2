#include <gtest/gtest.h>

#include <thread>

#include "link/fake_vendor_library.h"

namespace bl::test {
namespace {

// The user-interface thread and the monitor thread share one link: their exchanges must never
// overlap inside the library, and nothing may reach the library once the device is closed.
TEST(LinkConcurrency, ExchangesOfTwoThreadsNeverInterleave) {
  LinkFixture f;
  f.state->recordCommands = false;
  f.state->responder = [](const std::string&) { return std::string("1\r\x06"); };
  f.definitions.DefineLine("#define speed P10", 0, f.terminal);
  f.Connect();

  constexpr int kRounds = 400;
  std::thread monitor([&] {
    for (int i = 0; i < kRounds; ++i) {
      double value = 0;
      f.link.PmacValue(ValueKind::XYPair, 100, value, AccessMode::Read);
      std::string reply;
      f.link.PmacCommand(reply, 99, "speed", false);
    }
  });
  std::thread user([&] {
    for (int i = 0; i < kRounds; ++i) {
      double value = i;
      f.link.PmacValue(ValueKind::P, 1, value, AccessMode::WriteRead);
      std::string reply;
      f.link.PmacCommand(reply, 255, "I10", false);
      if (i == kRounds / 2) f.link.LinkDisconnect();
    }
  });
  monitor.join();
  user.join();

  EXPECT_EQ(f.state->overlaps, 0);
  EXPECT_EQ(f.state->callsAfterClose, 0);
  EXPECT_EQ(f.link.PmacDevice(), -1);
}

}  // namespace
}  // namespace bl::test
