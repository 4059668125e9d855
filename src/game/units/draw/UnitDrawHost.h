#pragma once
#include <cstdint>

#include "framework/core/GRect.h"

class Unit;

// What the unit drawing asks of the battlefield view and the battle screen: the order lines'
// styles and terrain lines, texts on the screen, the pick hand-over, screen bounds and frames,
// the battle's display flags and the few textures the unit base draws with. The battle screen
// implements it and installs it in the units' context (UnitContextScope); tests install a
// recording fake. With none installed (a battle without a screen) nothing is drawn through it.
// The hooks the battle screen answers are pure; a default stays where it is the answer wanted,
// as its comment says.
class UnitDrawHost {
 public:
  virtual ~UnitDrawHost() = default;

  // ---- Order lines ----
  virtual void SetLineStyle(int32_t /*style*/) {}
  // A line over the terrain between two points; the second form is the thinner one drawn
  // from far away (and the form of a target line two units aim along at each other).
  virtual void DrawTerrainLine(bool /*secondForm*/, float /*x0*/, float /*y0*/, float /*z0*/, float /*x1*/,
                               float /*y1*/, float /*z1*/) {}
  // A text at the screen projection of a world point, and a text at a screen pixel (its
  // baseline at y, centred on x).
  virtual void DrawTextAtPoint(const char* /*text*/, float /*x*/, float /*y*/, float /*z*/) {}
  virtual void DrawScreenText(const char* text, int32_t x, int32_t y) = 0;

  // ---- Selection, picking and frames ----
  // The unit the pick hit; the screen bounds a unit or the selected waypoint's marker drew
  // into; a frame around a unit in a colour.
  virtual void ReportPick(Unit& /*unit*/) {}
  virtual void SetUnitScreenBounds(Unit& unit, const GRect& bounds) = 0;
  virtual void SetWaypointScreenBounds(const GRect& bounds) = 0;
  virtual void DrawUnitFrame(const GRect& bounds, uint8_t r, uint8_t g, uint8_t b) = 0;
  // The dragged selection rectangle (input mode 10).
  virtual GRect GetSelectionRect() const { return GRect{}; }

  // ---- The battle's display flags ----
  // Every unit records its screen bounds (the highlight flag) and the path markers are hidden:
  // flags of the editor's screens, which the battle screen never sets, so clear is the answer
  // wanted there.
  virtual bool IsHighlightAll() const { return false; }
  virtual bool IsMarkerHiding() const { return false; }
  // Base markers take the units' colour codes instead of their nationality's colour.
  virtual bool IsMarkerColour() const = 0;
  // Muzzle smoke is drawn (a display option).
  virtual bool IsSmokeDrawn() const = 0;
  // The kernel is inside an input handler: animations do not advance.
  virtual bool IsInsideInputHandler() const = 0;

  // ---- What the presentation draws around a unit ----
  // The nationality whose colour a side's unknown units show (side index 0 Axis, 1 Allied;
  // -1 for the plain colour), and a unit's marker colour code.
  virtual int32_t GetSideNationality(int32_t sideIndex) const = 0;
  // The colour codes are the editor's (read only while the marker-colour flag is set).
  virtual int32_t GetMarkerColourCode(const Unit& /*unit*/) const { return 0; }
  // Binds the nationality badge (0..5) from the map's badge cache. The battle's map keeps no
  // badge pictures, so the badge is drawn in the texture in place: nothing to bind is wanted.
  virtual void BindBadgeTexture(int32_t /*nationality*/) {}
  // The muzzle flash's texture.
  virtual void BindFlashTexture() = 0;
  // Loads the kind group's graphics (0..5) into the map once.
  virtual void EnsureKindGroupGraphics(int32_t /*group*/) {}
  // The map's infantry figure texture n (0..14), loaded once.
  virtual void EnsureInfantryTexture(int32_t /*n*/) {}
  // The map's soldier figure that shows the crews of nationality code (0..18), made and
  // dressed once.
  virtual void EnsureCrewFigure(int32_t code) = 0;
  // ---- Soldier labels ----
  // Up to two label lines above a world point, each with a colour index 0..2; an empty text
  // draws nothing (the battlefield view answers; nothing by default).
  virtual void DrawLabelLines(const char* /*text1*/, int32_t /*code1*/, const char* /*text2*/, int32_t /*code2*/,
                              float /*x*/, float /*y*/, float /*z*/) {}
  // ---- End of soldier labels ----
  // ---- Objects ----
  // A victory flag marker of the editor drawn as the battle draws its flags: a temporary
  // flag, large or small, at the point. Only the editor's preview places such markers; the
  // battle screen has none, so nothing is the answer wanted there.
  virtual void DrawFlagMarker(float /*x*/, float /*y*/, bool /*large*/) {}
  // ---- End of objects ----
  // The map view's sound of an order (the application's sound table by default).
  virtual void PlayOrderSound(int32_t number);
};

// The draw host of the context in force (null for none).
UnitDrawHost* GetUnitDrawHost();
