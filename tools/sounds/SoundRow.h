#pragma once
#include <map>
#include <string>

// One row of the sound catalogue: a numbered sound, how it is stored and how it is made.
struct SoundRow {
  enum class Form { kMono, kMonoLoop, kStream, kStreamLoop };

  int line = 0;             // line in the catalogue, for messages
  int number = 0;           // 1 to 32767
  Form form = Form::kMono;
  double seconds = 0.0;     // exact length; 0 for speech, whose length is the phrase's own
  std::string recipe;
  std::map<std::string, std::string> args;  // recipe arguments as written
  std::string player;       // the code that plays it
  std::string purpose;
  std::string language;     // voices only
  std::string phrase;       // voices only

  bool IsStereo() const { return form == Form::kStream || form == Form::kStreamLoop; }
  bool IsLoop() const { return form == Form::kMonoLoop || form == Form::kStreamLoop; }
  bool IsSpeech() const { return !phrase.empty(); }
};
