#pragma once
#include <cstdint>

#include "framework/core/GObject.h"
#include "framework/core/Quorl.h"
#include "game/map/MapCorner.h"

class GFile;
class GGraphic;
class Map;
class MapUnitView;

// One building or bridge of the battle map, standing on one 20 m tile: a type (a fine terrain
// type, except 46, a tall building with a tower, stamped as 34), the four corners of its
// footprint and a floor height. The map makes its buildings from the tile codes every time it
// is read and stores only their damage state; the building writes itself into the fine grid
// of the map that owns it, takes damage and collapses.
class Building : public GObject {
 public:
  static constexpr uint32_t kStoredSize = 8;
  // Flag bits of the stored form.
  static constexpr uint8_t kFlagDestroyed = 4;
  static constexpr uint8_t kFlagJoinY = 2;
  static constexpr uint8_t kFlagJoinX = 1;
  // Fine types the building stamps besides its own.
  static constexpr int32_t kRubble = 19;
  static constexpr int32_t kJoinStrip = 35;
  static constexpr int32_t kTowerBuilding = 46;
  static constexpr int32_t kWreckedBridge = 43;
  static constexpr int32_t kWreckedHighBridge = 44;

  using Corner = MapCorner;

  // Bitmap numbers of the building's textures, chosen with its variant; the drawing loads them.
  struct Textures {
    int32_t wall[3] = {};
    int32_t roof = 0;   // buildings only
    int32_t extra = 0;  // type 46 only
  };

  // The loaded textures (walls 0..2, roof, extra), released with the building. A copy starts
  // without any: it loads its own.
  struct Graphics {
    static constexpr int32_t kCount = 5;
    static constexpr int32_t kRoof = 3;
    static constexpr int32_t kExtra = 4;
    Graphics() = default;
    Graphics(const Graphics&) {}
    Graphics& operator=(const Graphics& other);
    ~Graphics();
    void Release();
    GGraphic* handle[kCount] = {};
  };

  explicit Building(Map& owner) : map_(&owner) {}
  Building(const Building& other) = default;
  Building& operator=(const Building& other) = default;

  // Fills the record for a new building of the type on the owning map (see the fields).
  void Setup(int32_t type, float height, bool diagonal, const Corner (&footprint)[4]);
  // A copy with the same texture variants (the turn-start snapshot).
  GObject* CopyItself() const override;
  // Draws the wall variant and the roof when choose is set (one draw each; type 46 draws no
  // variant, snow no roof), then names the bitmaps for the battle's ground.
  void ChooseTextures(bool choose);
  // Loads the textures named in textures that are not loaded yet, with mip-maps.
  void LoadGraphics();
  // Draws the building in the battlefield view (BuildingDraw.cpp): nothing in a block out of
  // view or when too small to see; clipping off while a building (not a bridge) of a block
  // wholly in view is drawn; a destroyed building is a rubble heap, never picked nor labelled.
  void Draw();
  void DrawBridge() const;
  void DrawLowBuilding() const;
  void DrawTallBuilding() const;
  void DrawLargeBuilding() const;
  // Releases the roof, the extra, then the three wall textures.
  void ReleaseTextures() { graphics.Release(); }

  // The stored form, big-endian, 8 bytes: tile x and tile y (16 bits each), damage x 20
  // (saturating), the flags byte and a count of extra bytes (0).
  void Write(GFile& file) const override;
  // A stored state: damage, joins, and the destroyed flag. Applied (apply set) to a fresh map,
  // a destroyed building collapses quietly and an intact one with a join cleared stamps again;
  // otherwise only the fields are set.
  void RestoreState(bool apply, bool destroyed, float damage, bool joinY, bool joinX);

