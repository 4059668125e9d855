#pragma once
#include <cstdint>
#include <vector>

#include "editor/RandomMapParams.h"
#include "framework/core/GDynamicArray.h"

class Map;

// Builds a random battle map straight into a Map: a new flat map, the centre point, hills
// quantised to height levels and smoothed, roads from the centre and the edges with their
// clean-up and road pieces, for towns the town centre, then buildings, fields, walls and hedges,
// water, patches and woods. Every decision comes from the
// program's one generator (Random and friends) in a fixed order, and all arithmetic is fixed
// (PortableExpF, PortableCosF and PortableSinF, and sqrt, besides + - x /), so one seed and
// one set of parameters give the same map on every machine and in every build.
//
// Generate runs every step; the steps are public so that the benchmark can time each one and
// the tests can look at the road grid between them. They must run in order, each once.
class RandomMapGenerator {
 public:
  RandomMapGenerator(Map& map, const RandomMapParams& params);
  RandomMapGenerator(const RandomMapGenerator&) = delete;
  RandomMapGenerator& operator=(const RandomMapGenerator&) = delete;

  static void Generate(Map& map, const RandomMapParams& params);
  // The number of hills of a map of mean side S metres at hilliness 0-4.
  static int32_t HillCount(int32_t meanSide, int32_t hilliness);

  // Step 1: the new flat map and the working grids.
  void NewMap();
  // Step 2: the centre point and the mean side S.
  void CentrePoint();
  // Step 3: the hills summed into the field; HillsReference is the plain loop over every
  // tile for every hill, which gives the same bytes and serves the tests.
  void Hills();
  void HillsReference();
  // Step 3, continued: quantised levels, one smoothing pass and the tile heights.
  void Levels();
  // Roads: the counts, the roads from the centre and the roads from the edges.
  void LayRoads();
  // Roads: closing diagonal joins, pruning, cutting off what no longer reaches the border,
  // and the road pieces written into the tiles.
  void FinishRoads();
  // The town centre, for towns only (nothing for other map types).
  void TownCentre();
  // Buildings beside the roads, then every 8-connected group of building tiles set to one
  // level (its median), so that the map reader's levelling keeps every building.
  void Buildings();
  void LevelBuildingGroups();
  // Grain fields, enclosures of stone walls or hedges, water and marsh bodies (made level),
  // brush and rough patches, and woods, each only where the earlier steps left room.
  void GrainFields();
  void Enclosures();
  void Water();
  void LevelWater();
  void Patches();
  void Woods();

  // What the feature steps counted: building site attempts, water levelling passes, the
  // buildings placed and the woods count before the three kinds' shares.
  int64_t SiteAttempts() const { return siteAttempts_; }
  int32_t WaterPasses() const { return waterPasses_; }
  int32_t BuildingsPlaced() const { return buildingsPlaced_; }
  int32_t WoodsCount() const { return woodsCount_; }
  // The scatter radius of fields and woods.
  int32_t ScatterRadius() const;

  // Test-only views: the road grid ((W + 2) x (H + 2) cells, tile (x, y) at cell (x + 1,
  // y + 1)), the field (level of each tile after Levels) and the quantities of step 2.
  uint8_t RoadCell(int32_t x, int32_t y) const { return roadGrid_.GetU8(x, y); }
  void SetRoadCell(int32_t x, int32_t y, uint8_t value) { roadGrid_.SetU8(x, y, value); }
  float Field(int32_t x, int32_t y) const { return field_.GetFloat(x, y); }
  void SetField(int32_t x, int32_t y, float value) { field_.SetFloat(x, y, value); }
  int32_t TilesX() const { return w_; }
  int32_t TilesY() const { return h_; }
  int32_t CentreX() const { return centreX_; }
  int32_t CentreY() const { return centreY_; }
  int32_t MeanSide() const { return meanSide_; }
  uint8_t RoadValue() const { return roadValue_; }
  // The road clean-up steps one by one (FinishRoads runs them in this order).
  void CloseDiagonalJoins();
  void Prune();
  void CutOffUnlinked();
  void WriteRoadPieces();
  // Quantising and smoothing on their own (Levels runs them, then sets the heights).
  void Quantise();
  void Smooth();
  // The reduced neighbour mask of a road cell (cells of the cell's own value count).
  int32_t ReducedMask(int32_t x, int32_t y) const;

 private:
  bool InGrid(int32_t x, int32_t y) const { return x >= 0 && x < w_ + 2 && y >= 0 && y < h_ + 2; }
  int32_t FullMask(int32_t x, int32_t y) const;
  void Walk(int32_t x, int32_t y, int32_t direction, bool fromCentre);
  void AddHillTabulated(float r, float a, int32_t hx, int32_t hy);
  bool IsFree(int32_t x, int32_t y) const;
  bool HasRoadNeighbour(int32_t x, int32_t y) const;
  bool FindBuildingSite(int32_t radius, int32_t& x, int32_t& y);
  int32_t DrawBuildingCode();

  Map& map_;
  RandomMapParams params_;
  int32_t w_ = 0;
  int32_t h_ = 0;
  int32_t centreX_ = 0;
  int32_t centreY_ = 0;
  int32_t meanSide_ = 0;
  uint8_t roadValue_ = 0;
  GDynamicArray roadGrid_;
  GDynamicArray field_;
  // The hill step's table of terms by squared distance, valid where stamp equals the hill.
  std::vector<float> term_;
  std::vector<int32_t> termStamp_;
  int32_t hillStamp_ = 0;
  int64_t siteAttempts_ = 0;
  int32_t waterPasses_ = 0;
  int32_t buildingsPlaced_ = 0;
  int32_t woodsCount_ = 0;
};
