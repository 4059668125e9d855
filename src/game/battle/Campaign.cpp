#include "game/battle/Campaign.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GMemoryFile.h"
#include "framework/core/GString127.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/CampaignHost.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/battle/VictoryFlag.h"
#include "game/battle/CampaignSideZone.h"
#include "game/map/Building.h"
#include "game/map/Crater.h"
#include "game/map/Landmark.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapObjectList.h"
#include "game/map/OrderState.h"
#include "game/map/TerrainCodeTable.h"
#include "game/units/Unit.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/ports/UnitServices.h"

namespace {

constexpr const char* kSource = "Campaign";
constexpr uint32_t kUntitled = 470;

// The layout of the map's import block: 250 x 250 tiles, element i x 250 + j.
constexpr int32_t kBlockSide = 250;
constexpr size_t kBlockSize = 250000;
constexpr size_t kBlockLevels = 125000;
constexpr size_t kBlockZones = 187500;

bool Refuse(GFile& file, const char* what, int32_t value) {
  GErrorLog::LogValue(what, value);
  file.SetError();
  return false;
}

bool InRange(int32_t value, int32_t low, int32_t high) { return value >= low && value <= high; }

int32_t SignedByte(GFile& file) { return static_cast<int8_t>(file.ReadByte()); }
int32_t SignedShort(GFile& file) { return static_cast<int16_t>(file.ReadU16()); }

// The season of a date YYMM: 0 spring (3-5), 1 summer (6-8), 2 autumn (9-11), 3 winter.
int32_t SeasonOfDate(int32_t date) {
  const int32_t month = date % 100;
  if (month >= 3 && month <= 5) return 0;
  if (month >= 6 && month <= 8) return 1;
  if (month >= 9 && month <= 11) return 2;
  return 3;
}

// The zone value of a side index: 4 Axis, 1 Allied.

void FillZone(Map& map, int32_t x0, int32_t x1, int32_t y0, int32_t y1, uint8_t zone) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, map.terrain.tiles.Width());
  y1 = std::min(y1, map.terrain.tiles.Height());
  for (int32_t x = x0; x < x1; ++x) {
    for (int32_t y = y0; y < y1; ++y) map.terrain.tiles.At(x, y).zone = zone;
  }
}

int32_t CompareGroups(GObject* a, GObject* b, void*) {
  return Campaign::CompareArrival(static_cast<ReinforcementGroup*>(a)->arrivalTurn,
                                  static_cast<ReinforcementGroup*>(b)->arrivalTurn);
}

int32_t FirstUsedCode() {
  int32_t code = 0;
  while (code < TerrainCodeTable::kCodeCount - 1 && !TerrainCodeTable::IsUsed(code)) ++code;
  return code;
}

int32_t Draw(int32_t n) { return n > 0 ? Random(n) : 0; }

}  // namespace

Campaign::Campaign(MapAppServices& app, CampaignHost* host) : BattleBase(app), host_(host) {
  lastTurn = 10;
  attacker = 1;
  for (int32_t side = 0; side < 2; ++side) {
    for (int32_t i = 0; i < kTallies; ++i) lossTally[side][i] = 0;
  }
  inSupply.SetOwnsMembers(false);
  cutOff.SetOwnsMembers(false);
}

Campaign::~Campaign() {
  cutOff.DeleteAll(false);
  inSupply.DeleteAll(false);
}

// ---- Stored form ----

void Campaign::Write(GFile& file) const {
  BattleBase::Write(file);
  WriteOperationPart(file);
}

