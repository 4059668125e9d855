#pragma once
#include <cstdint>

#include "platform/P3DDevice.h"

class PSurface;

// What the renderer reads of the display it runs on: the 3-D device, the back buffer it draws
// into, the screen size, the kind of device, the quit flag, and the few display services it
// calls. The display set-up provides one; tests give a device and a target directly.
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

  // The display's render-state defaults, set when the renderer completes its set-up.
  virtual void SetDefaultRenderStates();
  // Shows the finished back buffer; the result of the flip.
  virtual PResult Flip();
  // Gives the display back to the desktop before the renderer goes away.
  virtual void FlipToGDISurface();
  // A screen pixel value (RGB565) as 0xFFRRGGBB.
  virtual uint32_t PixelToARGB(uint16_t pixel) const;

 private:
  P3DDevice* device_;
  PSurface* backBuffer_;
  bool hardwareDevice_;
  bool separate3DCard_;
  bool quitting_ = false;
};
