// Speed of loading the largest battle map: Read of a stored 250 x 250 tile map with hills,
// water, woods and roads (every set-up pass that exists), the corner-height pass alone, and
// Write; and the point queries every unit, shot and sight-line step asks of it (elevation and
// terrain type, in queries per second, at points spread over the whole map). Then the same
// figures, as counters, on the reference maps the build writes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "MapTestWorld.h"
#include "ReferenceMaps.h"
#include "framework/core/GDynamicArray.h"
#include "framework/core/GGroup.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/Quorl.h"
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

// ---- Buildings, walls and blasts ----

// A 250 x 250 map built up as a town: a building, bridge or wall on every other tile.
struct TownMap {
  TownMap() {
    Map map(app);
    map.NewMap(5000.0f, 5000.0f, nullptr);
    static constexpr int32_t kCodes[] = {60, 62, 67, 76, 83, 87, 112, 133, 165, 91};
    for (int32_t x = 0; x < 250; ++x) {
      for (int32_t y = 0; y < 250; ++y) {
        if ((x + y) % 2 == 0) map.terrain.tiles.At(x, y).code = static_cast<uint8_t>(kCodes[(x * 3 + y) % 10]);
      }
    }
    auto file = Open(path, true);
    map.Write(*file);
  }
  ~TownMap() { std::remove(PPath::ToNative(path).c_str()); }
  FakeApp app;
  std::string path = TempPath("town.map");
};

TownMap& Town() {
  static TownMap town;
  return town;
}

// Read with every building, bridge and wall made from its code and stamped.
void BM_ReadTownMap(benchmark::State& state) {
  TownMap& town = Town();
  for (auto _ : state) {
    auto file = Open(town.path, false);
    Map map(town.app);
    benchmark::DoNotOptimize(map.Read(file.get()));
  }
}
BENCHMARK(BM_ReadTownMap)->Unit(benchmark::kMillisecond);

// One explosion handed to every building of the town (about 25,000), as a shell landing does.
void BM_BlastOnTownMap(benchmark::State& state) {
  TownMap& town = Town();
  auto file = Open(town.path, false);
  Map map(town.app);
  map.Read(file.get());
  static const QueryPoints spread;
  size_t i = 0;
  for (auto _ : state) {
    const float* p = spread.points[i++ & 4095];
    map.BlastBuildings(1.0f, p[0], p[1]);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BlastOnTownMap)->Unit(benchmark::kMicrosecond);

// ---- Reference maps: loading by pass, writing, memory and point queries ----
//
// The maps the build writes (tools/make_reference_map): every figure is a counter, so
// --benchmark_format=json carries them all. Later figures of sight lines and routes load the
// same maps through LoadReferenceMap.

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The peak resident memory of the process so far, in MiB (VmHWM); 0 where not reported.
double PeakResidentMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0.0;
}

// The stored codes, alive only while Read runs, made again from the loaded tiles so that the
// set-up passes can be run one at a time.
void RestoreStoredCodes(Map& map) {
  const int32_t w = map.size.tilesX;
  const int32_t h = map.size.tilesY;
  map.terrain.storedCode = new GDynamicArray;
  map.terrain.storedCode->Init(1, w, h);
  map.terrain.storedRoadCode = new GDynamicArray;
  map.terrain.storedRoadCode->Init(1, w, h);
  for (int32_t x = 0; x < w; ++x) {
    for (int32_t y = 0; y < h; ++y) {
      map.terrain.storedCode->SetU8(x, y, map.terrain.tiles.At(x, y).code);
      map.terrain.storedRoadCode->SetU8(x, y, map.terrain.tiles.At(x, y).roadCode);
    }
  }
}

