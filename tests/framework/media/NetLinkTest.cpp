#include "framework/media/NetLink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/PClock.h"
#include "platform/PNetHost.h"
#include "platform/PNetMemoryTransport.h"
#include "support/TestFolder.h"

namespace {

// What the application saw, in order: "m:<payload>" per message, "lost:1" / "lost:0".
std::vector<std::string> gEvents;
// What the second link (index 1) saw.
std::vector<std::string> gEvents1;
bool gCloseInHandler = false;
bool gIdleInHandler = false;

void OnMessage(const uint8_t* data, uint32_t length) {
  std::string text(reinterpret_cast<const char*>(data), length);
  gEvents.push_back("m:" + text);
  if (gCloseInHandler) NetCloseEndpoint();
  // A modal screen inside the handler runs event-loop passes of its own.
  if (gIdleInHandler) {
    for (int i = 0; i < 3; ++i) NetIdle();
  }
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), length), text);  // bytes untouched
}
void OnLost(bool peerClosed) { gEvents.push_back(peerClosed ? "lost:1" : "lost:0"); }
void OnMessage1(const uint8_t* data, uint32_t length) {
  gEvents1.push_back("m:" + std::string(reinterpret_cast<const char*>(data), length));
}
void OnLost1(bool peerClosed) { gEvents1.push_back(peerClosed ? "lost:1" : "lost:0"); }

std::string Frame(uint8_t type, uint32_t value, const std::string& payload = "") {
  std::string f(1, static_cast<char>(type));
  for (int shift = 24; shift >= 0; shift -= 8) f.push_back(static_cast<char>(value >> shift));
  return f + payload;
}

std::string Data(const std::string& payload) {
  return Frame(0xFC, static_cast<uint32_t>(payload.size()), payload);
}

// The test's end of a connection: accepts what reaches its listener.
struct Peer {
  PNetTransport* transport = nullptr;
  uint32_t listener = 0;
  uint32_t endpoint = 0;
  std::vector<int> codes;
};

void PeerCallback(uint32_t endpoint, void* context, int32_t code, int32_t, uint32_t cookie) {
  Peer& p = *static_cast<Peer*>(context);
  p.codes.push_back(code);
  if (code == PNetTransport::kConnectRequest) p.transport->AcceptConnection(endpoint, cookie, PeerCallback, context);
  if (code == PNetTransport::kAcceptComplete) p.endpoint = endpoint;
}

std::string PortConfig(int port) { return "IPaddr=127.0.0.1\tIPport=" + std::to_string(port); }

class NetLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gEvents.clear();
    gEvents1.clear();
    gCloseInHandler = false;
    gIdleInHandler = false;
    PClock::SetFake([this] { return ms_; });
    NetSetTransport(&mem_);
    NetSelectLink(0);
    peer_.transport = &mem_;
  }
  void TearDown() override {
    NetSelectLink(1);
    NetCloseEndpoint();
    NetSelectLink(0);
    NetCloseEndpoint();
    NetSetTransport(nullptr);
    PClock::SetFake(nullptr);
  }

  // Connects the link to a peer that the test drives by hand.
  void ConnectToPeer() {
    peer_.listener = mem_.OpenEndpoint(PortConfig(9000).c_str(), false, PeerCallback, &peer_);
    ASSERT_TRUE(NetOpenEndpoint(false, NetMakeAddress(127, 0, 0, 1), 9000, OnMessage, OnLost));
    mem_.Idle(peer_.listener);
    ASSERT_NE(peer_.endpoint, 0u);
    ASSERT_TRUE(NetIsConnected());
  }
  std::string PeerRead() {
    std::string got;
    char buffer[65536];
    for (int i = 0; i < 100; ++i) {
      uint32_t size = sizeof buffer;
      if (mem_.Receive(peer_.endpoint, buffer, &size) != PNetTransport::kOk) break;
      got.append(buffer, size);
    }
    return got;
  }
  void PeerWrite(const std::string& bytes) {
    ASSERT_EQ(mem_.Send(peer_.endpoint, bytes.data(), static_cast<uint32_t>(bytes.size())),
              static_cast<int32_t>(bytes.size()));
  }
  void At(uint64_t seconds) { ms_ = (kStart + seconds) * 1000; }

  static constexpr uint64_t kStart = 100000;  // seconds on the clock when a test begins
  uint64_t ms_ = kStart * 1000;
  PNetMemoryTransport mem_;
  Peer peer_;
};

