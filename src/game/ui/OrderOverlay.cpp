#include "game/ui/OrderOverlay.h"
#include "game/ui/TableText.h"

#include "StringIds.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "game/battle/Battle.h"
#include "game/map/Map.h"
#include "game/map/OrderState.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"
#include "game/units/ports/VehicleServices.h"

namespace {

using namespace InputModes;

// The state words of a unit that is out of the fight.
constexpr uint32_t kTextEliminated = 1130;
constexpr uint32_t kTextAbandoned = 1131;
constexpr uint32_t kTextKnockedOut = 1469;

std::string Percent(uint32_t id, float share) { return TableText(id) + std::to_string(TruncateToInt32(share * 100.0f)) + "%"; }

// The terrain's name at the picked point as the unit reports it; with hidden set, a crater the
// side to play has not found is passed over.
std::string TerrainTextAt(const Unit& unit, float x, float y, bool hidden) {
  GString255 text;
  const uint8_t saved = Map::hiddenCraterSwitch;
  Map::hiddenCraterSwitch = hidden ? 1 : 0;
  unit.AppendTerrainTextAt(text, x, y, false);
  Map::hiddenCraterSwitch = saved;
  return text.CStr();
}

// The far end of the line pass: the hovered unit where this side believes it to be, else the
// picked ground point.
void LineEnd(const Map& map, float& x, float& y, float& z) {
  const OrderState& state = map.orders;
  if (const auto* hovered = UnitOfView(state.hovered)) {
    hovered->GetShownPosition(x, y, &z);
    return;
  }
  x = state.pickX;
  y = state.pickY;
  z = state.groundZ;
}

}  // namespace

OrderOverlay::Projector OrderOverlay::ScreenProjector() {
  return [](float x, float y, float z, float& screenX, float& screenY) {
    GGraph3D* g = gGraph3D;
    screenX = 0.0f;
    screenY = 0.0f;
    if (g == nullptr) return false;
    float cx = x, cy = y, cz = z;
    g->TransformToCamera(&cx, &cy, &cz);
    screenX = x;
    screenY = y;
    g->ProjectToScreen(&screenX, &screenY, z, false);
    return cz > 0.0f;
  };
}

void OrderOverlay::AddText(std::string text, float x, float y, uint8_t r, uint8_t g, uint8_t b) {
  texts.push_back(MapView::Text{std::move(text), TruncateToInt32(x), TruncateToInt32(y), 0, 0, r, g, b});
}

void OrderOverlay::AddLine(int32_t style, bool wide, float x0, float y0, float z0, float x1, float y1, float z1) {
  Line line;
  line.style = style;
  line.wide = wide;
  line.x0 = x0, line.y0 = y0, line.z0 = z0;
  line.x1 = x1, line.y1 = y1, line.z1 = z1;
  lines.push_back(line);
}

void OrderOverlay::Build(Battle& battle, int32_t inputMode, const Projector& project) {
  Unit* selected = battle.selectedUnit;
  Map* map = battle.map;
  // No overlay without the unit the order is for (a scroll can drop the selection mid-pick).
  if (selected == nullptr || map == nullptr) return;
  switch (inputMode) {
    case kLinePick:
    case kTargetPick: {
      float x = 0.0f, y = 0.0f, z = 0.0f;
      LineEnd(*map, x, y, z);
      Trace trace;
      trace.found = map->TraceLine(false, true, false, selected->x, selected->y, selected->GetBaseHeight(), x, y, z,
                                   trace.visibility, trace.distance, &trace.blockX, &trace.blockY, &trace.blockZ);
      LinePass(battle, inputMode == kTargetPick, trace, project);
      break;
    }
    case kMovePick:
    case kWaypointDrag: WaypointPass(battle, inputMode == kMovePick, project); break;
    case kPlacePick:
    case kFacingPick:
    case kFlagPick: SetupPass(battle, inputMode, project); break;
    default: break;
  }
}

