#pragma once
#include <SDL_events.h>

#include <array>
#include <cstdint>

#include "platform/PKeyState.h"
#include "platform/PLetterbox.h"
#include "platform/PMessageQueue.h"

// Turns SDL events into the window's messages: key-downs with their key codes, each followed
// by the character it types (the Alt form as a system character, Control with a letter as 1
// to 26, keypad keys with their own codes and, with Num Lock off, as the arrows and the
// other keys printed on them), key-ups, mouse moves and buttons in screen pixels with double
// clicks, activation changes and the close request. It keeps the live key state and the
// cursor position. Characters follow the US layout for shifted keys.
class PEventTranslator {
 public:
  // The longest pause, in milliseconds, and the largest distance, in screen pixels either
  // way, between the two presses of a double click.
  static constexpr uint32_t kDoubleClickTime = 500;
  static constexpr int32_t kDoubleClickDistance = 2;

  void SetLetterbox(const PLetterbox& letterbox) { letterbox_ = letterbox; }
  const PLetterbox& Letterbox() const { return letterbox_; }

  void Translate(const SDL_Event& event, PMessageQueue& queue);

  const PKeyState& LiveKeys() const { return keys_; }
  int32_t CursorX() const { return cursorX_; }
  int32_t CursorY() const { return cursorY_; }
  // After the cursor was moved by the program.
  void SetCursor(int32_t x, int32_t y) {
    cursorX_ = x;
    cursorY_ = y;
  }
  // The program moved the cursor to this window position (after SetCursor): the motion
  // event the move causes keeps the screen pixel asked for, even where several screen pixels
  // share one window pixel.
  void NoteWarp(int32_t windowX, int32_t windowY) {
    warpPending_ = true;
    warpWindowX_ = windowX;
    warpWindowY_ = windowY;
    warpScreenX_ = cursorX_;
    warpScreenY_ = cursorY_;
  }
  bool Active() const { return active_; }

 private:
  void KeyEvent(const SDL_KeyboardEvent& key, bool down, PMessageQueue& queue);
  void ButtonEvent(const SDL_MouseButtonEvent& button, bool down, PMessageQueue& queue);
  PMessage MouseMessage(PMessageType type, uint32_t time) const;

  PLetterbox letterbox_;
  PKeyState keys_;
  // The key code each SDL scancode went down as, so its release lets go of the same code
  // even when Num Lock changed in between.
  std::array<uint8_t, SDL_NUM_SCANCODES> downAs_{};
  int32_t cursorX_ = 0;
  int32_t cursorY_ = 0;
  bool active_ = true;
  bool warpPending_ = false;
  int32_t warpWindowX_ = 0;
  int32_t warpWindowY_ = 0;
  int32_t warpScreenX_ = 0;
  int32_t warpScreenY_ = 0;
  // The last press that could start a double click: button (0 none), time, position.
  uint8_t lastButton_ = 0;
  uint32_t lastPressTime_ = 0;
  int32_t lastPressX_ = 0;
  int32_t lastPressY_ = 0;
};
