// The battlefield's textures: the load pass of a battle, the slots loaded on first need, the
// figure prototypes and the binding of single textures.
#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GGraphicFactory.h"
#include "framework/media/GGraphicHost.h"
#include "framework/media/GGraphicRenderer.h"
#include "game/map/Building.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/TurnExchange.h"

namespace {

constexpr int32_t kNormal = GGraphicFactory::kNormalDetail;
constexpr int32_t kDetailed = GGraphicFactory::kOneLevelFiner;
constexpr int32_t kFine = GGraphicFactory::kThreeLevelsFiner;

constexpr int32_t kGroundSnow[22] = {532, 531, 528, 529, 530, 531, 532, 531, 526, 527, 526,
                                     527, 544, 517, 532, 531, 526, 527, 526, 527, 516, 517};
constexpr int32_t kGroundAutumn[16] = {542, 513, 544, 515, 516, 517, 504, 501, 512, 513, 514, 515, 516, 517, 504, 501};
constexpr int32_t kGroundWinter[16] = {508, 509, 522, 523, 534, 525, 518, 525, 534, 535, 536, 507, 538, 539, 540, 511};
constexpr int32_t kGroundGreen[16] = {534, 525, 506, 507, 510, 511, 518, 525, 534, 535, 536, 507, 538, 539, 540, 511};

void ForEachBuilding(GGroup* group, bool choose) {
  if (group == nullptr) return;
  for (int32_t i = 0; i < group->Count(); ++i) {
    auto* building = static_cast<Building*>(group->GetItem(i));
    building->ChooseTextures(choose);
    building->LoadGraphics();
  }
}

void ReleaseBuildings(GGroup* group) {
  if (group == nullptr) return;
  for (int32_t i = 0; i < group->Count(); ++i) static_cast<Building*>(group->GetItem(i))->ReleaseTextures();
}

void SetMipmaps(bool on) {
  if (gGraph3D != nullptr) gGraph3D->SetMipmapsWanted(on);
}

}  // namespace

void Map::ReleaseGraphics() {
  for (GObject* figure : display.figureModels) {
    if (figure != nullptr) app_->ReleaseFigureAppearance(figure);
  }
  for (GObject*& slot : display.textureSlots) SafeDelete(slot);
  ReleaseBuildings(objects.buildings);
  ReleaseBuildings(objects.buildingsAtTurnStart);
}

void Map::LoadSlot(int32_t slot, int32_t number, int32_t detail) {
  if (slot < 0 || slot >= Slot::kCount) FatalError(1, "Map");
  GObject*& handle = display.textureSlots[static_cast<size_t>(slot)];
  if (handle == nullptr) handle = GGraphicFactory::NewTextureGraphic(number, detail);
}

int32_t Map::SlotNumber(int32_t slot) const {
  if (slot < 0 || slot >= Slot::kCount) FatalError(2, "Map");
  const auto* graphic = dynamic_cast<const GGraphic*>(display.textureSlots[static_cast<size_t>(slot)]);
  return graphic != nullptr ? graphic->GetNumber() : 0;
}

