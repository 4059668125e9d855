// A screen reaching a unit's kind by a cast (spread over two lines): the check must refuse it.
#include "game/units/tank/Tank.h"

const Tank* TankOf(const Unit* unit) {
  return dynamic_cast<const
                      Tank *>(unit);
}
