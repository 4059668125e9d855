#include "framework/kernel/ApplicationBase.h"

#include "framework/core/GString.h"
#include "framework/kernel/DisplayPreset.h"
#include "framework/kernel/GKernel.h"

void ApplicationBase::GetDisplayChoice(DisplayPreset* record) {
  if (record == nullptr) return;
  record->use3DPreset = 0;
  record->use2DPreset = 0;
}

void ApplicationBase::GetDataFolderName(GString& out) { out.Clear(); }

void ApplicationBase::CloseRequested() {
  if (gKernel != nullptr) gKernel->Quit();
}
