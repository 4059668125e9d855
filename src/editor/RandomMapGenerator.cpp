#include "editor/RandomMapGenerator.h"

#include <cmath>

#include "editor/RandomMapTables.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"

namespace {

void RandomMapGeneratorRequire(bool ok, int32_t line) {
  if (!ok) FatalError(line, "RandomMapGenerator.cpp");
}

// Tiles along a side of the given metres, as the map counts them.
int32_t TilesFor(float metres) {
  const double tiles = (static_cast<double>(metres) + 1.0) * 0.05;
  if (!(tiles >= 0.0 && tiles < 1.0e6)) return 0;
  return static_cast<int32_t>(tiles);
}

}  // namespace

RandomMapGenerator::RandomMapGenerator(Map& map, const RandomMapParams& params) : map_(map), params_(params) {
  // Every parameter comes from the editor's own popups and fields: anything else is ours.
  RandomMapGeneratorRequire(params.mapType >= 0 && params.mapType < RandomMapTables::kMapTypes, __LINE__);
  RandomMapGeneratorRequire(params.hilliness >= 0 && params.hilliness < RandomMapTables::kHilliness, __LINE__);
  RandomMapGeneratorRequire(params.treeCoverage >= 0 && params.treeCoverage <= 3, __LINE__);
  RandomMapGeneratorRequire(params.attackerEdge >= -1 && params.attackerEdge <= 3, __LINE__);
  const int32_t w = TilesFor(params.widthMetres);
  const int32_t h = TilesFor(params.heightMetres);
  RandomMapGeneratorRequire(w >= 3 && w <= Map::kMaxTiles && h >= 3 && h <= Map::kMaxTiles, __LINE__);
}

void RandomMapGenerator::Generate(Map& map, const RandomMapParams& params) {
  RandomMapGenerator generator(map, params);
  generator.NewMap();
  generator.CentrePoint();
  generator.Hills();
  generator.Levels();
  generator.LayRoads();
  generator.FinishRoads();
  generator.TownCentre();
  generator.Buildings();
  generator.LevelBuildingGroups();
  generator.GrainFields();
  generator.Enclosures();
  generator.Water();
  generator.LevelWater();
  generator.Patches();
  generator.Woods();
}

void RandomMapGenerator::NewMap() {
  RandomMapGeneratorRequire(map_.NewMap(params_.widthMetres, params_.heightMetres, nullptr), __LINE__);
  // Nothing of the old map survives; the new map keeps the landmark list, so empty it.
  map_.objects.landmarks.DeleteAll(map_.objects.landmarks.OwnsMembers());
  w_ = map_.size.tilesX;
  h_ = map_.size.tilesY;
  roadGrid_.Init(1, w_ + 2, h_ + 2);
  roadGrid_.Zero();
  roadValue_ = params_.mapType == 0 ? RandomMapTables::kPavedRoad : RandomMapTables::kDirtRoad;
}

void RandomMapGenerator::CentrePoint() {
  float fx = 0.5f;
  float fy = 0.5f;
  // The centre moves 0.2 of the map away from the attacker's edge.
  switch (params_.attackerEdge) {
    case 0: fx = 0.7f; break;
    case 1: fy = 0.3f; break;
    case 2: fx = 0.3f; break;
    case 3: fy = 0.7f; break;
    default: break;
  }
  fx = fx + RandomFloatTimes(0.2f);
  fx = fx - 0.1f;
  fy = fy + RandomFloatTimes(0.2f);
  fy = fy - 0.1f;
  centreX_ = static_cast<int32_t>(static_cast<double>(params_.widthMetres) * 0.05 * static_cast<double>(fx) + 1.5);
  centreY_ = static_cast<int32_t>(static_cast<double>(params_.heightMetres) * 0.05 * static_cast<double>(fy) + 1.5);
  meanSide_ = static_cast<int32_t>(
      std::sqrt(static_cast<double>(params_.widthMetres) * static_cast<double>(params_.heightMetres)));
}
