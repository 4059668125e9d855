#pragma once
#include <cstdint>

// What the kernel asks of the 3-D renderer: whether it is ready, the frame bracket, the
// software cursor and the video-memory report. The renderer's set-up hands the kernel one of
// these; the kernel owns it, and deleting it deletes the renderer.
class GKernelRenderer {
 public:
  virtual ~GKernelRenderer() = default;
  virtual bool IsReady() const = 0;
  // Starts a frame; false when the device is lost (the frame is dropped).
  virtual bool RenderBegin() = 0;
  // Queued texts, deferred translucent triangles, end of scene and the flip.
  virtual void RenderEnd() = 0;
  virtual void DrawCursor(int32_t x, int32_t y) = 0;
  virtual void ShowCursor(bool show) = 0;
  // Tells the application how much video memory there is (its slot 15).
  virtual void GetTotalVRAM() = 0;
};
