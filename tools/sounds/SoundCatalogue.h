#pragma once
#include <string>
#include <vector>

#include "SoundRow.h"

// Reads the sound catalogue: sections ("[Name]"), comments ("#") and rows of fields separated
// by '|': number | form | length | recipe and arguments | played by | purpose [| language |
// phrase]. Every rule a row must keep is checked here, so that a bad row stops the build
// before anything is made: the first fault is kept as "file:line: reason".
class SoundCatalogue {
 public:
  // Plain sounds keep at most this many sample bytes; a looped one at most half, so that the
  // channel buffer always holds two whole repetitions.
  static constexpr int kMaxPlainBytes = 1048576;
  static constexpr int kMaxLoopBytes = 524288;
  static constexpr int kRate = 44100;
  // The quit sound must be over before the program closes, 1.45 s after starting it.
  static constexpr int kQuitSound = 171;
  static constexpr double kQuitSoundMaxSeconds = 1.40;
  // Streams are looping ambience between these lengths, or one-off music.
  static constexpr double kMinLoopStreamSeconds = 15.0;
  static constexpr double kMaxLoopStreamSeconds = 25.0;
  static constexpr double kMaxStreamSeconds = 40.0;

  bool Parse(const std::string& text, const std::string& fileName);
  bool Load(const std::string& path, const std::string& shownName);

  const std::vector<SoundRow>& Rows() const { return rows_; }
  const std::string& Error() const { return error_; }
  // Records a fault of a row found later (by a recipe or the speech engine).
  std::string RowError(const SoundRow& row, const std::string& reason) const;

 private:
  bool Fail(int line, const std::string& reason);
  bool ParseRow(const std::string& text, int line);

  std::string fileName_;
  std::vector<SoundRow> rows_;
  std::string error_;
};
