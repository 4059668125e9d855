#pragma once
#include "framework/core/GString.h"

// A string of at most 255 bytes with its storage inline.
class GString255 : public GString {
 public:
  static constexpr int16_t kCapacity = 255;

  GString255() : GString(storage_, kCapacity) { MakeEmpty(); }
  // Copies the other string's text, cut at this capacity.
  GString255(const GString& other) : GString(storage_, kCapacity) {
    MakeEmpty();
    AssignString(other);
  }
  GString255(const GString255& other) : GString(storage_, kCapacity) {
    MakeEmpty();
    AssignString(other);
  }
  GString255& operator=(const GString& other) {
    GString::operator=(other);
    return *this;
  }
  GString255& operator=(const GString255& other) {
    GString::operator=(other);
    return *this;
  }

 private:
  uint8_t storage_[kCapacity + 2];
};
