#pragma once
#include <array>
#include <cstdint>
#include <vector>

// A vehicle model as constant data, and the one routine that draws it. Header-only so that the
// model tools run the game's own drawing code over the records they make.
//
// A record holds a step list, a block of positions (x, y, z per vertex) and a block of texture
// coordinates (u, v per vertex), both in drawing order with the strips' texture coordinates
// first, and its constants (footprint, pivots, flash point, recoil, immediate triangles and
// quads). A strip or fan of n triangles takes the next n + 2 vertices of both blocks, a triangle
// from arrays the next 3, a coloured fan the next n + 2 positions only. There are no indices.
//
// Model units: x across the hull (+x its right side), y along it (the gun points to +y), z up,
// the ground under the vehicle at z = 0.

enum class ModelOp : uint8_t {
  kCullOff,       // back-face culling off
  kCullOn,        // back-face culling on
  kFootprint,     // k: min x, min y, max x, max y
  kBind,          // n: texture entry 0..16
  kStrip,         // n triangles; side 0 (+x) or 1 (-x); sign +1 or -1 on the side's offset
  kFan,           // n triangles
  kArray,         // one triangle from the blocks
  kValue,         // k: 15 values, x y z u v per corner
  kQuad,          // k: 20 values, x y z u v per corner
  kColour,        // k: r, g, b
  kColouredFan,   // n triangles, positions only
  kTrackValue,    // k: 15 values; v of each corner is the side's offset plus the stored value
  kPush,
  kPop,
  kTranslate,     // k: x, y, z
  kTranslateY,    // k: y
  kTranslateXY,   // k: x, y
  kTranslateYZ,   // k: y, z
  kTurn,          // about z by the turret angle
  kTilt,          // about y by the turret tilt, only when that is not 0
  kElevate,       // about x by the gun elevation
  kFlash,         // k: size, x, y, z
  kRecoil,        // k: distance
  kVariant,       // n: the following steps drawn only with the variant set
};

struct ModelStep {
  ModelOp op = ModelOp::kCullOff;
  uint8_t n = 0;
  uint8_t side = 0;
  int8_t sign = 1;
  uint32_t k = 0;
};

struct ModelProgram {
  const ModelStep* steps = nullptr;
  int32_t stepCount = 0;
  const float* positions = nullptr;
  int32_t positionCount = 0;  // floats
  const float* uvs = nullptr;
  int32_t uvCount = 0;  // floats
  const float* constants = nullptr;
  int32_t constantCount = 0;
};

// The draw values a record reads, and the footprint it writes.
struct ModelDrawValues {
  static constexpr int32_t kPlusX = 0;
  static constexpr int32_t kMinusX = 1;
  static constexpr int32_t kMaxStripTriangles = 16;

  float turretAngle = 0.0f;
  float gunElevation = 0.0f;
  float turretTilt = 0.0f;
  // Texture-v offsets of the running gear: [0] the +x side, [1] the -x side.
  std::array<float, 2> trackScroll{};
  std::array<float, 4>* footprint = nullptr;
  // Binds texture entry 0..16 on the game's renderer; null binds nothing.
  void (*bind)(int32_t entry) = nullptr;
};

// What a record consumes of its blocks for one step.
inline int32_t ModelStepVertices(const ModelStep& step) {
  switch (step.op) {
    case ModelOp::kStrip:
    case ModelOp::kFan:
    case ModelOp::kColouredFan: return step.n + 2;
    case ModelOp::kArray: return 3;
    default: return 0;
  }
}

// A renderer and host that record every call, for tests and the model tools. Each call keeps its
// arguments, copies of the arrays it was given, the matrix depth and the stage it was made in:
// the hull until the turret turns, the turret until the gun is raised, the gun until the
// recoil, then the barrel.
class ModelCallLog {
 public:
  enum class Kind : uint8_t {
    kCulling, kBind, kStrip, kFan, kArray, kValue, kQuad, kColour, kColouredFan, kPush, kPop, kTranslate,
    kTranslateY, kTranslateXY, kTranslateYZ, kRotateX, kRotateY, kRotateZ, kFlash, kRecoil,
  };
  enum class Stage : uint8_t { kHull, kTurret, kGun, kBarrel };
  struct Call {
    Kind kind = Kind::kCulling;
    Stage stage = Stage::kHull;
    int32_t depth = 0;
    int32_t n = 0;     // triangles, texture entry, culling on (1) or off (0)
    bool clip = false;
    std::vector<float> args;  // scalar arguments, or the positions of a primitive
    std::vector<float> uvs;   // the texture coordinates of a primitive
  };

