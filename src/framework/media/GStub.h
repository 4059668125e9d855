#pragma once
#include <cstdint>
#include <memory>

#include "framework/core/GObject.h"

class PSurface;

// The one loaded copy of a numbered bitmap of one kind, shared by every GGraphic handle that
// loaded the same (kind, number) and counting them. A 2-D stub holds an off-screen surface in
// the screen format; a texture stub (kind 2) holds an ARGB1555 texture. The graphics store
// owns the stubs and deletes one when its last use is given back.
class GStub : public GObject {
 public:
  GStub();
  GStub(const GStub&) = delete;
  GStub& operator=(const GStub&) = delete;
  // Fatal unless the use count has fallen to 0 (after logging the stub's number and count).
  ~GStub() override;

  int32_t GetKind() const { return kind_; }
  int32_t GetNumber() const { return number_; }
  int32_t GetWidth() const { return width_; }
  int32_t GetHeight() const { return height_; }
  int32_t GetUseCount() const { return useCount_; }
  int32_t GetLevel() const { return level_; }
  const float* GetColorScale() const { return colorScale_; }
  bool IsMipmapped() const { return mipmapped_ != 0; }
  // The 2-D surface (null for a texture stub and after a flush).
  PSurface* GetSurface() const { return surface_.get(); }
  // The texture (null for a 2-D stub and after a flush).
  PSurface* GetTexture() const { return texture_.get(); }

  // Before a display change: drops the surface or texture.
  void Flush();
  // After a display change: a flushed 2-D stub gets a fresh surface with its bitmap. Texture
  // stubs are left empty; their owners load them again.
  void Recreate();
  // After the display lost its surfaces: a lost 2-D surface is restored and refilled from its
  // bitmap file.
  void Reload();

 private:
  friend class GGraphicsStore;
  friend class GGraphic;

  int32_t kind_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t number_ = 0;
  std::unique_ptr<PSurface> surface_;
  int32_t useCount_ = 1;
  std::unique_ptr<PSurface> texture_;
  int32_t level_ = 0;
  float colorScale_[3] = {1.0f, 1.0f, 1.0f};
  uint8_t mipmapped_ = 0;
};
