// The inanimate object: construction, the kind table, footprint, stored form, placement, the
// map stamp, the marker's picture slot and the simple unit operations; the makers of kind 2.
#include "game/units/inanimate/Inanimate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GMath.h"
#include "framework/core/GString.h"
#include "framework/core/Quorl.h"
#include "game/map/FineTerrain.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/ports/UnitBattleQueries.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/records/RefuseRecord.h"
#include "game/units/records/UnitIds.h"
#include "game/units/tables/UnitCodes.h"

namespace {

constexpr uint32_t kLongNames = 5300;
constexpr uint32_t kShortNames = 5400;
constexpr int32_t kInanimateReservedBytes = 8;

// Width, depth, box height, cost; row 7 is no kind.
constexpr std::array<Inanimate::KindData, 11> kKinds{{
    {8.0f, 25.0f, 2.8f, 25.0f},
    {6.0f, 20.0f, 2.8f, 10.0f},
    {15.0f, 15.0f, 2.8f, 10.0f},
    {9.0f, 9.0f, 2.8f, 1.0f},
    {20.0f, 20.0f, 2.8f, 10.0f},
    {20.0f, 20.0f, 2.8f, 15.0f},
    {10.0f, 10.0f, 2.8f, 10.0f},
    {0.0f, 0.0f, 0.0f, 0.0f},
    {20.0f, 20.0f, 25.0f, 0.0f},
    {20.0f, 20.0f, 25.0f, 0.0f},
    {20.0f, 20.0f, 25.0f, 0.0f},
}};

// Refuses the record: one log line naming the check, the file's error flag raised.
Unit* MakeInanimate(int32_t objectKind, int32_t nationalityGroup, int32_t flag) {
  (void)flag;
  auto* object = new Inanimate();
  object->Init(objectKind, nationalityGroup, 0.0f, 0.0f, 0.0f);
  return object;
}

}  // namespace

const Inanimate::KindData& Inanimate::DataOf(int32_t kind) {
  if (!IsValidKind(kind)) FatalError(__LINE__, kInanimateFile);
  return kKinds[static_cast<size_t>(kind)];
}

Inanimate::Inanimate() { kind = kInanimate; }

void Inanimate::Register() {
  RegisterUnitMaker(kInanimate, MakeInanimate);
  RegisterBlankUnitMaker(kInanimate, []() -> Unit* { return new Inanimate(); });
}

void Inanimate::Init(int32_t objectKind, int32_t nationalityGroup, float px, float py, float newFacing) {
  if (!IsValidKind(objectKind)) FatalError(64, kInanimateFile);
  classIndex = objectKind;
  side = nationalityGroup == 0 ? 1 : 0;
  Setup(px, py, newFacing, KindGroupFirstCode(nationalityGroup), 2);
  const KindData& data = kKinds[static_cast<size_t>(objectKind)];
  if (objectKind >= kLargeFlagMarker) identificationLevel = 4;
  halfWidth = data.width * 0.5f;
  halfDepth = data.depth * 0.5f;
  SetViewBox();
}

void Inanimate::SetViewBox() {
  const float m = std::max(halfWidth, halfDepth) * 2.0f;
  const float height = IsValidKind(classIndex) ? kKinds[static_cast<size_t>(classIndex)].boxHeight : 2.8f;
  GBoundingBox::Set(0.0f, 0.0f, 0.0f, m * 1.8f, m * 1.8f, height);
}

void Inanimate::GetFootprintPoints(float* xs, float* ys, bool absolute) const {
  const float a = facing * GMath::kRadiansPerDegree;
  const float c = std::cos(a);
  const float s = std::sin(a);
  const float hw = halfWidth;
  const float hd = halfDepth;
  xs[0] = hd * s - hw * c;
  xs[3] = hw * c + hd * s;
  xs[1] = -xs[3];
  xs[2] = -xs[0];
  xs[4] = (xs[0] + xs[3]) * 0.4f;
  xs[5] = -xs[4];
  xs[6] = (xs[0] + xs[1]) * 0.5f;
  xs[7] = -xs[6];
  ys[2] = hw * s + hd * c;
  ys[1] = hd * c - hw * s;
  ys[0] = -ys[2];
  ys[3] = -ys[1];
  ys[4] = (ys[0] + ys[3]) * 0.4f;
  ys[5] = -ys[4];
  ys[6] = (ys[0] + ys[1]) * 0.5f;
  ys[7] = -ys[6];
  if (!absolute) return;
  for (int32_t i = 0; i < 8; ++i) {
    xs[i] += x;
    ys[i] += y;
  }
}

