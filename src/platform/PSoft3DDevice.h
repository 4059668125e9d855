#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/P3DDevice.h"

class PSurface;

// Our own 3-D device: a deterministic rasteriser of pre-transformed triangles into an RGB565
// or XRGB8888 surface, with its own 16-bit depth buffer of the target's size.
//
// What it does, and no more: flat-shaded triangle lists, strips and fans of coloured or
// textured vertices; pixel centres on integer coordinates with the top-left fill rule; depth compare and
// depth writes; ARGB1555 textures with wrap addressing, sampled perspective-correct, point or
// bilinear by the stage filters (magnification where a texel covers more than a pixel);
// stage 0 selecting texture, diffuse or texture factor and modulating them; alpha test;
// source-alpha blending; linear fog in eye distance (1 / rhw). Without a texture bound a
// texture reads as opaque white. It draws at once into its target and never writes outside
// it: triangles with a non-finite position or an rhw at or below 0 are dropped and depth is
// clamped to [0, 1]. Only single-precision IEEE arithmetic without contraction and integer
// arithmetic are used, so the same calls give the same pixels on every machine.
// Dithering, culling and Gouraud shading are not done (the renderer asks for none of them).
//
// With more than one thread, the calling thread is one of them and the others are workers:
// each owns interleaved horizontal strips of the target and draws every triangle that
// touches them in the order submitted, so that the pixels and depth are exactly those of one
// thread. The calling thread sets every triangle up, hands those of the workers' strips to
// them and draws its own strips at once; it owns fewer strips than a worker, to finish with
// them. The target and the bound textures are put behind the device's fence (see
// PSurface), so any access to their pixels from elsewhere, Clear and the depth accessors wait
// for the strips in flight.
class PSoft3DDevice : public P3DDevice {
 public:
  // The target must be RGB565 or XRGB8888 and outlive the device. Threads: 0 for the
  // default (DefaultThreadCount), otherwise held in [1, kMaxThreads].
  explicit PSoft3DDevice(PSurface* target, int32_t threads = 0);
  ~PSoft3DDevice() override;
  PSoft3DDevice(const PSoft3DDevice&) = delete;
  PSoft3DDevice& operator=(const PSoft3DDevice&) = delete;

  static constexpr int32_t kMaxThreads = 8;
  // The number of drawing threads new devices get when not told: the machine's cores held to
  // kMaxThreads, unless set (0 goes back to the cores).
  static int32_t DefaultThreadCount();
  static void SetDefaultThreadCount(int32_t threads);
  // Changes the number of drawing threads (0: the default); waits for the work in flight.
  // A target with fewer strips (of 8 rows) than threads is drawn by one thread per strip.
  void SetThreadCount(int32_t threads);
  int32_t ThreadCount() const { return threads_; }
  // Waits until every triangle submitted so far is drawn.
  void Settle() const;
  // Whether spans go four pixels at a time where the build can (the default) or one pixel at
  // a time throughout, as the benchmark compares; the pixels are the same either way.
  static void SetWideSpans(bool wide);

  PResult GetCaps(P3DCaps& caps) override;
  PResult SetRenderState(P3DState state, uint32_t value) override;
  PResult GetRenderState(P3DState state, uint32_t& value) override;
  PResult SetTextureStageState(int32_t stage, P3DStageState state, uint32_t value) override;
  PResult SetTexture(int32_t stage, const PSurface* texture) override;
  PResult BeginScene() override;
  PResult EndScene() override;
  PResult Clear(const P3DRect* rects, int32_t count, uint32_t flags, uint32_t colour,
                  float depth) override;
  PResult DrawPrimitive(P3DPrimitive type, uint32_t format, const void* vertices, int32_t count,
                          uint32_t flags) override;

  PSurface* Target() const { return target_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // The depth buffer, one 16-bit value per pixel (0 near, 65535 far), rows Width() apart.
  const uint16_t* DepthRow(int32_t y) const {
    if (workers_ != nullptr) Settle();
    return depth_.data() + static_cast<size_t>(y) * width_;
  }
  uint16_t Depth(int32_t x, int32_t y) const { return DepthRow(y)[x]; }

  // The largest texture side the device accepts.
  static constexpr int32_t kMaxTextureSide = 2048;

  struct Vertex;  // a triangle corner as the rasteriser sees it
  struct Setup;   // what a triangle needs from the state, resolved once per primitive
  struct Workers;  // the drawing threads and the queue of work they share

 private:
  void ResolveState(Setup& setup, bool textured) const;
  void DrawTriangle(const Setup& setup, const Vertex& a, const Vertex& b, const Vertex& c);
  void StopWorkers();

  PSurface* target_;
  int32_t width_;
  int32_t height_;
  std::vector<uint16_t> depth_;
  // Every depth is the farthest (65535) as cleared, and nothing has written one since: a
  // less-or-equal test then passes everywhere, and primitives that write no depth skip it.
  bool depthFar_ = true;
  std::array<uint32_t, kP3DStateCount> states_{};
  std::array<uint32_t, kP3DStageStateCount> stage_{};
  const PSurface* texture_ = nullptr;
  bool inScene_ = false;
  int32_t threads_ = 1;
  int32_t drawing_ = 1;  // the threads that draw: no more than the target has strips
  std::shared_ptr<Workers> workers_;  // null with one thread: drawn at once on the caller's
};
