#pragma once
#include <cstdint>
#include <string>

#include "platform/PRect.h"

class PEventTranslator;
class PMessageQueue;

// What the window needs of the system beneath: a window to show the picture in, its events,
// the mouse cursor and a message box. The SDL back-end is the real one; tests use the fake.
class PBackEnd {
 public:
  virtual ~PBackEnd() = default;

  virtual void DesktopSize(int32_t& width, int32_t& height) = 0;
  // Opens the window (title in UTF-8) for a screen of the given size: full-screen on the
  // desktop, or an ordinary window of about that size.
  virtual bool OpenWindow(const std::string& title, int32_t screenWidth, int32_t screenHeight, bool windowed) = 0;
  virtual void CloseWindow() = 0;
  virtual bool HasWindow() const = 0;
  // The screen's size changed (a new display mode).
  virtual void SetScreenSize(int32_t width, int32_t height) = 0;
  // The window's size in the coordinates its mouse events use.
  virtual void WindowSize(int32_t& width, int32_t& height) = 0;
  // Shows a picture of 0x00RRGGBB pixels, rows top-down without padding, letterboxed.
  virtual void Present(const uint32_t* pixels, int32_t width, int32_t height) = 0;
  // The same, when only the area (screen pixels) changed since the last picture. A back-end
  // that cannot show part of a picture shows the whole one.
  virtual void PresentArea(const uint32_t* pixels, int32_t width, int32_t height, const PRect& /*area*/) {
    Present(pixels, width, height);
  }
  // False for a back-end that shows no pictures (a fake set so): the display then neither
  // turns its screen buffer into a picture nor hands one over.
  virtual bool ShowsPictures() const { return true; }
  // Hands waiting events to the translator; when none is waiting, waits up to waitMs
  // milliseconds for one. False when the back-end cannot wait (nothing more will come).
  virtual bool PumpEvents(PEventTranslator& translator, PMessageQueue& queue, uint32_t waitMs) = 0;
  // Moves the system cursor to a window position.
  virtual void WarpCursor(int32_t windowX, int32_t windowY) = 0;
  virtual void SetCursorVisible(bool visible) = 0;
  virtual void Minimize() = 0;
  virtual void ShowMessageBox(const std::string& title, const std::string& text) = 0;
};
