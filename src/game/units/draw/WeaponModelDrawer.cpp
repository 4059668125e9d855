#include "game/units/draw/WeaponModelDrawer.h"

namespace {
WeaponModelDrawer* gWeaponDrawer = nullptr;
}  // namespace

WeaponModelDrawer* GetWeaponModelDrawer() { return gWeaponDrawer; }
void SetWeaponModelDrawer(WeaponModelDrawer* drawer) { gWeaponDrawer = drawer; }