TEST_F(NetLinkTest, AddressesAndByteOrder) {
  uint32_t a = NetMakeAddress(192, 168, 1, 20);
  EXPECT_EQ(a, 0x1401A8C0u);
  uint8_t b[4];
  NetSplitAddress(a, &b[0], &b[1], &b[2], &b[3]);
  EXPECT_EQ(b[0], 192);
  EXPECT_EQ(b[3], 20);
  EXPECT_EQ(NetSwap32(0x01020304), 0x04030201u);
  // The host's addresses in turn, then 0, then from the start again.
  std::vector<uint32_t> list = PNetHost::LocalAddresses();
  while (NetStartup() != 0) {
  }
  for (uint32_t expected : list) EXPECT_EQ(NetStartup(), expected);
  EXPECT_EQ(NetStartup(), 0u);
  EXPECT_EQ(NetStartup(), list[0]);
  while (NetStartup() != 0) {
  }
}

TEST_F(NetLinkTest, HostListensWithTheConfigurationText) {
  ASSERT_TRUE(NetOpenEndpoint(true, 0, kNetHostPort, OnMessage, OnLost));
  EXPECT_EQ(mem_.LastConfig(),
            "type=1231971700\tversion=256\tgameID=772836021\tgameName=myGame\tmode=3\t"
            "IPaddr=0.0.0.0\tIPport=7023");
  EXPECT_FALSE(NetIsConnected());
  EXPECT_EQ(mem_.LocalPort(NetEndpointForTests()), 7023);
  EXPECT_FALSE(NetOpenEndpoint(true, 0, 7024, OnMessage, OnLost));  // one link at a time
  NetCloseEndpoint();
  EXPECT_EQ(NetEndpointForTests(), 0u);
  EXPECT_FALSE(NetOpenEndpoint(true, 0, 7023, nullptr, OnLost));
  // Nobody listens on 9001: "Cannot connect" at once.
  EXPECT_FALSE(NetOpenEndpoint(false, NetMakeAddress(127, 0, 0, 1), 9001, OnMessage, OnLost));
  EXPECT_EQ(mem_.LastConfig().substr(mem_.LastConfig().find("IPaddr")), "IPaddr=127.0.0.1\tIPport=9001");
  EXPECT_EQ(mem_.OpenCount(), 0u);
}

TEST_F(NetLinkTest, QueuesDataFramesAndChecksTheirLength) {
  const uint8_t m[3] = {1, 2, 3};
  EXPECT_EQ(NetQueueMessage(m, 3), kNetNotConnected);
  EXPECT_EQ(NetSend(m, 3, 5), kNetNotConnected);
  ConnectToPeer();
  EXPECT_EQ(NetQueueMessage(m, 3), kNetQueued);
  EXPECT_EQ(PeerRead(), std::string("\xFC\x00\x00\x00\x03\x01\x02\x03", 8));
  std::string largest(kNetMaxMessage, 'x');
  EXPECT_EQ(NetQueueMessage(largest.data(), kNetMaxMessage + 1), kNetTooLong);
  EXPECT_EQ(NetQueueMessage(largest.data(), 0xFFFFFFFF), kNetTooLong);  // no wrap past the check
  EXPECT_EQ(NetQueueMessage(largest.data(), 0), kNetBadMessage);
  EXPECT_EQ(NetQueueMessage(nullptr, 5), kNetBadMessage);
  EXPECT_EQ(NetQueueMessage(largest.data(), kNetMaxMessage), kNetNoRoom);  // 8 bytes already sent
  PeerWrite(Frame(0xFE, 262154));
  NetIdle();
  EXPECT_EQ(PeerRead(), Frame(0xFD, 0));
  EXPECT_EQ(NetSend(largest.data(), kNetMaxMessage, 5), kNetQueued);
  EXPECT_EQ(PeerRead(), Data(largest));
  NetIdle();
  EXPECT_EQ(gEvents, std::vector<std::string>{});
}

