// Sight lines, lines of fire, shell arcs and the wall in front of a firer. A sight line is
// sampled every 2 m against the fine grid; its visibility is the product of one factor per
// sample. Each trace keeps its state in a record of its own that starts clear, so a result
// depends only on its end points (in either order) and never on what was traced before. The
// vehicles and smoke clouds near a line are gathered once per trace into buffers the map keeps.
#include <algorithm>
#include <cmath>

#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/MapUnitView.h"
#include "game/map/SightFeatures.h"
#include "game/map/SmokeCloud.h"
#include "game/map/TraceLineCounter.h"

namespace {

constexpr float kSampleSpacing = 2.0f;
constexpr float kEyeHeight = 1.7f;
constexpr float kLoweredTarget = 1.36f;
constexpr float kEndZone = 8.1f;
constexpr float kArcEndZone = 8.6f;
constexpr float kVehicleMargin = 20.0f;
constexpr float kObjectMargin = 30.0f;
constexpr float kObstacleFactor = 0.83f;
constexpr float kShortest = 0.001f;  // metres: shorter lines are not traced

bool AllFinite(float a, float b, float c, float d, float e, float f) {
  return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d) && std::isfinite(e) &&
         std::isfinite(f);
}

// Sight factor of a feature, thinned in winter for leafy trees and out of summer for wheat.
float SeasonalSightFactor(int32_t type, int32_t season) {
  const float factor = SightFeatures::Of(type).sight;
  const bool leafy = type == 13 || type == 14 || type == 21 || type == 22;
  if ((leafy && season == 3) || (type == 16 && season != 1)) return factor * 0.4f + 0.6f;
  return factor;
}

// The cell index of a coordinate, held inside 0..cells - 1 (a value that is not a number
// gives 0); inlined because every sample asks it twice.
inline int32_t CellIndex(float metres, int32_t cells) {
  const float f = metres * 0.5f;
  if (!(f >= 0.0f)) return 0;
  if (f >= static_cast<float>(cells)) return cells - 1;
  return static_cast<int32_t>(f);
}

float BuildingTop(int32_t type, float ground) { return type >= 33 ? ground + 12.0f : ground + 6.0f; }

// Whether a point is certainly farther than reach from every point of the segment. The samples
// of a trace lie on its segment to within rounding far below the margin, so an obstacle that
// fails this can never count at a sample. A value that is not a number is never certainly far.
bool BeyondSegment(double px, double py, double reach, float x0, float y0, float x1, float y1) {
  constexpr double kMargin = 0.5;
  const double ex = static_cast<double>(x1) - x0;
  const double ey = static_cast<double>(y1) - y0;
  const double lengthSquared = ex * ex + ey * ey;
  double t = 0.0;
  if (lengthSquared > 0.0) t = std::clamp(((px - x0) * ex + (py - y0) * ey) / lengthSquared, 0.0, 1.0);
  const double dx = px - (x0 + t * ex);
  const double dy = py - (y0 + t * ey);
  return std::sqrt(dx * dx + dy * dy) > reach + kMargin;
}

}  // namespace

// ---- Gathering what lies near a line ----

void MapBattleServices::CollectSightVehicles(SightUnitList& list, float minX, float minY, float maxX,
                                             float maxY) const {
  const int32_t count = GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    const MapUnitView* unit = GetUnit(i);
    if (unit == nullptr || !unit->IsVehicle() || !unit->BlocksSight()) continue;
    const float ux = unit->GetX();
    const float uy = unit->GetY();
    if (ux >= minX && ux <= maxX && uy >= minY && uy <= maxY) list.Append(unit);
  }
}

