#pragma once
#include <cstdint>

class GGraphic;
class GGroup;

// Graphics by number for code all over the program: each call makes a new GGraphic, loads it
// in the right kind and detail and hands it to the caller, who owns it. The kernel forwards
// its own graphic operations here and keeps the live-graphics group that TrackGraphic keeps.
class GGraphicFactory {
 public:
  // Texture detail options.
  static constexpr int32_t kNormalDetail = 0;
  static constexpr int32_t kOneLevelFiner = 1;
  static constexpr int32_t kThreeLevelsFiner = 2;

  // A new graphic loaded as kind; returned even when loading failed.
  static GGraphic* NewGraphicOfKind(int32_t kind, int32_t number);
  // As NewGraphicOfKind, but quiet, and null (the graphic deleted) when loading failed.
  static GGraphic* TryNewGraphic(int32_t kind, int32_t number);
  // Null for a number below 1; else a new texture graphic (kind 2) of that detail, returned
  // even when loading failed.
  static GGraphic* NewTextureGraphic(int32_t number, int32_t detail);
  static GGraphic* NewGraphic(int32_t number) { return NewTextureGraphic(number, kNormalDetail); }
  static GGraphic* NewDetailedTexture(int32_t number) { return NewTextureGraphic(number, kOneLevelFiner); }
  static GGraphic* NewTexture(int32_t number) { return NewTextureGraphic(number, kThreeLevelsFiner); }

  // Keeps the live-graphics group: add appends the graphic unless it is already there;
  // remove takes it out (without deleting it) unless the group is being walked or destroyed
  // (walking). A null group is fatal.
  static void TrackGraphic(GGroup* liveGraphics, bool walking, GGraphic* graphic, bool add);
};
