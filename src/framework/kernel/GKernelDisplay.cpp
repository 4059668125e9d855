// Choosing the display: the display list read into a tree of drivers, devices and modes and
// flattened into candidates in the order of trying; the 3-D selection and the creation of a
// candidate's display chain and renderer; the 2-D set-up; acting on the test screen's answer;
// the gamma ramp; releasing the display objects and switching 3-D drawing on a separate card.
#include <cmath>
#include <string>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/ApplicationBase.h"
#include "framework/kernel/DisplayCandidate.h"
#include "framework/kernel/GDisplayList.h"
#include "framework/kernel/DisplayDeviceRecord.h"
#include "framework/kernel/DisplayDriverRecord.h"
#include "framework/kernel/DisplayModeRecord.h"
#include "framework/kernel/GKernel.h"
#include "framework/kernel/GKernelGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "framework/media/GGraphicsStore.h"
#include "framework/ui/GView.h"
#include "platform/PDisplay.h"
#include "platform/PSystem.h"
#include "platform/PTextureBudget.h"
#include "platform/PWindow.h"

namespace {

std::string ModeNumber(int64_t n) { return std::to_string(n); }

bool MatchesPreset(const DisplayCandidate& c, const DisplayPreset& p) {
  if (c.mode->width != p.width || c.mode->height != p.height || c.mode->refreshRate != p.refreshRate) return false;
  const bool driver = p.driverIsPrimary
                          ? c.driver->isPrimary != 0
                          : SameGuid(c.driver->isPrimary ? nullptr : &c.driver->guid, &p.driverGuid);
  if (!driver) return false;
  return p.deviceIsNullGuid ? c.device->isNullGuid != 0
                            : SameGuid(c.device->isNullGuid ? nullptr : &c.device->guid, &p.deviceGuid);
}

void StoreCandidate(const DisplayCandidate& c, DisplayPreset& p) {
  p.separateCard = c.driver->nonDisplay;
  p.driverIsPrimary = c.driver->isPrimary;
  p.driverGuid = c.driver->isPrimary ? PGuid{} : c.driver->guid;
  p.deviceIsNullGuid = c.device->isNullGuid;
  p.deviceGuid = c.device->isNullGuid ? PGuid{} : c.device->guid;
  p.width = c.mode->width;
  p.height = c.mode->height;
  p.refreshRate = c.mode->refreshRate;
}

}  // namespace

// ---- The display list ----

void GKernel::EnumerateDisplays() { displays_->Enumerate(window_.get(), desktopWidth_, desktopHeight_); }

void GKernel::DeleteDisplayLists() { displays_->Delete(); }

GObjectGroup* GKernel::GetDriverTree() const { return displays_->DriverTree(); }

GObjectGroup* GKernel::GetCandidates() const { return displays_->Candidates(); }

// ---- 3-D ----

bool GKernel::Select3DMode() {
  is3D_ = 1;
  if (GetDriverTree() == nullptr) {
    EnumerateDisplays();
    if (displayChoice_.use3DPreset) {
      LogError("Attempting to locate 3D preset");
      displayChoice_.use3DPreset = 0;
      GObjectGroup* candidates = GetCandidates();
      for (int32_t i = 0; i < candidates->Count(); ++i) {
        if (MatchesPreset(*static_cast<DisplayCandidate*>(candidates->GetItem(i)), displayChoice_)) {
          candidates->Swap(0, i);
          displayChoice_.use3DPreset = 1;
          LogError("Using 3D preset");
          break;
        }
      }
    }
  } else {
    // A retry after a skipped test: the tested candidate's display goes.
    ReleaseDisplayObjects(false);
  }

  for (;;) {
    auto* candidate = static_cast<DisplayCandidate*>(GetCandidates()->PopFirst());
    if (candidate == nullptr) DirectXFatal(2);
    const DisplayDriverRecord& driver = *candidate->driver;
    const DisplayDeviceRecord& device = *candidate->device;
    const DisplayModeRecord& mode = *candidate->mode;
    separateCard_ = driver.nonDisplay;
    hardwareDevice_ = device.hardware;
    std::string line = std::string("Attempting 3D DRIVER: ") + driver.name.CStr() + " (" + driver.description.CStr() +
                       ")  DEVICE: " + device.name.CStr() + "  MODE: " + ModeNumber(mode.width) + " x " +
                       ModeNumber(mode.height) + " @" + ModeNumber(mode.refreshRate);
    if (separateCard_) line += "  (separate 2D/3D)";
    LogError(line.c_str());

    if (!CreateDevice3D(candidate)) {
      ReleaseDisplayObjects(false);
      delete candidate;
      continue;
    }
    if (!displayChoice_.use3DPreset) {
      // Stored now; the acceptance sets the use flag.
      StoreCandidate(*candidate, displayChoice_);
      ShowDirectXTest(true, !device.hardware, driver.description.CStr(), static_cast<int32_t>(mode.width),
                      static_cast<int32_t>(mode.height), static_cast<int32_t>(mode.refreshRate));
      delete candidate;
      return true;
    }
    delete candidate;
    DeleteDisplayLists();
    return false;
  }
}