void Campaign::WriteOperationPart(GFile& file) const {
  file.WriteByte(static_cast<uint8_t>(operationType));
  file.WriteByte(static_cast<uint8_t>(nightEvery));
  file.WriteByte(static_cast<uint8_t>(openingSlot));
  file.WriteByte(static_cast<uint8_t>(expectedProgress));
  file.WriteByte(static_cast<uint8_t>(battleTurns));
  file.WriteByte(static_cast<uint8_t>(attackerEdge));
  file.WriteByte(static_cast<uint8_t>(weatherPattern));
  file.WriteU16(static_cast<uint16_t>(windowSize));
  file.WriteScaled(casualtyRatio, 1000.0f);
  file.WriteU16(static_cast<uint16_t>(windowX));
  file.WriteU16(static_cast<uint16_t>(windowY));
  file.WriteU16(static_cast<uint16_t>(frontLine));
  for (int32_t side = 1; side >= 0; --side) {
    file.WriteByte(mayStartNight[side] != 0 ? 1 : 0);
    file.WriteByte(static_cast<uint8_t>(supply[side]));
    file.WriteByte(static_cast<uint8_t>(recovery[side]));
    file.WriteByte(static_cast<uint8_t>(nightIntent[side]));
    for (int32_t i = 6; i >= 0; --i) file.WriteU16(static_cast<uint16_t>(lossTally[side][i]));
  }
  file.WriteByte(1);
  file.WriteU16(static_cast<uint16_t>(lossTally[0][7]));
  file.WriteU16(static_cast<uint16_t>(lossTally[1][7]));
  // A stored 0 stands for the old default; no man's land 0 is kept as 1.
  file.WriteU16(static_cast<uint16_t>(noMansLand == 0 ? 1 : noMansLand));
  file.WriteU16(0);
  for (int32_t i = 0; i < 3; ++i) file.WriteU32(0);
  file.WriteByte(0);
}

void Campaign::Read(GFile& file) {
  if (!ReadBase(file) || !ReadOperationPart(file)) file.SetError();
}

