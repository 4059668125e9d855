#pragma once
#include "framework/core/GString.h"

// A string of at most 63 bytes with its storage inline.
class GString63 : public GString {
 public:
  static constexpr int16_t kCapacity = 63;

  GString63() : GString(storage_, kCapacity) { MakeEmpty(); }
  // Copies the other string's text, cut at this capacity.
  GString63(const GString& other) : GString(storage_, kCapacity) {
    MakeEmpty();
    AssignString(other);
  }
  GString63(const GString63& other) : GString(storage_, kCapacity) {
    MakeEmpty();
    AssignString(other);
  }
  GString63& operator=(const GString& other) {
    GString::operator=(other);
    return *this;
  }
  GString63& operator=(const GString63& other) {
    GString::operator=(other);
    return *this;
  }

 private:
  uint8_t storage_[kCapacity + 2];
};