bool GKernel::CreateDevice3D(DisplayCandidate* candidate) {
  if (candidate == nullptr) FatalError(__LINE__, "GKernel");
  const DisplayDriverRecord& driver = *candidate->driver;
  const DisplayDeviceRecord& device = *candidate->device;
  const int32_t width = static_cast<int32_t>(candidate->mode->width);
  const int32_t height = static_cast<int32_t>(candidate->mode->height);
  const int32_t refreshRate = static_cast<int32_t>(candidate->mode->refreshRate);

  std::unique_ptr<PDisplay> display;
  const PResult created = PDisplay::Create(window_.get(), driver.isPrimary ? nullptr : &driver.guid, display);
  if (created != PResult::kOk) {
    GErrorLog::LogValue("err = ", PResultCode(created));
    GErrorLog::LogValue("DDERR_INVALIDDIRECTDRAWGUID  = ", PResultCode(PResult::kInvalidDriver));
    LogError("FAILED 3D: DirectDrawCreate");
    return false;
  }
  ownedDisplay_ = std::move(display);
  display_ = ownedDisplay_.get();
  if (display_->SetCooperativeLevel() != PResult::kOk) {
    LogError("FAILED 3D: SetCooperativeLevel");
    return false;
  }
  if (display_->Query3D() != PResult::kOk) FatalError(1874, "GKernel");
  direct3D_ = 1;
  const PResult modeSet = display_->SetDisplayMode(width, height, 16, refreshRate);
  screenWidth_ = width;
  screenHeight_ = height;
  if (modeSet != PResult::kOk) {
    LogError("FAILED 3D: SetDisplayMode");
    return false;
  }
  if (rootView_ != nullptr) rootView_->PlaceFullScreen();

  PSurface* primary = nullptr;
  if (display_->CreateFlipChain(primary) != PResult::kOk) {
    LogError("FAILED 3D: CreateSurface");
    return false;
  }
  primary_ = primary;
  PSurface* back = nullptr;
  if (display_->GetBackBuffer(back) != PResult::kOk) {
    LogError("FAILED 3D: GetAttachedSurface");
    return false;
  }
  backBuffer_ = back;

  // The depth format: the first 16-bit one offered, else the last one.
  if (device.isNullGuid) FatalError(1917, "GKernel");
  std::vector<int32_t> depths;
  if (display_->EnumerateZBufferFormats(device.guid, depths) != PResult::kOk) {
    LogError("FAILED 3D: EnumZBufferFormats");
    return false;
  }
  int32_t depth = 0;
  for (int32_t d : depths) {
    depth = d;
    if (d == 16) break;
  }
  std::unique_ptr<PSurface> zBuffer;
  if (display_->CreateZBuffer(width, height, depth, zBuffer) != PResult::kOk) {
    LogError("FAILED 3D: Z-buffer CreateSurface");
    return false;
  }
  zBuffer_ = std::move(zBuffer);
  if (display_->AttachZBuffer(zBuffer_.get()) != PResult::kOk) {
    LogError("FAILED 3D: Z-buffer AddAttachedSurface");
    return false;
  }
  P3DDevice* device3D = nullptr;
  if (display_->CreateDevice3D(device.guid, device3D) != PResult::kOk) {
    LogError("FAILED 3D: CreateDevice");
    return false;
  }
  device3D_ = device3D;
  if (display_->CreateViewport() != PResult::kOk) {
    LogError("FAILED 3D: CreateViewport");
    return false;
  }
  viewport_ = 1;
  if (display_->AddViewport() != PResult::kOk) {
    LogError("FAILED 3D: AddViewport");
    return false;
  }
  PDisplay::Viewport view;
  view.width = width;
  view.height = height;
  view.clipX = -1.0f;
  view.clipY = 1.0f;
  view.clipWidth = 2.0f;
  view.clipHeight = 2.0f;
  view.minZ = 0.0f;
  view.maxZ = 1.0f;
  if (display_->SetViewport(view) != PResult::kOk) {
    LogError("FAILED 3D: SetViewport2");
    return false;
  }
  if (display_->SetCurrentViewport() != PResult::kOk) {
    LogError("FAILED 3D: SetCurrentViewport");
    return false;
  }
  SetGamma(gamma_);
  SizeTextureBudget();

  auto renderer = std::make_unique<GKernelGraph3D>(this);
  GKernelGraph3D* made = renderer.get();
  renderer_ = std::move(renderer);
  return made->Init();
}

