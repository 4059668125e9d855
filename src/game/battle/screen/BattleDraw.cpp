// The battle's share of the battlefield frame: its units drawn in list order.
#include "game/battle/Battle.h"
#include "game/units/Unit.h"

void Battle::DrawUnits(float scale, float infantryExponent, float vehicleExponent) {
  DrawUnitExtras(scale, infantryExponent, vehicleExponent);
}