  // The footprint test: a bridge's extent widened by 1.5 m; a building's tile, where the
  // ground is a building or rubble, widened by 1.1 m for an intact tall building (34, 46)
  // when lenient.
  bool Contains(float x, float y, bool lenient) const;
  // The same, with the map's terrain type at the point already read (bridges ignore it), so
  // that a search over many buildings reads the terrain once.
  bool ContainsWithTerrain(float x, float y, bool lenient, int32_t terrainType) const;
  // A bridge holds the points of its corners' box widened by 1.5 m: the box's edges.
  struct Box {
    float minX, maxX, minY, maxY;
    bool Holds(float x, float y) const { return minX <= x && x <= maxX && minY <= y && y <= maxY; }
  };
  Box BridgeBox() const;
  float GetStrength() const;
  float GetDamageFraction() const { return damage / GetStrength(); }
  // Moves the point toward the tile centre by at most 1.3 m on each axis.
  void PullTowardCentre(float& x, float& y) const;
  // Writes the building into the owning map's fine grid: its type (rubble when destroyed) as
  // two triangles of the corners moved by (-1, -1), or the whole tile for tall buildings.
  void StampFootprint() const;
  // Tall buildings (34, 46): the strips of type 35 that join them to a tall neighbour 20 m
  // further in y and in x.
  void StampJoins() const;

  // An explosion of the amount at the point: full inside, half (less 8 a metre past 10 m)
  // outside within 40 m.
  void TakeHit(float amount, float x, float y);
  // Adds between half and all of the amount; true when this made the building collapse.
  bool TakeDamage(float amount);
  // Collapses the building once: bridges become wrecks, buildings rubble; with units, those
  // on, in or firing into it suffer; with the effect, the battle shows it.
  void Collapse(bool withUnits, bool withEffect, int32_t effectArg);

  // The tile a coordinate lies on, as the footprint test counts it (toward zero).
  static int32_t TileOf(float metres) { return TruncateToInt32(metres) / 20; }
  static bool IsBridgeType(int32_t type) { return type >= 36 && type <= 44; }
  bool IsBridge() const { return IsBridgeType(type); }
  // A building with a floor above the ground one (33, 34 and 46), 6 m up.
  bool HasUpperStorey() const { return tall != 0 && !IsBridge(); }
  float CentreX() const { return (static_cast<float>(tileX) + 0.5f) * 20.0f; }
  float CentreY() const { return (static_cast<float>(tileY) + 0.5f) * 20.0f; }
  const Map& Owner() const { return *map_; }

  int32_t tileX = 0;
  int32_t tileY = 0;
  float damage = 0.0f;
  uint8_t diagonal = 0;
  Corner corners[4];
  uint8_t destroyed = 0;
  int32_t type = 0;
  uint8_t tall = 0;
  uint8_t displayMark = 1;
  uint8_t hidden = 0;  // kept out of view: every frame's mark is 0 (not stored)
  uint8_t joinY = 1;
  uint8_t joinX = 1;
  int32_t wallVariant = 0;
  uint16_t roofNumber = 0;
  float baseHeight = 0.0f;
  Textures textures;
  Graphics graphics;

 private:
  // The unit callbacks of a collapse, run over every unit of the battle or operation.
  void ThreatenOccupant(MapUnitView& unit) const;
  void ClearBridgeUnit(MapUnitView& unit) const;
  void HitOccupant(MapUnitView& unit);
  void CancelAreaFireInto(MapUnitView& unit) const;
  void LowerWaypointsInside(MapUnitView& unit) const;
  template <class F>
  void ForEachUnit(F&& f) const;
  // Drawing parts.
  bool IsTranslucent() const;
  void DrawRubble(bool clip) const;
  void DrawWalls(float height, float vTop02, float vTop1) const;
  void DrawInside(float height, float red, float green, float blue, bool cullFloor) const;
  void DrawUpperFloor() const;
  void DrawGabledRoof(float eaves, float ridge, bool gables, float roofAlpha) const;
  void DrawTower() const;
  bool ContainsUnit(const MapUnitView& unit) const;

  Map* map_;
  // Set during one collapse with units: an identified unit of side index s was inside.
  bool identifiedInside_[2] = {};
};
