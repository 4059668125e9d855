#pragma once
#include <cstdint>

#include "game/units/draw/WeaponModelDrawer.h"

class GGraphic;
class Unit;

// The 23 weapon models that stand beside their crews (guns, mortars, launchers), by routine
// number 0..22. One interpreter walks a model's compiled step list (WeaponModelData): texture
// binds, fans, strips and triangles, and the matrix steps that keep the base fixed, turn a
// group back by the facing, elevate the rest about the pivot, and fire the muzzle flash and
// recoil. Nothing is allocated and nothing but the published state and the constant data is
// read.
class InfantryModelDraw : public WeaponModelDrawer {
 public:
  static constexpr int32_t kModels = 23;

  // Makes the models the squad drawing's weapon model drawer.
  static void Install();
  // Publishes the crew's state (its facing, its elevation, itself, its weapon textures) and
  // draws the routine of its weapon's draw kind.
  void DrawWeaponModel(Infantry& unit, int32_t drawKind, bool clip) override;
  // The routine of a weapon draw kind 0..22 (one to one), -1 for another.
  static int32_t RoutineForKind(int32_t drawKind);

  // What the caller publishes before it draws a model.
  struct State {
    Unit* unit = nullptr;                 // receives the muzzle flash and recoil
    GGraphic* const* textures = nullptr;  // 17 entries, slots 0..16
    float elevation = 0.0f;               // degrees about x at the pivot
    float facing = 0.0f;                  // degrees; the turned-back group undoes it
  };
  static State& Published();

  // Draws routine model (0..22; another draws nothing) with the clip flag passed to every
  // fan and strip. Culling is off while it draws and on afterwards.
  static void Draw(int32_t model, bool clip);
  // The elevation a unit's model shows: its weapon's while alive, -10 once it is not.
  static float ElevationOf(const Unit& unit);
};
