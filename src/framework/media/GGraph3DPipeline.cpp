// The primitive pipeline: from three or four model-space points through the current
// transform, back-face culling, rejection and clipping in clip space, to device vertices.
#include <algorithm>
#include <cmath>

#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"

namespace {

bool Finite(float f) { return std::isfinite(f); }

// The clip planes in their order: near, left, right, bottom, top, far.
enum Plane { kNear, kLeft, kRight, kBottom, kTop, kFar, kPlaneCount };

// Whether a corner lies inside a plane (on the far plane counts as inside).
inline bool Inside(int plane, float x, float y, float z, float w) {
  switch (plane) {
    case kNear: return z > 0.0f;
    case kLeft: return x > -w;
    case kRight: return x < w;
    case kBottom: return y > -w;
    case kTop: return y < w;
    default: return z <= w;
  }
}

}  // namespace

void GGraph3D::DrawPrimitive(P3DDevice* device, P3DPrimitive type, uint32_t format, const void* vertices,
                             int32_t count) {
  if (device == host_->Device()) {
    triangles_.sent += type == P3DPrimitive::kTriangleList ? count / 3 : std::max(0, count - 2);
  }
  if (device->DrawPrimitive(type, format, vertices, count, kP3DDrawFlags) != PResult::kOk) FatalError(280, "GGraph3D");
}

bool GGraph3D::SetupTriangle(float x1, float y1, float z1, float x2, float y2, float z2, float x3, float y3,
                             float z3) {
  const float(&m)[4][4] = stack_[current_].m;
  const float p[3][3] = {{x1, y1, z1}, {x2, y2, z2}, {x3, y3, z3}};
  bool allBehind = true;
  for (int i = 0; i < 3; ++i) {
    ClipVertex& v = poly_.v[i];
    v.x = p[i][0] * m[0][0] + p[i][1] * m[1][0] + p[i][2] * m[2][0] + m[3][0];
    v.y = p[i][0] * m[0][1] + p[i][1] * m[1][1] + p[i][2] * m[2][1] + m[3][1];
    v.w = -(p[i][0] * m[0][2] + p[i][1] * m[1][2] + p[i][2] * m[2][2] + m[3][2]);
    allBehind = allBehind && v.w < 0.0f;
  }
  poly_.count = 3;
  return !(clipping_ && allBehind);
}

bool GGraph3D::SetupQuad(float x1, float y1, float z1, float x2, float y2, float z2, float x3, float y3, float z3,
                         float x4, float y4, float z4) {
  const float(&m)[4][4] = stack_[current_].m;
  const float p[4][3] = {{x1, y1, z1}, {x2, y2, z2}, {x3, y3, z3}, {x4, y4, z4}};
  bool allBehind = true;
  for (int i = 0; i < 4; ++i) {
    ClipVertex& v = poly_.v[i];
    v.x = p[i][0] * m[0][0] + p[i][1] * m[1][0] + p[i][2] * m[2][0] + m[3][0];
    v.y = p[i][0] * m[0][1] + p[i][1] * m[1][1] + p[i][2] * m[2][1] + m[3][1];
    v.w = -(p[i][0] * m[0][2] + p[i][1] * m[1][2] + p[i][2] * m[2][2] + m[3][2]);
    allBehind = allBehind && v.w < 0.0f;
  }
  poly_.count = 4;
  return !(clipping_ && allBehind);
}

void GGraph3D::TransformToCamera(float* x, float* y, float* z) const {
  const float(&m)[4][4] = stack_[current_].m;
  float px = *x, py = *y, pz = *z;
  *x = px * m[0][0] + py * m[1][0] + pz * m[2][0] + m[3][0];
  *y = px * m[0][1] + py * m[1][1] + pz * m[2][1] + m[3][1];
  *z = -(px * m[0][2] + py * m[1][2] + pz * m[2][2] + m[3][2]);
}

void GGraph3D::SetClipping(bool on) {
  if (pickMode_ != 0) return;
  clipping_ = on;
}

