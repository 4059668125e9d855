// One pick of the battlefield view under the pointer (MapView::PickAt: the map and its units
// drawn twice in pick mode, then the ground point taken) at 1024 x 768 on the software device,
// over the large battle (150 units a side on the 250 x 250 tile reference map). The view picks
// once for each mouse move it tracks; the kernel hands the view the moves of a frame as one,
// so one pick a frame is the load. Aim: at most 16 ms per pick (both passes) on one core.
// Milliseconds per pick (median, 95th percentile) at view levels 1, 3 and 5, the share of
// picks that found a ground point and a unit, and how many units the pointer rested on (the
// viewing side's units that the frame drew, placed where it drew them). The headless battle
// loads no unit models, so a pick finds a unit by its base marker.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "LargeBattleWorld.h"
#include "game/battle/PlainViewHost.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "framework/ui/GView.h"
#include "game/map/Map.h"
#include "game/units/Unit.h"
#include "game/units/ScreenlessDrawHost.h"
#include "game/units/ports/UnitContextScope.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/ui/MapView.h"
#include "platform/PSoft3DDevice.h"
#include "platform/PSurface.h"

namespace {

constexpr int32_t kWidth = 1024;
constexpr int32_t kHeight = 768;

// The views' host of the run: a 3-D screen that draws nothing itself.
class PickViewHost : public PlainViewHost {
 public:
  bool Is3D() const override { return true; }
};

// The battle screen's share of a pick: the unit under the pointer is recorded in the map.
class PickReports : public ScreenlessDrawHost {
 public:
  explicit PickReports(Map& map) : map_(map), context_(UnitContext{.draw = this}) {}
  PickReports(const PickReports&) = delete;
  PickReports& operator=(const PickReports&) = delete;
  void ReportPick(Unit& unit) override { map_.RecordPickedUnit(&unit); }
  // Every unit drawn reports where the screen shows it, as the battle screen's highlight of all
  // units asks.
  bool IsHighlightAll() const override { return true; }
  void SetUnitScreenBounds(Unit& /*unit*/, const GRect& bounds) override {
    if (!bounds.IsEmpty()) places.emplace_back((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
  }
  std::vector<std::pair<int32_t, int32_t>> places;

 private:
  Map& map_;
  UnitContextScope context_;
};

// The views' 3-D routes to the renderer, as the kernel gives them.
void RouteViewsTo(GGraph3D* r) {
  GView::Renderer3D views;
  views.setViewport = [r](int32_t left, int32_t top, int32_t width, int32_t height) {
    r->SetViewport(left, top, width, height);
  };
  views.setProjection = [r](int32_t left, int32_t top, int32_t width, int32_t height, float fieldOfView, float nearZ,
                            float farZ) { r->SetProjection(left, top, width, height, fieldOfView, nearZ, farZ); };
  views.pushMatrix = [r] { r->PushMatrix(); };
  views.popMatrix = [r] { r->PopMatrix(); };
  views.beginPick = [r](int32_t x, int32_t y, int32_t width, int32_t height, float fieldOfView, float nearZ,
                        float farZ) { r->BeginPick(x, y, width, height, fieldOfView, nearZ, farZ); };
  views.finishPick = [r] { r->FinishPick(); };
  views.endPick = [r] { r->EndPick(); };
  GView::SetRenderer3D(std::move(views));
}

// The large battle, read once for every benchmark of the run.
struct Scene {
  Scene() {
    LargeBattleWorld::Get("pick");
    loaded = LargeBattleWorld::Load(headless);
  }
  HeadlessBattle headless;
  bool loaded = false;
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

void Pick(benchmark::State& state) {
  const auto level = static_cast<int32_t>(state.range(0));
  Scene& scene = TheScene();
  Battle* battle = scene.headless.GetBattle();
  if (!scene.loaded || battle == nullptr || battle->map == nullptr) {
    state.SkipWithError("large battle missing");
    return;
  }
  Map& map = *battle->map;
  PickViewHost views;
  PSurface screen(kWidth, kHeight, PPixelFormat::kRGB565);
  PSoft3DDevice device(&screen, 0);  // rasterised on the calling thread
  GGraph3DHost host(&device, &screen, true);
  GGraph3D renderer(&host);
  renderer.Init3D();
  gGraph3D = &renderer;
  RouteViewsTo(&renderer);
  std::unique_ptr<MapView> view(MapView::Create(map, kWidth, kHeight));
  PickReports reports(map);
  map.display.drawState = 2;  // as the battle screen lets the map draw once it is open
  // Looking over the middle of the viewing side's force (the other side's is hidden from it)
  // from 250 m behind it.
  float cx = 0.0f, cy = 0.0f;
  int32_t own = 0;
  for (int32_t i = 0; i < battle->UnitCount(); ++i) {
    const Unit& unit = *battle->UnitAt(i);
    if (!unit.IsCurrentSide()) continue;
    cx += unit.x;
    cy += unit.y;
    ++own;
  }
  cx /= static_cast<float>(std::max(own, 1));
  cy /= static_cast<float>(std::max(own, 1));
  for (int32_t side = 0; side < 2; ++side) {
    map.camera.viewLevel[side] = level;
    map.camera.bearing[side] = 1.2f;
    map.camera.x[side] = cx - 250.0f * std::cos(1.2f);
    map.camera.y[side] = cy - 250.0f * std::sin(1.2f);
  }
  // The pointer sweeps the view on a coarse grid, one pick a frame, and between those points
  // rests on units where a frame shows them.
  std::vector<std::pair<int32_t, int32_t>> grid;
  for (int32_t y = 40; y < kHeight; y += 97) {
    for (int32_t x = 30; x < kWidth; x += 131) grid.emplace_back(x, y);
  }
  // The first frame works out the camera's projection; the view takes it, as the battle screen
  // does, and the second frame draws through it and finds where the units stand on the screen.
  for (int32_t frame = 0; frame < 2; ++frame) {
    reports.places.clear();
    renderer.RenderBegin();
    map.Invalidate();
    map.Draw();
    renderer.RenderEnd();
    view->SetProjection(map.frame.fieldOfView, map.frame.nearPlane, map.frame.farPlane);
  }
  std::vector<std::pair<int32_t, int32_t>> points;
  for (const auto& [sx, sy] : reports.places) {
    if (sx < 0 || sy < 0 || sx >= kWidth || sy >= kHeight || points.size() >= 2 * grid.size()) continue;
    points.emplace_back(grid[points.size() / 2 % grid.size()]);
    points.emplace_back(sx, sy);
  }
  const auto aimed = static_cast<double>(points.size() / 2);
  if (points.empty()) points = grid;
  std::vector<double> ms;
  size_t next = 0;
  int64_t grounds = 0;
  int64_t units = 0;
  for (auto _ : state) {
    const auto [x, y] = points[next++ % points.size()];
    map.orders.pickX = -1.0f;
    map.SetPickRecording(true);
    const auto start = std::chrono::steady_clock::now();
    view->PickAt(x, y);
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    if (map.GetPickedUnit() != nullptr) ++units;
    map.SetPickRecording(false);
    if (map.orders.pickX != -1.0f) ++grounds;
  }
  view.reset();
  GView::SetRenderer3D(GView::Renderer3D{});
  gGraph3D = nullptr;
  std::sort(ms.begin(), ms.end());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["p95_ms"] = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
  state.counters["ground_share"] = static_cast<double>(grounds) / static_cast<double>(ms.size());
  state.counters["units_aimed_at"] = aimed;
  state.counters["unit_share"] = static_cast<double>(units) / static_cast<double>(ms.size());
}

}  // namespace

BENCHMARK(Pick)->ArgName("level")->Arg(1)->Arg(3)->Arg(5)->Unit(benchmark::kMillisecond)->Iterations(88);

BENCHMARK_MAIN();
