#include "game/units/ports/UnitContext.h"

#include "game/units/ports/NullUnitScreen.h"

namespace {

// The context in force; only UnitContextScope writes it.
UnitContext current;

}  // namespace

const UnitContext& UnitContext::Current() { return current; }

void UnitContext::Install(const UnitContext& context) { current = context; }

UnitScreen& GetUnitScreen() {
  static NullUnitScreen none;
  return current.screen != nullptr ? *current.screen : none;
}
