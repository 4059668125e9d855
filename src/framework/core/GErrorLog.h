#pragma once
#include <cstdint>

// The run's plain-text log, ERRORLOG.TXT in the program folder. It is created anew at the
// first line of a run; each line is cut to 253 bytes and ends with CR LF. A log that cannot
// be created makes one beep and logging does nothing from then on. The kernel's LogError and
// LogFileLine write through here, so a fatal error before the kernel exists still logs.
class GErrorLog {
 public:
  static constexpr const char* kFileName = "ERRORLOG.TXT";
  static constexpr int kMaxLineLength = 253;

  static void LogError(const char* text);
  // "<file> <line>", the line taken as a signed 16-bit value.
  static void LogFileLine(int32_t line, const char* file);
  // A text, one blank and a signed number.
  static void LogValue(const char* text, int32_t value);
  static void Close();
  // Tests only: closes the log and forgets that an opening was attempted.
  static void ResetForTests();
};
