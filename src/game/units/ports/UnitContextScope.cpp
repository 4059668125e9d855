#include "game/units/ports/UnitContextScope.h"

namespace {

// The newest live scope; each holds the one installed before it.
UnitContextScope* top = nullptr;

}  // namespace

UnitContextScope::UnitContextScope(const UnitContext& ports, uint8_t chosen)
    : ports_(ports), chosen_(chosen), below_(top) {
  top = this;
  Recompose();
}

UnitContextScope::UnitContextScope(const UnitContext& ports)
    : UnitContextScope(ports, static_cast<uint8_t>((ports.services != nullptr ? kServices : 0) |
                                                   (ports.orders != nullptr ? kOrders : 0) |
                                                   (ports.draw != nullptr ? kDraw : 0) |
                                                   (ports.screen != nullptr ? kScreen : 0))) {}

UnitContextScope::UnitContextScope(Whole, const UnitContext& context) : UnitContextScope(context, kAll) {}

UnitContextScope::~UnitContextScope() {
  // Usually the newest; a scope that ends out of turn is unlinked where it stands.
  UnitContextScope** link = &top;
  while (*link != nullptr && *link != this) link = &(*link)->below_;
  if (*link == this) *link = below_;
  Recompose();
}

void UnitContextScope::Recompose() { UnitContext::Install(Compose(top)); }

UnitContext UnitContextScope::Compose(const UnitContextScope* scope) {
  // Few scopes live at once (the program's, the battle screen's, a test's): composing them
  // afresh on every change is cheaper than keeping anything in step.
  if (scope == nullptr) return UnitContext{};
  UnitContext context = Compose(scope->below_);
  if ((scope->chosen_ & kServices) != 0) context.services = scope->ports_.services;
  if ((scope->chosen_ & kOrders) != 0) context.orders = scope->ports_.orders;
  if ((scope->chosen_ & kDraw) != 0) context.draw = scope->ports_.draw;
  if ((scope->chosen_ & kScreen) != 0) context.screen = scope->ports_.screen;
  return context;
}