void GKernel::SetDefaultRenderStates() {
  if (device3D_ == nullptr) FatalError(__LINE__, "GKernel");
  // The table of defaults is the renderer host's, applied to the kernel's device.
  GGraph3DHost(device3D_, backBuffer_, hardwareDevice_ != 0, separateCard_ != 0).SetDefaultRenderStates();
}

// ---- 2-D ----

bool GKernel::SetUp2DMode() {
  LogFileLine(1281, "GKernel");
  is3D_ = 0;
  if (display_ == nullptr) {
    LogFileLine(1314, "GKernel");
    std::unique_ptr<PDisplay> display;
    if (PDisplay::Create(window_.get(), nullptr, display) != PResult::kOk) DirectXFatal(0);
    ownedDisplay_ = std::move(display);
    display_ = ownedDisplay_.get();
    if (display_->SetCooperativeLevel() != PResult::kOk) DirectXFatal(0);
    PDisplay::ModeInfo mode;
    if (display_->GetDisplayMode(mode) != PResult::kOk) DirectXFatal(0);
    SizeTextureBudget();
    if (displayChoice_.use2DPreset) {
      const int32_t width = static_cast<int32_t>(displayChoice_.width2D);
      const int32_t height = static_cast<int32_t>(displayChoice_.height2D);
      const bool change = !(mode.bitsPerPixel == 16 && mode.width == width && mode.height == height);
      return Try2DModes(width, height, change, false);
    }
    return Try2DModes(mode.width, mode.height, mode.bitsPerPixel != 16, false);
  }
  // A retry after a skipped 2-D test: the next smaller size on the same display.
  if (gammaControl_) display_->ReleaseGammaControl();
  gammaControl_ = 0;
  display_->ReleaseFlipChain();
  primary_ = nullptr;
  backBuffer_ = nullptr;
  return Try2DModes(screenWidth_, screenHeight_, true, true);
}

bool GKernel::Try2DModes(int32_t width, int32_t height, bool change, bool stepFirst) {
  for (bool step = stepFirst;; step = true) {
    if (step) {
      if (width > 1024) {
        width = 1024;
        height = 768;
      } else if (width > 800) {
        width = 800;
        height = 600;
      } else if (width > 640) {
        width = 640;
        height = 480;
      } else {
        DirectXFatal(1);
      }
      if (rootView_ != nullptr) rootView_->PlaceFullScreen();
      displayChoice_.use2DPreset = 0;
      change = true;
    }
    LogError(("Attempting 2D MODE: " + ModeNumber(width) + " x " + ModeNumber(height)).c_str());
    if (!displayChoice_.use2DPreset) {
      displayChoice_.width2D = static_cast<uint32_t>(width);
      displayChoice_.height2D = static_cast<uint32_t>(height);
    }
    if (change) {
      LogError("resetting...");
      if (display_->SetDisplayMode(width, height, 16, 0) != PResult::kOk) continue;
    }
    PSurface* primary = nullptr;
    if (display_->CreateFlipChain(primary) != PResult::kOk) continue;
    primary_ = primary;
    PSurface* back = nullptr;
    if (display_->GetBackBuffer(back) != PResult::kOk) FatalError(1358, "GKernel");
    backBuffer_ = back;
    break;
  }
  screenWidth_ = width;
  screenHeight_ = height;
  if (rootView_ != nullptr) rootView_->PlaceFullScreen();
  SetCursorPos(width / 2, height / 2);
  ReadPixelFormat();
  SetGamma(gamma_);
  if (displayChoice_.use2DPreset) return false;
  LogFileLine(1390, "GKernel");
  ShowDirectXTest(false, false, nullptr, width, height, 0);
  LogFileLine(1392, "GKernel");
  return true;
}

// ---- The answer of the test screen ----

void GKernel::FinishDisplaySetUp(bool accepted, bool is3D) {
  if (!HasApplicationStarted()) ClearScreen(true);
  if (!accepted) {
    if (is3D) Select3DMode();
    else SetUp2DMode();
    return;
  }
  if (!is3D) {
    displayChoice_.use2DPreset = 1;
  } else {
    displayChoice_.use3DPreset = 1;
    // On a separate 3-D card the menus need the primary display as well.
    if (separateCard_ && !HasApplicationStarted()) {
      ReleaseDisplayObjects(true);
      if (SetUp2DMode()) return;
    }
  }
  is3D_ = 0;
  if (rootView_ != nullptr) rootView_->PlaceFullScreen();
  DeleteDisplayLists();
  if (!HasApplicationStarted()) {
    firstStart_ = 0;
    if (application_ != nullptr) application_->StartApplication();
    if (renderer_) renderer_->GetTotalVRAM();
  }
}

