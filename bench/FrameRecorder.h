#pragma once
// A 3-D device that passes every call on to another and, while recording, also writes every
// call that changes a device into the stored frame format (see StoredFrame): the frame
// benchmarks' scene is made by drawing the busy frame through it once. A texture is stored
// once for as long as its texels stay the same, and again when they change.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "StoredFrame.h"
#include "platform/P3DDevice.h"
#include "platform/PSurface.h"

class FrameRecorder : public P3DDevice {
 public:
  explicit FrameRecorder(P3DDevice* inner) : inner_(inner) {}

  // Starts keeping the calls (forgetting any kept before).
  void Start() {
    recording_ = true;
    calls_.clear();
    callCount_ = 0;
    textures_.clear();
    bound_.clear();
  }
  void Stop() { recording_ = false; }
  // The file's bytes: the calls kept, for a target of the size and format given, with the
  // hash of the pixels they draw on it (see StoredFrame::RecordedHash).
  std::vector<uint8_t> File(const PSurface& target, uint64_t hash) const {
    std::vector<uint8_t> out;
    Put(out, StoredFrame::kMagic, 8);
    PutU32(out, static_cast<uint32_t>(target.Width()));
    PutU32(out, static_cast<uint32_t>(target.Height()));
    PutU32(out, static_cast<uint32_t>(target.Format()));
    PutU32(out, static_cast<uint32_t>(hash));
    PutU32(out, static_cast<uint32_t>(hash >> 32));
    PutU32(out, static_cast<uint32_t>(textures_.size()));
    for (const Texture& t : textures_) {
      PutU32(out, t.width);
      PutU32(out, t.height);
      Put(out, t.texels.data(), t.texels.size() * 2);
    }
    PutU32(out, callCount_);
    out.insert(out.end(), calls_.begin(), calls_.end());
    return out;
  }

  PResult GetCaps(P3DCaps& caps) override { return inner_->GetCaps(caps); }
  PResult GetRenderState(P3DState state, uint32_t& value) override { return inner_->GetRenderState(state, value); }
  PResult SetRenderState(P3DState state, uint32_t value) override {
    if (recording_) Call(StoredFrame::Kind::kRenderState, {static_cast<uint32_t>(state), value});
    return inner_->SetRenderState(state, value);
  }
  PResult SetTextureStageState(int32_t stage, P3DStageState state, uint32_t value) override {
    if (recording_) Call(StoredFrame::Kind::kStageState, {static_cast<uint32_t>(stage), static_cast<uint32_t>(state), value});
    return inner_->SetTextureStageState(stage, state, value);
  }
  PResult SetTexture(int32_t stage, const PSurface* texture) override {
    if (recording_)
      Call(StoredFrame::Kind::kTexture, {static_cast<uint32_t>(stage), static_cast<uint32_t>(TextureIndex(texture))});
    return inner_->SetTexture(stage, texture);
  }
  PResult BeginScene() override {
    if (recording_) Call(StoredFrame::Kind::kBeginScene, {});
    return inner_->BeginScene();
  }
  PResult EndScene() override {
    if (recording_) Call(StoredFrame::Kind::kEndScene, {});
    return inner_->EndScene();
  }
  PResult Clear(const P3DRect* rects, int32_t count, uint32_t flags, uint32_t colour, float depth) override {
    if (recording_ && count >= 0 && (count == 0 || rects != nullptr)) {
      Call(StoredFrame::Kind::kClear, {static_cast<uint32_t>(count)});
      for (int32_t i = 0; i < count; ++i)
        for (int32_t v : {rects[i].left, rects[i].top, rects[i].right, rects[i].bottom})
          PutU32(calls_, static_cast<uint32_t>(v));
      uint32_t depthBits;
      std::memcpy(&depthBits, &depth, sizeof(depthBits));
      for (uint32_t v : {flags, colour, depthBits}) PutU32(calls_, v);
    }
    return inner_->Clear(rects, count, flags, colour, depth);
  }
  PResult DrawPrimitive(P3DPrimitive type, uint32_t format, const void* vertices, int32_t count,
                        uint32_t flags) override {
    if (recording_ && count >= 0 && (count == 0 || vertices != nullptr) &&
        (format == kP3DColouredFormat || format == kP3DTexturedFormat)) {
      Call(StoredFrame::Kind::kDraw, {static_cast<uint32_t>(type), format, static_cast<uint32_t>(count), flags});
      const size_t size = format == kP3DTexturedFormat ? kP3DTexturedVertexSize : kP3DColouredVertexSize;
      Put(calls_, vertices, static_cast<size_t>(count) * size);
    }
    return inner_->DrawPrimitive(type, format, vertices, count, flags);
  }

 private:
  struct Texture {
    uint32_t width, height;
    std::vector<uint16_t> texels;
  };
  struct Binding {
    const PSurface* surface;
    int32_t index;
  };

  static void Put(std::vector<uint8_t>& out, const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    out.insert(out.end(), b, b + n);
  }
  static void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(v >> shift));
  }
  void Call(StoredFrame::Kind kind, std::initializer_list<uint32_t> fields) {
    calls_.push_back(static_cast<uint8_t>(kind));
    for (uint32_t v : fields) PutU32(calls_, v);
    ++callCount_;
  }
  // The stored texture with the surface's texels (stored now if none is); -1 for none or a
  // surface that is not a texture (the device refuses it, and the replay gives it none).
  int32_t TextureIndex(const PSurface* surface) {
    if (surface == nullptr || surface->Format() != PPixelFormat::kARGB1555) return -1;
    std::vector<uint16_t> texels(static_cast<size_t>(surface->Width()) * static_cast<size_t>(surface->Height()));
    for (int32_t y = 0; y < surface->Height(); ++y)
      std::memcpy(texels.data() + static_cast<size_t>(y) * static_cast<size_t>(surface->Width()), surface->Row16(y),
                  static_cast<size_t>(surface->Width()) * 2);
    for (const Binding& b : bound_)
      if (b.surface == surface && textures_[static_cast<size_t>(b.index)].texels == texels) return b.index;
    const auto index = static_cast<int32_t>(textures_.size());
    textures_.push_back({static_cast<uint32_t>(surface->Width()), static_cast<uint32_t>(surface->Height()), std::move(texels)});
    bound_.push_back({surface, index});
    return index;
  }

  P3DDevice* inner_;
  bool recording_ = false;
  std::vector<uint8_t> calls_;
  uint32_t callCount_ = 0;
  std::vector<Texture> textures_;
  std::vector<Binding> bound_;
};
