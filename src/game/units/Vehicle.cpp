// The vehicle's slot whose behaviour comes with its drawing code: until then it draws nothing.
#include "game/units/Vehicle.h"

void Vehicle::Draw(bool) {}