void Map::LoadTextures(bool flag) {
  const MapBattleServices* battle = app_->GetBattleOrOperation();
  const bool snow = IsSnowGround();
  const int32_t season = battle != nullptr ? battle->GetSeason() : 1;

  SetMipmaps(true);
  for (int32_t n = 6; n < 8; ++n) LoadSlot(Slot::kKindGroupDetailed + n, 440 + n, kDetailed);
  SetMipmaps(false);
  PrepareFigurePrototypes();
  for (int32_t n = 0; n < 12; ++n) LoadSlot(Slot::kDetailedTerrain + n, 5100 + n, kDetailed);

  const int32_t singles[8] = {snow ? 810 : 1503, 672, 1300, snow ? 1218 : 1208, snow ? 1219 : 1217,
                              snow ? 1219 : 1217, 1210, 1209};
  for (int32_t i = 0; i < 8; ++i) LoadSlot(Slot::kSingles + i, singles[i], kNormal);
  for (int32_t n = 0; n < 4; ++n) LoadSlot(Slot::kSet + n, 1212 + n, kNormal);

  int32_t ground[26] = {};
  if (snow) {
    for (int32_t i = 0; i < 22; ++i) ground[i] = kGroundSnow[i];
  } else {
    const int32_t* bySeason = season == 2 ? kGroundAutumn : season == 3 ? kGroundWinter : kGroundGreen;
    for (int32_t i = 0; i < 5; ++i) ground[i] = 500 + i;
    ground[5] = 501;
    for (int32_t i = 0; i < 16; ++i) ground[6 + i] = bySeason[i];
    for (int32_t i = 0; i < 4; ++i) ground[22 + i] = 512 + i;
  }
  for (int32_t i = 0; i < 26; ++i) {
    if (ground[i] != 0) LoadSlot(Slot::kGround + i, ground[i], kNormal);
  }

  app_->Exchange().KeepNetworkLinkAlive();
  BuildHeightBands();
  const bool alternate = app_->UsesAlternateHeightBands();
  const int32_t bandBase = snow ? (alternate ? 1470 : 800) : (alternate ? 1550 : 1500);
  for (int32_t n = 0; n < kHeightBands; ++n) {
    if (UsesTerrainTexture(n)) LoadSlot(Slot::kHeightBands + n, bandBase + n, kNormal);
  }
  LoadSlot(Slot::kPair1800, 1800, kNormal);
  LoadSlot(Slot::kPair1800 + 1, 1801, kNormal);
  LoadSlot(Slot::kFeatures, snow ? 971 : 671, kNormal);
  LoadSlot(Slot::kFeatures + 1, snow ? 842 : 612, kNormal);
  LoadSlot(Slot::kFeatures + 2, snow ? 842 : 625, kNormal);
  LoadTileTextures();
  app_->Exchange().KeepNetworkLinkAlive();

  ForEachBuilding(objects.buildings, !flag);
  ForEachBuilding(objects.buildingsAtTurnStart, false);

  float saved[3] = {1.0f, 1.0f, 1.0f};
  if (gGraph3D != nullptr) {
    gGraph3D->GetColorScale(saved);
    gGraph3D->SetColorScale(1.0f);
  }
  for (int32_t n = 0; n < 10; ++n) LoadSlot(Slot::kTen + n, 1720 + n, kNormal);
  for (int32_t n = 0; n < 3; ++n) LoadSlot(Slot::kEffects + n, 1204 + n, kNormal);
  for (int32_t n = 0; n < 18; ++n) LoadSlot(Slot::kAnimated + n, 1700 + n, kNormal);
  display.animatedFrame = 0;
  LoadSlot(Slot::kTexture2020, 2020, kDetailed);
  if (battle != nullptr && battle->WantsExtraEffectTextures()) {
    LoadSlot(Slot::kExtraEffects, 1222, kNormal);
    LoadSlot(Slot::kExtraEffects + 1, 1223, kNormal);
  }
  LoadSlot(Slot::kTexture10049, 10049, kFine);

  int32_t sky = snow ? 1410 : season == 2 ? 1405 : 1400;
  const int32_t timeOfDay = battle != nullptr ? battle->GetTimeOfDay() : 0;
  if (battle == nullptr || battle->GetWeather() == 0) {
    sky += timeOfDay == 2 ? 3 : timeOfDay == 1 ? 2 : 0;
  } else {
    sky += timeOfDay == 2 ? 4 : 1;
  }
  GGraphicHost* host = GGraphicHost::Current();
  const GGraphicRenderer* renderer = host != nullptr ? host->GetRenderer() : nullptr;
  if (renderer != nullptr && renderer->GetDownsampleLevel() < 2 && renderer->GetMaxTextureSize() > 1023) {
    LoadSlot(Slot::kSky, sky, kNormal);
  } else {
    LoadSlot(Slot::kSky, sky + 30, kFine);
  }
  if (gGraph3D != nullptr) gGraph3D->SwapColorScale(saved, nullptr);
}

