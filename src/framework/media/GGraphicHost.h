#pragma once
#include <cstdint>
#include <string>

class GGraphic;
class GGraphicRenderer;
class GGraphicsStore;
class PDisplay;
class PTextureBudget;

// What graphics need of the kernel: its graphics store, the excluded bitmap numbers, the
// live-graphics group, the folders bitmaps are read from, the display and the renderer.
// The kernel installs one host (SetCurrent) for as long as it lives; tests install their own.
class GGraphicHost {
 public:
  virtual ~GGraphicHost() = default;

  // The host graphics use; null when none is installed.
  static GGraphicHost* Current();
  static void SetCurrent(GGraphicHost* host);

  // The kernel's store; null before it is made and after it is deleted.
  virtual GGraphicsStore* GetGraphicsStore() = 0;
  // True for the numbers of bitmaps that are never loaded.
  virtual bool IsBitmapExcluded(int32_t number) = 0;
  // Adds the graphic to the live-graphics group or takes it out (GGraphicFactory::TrackGraphic).
  virtual void TrackGraphic(GGraphic* graphic, bool add) = 0;
  // The folder (program form, trailing "\") bitmaps are looked for in. Without alternate: the
  // program folder, result false. With alternate: the alternate data folder and true when
  // one is known, else the program folder and false.
  virtual bool GetBaseFolder(std::string& folder, bool alternate) = 0;
  // The display surfaces and textures are made on.
  virtual PDisplay* GetDirectDraw() = 0;
  // The video memory textures take from; null: no limit.
  virtual PTextureBudget* GetTextureBudget() = 0;
  // The 3-D renderer; null when none exists.
  virtual GGraphicRenderer* GetRenderer() = 0;
};
