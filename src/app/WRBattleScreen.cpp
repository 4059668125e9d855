#include "app/WRBattleScreen.h"

#include "app/WRApplication.h"
#include "framework/core/GString.h"
#include "framework/core/GString255.h"
#include "framework/ui/GViewHost.h"
#include "framework/ui/GView.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GSoundManager.h"
#include "game/battle/Battle.h"
#include "game/battle/screen/BattleScreenParts.h"
#include "game/battle/BattleOrderHost.h"
#include "game/battle/Campaign.h"
#include "game/battle/screen/BattleBlinkIndicator.h"
#include "game/battle/screen/BattleSecondsDisplay.h"
#include "game/draw/MapSoundEventOf.h"
#include "game/map/Map.h"
#include "game/ui/VehicleQuestionMenu.h"
#include "game/ui/WaypointMenu.h"
#include "game/units/Unit.h"

void WRBattleScreen::ServeUnits(bool on) {
  unitContext_.reset();
  if (on) unitContext_.emplace(UnitContext{.orders = &app_.InPlay().Orders(), .draw = this, .screen = this});
}

Battle* WRBattleScreen::CurrentBattle() const { return app_.GetBattle(); }

int32_t WRBattleScreen::PlayBalance() const {
  const Battle* battle = CurrentBattle();
  return battle != nullptr ? battle->playBalance : 0;
}

bool WRBattleScreen::TakePlayBalanceNotice(int32_t side) {
  Battle* battle = CurrentBattle();
  return battle != nullptr && battle->TakePlayBalanceNotice(side);
}

Map* WRBattleScreen::CurrentMap() const {
  Battle* battle = CurrentBattle();
  return battle != nullptr ? battle->map : nullptr;
}

GView* WRBattleScreen::View() const {
  Map* map = CurrentMap();
  return map != nullptr ? dynamic_cast<GView*>(map->display.battleView) : nullptr;
}

void WRBattleScreen::ToggleInfoBalloon() {
  if (Map* map = CurrentMap()) map->ToggleUnitInfoBalloon();
}

void WRBattleScreen::HandleKey(uint8_t key, bool alt, bool keypad) {
  if (Battle* battle = CurrentBattle()) battle->HandleKey(key, alt, keypad);
}

void WRBattleScreen::SwitchSides() { app_.SwitchSides(); }

bool WRBattleScreen::HasBriefing(int32_t side) const { return app_.HasBriefingFor(side); }

void WRBattleScreen::ShowBriefing(int32_t side) {
  if (Battle* battle = CurrentBattle()) battle->SetViewActive(false);
  app_.ShowBriefing(side, true, true, 74, false);
}

bool WRBattleScreen::HasMapMenuOpen() const {
  Map* map = CurrentMap();
  return map != nullptr && map->camera.openMenu != nullptr;
}

void WRBattleScreen::ShowViewMessage(const GString& text) {
  if (Map* map = CurrentMap()) map->ShowViewMessage(text.CStr());
}

bool WRBattleScreen::IsMapViewVisible() const {
  GView* view = View();
  return view != nullptr && view->IsVisible();
}

void WRBattleScreen::SetMapViewEnabled(bool enabled) {
  if (GView* view = View()) view->SetEnabled(enabled ? 1 : 0);
}

bool WRBattleScreen::ShowRadioEntry() {
  Map* map = CurrentMap();
  auto* entry = map != nullptr ? dynamic_cast<GView*>(map->chatEntry) : nullptr;
  if (entry == nullptr) return false;
  entry->SetVisible(1);
  return true;
}

void WRBattleScreen::CloseMessageWindow() {
  // The window tells the map when it goes.
  if (Map* map = CurrentMap()) delete map->display.messageWindow;
}

bool WRBattleScreen::IsButtonPanelVisible() const {
  Battle* battle = CurrentBattle();
  return battle != nullptr && battle->Screen().views.replayPanel != nullptr && battle->Screen().views.replayPanel->IsVisible();
}

void WRBattleScreen::RestartAmbientSound() {
  if (Battle* battle = CurrentBattle()) battle->StartAmbientSound();
}

void WRBattleScreen::SetMapDrawState(int32_t state) {
  if (Map* map = CurrentMap()) map->display.drawState = state;
}

int32_t WRBattleScreen::GetNetworkState() const { return app_.Exchange().GetNetworkStateForView(); }

