#pragma once
// One frame's device calls as stored in a file (FrameRecorder writes it): the textures it
// binds, then every call that changes the device (render and stage states, texture bindings,
// scenes, clears and draws with their vertices), in order. Replayed into any 3-D device it
// draws the same frame whatever the renderer of the commit: the frame benchmarks compare
// rasterisers on it. Only the device interface and surfaces are used, so this header (with
// the benchmark that replays it) builds in any commit that has them.
//
// The file, little-endian throughout:
//   "TVFRAME1"; u32 width, height, target format (PPixelFormat); u64 the hash (PixelHash
//   below) of the pixels the frame draws on a new target (all zero) of the software device;
//   u32 textures, each u32 width, height and width * height ARGB1555 texels row by row;
//   u32 calls, each a u8 kind (Kind) followed by its fields:
//     kRenderState u32 state, value; kStageState i32 stage, u32 state, value;
//     kTexture i32 stage, i32 texture (-1: none); kBeginScene; kEndScene;
//     kClear u32 count, count x i32 left, top, right, bottom, u32 flags, colour, f32 depth;
//     kDraw u32 type, format, count, flags, then count vertices of the format's size.
// The reader checks every count, index and size against its limits and the bytes left; the
// first fault is kept (Error) and everything after it is ignored.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/P3DDevice.h"
#include "platform/PSurface.h"

class StoredFrame {
 public:
  enum class Kind : uint8_t {
    kRenderState = 1,
    kStageState = 2,
    kTexture = 3,
    kBeginScene = 4,
    kEndScene = 5,
    kClear = 6,
    kDraw = 7,
  };
  static constexpr char kMagic[9] = "TVFRAME1";
  static constexpr uint32_t kMostSide = 4096;         // target
  static constexpr uint32_t kMostTextureSide = 2048;  // as the software device takes
  static constexpr uint32_t kMostTextures = 65536;
  static constexpr uint32_t kMostCalls = 16u << 20;
  static constexpr uint32_t kMostVertices = 1u << 20;  // in one draw
  static constexpr uint32_t kMostRects = 1024;         // in one clear

  // Reads the file's bytes; Ok() tells whether they were a whole, well-formed frame.
  bool Read(const uint8_t* bytes, size_t size) {
    data_ = bytes;
    size_ = size;
    at_ = 0;
    error_.clear();
    calls_.clear();
    textures_.clear();
    vertices_.clear();
    rects_.clear();
    char magic[8];
    Bytes(magic, 8);
    if (Ok() && std::memcmp(magic, kMagic, 8) != 0) Fail("not a stored frame (magic)");
    width_ = U32();
    height_ = U32();
    const uint32_t format = U32();
    hash_ = U64();
    if (Ok() && (width_ < 1 || width_ > kMostSide || height_ < 1 || height_ > kMostSide))
      Fail("target size out of range");
    if (Ok() && format != static_cast<uint32_t>(PPixelFormat::kRGB565) &&
        format != static_cast<uint32_t>(PPixelFormat::kXRGB8888))
      Fail("target format unknown");
    format_ = static_cast<PPixelFormat>(format);
    const uint32_t textures = Count(kMostTextures, 8, "texture count");
    for (uint32_t i = 0; i < textures && Ok(); ++i) {
      const uint32_t w = U32(), h = U32();
      if (Ok() && (w < 1 || h < 1 || w > kMostTextureSide || h > kMostTextureSide)) Fail("texture size out of range");
      if (Ok() && static_cast<uint64_t>(w) * h * 2 > size_ - at_) Fail("texture past the end");
      if (!Ok()) break;
      auto texture = std::make_unique<PSurface>(static_cast<int32_t>(w), static_cast<int32_t>(h),
                                                PPixelFormat::kARGB1555);
      for (uint32_t y = 0; y < h; ++y) Bytes(texture->Row16(static_cast<int32_t>(y)), static_cast<size_t>(w) * 2);
      textures_.push_back(std::move(texture));
    }
    const uint32_t calls = Count(kMostCalls, 1, "call count");
    if (Ok()) calls_.reserve(calls);
    for (uint32_t i = 0; i < calls && Ok(); ++i) ReadCall();
    if (Ok() && at_ != size_) Fail("bytes after the last call");
    if (!Ok()) {
      calls_.clear();
      textures_.clear();
    }
    data_ = nullptr;
    return Ok();
  }

  bool Ok() const { return error_.empty(); }
  // The first fault found, with the byte it was found at; empty when none.
  const std::string& Error() const { return error_; }
  int32_t Width() const { return static_cast<int32_t>(width_); }
  int32_t Height() const { return static_cast<int32_t>(height_); }
  PPixelFormat Format() const { return format_; }
  // The hash of the pixels the frame draws on a new target, as recorded. (The frame clears
  // the depth only: it draws the sky and the ground over every pixel.)
  uint64_t RecordedHash() const { return hash_; }
  size_t CallCount() const { return calls_.size(); }
  size_t TextureCount() const { return textures_.size(); }
  // Triangles the frame's draws give (lists, strips and fans).
  int64_t Triangles() const {
    int64_t n = 0;
    for (const Call& c : calls_)
      if (c.kind == Kind::kDraw && c.b >= 3)
        n += c.a == static_cast<uint32_t>(P3DPrimitive::kTriangleList) ? c.b / 3 : c.b - 2;
    return n;
  }

