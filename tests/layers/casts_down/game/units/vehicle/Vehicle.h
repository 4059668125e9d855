#pragma once
#include "game/units/Unit.h"

// A unit kind of the vehicle class table: its own subclasses are unit classes too (the words
// in this comment are no declaration and must not hide the one below)
class Vehicle : public Unit {};
