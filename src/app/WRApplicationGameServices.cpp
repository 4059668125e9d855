// The application's answers to the game's questions that are not kept in its header.
#include "app/WRApplication.h"
#include "framework/kernel/GKernel.h"

void WRApplication::ResetCameraDipAndZoom() {
  SetOption(kOptionCameraDip, 0);
  SetOption(kOptionZoom, 1);
}

int32_t WRApplication::GetScreenWidth() const { return gKernel != nullptr ? gKernel->GetScreenWidth() : 0; }

void WRApplication::Beep() {
  if (gKernel != nullptr) gKernel->Beep();
}

// The terrain code table belongs to the scenario editor and comes with it; until then no
// imported block can be decoded.
bool WRApplication::DecodeTerrainCode(int32_t /*index*/, int16_t& /*terrain*/, int16_t& /*road*/,
                                      uint8_t& /*fire*/) const {
  return false;
}
