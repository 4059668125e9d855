// Infantry designations (slot 28), the names a viewer reads (slot 77), the class record that
// stands for a unit not yet identified and the portrait style.
#include <string>

#include "framework/core/GString.h"
#include "framework/core/Quorl.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/tables/Names.h"
#include "game/units/tables/UnitCodes.h"

namespace {

enum Text : uint32_t {
  kArtillerySpotter = 1110,
  kArtySpotter = 1111,
  kTeam = 1112,
  kSquad = 1113,
  kSqd = 1114,
  kInfantrySquadQ = 1115,
  kMachineGunQ = 1116,
  kCrewQ = 1117,
  kAntitankTeamQ = 1118,
  kFlamethrowerQ = 1119,
  kGunQ = 1120,
  kLightGunQ = 1121,
  kMortarQ = 1122,
  kInfantryQ = 1123,
  kInfantrySoundsQ = 1124,
};

// A letter past the last one a platoon may take skips the headquarters' and teams' letters.
char NextPlatoonLetter(char letter) {
  char next = static_cast<char>(letter + 1);
  if (next == 'A' || next == 'T' || next == 'V') ++next;
  return next;
}

}  // namespace

void Infantry::AssignDesignation() {
  const int32_t s = IsAxis() ? 0 : 1;
  if (s < 0 || s > 1) FatalError(1717, kInfantryFile);
  Names::SideDesignation& side = Names::gSides[static_cast<size_t>(s)];
  int32_t level = 0;
  GetLeaderLevel(&level);
  if (level >= 2) {
    SetDesignation('A', side.headquarters);
    side.headquarters = (side.headquarters + 1) & 0xFF;
  } else if (level == 1) {
    side.nextLetter = NextPlatoonLetter(side.nextLetter);
    side.counters[0] = 1;
    SetDesignation(side.nextLetter, 0);
  } else if (IsSquad()) {
    const int32_t number = side.counters[0];
    if (!(linkedHalf != nullptr && splitFlag != 0)) side.counters[0] = (number + 1) & 0xFF;
    SetDesignation(side.nextLetter, number);
  } else {
    SetDesignation('T', side.counters[1]);
    side.counters[1] = (side.counters[1] + 1) & 0xFF;
  }
}

int32_t Infantry::GetShownDataIndex(int32_t mode) const {
  if (mode == 0) return classIndex;
  const int32_t cached = identificationLevel;
  const int32_t shown = mode == 2 ? GetIdentificationLevel(true) : cached;
  if (shown >= 3) return classIndex;
  const int32_t group = GetKindGroup();
  const bool gun = HasMainWeaponOfType23(false);
  const bool british = group == 1 || group == 5;
  const bool american = group >= 2 && group <= 4;
  if (!gun && cached > 1) return british ? 21 : american ? 91 : 183;
  return british ? 4 : american ? 81 : 146;
}

InfantryData Infantry::GetShownData(int32_t mode) const { return gInfantryClasses[GetShownDataIndex(mode)]; }

void Infantry::GetDisplayName(GString& text) const { GetDisplayName(text, true); }

void Infantry::GetDisplayName(GString& text, bool longForm) const {
  const int32_t level = GetIdentificationLevel(true);
  const InfantryData data = Data();
  if (level >= 4) {
    if (!IsCurrentSide() && IsArtillerySpotter() && !IsEditorOpen()) {
      text.AppendResource(longForm ? kArtillerySpotter : kArtySpotter);
      return;
    }
    text.AppendCString(std::string(longForm ? data.Name() : data.ShortName()).c_str());
    if (data.IsSquad() != 0 && !IsSquadSuffixHidden()) {
      if (longForm) {
        text.AppendResource(linkedHalf != nullptr ? kTeam : kSquad);
      } else if (linkedHalf != nullptr) {
        if (text.Length() <= 12) text.AppendResource(kTeam);
      } else if (text.Length() <= 13) {
        text.AppendResource(kSqd);
      }
    }
  } else if (level == 3) {
    if (data.IsSquad() != 0 || GetLeaderLevel()) {
      text.AppendResource(kInfantrySquadQ);
      return;
    }
    int32_t weapon = kNoWeapon;
    int32_t weaponKind = 0;
    const int32_t grade = QueryWeaponGrade(weapon, weaponKind, 0);
    switch (weaponKind) {
      case 1: text.AppendResource(kAntitankTeamQ); break;
      case 2:
      case 3: text.AppendResource(gWeapons[weapon].Calibre() >= 60.0f ? kGunQ : kLightGunQ); break;
      case 4: text.AppendResource(kMortarQ); break;
      case 5: text.AppendResource(longForm ? kArtillerySpotter : kArtySpotter); break;
      case 6: text.AppendResource(kFlamethrowerQ); break;
      default: text.AppendResource(grade != 0 ? kMachineGunQ : kCrewQ); break;
    }
  } else if (level == 2) {
    text.AppendResource(HasMainWeaponOfType23(false) ? kGunQ : kInfantryQ);
  } else {
    text.AppendResource(kInfantrySoundsQ);
  }
}

int32_t Infantry::GetPortraitIndex() const { return GetPortraitIndexAt(GetIdentificationLevel(true)); }

int32_t Infantry::GetPortraitIndexAt(int32_t level) const {
  if (level >= 4) return FigureStyleIndex(nationalityCode, GetLeaderLevel(), IsArtillerySpotter());
  switch (GetKindGroup()) {
    case 0: return 1;
    case 1: return 8;
    case 2: return 13;
    case 3: return 21;
    case 4: return 26;
    case 5: return 18;
    default: FatalError(2675, kInfantryFile);
  }
}
