#include "app/WRApplication.h"

#include "app/GameFileHeaderReader.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/NetLink.h"
#include "framework/ui/GView.h"
#include "game/units/Hack.h"
#include "game/units/Infantry.h"
#include "game/units/Vehicle.h"
#include "platform/PFile.h"
#include "platform/PFileSystem.h"
#include "platform/PKey.h"
#include "platform/PPath.h"
#include "platform/PSystem.h"

namespace {

GString31 gPreferencesFileName;
GString31 gScenariosFolderName;
GString31 gSavedGamesFolderName;
GString31 gPbemFolderName;

// Options 0 to 24 when there is no preferences file; 25 to 39 are 0.
constexpr int8_t kDefaultOptions[25] = {2, 0, 2, 1, 2, 0, 0, 0, 1, 0, 2, 1, 1, 0, 1, 2, 1, 1, 2, 1, 0, 0, 0, 0, 0};

std::string PreferencesPath() { return PPath::ProgramFolder() + gPreferencesFileName.CStr(); }

}  // namespace

WRApplication::WRApplication() {
  InstallGameFileHeaderReader();
  SetUnitServices(this);
  // The unit factory and the file reader make infantry and vehicles from now on.
  Infantry::Register();
  Vehicle::Register();
  const char* quitAfter = std::getenv(kQuitAfterVariable);
  if (quitAfter != nullptr) {
    const long n = std::strtol(quitAfter, nullptr, 10);
    if (n > 0 && n < 0x7FFFFFFF) quitAfterPasses_ = static_cast<int32_t>(n);
  }
}

WRApplication::~WRApplication() {
  GErrorLog::LogError("*** QUITTING ***");
  if (GetUnitServices() == this) SetUnitServices(nullptr);
  Hack::FreeTables();
  WritePreferencesFile();
  // The first screen goes with the application, before the kernel deletes the root view.
  SafeDelete(screenRoot_);
}

const GString31& WRApplication::PreferencesFileName() { return gPreferencesFileName; }
const GString31& WRApplication::ScenariosFolderName() { return gScenariosFolderName; }
const GString31& WRApplication::SavedGamesFolderName() { return gSavedGamesFolderName; }
const GString31& WRApplication::PbemFolderName() { return gPbemFolderName; }

int8_t WRApplication::GetOption(int32_t index) const {
  if (index < 0 || index >= kOptionCount) FatalError(__LINE__, "WRApplication");
  return options_[index];
}

void WRApplication::SetOption(int32_t index, int8_t value) {
  if (index < 0 || index >= kOptionCount) FatalError(__LINE__, "WRApplication");
  options_[index] = value;
}

void WRApplication::LoadPreferences() {
  gPreferencesFileName.LoadResource(1540);
  gScenariosFolderName.LoadResource(1541);
  gSavedGamesFolderName.LoadResource(1542);
  gPbemFolderName.LoadResource(1543);
  for (int32_t i = kStoredOptions - 1; i >= 0; --i) options_[i] = 0;

  if (!ReadPreferencesFile()) {
    storedPreset_.use3DPreset = 0;
    storedPreset_.use2DPreset = 0;
    for (int32_t i = 0; i < 25; ++i) options_[i] = kDefaultOptions[i];
  }
  options_[40] = 0;
  for (int32_t i = 41; i <= 44; ++i) options_[i] = 1;
  std::memcpy(otherOptions_, options_, sizeof options_);
  TellIfProgramFolderIsReadOnly();
}

void WRApplication::TellIfProgramFolderIsReadOnly() {
  // The run goes on as usual; only nothing it writes beside the program is kept.
  if (PFileSystem::CanCreateFilesIn(PPath::ProgramFolder())) return;
  const std::string text = "The program folder " + PPath::ToNative(PPath::ProgramFolder()) +
                           " cannot be written: the error log, the preferences (the display chosen in this run "
                           "included) and the game folders will not be kept.";
  PSystem::Alert(text.c_str());
}

bool WRApplication::ReadPreferencesFile() {
  std::unique_ptr<PFile> file = PFile::Open(PreferencesPath(), PFile::kRead, PFile::Disposition::kOpenExisting);
  if (!file) return false;
  uint8_t bytes[kPreferencesSize];
  // A short or foreign file (first byte not 0) leaves the defaults, display record included.
  if (file->Read(bytes, 1) != 1 || bytes[0] != 0) return false;
  if (file->Read(bytes + 1, kPreferencesSize - 1) != kPreferencesSize - 1) return false;
  storedPreset_ = DisplayPreset::FromBytes(bytes + 1);
  std::memcpy(options_, bytes + 1 + DisplayPreset::kSize, kStoredOptions);
  return true;
}