bool Campaign::ReadOperationPart(GFile& file) {
  operationType = SignedByte(file);
  nightEvery = SignedByte(file);
  openingSlot = SignedByte(file);
  expectedProgress = SignedByte(file);
  battleTurns = SignedByte(file);
  attackerEdge = SignedByte(file);
  weatherPattern = SignedByte(file);
  windowSize = SignedShort(file);
  casualtyRatio = file.ReadScaled(1000.0f);
  windowX = SignedShort(file);
  windowY = SignedShort(file);
  frontLine = SignedShort(file);
  for (int32_t side = 1; side >= 0; --side) {
    mayStartNight[side] = file.ReadByte() != 0 ? 1 : 0;
    supply[side] = SignedByte(file);
    recovery[side] = SignedByte(file);
    nightIntent[side] = SignedByte(file);
    for (int32_t i = 6; i >= 0; --i) lossTally[side][i] = static_cast<int16_t>(file.ReadU16());
  }
  if (file.HasError()) return false;
  // An older file ends here: the later fields keep their values.
  const bool extension = file.BytesLeft() > 0 && file.ReadByte() == 1;
  if (extension) {
    lossTally[0][7] = static_cast<int16_t>(file.ReadU16());
    lossTally[1][7] = static_cast<int16_t>(file.ReadU16());
    const int32_t stored = SignedShort(file);
    noMansLand = stored == 0 ? 400 : (stored == 1 ? 0 : stored);
    file.Skip(14);
    const int32_t n = file.ReadByte();
    if (n > 0) file.Skip(n);
  } else {
    lossTally[0][7] = 0;
    lossTally[1][7] = 0;
  }
  if (file.HasError()) return false;

  if (!InRange(operationType, 0, 2)) return Refuse(file, "Campaign: operation type out of range", operationType);
  if (nightEvery != 0 && !InRange(nightEvery, 2, 10)) return Refuse(file, "Campaign: night every out of range", nightEvery);
  if (!InRange(openingSlot, 0, 9)) return Refuse(file, "Campaign: opening slot out of range", openingSlot);
  if (battleTurns < 1) return Refuse(file, "Campaign: battle turns below 1", battleTurns);
  if (!InRange(attacker, 0, 1)) return Refuse(file, "Campaign: attacker out of range", attacker);
  if (!InRange(attackerEdge, 0, 3)) return Refuse(file, "Campaign: attacker edge out of range", attackerEdge);
  if (!InRange(weatherPattern, 0, 2)) return Refuse(file, "Campaign: weather pattern out of range", weatherPattern);
  for (int32_t side = 0; side < 2; ++side) {
    if (!InRange(supply[side], 0, 5)) return Refuse(file, "Campaign: supply out of range", supply[side]);
    if (!InRange(recovery[side], 0, 4)) return Refuse(file, "Campaign: recovery out of range", recovery[side]);
    if (!InRange(nightIntent[side], 0, 2)) return Refuse(file, "Campaign: night intent out of range", nightIntent[side]);
  }
  if (!std::isfinite(casualtyRatio) || casualtyRatio <= 0.0f) return Refuse(file, "Campaign: casualty ratio not above 0", 0);
  if (noMansLand < 0) return Refuse(file, "Campaign: no man's land below 0", noMansLand);
  if (map == nullptr) return Refuse(file, "Campaign: no operation map", 0);
  const int32_t w = map->size.tilesX;
  const int32_t h = map->size.tilesY;
  if (!InRange(w, 1, Map::kMaxTiles) || !InRange(h, 1, Map::kMaxTiles)) return Refuse(file, "Campaign: operation map too large", std::max(w, h));
  if (!InRange(windowSize, 1, Map::kMaxTiles)) return Refuse(file, "Campaign: window size out of range", windowSize);
  if (!InRange(windowX, 0, w - 1) || !InRange(windowY, 0, h - 1)) return Refuse(file, "Campaign: window corner outside the map", windowX);
  const int32_t depth = attackerEdge == 0 || attackerEdge == 2 ? w : h;
  if (!InRange(frontLine, 0, depth)) return Refuse(file, "Campaign: front line outside the map", frontLine);

  // The battle in play keeps only its flags of type 2.
  Battle* battle = host_ != nullptr ? host_->GetCurrentBattle() : nullptr;
  if (battle != nullptr) {
    for (int32_t i = battle->flags.Count() - 1; i >= 0; --i) {
      if (battle->FlagAt(i)->type != 2) battle->flags.RemoveAt(i, true);
    }
  }
  return true;
}

// ---- Reinforcements ----

int32_t Campaign::CompareArrival(int32_t a, int32_t b) {
  const bool reserveA = a < 0;
  const bool reserveB = b < 0;
  if (!reserveA && !reserveB) return a < b ? -1 : (a > b ? 1 : 0);
  if (reserveA && reserveB) return a > b ? -1 : (a < b ? 1 : 0);
  return reserveA ? 1 : -1;
}

void Campaign::SortReinforcementGroups() {
  for (GObjectGroup& list : reinforcements) list.QuickSort(CompareGroups, nullptr);
}

// ---- Operation start and next battle ----

bool Campaign::SetUp(GFile* stream) {
  inSupply.DeleteAll(false);
  inSupply.SetOwnsMembers(false);
  cutOff.DeleteAll(false);
  cutOff.SetOwnsMembers(false);
  InitMembers();
  if (stream != nullptr) {
    // Reading the operation map lays out its decoration (trees, tile variants) with draws that
    // must not move the game's generator: an operation loaded between battles goes on as the
    // unbroken game does.
    const uint32_t generator = RandomState();
    Read(*stream);
    SeedRandom(generator);
    if (stream->HasError()) return false;
    if (host_ != nullptr && host_->GetCurrentBattle() == nullptr && !IsEditorOpen()) {
      auto* battle = new Battle(App());
      host_->MakeCurrentBattle(battle);
      SetUpBattle(*battle);
      if (currentTurn == 1) ResetNightIntents();
    }
    return true;
  }
  map = new Map(App());
  map->size.tilesX = static_cast<int32_t>(static_cast<float>(noMansLand) * 0.05f + 60.0f);
  if (!map->Read(nullptr)) FatalError(__LINE__, kSource);
  SetInitialZones();
  return true;
}

