// The map editor's costs on one core: filling the grids from a 250 x 250 map (aim 30 ms or
// less), one full draw of the map view at 1024 x 768 with elevation labels, 47 x 48 tiles
// (aim 8 ms or less), and one step of the 25-tile brush (aim 1 ms or less). The draw and the
// brush go to a canvas that only counts, so they time the view's own work.
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <unistd.h>

#include "MapTestWorld.h"
#include "app/GameSettings.h"
#include "app/WRApplication.h"
#include "editor/EditorInstall.h"
#include "editor/EditorMapGrids.h"
#include "editor/EditorMapPreview.h"
#include "editor/EditorState.h"
#include "editor/EditorTerrainPalette.h"
#include "framework/kernel/DisplayPreset.h"
#include "framework/kernel/GKernel.h"
#include "game/battle/Battle.h"
#include "game/map/Map.h"
#include "platform/PClock.h"
#include "platform/PDisplay.h"
#include "platform/PFakeBackEnd.h"
#include "platform/PPath.h"

namespace fs = std::filesystem;

namespace {

class CountingCanvas : public EditorMapCanvas {
 public:
  void Fill(const GRect&, Colour) override { ++calls; }
  void Sheet(const GRect&, int32_t, int32_t) override { ++calls; }
  void Line(int32_t, int32_t, int32_t, int32_t, Colour) override { ++calls; }
  void Text(const GString& text, int32_t, int32_t, int32_t, Colour, bool) override { calls += text.Length(); }
  int64_t calls = 0;
};

void BM_FillGridsFrom250By250(benchmark::State& state) {
  FakeApp app;
  Map map(app);
  if (!map.NewMap(5000.0f, 5000.0f, nullptr)) {
    state.SkipWithError("no map");
    return;
  }
  for (int32_t x = 0; x < 250; ++x)
    for (int32_t y = 0; y < 250; ++y) map.terrain.tileHeight.At(x, y) = static_cast<float>((x + y) % 20) * 2.5f;
  auto grids = std::make_unique<EditorMapGrids>();
  int32_t w = 0;
  int32_t h = 0;
  for (auto _ : state) {
    grids->FillFrom(map, w, h);
    benchmark::DoNotOptimize(grids->Block());
  }
}
BENCHMARK(BM_FillGridsFrom250By250)->Unit(benchmark::kMillisecond);

// The application on the fake back-end at 1024 x 768 with the map editor open on a 250 x 250
// map whose tiles all carry elevation labels.
class EditorWorld {
 public:
  EditorWorld() {
    folder_ = fs::temp_directory_path() / ("tarvane-editor-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    const fs::path built = fs::read_symlink("/proc/self/exe").parent_path().parent_path();
    std::error_code ignored;
    fs::create_directory_symlink(built / "BMP", folder_ / "BMP", ignored);
    fs::create_directory_symlink(built / "WAV", folder_ / "WAV", ignored);
    PPath::SetProgramFolder(folder_.string() + "/");
    WritePreferences(folder_ / "Tarvane Osmr Vel Prefs");
    auto reads = std::make_shared<uint64_t>(0);
    PClock::SetFake([reads] { return 1000 + (*reads)++ / 120; });
    auto backEnd = std::make_unique<PFakeBackEnd>();
    backEnd->SetDesktopSize(1024, 768);
    kernel_ = std::make_unique<GKernel>();
    bool ok = false;
    kernel_->Init(std::move(backEnd), &ok);
    if (!ok) return;
    app_ = new WRApplication();
    InstallEditor(*app_);
    kernel_->StartWithoutLoop(app_);
    app_->DoCommand(WRApplication::kCommandEditor);
    if (State() == nullptr || app_->GetBattle() == nullptr) return;
    Map* map = app_->GetBattle()->map;
    if (!map->NewMap(5000.0f, 5000.0f, nullptr)) return;
    app_->DoCommand(106);
    view_ = State()->mapView;
    if (view_ == nullptr) return;
    for (int32_t x = 0; x < 250; ++x)
      for (int32_t y = 0; y < 250; ++y) view_->Grids().SetLevel(x, y, static_cast<int8_t>((x + y) % 19 == 5 ? 4 : (x + y) % 19));
    view_->SetCanvas(&canvas);
  }
  ~EditorWorld() {
    if (view_ != nullptr) view_->SetCanvas(nullptr);
    kernel_.reset();
    PClock::SetFake(nullptr);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  EditorState* State() const { return app_ != nullptr ? dynamic_cast<EditorState*>(app_->GetEditor()) : nullptr; }
  EditorMapPreview* View() const { return view_; }
  CountingCanvas canvas;

 private:
  static void WritePreferences(const fs::path& path) {
    std::string bytes(WRApplication::kPreferencesSize, '\0');
    DisplayPreset record;
    record.use3DPreset = 1;
    record.driverIsPrimary = 1;
    record.deviceGuid = PDisplay::kDeviceGuid;
    record.width = 1024;
    record.height = 768;
    const auto raw = record.ToBytes();
    std::memcpy(bytes.data() + 1, raw.data(), raw.size());
    GameSettings defaults;
    std::memcpy(bytes.data() + 1 + DisplayPreset::kSize, defaults.Options(), WRApplication::kStoredOptions);
    std::ofstream(path, std::ios::binary) << bytes;
  }

  fs::path folder_;
  std::unique_ptr<GKernel> kernel_;
  WRApplication* app_ = nullptr;  // owned by the kernel
  EditorMapPreview* view_ = nullptr;
};

void BM_MapViewDraw1024x768(benchmark::State& state) {
  EditorWorld world;
  EditorMapPreview* view = world.View();
  if (view == nullptr) {
    state.SkipWithError("the map editor did not open");
    return;
  }
  for (auto _ : state) view->Draw();
  state.counters["calls_per_draw"] = static_cast<double>(world.canvas.calls) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_MapViewDraw1024x768)->Unit(benchmark::kMillisecond);

void BM_BrushStep25Tiles(benchmark::State& state) {
  EditorWorld world;
  EditorMapPreview* view = world.View();
  if (view == nullptr) {
    state.SkipWithError("the map editor did not open");
    return;
  }
  world.State()->terrainPalette->MouseDown(17 * 3 + 3, 3, 0, 0, 0);
  view->MouseDown(200, 200, 0, 1, 0);
  int32_t step = 0;
  for (auto _ : state) {
    // Alternating codes, so every step paints all 25 tiles.
    world.State()->terrainPalette->MouseDown(17 * (2 + (step++ & 1)) + 3, 3, 0, 0, 0);
    view->Track(200, 200, 1, 0);
  }
  view->MouseUp(200, 200, 0);
}
BENCHMARK(BM_BrushStep25Tiles)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
