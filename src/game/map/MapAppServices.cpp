#include "game/map/MapAppServices.h"

#include "framework/media/NetLink.h"

void MapAppServices::KeepNetworkLinkAlive() { NetKeepAliveWhileBusy(); }
