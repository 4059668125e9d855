// Two TCP/IP games playing each other in one process over the in-memory transport (the host
// on the link's record 0, the client on record 1), a raw peer for the hostile cases, and the
// transfer and radio on their own.
#include "app/TcpGame.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "framework/media/NetLink.h"
#include "platform/PClock.h"
#include "platform/PNetMemoryTransport.h"
#include "support/ScreenlessTcpHost.h"

namespace {

uint64_t gMs = 5000000;

// A battle reduced to each side's orders text; files are "G|axis|allied" for the whole game
// and "O|axis|allied|<packets or nothing>" for a turn.
struct FakeHost : ScreenlessTcpHost {
  TcpGame* game = nullptr;
  int32_t side = 0;
  bool battle = true;
  bool radioEntry = true;
  bool computes = false;
  bool setup = false;
  bool refuseGame = false;
  int32_t version = 110;
  std::string orders[2];
  std::string packets;
  std::vector<int32_t> alerts;
  std::vector<std::string> merged;  // each merged file, in order
  std::vector<int32_t> sounds;
  int32_t goes = 0;
  int32_t computed = 0;
  int32_t replays = 0;
  int32_t replayEnds = 0;
  std::vector<int32_t> states;
  void StateChanged(int32_t state) override { states.push_back(state); }

