// The vehicle's slots whose behaviour comes with its armour, slice update and movement code:
// until then they stop the program, except drawing, which draws nothing.
#include "framework/core/Quorl.h"
#include "game/units/Vehicle.h"

void Vehicle::Draw(bool) {}
void Vehicle::UpdateSlice(int32_t) { FatalError(__LINE__, "Vehicle"); }
void Vehicle::ReactToDanger() { FatalError(__LINE__, "Vehicle"); }
void Vehicle::MoveAlongWaypoints() { FatalError(__LINE__, "Vehicle"); }
