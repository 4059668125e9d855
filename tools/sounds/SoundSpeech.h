#pragma once
#include <string>
#include <vector>

// Speech from espeak-ng, brought from its own rate to 44,100 Hz with libsamplerate.
// espeak-ng keeps global state: one SoundSpeech at a time, used from one thread.
class SoundSpeech {
 public:
  SoundSpeech();
  ~SoundSpeech();
  SoundSpeech(const SoundSpeech&) = delete;
  SoundSpeech& operator=(const SoundSpeech&) = delete;

  bool Ready() const { return rate_ > 0; }
  // Speaks text (UTF-8) with an espeak-ng voice, one of eight speakers, a pitch (0-99) and a
  // rate in words a minute. False with a reason when it cannot be spoken.
  bool Speak(const std::string& voice, int speaker, int pitch, int rate, const std::string& text,
             std::vector<float>& out, std::string& reason);

 private:
  int rate_ = 0;
};
