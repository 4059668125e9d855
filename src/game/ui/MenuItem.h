#pragma once
#include <cstdint>

#include "framework/ui/GPictureButton.h"

class Menu;

// One order of a menu: a 160 x 20 button whose command is the order code, with the picture
// of the order's word and its hot-key letter.
class MenuItem : public GPictureButton {
 public:
  void Place(int32_t code, uint8_t hotKey, int32_t picture, Menu& menu, int32_t y);
  int32_t GetPicture() const { return picture_; }
  uint8_t GetHotKey() const { return hotKey_; }
  // The order's word, the box at the right end (lit while pressed or under the pointer) and
  // the hot-key letter in white with a black shadow.
  void Draw() override;

 private:
  int32_t picture_ = 0;
  uint8_t hotKey_ = 0;
};
