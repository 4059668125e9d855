#include "game/ui/MenuItem.h"

#include "game/ui/Menu.h"

void MenuItem::Place(int32_t code, uint8_t hotKey, int32_t picture, Menu& menu, int32_t y) {
  // The word and the box are drawn from the menu's pictures: the button itself has none.
  IControl(0, &menu, 0, y, Menu::kWidth, Menu::kItemHeight, code);
  picture_ = picture;
  hotKey_ = hotKey;
}
