// The balloon's data pages (vehicle and infantry), its main weapon section with the armour
// penetration tables, and its passenger line.
#include <algorithm>
#include <array>

#include "framework/core/Quorl.h"
#include "game/units/fire/ArmourFormulas.h"
#include "game/units/tables/DataFlags.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/fire/WeaponFormulas.h"
#include "game/ui/BalloonText.h"
#include "game/ui/UnitInfoBalloon.h"

using BalloonText::AppendRightIn6;
using BalloonText::Float;
using BalloonText::Line;
using BalloonText::Load;
using BalloonText::Number;
using BalloonText::PadTo;

namespace {

constexpr char kFile[] = "UnitInfoBalloon";
constexpr int32_t kNoArms = SmallArmsData::kNone;
constexpr char kDegree = '\xB0';

bool IsMachineGun(int32_t index) { return index != kNoArms && index < 29; }
bool IsFlamethrower(int32_t index) { return index != kNoArms && index > 28; }

std::string Plate(const VehicleData& record, int32_t part, int32_t facing) {
  return Number(ArmourLayout::Thickness(record, part, facing)) + "/" +
         Number(ArmourLayout::Slope(record, part, facing)) + kDegree;
}

// One hull part's row: its name, then front, side and rear in columns 26, 35 and 44.
std::string ArmourRow(const std::string& name, const VehicleData& record, int32_t part, bool plus, bool cMark) {
  std::string text = name;
  PadTo(text, 26);
  text += Number(ArmourLayout::Thickness(record, part, 0));
  if (plus) text += "+";
  text += "/" + Number(ArmourLayout::Slope(record, part, 0)) + kDegree;
  if (cMark) text += "c";
  PadTo(text, 35);
  text += Plate(record, part, 1);
  PadTo(text, 44);
  text += Plate(record, part, 2);
  return text;
}

}  // namespace

