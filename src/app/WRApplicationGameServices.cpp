// The application's answers to the game's questions that are not kept in its header.
#include "app/WRApplication.h"
#include "framework/kernel/GKernel.h"
#include "game/map/Map.h"

void WRApplication::ResetCameraDipAndZoom() {
  SetOption(kOptionCameraDip, 0);
  SetOption(kOptionZoom, 1);
}

int32_t WRApplication::GetScreenWidth() const { return gKernel != nullptr ? gKernel->GetScreenWidth() : 0; }

void WRApplication::Beep() {
  if (gKernel != nullptr) gKernel->Beep();
}

// ---- The battlefield frame's fire, smoke and positional sounds: the presentation's passes ----

void WRApplication::DrawBurningTiles(Map& map) { map.DrawBurningTiles(); }

void WRApplication::DrawSmoke(Map& map) { map.DrawSmoke(); }

void WRApplication::KeepMapSounds(Map& map, bool reposition) { map.UpdateSounds(reposition); }

void WRApplication::StartMapSound(Map& map, const MapPacket& event) { map.AddSoundEvent(event); }
