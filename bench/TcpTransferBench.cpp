// The TCP/IP game's file transfer and merge:
// - 10 MiB sent by the game's idle step over loopback sockets to a receiving link, both ends in
//   this process: MiB/s and the longest idle pass of the sending game (counter "max pass ms",
//   wall clock; "max pass cpu ms", the thread's own processor time, which a loaded machine's
//   other work does not lengthen);
// - a received turn of 1,000 units merged into the battle (identities looked up by a hash map).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <string>
#include <vector>

#include "app/TcpGame.h"
#include "framework/core/GMemoryFile.h"
#include "framework/media/NetLink.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/TurnMerge.h"
#include "game/units/tables/Hack.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestVehicle.h"
#include "game/units/records/UnitIds.h"
#include "platform/PNetHost.h"
#include "platform/PNetTransport.h"
#include "support/ScreenlessTcpHost.h"
#include "support/TestFolder.h"

namespace {

struct SenderHost : ScreenlessTcpHost {
  uint32_t TickCount() override { return 1; }
  int32_t VersionNumber() const override { return 110; }
  bool HasBattle() const override { return false; }
  void StateChanged(int32_t) override {}
  void ShowAlert(int32_t) override {}
  bool WriteWholeGame(std::string&) override { return false; }
  bool WriteOrders(bool, std::string&) override { return false; }
  bool OpenReceivedGame(const std::string&) override { return false; }
  bool MergeReceivedTurn(const std::string&, bool, bool) override { return false; }
  bool InSetupPhase() const override { return false; }
  bool CeaseFireEndsBattle() override { return false; }
  bool ComputesHere() const override { return false; }
  int32_t OwnSide() const override { return 0; }
  void IssueGo() override {}
  bool HasRadioEntry() const override { return false; }
};

// The calling thread's processor time in milliseconds.
double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1.0e6;
}

uint64_t gReceived = 0;
void OnMessage(const uint8_t*, uint32_t length) { gReceived += length - 1; }
void OnLost(bool) {}

void BM_TcpTransferTenMiB(benchmark::State& state) {
  const uint32_t kTotal = 10u << 20;
  NetSetTransport(nullptr);
  SenderHost host;
  double longest = 0.0;
  double longestCpu = 0.0;
  for (auto _ : state) {
    state.PauseTiming();
    TcpGame game(host, 0);
    NetSelectLink(0);
    if (!NetOpenEndpoint(true, PNetHost::kLoopback, 0, OnMessage, OnLost)) {
      state.SkipWithError("cannot listen");
      break;
    }
    const uint16_t port = PNetTransport::System().LocalPort(NetEndpointForTests());
    NetSelectLink(1);
    if (!NetOpenEndpoint(false, PNetHost::kLoopback, port, OnMessage, OnLost)) {
      state.SkipWithError("cannot connect");
      break;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    NetSelectLink(0);
    while (!NetIsConnected() && std::chrono::steady_clock::now() < deadline) {
      NetIdle();
      NetSelectLink(1);
      NetIdle();
      NetSelectLink(0);
    }
    gReceived = 0;
    game.SetState(TCPIP_STATE_UPLOADING_ORDERS);
    game.Transfer().SetOutgoing(std::string(kTotal, 'f'));
    state.ResumeTiming();

    while (gReceived < kTotal && std::chrono::steady_clock::now() < deadline) {
      const auto start = std::chrono::steady_clock::now();
      const double startCpu = ThreadCpuMs();
      NetSelectLink(0);
      NetIdle();
      game.Idle();
      const std::chrono::duration<double, std::milli> pass = std::chrono::steady_clock::now() - start;
      longest = std::max(longest, pass.count());
      longestCpu = std::max(longestCpu, ThreadCpuMs() - startCpu);
      NetSelectLink(1);
      NetIdle();
    }

    state.PauseTiming();
    if (gReceived != kTotal) state.SkipWithError("transfer incomplete");
    NetSelectLink(1);
    NetCloseEndpoint();
    NetSelectLink(0);
    NetCloseEndpoint();
    state.ResumeTiming();
  }
  state.counters["MiB/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * 10.0,
                                               benchmark::Counter::kIsRate);
  state.counters["max pass ms"] = longest;
  state.counters["max pass cpu ms"] = longestCpu;
}
BENCHMARK(BM_TcpTransferTenMiB)->Unit(benchmark::kMillisecond)->UseRealTime();

// A battle of 1,000 units of the unit tests' kinds, 500 a side, and the turn the opponent
// sends for it.
struct MergeWorld {
  MergeWorld() : infantry_(InfantryData::kSize * 4), vehicles_(VehicleData::kSize * 4) {
    gInfantryClasses = DataTable<InfantryData>(infantry_.data(), static_cast<uint32_t>(infantry_.size()));
    gVehicleClasses = DataTable<VehicleData>(vehicles_.data(), static_cast<uint32_t>(vehicles_.size()));
    RegisterBlankUnitMaker(0, []() -> Unit* { return new TestInfantry(); });
    RegisterBlankUnitMaker(1, []() -> Unit* { return new TestVehicle(); });
    headless.New();
    Battle& battle = *headless.GetBattle();
    for (int32_t i = 0; i < 1000; ++i) {
      Unit* unit = i % 2 == 0 ? static_cast<Unit*>(new TestInfantry()) : static_cast<Unit*>(new TestVehicle());
      const int32_t side = i < 500 ? 0 : 1;
      unit->Setup(100.0f + static_cast<float>(i % 40) * 20.0f, 100.0f + static_cast<float>(i / 40) * 20.0f, 0.0f,
                  side == 0 ? 6 : 0, 2);
      unit->side = static_cast<uint8_t>(1 - side);
      unit->designation = static_cast<uint16_t>(i + 1);
      battle.AddUnitToMap(unit, unit->x, unit->y);
    }
    for (int32_t i = 0; i < 1000; ++i) battle.UnitAt(i)->target = battle.UnitAt(999 - i);
    headless.SaveBytes(stored);
    GMemoryFile memory;
    battle.WriteOrders(memory.File());
    memory.File().WriteByte(0);
    turn = memory.Bytes();
  }
  TestFolder folder{true};
  std::vector<uint8_t> infantry_;
  std::vector<uint8_t> vehicles_;
  HeadlessBattle headless;
  std::string stored;
  std::string turn;
};

void BM_MergeThousandUnits(benchmark::State& state) {
  static MergeWorld world;
  for (auto _ : state) {
    state.PauseTiming();
    world.headless.LoadBytes(world.stored);
    GMemoryFile file(world.turn);
    state.ResumeTiming();
    if (!TurnMerge::Merge(*world.headless.GetBattle(), file.File(), false, false, 0)) state.SkipWithError("refused");
  }
}
BENCHMARK(BM_MergeThousandUnits)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
