#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "definitions/definition_table.h"
#include "link/dynamic_vendor_library.h"
#include "link/pmac_link.h"
#include "platform/fake/fake_desktop.h"
#include "terminal_lines/terminal_lines.h"

namespace bl::test {
namespace {

using ::testing::ElementsAre;

// Folders prepared by the build: both names, only the second name, a library lacking an entry
// point, and none at all.
struct DynamicLink {
  explicit DynamicLink(const char* folder)
      : link(terminal, definitions, desktop, DynamicVendorLibraryLoader(folder)) {}
  Terminal terminal;
  DefinitionTable definitions;
  platform::FakeDesktop desktop;
  PmacLink link;

  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    for (const auto& m : desktop.messages) out.push_back(m.title + ": " + m.text);
    return out;
  }
};

TEST(DynamicVendorLibrary, BindsByNameAndPassesCommandsAndCallbacks) {
  DynamicLink d(BL_STANDIN_FULL_DIR);
  ASSERT_EQ(d.link.LinkConnect(), 0);
  EXPECT_THAT(d.Messages(),
              ElementsAre("Connected to PMAC!: The PMAC device was loaded successfully."));
  EXPECT_EQ(d.link.PmacDevice(), 1) << "the first name is preferred";

  std::string reply;
  d.link.PmacCommand(reply, 99, "P1", false);
  EXPECT_EQ(reply, "ECHO1:P1\r\x06");
  // The library is held to the buffer size it is given.
  d.link.PmacCommand(reply, 6, "P1", false);
  EXPECT_EQ(reply, "ECHO1");
  EXPECT_EQ(d.link.RawResponse("LIST PLC0", 255), "ECHO1:LIST PLC0\r\x06");
  EXPECT_FALSE(d.link.InBootStrapMode());

  std::vector<std::string> messages;
  std::vector<int> progress;
  const auto onMessage = [&](std::string_view text) { messages.emplace_back(text); };
  d.link.Download("/data/prog.pmc", onMessage, [&](int percent) { progress.push_back(percent); });
  EXPECT_THAT(messages, ElementsAre("Downloading /data/prog.pmc", "Done"));
  EXPECT_THAT(progress, ElementsAre(50, 100));

  // Aborting from inside the progress callback reaches the library during its own call.
  messages.clear();
  progress.clear();
  d.link.Download("/data/prog.pmc", onMessage, [&](int percent) {
    progress.push_back(percent);
    d.link.AbortDownload();
  });
  EXPECT_THAT(messages, ElementsAre("Downloading /data/prog.pmc"));
  EXPECT_THAT(progress, ElementsAre(50));

  EXPECT_EQ(d.link.LinkDisconnect(), 0);
}

TEST(DynamicVendorLibrary, FallsBackToTheSecondName) {
  DynamicLink d(BL_STANDIN_SECOND_DIR);
  EXPECT_EQ(d.link.LinkConnect(), 0);
  EXPECT_EQ(d.link.PmacDevice(), 2);
}

TEST(DynamicVendorLibrary, MissingEntryPointOrLibraryIsReported) {
  DynamicLink missing(BL_STANDIN_MISSING_DIR);
  EXPECT_EQ(missing.link.LinkConnect(), -1);
  EXPECT_THAT(missing.Messages(), ElementsAre("Error connecting to PMAC!: Unable to locate "
                                              "required functions within PMAC.DLL."));

  DynamicLink none(BL_STANDIN_NONE_DIR);
  EXPECT_EQ(none.link.LinkConnect(), -1);
  EXPECT_THAT(none.Messages(), ElementsAre("Error connecting to PMAC!: Unable to locate either "
                                           "Pcomm32W or PComm32.DLL."));

  // Still usable afterwards: not connected.
  std::string reply;
  none.link.PmacCommand(reply, 255, "P1", false);
  EXPECT_EQ(reply, kNotConnectedReply);
}

}  // namespace
}  // namespace bl::test