TEST_F(NetLinkTest, FlowControlAsksOnceForFreeSpace) {
  ConnectToPeer();
  PeerWrite(Frame(0xFE, 100));
  NetIdle();
  std::string m96(96, 'a');
  EXPECT_EQ(NetQueueMessage(m96.data(), 96), kNetNoRoom);  // 96 + 5 + 5 > 100
  EXPECT_EQ(NetQueueMessage(m96.data(), 1), kNetNoRoom);   // blocked until the reply
  NetIdle();
  EXPECT_EQ(NetQueueMessage(m96.data(), 96), kNetNoRoom);
  EXPECT_EQ(PeerRead(), Frame(0xFD, 0));  // exactly one request
  PeerWrite(Frame(0xFE, 106));
  NetIdle();
  EXPECT_EQ(NetQueueMessage(m96.data(), 96), kNetQueued);  // 96 + 5 + 5 = 106
  EXPECT_EQ(PeerRead(), Data(m96));
  EXPECT_EQ(NetQueueMessage(m96.data(), 1), kNetNoRoom);  // 5 left
  EXPECT_EQ(PeerRead(), Frame(0xFD, 0));
}

TEST_F(NetLinkTest, FreeSpaceIsClampedAndNeverWraps) {
  ConnectToPeer();
  std::string largest(kNetMaxMessage, 'y');
  // A reply above the receive capacity counts as the capacity.
  PeerWrite(Frame(0xFE, 0xFFFFFFFF));
  NetIdle();
  EXPECT_EQ(NetQueueMessage(largest.data(), kNetMaxMessage), kNetQueued);
  EXPECT_EQ(NetQueueMessage(largest.data(), 1), kNetNoRoom);
  EXPECT_TRUE(PeerRead() == Data(largest) + Frame(0xFD, 0));
  // Free space 3: the keep-alive still goes out, and the free space stays at 0.
  PeerWrite(Frame(0xFE, 3));
  NetIdle();
  At(16);
  NetIdle();
  EXPECT_EQ(PeerRead(), Frame(0xFF, 0));
  EXPECT_EQ(NetQueueMessage(largest.data(), 1), kNetNoRoom);
  EXPECT_EQ(NetQueueMessage(largest.data(), 1), kNetNoRoom);
  EXPECT_EQ(PeerRead(), Frame(0xFD, 0));  // asked once
  PeerWrite(Frame(0xFE, 11));
  NetIdle();
  EXPECT_EQ(NetQueueMessage(largest.data(), 1), kNetQueued);
}

TEST_F(NetLinkTest, KeepAliveAfterFifteenSecondsAndDropAfterOneHundredEighty) {
  ConnectToPeer();
  At(15);
  NetIdle();
  EXPECT_EQ(PeerRead(), "");
  At(16);
  NetIdle();
  NetIdle();
  EXPECT_EQ(PeerRead(), Frame(0xFF, 0));  // one keep-alive
  At(170);
  PeerWrite(Frame(0xFF, 0));  // a received keep-alive refreshes only the silence timer
  NetIdle();
  EXPECT_EQ(gEvents, std::vector<std::string>{});
  At(350);
  NetIdle();
  EXPECT_TRUE(NetIsConnected());  // 180 s exactly
  At(351);
  NetIdle();
  EXPECT_FALSE(NetIsConnected());
  EXPECT_EQ(NetEndpointForTests(), 0u);
  EXPECT_TRUE(gEvents.empty());  // reported at the next pass
  NetIdle();
  NetIdle();
  EXPECT_EQ(gEvents, std::vector<std::string>{"lost:0"});
  PeerRead();
  mem_.Idle(peer_.endpoint);
  EXPECT_EQ(peer_.codes.back(), PNetTransport::kEndpointDied);
}

TEST_F(NetLinkTest, NoClockWrapDropsAHealthyLink) {
  ms_ = (uint64_t{1} << 32) - 5000;  // where a 32-bit millisecond count wraps
  ConnectToPeer();
  ms_ += 10000;
  NetIdle();
  EXPECT_TRUE(NetIsConnected());
  EXPECT_EQ(PeerRead(), "");  // 10 s: no keep-alive yet
  ms_ += 6000;
  NetIdle();
  EXPECT_EQ(PeerRead(), Frame(0xFF, 0));
  EXPECT_TRUE(gEvents.empty());
}

