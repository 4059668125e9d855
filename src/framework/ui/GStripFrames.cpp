#include "framework/ui/GStripFrames.h"

#include "framework/core/Quorl.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GGraphicFactory.h"
#include "framework/ui/GView.h"

GStripFrames::Style GStripFrames::StyleOf(int32_t style) {
  static const Style kStyles[7] = {
      {2, 0, 0}, {2, 0, 1}, {3, 1, 0}, {3, 0, 1}, {4, 1, 1}, {1, 0, 0}, {1, 0, 0},
  };
  if (style < 0 || style > 6) FatalError(__LINE__, "GControl");
  return kStyles[style];
}

int32_t GStripFrames::ChooseFrame(bool enabled, bool pressed, bool hover, const Style& style) {
  if (!enabled) return style.hasDisabledFrame ? 2 : 0;
  if (pressed) return style.frameCount > 1 ? 1 : 0;
  if (hover && style.hasHoverFrame) return style.frameCount - 1;
  return 0;
}

bool GStripFrames::BitmapBounds(const GGraphic* graphic, GRect& out) {
  out = GRect{};
  if (graphic == nullptr || graphic->GetStub() == nullptr) return false;
  graphic->GetBounds(out);
  return true;
}

void GStripFrames::DrawFrame(GView& view, GGraphic* graphic, int32_t frame, int32_t frameCount, int32_t line) {
  GRect bounds;
  // A bitmap that could not be loaded shows nothing.
  if (!BitmapBounds(graphic, bounds)) return;
  const int32_t height = bounds.Height();
  if (frameCount < 1 || height % frameCount != 0) FatalError(line, "GControl");
  const int32_t frameHeight = height / frameCount;
  const GRect source{0, frame * frameHeight, bounds.Width(), (frame + 1) * frameHeight};
  view.DrawGraphicPart(graphic, source, 0, 0);
}

GStripFrames::~GStripFrames() { SafeDelete(graphic_); }

void GStripFrames::Load(int16_t bitmapNumber, int32_t style, int32_t& width, int32_t& height) {
  graphic_ = GGraphicFactory::NewGraphicOfKind(0, bitmapNumber);
  style_ = StyleOf(style);
  hover_ = 0;
  hoverOneShot_ = 0;
  GRect bounds;
  if (!BitmapBounds(graphic_, bounds)) bounds = GRect{0, 0, 1, style_.frameCount};
  width = bounds.Width();
  height = bounds.Height() / style_.frameCount;
}

int32_t GStripFrames::CurrentFrame(bool enabled, bool pressed) const {
  return ChooseFrame(enabled, pressed, hover_ != 0, style_);
}

void GStripFrames::Draw(GView& view, bool enabled, bool pressed, int32_t line) {
  DrawFrame(view, graphic_, CurrentFrame(enabled, pressed), style_.frameCount, line);
  if (hoverOneShot_) {
    hoverOneShot_ = 0;
    hover_ = 0;
  }
}

bool GStripFrames::StartHover() {
  if (!style_.hasHoverFrame || hover_) return false;
  hover_ = 1;
  return true;
}

bool GStripFrames::EndHover() {
  if (!style_.hasHoverFrame) return false;
  hover_ = 0;
  return true;
}

bool GStripFrames::HoverAfterRelease() {
  if (!style_.hasHoverFrame) return false;
  hover_ = 1;
  hoverOneShot_ = 1;
  return true;
}

void GStripFrames::Disable(int32_t line) {
  if (!style_.hasDisabledFrame) FatalError(line, "GControl");
  hover_ = 0;
}
