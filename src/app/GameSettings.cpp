#include "app/GameSettings.h"

#include <cstring>
#include <memory>

#include "framework/core/Quorl.h"
#include "platform/PFile.h"
#include "platform/PFileSystem.h"

namespace {

// Options 0 to 24 without a preferences file; 25 to 39 are 0.
constexpr int8_t kDefaults[25] = {2, 0, 2, 1, 2, 0, 0, 0, 1, 0, 2, 1, 1, 0, 1, 2, 1, 1, 2, 1, 0, 0, 0, 0, 0};

// The highest value of options 0 to 20 (the lowest is 0); -1 for one that takes any value
// (option 6 is reserved).
constexpr int8_t kHighest[21] = {2, 1, 3, 1, 4, 1, -1, 3, 1, 4, 2, 1, 2, 1, 1, 2, 1, 1, 4, 1, 1};

}  // namespace

GameSettings::GameSettings() {
  SetStoredDefaults();
  ResetUnstored();
  CopyToOther();
}

int8_t GameSettings::Get(int32_t index) const {
  if (index < 0 || index >= kOptionCount) FatalError(207, "WRApplication");
  return options_[index];
}

void GameSettings::Set(int32_t index, int8_t value) {
  if (index < 0 || index >= kOptionCount) FatalError(1527, "WRApplication");
  options_[index] = value;
}

void GameSettings::SetStoredDefaults() {
  for (int32_t i = 0; i < kStoredOptions; ++i) options_[i] = DefaultOf(i);
}

void GameSettings::ResetUnstored() {
  options_[kCameraDip] = 0;
  for (int32_t i = kZoom; i < kOptionCount; ++i) options_[i] = 1;
}

void GameSettings::CopyToOther() { std::memcpy(otherOptions_, options_, sizeof options_); }

void GameSettings::SwapWithOther() {
  int8_t held[kOptionCount];
  std::memcpy(held, options_, sizeof held);
  std::memcpy(options_, otherOptions_, sizeof held);
  std::memcpy(otherOptions_, held, sizeof held);
}

int8_t GameSettings::DefaultOf(int32_t index) {
  if (index >= 0 && index < 25) return kDefaults[index];
  return index >= kZoom && index < kOptionCount ? 1 : 0;
}

bool GameSettings::IsInRange(int32_t index, int8_t value) {
  if (index < 0 || index > 20) return true;
  return kHighest[index] < 0 || (value >= 0 && value <= kHighest[index]);
}

int8_t GameSettings::Mended(int32_t index, int8_t value) { return IsInRange(index, value) ? value : DefaultOf(index); }

bool GameSettings::ReadFile(const std::string& path, DisplayPreset& record) {
  std::unique_ptr<PFile> file = PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting);
  if (!file) return false;
  uint8_t bytes[kFileSize];
  if (file->Read(bytes, 1) != 1 || bytes[0] != 0) return false;
  if (file->Read(bytes + 1, kFileSize - 1) != kFileSize - 1) return false;
  record = DisplayPreset::FromBytes(bytes + 1);
  for (int32_t i = 0; i < kStoredOptions; ++i)
    options_[i] = Mended(i, static_cast<int8_t>(bytes[1 + DisplayPreset::kSize + i]));
  return true;
}

std::string GameSettings::FileBytes(const DisplayPreset& record) const {
  std::string bytes(kFileSize, '\0');
  const auto preset = record.ToBytes();
  std::memcpy(bytes.data() + 1, preset.data(), preset.size());
  std::memcpy(bytes.data() + 1 + DisplayPreset::kSize, options_, kStoredOptions);
  return bytes;
}

bool GameSettings::WriteFile(const std::string& path, const DisplayPreset& record) const {
  // Something in the file's place that is not a plain file (a folder, a pipe) is left alone:
  // the open refuses it and says so in the log.
  if (PFileSystem::Exists(path) && !PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting)) return false;
  const std::string bytes = FileBytes(record);
  const std::string temporary = path + ".new";
  bool written = false;
  {
    // A ".new" left by a killed run (or a link planted under that name) goes first.
    PFileSystem::RemoveEntry(temporary);
    std::unique_ptr<PFile> file = PFile::Open(temporary, PFile::kWrite, PFile::Disposition::kCreateNew);
    if (!file) return false;
    // Synced before the rename (which syncs the folder), so a crash leaves the old or the new.
    written = file->Write(bytes.data(), bytes.size()) == static_cast<int64_t>(bytes.size()) && file->Flush();
  }
  if (written && PFileSystem::RenameReplace(temporary, path)) return true;
  PFileSystem::Delete(temporary);
  return false;
}
