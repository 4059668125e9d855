// Buying units on one core: filling the purchase catalogue for every force, unweighted as the
// purchase screen does and weighted as the computer's purchase does (aim 20 ms or less each),
// probing the cost of the largest formation (aim 0.2 ms or less), and drawing a full AVAILABLE
// page at 1024 x 768, 42 formation rows each priced by a probe (aim 5 ms or less, so that
// hovering keeps 60 frames a second).
// The computer's purchase of both sides of a 5000-point quick battle, catalogue fills, limits
// and placement included (aim 200 ms or less).
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/GameSettings.h"
#include "app/WRApplication.h"
#include "editor/EditorCatalogueList.h"
#include "editor/EditorInstall.h"
#include "editor/EditorState.h"
#include "editor/PurchaseEntry.h"
#include "editor/UnitCatalogue.h"
#include "framework/kernel/DisplayPreset.h"
#include "framework/kernel/GKernel.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/units/tables/Hack.h"
#include "platform/PClock.h"
#include "platform/PDisplay.h"
#include "platform/PFakeBackEnd.h"
#include "platform/PPath.h"

namespace fs = std::filesystem;

namespace {

// The application on the fake back-end with the full editor open on a new battle.
class PurchaseWorld {
 public:
  PurchaseWorld() {
    folder_ = fs::temp_directory_path() / ("tarvane-purchase-bench-" + std::to_string(::getpid()));
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
  }
  ~PurchaseWorld() {
    kernel_.reset();
    PClock::SetFake(nullptr);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  PurchaseWorld(const PurchaseWorld&) = delete;
  PurchaseWorld& operator=(const PurchaseWorld&) = delete;

  EditorState* State() const { return app_ != nullptr ? dynamic_cast<EditorState*>(app_->GetEditor()) : nullptr; }
  WRApplication* App() const { return app_; }

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
};

void Fill(benchmark::State& state, bool weighted) {
  PurchaseWorld world;
  if (world.State() == nullptr) {
    state.SkipWithError("the editor did not open");
    return;
  }
  UnitCatalogue catalogue;
  for (auto _ : state) {
    catalogue.Fill(*world.State(), weighted, false);
    benchmark::DoNotOptimize(catalogue.TotalEntries());
  }
  state.counters["entries"] = static_cast<double>(catalogue.TotalEntries());
}

void BM_CatalogueFillUnweighted(benchmark::State& state) { Fill(state, false); }
BENCHMARK(BM_CatalogueFillUnweighted)->Unit(benchmark::kMillisecond);

void BM_CatalogueFillWeighted(benchmark::State& state) { Fill(state, true); }
BENCHMARK(BM_CatalogueFillWeighted)->Unit(benchmark::kMillisecond);

// The units a formation adds, nested formations included.
int32_t MemberCount(int32_t formation, int32_t guard = 0) {
  if (!gFormations.IsValid(formation) || guard > 8) return 0;
  const FormationData record = gFormations[formation];
  int32_t count = 0;
  for (int32_t e = 0; e < record.EntryCount() && e < FormationData::kMaxEntries; ++e) {
    const int32_t each = record.EntryKind(e) == FormationData::kNestedFormation ? MemberCount(record.EntryClass(e), guard + 1) : 1;
    count += each * record.EntryNumber(e);
  }
  return count;
}

void BM_ProbeLargestFormation(benchmark::State& state) {
  PurchaseWorld world;
  EditorState* editor = world.State();
  if (editor == nullptr) {
    state.SkipWithError("the editor did not open");
    return;
  }
  int32_t largest = 0;
  for (int32_t f = 1; f < gFormations.Count(); ++f) {
    if (MemberCount(f) > MemberCount(largest)) largest = f;
  }
  const PurchaseEntry entry(PurchaseEntry::kFormation, static_cast<int16_t>(largest), 1);
  for (auto _ : state) benchmark::DoNotOptimize(editor->ProbePurchaseCost(entry, nullptr, false));
  state.counters["units"] = static_cast<double>(MemberCount(largest));
}
BENCHMARK(BM_ProbeLargestFormation)->Unit(benchmark::kMicrosecond);

void BM_AvailablePageDraw(benchmark::State& state) {
  PurchaseWorld world;
  EditorState* editor = world.State();
  if (editor == nullptr) {
    state.SkipWithError("the editor did not open");
    return;
  }
  editor->DoCommand(105);
  EditorCatalogueList* list = editor->catalogueList;
  if (list == nullptr || list->rowsPerPage != 42) {
    state.SkipWithError("the purchase screen did not open at 1024 x 768");
    return;
  }
  // The Infantry page of the chosen force, its formations repeated until a page is full.
  GObjectGroup& entries = list->Entries();
  std::vector<int16_t> formations;
  for (int32_t i = 0; i < entries.Count(); ++i) {
    const auto* entry = static_cast<const PurchaseEntry*>(entries.GetItem(i));
    if (entry->kind == PurchaseEntry::kFormation) formations.push_back(entry->classIndex);
  }
  if (formations.empty()) {
    state.SkipWithError("no formation to show");
    return;
  }
  entries.DeleteAll(true);
  for (int32_t i = 0; i < list->rowsPerPage; ++i) {
    auto* entry = new PurchaseEntry(PurchaseEntry::kFormation, formations[static_cast<size_t>(i) % formations.size()], 1);
    entry->name.Assign("Formation");
    entries.Append(entry);
  }
  for (auto _ : state) list->Draw();
  state.counters["rows"] = static_cast<double>(list->rowCount);
}
BENCHMARK(BM_AvailablePageDraw)->Unit(benchmark::kMillisecond);

void BM_ChooseComputerForces(benchmark::State& state) {
  PurchaseWorld world;
  EditorState* editor = world.State();
  if (editor == nullptr || world.App() == nullptr) {
    state.SkipWithError("the editor did not open");
    return;
  }
  int32_t units = 0;
  uint32_t seed = 1;
  for (auto _ : state) {
    state.PauseTiming();
    // A fresh battle for every purchase: both sides bought by the computer, 5000 points each.
    editor->DoCommand(112);
    Battle* battle = world.App()->GetBattle();
    for (int32_t side = 0; side < 2; ++side) {
      battle->autoPurchase[side] = 1;
      battle->mustPurchase[side] = 1;
      battle->forcePoints[side] = 5000;
      battle->sideValueE[side] = 1;
      battle->forceType[side] = 0;
      battle->sideByteF[side] = 0;
    }
    battle->attacker = 1;
    SeedRandom(seed++);
    state.ResumeTiming();
    editor->ChooseComputerForces();
    units = battle->UnitCount();
  }
  state.counters["units"] = static_cast<double>(units);
}
BENCHMARK(BM_ChooseComputerForces)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
