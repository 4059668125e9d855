// The map's life cycle: construction and destruction.
#include "game/map/Map.h"

#include <atomic>

#include "framework/core/GErrorLog.h"
#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "game/map/BattlefieldScreen.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/MapObjectList.h"

Map::Map(MapAppServices& app) : app_(&app) {
  // Serials start at 1, so a memo that never asked (serial 0) belongs to no map.
  static std::atomic<uint64_t> made{0};
  serial_ = made.fetch_add(1, std::memory_order_relaxed) + 1;
  app_->Battlefield().ResetCameraDipAndZoom();
  BuildHeightTable();
}

Map::~Map() {
  GErrorLog::LogFileLine(101, "Map.cpp");
  ReleaseGraphics();
  SafeDelete(camera.openMenu);
  SafeDelete(display.battleView);
  SafeDelete(display.oneShotSounds);
  SafeDelete(display.loopedSounds);
  SafeDelete(display.pairVisibility);
  DeleteObjectLists();
  SafeDelete(objects.buildingsAtTurnStart);
  SafeDelete(objects.cratersAtTurnStart);
  SafeDelete(objects.craterMarksAtTurnStart);
  SafeDelete(objects.smallObjectsAtTurnStart);
  for (GObject*& model : display.figureModels) SafeDelete(model);
  SafeDelete(terrain.storedCode);
  SafeDelete(terrain.storedRoadCode);
  if (gKernel != nullptr) gKernel->SetCameraCounter(false);
}

void Map::CreateObjectLists() {
  DeleteObjectLists();
  objects.buildings = new GGroup;
  objects.buildings->IGroup();
  objects.walls = new GGroup;
  objects.walls->IGroup();
  objects.smallObjects = new GGroup;
  objects.smallObjects->IGroup();
  objects.craters = new MapObjectList;
  objects.craters->IGroup();
  objects.craterMarks = new MapObjectList;
  objects.craterMarks->IGroup();
}

void Map::DeleteObjectLists() {
  SafeDelete(objects.craters);
  SafeDelete(objects.craterMarks);
  SafeDelete(objects.buildings);
  SafeDelete(objects.walls);
  SafeDelete(objects.smallObjects);
}

bool Map::IsSnowGround() const {
  MapBattleServices* battle = app_->GetBattleOrOperation();
  return battle != nullptr && battle->IsSnowGround();
}