// Map::Read of a reference map as a whole, then its passes one by one on the loaded map, and
// Map::Write; the peak resident memory after loading.
void BM_ReferenceMapLoad(benchmark::State& state, const char* name) {
  FakeApp app;
  const std::string path = ReferenceMapPath(name);
  const std::string out = TempPath("reference-out.map");
  double read = 0, corners = 0, codes = 0, fine = 0, stamping = 0, roadEnds = 0, trees = 0, write = 0;
  double bytes = 0;
  double peak = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    auto file = Open(path, false);
    Map map(app);
    if (!map.Read(file.get())) {
      state.SkipWithError("the reference map is missing or refused");
      break;
    }
    read += MillisecondsSince(start);
    peak = PeakResidentMiB();
    RestoreStoredCodes(map);
    start = std::chrono::steady_clock::now();
    map.ComputeVertexHeights();
    corners += MillisecondsSince(start);
    // Fresh building and wall lists for the objects the codes make again.
    GGroup* buildings = map.objects.buildings;
    GGroup* walls = map.objects.walls;
    map.objects.buildings = new GGroup;
    map.objects.buildings->IGroup();
    map.objects.walls = new GGroup;
    map.objects.walls->IGroup();
    start = std::chrono::steady_clock::now();
    map.ApplyRoadCodes();
    map.ApplyTerrainCodes();
    codes += MillisecondsSince(start);
    delete map.objects.buildings;
    delete map.objects.walls;
    map.objects.buildings = buildings;
    map.objects.walls = walls;
    start = std::chrono::steady_clock::now();
    map.BuildHeightTable();
    map.BuildHeightPyramids();
    map.BuildFineGrid();
    map.MarkSteepEdges();
    fine += MillisecondsSince(start);
    start = std::chrono::steady_clock::now();
    map.StampMapObjects();
    stamping += MillisecondsSince(start);
    start = std::chrono::steady_clock::now();
    map.StampRoadEnds();
    roadEnds += MillisecondsSince(start);
    delete map.terrain.storedCode;
    map.terrain.storedCode = nullptr;
    delete map.terrain.storedRoadCode;
    map.terrain.storedRoadCode = nullptr;
    for (GObjectGroup& group : map.objects.trees) group.DeleteAll(group.OwnsMembers());
    start = std::chrono::steady_clock::now();
    for (int32_t x = map.size.tilesX - 1; x >= 0; --x) {
      for (int32_t y = map.size.tilesY - 1; y >= 0; --y) {
        const int32_t type = map.terrain.tiles.At(x, y).terrain;
        const bool wooded = type == 13 || type == 14 || type == 15 || type == 21 || type == 22 || type == 23;
        if (wooded || (type == 12 && Random(3) == 0)) map.ScatterTrees(x, y, type);
      }
    }
    trees += MillisecondsSince(start);
    start = std::chrono::steady_clock::now();
    {
      auto written = Open(out, true);
      map.Write(*written);
    }
    write += MillisecondsSince(start);
    bytes = static_cast<double>(std::filesystem::file_size(PPath::ToNative(out)));
  }
  std::remove(PPath::ToNative(out).c_str());
  using benchmark::Counter;
  state.counters["read_ms"] = Counter(read, Counter::kAvgIterations);
  state.counters["pass_corner_heights_ms"] = Counter(corners, Counter::kAvgIterations);
  state.counters["pass_codes_objects_ms"] = Counter(codes, Counter::kAvgIterations);
  state.counters["pass_fine_grid_ms"] = Counter(fine, Counter::kAvgIterations);
  state.counters["pass_stamping_ms"] = Counter(stamping, Counter::kAvgIterations);
  state.counters["pass_road_ends_ms"] = Counter(roadEnds, Counter::kAvgIterations);
  state.counters["pass_trees_ms"] = Counter(trees, Counter::kAvgIterations);
  state.counters["write_ms"] = Counter(write, Counter::kAvgIterations);
  state.counters["write_bytes"] = bytes;
  state.counters["peak_rss_mib"] = peak;
}
// ref250 first, so that its peak resident memory is the process's peak after loading it.
BENCHMARK_CAPTURE(BM_ReferenceMapLoad, ref250, "ref250")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReferenceMapLoad, ref250busy, "ref250busy")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReferenceMapLoad, ref248, "ref248")->Unit(benchmark::kMillisecond);

// Ten million points spread over a 250 x 250 tile map (5 km square), made once.
const std::vector<std::array<float, 2>>& TenMillionPoints() {
  static const std::vector<std::array<float, 2>> points = [] {
    std::vector<std::array<float, 2>> p(10000000);
    uint64_t v = 2212;
    for (auto& point : p) {
      v = v * 6364136223846793005ull + 1442695040888963407ull;
      point[0] = static_cast<float>((v >> 33) % 5000000u) * 0.001f;
      v = v * 6364136223846793005ull + 1442695040888963407ull;
      point[1] = static_cast<float>((v >> 33) % 5000000u) * 0.001f;
    }
    return p;
  }();
  return points;
}

// ns per Map::TerrainTypeAt and per Map::ElevationAt over the ten million points (on
// ref250busy the crater lookups of both).
void BM_ReferenceMapPointQueries(benchmark::State& state, const char* name) {
  FakeApp app;
  std::unique_ptr<Map> map = LoadReferenceMap(app, name);
  if (map == nullptr) {
    state.SkipWithError("the reference map is missing or refused");
    return;
  }
  const auto& points = TenMillionPoints();
  double typeNs = 0;
  double elevationNs = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    int32_t types = 0;
    for (const auto& p : points) types += map->TerrainTypeAt(p[0], p[1]);
    benchmark::DoNotOptimize(types);
    typeNs += MillisecondsSince(start) * 1.0e6 / static_cast<double>(points.size());
    start = std::chrono::steady_clock::now();
    float heights = 0.0f;
    for (const auto& p : points) heights += map->ElevationAt(p[0], p[1]);
    benchmark::DoNotOptimize(heights);
    elevationNs += MillisecondsSince(start) * 1.0e6 / static_cast<double>(points.size());
  }
  using benchmark::Counter;
  state.counters["terrain_type_ns"] = Counter(typeNs, Counter::kAvgIterations);
  state.counters["elevation_ns"] = Counter(elevationNs, Counter::kAvgIterations);
  state.counters["points"] = static_cast<double>(points.size());
}
BENCHMARK_CAPTURE(BM_ReferenceMapPointQueries, ref250, "ref250")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReferenceMapPointQueries, ref250busy, "ref250busy")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
