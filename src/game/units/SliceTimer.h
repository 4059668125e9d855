#pragma once
// The units' timer rule: one slice (0.025 s) off while at least that much is left, else 0.
inline void CountDown(float& timer) {
  if (timer >= 0.025f) {
    timer -= 0.025f;
  } else {
    timer = 0.0f;
  }
}
