#include "platform/PEventTranslator.h"

#include <cstdlib>

#include "platform/PKey.h"

namespace {

struct KeyInfo {
  uint8_t key = 0;
  int normal = -1;   // character without Shift, -1 none
  int shifted = -1;  // character with Shift
  bool letter = false;
};

// The keypad keys come by scancode, as their SDL key symbols change with Num Lock.
bool KeypadInfo(SDL_Scancode sc, bool numLock, KeyInfo& info) {
  static const uint8_t kArrows[10] = {kKeyInsert, kKeyEnd,   kKeyDown, kKeyPageDown, kKeyLeft,
                                      kKeyClear,  kKeyRight, kKeyHome, kKeyUp,       kKeyPageUp};
  int digit = -1;
  switch (sc) {
    case SDL_SCANCODE_KP_0: digit = 0; break;
    case SDL_SCANCODE_KP_1: digit = 1; break;
    case SDL_SCANCODE_KP_2: digit = 2; break;
    case SDL_SCANCODE_KP_3: digit = 3; break;
    case SDL_SCANCODE_KP_4: digit = 4; break;
    case SDL_SCANCODE_KP_5: digit = 5; break;
    case SDL_SCANCODE_KP_6: digit = 6; break;
    case SDL_SCANCODE_KP_7: digit = 7; break;
    case SDL_SCANCODE_KP_8: digit = 8; break;
    case SDL_SCANCODE_KP_9: digit = 9; break;
    case SDL_SCANCODE_KP_PERIOD:
      info = numLock ? KeyInfo{kKeyPadDecimal, '.', '.'} : KeyInfo{kKeyDelete};
      return true;
    case SDL_SCANCODE_KP_DIVIDE: info = KeyInfo{kKeyPadDivide, '/', '/'}; return true;
    case SDL_SCANCODE_KP_MULTIPLY: info = KeyInfo{kKeyPadMultiply, '*', '*'}; return true;
    case SDL_SCANCODE_KP_MINUS: info = KeyInfo{kKeyPadSubtract, '-', '-'}; return true;
    case SDL_SCANCODE_KP_PLUS: info = KeyInfo{kKeyPadAdd, '+', '+'}; return true;
    case SDL_SCANCODE_KP_ENTER: info = KeyInfo{kKeyReturn, 13, 13}; return true;
    default: return false;
  }
  if (numLock) info = KeyInfo{static_cast<uint8_t>(kKeyPad0 + digit), '0' + digit, '0' + digit};
  else info = KeyInfo{kArrows[digit]};
  return true;
}

KeyInfo MainKeyInfo(SDL_Keycode sym) {
  if (sym >= SDLK_a && sym <= SDLK_z)
    return KeyInfo{static_cast<uint8_t>(kKeyA + (sym - SDLK_a)), static_cast<int>(sym),
                   static_cast<int>(sym - SDLK_a + 'A'), true};
  if (sym >= SDLK_0 && sym <= SDLK_9) {
    static const char kShiftedDigits[] = ")!@#$%^&*(";
    return KeyInfo{static_cast<uint8_t>(kKey0 + (sym - SDLK_0)), static_cast<int>(sym),
                   kShiftedDigits[sym - SDLK_0]};
  }
  if (sym >= SDLK_F1 && sym <= SDLK_F12) return KeyInfo{static_cast<uint8_t>(kKeyF1 + (sym - SDLK_F1))};
  switch (sym) {
    case SDLK_BACKSPACE: return KeyInfo{kKeyBackspace, 8, 8};
    case SDLK_TAB: return KeyInfo{kKeyTab, 9, 9};
    case SDLK_RETURN: return KeyInfo{kKeyReturn, 13, 13};
    case SDLK_ESCAPE: return KeyInfo{kKeyEscape, 27, 27};
    case SDLK_SPACE: return KeyInfo{kKeySpace, ' ', ' '};
    case SDLK_PAGEUP: return KeyInfo{kKeyPageUp};
    case SDLK_PAGEDOWN: return KeyInfo{kKeyPageDown};
    case SDLK_END: return KeyInfo{kKeyEnd};
    case SDLK_HOME: return KeyInfo{kKeyHome};
    case SDLK_LEFT: return KeyInfo{kKeyLeft};
    case SDLK_UP: return KeyInfo{kKeyUp};
    case SDLK_RIGHT: return KeyInfo{kKeyRight};
    case SDLK_DOWN: return KeyInfo{kKeyDown};
    case SDLK_INSERT: return KeyInfo{kKeyInsert};
    case SDLK_DELETE: return KeyInfo{kKeyDelete};
    case SDLK_PAUSE: return KeyInfo{kKeyPause};
    case SDLK_CAPSLOCK: return KeyInfo{kKeyCapsLock};
    case SDLK_NUMLOCKCLEAR: return KeyInfo{kKeyNumLock};
    case SDLK_SCROLLLOCK: return KeyInfo{kKeyScrollLock};
    case SDLK_LSHIFT:
    case SDLK_RSHIFT: return KeyInfo{kKeyShift};
    case SDLK_LCTRL:
    case SDLK_RCTRL: return KeyInfo{kKeyControl};
    case SDLK_LALT:
    case SDLK_RALT: return KeyInfo{kKeyAlt};
    case SDLK_SEMICOLON: return KeyInfo{kKeySemicolon, ';', ':'};
    case SDLK_EQUALS: return KeyInfo{kKeyEquals, '=', '+'};
    case SDLK_COMMA: return KeyInfo{kKeyComma, ',', '<'};
    case SDLK_MINUS: return KeyInfo{kKeyMinus, '-', '_'};
    case SDLK_PERIOD: return KeyInfo{kKeyPeriod, '.', '>'};
    case SDLK_SLASH: return KeyInfo{kKeySlash, '/', '?'};
    case SDLK_BACKQUOTE: return KeyInfo{kKeyBackquote, '`', '~'};
    case SDLK_LEFTBRACKET: return KeyInfo{kKeyLeftBracket, '[', '{'};
    case SDLK_BACKSLASH: return KeyInfo{kKeyBackslash, '\\', '|'};
    case SDLK_RIGHTBRACKET: return KeyInfo{kKeyRightBracket, ']', '}'};
    case SDLK_QUOTE: return KeyInfo{kKeyQuote, '\'', '"'};
    default: return KeyInfo{};
  }
}

}  // namespace

