#pragma once
#include <cstdint>

#include "game/units/draw/FigureMesh.h"
#include "game/units/draw/InfantryDrawState.h"

class GGraphic;
class Infantry;

// The soldier figures of an infantry unit on the battlefield: where each man of the squad
// stands, how a crew figure is posed, and each man drawn at one of seven levels of detail
// from the static figure meshes (FigureMesh). Every routine works on the current transform
// of the renderer, pops what it pushes, and passes flag (the unit is not wholly in view) as
// the clipping flag of every primitive. Nothing here allocates or touches a random generator.
//
// InfantryDraw.cpp holds the placing, the crew poses and the stand-ins of the carried item,
// back pack and crew weapon; InfantryFigure.cpp the seven levels and the headgear.
class InfantryDraw {
 public:
  // The one drawing state of the program.
  static InfantryDrawState& State();

  // The level of detail 0..6 of an apparent size (each bound strictly greater than).
  static int32_t LevelForSize(float size);
  // Moves the current transform to the standing place of figure index in the squad.
  static void PlaceFigure(int32_t index, bool riding);
  // Poses figure 0 of a crew figure unit for a crew position (mode 0..9) with a head turn.
  static void SetPose(Infantry& unit, int32_t mode, float headTurn);

  // One man of the unit, figure slot i, at level 0..6.
  static void DrawFigureLod0(const Infantry& unit, int32_t i, bool flag);
  static void DrawFigureLod1(const Infantry& unit, int32_t i, bool flag);
  static void DrawFigureLod2(const Infantry& unit, int32_t i, bool flag);
  static void DrawFigureLod3(const Infantry& unit, int32_t i, bool flag);
  static void DrawFigureLod4(const Infantry& unit, int32_t i, bool flag);
  static void DrawFigureLod5(const Infantry& unit, int32_t i, bool flag);
  static void DrawFigureLod6(const Infantry& unit, int32_t i, bool flag);
  static void DrawFigure(const Infantry& unit, int32_t level, int32_t i, bool flag);
  // The coloured steel helmet and the modelled headgear of levels 0 and 1.
  static void DrawHelmetShell(bool flag);
  static void DrawHeadgearModel(bool flag, GGraphic* texture);

  // Drawn in the second forearm's frame at item level 0..2; closes that frame and the upper
  // arm's (two pops) whether it draws anything or not.
  static void DrawCarriedItem(const Infantry& unit, int32_t i, int32_t itemLevel, bool flag);
  // The item kind man i shows in his hand, -1 for none: none for the dead, the surrendered and
  // the captured, nor for class 242 unless the crew pose forces one (kind 9); kinds 7, 8 and
  // above 11 show nothing.
  static int32_t ItemKindFor(const Infantry& unit, int32_t i, bool forced);
  // The flamethrower's tanks on the back, above identification level 2.
  static void DrawBackPack(const Infantry& unit, int32_t i, bool flag);
  // The crew-served weapon at the unit's origin, with the renderer's clipping on while it is
  // drawn and set back after: the mortar or the weapon's model.
  static void DrawCrewWeapon(const Infantry& unit, bool flag);
  // The weapon's model in its own scaled frame when its box is in view (the generic gun below
  // full identification and for a weapon without a model).
  static void DrawWeaponModel(const Infantry& unit, bool flag);
  // A small wheeled gun, scaled by factor; its barrel droops when the crew is gone.
  static void DrawGenericWeaponModel(float factor, const Infantry& unit, bool flag);
  // A mortar sized by the weapon's first effect value (effect).
  static void DrawMortarModel(const Infantry& unit, float effect, bool flag);
  // The mortar's scale: 0.564, 0.9 or 1.1 by the effect value; below full identification
  // the middle size for the Axis, the smallest for the Allies.
  static float MortarScale(int32_t level, bool axis, float effect);
  // The model kind drawn for a weapon's kind: -1 for the generic gun (a weapon without a
  // model), kind 2 for a kind outside 0..22; each bad value logged once.
  static int32_t ModelKindShown(int32_t kind);

  // One hand item of a kind in its own frame; the rifles and the one-shot rocket launcher by
  // the kind group.
  static void DrawItem(const Infantry& unit, int32_t kind, bool flag);
  static void DrawRifle(const Infantry& unit, int32_t group, bool flag);
  static void DrawRocket(int32_t group, bool flag);

  // The primitives of a part from primitive first, count of them (-1: to its end), with the
  // texture bound or the current colour.
  static void DrawPart(FigureMesh::PartId part, bool flag, int32_t first = 0, int32_t count = -1);
};