  const std::vector<Call>& Calls() const { return calls_; }
  int32_t Depth() const { return depth_; }
  void Clear() {
    calls_.clear();
    depth_ = 0;
    stage_ = Stage::kHull;
  }

  void SetBackfaceCulling(bool on) { Add(Kind::kCulling, on ? 1 : 0); }
  void BindEntry(int32_t entry) { Add(Kind::kBind, entry); }
  void DrawTexturedStrip(bool clip, int32_t n, const float* xyz, const float* uv) {
    AddPrimitive(Kind::kStrip, clip, n, xyz, uv, n + 2);
  }
  void DrawTexturedFan(bool clip, int32_t n, const float* xyz, const float* uv) {
    AddPrimitive(Kind::kFan, clip, n, xyz, uv, n + 2);
  }
  void DrawTexturedTriangleArray(const float p[9], const float uv[6]) {
    AddPrimitive(Kind::kArray, false, 1, p, uv, 3);
  }
  void DrawTexturedTriangle(float x1, float y1, float z1, float u1, float v1, float x2, float y2, float z2,
                            float u2, float v2, float x3, float y3, float z3, float u3, float v3) {
    Call& call = Add(Kind::kValue, 1);
    call.args = {x1, y1, z1, x2, y2, z2, x3, y3, z3};
    call.uvs = {u1, v1, u2, v2, u3, v3};
  }
  void DrawTexturedQuad(float x1, float y1, float z1, float u1, float v1, float x2, float y2, float z2, float u2,
                        float v2, float x3, float y3, float z3, float u3, float v3, float x4, float y4, float z4,
                        float u4, float v4) {
    Call& call = Add(Kind::kQuad, 2);
    call.args = {x1, y1, z1, x2, y2, z2, x3, y3, z3, x4, y4, z4};
    call.uvs = {u1, v1, u2, v2, u3, v3, u4, v4};
  }
  void SetColor(float r, float g, float b) { Add(Kind::kColour, 0).args = {r, g, b}; }
  void DrawColouredFan(bool clip, int32_t n, const float* xyz) {
    AddPrimitive(Kind::kColouredFan, clip, n, xyz, nullptr, n + 2);
  }
  void PushMatrix() {
    Add(Kind::kPush, 0);
    ++depth_;
  }
  void PopMatrix() {
    --depth_;
    Add(Kind::kPop, 0);
  }
  void Translate(float x, float y, float z) { Add(Kind::kTranslate, 0).args = {x, y, z}; }
  void TranslateY(float y) { Add(Kind::kTranslateY, 0).args = {y}; }
  void TranslateXY(float x, float y) { Add(Kind::kTranslateXY, 0).args = {x, y}; }
  void TranslateYZ(float y, float z) { Add(Kind::kTranslateYZ, 0).args = {y, z}; }
  void RotateX(float degrees) {
    stage_ = Stage::kGun;
    Add(Kind::kRotateX, 0).args = {degrees};
  }
  void RotateY(float degrees) { Add(Kind::kRotateY, 0).args = {degrees}; }
  void RotateZ(float degrees) {
    if (stage_ == Stage::kHull) stage_ = Stage::kTurret;
    Add(Kind::kRotateZ, 0).args = {degrees};
  }
  // The host's two operations.
  void DrawMuzzleFlash(float size, float x, float y, float z) { Add(Kind::kFlash, 0).args = {size, x, y, z}; }
  void TranslateRecoil(float distance) {
    Add(Kind::kRecoil, 0).args = {distance};
    stage_ = Stage::kBarrel;
  }

 private:
  Call& Add(Kind kind, int32_t n) {
    Call& call = calls_.emplace_back();
    call.kind = kind;
    call.stage = stage_;
    call.depth = depth_;
    call.n = n;
    return call;
  }
  void AddPrimitive(Kind kind, bool clip, int32_t n, const float* xyz, const float* uv, int32_t vertices) {
    Call& call = Add(kind, n);
    call.clip = clip;
    call.args.assign(xyz, xyz + 3 * vertices);
    if (uv != nullptr) call.uvs.assign(uv, uv + 2 * vertices);
  }

  std::vector<Call> calls_;
  int32_t depth_ = 0;
  Stage stage_ = Stage::kHull;
};

namespace model_program_detail {

template <class Renderer>
void Bind(Renderer& renderer, const ModelDrawValues& values, int32_t entry) {
  if constexpr (requires { renderer.BindEntry(entry); }) {
    renderer.BindEntry(entry);
  } else if (values.bind != nullptr) {
    values.bind(entry);
  }
}

}  // namespace model_program_detail