void PEventTranslator::Translate(const SDL_Event& event, PMessageQueue& queue) {
  switch (event.type) {
    case SDL_KEYDOWN:
      KeyEvent(event.key, true, queue);
      break;
    case SDL_KEYUP:
      KeyEvent(event.key, false, queue);
      break;
    case SDL_MOUSEMOTION:
      if (warpPending_ && event.motion.x == warpWindowX_ && event.motion.y == warpWindowY_) {
        cursorX_ = warpScreenX_;
        cursorY_ = warpScreenY_;
      } else {
        letterbox_.ToScreen(event.motion.x, event.motion.y, cursorX_, cursorY_);
      }
      warpPending_ = false;
      queue.Post(MouseMessage(PMessageType::kMouseMove, event.motion.timestamp));
      break;
    case SDL_MOUSEBUTTONDOWN:
      ButtonEvent(event.button, true, queue);
      break;
    case SDL_MOUSEBUTTONUP:
      ButtonEvent(event.button, false, queue);
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED || event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        const bool active = event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED;
        if (active == active_) break;  // only changes are reported
        active_ = active;
        PMessage m;
        m.type = PMessageType::kActivate;
        m.param = active ? 1 : 0;
        m.time = event.window.timestamp;
        m.keys = keys_;
        queue.Post(m);
      } else if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
        PMessage m;
        m.type = PMessageType::kClose;
        m.time = event.window.timestamp;
        m.keys = keys_;
        queue.Post(m);
      }
      break;
    case SDL_QUIT: {
      PMessage m;
      m.type = PMessageType::kClose;
      m.time = event.quit.timestamp;
      m.keys = keys_;
      queue.Post(m);
      break;
    }
    default:
      break;
  }
}