bool Map::GatherSightObstacles(float x0, float y0, float x1, float y1) const {
  SightBuffers& buffers = sightBuffers_;
  buffers.vehicles.Clear();
  buffers.clouds.clear();
  const float minX = std::min(x0, x1);
  const float maxX = std::max(x0, x1);
  const float minY = std::min(y0, y1);
  const float maxY = std::max(y0, y1);
  buffers.discs.clear();
  MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle != nullptr) {
    battle->CollectSightVehicles(buffers.vehicles, minX - kVehicleMargin, minY - kVehicleMargin,
                                 maxX + kVehicleMargin, maxY + kVehicleMargin);
    // Read each vehicle once; one whose circle cannot reach the line is not weighed at all.
    for (const MapUnitView* unit : buffers.vehicles.Members()) {
      const SightDisc disc{unit->GetX(), unit->GetY(), unit->GetVehicleSize()};
      if (!BeyondSegment(disc.x, disc.y, disc.r, x0, y0, x1, y1)) buffers.discs.push_back(disc);
    }
  }
  const GGroup* clouds = objects.smallObjects;
  if (clouds != nullptr && clouds->Count() > 0) {
    const bool all = battle != nullptr && (battle->GetReplayFlag(0) || battle->GetReplayFlag(1));
    const int32_t slice = battle != nullptr ? battle->GetCurrentSlice() : -1;
    for (int32_t i = 0; i < clouds->Count(); ++i) {
      const auto* cloud = dynamic_cast<const SmokeCloud*>(clouds->GetItem(i));
      if (cloud == nullptr || (!all && cloud->startSlice > slice)) continue;
      // A cloud covers the square of its radius: the circle through its corners reaches as far.
      if (cloud->x >= minX - kObjectMargin && cloud->x <= maxX + kObjectMargin && cloud->y >= minY - kObjectMargin &&
          cloud->y <= maxY + kObjectMargin &&
          !BeyondSegment(cloud->x, cloud->y, static_cast<double>(cloud->radius) * 1.5, x0, y0, x1, y1)) {
        buffers.clouds.push_back(cloud);
      }
    }
  }
  // Any burning tile in the tile rectangle the end points span.
  BurningTileCounts& burning = buffers.burning;
  burning.Refresh(fire.state);
  const int32_t rows = burning.Rows();
  const int32_t columns = burning.Columns();
  if (rows <= 0 || columns <= 0) return false;
  auto tile = [](float v, int32_t limit) { return std::clamp(TruncateToInt32(v * 0.05f), 0, limit - 1); };
  return burning.AnyIn(tile(minX, rows), tile(maxX, rows), tile(minY, columns), tile(maxY, columns));
}

int32_t Map::CountObstaclesAt(float x, float y, const SightUnitList* vehicles,
                              std::span<const SmokeCloud* const> clouds, bool anyBurning) const {
  if (vehicles == nullptr) FatalError(2302, "MapSight");
  std::vector<SightDisc> discs;
  for (const MapUnitView* unit : vehicles->Members()) {
    discs.push_back({unit->GetX(), unit->GetY(), unit->GetVehicleSize()});
  }
  return CountObstaclesNear(x, y, discs, clouds, anyBurning);
}

int32_t Map::CountObstaclesNear(float x, float y, std::span<const SightDisc> vehicles,
                                std::span<const SmokeCloud* const> clouds, bool anyBurning) const {
  int32_t count = 0;
  for (const SmokeCloud* cloud : clouds) {
    if (std::fabs(x - cloud->x) <= cloud->radius && std::fabs(y - cloud->y) <= cloud->radius) ++count;
  }
  for (const SightDisc& disc : vehicles) {
    const float r = disc.r;
    const float dx = x - disc.x;
    const float dy = y - disc.y;
    if (std::fabs(dx) <= r && std::fabs(dy) <= r && dx * dx + dy * dy <= r * r) count += 3;
  }
  if (anyBurning) {
    const int32_t value = BurningAt(x, y);
    if (value != 0) {
      const float cx = (static_cast<float>(TruncateToInt32(x * 0.05f)) + 0.5f) * kTileSize;
      const float cy = (static_cast<float>(TruncateToInt32(y * 0.05f)) + 0.5f) * kTileSize;
      const float reach = value == 1 ? 4.0f : 8.0f;
      if (std::fabs(x - cx) <= reach && std::fabs(y - cy) <= reach) ++count;
    }
  }
  return count;
}

