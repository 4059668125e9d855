#include "game/units/ports/UnitOrderHost.h"

#include "game/units/ports/UnitContext.h"

UnitOrderHost* GetUnitOrderHost() { return UnitContext::Current().orders; }