bool UnitInfoBalloon::ComposeVehiclePage(std::vector<PanelItem>& out, bool fullInfo, int32_t level,
                                         int32_t& y) const {
  const auto* vehicle = unit_->AsVehicleUnit();
  if (vehicle == nullptr) return false;
  if (level < 3) {
    out.push_back(Line(Load(1362), 3, 44, 0, BalloonText::kWhite));
    return false;
  }
  const VehicleData record = vehicle->GetClassData(2);
  const uint16_t flags = record.Flags();
  y = 12;
  const bool emplacement = vehicle->IsEmplacement();
  if (!emplacement) {
    auto row = [&](uint32_t label, const std::string& value) {
      y += 12;
      out.push_back(Line(Load(label), 3, y, 1, BalloonText::kWhite));
      out.push_back(Line(value, 125, y, 1, BalloonText::kWhite));
    };
    const int32_t category = record.TypeCode();
    row(1086, category >= 0 && category <= 23 ? Load(static_cast<uint32_t>(5200 + category)) : std::string());
    const int32_t speed = record.MaxSpeed();
    row(1072, Number(speed) + Load(1073) + Load(1363) + Float(static_cast<float>(speed) * 0.4472f, 1) + Load(1364));
    const int32_t weight = record.Weight();
    row(1365, Number(weight) + Load(1366) +
                  Number(static_cast<int32_t>(static_cast<float>(weight) * 0.90909f + 0.5f)) + Load(1367));
    const int32_t power = record.EnginePower();
    std::string engine = Number(power) + Load(1369);
    if ((flags & VehicleFlag::kDiesel) != 0) engine += Load(1480);
    // A class of no weight has no power-to-weight figure.
    engine += Load(1363) +
              (weight > 0 ? Float(static_cast<float>(power) / static_cast<float>(weight), 1) : std::string("-")) +
              Load(1370);
    row(1368, engine);
    const float pressure = record.BaseGroundPressure();
    if (pressure > 0.0f) row(1371, Float(pressure, 1) + Load(1372) + Float(pressure * 0.07045f, 2) + Load(1373));
    row(1374, Number(static_cast<int32_t>(record.Size() * 100.5f)));
    row(1375, Number(record.TransportClass()));
    // Named by the rule that decides who boards, so the balloon never promises a place the
    // vehicle refuses.
    std::string places = Load(static_cast<uint32_t>(1377 + Vehicle::PassengerCapacityCode(record)));
    if (record.RidersProtected() != 0) places += Load(1380);
    row(1376, places);
  }

  if (vehicle->IsArmoredIn(2) && !emplacement) {
    y += 12;
    out.push_back(Line(Load(1381), 235, y, 1, BalloonText::kMidGrey));
    std::string header = Load(1382);
    const int32_t quality = record.I32(ArmourLayout::kQuality);
    if (quality >= 1 && quality <= 3) header += "(" + Number(100 - 5 * quality) + Load(1383);
    PadTo(header, 26);
    header += Load(1384);
    y += 19;
    out.push_back(Line(header, 3, y, 2, BalloonText::kWhite));
    const bool turretRow = record.U8(ArmourLayout::kTurretArmourPresent) != 0;
    const bool cMark = record.U8(ArmourLayout::kVariableFront) != 0;
    if (turretRow) {
      const bool plus = (flags & VehicleFlag::kStrengthenedTurretFront) != 0;
      y += 14;
      out.push_back(Line(ArmourRow(Load(vehicle->HasTurret() ? 1386 : 1385), record, 0, plus, cMark), 3, y, 2,
                         BalloonText::kPaleGrey));
    }
    y += 14;
    out.push_back(Line(ArmourRow(Load(1387), record, 1, false, cMark && !turretRow), 3, y, 2, BalloonText::kPaleGrey));
    y += 14;
    out.push_back(Line(ArmourRow(Load(1388), record, 2, false, false), 3, y, 2, BalloonText::kPaleGrey));
    const int32_t turretTop = record.TopArmour(0);
    const int32_t deck = record.TopArmour(1);
    std::string text;
    std::string detail;
    if (turretTop == 0 && deck == 0) {
      text = Load(1389);
    } else {
      text = Load(1390);
      detail = Number(deck);
      if (turretTop != deck) {
        if (turretTop < 1) {
          detail += Load(vehicle->HasTurret() ? 1394 : 1395);
        } else if (vehicle->HasTurret()) {
          detail += " " + Load(1391) + Number(turretTop) + " " + Load(1392);
        } else {
          detail += " " + Load(1393) + Number(turretTop);
        }
      }
    }
    if (record.I32(ArmourLayout::kSkirts) != 0) detail += Load(1396);
    PadTo(text, 26 - std::max(0, static_cast<int32_t>(detail.size()) - 24));
    text += detail;
    y += 14;
    out.push_back(Line(text, 3, y, 2, BalloonText::kPaleGrey));
    y += 3;
  }

  // Special features.
  std::string features;
  auto feature = [&](uint32_t id) {
    if (!features.empty()) features += Load(1080);
    features += Load(id);
  };
  const int32_t equipment = record.I32(ArmourLayout::kSmokeEquipment);
  if (equipment >= 1 && equipment <= 3) feature(static_cast<uint32_t>(1439 + equipment));
  if ((flags & VehicleFlag::kRearDriver) != 0) feature(1397);
  if ((flags & (VehicleFlag::kGyroStabiliser | VehicleFlag::kGyroStabiliserFull)) != 0) feature(1438);
  if ((flags & VehicleFlag::kBurnsEasily) != 0) feature(1487);
  if ((flags & VehicleFlag::kShotTrap) != 0) feature(1488);
  if (!features.empty()) {
    y += 14;
    out.push_back(Line(features, 3, y, 1, BalloonText::kWhite));
  }

  // Machine guns: the bow mount, the second mount and the third mount.
  const int32_t bow = record.BowMachineGun();
  const int32_t second = record.CoaxialMachineGun();
  const int32_t secondCount = static_cast<int8_t>(record.CoaxialCount());
  const int32_t third = record.ThirdMachineGun();
  const int32_t thirdCount = static_cast<int8_t>(record.ThirdCount());
  const bool hasSecond = secondCount > 0 && IsMachineGun(second);
  const bool hasThird = thirdCount > 0 && IsMachineGun(third);
  auto ammo = [&](int32_t index) {
    const int32_t group = WeaponGroupOf(index);
    return " (" + Number(vehicle->machineGunAmmo[static_cast<size_t>(std::clamp(group, 0, 2))]) + ")";
  };
  auto sameGroup = [](int32_t a, int32_t b) { return a != kNoArms && WeaponGroupOf(a) == WeaponGroupOf(b); };
  if (IsMachineGun(bow) || hasSecond || hasThird) {
    std::string text = Load(1398);
    bool listed = false;
    if (IsMachineGun(bow)) {
      text += Load(1399);
      if (fullInfo && !sameGroup(second, bow) && !sameGroup(third, bow)) text += ammo(bow);
      listed = true;
    }
    if (hasSecond) {
      if (listed) text += ",";
      if (secondCount > 1) text += " " + Number(secondCount);
      text += Load(vehicle->HasMainWeaponIn(2) ? 1401 : 1402);
      if (second > 24) text += Load(1403);
      if (fullInfo && !sameGroup(third, second)) text += ammo(second);
      listed = true;
    }
    if (hasThird) {
      if (listed) text += ",";
      if (record.ThirdIsRemote() != 0) text += Load(1404);
      if (third == 27) {
        text += Load(1405);
      } else {
        if (thirdCount > 1) text += Number(thirdCount) + "x";
        if (third > 24) text += Load(1406);
      }
      text += Load((flags & VehicleFlag::kForwardThirdGun) != 0 ? 1407 : 1408);
      if (fullInfo) text += ammo(third);
    }
    y += 14;
    out.push_back(Line(text, 3, y, 1, BalloonText::kWhite));
  }

  // The flamethrower line: shown when the bow mount, or a second or third mount that carries
  // guns, holds one; the weapon named is then that of the first mount holding one, whatever
  // its gun count.
  const bool flameShown = IsFlamethrower(bow) || (secondCount > 0 && IsFlamethrower(second)) ||
                          (thirdCount > 0 && IsFlamethrower(third));
  int32_t flame = -1;
  if (IsFlamethrower(bow)) flame = bow;
  else if (IsFlamethrower(second)) flame = second;
  else if (IsFlamethrower(third)) flame = third;
  if (flameShown && flame >= 0) {
    int32_t range = 0;
    if (gSmallArms.IsValid(flame)) range = gSmallArms[flame].MaxRange();
    std::string text = Load(1409) + Number(range) + "m";
    if (fullInfo) text += " (" + Number(vehicle->machineGunAmmo[2]) + ")";
    y += 14;
    out.push_back(Line(text, 3, y, 1, BalloonText::kWhite));
  }
  return true;
}

