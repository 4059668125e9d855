// The orders a player reads on the map: path lines with their move-mode words, the target
// line with the target's name and distance, the preview of an order point, and the
// next-target command.
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "framework/core/GString127.h"
#include "framework/core/GString31.h"
#include "framework/core/GString63.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "game/map/BattlefieldScreen.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/OrderState.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitBattleQueries.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/units/ports/UnitOrderHost.h"
#include "game/units/ports/UnitServices.h"

namespace {

// The move labels' texts in the string table.
constexpr uint32_t kStrMove = 7110;
constexpr uint32_t kStrHunt = 7111;
constexpr uint32_t kStrFast = 7112;
constexpr uint32_t kStrSneak = 7113;
constexpr uint32_t kStrRun = 7114;
constexpr uint32_t kStrCrawl = 7115;
constexpr uint32_t kStrRotateTo = 7116;
constexpr uint32_t kStrReverse = 7117;
constexpr uint32_t kStrEmbark = 7118;
constexpr uint32_t kStrWithdraw = 7119;
constexpr uint32_t kStrDisembark = 7120;
constexpr uint32_t kStrHide = 7121;
constexpr uint32_t kStrAreaTarget = 7122;
constexpr uint32_t kStrAbandoned = 7123;
constexpr uint32_t kStrEliminated = 7124;
constexpr uint32_t kStrMetres = 7125;

constexpr int32_t kEmbarkMode = 8;
constexpr int32_t kEmbarkKind = -1;
constexpr int32_t kRefusedStyle = 16;
constexpr int32_t kOrderSound = 30;

// Line styles by move mode + 1 (modes -1 to 9).
constexpr std::array<int32_t, 11> kNormalStyles{7, 14, 8, 9, 28, 9, 10, 14, 11, 6, 12};
constexpr std::array<int32_t, 11> kAlternativeStyles{0, 14, 1, 2, 3, 2, 4, 14, 5, 6, 12};
constexpr std::array<float, 8> kMarkerScales{0.45f, 0.75f, 1.25f, 2.0f, 2.5f, 3.6f, 6.0f, 8.5f};

bool IsSelected(const Unit& unit) {
  const MapBattleServices* battle = UnitBattle();
  return battle != nullptr && battle->GetSelectedUnit() == static_cast<const MapUnitView*>(&unit);
}

bool PickMode() { return gGraph3D != nullptr && gGraph3D->IsPickMode(); }

// The move mode an order code places; codes that place no move draw as Move.
int32_t PreviewModeOf(int32_t orderCode) {
  switch (orderCode) {
    case 20: case 21: case 22: case 23: case 24: case 25: case 26: case 31:
      return Unit::MoveModeOfOrder(orderCode);
    default:
      return 1;
  }
}

// A path marker: a small pyramid standing on the point, another shape for a rotation point.
void DrawPathMarker(float x, float y, float z, float scale, bool rotation, bool snow) {
  GGraph3D* g = gGraph3D;
  const float shade = snow ? 0.5f : 1.0f;
  g->PushMatrix();
  g->Translate(x, y, z);
  g->Scale(scale, scale, scale);
  if (rotation) {
    g->SetColor(0.3f * shade, 0.8f * shade, 1.0f * shade);
    const float ring[] = {0.0f, 0.0f, 1.2f, -0.8f, 0.0f, 0.4f, 0.0f, 0.8f, 0.4f, 0.8f, 0.0f, 0.4f, 0.0f, -0.8f, 0.4f,
                          -0.8f, 0.0f, 0.4f};
    g->DrawColouredFan(true, 4, ring);
  } else {
    g->SetColor(1.0f * shade, 0.9f * shade, 0.2f * shade);
    const float cone[] = {0.0f, 0.0f, 0.0f, -0.5f, -0.5f, 1.5f, 0.5f, -0.5f, 1.5f, 0.5f, 0.5f, 1.5f, -0.5f, 0.5f, 1.5f,
                          -0.5f, -0.5f, 1.5f};
    g->DrawColouredFan(true, 4, cone);
  }
  g->PopMatrix();
}

}  // namespace

int32_t Unit::OrderLineStyle(int32_t moveMode, bool alternative, bool vehicle) {
  if (vehicle) {
    if (moveMode == 1) {
      moveMode = 4;
    } else if (moveMode == 2) {
      moveMode = 3;
    } else if (moveMode == 3) {
      moveMode = 5;
    }
  }
  const int32_t index = moveMode + 1;
  if (index < 0 || index >= static_cast<int32_t>(kNormalStyles.size())) FatalError(__LINE__, "Unit.cpp");
  return alternative ? kAlternativeStyles[static_cast<size_t>(index)] : kNormalStyles[static_cast<size_t>(index)];
}

