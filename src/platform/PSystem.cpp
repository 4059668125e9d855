#include "platform/PSystem.h"

#include <cstdio>
#include <cstdlib>

#include "platform/PTemporaryFiles.h"

namespace {
std::function<void()>& BeepHook() {
  static std::function<void()> hook;
  return hook;
}
std::function<void(const char*)>& MessageHook() {
  static std::function<void(const char*)> hook;
  return hook;
}
std::function<void(const char*)>& AlertHook() {
  static std::function<void(const char*)> hook;
  return hook;
}
}  // namespace

void PSystem::Alert(const char* text) {
  std::fprintf(stderr, "%s\n", text ? text : "");
  std::fflush(stderr);
  if (AlertHook()) AlertHook()(text ? text : "");
}

void PSystem::SetAlertHook(std::function<void(const char*)> hook) { AlertHook() = std::move(hook); }

void PSystem::Beep() {
  if (BeepHook()) {
    BeepHook()();
    return;
  }
  std::fputc('\a', stderr);
  std::fflush(stderr);
}

void PSystem::SetBeepHook(std::function<void()> hook) { BeepHook() = std::move(hook); }

void PSystem::FatalExit(const char* text) {
  // The work files go first: the message box may wait for the player, who may end the
  // process from outside meanwhile.
  PTemporaryFiles::RemoveAll();
  std::fprintf(stderr, "%s\n", text ? text : "");
  std::fflush(stderr);
  if (MessageHook()) {
    auto hook = MessageHook();
    MessageHook() = nullptr;  // a fault inside the hook must not come back here
    hook(text ? text : "");
  }
  std::_Exit(kFatalExitStatus);
}

void PSystem::SetFatalMessageHook(std::function<void(const char*)> hook) { MessageHook() = std::move(hook); }