void Campaign::ResetNightIntents() {
  for (int32_t side = 0; side < 2; ++side) {
    const bool human = App().GetHumanPlayers() >= 2 || App().GetHumanSide() == side;
    if (human) nightIntent[side] = 0;
    else nightIntent[side] = side == attacker && mayStartNight[side] != 0 ? 2 : 1;
  }
}

void Campaign::SetInitialZones() {
  if (map == nullptr) FatalError(__LINE__, kSource);
  Map& m = *map;
  const int32_t W = m.terrain.tiles.Width();
  const int32_t H = m.terrain.tiles.Height();
  FillZone(m, 0, W, 0, H, 0);
  const uint8_t a = ZoneOfSide(attacker);
  const auto d = static_cast<uint8_t>(5 - a);
  const int32_t depth = static_cast<int32_t>(static_cast<float>(noMansLand) * 0.05f);
  const int32_t S = windowSize;
  const int32_t far = std::max(3 * depth, S);
  switch (attackerEdge) {
    case 0:
      FillZone(m, 2 * depth, far, 0, H, d);
      FillZone(m, 0, depth, 0, H, a);
      break;
    case 2:
      FillZone(m, std::min(W - 3 * depth, W - S), W - 2 * depth, 0, H, d);
      FillZone(m, W - depth, W, 0, H, a);
      break;
    case 3:
      FillZone(m, 0, W, 2 * depth, far, d);
      FillZone(m, 0, W, 0, depth, a);
      break;
    case 1:
      FillZone(m, 0, W, std::min(H - 3 * depth, H - S), H - 2 * depth, d);
      FillZone(m, 0, W, H - depth, H, a);
      break;
    default: FatalError(__LINE__, kSource);
  }
}

void Campaign::StartNextBattle() {
  if (host_ == nullptr) FatalError(__LINE__, kSource);
  auto* battle = new Battle(App());
  host_->MakeCurrentBattle(battle);
  SetUpBattle(*battle);
  App().SetInputMode(InputModes::kNoPick);
  host_->EnterBattleScreen();
}

bool Campaign::PlaceUnitInBattle(Unit& unit, Battle& battle) {
  return battle.map != nullptr && battle.map->IsOnMap(unit.x, unit.y);
}

int32_t Campaign::ChooseWeather(int32_t pattern, int32_t r, int32_t timeOfDay, int32_t season, int32_t ground) {
  auto precipitation = [&]() {
    if (season == 3 && (Random(3) == 0 || (ground >= 6 && ground <= 8))) return 5;
    return 2;
  };
  switch (pattern) {
    case 0:
      if (r < 5) return 2;
      if (r < 25 && timeOfDay == 1) return 3;
      if (r < 30) return 1;
      return 0;
    case 1:
      if (r < 20) return precipitation();
      if (r < 40 && timeOfDay == 1) return Random(5) == 0 ? 4 : 3;
      if (r < 60) return 1;
      return 0;
    case 2:
      if (r < 50) return precipitation();
      if (r < 80 && timeOfDay == 1) return Random(4) == 0 ? 4 : 3;
      if (r < 90) return 1;
      return 0;
    default: FatalError(2186, kSource);
  }
  return 0;
}