void OrderOverlay::LinePass(Battle& battle, bool targetMode, const Trace& trace, const Projector& project) {
  Unit* sel = battle.selectedUnit;
  Map* map = battle.map;
  if (sel == nullptr || map == nullptr || !trace.found) return;
  const OrderState& state = map->orders;
  auto* hovered = UnitOfView(state.hovered);
  float toX = 0.0f, toY = 0.0f, toZ = 0.0f;
  LineEnd(*map, toX, toY, toZ);
  const float visibility = trace.visibility;
  const float distance = trace.distance;

  // The line: a blocked sight line in its blocked and clear parts; otherwise one line whose
  // look tells whether the fire the order asks for is possible.
  bool areaFire = false;
  if (visibility <= 0.0f) {
    AddLine(kStyleBlocked, true, trace.blockX, trace.blockY, trace.blockZ, toX, toY, toZ);
    AddLine(kStyleClear, true, trace.blockX, trace.blockY, trace.blockZ, state.originX, state.originY,
            state.originHeight);
  } else {
    int32_t style = -1;
    float r = 0.0f, g = 0.0f, b = 0.0f;
    if (targetMode && sel->flagBytes[Unit::kAmbushFlag] != 0) {
      style = sel->CanPlaceAmbush(state.pickX, state.pickY) ? kStyleAmbushAllowed : kStyleAmbushRefused;
    } else if (targetMode && hovered != nullptr && hovered->IsInanimate() &&
               hovered->GetInanimateKind() == Inanimate::kAmbushMarker && !sel->AmbushInReach(*hovered)) {
      style = kStyleAmbushRefused;
    } else if (targetMode && sel->HasMainWeaponOfType5()) {
      MapUnitView* near = nullptr;
      if (sel->IsNearLinkedPoint(state.pickX, state.pickY)) {
        areaFire = true;
        style = kStylePointFire;
      } else if (map->FindUnitNear(state.pickX, state.pickY, false, near) && near != nullptr &&
                 near->IsAxis() == sel->IsAxis()) {
        g = b = 1.0f;
      } else {
        style = kStyleAreaFire;
      }
    } else if (sel->IsPointInFireArc(state.pickX, state.pickY)) {
      g = b = visibility;
    } else {
      style = kStyleOutsideArc;
    }
    AddLine(style, true, state.originX, state.originY, state.originHeight, toX, toY, toZ);
    lines.back().r = r, lines.back().g = g, lines.back().b = b;
  }

  float screenX = 0.0f, screenY = 0.0f;
  project(toX, toY, toZ, screenX, screenY);
  const bool outOfRange = targetMode && !sel->IsInRange(distance, 0, 1.0f);
  const uint8_t red = 220, green = 255;
  const uint8_t blue = !targetMode ? 220 : outOfRange ? 0 : 255;
  const float x = screenX + (static_cast<float>(state.originScreenX) < screenX ? 40.0f : -40.0f);
  const float y = screenY + 4.0f;
  auto text = [&](std::string line, float dy) { AddText(std::move(line), x, y + dy, red, green, blue); };

  text(outOfRange ? TableText(kStrOutOfRange) : std::to_string(TruncateToInt32(distance + 0.5f)) + "m", 0.0f);

  if (hovered == nullptr) {
    text(TerrainTextAt(*sel, state.pickX, state.pickY, true), 13.0f);
    if (visibility > 0.0f && !targetMode) return;
    std::string last;
    if (visibility > 0.0f || (targetMode && sel->CanTargetPoint(state.pickX, state.pickY))) {
      last = TableText(state.secondTargetVariant != 0 ? kStrSmoke : areaFire ? kStrAdjustFire : kStrAreaFire);
    } else {
      last = TableText(kStrSightBlocked);
    }
    text(last, 26.0f);
    return;
  }

  const bool active = hovered->IsActive();
  std::string who;
  if (!active) {
    who = TableText(hovered->IsDestroyedInPlace() ? kTextAbandoned
                    : hovered->IsCrewServed()     ? kTextKnockedOut
                                                  : kTextEliminated);
  } else if (!hovered->IsInanimate()) {
    who = TableText(sel->IsEnemy(*hovered) ? kStrEnemy : kStrFriendly);
  }
  GString255 name;
  hovered->GetDisplayName(name);
  text(who + " " + name.CStr(), 13.0f);

  if (visibility > 0.0f && !sel->IsEnemy(*hovered)) return;
  const bool immobile = hovered->immobilized != 0;
  std::string result;
  if (visibility <= 0.0f) {
    result = TableText(kStrSightBlocked);
  } else if (targetMode && state.secondTargetVariant != 0) {
    result = TableText(kStrSmoke);
  } else if (hovered->identificationLevel > 1 && hovered->IsIdentified()) {
    const VehicleServices* selVehicle = sel->IsVehicle() ? sel->AsVehicle() : nullptr;
    const bool bowMG = selVehicle != nullptr && selVehicle->CanFireBowMG() > 0;
    if ((bowMG || sel->IsArmored(true)) && active && (bowMG || hovered->HasMainWeaponOfType123() ||
                                                      hovered->identificationLevel <= 2) &&
        selVehicle != nullptr && selVehicle->IsHullDownFrom(*hovered)) {
      float sx = 0.0f, sy = 0.0f;
      if (project(sel->x, sel->y, sel->GetBaseHeight(), sx, sy)) {
        AddText(TableText(kStrHullDown) + (bowMG ? TableText(kStrBowMgBlocked) : std::string()), sx, sy, red, green,
                blue);
      }
    }
    if (!hovered->IsArmored(false)) {
      const bool squad = hovered->IsInfantry() && !hovered->IsPassenger();
      if (squad) {
        GString255 terrain;
        hovered->AppendTerrainText(terrain);
        text(TableText(kStrIn) + terrain.CStr(), immobile ? 65.0f : 39.0f);
      }
      if (sel->IsInfantry() && !sel->HasMainWeapon()) {
        auto* infantry = sel->AsInfantryUnit();
        const float firepower =
            infantry != nullptr ? infantry->FirepowerAt(distance, nullptr, true, true) : sel->FirepowerAt(distance, 0);
        text(TableText(kStrFirepower) + std::to_string(TruncateToInt32(firepower)), 52.0f);
      }
      if (squad) result = Percent(kStrExposure, hovered->ExposureFrom(*sel, false));
    } else if (sel->HasMainWeaponOfType123()) {
      const int32_t ammo = sel->ChooseAmmo(hovered);
      if (ammo != Unit::kNoAmmo) {
        // The kill rating is a vehicle gun's against a vehicle: other pairs show the hit
        // chance alone.
        if (active && sel->IsVehicle() && hovered->IsVehicle()) {
          GString255 kill;
          sel->TargetInfoText(&kill, ammo, hovered);
          text(kill.CStr(), immobile ? 52.0f : 39.0f);
        }
        const VehicleServices* target = hovered->IsVehicle() ? hovered->AsVehicle() : nullptr;
        if (active && target != nullptr && target->IsHullDownFrom(*sel)) {
          text(TableText(kStrHullDown), immobile ? 65.0f : 52.0f);
        }
        result = Percent(kStrHit, sel->HitChance(ammo, 0, hovered, 0, 0));
      }
    }
  }
  if (!result.empty()) text(result, 26.0f);
  const VehicleServices* hoveredVehicle = hovered->IsVehicle() ? hovered->AsVehicle() : nullptr;
  if (active && immobile && hovered->identificationLevel > 3 &&
      !(hoveredVehicle != nullptr && hoveredVehicle->IsEmplacement())) {
    text(TableText(kStrImmobilized), 39.0f);
  }
}

