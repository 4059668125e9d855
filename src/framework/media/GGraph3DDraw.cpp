// The drawing entry points: single triangles and quads, and strips and fans given as arrays.
#include <algorithm>

#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"

void GGraph3D::DrawColouredTriangle(float x1, float y1, float z1, float x2, float y2, float z2, float x3, float y3,
                                    float z3) {
  ++triangles_.given;
  if (SetupTriangle(x1, y1, z1, x2, y2, z2, x3, y3, z3)) EmitPrimitive();
}

void GGraph3D::DrawColouredTriangleArray(const float p[9]) {
  DrawColouredTriangle(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8]);
}

void GGraph3D::DrawTexturedTriangle(float x1, float y1, float z1, float u1, float v1, float x2, float y2, float z2,
                                    float u2, float v2, float x3, float y3, float z3, float u3, float v3) {
  ++triangles_.given;
  texturedCall_ = true;
  if (SetupTriangle(x1, y1, z1, x2, y2, z2, x3, y3, z3)) {
    poly_.v[0].u = u1;
    poly_.v[0].v = v1;
    poly_.v[1].u = u2;
    poly_.v[1].v = v2;
    poly_.v[2].u = u3;
    poly_.v[2].v = v3;
    EmitPrimitive();
  }
  texturedCall_ = false;
}

void GGraph3D::DrawTexturedTriangleArray(const float p[9], const float uv[6]) {
  DrawTexturedTriangle(p[0], p[1], p[2], uv[0], uv[1], p[3], p[4], p[5], uv[2], uv[3], p[6], p[7], p[8], uv[4],
                       uv[5]);
}

void GGraph3D::DrawColouredQuad(float x1, float y1, float z1, float x2, float y2, float z2, float x3, float y3,
                                float z3, float x4, float y4, float z4) {
  triangles_.given += 2;
  if (SetupQuad(x1, y1, z1, x2, y2, z2, x3, y3, z3, x4, y4, z4)) EmitPrimitive();
}

void GGraph3D::DrawTexturedQuad(float x1, float y1, float z1, float u1, float v1, float x2, float y2, float z2,
                                float u2, float v2, float x3, float y3, float z3, float u3, float v3, float x4,
                                float y4, float z4, float u4, float v4) {
  triangles_.given += 2;
  texturedCall_ = true;
  if (SetupQuad(x1, y1, z1, x2, y2, z2, x3, y3, z3, x4, y4, z4)) {
    const float uv[8] = {u1, v1, u2, v2, u3, v3, u4, v4};
    for (int i = 0; i < 4; ++i) {
      poly_.v[i].u = uv[2 * i];
      poly_.v[i].v = uv[2 * i + 1];
    }
    EmitPrimitive();
  }
  texturedCall_ = false;
}

void GGraph3D::DrawTexturedQuadArray(const float p[12], const float uv[8]) {
  DrawTexturedQuad(p[0], p[1], p[2], uv[0], uv[1], p[3], p[4], p[5], uv[2], uv[3], p[6], p[7], p[8], uv[4], uv[5],
                   p[9], p[10], p[11], uv[6], uv[7]);
}

void GGraph3D::DrawTexturedStrip(bool clip, int32_t n, const float* xyz, const float* uv) { Strip(clip, n, xyz, uv); }

void GGraph3D::DrawTexturedFan(bool clip, int32_t n, const float* xyz, const float* uv) { Fan(clip, n, xyz, uv); }

void GGraph3D::DrawColouredStrip(bool clip, int32_t n, const float* xyz) { Strip(clip, n, xyz, nullptr); }

void GGraph3D::DrawColouredFan(bool clip, int32_t n, const float* xyz) { Fan(clip, n, xyz, nullptr); }

bool GGraph3D::UseBatch(bool clip) const { return !clip && pickMode_ == 0 && (sortIndependent_ || !IsTranslucent()); }

