#include "game/map/MapAppServices.h"

#include "framework/kernel/GKernel.h"
#include "framework/media/NetLink.h"

void MapAppServices::KeepNetworkLinkAlive() { NetKeepAliveWhileBusy(); }

void MapAppServices::SetCameraCounter(bool on) {
  if (gKernel != nullptr) gKernel->SetCameraCounter(on);
}

void MapAppServices::RaiseCameraCounter() {
  if (gKernel != nullptr) gKernel->RaiseCameraCounter();
}
