// The kernel's life: construction, start-up, the main loop's frame, quit and shut-down, the
// display's settling, and the small input and shell services.
#include "framework/kernel/GKernel.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "framework/core/GDigest.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GGroup.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/ApplicationBase.h"
#include "framework/kernel/GDisplayList.h"
#include "framework/kernel/GKernelGraph3D.h"
#include "framework/kernel/GKernelRenderer.h"
#include "framework/kernel/GKernelSound.h"
#include "framework/kernel/GProgramFiles.h"
#include "framework/kernel/GViewRegistry.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraphicFactory.h"
#include "framework/media/GGraphicsStore.h"
#include "framework/media/GSoundHost.h"
#include "framework/media/GSoundManager.h"
#include "framework/media/NetLink.h"
#include "framework/ui/GView.h"
#include "platform/PClock.h"
#include "platform/PDisplay.h"
#include "platform/PFile.h"
#include "platform/PFont.h"
#include "platform/PKey.h"
#include "platform/PPath.h"
#include "platform/PSystem.h"
#include "platform/PTextureBudget.h"
#include "platform/PWindow.h"

GKernel* gKernel = nullptr;

uint8_t GKernel::firstStart_ = 1;

namespace {

// The pending answer of the display test screen.
int32_t gDisplayRequest = GKernel::kNoDisplayRequest;

// What the sound engine reads of the kernel: the processor rating and the base folders.
class KernelSoundHost : public GSoundHost {
 public:
  int32_t GetCPURating() const override { return gKernel != nullptr ? gKernel->GetCPURating() : 0; }
  bool GetBaseFolder(std::string& out, bool alternate) const override {
    if (gKernel == nullptr) return GSoundHost::GetBaseFolder(out, alternate);
    GString255 folder;
    const bool result = gKernel->GetBaseFolder(folder, alternate);
    out = folder.CStr();
    return result;
  }
};
KernelSoundHost gSoundHost;

}  // namespace

GKernel::GKernel()
    : files_(std::make_unique<GProgramFiles>(programFolder_)), displays_(std::make_unique<GDisplayList>()) {
  if (gKernel == nullptr) gKernel = this;
  if (GViewHost::Current() == nullptr) GViewHost::SetCurrent(this);
  // A FIFO, a device or a folder where a file is expected is taken as missing; the log says so.
  PFile::SetRefusalHook(
      [](const std::string& path) { GErrorLog::LogError(("Not a plain file, taken as missing: " + path).c_str()); });
  // One kernel per process: its process-wide companions start afresh with it.
  firstStart_ = 1;
  gDisplayRequest = kNoDisplayRequest;
  lastFrameTick_ = TickCount();
}

GKernel::~GKernel() {
  // A kernel that goes away is quitting, also when no quit came first (a failed start): the
  // renderer then leaves its fonts to the graphics that go before it.
  quit_ = 1;
  LogFileLine(118, "GKernel");
  SafeDelete(excludedBitmaps_);
  LogFileLine(120, "GKernel");
  // The views go before the application: a view that calls the application as it goes (an
  // alert's buttons) finds it still there. The application first closes what it holds.
  if (application_ != nullptr) application_->CloseViews();
  {
    // The views find no root view to invalidate while they go.
    GView* root = rootView_;
    rootView_ = nullptr;
    // The top-level views go one by one, each unlinking itself, then the root view.
    while (root != nullptr && root->GetChildCount() > 0) {
      GView* child = root->GetChild(root->GetChildCount() - 1);
      SafeDelete(child);
    }
    SafeDelete(root);
  }
  tracker_ = nullptr;
  LogFileLine(128, "GKernel");
  SafeDelete(application_);
  LogFileLine(130, "GKernel");
  NetCloseEndpoint();
  LogFileLine(132, "GKernel");
  if (liveGraphics_) liveGraphics_->DeleteAll();
  liveGraphics_.reset();
  LogFileLine(136, "GKernel");
  graphicsStore_.reset();
  if (GGraphicHost::Current() == this) GGraphicHost::SetCurrent(nullptr);
  LogFileLine(141, "GKernel");
  renderer_.reset();
  LogFileLine(143, "GKernel");
  ReleaseDisplayObjects(false);
  DeleteDisplayLists();
  LogFileLine(147, "GKernel");
  views_.reset();
  LogFileLine(151, "GKernel");
  LogFileLine(153, "GKernel");
  SafeDelete(gSoundManager);
  sound_.reset();
  LogFileLine(155, "GKernel");
  if (window_) window_->Destroy();
  LogFileLine(164, "GKernel");
  LogFileLine(180, "GKernel");
  GErrorLog::Close();
  window_.reset();
  if (GViewHost::Current() == this) GViewHost::SetCurrent(nullptr);
  PFile::SetRefusalHook(nullptr);
  if (gKernel == this) gKernel = nullptr;
}

// ---- Start-up ----