void Campaign::SetUpBattle(Battle& battle) {
  if (host_ != nullptr) {
    GString127 title;
    title.LoadResource(kUntitled);
    host_->SetScenarioTitle(title.CStr());
  }
  battle.SetUpForOperation();
  // Each battle of the operation goes by the operation's name.
  battle.title = title;
  battle.date = date;
  battle.season = SeasonOfDate(date);
  battle.groundCondition = groundCondition;
  battle.computerBonus = computerBonus;
  battle.attacker = attacker;
  battle.fanaticism[0] = fanaticism[0];
  battle.fanaticism[1] = fanaticism[1];
  battle.lastTurn = battleTurns;
  battle.autoObjective = 0;
  battle.mayDigIn = 0;
  battle.flagValue = 1;
  BuildBattleMap();

  if (battle.units.Count() != 0) FatalError(2167, kSource);
  const float dx = static_cast<float>(windowX) * Map::kTileSize;
  const float dy = static_cast<float>(windowY) * Map::kTileSize;
  for (int32_t i = 0; i < units.Count();) {
    Unit* unit = UnitAt(i);
    unit->x -= dx;
    unit->y -= dy;
    if (!PlaceUnitInBattle(*unit, battle)) {
      unit->x += dx;
      unit->y += dy;
      ++i;
      continue;
    }
    units.RemoveAt(i, false);
    battle.units.Append(unit);
    // A hiding infantry unit starts the battle hidden.
    if (unit->IsInfantry() && unit->flagBytes[Unit::kHoldFlag] != 0) unit->SetActivity(6);
  }

  if (!InRange(attackerEdge, 0, 3)) FatalError(390, kSource);
  for (int32_t& owner : battle.edgeOwner) owner = 2;
  battle.edgeOwner[attackerEdge] = attacker;
  battle.edgeOwner[(attackerEdge + 2) % 4] = 1 - attacker;

  battle.timeOfDay = RotationPhase(currentTurn, nightEvery, openingSlot);
  if (IsEditorOpen()) {
    battle.weather = 0;
  } else {
    const int32_t r = Random(100);
    battle.weather = ChooseWeather(weatherPattern, r, battle.timeOfDay, battle.season, groundCondition);
  }
}

void Campaign::GetBattleWindow(int32_t& x, int32_t& y, int32_t& w, int32_t& h) const {
  if (map == nullptr) FatalError(__LINE__, kSource);
  const int32_t W = map->terrain.tiles.Width();
  const int32_t H = map->terrain.tiles.Height();
  x = 0;
  y = 0;
  w = W;
  h = H;
  if (IsEditorOpen()) return;
  if (attackerEdge == 0 || attackerEdge == 2) {
    const int32_t c = attackerEdge == 0 ? frontLine : W - frontLine;
    w = std::min(W, windowSize);
    x = std::clamp(c - w / 2, 0, W - w);
  } else {
    const int32_t c = attackerEdge == 3 ? frontLine : H - frontLine;
    h = std::min(H, windowSize);
    y = std::clamp(c - h / 2, 0, H - h);
  }
}

std::vector<uint8_t> Campaign::MakeImportBlock(int32_t x, int32_t y, int32_t w, int32_t h) const {
  if (map == nullptr) FatalError(__LINE__, kSource);
  const Map& source = *map;
  std::vector<uint8_t> block(kBlockSize, 0);
  for (int32_t i = 0; i < w; ++i) {
    for (int32_t j = 0; j < h; ++j) {
      if (!source.terrain.tiles.Contains(x + i, y + j)) FatalError(355, kSource);
      if (i < 0 || j < 0 || i >= kBlockSide || j >= kBlockSide) FatalError(359, kSource);
      const MapTile& tile = source.terrain.tiles.At(x + i, y + j);
      const float cx = (static_cast<float>(x + i) + 0.5f) * Map::kTileSize;
      const float cy = (static_cast<float>(y + j) + 0.5f) * Map::kTileSize;
      int32_t code = TerrainCodeTable::FindTerrainCode(tile.code, tile.roadCode, source.BurningAt(cx, cy));
      // A combination the table has no code for loses its fire, then its road, rather than
      // the tile; a terrain with no code at all becomes the first code in use.
      if (code < 0) code = TerrainCodeTable::FindTerrainCode(tile.code, tile.roadCode, 0);
      if (code < 0) code = TerrainCodeTable::FindTerrainCode(tile.code, 0, 0);
      if (code < 0) code = FirstUsedCode();
      const size_t at = static_cast<size_t>(i * kBlockSide + j);
      const auto value = static_cast<int16_t>(code);
      std::memcpy(block.data() + at * 2, &value, sizeof value);
      block[kBlockLevels + at] = static_cast<uint8_t>(source.StoredLevel(source.terrain.tileHeight.At(x + i, y + j)));
      block[kBlockZones + at] = tile.zone;
    }
  }
  return block;
}

