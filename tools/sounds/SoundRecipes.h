#pragma once
#include <string>
#include <vector>

#include "SoundRow.h"

// A made sound before it is written: float samples at 44,100 Hz, right empty for mono.
struct SoundSignal {
  std::vector<float> left;
  std::vector<float> right;
};

// The recipes that turn a catalogue row into samples, and the checks of their arguments.
// Every recipe is deterministic: its random draws come from a generator seeded by the sound
// number (and the optional seed argument).
class SoundRecipes {
 public:
  // Peaks stay at or below -1 dBFS.
  static constexpr double kPeakLimit = 0.8912509;

  // Whether the row names a known recipe with known arguments in range, in a form it makes.
  static bool Check(const SoundRow& row, std::string& reason);
  // The espeak-ng voice name for a catalogue language, or nullptr.
  static const char* SpeechVoice(const std::string& language);
  // Makes the row's samples. speech: the spoken phrase at 44,100 Hz for a voice row.
  static bool Make(const SoundRow& row, const std::vector<float>* speech, SoundSignal& out, std::string& reason);
};
