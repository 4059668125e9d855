#pragma once
#include "framework/core/GString.h"

// A string of at most 31 bytes with its storage inline.
class GString31 : public GString {
 public:
  static constexpr int16_t kCapacity = 31;

  GString31() : GString(storage_, kCapacity) { MakeEmpty(); }
  // Copies the other string's text, cut at this capacity.
  GString31(const GString& other) : GString(storage_, kCapacity) {
    MakeEmpty();
    AssignString(other);
  }
  GString31(const GString31& other) : GString(storage_, kCapacity) {
    MakeEmpty();
    AssignString(other);
  }
  GString31& operator=(const GString& other) {
    GString::operator=(other);
    return *this;
  }
  GString31& operator=(const GString31& other) {
    GString::operator=(other);
    return *this;
  }

 private:
  uint8_t storage_[kCapacity + 2];
};
