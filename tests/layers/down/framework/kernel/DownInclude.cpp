// The kernel may include every framework room below it.
#include "framework/media/GGraphic.h"
#include "framework/ui/GView.h"
