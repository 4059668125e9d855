#include "app/ProgramStart.h"

#include "app/WRApplication.h"
#include "framework/kernel/GKernel.h"

void ProgramStart() {
  if (gKernel == nullptr) return;
  gKernel->Start(new WRApplication());
}
