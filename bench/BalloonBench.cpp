// One unit information balloon: composing the texts of a tank with two penetration tables and
// of a squad with four weapon slots, and composing and setting them in the screen fonts on a
// 16-bit software surface (aim: at most 2 ms a draw on one core).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "framework/kernel/GKernel.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/ui/UnitInfoBalloon.h"
#include "platform/PFont.h"
#include "platform/PSurface.h"

namespace {

// The tables, a battle and one own tank and squad of the tables on its map.
struct BalloonWorld {
  BalloonWorld() {
    kernel = std::make_unique<GKernel>();
    kernel->FindProgramFolder();
    Hack::LoadTables();
    headless = std::make_unique<HeadlessBattle>();
    headless->New();
    Battle& battle = *headless->GetBattle();
    for (int32_t i = 0; i < gVehicleClasses.Count() && tank == nullptr; ++i) {
      const VehicleData c = gVehicleClasses[i];
      if (c.TurretSpeedClass() == 5 || c.MainArmour() <= 0 || !gWeapons.IsValid(c.MainWeapon())) continue;
      const WeaponData w = gWeapons[c.MainWeapon()];
      if (w.Type() < 1 || w.Type() > 3 || c.AmmoRow() < 0 || c.AmmoRow() > 2 || w.MixPercent(c.AmmoRow(), 0) <= 0 ||
          w.MixPercent(c.AmmoRow(), 0) >= 100 || w.MaxRange() < 2000.0f)
        continue;
      tank = new Vehicle();
      tank->SetClass(i, 6, 2, 300.0f, 300.0f, 0.0f);
      tank->side = 1;
      battle.AddUnitToMap(tank, 300.0f, 300.0f);
    }
    for (int32_t i = 0; i < gInfantryClasses.Count() && squad == nullptr; ++i) {
      if (gInfantryClasses[i].WeaponSlotCount() != 4) continue;
      squad = new Infantry();
      squad->Init(i, 6, 2, 320.0f, 300.0f, 0.0f);
      squad->side = 1;
      battle.AddUnitToMap(squad, 320.0f, 300.0f);
    }
    for (int32_t f = 0; f < PFont::kStandardCount; ++f) fonts.push_back(PFont::OpenStandard(f));
  }
  std::unique_ptr<GKernel> kernel;
  std::unique_ptr<HeadlessBattle> headless;
  Vehicle* tank = nullptr;
  Infantry* squad = nullptr;
  std::vector<std::unique_ptr<PFont>> fonts;
};

BalloonWorld& World() {
  static BalloonWorld* world = new BalloonWorld;
  return *world;
}

// Composes the balloon of the unit and sets every text on the surface.
void DrawBalloon(benchmark::State& state, Unit* unit) {
  BalloonWorld& world = World();
  if (unit == nullptr || world.fonts.size() != 3 || !world.fonts[2]) {
    state.SkipWithError("no such unit in the tables, or a font is missing");
    return;
  }
  // A balloon outside any view tree (hidden, so that nothing asks for a redraw); kept for the
  // program's life, as a view without a parent gives its place back to a root view.
  auto* balloon = new UnitInfoBalloon;
  balloon->SetVisible(0);
  balloon->SetUnit(unit);
  PSurface surface(402, 390, PPixelFormat::kRGB565);
  int64_t lines = 0;
  for (auto _ : state) {
    const std::vector<PanelItem> items = balloon->Compose();
    for (const PanelItem& item : items) {
      const PFont* font = world.fonts[static_cast<size_t>(item.font)].get();
      if (font != nullptr) font->DrawText(surface, item.text, item.x, item.y, 0xFFFF);
    }
    lines += static_cast<int64_t>(items.size());
    benchmark::DoNotOptimize(surface.Pixels());
  }
  state.counters["lines"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kAvgIterations);
}

void BM_BalloonTank(benchmark::State& state) { DrawBalloon(state, World().tank); }
BENCHMARK(BM_BalloonTank)->Unit(benchmark::kMicrosecond);

void BM_BalloonSquad(benchmark::State& state) { DrawBalloon(state, World().squad); }
BENCHMARK(BM_BalloonSquad)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
