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
