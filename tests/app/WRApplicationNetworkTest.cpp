// The application's TCP/IP screens: joining with a typed address (remembered in the options,
// checked field by field), the hosting screen's addresses, and the transfer progress bar.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/ShellRig.h"
#include "app/TransferProgressView.h"
#include "framework/media/NetLink.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GTextEntry.h"
#include "platform/PNetHost.h"
#include "platform/PNetMemoryTransport.h"

namespace {

std::vector<GTextEntry*> AddressFields(GView* screen) {
  std::vector<GTextEntry*> fields;
  for (int32_t i = 0; i < screen->GetChildCount(); ++i)
    if (auto* e = dynamic_cast<GTextEntry*>(screen->GetChild(i))) fields.push_back(e);
  return fields;
}

std::vector<std::string> Labels(GView* screen) {
  std::vector<std::string> texts;
  for (int32_t i = 0; i < screen->GetChildCount(); ++i)
    if (auto* l = dynamic_cast<GLabel*>(screen->GetChild(i))) texts.push_back(l->GetText().CStr());
  return texts;
}

void Type(GTextEntry* field, const char* text) {
  field->Clear();
  GString255 s;
  s.Assign(text);
  field->AppendText(&s);
}

class NetworkScreens : public ::testing::Test {
 protected:
  void SetUp() override {
    NetSetTransport(&mem_);
    NetSelectLink(1);
    // The host the joining machine reaches.
    ASSERT_TRUE(NetOpenEndpoint(true, 0, 7023, [](const uint8_t*, uint32_t) {}, [](bool) {}));
    NetSelectLink(0);
  }
  void TearDown() override {
    for (int i = 1; i >= 0; --i) {
      NetSelectLink(i);
      NetCloseEndpoint();
    }
    NetSetTransport(nullptr);
  }
  PNetMemoryTransport mem_;
};

TEST_F(NetworkScreens, TypedAddressIsKeptAndShownAgain) {
  ShellRig rig(false);
  rig.app->ShowMainScreen(true);
  rig.app->DoCommand(62);
  std::vector<GTextEntry*> fields = AddressFields(rig.app->GetAddressScreen());
  ASSERT_EQ(fields.size(), 4u);
  const char* typed[] = {"192", "168", "0", "5"};
  for (int i = 0; i < 4; ++i) Type(fields[static_cast<size_t>(i)], typed[i]);
  rig.app->DoCommand(WRApplication::kCommandConnect);
  EXPECT_EQ(rig.app->Tcp().GetState(), TCPIP_STATE_CLIENT_DOWNLOADING_GAME);
  EXPECT_FALSE(rig.app->Tcp().IsHost());
  EXPECT_EQ(rig.app->GetConnectionType(), 2);
  EXPECT_EQ(static_cast<uint8_t>(rig.app->GetOption(21)), 192);
  EXPECT_EQ(rig.app->GetOption(24), 5);
  EXPECT_EQ(mem_.LastConfig().find("IPaddr=192.168.0.5") != std::string::npos, true) << mem_.LastConfig();
  EXPECT_EQ(Labels(rig.app->GetAddressScreen()),
            (std::vector<std::string>{"TCP/IP: Downloading scenario data...", "(This will take a few moments)"}));
  // Back at the main screen the link is closed; the fields show the address again.
  rig.app->DoCommand(64);
  EXPECT_FALSE(NetIsConnected());
  EXPECT_EQ(rig.app->Tcp().GetState(), TCPIP_STATE_NOT_CONNECTED);
  rig.app->DoCommand(62);
  std::vector<std::string> shown;
  for (GTextEntry* f : AddressFields(rig.app->GetAddressScreen())) shown.push_back(f->Text());
  EXPECT_EQ(shown, (std::vector<std::string>{"192", "168", "0", "5"}));
}

TEST_F(NetworkScreens, FieldOutsideAByteBeepsAndStays) {
  ShellRig rig(false);
  rig.app->ShowMainScreen(true);
  rig.app->DoCommand(62);
  std::vector<GTextEntry*> fields = AddressFields(rig.app->GetAddressScreen());
  for (const char* bad : {"256", "", "1a"}) {
    Type(fields[3], bad);
    const int32_t beeps = rig.fake->BeepCount();
    rig.app->DoCommand(WRApplication::kCommandConnect);
    EXPECT_EQ(rig.fake->BeepCount(), beeps + 1) << bad;
    EXPECT_EQ(rig.app->Tcp().GetState(), TCPIP_STATE_NOT_CONNECTED);
    EXPECT_EQ(AddressFields(rig.app->GetAddressScreen()).size(), 4u);
    EXPECT_EQ(rig.app->GetOption(24), 0);
  }
}

TEST_F(NetworkScreens, HostingScreenListsTheLocalAddresses) {
  // The memory transport's own listener takes port 7023: the host listens on record 1's
  // place after it closes.
  NetSelectLink(1);
  NetCloseEndpoint();
  NetSelectLink(0);
  ShellRig rig(true);
  rig.app->SetConnectionType(2);
  rig.app->StartHosting();
  ASSERT_NE(rig.app->GetAddressScreen(), nullptr);
  const size_t count = rig.app->LocalAddresses().size();
  ASSERT_GE(count, 1u);
  const std::vector<std::string> labels = Labels(rig.app->GetAddressScreen());
  ASSERT_EQ(labels.size(), count + 1);
  EXPECT_EQ(labels[0], std::string("Waiting for opponent to connect.  ") +
                           (count == 1 ? "Your IP address is: " : "Your IP addresses are: "));
  GString255 first;
  rig.app->FormatLocalAddress(first, 0);
  EXPECT_EQ(labels[1], first.CStr());
  // The idle step sends the version once the opponent is there.
  NetSelectLink(1);
  ASSERT_TRUE(NetOpenEndpoint(false, NetMakeAddress(127, 0, 0, 1), 7023, [](const uint8_t*, uint32_t) {}, [](bool) {}));
  NetSelectLink(0);
  for (int i = 0; i < 3; ++i) {
    NetIdle();
    rig.app->Idle();
  }
  EXPECT_EQ(rig.app->Tcp().GetState(), TCPIP_STATE_SERVER_VERSION_SENT);
  EXPECT_EQ(Labels(rig.app->GetAddressScreen()).back(), "Connection made.  Uploading scenario data...");
}

TEST(TransferProgressViewTest, BarFillsToTheFraction) {
  EXPECT_EQ(TransferProgressView::FillRight(350, 0.0f), 21);
  EXPECT_EQ(TransferProgressView::FillRight(350, 0.5f), 21 + 154);
  EXPECT_EQ(TransferProgressView::FillRight(350, 1.0f), 21 + 308);
  EXPECT_EQ(TransferProgressView::FillRight(350, 1.7f), 21 + 308);
}

}  // namespace
