// How many soldier figures an infantry unit shows and of which kind, and the posture each
// figure takes from the unit's movement state.
#include "framework/core/GRandom.h"
#include "framework/core/Quorl.h"
#include "game/map/MapBattleServices.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/tables/InfantryAnimation.h"

// The figures' starting keys: drawn from the presentation's generator, never the game's.
int32_t Infantry::PresentationDraw(int32_t n) { return GRandom::Presentation().Random(n); }

bool Infantry::IsCrewOf(const Unit* unit, const Unit* other) {
  if (unit == nullptr || !unit->IsInfantry()) return false;
  const auto* infantry = dynamic_cast<const Infantry*>(unit);
  return infantry != nullptr && infantry->parentUnit == other;
}

bool Infantry::HidesDeadFigure() const {
  if (parentUnit == nullptr || alive != 0) return false;
  if (parentUnit->alive != 0) return true;
  if (nextActionSlice == kNoActionSlice) return false;
  const MapBattleServices* battle = UnitBattle();
  const int32_t replaySlice = battle != nullptr ? battle->GetCurrentSlice() : 0;
  return replaySlice <= nextActionSlice - 100000;
}

int32_t Infantry::GetFigureCountAtLevel(int32_t viewLevel) const {
  if (alive == 0) {
    if (HidesDeadFigure()) return 0;
    const int32_t type = GetMainWeaponType();
    if (type == 2 || type == 3 || type == 4) {
      MapBattleServices* battle = UnitBattle();
      const int32_t count = battle != nullptr ? battle->GetUnitCount() : 0;
      for (int32_t i = 0; i < count; ++i) {
        if (IsCrewOf(UnitOfView(battle->GetUnit(i)), this)) return 0;
      }
    }
    return 1;
  }
  if (viewLevel < 3 || !IsSquad()) return 1;
  const int32_t present = GetMenPresent();
  const int32_t men = Data().Men();
  const float share = men > 0 ? static_cast<float>(present) / static_cast<float>(men) : 0.0f;
  if (share < 0.74f) return present < 4 ? 1 : 2;
  return 3;
}

int32_t Infantry::GetFigureKindAtLevel(int32_t viewLevel, int32_t figure) const {
  if (figure < 0 || figure >= InfantryData::kFigureSlots) FatalError(__LINE__, kInfantryFile);
  int32_t k = Data().FigureKind(figure);
  if (k == 8 && viewLevel < 4) k = 7;
  switch (viewLevel) {
    case 0:
    case 4: return k;
    case 3: {
      int32_t weapon = 0;
      int32_t weaponKind = 0;
      return QueryWeaponGrade(weapon, weaponKind, 0) == 0 && weaponKind == 0 ? 0 : k;
    }
    case 2: return HasHeavyWeapon(false) ? 7 : 0;
    default: return 0;
  }
}

int32_t Infantry::GetShownFigureCount() const { return GetFigureCountAtLevel(GetIdentificationLevel(false)); }

int32_t Infantry::GetShownFigureKind(int32_t figure) const {
  return GetFigureKindAtLevel(GetIdentificationLevel(false), figure);
}

bool Infantry::LeavesNoRemains() const {
  return alive == 0 && weaponKnockedOut == 0 && parentUnit == nullptr && GetShownFigureCount() == 0;
}

void Infantry::PickAnimationFrames(int32_t figure, int32_t& frame, int32_t& duration, int32_t& count,
                                   int32_t (*draw)(int32_t)) const {
  if (figure < 0 || figure >= InfantryData::kFigureSlots) FatalError(__LINE__, kInfantryFile);
  const int32_t group = alive == 0 ? InfantryAnimation::kDeadKind : Data().FigureKind(figure);
  const int32_t activity = activityCodes[static_cast<size_t>(figure)];
  if (group < 0 || group >= InfantryAnimation::kKinds || activity < 0 || activity >= InfantryAnimation::kPostures) {
    FatalError(__LINE__, kInfantryFile);
  }
  count = InfantryAnimation::kKeyCount[group][activity];
  if (count < 2 || count > InfantryAnimation::kMaxKeys) FatalError(__LINE__, kInfantryFile);
  frame = draw(count);
  const int32_t d = InfantryAnimation::kKeyDuration[group][activity][frame];
  duration = draw(d * 4 / 5) + d / 5 + 2;
}

void Infantry::UpdateFigurePostures(int32_t (*draw)(int32_t)) {
  if (!IsPassenger()) {
    if (!CanMove() && waypointCount > 0 && waypoints[0].moveMode != Waypoint::kRotateTo) waypointCount = 0;
    activityState = ChooseMoveState(false);
  }
  SetFigurePostures(PostureOf(activityState), draw);
}

int32_t Infantry::PostureOf(int32_t moveState) const {
  if (IsPassenger()) return 2;
  switch (moveState) {
    case kStationary: return 2;
    case kMove:
    case kSneak:
    case kRun: return 6;
    case kHiding:
    case kCrawl: return 5;
    default:
      FatalError(3987, kInfantryFile);
  }
}

void Infantry::SetFigurePostures(int32_t posture, int32_t (*draw)(int32_t)) {
  for (int32_t i = kPoseColumns - 1; i >= 0; --i) {
    const auto f = static_cast<size_t>(i);
    if (figurePosture[f] == posture) continue;
    figurePosture[f] = posture;
    int32_t key = 0;
    int32_t duration = 0;
    int32_t end = 0;
    PickAnimationFrames(i, key, duration, end, draw);
    figureKey[f] = key;
    figureNextKeyTime[f] = duration + static_cast<int32_t>(TickCount());
  }
}

void Infantry::ShowRecordedPosture() {
  const int32_t state = activityState;
  if (state != kStationary && (state < kMove || state > kCrawl)) return;
  SetFigurePostures(PostureOf(state), PresentationDraw);
}
