#pragma once
// The units' drawing sits on the rules it draws.
#include "game/units/Unit.h"
#include "game/units/infantry/Infantry.h"
