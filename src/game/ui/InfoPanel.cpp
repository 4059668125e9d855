// The unit information panel: its pictures, the battle overview and the unit display.
#include "game/map/OrderState.h"
#include "game/ui/InfoPanel.h"

#include <cmath>

#include "StringIds.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GString255.h"
#include "framework/core/GString63.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GGraphicFactory.h"
#include "game/battle/Battle.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/tables/Names.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/ui/BalloonText.h"

using BalloonText::Line;
using BalloonText::Load;
using BalloonText::Number;
using BalloonText::Picture;

namespace {

constexpr int32_t kPortraitBase = 1100;
constexpr int32_t kNoWeapon = 104;
constexpr int32_t kJammedWeapon = 92;
constexpr BalloonText::Colour kWhite = BalloonText::kWhite;

// Every picture but the portraits.
std::vector<int32_t> PanelPictureNumbers() {
  std::vector<int32_t> numbers;
  for (int32_t n = 420; n <= 425; ++n) numbers.push_back(n);
  for (int32_t n = 1000; n <= 1012; ++n) numbers.push_back(n);
  for (int32_t n : {1020, 1021, 1022}) numbers.push_back(n);
  for (int32_t n = 1030; n <= 1035; ++n) numbers.push_back(n);
  for (int32_t n = 1040; n <= 1044; ++n) numbers.push_back(n);
  for (int32_t n = 1047; n <= 1052; ++n) numbers.push_back(n);
  for (int32_t n = 1060; n <= 1063; ++n) numbers.push_back(n);
  for (int32_t n = 1070; n <= 1092; ++n) numbers.push_back(n);
  return numbers;
}

int32_t PortraitIndexAt(const Unit& unit, int32_t level) {
  if (const auto* infantry = unit.AsInfantryUnit()) return infantry->GetPortraitIndexAt(level);
  return unit.GetPortraitIndex();
}

bool IsReplaying() {
  const MapAppServices* app = UnitApp();
  return app != nullptr && app->GetInputMode() == InputModes::kReplay;
}

}  // namespace

InfoPanel::~InfoPanel() {
  for (auto& [number, picture] : pictures_) delete picture;
  pictures_.clear();
}

InfoPanelSeam* InfoPanel::Make(Battle& battle, GView* parent) {
  auto* panel = new InfoPanel;
  panel->SetUp(parent, battle);
  return panel;
}

void InfoPanel::SetUp(GView* parent, Battle& battle) {
  Place(parent, 0, 6, kWidth, kHeight);
  SetNoFill(1);
  battle_ = &battle;
  for (int32_t number : PanelPictureNumbers()) LoadPicture(number);
  PreloadUnitPictures();
}

void InfoPanel::LoadPicture(int32_t number) {
  if (pictures_.count(number) != 0) return;
  GGraphic* picture = GGraphicFactory::TryNewGraphic(1, number);
  if (picture != nullptr) pictures_[number] = picture;
}

void InfoPanel::LoadUnitPicture(int32_t index) {
  // Indexes come from unit data read from files: one outside the portraits is left out.
  if (index < 0 || index >= kPortraits) {
    GErrorLog::LogValue("Portrait Error: ", index);
    return;
  }
  LoadPicture(kPortraitBase + index);
}

void InfoPanel::PreloadUnitPictures() {
  if (battle_ == nullptr) return;
  auto preload = [this](const Unit* unit) {
    if (unit == nullptr || !(unit->IsInfantry() || unit->IsVehicle())) return;
    LoadUnitPicture(PortraitIndexAt(*unit, 3));
    LoadUnitPicture(PortraitIndexAt(*unit, 4));
  };
  for (int32_t i = 0; i < battle_->units.Count(); ++i) preload(battle_->UnitAt(i));
  for (const GObjectGroup& side : battle_->reinforcements) {
    for (int32_t g = 0; g < side.Count(); ++g) {
      const auto* group = dynamic_cast<const ReinforcementGroup*>(side.GetItem(g));
      if (group == nullptr) continue;
      for (int32_t u = 0; u < group->units.Count(); ++u) preload(UnitOfObject(group->units.GetItem(u)));
    }
  }
}

