#pragma once
#include <cstdint>

#include "platform/P3DDevice.h"

// A device that takes everything and draws nothing but the count of the vertices it was given:
// the benchmarks time the scene building alone.
class DiscardDevice : public P3DDevice {
 public:
  PResult GetCaps(P3DCaps& caps) override {
    caps = P3DCaps{};
    caps.maxTextureWidth = 512;
    caps.maxTextureHeight = 512;
    return PResult::kOk;
  }
  PResult SetRenderState(P3DState, uint32_t) override { return PResult::kOk; }
  PResult GetRenderState(P3DState, uint32_t& value) override {
    value = 0;
    return PResult::kOk;
  }
  PResult SetTextureStageState(int32_t, P3DStageState, uint32_t) override { return PResult::kOk; }
  PResult SetTexture(int32_t, const PSurface*) override { return PResult::kOk; }
  PResult BeginScene() override { return PResult::kOk; }
  PResult EndScene() override { return PResult::kOk; }
  PResult Clear(const P3DRect*, int32_t, uint32_t, uint32_t, float) override { return PResult::kOk; }
  PResult DrawPrimitive(P3DPrimitive, uint32_t, const void*, int32_t count, uint32_t) override {
    vertices += count;
    return PResult::kOk;
  }
  int64_t vertices = 0;
};
