#include "framework/media/GSoundOneShot.h"

#include "framework/core/Quorl.h"
#include "framework/media/GSoundManager.h"

void GSoundOneShot::Init(int16_t number, int32_t priority) {
  if (gSoundManager == nullptr || !gSoundManager->IsCreatingOneShot()) FatalError(2614, "GSound");
  GSoundEffect::Init(number, priority, kNoInstanceLimit);
}
