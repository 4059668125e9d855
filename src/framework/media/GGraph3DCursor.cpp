// The software mouse cursor, drawn by the renderer when the 3-D card is not the one showing
// the desktop (its picture would not show the system cursor), and the video memory report.
#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "framework/media/GGraphic.h"
#include "platform/PSurfaceOps.h"

void GGraph3D::ShowCursor(bool show) {
  if (cursor_ != nullptr)
    cursorHidden_ = !show;
  else
    host_->ShowSystemCursor(show);
}

void GGraph3D::DrawCursor(int32_t x, int32_t y) {
  if (cursor_ == nullptr || cursorHidden_) return;
  PSurface* picture = cursor_->GetSurface();
  picture->SetColorKey(host_->ColorKeyPixel() & 0xFFFFu);
  GRect bounds;
  cursor_->GetBounds(bounds);
  const int32_t screenWidth = host_->ScreenWidth();
  const int32_t screenHeight = host_->ScreenHeight();
  // At least a little of the cursor stays on the screen, on every side.
  bool clamped = false;
  if (x > screenWidth - 2) {
    x = screenWidth - 2;
    clamped = true;
  }
  if (y > screenHeight - 3) {
    y = screenHeight - 3;
    clamped = true;
  }
  if (x < 0) {
    x = 0;
    clamped = true;
  }
  if (y < 0) {
    y = 0;
    clamped = true;
  }
  PRect source{bounds.left, bounds.top, bounds.right, bounds.bottom};
  if (x + source.Width() > screenWidth) source.right = source.left + (screenWidth - x);
  if (y + source.Height() > screenHeight) source.bottom = source.top + (screenHeight - y);
  if (source.Width() > 0 && source.Height() > 0) {
    if (PSurfaceOps::BltFast(*host_->BackBuffer(), x, y, *picture, &source, true) != PResult::kOk)
      FatalError(1556, "GGraph3D");
  }
  if (clamped) host_->SetCursorPos(x, y);
}

void GGraph3D::GetTotalVRAM() {
  PDisplay::Caps caps;
  PResult result = host_->GetDisplayCaps(caps);
  if (result != PResult::kOk) {
    GErrorLog::LogValue("GGraph3D::GetTotalVRAM GetCaps failure = ", PResultCode(result));
    return;
  }
  const int32_t totalKiB = static_cast<int32_t>(caps.videoMemoryTotal / 1024);
  GErrorLog::LogValue("Total VRAM (K) = ", totalKiB);
  const int32_t freeKiB = caps.videoMemoryFree != 0 ? static_cast<int32_t>(caps.videoMemoryFree / 1024) : totalKiB;
  host_->ReportVideoMemory(freeKiB, caps.texturesFromSystemMemory);
}
