// The renderer's transform stack and perspective projection.
#include <cmath>
#include <utility>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"

namespace {
}

void GGraph3D::Translate(float x, float y, float z) {
  float(&m)[4][4] = Current().m;
  for (int j = 0; j < 4; ++j) m[3][j] += x * m[0][j] + y * m[1][j] + z * m[2][j];
}

void GGraph3D::TranslateY(float y) {
  float(&m)[4][4] = Current().m;
  for (int j = 0; j < 4; ++j) m[3][j] += y * m[1][j];
}

void GGraph3D::TranslateZ(float z) {
  float(&m)[4][4] = Current().m;
  for (int j = 0; j < 4; ++j) m[3][j] += z * m[2][j];
}

void GGraph3D::TranslateXY(float x, float y) {
  float(&m)[4][4] = Current().m;
  for (int j = 0; j < 4; ++j) m[3][j] += x * m[0][j] + y * m[1][j];
}

void GGraph3D::TranslateXZ(float x, float z) {
  float(&m)[4][4] = Current().m;
  for (int j = 0; j < 4; ++j) m[3][j] += x * m[0][j] + z * m[2][j];
}

void GGraph3D::TranslateYZ(float y, float z) {
  float(&m)[4][4] = Current().m;
  for (int j = 0; j < 4; ++j) m[3][j] += y * m[1][j] + z * m[2][j];
}

void GGraph3D::Scale(float x, float y, float z) {
  float(&m)[4][4] = Current().m;
  for (int j = 0; j < 4; ++j) {
    m[0][j] *= x;
    m[1][j] *= y;
    m[2][j] *= z;
  }
}

void GGraph3D::ScaleX(float x) {
  for (float& v : Current().m[0]) v *= x;
}

void GGraph3D::ScaleZ(float z) {
  for (float& v : Current().m[2]) v *= z;
}

namespace {
// Rows a' = c a + s b and b' = c b - s a, on the first three components.
void Rotate(float* a, float* b, float degrees) {
  float radians = degrees * GMath::kRadiansPerDegree;
  float c = std::cos(radians), s = std::sin(radians);
  for (int j = 0; j < 3; ++j) {
    float na = c * a[j] + s * b[j];
    float nb = c * b[j] - s * a[j];
    a[j] = na;
    b[j] = nb;
  }
}
}  // namespace

void GGraph3D::RotateX(float degrees) { Rotate(Current().m[1], Current().m[2], degrees); }

void GGraph3D::RotateY(float degrees) {
  // R0' = c R0 - s R2; R2' = s R0 + c R2: the Z row turns toward X.
  Rotate(Current().m[2], Current().m[0], degrees);
}

void GGraph3D::RotateZ(float degrees) { Rotate(Current().m[0], Current().m[1], degrees); }

void GGraph3D::RotateXY(float a, float b) {
  RotateX(a);
  RotateY(b);
}

void GGraph3D::RotateYX(float a, float b) {
  RotateY(a);
  RotateX(b);
}

void GGraph3D::RotateZX(float a, float b) {
  RotateZ(a);
  RotateX(b);
}

void GGraph3D::RotateYZ(float a, float b) {
  RotateY(a);
  RotateZ(b);
}

void GGraph3D::Mirror(bool x, bool y, bool z) {
  float(&m)[4][4] = Current().m;
  for (int j = 0; j < 4; ++j) {
    if (x) m[0][j] = -m[0][j];
    if (y) m[1][j] = -m[1][j];
    if (z) m[2][j] = -m[2][j];
  }
}

void GGraph3D::LoadIdentity() { Current().LoadIdentity(); }