// ---- Stored form ----

void Inanimate::Write(GFile& file) const {
  Unit::Write(file);
  file.WriteU32(0);
  file.WriteU32(0);
  file.WriteScaled(halfWidth, 100.0f);
  file.WriteScaled(halfDepth, 100.0f);
}

void Inanimate::Read(GFile& file) {
  Unit::Read(file);
  if (file.HasError()) return;
  file.Skip(kInanimateReservedBytes);
  halfWidth = file.ReadScaled(100.0f);
  halfDepth = file.ReadScaled(100.0f);
  if (file.HasError()) return;
  if (!(halfWidth > 0.0f)) return RefuseRecord(file, "Inanimate", "half width", static_cast<int32_t>(halfWidth * 100.0f));
  if (!(halfDepth > 0.0f)) return RefuseRecord(file, "Inanimate", "half depth", static_cast<int32_t>(halfDepth * 100.0f));
  // The box as at initialisation, so a turned object stays in view at the screen's edges.
  SetViewBox();
}

// ---- Appearance ----

int32_t Inanimate::MarkerSlot() const {
  const int32_t slot = 3 - markerId;
  return slot >= 0 && slot < kTextureSets * kTexturesPerSet ? slot : -1;
}

// ---- The map stamp and placement ----

void Inanimate::StampFootprint() {
  if (!IsValidKind(classIndex)) FatalError(122, kInanimateFile);
  if (classIndex != kRoadblock && classIndex != kWire) return;
  const MapBattleServices* battle = UnitBattle();
  Map* map = battle != nullptr ? const_cast<Map*>(battle->GetMap()) : nullptr;
  if (map == nullptr) return;
  float xs[8];
  float ys[8];
  GetFootprintPoints(xs, ys, true);
  const int32_t type = classIndex == kRoadblock ? 4 : 5;
  const Map::Point3 p0{xs[0], ys[0], 0.0f};
  const Map::Point3 p1{xs[1], ys[1], 0.0f};
  const Map::Point3 p2{xs[2], ys[2], 0.0f};
  const Map::Point3 p3{xs[3], ys[3], 0.0f};
  map->StampTriangle(p0, p1, p2, type, 0.0f);
  map->StampTriangle(p0, p3, p2, type, 0.0f);
}

bool Inanimate::CanDeployAt(float px, float py) {
  if (classIndex == kReferencePoint || classIndex >= kLargeFlagMarker) return true;
  return Unit::CanDeployAt(px, py);
}

bool Inanimate::CanStandAt(float px, float py, bool /*mapTest*/) {
  if (classIndex >= kLargeFlagMarker) return true;
  const Map* map = UnitBattleMap();
  if (map == nullptr) return true;
  float xs[9];
  float ys[9];
  GetFootprintPoints(xs, ys, false);
  xs[8] = 0.0f;
  ys[8] = 0.0f;
  const bool marker = classIndex == kReferencePoint || classIndex == kAmbushMarker;
  const bool mines = classIndex == kPersonnelMines || classIndex == kTankMines;
  for (int32_t i = 8; i >= 0; --i) {
    const int32_t t = map->TerrainTypeAt(px + xs[i], py + ys[i]);
    if (t == 25) return false;
    if (!marker && !IsStampableTerrain(t)) return false;
    if (mines && (t == 9 || t == 10 || t == 11 || t == 19)) return false;
  }
  return true;
}

// ---- Simple operations ----

void Inanimate::BeginTurn() {
  Unit::BeginTurn();
  revealedThisTurn = 0;
}

bool Inanimate::IsCommandable() const {
  if (IsEditorOpen()) return true;
  const MapBattleServices* battle = UnitBattle();
  if (battle != nullptr && battle->IsSetupPhase()) return Unit::IsCommandable();
  return false;
}

void Inanimate::TakeDamage(Unit*, int32_t, int32_t, float, float, float) {}

void Inanimate::AppendName(GString& text, bool longForm) const {
  if (!IsValidKind(classIndex)) return;
  text.AppendResource((longForm ? kLongNames : kShortNames) + static_cast<uint32_t>(classIndex));
}

void Inanimate::GetDisplayName(GString& text) const { AppendName(text, true); }

float Inanimate::GetPurchaseCost() const {
  return classIndex >= 0 && classIndex <= kMineChain ? kKinds[static_cast<size_t>(classIndex)].cost : 0.0f;
}