void Unit::SetOrderLineStyle(int32_t moveMode, bool alternative, bool vehicle) const {
  const int32_t style = OrderLineStyle(moveMode, alternative, vehicle);
  if (UnitDrawHost* host = GetUnitDrawHost()) host->SetLineStyle(style);
}

float Unit::MarkerScale(int32_t viewLevel) {
  if (viewLevel < 0 || viewLevel >= static_cast<int32_t>(kMarkerScales.size())) FatalError(__LINE__, "Unit.cpp");
  return kMarkerScales[static_cast<size_t>(viewLevel)];
}

void Unit::BuildMoveLabel(GString& text, int32_t pointKind, int32_t moveMode, bool vehicle, bool withdrawing,
                          bool disembark, bool hide) {
  uint32_t id = kStrMove;
  if (pointKind == kEmbarkKind) {
    id = kStrEmbark;
  } else {
    switch (moveMode) {
      case 2: id = kStrHunt; break;
      case 3: id = vehicle ? kStrFast : kStrMove; break;
      case 4: id = kStrSneak; break;
      case 5: id = kStrRun; break;
      case 7: id = kStrCrawl; break;
      case 9: id = kStrRotateTo; break;
      case -1: id = kStrReverse; break;
      default: id = kStrMove; break;  // mode 1, and any mode without a word of its own
    }
  }
  text.LoadResource(id);
  if (withdrawing) text.AppendResource(kStrWithdraw);
  if (disembark) text.AppendResource(kStrDisembark);
  if (hide) text.AppendResource(kStrHide);
}

void Unit::DrawPathLines() {
  if (waypointCount <= 0 || !IsCommandable()) return;
  const float baseZ = GetBaseHeight();
  const int32_t count = std::min(waypointCount, kMaxWaypoints);
  const Waypoint& first = waypoints[0];
  const bool pauseAfterFirst = count > 1 && waypoints[1].moveMode == Waypoint::kRotateTo;
  if (IsInfantry() && count == 1 && IsBoarding()) {
    DrawPathSegment(false, 0, kEmbarkKind, -1, kEmbarkMode, false, first.x, first.y, first.height, x, y, baseZ);
  } else {
    DrawPathSegment(pauseAfterFirst, first.flags, first.pointKind, 0, first.moveMode, IsPassenger(), first.x, first.y,
                    first.height, x, y, baseZ);
  }
  for (int32_t i = count - 1; i >= 1; --i) {
    const Waypoint& from = waypoints[static_cast<size_t>(i - 1)];
    const Waypoint& to = waypoints[static_cast<size_t>(i)];
    const bool pause = i + 1 < count && waypoints[static_cast<size_t>(i + 1)].moveMode == Waypoint::kRotateTo;
    DrawPathSegment(pause, to.flags, to.pointKind, i, to.moveMode, false, to.x, to.y, to.height, from.x, from.y,
                    from.height);
  }
}

void Unit::DrawPathSegment(bool pauseNext, uint8_t flagByte, int32_t pointKind, int32_t index, int32_t moveMode,
                           bool firstOfPassenger, float endX, float endY, float endZ, float startX, float startY,
                           float startZ) {
  (void)pauseNext;
  const Map* map = UnitBattleMap();
  if (map == nullptr || gGraph3D == nullptr) return;
  UnitDrawHost* host = GetUnitDrawHost();
  const bool pick = PickMode();
  const int32_t viewLevel = map->GetViewLevel();
  // 1: the line.
  if (!pick) {
    // An embarking line has no move mode of the tables: it is drawn as a Move.
    SetOrderLineStyle(pointKind == kEmbarkKind ? 1 : std::clamp(moveMode, -1, 9), false, IsVehicle());
    if (host != nullptr) host->DrawTerrainLine(viewLevel > 5, startX, startY, startZ, endX, endY, endZ);
  }
  // 2: the marker at the end point, for the selected unit only.
  const float markerScale = MarkerScale(viewLevel);
  const bool selected = IsSelected(*this);
  const UnitOrderHost* orders = GetUnitOrderHost();
  const int32_t selectedWaypoint = orders != nullptr ? orders->GetSelectedWaypoint() : -1;
  if (selected && (host == nullptr || !host->IsMarkerHiding()) && pointKind != kEmbarkKind) {
    const MapBattleServices* battle = UnitBattle();
    const bool snow = battle != nullptr && battle->IsSnowGround();
    const bool isSelectedWaypoint = index >= 0 && index == selectedWaypoint;
    if (isSelectedWaypoint) gGraph3D->BeginScreenBounds();
    DrawPathMarker(endX, endY, endZ, markerScale, moveMode == Waypoint::kRotateTo, snow);
    if (isSelectedWaypoint) {
      GRect bounds{};
      gGraph3D->EndScreenBounds(bounds);
      if (host != nullptr) host->SetWaypointScreenBounds(bounds);
    }
  }
  // 3: the words.
  if (pick) return;
  const MapAppServices* app = UnitApp();
  if (app != nullptr && app->GetInputMode() == InputModes::kWaypointDrag && selected && index == selectedWaypoint) return;
  float labelX = endX;
  float labelY = endY;
  const float labelZ = endZ + 3.0f * markerScale;
  if (viewLevel > 3) {
    labelX += 3.0f;
    labelY += 3.0f;
  }
  float screenX = labelX;
  float screenY = labelY;
  if (!gGraph3D->ProjectToScreen(&screenX, &screenY, labelZ, false)) return;
  GString127 text;
  BuildMoveLabel(text, pointKind, moveMode, IsVehicle(), withdraw != 0, firstOfPassenger, flagByte != 0);
  if (host != nullptr) host->DrawTextAtPoint(text.CStr(), labelX, labelY, labelZ);
}

