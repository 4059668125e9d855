// Speed of loading the largest battle map: Read of a stored 250 x 250 tile map with hills,
// water, woods and roads (every set-up pass that exists), the corner-height pass alone, and
// Write; and the point queries every unit, shot and sight-line step asks of it (elevation and
// terrain type, in queries per second, at points spread over the whole map). Then the same
// figures, as counters, on the reference maps the build writes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "MapTestWorld.h"
#include "ReferenceMaps.h"
#include "framework/core/Crc32.h"
#include "framework/core/GDynamicArray.h"
#include "framework/core/GFile.h"
#include "framework/core/GGroup.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/PathPoints.h"
#include "game/map/TerrainCodeTable.h"
#include "game/map/TraceLineCounter.h"
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

// ---- Routes: cost grids and the path finder ----
// On a 250 x 250 tile map painted from a fixed seed (hills, lakes, woods, fields, slopes and
// a road net), read back through every set-up pass. The reference map of the largest size
// takes its place once it exists.

struct RouteMap {
  RouteMap() {
    app.MakeBattle();
    Map painted(app);
    PaintRouteWorld(painted, 250, 7);
    const std::string path = TempPath("routes.map");
    {
      auto out = Open(path, true);
      painted.Write(*out);
    }
    auto in = Open(path, false);
    map = std::make_unique<Map>(app);
    map->Read(in.get());
    std::remove(PPath::ToNative(path).c_str());
  }
  FakeApp app;
  std::unique_ptr<Map> map;
};

RouteMap& Routes() {
  static RouteMap routes;
  return routes;
}

// The route benchmarks time searches: the path finder's memory of past answers stays off
// while one runs (a search asked again would be answered from it without searching).
class SearchesOnly {
 public:
  explicit SearchesOnly(Map& map) : work_(map.routes.work), was_(work_.remember) { work_.remember = false; }
  ~SearchesOnly() { work_.remember = was_; }
  SearchesOnly(const SearchesOnly&) = delete;
  SearchesOnly& operator=(const SearchesOnly&) = delete;

 private:
  MapPathWork& work_;
  bool was_;
};

float NextMetres(uint32_t& v, float span) {
  v = v * 1664525u + 1013904223u;
  return static_cast<float>((v >> 8) % 1000000u) * 0.000001f * span;
}

// A point whose cell the class can cross (neither impassable nor soft-blocked).
void StandablePoint(const Map& map, int32_t moveClass, uint32_t& v, float& x, float& y) {
  const MapGrid<uint8_t>& grid = map.routes.cost[moveClass];
  for (;;) {
    x = 4.0f + NextMetres(v, map.size.worldWidth - 8.0f);
    y = 4.0f + NextMetres(v, map.size.worldHeight - 8.0f);
    const uint8_t cost = grid.At(static_cast<int32_t>(x * 0.5f + 0.5f), static_cast<int32_t>(y * 0.5f + 0.5f));
    if (cost < Map::kSoftBlock) return;
  }
}

// The processor time this thread has used.
double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double Percentile(std::vector<double> ms, double p) {
  std::sort(ms.begin(), ms.end());
  return ms[static_cast<size_t>(p * static_cast<double>(ms.size() - 1) + 0.5)];
}

