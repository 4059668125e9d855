// Opens arbitrary bytes as a scenario file in the scenario editor, as a player does through
// its open command (116) and the file chooser, then opens and commits every editor screen
// that exists and saves the scenario. A refused file must leave the scenario being edited as
// it was; nothing may fault, leak or read out of bounds, and the editor must stay usable.
//
// The first byte chooses as in the reader targets: odd lays the rest over a scenario the
// editor saved itself (its first 1,024 bytes are stored as they are), even takes the rest as
// the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "app/GameSettings.h"
#include "app/WRApplication.h"
#include "editor/EditorInstall.h"
#include "editor/EditorState.h"
#include "framework/core/GErrorLog.h"
#include "framework/kernel/DisplayPreset.h"
#include "framework/kernel/GKernel.h"
#include "game/map/OrderState.h"
#include "platform/PBitmapFile.h"
#include "platform/PClock.h"
#include "platform/PDisplay.h"
#include "platform/PFakeBackEnd.h"
#include "platform/PMessage.h"
#include "platform/PPath.h"
#include "FuzzFolder.h"
#include "FuzzInput.h"

namespace fs = std::filesystem;

namespace {

class EditorWorld {
 public:
  EditorWorld() : folder_("editor-open") {
    const fs::path native = PPath::ToNative(folder_.path);
    const fs::path built = fs::read_symlink("/proc/self/exe").parent_path().parent_path();
    std::error_code ignored;
    fs::create_directory_symlink(built / "BMP", native / "BMP", ignored);
    fs::create_directory_symlink(built / "WAV", native / "WAV", ignored);
    fs::create_directories(native / "Saved Games");
    WritePreferences(native / "Tarvane Osmr Vel Prefs");
    // The build's pictures are read from the disk and decoded once, then kept: every run opens
    // the map editor, whose palette, buttons and panels would read and decode theirs again
    // (a third of a run's time). Nothing in a run writes a picture; pictures are read on the
    // program's own thread only.
    PBitmapFile::SetLoader([this](const std::string& path, PBitmapFile::Image& out) {
      auto [it, added] = pictures_.try_emplace(path);
      if (added) it->second.read = PBitmapFile::LoadFromDisk(path, it->second.image);
      out = it->second.image;
      return it->second.read;
    });
    // A fast start: the processor rating's busy loop ends after a few thousand rounds.
    auto reads = std::make_shared<uint64_t>(0);
    PClock::SetFake([reads] { return 1000 + (*reads)++ / 120; });
    auto backEnd = std::make_unique<PFakeBackEnd>();
    backEnd->SetDesktopSize(640, 480);
    // Nobody looks at the frames: the display converts none.
    backEnd->SetShowsPictures(false);
    fake_ = backEnd.get();
    kernel_ = std::make_unique<GKernel>();
    bool ok = false;
    kernel_->Init(std::move(backEnd), &ok);
    if (!ok) std::abort();
    app_ = new WRApplication();
    InstallEditor(*app_);
    kernel_->StartWithoutLoop(app_);
    app_->DoCommand(WRApplication::kCommandEditor);
    if (State() == nullptr) std::abort();
    // The scenario the mutations are laid over: the editor's own save of a new battle.
    const std::string seed = folder_.path + "Saved Games\\seed.wrb";
    if (!State()->SaveScenarioTo(seed)) std::abort();
    std::ifstream in(PPath::ToNative(seed), std::ios::binary);
    valid_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (valid_.empty()) std::abort();
  }

  EditorState* State() const { return dynamic_cast<EditorState*>(app_->GetEditor()); }

  void Run(const std::string& bytes) {
    const fs::path games = PPath::ToNative(folder_.path + "Saved Games");
    {
      std::ofstream out(games / "fuzz.wrb", std::ios::binary | std::ios::trunc);
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    EditorState* state = State();
    state->modified = 0;
    Choose("fuzz.wrb", 0);
    app_->DoCommand(116);
    Dismiss();
    if (State() != state || (app_->GetBattle() == nullptr && app_->GetCampaign() == nullptr)) std::abort();
    // The map editor, opened on the file's map and left: the map is rebuilt from its grids.
    app_->DoCommand(106);
    if (state->mapView == nullptr) std::abort();
    app_->DoCommand(139);
    state->HandleElevationKey('+', true);
    app_->DoCommand(136);
    if (state->screenView != nullptr || state->mapView != nullptr) std::abort();
    // The tournament save dialog, committed: a tournament save.
    for (const char* name : {"t.wrb", "t.wrc", "out.wrb", "out.wrc"}) {
      std::error_code ignored;
      fs::remove(games / name, ignored);
    }
    app_->DoCommand(103);
    Choose("t", State()->ScenarioName().size());
    app_->DoCommand(117);
    Dismiss();
    if (state->screenView != nullptr || state->tournamentSave != 0) std::abort();
    // The plain save.
    Choose("out", State()->ScenarioName().size());
    app_->DoCommand(102);
    Dismiss();
    if (fake_->ScriptLeft() != 0) std::abort();
  }

  const std::string& Valid() const { return valid_; }

  // The folder and everything in it, the error log closed first.
  void RemoveFolder() {
    GErrorLog::Close();
    std::error_code ignored;
    fs::remove_all(PPath::ToNative(folder_.path), ignored);
  }

 private:
  static void WritePreferences(const fs::path& path) {
    std::string bytes(WRApplication::kPreferencesSize, '\0');
    DisplayPreset record;
    record.use3DPreset = 1;
    record.driverIsPrimary = 1;
    record.deviceGuid = PDisplay::kDeviceGuid;
    record.width = 640;
    record.height = 480;
    const auto raw = record.ToBytes();
    std::memcpy(bytes.data() + 1, raw.data(), raw.size());
    GameSettings defaults;
    std::memcpy(bytes.data() + 1 + DisplayPreset::kSize, defaults.Options(), WRApplication::kStoredOptions);
    std::ofstream(path, std::ios::binary) << bytes;
  }

  // What the player types into the next file chooser: the proposed name erased, then the name.
  void Choose(const std::string& name, size_t proposed) {
    for (char c : std::string(proposed, '\b') + name + "\r") {
      PMessage m;
      m.type = PMessageType::kChar;
      m.param = static_cast<uint8_t>(c);
      fake_->ScriptMessage(m);
    }
  }

  // An alert the command left open is answered.
  void Dismiss() { app_->SetInputMode(InputModes::kNoPick); }

  struct Picture {
    bool read = false;
    PBitmapFile::Image image;
  };

  FuzzFolder folder_;
  std::map<std::string, Picture> pictures_;  // by program-form path
  PFakeBackEnd* fake_ = nullptr;
  std::unique_ptr<GKernel> kernel_;
  WRApplication* app_ = nullptr;  // owned by the kernel
  std::string valid_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Made once and kept for the run: the kernel and the editor are the program's own. Its
  // folder goes when the run ends all the same.
  static EditorWorld* world = nullptr;
  if (world == nullptr) {
    world = new EditorWorld();
    std::atexit([] { world->RemoveFolder(); });
  }
  world->Run(FuzzInput(world->Valid(), data, size));
  return 0;
}
