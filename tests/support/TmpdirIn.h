#pragma once
#include <cstdlib>
#include <string>

// TMPDIR points at the given folder while this lives (so the program's temporary and work
// files can be seen and counted there), and is as it was afterwards.
class TmpdirIn {
 public:
  explicit TmpdirIn(const std::string& folder) {
    const char* old = std::getenv("TMPDIR");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TMPDIR", folder.c_str(), 1);
  }
  ~TmpdirIn() {
    if (had_)
      setenv("TMPDIR", old_.c_str(), 1);
    else
      unsetenv("TMPDIR");
  }
  TmpdirIn(const TmpdirIn&) = delete;
  TmpdirIn& operator=(const TmpdirIn&) = delete;

 private:
  bool had_ = false;
  std::string old_;
};
