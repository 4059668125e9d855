#include "game/draw/MapSoundOneShot.h"