bool UnitInfoBalloon::ComposeInfantryPage(std::vector<PanelItem>& out, bool fullInfo, int32_t level,
                                          int32_t& y) const {
  const auto* infantry = unit_->AsInfantryUnit();
  if (infantry == nullptr) return false;
  if (level < 4) {
    out.push_back(Line(Load(1362), 3, 44, 0, BalloonText::kWhite));
    return false;
  }
  const InfantryData data = infantry->Data();
  std::string speed = Load(1410);
  switch (data.SpeedClass()) {
    case 0: speed += Load(1411); break;
    case 1: speed += Load(infantry->IsTypeClassBelow9() ? 1412 : 1411); break;
    case 2: speed += Load(1102); break;
    case 3: speed += Load(1101); break;
    case 4: speed += Load(1100); break;
    default: break;
  }
  out.push_back(Line(speed, 3, 29, 0, BalloonText::kWhite));
  std::string transport = Load(1066) + "  " + Number(data.ClassCode());
  if (data.ClassCode() > 8) transport += Load(1087);
  out.push_back(Line(transport, 3, 44, 0, BalloonText::kWhite));

  if (fullInfo) {
    if (infantry->GetLeaderLevel()) {
      // Command bits 0-1, Combat 2-3, Morale 4-5, Stealth 6-7; shown Command, Morale, Combat,
      // Stealth.
      static constexpr std::array<std::array<int32_t, 2>, 4> kBonuses{{{0, 991}, {4, 993}, {2, 992}, {6, 994}}};
      std::string text;
      for (const auto& bonus : kBonuses) {
        const int32_t value = (infantry->leaderRatings >> bonus[0]) & 3;
        if (value != 0) text += "  " + Load(static_cast<uint32_t>(bonus[1])) + Load(1413) + Number(value);
      }
      if (!text.empty()) out.push_back(Line(text.substr(2), 3, 59, 1, BalloonText::kWarningRed));
    } else if (infantry->antitankCount > 0 || infantry->chargeCount > 0) {
      std::string text;
      if (infantry->antitankCount > 0) {
        text += Number(infantry->antitankCount);
        switch (infantry->antitankWeaponId) {
          case 49: text += Load(1437); break;
          case 52: text += Load(1414) + "30"; break;
          case 53: text += Load(1414) + "60"; break;
          case 54: text += Load(1414) + "100"; break;
          default: FatalError(__LINE__, kFile);
        }
        if (infantry->chargeCount > 0) text += Load(1080);
      }
      if (infantry->chargeCount > 0) {
        text += Number(infantry->chargeCount) + Load(infantry->HasGammonBombs() ? 1439 : 1415);
      }
      out.push_back(Line(text, 3, 59, 0, BalloonText::kWarningRed));
    }
  }

  y = 70;
  const int32_t slots = data.WeaponSlotCount();
  if (slots > 4) FatalError(__LINE__, kFile);
  if (infantry->IsAlive() && !infantry->HasBeenCaptured() && slots >= 1) {
    out.push_back(Line(Load(1416), 3, 90, 2, BalloonText::kWhite));
    static constexpr std::array<float, 5> kRanges{40.0f, 100.0f, 250.0f, 500.0f, 1000.0f};
    std::array<int32_t, 5> totals{};
    for (int32_t s = slots - 1; s >= 0; --s) {
      const int32_t men = infantry->menInSlot[static_cast<size_t>(s)];
      const int32_t weapon = data.SlotSmallArms(s);
      std::string text = men < 10 ? " " : "";
      text += Number(men) + " ";
      if (gSmallArms.IsValid(weapon)) text += std::string(gSmallArms[weapon].Name());
      PadTo(text, 18);
      for (size_t r = 0; r < kRanges.size(); ++r) {
        float fire = 0.0f;
        if (gSmallArms.IsValid(weapon)) fire = SmallArmsFirepowerAt(gSmallArms[weapon], kRanges[r], 0);
        const auto value = static_cast<int32_t>(fire * static_cast<float>(men) + 0.4f);
        if (value >= 1) {
          AppendRightIn6(text, value);
          totals[r] += value;
        } else {
          text += "      ";
        }
      }
      out.push_back(Line(text, 3, 110 + 15 * s, 2, BalloonText::kWhite));
    }
    y = 128;
    if (slots > 1) {
      std::string text = Load(1417);
      for (int32_t total : totals) AppendRightIn6(text, total);
      y = 113 + 15 * slots;
      out.push_back(Line(text, 3, y, 2, BalloonText::kTotalBlue));
    }
  }
  return true;
}