  uint32_t TickCount() override { return static_cast<uint32_t>(gMs); }
  int32_t VersionNumber() const override { return version; }
  bool HasBattle() const override { return battle; }
  void ShowAlert(int32_t number) override { alerts.push_back(number); }
  void PlaySound(int32_t number, int32_t) override { sounds.push_back(number); }
  bool WriteWholeGame(std::string& bytes) override {
    bytes = "G|" + orders[0] + "|" + orders[1];
    return true;
  }
  bool WriteOrders(bool withPackets, std::string& bytes) override {
    bytes = "O|" + orders[0] + "|" + orders[1] + "|" + (withPackets ? packets : "");
    return true;
  }
  static bool Split(const std::string& bytes, char kind, std::vector<std::string>& parts) {
    parts.clear();
    if (bytes.size() < 2 || bytes[0] != kind || bytes[1] != '|') return false;
    size_t at = 2;
    for (;;) {
      const size_t bar = bytes.find('|', at);
      parts.push_back(bytes.substr(at, bar == std::string::npos ? std::string::npos : bar - at));
      if (bar == std::string::npos) break;
      at = bar + 1;
    }
    return parts.size() == (kind == 'G' ? 2u : 3u);
  }
  bool OpenReceivedGame(const std::string& bytes) override {
    std::vector<std::string> parts;
    if (refuseGame || !Split(bytes, 'G', parts)) return false;
    orders[0] = parts[0];
    orders[1] = parts[1];
    battle = true;
    return true;
  }
  bool MergeReceivedTurn(const std::string& bytes, bool allSides, bool) override {
    std::vector<std::string> parts;
    if (!Split(bytes, 'O', parts)) return false;
    for (int s = 0; s < 2; ++s) {
      if (allSides || s != side) orders[s] = parts[s];
    }
    packets = parts[2];
    merged.push_back(bytes);
    return true;
  }
  bool InSetupPhase() const override { return setup; }
  bool CeaseFireEndsBattle() override { return false; }
  bool ComputesHere() const override { return computes; }
  int32_t OwnSide() const override { return side; }
  void IssueGo() override {
    ++goes;
    if (game->EndNetworkOrders()) {
      ++computed;
      packets = "P" + orders[0] + orders[1];
    }
  }
  void EndReplay() override { ++replayEnds; }
  void PlayReplay() override { ++replays; }
  bool HasRadioEntry() const override { return radioEntry; }
  bool IsBattleViewVisible() const override { return true; }
  std::string RadioHint() const override { return "hint"; }
};

// What a raw peer on record 1 received.
std::vector<std::string> gRaw;
bool gRawLost = false;
void RawMessage(const uint8_t* data, uint32_t length) { gRaw.emplace_back(reinterpret_cast<const char*>(data), length); }
void RawLost(bool) { gRawLost = true; }

// The memory transport with a tap on what each endpoint sends: the link's frames of type
// byte and big-endian length cut back into the data messages the games queued.
struct TappedTransport : PNetMemoryTransport {
  struct Sent {
    uint8_t type;
    uint32_t length;
  };
  std::vector<Sent> sent;
  std::map<uint32_t, std::string> streams;
  int32_t Send(uint32_t endpoint, const void* data, uint32_t size) override {
    const int32_t taken = PNetMemoryTransport::Send(endpoint, data, size);
    if (taken <= 0) return taken;
    std::string& stream = streams[endpoint];
    stream.append(static_cast<const char*>(data), static_cast<size_t>(taken));
    while (stream.size() >= 5) {
      const auto* head = reinterpret_cast<const uint8_t*>(stream.data());
      const uint32_t value = uint32_t{head[1]} << 24 | uint32_t{head[2]} << 16 | uint32_t{head[3]} << 8 | head[4];
      size_t frame = 5;
      if (head[0] == 0xFC) {
        if (stream.size() - 5 < value) break;
        sent.push_back({value > 0 ? head[5] : uint8_t{0}, value});
        frame += value;
      }
      stream.erase(0, frame);
    }
    return taken;
  }
};

class TcpGameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gRaw.clear();
    gRawLost = false;
    PClock::SetFake([] { return gMs; });
    NetSetTransport(&mem_);
    hostSide_.game = &host_;
    clientSide_.game = &client_;
    clientSide_.side = 1;
    clientSide_.battle = false;
    hostSide_.computes = true;
    hostSide_.orders[0] = "a0";
    hostSide_.orders[1] = "b0";
  }
  void TearDown() override {
    for (int i = 1; i >= 0; --i) {
      NetSelectLink(i);
      NetCloseEndpoint();
    }
    NetSetTransport(nullptr);
    PClock::SetFake(nullptr);
  }
  void Pump(int passes = 20) {
    for (int i = 0; i < passes; ++i) {
      NetSelectLink(0);
      NetIdle();
      host_.Idle();
      NetSelectLink(1);
      NetIdle();
      if (rawPeer_) continue;
      client_.Idle();
    }
  }
  void Connect() {
    ASSERT_TRUE(host_.StartHosting());
    ASSERT_TRUE(client_.ConnectToHost(NetMakeAddress(127, 0, 0, 1)));
    EXPECT_EQ(client_.GetState(), TCPIP_STATE_CLIENT_DOWNLOADING_GAME);
  }
  // Hosting, joining, the game's upload and the client's battle screen.
  void StartGame() {
    Connect();
    Pump();
    ASSERT_EQ(host_.GetState(), TCPIP_STATE_SERVER_WAITING_FOR_CLIENT);
    ASSERT_EQ(client_.GetState(), TCPIP_STATE_ORDERS);
    const uint8_t ready = TCPIP_MSG_CLIENT_READY;
    ASSERT_TRUE(client_.SendMessage(&ready, 1, 5));
    Pump();
    ASSERT_EQ(host_.GetState(), TCPIP_STATE_ORDERS);
  }
  // A raw peer connects to the hosting game.
  void ConnectRaw() {
    rawPeer_ = true;
    ASSERT_TRUE(host_.StartHosting());
    NetSelectLink(1);
    ASSERT_TRUE(NetOpenEndpoint(false, NetMakeAddress(127, 0, 0, 1), 7023, RawMessage, RawLost));
    Pump();
    ASSERT_EQ(host_.GetState(), TCPIP_STATE_SERVER_VERSION_SENT);
  }
  void RawSend(const std::string& bytes) {
    NetSelectLink(1);
    ASSERT_EQ(NetSend(bytes.data(), static_cast<uint32_t>(bytes.size()), 5), kNetQueued);
    Pump();
  }

  TappedTransport mem_;
  FakeHost hostSide_;
  FakeHost clientSide_;
  TcpGame host_{hostSide_, 0};
  TcpGame client_{clientSide_, 1};
  bool rawPeer_ = false;
};

TEST_F(TcpGameTest, VersionsAndGameUpload) {
  StartGame();
  EXPECT_TRUE(hostSide_.alerts.empty());
  EXPECT_TRUE(clientSide_.alerts.empty());
  EXPECT_EQ(clientSide_.orders[0], "a0");
  EXPECT_EQ(clientSide_.orders[1], "b0");
  // The first orders phase shows the hint and twice the limit.
  EXPECT_EQ(host_.Radio().Text(0), "hint");
}