TEST_F(NetLinkTest, BusyKeepAliveHoldsTheSilenceTimer) {
  ConnectToPeer();
  for (uint64_t s = 20; s <= 400; s += 20) {
    At(s);
    NetKeepAliveWhileBusy();
  }
  NetIdle();
  EXPECT_TRUE(NetIsConnected());
  std::string sent = PeerRead();
  EXPECT_EQ(sent.size() % 5, 0u);
  EXPECT_GE(sent.size(), 5u * 19);
  EXPECT_EQ(sent.substr(0, 5), Frame(0xFF, 0));
}

TEST_F(NetLinkTest, PeerGoneDeliversBufferedFramesFirst) {
  ConnectToPeer();
  PeerWrite(Data("one") + Data("two") + Frame(0xFC, 10, "par"));
  mem_.CloseEndpoint(peer_.endpoint, false);
  NetKeepAliveWhileBusy();  // takes the bytes and learns of the death, delivers nothing
  EXPECT_TRUE(gEvents.empty());
  NetIdle();
  EXPECT_EQ(gEvents, (std::vector<std::string>{"m:one", "m:two", "lost:1"}));
  NetIdle();
  EXPECT_EQ(gEvents.size(), 3u);
  EXPECT_EQ(mem_.OpenCount(), 1u);  // only the test's listener
}

TEST_F(NetLinkTest, AMessageOneByteAtATimeArrivesOnceWhole) {
  ConnectToPeer();
  mem_.SetReceiveLimit(NetEndpointForTests(), 1);
  std::string payload(300, '\0');
  for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>(i);
  PeerWrite(Data(payload) + Data("z"));
  for (int pass = 1; pass <= 304; ++pass) NetIdle();
  EXPECT_TRUE(gEvents.empty());
  NetIdle();  // byte 305, the last of the first frame
  ASSERT_EQ(gEvents.size(), 1u);
  EXPECT_TRUE(gEvents[0] == "m:" + payload);
  for (int pass = 0; pass < 20; ++pass) NetIdle();
  EXPECT_EQ(gEvents, (std::vector<std::string>{"m:" + payload, "m:z"}));
}

TEST_F(NetLinkTest, TakesOneConnectionAndRejectsTheSecond) {
  ASSERT_TRUE(NetOpenEndpoint(true, 0, kNetHostPort, OnMessage, OnLost));
  Peer a, b;
  a.transport = b.transport = &mem_;
  a.endpoint = mem_.OpenEndpoint(PortConfig(kNetHostPort).c_str(), true, PeerCallback, &a);
  b.endpoint = mem_.OpenEndpoint(PortConfig(kNetHostPort).c_str(), true, PeerCallback, &b);
  NetIdle();  // both requests in one pass
  EXPECT_TRUE(NetIsConnected());
  mem_.Idle(a.endpoint);
  mem_.Idle(b.endpoint);
  EXPECT_EQ(a.codes, std::vector<int>{});
  EXPECT_EQ(b.codes, std::vector<int>{PNetTransport::kEndpointDied});
  // The listener is closed: nothing more reaches the host.
  Peer c;
  EXPECT_EQ(mem_.OpenEndpoint(PortConfig(kNetHostPort).c_str(), true, PeerCallback, &c), 0u);
  ASSERT_EQ(mem_.Send(a.endpoint, "\xFC\x00\x00\x00\x01!", 6), 6);
  NetIdle();
  EXPECT_EQ(gEvents, std::vector<std::string>{"m:!"});
  mem_.CloseEndpoint(a.endpoint, false);
  mem_.CloseEndpoint(b.endpoint, false);
  NetIdle();
  NetIdle();
  EXPECT_EQ(gEvents, (std::vector<std::string>{"m:!", "lost:1"}));
}