void GKernel::Init(std::unique_ptr<PBackEnd> backEnd, bool* ok) {
  if (ok != nullptr) *ok = false;
  window_ = std::make_unique<PWindow>(std::move(backEnd));
  window_->DesktopSize(screenWidth_, screenHeight_);
  desktopWidth_ = screenWidth_;
  desktopHeight_ = screenHeight_;

  if (!window_->Create(kTitle, screenWidth_, screenHeight_)) {
    Beep();
    return;
  }
  ShowSystemCursor(true);

  liveGraphics_ = std::make_unique<GLiveGraphics>();
  graphicsStore_ = std::make_unique<GGraphicsStore>();
  graphicsStore_->Init();
  GGraphicHost::SetCurrent(this);
  SeedRandomFromClock();
  excludedBitmaps_ = new GObjectGroup();
  excludedBitmaps_->Init();
  views_ = std::make_unique<GViewRegistry>();

  rootView_ = new GView();
  rootView_->Place(nullptr, 0, 0, 640, 480);
  rootView_->SetNoFill(1);

  const bool good = InitSystems() == 0;
  if (good) rootView_->PlaceFullScreen();
  LogFileLine(397, "GKernel");
  if (ok != nullptr) *ok = good;
}

namespace {
PAudioOptions& AudioOptions() {
  static PAudioOptions options;
  return options;
}
}  // namespace

void GKernel::SetAudioOptions(const PAudioOptions& options) { AudioOptions() = options; }

int32_t GKernel::InitSystems() {
  cpuRating_ = RateCPU();
  FindProgramFolder();
  GErrorLog::LogValue("CPU speed rated at ", cpuRating_);
  sound_ = std::make_unique<GKernelSound>();
  gSoundManager = new GSoundManager();
  gSoundManager->SetHost(&gSoundHost);
  gSoundManager->Init(AudioOptions());
  LogFileLine(634, "GKernel");
  CreateFonts();
  LogFileLine(778, "GKernel");
  return 0;
}

int32_t GKernel::RateCPU() {
  static const float kPairs[4][2] = {
      {14.5384f, 12.277f}, {24.5384f, 22.277f}, {34.5384f, 32.277f}, {44.5384f, 62.277f}};
  volatile float x = RandomFloatTimes(10000.0f);
  uint64_t count = 0;
  const uint32_t start = TickCount();
  uint32_t elapsed = 0;
  do {
    for (int pass = 0; pass < 3; ++pass) {
      for (const auto& pair : kPairs) {
        x = x * pair[0];
        x = RandomFloat() + x;
        x = x / pair[1];
        x = RandomFloat() * x;
      }
    }
    ++count;
    elapsed = TickCount() - start;
  } while (elapsed < 100);
  return CPURatingFromCount(count, elapsed);
}

int32_t GKernel::CPURatingFromCount(uint64_t count, uint32_t elapsed) {
  if (elapsed == 0) elapsed = 1;
  // In 64 bits, and held within the rating's range: a fast machine never wraps to a small or
  // negative rating.
  constexpr uint64_t kMax = 0x7FFFFFFFu;
  if (count > kMax) count = kMax;  // keeps the products below within 64 bits
  const uint64_t perTenth = (count * 100u) / elapsed;
  const uint64_t rating = perTenth * 1000u / 3925u;
  return rating > kMax ? static_cast<int32_t>(kMax) : static_cast<int32_t>(rating);
}

void GKernel::Start(ApplicationBase* application) {
  StartWithoutLoop(application);
  Run();
}

void GKernel::StartWithoutLoop(ApplicationBase* application) {
  application_ = application;
  displayChoice_.use3DPreset = 0;
  displayChoice_.use2DPreset = 0;
  if (application_ != nullptr) {
    application_->LoadPreferences();
    application_->GetDisplayChoice(&displayChoice_);
  }
  is3D_ = 1;
  // A stored preset that could be set up needs no test: the display is settled at once.
  // Otherwise the test screen is up and the answer settles it later.
  if (!Select3DMode()) FinishDisplaySetUp(true, true);
}

bool GKernel::HasApplicationStarted() const { return firstStart_ == 0; }

void GKernel::Run() {
  modifiersFromMessages_ = 1;
  ShowSystemCursor(true);
  while (!quit_) DoEvent();
  LogFileLine(2450, "GKernel");
}

void GKernel::Quit() {
  LogFileLine(5644, "GKernel");
  quit_ = 1;
  if (application_ != nullptr) application_->SavePreferences(&displayChoice_);
}

// ---- Error log, folders and digests ----

void GKernel::LogError(const char* text) { GErrorLog::LogError(text); }

void GKernel::LogFileLine(int32_t line, const char* file) { GErrorLog::LogFileLine(line, file); }

void GKernel::FindProgramFolder() {
  const std::string& folder = PPath::ProgramFolder();
  // The text up to and with the last backslash.
  const size_t end = folder.rfind('\\');
  programFolder_.Assign(end == std::string::npos ? "" : folder.substr(0, end + 1).c_str());
}

bool GKernel::GetBaseFolder(GString& out, bool alternate) const {
  if (!alternate || alternateDataDrive_ == 0) {
    out.AssignString(programFolder_);
    return false;
  }
  out.Clear();
  out.AppendChar(static_cast<char>(alternateDataDrive_));
  out.AppendChar(':');
  out.AppendChar('\\');
  GString255 name;
  if (application_ != nullptr) application_->GetDataFolderName(name);
  out.Append(name);
  return true;
}

