#pragma once
#include <cstdint>

#include "framework/core/GRect.h"

class GGraphic;
class GView;

// A bitmap of button frames stacked vertically (frame 0 at the top), with the hover state
// of the button drawn from it. Strip push buttons and strip radio buttons share it.
class GStripFrames {
 public:
  struct Style {
    int32_t frameCount;
    uint8_t hasDisabledFrame;
    uint8_t hasHoverFrame;
  };
  // The frames of a style 0..6 (see GStripButton); fatal for another style.
  static Style StyleOf(int32_t style);
  // The frame a strip shows: disabled, pressed, hover or normal, as the style allows.
  static int32_t ChooseFrame(bool enabled, bool pressed, bool hover, const Style& style);
  // The bounds of a loaded bitmap; false (and an empty rectangle) without one.
  static bool BitmapBounds(const GGraphic* graphic, GRect& out);
  // Draws frame of a strip bitmap at the view's top-left corner; fatal at line (of
  // "GControl") when the bitmap's height is not a multiple of the frame count.
  static void DrawFrame(GView& view, GGraphic* graphic, int32_t frame, int32_t frameCount, int32_t line);

  GStripFrames() = default;
  // Deletes the bitmap.
  ~GStripFrames();
  GStripFrames(const GStripFrames&) = delete;
  GStripFrames& operator=(const GStripFrames&) = delete;

  // Loads bitmap number (kind 0) with the frames of style and gives the size of one frame;
  // without its bitmap the button takes one pixel.
  void Load(int16_t bitmapNumber, int32_t style, int32_t& width, int32_t& height);
  int32_t CurrentFrame(bool enabled, bool pressed) const;
  // Draws the current frame; after a release the hover frame shows for this one drawing.
  void Draw(GView& view, bool enabled, bool pressed, int32_t line);
  // The mouse moved over the button: true when the hover frame must now be drawn.
  bool StartHover();
  // The mouse left the button: false when the style has no hover frame (nothing changed).
  bool EndHover();
  // A press was released over the button: the hover frame shows for the next drawing. False
  // when the style has no hover frame.
  bool HoverAfterRelease();
  // Disabling needs a disabled frame (fatal at line of "GControl" otherwise); it ends the hover.
  void Disable(int32_t line);

  bool IsHover() const { return hover_ != 0; }
  GGraphic* Graphic() const { return graphic_; }

 private:
  GGraphic* graphic_ = nullptr;
  Style style_{1, 0, 0};
  uint8_t hover_ = 0;
  uint8_t hoverOneShot_ = 0;
};
