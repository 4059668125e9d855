#pragma once
#include <bitset>
#include <cstdint>

// Which keys are held down, by key code (PKey), and whether the lock keys are on.
class PKeyState {
 public:
  bool IsDown(uint8_t key) const { return down_.test(key); }
  void SetDown(uint8_t key, bool down) { down_.set(key, down); }
  bool NumLockOn() const { return numLock_; }
  bool CapsLockOn() const { return capsLock_; }
  void SetLocks(bool numLock, bool capsLock) {
    numLock_ = numLock;
    capsLock_ = capsLock;
  }
  void Clear() {
    down_.reset();
  }

 private:
  std::bitset<256> down_;
  bool numLock_ = false;
  bool capsLock_ = false;
};