void GGraph3D::EmitPrimitive() {
  int32_t n = poly_.count;
  ClipVertex* v = poly_.v;

  // 1. Back faces, judged in camera space by the first three corners.
  if (backfaceCulling_) {
    float e1x = v[1].x - v[0].x, e1y = v[1].y - v[0].y, e1w = v[1].w - v[0].w;
    float e2x = v[2].x - v[1].x, e2y = v[2].y - v[1].y, e2w = v[2].w - v[1].w;
    float nx = e1y * e2w - e1w * e2y, ny = e1w * e2x - e1x * e2w, nw = e1x * e2y - e1y * e2x;
    float d = nx * v[0].x + ny * v[0].y + nw * v[0].w;
    if (cullWinding_ ? d >= 0.0f : d <= 0.0f) return;
  }

  // 2. Into clip space.
  for (int32_t i = 0; i < n; ++i) {
    v[i].x *= sx_;
    v[i].y *= sy_;
    v[i].z = v[i].w * depthScale_ + depthOffset_;
  }

  // 3. Rejection and clipping.
  if (clipping_) {
    uint32_t allOut = 0x3F;
    bool allInside = true;
    bool finite = true;
    for (int32_t i = 0; i < n; ++i) {
      const ClipVertex& c = v[i];
      uint32_t out = (c.z <= 0.0f ? 1u : 0u) | (c.x <= -c.w ? 2u : 0u) | (c.x >= c.w ? 4u : 0u) |
                     (c.y <= -c.w ? 8u : 0u) | (c.y >= c.w ? 16u : 0u) | (!noZWrite_ && c.z >= c.w ? 32u : 0u);
      allOut &= out;
      allInside = allInside && c.x > -c.w && c.x < c.w && c.y > -c.w && c.y < c.w && c.z > 0.0f &&
                  (c.z < c.w || noZWrite_);
      finite = finite && Finite(c.x) && Finite(c.y) && Finite(c.z) && Finite(c.w);
    }
    if (allOut != 0) return;
    if (!allInside) {
      // A polygon with a corner at no finite place has nothing that could be cut to the view.
      if (!finite) return;
      if (!ClipPolygon()) return;
      n = poly_.count;
    }
  }

  // 4. Output.
  if (pickMode_ == 2) {
    int32_t number = primitiveCounter_++;
    if (number == pickedPrimitive_) RecordPickPoint();
    return;
  }
  P3DPrimitive type = n == 3 ? P3DPrimitive::kTriangleList : P3DPrimitive::kTriangleFan;
  bool textured = texturedCall_;
  bool recording = recordingBounds_ && pickMode_ == 0;
  for (int32_t i = 0; i < n; ++i) {
    const ClipVertex& c = v[i];
    float rhw = 1.0f / c.w;
    float x = c.x * hw_ * rhw + cx_;
    float y = cy_ - c.y * hh_ * rhw;
    // A corner on the left or top plane lies on the viewport's first pixel column or row, whose
    // centres the rasteriser takes as covered only at or past the edge: the rounding of x times
    // 1 / x must not move it a hair inside and leave that column or row undrawn.
    if (c.x == -c.w) x = cx_ - hw_;
    if (c.y == c.w) y = cy_ - hh_;
    float z = noZWrite_ ? (pickMode_ == 1 ? pickFixedDepth_ : fixedDepth_) : c.z * rhw;
    if (recording) WidenScreenBounds(x, y);
    if (pickMode_ == 1 || !textured) {
      coloured_[i].x = x;
      coloured_[i].y = y;
      coloured_[i].z = z;
      coloured_[i].rhw = rhw;
    } else {
      textured_[i] = {x, y, z, rhw, c.u, -c.v};
    }
  }

  if (pickMode_ == 1) {
    // Each primitive in its own colour: its number.
    int32_t number = primitiveCounter_++;
    if (pickDevice_ == nullptr || number > kMaxPickPrimitive) return;
    for (int32_t i = 0; i < n; ++i) {
      ColouredScreenVertex& c = coloured_[i];
      c.colour = 0xFF000000u | static_cast<uint32_t>(number);
      c.x = c.x > 0.0f ? (c.x < 6.99f ? c.x : 6.99f) : 0.0f;
      c.y = c.y > 0.0f ? (c.y < 6.99f ? c.y : 6.99f) : 0.0f;
    }
    DrawPrimitive(pickDevice_, type, kP3DColouredFormat, coloured_, n);
    return;
  }

  if (noZWrite_) {
    if (textured)
      DrawPrimitive(host_->Device(), type, kP3DTexturedFormat, textured_, n);
    else
      DrawPrimitive(host_->Device(), type, kP3DColouredFormat, coloured_, n);
    return;
  }
  if (textured) {
    if (n == 3)
      SubmitTexturedTriangle();
    else
      SubmitTexturedPolygon(n, P3DPrimitive::kTriangleFan, textured_);
  } else {
    if (n == 3)
      SubmitColouredTriangle();
    else
      SubmitColouredPolygon(n, P3DPrimitive::kTriangleFan, coloured_);
  }
}

