#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/PBackEnd.h"
#include "platform/PEventTranslator.h"
#include "platform/PMessageQueue.h"

// The program's main window: its message queue, the key state, the mouse cursor and the
// picture it shows. The window covers the desktop, or is an ordinary window when asked for
// (SetWindowedRequest, or the environment variable TARVANE_WINDOWED set to anything but 0).
// While it exists, a fatal exit shows its text in a message box.
class PWindow {
 public:
  static constexpr uint32_t kWaitForever = 0xFFFFFFFFu;

  // Without a back-end, the SDL one.
  explicit PWindow(std::unique_ptr<PBackEnd> backEnd = nullptr);
  ~PWindow();
  PWindow(const PWindow&) = delete;
  PWindow& operator=(const PWindow&) = delete;

  static void SetWindowedRequest(bool windowed);
  static bool WindowedRequested();

  // Opens the window for a screen of the given size; the title is Windows-1252 text.
  bool Create(const std::string& title, int32_t screenWidth, int32_t screenHeight);
  void Destroy();
  bool Exists() const;
  void DesktopSize(int32_t& width, int32_t& height);
  // A new display mode: the picture's size, which the cursor positions refer to.
  void SetScreenSize(int32_t width, int32_t height);
  int32_t ScreenWidth() const { return translator_.Letterbox().ScreenWidth(); }
  int32_t ScreenHeight() const { return translator_.Letterbox().ScreenHeight(); }
  void Present(const uint32_t* pixels, int32_t width, int32_t height);
  // The picture, of which only the area changed since the last one.
  void PresentArea(const uint32_t* pixels, int32_t width, int32_t height, const PRect& area);
  void Minimize();

  // Waits for a message and takes it; false when the time-out passed first (or, with the
  // fake back-end, when its script is used up; with a fake clock, a timed wait only looks).
  bool GetMessage(PMessage& out, uint32_t timeoutMs = kWaitForever);
  // Takes the oldest message without waiting.
  bool PeekMessage(PMessage& out);
  // Takes the oldest key-up without waiting, leaving the other messages queued.
  bool PeekKeyUp(PMessage& out);
  // Gives the oldest message of the type without taking it.
  bool LookAhead(PMessageType type, PMessage& out);

  // Key state as of the last message taken.
  bool IsKeyDown(uint8_t key) const { return queue_.KeysOfLastMessage().IsDown(key); }
  // Key state now, after the waiting events.
  bool IsKeyDownNow(uint8_t key);

  // The cursor in screen pixels.
  void GetCursorPos(int32_t& x, int32_t& y);
  // Moves the cursor (clamped to the screen).
  void SetCursorPos(int32_t x, int32_t y);
  // Raises (show) or lowers the display count and gives it; the cursor shows while it is at
  // least 0. It starts at 0.
  int32_t ShowCursor(bool show);

  PBackEnd& BackEnd() { return *backEnd_; }
  PEventTranslator& Translator() { return translator_; }
  PMessageQueue& Queue() { return queue_; }

 private:
  void Pump(uint32_t waitMs);
  void UpdateLetterbox();

  std::unique_ptr<PBackEnd> backEnd_;
  PEventTranslator translator_;
  PMessageQueue queue_;
  std::string title_;
  int32_t cursorCount_ = 0;
};