void UnitInfoBalloon::DrawPenetrationTable(std::vector<PanelItem>& out, bool allied, int32_t weapon, int32_t kind,
                                           int32_t& y, int32_t maxRange) {
  const auto calibre = static_cast<int32_t>(gWeapons[weapon].Calibre());
  // Each search starts from the balloon's own generator state; MaxPenetratedArmour puts that
  // state back when it is done, so the caller restores the game's.
  auto defeated = [&](float range, float slope) {
    SeedRandom(kVariationSeed);
    return Number(static_cast<int32_t>(MaxPenetratedArmour(allied, range, slope, calibre, kind, weapon, true)));
  };
  static constexpr std::array<uint32_t, 4> kLabels{1433, 1434, 1435, 1436};
  for (int32_t slope : {0, 30, 60}) {
    std::string text = "   ";
    if (slope == 0) text += " ";
    text += Number(slope) + Load(1432) + std::string(12, ' ');
    const auto a = static_cast<float>(slope);
    text += defeated(100.0f, a);
    if (maxRange >= 500) {
      PadTo(text, 28);
      text += defeated(500.0f, a);
    }
    if (maxRange >= 1000) {
      PadTo(text, 35);
      text += defeated(1000.0f, a);
    }
    PadTo(text, 41);
    if (maxRange >= 2000) {
      PadTo(text, 42);
      text += defeated(2000.0f, a);
    }
    PadTo(text, 48);
    if (slope == 0 && kind >= 0 && kind <= 3) text += Load(kLabels[static_cast<size_t>(kind)]);
    y += 14;
    out.push_back(Line(text, 3, y, 2, BalloonText::kWhite));
  }
}

