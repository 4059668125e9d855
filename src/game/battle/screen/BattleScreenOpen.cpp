// Opening and closing the battle screen: the purchase step, the loading picture, the strip,
// the pictures and textures (downsampled until they fit), play preparation, the battlefield
// view and TCP/IP play's opening message; and the 3-D view switched on and off.
#include <memory>

#include "StringIds.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GStub.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPictureView.h"
#include "framework/ui/GView.h"
#include "game/battle/Battle.h"
#include "game/battle/screen/BattleScreenParts.h"
#include "game/battle/Campaign.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/map/BattlefieldScreen.h"
#include "game/map/Crater.h"
#include "game/map/Map.h"
#include "game/map/MapObjectList.h"
#include "game/map/MapAppServices.h"
#include "game/map/TurnExchange.h"
#include "game/units/Unit.h"

namespace {

constexpr const char* kSource = "Battle";
constexpr int32_t kTcpIp = 2;
constexpr int32_t kOneMachine = 0;
// Beyond this downsampling level the textures are given up on.
constexpr int32_t kMaxDownsampleLevel = 8;

// The screen cleared, the loading picture centred with its line under it, shown once.
void ShowLoadingPicture() {
  if (gKernel == nullptr) return;
  gKernel->ClearScreen(true);
  int32_t width = 0;
  int32_t height = 0;
  gKernel->GetScreenSize(width, height);
  auto holder = std::make_unique<GView>();
  holder->Place(nullptr, 0, 0, width, height);
  holder->SetNoFill(1);
  GGraphic probe;
  if (probe.Load(1, 11260, 0, true) && probe.GetStub() != nullptr) {
    auto* picture = new GPictureView;
    picture->InitKind1(holder.get(), (width - probe.GetStub()->GetWidth()) / 2,
                       (height - probe.GetStub()->GetHeight()) / 2, 11260);
  }
  auto* line = new GLabel;
  // The label's baseline lies 12 pixels into it: the text stands on y 300.
  line->InitWithResource(holder.get(), 0, 288, width, kStrLoading3D);
  line->SetAlignment(0);
  gKernel->UpdateScreen();
}

}  // namespace

void Battle::OpenPurchaseScreen(int32_t side) {
  mustPurchase[side & 1] = 0;
  if (gKernel != nullptr) gKernel->ClearScreen(true);
  App().Battlefield().OpenPurchaseScreen(side & 1);
}

bool Battle::OpenScreen(bool showLoading, bool flushPending) {
  MapAppServices& app = App();
  // 1: a side that must still buy its force buys first.
  if (app.GetHumanPlayers() == 2) {
    const int32_t side = app.GetCurrentSide();
    if (mustPurchase[side] != 0) {
      OpenPurchaseScreen(side);
      return false;
    }
  } else if (app.GetHumanPlayers() == 1) {
    for (int32_t side = 0; side < 2; ++side) {
      if (mustPurchase[side] != 0) {
        OpenPurchaseScreen(side);
        return false;
      }
    }
  }
  const bool tcpip = app.GetConnectionType() == kTcpIp;
  if (screenParts_ != nullptr && screenParts_->views.root != nullptr) {
    // 2: the screen stands; at a hotseat the other player's units start their sounds.
    if (app.GetConnectionType() == kOneMachine && app.GetHumanPlayers() == 2) StartUnitLoopSounds();
  } else {
    // 3 to 5: the loading picture, the battle's derived values, the strip and its pictures.
    if (showLoading) ShowLoadingPicture();
    ComputeVisibility();
    RefreshUnitDisplays();
    ComputeStrengthRatios();
    if (gKernel != nullptr) gKernel->Set3DMode(true);
    BuildScreen();
    LoadPanelPictures();
    app.Battlefield().EndTitleSound();
    // 6: textures that never fit leave the program quitting.
    if (!LoadTextures(false)) return false;
    // 7: play preparation with the replay clock reset and the sounds started.
    PrepareForPlay();
    replay.previous = -1000;
    replay.current = -1;
    StartAmbientSound();
    StartUnitLoopSounds();
    // 8, 9: the battlefield view and the score shares.
    if (map == nullptr) FatalError(897, kSource);
    // A side whose camera was never placed (a file written without start views) starts over
    // its own units rather than nowhere.
    SetStartViews();
    map->CreateView();
    ComputeScoreShares(true, nullptr, nullptr);
    // 10: what was pending goes; the other machine hears that this screen is up.
    if (flushPending) {
      FlushSoundEvents();
      packets.DeleteAll(true);
    }
    GErrorLog::LogFileLine(907, kSource);
    if (tcpip && !app.Exchange().IsNetworkWaiting()) {
      const uint8_t message[1] = {0x0B};
      app.Exchange().NetSend(message, 1);
      app.Exchange().NoteBattleScreenOpened();
    }
    GErrorLog::LogFileLine(915, kSource);
  }
  // 11: TCP/IP play goes on.
  if (tcpip && !app.Exchange().IsNetworkWaiting()) app.Exchange().ContinueNetworkGame();
  GErrorLog::LogFileLine(922, kSource);
  return true;
}

void Battle::CloseScreen(bool keepMap) {
  if (screenParts_ != nullptr) {
    for (GGraphic*& picture : screenParts_->panelPictures) SafeDelete(picture);
    for (GGraphic*& picture : screenParts_->unitPictures) SafeDelete(picture);
  }
  CloseStrip();
  if (!keepMap) {
    ReleaseViewObjects();
    if (map != nullptr) {
      map->DeleteSounds(false);
      map->DeleteView();
    }
  }
  StopAmbientSound();
}

