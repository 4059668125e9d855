// Speed of loading the largest battle map: Read of a stored 250 x 250 tile map with hills,
// water, woods and roads (every set-up pass that exists), the corner-height pass alone, and
// Write; and the point queries every unit, shot and sight-line step asks of it (elevation and
// terrain type, in queries per second, at points spread over the whole map).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "MapTestWorld.h"
#include "framework/core/GFile.h"
#include "game/map/Map.h"
#include "platform/PFile.h"
#include "platform/PPath.h"

namespace {

std::string TempPath(const char* name) {
  return PPath::TempFolder() + "tarvane-mapbench-" + std::to_string(getpid()) + "-" + name;
}

std::unique_ptr<GFile> Open(const std::string& path, bool write) {
  auto file = std::make_unique<GFile>();
  auto handle = write ? PFile::Open(path, PFile::kRead | PFile::kWrite, PFile::Disposition::kCreateAlways)
                      : PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting);
  file->IFile(std::move(handle), path.c_str(), write ? GFile::kModeWrite : GFile::kModeRead);
  return file;
}

// A 250 x 250 map of rolling hills with lakes, woods and a road grid, written once.
struct LargeMap {
  LargeMap() {
    Map map(app);
    map.NewMap(5000.0f, 5000.0f, nullptr);
    for (int32_t x = 0; x < 250; ++x) {
      for (int32_t y = 0; y < 250; ++y) {
        int32_t level = ((x * 7) / 13 + (y * 5) / 11) % 9 - 2;
        map.terrain.tileHeight.At(x, y) = static_cast<float>(level) * 2.5f;
        MapTile& tile = map.terrain.tiles.At(x, y);
        if ((x / 10 + y / 10) % 7 == 0) tile.code = 25;
        else if ((x * 3 + y) % 5 == 0) tile.code = 14;
        else if ((x + 2 * y) % 11 == 0) tile.code = 20;
        if (x % 25 == 0) tile.roadCode = 96;
      }
    }
    auto file = Open(path, true);
    map.Write(*file);
  }
  ~LargeMap() { std::remove(PPath::ToNative(path).c_str()); }
  FakeApp app;
  std::string path = TempPath("large.map");
};

LargeMap& Large() {
  static LargeMap large;
  return large;
}

void BM_ReadLargestMap(benchmark::State& state) {
  LargeMap& large = Large();
  for (auto _ : state) {
    auto file = Open(large.path, false);
    Map map(large.app);
    benchmark::DoNotOptimize(map.Read(file.get()));
  }
}
BENCHMARK(BM_ReadLargestMap)->Unit(benchmark::kMillisecond);

void BM_VertexHeightsOfLargestMap(benchmark::State& state) {
  LargeMap& large = Large();
  auto file = Open(large.path, false);
  Map map(large.app);
  map.Read(file.get());
  for (auto _ : state) map.ComputeVertexHeights();
}
BENCHMARK(BM_VertexHeightsOfLargestMap)->Unit(benchmark::kMillisecond);

void BM_FineGridOfLargestMap(benchmark::State& state) {
  LargeMap& large = Large();
  auto file = Open(large.path, false);
  Map map(large.app);
  map.Read(file.get());
  for (auto _ : state) {
    map.BuildFineGrid();
    map.MarkSteepEdges();
  }
}
BENCHMARK(BM_FineGridOfLargestMap)->Unit(benchmark::kMillisecond);

void BM_WriteLargestMap(benchmark::State& state) {
  LargeMap& large = Large();
  auto in = Open(large.path, false);
  Map map(large.app);
  map.Read(in.get());
  std::string path = TempPath("out.map");
  for (auto _ : state) {
    auto out = Open(path, true);
    map.Write(*out);
  }
  std::remove(PPath::ToNative(path).c_str());
}
BENCHMARK(BM_WriteLargestMap)->Unit(benchmark::kMillisecond);

// Points spread over the map (and a few off it), walked in a fixed order.
struct QueryPoints {
  QueryPoints() {
    uint32_t v = 12345;
    for (auto& p : points) {
      v = v * 1103515245u + 12345u;
      p[0] = static_cast<float>(v % 5040000u) * 0.001f - 20.0f;
      v = v * 1103515245u + 12345u;
      p[1] = static_cast<float>(v % 5040000u) * 0.001f - 20.0f;
    }
  }
  float points[4096][2];
};

template <class Query>
void RunQueries(benchmark::State& state, Query query) {
  LargeMap& large = Large();
  auto file = Open(large.path, false);
  Map map(large.app);
  map.Read(file.get());
  static const QueryPoints spread;
  size_t i = 0;
  for (auto _ : state) {
    const float* p = spread.points[i++ & 4095];
    benchmark::DoNotOptimize(query(map, p[0], p[1]));
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_ElevationAt(benchmark::State& state) {
  RunQueries(state, [](const Map& map, float x, float y) { return map.ElevationAt(x, y); });
}
BENCHMARK(BM_ElevationAt);

void BM_TerrainTypeAt(benchmark::State& state) {
  RunQueries(state, [](const Map& map, float x, float y) { return map.TerrainTypeAt(x, y); });
}
BENCHMARK(BM_TerrainTypeAt);

}  // namespace

BENCHMARK_MAIN();
