#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/P3DDevice.h"
#include "platform/PGammaRamp.h"
#include "platform/PGuid.h"
#include "platform/PPresenter.h"
#include "platform/PRect.h"
#include "platform/PResult.h"
#include "platform/PSurface.h"

class PWindow;

// The display: the list of what it offers (normally one display driver with 3-D, one 3-D
// device, the 16-bit modes, one Z-buffer format), the chosen mode, the screen's two RGB565
// buffers (a flip chain of front and back buffer), off-screen surfaces and textures, the 3-D
// device on the back buffer with its viewport, the gamma ramp and presenting. The monitor's
// own mode is never changed: a "display mode" is the size of the screen buffers, which the
// window shows scaled to fit. Every driver of the list shows on the same window.
//
// Tests can offer another list (SetOfferedDrivers): several drivers, devices, modes of any
// depth and refresh rate, Z-buffer formats, and the desktop's depth.
//
// Every step can be made to fail through PFailureInjection, under the call points
// "CreateDisplay", "EnumerateDrivers", "EnumerateDevices", "EnumerateModes", "GetCaps",
// "Query3D", "SetCooperativeLevel", "SetNormalCooperativeLevel", "GetDisplayMode",
// "SetDisplayMode", "CreateFlipChain", "GetBackBuffer", "CreateSurface",
// "EnumerateZBufferFormats", "CreateZBuffer", "AttachZBuffer", "CreateDevice",
// "CreateViewport", "AddViewport", "SetViewport", "SetCurrentViewport", "GammaControl",
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

  // A driver of an offered list: what it reports, its devices, its modes (as listed, of any
  // depth) and the Z-buffer depths of its devices.
  struct OfferedDriver {
    DriverInfo info;
    bool nonDisplay = false;  // a 3-D card that is not a display device
    Caps caps;
    std::vector<DeviceInfo> devices;
    std::vector<ModeInfo> modes;
    std::vector<int32_t> zBufferDepths{16};
  };
  // The viewport of the 3-D device: a screen rectangle and its clip-space mapping.
  struct Viewport {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    float clipX = 0.0f;
    float clipY = 0.0f;
    float clipWidth = 0.0f;
    float clipHeight = 0.0f;
    float minZ = 0.0f;
    float maxZ = 0.0f;
  };

  // The 3-D device: the software rasteriser, offered as a hardware device.
  static const PGuid kDeviceGuid;
  static constexpr uint32_t kVideoMemory = 32u << 20;
  static constexpr int32_t kModeCount = 7;
  static const int32_t kModeSizes[kModeCount][2];

  // Tests: another list of drivers (the primary one has no GUID), and the desktop's depth.
  // Reset brings back the usual list and a 32-bit desktop.
  static void SetOfferedDrivers(std::vector<OfferedDriver> drivers);
  static void SetDesktopBitsPerPixel(int32_t bits);
  static void ResetOfferedDrivers();

  // The display drivers. With nonDisplay false the display drivers; with nonDisplay true the
  // 3-D cards that are no display device, which an offered list reports after its primary
  // display driver, as the system does (the usual list has none and reports nothing).
  static PResult EnumerateDrivers(bool nonDisplay, std::vector<DriverInfo>& out);
  // The display object of a driver (null: the primary display driver) for the window.
  static PResult Create(PWindow* window, const PGuid* driver, std::unique_ptr<PDisplay>& out);

  ~PDisplay();
  PDisplay(const PDisplay&) = delete;
  PDisplay& operator=(const PDisplay&) = delete;

  PResult GetCaps(Caps& out) const;
  // The 3-D side of the driver, which the device list and the device creation need.
  PResult Query3D();
  PResult EnumerateDevices(std::vector<DeviceInfo>& out) const;
  // The usual list: the 16-bit modes that fit the desktop, smallest first, refresh rate 0.
  // An offered list: its modes as they are.
  PResult EnumerateModes(std::vector<ModeInfo>& out) const;
  // Bit depths of the Z-buffer formats of a device of this driver (usually one, 16 bits).
  PResult EnumerateZBufferFormats(const PGuid& device, std::vector<int32_t>& bitDepths) const;

  // Takes the window over for the display; it must exist.
  PResult SetCooperativeLevel();
  // Hands the window back to the desktop.
  PResult SetNormalCooperativeLevel();
  // The mode in use: the desktop's size at 32 bits until a mode is set.
  PResult GetDisplayMode(ModeInfo& out) const;
  // 16 bits, at least 640 x 480 and no larger than the desktop (or 4096 a side). Drops a
  // flip chain of another size.
  PResult SetDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t refreshRate);

  // The front buffer of a new flip chain of the mode's size, with one back buffer.
  PResult CreateFlipChain(PSurface*& primary);
  PResult GetBackBuffer(PSurface*& backBuffer);
  // Drops the flip chain and the 3-D device and viewport made on it.
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
  void DetachZBuffer() { zBuffer_ = nullptr; }
  PSurface* ZBuffer() { return zBuffer_; }

  // The 3-D device of the driver's device list (the software rasteriser for each), drawing
  // into the back buffer; the display owns it. The flip chain must exist.
  PResult CreateDevice3D(const PGuid& device, P3DDevice*& out);
  void ReleaseDevice3D();
  P3DDevice* Device3D() { return device3D_.get(); }
  // The device's viewport: made, added to the device, set and made current.
  PResult CreateViewport();
  PResult AddViewport();
  PResult SetViewport(const Viewport& viewport);
  PResult SetCurrentViewport();
  void ReleaseViewport();
  const Viewport* CurrentViewport() const { return viewportCurrent_ ? &viewport_ : nullptr; }

  // The gamma control of the front buffer; SetGammaRamp asks for it on first use.
  PResult GetGammaControl();
  void ReleaseGammaControl() { gammaControl_ = false; }
  // The gamma ramp; the first use asks for the gamma control ("GammaControl").
  PResult SetGammaRamp(const PGammaRamp& ramp);
  PResult GetGammaRamp(PGammaRamp& out);

  // Swaps the two buffers and presents the new front buffer.
  PResult Flip();
  // Shows the front buffer: its pixels through the gamma ramp into the window.
  void Present();
  // Shows the front buffer, of which only the area changed since it was last shown.
  void PresentArea(const PRect& area);
  // Nothing is ever lost here; the call only reports success.
  PResult RestoreAllSurfaces();
  // Shows the front buffer as it is, before the display is given back to the desktop.
  void FlipToGDISurface();

  // The last presented picture, 0x00RRGGBB, and a way to look at it.
  const PPresenter& Presenter() const { return presenter_; }
  bool WritePresentedFrame(const std::string& path) const;

 private:
  explicit PDisplay(PWindow* window) : window_(window) {}
  void DesktopSize(int32_t& width, int32_t& height) const;
  bool OffersDevice(const PGuid& device) const;

  PWindow* window_;
  // The driver of an offered list this display stands for; null: the usual one.
  std::unique_ptr<OfferedDriver> offer_;
  bool has3D_ = false;
  bool cooperative_ = false;
  bool modeSet_ = false;
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::unique_ptr<PSurface> front_;
  std::unique_ptr<PSurface> back_;
  PSurface* zBuffer_ = nullptr;
  bool gammaControl_ = false;
  std::unique_ptr<P3DDevice> device3D_;
  bool viewportMade_ = false;
  bool viewportAdded_ = false;
  bool viewportCurrent_ = false;
  Viewport viewport_;
  PPresenter presenter_;
};