// ---- Sight lines ----

float Map::LineStepFactor(SightTraceState& state, bool anyBurning, bool anyObstacle, bool terrainOnly, float x,
                          float y, float z, bool firstSample, bool inEndZone, std::span<const SightDisc> vehicles,
                          std::span<const SmokeCloud* const> clouds) const {
  const MapGrid<uint16_t>& grid = terrain.fineGrid;
  if (!grid.IsSized()) FatalError(2303, "MapSight");
  // Points beyond the grid read its nearest edge cell.
  const uint16_t word = grid.At(CellIndex(x, grid.Width()), CellIndex(y, grid.Height()));
  return CellStepFactor(state, word, anyBurning, anyObstacle, terrainOnly, x, y, z, firstSample, inEndZone, vehicles,
                        clouds);
}

// Inlined into the trace's loop: it is asked at every sample.
[[gnu::always_inline]] inline float Map::CellStepFactor(SightTraceState& state, uint16_t word, bool anyBurning,
                                                        bool anyObstacle, bool terrainOnly, float x, float y, float z,
                                                        bool firstSample, bool inEndZone,
                                                        std::span<const SightDisc> vehicles,
                                                        std::span<const SmokeCloud* const> clouds) const {
  float f = terrainOnly ? 1.0f : state.sampleFactor;
  if (firstSample) {
    state.inBocage = false;
    state.passedIntoBuilding = false;
  }
  const bool previousBocage = state.inBocage;
  state.inBocage = false;
  const int32_t t = FineTerrain::TypeOf(word);
  const float g = CodeToHeight(FineTerrain::HeightCodeOf(word));
  if (g >= z && !IsBridgeTerrain(t)) return 0.0f;
  if (t == 0) {
    if (state.passedIntoBuilding) return 0.0f;
    if (firstSample) state.insideBuilding = false;
  } else if (IsBuildingTerrain(t)) {
    if (z <= BuildingTop(t, g)) {
      if (t == FineTerrain::kTallBuilding) return 0.0f;
      float factor = 0.88f;
      if (!state.insideBuilding && !firstSample) {
        state.passedIntoBuilding = true;
        if (inEndZone) {
          factor = 0.95f;
          state.endZoneFlag = true;
        } else {
          factor = 0.45f;
        }
      }
      state.insideBuilding = true;
      return factor;
    }
  } else if (!IsBridgeTerrain(t)) {
    if (t > 30) FatalError(2304, "MapSight");
    if (state.passedIntoBuilding) return 0.0f;
    if (firstSample) state.insideBuilding = false;
    if (z <= g + SightFeatures::Of(t).height) {
      if (t == 28) {
        state.inBocage = true;
        if (!inEndZone) return 0.0f;
      }
      if (t != 28 || !previousBocage) f *= SeasonalSightFactor(t, state.season);
    }
  }
  if (state.insideBuilding) {
    state.insideBuilding = false;
    if (inEndZone) {
      f *= 0.95f;
      state.endZoneFlag = true;
    } else {
      f *= 0.45f;
    }
  }
  if (anyObstacle && !terrainOnly) {
    for (int32_t n = CountObstaclesNear(x, y, vehicles, clouds, anyBurning); n > 0; --n) f *= kObstacleFactor;
  }
  return f;
}

int64_t TraceLineCounter::calls = 0;
int64_t TraceLineCounter::samples = 0;

