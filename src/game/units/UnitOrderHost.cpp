#include "game/units/UnitOrderHost.h"

#include "game/units/UnitContext.h"

UnitOrderHost* GetUnitOrderHost() { return UnitContext::Current().orders; }
