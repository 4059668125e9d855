#include "app/ProgramStart.h"

#include "app/WRApplication.h"
#include "framework/kernel/GKernel.h"

void ProgramStart(const std::function<void(WRApplication&)>& prepare) {
  if (gKernel == nullptr) return;
  WRApplication::InstallComputerPlayer();
  auto* app = new WRApplication();
  if (prepare) prepare(*app);
  gKernel->Start(app);
}
