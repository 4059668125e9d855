#include "game/ui/MenuItem.h"

#include "framework/core/GString255.h"
#include "game/ui/Menu.h"

namespace {

// The menu frames that serve as the item's box: lit, and plain.
constexpr int32_t kLitBox = 1;
constexpr int32_t kBox = 4;
constexpr int32_t kBoxSize = 20;

}  // namespace

void MenuItem::Place(int32_t code, uint8_t hotKey, int32_t picture, Menu& menu, int32_t y) {
  // The word and the box are drawn from the menu's pictures: the button itself has none.
  IControl(0, &menu, 0, y, Menu::kWidth, Menu::kItemHeight, code);
  picture_ = picture;
  hotKey_ = hotKey;
  highlightAlways_ = 1;  // the box lights under the pointer
}

void MenuItem::Draw() {
  const auto* menu = dynamic_cast<const Menu*>(GetParent());
  if (menu == nullptr) return;
  if (GGraphic* word = menu->WordPicture(picture_)) DrawGraphic(word, 0, 0);
  if (GGraphic* box = menu->FramePicture(pressed_ != 0 || IsHighlighted() ? kLitBox : kBox)) {
    DrawGraphic(box, Width() - kBoxSize, 0);
  }
  if (hotKey_ == 0) return;
  GString255 letter;
  const char text[2] = {static_cast<char>(hotKey_), 0};
  letter.Assign(text);
  DrawShadowedText(&letter, 134, 13, 0, 2, 255, 255, 255, 0, 0, 0, 0);
}
