#pragma once
#include <cstdint>

#include "framework/ui/GRadioButton.h"

class CRadioGroup;
class GGraphic;

// A radio button with the editor's picture face: the unlit picture (bitmap 10030) or, while
// selected or pressed, the lit one (10031), with its caption on it. The editor's purchase
// categories and the application's players screen use it.
class EditorRadioButton : public GRadioButton {
 public:
  EditorRadioButton() = default;
  ~EditorRadioButton() override;

  // Joins the group at (left, top), sized to the unlit picture; the text (or none) is the
  // caption.
  void SetupWithText(CRadioGroup* group, const char* text, GView* parent, int32_t left, int32_t top);
  // The same with the caption from the string table.
  void Setup(CRadioGroup* group, int16_t stringId, GView* parent, int32_t left, int32_t top);
  void Draw() override;

 private:
  GGraphic* unlit_ = nullptr;
  GGraphic* lit_ = nullptr;
};