TEST_F(NetLinkTest, AnImpossibleFrameLengthDropsTheLinkOnce) {
  TestFolder folder(true);  // the drop is logged
  for (uint32_t length : {uint32_t{0}, uint32_t{1} << 20, uint32_t{kNetMaxMessage + 1}}) {
    gEvents.clear();
    peer_ = Peer{};
    peer_.transport = &mem_;
    ConnectToPeer();
    PeerWrite(Data("ok") + Frame(0xFC, length) + std::string(100, 'q'));
    for (int pass = 0; pass < 10; ++pass) NetIdle();
    EXPECT_EQ(gEvents, (std::vector<std::string>{"m:ok", "lost:0"})) << length;
    EXPECT_FALSE(NetIsConnected());
    mem_.CloseEndpoint(peer_.endpoint, false);
    mem_.CloseEndpoint(peer_.listener, false);
  }
  EXPECT_NE(folder.ReadFile("ERRORLOG.TXT").find("Bad network frame length 1048576"), std::string::npos);
}

TEST_F(NetLinkTest, UnknownFramesAreSkippedAndAClosingHandlerEndsDelivery) {
  ConnectToPeer();
  PeerWrite(Frame(0x07, 12345) + Data("a") + Frame(0xFF, 0) + Data("b") + Data("c"));
  gCloseInHandler = true;
  NetIdle();
  NetIdle();
  EXPECT_EQ(gEvents, std::vector<std::string>{"m:a"});  // closed by the application: not reported
  EXPECT_EQ(NetEndpointForTests(), 0u);
}

TEST_F(NetLinkTest, NestedPassesInsideAHandlerLeaveTheFramesToTheOuterPass) {
  ConnectToPeer();
  gIdleInHandler = true;
  PeerWrite(Data("first") + Data("second"));
  NetIdle();
  PeerWrite(Data("third") + Frame(0xFD, 0));
  mem_.CloseEndpoint(peer_.endpoint, false);
  for (int i = 0; i < 3; ++i) NetIdle();
  EXPECT_EQ(gEvents, (std::vector<std::string>{"m:first", "m:second", "m:third", "lost:1"}));
}

TEST_F(NetLinkTest, AFreeRequestThatCannotBeAnsweredYetIsAnsweredLater) {
  ConnectToPeer();
  // The peer takes one byte and no more, so the send buffer fills up.
  mem_.SetCapacity(peer_.endpoint, 1);
  std::string largest(kNetMaxMessage, 'L');
  ASSERT_EQ(NetQueueMessage(largest.data(), kNetMaxMessage), kNetQueued);
  At(16);
  NetIdle();  // the keep-alive takes 5 of the last 6 free bytes
  PeerWrite(Frame(0xFD, 0) + Frame(0xFC, 10, "0123"));
  NetIdle();  // the 0xFE does not fit now
  EXPECT_TRUE(gEvents.empty());
  std::string got = PeerRead();
  mem_.SetCapacity(peer_.endpoint, 0);
  PeerWrite("456789");
  for (int pass = 0; pass < 3; ++pass) NetIdle();
  got += PeerRead();
  EXPECT_EQ(gEvents, std::vector<std::string>{"m:0123456789"});
  // The reply tells the free ring space at the time it was queued: all of it.
  EXPECT_TRUE(got == Data(largest) + Frame(0xFF, 0) + Frame(0xFE, 262154));
}

TEST_F(NetLinkTest, SendWaitsUntilItsDeadline) {
  ConnectToPeer();
  PeerWrite(Frame(0xFE, 20));
  NetIdle();
  PClock::SetFake([this] { return ms_ += 100; });  // time runs on at every reading
  uint64_t before = ms_;
  EXPECT_EQ(NetSend("abcdefghijkl", 12, 3), kNetNoRoom);
  EXPECT_GE(ms_ - before, 3000u);
  EXPECT_LE(ms_ - before, 5000u);
  EXPECT_EQ(PeerRead(), Frame(0xFD, 0));
  PeerWrite(Frame(0xFE, 20));
  NetIdle();
  EXPECT_EQ(NetSend("abcdefghij", 10, 3), kNetQueued);  // 10 + 5 + 5 = 20
}

TEST_F(NetLinkTest, CloseAfterDrainSendsWhatIsQueuedAndIsNotReported) {
  ConnectToPeer();
  mem_.SetSendLimit(NetEndpointForTests(), 2);
  ASSERT_EQ(NetQueueMessage("hello", 5), kNetQueued);
  NetCloseAfterDrain(5);
  EXPECT_EQ(NetEndpointForTests(), 0u);
  EXPECT_EQ(PeerRead(), Data("hello"));
  NetIdle();
  EXPECT_TRUE(gEvents.empty());
  mem_.Idle(peer_.endpoint);
  EXPECT_EQ(peer_.codes.back(), PNetTransport::kEndpointDied);
}

