#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/PGammaRamp.h"
#include "platform/PGuid.h"
#include "platform/PPresenter.h"
#include "platform/PResult.h"
#include "platform/PSurface.h"

class PWindow;

// The display: the list of what it offers (one display driver with 3-D, one 3-D device, the
// 16-bit modes, one Z-buffer format), the chosen mode, the screen's two RGB565 buffers (a
// flip chain of front and back buffer), off-screen surfaces and textures, the gamma ramp and
// presenting. The monitor's own mode is never changed: a "display mode" is the size of the
// screen buffers, which the window shows scaled to fit.
//
// Every step can be made to fail through PFailureInjection, under the call points
// "CreateDisplay", "EnumerateDrivers", "EnumerateDevices", "EnumerateModes", "GetCaps",
// "SetCooperativeLevel", "GetDisplayMode", "SetDisplayMode", "CreateFlipChain",
// "GetBackBuffer", "CreateSurface", "CreateZBuffer", "AttachZBuffer", "GammaControl",
// "SetGammaRamp", "Flip" and "RestoreAllSurfaces".
class PDisplay {
 public:
  struct DriverInfo {
    bool hasGuid = false;  // the primary display driver has none
    PGuid guid;
    std::string name;
    std::string description;
  };
  struct DeviceInfo {
    bool hasGuid = false;
    PGuid guid;
    std::string name;
    std::string description;
    bool hardware = false;
  };
  struct ModeInfo {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitsPerPixel = 0;
    int32_t refreshRate = 0;  // 0: the monitor's own
  };
  struct Caps {
    bool has3D = false;
    uint32_t videoMemoryTotal = 0;  // bytes
    uint32_t videoMemoryFree = 0;
    bool texturesFromSystemMemory = false;
  };

  // The 3-D device: the software rasteriser, offered as a hardware device.
  static const PGuid kDeviceGuid;
  static constexpr uint32_t kVideoMemory = 32u << 20;
  static constexpr int32_t kModeCount = 7;
  static const int32_t kModeSizes[kModeCount][2];

  // The display drivers: the one display driver when nonDisplay is false, none otherwise
  // (there is no separate 3-D card).
  static PResult EnumerateDrivers(bool nonDisplay, std::vector<DriverInfo>& out);
  // The display object of a driver (null: the primary display driver) for the window.
  static PResult Create(PWindow* window, const PGuid* driver, std::unique_ptr<PDisplay>& out);

  ~PDisplay();
  PDisplay(const PDisplay&) = delete;
  PDisplay& operator=(const PDisplay&) = delete;

  PResult GetCaps(Caps& out) const;
  PResult EnumerateDevices(std::vector<DeviceInfo>& out) const;
  // The 16-bit modes that fit the desktop, smallest first, refresh rate 0.
  PResult EnumerateModes(std::vector<ModeInfo>& out) const;
  // Bit depths of the Z-buffer formats of a device: one, 16 bits.
  PResult EnumerateZBufferFormats(const PGuid& device, std::vector<int32_t>& bitDepths) const;

  // Takes the window over for the display; it must exist.
  PResult SetCooperativeLevel();
  // The mode in use: the desktop's size at 32 bits until a mode is set.
  PResult GetDisplayMode(ModeInfo& out) const;
  // 16 bits, at least 640 x 480 and no larger than the desktop (or 4096 a side). Drops a
  // flip chain of another size.
  PResult SetDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t refreshRate);

  // The front buffer of a new flip chain of the mode's size, with one back buffer.
  PResult CreateFlipChain(PSurface*& primary);
  PResult GetBackBuffer(PSurface*& backBuffer);
  void ReleaseFlipChain();
  PSurface* Primary() { return front_.get(); }
  PSurface* BackBuffer() { return back_.get(); }

  // An off-screen surface in the screen format (kRGB565), a texture (kARGB1555) or a 32-bit
  // target, owned by the caller. Sides from 1 to 4096.
  PResult CreateSurface(int32_t width, int32_t height, PPixelFormat format, std::unique_ptr<PSurface>& out);
  // A 16-bit depth buffer, owned by the caller; attaching it to the back buffer lets the 3-D
  // device find it.
  PResult CreateZBuffer(int32_t width, int32_t height, int32_t bitDepth, std::unique_ptr<PSurface>& out);
  PResult AttachZBuffer(PSurface* zBuffer);
  PSurface* ZBuffer() { return zBuffer_; }

  // The gamma ramp; the first use asks for the gamma control ("GammaControl").
  PResult SetGammaRamp(const PGammaRamp& ramp);
  PResult GetGammaRamp(PGammaRamp& out);

  // Swaps the two buffers and presents the new front buffer.
  PResult Flip();
  // Shows the front buffer: its pixels through the gamma ramp into the window.
  void Present();
  // Nothing is ever lost here; the call only reports success.
  PResult RestoreAllSurfaces();

  // The last presented picture, 0x00RRGGBB, and a way to look at it.
  const PPresenter& Presenter() const { return presenter_; }
  bool WritePresentedFrame(const std::string& path) const;

 private:
  explicit PDisplay(PWindow* window) : window_(window) {}
  void DesktopSize(int32_t& width, int32_t& height) const;

  PWindow* window_;
  bool cooperative_ = false;
  bool modeSet_ = false;
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::unique_ptr<PSurface> front_;
  std::unique_ptr<PSurface> back_;
  PSurface* zBuffer_ = nullptr;
  bool gammaControl_ = false;
  PPresenter presenter_;
};
