#include "game/units/ports/UnitContext.h"

#include "game/units/ports/NullUnitScreen.h"

void UnitContext::Install(const UnitContext& context) { current_ = context; }

UnitScreen& GetUnitScreen() {
  static NullUnitScreen none;
  UnitScreen* screen = UnitContext::Current().screen;
  return screen != nullptr ? *screen : none;
}
