#pragma once
#include <cstdint>

class Infantry;

// The crew-served weapon models belong to the presentation, above the unit code: it installs
// a drawer here, and the squad drawing hands it a fully identified crew with its weapon's draw
// kind (0..22) in the weapon's own scaled frame. With none installed no model is drawn.
class WeaponModelDrawer {
 public:
  virtual ~WeaponModelDrawer() = default;
  virtual void DrawWeaponModel(Infantry& unit, int32_t drawKind, bool clip) = 0;
};

WeaponModelDrawer* GetWeaponModelDrawer();
void SetWeaponModelDrawer(WeaponModelDrawer* drawer);
