// One frame of the battlefield: the camera, the block view states and the passes in their
// fixed order, and once a second the positional sounds moved to their sources.
#include <algorithm>

#include "framework/media/GGraph3D.h"
#include "game/map/BattlefieldScreen.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"

void Map::Draw() {
  GGraph3D* g = gGraph3D;
  if (display.drawState < 2 || g == nullptr) {
    // Drawing suspended: state 1 shows the view's own background, 0 nothing at all.
    app_->SetSceneDrawn(false);
    if (display.drawState == 1) app_->Battlefield().FillBattlefieldBackground();
    return;
  }
  SetupCamera();
  UpdateViewCulling();

  // In a pick frame the units come first, and a mark after them tells a unit from the ground.
  const bool pick = g->IsPickMode();
  if (pick) {
    DrawUnits();
    g->PushPickMark();
  } else {
    DrawBackdrop();
    DrawUnits();
  }
  const MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle != nullptr && battle->IsSetupPhase()) DrawZoneOutlines();
  DrawVictoryFlags();
  DrawEffects();
  DrawBuildings();
  DrawWalls();
  DrawTerrain();
  DrawOverlays();
  DrawCraters();
  DrawTrees();
  DrawWeather();
  if (pick) {
    g->PushPickMark();
    DrawBackdrop();
    return;
  }
  DrawLandmarks();
  app_->Battlefield().DrawBurningTiles(*this);
  if (FrameOption(15) != 0) app_->Battlefield().DrawSmoke(*this);

  // The sounds follow their sources once a second; finished ones go every frame.
  frame.soundClock += std::clamp(app_->GetFrameTime(), 0, 1000);
  if (frame.soundClock > 1000) {
    frame.soundClock -= 1000;
    app_->Battlefield().KeepMapSounds(*this, true);
  } else {
    app_->Battlefield().KeepMapSounds(*this, false);
  }
}