void InfoPanel::SetScoreShares(float share0, float share1) {
  scorePercent_[0] = share0 * 100.0f + 0.5f;
  scorePercent_[1] = share1 * 100.0f + 0.5f;
  Invalidate();
}

GGraphic* InfoPanel::PictureOf(int32_t number) const {
  const auto found = pictures_.find(number);
  return found != pictures_.end() ? found->second : nullptr;
}

int32_t InfoPanel::PictureWidth(int32_t number) const {
  const GGraphic* picture = PictureOf(number);
  if (picture == nullptr) return 0;
  GRect bounds;
  picture->GetBounds(bounds);
  return bounds.right - bounds.left;
}

bool InfoPanel::ShowsOverview() const {
  if (battle_ == nullptr) return true;
  const Unit* unit = battle_->selectedUnit;
  return unit == nullptr || (!unit->IsAlive() && !unit->IsRegularUnit());
}

void InfoPanel::MouseDown(int32_t x, int32_t y, uint8_t, uint8_t, uint8_t) {
  if (!ShowsOverview() || x < 103 || x > 182 || y < 65 || y > 84) return;
  if (battle_ != nullptr && battle_->map != nullptr) battle_->map->OpenKeyHelpWindow();
}

std::vector<PanelItem> InfoPanel::Compose() const {
  std::vector<PanelItem> out;
  if (battle_ == nullptr) return out;
  if (ShowsOverview()) ComposeOverview(out);
  else ComposeUnit(out, *battle_->selectedUnit);
  return out;
}

void InfoPanel::Draw() {
  for (const PanelItem& item : Compose()) {
    if (item.picture != 0) {
      if (GGraphic* picture = PictureOf(item.picture)) DrawGraphic(picture, item.x, item.y);
      continue;
    }
    GString255 text;
    text.Assign(item.text.c_str());
    DrawText(&text, item.x, item.y, item.align, item.font, item.r, item.g, item.b);
  }
}

void InfoPanel::ComposeOverview(std::vector<PanelItem>& out) const {
  const Battle& b = *battle_;
  MapAppServices& app = b.App();
  auto text = [&out](const std::string& t, int32_t x, int32_t y, int32_t align) {
    PanelItem item = Line(t, x, y, 2, kWhite);
    item.align = align;
    out.push_back(item);
  };
  out.push_back(Picture(1001, 0, 0));
  text(b.PastLastTurn() ? std::string("--") : Number(b.currentTurn), 171, 14, -1);
  text(Number(b.lastTurn), 227, 14, -1);
  text(b.title.CStr(), 182, 35, 0);
  if (b.computingAction == 0) {
    const int32_t month = b.date % 100;
    std::string date = month >= 1 && month <= 12 ? Load(static_cast<uint32_t>(1149 + month)) : std::string();
    date += " 4";
    date += b.date < 4501 ? "4" : "5";
    text(date, 145, 56, 0);
    text(b.weather >= 0 && b.weather <= 5 ? Load(static_cast<uint32_t>(631 + b.weather)) : std::string(), 226, 56, 0);
  }
  text(b.groundCondition >= 0 && b.groundCondition <= 8 ? Load(static_cast<uint32_t>(671 + b.groundCondition))
                                                        : std::string(),
       226, 77, 0);
  const int32_t viewer = app.GetCurrentSide() & 1;
  const bool editor = IsEditorOpen();
  const bool operation = app.GetOperation() != nullptr;
  for (int32_t k = 0; k < 2; ++k) {
    const int32_t side = k == 0 ? viewer : 1 - viewer;
    const int32_t dx = 266 * k;
    const int32_t nationality = b.GetSideNationality(1 - side);
    if (nationality >= 0 && nationality <= 5) out.push_back(Picture(420 + nationality, 30 + dx, 5));
    out.push_back(Picture(side == b.markedSide || b.markedSide == 2 ? 1002 : 1003, 9 + dx, 34));
    if (editor) continue;
    const bool shown = k == 0 || b.PastLastTurn() || app.GetOption(10) < 2;
    text(shown ? Number(static_cast<int32_t>(b.strengthRatio[side] * 100.0f)) + "%" : std::string("-"), 95 + dx, 60,
         1);
    text(operation ? std::string("-") : Number(static_cast<int32_t>(scorePercent_[side])) + "%", 95 + dx, 76, 1);
  }
}