// Two games side by side on one computer each take a port of their own; a machine that
// looks on the usual port finds nobody there.
TEST_F(TcpGameTest, BothMachinesMeetOnTheGivenPort) {
  EXPECT_EQ(host_.GetPort(), TcpGame::kPort);
  host_.SetPort(7100);
  ASSERT_TRUE(host_.StartHosting());
  EXPECT_EQ(mem_.LocalPort(NetEndpointForTests()), 7100);
  EXPECT_FALSE(client_.ConnectToHost(NetMakeAddress(127, 0, 0, 1)));
  EXPECT_EQ(clientSide_.alerts, std::vector<int32_t>{1});
  client_.SetPort(7100);
  ASSERT_TRUE(client_.ConnectToHost(NetMakeAddress(127, 0, 0, 1)));
  Pump();
  EXPECT_EQ(host_.GetState(), TCPIP_STATE_SERVER_WAITING_FOR_CLIENT);
  EXPECT_EQ(client_.GetState(), TCPIP_STATE_ORDERS);
}

TEST_F(TcpGameTest, DifferentVersionsAlertBothAndGoNoFurther) {
  clientSide_.version = 111;
  Connect();
  Pump();
  EXPECT_EQ(clientSide_.alerts, std::vector<int32_t>{2});
  EXPECT_EQ(hostSide_.alerts, std::vector<int32_t>{2});
  EXPECT_EQ(host_.GetState(), TCPIP_STATE_SERVER_VERSION_SENT);
  EXPECT_FALSE(host_.Transfer().HasOutgoing());
}

TEST_F(TcpGameTest, OrdersTogetherThenActionAndReplay) {
  StartGame();
  hostSide_.orders[0] = "a1";
  clientSide_.orders[1] = "b1";
  // Both press GO in the same pass.
  hostSide_.IssueGo();
  clientSide_.IssueGo();
  EXPECT_EQ(host_.GetState(), TCPIP_STATE_UPLOADING_ORDERS);
  EXPECT_EQ(client_.GetState(), TCPIP_STATE_UPLOADING_ORDERS);
  EXPECT_TRUE(host_.IsOrdersLocked());
  clientSide_.states.clear();
  hostSide_.states.clear();
  client_.SetTimeLimit(60000);
  Pump(60);
  // Host 7, 8, 9, then computing and sending the action; client 7, 11, 13, then waiting.
  EXPECT_EQ(hostSide_.states, (std::vector<int32_t>{8, 9, 14, 16, 17, 19}));
  EXPECT_EQ(clientSide_.states, (std::vector<int32_t>{11, 13, 15, 18, 19}));
  ASSERT_EQ(hostSide_.merged.size(), 1u);  // the answer
  ASSERT_EQ(clientSide_.merged.size(), 3u);  // the host's orders, its own answer, the action
  // Both hold the same turn: the client's answer, merged by both.
  EXPECT_EQ(hostSide_.merged[0], "O|a1|b1|");
  EXPECT_EQ(clientSide_.merged[1], hostSide_.merged[0]);
  EXPECT_EQ(hostSide_.computed, 1);
  EXPECT_EQ(clientSide_.computed, 0);
  EXPECT_EQ(host_.GetState(), TCPIP_STATE_REPLAY);
  EXPECT_EQ(client_.GetState(), TCPIP_STATE_REPLAY);
  EXPECT_EQ(clientSide_.packets, "Pa1b1");
  EXPECT_EQ(hostSide_.replays, 1);
  EXPECT_EQ(clientSide_.replays, 1);
  EXPECT_FALSE(host_.HasProgress());
  // The next turn: the clock started with the replay comes down to the limit.
  gMs += 30000;
  EXPECT_TRUE(host_.ReplayEnded());
  EXPECT_TRUE(client_.ReplayEnded());
  EXPECT_EQ(host_.GetState(), TCPIP_STATE_ORDERS);
  EXPECT_EQ(client_.GetState(), TCPIP_STATE_ORDERS);
  EXPECT_EQ(client_.TimeRemaining(), 60);
}

