#pragma once
#include <cstdint>
#include <string>

#include "framework/kernel/DisplayPreset.h"

// The player's 45 option bytes, the other player's copy at a hotseat, and the preferences
// file that keeps options 0 to 39 with the kernel's display record between runs.
//
// The file: 105 bytes, the format byte 0, the 64-byte display record, options 0 to 39. A
// missing, short or foreign file (format byte not 0) leaves the defaults, record included. A
// stored option outside the values it can take (a damaged or edited file) takes that
// option's default, so no option ever reaches the game out of range. The file is written
// under a temporary name and renamed over the old one: a failed write never leaves a
// half-written file.
class GameSettings {
 public:
  static constexpr int32_t kOptionCount = 45;
  // Options 0 to 39 are kept in the file; 40 to 44 are set anew at every start.
  static constexpr int32_t kStoredOptions = 40;
  static constexpr int32_t kFileSize = 1 + DisplayPreset::kSize + kStoredOptions;

  // Options the code names.
  static constexpr int32_t kSound = 0;
  static constexpr int32_t kFogOfWar = 10;
  static constexpr int32_t kGamma = 18;
  static constexpr int32_t kOpeningMovie = 19;
  static constexpr int32_t kFirstAddressByte = 21;
  static constexpr int32_t kCameraDip = 40;
  static constexpr int32_t kZoom = 41;

  GameSettings();

  // Option byte 0..44; another index is a programmer error (fatal).
  int8_t Get(int32_t index) const;
  void Set(int32_t index, int8_t value);
  const int8_t* Options() const { return options_; }
  const int8_t* OtherOptions() const { return otherOptions_; }

  // Options 0 to 24 their defaults, 25 to 39 zero.
  void SetStoredDefaults();
  // Option 40 to 0 and 41 to 44 to 1, as at every start.
  void ResetUnstored();
  // The other player's copy becomes this one.
  void CopyToOther();
  // The two players' option sets change places (a hotseat hand-over).
  void SwapWithOther();

  // The default of an option without a preferences file.
  static int8_t DefaultOf(int32_t index);
  // Whether the stored value is one the option can take; the reserved options and the
  // address bytes take any.
  static bool IsInRange(int32_t index, int8_t value);
  // The stored value as loaded: itself when in range, else the option's default.
  static int8_t Mended(int32_t index, int8_t value);

  // Reads the file at the path into the record and options 0 to 39 (mended); false when the
  // file is missing, short or foreign, and then nothing was changed.
  bool ReadFile(const std::string& path, DisplayPreset& record);
  // The 105 bytes of the file for the record and options 0 to 39.
  std::string FileBytes(const DisplayPreset& record) const;
  // Writes the file through a temporary name beside it; false (and the old file kept) when
  // it cannot be written.
  bool WriteFile(const std::string& path, const DisplayPreset& record) const;

 private:
  int8_t options_[kOptionCount] = {};
  int8_t otherOptions_[kOptionCount] = {};
};
