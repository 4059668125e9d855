// The application's answers to the game's questions that are not kept in its header.
#include "app/WRApplication.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GSoundManager.h"
#include "framework/media/NetLink.h"
#include "game/map/Map.h"

void WRApplication::ResetCameraDipAndZoom() {
  SetOption(kOptionCameraDip, 0);
  SetOption(kOptionZoom, 1);
}

int32_t WRApplication::GetScreenWidth() const { return gKernel != nullptr ? gKernel->GetScreenWidth() : 0; }

void WRApplication::Beep() {
  if (gKernel != nullptr) gKernel->Beep();
}

void WRApplication::ShowCursor(bool show) {
  if (gKernel != nullptr) gKernel->ShowCursor(show);
}

// The battle's own sounds (the results, an order) are heard over the battlefield's.
void WRApplication::PlaySound(int32_t number) {
  if (gSoundManager != nullptr) gSoundManager->PlaySound(static_cast<int16_t>(number), 25);
}

uint32_t WRApplication::GetCPURating() const {
  return gKernel != nullptr ? static_cast<uint32_t>(gKernel->GetCPURating()) : 0;
}

void WRApplication::KeepNetworkLinkAlive() { NetKeepAliveWhileBusy(); }

void WRApplication::SetCameraCounter(bool on) {
  if (gKernel != nullptr) gKernel->SetCameraCounter(on);
}

void WRApplication::RaiseCameraCounter() {
  if (gKernel != nullptr) gKernel->RaiseCameraCounter();
}

// ---- The battlefield frame's fire, smoke and positional sounds: the presentation's passes ----

void WRApplication::DrawBurningTiles(Map& map) { map.DrawBurningTiles(); }

void WRApplication::DrawSmoke(Map& map) { map.DrawSmoke(); }

void WRApplication::KeepMapSounds(Map& map, bool reposition) { map.UpdateSounds(reposition); }

void WRApplication::StartMapSound(Map& map, const MapPacket& event) { map.AddSoundEvent(event); }