void Unit::DrawOrderPreview(float px, float py, float pz, int32_t orderCode) {
  UnitDrawHost* host = GetUnitDrawHost();
  if (host == nullptr) return;
  const bool refused = (!CanStandAt(px, py, true) && FindFortificationAt(px, py) == nullptr) ||
                       (withdraw != 0 && !IsTowardOwnEdge(px, py));
  host->SetLineStyle(refused ? kRefusedStyle : OrderLineStyle(PreviewModeOf(orderCode), true, IsVehicle()));
  float fromX = x;
  float fromY = y;
  float fromZ = 0.0f;
  if (waypointCount > 0) {
    const Waypoint& last = waypoints[static_cast<size_t>(std::min(waypointCount, kMaxWaypoints) - 1)];
    fromX = last.x;
    fromY = last.y;
    fromZ = last.height;
  } else {
    fromZ = GetBaseHeight();
  }
  const Map* map = UnitBattleMap();
  host->DrawTerrainLine(map != nullptr && map->GetViewLevel() > 5, fromX, fromY, fromZ, px, py, pz);
}

Unit* Unit::FindFortificationAt(float px, float py) const {
  const MapBattleServices* battle = UnitBattle();
  const UnitOrderHost* orders = GetUnitOrderHost();
  const Map* map = UnitBattleMap();
  if (battle == nullptr || map == nullptr || orders == nullptr) return nullptr;
  if (orders->GetPhaseSide() != GetSideIndex()) return nullptr;
  const int32_t terrain = map->TerrainTypeAt(px, py);
  if (terrain < 4 || terrain > 7) return nullptr;
  Unit* best = nullptr;
  float bestDistance = 50.0f;
  for (int32_t i = 0; i < battle->GetUnitCount(); ++i) {
    auto* other = static_cast<Unit*>(battle->GetUnit(i));
    if (other == nullptr || !other->IsInanimate()) continue;
    const int32_t objectKind = other->GetInanimateKind();
    if (objectKind != 0 && objectKind != 1) continue;
    const float d = std::hypot(other->x - px, other->y - py);
    if (d <= bestDistance) {
      bestDistance = d;
      best = other;
    }
  }
  if (best != nullptr && best->identificationLevel != 0) return nullptr;
  return best;
}

Unit* Unit::GetShownTargetUnit() const {
  const UnitServices* services = GetUnitServices();
  Unit* shown = nullptr;
  if (IsCurrentSide()) {
    shown = target;
  } else if (services != nullptr && services->IsReplaying()) {
    shown = target != nullptr && LineOfSightTo(*target) ? target : nullptr;
  } else {
    shown = ordersPhaseTarget;
  }
  if (shown != nullptr && shown->IsInanimate()) return nullptr;
  return shown;
}