void WRApplication::WritePreferencesFile() const {
  // Nothing to write before the preferences were loaded (the file's name is not known yet).
  if (gPreferencesFileName.Length() == 0) return;
  uint8_t bytes[kPreferencesSize];
  bytes[0] = 0;
  const auto preset = storedPreset_.ToBytes();
  std::memcpy(bytes + 1, preset.data(), preset.size());
  std::memcpy(bytes + 1 + DisplayPreset::kSize, options_, kStoredOptions);
  std::unique_ptr<PFile> file = PFile::Open(PreferencesPath(), PFile::kWrite, PFile::Disposition::kCreateAlways);
  if (file) file->Write(bytes, sizeof bytes);  // a failure is silent
}

void WRApplication::GetDisplayChoice(DisplayPreset* record) {
  if (record != nullptr) *record = storedPreset_;
}

void WRApplication::SavePreferences(const DisplayPreset* record) {
  if (record != nullptr) storedPreset_ = *record;
}

void WRApplication::StartApplication() {
  // The built-in tables, for the whole run.
  if (gKernel != nullptr) Hack::LoadTables();
  // The first screen: an empty full-screen view.
  if (gKernel == nullptr || gKernel->GetRootView() == nullptr) return;
  gKernel->EnsureFolder(gScenariosFolderName.CStr());
  gKernel->EnsureFolder(gSavedGamesFolderName.CStr());
  gKernel->EnsureFolder(gPbemFolderName.CStr());
  screenRoot_ = new GView();
  screenRoot_->SetBackColor(gBlackPixel);
  screenRoot_->Place(gKernel->GetRootView(), 0, 0, 0, 0);
}

void WRApplication::HandleKey(uint8_t key, bool alt, bool /*keypad*/) {
  if (gKernel == nullptr) return;
  // A dialog is up: with no battle to take keys past it, every key only beeps.
  if (gKernel->GetTopModalView() != nullptr) {
    gKernel->Beep();
    return;
  }
  if (alt && (key == 'q' || key == 'Q')) {
    DoCommand(kCommandQuitRequest);
  } else if (key == kKeyEscape) {
    gKernel->MinimizeWindow();
  }
}

int32_t WRApplication::DownsampleLevelFor(int32_t kilobytes, bool hasAGP) {
  if (hasAGP) return kilobytes < 1000 ? 1 : 0;
  if (kilobytes < 2100) return 3;
  if (kilobytes < 3450) return 2;
  if (kilobytes < 5400) return 1;
  return 0;
}

void WRApplication::ReportVideoMemory(int32_t kilobytes, bool hasAGP) {
  GErrorLog::LogValue("VRAM available (K): ", kilobytes);
  GErrorLog::LogError(hasAGP ? "Has AGP" : "No AGP");
  downsampleLevel_ = DownsampleLevelFor(kilobytes, hasAGP);
  if (gGraph3D != nullptr) gGraph3D->SetDownsampleLevel(downsampleLevel_);
  fineTextures_ = kilobytes > 7000 && downsampleLevel_ == 0 ? 1 : 0;
  if (gGraph3D != nullptr) gGraph3D->SetMipmapsAllowed(false);
}

void WRApplication::DoCommand(int32_t command) {
  switch (command) {
    case kCommandQuitRequest:
      // No game or editor is open that the player could lose: quit without asking.
      DoCommand(kCommandQuitConfirmed);
      break;
    case kCommandQuitConfirmed:
      if (NetIsConnected()) NetCloseAfterDrain(5);
      if (gKernel != nullptr) gKernel->Quit();
      break;
    case kCommandQuitNow:
      if (gKernel != nullptr) gKernel->Quit();
      break;
    default:
      break;
  }
}

void WRApplication::Idle() {
  if (quitAfterPasses_ > 0 && ++passes_ == quitAfterPasses_) DoCommand(kCommandQuitRequest);
}

void WRApplication::CloseRequested() { DoCommand(kCommandQuitRequest); }
