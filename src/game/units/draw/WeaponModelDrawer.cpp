#include "game/units/draw/WeaponModelDrawer.h"

namespace {
WeaponModelDrawer* gDrawer = nullptr;
}  // namespace

WeaponModelDrawer* GetWeaponModelDrawer() { return gDrawer; }
void SetWeaponModelDrawer(WeaponModelDrawer* drawer) { gDrawer = drawer; }
