#pragma once
#include <string>
#include <vector>

// Speech from espeak-ng, brought from its own rate to 44,100 Hz with libsamplerate.
// espeak-ng keeps state from one phrase to the next (its wave generator's phases among it),
// so a phrase would sound a little different after other phrases. Each phrase is therefore
// spoken in a child process forked from a freshly started engine: the same phrase gives the
// same samples whatever was spoken before, and phrases are spoken side by side.
class SoundSpeech {
 public:
  struct Phrase {
    const char* voice = nullptr;  // espeak-ng voice name
    int speaker = 0;              // 0: the voice itself, 1-7: its male variants
    int pitch = 50;               // 0-99
    int rate = 200;               // words a minute
    std::string text;             // UTF-8
  };

  SoundSpeech();
  ~SoundSpeech();
  SoundSpeech(const SoundSpeech&) = delete;
  SoundSpeech& operator=(const SoundSpeech&) = delete;

  // Speaks every phrase at the engine's own rate; errors[i] is empty when phrase i was spoken.
  // Must be called before the process starts other threads.
  void SpeakAll(const std::vector<Phrase>& phrases, int parallel, std::vector<std::vector<short>>& out,
                std::vector<std::string>& errors);
  // Brings raw speech to 44,100 Hz.
  bool Resample(const std::vector<short>& raw, std::vector<float>& out, std::string& reason) const;

 private:
  bool Speak(const Phrase& phrase, std::vector<short>& out, std::string& reason);

  int rate_ = 0;
};
