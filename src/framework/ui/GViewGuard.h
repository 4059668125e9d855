#pragma once
#include "framework/ui/GView.h"

// Watches a view across a call that may delete it (a control's command can close the screen
// the control stands on): once the view is destroyed the guard no longer names it. Guards
// nest and live on the stack only.
class GViewGuard {
 public:
  explicit GViewGuard(GView* view);
  ~GViewGuard();
  GViewGuard(const GViewGuard&) = delete;
  GViewGuard& operator=(const GViewGuard&) = delete;

  bool Alive() const { return view_ != nullptr; }
  GView* Get() const { return view_; }

  // Called by the view's destructor: every guard of that view lets it go.
  static void ViewDestroyed(const GView* view);

 private:
  GView* view_;
  GViewGuard* next_;
};