void Campaign::MoveWindowObjects(Map& target, int32_t x, int32_t y, int32_t w, int32_t h) {
  if (map == nullptr) FatalError(__LINE__, kSource);
  Map& source = *map;
  // Buildings, craters and landmarks in the window; buildings and craters move.
  if (source.objects.buildings != nullptr && target.objects.buildings != nullptr) {
    GGroup& from = *source.objects.buildings;
    for (int32_t k = 0; k < from.Count();) {
      auto* building = static_cast<Building*>(from.GetItem(k));
      if (building->tileX >= x && building->tileX < x + w && building->tileY >= y && building->tileY < y + h) {
        from.RemoveAt(k, false);
        building->tileX -= x;
        building->tileY -= y;
        target.objects.buildings->Append(building);
      } else {
        ++k;
      }
    }
  }
  const float left = static_cast<float>(x) * Map::kTileSize;
  const float bottom = static_cast<float>(y) * Map::kTileSize;
  const float right = static_cast<float>(x + w) * Map::kTileSize;
  const float top = static_cast<float>(y + h) * Map::kTileSize;
  for (MapObjectList* list : {source.objects.craters, source.objects.craterMarks}) {
    if (list == nullptr) continue;
    for (int32_t k = 0; k < list->Count();) {
      auto* crater = static_cast<Crater*>(list->GetItem(k));
      if (crater->x >= left && crater->x < right && crater->y >= bottom && crater->y < top) {
        list->RemoveAt(k, false);
        crater->x -= left;
        crater->y -= bottom;
        MapObjectList* into = crater->lasting != 0 ? target.objects.craters : target.objects.craterMarks;
        if (into == nullptr) FatalError(__LINE__, kSource);
        into->Append(crater);
      } else {
        ++k;
      }
    }
  }
  source.IndexCraters();
  for (int32_t k = 0; k < source.objects.landmarks.Count(); ++k) {
    const auto* mark = static_cast<const Landmark*>(source.objects.landmarks.GetItem(k));
    if (mark->tileX < x || mark->tileX >= x + w || mark->tileY < y || mark->tileY >= y + h) continue;
    target.objects.landmarks.Append(new Landmark(mark->tileX - x, mark->tileY - y, mark->name.CStr()));
  }
}

