#include "framework/media/GStub.h"

#include <cstring>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GGraphicPixels.h"
#include "platform/PFailureInjection.h"
#include "platform/PSurface.h"

GStub::GStub() = default;

GStub::~GStub() {
  // The surface or texture is owned here alone, so no other reference to it is left over.
  if (kind_ == GGraphic::kTextureKind) texture_.reset();
  else surface_.reset();
  if (useCount_ != 0) {
    GErrorLog::LogValue("!!! For ID# ", number_);
    GErrorLog::LogValue("Windows refcount is ", 0);
    GErrorLog::LogValue("My use count is ", useCount_);
    FatalError(754, "GGraphic");
  }
}

void GStub::Flush() {
  if (kind_ == GGraphic::kTextureKind) texture_.reset();
  else surface_.reset();
}

void GStub::Recreate() {
  // A flushed texture stub stays empty: the owners of textures load them again themselves.
  if (kind_ == GGraphic::kTextureKind || surface_ || texture_) return;
  GGraphic::IGraphic(nullptr, kind_, number_, 0, false, 0, colorScale_, &surface_, &texture_);
}

void GStub::Reload() {
  if (kind_ == GGraphic::kTextureKind || !surface_) return;
  // The display layer keeps surfaces in memory, so they are lost only where a test says so.
  if (PFailureInjection::Check("IsLost") != PResult::kSurfaceLost) return;
  GErrorLog::LogError("Attempting a reload");
  if (PFailureInjection::Check("Restore") != PResult::kOk) FatalError(850, "GGraphic");
  // A restored surface has lost its picture.
  std::memset(surface_->Pixels(), 0, surface_->SizeInBytes());
  PBitmapFile::Image image;
  bool unreadable = false;
  if (!ReadNumberedBitmap(number_, true, image, unreadable)) {
    GErrorLog::LogValue("Restoring: Problem loading BMP #", number_);
    return;
  }
  PBitmapFile::CopyToSurface(image, *surface_);
}
