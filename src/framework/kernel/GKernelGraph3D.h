#pragma once
#include <cstdint>

#include "framework/kernel/GKernelRenderer.h"
#include "framework/media/GGraph3DHost.h"

class GGraph3D;
class GKernel;

// The 3-D renderer as the kernel holds it. It makes the program's GGraph3D (gGraph3D) on the
// kernel's 3-D device and owns it; as the renderer's host it reads the display, the device,
// the back buffer, the screen size and pixel format, the kind of device and the quit flag
// from the kernel on every use, and hands the system cursor and the video-memory report to
// the kernel and the application. While it exists the views' 3-D routes (texts, picks) and
// the kernel's 2-D routes (fills, lines, text width) lead to the renderer; deleting it takes
// them away again.
class GKernelGraph3D : public GKernelRenderer, public GGraph3DHost {
 public:
  explicit GKernelGraph3D(GKernel* kernel);
  ~GKernelGraph3D() override;
  GKernelGraph3D(const GKernelGraph3D&) = delete;
  GKernelGraph3D& operator=(const GKernelGraph3D&) = delete;

  // Makes the renderer and completes its set-up; true when it is ready.
  bool Init();
  GGraph3D* Renderer() const { return renderer_; }

  bool IsReady() const override;
  bool RenderBegin() override;
  void RenderEnd() override;
  void DrawCursor(int32_t x, int32_t y) override;
  void ShowCursor(bool show) override;
  void GetTotalVRAM() override;

  P3DDevice* Device() const override;
  PSurface* BackBuffer() const override;
  int32_t ScreenWidth() const override;
  int32_t ScreenHeight() const override;
  bool IsHardwareDevice() const override;
  bool IsSeparate3DCard() const override;
  bool IsQuitting() const override;
  void SetDefaultRenderStates() override;
  void ReadPixelFormat() override;
  PResult Flip() override;
  void FlipToGDISurface() override;
  uint32_t PixelToARGB(uint16_t pixel) const override;
  uint32_t RGBToPixel(int32_t r, int32_t g, int32_t b) const override;
  PResult CreateSurface(int32_t width, int32_t height, PPixelFormat format, std::unique_ptr<PSurface>& out) override;
  PResult GetDisplayCaps(PDisplay::Caps& out) const override;
  void ShowSystemCursor(bool show) override;
  void SetCursorPos(int32_t x, int32_t y) override;
  void ReportVideoMemory(int32_t freeKiB, bool nonLocalTextures) override;

 private:
  void InstallRoutes();
  void RemoveRoutes();

  GKernel* kernel_;
  GGraph3D* renderer_ = nullptr;
};
