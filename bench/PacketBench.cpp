// The packet list of one busy turn: 100,000 packets over 2,400 slices for 300 units (unit
// states, shots and sounds). Sorting a nearly sorted list, thinning 20,000 sounds, one replay
// frame, a step back from slice 2000, and writing and reading the list.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/GMemoryFile.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/Packet.h"
#include "game/battle/PacketList.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestVehicle.h"
#include "platform/PClock.h"
#include "platform/PPath.h"

namespace {

constexpr int32_t kPackets = 100000;
constexpr int32_t kUnits = 300;

uint64_t gNow = 1000000;

struct BenchWorld {
  BenchWorld() {
    path = PPath::TempFolder() + "tarvane-packetbench-" + std::to_string(getpid()) + "/";
    std::filesystem::create_directories(PPath::ToNative(path));
    PPath::SetProgramFolder(PPath::ToNative(path));
    PClock::SetFake([] { return gNow; });
    headless.New();
    Battle& battle = *headless.GetBattle();
    for (int32_t i = 0; i < kUnits; ++i) {
      Unit* unit = i % 3 == 0 ? static_cast<Unit*>(new TestVehicle()) : static_cast<Unit*>(new TestInfantry());
      unit->Setup(100.0f + static_cast<float>(i), 200.0f, 0.0f, i % 2 == 0 ? 6 : 0, 2);
      unit->side = static_cast<uint8_t>(i % 2);
      battle.AddUnitToMap(unit, unit->x, unit->y);
      units.push_back(unit);
    }
  }
  ~BenchWorld() {
    PClock::SetFake(nullptr);
    GErrorLog::Close();
    std::error_code ec;
    std::filesystem::remove_all(PPath::ToNative(path), ec);
  }

  Battle& B() { return *headless.GetBattle(); }

  // A fresh list of a realistic mix, in slice order but for a few packets made late.
  void Fill(int32_t count, bool soundsOnly) {
    Battle& battle = B();
    battle.packets.DeleteAll(true);
    SeedRandom(99);
    for (int32_t i = 0; i < count; ++i) {
      battle.currentSlice = static_cast<int32_t>(static_cast<int64_t>(i) * 2400 / count);
      const int32_t roll = Random(100);
      Packet* p = battle.NewPacket(Random(50) == 0 ? Random(10) : 0);
      Unit* unit = units[static_cast<size_t>(Random(kUnits))];
      if (soundsOnly || roll < 35) {
        p->kind = Packet::kSound;
        p->sound.source = unit;
        p->sound.looped = soundsOnly ? (i % 10 == 0 ? 1 : 0) : (Random(20) == 0 ? 1 : 0);
        p->sound.soundKind = static_cast<int16_t>(3 + Random(19));
        p->sound.audible[0] = 1;
        p->sound.audible[1] = Random(4) != 0 ? 1 : 0;
        p->sound.number = static_cast<uint16_t>(200 + Random(300));
      } else if (roll < 55) {
        p->kind = Packet::kFire;
        p->fire.shooter = unit;
        p->fire.targetX = 500.0f;
        p->fire.targetY = 600.0f;
        p->fire.count = 20 + Random(40);
        p->fire.effectCode = static_cast<int16_t>(Random(12));
        p->fire.speed = 1.0f;
        p->fire.alwaysVisible = 1;
      } else {
        p->kind = Packet::kUnitState;
        p->state.unit = unit;
        p->state.lifeCode = 1;
        p->state.facing = static_cast<float>(Random(360));
        p->state.ammo = {5, 4, 3, 2, 1};
      }
    }
  }

  std::string path;
  HeadlessBattle headless;
  std::vector<Unit*> units;
};

BenchWorld& World() {
  static BenchWorld world;
  return world;
}

void BM_SortNearlySorted(benchmark::State& state) {
  BenchWorld& world = World();
  world.Fill(kPackets, false);
  GGroup& list = world.B().packets;
  std::vector<GObject*> made(static_cast<size_t>(list.Count()));
  GObject** members = list.Lock();
  std::copy(members, members + list.Count(), made.begin());
  list.Unlock();
  for (auto _ : state) {
    state.PauseTiming();
    members = list.Lock();
    std::copy(made.begin(), made.end(), members);
    list.Unlock();
    state.ResumeTiming();
    benchmark::DoNotOptimize(PacketList::Sort(list));
  }
  state.SetItemsProcessed(state.iterations() * kPackets);
}
BENCHMARK(BM_SortNearlySorted)->Unit(benchmark::kMillisecond);

void BM_ThinSounds(benchmark::State& state) {
  BenchWorld& world = World();
  int64_t removed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    world.Fill(20000, true);
    state.ResumeTiming();
    removed += PacketList::ThinSounds(world.B().packets, 8);
  }
  state.counters["removed"] =
      benchmark::Counter(static_cast<double>(removed) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_ThinSounds)->Unit(benchmark::kMillisecond);

void BM_ReplayFrame(benchmark::State& state) {
  BenchWorld& world = World();
  world.Fill(kPackets, false);
  Battle& battle = world.B();
  battle.SortPackets();
  battle.replayState = Replay::kPlaying;
  battle.StartReplay();
  for (auto _ : state) {
    gNow += 25;
    battle.ReplayStep();
    battle.FlushSoundEvents();
    if (battle.replayState == Replay::kPaused) {
      state.PauseTiming();
      battle.replayState = Replay::kPlaying;
      battle.DeleteReplayEffects();
      battle.StartReplay();
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_ReplayFrame)->Unit(benchmark::kMicrosecond);

void BM_StepBackAt2000(benchmark::State& state) {
  BenchWorld& world = World();
  world.Fill(kPackets, false);
  Battle& battle = world.B();
  battle.SortPackets();
  battle.replayState = Replay::kPlaying;
  battle.StartReplay();
  for (auto _ : state) {
    state.PauseTiming();
    battle.SeekReplay(1999);
    battle.FlushSoundEvents();
    state.ResumeTiming();
    battle.ReplayControl(12);
    battle.FlushSoundEvents();
  }
}
BENCHMARK(BM_StepBackAt2000)->Unit(benchmark::kMillisecond);

void BM_WriteReadList(benchmark::State& state) {
  BenchWorld& world = World();
  world.Fill(kPackets, false);
  Battle& battle = world.B();
  int64_t bytes = 0;
  for (auto _ : state) {
    GMemoryFile out;
    battle.WritePackets(out.File());
    const std::string stored = out.Bytes();
    GMemoryFile in(stored);
    if (!battle.ReadPackets(in.File())) state.SkipWithError("list refused");
    bytes += static_cast<int64_t>(stored.size()) * 2;
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_WriteReadList)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
