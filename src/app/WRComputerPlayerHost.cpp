#include "app/WRComputerPlayerHost.h"

#include "app/WRApplication.h"
#include "framework/kernel/GKernel.h"
#include "framework/core/Quorl.h"
#include "framework/ui/GView.h"
#include "game/ui/ThinkingWindow.h"

int32_t WRComputerPlayerHost::GetSideToPlay() const { return app_.GetSideToPlay(); }

void WRComputerPlayerHost::SetSideToPlay(int32_t side) { app_.SetSideToPlay(side); }

void WRComputerPlayerHost::RedrawScreen() {
  if (gKernel != nullptr) gKernel->UpdateScreen();
}

void WRComputerPlayerHost::InvalidateRootView() {
  if (gKernel != nullptr && gKernel->GetRootView() != nullptr) gKernel->GetRootView()->Invalidate();
}

WRComputerPlayerHost::~WRComputerPlayerHost() { CloseProgressMeter(); }

void WRComputerPlayerHost::OpenProgressMeter() {
  CloseProgressMeter();
  window_ = ThinkingWindow::Open();
}

void WRComputerPlayerHost::ShowProgress(float fraction) {
  if (window_ != nullptr) window_->SetProgress(fraction);
}

void WRComputerPlayerHost::CloseProgressMeter() {
  if (window_ == nullptr) return;
  ThinkingWindow* window = window_;
  window_ = nullptr;
  delete window;
}

void WRComputerPlayerHost::IdleSound() {
  if (gKernel != nullptr) gKernel->IdleSound();
}
