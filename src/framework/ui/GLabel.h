#pragma once
#include <cstdint>

#include "framework/core/GString255.h"
#include "framework/ui/GView.h"

// One line of text, optionally shadowed, in a strip 15 pixels high; the text's baseline is
// at y = 12 and it is drawn left, centred or right in the strip.
class GLabel : public GView {
 public:
  static constexpr int32_t kHeight = 15;

  GLabel();
  ~GLabel() override = default;

  // The background (when fill is set), then the text (its shadow first).
  void Draw() override;

  // Places the label (15 high); a null text leaves it empty.
  void InitWithText(GView* parent, int32_t x, int32_t y, int32_t width, const char* text);
  void InitWithResource(GView* parent, int32_t x, int32_t y, int32_t width, int16_t stringId);
  // Null empties the text; otherwise a copy of up to 255 characters. Redraws the label.
  void SetText(const GString* text);
  void SetTextResource(int16_t id);
  const GString255& GetText() const { return text_; }
  // These store the value; the label is redrawn when it next draws.
  void SetColor(uint8_t r, uint8_t g, uint8_t b) {
    colour_[0] = r;
    colour_[1] = g;
    colour_[2] = b;
  }
  void SetAlignment(int32_t alignment) { alignment_ = alignment; }
  void SetShadow(uint8_t shadow) { shadow_ = shadow; }
  void SetShadowColor(uint8_t r, uint8_t g, uint8_t b) {
    shadowColour_[0] = r;
    shadowColour_[1] = g;
    shadowColour_[2] = b;
  }
  void SetFill(uint8_t fill) { fill_ = fill; }
  void SetFont(int32_t font) { font_ = font; }
  int32_t GetAlignment() const { return alignment_; }
  int32_t GetFont() const { return font_; }
  // Where the text is anchored: 1 for left, the middle for centred, width - 1 for right.
  int32_t AnchorX() const;

 private:
  GString255 text_;
  uint8_t colour_[3] = {255, 255, 255};
  uint8_t shadowColour_[3] = {0, 0, 0};
  uint8_t shadow_ = 0;
  uint8_t fill_ = 1;
  int32_t alignment_ = -1;
  int32_t font_ = 0;
};