bool Map::TraceLine(bool lowerTarget, bool stopWhenBlocked, bool terrainOnly, float x0, float y0, float z0, float x1,
                    float y1, float z1, float& visibility, float& distance, float* blockX, float* blockY,
                    float* blockZ, bool canonicalOrder) const {
  ++TraceLineCounter::calls;
  if (!AllFinite(x0, y0, z0, x1, y1, z1)) {
    visibility = 0.0f;
    distance = 0.0f;
    return false;
  }
  // The caller's ends, kept for the re-trace and for the block point of an open line.
  const float callerX0 = x0, callerY0 = y0, callerZ0 = z0;
  const float callerX1 = x1, callerY1 = y1, callerZ1 = z1;
  bool exchanged = false;
  if (canonicalOrder && (x0 > x1 || (x0 == x1 && y1 < y0))) {
    std::swap(x0, x1);
    std::swap(y0, y1);
    std::swap(z0, z1);
    exchanged = true;
  }
  if (lowerTarget) {
    if (exchanged) z0 -= kLoweredTarget;
    else z1 -= kLoweredTarget;
  }
  const float dx = x1 - x0;
  const float dy = y1 - y0;
  const float dz = z1 - z0;
  const float length = std::sqrt(dx * dx + dy * dy + dz * dz);
  distance = length;
  if (length > kSightRangeLimit) {
    visibility = 0.0f;
    return false;
  }
  if (blockX != nullptr) *blockX = callerX1;
  if (blockY != nullptr) *blockY = callerY1;
  if (blockZ != nullptr) *blockZ = callerZ1;
  if (!terrain.fineGrid.IsSized()) FatalError(2305, "MapSight");

  SightTraceState start;
  bool burningNear = false;
  bool obstaclesNear = false;
  // A line asked only whether and how well it is seen is weighed first without the vehicles,
  // smoke and fire near it: they only ever lower a sample's factor (never below 0), so a line
  // blocked without them is blocked with them, and they are gathered only for a line found open.
  bool obstaclesLater = false;
  if (!terrainOnly) {
    MapBattleServices* battle = app_->GetBattleOrOperation();
    if (battle != nullptr) {
      start.sampleFactor = battle->GetVisibilityFactor();
      start.season = battle->GetSeason();
    }
    obstaclesLater = stopWhenBlocked && blockX == nullptr && blockY == nullptr && blockZ == nullptr &&
                     start.sampleFactor >= 0.0f;
    if (obstaclesLater) {
      sightBuffers_.discs.clear();
      sightBuffers_.clouds.clear();
    } else {
      burningNear = GatherSightObstacles(x0, y0, x1, y1);
      obstaclesNear = burningNear || !sightBuffers_.discs.empty() || !sightBuffers_.clouds.empty();
    }
  } else {
    MapBattleServices* battle = app_->GetBattleOrOperation();
    if (battle != nullptr) start.season = battle->GetSeason();
    sightBuffers_.discs.clear();
    sightBuffers_.clouds.clear();
  }

  // The product of the samples' factors from a clear state, with the obstacles gathered.
  auto weigh = [&](bool anyBurning, bool anyObstacle) {
    SightTraceState state = start;
    const std::span<const SmokeCloud* const> clouds(sightBuffers_.clouds);
    const std::span<const SightDisc> vehicles(sightBuffers_.discs);

    float v = 1.0f;
    if (length > 0.0f) {
      const float sx = dx * kSampleSpacing / length;
      const float sy = dy * kSampleSpacing / length;
      const float sz = dz * kSampleSpacing / length;
      const float zStart = z0 + kEyeHeight;
      const bool bothOnMap = IsOnMap(x0, y0) && IsOnMap(x1, y1);
      // The cells of a run of samples are read together, so that their reads overlap, and the
      // places of the run after next are found and fetched ahead while this run is weighed: one
      // run is too short a time for a read from main memory to arrive.
      constexpr int32_t kRun = 16;
      constexpr int32_t kRunsAhead = 2;
      uint16_t words[kRun];
      size_t places[kRunsAhead + 1][kRun];
      const MapGrid<uint16_t>& grid = terrain.fineGrid;
      const int32_t width = grid.Width();
      const int32_t height = grid.Height();
      SightCellBlocks& cells = sightBuffers_.cells;
      cells.Refresh(grid);
      // Finds and fetches the places of the run starting at sample base: the first run always,
      // a later one whenever the loop below may reach it (the sample before it lies on the line),
      // as a run's cells are read before its first sample is weighed.
      auto findRun = [&](int32_t base, bool fetch) {
        if (base > 0 && !(kSampleSpacing * static_cast<float>(base) < length)) return;
        size_t* run = places[(base / kRun) % (kRunsAhead + 1)];
        for (int32_t r = 0; r < kRun; ++r) {
          const float kf = static_cast<float>(base + r);
          run[r] = cells.IndexOf(CellIndex(x0 + kf * sx, width), CellIndex(y0 + kf * sy, height));
        }
        if (fetch) {
          for (int32_t r = 0; r < kRun; ++r) cells.Prefetch(run[r]);
        }
      };
      findRun(0, false);
      for (int32_t ahead = 1; ahead < kRunsAhead; ++ahead) findRun(ahead * kRun, true);
      int64_t weighed = 0;
      bool open = true;
      for (int32_t base = 0; open; base += kRun) {
        const size_t* run = places[(base / kRun) % (kRunsAhead + 1)];
        for (int32_t r = 0; r < kRun; ++r) words[r] = cells.AtIndex(run[r]);
        findRun(base + kRunsAhead * kRun, true);
        for (int32_t r = 0; r < kRun; ++r) {
          const int32_t k = base + r;
          const float travelled = kSampleSpacing * static_cast<float>(k + 1);
          if (!(travelled < length)) {
            open = false;
            break;
          }
          const float kf = static_cast<float>(k);
          const float px = x0 + kf * sx;
          const float py = y0 + kf * sy;
          const float pz = zStart + kf * sz;
          const bool zone = travelled < kEndZone || length - travelled < kEndZone;
          if (!zone) state.endZoneFlag = false;
          const bool inEndZone = zone && !state.endZoneFlag;
          ++weighed;
          if (bothOnMap || IsOnMap(px, py)) {
            v *= CellStepFactor(state, words[r], anyBurning, anyObstacle, terrainOnly, px, py, pz, k == 0, inEndZone,
                                vehicles, clouds);
          }
          if (v < kBlockingVisibility && stopWhenBlocked) {
            v = 0.0f;
            if (blockX != nullptr) *blockX = px;
            if (blockY != nullptr) *blockY = py;
            if (blockZ != nullptr) *blockZ = std::max(pz - kEyeHeight, ElevationAt(px, py));
            open = false;
            break;
          }
          // A product that reached 0 stays 0: the rest of the line cannot change the answer.
          if (v == 0.0f) {
            open = false;
            break;
          }
        }
      }
      TraceLineCounter::samples += weighed;
    }
    return v;
  };
  float v = weigh(burningNear, obstaclesNear);
  if (obstaclesLater && v != 0.0f) {
    // Open without them: weighed again with whatever lies near the line, if anything does.
    burningNear = GatherSightObstacles(x0, y0, x1, y1);
    obstaclesNear = burningNear || !sightBuffers_.discs.empty() || !sightBuffers_.clouds.empty();
    if (obstaclesNear) v = weigh(burningNear, obstaclesNear);
  }
  visibility = v;

  if (exchanged && v == 0.0f && blockX != nullptr && blockY != nullptr && blockZ != nullptr) {
    // Find the first block as seen from the caller's own start.
    float again = 0.0f;
    float againDistance = 0.0f;
    TraceLine(lowerTarget, stopWhenBlocked, terrainOnly, callerX0, callerY0, callerZ0, callerX1, callerY1, callerZ1,
              again, againDistance, blockX, blockY, blockZ, false);
    if (again > 0.0f) {
      *blockX = callerX0 + 0.999f * (callerX1 - callerX0);
      *blockY = callerY0 + 0.999f * (callerY1 - callerY0);
      *blockZ = callerZ0 + 0.999f * (callerZ1 - callerZ0);
    }
  }
  return true;
}

