#include <gtest/gtest.h>

#include "controller/connect_presenter.h"
#include "controller/controller_type.h"
#include "fake_vendor_library.h"

namespace bl {
namespace {

class ConnectPresenterTest : public ::testing::Test, public test::LinkFixture {
 protected:
  ControllerType type;
  int identified = 0;
  ConnectPresenter connect{link, type, [this] { ++identified; }};
  WorkOfflinePresenter offline{link, type, [this] { ++identified; }};
};

TEST_F(ConnectPresenterTest, ConnectAndDisconnect) {
  EXPECT_EQ(connect.StatusText(), "Not connected to a PMAC device.");
  EXPECT_TRUE(connect.ConnectEnabled());
  EXPECT_TRUE(connect.WorkOfflineEnabled());
  EXPECT_FALSE(connect.DisconnectEnabled());

  state->selection = 3;
  EXPECT_EQ(connect.Connect(), ConnectPresenter::Outcome::Connected);
  EXPECT_EQ(identified, 1);
  EXPECT_EQ(connect.StatusText(), "Connected to PMAC device number 3.");
  EXPECT_FALSE(connect.ConnectEnabled());
  EXPECT_TRUE(connect.DisconnectEnabled());

  connect.Disconnect();
  EXPECT_EQ(link.PmacDevice(), -1);
  EXPECT_EQ(connect.StatusText(), "Not connected to a PMAC device.");

  state->opens = false;  // the dialog stays after a failed connection
  EXPECT_EQ(connect.Connect(), ConnectPresenter::Outcome::Stay);
  EXPECT_EQ(identified, 1);
}

TEST_F(ConnectPresenterTest, CancellingWithoutATypeLeadsToWorkOffline) {
  EXPECT_EQ(connect.Cancel(), ConnectPresenter::Outcome::OpenWorkOffline);
  offline.Cancel();
  EXPECT_EQ(identified, 1);
  type.typeCode = 1;  // what identification makes of no type
  EXPECT_EQ(connect.Cancel(), ConnectPresenter::Outcome::Closed);
}

TEST_F(ConnectPresenterTest, WorkOfflineChoosesATypeAndNeverKeepsADevice) {
  Connect(1);
  offline.Choose(4);
  EXPECT_EQ(type.typeCode, 4);
  EXPECT_EQ(link.PmacDevice(), -1);
  EXPECT_EQ(state->closed, std::vector<int>{1});  // the open device was closed, not abandoned
  EXPECT_EQ(identified, 1);

  const auto& choices = WorkOfflinePresenter::Choices();
  ASSERT_EQ(choices.size(), 6u);
  EXPECT_STREQ(choices[4].button, "PMAC2 Turbo");
  EXPECT_EQ(choices[4].boards.size(), 4u);
  EXPECT_STREQ(choices[4].boards[3], "Turbo PMAC2 3U (UMAC)");
}

}  // namespace
}  // namespace bl