// Draws a record. The host (null for none) receives the muzzle flash and the recoil. The track
// offset is added to a copy of each strip's texture coordinates on the stack, so the record stays
// constant and the renderer gets exactly float(v + sign * offset); nothing is allocated.
template <class Renderer, class Host>
void RunModelProgram(const ModelProgram& program, Renderer& renderer, Host* host, const ModelDrawValues& values,
                     bool clip, bool variant) {
  namespace d = model_program_detail;
  const float* position = program.positions;
  const float* uv = program.uvs;
  const float* c = program.constants;
  int32_t skip = 0;  // steps of a variant block left to pass over
  for (int32_t i = 0; i < program.stepCount; ++i) {
    const ModelStep& step = program.steps[i];
    const int32_t vertices = ModelStepVertices(step);
    if (skip > 0) {
      --skip;
      if (vertices > 0) {
        position += 3 * vertices;
        if (step.op != ModelOp::kColouredFan) uv += 2 * vertices;
      }
      continue;
    }
    // A record without constants (or without blocks) has no step that reads them.
    const float* k = c != nullptr ? c + step.k : nullptr;
    switch (step.op) {
      case ModelOp::kCullOff: renderer.SetBackfaceCulling(false); break;
      case ModelOp::kCullOn: renderer.SetBackfaceCulling(true); break;
      case ModelOp::kFootprint:
        if (values.footprint != nullptr) *values.footprint = {k[0], k[1], k[2], k[3]};
        break;
      case ModelOp::kBind: d::Bind(renderer, values, step.n); break;
      case ModelOp::kStrip: {
        float shifted[2 * (ModelDrawValues::kMaxStripTriangles + 2)];
        const float s = values.trackScroll[step.side & 1];
        const int32_t count = vertices <= ModelDrawValues::kMaxStripTriangles + 2 ? vertices : 0;
        for (int32_t v = 0; v < count; ++v) {
          shifted[2 * v] = uv[2 * v];
          shifted[2 * v + 1] = step.sign < 0 ? uv[2 * v + 1] - s : uv[2 * v + 1] + s;
        }
        renderer.DrawTexturedStrip(clip, count - 2, position, shifted);
        break;
      }
      case ModelOp::kFan: renderer.DrawTexturedFan(clip, step.n, position, uv); break;
      case ModelOp::kArray: renderer.DrawTexturedTriangleArray(position, uv); break;
      case ModelOp::kValue:
        renderer.DrawTexturedTriangle(k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7], k[8], k[9], k[10], k[11], k[12],
                                      k[13], k[14]);
        break;
      case ModelOp::kTrackValue: {
        const float s = values.trackScroll[step.side & 1];
        renderer.DrawTexturedTriangle(k[0], k[1], k[2], k[3], s + k[4], k[5], k[6], k[7], k[8], s + k[9], k[10], k[11],
                                      k[12], k[13], s + k[14]);
        break;
      }
      case ModelOp::kQuad:
        renderer.DrawTexturedQuad(k[0], k[1], k[2], k[3], k[4], k[5], k[6], k[7], k[8], k[9], k[10], k[11], k[12], k[13],
                                  k[14], k[15], k[16], k[17], k[18], k[19]);
        break;
      case ModelOp::kColour: renderer.SetColor(k[0], k[1], k[2]); break;
      case ModelOp::kColouredFan: renderer.DrawColouredFan(clip, step.n, position); break;
      case ModelOp::kPush: renderer.PushMatrix(); break;
      case ModelOp::kPop: renderer.PopMatrix(); break;
      case ModelOp::kTranslate: renderer.Translate(k[0], k[1], k[2]); break;
      case ModelOp::kTranslateY: renderer.TranslateY(k[0]); break;
      case ModelOp::kTranslateXY: renderer.TranslateXY(k[0], k[1]); break;
      case ModelOp::kTranslateYZ: renderer.TranslateYZ(k[0], k[1]); break;
      case ModelOp::kTurn: renderer.RotateZ(values.turretAngle); break;
      case ModelOp::kTilt:
        if (values.turretTilt != 0.0f) renderer.RotateY(values.turretTilt);
        break;
      case ModelOp::kElevate: renderer.RotateX(values.gunElevation); break;
      case ModelOp::kFlash:
        if (host != nullptr) host->DrawMuzzleFlash(k[0], k[1], k[2], k[3]);
        break;
      case ModelOp::kRecoil:
        if (host != nullptr) host->TranslateRecoil(k[0]);
        break;
      case ModelOp::kVariant:
        if (!variant) skip = step.n;
        break;
    }
    if (vertices > 0) {
      position += 3 * vertices;
      if (step.op != ModelOp::kColouredFan) uv += 2 * vertices;
    }
  }
}
