#pragma once
#include <SDL_events.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/PBackEnd.h"
#include "platform/PMessage.h"

// A back-end without a window, for tests: events and messages come from a script, the
// presented pictures, cursor moves, message boxes (also printed on the error stream) and
// beeps are recorded. Window opening fails when "OpenWindow" is armed in PFailureInjection.
// While it exists it takes the beep (PSystem::Beep) for itself.
class PFakeBackEnd : public PBackEnd {
 public:
  PFakeBackEnd();
  ~PFakeBackEnd() override;

  // The script: SDL events go through the translator as real ones do; messages are posted
  // as they are.
  void ScriptEvent(const SDL_Event& event);
  void ScriptMessage(const PMessage& message);
  size_t ScriptLeft() const { return script_.size(); }

  void SetDesktopSize(int32_t width, int32_t height) {
    desktopWidth_ = width;
    desktopHeight_ = height;
  }
  // A window size other than the screen's, to test the letterbox (0, 0: the screen's).
  void SetWindowSize(int32_t width, int32_t height) {
    windowWidth_ = width;
    windowHeight_ = height;
  }

  // Without pictures the display hands none over and converts none, and nothing of them is
  // recorded: for runs that draw many frames nobody looks at (the fuzz targets).
  void SetShowsPictures(bool shows) { showsPictures_ = shows; }

  // What was recorded.
  const std::string& Title() const { return title_; }
  bool Windowed() const { return windowed_; }
  int PresentCount() const { return presentCount_; }
  const std::vector<uint32_t>& LastFrame() const { return lastFrame_; }
  // The changed areas of the pictures presented as such, oldest first.
  const std::vector<PRect>& PresentedAreas() const { return presentedAreas_; }
  int32_t LastFrameWidth() const { return lastFrameWidth_; }
  int32_t LastFrameHeight() const { return lastFrameHeight_; }
  struct Point {
    int32_t x;
    int32_t y;
  };
  const std::vector<Point>& Warps() const { return warps_; }
  bool CursorVisible() const { return cursorVisible_; }
  int MinimizeCount() const { return minimizeCount_; }
  const std::vector<std::string>& MessageBoxes() const { return messageBoxes_; }
  int BeepCount() const { return beepCount_; }

  void DesktopSize(int32_t& width, int32_t& height) override;
  bool OpenWindow(const std::string& title, int32_t screenWidth, int32_t screenHeight, bool windowed) override;
  void CloseWindow() override { open_ = false; }
  bool HasWindow() const override { return open_; }
  void SetScreenSize(int32_t width, int32_t height) override;
  void WindowSize(int32_t& width, int32_t& height) override;
  void Present(const uint32_t* pixels, int32_t width, int32_t height) override;
  void PresentArea(const uint32_t* pixels, int32_t width, int32_t height, const PRect& area) override;
  bool ShowsPictures() const override { return showsPictures_; }
  bool PumpEvents(PEventTranslator& translator, PMessageQueue& queue, uint32_t waitMs) override;
  void WarpCursor(int32_t windowX, int32_t windowY) override { warps_.push_back(Point{windowX, windowY}); }
  void SetCursorVisible(bool visible) override { cursorVisible_ = visible; }
  void Minimize() override { ++minimizeCount_; }
  void ShowMessageBox(const std::string& title, const std::string& text) override;

 private:
  struct Item {
    bool isEvent;
    SDL_Event event;
    PMessage message;
  };
  std::deque<Item> script_;
  int32_t desktopWidth_ = 1024;
  int32_t desktopHeight_ = 768;
  int32_t windowWidth_ = 0;
  int32_t windowHeight_ = 0;
  int32_t screenWidth_ = 0;
  int32_t screenHeight_ = 0;
  bool open_ = false;
  bool showsPictures_ = true;
  bool windowed_ = false;
  std::string title_;
  int presentCount_ = 0;
  std::vector<uint32_t> lastFrame_;
  std::vector<PRect> presentedAreas_;
  int32_t lastFrameWidth_ = 0;
  int32_t lastFrameHeight_ = 0;
  std::vector<Point> warps_;
  bool cursorVisible_ = true;
  int minimizeCount_ = 0;
  std::vector<std::string> messageBoxes_;
  int beepCount_ = 0;
};