TEST_F(TcpGameTest, NoMessageOfAWholeTurnPassesTheDataLimit) {
  // Files of several chunks each way: the game, both sides' orders, the answer and the action.
  hostSide_.orders[0] = std::string(20000, 'a');
  hostSide_.orders[1] = std::string(9000, 'b');
  StartGame();
  clientSide_.orders[1] = std::string(17000, 'c');
  hostSide_.IssueGo();
  Pump(60);
  clientSide_.IssueGo();
  Pump(120);
  ASSERT_EQ(host_.GetState(), TCPIP_STATE_REPLAY);
  ASSERT_EQ(client_.GetState(), TCPIP_STATE_REPLAY);
  EXPECT_EQ(clientSide_.packets, "P" + hostSide_.orders[0] + clientSide_.orders[1]);
  EXPECT_TRUE(hostSide_.alerts.empty());
  EXPECT_TRUE(clientSide_.alerts.empty());
  // Every message is at most the type byte and 8,191 bytes, and each kind of file went in
  // full chunks.
  std::map<uint8_t, int> fullChunks;
  for (const TappedTransport::Sent& m : mem_.sent) {
    EXPECT_LE(m.length, 8192u) << int(m.type);
    if (m.length == 8192) ++fullChunks[m.type];
  }
  EXPECT_EQ(fullChunks[TCPIP_MSG_ANSWER_DATA], 3 + 4);  // the game (29,003 bytes), the answer (37,004)
  EXPECT_EQ(fullChunks[TCPIP_MSG_ORDERS_DATA], 3);      // the host's orders (29,004)
  EXPECT_EQ(fullChunks[TCPIP_MSG_ACTION_DATA], 9);      // the action (74,005)
  EXPECT_EQ(fullChunks.size(), 3u);
}

TEST_F(TcpGameTest, OrdersArriveDuringOrdersAndReplay) {
  StartGame();
  clientSide_.IssueGo();  // the client ends first
  Pump();
  EXPECT_EQ(client_.GetState(), TCPIP_STATE_WAITING_FOR_ORDERS);
  EXPECT_EQ(host_.GetState(), TCPIP_STATE_ORDERS_RECEIVED);
  // In state 12 the host ends its own: the answer goes, both merge it, the host computes.
  hostSide_.IssueGo();
  Pump(40);
  EXPECT_EQ(host_.GetState(), TCPIP_STATE_REPLAY);
  EXPECT_EQ(client_.GetState(), TCPIP_STATE_REPLAY);
  // The host's replay ends first and its next orders reach the client during its replay.
  ASSERT_TRUE(host_.ReplayEnded());
  hostSide_.orders[0] = "a2";
  hostSide_.IssueGo();
  Pump();
  EXPECT_EQ(client_.GetState(), TCPIP_STATE_REPLAY_ORDERS_RECEIVED);
  EXPECT_TRUE(client_.HasWaitingTurn());
  ASSERT_TRUE(client_.ReplayEnded());
  EXPECT_EQ(client_.GetState(), TCPIP_STATE_ORDERS_RECEIVED);
  EXPECT_EQ(clientSide_.orders[0], "a2");
}

TEST_F(TcpGameTest, EndNetworkOrdersByState) {
  const std::pair<int32_t, int32_t> moves[] = {{6, 7}, {10, 11}, {12, 13}, {14, 14}, {8, 8}};
  for (auto [from, to] : moves) {
    host_.SetState(from);
    EXPECT_EQ(host_.EndNetworkOrders(), from == 14) << from;
    EXPECT_EQ(host_.GetState(), to) << from;
  }
}

TEST_F(TcpGameTest, ReplayEndInAnotherStateEndsTheConnection) {
  StartGame();
  EXPECT_FALSE(host_.ReplayEnded());  // state 6
  EXPECT_EQ(hostSide_.alerts, std::vector<int32_t>{3});
  EXPECT_TRUE(host_.HasFailed());
}