void Map::LoadTileTextures() {
  for (int32_t x = 0; x < terrain.tiles.Width(); ++x) {
    for (int32_t y = 0; y < terrain.tiles.Height(); ++y) {
      const MapTile& tile = terrain.tiles.At(x, y);
      for (int32_t layer = 0; layer < 2; ++layer) {
        int32_t variant = 0;
        const int32_t index = TileTextureIndex(tile, layer, &variant);
        if (index < 0 || index >= kTileTextures) continue;
        if (display.textureSlots[static_cast<size_t>(Slot::kTiles + index)] != nullptr) continue;
        float previous[3];
        const bool tinted = TintWaterTexture(previous, layer == 0 ? tile.terrain : tile.road);
        LoadSlot(Slot::kTiles + index, 600 + index + variant, kNormal);
        if (tinted && gGraph3D != nullptr) gGraph3D->SwapColorScale(previous, nullptr);
      }
    }
  }
}

void Map::EnsureKindGroupGraphics(int32_t group) {
  if (group < 0 || group >= 6) FatalError(3, "Map");
  LoadSlot(Slot::kKindGroupGraphics + group, 400 + group, kNormal);
  LoadSlot(Slot::kKindGroupDetailed + group, 440 + group, kDetailed);
}

void Map::EnsureInfantryTexture(int32_t n) {
  if (n < 0 || n >= 15) FatalError(4, "Map");
  LoadSlot(Slot::kInfantry + n, 1900 + n, kNormal);
}

void Map::EnsureFigurePrototype(int32_t n) {
  if (n < 0 || n >= kFigureModels) FatalError(5, "Map");
  GObject*& figure = display.figureModels[static_cast<size_t>(n)];
  if (figure != nullptr) return;
  // The prototype is made when a crew is first drawn, which may be while the action is being
  // computed (the progress redraws the screen): making it draws nothing from the game's
  // generator, or the program would play the turn otherwise than the other machine. A figure
  // made after the load pass dresses at once: it is drawn in its uniform, not blank.
  const uint32_t generator = RandomState();
  figure = app_->NewFigurePrototype(n);
  if (figure != nullptr) app_->PrepareFigureAppearance(figure);
  SeedRandom(generator);
}

void Map::PrepareFigurePrototypes() {
  for (int32_t n = kFigureModels - 1; n >= 0; --n) {
    GObject* figure = display.figureModels[static_cast<size_t>(n)];
    if (figure != nullptr) app_->PrepareFigureAppearance(figure);
  }
}

void Map::BindSlot(int32_t slot) const {
  if (slot < 0 || slot >= Slot::kCount) FatalError(6, "Map");
  if (gGraph3D == nullptr) return;
  // An excluded bitmap leaves a graphic without pixels: nothing to bind.
  auto* graphic = dynamic_cast<GGraphic*>(display.textureSlots[static_cast<size_t>(slot)]);
  if (graphic != nullptr && graphic->GetStub() != nullptr) gGraph3D->SetTexture(graphic);
}

void Map::BindRandomEffectTexture() {
  // A fixed cycle of its own: the choice is only how a blast looks.
  effectChoice_ = effectChoice_ * 1103515245u + 12345u;
  BindSlot(Slot::kEffects + static_cast<int32_t>((effectChoice_ >> 16) % 3u));
}

void Map::BindTexture1300() { BindSlot(Slot::kTexture1300); }

void Map::BindSetTexture(int32_t n) {
  if (n < 0 || n >= 4) FatalError(7, "Map");
  BindSlot(Slot::kSet + n);
}

void Map::BindTexture672() { BindSlot(Slot::kRubble); }

void Map::BindEquipmentTexture(int32_t n) {
  // Loaded once graphics can be: a map without them (the headless battle) binds nothing.
  if (GGraphicHost::Current() != nullptr) EnsureInfantryTexture(n);
  BindSlot(Slot::kInfantry + n);
}