void GGraph3D::LookAt(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ, float upX,
                      float upY, float upZ) {
  // F points back from the target to the eye, S to the right, U up.
  float f[3] = {eyeX - targetX, eyeY - targetY, eyeZ - targetZ};
  float length = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
  for (float& v : f) v /= length;
  float s[3] = {upY * f[2] - upZ * f[1], upZ * f[0] - upX * f[2], upX * f[1] - upY * f[0]};
  length = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
  for (float& v : s) v /= length;
  float u[3] = {f[1] * s[2] - f[2] * s[1], f[2] * s[0] - f[0] * s[2], f[0] * s[1] - f[1] * s[0]};

  float(&m)[4][4] = Current().m;
  for (int j = 0; j < 4; ++j) {
    float r0 = m[0][j], r1 = m[1][j], r2 = m[2][j];
    m[0][j] = s[0] * r0 + u[0] * r1 + f[0] * r2;
    m[1][j] = s[1] * r0 + u[1] * r1 + f[1] * r2;
    m[2][j] = s[2] * r0 + u[2] * r1 + f[2] * r2;
  }
  Translate(-eyeX, -eyeY, -eyeZ);

  // The inverse by Gauss-Jordan elimination. Row 3 is never scaled: the transforms built
  // here all have (0, 0, 0, 1) as their fourth column.
  float a[4][4];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) a[r][c] = m[r][c];
  inverse_.LoadIdentity();
  float(&inv)[4][4] = inverse_.m;
  auto swapRows = [&](int r1, int r2) {
    for (int c = 0; c < 4; ++c) {
      std::swap(a[r1][c], a[r2][c]);
      std::swap(inv[r1][c], inv[r2][c]);
    }
  };
  for (int k = 0; k < 3; ++k) {
    if (a[k][k] == 0.0f) {
      for (int r = k + 1; r < 4; ++r)
        if (a[r][k] != 0.0f) {
          swapRows(k, r);
          break;
        }
    }
    float scale = 1.0f / a[k][k];
    for (int c = 0; c < 4; ++c) {
      a[k][c] *= scale;
      inv[k][c] *= scale;
    }
    for (int r = k + 1; r < 4; ++r) {
      float factor = a[r][k];
      for (int c = 0; c < 4; ++c) {
        a[r][c] -= factor * a[k][c];
        inv[r][c] -= factor * inv[k][c];
      }
    }
  }
  for (int k = 3; k >= 1; --k) {
    for (int r = 0; r < k; ++r) {
      float factor = a[r][k];
      for (int c = 0; c < 4; ++c) {
        a[r][c] -= factor * a[k][c];
        inv[r][c] -= factor * inv[k][c];
      }
    }
  }
}

void GGraph3D::SetViewport(int32_t left, int32_t top, int32_t width, int32_t height) {
  hw_ = static_cast<float>(width) * 0.5f;
  hh_ = static_cast<float>(height) * 0.5f;
  cx_ = static_cast<float>(left) + hw_;
  cy_ = static_cast<float>(top) + hh_;
}

void GGraph3D::SetProjection(int32_t left, int32_t top, int32_t width, int32_t height, float fieldOfView,
                             float nearZ, float farZ) {
  if (pickMode_ != 0) return;
  SetViewport(left, top, width, height);
  if (nearZ < 1e-7f) nearZ = 1e-7f;
  if (farZ <= nearZ) farZ = 2.0f * nearZ;
  if (fieldOfView > 179.9f) fieldOfView = 179.9f;
  float half = fieldOfView * 0.00872664626f;
  float c = std::cos(half);
  float t = nearZ * std::sqrt(1.0f / (c * c) - 1.0f);  // half width of the near plane
  float v = (hh_ / hw_) * t;                            // its half height
  depthScale_ = farZ / (farZ - nearZ);
  depthOffset_ = -nearZ * depthScale_;
  sx_ = nearZ / t;
  sy_ = nearZ / v;
  LoadIdentity();
}

void GGraph3D::PushMatrix() {
  if (current_ + 1 >= kStackSize) FatalError(2343, "Quorl");
  stack_[current_ + 1] = stack_[current_];
  ++current_;
}

void GGraph3D::PopMatrix() {
  if (current_ == 0) FatalError(2344, "Quorl");
  --current_;
}