void PEventTranslator::KeyEvent(const SDL_KeyboardEvent& key, bool down, PMessageQueue& queue) {
  const uint16_t mod = key.keysym.mod;
  const bool numLock = (mod & KMOD_NUM) != 0;
  const bool capsLock = (mod & KMOD_CAPS) != 0;
  keys_.SetLocks(numLock, capsLock);
  const SDL_Scancode sc = key.keysym.scancode;
  KeyInfo info;
  if (!KeypadInfo(sc, numLock, info)) info = MainKeyInfo(key.keysym.sym);
  if (!down && sc >= 0 && sc < SDL_NUM_SCANCODES && downAs_[sc] != 0) {
    info.key = downAs_[sc];
    downAs_[sc] = 0;
  }
  if (info.key == 0) return;  // a key the program has no code for
  if (down && sc >= 0 && sc < SDL_NUM_SCANCODES) downAs_[sc] = info.key;

  // The modifiers follow the event's own modifier flags, except the modifier key itself,
  // which follows its press and release.
  const bool isModifier = info.key == kKeyShift || info.key == kKeyControl || info.key == kKeyAlt;
  keys_.SetDown(kKeyShift, (mod & KMOD_SHIFT) != 0);
  keys_.SetDown(kKeyControl, (mod & KMOD_CTRL) != 0);
  keys_.SetDown(kKeyAlt, (mod & KMOD_ALT) != 0);
  keys_.SetDown(info.key, down);
  const bool shift = keys_.IsDown(kKeyShift);
  const bool control = keys_.IsDown(kKeyControl);
  const bool alt = keys_.IsDown(kKeyAlt) || (isModifier && info.key == kKeyAlt);

  PMessage m;
  m.time = key.timestamp;
  m.param = info.key;
  m.keys = keys_;
  m.shift = shift;
  m.control = control;
  if (!down) {
    m.type = (alt || info.key == kKeyAlt) ? PMessageType::kSysKeyUp : PMessageType::kKeyUp;
    queue.Post(m);
    return;
  }
  m.type = alt ? PMessageType::kSysKeyDown : PMessageType::kKeyDown;
  queue.Post(m);

  // The character the key types, if any.
  int c = -1;
  if (info.letter) {
    if (control && !alt) c = info.key - kKeyA + 1;
    else if (!control) c = (shift != capsLock) ? info.shifted : info.normal;
  } else if (info.normal >= 0) {
    if (control && !alt) {
      if (info.key == kKeyReturn) c = 10;  // Control+Enter types a line feed
      else if (info.key == kKeyBackspace || info.key == kKeyEscape || info.key == kKeyTab) c = info.normal;
    } else if (!control) {
      c = shift ? info.shifted : info.normal;
    }
  }
  if (c < 0) return;
  m.type = alt ? PMessageType::kSysChar : PMessageType::kChar;
  m.param = static_cast<uint32_t>(c);
  queue.Post(m);
}

PMessage PEventTranslator::MouseMessage(PMessageType type, uint32_t time) const {
  PMessage m;
  m.type = type;
  m.x = cursorX_;
  m.y = cursorY_;
  m.shift = keys_.IsDown(kKeyShift);
  m.control = keys_.IsDown(kKeyControl);
  m.time = time;
  m.keys = keys_;
  return m;
}

void PEventTranslator::ButtonEvent(const SDL_MouseButtonEvent& button, bool down, PMessageQueue& queue) {
  if (button.button != SDL_BUTTON_LEFT && button.button != SDL_BUTTON_RIGHT) return;
  letterbox_.ToScreen(button.x, button.y, cursorX_, cursorY_);
  const bool left = button.button == SDL_BUTTON_LEFT;
  if (!down) {
    queue.Post(MouseMessage(left ? PMessageType::kLeftUp : PMessageType::kRightUp, button.timestamp));
    return;
  }
  const bool dbl = lastButton_ == button.button && button.timestamp - lastPressTime_ <= kDoubleClickTime &&
                   std::abs(cursorX_ - lastPressX_) <= kDoubleClickDistance &&
                   std::abs(cursorY_ - lastPressY_) <= kDoubleClickDistance;
  if (dbl) {
    lastButton_ = 0;  // a third press starts afresh
    queue.Post(MouseMessage(left ? PMessageType::kLeftDoubleClick : PMessageType::kRightDoubleClick, button.timestamp));
    return;
  }
  lastButton_ = button.button;
  lastPressTime_ = button.timestamp;
  lastPressX_ = cursorX_;
  lastPressY_ = cursorY_;
  queue.Post(MouseMessage(left ? PMessageType::kLeftDown : PMessageType::kRightDown, button.timestamp));
}