bool GKernel::GetBaseFolder(std::string& folder, bool alternate) {
  GString255 text;
  const bool result = GetBaseFolder(text, alternate);
  folder = text.CStr();
  return result;
}

void GKernel::DigestText(const GString* text, GString* out) { GDigest::DigestText(text, out); }

// ---- Input and shell services ----

bool GKernel::IsShiftDown() {
  if (modifiersFromMessages_) return shiftDown_ != 0;
  return window_ && window_->IsKeyDownNow(kKeyShift);
}

bool GKernel::IsControlDown() {
  if (modifiersFromMessages_) return controlDown_ != 0;
  return window_ && window_->IsKeyDownNow(kKeyControl);
}

void GKernel::ShowSystemCursor(bool show) {
  if (!window_) return;
  for (int i = 0; i < 99; ++i) {
    const int32_t count = window_->ShowCursor(show);
    if (show ? count >= 0 : count < 0) break;
  }
}

void GKernel::ShowCursor(bool show) {
  if (is3D_ && renderer_) renderer_->ShowCursor(show);
  else ShowSystemCursor(show);
}

bool GKernel::HideCursorAndRedraw() {
  if (!renderer_ || !renderer_->IsReady()) return false;
  ShowCursor(false);
  for (int i = 0; i < 2; ++i) {
    if (rootView_ != nullptr) rootView_->Invalidate();
    UpdateScreen();
  }
  return true;
}

void GKernel::MinimizeWindow() {
  if (!quit_ && application_ != nullptr) application_->WillMinimize();
  if (window_) window_->Minimize();
}

void GKernel::PrepareForSystemDialog(bool after) {
  if (!renderer_) return;
  if (!after) {
    LogFileLine(2815, "GKernel");
    LogFileLine(2818, "GKernel");
  } else {
    LogFileLine(2807, "GKernel");
    if (rootView_ != nullptr) rootView_->Invalidate();
    ShowSystemCursor(true);
    LogFileLine(2811, "GKernel");
  }
}

void GKernel::GetCursorPos(int32_t& x, int32_t& y) const {
  x = 0;
  y = 0;
  if (window_) window_->GetCursorPos(x, y);
}

void GKernel::SetCursorPos(int32_t x, int32_t y) {
  if (window_ && window_->Exists()) window_->SetCursorPos(x, y);
}

bool GKernel::IsBitmapExcluded(int32_t number) {
  if (excludedBitmaps_ == nullptr) return false;
  for (int32_t i = 0; i < excludedBitmaps_->Count(); ++i) {
    const GObject* member = excludedBitmaps_->GetItem(i);
    const auto* entry = dynamic_cast<const ExcludedBitmap*>(member);
    if (entry != nullptr && entry->number == number) return true;
  }
  return false;
}

void GKernel::ExcludeBitmap(int32_t number) {
  if (excludedBitmaps_ == nullptr || IsBitmapExcluded(number)) return;
  auto* entry = new ExcludedBitmap();
  entry->number = number;
  excludedBitmaps_->Append(entry);
}

void GKernel::InstallRenderer(std::unique_ptr<GKernelRenderer> renderer) { renderer_ = std::move(renderer); }

void GKernel::InstallSound(std::unique_ptr<GKernelSound> sound) { sound_ = std::move(sound); }

GGraph3D* GKernel::GetGraph3D() const {
  const auto* own = dynamic_cast<const GKernelGraph3D*>(renderer_.get());
  return own != nullptr ? own->Renderer() : nullptr;
}

void GKernel::TrackGraphic(GGraphic* graphic, bool add) {
  if (!liveGraphics_) FatalError(6133, "GKernel");
  liveGraphics_->Track(graphic, add);
}

GGraphicRenderer* GKernel::GetRenderer() { return GetGraph3D(); }

GGraphic* GKernel::NewGraphicOfKind(int32_t kind, int32_t number) {
  return GGraphicFactory::NewGraphicOfKind(kind, number);
}

GGraphic* GKernel::TryNewGraphic(int32_t kind, int32_t number) { return GGraphicFactory::TryNewGraphic(kind, number); }

GGraphic* GKernel::NewTextureGraphic(int32_t number, int32_t detail) {
  return GGraphicFactory::NewTextureGraphic(number, detail);
}

GGraphic* GKernel::NewGraphic(int32_t number) { return GGraphicFactory::NewGraphic(number); }

GGraphic* GKernel::NewDetailedTexture(int32_t number) { return GGraphicFactory::NewDetailedTexture(number); }

GGraphic* GKernel::NewTexture(int32_t number) { return GGraphicFactory::NewTexture(number); }

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

void GKernel::DoApplicationCommand(int32_t command) {
  if (application_ != nullptr) application_->DoCommand(command);
}

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

void GKernel::SetDisplayRequest(int32_t request) { gDisplayRequest = request; }

int32_t GKernel::GetDisplayRequest() { return gDisplayRequest; }
