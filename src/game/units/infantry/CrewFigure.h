#pragma once
#include <cstdint>

class Infantry;

// The soldier figure that shows the crews of the vehicles of a nationality code: an infantry
// unit of the figure class, made without moving the game's generator (it is made for the
// picture). The caller owns it.
Infantry* NewCrewFigure(int32_t code);
