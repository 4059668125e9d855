#pragma once
#include <cstdint>
#include <memory>

#include "platform/P3DDevice.h"
#include "platform/PDisplay.h"
#include "platform/PSurface.h"

class PWindow;

// What the renderer reads of the display it runs on: the 3-D device, the back buffer it draws
// into, the screen size, the kind of device, the quit flag, and the few display services it
// calls. The display set-up provides one; tests give a device and a target directly.
//
// The display and the window are optional: without a display the renderer's own surfaces are
// made in memory and the video memory is unknown; without a window the cursor requests go
// nowhere. The kernel's host overrides what it keeps itself (pixel format, system cursor, the
// application).
class GGraph3DHost {
 public:
  // The screen size is the back buffer's.
  GGraph3DHost(P3DDevice* device, PSurface* backBuffer, bool hardwareDevice = true, bool separate3DCard = false);
  virtual ~GGraph3DHost();
  GGraph3DHost(const GGraph3DHost&) = delete;
  GGraph3DHost& operator=(const GGraph3DHost&) = delete;

  virtual P3DDevice* Device() const { return device_; }
  virtual PSurface* BackBuffer() const { return backBuffer_; }
  virtual int32_t ScreenWidth() const;
  virtual int32_t ScreenHeight() const;
  virtual bool IsHardwareDevice() const { return hardwareDevice_; }
  virtual bool IsSeparate3DCard() const { return separate3DCard_; }
  virtual bool IsQuitting() const { return quitting_; }
  void SetQuitting(bool quitting) { quitting_ = quitting; }
  void SetDisplay(PDisplay* display) { display_ = display; }
  void SetWindow(PWindow* window) { window_ = window; }

  // The display's render-state defaults, set when the renderer completes its set-up.
  virtual void SetDefaultRenderStates();
  // Reads the screen's pixel format (the kernel keeps it); nothing here.
  virtual void ReadPixelFormat();
  // Shows the finished back buffer; the result of the flip.
  virtual PResult Flip();
  // Gives the display back to the desktop before the renderer goes away.
  virtual void FlipToGDISurface();
  // A screen pixel value (RGB565) as 0xFFRRGGBB.
  virtual uint32_t PixelToARGB(uint16_t pixel) const;
  // The screen pixel value of a colour (each channel cut to its field's width).
  virtual uint32_t RGBToPixel(int32_t r, int32_t g, int32_t b) const;
  // The transparent colour key of bitmaps: the pixel value of magenta.
  virtual uint32_t ColorKeyPixel() const { return RGBToPixel(255, 0, 255); }

  // An off-screen surface of the display (in memory without one).
  virtual PResult CreateSurface(int32_t width, int32_t height, PPixelFormat format, std::unique_ptr<PSurface>& out);
  // The display's capabilities, video memory included; kUnsupported without a display.
  virtual PResult GetDisplayCaps(PDisplay::Caps& out) const;

  // The system cursor: shows or hides it (the display count is raised or lowered until it has
  // the wanted sign, at most 99 times) and moves it to a screen position.
  virtual void ShowSystemCursor(bool show);
  virtual void SetCursorPos(int32_t x, int32_t y);

  // Tells the application how much video memory there is to load textures into (in KiB) and
  // whether textures may live in non-local video memory. No application here.
  virtual void ReportVideoMemory(int32_t freeKiB, bool nonLocalTextures);

 private:
  P3DDevice* device_;
  PSurface* backBuffer_;
  bool hardwareDevice_;
  bool separate3DCard_;
  bool quitting_ = false;
  PDisplay* display_ = nullptr;
  PWindow* window_ = nullptr;
};
