#include "game/battle/screen/BattleScreenParts.h"

#include "framework/core/Quorl.h"
#include "framework/media/GGraphic.h"

InfoPanelSeam::Maker BattleScreenParts::infoPanelMaker = nullptr;

BattleScreenParts::~BattleScreenParts() {
  for (GGraphic*& graphic : terrainGraphics) SafeDelete(graphic);
  delete screenObject;
}
