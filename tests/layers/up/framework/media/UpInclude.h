#pragma once
// A media header that reaches up into the kernel: the layer check must refuse it.
#include "framework/core/GObject.h"
#include "framework/kernel/GKernel.h"