// ---- Shell arcs ----

float Map::ArcStepFactor(ArcTraceState& state, float x, float y, float arcZ, bool firstSample, bool inEndZone) const {
  const MapGrid<uint16_t>& grid = terrain.fineGrid;
  if (!grid.IsSized()) FatalError(2306, "MapSight");
  const int32_t cx = TruncateToInt32(x * 0.5f);
  const int32_t cy = TruncateToInt32(y * 0.5f);
  if (!grid.Contains(cx, cy)) return ElevationAt(x, y) >= arcZ ? 0.0f : 1.0f;
  float f = 1.0f;
  if (firstSample) {
    state.inBocage = false;
    state.passedIntoBuilding = false;
  }
  const bool previousBocage = state.inBocage;
  state.inBocage = false;
  const uint16_t word = grid.At(cx, cy);
  const int32_t t = FineTerrain::TypeOf(word);
  const float g = CodeToHeight(FineTerrain::HeightCodeOf(word));
  if (g >= arcZ && !IsBridgeTerrain(t)) return 0.0f;
  if (t == 0) {
    if (state.passedIntoBuilding) return 0.0f;
    if (firstSample) state.insideBuilding = false;
  } else if (IsBuildingTerrain(t)) {
    if (arcZ <= BuildingTop(t, g)) {
      if (t == FineTerrain::kTallBuilding) return 0.0f;
      float factor = 0.88f;
      if (!state.insideBuilding && !firstSample) {
        state.passedIntoBuilding = true;
        if (inEndZone) {
          factor = 0.95f;
          state.endZoneFlag = true;
        }
      }
      state.insideBuilding = true;
      return factor;
    }
  } else if (!IsBridgeTerrain(t)) {
    if (t > 30) FatalError(2307, "MapSight");
    if (state.passedIntoBuilding) return 0.0f;
    if (firstSample) state.insideBuilding = false;
    if (arcZ <= g + SightFeatures::Of(t).height) {
      if (t == 28) {
        state.inBocage = true;
        if (!inEndZone) return 0.0f;
      }
      if (t != 28 || !previousBocage) f *= SightFeatures::Of(t).arc;
    }
  }
  if (state.insideBuilding) {
    state.insideBuilding = false;
    if (inEndZone) {
      f *= 0.95f;
      state.endZoneFlag = true;
    } else {
      f = 0.88f;
    }
  }
  return f;
}

