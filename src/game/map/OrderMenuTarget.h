#pragma once
#include <cstdint>

// The open orders menu as the battle's command handler reaches it: the codes 20..51 its items
// send come back to it. The screen layer's menus implement it.
class OrderMenuTarget {
 public:
  virtual ~OrderMenuTarget() = default;
  virtual void Execute(int32_t code) = 0;
};
