#include "game/units/UnitOrderHost.h"

namespace {
UnitOrderHost* gHost = nullptr;
}  // namespace

UnitOrderHost* GetUnitOrderHost() { return gHost; }
void SetUnitOrderHost(UnitOrderHost* host) { gHost = host; }
