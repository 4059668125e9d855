#pragma once

#include "game/units/ports/UnitScreen.h"

// The screen of a battle nobody watches (headless play, the operation between battles): every
// notice goes nowhere.
class NullUnitScreen final : public UnitScreen {};
