// The balloon's frame: placing it, its button, the title, the kill record and the drawing of
// the composed items. The data pages and the weapon section are in UnitInfoBalloonPages.cpp.
#include "game/ui/UnitInfoBalloon.h"

#include "framework/core/GErrorLog.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/GString255.h"
#include "framework/core/GString63.h"
#include "framework/kernel/GKernel.h"
#include "framework/ui/GButton.h"
#include "game/battle/Battle.h"
#include "game/battle/screen/BattleScreenParts.h"
#include "game/battle/Campaign.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/records/KillRecordEntry.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/ui/BalloonText.h"

using BalloonText::Load;
using BalloonText::Number;

UnitInfoBalloon::~UnitInfoBalloon() {
  if (map_ != nullptr && map_->display.unitBalloon == this) map_->display.unitBalloon = nullptr;
}

void UnitInfoBalloon::Init(GView* parent, Unit* unit) {
  Place(parent, 0, 0, kWidth, kHeight);
  unit_ = unit;
  button_ = new GButton;
  button_->IControl(0, this, 348, 16, 52, 36, kKillButtonCommand);
  showKills_ = false;
}

// A view may not be deleted while the views run their timed actions (a key or a selection can
// close the balloon from one): the kernel then deletes it at the end of that pass.
void UnitInfoBalloon::Close() {
  if (map_ != nullptr && map_->display.unitBalloon == this) map_->display.unitBalloon = nullptr;
  map_ = nullptr;
  if (gKernel != nullptr && gKernel->IsTicking()) {
    gKernel->DeleteViewLater(this);
  } else {
    delete this;
  }
}

void UnitInfoBalloon::SetUnit(Unit* unit) {
  unit_ = unit;
  Invalidate();
}

void UnitInfoBalloon::ToggleKillInfo() {
  showKills_ = !showKills_;
  Invalidate();
}

std::string UnitInfoBalloon::KillLine(const KillRecordEntry& entry) {
  GString255 text;
  entry.GetLine(text);
  return text.CStr();
}

void UnitInfoBalloon::DrawKillLine(std::vector<PanelItem>& out, const KillRecordEntry& entry, int32_t& y) {
  y += 15;
  out.push_back(BalloonText::Line(KillLine(entry), 3, y, 0, BalloonText::kWhite));
}

void UnitInfoBalloon::ComposeKills(std::vector<PanelItem>& out, bool fullInfo) const {
  int32_t y = 14;
  auto line = [&](const std::string& text) {
    y += 15;
    out.push_back(BalloonText::Line(text, 3, y, 0, BalloonText::kWhite));
  };
  const KillRecord& record = unit_->killRecord;
  if (!fullInfo) {
    line(Load(1352));
    return;
  }
  if (!record.HasAny()) {
    line(Load(1353));
    return;
  }
  auto count = [&](int32_t n, uint32_t one, uint32_t many) {
    if (n != 0) line(Number(n) + Load(n == 1 ? one : many));
  };
  count(record.infantryCasualties, 1354, 1355);
  count(record.infantryCaptured, 1356, 1356);
  count(record.gunsDestroyed, 1357, 1358);
  count(record.mortarsDestroyed, 1359, 1360);
  count(record.aircraftShotDown, 1361, 1361);
  for (int32_t i = 0; i < record.VehicleEntryCount(); ++i) DrawKillLine(out, *record.VehicleEntry(i), y);
}

std::vector<PanelItem> UnitInfoBalloon::Compose() const {
  std::vector<PanelItem> out;
  if (unit_ == nullptr) return out;
  const Unit& u = *unit_;
  const bool over = BalloonText::PlayIsOver();
  MapAppServices* app = UnitApp();
  const int32_t fog = app != nullptr ? app->GetOption(10) : 0;
  const bool fullInfo = u.HasSurrendered() || IsEditorOpen() || fog < 2 || over || u.IsCurrentSide();

  // The title: designation, side word and name.
  std::string title;
  const auto* object = u.AsInanimateUnit();
  if (!u.IsInanimate() && ((fullInfo && !u.HasSurrendered()) || over)) {
    GString63 designation;
    u.AppendDesignation(designation);
    title += designation.CStr();
    title += " ";
  }
  const bool flagMarker = object != nullptr && (object->GetKind() == 8 || object->GetKind() == 9);
  if (!flagMarker) title += Load(u.IsAxis() ? 130 : 131) + " ";
  title += BalloonText::DisplayName(u, true);
  out.push_back(BalloonText::Line(title, 3, 8, 0, BalloonText::kTitleBlue));
  if (u.IsInanimate()) return out;

  if (showKills_) {
    ComposeKills(out, fullInfo);
    return out;
  }

  const int32_t level = u.GetIdentificationLevel(true);
  const Battle* battle = BalloonText::CurrentBattle();
  if (battle != nullptr && battle->exitScoring[u.GetSideIndex() & 1] != 0 && u.IsAlive() && u.countsForPoints != 0) {
    PanelItem should = BalloonText::Line(Load(1570), 399, 66, 1, BalloonText::kWhite);
    should.align = 1;
    PanelItem points = BalloonText::Line(Load(1571), 399, 78, 1, BalloonText::kWhite);
    points.align = 1;
    out.push_back(should);
    out.push_back(points);
  }

  // An aircraft shows its title and exit note only.
  if (u.IsAirplane()) return out;
  int32_t y = 0;
  if (u.IsVehicle()) {
    if (!ComposeVehiclePage(out, fullInfo, level, y)) return out;
  } else if (u.IsInfantry()) {
    if (!ComposeInfantryPage(out, fullInfo, level, y)) return out;
  }
  ComposeWeapon(out, y);
  ComposePassengers(out, y);
  return out;
}

void UnitInfoBalloon::Draw() {
  GView::Draw();
  const Battle* battle = BalloonText::CurrentBattle();
  if (battle != nullptr && battle->Screen().screenObject != nullptr) DrawGraphic(battle->Screen().screenObject, 348, 16);
  for (const PanelItem& item : Compose()) {
    GString255 text;
    text.Assign(item.text.c_str());
    DrawText(&text, item.x, item.y, item.align, item.font, item.r, item.g, item.b);
  }
}

// The map's library lies below the windows, so the map's balloon operations live here, with
// the balloon.
void Map::ToggleUnitInfoBalloon() {
  if (display.unitBalloon != nullptr) {
    CloseUnitInfoBalloon();
    return;
  }
  const Battle* battle = BalloonText::CurrentBattle();
  auto* parent = dynamic_cast<GView*>(display.battleView);
  if (battle == nullptr || battle->selectedUnit == nullptr || parent == nullptr) return;
  auto* balloon = new UnitInfoBalloon;
  balloon->Init(parent, battle->selectedUnit);
  balloon->SetMap(this);
  display.unitBalloon = balloon;
}