// Searches (1,000, or 100 for a quick look) between standable points 100 to 3,000 m apart,
// one class's grid built. route_digest is a CRC-32 of every search's result, nodes expanded
// and route points (the label), equal on every build that searches alike. Mnodes_per_s is by
// the wall clock, Mnodes_per_cpu_s by the thread's processor time, which a shared machine
// disturbs less (where other programs share the core, the wall clock counts their time too).
void BM_RouteSearches(benchmark::State& state) {
  Map& map = *Routes().map;
  const SearchesOnly searches(map);
  const int32_t moveClass = static_cast<int32_t>(state.range(0));
  const int32_t count = static_cast<int32_t>(state.range(1));
  map.FreeCostGrids();
  map.BuildCostGrid(1, moveClass);
  FakePathUnit unit(0, moveClass);
  for (auto _ : state) {
    uint32_t v = 4242u + static_cast<uint32_t>(moveClass);
    std::vector<double> ms;
    int64_t expanded = 0;
    int64_t taken = 0;
    int32_t results[3] = {};
    double total = 0.0;
    uint32_t digest = 0xFFFFFFFFu;
    const double cpu0 = ThreadCpuSeconds();
    auto add = [&digest](int64_t n) {
      for (int32_t b = 0; b < 8; ++b) digest = Crc32Update(digest, static_cast<uint8_t>(n >> (8 * b)));
    };
    for (int32_t i = 0; i < count; ++i) {
      float x0, y0, x1, y1;
      for (;;) {
        StandablePoint(map, moveClass, v, x0, y0);
        StandablePoint(map, moveClass, v, x1, y1);
        const float d = std::hypot(x1 - x0, y1 - y0);
        if (d >= 100.0f && d <= 3000.0f) break;
      }
      PathPoints points;
      const auto t0 = std::chrono::steady_clock::now();
      const int32_t result = map.FindPath(unit, x0, y0, x1, y1, points);
      const double t = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
      ms.push_back(t);
      total += t;
      ++results[result];
      add(result);
      add(map.routes.work.expanded);
      if (result == Map::kRouteFound) {
        add(points.count);
        for (int32_t p = 0; p < points.count; ++p) add(static_cast<int64_t>(points.x[p]) << 32 | static_cast<int64_t>(points.y[p]));
      }
      expanded += map.routes.work.expanded;
      taken += map.routes.work.NodesTaken();
    }
    const double cpu = ThreadCpuSeconds() - cpu0;
    state.counters["Mnodes_per_s"] = static_cast<double>(expanded) / total / 1000.0;
    state.counters["Mnodes_per_cpu_s"] = static_cast<double>(expanded) / cpu / 1e6;
    state.counters["searches_per_s"] = count / total * 1000.0;
    state.counters["p50_ms"] = Percentile(ms, 0.5);
    state.counters["p95_ms"] = Percentile(ms, 0.95);
    state.counters["max_ms"] = Percentile(ms, 1.0);
    state.counters["nodes_taken_avg"] = static_cast<double>(taken) / count;
    char label[32];
    std::snprintf(label, sizeof label, "route_digest=%08x", digest ^ 0xFFFFFFFFu);
    state.SetLabel(label);
    state.counters["result0"] = results[0];
    state.counters["result1"] = results[1];
    state.counters["result2"] = results[2];
  }
}
BENCHMARK(BM_RouteSearches)->ArgsProduct({{0, 1, 2, 3, 4}, {100, 1000}})->Iterations(1)->Unit(benchmark::kMillisecond);

// The fixed cost of a search: start and goal in one cell.
void BM_RouteSameCell(benchmark::State& state) {
  Map& map = *Routes().map;
  const SearchesOnly searches(map);
  map.FreeCostGrids();
  map.BuildCostGrid(1, 2);
  FakePathUnit unit(0, 2);
  uint32_t v = 77;
  float x, y;
  StandablePoint(map, 2, v, x, y);
  PathPoints points;
  for (auto _ : state) benchmark::DoNotOptimize(map.FindPath(unit, x, y, x, y, points));
}
BENCHMARK(BM_RouteSameCell)->Unit(benchmark::kMicrosecond);

// 3 km across open ground (a flat open map), by class.
void BM_RouteOpenGround3km(benchmark::State& state) {
  static FakeApp app;
  static std::unique_ptr<Map> open;
  if (!open) {
    open = std::make_unique<Map>(app);
    open->size.tilesX = 170;
    open->size.tilesY = 170;
    open->Read(nullptr);
  }
  const int32_t moveClass = static_cast<int32_t>(state.range(0));
  const SearchesOnly searches(*open);
  open->FreeCostGrids();
  open->BuildCostGrid(1, moveClass);
  FakePathUnit unit(0, moveClass);
  PathPoints points;
  int64_t expanded = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(open->FindPath(unit, 150.0f, 400.0f, 3000.0f, 1350.0f, points));
    expanded += open->routes.work.expanded;
  }
  state.counters["nodes_expanded"] = static_cast<double>(open->routes.work.expanded);
  state.counters["frame_loads"] = static_cast<double>(open->routes.work.frameLoads);
  state.counters["nodes_per_s"] = benchmark::Counter(static_cast<double>(expanded), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RouteOpenGround3km)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// A class's grid from cold: nothing kept aside from the last build to hand back.