bool WRBattleScreen::IsOrdersClockEnabled() const { return app_.Exchange().GetTurnTimeLimit() != 0; }

bool WRBattleScreen::IsOrdersClockRunning() const { return app_.Exchange().IsOrdersClockStarted(); }

// In TCP/IP play the pause is this side's request to ignore the time limit.
bool WRBattleScreen::IsPaused() const {
  return app_.GetConnectionType() == 2 ? app_.Exchange().IsTimerOffRequested(false) : paused_;
}

void WRBattleScreen::SaveGame() { app_.ShowSavePanel(false); }

void WRBattleScreen::ShowAlert(int32_t alertCase) { app_.ShowAlert(alertCase); }

GRect WRBattleScreen::GetSelectionRect() const {
  Map* map = CurrentMap();
  if (map == nullptr) return GRect{};
  int32_t rect[4];
  map->GetSelectionRect(rect);
  return GRect{rect[0], rect[1], rect[2], rect[3]};
}

void WRBattleScreen::EnsureKindGroupGraphics(int32_t group) {
  if (Map* map = CurrentMap()) map->EnsureKindGroupGraphics(group);
}

void WRBattleScreen::EnsureInfantryTexture(int32_t n) {
  if (Map* map = CurrentMap()) map->EnsureInfantryTexture(n);
}

void WRBattleScreen::EnsureCrewFigure(int32_t code) {
  if (Map* map = CurrentMap()) map->EnsureFigurePrototype(code);
}

void WRBattleScreen::DrawLabelLines(const char* text1, int32_t code1, const char* text2, int32_t code2, float x,
                                    float y, float z) {
  if (Map* map = CurrentMap()) map->DrawTextAt(text1, code1, text2, code2, x, y, z);
}

void WRBattleScreen::ReportPick(Unit& unit) {
  if (Map* map = CurrentMap()) map->RecordPickedUnit(&unit);
}

void WRBattleScreen::SetLineStyle(int32_t style) {
  if (Map* map = CurrentMap()) map->SetLineStyle(style);
}

// Order lines are always drawn in the chosen style; the unit's second form is the thin one.
void WRBattleScreen::DrawTerrainLine(bool secondForm, float x0, float y0, float z0, float x1, float y1, float z1) {
  if (Map* map = CurrentMap()) map->DrawTerrainLine(true, !secondForm, x0, y0, z0, x1, y1, z1);
}

// A waypoint's word is one white label line at the point.
void WRBattleScreen::DrawTextAtPoint(const char* text, float x, float y, float z) {
  if (Map* map = CurrentMap()) map->DrawTextAt(text, 3, nullptr, 0, x, y, z);
}

namespace {

uint16_t PixelOf(uint8_t r, uint8_t g, uint8_t b) {
  const GViewHost* host = GViewHost::Current();
  return host != nullptr ? static_cast<uint16_t>(host->RGBToPixel(r, g, b)) : 0;
}

}  // namespace

void WRBattleScreen::DrawScreenText(const char* text, int32_t x, int32_t y) {
  GView* view = View();
  if (view == nullptr || text == nullptr) return;
  GString255 line;
  line.Assign(text);
  view->DrawShadowedText(&line, x, y, 0, 0, 255, 255, 255, 0, 0, 0, 1);
}

void WRBattleScreen::DrawUnitFrame(const GRect& bounds, uint8_t r, uint8_t g, uint8_t b) {
  if (GView* view = View()) view->FrameRect(bounds, PixelOf(r, g, b));
}

void WRBattleScreen::SetUnitScreenBounds(Unit& /*unit*/, const GRect& bounds) { unitBounds_ = bounds; }

bool WRBattleScreen::IsSmokeDrawn() const { return app_.GetOption(15) != 0; }

bool WRBattleScreen::IsInsideInputHandler() const { return gKernel != nullptr && gKernel->IsInHandler(); }

void WRBattleScreen::BindFlashTexture() {
  if (Map* map = CurrentMap()) map->BindSlot(Map::Slot::kMuzzleFlash);
}

int32_t WRBattleScreen::GetSideNationality(int32_t sideIndex) const {
  const Battle* battle = CurrentBattle();
  return battle != nullptr ? battle->GetSideNationality(sideIndex == 0 ? 1 : 0) : -1;
}

// ---- ReplayScreen ----