TEST_F(TcpGameTest, TurnClock) {
  host_.SetTimeLimit(60000);
  StartGame();
  EXPECT_EQ(host_.TimeRemaining(), 120);
  gMs += 119500;
  EXPECT_EQ(host_.TimeRemaining(), 1);
  gMs += 500;
  EXPECT_EQ(host_.TimeRemaining(), 0);
  host_.Idle();
  EXPECT_EQ(hostSide_.goes, 1);  // GO in state 6
  EXPECT_EQ(host_.GetState(), TCPIP_STATE_UPLOADING_ORDERS);
  // A clock whose start lies just below the wrap of the tick count.
  gMs = (uint64_t{1} << 32) + 10;
  host_.SetupEnded();
  EXPECT_EQ(host_.TimeRemaining(), 60);
  host_.SetState(TCPIP_STATE_REPLAY);
  gMs += 60000;
  host_.Idle();
  EXPECT_EQ(hostSide_.replayEnds, 1);
  // No limit: never.
  host_.SetTimeLimit(0);
  host_.SetupEnded();
  gMs += 10000000;
  host_.Idle();
  EXPECT_EQ(hostSide_.goes, 1);
  EXPECT_EQ(host_.TimeRemaining(), 0);
}

TEST_F(TcpGameTest, TimerOffNeedsBothSides) {
  host_.SetTimeLimit(60000);
  StartGame();
  host_.RequestTimerOff(true);
  Pump();
  EXPECT_TRUE(client_.IsTimerOffRequested(true));
  EXPECT_TRUE(host_.IsClockRunning());
  client_.RequestTimerOff(true);
  Pump();
  EXPECT_FALSE(host_.IsClockRunning());
  EXPECT_FALSE(host_.IsTimerOffRequested(false));
}

TEST_F(TcpGameTest, ChatGoesOutAsTypeTextAndZero) {
  ConnectRaw();
  host_.SendChat("0123456789");
  Pump();
  ASSERT_FALSE(gRaw.empty());
  EXPECT_EQ(gRaw.back(), std::string("\x13" "0123456789", 11) + std::string(1, '\0'));
  EXPECT_EQ(host_.Radio().Text(0), "0123456789");
  EXPECT_EQ(host_.Radio().Side(0), 0);
  const size_t sent = gRaw.size();
  host_.SendChat("");
  Pump();
  EXPECT_EQ(gRaw.size(), sent);
  // Received: the opponent's line, control bytes dropped, sound 190; dropped without an entry.
  RawSend(std::string("\x13" "hi\x07!", 5) + std::string(1, '\0'));
  EXPECT_EQ(host_.Radio().Text(1), "hi!");
  EXPECT_EQ(host_.Radio().Side(1), 1);
  EXPECT_EQ(hostSide_.sounds, std::vector<int32_t>{190});
  hostSide_.radioEntry = false;
  RawSend(std::string("\x13" "x", 2) + std::string(1, '\0'));
  EXPECT_EQ(host_.Radio().Count(), 2);
  EXPECT_TRUE(hostSide_.alerts.empty());
}

TEST_F(TcpGameTest, ProgressWithoutViewChangesNothing) {
  ConnectRaw();
  RawSend(std::string("\x0c\x00\x00\x10\x00", 5));
  EXPECT_EQ(host_.BytesDone(), 0u);
  EXPECT_FALSE(host_.HasFailed());
}

// Each hostile message ends the connection with the unreadable data alert (6) and nothing else.
TEST_F(TcpGameTest, HostileMessagesCloseTheLink) {
  const std::string hostile[] = {
      std::string("\x01\x00", 2),                         // a version of 2 bytes
      std::string("\x63", 1),                             // type 99
      "\x13" + std::string(200000, 'x'),                  // a chat without its 0 byte
      "\x04" + std::string(8999, 'd'),                    // 9,000 bytes of data
      std::string("\x06", 1),                             // data of the type byte alone
      std::string("\x02\x00", 2),                         // a bare type with a payload
      std::string("\x05", 1),                             // a type the state does not take
  };
  for (const std::string& message : hostile) {
    TearDown();
    SetUp();
    host_.Reset();
    hostSide_.alerts.clear();
    ConnectRaw();
    RawSend(message);
    EXPECT_EQ(hostSide_.alerts, std::vector<int32_t>{6}) << int(uint8_t(message[0])) << " " << message.size();
    EXPECT_TRUE(host_.HasFailed());
    EXPECT_FALSE(host_.Transfer().HasIncoming());
    Pump();
    EXPECT_TRUE(gRawLost);  // the host closed the link
  }
}

