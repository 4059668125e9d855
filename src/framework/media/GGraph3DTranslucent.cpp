// Deferred translucent triangles: on a device that needs translucent triangles drawn back
// to front, the pipeline's translucent output is copied, already in screen space, into a
// fixed queue and drawn farthest first at the end of the frame.
#include <algorithm>
#include <cstring>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"

namespace {

// A queued record: this header, then count device vertices.
struct RecordHeader {
  int32_t type;
  int32_t count;
  int32_t textured;
  int32_t unused;
  GGraph3DTexture* texture;
};
constexpr size_t kHeaderBytes = sizeof(RecordHeader);
static_assert(GGraph3D::kQueueBytes - GGraph3D::kQueueLimit >=
                  kHeaderBytes + GGraph3D::kMaxPolygon * sizeof(TexturedScreenVertex),
              "a record written below the limit must fit in the queue");

// A full queue is noted in the log once per run.
bool gQueueFullLogged = false;

size_t VertexBytes(bool textured) { return textured ? sizeof(TexturedScreenVertex) : sizeof(ColouredScreenVertex); }

}  // namespace

int32_t GGraph3D::CompareTranslucentItems(GObject* a, GObject* b, void* /*unused*/) {
  // Farther (larger key) first. A key that is not a number counts as nearer than any number
  // and equal to another such key, so that the order stays consistent for the sort.
  float ka = static_cast<TranslucentItem*>(a)->key, kb = static_cast<TranslucentItem*>(b)->key;
  bool aNaN = !(ka == ka), bNaN = !(kb == kb);
  if (aNaN || bNaN) return aNaN == bNaN ? 0 : (aNaN ? 1 : -1);
  if (ka > kb) return -1;
  if (ka < kb) return 1;
  return 0;
}

void GGraph3D::SubmitColouredTriangle() { Submit(P3DPrimitive::kTriangleList, 3, coloured_, false); }

void GGraph3D::SubmitColouredPolygon(int32_t n, P3DPrimitive type, const ColouredScreenVertex* vertices) {
  Submit(type, n, vertices, false);
}

void GGraph3D::SubmitTexturedTriangle() { Submit(P3DPrimitive::kTriangleList, 3, textured_, true); }

void GGraph3D::SubmitTexturedPolygon(int32_t n, P3DPrimitive type, const TexturedScreenVertex* vertices) {
  Submit(type, n, vertices, true);
}

void GGraph3D::Submit(P3DPrimitive type, int32_t n, const void* vertices, bool textured) {
  if (!sortIndependent_ && IsTranslucent()) {
    if (queueWrite_ < kQueueLimit && (!textured || alphaWrite_ < kAlphaBytes))
      Queue(type, n, vertices, textured);
    else
      DrawAtOnce(type, n, vertices, textured);
    return;
  }
  DrawPrimitive(host_->Device(), type, textured ? kP3DTexturedFormat : kP3DColouredFormat, vertices, n);
}

void GGraph3D::Queue(P3DPrimitive type, int32_t n, const void* vertices, bool textured) {
  if (n < 3 || n > kMaxPolygon) FatalError(__LINE__, "GGraph3D");
  RecordHeader header{static_cast<int32_t>(type), n, textured ? 1 : 0, 0, textured ? texture_ : nullptr};
  std::memcpy(queue_.data() + queueWrite_, &header, kHeaderBytes);
  size_t bytes = VertexBytes(textured) * static_cast<size_t>(n);
  std::memcpy(queue_.data() + queueWrite_ + kHeaderBytes, vertices, bytes);
  queueWrite_ += kHeaderBytes + bytes;
  if (textured) alpha_[alphaWrite_++] = static_cast<uint8_t>(colour_ >> 24);
}

