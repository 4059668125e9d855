// Speed of the core types the battle engine's inner loops run through: checked grid reads
// next to raw array reads over the same 2500 x 2500 byte grid, and QuickSort of 100,000
// group members.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "framework/core/GDynamicArray.h"
#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"

namespace {

constexpr int32_t kSide = 2500;

GDynamicArray& Grid() {
  static GDynamicArray* grid = [] {
    auto* g = new GDynamicArray;
    g->Init(1, kSide, kSide);
    SeedRandom(11);
    for (int32_t r = 0; r < kSide; ++r) {
      for (int32_t c = 0; c < kSide; ++c) g->SetU8(r, c, static_cast<uint8_t>(Random(256)));
    }
    return g;
  }();
  return *grid;
}

const std::vector<uint8_t>& RawGrid() {
  static std::vector<uint8_t> raw = [] {
    std::vector<uint8_t> v(static_cast<size_t>(kSide) * kSide);
    Grid().CopyDataTo(v.data());
    return v;
  }();
  return raw;
}

// Times the whole benchmark loop and reports nanoseconds per element read.
class PerRead {
 public:
  PerRead(benchmark::State& state, double readsPerIteration)
      : state_(state), reads_(readsPerIteration), start_(std::chrono::steady_clock::now()) {}
  ~PerRead() {
    double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start_).count();
    double reads = reads_ * static_cast<double>(state_.iterations());
    state_.counters["ns_per_read"] = reads > 0 ? ns / reads : 0.0;
  }

 private:
  benchmark::State& state_;
  double reads_;
  std::chrono::steady_clock::time_point start_;
};

// The path finder's pattern: every inner cell reads its four neighbours.
void BM_GridNeighboursChecked(benchmark::State& state) {
  const GDynamicArray& grid = Grid();
  PerRead timer(state, 4.0 * (kSide - 2) * (kSide - 2));
  for (auto _ : state) {
    uint32_t sum = 0;
    for (int32_t r = 1; r < kSide - 1; ++r) {
      for (int32_t c = 1; c < kSide - 1; ++c) {
        sum += grid.GetU8(r - 1, c) + grid.GetU8(r + 1, c) + grid.GetU8(r, c - 1) + grid.GetU8(r, c + 1);
      }
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_GridNeighboursChecked)->Unit(benchmark::kMillisecond);

void BM_GridNeighboursRaw(benchmark::State& state) {
  const uint8_t* raw = RawGrid().data();
  int32_t columns = kSide;
  benchmark::DoNotOptimize(columns);
  PerRead timer(state, 4.0 * (kSide - 2) * (kSide - 2));
  for (auto _ : state) {
    uint32_t sum = 0;
    for (int32_t r = 1; r < kSide - 1; ++r) {
      for (int32_t c = 1; c < kSide - 1; ++c) {
        sum += raw[(r - 1) * columns + c] + raw[(r + 1) * columns + c] + raw[r * columns + c - 1] +
               raw[r * columns + c + 1];
      }
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_GridNeighboursRaw)->Unit(benchmark::kMillisecond);

// Reads at scattered cells (line-of-sight and target searches), the same cells for both.
const std::vector<int32_t>& ScatteredCells() {
  static std::vector<int32_t> cells = [] {
    std::vector<int32_t> v;
    SeedRandom(5);
    for (int i = 0; i < 1 << 20; ++i) {
      v.push_back(Random(kSide));
      v.push_back(Random(kSide));
    }
    return v;
  }();
  return cells;
}

void BM_GridScatteredChecked(benchmark::State& state) {
  const GDynamicArray& grid = Grid();
  const std::vector<int32_t>& cells = ScatteredCells();
  PerRead timer(state, static_cast<double>(cells.size() / 2));
  for (auto _ : state) {
    uint32_t sum = 0;
    for (size_t i = 0; i < cells.size(); i += 2) sum += grid.GetU8(cells[i], cells[i + 1]);
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_GridScatteredChecked)->Unit(benchmark::kMillisecond);

void BM_GridScatteredRaw(benchmark::State& state) {
  const uint8_t* raw = RawGrid().data();
  const std::vector<int32_t>& cells = ScatteredCells();
  PerRead timer(state, static_cast<double>(cells.size() / 2));
  for (auto _ : state) {
    uint32_t sum = 0;
    for (size_t i = 0; i < cells.size(); i += 2) sum += raw[cells[i] * kSide + cells[i + 1]];
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_GridScatteredRaw)->Unit(benchmark::kMillisecond);

class Member : public GObject {
 public:
  explicit Member(int32_t key) : key(key) {}
  int32_t key;
};

int32_t ByKey(GObject* a, GObject* b, void*) {
  int32_t x = static_cast<Member*>(a)->key;
  int32_t y = static_cast<Member*>(b)->key;
  return x < y ? -1 : (x > y ? 1 : 0);
}

void BM_GroupQuickSort100000(benchmark::State& state) {
  GGroup group;
  group.IGroup();
  SeedRandom(3);
  for (int i = 0; i < 100000; ++i) group.Append(new Member(Random(1000000)));
  for (auto _ : state) {
    state.PauseTiming();
    group.Shuffle();
    state.ResumeTiming();
    group.QuickSort(ByKey, nullptr);
  }
}
BENCHMARK(BM_GroupQuickSort100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