// The peer's deadlines run on the transport's clock (here the memory transport's, moved by
// hand): a new connection has 30 s to agree the version, however it trickles bytes in, and a
// message begun has 30 s to be whole; silence between messages, and the time this machine is
// busy, are no fault of the peer's. A stream that
// cannot be read as frames is a protocol error, not a timeout.
TEST_F(TcpGameTest, PeerHeldToHandshakeAndMessageDeadlines) {
  const auto rawBytes = [this](const std::string& bytes) {
    NetSelectLink(1);
    ASSERT_EQ(mem_.Send(NetEndpointForTests(), bytes.data(), static_cast<uint32_t>(bytes.size())),
              static_cast<int32_t>(bytes.size()));
  };
  const auto restart = [this] {
    NetSelectLink(1);
    NetCloseEndpoint();
    host_.Close();
    host_.Reset();
    hostSide_.alerts.clear();
    gRawLost = false;
    ConnectRaw();
  };
  // A keep-alive frame a byte a second: every frame whole in time, the handshake never done.
  ConnectRaw();
  const std::string keepAlive("\xFF\x00\x00\x00\x00", 5);
  for (int second = 1; second <= 30; ++second) {
    rawBytes(keepAlive.substr(static_cast<size_t>(second % 5), 1));
    mem_.AdvanceClock(1000);
    Pump(1);
  }
  EXPECT_TRUE(hostSide_.alerts.empty());
  mem_.AdvanceClock(1000);
  Pump(2);
  EXPECT_EQ(hostSide_.alerts, std::vector<int32_t>{4});
  NetSelectLink(0);
  EXPECT_EQ(NetLastLossCause(), NetLossCause::kHandshakeDeadline);
  EXPECT_TRUE(gRawLost);

  // After the version: minutes of silence are allowed; a chat line whose second half comes
  // 29 s after its first arrives; a message stalled after its first bytes is cut at 30 s.
  restart();
  RawSend(std::string(1, static_cast<char>(TCPIP_MSG_VERSION_OK)));
  mem_.AdvanceClock(120000);
  Pump();
  EXPECT_EQ(host_.GetState(), TCPIP_STATE_SERVER_WAITING_FOR_CLIENT);
  const std::string chat("\xFC\x00\x00\x00\x04\x13hi\x00", 9);
  rawBytes(chat.substr(0, 6));
  Pump();
  mem_.AdvanceClock(29000);
  Pump();
  rawBytes(chat.substr(6));
  Pump();
  EXPECT_EQ(host_.Radio().Text(0), "hi");
  // The time this machine spends busy (a turn computed, graphics loaded) is not the peer's.
  rawBytes(chat.substr(0, 6));
  Pump();
  NetSelectLink(0);
  for (int i = 0; i < 6; ++i) {
    mem_.AdvanceClock(10000);
    NetKeepAliveWhileBusy();
  }
  Pump();
  EXPECT_TRUE(hostSide_.alerts.empty());
  rawBytes(chat.substr(6));
  Pump();
  EXPECT_EQ(host_.Radio().Text(1), "hi");
  rawBytes(chat.substr(0, 3));
  Pump();
  mem_.AdvanceClock(30000);
  Pump();
  EXPECT_TRUE(hostSide_.alerts.empty());
  mem_.AdvanceClock(1);
  Pump();
  EXPECT_EQ(hostSide_.alerts, std::vector<int32_t>{4});
  NetSelectLink(0);
  EXPECT_EQ(NetLastLossCause(), NetLossCause::kMessageDeadline);
  EXPECT_TRUE(gRawLost);

  // Bytes that cannot be framed: the protocol error's alert, at once.
  restart();
  rawBytes(std::string("\xFC\xFF\xFF\xFF\xFF" "GET / HTTP/1.0\r\n", 21));
  Pump();
  EXPECT_EQ(hostSide_.alerts, std::vector<int32_t>{6});
  NetSelectLink(0);
  EXPECT_EQ(NetLastLossCause(), NetLossCause::kBadStream);
  EXPECT_TRUE(gRawLost);
}

