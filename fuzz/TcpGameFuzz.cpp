// Plays a hostile peer against a TCP/IP game over a fixed battle: the game starts in any of
// the 24 connection states, as host or client, and takes a sequence of messages of any type,
// size and content; between them its idle step runs and the clock moves. Files it receives are
// read and merged into the battle for real. It must never fault, leak or read out of bounds,
// its state must stay one of the 24, and a message it refuses must end the connection.
//
// Input: byte 0 (the state mod 24, bit 7 the host flag), then messages: a type byte and a
// length byte n followed by n payload bytes; type 0xFE instead sends a data message (type by
// the next byte) that carries the battle's own orders block laid over with the next n bytes,
// and type 0xFD ends the turn's orders (the battle's GO) or its replay, by the next byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/TcpGame.h"
#include "framework/core/GMemoryFile.h"
#include "framework/core/Quorl.h"
#include "framework/media/NetLink.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/TurnMerge.h"
#include "game/units/records/UnitIds.h"
#include "platform/PClock.h"
#include "platform/PNetMemoryTransport.h"
#include "support/ScreenlessTcpHost.h"
#include "FuzzFolder.h"
#include "FuzzSmallMap.h"
#include "FuzzTestUnits.h"

namespace {

uint64_t gMs = 1000000;

struct FuzzHost : ScreenlessTcpHost {
  HeadlessBattle* headless = nullptr;
  TcpGame* game = nullptr;
  int32_t side = 0;
  uint32_t TickCount() override { return static_cast<uint32_t>(gMs); }
  int32_t VersionNumber() const override { return 110; }
  bool HasBattle() const override { return true; }
  void StateChanged(int32_t) override {}
  void ShowAlert(int32_t) override {}
  bool WriteWholeGame(std::string& bytes) override { return headless->SaveBytes(bytes); }
  bool WriteOrders(bool withPackets, std::string& bytes) override {
    Battle& battle = *headless->GetBattle();
    GMemoryFile memory;
    battle.WriteOrders(memory.File());
    TurnMerge::WriteTail(battle, memory.File(), withPackets);
    bytes = memory.Bytes();
    return !memory.File().HasError();
  }
  bool OpenReceivedGame(const std::string& bytes) override { return bytes.size() > 4; }
  bool MergeReceivedTurn(const std::string& bytes, bool allSides, bool answer) override {
    GMemoryFile memory(bytes);
    return TurnMerge::Merge(*headless->GetBattle(), memory.File(), allSides, answer, side);
  }
  bool InSetupPhase() const override { return false; }
  bool CeaseFireEndsBattle() override { return false; }
  bool ComputesHere() const override { return true; }
  int32_t OwnSide() const override { return side; }
  void IssueGo() override { game->EndNetworkOrders(); }
  void EndReplay() override { game->ReplayEnded(); }
  bool HasRadioEntry() const override { return true; }
};

struct FuzzWorld {
  FuzzWorld() {
    headless.New();
    Battle& battle = *headless.GetBattle();
    // A small map: the battle is read again for every input.
    FuzzSmallMap::Use(battle);
    Unit* a = FuzzTestUnits::Place(new TestInfantry(), 0, 60.0f, 70.0f);
    Unit* b = FuzzTestUnits::Place(new TestVehicle(), 1, 260.0f, 180.0f);
    a->designation = 1;
    b->designation = 2;
    battle.AddUnitToMap(a, a->x, a->y);
    battle.AddUnitToMap(b, b->x, b->y);
    a->target = b;
    if (!headless.SaveBytes(kept)) std::abort();
    host.headless = &headless;
    if (!host.WriteOrders(false, orders)) std::abort();
    PClock::SetFake([] { return gMs; });
    NetSetTransport(&transport);
  }

  FuzzFolder folder{"tcpgamefuzz"};
  FuzzTestUnits units;
  HeadlessBattle headless;
  FuzzHost host;
  PNetMemoryTransport transport;
  std::string kept;
  std::string orders;
};

FuzzWorld& World() {
  static FuzzWorld world;
  return world;
}

void PeerMessage(const uint8_t*, uint32_t) {}
void PeerLost(bool) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzWorld& world = World();
  if (size < 1) return 0;
  if (!world.headless.LoadBytes(world.kept)) std::abort();
  TcpGame game(world.host, 0);
  world.host.game = &game;
  // The game listens on record 0; the peer joins on record 1 and reads what comes back.
  if (!game.StartHosting()) std::abort();
  NetSelectLink(1);
  if (!NetOpenEndpoint(false, NetMakeAddress(127, 0, 0, 1), TcpGame::kPort, PeerMessage, PeerLost)) std::abort();
  NetSelectLink(0);
  NetIdle();
  game.SetState(data[0] % 24);
  game.SetHost((data[0] & 0x80) != 0);
  world.host.side = (data[0] & 0x40) != 0 ? 1 : 0;
  game.SetTimeLimit((data[0] & 0x20) != 0 ? 60000 : 0);
  std::string message;
  size_t at = 1;
  while (at + 1 < size) {
    const uint8_t type = data[at];
    const size_t n = data[at + 1];
    at += 2;
    const size_t take = n < size - at ? n : size - at;
    if (type == 0xFE && take >= 1) {
      // The battle's own orders, laid over with the rest, in one data message.
      message.assign(1, static_cast<char>(data[at]));
      message += world.orders;
      for (size_t i = 1; i < take && i < message.size(); ++i) message[i] = static_cast<char>(message[i] ^ data[at + i]);
    } else if (type == 0xFD) {
      if (take >= 1 && (data[at] & 1) != 0) {
        game.ReplayEnded();
      } else {
        game.EndNetworkOrders();
      }
      message.clear();
    } else {
      message.assign(1, static_cast<char>(type));
      message.append(reinterpret_cast<const char*>(data + at), take);
    }
    at += take;
    if (!message.empty()) game.ReceiveMessage(reinterpret_cast<const uint8_t*>(message.data()), static_cast<uint32_t>(message.size()));
    if (game.GetState() < 0 || game.GetState() > 23) std::abort();
    gMs += 20000;
    for (int pass = 0; pass < 3; ++pass) {
      NetSelectLink(0);
      NetIdle();
      game.Idle();
      NetSelectLink(1);
      NetIdle();
    }
    if (game.GetState() < 0 || game.GetState() > 23) std::abort();
  }
  for (int i = 1; i >= 0; --i) {
    NetSelectLink(i);
    NetCloseEndpoint();
  }
  NetSelectLink(0);
  return 0;
}
