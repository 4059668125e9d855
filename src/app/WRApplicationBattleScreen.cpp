// The application's side of the battle screen: installing the screen's services and keys,
// opening and closing the battle's screen, and making the battlefield view the map asks for.
#include "app/WRApplication.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GSoundManager.h"
#include "framework/media/GGraph3D.h"
#include "framework/ui/GView.h"
#include "framework/ui/GViewHost.h"
#include "game/battle/Battle.h"
#include "game/map/Map.h"
#include "game/ui/MapView.h"
#include "game/units/infantry/CrewFigure.h"
#include "game/units/infantry/Infantry.h"

bool WRApplication::OpenBattleScreen(bool flushPending, bool showLoading) {
  if (inPlay_.GetBattle() == nullptr) return false;
  // The screen the battle replaces goes first: the loading picture clears the screen.
  SafeDelete(screenRoot_);
  mainPicture_ = nullptr;
  helpLine_ = nullptr;
  addressScreen_ = nullptr;
  SetBattleScreen(&battleScreen_);
  inPlay_.GetBattle()->keyHost = &battleScreen_;
  inPlay_.GetBattle()->replayScreen = &battleScreen_;
  inPlay_.GetBattle()->resultsScreen = &resultsScreen_;
  battleScreen_.ServeUnits(true);
  return inPlay_.GetBattle()->OpenScreen(showLoading, flushPending);
}

void WRApplication::CloseBattleScreen(bool keepMap) {
  if (inPlay_.GetBattle() != nullptr) {
    inPlay_.GetBattle()->CloseScreen(keepMap);
    if (inPlay_.GetBattle()->keyHost == &battleScreen_) inPlay_.GetBattle()->keyHost = nullptr;
    if (inPlay_.GetBattle()->replayScreen == &battleScreen_) inPlay_.GetBattle()->replayScreen = nullptr;
    if (inPlay_.GetBattle()->resultsScreen == &resultsScreen_) inPlay_.GetBattle()->resultsScreen = nullptr;
  }
  resultsScreen_.DeleteView();
  SetBattleScreen(nullptr);
  battleScreen_.ServeUnits(false);
}

void WRApplication::DrawLabelAt(int32_t x, int32_t y, const char* text1, int32_t code1, const char* text2,
                                int32_t code2) {
  if (inPlay_.GetBattle() == nullptr || inPlay_.GetBattle()->map == nullptr || text1 == nullptr) return;
  auto* view = dynamic_cast<MapView*>(inPlay_.GetBattle()->map->display.battleView);
  if (view == nullptr) return;
  GString255 first;
  first.Assign(text1);
  GString255 second;
  if (text2 != nullptr) second.Assign(text2);
  view->DrawLabel(x, y, &first, code1, text2 != nullptr && text2[0] != 0 ? &second : nullptr, code2);
}

GObject* WRApplication::NewBattlefieldView(Map& map, int32_t width, int32_t height) {
  return MapView::Create(map, width, height);
}

void WRApplication::DrawTextAt(const char* text, bool highlight, float x, float y, float z) {
  if (inPlay_.GetBattle() == nullptr || inPlay_.GetBattle()->map == nullptr || gGraph3D == nullptr || text == nullptr) return;
  auto* view = dynamic_cast<MapView*>(inPlay_.GetBattle()->map->display.battleView);
  if (view == nullptr) return;
  float sx = x;
  float sy = y;
  if (!gGraph3D->ProjectToScreen(&sx, &sy, z, false)) return;
  GString255 label;
  label.Assign(text);
  view->DrawLabel(static_cast<int32_t>(sx), static_cast<int32_t>(sy), &label, highlight ? 2 : 1, nullptr, 0);
}

namespace {

// The battlefield view of the battle's map, or null.
GView* BattlefieldViewOf(Battle* battle) {
  return battle != nullptr && battle->map != nullptr ? dynamic_cast<GView*>(battle->map->display.battleView) : nullptr;
}

}  // namespace

void WRApplication::SetBattlefieldProjection(float fieldOfView, float nearPlane, float farPlane) {
  GView* view = BattlefieldViewOf(inPlay_.GetBattle());
  const GViewHost* host = GViewHost::Current();
  // The projection is the 3-D renderer's: in 2-D mode the map draws nothing anyway.
  if (view == nullptr || host == nullptr || !host->Is3D()) return;
  view->SetProjection(fieldOfView, nearPlane, farPlane);
}

void WRApplication::FillBattlefieldBackground() {
  GView* view = BattlefieldViewOf(inPlay_.GetBattle());
  if (view == nullptr) return;
  GRect local;
  view->GetLocalBounds(local);
  view->FillRect(local, view->GetBackColor());
}

void WRApplication::RefreshBattleScreen() {
  if (inPlay_.GetBattle() != nullptr) inPlay_.GetBattle()->InvalidateInfoPanel();
  if (GView* view = BattlefieldViewOf(inPlay_.GetBattle())) view->Invalidate();
}

// The kernel measures each frame; until it has, it gives its starting rate.
float WRApplication::GetFrameRate() const { return gKernel != nullptr ? gKernel->GetFrameRate() : 8.0f; }

int32_t WRApplication::GetFrameTime() const {
  return gKernel != nullptr ? static_cast<int32_t>(gKernel->GetFrameTime()) : 0;
}

// The software renderer blends every translucent triangle it is given.
bool WRApplication::CanBlend() const { return gGraph3D != nullptr; }

void WRApplication::SetSoundDistanceOffset(float metres) {
  if (gSoundManager != nullptr) gSoundManager->SetDistanceOffset(metres);
}

GObject* WRApplication::NewFigurePrototype(int32_t variant) { return NewCrewFigure(variant); }

void WRApplication::PrepareFigureAppearance(GObject* figure) {
  if (auto* unit = UnitOfObject(figure)) unit->PrepareAppearance();
}

void WRApplication::ReleaseFigureAppearance(GObject* figure) {
  if (auto* unit = UnitOfObject(figure)) unit->ReleaseAppearance();
}
