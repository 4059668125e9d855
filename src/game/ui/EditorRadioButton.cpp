#include "game/ui/EditorRadioButton.h"

#include "framework/core/GRect.h"
#include "framework/core/GString63.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraphic.h"

EditorRadioButton::~EditorRadioButton() {
  delete unlit_;
  delete lit_;
}

void EditorRadioButton::SetupWithText(CRadioGroup* group, const char* text, GView* parent, int32_t left,
                                      int32_t top) {
  unlit_ = new GGraphic();
  unlit_->Load(1, 10030);
  lit_ = new GGraphic();
  lit_->Load(1, 10031);
  GRect bounds{0, 0, 84, 20};
  if (unlit_->GetStub() != nullptr) unlit_->GetBounds(bounds);
  IRadioButton(group, 0, parent, left, top, bounds.Width(), bounds.Height());
  if (text != nullptr) {
    GString63 caption;
    caption.Assign(text);
    SetLabel(&caption);
  }
}

void EditorRadioButton::Setup(CRadioGroup* group, int16_t stringId, GView* parent, int32_t left, int32_t top) {
  SetupWithText(group, nullptr, parent, left, top);
  SetLabelResource(stringId);
}

void EditorRadioButton::Draw() {
  const bool selected = GetValue() == 1;
  const bool lit = selected || IsPressed();
  DrawGraphic(lit ? lit_ : unlit_, 0, 0);
  const int32_t x = lit ? Width() / 2 : Width() / 2 - 1;
  const int32_t y = lit ? Height() - 4 : Height() - 5;
  if (GetLabel() == nullptr) FatalError(69, "EditorRadioButton.cpp");
  const uint8_t g = IsEnabled() ? 0 : 125;
  DrawText(GetLabel(), x, y, 0, 0, 255, 255, 255);
  if (selected) {
    DrawText(GetLabel(), x - 1, y - 1, 0, 0, 255, g, g);
  } else {
    DrawText(GetLabel(), x - 1, y - 1, 0, 0, g, g, g);
  }
}
