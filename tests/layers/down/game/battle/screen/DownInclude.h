#pragma once
// The battle's screen sits on the battle's rules and the units' drawing.
#include "game/battle/Battle.h"
#include "game/units/draw/UnitDrawHost.h"
