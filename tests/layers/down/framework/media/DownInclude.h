#pragma once
// Includes of the same layer, of those below and of system headers pass.
#include <cstdint>

#include "framework/core/GObject.h"
#include "framework/media/GGraphic.h"
#include "platform/PSurface.h"
