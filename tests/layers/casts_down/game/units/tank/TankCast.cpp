// Inside the unit layer a kind may be reached by a cast.
#include "game/units/tank/Tank.h"

Tank* TankOf(Unit* unit) { return dynamic_cast<Tank*>(unit); }
