#include "framework/media/GGraphic.h"

#include <algorithm>
#include <utility>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraphicHost.h"
#include "framework/media/GGraphicPixels.h"
#include "framework/media/GGraphicRenderer.h"
#include "framework/media/GGraphicsStore.h"
#include "framework/media/GStub.h"
#include "platform/PFileSystem.h"

namespace {

GGraphicsStore* StoreOrFatal(int32_t line) {
  GGraphicHost* host = GGraphicHost::Current();
  GGraphicsStore* store = host != nullptr ? host->GetGraphicsStore() : nullptr;
  if (store == nullptr) FatalError(line, "GGraphic");
  return store;
}

}  // namespace

GGraphic::~GGraphic() {
  GGraphicHost* host = GGraphicHost::Current();
  if (stub_ != nullptr) {
    StoreOrFatal(1062)->ReleaseStub(stub_);
    stub_ = nullptr;
  }
  // A graphic whose last load failed may still be in the group from an earlier load.
  if (host != nullptr) host->TrackGraphic(this, false);
}

std::string GGraphic::BitmapName(int32_t number) { return "BMP\\" + std::to_string(number) + ".bmp"; }

void GGraphic::LogLoadFailure(int32_t number) {
  GGraphicHost* host = GGraphicHost::Current();
  std::string folder;
  if (host != nullptr) host->GetBaseFolder(folder, false);
  LogBitmapProblem(number, PFileSystem::Exists(folder + BitmapName(number)) ? "not a bitmap" : "missing");
}

void GGraphic::LogBitmapProblem(int32_t number, const char* why) {
  GErrorLog::LogError(("Bitmap " + BitmapName(number) + " " + why).c_str());
}

bool GGraphic::Load(int32_t kind, int32_t number, int32_t detail, bool quiet) {
  GGraphicHost* host = GGraphicHost::Current();
  if (host == nullptr) FatalError(__LINE__, "GGraphic");
  GGraphicRenderer* renderer = host->GetRenderer();
  if (renderer != nullptr && renderer->TextureMemoryExhausted()) return true;
  GGraphicsStore* store = StoreOrFatal(__LINE__);

  kind_ = kind;
  number_ = number;
  // A handle loaded before gives its old use back, after the new pair is looked up so that
  // loading the same pair again keeps the stub.
  GStub* old = stub_;
  stub_ = store->FindStub(kind, number);
  if (old != nullptr) store->ReleaseStub(old);
  if (stub_ != nullptr) return true;

  if (host->IsBitmapExcluded(number)) return false;
  float scale[3] = {1.0f, 1.0f, 1.0f};
  int32_t level = 0;
  if (renderer != nullptr) {
    renderer->GetColorScale(scale);
    level = renderer->GetDownsampleLevel();
  }
  stub_ = IGraphic(this, kind, number, detail, quiet, level, scale, nullptr, nullptr);
  return stub_ != nullptr;
}

PSurface* GGraphic::GetSurface() const {
  if (kind_ == kTextureKind) FatalError(1315, "GGraphic");
  if (stub_ == nullptr) FatalError(1316, "GGraphic");
  if (stub_->GetSurface() == nullptr) FatalError(1319, "GGraphic");
  return stub_->GetSurface();
}

PSurface* GGraphic::GetTexture() const {
  if (kind_ != kTextureKind) FatalError(1328, "GGraphic");
  if (stub_ == nullptr) FatalError(1329, "GGraphic");
  return stub_->GetTexture();
}

void GGraphic::GetBounds(GRect& r) const {
  if (stub_ == nullptr) FatalError(1358, "GGraphic");
  r = GRect{0, 0, stub_->GetWidth(), stub_->GetHeight()};
}

GStub* GGraphic::IGraphic(GGraphic* owner, int32_t kind, int32_t number, int32_t detail, bool quiet, int32_t level,
                          const float* colorScale, std::unique_ptr<PSurface>* surfaceOut,
                          std::unique_ptr<PSurface>* textureOut) {
  GGraphicHost* host = GGraphicHost::Current();
  if (host == nullptr) FatalError(__LINE__, "GGraphic");
  if (owner == nullptr && (surfaceOut == nullptr || textureOut == nullptr)) FatalError(__LINE__, "GGraphic");

  PBitmapFile::Image image;
  bool unreadable = false;
  if (!ReadNumberedBitmap(number, false, image, unreadable)) {
    // A file that is there but cannot be read is worth a line even when its absence is not.
    if (unreadable || !quiet) GErrorLog::LogValue("GGraphic::IGraphic failed to load bitmap ID #", number);
    if (quiet) return nullptr;
    LogLoadFailure(number);
    FatalError(711, "GGraphic");
  }

  int32_t width = image.width;
  int32_t height = image.height;
  const bool texture = kind == kTextureKind;
  std::unique_ptr<PSurface> surface;
  const PResult created = CreateBitmapSurface(width, height, texture, surface);
  if (created != PResult::kOk) {
    if (created == PResult::kOutOfMemory || created == PResult::kOutOfVideoMemory) {
      GErrorLog::LogValue("GGraphic::IGraphic ran out of memory loading ID #", number);
      if (GGraphicRenderer* renderer = host->GetRenderer()) renderer->NoteTextureMemoryExhausted();
      return nullptr;
    }
    GErrorLog::LogValue("GGraphic::IGraphic failed to create a VRAM surface for ID #", number);
    GErrorLog::LogValue("DDERR = ", PResultCode(created));
    FatalError(700, "GGraphic");
  }
  if (!surface) FatalError(564, "GGraphic");
  PBitmapFile::CopyToSurface(image, *surface);

  const float one[3] = {1.0f, 1.0f, 1.0f};
  const float* scale = colorScale != nullptr ? colorScale : one;
  std::unique_ptr<PSurface> textureSurface;
  if (texture) {
    GGraphicRenderer* renderer = host->GetRenderer();
    if (renderer == nullptr) FatalError(578, "GGraphic");
    const bool transparent = PrepareTexturePixels(*surface, scale);
    int32_t m = std::max(width, height);
    const int32_t maxSide = std::max(renderer->GetMaxTextureSize(), 1);
    if (m > maxSide) {
      while (m > maxSide) {
        m /= 2;
        level += 2;
      }
    } else if (owner != nullptr) {
      if (detail >= 2) level -= 3;
      else if (detail == 1 || transparent) level -= 1;
    }
    if (level > 0 && !HalveTexture(level, surface, width, height)) {
      GErrorLog::LogValue("GGraphic::IGraphic ran out of memory downsampling for ID #", number);
      surface.reset();
      renderer->NoteTextureMemoryExhausted();
      return nullptr;
    }
    if (transparent) FillTransparentTexels(*surface);
    textureSurface = std::move(surface);
    renderer->AddTextureMemory(width * 2 * height);
  } else {
    level = 0;
  }

  if (owner == nullptr) {
    *surfaceOut = std::move(surface);
    *textureOut = std::move(textureSurface);
    return nullptr;
  }
  host->TrackGraphic(owner, true);
  GStub* stub = StoreOrFatal(679)->AddStub(kind, number, width, height, std::move(surface), std::move(textureSurface));
  if (stub == nullptr) FatalError(679, "GGraphic");
  stub->level_ = level;
  std::copy(scale, scale + 3, stub->colorScale_);
  stub->mipmapped_ = 0;
  return stub;
}
