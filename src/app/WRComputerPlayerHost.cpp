#include "app/WRComputerPlayerHost.h"

#include "app/WRApplication.h"
#include "framework/kernel/GKernel.h"
#include "framework/ui/GView.h"

int32_t WRComputerPlayerHost::GetSideToPlay() const { return app_.GetSideToPlay(); }

void WRComputerPlayerHost::SetSideToPlay(int32_t side) { app_.SetSideToPlay(side); }

void WRComputerPlayerHost::RedrawScreen() {
  if (gKernel != nullptr) gKernel->UpdateScreen();
}

void WRComputerPlayerHost::InvalidateRootView() {
  if (gKernel != nullptr && gKernel->GetRootView() != nullptr) gKernel->GetRootView()->Invalidate();
}
