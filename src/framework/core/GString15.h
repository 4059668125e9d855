#pragma once
#include "framework/core/GString.h"

// A string of at most 15 bytes with its storage inline.
class GString15 : public GString {
 public:
  static constexpr int16_t kCapacity = 15;

  GString15() : GString(storage_, kCapacity) { MakeEmpty(); }
  GString15(const GString15& other) : GString(storage_, kCapacity) {
    MakeEmpty();
    AssignString(other);
  }
  GString15& operator=(const GString& other) {
    GString::operator=(other);
    return *this;
  }
  GString15& operator=(const GString15& other) {
    GString::operator=(other);
    return *this;
  }

 private:
  uint8_t storage_[kCapacity + 2];
};