void GGraph3D::ArrayTriangle(const float* xyz, const float* uv, int32_t a, int32_t b, int32_t c) {
  const float* pa = xyz + 3 * a;
  const float* pb = xyz + 3 * b;
  const float* pc = xyz + 3 * c;
  if (!SetupTriangle(pa[0], pa[1], pa[2], pb[0], pb[1], pb[2], pc[0], pc[1], pc[2])) return;
  if (uv != nullptr) {
    const int32_t index[3] = {a, b, c};
    for (int i = 0; i < 3; ++i) {
      poly_.v[i].u = uv[2 * index[i]];
      poly_.v[i].v = uv[2 * index[i] + 1];
    }
  }
  EmitPrimitive();
}

void GGraph3D::Fan(bool clip, int32_t n, const float* xyz, const float* uv) {
  if (n <= 0) return;
  triangles_.given += n;
  if (UseBatch(clip)) {
    // Batches of up to 20 triangles, each a fan around point 0 again.
    int32_t points[kBatchTriangles + 2];
    for (int32_t first = 0; first < n; first += kBatchTriangles) {
      int32_t b = std::min(kBatchTriangles, n - first);
      points[0] = 0;
      for (int32_t k = 0; k <= b; ++k) points[k + 1] = first + 1 + k;
      SendBatch(xyz, uv, points, b + 2, P3DPrimitive::kTriangleFan);
    }
    return;
  }
  texturedCall_ = uv != nullptr;
  for (int32_t i = 0; i < n; ++i) ArrayTriangle(xyz, uv, 0, i + 1, i + 2);
  texturedCall_ = false;
}

void GGraph3D::Strip(bool clip, int32_t n, const float* xyz, const float* uv) {
  if (n <= 0) return;
  triangles_.given += n;
  if (UseBatch(clip)) {
    // Batches of up to 20 triangles overlapping by two points; 20 is even, so the
    // triangles of every batch keep their winding.
    int32_t points[kBatchTriangles + 2];
    for (int32_t first = 0; first < n; first += kBatchTriangles) {
      int32_t b = std::min(kBatchTriangles, n - first);
      for (int32_t k = 0; k < b + 2; ++k) points[k] = first + k;
      SendBatch(xyz, uv, points, b + 2, P3DPrimitive::kTriangleStrip);
    }
    return;
  }
  texturedCall_ = uv != nullptr;
  for (int32_t k = 0; k < n; k += 2) {
    ArrayTriangle(xyz, uv, k, k + 1, k + 2);
    if (k + 1 < n) ArrayTriangle(xyz, uv, k + 2, k + 1, k + 3);
  }
  texturedCall_ = false;
}

void GGraph3D::SendBatch(const float* xyz, const float* uv, const int32_t* points, int32_t count, P3DPrimitive type) {
  // Straight to the screen: no culling, rejection or clipping; the caller vouches that the
  // geometry lies inside the view.
  const float(&m)[4][4] = stack_[current_].m;
  TexturedScreenVertex textured[kBatchTriangles + 2];
  ColouredScreenVertex coloured[kBatchTriangles + 2];
  for (int32_t k = 0; k < count; ++k) {
    const float* p = xyz + 3 * points[k];
    float x = p[0] * m[0][0] + p[1] * m[1][0] + p[2] * m[2][0] + m[3][0];
    float y = p[0] * m[0][1] + p[1] * m[1][1] + p[2] * m[2][1] + m[3][1];
    float w = -(p[0] * m[0][2] + p[1] * m[1][2] + p[2] * m[2][2] + m[3][2]);
    float rhw = 1.0f / w;
    float screenX = x * rhw * sx_ * hw_ + cx_;
    float screenY = cy_ - y * rhw * sy_ * hh_;
    float screenZ = (w * depthScale_ + depthOffset_) * rhw;
    if (recordingBounds_) WidenScreenBounds(screenX, screenY);
    if (uv != nullptr)
      textured[k] = {screenX, screenY, screenZ, rhw, uv[2 * points[k]], -uv[2 * points[k] + 1]};
    else
      coloured[k] = {screenX, screenY, screenZ, rhw, colour_};
  }
  if (uv != nullptr)
    DrawPrimitive(host_->Device(), type, kP3DTexturedFormat, textured, count);
  else
    DrawPrimitive(host_->Device(), type, kP3DColouredFormat, coloured, count);
}