bool GGraph3D::ClipPolygon() {
  Polygon* in = &poly_;
  Polygon* out = &clip_;
  for (int plane = 0; plane < kPlaneCount; ++plane) {
    if (plane == kFar && noZWrite_) continue;
    int32_t n = in->count;
    uint32_t mask = 0;
    for (int32_t i = 0; i < n; ++i) {
      const ClipVertex& c = in->v[i];
      if (Inside(plane, c.x, c.y, c.z, c.w)) mask |= 1u << i;
    }
    if (mask == 0) return false;
    if (mask == (1u << n) - 1) continue;

    out->count = 0;
    auto emit = [&](const ClipVertex& c) {
      if (out->count >= kMaxPolygon) FatalError(__LINE__, "GGraph3D");
      out->v[out->count++] = c;
    };
    const ClipVertex* p = &in->v[n - 1];
    bool pIn = (mask >> (n - 1)) & 1;
    for (int32_t i = 0; i < n; ++i) {
      const ClipVertex* q = &in->v[i];
      bool qIn = (mask >> i) & 1;
      if (pIn != qIn) {
        float t;
        switch (plane) {
          case kNear: t = p->z / (p->z - q->z); break;
          case kLeft: t = (p->x + p->w) / ((p->x + p->w) - (q->x + q->w)); break;
          case kRight: t = (p->x - p->w) / ((p->x - p->w) - (q->x - q->w)); break;
          case kBottom: t = (p->y + p->w) / ((p->y + p->w) - (q->y + q->w)); break;
          case kTop: t = (p->y - p->w) / ((p->y - p->w) - (q->y - q->w)); break;
          default: t = (p->z - p->w) / ((p->z - p->w) - (q->z - q->w)); break;
        }
        ClipVertex c;
        c.x = p->x + (q->x - p->x) * t;
        c.y = p->y + (q->y - p->y) * t;
        c.z = p->z + (q->z - p->z) * t;
        c.w = p->w + (q->w - p->w) * t;
        if (texturedCall_) {
          c.u = p->u + (q->u - p->u) * t;
          c.v = p->v + (q->v - p->v) * t;
        } else {
          c.u = c.v = 0.0f;
        }
        switch (plane) {
          case kNear: c.z = 0.0f; break;
          case kLeft: c.x = -c.w; break;
          case kRight: c.x = c.w; break;
          case kBottom: c.y = -c.w; break;
          case kTop: c.y = c.w; break;
          default: c.z = c.w; break;
        }
        emit(c);
      }
      if (qIn) emit(*q);
      p = q;
      pIn = qIn;
    }
    Polygon* swap = in;
    in = out;
    out = swap;
  }
  for (int32_t i = 0; i < in->count; ++i) {
    ClipVertex& c = in->v[i];
    c.x = c.x < -c.w ? -c.w : (c.x > c.w ? c.w : c.x);
    c.y = c.y < -c.w ? -c.w : (c.y > c.w ? c.w : c.y);
  }
  if (in != &poly_) poly_ = *in;
  return true;
}

void GGraph3D::RecordPickPoint() {
  pickHit_ = true;
  pickPointValid_ = true;
  ClipVertex* v = poly_.v;
  for (int i = 0; i < 3; ++i) {
    v[i].x /= sx_;
    v[i].y /= sy_;
  }
  float e1x = v[1].x - v[0].x, e1y = v[1].y - v[0].y, e1w = v[1].w - v[0].w;
  float e2x = v[2].x - v[1].x, e2y = v[2].y - v[1].y, e2w = v[2].w - v[1].w;
  float nx = e1y * e2w - e1w * e2y, ny = e1w * e2x - e1x * e2w, nw = e1x * e2y - e1y * e2x;
  float t = -(nx * v[0].x + ny * v[0].y + nw * v[0].w) / nw;
  for (int j = 0; j < 3; ++j) pickPoint_[j] = t * inverse_.m[2][j] + inverse_.m[3][j];
  // A primitive whose plane runs along the pick axis is hit, but the axis meets its plane
  // nowhere: there is no point to give.
  for (float coordinate : pickPoint_) pickPointValid_ = pickPointValid_ && std::isfinite(coordinate);
}
