#pragma once
// The game's views sit above the framework's views and the game's drawing.
#include "framework/kernel/GKernel.h"
#include "framework/ui/GView.h"
#include "game/draw/MapSoundLoop.h"
