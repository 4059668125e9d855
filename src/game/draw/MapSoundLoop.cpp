#include "game/draw/MapSoundLoop.h"
