#pragma once
// A rules file reaching into the units' drawing: the layer check must refuse it.
#include "game/units/draw/InfantryDraw.h"
