#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "framework/core/GObject.h"
#include "framework/core/GRect.h"
#include "framework/media/GGraph3DTexture.h"

class GStub;
class PSurface;

// A handle to a numbered bitmap, shown as a 2-D off-screen surface or used as a 3-D texture.
// The bitmap itself lives once per (kind, number) in a GStub of the kernel's graphics store;
// the handle holds one use of it and gives it back when deleted. Handles come from the
// graphic factory (GGraphicFactory) or are made and loaded directly.
class GGraphic : public GObject, public GGraph3DTexture {
 public:
  // Kind 2 is a 3-D texture; every other kind a 2-D surface (0 picture views, 1 buttons and
  // fonts; they load alike and differ only as store keys).
  static constexpr int32_t kTextureKind = 2;

  GGraphic() = default;
  GGraphic(const GGraphic&) = delete;
  GGraphic& operator=(const GGraphic&) = delete;
  // Gives the stub's use back and leaves the kernel's live-graphics group.
  ~GGraphic() override;

  // Loads bitmap number as kind: shares the stub of an earlier load of the same pair or reads
  // the bitmap file. Detail (0 normal, 1 one level finer, 2 three levels finer) and quiet (a
  // missing file fails without ending the program) go to IGraphic. False when the bitmap is
  // excluded or could not be loaded. While the renderer's texture memory is exhausted it
  // returns true and changes nothing: the caller's loading pass runs again one level coarser.
  virtual bool Load(int32_t kind, int32_t number, int32_t detail = 0, bool quiet = false);

  // The 2-D surface; fatal for a texture, without a stub, or when the stub has none.
  PSurface* GetSurface() const;
  // The texture (null after a flush); fatal unless kind 2 or without a stub.
  PSurface* GetTexture() const override;
  // {0, 0, width, height} of the loaded bitmap; fatal without a stub.
  void GetBounds(GRect& r) const;

  int32_t GetKind() const { return kind_; }
  int32_t GetNumber() const { return number_; }
  GStub* GetStub() const { return stub_; }

  // Reads bitmap number into a new surface (2-D kinds) or texture (kind 2). With an owner the
  // result becomes a new stub of the kernel's store, the owner joins the live-graphics group
  // and the stub is returned. Without one the surface or texture goes to the out-pointers and
  // the result is null. Null also when the file is missing or unreadable (fatal unless quiet)
  // and when memory ran out (the renderer's texture-memory-exhausted flag is then raised).
  static GStub* IGraphic(GGraphic* owner, int32_t kind, int32_t number, int32_t detail, bool quiet, int32_t level,
                         const float* colorScale, std::unique_ptr<PSurface>* surfaceOut,
                         std::unique_ptr<PSurface>* textureOut);

  // The bitmap file's name below a base folder: "BMP\" + number + ".bmp".
  static std::string BitmapName(int32_t number);
  // Logs which bitmap file could not be loaded and why ("missing", "not a bitmap"), so that
  // the fatal exit that follows a failed load of a needed bitmap names the file.
  static void LogLoadFailure(int32_t number);
  // Logs "Bitmap BMP\<number>.bmp " followed by why.
  static void LogBitmapProblem(int32_t number, const char* why);

 private:
  int32_t kind_ = 0;
  int32_t number_ = 0;
  GStub* stub_ = nullptr;
};
