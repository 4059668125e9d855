// The editor's view of the victory flags and the reinforcement groups' arrival points: each
// becomes a marker object in the unit group while the editor shows the battle, and the
// markers become flags and arrival points again after editing.
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/battle/VictoryFlag.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/tables/UnitCodes.h"

namespace {

constexpr const char* kFile = "Battle";

Inanimate* AsMarker(Unit* unit, int32_t objectKind) {
  if (unit == nullptr || !unit->IsInanimate()) return nullptr;
  auto* object = unit->AsInanimateUnit();
  return object != nullptr && object->GetKind() == objectKind ? object : nullptr;
}

}  // namespace

int32_t Battle::MarkerNationalityGroup(int32_t side) const { return KindGroup(MainNationalityCode(side)); }

void Battle::FlagsToMarkers() {
  for (int32_t side = 0; side < 2; ++side) {
    for (int32_t i = 0; i < reinforcements[side].Count(); ++i) {
      const ReinforcementGroup* group = GroupAt(side, i);
      auto* marker = new Inanimate();
      marker->Init(Inanimate::kReinforcementMarker, MarkerNationalityGroup(side), group->entryX, group->entryY, 90.0f);
      // The marker of side index 0 stands for the Axis whatever its nationality.
      marker->side = side == 0 ? 1 : 0;
      marker->markerId = -(i + 1);
      units.Append(marker);
    }
  }
  for (int32_t i = 0; i < flags.Count(); ++i) {
    const VictoryFlag* flag = FlagAt(i);
    auto* marker = new Inanimate();
    marker->Init(flag->type == 1 ? Inanimate::kLargeFlagMarker : Inanimate::kSmallFlagMarker, 0, flag->x, flag->y, 0.0f);
    units.Append(marker);
  }
}

void Battle::MarkersToFlags() {
  for (int32_t side = 0; side < 2; ++side) {
    const uint8_t sideByte = side == 0 ? 1 : 0;
    for (int32_t i = 0; i < reinforcements[side].Count(); ++i) {
      Inanimate* found = nullptr;
      for (int32_t u = 0; u < units.Count() && found == nullptr; ++u) {
        Inanimate* marker = AsMarker(UnitAt(u), Inanimate::kReinforcementMarker);
        if (marker != nullptr && marker->side == sideByte && marker->markerId == -(i + 1)) found = marker;
      }
      if (found == nullptr) FatalError(1782, kFile);
      ReinforcementGroup* group = GroupAt(side, i);
      group->entryX = found->x;
      group->entryY = found->y;
      units.Remove(found, true);
    }
  }
  const bool dynamicScenario = flags.Count() > 0 && FlagAt(0)->dynamic != 0;
  flags.DeleteAll(true);
  int32_t dynamicFlags = 0;
  for (int32_t u = 0; u < units.Count();) {
    Unit* unit = UnitAt(u);
    Inanimate* marker = AsMarker(unit, Inanimate::kLargeFlagMarker);
    if (marker == nullptr) marker = AsMarker(unit, Inanimate::kSmallFlagMarker);
    if (marker == nullptr) {
      ++u;
      continue;
    }
    const int32_t type = dynamicScenario || marker->GetKind() == Inanimate::kLargeFlagMarker ? 1 : 0;
    auto* flag = new VictoryFlag(marker->x, marker->y, type);
    flag->dynamic = dynamicScenario ? 1 : 0;
    if (dynamicScenario) {
      flag->chosen = dynamicFlags == 0 ? 1 : autoObjective;
      ++dynamicFlags;
    }
    flags.Append(flag);
    units.Remove(marker, true);
  }
}