TEST_F(TcpGameTest, RefusedReceivedGameStopsThere) {
  clientSide_.refuseGame = true;
  Connect();
  Pump();
  EXPECT_EQ(client_.GetState(), TCPIP_STATE_CLIENT_DOWNLOADING_GAME);
  EXPECT_TRUE(client_.HasFailed());
}

TEST_F(TcpGameTest, UnmergeableTurnEndsTheConnection) {
  StartGame();
  hostSide_.IssueGo();
  host_.Transfer().SetOutgoing("O|broken");
  Pump();
  EXPECT_EQ(clientSide_.alerts, std::vector<int32_t>{6});
  EXPECT_TRUE(clientSide_.merged.empty());
}

TEST_F(TcpGameTest, LostLinkAlerts) {
  StartGame();
  const uint8_t quit = TCPIP_MSG_QUIT;
  client_.SendMessage(&quit, 1, 4);
  Pump();
  client_.Close();
  Pump();
  EXPECT_EQ(hostSide_.alerts, std::vector<int32_t>{5});
  TcpGame other(hostSide_, 0);
  hostSide_.alerts.clear();
  other.ReportLostConnection(true);
  other.Reset();
  other.ReportLostConnection(false);
  EXPECT_EQ(hostSide_.alerts, (std::vector<int32_t>{3, 4}));
  other.Reset();
  other.SetResultsShown(true);
  other.ReportLostConnection(true);
  EXPECT_EQ(hostSide_.alerts.size(), 2u);
  // Back at the main screen: the peer went just before this machine closed the link itself.
  other.LeftGame();
  other.Reset();
  other.ReportLostConnection(true);
  EXPECT_EQ(hostSide_.alerts.size(), 2u);
}

TEST_F(TcpGameTest, MessageThatCannotBeQueuedIsALostLink) {
  EXPECT_FALSE(host_.SendMessage(reinterpret_cast<const uint8_t*>("\x11"), 1, 1));  // no link
  EXPECT_EQ(hostSide_.alerts, std::vector<int32_t>{4});
}

// The opponent left the results first: this machine's game-over message finds no link, which
// is no error for the player once the battle is over.
TEST_F(TcpGameTest, GameOverThatFindsNoLinkRaisesNoAlert) {
  host_.SetResultsShown(true);
  const uint8_t over = TCPIP_MSG_GAME_OVER;
  EXPECT_FALSE(host_.SendMessage(&over, 1, 5));
  EXPECT_TRUE(host_.HasFailed());
  EXPECT_TRUE(hostSide_.alerts.empty());
}

// ---- The transfer ----

struct Queue {
  std::vector<std::string> sent;
  int allow = 1000;  // messages taken before the queue is full
  int32_t operator()(const uint8_t* data, uint32_t length) {
    if (allow == 0) return kNetNoRoom;
    --allow;
    sent.emplace_back(reinterpret_cast<const char*>(data), length);
    return 0;
  }
};

TEST(TcpTransferTest, ChunksAndEnd) {
  for (uint32_t size : {8191u, 8192u, 0u}) {
    TcpTransfer transfer;
    Queue queue;
    transfer.SetOutgoing(std::string(size, 'z'));
    EXPECT_EQ(transfer.Send(6, 7, std::ref(queue)), TcpTransfer::Step::kEndQueued);
    std::vector<size_t> sizes;
    for (const std::string& m : queue.sent) sizes.push_back(m.size());
    const std::vector<size_t> expected = size == 8191   ? std::vector<size_t>{8192, 1}
                                         : size == 8192 ? std::vector<size_t>{8192, 2, 1}
                                                        : std::vector<size_t>{1};
    EXPECT_EQ(sizes, expected);
    EXPECT_EQ(queue.sent.back(), "\x07");
    EXPECT_EQ(queue.sent.front()[0], size == 0 ? '\x07' : '\x06');
  }
}