// Two links in one process, both sending as fast as they can: neither side's flow control
// may leave the two waiting on each other.
TEST_F(NetLinkTest, TwoBusyLinksNeverWaitOnEachOther) {
  NetSelectLink(0);
  ASSERT_TRUE(NetOpenEndpoint(true, 0, 7100, OnMessage, OnLost));
  NetSelectLink(1);
  ASSERT_TRUE(NetOpenEndpoint(false, NetMakeAddress(127, 0, 0, 1), 7100, OnMessage1, OnLost1));
  NetSelectLink(0);
  NetIdle();
  ASSERT_TRUE(NetIsConnected());
  // A small peer buffer makes sends partial, so frames straddle passes.
  mem_.SetSendLimit(NetEndpointForTests(), 7000);
  // Three frames of 87,383 bytes fill the peer's 262,154 free bytes to the last 5, which the
  // 0xFD then takes: the reply to the peer's own request must not need peer space.
  const int kMessages = 12;
  const uint32_t kSize = 87378;
  std::string payload(kSize, 'p');
  int sent[2] = {0, 0};
  for (int pass = 0; pass < 20000 && (sent[0] < kMessages || sent[1] < kMessages ||
                                      gEvents.size() < size_t{kMessages} || gEvents1.size() < size_t{kMessages});
       ++pass) {
    for (int side = 0; side < 2; ++side) {
      NetSelectLink(side);
      while (sent[side] < kMessages) {
        payload[0] = static_cast<char>(sent[side]);
        if (NetQueueMessage(payload.data(), kSize) != kNetQueued) break;
        ++sent[side];
      }
      NetIdle();
      if (pass % 1000 == 999) At(static_cast<uint64_t>(pass / 1000) * 20);  // the clock runs too
    }
  }
  NetSelectLink(0);
  ASSERT_EQ(gEvents.size(), static_cast<size_t>(kMessages));
  ASSERT_EQ(gEvents1.size(), static_cast<size_t>(kMessages));
  for (int i = 0; i < kMessages; ++i) {
    payload[0] = static_cast<char>(i);
    ASSERT_EQ(gEvents[static_cast<size_t>(i)].size(), kSize + 2);
    EXPECT_TRUE(gEvents[static_cast<size_t>(i)] == "m:" + payload) << i;
    EXPECT_TRUE(gEvents1[static_cast<size_t>(i)] == "m:" + payload) << i;
  }
}

}  // namespace

// The application may open a new endpoint at once after a drop, before the pass that tells
// of the loss: the old link's loss is still told, exactly once, and the new link is unharmed.
TEST_F(NetLinkTest, ADropFollowedByAnImmediateReopenIsReportedOnce) {
  ConnectToPeer();
  At(181);
  NetIdle();  // silent too long: dropped, to be reported
  EXPECT_FALSE(NetIsConnected());
  ASSERT_TRUE(NetOpenEndpoint(true, 0, kNetHostPort, OnMessage, OnLost));
  EXPECT_TRUE(gEvents.empty());
  NetIdle();
  EXPECT_EQ(gEvents, std::vector<std::string>{"lost:0"});
  for (int i = 0; i < 3; ++i) NetIdle();
  EXPECT_EQ(gEvents, std::vector<std::string>{"lost:0"});
  EXPECT_NE(NetEndpointForTests(), 0u);  // still listening
}

TEST_F(NetLinkTest, APeerLossClosedAndReopenedBeforeThePassIsReportedOnceToTheOldHandler) {
  ConnectToPeer();
  mem_.CloseEndpoint(peer_.endpoint, false);
  NetKeepAliveWhileBusy();  // learns of the death
  NetCloseEndpoint();
  ASSERT_TRUE(NetOpenEndpoint(true, 0, kNetHostPort, OnMessage1, OnLost1));
  NetIdle();
  NetIdle();
  EXPECT_EQ(gEvents, std::vector<std::string>{"lost:1"});
  EXPECT_TRUE(gEvents1.empty());
}
