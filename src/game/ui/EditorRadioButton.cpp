#include "game/ui/EditorRadioButton.h"

#include "framework/core/GString63.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraphic.h"

EditorRadioButton::~EditorRadioButton() {
  delete unlit_;
  delete lit_;
}

void EditorRadioButton::SetupWithText(CRadioGroup* group, const GString* text, GView* parent, int32_t left,
                                      int32_t top) {
  delete unlit_;
  delete lit_;
  unlit_ = new GGraphic();
  lit_ = new GGraphic();
  unlit_->Load(1, kUnlitPicture);
  lit_->Load(1, kLitPicture);
  // A picture that failed to load leaves the button at the pictures' usual size.
  GRect bounds{0, 0, 84, 20};
  if (unlit_->GetStub() != nullptr) unlit_->GetBounds(bounds);
  IRadioButton(group, 0, parent, left, top, bounds.right - bounds.left, bounds.bottom - bounds.top);
  if (text != nullptr) SetLabel(text);
}

void EditorRadioButton::Setup(CRadioGroup* group, int16_t stringId, GView* parent, int32_t left, int32_t top) {
  SetupWithText(group, nullptr, parent, left, top);
  SetLabelResource(stringId);
}

void EditorRadioButton::Draw() {
  const bool selected = value_ == 1;
  const bool lit = selected || pressed_ != 0;
  GGraphic* picture = lit ? lit_ : unlit_;
  if (picture != nullptr && picture->GetStub() != nullptr) DrawGraphic(picture, 0, 0);
  // The caption moves with the pressed picture.
  const int32_t x = lit ? Width() / 2 : Width() / 2 - 1;
  const int32_t y = lit ? Height() - 4 : Height() - 5;
  if (label_ == nullptr) FatalError(69, "EditorRadioButton.cpp");
  DrawText(label_, x, y, 0, 1, 255, 255, 255);
  const Rgb colour = CaptionColour(selected, IsEnabled());
  DrawText(label_, x - 1, y - 1, 0, 1, colour.r, colour.g, colour.b);
}

EditorRadioButton::Rgb EditorRadioButton::CaptionColour(bool selected, bool enabled) {
  const uint8_t grey = enabled ? 0 : 125;
  return selected ? Rgb{255, grey, grey} : Rgb{grey, grey, grey};
}
