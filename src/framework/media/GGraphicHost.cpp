#include "framework/media/GGraphicHost.h"

namespace {
GGraphicHost* gGraphicHost = nullptr;
}

GGraphicHost* GGraphicHost::Current() { return gGraphicHost; }

void GGraphicHost::SetCurrent(GGraphicHost* host) { gGraphicHost = host; }