float Map::TraceArc(float strength, float x0, float y0, float z0, float& x1, float& y1, float& z1) const {
  if (!AllFinite(x0, y0, z0, x1, y1, z1) || !std::isfinite(strength)) return 0.0f;
  const float dx = x1 - x0;
  const float dy = y1 - y0;
  const float dz = z1 - z0;
  float length = std::sqrt(dx * dx + dy * dy + dz * dz);
  // A shell that has nowhere to fly is already at its target.
  if (length < kShortest) return 1.0f;
  const MapGrid<uint16_t>& grid = terrain.fineGrid;
  if (!grid.IsSized()) FatalError(2308, "MapSight");
  // Held below a strength whose square would overflow the arc's rise.
  const float v = std::clamp(strength, 1.0f, 1.0e6f);
  const float lift = 0.00305f * v * v;
  float stepX = dx * kSampleSpacing / length;
  float stepY = dy * kSampleSpacing / length;
  float stepZ = dz * kSampleSpacing / length;
  float fractionStep = kSampleSpacing / length * 1.00001f;
  float x = x0;
  float y = y0;
  float z = z0 + kEyeHeight;
  float visibility = 1.0f;
  float travelled = 0.0f;
  float fraction = 0.0f;
  float arcZ = z;
  float advance = kSampleSpacing;
  bool descent = false;
  int32_t descentSample = 0;
  float previousRise = 0.0f;
  bool offGrid = false;
  float offGridGround = 0.0f;
  ArcTraceState state;
  bool first = true;
  auto rise = [lift](float at) { return (0.25f - (0.5f - at) * (0.5f - at)) * lift; };
  // A flight is bounded: no ground on a map is lower than the arc's fall after this many samples.
  for (int32_t guard = 0; guard < 4000000; ++guard) {
    if (!descent && travelled >= length) {
      descent = true;
      visibility -= 0.05f;
      z -= 1.9f;
      stepX *= 0.125f;
      stepY *= 0.125f;
      stepZ *= 0.125f;
      fractionStep *= 0.125f * 1.00001f;
      advance = 0.25f;
      length = 20000.0f;
    }
    const float r = rise(fraction);
    arcZ = z + r;
    const bool factorSample = !descent || (descentSample % 8) == 0;
    if (factorSample) {
      const bool zone = travelled < kArcEndZone || (!descent && length - travelled < kArcEndZone);
      if (!zone) state.endZoneFlag = false;
      visibility *= ArcStepFactor(state, x, y, arcZ, first, zone && !state.endZoneFlag);
      first = false;
      if (visibility < kBlockingVisibility && ElevationAt(x, y) < arcZ) {
        const float back = descent ? 8.0f : 1.0f;
        x -= stepX * back;
        y -= stepY * back;
        z -= stepZ * back;
        fraction -= fractionStep * back;
        arcZ = z + rise(fraction);
      }
    } else {
      const int32_t cx = TruncateToInt32(x * 0.5f);
      const int32_t cy = TruncateToInt32(y * 0.5f);
      if (!grid.Contains(cx, cy)) {
        if (!offGrid) {
          offGrid = true;
          offGridGround = ElevationAt(x, y);
        }
        if (previousRise - r < std::fabs(stepZ)) {
          // A slow fall off the grid: continue in long steps until the arc meets the ground.
          for (int32_t n = 0; n < 3000 && arcZ > offGridGround; n += 25) {
            x += stepX * 100.0f;
            y += stepY * 100.0f;
            z += stepZ * 100.0f;
            fraction += fractionStep * 100.0f;
            arcZ = z + rise(fraction);
          }
          visibility = 0.0f;
        } else if (arcZ <= offGridGround) {
          visibility = 0.0f;
        }
      } else {
        const uint16_t word = grid.At(cx, cy);
        const int32_t t = FineTerrain::TypeOf(word);
        float ground = CodeToHeight(FineTerrain::HeightCodeOf(word));
        if (std::fabs(arcZ - ground) <= 2.0f) ground = ElevationAt(x, y);
        if (t >= 33 && t <= 35) ground += 6.0f;
        if (arcZ <= ground) visibility = 0.0f;
      }
    }
    previousRise = r;
    if (visibility < kBlockingVisibility) break;
    x += stepX;
    y += stepY;
    z += stepZ;
    travelled += advance;
    fraction += fractionStep;
    if (descent) ++descentSample;
  }
  x1 = x;
  y1 = y;
  z1 = arcZ;
  return fraction;
}

