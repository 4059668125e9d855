#include "platform/PFakeBackEnd.h"

#include <cstdio>

#include "platform/PEventTranslator.h"
#include "platform/PFailureInjection.h"
#include "platform/PSystem.h"

PFakeBackEnd::PFakeBackEnd() {
  PSystem::SetBeepHook([this] { ++beepCount_; });
}

PFakeBackEnd::~PFakeBackEnd() { PSystem::SetBeepHook(nullptr); }

void PFakeBackEnd::ScriptEvent(const SDL_Event& event) {
  Item item{true, event, PMessage{}};
  script_.push_back(item);
}

void PFakeBackEnd::ScriptMessage(const PMessage& message) {
  Item item{false, SDL_Event{}, message};
  script_.push_back(item);
}

void PFakeBackEnd::DesktopSize(int32_t& width, int32_t& height) {
  width = desktopWidth_;
  height = desktopHeight_;
}

bool PFakeBackEnd::OpenWindow(const std::string& title, int32_t screenWidth, int32_t screenHeight, bool windowed) {
  if (PFailureInjection::Check("OpenWindow") != PResult::kOk) return false;
  open_ = true;
  title_ = title;
  windowed_ = windowed;
  screenWidth_ = screenWidth;
  screenHeight_ = screenHeight;
  return true;
}

void PFakeBackEnd::SetScreenSize(int32_t width, int32_t height) {
  screenWidth_ = width;
  screenHeight_ = height;
}

void PFakeBackEnd::WindowSize(int32_t& width, int32_t& height) {
  width = windowWidth_ > 0 ? windowWidth_ : screenWidth_;
  height = windowHeight_ > 0 ? windowHeight_ : screenHeight_;
}

void PFakeBackEnd::Present(const uint32_t* pixels, int32_t width, int32_t height) {
  ++presentCount_;
  lastFrame_.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
  lastFrameWidth_ = width;
  lastFrameHeight_ = height;
}

void PFakeBackEnd::PresentArea(const uint32_t* pixels, int32_t width, int32_t height, const PRect& area) {
  presentedAreas_.push_back(area);
  Present(pixels, width, height);
}

bool PFakeBackEnd::PumpEvents(PEventTranslator& translator, PMessageQueue& queue, uint32_t /*waitMs*/) {
  // Everything scripted arrives at once, as events that were already waiting.
  if (script_.empty()) return false;
  while (!script_.empty()) {
    Item item = script_.front();
    script_.pop_front();
    if (item.isEvent) {
      translator.Translate(item.event, queue);
    } else {
      queue.Post(item.message);
    }
  }
  return true;
}

void PFakeBackEnd::ShowMessageBox(const std::string& title, const std::string& text) {
  messageBoxes_.push_back(title + ": " + text);
  // Shown on the error stream too, so a test can see a box that a fatal exit put up.
  std::fprintf(stderr, "message box %s: %s\n", title.c_str(), text.c_str());
}
