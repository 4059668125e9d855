#include "framework/kernel/GKernelSound.h"

#include "framework/media/GSoundManager.h"

bool GKernelSound::IsEnabled() const { return gSoundManager != nullptr && gSoundManager->IsEnabled(); }

void GKernelSound::Update() {
  if (gSoundManager != nullptr) gSoundManager->Update();
}

void GKernelSound::UpdateLoopingChannels() {
  if (gSoundManager != nullptr) gSoundManager->UpdateLoopingChannels();
}
