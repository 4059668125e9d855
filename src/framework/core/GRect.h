#pragma once
#include "platform/PRect.h"

// The framework's rectangle is the display layer's: left, top, right, bottom, with right
// and bottom exclusive.
using GRect = PRect;