TEST(TcpTransferTest, RefusedChunkAndEndAreRetried) {
  TcpTransfer transfer;
  Queue queue;
  transfer.SetOutgoing(std::string(10000, 'q'));
  queue.allow = 1;
  EXPECT_EQ(transfer.Send(9, 10, std::ref(queue)), TcpTransfer::Step::kStalled);  // the second chunk
  EXPECT_EQ(transfer.Reads(), 2u);
  queue.allow = 0;
  EXPECT_EQ(transfer.Send(9, 10, std::ref(queue)), TcpTransfer::Step::kStalled);
  EXPECT_EQ(transfer.Reads(), 2u);  // waiting in the buffer, not read again
  queue.allow = 1;
  EXPECT_EQ(transfer.Send(9, 10, std::ref(queue)), TcpTransfer::Step::kStalled);  // the end
  EXPECT_EQ(transfer.Reads(), 2u);
  EXPECT_TRUE(transfer.HasOutgoing());
  queue.allow = 1;
  EXPECT_EQ(transfer.Send(9, 10, std::ref(queue)), TcpTransfer::Step::kEndQueued);
  ASSERT_EQ(queue.sent.size(), 3u);
  EXPECT_EQ(queue.sent[1].size(), 10000u - 8191u + 1u);
  EXPECT_EQ(transfer.Send(9, 10, std::ref(queue)), TcpTransfer::Step::kIdle);
}

TEST(TcpTransferTest, IncomingFileIsCapped) {
  TcpTransfer transfer;
  std::string chunk(8191, 'c');
  const auto* bytes = reinterpret_cast<const uint8_t*>(chunk.data());
  uint64_t total = 0;
  while (total + chunk.size() <= TcpTransfer::kMaxIncoming) {
    ASSERT_TRUE(transfer.Append(bytes, static_cast<uint32_t>(chunk.size())));
    total += chunk.size();
  }
  EXPECT_FALSE(transfer.Append(bytes, static_cast<uint32_t>(chunk.size())));
  EXPECT_EQ(transfer.TakeIncoming().size(), total);
  EXPECT_FALSE(transfer.HasIncoming());
}

// ---- The radio ----

int32_t Width(const std::string& s) { return static_cast<int32_t>(s.size()) * 5; }

TEST(RadioLogTest, Wrapping) {
  RadioLog log;
  log.Add("abcdefghij", 0, 1, 50, Width);  // exactly the width
  EXPECT_EQ(log.Count(), 1);
  log.Clear();
  log.Add("abcdefghijklmnopqrstu", 1, 1, 50, Width);  // no break point: cut
  ASSERT_EQ(log.Count(), 4);
  EXPECT_EQ(log.Text(0), "abcdefghij");
  EXPECT_EQ(log.Text(1), "      klmn");
  EXPECT_EQ(log.Text(2), "      opqr");
  EXPECT_EQ(log.Text(3), "      stu");
  log.Clear();
  log.Add("hello world, again", 1, 1, 50, Width);
  ASSERT_GE(log.Count(), 2);
  EXPECT_EQ(log.Text(0), "hello ");
  EXPECT_EQ(log.Text(1).substr(0, 7), "      w");
  // A blank is a break point even where the prefix ending with it no longer fits.
  log.Clear();
  log.Add("abcdefghij klm", 0, 1, 50, Width);
  EXPECT_EQ(log.Text(0), "abcdefghij ");
  EXPECT_EQ(log.Text(1), "      klm");
  // A width narrower than the indent still moves on.
  log.Clear();
  log.Add(std::string(40, 'w'), 0, 1, 10, Width);
  EXPECT_EQ(log.Count(), RadioLog::kLines);
}

TEST(RadioLogTest, FifteenthDropsOldestAndExpiry) {
  RadioLog log;
  // Ticks near the wrap of the count: ages are taken modulo 2^32.
  const uint32_t start = 0xFFFF0000u;
  for (int i = 0; i < 15; ++i) log.Append(std::to_string(i), 0, start + static_cast<uint32_t>(i) * 10000);
  ASSERT_EQ(log.Count(), 14);
  EXPECT_EQ(log.Text(0), "1");
  EXPECT_EQ(log.Text(13), "14");
  log.Expire(start + 100000);  // lines 1 (age 90 s) and 0 is gone already
  EXPECT_EQ(log.Text(0), "2");
  EXPECT_EQ(log.Count(), 13);
  log.Expire(start + 140000 + 89999);
  EXPECT_EQ(log.Count(), 1);
  EXPECT_EQ(log.Text(0), "14");
  EXPECT_EQ(log.Text(1), "");
}

}  // namespace
