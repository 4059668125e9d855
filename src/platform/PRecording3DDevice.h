#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "platform/P3DDevice.h"

// A device for tests: it draws nothing and keeps every call, in order, with a copy of the
// vertices drawn. Its capabilities are the test's to choose, and any kind of call can be told
// to fail with a given result.
class PRecording3DDevice : public P3DDevice {
 public:
  enum class Kind {
    kGetCaps,
    kSetRenderState,
    kGetRenderState,
    kSetTextureStageState,
    kSetTexture,
    kBeginScene,
    kEndScene,
    kClear,
    kDrawPrimitive,
  };
  static constexpr int kKindCount = 9;

  struct Call {
    explicit Call(Kind k) : kind(k) {}
    Kind kind;
    uint32_t state = 0;  // render or stage state number
    uint32_t value = 0;  // state value, clear flags
    int32_t stage = 0;
    const PSurface* texture = nullptr;
    P3DPrimitive type = P3DPrimitive::kTriangleList;
    uint32_t format = 0;
    int32_t count = 0;  // vertices drawn, rectangles cleared
    uint32_t flags = 0;
    float depth = 0.0f;
    std::vector<uint8_t> vertices;

    // Vertex i of a draw: x, y, z, rhw, then the colour (coloured) or u, v (textured).
    float X(int32_t i) const { return Float(i, 0); }
    float Y(int32_t i) const { return Float(i, 1); }
    float Z(int32_t i) const { return Float(i, 2); }
    float Rhw(int32_t i) const { return Float(i, 3); }
    float U(int32_t i) const { return Float(i, 4); }
    float V(int32_t i) const { return Float(i, 5); }
    uint32_t Colour(int32_t i) const;
    float Float(int32_t vertex, int32_t field) const;
  };

  PRecording3DDevice();

  PResult GetCaps(P3DCaps& caps) override;
  PResult SetRenderState(P3DState state, uint32_t value) override;
  PResult GetRenderState(P3DState state, uint32_t& value) override;
  PResult SetTextureStageState(int32_t stage, P3DStageState state, uint32_t value) override;
  PResult SetTexture(int32_t stage, const PSurface* texture) override;
  PResult BeginScene() override;
  PResult EndScene() override;
  PResult Clear(const P3DRect* rects, int32_t count, uint32_t flags, uint32_t colour, float depth) override;
  PResult DrawPrimitive(P3DPrimitive type, uint32_t format, const void* vertices, int32_t count,
                          uint32_t flags) override;

  void SetCaps(const P3DCaps& caps) { caps_ = caps; }
  // Every later call of this kind fails with the result (PResult::kOk makes it succeed again).
  void Fail(Kind kind, PResult result) { failures_[static_cast<int>(kind)] = result; }

  const std::vector<Call>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  // The draw calls only, in order.
  std::vector<const Call*> Draws() const;
  // The calls setting one render state, in order.
  std::vector<const Call*> StateCalls(P3DState state) const;
  // The current value of a state as set through this device (0 until set).
  uint32_t State(P3DState state) const { return states_[static_cast<uint32_t>(state) % kP3DStateCount]; }
  uint32_t StageState(P3DStageState state) const {
    return stage_[static_cast<uint32_t>(state) % kP3DStageStateCount];
  }
  const PSurface* Texture() const { return texture_; }

 private:
  PResult Record(Call call);

  P3DCaps caps_;
  std::array<PResult, kKindCount> failures_{};
  std::vector<Call> calls_;
  std::array<uint32_t, kP3DStateCount> states_{};
  std::array<uint32_t, kP3DStageStateCount> stage_{};
  const PSurface* texture_ = nullptr;
};
