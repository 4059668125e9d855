#pragma once
// A battle rules file reaching into the battle's screen: the layer check must refuse it.
#include "game/battle/screen/BattleProgressBar.h"