void Battle::LoadPanelPictures() {
  std::array<GGraphic*, BattleScreenParts::kPanelPictures>& panelPictures = Screen().panelPictures;
  std::array<GGraphic*, BattleScreenParts::kUnitPictures>& unitPictures = Screen().unitPictures;
  for (int32_t i = 0; i < BattleScreenParts::kPanelPictures; ++i) {
    SafeDelete(panelPictures[static_cast<size_t>(i)]);
    if (gKernel != nullptr) panelPictures[static_cast<size_t>(i)] = gKernel->TryNewGraphic(1, 1680 + i);
  }
  for (int32_t i = 0; i < BattleScreenParts::kUnitPictures; ++i) {
    SafeDelete(unitPictures[static_cast<size_t>(i)]);
    if (gKernel != nullptr) unitPictures[static_cast<size_t>(i)] = gKernel->TryNewGraphic(1, 1600 + i);
  }
}

void Battle::ReleaseViewObjects() {
  if (screenParts_ != nullptr) {
    for (GGraphic*& graphic : screenParts_->terrainGraphics) SafeDelete(graphic);
  }
  if (map != nullptr) map->ReleaseGraphics();
  for (int32_t i = 0; i < UnitCount(); ++i) UnitAt(i)->ReleaseAppearance();
  for (int32_t side = 0; side < 2; ++side) {
    for (int32_t g = 0; g < reinforcements[side].Count(); ++g) GroupAt(side, g)->ReleaseAppearance();
  }
}

bool Battle::LoadTextures(bool flag) {
  float scale[3] = {1.0f, 1.0f, 1.0f};
  switch (timeOfDay) {
    case 0: break;
    case 1: scale[0] = 0.81f, scale[1] = 0.78f, scale[2] = 0.75f; break;
    case 2: scale[0] = 0.61f, scale[1] = 0.61f, scale[2] = 0.64f; break;
    default: FatalError(1120, kSource);
  }
  GGraph3D* renderer = gGraph3D;
  float previous[3];
  if (renderer != nullptr) renderer->SwapColorScale(scale, previous);
  MapAppServices& app = App();
  for (;;) {
    app.Exchange().KeepNetworkLinkAlive();
    for (int32_t i = 0; i < BattleScreenParts::kTerrainGraphics; ++i) {
      GGraphic*& graphic = Screen().terrainGraphics[static_cast<size_t>(i)];
      SafeDelete(graphic);
      if (gKernel != nullptr) graphic = gKernel->TryNewGraphic(1, 11250 + i);
    }
    for (int32_t i = 0; i < UnitCount(); ++i) {
      app.Exchange().KeepNetworkLinkAlive();
      UnitAt(i)->PrepareAppearance();
    }
    for (int32_t side = 0; side < 2; ++side) {
      for (int32_t g = 0; g < reinforcements[side].Count(); ++g) {
        GGroup& list = GroupUnits(side, g);
        for (int32_t i = 0; i < list.Count(); ++i) {
          app.Exchange().KeepNetworkLinkAlive();
          static_cast<Unit*>(list.GetItem(i))->PrepareAppearance();
        }
      }
    }
    if (map != nullptr) map->LoadTextures(flag);
    if (renderer == nullptr || !renderer->DownsampleTexture()) break;
    // The textures did not fit: one level smaller, unless that is one too many.
    if (renderer->GetDownsampleLevel() > kMaxDownsampleLevel) {
      if (gKernel != nullptr) gKernel->Quit();
      renderer->SetColorScale(1.0f);
      return false;
    }
    ReleaseViewObjects();
  }
  if (renderer == nullptr) return true;
  GErrorLog::LogValue("Number of downsamples:", renderer->GetDownsampleLevel());
  const int32_t memory = renderer->GetTextureMemory();
  GErrorLog::LogValue("Texture VRAM usage (K):", memory / 1024);
  renderer->AddTextureMemory(-memory);
  renderer->SetColorScale(1.0f);
  return true;
}

void Battle::SetViewActive(bool on) {
  if (map == nullptr || map->display.battleView == nullptr) return;
  const bool separate = gKernel != nullptr && gKernel->IsSeparate3DCard();
  GErrorLog::LogFileLine(2385, kSource);
  if (on) {
    if (gKernel != nullptr) gKernel->Set3DMode(true);
    if (separate) LoadTextures(true);
  } else if (separate) {
    ReleaseViewObjects();
  }
  GErrorLog::LogFileLine(2399, kSource);
  map->SetViewVisible(on);
  GErrorLog::LogFileLine(2402, kSource);
  map->display.drawState = on ? 2 : 0;
  GErrorLog::LogFileLine(2405, kSource);
  if (!on && gKernel != nullptr) gKernel->Set3DMode(false);
}

void Battle::ReturnToMapAfterEnd() {
  if (!IsOver()) FatalError(4904, kSource);
  auto* operation = dynamic_cast<Campaign*>(App().GetOperation());
  if (operation != nullptr && !operation->IsOver()) FatalError(4906, kSource);
  // After a battle every crater shows (an operation that is over keeps its view).
  if (operation == nullptr && map != nullptr && map->objects.craters != nullptr) {
    for (int32_t i = 0; i < map->objects.craters->Count(); ++i) {
      static_cast<Crater*>(map->objects.craters->GetItem(i))->revealed = 1;
    }
  }
  SetViewActive(true);
}