void Campaign::BuildBattleMap() {
  if (host_ == nullptr || App().GetOperation() != this) FatalError(334, kSource);
  Battle* battle = host_->GetCurrentBattle();
  if (battle == nullptr || battle->map == nullptr) FatalError(335, kSource);
  if (map == nullptr) FatalError(__LINE__, kSource);
  int32_t x = 0;
  int32_t y = 0;
  int32_t w = 0;
  int32_t h = 0;
  GetBattleWindow(x, y, w, h);
  windowX = x;
  windowY = y;
  battle->map->size.heightScale = map->size.heightScale;
  const std::vector<uint8_t> block = MakeImportBlock(x, y, w, h);
  Map& target = *battle->map;
  if (!target.NewMap(static_cast<float>(w) * Map::kTileSize, static_cast<float>(h) * Map::kTileSize, block.data())) {
    FatalError(__LINE__, kSource);
  }
  MoveWindowObjects(target, x, y, w, h);

  // Every derived grid is rebuilt from the stored form, passed through memory.
  std::string bytes;
  {
    GMemoryFile out;
    target.Write(out.File());
    if (out.File().HasError()) FatalError(__LINE__, kSource);
    bytes = out.Bytes();
  }
  SafeDelete(battle->map);
  auto* rebuilt = new Map(App());
  GMemoryFile in(bytes);
  if (!rebuilt->Read(&in.File())) {
    delete rebuilt;
    FatalError(__LINE__, kSource);
  }
  battle->map = rebuilt;

  const float wm = rebuilt->size.worldWidth;
  const float hm = rebuilt->size.worldHeight;
  struct Spot {
    float x, y, bearing;
  };
  const float pi = 3.14159265f;
  Spot att{};
  Spot def{};
  switch (attackerEdge) {
    case 0: att = {0.2f * wm, 0.5f * hm, 0.0f}; def = {0.8f * wm, 0.5f * hm, pi}; break;
    case 2: att = {0.8f * wm, 0.5f * hm, pi}; def = {0.2f * wm, 0.5f * hm, 0.0f}; break;
    case 3: att = {0.5f * wm, 0.2f * hm, pi / 2.0f}; def = {0.5f * wm, 0.8f * hm, 3.0f * pi / 2.0f}; break;
    case 1: att = {0.5f * wm, 0.8f * hm, 3.0f * pi / 2.0f}; def = {0.5f * wm, 0.2f * hm, pi / 2.0f}; break;
    default: FatalError(390, kSource);
  }
  const int32_t a = attacker & 1;
  const int32_t d = 1 - a;
  rebuilt->camera.viewLevel[0] = 2;
  rebuilt->camera.viewLevel[1] = 2;
  rebuilt->camera.x[a] = att.x;
  rebuilt->camera.y[a] = att.y;
  rebuilt->camera.bearing[a] = att.bearing;
  rebuilt->camera.x[d] = def.x;
  rebuilt->camera.y[d] = def.y;
  rebuilt->camera.bearing[d] = def.bearing;
}

void Campaign::PlaceArrivingGroup(ReinforcementGroup& group) {
  if (group.units.Count() == 0) return;
  const int32_t side = static_cast<Unit*>(group.units.GetItem(0))->GetSideIndex();
  if (!InRange(side, 0, 1)) FatalError(1884, kSource);
  int32_t x = 0;
  int32_t y = 0;
  int32_t w = 0;
  int32_t h = 0;
  GetBattleWindow(x, y, w, h);
  const int32_t edge = side == attacker ? attackerEdge : (attackerEdge + 2) % 4;
  int32_t tx = 0;
  int32_t ty = 0;
  float facing = 0.0f;
  switch (edge) {
    case 1:
      tx = x + w / 4 + Draw(w / 2);
      ty = y + h - 5 - Random(10);
      facing = 270.0f;
      break;
    case 3:
      tx = x + w / 4 + Draw(w / 2);
      ty = y + 5 + Random(10);
      facing = 90.0f;
      break;
    case 2:
      ty = y + h / 4 + Draw(h / 2);
      tx = x + w - 5 - Random(10);
      facing = 180.0f;
      break;
    case 0:
      ty = y + h / 4 + Draw(h / 2);
      tx = x + 5 + Random(10);
      facing = 0.0f;
      break;
    default: FatalError(390, kSource);
  }
  const float px = static_cast<float>(tx) * Map::kTileSize;
  const float py = static_cast<float>(ty) * Map::kTileSize;
  // The units leave the group for the operation's unit group, which owns them from now on.
  for (int32_t i = 0; i < group.units.Count(); ++i) {
    auto* unit = static_cast<Unit*>(group.units.GetItem(i));
    unit->setupZone = ZoneOfSide(side);
    unit->facing = facing;
    unit->x = px;
    unit->y = py;
    // A free spot near the point in the side's zone; the units placed before it stand in the
    // operation's unit group, so no two share a spot.
    unit->CheckPlacement(px, py, true, false, false);
    units.Append(unit);
  }
  group.units.DeleteAll(false);
  replayFlags[side] = 1;
}
