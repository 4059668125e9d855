#pragma once
#include <cstdint>

// Key codes of key messages and key-state queries. The numbers are the ones the program's
// key handling has always compared with (left arrow 0x25, keypad 0 0x60 ...); letters and
// digits are their upper-case ASCII codes.
enum PKey : uint8_t {
  kKeyBackspace = 0x08,
  kKeyTab = 0x09,
  kKeyClear = 0x0C,  // keypad 5 with Num Lock off
  kKeyReturn = 0x0D,
  kKeyShift = 0x10,
  kKeyControl = 0x11,
  kKeyAlt = 0x12,
  kKeyPause = 0x13,
  kKeyCapsLock = 0x14,
  kKeyEscape = 0x1B,
  kKeySpace = 0x20,
  kKeyPageUp = 0x21,
  kKeyPageDown = 0x22,
  kKeyEnd = 0x23,
  kKeyHome = 0x24,
  kKeyLeft = 0x25,
  kKeyUp = 0x26,
  kKeyRight = 0x27,
  kKeyDown = 0x28,
  kKeyInsert = 0x2D,
  kKeyDelete = 0x2E,
  kKey0 = 0x30,  // to kKey0 + 9
  kKeyA = 0x41,  // to kKeyA + 25
  kKeyPad0 = 0x60,  // to kKeyPad0 + 9
  kKeyPadMultiply = 0x6A,
  kKeyPadAdd = 0x6B,
  kKeyPadSubtract = 0x6D,
  kKeyPadDecimal = 0x6E,
  kKeyPadDivide = 0x6F,
  kKeyF1 = 0x70,  // to kKeyF1 + 11
  kKeyNumLock = 0x90,
  kKeyScrollLock = 0x91,
  kKeySemicolon = 0xBA,
  kKeyEquals = 0xBB,
  kKeyComma = 0xBC,
  kKeyMinus = 0xBD,
  kKeyPeriod = 0xBE,
  kKeySlash = 0xBF,
  kKeyBackquote = 0xC0,
  kKeyLeftBracket = 0xDB,
  kKeyBackslash = 0xDC,
  kKeyRightBracket = 0xDD,
  kKeyQuote = 0xDE,
};