void UnitInfoBalloon::ComposeWeapon(std::vector<PanelItem>& out, int32_t& y) const {
  const Unit& u = *unit_;
  const auto* vehicle = unit_->AsVehicleUnit();
  const bool hasWeapon = vehicle != nullptr ? vehicle->HasMainWeaponIn(2) : u.HasMainWeapon();
  if (!hasWeapon) return;
  int32_t weapon = 0;
  int32_t type = 0;
  u.QueryWeapon(2, weapon, type);
  if (!gWeapons.IsValid(weapon)) return;
  const WeaponData w = gWeapons[weapon];

  std::string text;
  if (type == 7) {
    text = Load(1075);
  } else {
    text = Load(1418);
    if (type >= 1 && type <= 5) {
      text += "  " + Number(static_cast<int32_t>(w.Calibre() + 0.5f)) + Load(1062);
      if (type <= 3) {
        float velocity = w.Velocity(1);
        if (velocity == 0.0f) velocity = std::max(w.Velocity(3), w.Velocity(0));
        if (velocity == 0.0f) velocity = w.Velocity(2);
        if (velocity == 0.0f) velocity = w.Velocity(4);
        text += "   " + Number(static_cast<int32_t>(velocity)) + Load(1420);
      } else {
        text += Load(type == 4 ? 1421 : 1422);
      }
    }
    if (vehicle != nullptr && vehicle->GetClassData(2).TraverseLimit(0) < 0) text += Load(1423);
  }
  const int32_t blast = WeaponHEValue(weapon, true);
  if (blast != 0) text += Load(1424) + Number(blast);
  if (vehicle != nullptr) {
    const VehicleData record = vehicle->GetClassData(2);
    if ((record.Flags() & VehicleFlag::kSlowRateOfFire) != 0) text += "   " + Load(1486);
    const int32_t turret = record.TurretSpeedClass();
    if (turret >= 0 && turret <= 4) text += "   " + Load(static_cast<uint32_t>(1481 + turret)) + " " + Load(1392);
  }
  y += 14;
  out.push_back(Line(text, 3, y, 1, BalloonText::kWhite));

  const float maxRange = w.MaxRange();
  const float minRange = w.MinRange();
  std::string range;
  if (maxRange < 8000.0f) {
    range = Load(1425) + Number(static_cast<int32_t>(maxRange)) + "m";
    if (minRange > 0.0f) range += Load(1426) + Number(static_cast<int32_t>(minRange)) + "m" + ")";
  } else if (minRange > 0.0f) {
    range = Load(1427) + Number(static_cast<int32_t>(minRange)) + "m";
  }
  if (!range.empty()) {
    y += 17;
    out.push_back(Line(range, 3, y, 1, BalloonText::kPaleGrey));
  }

  if (type < 1 || type > 3) return;
  y += 24;
  out.push_back(Line(Load(1428), 3, y, 2, BalloonText::kPaleGrey));
  y += 14;
  out.push_back(Line(Load(1429), 3, y, 2, BalloonText::kPaleGrey));
  const int32_t row = u.GetAmmoMixRow();
  if (row < 0 || row > 2) return;
  const int32_t share = w.MixPercent(row, 0);
  const int32_t tungsten = w.MixCount(row);
  const float hollow = w.HollowChargePenetration();
  const bool allied = !u.IsAxis();
  const auto reach = static_cast<int32_t>(maxRange);
  // The tables draw from a generator of their own: the computed game must not change with
  // how long the balloon stays open.
  const uint32_t gameState = RandomState();
  if (share != 0 && hollow == 0.0f) {
    DrawPenetrationTable(out, allied, weapon, 1, y, reach);
    if (tungsten != 0) DrawPenetrationTable(out, allied, weapon, 2, y, reach);
    else if (share < 100) DrawPenetrationTable(out, allied, weapon, 0, y, reach);
  } else {
    if (share != 0) {
      if (hollow <= 0.0f) FatalError(__LINE__, kFile);
      DrawPenetrationTable(out, allied, weapon, 3, y, reach);
    }
    if (share < 100) DrawPenetrationTable(out, allied, weapon, 0, y, reach);
  }
  SeedRandom(gameState);
}

void UnitInfoBalloon::ComposePassengers(std::vector<PanelItem>& out, int32_t& y) const {
  const Unit& u = *unit_;
  if (!u.IsCurrentSide() && !u.IsIdentified()) return;
  if (const auto* vehicle = unit_->AsVehicleUnit()) {
    const Unit* first = vehicle->passengers[0];
    const Unit* second = vehicle->passengers[1];
    if (first == nullptr && second == nullptr) return;
    std::string text = Load(1430);
    if (first != nullptr) text += BalloonText::DisplayName(*first, false);
    if (first != nullptr && second != nullptr) text += Load(1080);
    if (second != nullptr) text += BalloonText::DisplayName(*second, false);
    y += 14;
    out.push_back(Line(text, 3, y, 1, BalloonText::kWhite));
  } else if (const auto* infantry = unit_->AsInfantryUnit()) {
    if (infantry->carrier == nullptr) return;
    y += 28;
    out.push_back(Line(Load(1431) + BalloonText::DisplayName(*infantry->carrier, false), 3, y, 1, BalloonText::kWhite));
  }
}