  // Makes every call, in order, on the device; returns how many it refused.
  int32_t Replay(P3DDevice& device) const {
    int32_t refused = 0;
    for (const Call& c : calls_) {
      PResult r = PResult::kOk;
      switch (c.kind) {
        case Kind::kRenderState: r = device.SetRenderState(static_cast<P3DState>(c.a), c.b); break;
        case Kind::kStageState:
          r = device.SetTextureStageState(static_cast<int32_t>(c.a), static_cast<P3DStageState>(c.b), c.c);
          break;
        case Kind::kTexture: {
          const auto index = static_cast<int32_t>(c.b);
          r = device.SetTexture(static_cast<int32_t>(c.a), index < 0 ? nullptr : textures_[static_cast<size_t>(index)].get());
          break;
        }
        case Kind::kBeginScene: r = device.BeginScene(); break;
        case Kind::kEndScene: r = device.EndScene(); break;
        case Kind::kClear: {
          float depth;
          std::memcpy(&depth, &c.d, sizeof(depth));
          r = device.Clear(rects_.data() + c.offset, static_cast<int32_t>(c.a), c.b, c.c, depth);
          break;
        }
        case Kind::kDraw:
          r = device.DrawPrimitive(static_cast<P3DPrimitive>(c.a), c.c, vertices_.data() + c.offset,
                                   static_cast<int32_t>(c.b), c.d);
          break;
      }
      if (r != PResult::kOk) ++refused;
    }
    return refused;
  }

  // FNV-1a over the target's pixels, row by row without the padding: the frame's fingerprint.
  static uint64_t PixelHash(const PSurface& target) {
    uint64_t h = 14695981039346656037ull;
    const size_t rowBytes = static_cast<size_t>(target.Width()) * static_cast<size_t>(target.BytesPerPixel());
    for (int32_t y = 0; y < target.Height(); ++y) {
      const uint8_t* row = target.Pixels() + static_cast<size_t>(y) * static_cast<size_t>(target.Pitch());
      for (size_t i = 0; i < rowBytes; ++i) h = (h ^ row[i]) * 1099511628211ull;
    }
    return h;
  }

 private:
  struct Call {
    Kind kind;
    uint32_t a = 0, b = 0, c = 0, d = 0;  // the call's fields in the order of the file
    size_t offset = 0;                    // of its vertices or rectangles
  };

  void Fail(const char* what) {
    if (error_.empty()) error_ = std::string(what) + " at byte " + std::to_string(at_);
  }
  void Bytes(void* out, size_t n) {
    if (!Ok() || n > size_ - at_) {
      Fail("file ends early");
      std::memset(out, 0, n);
      return;
    }
    std::memcpy(out, data_ + at_, n);
    at_ += n;
  }
  uint32_t U32() {
    uint8_t b[4];
    Bytes(b, 4);
    return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
           static_cast<uint32_t>(b[3]) << 24;
  }
  uint64_t U64() {
    const uint64_t low = U32();
    return low | static_cast<uint64_t>(U32()) << 32;
  }
  uint8_t U8() {
    uint8_t b = 0;
    Bytes(&b, 1);
    return b;
  }
  // A count held to most, each item taking at least itemBytes of what is left.
  uint32_t Count(uint32_t most, size_t itemBytes, const char* what) {
    const uint32_t n = U32();
    if (Ok() && (n > most || static_cast<uint64_t>(n) * itemBytes > size_ - at_)) Fail(what);
    return Ok() ? n : 0;
  }

  void ReadCall() {
    Call c{static_cast<Kind>(U8())};
    switch (c.kind) {
      case Kind::kRenderState:
        c.a = U32();
        c.b = U32();
        break;
      case Kind::kStageState:
        c.a = U32();
        c.b = U32();
        c.c = U32();
        break;
      case Kind::kTexture: {
        c.a = U32();
        c.b = U32();
        const auto index = static_cast<int32_t>(c.b);
        if (Ok() && (index < -1 || index >= static_cast<int32_t>(textures_.size()))) Fail("texture index out of range");
        break;
      }
      case Kind::kBeginScene:
      case Kind::kEndScene: break;
      case Kind::kClear: {
        c.a = Count(kMostRects, 16, "clear rectangle count");
        c.offset = rects_.size();
        for (uint32_t i = 0; i < c.a && Ok(); ++i) {
          P3DRect r{};
          r.left = static_cast<int32_t>(U32());
          r.top = static_cast<int32_t>(U32());
          r.right = static_cast<int32_t>(U32());
          r.bottom = static_cast<int32_t>(U32());
          rects_.push_back(r);
        }
        c.b = U32();
        c.c = U32();
        c.d = U32();
        break;
      }
      case Kind::kDraw: {
        c.a = U32();
        c.c = U32();
        c.b = U32();
        c.d = U32();
        if (!Ok()) break;
        if (c.c != kP3DColouredFormat && c.c != kP3DTexturedFormat) return Fail("vertex format unknown");
        const size_t vertexSize = c.c == kP3DTexturedFormat ? kP3DTexturedVertexSize : kP3DColouredVertexSize;
        if (c.b > kMostVertices || static_cast<uint64_t>(c.b) * vertexSize > size_ - at_)
          return Fail("vertex count out of range");
        c.offset = vertices_.size();
        vertices_.resize(vertices_.size() + c.b * vertexSize);
        Bytes(vertices_.data() + c.offset, c.b * vertexSize);
        break;
      }
      default: return Fail("call kind unknown");
    }
    if (Ok()) calls_.push_back(c);
  }

  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t at_ = 0;
  std::string error_;
  uint32_t width_ = 0, height_ = 0;
  PPixelFormat format_ = PPixelFormat::kRGB565;
  uint64_t hash_ = 0;
  std::vector<Call> calls_;
  std::vector<std::unique_ptr<PSurface>> textures_;
  std::vector<uint8_t> vertices_;
  std::vector<P3DRect> rects_;
};