void OrderOverlay::WaypointPass(Battle& battle, bool placing, const Projector& project) {
  Unit* sel = battle.selectedUnit;
  Map* map = battle.map;
  if (sel == nullptr || map == nullptr) return;
  const OrderState& state = map->orders;
  const float z = map->ElevationAt(state.pickX, state.pickY);
  if (placing) {
    legUnit = sel;
    legCode = state.pendingMoveCode;
    legX = state.pickX, legY = state.pickY, legZ = z;
  }
  float ax = state.pickX, ay = state.pickY, az = z;
  std::string label;
  if (const auto* hovered = UnitOfView(state.hovered)) {
    ax = hovered->x, ay = hovered->y, az = hovered->GetBaseHeight();
    label = TableText(kStrEmbark);
  } else {
    label = TerrainTextAt(*sel, state.pickX, state.pickY, true);
  }
  float sx = 0.0f, sy = 0.0f;
  if (project(ax, ay, az, sx, sy)) AddText(std::move(label), sx, sy - 8.0f, 130, 255, 255);
}

void OrderOverlay::SetupPass(Battle& battle, int32_t inputMode, const Projector& project) {
  Unit* sel = battle.selectedUnit;
  Map* map = battle.map;
  if (sel == nullptr || map == nullptr) return;
  const OrderState& state = map->orders;
  auto* hovered = UnitOfView(state.hovered);
  const bool placing = inputMode == kPlacePick;
  float tx = state.pickX, ty = state.pickY, tz = map->ElevationAt(state.pickX, state.pickY);
  int32_t style = inputMode == kFlagPick ? kStyleFlag : kStyleFacing;
  std::string label;
  if (placing) {
    if (hovered != nullptr) tx = hovered->x, ty = hovered->y, tz = hovered->GetBaseHeight();
    Unit* carrier = hovered != nullptr && hovered->IsVehicle() ? hovered : nullptr;
    style = sel->CanPlaceAt(state.pickX, state.pickY, carrier) ? kStylePlaceAllowed : kStylePlaceRefused;
    label = hovered != nullptr ? TableText(kStrEmbark) : TerrainTextAt(*sel, state.pickX, state.pickY, false);
  } else {
    label = TableText(inputMode == kFlagPick ? kStrClickNearFlag : kStrRotate);
  }
  AddLine(style, false, state.originX, state.originY, state.originHeight, tx, ty, tz);
  float sx = 0.0f, sy = 0.0f;
  project(tx, ty, tz, sx, sy);
  AddText(std::move(label), sx, sy - 8.0f, 255, 255, 255);
}

void OrderOverlay::Draw(Map& map, MapView& view) const {
  DrawLines(map);
  view.DrawOverlayTexts(texts);
}

void OrderOverlay::DrawLines(Map& map) const {
  if (legUnit != nullptr) legUnit->DrawOrderPreview(legX, legY, legZ, legCode);
  for (const Line& line : lines) {
    const bool textured = line.style >= 0;
    if (textured) map.SetLineStyle(line.style);
    else if (gGraph3D != nullptr) gGraph3D->SetColor(line.r, line.g, line.b);
    map.DrawTerrainLine(textured, line.wide, line.x0, line.y0, line.z0, line.x1, line.y1, line.z1);
  }
}
