#include "platform/PRecording3DDevice.h"

#include <cstring>

PRecording3DDevice::PRecording3DDevice() {
  caps_.fog = true;
  caps_.maxTextureWidth = 1024;
  caps_.maxTextureHeight = 1024;
}

float PRecording3DDevice::Call::Float(int32_t vertex, int32_t field) const {
  size_t size = format == kP3DTexturedFormat ? kP3DTexturedVertexSize : kP3DColouredVertexSize;
  size_t offset = static_cast<size_t>(vertex) * size + static_cast<size_t>(field) * 4;
  float f = 0.0f;
  if (vertex >= 0 && field >= 0 && offset + 4 <= vertices.size()) std::memcpy(&f, vertices.data() + offset, 4);
  return f;
}

uint32_t PRecording3DDevice::Call::Colour(int32_t i) const {
  size_t offset = static_cast<size_t>(i) * kP3DColouredVertexSize + 16;
  uint32_t c = 0;
  if (format == kP3DColouredFormat && i >= 0 && offset + 4 <= vertices.size())
    std::memcpy(&c, vertices.data() + offset, 4);
  return c;
}

PResult PRecording3DDevice::Record(Call call) {
  PResult result = failures_[static_cast<int>(call.kind)];
  calls_.push_back(std::move(call));
  return result;
}

PResult PRecording3DDevice::GetCaps(P3DCaps& caps) {
  PResult result = Record(Call(Kind::kGetCaps));
  if (result == PResult::kOk) caps = caps_;
  return result;
}

PResult PRecording3DDevice::SetRenderState(P3DState state, uint32_t value) {
  Call call(Kind::kSetRenderState);
  call.state = static_cast<uint32_t>(state);
  call.value = value;
  PResult result = Record(std::move(call));
  if (result == PResult::kOk && static_cast<uint32_t>(state) < kP3DStateCount) states_[static_cast<uint32_t>(state)] = value;
  return result;
}

PResult PRecording3DDevice::GetRenderState(P3DState state, uint32_t& value) {
  Call call(Kind::kGetRenderState);
  call.state = static_cast<uint32_t>(state);
  PResult result = Record(std::move(call));
  if (result == PResult::kOk) value = State(state);
  return result;
}

PResult PRecording3DDevice::SetTextureStageState(int32_t stage, P3DStageState state, uint32_t value) {
  Call call(Kind::kSetTextureStageState);
  call.stage = stage;
  call.state = static_cast<uint32_t>(state);
  call.value = value;
  PResult result = Record(std::move(call));
  if (result == PResult::kOk && stage == 0 && static_cast<uint32_t>(state) < kP3DStageStateCount)
    stage_[static_cast<uint32_t>(state)] = value;
  return result;
}

PResult PRecording3DDevice::SetTexture(int32_t stage, const PSurface* texture) {
  Call call(Kind::kSetTexture);
  call.stage = stage;
  call.texture = texture;
  PResult result = Record(std::move(call));
  if (result == PResult::kOk) texture_ = texture;
  return result;
}

PResult PRecording3DDevice::BeginScene() { return Record(Call(Kind::kBeginScene)); }

PResult PRecording3DDevice::EndScene() { return Record(Call(Kind::kEndScene)); }

PResult PRecording3DDevice::Clear(const P3DRect* /*rects*/, int32_t count, uint32_t flags, uint32_t colour,
                                    float depth) {
  Call call(Kind::kClear);
  call.count = count;
  call.flags = flags;
  call.value = colour;
  call.depth = depth;
  return Record(std::move(call));
}

PResult PRecording3DDevice::DrawPrimitive(P3DPrimitive type, uint32_t format, const void* vertices, int32_t count,
                                            uint32_t flags) {
  Call call(Kind::kDrawPrimitive);
  call.type = type;
  call.format = format;
  call.count = count;
  call.flags = flags;
  size_t size = format == kP3DTexturedFormat ? kP3DTexturedVertexSize : kP3DColouredVertexSize;
  if (vertices != nullptr && count > 0) {
    const uint8_t* bytes = static_cast<const uint8_t*>(vertices);
    call.vertices.assign(bytes, bytes + size * static_cast<size_t>(count));
  }
  return Record(std::move(call));
}

std::vector<const PRecording3DDevice::Call*> PRecording3DDevice::Draws() const {
  std::vector<const Call*> out;
  for (const Call& c : calls_)
    if (c.kind == Kind::kDrawPrimitive) out.push_back(&c);
  return out;
}

std::vector<const PRecording3DDevice::Call*> PRecording3DDevice::StateCalls(P3DState state) const {
  std::vector<const Call*> out;
  for (const Call& c : calls_)
    if (c.kind == Kind::kSetRenderState && c.state == static_cast<uint32_t>(state)) out.push_back(&c);
  return out;
}
