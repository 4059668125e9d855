#pragma once
#include <cstdint>

// What the map asks of its battlefield view beyond a view's own operations: the short
// message that replaces the mode line. The screen layer's view implements it, so the map
// reaches the view without knowing its class.
class BattlefieldView {
 public:
  virtual ~BattlefieldView() = default;
  // Shows the text (at most 63 characters; an empty one hides the mode line) for 1.5 s.
  virtual void ShowMessage(const char* text) = 0;
};
