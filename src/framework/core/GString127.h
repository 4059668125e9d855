#pragma once
#include "framework/core/GString.h"

// A string of at most 127 bytes with its storage inline.
class GString127 : public GString {
 public:
  static constexpr int16_t kCapacity = 127;

  GString127() : GString(storage_, kCapacity) { MakeEmpty(); }
  // Copies the other string's text, cut at this capacity.
  GString127(const GString& other) : GString(storage_, kCapacity) {
    MakeEmpty();
    AssignString(other);
  }
  GString127(const GString127& other) : GString(storage_, kCapacity) {
    MakeEmpty();
    AssignString(other);
  }
  GString127& operator=(const GString& other) {
    GString::operator=(other);
    return *this;
  }
  GString127& operator=(const GString127& other) {
    GString::operator=(other);
    return *this;
  }

 private:
  uint8_t storage_[kCapacity + 2];
};
