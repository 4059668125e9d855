#include "framework/ui/GViewGuard.h"

namespace {
// The guards alive now, the newest first. Guards are scoped, so they leave in the reverse
// order of their creation.
GViewGuard* gGuards = nullptr;
}  // namespace

GViewGuard::GViewGuard(GView* view) : view_(view), next_(gGuards) { gGuards = this; }

GViewGuard::~GViewGuard() {
  // Normally this guard is the newest; unlink it wherever it stands all the same.
  for (GViewGuard** link = &gGuards; *link != nullptr; link = &(*link)->next_) {
    if (*link == this) {
      *link = next_;
      break;
    }
  }
}

void GViewGuard::ViewDestroyed(const GView* view) {
  for (GViewGuard* g = gGuards; g != nullptr; g = g->next_) {
    if (g->view_ == view) g->view_ = nullptr;
  }
}
