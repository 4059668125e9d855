#include "framework/kernel/GKernel.h"

#include "framework/kernel/ApplicationBase.h"
#include "framework/kernel/GKernelRenderer.h"
#include "framework/kernel/GKernelSound.h"
#include "framework/kernel/GKernelStore.h"
#include "platform/PDisplay.h"
#include "platform/PWindow.h"

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "platform/PFont.h"
#include "platform/PSystem.h"

GKernel* gKernel = nullptr;
uint16_t gBlackPixel = 0;
uint16_t gWhitePixel = 0;

GKernel::GKernel() {
  if (gKernel == nullptr) gKernel = this;
}

GKernel::~GKernel() {
  if (gKernel == this) gKernel = nullptr;
}

void GKernel::LogError(const char* text) { GErrorLog::LogError(text); }

void GKernel::LogFileLine(int32_t line, const char* file) { GErrorLog::LogFileLine(line, file); }

void GKernel::SetDisplayObjects(PDisplay* display, PSurface* primary, PSurface* backBuffer) {
  display_ = display;
  primary_ = primary;
  backBuffer_ = backBuffer;
}

void GKernel::SetDrawToFront(bool front) {
  if (is3D_) FatalError(4499, "GKernel");
  drawToFront_ = front ? 1 : 0;
}

void GKernel::CreateFonts() {
  static const int32_t kLines[3] = {429, 436, 443};
  for (int32_t i = 0; i < 3; ++i) {
    fonts_[i] = PFont::OpenStandard(i);
    if (!fonts_[i]) FatalError(kLines[i], "GKernel");
  }
}

const PFont& GKernel::SelectFont(int32_t index) const {
  if (index < 0 || index > 2 || !fonts_[index]) FatalError(5072, "GKernel");
  return *fonts_[index];
}

int32_t GKernel::MeasureIn3D(const char* text, size_t length, int32_t font) const {
  if (!renderer2D_.textWidth) FatalError(__LINE__, "GKernel");
  return renderer2D_.textWidth(text, length, font);
}

void GKernel::Beep() { PSystem::Beep(); }

void GKernel::SetCameraCounter(bool on) {
  if (!on) cameraCounter_ = 0;
  else if (cameraCounter_ == 0) cameraCounter_ = 1;
}

void GKernel::RaiseCameraCounter() {
  if (cameraCounter_ < 999) ++cameraCounter_;
}

void GKernel::LowerCameraCounter() {
  if (cameraCounter_ > 0) --cameraCounter_;
}

void GKernel::Quit() {
  LogFileLine(5644, "GKernel");
  quit_ = 1;
  if (application_ != nullptr) application_->SavePreferences(&displayChoice_);
}