void GGraph3D::DrawAtOnce(P3DPrimitive type, int32_t n, const void* vertices, bool textured) {
  // The queue is full: the primitive is drawn now, blended, out of depth order.
  if (!gQueueFullLogged) {
    gQueueFullLogged = true;
    GErrorLog::LogError("Translucent queue full: drawing at once");
  }
  P3DDevice* device = host_->Device();
  uint32_t savedBlend = 0;
  device->GetRenderState(P3DState::kAlphaBlendEnable, savedBlend);
  device->SetRenderState(P3DState::kAlphaBlendEnable, 1);
  bool modulate = textured && texture_ != nullptr;
  if (modulate) {
    device->SetRenderState(P3DState::kTextureFactor, (colour_ & 0xFF000000u) | 0x00FFFFFFu);
    device->SetTextureStageState(0, P3DStageState::kAlphaOp, P3DTextureOp::kModulate);
  }
  DrawPrimitive(device, type, textured ? kP3DTexturedFormat : kP3DColouredFormat, vertices, n);
  if (modulate)
    device->SetTextureStageState(0, P3DStageState::kAlphaOp,
                                 translucentPhase_ ? P3DTextureOp::kModulate : P3DTextureOp::kSelectArg1);
  device->SetRenderState(P3DState::kAlphaBlendEnable, savedBlend);
}

void GGraph3D::BuildTranslucentList() {
  // Room for the most records the queue can hold (each at least a header and a coloured
  // triangle), made once: no frame after the first allocates for its list.
  constexpr size_t kMostRecords = kQueueBytes / (kHeaderBytes + 3 * sizeof(ColouredScreenVertex)) + 1;
  if (translucentList_.capacity() < kMostRecords) translucentList_.reserve(kMostRecords);
  translucentList_.clear();
  size_t offset = 0;
  while (offset < queueWrite_) {
    RecordHeader header;
    std::memcpy(&header, queue_.data() + offset, kHeaderBytes);
    size_t size = VertexBytes(header.textured != 0);
    float key = 0.0f;
    for (size_t i = 0; i < 3; ++i) {
      float z;
      std::memcpy(&z, queue_.data() + offset + kHeaderBytes + i * size + 8, 4);
      key += z;
    }
    uint8_t alpha = header.textured != 0 ? alpha_[alphaRead_++] : 0xFF;
    translucentList_.emplace_back(key, offset, alpha);
    offset += kHeaderBytes + size * static_cast<size_t>(header.count);
  }
  // Equal keys keep the queue's order, so that the same frame blends the same way everywhere.
  std::sort(translucentList_.begin(), translucentList_.end(), [](TranslucentItem& a, TranslucentItem& b) {
    const int32_t order = CompareTranslucentItems(&a, &b, nullptr);
    return order != 0 ? order < 0 : a.offset < b.offset;
  });
}

void GGraph3D::DrawTranslucentItem(const TranslucentItem& item) {
  RecordHeader header;
  std::memcpy(&header, queue_.data() + item.offset, kHeaderBytes);
  const uint8_t* vertices = queue_.data() + item.offset + kHeaderBytes;
  P3DPrimitive type = header.count == 3 ? P3DPrimitive::kTriangleList : static_cast<P3DPrimitive>(header.type);
  P3DDevice* device = host_->Device();
  if (header.textured == 0) {
    if (texture_ != nullptr) DisableStage();
    DrawPrimitive(device, type, kP3DColouredFormat, vertices, header.count);
    return;
  }
  if (header.texture != nullptr)
    SetTexture(header.texture);
  else if (texture_ != nullptr)
    DisableStage();  // drawn without a texture, as it would have been at once
  device->SetRenderState(P3DState::kTextureFactor, static_cast<uint32_t>(item.alpha) << 24 | 0x00FFFFFFu);
  DrawPrimitive(device, type, kP3DTexturedFormat, vertices, header.count);
}

void GGraph3D::DrainTranslucentQueue() {
  if (pickMode_ != 0) FatalError(2784, "GGraph3D");
  SetColor(1.0f, 1.0f, 1.0f);
  P3DDevice* device = host_->Device();
  uint32_t savedBlend = 0;
  device->GetRenderState(P3DState::kAlphaBlendEnable, savedBlend);
  device->SetRenderState(P3DState::kAlphaBlendEnable, 1);
  alphaRead_ = 0;
  translucentPhase_ = true;
  texture_ = nullptr;
  BuildTranslucentList();
  for (const TranslucentItem& item : translucentList_) DrawTranslucentItem(item);
  device->SetRenderState(P3DState::kAlphaBlendEnable, savedBlend);
  translucentPhase_ = false;
}
