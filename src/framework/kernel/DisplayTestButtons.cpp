// The two buttons of the display test screen.
#include "framework/kernel/DisplayTestAcceptButton.h"
#include "framework/kernel/DisplayTestSkipButton.h"
#include "framework/kernel/GKernel.h"

void DisplayTestAcceptButton::TickAction() {
  const int32_t c = tickCount_;
  tickCount_ = c + 1;
  if (c >= kTicksBeforeSkip) GKernel::SetDisplayRequest(is3DTest_ ? GKernel::kSkip3D : GKernel::kSkip2D);
}

void DisplayTestAcceptButton::Activate() {
  GKernel::SetDisplayRequest(is3DTest_ ? GKernel::kAccept3D : GKernel::kAccept2D);
}

void DisplayTestSkipButton::Activate() {
  GKernel::SetDisplayRequest(is3DTest_ ? GKernel::kSkip3D : GKernel::kSkip2D);
}