// ---- Gamma, texture memory, release and switching ----

void GKernel::SetGamma(float gamma) {
  if (display_ == nullptr || primary_ == nullptr) FatalError(1462, "GKernel");
  if (!gammaControl_) {
    if (display_->GetGammaControl() != PResult::kOk) FatalError(1466, "GKernel");
    gammaControl_ = 1;
  }
  // In single precision throughout, so that a gamma of 1 gives the straight ramp.
  PGammaRamp ramp{};
  const float e = 1.0f / gamma;
  const float step = 1.0f / 255.0f;
  for (int i = 0; i < 256; ++i) {
    float v = std::pow(static_cast<float>(i) * step, e) * 65535.0f;
    // A gamma of 0 or below gives values beyond the ramp: they are held inside it.
    if (!(v >= 0.0f)) v = 0.0f;
    if (v > 65535.0f) v = 65535.0f;
    const uint16_t level = static_cast<uint16_t>(static_cast<int32_t>(v));
    ramp.red[i] = ramp.green[i] = ramp.blue[i] = level;
  }
  if (display_->SetGammaRamp(ramp) == PResult::kOk) gamma_ = gamma;
}

void GKernel::SizeTextureBudget() {
  if (display_ == nullptr) return;
  PDisplay::Caps caps;
  // Without an answer the budget stays as it was.
  if (display_->GetCaps(caps) != PResult::kOk) return;
  if (textureBudget_) textureBudget_->SetTotal(caps.videoMemoryFree);
  else textureBudget_ = std::make_unique<PTextureBudget>(caps.videoMemoryFree);
}

void GKernel::ReleaseDisplayObjects(bool restore) {
  LogFileLine(204, "GKernel");
  renderer_.reset();
  LogFileLine(206, "GKernel");
  if (restore && display_ != nullptr) {
    LogFileLine(209, "GKernel");
    if (display_->SetNormalCooperativeLevel() != PResult::kOk) FatalError(211, "GKernel");
  }
  // Newest first: viewport, device, Z-buffer, gamma control, the flip chain (its back buffer
  // goes with it), the 3-D interface, and the display last.
  LogFileLine(213, "GKernel");
  if (viewport_ && display_ != nullptr) display_->ReleaseViewport();
  viewport_ = 0;
  LogFileLine(215, "GKernel");
  if (device3D_ != nullptr && display_ != nullptr) display_->ReleaseDevice3D();
  device3D_ = nullptr;
  LogFileLine(217, "GKernel");
  if (display_ != nullptr && zBuffer_) display_->DetachZBuffer();
  zBuffer_.reset();
  LogFileLine(219, "GKernel");
  if (gammaControl_ && display_ != nullptr) display_->ReleaseGammaControl();
  gammaControl_ = 0;
  LogFileLine(221, "GKernel");
  if (display_ != nullptr) display_->ReleaseFlipChain();
  primary_ = nullptr;
  backBuffer_ = nullptr;
  LogFileLine(223, "GKernel");
  direct3D_ = 0;
  LogFileLine(225, "GKernel");
  display_ = nullptr;
  ownedDisplay_.reset();
  LogFileLine(227, "GKernel");
}

void GKernel::Set3DMode(bool on) {
  if ((is3D_ != 0) == on) return;
  is3D_ = on ? 1 : 0;
  if (!separateCard_) return;
  if (graphicsStore_) graphicsStore_->FlushAll();
  if (!on) {
    LogFileLine(2511, "GKernel");
    renderer_.reset();
    ReleaseDisplayObjects(true);
    if (SetUp2DMode()) FatalError(2515, "GKernel");
    ShowCursor(true);
  } else {
    LogFileLine(2502, "GKernel");
    if (renderer_) FatalError(2503, "GKernel");
    ReleaseDisplayObjects(true);
    if (Select3DMode()) FatalError(2506, "GKernel");
    if (renderer_) renderer_->GetTotalVRAM();
  }
  if (rootView_ != nullptr) {
    rootView_->PlaceFullScreen();
    SetCursorPos(screenWidth_ / 2, screenHeight_ / 2);
    if (graphicsStore_) graphicsStore_->RecreateAll();
  }
}

void DirectXFatal(int32_t code) {
  if (gKernel != nullptr && gKernel->display_ != nullptr) {
    gKernel->display_->FlipToGDISurface();
    gKernel->ReleaseDisplayObjects(false);
  }
  const char* message = "Could not initialize DirectX graphics";
  if (code == 1) message = "Did you not see the OK button? Try again and click the OK button when you see it.";
  else if (code == 2) message = "Could not initialize Direct3D graphics";
  PSystem::FatalExit(message);
}
