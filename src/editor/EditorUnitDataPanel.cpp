#include "editor/EditorUnitDataPanel.h"

#include <algorithm>

#include "editor/EditorState.h"
#include "editor/EditorUnits.h"
#include "editor/PurchaseEntry.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "game/units/fire/ArmourFormulas.h"
#include "game/units/tables/FormationData.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/tables/SmallArmsData.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/tables/WeaponData.h"

namespace {

constexpr int32_t kInfantryLabelWidth = 14;
constexpr int32_t kVehicleLabelWidth = 17;
constexpr int32_t kShownMembers = 6;
// Machine-gun mounts: an index from here on is no machine gun (a flamethrower, or none).
constexpr int32_t kFirstNonGun = 29;

std::string Text(uint32_t id) {
  GString255 text;
  text.LoadResource(id);
  return text.CStr();
}

std::string UnitDataPanelLabel(uint32_t id, int32_t width) {
  GString255 text;
  text.LoadResource(id);
  text.PadToWidth(width);
  return text.CStr();
}

// The calibre to the nearest whole millimetre, "mm" after it.
std::string Calibre(int32_t weapon) {
  const float calibre = gWeapons.IsValid(weapon) ? gWeapons[weapon].Calibre() : 0.0f;
  return std::to_string(static_cast<int32_t>(calibre + 0.5f)) + Text(1062);
}

bool IsFlameMount(int32_t index) { return index >= kFirstNonGun && index != SmallArmsData::kNone; }

}  // namespace

EditorUnitDataPanel::~EditorUnitDataPanel() { DropTemporary(); }

void EditorUnitDataPanel::Setup(GView* parent, int32_t x, int32_t y, int32_t width, int32_t height) {
  Place(parent, x, y, width, height);
  SetBackColor(Editor::DarkRedPixel());
  shownUnit = nullptr;
  entryFlag = false;
}

void EditorUnitDataPanel::DropTemporary() {
  if (entryFlag && shownUnit != nullptr) delete shownUnit;
  shownUnit = nullptr;
}

Unit* EditorUnitDataPanel::MakeTemporary(int32_t kind, int32_t classIndex, int32_t line) const {
  // Made only to be looked at: the game's generator is given back as it was.
  const uint32_t saved = RandomState();
  Unit* unit = state_.MakeUnit(kind, classIndex, true);
  SeedRandom(saved);
  if (unit == nullptr) FatalError(line, "Editor.cpp");
  ++temporariesMade;
  return unit;
}

void EditorUnitDataPanel::ShowUnit(Unit* unit) {
  if (!entryFlag && unit == shownUnit) return;
  DropTemporary();
  Invalidate();
  entryFlag = false;
  shownUnit = unit;
}

void EditorUnitDataPanel::ShowEntry(int32_t kind, int16_t classIndex) {
  if (entryFlag && kind == entryKind && classIndex == entryClass) return;
  DropTemporary();
  Invalidate();
  entryFlag = true;
  entryKind = kind;
  entryClass = classIndex;
  if (kind != PurchaseEntry::kFormation) shownUnit = MakeTemporary(kind, classIndex, 6539);
}

std::vector<EditorUnitDataPanel::Line> EditorUnitDataPanel::Compose() const {
  std::vector<Line> out;
  if (shownUnit == nullptr) {
    if (entryFlag) ComposeFormation(out);
    return out;
  }
  GString255 name;
  shownUnit->GetDisplayName(name);
  out.push_back(Line{name.CStr(), 3, 9, 255, 255, 0});
  if (shownUnit->IsInfantry()) {
    ComposeInfantry(*shownUnit, out);
  } else if (shownUnit->IsVehicle()) {
    ComposeVehicle(*shownUnit, out);
  }
  return out;
}

void EditorUnitDataPanel::ComposeFormation(std::vector<Line>& out) const {
  if (!gFormations.IsValid(entryClass)) return;
  const FormationData record = gFormations[entryClass];
  const int32_t count = std::min<int32_t>(record.EntryCount(), FormationData::kMaxEntries);
  const int32_t shown = count > 7 ? kShownMembers : count;
  int32_t y = 9;
  for (int32_t e = 0; e < shown; ++e, y += 13) {
    std::string text = std::to_string(record.EntryNumber(e)) + Text(1084);
    const int32_t kind = record.EntryKind(e);
    const int32_t member = record.EntryClass(e);
    if (kind == FormationData::kNestedFormation) {
      if (gFormations.IsValid(member)) text += std::string(gFormations[member].Name());
      out.push_back(Line{text, 5, y, 255, 255, 255});
      continue;
    }
    Unit* unit = MakeTemporary(kind, member, 6492);
    GString255 name;
    unit->GetDisplayName(name);
    delete unit;
    out.push_back(Line{text + name.CStr(), 5, y, 150, 150, 255});
  }
  if (count > 7) out.push_back(Line{Text(1085), 5, y, 255, 255, 255});
}

