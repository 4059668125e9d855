#pragma once
#include <cstdint>

#include "framework/ui/GRadioButton.h"

class GGraphic;
class GString;

// A picture radio button with a caption: the purchase screen's category buttons and the
// players screen's choices. It shows picture 10031 when selected or pressed, else 10030, and
// its caption centred on the picture, red when selected and grey when disabled.
class EditorRadioButton : public GRadioButton {
 public:
  static constexpr int16_t kUnlitPicture = 10030;
  static constexpr int16_t kLitPicture = 10031;

  EditorRadioButton() = default;
  ~EditorRadioButton() override;
  EditorRadioButton(const EditorRadioButton&) = delete;
  EditorRadioButton& operator=(const EditorRadioButton&) = delete;

  // Loads both pictures, joins the group at (left, top) sized to the unlit picture; the text,
  // when given, becomes the caption.
  void SetupWithText(CRadioGroup* group, const GString* text, GView* parent, int32_t left, int32_t top);
  // The same with the caption from the string table.
  void Setup(CRadioGroup* group, int16_t stringId, GView* parent, int32_t left, int32_t top);
  // The picture, the caption in white and over it, one pixel up and left, in (255, g, g)
  // when selected, else (g, g, g); g is 125 when the button or a parent is disabled, else 0.
  // A button without a caption is a programmer error (fatal).
  void Draw() override;
  // The caption's colour over its white shadow.
  struct Rgb {
    uint8_t r, g, b;
  };
  static Rgb CaptionColour(bool selected, bool enabled);

 private:
  GGraphic* unlit_ = nullptr;
  GGraphic* lit_ = nullptr;
};
