#pragma once
// The map reaching into the battle above it: the layer check must refuse it.
#include "game/battle/Battle.h"