void EditorUnitDataPanel::ComposeInfantry(const Unit& unit, std::vector<Line>& out) const {
  const auto& infantry = static_cast<const Infantry&>(unit);
  const InfantryData record = infantry.Data();
  auto line = [&](int32_t y, uint32_t label, const std::string& value) {
    out.push_back(Line{UnitDataPanelLabel(label, kInfantryLabelWidth) + value, 5, y, 255, 255, 255});
  };
  line(22, 1074, std::to_string(unit.GetMenPresent()));
  if (!unit.HasMainWeapon()) {
    std::string items;
    const int32_t slots = std::clamp<int32_t>(record.WeaponSlotCount(), 0, InfantryData::kWeaponSlots);
    for (int32_t s = 0; s < slots; ++s) {
      const int32_t count = infantry.menInSlot[static_cast<size_t>(s)];
      const int32_t arms = record.SlotSmallArms(s);
      if (count < 1 || !gSmallArms.IsValid(arms)) continue;
      if (!items.empty()) items += Text(1080);
      if (count > 1) items += std::to_string(count) + "x ";
      items += std::string(gSmallArms[arms].Name());
    }
    line(35, 1079, items);
  } else {
    int32_t weapon = 0;
    int32_t type = 0;
    unit.QueryWeapon(0, weapon, type);
    if (type == 7) {
      line(35, 1064, Text(1075));
    } else if (type == 6) {
      line(35, 1064, Text(1065));
    } else {
      const uint32_t label = type == 4 ? 1060 : type == 5 ? 1076 : type == 1 ? 1077 : 1078;
      line(35, label, Calibre(weapon));
    }
  }
  int32_t ammunition = 0;
  if (entryFlag) {
    ammunition = record.AmmoLoad();
  } else {
    for (uint16_t count : unit.ammo) ammunition += count;
  }
  line(48, 1081, std::to_string(ammunition));
  // Class 0 (immobile) has no word.
  const int32_t speed = std::clamp<int32_t>(record.SpeedClass(), 0, 4);
  line(61, 1082, speed > 0 ? Text(static_cast<uint32_t>(1104 - speed)) : std::string());
  if (record.ClassCode() > 1) line(74, 1083, std::to_string(record.ClassCode()));
}

void EditorUnitDataPanel::ComposeVehicle(const Unit& unit, std::vector<Line>& out) const {
  const VehicleData record = static_cast<const Vehicle&>(unit).TrueClass();
  auto line = [&](int32_t y, uint32_t label, const std::string& value) {
    out.push_back(Line{UnitDataPanelLabel(label, kVehicleLabelWidth) + value, 5, y, 255, 255, 255});
  };
  const int32_t type = record.TypeCode();
  out.push_back(Line{type >= 0 && type <= 23 ? Text(static_cast<uint32_t>(5200 + type)) : std::string(), 5, 22, 0, 200, 0});
  const int32_t bow = record.BowMachineGun();
  const int32_t coaxial = record.CoaxialMachineGun();
  const int32_t third = record.ThirdMachineGun();
  const bool flame = IsFlameMount(bow) || (record.CoaxialCount() > 0 && IsFlameMount(coaxial)) ||
                     (record.ThirdCount() > 0 && IsFlameMount(third));
  if (!unit.HasMainWeapon()) {
    if (flame) {
      line(35, 1064, Text(1065));
    } else if (record.TransportClass() >= 1) {
      // "full squad" by the rule that decides who boards, as the battle's unit balloon says it.
      line(35, 1066, std::to_string(record.TransportClass()) +
                         (Vehicle::PassengerCapacityCode(record) == 2 ? Text(1067) : std::string()));
    } else {
      out.push_back(Line{std::string(), 5, 35, 255, 255, 255});
    }
  } else {
    int32_t weapon = 0;
    int32_t weaponType = 0;
    unit.QueryWeapon(0, weapon, weaponType);
    if (weaponType == 4 || weaponType == 2 || weaponType == 3) {
      line(35, weaponType == 4 ? 1060 : 1061, Calibre(weapon) + (flame ? Text(1063) : std::string()));
    } else {
      out.push_back(Line{std::string(), 5, 35, 255, 255, 255});
    }
  }
  int32_t guns = 0;
  if (bow < kFirstNonGun) guns += 1;
  if (coaxial < kFirstNonGun) guns += record.CoaxialCount();
  if (third < kFirstNonGun) guns += record.ThirdCount();
  if (guns != 0) line(48, 1068, std::to_string(guns));
  const bool turretPlates = record.U8(ArmourLayout::kTurretArmourPresent) != 0;
  int32_t lowest = 0;
  int32_t highest = 0;
  bool first = true;
  for (int32_t facing = 0; facing < VehicleData::kArmourFacings; ++facing) {
    for (int32_t part = turretPlates ? 0 : 1; part < VehicleData::kArmourParts; ++part) {
      const int32_t value = record.ArmourThickness(part, facing);
      lowest = first ? value : std::min(lowest, value);
      highest = first ? value : std::max(highest, value);
      first = false;
    }
  }
  std::string armour;
  if (highest == 0) {
    armour = Text(1071);
  } else if (lowest != highest) {
    armour = std::to_string(lowest) + Text(1070) + std::to_string(highest) + Text(1062);
  } else {
    armour = std::to_string(highest) + Text(1062);
  }
  line(61, 1069, armour);
  line(74, 1072, std::to_string(record.MaxSpeed()) + Text(1073));
}

void EditorUnitDataPanel::Draw() {
  GView::Draw();
  GString255 text;
  for (const Line& line : Compose()) {
    text.Assign(line.text.c_str());
    DrawText(&text, line.x, line.y, -1, kFont, line.r, line.g, line.b);
  }
}
