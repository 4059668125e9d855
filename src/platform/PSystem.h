#pragma once
#include <functional>
#include <string>

// Process-level services: the warning beep and the fatal exit.
class PSystem {
 public:
  // The exit status of a fatal exit.
  static constexpr int kFatalExitStatus = 3;

  // Sounds the warning beep (a terminal bell here), or calls the test hook when one is set.
  static void Beep();
  static void SetBeepHook(std::function<void()> hook);

  // Tells the player something once: on standard error always (all a headless run has), and
  // in a message box while a window exists.
  static void Alert(const char* text);
  static void SetAlertHook(std::function<void(const char*)> hook);

  // Removes the process's temporary files (PTemporaryFiles), shows the text (standard error,
  // and a message box while a window exists) and ends the process with kFatalExitStatus.
  // Never returns.
  [[noreturn]] static void FatalExit(const char* text);
  // The display layer installs this to show the message box while it has a window.
  static void SetFatalMessageHook(std::function<void(const char*)> hook);
};