void WRBattleScreen::ActionStarted(Battle& battle, bool play) {
  // The figures catch up with the action before its first frame; the animation draws from the
  // presentation's generator, never the game's.
  for (int32_t i = 0; i < battle.units.Count(); ++i) battle.UnitAt(i)->UpdateAnimation();
  battle.BeginReplay(play);
}

void WRBattleScreen::HideGoStrip() {
  if (Battle* battle = CurrentBattle()) battle->HideGoStrip();
}

void WRBattleScreen::ShowGoStrip() {
  if (Battle* battle = CurrentBattle()) battle->ShowGoStrip();
}

void WRBattleScreen::ShowProgress(int32_t slice) {
  if (Battle* battle = CurrentBattle()) battle->ShowProgress(slice);
}

void WRBattleScreen::ReplayForSecondViewer() {
  Battle* battle = CurrentBattle();
  if (battle == nullptr) return;
  battle->ReplayControl(Replay::kPaused);
  battle->ReplayControl(Replay::kRestart);
}

void WRBattleScreen::PlaySound(int32_t number, int32_t priority) {
  if (gSoundManager != nullptr) gSoundManager->PlaySound(static_cast<int16_t>(number), priority);
}

void WRBattleScreen::SetBlinkIndicator(bool on) {
  Battle* battle = CurrentBattle();
  if (battle != nullptr) battle->EnableBlinkIndicator(on);
}

void WRBattleScreen::ShowGoButton(bool shown) {
  Battle* battle = CurrentBattle();
  if (battle != nullptr && battle->Screen().views.goPicture != nullptr) battle->Screen().views.goPicture->SetVisible(shown ? 1 : 0);
}

void WRBattleScreen::ShowSeconds(int32_t seconds) {
  Battle* battle = CurrentBattle();
  if (battle != nullptr && battle->Screen().views.secondsDisplay != nullptr) battle->Screen().views.secondsDisplay->SetSeconds(seconds);
}

void WRBattleScreen::SetCameraCounter(int32_t value) {
  if (gKernel != nullptr) gKernel->SetCameraCounter(value != 0);
}

bool WRBattleScreen::IsShiftDown() const { return gKernel != nullptr && gKernel->IsShiftDown(); }

void WRBattleScreen::SetSoundPhase(int32_t phase) {
  if (gSoundManager != nullptr) gSoundManager->SetPhase(phase);
}

void WRBattleScreen::StartSoundEvent(const Packet& packet) {
  if (Map* map = CurrentMap()) map->AddSoundEvent(MapSoundEventOf(packet));
}

void WRBattleScreen::InvalidateInfoPanel() {
  if (Battle* battle = CurrentBattle()) battle->InvalidateInfoPanel();
}

void WRBattleScreen::PreloadSounds(int32_t count, const uint16_t* numbers, const uint8_t* looped) {
  if (gSoundManager == nullptr || count <= 0 || numbers == nullptr || looped == nullptr) return;
  // The sound numbers are the same 16 bits either way.
  gSoundManager->PreloadSounds(count, reinterpret_cast<const int16_t*>(numbers), looped);
}

int32_t WRBattleScreen::GetSoundChannelCount() const {
  const int32_t channels = gSoundManager != nullptr ? gSoundManager->Get3DChannelCount() : 0;
  return channels > 0 ? channels : 17;
}

// ---- UnitOrderHost ----

void WRBattleScreen::RefreshUnitPanel() {
  if (Battle* battle = CurrentBattle()) battle->InvalidateInfoPanel();
}

void WRBattleScreen::RefreshMap() {
  Battle* battle = CurrentBattle();
  if (battle == nullptr) return;
  battle->InvalidateInfoPanel();
  if (battle->map != nullptr) battle->map->Invalidate();
}

void WRBattleScreen::OpenWaypointMenu(Unit& unit) {
  Battle* battle = CurrentBattle();
  if (battle != nullptr && battle->map != nullptr) WaypointMenu::OpenFor(*battle, unit);
}

void WRBattleScreen::AskVehicleQuestion(Unit& vehicle) {
  Battle* battle = CurrentBattle();
  // A group order sets many targets at once: nobody is asked then.
  if (battle == nullptr || battle->map == nullptr || battle->multiSelection != 0 || battle->selectedUnit != &vehicle) {
    return;
  }
  VehicleQuestionMenu::OpenFor(*battle, vehicle);
}

