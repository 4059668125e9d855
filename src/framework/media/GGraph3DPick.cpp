// Picking: what lies under the mouse. The scene is drawn a second time through a 7 x 7 pixel
// camera aimed along the ray under the cursor into a small 32-bit target of a software
// device, every primitive in a colour that is its number (the numbering pass). Reading the
// block back gives the nearest number; a second drawing (the locating pass) then tells each
// object, while it is drawn, whether it owns that primitive, and gives the world point hit.
#include <cmath>

#include "framework/core/GErrorLog.h"
#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "platform/PSoft3DDevice.h"
#include "platform/PSurfaceOps.h"

namespace {
constexpr float kHalfDegreeInRadians = 0.00872664626f;
}  // namespace

bool GGraph3D::SetUpPickEngine() {
  GErrorLog::LogError("Set up pick engine...");
  PResult result = host_->CreateSurface(kPickSize, kPickSize, PPixelFormat::kXRGB8888, pickTarget_);
  if (result != PResult::kOk) {
    GErrorLog::LogValue("  error in DirectDraw->CreateSurface: ", PResultCode(result));
    return false;
  }
  // The software device keeps its own 16-bit depth buffer of the target's size: that is the
  // pick depth buffer, so there is none to make and attach.
  pickEngine_ = std::make_unique<PSoft3DDevice>(pickTarget_.get());
  pickDevice_ = pickEngine_.get();
  if (pickDevice_->SetRenderState(P3DState::kZEnable, 1) != PResult::kOk) FatalError(954, "GGraph3D");
  if (pickDevice_->SetRenderState(P3DState::kCullMode, P3DCull::kNone) != PResult::kOk) FatalError(956, "GGraph3D");
  if (pickDevice_->SetRenderState(P3DState::kTranslucentSortIndependent, 0) != PResult::kOk)
    FatalError(958, "GGraph3D");
  if (pickDevice_->SetRenderState(P3DState::kShadeMode, P3DShade::kFlat) != PResult::kOk)
    FatalError(960, "GGraph3D");
  return true;
}

bool GGraph3D::SetUpPickViewport() {
  // The pick device draws on its whole 7 x 7 target; pre-transformed vertices need nothing
  // more of a viewport.
  if (pickDevice_ == nullptr) FatalError(703, "GGraph3D");
  return true;
}

void GGraph3D::BeginPick(int32_t x, int32_t y, int32_t width, int32_t height, float fieldOfView, float nearZ,
                         float farZ) {
  SetAlpha(1.0f);
  const float w = static_cast<float>(width);
  const float h = static_cast<float>(height);
  const float t = std::tan(fieldOfView * kHalfDegreeInRadians);
  // The horizontal angle of the ray, then the point on the near plane under the cursor.
  const float across = 2.0f * static_cast<float>(x) / w - 1.0f;
  const float horizontal = std::atan(across * t) * GMath::kDegreesPerRadian;
  const float k = nearZ * t;
  const float nearX = across * k;
  const float nearY = (2.0f * static_cast<float>(y) / h - 1.0f) * k * h / w;
  // The vertical angle as seen once the camera has turned by the horizontal one.
  const float a = horizontal * GMath::kRadiansPerDegree;
  const float d = nearZ * std::cos(a) + nearX * std::sin(a);
  const float y2 = ((nearY * sy_) / d + 1.0f) * hh_;
  const float vertical = std::atan((2.0f * y2 / h - 1.0f) * t * h / w) * GMath::kDegreesPerRadian;
  // The angle that 7 pixels of the view cover.
  const float pickFieldOfView = fieldOfView * 0.5f * static_cast<float>(kPickSize) / hw_;

  SetProjection(0, 0, kPickSize, kPickSize, pickFieldOfView, nearZ, farZ);
  RotateXY(vertical, horizontal);
  pickAngles_[0] = vertical;
  pickAngles_[1] = horizontal;

  pickMode_ = 1;
  primitiveCounter_ = 1;
  pickMarkCount_ = 0;
  pickPointValid_ = false;
  clipping_ = true;

  if (pickDevice_ == nullptr) FatalError(2168, "GGraph3D");
  const P3DRect block{0, 0, kPickSize, kPickSize};
  if (pickDevice_->Clear(&block, 1, kP3DClearTarget | kP3DClearZBuffer, 0, 1.0f) != PResult::kOk)
    FatalError(2168, "GGraph3D");
  if (pickDevice_->BeginScene() != PResult::kOk) FatalError(2170, "GGraph3D");
}

void GGraph3D::FinishPick() {
  pickedPrimitive_ = 0;
  if (pickDevice_ != nullptr) pickDevice_->EndScene();
  if (pickTarget_ == nullptr || pickEngine_ == nullptr) FatalError(2212, "GGraph3D");
  PSurfaceOps::LockInfo lock;
  if (PSurfaceOps::Lock(*pickTarget_, lock) != PResult::kOk) FatalError(2212, "GGraph3D");
  if (lock.format.bitCount < 24) FatalError(2213, "GGraph3D");

  // Each cell's identifier, depth and mark group, column by column.
  constexpr int32_t kCells = kPickSize * kPickSize;
  uint32_t identifier[kCells];
  uint16_t depth[kCells];
  int32_t group[kCells];
  for (int32_t i = 0; i < kPickSize; ++i) {
    for (int32_t j = 0; j < kPickSize; ++j) {
      const int32_t cell = i * kPickSize + j;
      const auto* row = reinterpret_cast<const uint32_t*>(lock.pixels + static_cast<size_t>(j) * lock.pitch);
      identifier[cell] = row[i] & 0xFFFFFFu;
      depth[cell] = pickEngine_->Depth(i, j);
      int32_t g = pickMarkCount_;
      for (int32_t k = 0; k < pickMarkCount_; ++k) {
        if (static_cast<int64_t>(identifier[cell]) <= pickMarks_[k]) {
          g = k;
          break;
        }
      }
      group[cell] = g;
    }
  }

  // The earliest-drawn group under the block wins over later ones; within it the nearest
  // cell (the first of equals).
  int32_t first = -1;
  for (int32_t cell = 0; cell < kCells; ++cell) {
    if (identifier[cell] != 0 && (first < 0 || group[cell] < first)) first = group[cell];
  }
  int32_t best = -1;
  for (int32_t cell = 0; cell < kCells; ++cell) {
    if (identifier[cell] == 0 || group[cell] != first) continue;
    if (best < 0 || depth[cell] < depth[best]) best = cell;
  }
  if (best >= 0) pickedPrimitive_ = static_cast<int32_t>(identifier[best]);

  pickMode_ = 2;
  primitiveCounter_ = 1;
  pickMarkCount_ = 0;
  LoadIdentity();
  RotateXY(pickAngles_[0], pickAngles_[1]);
}

void GGraph3D::EndPick() {
  pickMode_ = 0;
  pickHit_ = false;
}

void GGraph3D::PushPickMark() {
  if (pickMarkCount_ >= kMaxPickMarks) FatalError(2344, "GGraph3D");
  pickMarks_[pickMarkCount_++] = primitiveCounter_ - 1;
}

bool GGraph3D::GetPickPoint(float* x, float* y, float* z) const {
  if (!pickPointValid_) return false;
  *x = pickPoint_[0];
  *y = pickPoint_[1];
  *z = pickPoint_[2];
  return true;
}
