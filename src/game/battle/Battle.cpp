#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
