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

namespace {

void CollectTexts(GView* view, std::string& out) {
  if (view == nullptr) return;
  if (auto* l = dynamic_cast<GLabel*>(view)) out += std::string(l->GetText().CStr()) + "|";
  for (int32_t i = 0; i < view->GetChildCount(); ++i) CollectTexts(view->GetChild(i), out);
}

std::string AlertText(WRApplication& app) {
  std::string text;
  CollectTexts(app.GetAlertBox(), text);
  return text;
}

std::vector<std::string> gPeerGot;
void PeerGot(const uint8_t* data, uint32_t length) { gPeerGot.emplace_back(reinterpret_cast<const char*>(data), length); }
void PeerLost(bool) {}

// A hosting application with its battle and a raw peer joined to it on the memory transport.
struct HostedRig {
  explicit HostedRig(PNetMemoryTransport& mem) : memory(mem) {
    gPeerGot.clear();
    LinkAllBitmaps(rig.folder);
    NetSetTransport(&mem);
    rig.app->SetConnectionType(2);
    rig.app->SetHumanPlayers(2);
    rig.app->SetSideToPlay(0);
    rig.app->StartHosting();
    NetSelectLink(1);
    EXPECT_TRUE(NetOpenEndpoint(false, NetMakeAddress(127, 0, 0, 1), 7023, PeerGot, PeerLost));
    Pump();
  }
  void Pump() {
    for (int i = 0; i < 6; ++i) {
      NetSelectLink(0);
      NetIdle();
      rig.app->Idle();
      NetSelectLink(1);
      NetIdle();
    }
    NetSelectLink(0);
  }
  void Send(const std::string& bytes) {
    NetSelectLink(1);
    EXPECT_EQ(NetSend(bytes.data(), static_cast<uint32_t>(bytes.size()), 5), kNetQueued);
    Pump();
  }
  PNetMemoryTransport& memory;
  ShellRig rig{true};
};

class HostilePeer : public ::testing::Test {
 protected:
  void TearDown() override {
    for (int i = 1; i >= 0; --i) {
      NetSelectLink(i);
      NetCloseEndpoint();
    }
    NetSetTransport(nullptr);
  }
  PNetMemoryTransport mem_;
};

TEST_F(HostilePeer, BadMessagesEndTheConnectionAndTheProgramGoesOn) {
  const std::string hostile[] = {
      std::string("\x01\x00", 2), std::string("\x63", 1), "\x13" + std::string(200000, 'x'),
      "\x06" + std::string(9000 - 1, 'd')};
  for (const std::string& message : hostile) {
    HostedRig host(mem_);
    ASSERT_EQ(host.rig.app->Tcp().GetState(), TCPIP_STATE_SERVER_VERSION_SENT);
    ASSERT_FALSE(gPeerGot.empty());
    EXPECT_EQ(gPeerGot[0], std::string("\x01\x00\x00\x00\x6e", 5));  // version 110
    host.Send(message);
    EXPECT_TRUE(host.rig.app->Tcp().HasFailed()) << message.size();
    EXPECT_NE(AlertText(*host.rig.app).find("Unreadable data"), std::string::npos) << message.size();
    EXPECT_NE(host.rig.app->GetBattle(), nullptr);
    TearDown();
  }
}

TEST_F(HostilePeer, TheGameGoesUpAndAnUnreadableTurnIsRefused) {
  HostedRig host(mem_);
  host.Send(std::string(1, '\x02'));
  // The whole game went out in data messages of at most 8,192 bytes and the end.
  ASSERT_GE(gPeerGot.size(), 3u);
  std::string game;
  for (size_t i = 1; i + 1 < gPeerGot.size(); ++i) {
    ASSERT_EQ(gPeerGot[i][0], '\x04');
    ASSERT_LE(gPeerGot[i].size(), 8192u);
    game += gPeerGot[i].substr(1);
  }
  EXPECT_EQ(gPeerGot.back(), std::string(1, '\x05'));
  EXPECT_GT(game.size(), 1000u);
  EXPECT_EQ(host.rig.app->Tcp().GetState(), TCPIP_STATE_SERVER_WAITING_FOR_CLIENT);
  host.Send(std::string(1, '\x0b'));
  ASSERT_EQ(host.rig.app->Tcp().GetState(), TCPIP_STATE_ORDERS);
  // The peer's orders, cut short: the merge is refused and the battle stays as it was.
  std::string orders;
  ASSERT_TRUE(host.rig.app->TcpHost().WriteOrders(false, orders));
  const std::string before = orders;
  host.Send("\x06" + orders.substr(0, orders.size() / 2));
  host.Send(std::string(1, '\x07'));
  EXPECT_TRUE(host.rig.app->Tcp().HasFailed());
  EXPECT_NE(AlertText(*host.rig.app).find("Unreadable data"), std::string::npos);
  std::string after;
  ASSERT_TRUE(host.rig.app->TcpHost().WriteOrders(false, after));
  EXPECT_EQ(after, before);
}

TEST_F(HostilePeer, JoiningMachineRefusesADamagedGame) {
  std::string game;
  {
    ShellRig source(true);
    ASSERT_TRUE(source.app->TcpHost().WriteWholeGame(game));
  }
  for (int damaged = 1; damaged >= 0; --damaged) {
    NetSetTransport(&mem_);
    NetSelectLink(1);
    ASSERT_TRUE(NetOpenEndpoint(true, 0, 7023, PeerGot, PeerLost));
    ShellRig rig(false);
    LinkAllBitmaps(rig.folder);
    rig.app->ShowMainScreen(true);
    rig.app->DoCommand(62);
    rig.app->DoCommand(WRApplication::kCommandConnect);
    ASSERT_EQ(rig.app->Tcp().GetState(), TCPIP_STATE_CLIENT_DOWNLOADING_GAME);
    std::string sent = game;
    // The header's first byte: a game file carries no checksum, so a byte flipped inside its
    // values can read as another valid game.
    if (damaged != 0) sent[0] = static_cast<char>(sent[0] ^ 0x5A);
    NetSelectLink(1);
    NetIdle();
    const std::string version("\x01\x00\x00\x00\x6e", 5);
    ASSERT_EQ(NetSend(version.data(), 5, 5), kNetQueued);
    for (size_t at = 0; at < sent.size(); at += 8191) {
      const std::string chunk = "\x04" + sent.substr(at, 8191);
      ASSERT_EQ(NetSend(chunk.data(), static_cast<uint32_t>(chunk.size()), 5), kNetQueued);
    }
    ASSERT_EQ(NetSend("\x05", 1, 5), kNetQueued);
    for (int i = 0; i < 10; ++i) {
      NetSelectLink(1);
      NetIdle();
      NetSelectLink(0);
      NetIdle();
      rig.app->Idle();
    }
    if (damaged != 0) {
      EXPECT_EQ(rig.app->GetBattle(), nullptr);
      EXPECT_TRUE(rig.app->Tcp().HasFailed());
      EXPECT_NE(rig.app->GetAlertBox(), nullptr);
    } else {
      EXPECT_NE(rig.app->GetBattle(), nullptr);
      EXPECT_FALSE(rig.app->Tcp().HasFailed());
    }
    TearDown();
  }
}

}  // namespace