void InfoPanel::ComposeUnit(std::vector<PanelItem>& out, const Unit& u) const {
  auto text = [&out](const std::string& t, int32_t x, int32_t y, int32_t align) {
    PanelItem item = Line(t, x, y, 2, kWhite);
    item.align = align;
    out.push_back(item);
  };
  auto centredPicture = [&](int32_t number, int32_t centre, int32_t y) {
    out.push_back(Picture(number, centre - PictureWidth(number) / 2, y));
  };
  const MapAppServices* app = UnitApp();
  const int32_t fog = app != nullptr ? app->GetOption(10) : 0;
  const bool over = BalloonText::PlayIsOver();
  const bool replay = IsReplaying();
  const int32_t level = u.GetIdentificationLevel();
  const bool full = u.HasSurrendered() || IsEditorOpen() || fog == 0 || (fog == 1 && u.IsIdentified()) || over ||
                    u.IsCurrentSide();
  const auto* object = u.AsInanimateUnit();
  const auto* infantry = u.AsInfantryUnit();
  const auto* vehicle = u.AsVehicleUnit();
  const bool inanimate = u.IsInanimate();
  const bool alive = u.IsAlive();
  const int32_t group = u.GetKindGroup();

  // 1, 2: background and emblem.
  out.push_back(Picture(1000, 0, 0));
  if (!(object != nullptr && (object->GetKind() == 8 || object->GetKind() == 9)) && group >= 0 && group <= 5) {
    out.push_back(Picture(420 + group, 6, 60));
  }
  // 3: names.
  const bool named = !inanimate && ((full && !u.HasSurrendered()) || over);
  if (!named) {
    text(BalloonText::DisplayName(u, true), 62, 14, -1);
  } else {
    out.push_back(Picture(1007, 182, 3));
    GString255 leader;
    Names::AppendLeaderName(u, leader, true);
    text(leader.CStr(), 62, 14, -1);
    GString63 designation;
    u.AppendDesignation(designation);
    text(designation.CStr(), 203, 14, 0);
    if (infantry != nullptr && alive && full) out.push_back(Picture(u.IsLinked() ? 1005 : 1004, 221, 3));
    text(BalloonText::DisplayName(u, false), 299, 14, 0);
  }
  // 4: the class badge.
  if (level > 3 && !inanimate && u.rating >= 0 && u.rating <= 5) out.push_back(Picture(1030 + u.rating, 61, 27));
  // 5: the status icon.
  if (!alive) {
    if (level < 2) return;
    if (u.IsDestroyedInPlace()) {
      centredPicture(1047, 215, 27);
      return;
    }
    if (u.IsCrewServed()) {
      centredPicture(1049, 215, 27);
      return;
    }
    centredPicture(1091, 215, 27);
  } else if (vehicle != nullptr && full && vehicle->gunDestroyed != 0 &&
             (u.HasMainWeapon() || vehicle->GetClassData(0).AmmoLoad() != 0)) {
    centredPicture(1048, 215, 27);
  } else if (full && u.HasMainWeapon() && u.IsMainWeaponUsable() && !u.HasMainWeaponOfType5() &&
             (replay ? u.firingBytes[Unit::kShownReloading] == 0 : u.firingTimer > 0.0f)) {
    // Outside the replay by the limber timer; during it by the bit its state packets carry.
    centredPicture(1089, 215, 27);
  } else if (infantry != nullptr && full && u.GetFatigueLevel() >= 0 && u.GetFatigueLevel() <= 4) {
    centredPicture(1040 + u.GetFatigueLevel(), 215, 27);
  }
  // 6: the portrait.
  if (!inanimate && level > 2) {
    const int32_t index = PortraitIndexAt(u, level);
    if (index >= 0 && index < kPortraits && PictureOf(kPortraitBase + index) != nullptr) {
      out.push_back(Picture(kPortraitBase + index, 0, 2));
    } else {
      GErrorLog::LogValue("Portrait Error: ", index);
    }
  }
  // 7: strength and casualties.
  if (!inanimate && (full || (level > 3 && infantry != nullptr && u.IsIdentified()))) {
    static constexpr int32_t kBadge[6] = {0, 1, 2, 2, 2, 1};
    if (group >= 0 && group <= 5) out.push_back(Picture(1020 + kBadge[group], 281, 24));
    text(Number(u.GetMenPresent()), 306, 35, -1);
    int32_t casualties = u.losses;
    if (infantry != nullptr && infantry->GetSplitPartner() != nullptr) {
      const int32_t strength = u.GetFullStrength();
      casualties -= infantry->IsSecondHalf() ? strength / 2 : (strength + 1) / 2;
    }
    if (casualties > 0) {
      out.push_back(Picture(1006, 325, 26));
      text(Number(casualties), 342, 35, -1);
    }
  }
  // 8: the weapon line.
  std::string weapon;
  // Beside the ammunition mark the line starts past the mark's right edge, so that the mark
  // never covers its first digit.
  static constexpr int32_t kAmmoMarkX = 107;
  static constexpr int32_t kPastAmmoMarkX = kAmmoMarkX + 14 + 2;
  int32_t weaponX = 110;
  if (!full || !alive) {
    if (u.HasSurrendered()) out.push_back(Picture(1085, 61, 45));
    if (level == 1) out.push_back(Picture(1087, 237, 49));
  } else if (u.HasSurrendered()) {
    out.push_back(Picture(1085, 61, 45));
  } else if (u.HasBeenCaptured()) {
    out.push_back(Picture(1086, 61, 45));
  } else if (u.HasMainWeaponOfType5()) {
    weapon = Number(u.ammo[0]);
    if (u.areaFire != 0) {
      out.push_back(Picture(1082, kAmmoMarkX, 45));
      weaponX = kPastAmmoMarkX;
      if (u.aimTime < 1.0f) {
        weapon += Load(kStrPanelFiring);
      } else {
        const auto seconds = static_cast<int32_t>(u.aimTime);
        weapon += Load(kStrPanelTime);
        weapon += seconds < 60 ? Number(seconds) + Load(kStrPanelSeconds)
                               : Number((seconds + 30) / 60) + Load(kStrPanelMinutes);
      }
    }
  } else if (u.HasMainWeapon() && !(infantry != nullptr && infantry->Data().MainWeapon() == kJammedWeapon)) {
    // Counts in the order high explosive, armour-piercing, hollow charge, tungsten, smoke.
    static constexpr int32_t kKinds[5] = {0, 1, 3, 2, 4};
    static constexpr uint32_t kLetters[5] = {kStrPanelLetterH, kStrPanelLetterA, kStrPanelLetterC, kStrPanelLetterT,
                                             kStrPanelLetterS};
    for (int32_t i = 0; i < 5; ++i) {
      const int32_t count = u.ammo[static_cast<size_t>(kKinds[i])];
      if (count == 0) continue;
      if (i == 0 && infantry != nullptr) {
        const int32_t main = infantry->Data().MainWeapon();
        if (main != kNoWeapon && gWeapons.IsValid(main) && gWeapons[main].Type() == 6) continue;
      }
      weapon += Number(count) + Load(kLetters[i]);
    }
    if (vehicle != nullptr && vehicle->machineGunAmmo[2] != 0) {
      weapon += Number(vehicle->machineGunAmmo[2]) + Load(kStrPanelLetterF);
    }
    if (weapon.empty()) weapon = Load(kStrPanelEmpty);
    out.push_back(Picture(1082, kAmmoMarkX, 45));
    weaponX = kPastAmmoMarkX;
  } else if (infantry != nullptr) {
    if (u.aimTime == Unit::kAimHold) weapon = Load(kStrPanelJam);
    else if (u.ammo[0] != 0) weapon = Number(u.ammo[0]);
    else weapon = u.IsOutOfMainAmmo() ? Load(kStrPanelLow) : std::string("0");
    for (int32_t i = 0; i < infantry->antitankCount; ++i) {
      out.push_back(Picture(u.IsAxis() ? 1084 : 1092, 135 + 30 * i, 46));
    }
    for (int32_t i = 0; i < infantry->chargeCount; ++i) {
      out.push_back(Picture(infantry->HasGammonBombs() ? 1079 : 1083, 196 + 16 * i, 44));
    }
  } else if (vehicle != nullptr) {
    int32_t secondary = vehicle->machineGunAmmo[2];
    if (secondary == 0) secondary = vehicle->machineGunAmmo[0] + vehicle->machineGunAmmo[1];
    if (secondary != 0) weapon = Number(secondary);
  }
  if (!weapon.empty()) text(weapon, weaponX, 56, -1);
  // 9 and 10: unlimbering, or the orders delay.
  if (u.firingTimer < 0.0f && u.HasMainWeaponOfType23(true)) {
    out.push_back(Picture(1082, 236, 45));
    text(Load(kStrPanelUnlimber) + Number(static_cast<int32_t>(-u.firingTimer / 60.0f + 1.0f)) +
             Load(kStrPanelMinutes),
         299, 56, 0);
  } else {
    const bool moving = vehicle != nullptr && (replay ? u.movementFlag != 0 : (u.speed != 0.0f || u.turnRate != 0.0f));
    const float delay =
        replay ? 0.0f : u.commandDelay + 0.5f + 15.0f * static_cast<float>(u.pendingDelaySteps);
    if (moving) {
      out.push_back(Picture(1090, 266, 49));
    } else if (delay < 1.0f) {
      if (u.IsHoldingPosition()) {
        if (u.hidden != 0) out.push_back(Picture(1050, 273, 49));
        else out.push_back(Picture(1052, 243, 49));
      }
    } else {
      out.push_back(Picture(1051, 247, 46));
      text(Number(static_cast<int32_t>(delay)), 311, 57, 0);
    }
  }
  // 11: the terrain line.
  if (infantry != nullptr && u.IsPassenger() && level >= 3 && (full || u.IsIdentified())) {
    out.push_back(Picture(1081, 60, 69));
  } else if (infantry != nullptr && infantry->boardingTarget != nullptr && full) {
    out.push_back(Picture(1080, 60, 69));
  } else if (level > 1) {
    GString255 terrain;
    if (alive && u.immobilized != 0 && level >= 4 && (infantry != nullptr || (vehicle != nullptr && !vehicle->IsEmplacement()))) {
      out.push_back(Picture(1062, 60, 69));
      u.AppendTerrainText(terrain);
    } else if (alive && vehicle != nullptr && vehicle->bogged != 0 && level >= 4) {
      out.push_back(Picture(1063, 60, 69));
      u.AppendTerrainText(terrain);
    } else {
      out.push_back(Picture(full && !replay && u.HasMoveOrder() ? 1061 : 1060, 60, 69));
      float px = 0.0f;
      float py = 0.0f;
      u.GetShownPosition(px, py, nullptr);
      u.AppendTerrainTextAt(terrain, px, py, level > 1 && u.level == 1.0f);
    }
    text(terrain.CStr(), 163, 76, -1);
  }
  // 12: the morale badge.
  if (!alive) return;
  if (full && infantry != nullptr) {
    int32_t band = u.GetBand();
    if (band == 4 && u.IsMoving()) band = 3;
    if (band >= 0 && band <= 7) centredPicture(1070 + band, 322, 69);
  } else if (vehicle != nullptr && vehicle->IsButtoned() && !vehicle->IsEmplacement() && (full || level > 2)) {
    centredPicture(1088, 322, 69);
  }
}
