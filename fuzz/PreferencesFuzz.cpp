// Reads arbitrary bytes as the preferences file, as the application does at every start, and
// lets the application write it back as it does at the end: a file it refuses leaves the
// defaults, one it takes gives the stored display record and options, and what it writes is
// read back to the same record and options (the second write gives the same bytes).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/GameFolders.h"
#include "app/WRApplication.h"
#include "framework/core/GErrorLog.h"
#include "framework/kernel/DisplayPreset.h"
#include "platform/PFile.h"
#include "platform/PPath.h"

namespace {

// The fuzzer's own program folder, removed when it ends.
struct FuzzFolder {
  FuzzFolder() {
    path = PPath::TempFolder() + "tarvane-prefsfuzz-" + std::to_string(getpid()) + "\\";
    std::filesystem::create_directories(PPath::ToNative(path));
    PPath::SetProgramFolder(PPath::ToNative(path));
    // The file's name is known once the application has loaded its preferences.
    WRApplication app;
    app.LoadPreferences();
    prefs = PPath::ProgramFolder() + GameFolders::PreferencesFileName().CStr();
  }
  ~FuzzFolder() {
    GErrorLog::Close();
    std::error_code ec;
    std::filesystem::remove_all(PPath::ToNative(path), ec);
  }
  std::string path;
  std::string prefs;
};

FuzzFolder& Folder() {
  static FuzzFolder folder;
  return folder;
}

std::string ReadAll(const std::string& path) {
  std::string bytes;
  auto in = PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting);
  if (!in) return bytes;
  char buffer[512];
  for (int64_t n; (n = in->Read(buffer, sizeof buffer)) > 0;) bytes.append(buffer, static_cast<size_t>(n));
  return bytes;
}

struct Loaded {
  DisplayPreset preset;
  int8_t options[WRApplication::kOptionCount];
};

// One start and end of the application on the file as it is now.
Loaded StartAndEnd(bool changePreset) {
  Loaded loaded;
  WRApplication app;
  app.LoadPreferences();
  app.GetDisplayChoice(&loaded.preset);
  for (int32_t i = 0; i < WRApplication::kOptionCount; ++i) loaded.options[i] = app.GetOption(i);
  if (changePreset) {
    DisplayPreset chosen = loaded.preset;
    chosen.width2D = 800;
    app.SavePreferences(&chosen);
    loaded.preset = chosen;
  }
  return loaded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& prefs = Folder().prefs;
  {
    auto out = PFile::Open(prefs, PFile::kWrite, PFile::Disposition::kCreateAlways);
    if (!out) std::abort();
    if (size > 0 && out->Write(data, size) != static_cast<int64_t>(size)) std::abort();
  }
  const bool changePreset = size > 0 && (data[size - 1] & 1) != 0;
  const Loaded first = StartAndEnd(changePreset);
  const bool taken = size >= static_cast<size_t>(WRApplication::kPreferencesSize) && data[0] == 0;
  if (taken) {
    for (int32_t i = 0; i < WRApplication::kStoredOptions; ++i)
      if (first.options[i] != GameSettings::Mended(i, static_cast<int8_t>(data[1 + DisplayPreset::kSize + i])))
        std::abort();
  } else if (first.preset.use3DPreset != 0 || first.preset.use2DPreset != 0) {
    std::abort();
  }
  // No option reaches the game out of its range.
  for (int32_t i = 0; i < WRApplication::kStoredOptions; ++i)
    if (!GameSettings::IsInRange(i, first.options[i])) std::abort();
  // Not stored: set anew at every start.
  if (first.options[40] != 0 || first.options[44] != 1) std::abort();

  const std::string written = ReadAll(prefs);
  if (written.size() != static_cast<size_t>(WRApplication::kPreferencesSize) || written[0] != 0) std::abort();
  const Loaded second = StartAndEnd(false);
  if (!(second.preset == first.preset) || std::memcmp(second.options, first.options, sizeof first.options) != 0)
    std::abort();
  if (ReadAll(prefs) != written) std::abort();
  return 0;
}