void Unit::DrawTargetLine(bool labelled) {
  const MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) FatalError(__LINE__, "Unit.cpp");
  const Map* map = battle->GetMap();
  if (map == nullptr || gGraph3D == nullptr || PickMode()) return;
  if (labelled && alive == 0) return;
  if (GetIdentificationLevel(false) < 2) return;
  if (!IsCurrentSide() && HasMainWeaponOfType5()) return;
  UnitDrawHost* host = GetUnitDrawHost();
  if (host == nullptr) return;
  const float fromZ = GetBaseHeight();
  Unit* shown = GetShownTargetUnit();
  float toX = 0.0f;
  float toY = 0.0f;
  float toZ = 0.0f;
  float distance = 0.0f;
  bool secondForm = false;
  if (shown == nullptr || (shown->alive == 0 && flagBytes[kTargetAbsentFlag] == 0)) {
    shown = nullptr;
    bool flag = false;
    if (!GetShownTarget(toX, toY, flag)) return;
    toZ = map->ElevationAt(toX, toY);
    host->SetLineStyle(flag ? 26 : 27);
    distance = std::sqrt((toX - x) * (toX - x) + (toY - y) * (toY - y) + (toZ - fromZ) * (toZ - fromZ));
  } else {
    toX = shown->x;
    toY = shown->y;
    toZ = shown->GetBaseHeight();
    host->SetLineStyle(labelled ? 16 : (battle->IsSnowGround() ? 24 : 25));
    secondForm = shown->GetShownTargetUnit() == this && shown->GetIdentificationLevel(false) >= 2;
    distance = std::sqrt((toX - x) * (toX - x) + (toY - y) * (toY - y) + (toZ - fromZ) * (toZ - fromZ)) + 0.5f;
  }
  host->DrawTerrainLine(secondForm, x, y, fromZ, toX, toY, toZ);
  if (!labelled) return;
  float screenX = toX;
  float screenY = toY;
  if (!gGraph3D->ProjectToScreen(&screenX, &screenY, toZ, false)) return;
  GString127 name;
  if (shown == nullptr) {
    name.LoadResource(kStrAreaTarget);
  } else {
    if (shown->alive == 0) {
      name.LoadResource(shown->knockedOut != 0 ? kStrEliminated : kStrAbandoned);
      name.AppendChar(' ');
    }
    GString63 targetName;
    shown->GetDisplayName(targetName);
    name.Append(targetName);
  }
  GString31 metres;
  metres.AssignNumber(static_cast<int32_t>(distance));
  metres.AppendResource(kStrMetres);
  const auto sx = static_cast<int32_t>(screenX);
  const auto sy = static_cast<int32_t>(screenY);
  host->DrawScreenText(name.CStr(), sx, std::max(sy - 38, 24));
  host->DrawScreenText(metres.CStr(), sx, std::max(sy - 26, 12));
}

void Unit::DrawTargetLinesToMe() {
  const MapBattleServices* battle = UnitBattle();
  if (battle == nullptr || alive == 0 || GetIdentificationLevel(false) < 2) return;
  for (int32_t i = 0; i < battle->GetUnitCount(); ++i) {
    auto* other = static_cast<Unit*>(battle->GetUnit(i));
    if (other != nullptr && other != this && other->GetShownTargetUnit() == this) other->DrawTargetLine(false);
  }
}

void Unit::CycleTarget() {
  const MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return;
  Unit* savedTarget = target;
  Unit* savedOrdered = orderedTarget;
  const bool freeArc = IsVehicle() && (!IsMainWeaponUsable() || !HasMainWeapon());
  if (freeArc) firingBytes[kMachineGunMode] = 1;
  struct Candidate {
    Unit* unit;
    float score;
  };
  std::vector<Candidate> list;
  for (int32_t i = 0; i < battle->GetUnitCount(); ++i) {
    auto* other = static_cast<Unit*>(battle->GetUnit(i));
    if (other == nullptr || other == this || !IsEnemy(*other) || other->alive == 0) continue;
    if (!other->IsInfantry() && !other->IsVehicle()) continue;
    if (!other->IsIdentified() || other->IsPassenger() || !CanTarget(*other) || !LineOfSightTo(*other)) continue;
    if (firingBytes[kMachineGunMode] == 0 && !IsUnitInArc(*other)) continue;
    const float score = EvaluateCandidateTarget(other);
    if (score > 0.0f) list.push_back({other, score});
  }
  if (freeArc) firingBytes[kMachineGunMode] = 0;
  // Highest score first; equal scores keep the battle's order.
  std::stable_sort(list.begin(), list.end(), [](const Candidate& a, const Candidate& b) { return a.score > b.score; });
  target = savedTarget;
  orderedTarget = savedOrdered;
  if (list.empty()) return;
  size_t next = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].unit == savedTarget) {
      next = (i + 1) % list.size();
      break;
    }
  }
  Unit* chosen = list[next].unit;
  SetTarget(chosen, chosen->x, chosen->y, false, false);
  orderedTarget = chosen;
  if (flagBytes[kHoldFlag] != 0 && !chosen->IsInanimate()) {
    if (UnitDrawHost* host = GetUnitDrawHost()) {
      host->PlayOrderSound(kOrderSound);
    } else if (MapAppServices* app = UnitApp()) {
      app->Battlefield().PlaySound(kOrderSound);
    }
  }
}