// ---- The wall in front of a firer ----

int32_t Map::FirstObstacleAlong(float targetX, float targetY, float targetZ, float startX, float startY,
                                float startZ) const {
  if (!AllFinite(targetX, targetY, targetZ, startX, startY, startZ)) return -1;
  const float dx = targetX - startX;
  const float dy = targetY - startY;
  const float dz = targetZ - startZ;
  const float length = std::sqrt(dx * dx + dy * dy + dz * dz);
  if (length < kShortest || length >= kSightRangeLimit) return -1;
  const float sx = dx * kSampleSpacing / length;
  const float sy = dy * kSampleSpacing / length;
  const float sz = dz * kSampleSpacing / length;
  const int32_t startType = TerrainTypeAt(startX, startY);
  for (int32_t k = 1;; ++k) {
    const float travelled = kSampleSpacing * static_cast<float>(k);
    if (travelled > 15.0f) break;
    const float kf = static_cast<float>(k);
    const float x = startX + kf * sx;
    const float y = startY + kf * sy;
    const float z = startZ + kEyeHeight + kf * sz;
    const int32_t type = TerrainTypeAt(x, y);
    if (type == startType && travelled < 5.0f) continue;
    if ((type == 29 || type == 30) && z <= ElevationAt(x, y) + 2.4f) return type;
    if (type == 28 && z <= ElevationAt(x, y) + 4.5f) return type;
  }
  return -1;
}
