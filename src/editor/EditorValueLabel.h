#pragma once
#include <cstdint>

#include "framework/core/GString15.h"
#include "framework/ui/GControl.h"

// One stepped number of the editor's screens followed by a short suffix ("30 turns"). It takes
// no clicks and sends no command: the arrow buttons beside it change its value through the
// editor's counter commands.
class EditorValueLabel : public GControl {
 public:
  static constexpr int32_t kHeight = 12;

  EditorValueLabel() = default;
  ~EditorValueLabel() override = default;

  // The background, then the value and the suffix at baseline 10 in font 1.
  void Draw() override;
  // Clicks on the label do nothing.
  void MouseDown(int32_t, int32_t, uint8_t, uint8_t, uint8_t) override {}

  // Placed 12 high (no tracking, no command); left-aligned, light blue (200, 200, 255); the
  // suffix copied when given (cut to 15 characters).
  void Setup(GView* parent, int32_t x, int32_t y, int32_t width, int32_t value, const char* suffix);
  void SetupWithResource(GView* parent, int32_t x, int32_t y, int32_t width, int32_t value, int16_t suffixId);
  // Below 0 left, 0 centred, above 0 right.
  void SetAlignment(int32_t alignment) { alignment_ = alignment; }
  int32_t GetAlignment() const { return alignment_; }
  // Redraws only when the colour changes.
  void SetColor(uint8_t r, uint8_t g, uint8_t b);
  const uint8_t* GetColor() const { return colour_; }
  // Stores the value and redraws.
  void SetLabelValue(int32_t value);
  // Adds delta to the value, then redraws unless suppressRedraw (the editor's flag) is set.
  void AddValue(int32_t delta, bool suppressRedraw);
  const GString15& GetSuffix() const { return suffix_; }
  // The text drawn: the value in decimal and the suffix, at most 31 characters.
  void GetDrawnText(GString& out) const;
  // Where the text is anchored: 1 left, the width halved centred, width - 1 right.
  int32_t AnchorX() const;

 private:
  GString15 suffix_;
  int32_t alignment_ = -1;
  uint8_t colour_[3] = {200, 200, 255};
};
