#pragma once
#include <cstdint>

#include "platform/PKeyState.h"

// The kinds of window messages the layer delivers.
enum class PMessageType : uint8_t {
  kNone,
  kKeyDown,      // param: key code (PKey)
  kKeyUp,        // param: key code
  kSysKeyDown,   // a key pressed while Alt is held (and Alt itself); param: key code
  kSysKeyUp,     // param: key code
  kChar,         // param: the typed character, a Windows-1252 byte
  kSysChar,      // the character of an Alt combination; param: the character
  kMouseMove,    // x, y: cursor in screen pixels; shift, control: modifiers held
  kLeftDown,
  kLeftUp,
  kLeftDoubleClick,  // the second press of a double click, in place of kLeftDown
  kRightDown,
  kRightUp,
  kRightDoubleClick,
  kActivate,     // param: 1 the program became the active one, 0 it lost that
  kClose,        // the user asked to close the window
};

// One message of the queue, with the key state as it stands once the message has happened
// (what the key-state query reads after taking it).
struct PMessage {
  PMessageType type = PMessageType::kNone;
  uint32_t param = 0;
  int32_t x = 0;
  int32_t y = 0;
  bool shift = false;
  bool control = false;
  uint32_t time = 0;  // milliseconds, the event's own time stamp
  PKeyState keys;
};
