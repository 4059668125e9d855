#include "framework/media/GTransform.h"

GTransform::GTransform() : m{} {}

GTransform::~GTransform() = default;

void GTransform::LoadIdentity() {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) m[r][c] = r == c ? 1.0f : 0.0f;
}