void BM_BuildCostGrid(benchmark::State& state) {
  Map& map = *Routes().map;
  const int32_t moveClass = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    map.FreeCostGrids();
    map.ForgetKeptCostGrids();
    map.BuildCostGrid(1, moveClass);
  }
  map.FreeCostGrids();
  map.ForgetKeptCostGrids();
}
BENCHMARK(BM_BuildCostGrid)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// Labelling the regions of one class's built grid, as the first failed search on it does:
// a fresh set of regions each time, so nothing is recalled and its room is taken anew.
void BM_LabelRegions(benchmark::State& state) {
  Map& map = *Routes().map;
  const int32_t moveClass = static_cast<int32_t>(state.range(0));
  map.FreeCostGrids();
  map.BuildCostGrid(1, moveClass);
  const MapGrid<uint8_t>& grid = map.routes.cost[moveClass];
  int64_t regions = 0;
  for (auto _ : state) {
    MapPathRegions fresh;
    const MapPathRegions::Labels& labels = fresh.For(moveClass, grid);
    regions = static_cast<int64_t>(labels.reach.size()) - 1;
    benchmark::DoNotOptimize(labels.label.data());
  }
  state.counters["regions"] = static_cast<double>(regions);
  state.counters["ns_per_cell"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * static_cast<double>(grid.Width()) * static_cast<double>(grid.Height()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LabelRegions)->Arg(0)->Arg(3)->Unit(benchmark::kMillisecond);

// A unit's replanning: build the grid, search 200 m, free.
void BM_Replan200m(benchmark::State& state) {
  Map& map = *Routes().map;
  const SearchesOnly searches(map);
  const int32_t moveClass = static_cast<int32_t>(state.range(0));
  map.FreeCostGrids();
  map.BuildCostGrid(1, moveClass);
  uint32_t v = 31;
  float x0, y0;
  StandablePoint(map, moveClass, v, x0, y0);
  x0 = std::min(x0, map.size.worldWidth - 300.0f);
  FakePathUnit unit(0, moveClass);
  PathPoints points;
  for (auto _ : state) {
    map.BuildCostGrid(1, moveClass);
    benchmark::DoNotOptimize(map.FindPath(unit, x0, y0, x0 + 200.0f, y0, points));
    map.FreeCostGrids();
  }
}
BENCHMARK(BM_Replan200m)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// 20 goals on impassable cells (lakes): the time until the search gives up.
void BM_RouteUnreachable(benchmark::State& state) {
  Map& map = *Routes().map;
  const SearchesOnly searches(map);
  const int32_t moveClass = static_cast<int32_t>(state.range(0));
  map.FreeCostGrids();
  map.BuildCostGrid(1, moveClass);
  const MapGrid<uint8_t>& grid = map.routes.cost[moveClass];
  uint32_t v = 555;
  std::vector<std::pair<float, float>> goals;
  while (goals.size() < 20) {
    const float x = 4.0f + NextMetres(v, map.size.worldWidth - 8.0f);
    const float y = 4.0f + NextMetres(v, map.size.worldHeight - 8.0f);
    if (grid.At(static_cast<int32_t>(x * 0.5f + 0.5f), static_cast<int32_t>(y * 0.5f + 0.5f)) == Map::kImpassable) {
      goals.push_back({x, y});
    }
  }
  float sx, sy;
  StandablePoint(map, moveClass, v, sx, sy);
  FakePathUnit unit(0, moveClass);
  PathPoints points;
  int32_t results[3] = {};
  std::vector<double> ms;
  for (auto _ : state) {
    for (const auto& g : goals) {
      const auto t0 = std::chrono::steady_clock::now();
      ++results[map.FindPath(unit, sx, sy, g.first, g.second, points)];
      ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
  }
  state.counters["p50_ms"] = Percentile(ms, 0.5);
  state.counters["max_ms"] = Percentile(ms, 1.0);
  state.counters["result0"] = results[0];
  state.counters["result1"] = results[1];
}
BENCHMARK(BM_RouteUnreachable)->DenseRange(0, 4)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

// Turning a whole 250 x 250 map back into terrain codes, the work of one editor grid fill or
// one operation battle map: a map imported from a grid that runs through every used code,
// then FindTerrainCode for every tile.
void BM_FindTerrainCodeOfLargestMap(benchmark::State& state) {
  std::vector<uint8_t> block(250000, 0);
  std::vector<int16_t> used;
  for (int32_t c = 0; c < TerrainCodeTable::kCodeCount; ++c) {
    if (TerrainCodeTable::IsUsed(c)) used.push_back(static_cast<int16_t>(c));
  }
  for (size_t i = 0; i < 62500; ++i) std::memcpy(block.data() + i * 2, &used[(i * 7) % used.size()], 2);
  FakeApp app;
  Map map(app);
  map.NewMap(5000.0f, 5000.0f, block.data());
  for (auto _ : state) {
    int64_t sum = 0;
    for (int32_t y = 0; y < 250; ++y) {
      for (int32_t x = 0; x < 250; ++x) {
        const MapTile& tile = map.terrain.tiles.At(x, y);
        sum += TerrainCodeTable::FindTerrainCode(tile.code, tile.roadCode, map.fire.state.GetU8(x, y));
      }
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_FindTerrainCodeOfLargestMap)->Unit(benchmark::kMillisecond);

// ---- Sight lines, lines of fire, shell arcs and the visibility cache ----
// The large map above stands in for the 250 x 250 reference map, and a busy battlefield made
// from a fixed seed (hills, woods, bocage, buildings, fire, smoke and 60 sight-blocking
// vehicles) for its busy variant.

// Pairs of points a fixed distance apart (or, with maxRange, between the two distances) in
// random directions, kept on the map.
std::vector<std::array<float, 6>> PairsAtRange(const Map& map, float minRange, float maxRange, int32_t count) {
  std::vector<std::array<float, 6>> pairs;
  uint32_t v = 2024;
  auto next = [&v] {
    v = v * 1664525u + 1013904223u;
    return static_cast<float>(v >> 8) / 16777216.0f;
  };
  const float w = map.size.worldWidth;
  const float h = map.size.worldHeight;
  while (static_cast<int32_t>(pairs.size()) < count) {
    const float x0 = next() * w;
    const float y0 = next() * h;
    const float range = minRange + (maxRange - minRange) * next();
    const float angle = next() * 6.2831853f;
    const float x1 = x0 + range * std::cos(angle);
    const float y1 = y0 + range * std::sin(angle);
    if (!map.IsOnMap(x1, y1)) continue;
    pairs.push_back({x0, y0, map.ElevationAt(x0, y0), x1, y1, map.ElevationAt(x1, y1)});
  }
  return pairs;
}

// The large map read into a battle with a weather factor and nothing near the lines.
struct SightWorld {
  SightWorld() {
    LargeMap& large = Large();
    FakeBattle& battle = app.MakeBattle();
    battle.visibilityFactor = 0.9998f;
    auto file = Open(large.path, false);
    map = std::make_unique<Map>(app);
    map->Read(file.get());
  }
  FakeApp app;
  std::unique_ptr<Map> map;
};

SightWorld& Sight() {
  static SightWorld world;
  return world;
}

struct BusyWorld {
  BusyWorld() {
    app.MakeBattle();
    map = &BuildBusySightMap(app, 23, 250);
  }
  FakeApp app;
  Map* map = nullptr;
};

BusyWorld& Busy() {
  static BusyWorld world;
  return world;
}

void RunSightLines(benchmark::State& state, const Map& map, const std::vector<std::array<float, 6>>& pairs,
                   bool terrainOnly) {
  size_t i = 0;
  // The points the traces weighed, as the map counts them: a line that ends early (blocked,
  // or its product at 0) weighs fewer than its length holds.
  const int64_t weighedBefore = TraceLineCounter::samples;
  uint32_t digest = 2166136261u;
  for (auto _ : state) {
    const auto& p = pairs[i++ % pairs.size()];
    float v = 0.0f, d = 0.0f;
    map.TraceLine(false, false, terrainOnly, p[0], p[1], p[2], p[3], p[4], p[5], v, d);
    digest = (digest ^ std::bit_cast<uint32_t>(v)) * 16777619u;
    benchmark::DoNotOptimize(v);
  }
  const int64_t samples = TraceLineCounter::samples - weighedBefore;
  state.SetItemsProcessed(state.iterations());
  state.counters["samples/s"] = benchmark::Counter(static_cast<double>(samples), benchmark::Counter::kIsRate);
  state.counters["samples/trace"] = static_cast<double>(samples) / static_cast<double>(std::max<int64_t>(1, state.iterations()));
}

// 1 km spotting lines with the weather factor and no vehicle, smoke or fire near them.
void BM_SightLine1km(benchmark::State& state) {
  static const auto pairs = PairsAtRange(*Sight().map, 1000.0f, 1000.0f, 4096);
  RunSightLines(state, *Sight().map, pairs, state.range(0) != 0);
}
BENCHMARK(BM_SightLine1km)->Arg(0)->Arg(1)->ArgName("terrainOnly");

// Random pairs on the busy battlefield with its 60 vehicles, fires and smoke.
void BM_SightLineBusy(benchmark::State& state) {
  static const auto pairs = SightPairs(*Busy().map, 7, 4096);
  RunSightLines(state, *Busy().map, pairs, false);
}
BENCHMARK(BM_SightLineBusy);

// The regression digest of 10,000 busy-battlefield visibilities (one pass; shown as a counter).
void BM_SightLineBusyDigest(benchmark::State& state) {
  static const auto pairs = SightPairs(*Busy().map, 7, 10000);
  uint32_t digest = 0;
  for (auto _ : state) {
    digest = 2166136261u;
    for (const auto& p : pairs) {
      float v = 0.0f, d = 0.0f;
      Busy().map->TraceLine(false, false, false, p[0], p[1], p[2], p[3], p[4], p[5], v, d);
      digest = (digest ^ std::bit_cast<uint32_t>(v)) * 16777619u;
    }
  }
  state.counters["digest"] = static_cast<double>(digest);
}
BENCHMARK(BM_SightLineBusyDigest)->Iterations(1)->Unit(benchmark::kMillisecond);

// Lines of fire on the busy battlefield with the ends in random order (re-traces included).
void BM_LineOfFireBusy(benchmark::State& state) {
  static const auto pairs = SightPairs(*Busy().map, 11, 4096);
  size_t i = 0;
  int64_t blocked = 0;
  for (auto _ : state) {
    const auto& p = pairs[i % pairs.size()];
    const bool flip = ((i * 2654435761u) >> 7) & 1;
    ++i;
    float v = 0.0f, d = 0.0f, bx = 0.0f, by = 0.0f, bz = 0.0f;
    if (flip) Busy().map->TraceLine(false, true, false, p[3], p[4], p[5], p[0], p[1], p[2], v, d, &bx, &by, &bz);
    else Busy().map->TraceLine(false, true, false, p[0], p[1], p[2], p[3], p[4], p[5], v, d, &bx, &by, &bz);
    if (v == 0.0f) ++blocked;
    benchmark::DoNotOptimize(bx);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["blocked share"] = static_cast<double>(blocked) / static_cast<double>(std::max<int64_t>(1, state.iterations()));
}
BENCHMARK(BM_LineOfFireBusy);

// Shell arcs of 200 to 3,000 m on the large map.
void BM_ShellArc(benchmark::State& state) {
  static const auto pairs = PairsAtRange(*Sight().map, 200.0f, 3000.0f, 4096);
  size_t i = 0;
  for (auto _ : state) {
    const auto& p = pairs[i++ % pairs.size()];
    float x = p[3], y = p[4], z = p[5];
    benchmark::DoNotOptimize(Sight().map->TraceArc(1.0f + static_cast<float>(i % 4), p[0], p[1], p[2], x, y, z));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ShellArc);

// A battle of 400 units with every pair stored.
struct CacheWorld {
  CacheWorld() {
    FakeBattle& battle = app.MakeBattle();
    battle.slice = 100;
    map = std::make_unique<Map>(app);
    map->size.tilesX = 100;
    map->size.tilesY = 100;
    map->Read(nullptr);
    for (int32_t k = 0; k < 400; ++k) {
      battle.units.push_back(std::make_unique<FakeUnit>(MapUnitView::kInfantry, k & 1,
                                                        static_cast<float>((k * 37) % 2000),
                                                        static_cast<float>((k * 91) % 2000)));
    }
    Fill();
  }
  void Fill() {
    FakeBattle& battle = *app.battle;
    for (int32_t a = 0; a < 400; ++a) {
      for (int32_t b = a + 1; b < 400; ++b) map->StoreVisibility(battle.GetUnit(a), battle.GetUnit(b), true, 0.5f, true, true, false);
    }
  }
  FakeApp app;
  std::unique_ptr<Map> map;
};

void BM_VisibilityCacheRead(benchmark::State& state) {
  static CacheWorld world;
  FakeBattle& battle = *world.app.battle;
  uint32_t v = 1;
  for (auto _ : state) {
    v = v * 1664525u + 1013904223u;
    bool seen = false;
    float value = 0.0f;
    benchmark::DoNotOptimize(world.map->CachedVisibility(battle.GetUnit(static_cast<int32_t>((v >> 8) % 400)),
                                                         battle.GetUnit(static_cast<int32_t>((v >> 20) % 400)), seen, &value));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_VisibilityCacheRead);

void BM_InvalidateVisibilityNear(benchmark::State& state) {
  static CacheWorld world;
  uint32_t v = 7;
  for (auto _ : state) {
    v = v * 1664525u + 1013904223u;
    world.map->InvalidateVisibilityNear(static_cast<float>((v >> 8) % 2000), static_cast<float>((v >> 19) % 2000), 14.142f);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_InvalidateVisibilityNear)->Unit(benchmark::kMicrosecond);

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

BENCHMARK_MAIN();
