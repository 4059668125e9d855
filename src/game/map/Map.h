#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/core/GDynamicArray.h"
#include "framework/core/GObject.h"
#include "framework/core/GObjectGroup.h"
#include "game/map/BuildingTileIndex.h"
#include "game/map/BurningTileCounts.h"
#include "game/map/CraterIndex.h"
#include "game/map/FineTerrain.h"
#include "game/map/MapFlagView.h"
#include "game/map/MapGrid.h"
#include "game/map/MapPathRegions.h"
#include "game/map/MapPathWork.h"
#include "game/map/MapRouteAhead.h"
#include "game/map/MapTile.h"
#include "game/map/OrderState.h"
#include "game/map/SightCellBlocks.h"
#include "game/map/SightUnitList.h"

class Building;
class Crater;
class GFile;
class GGroup;
class GString;
class MapAppServices;
class MapBattleServices;
class MapObjectList;
class MapPathUnit;
class MapPointMemo;
class MapUnitView;
class Unit;
class SmokeCloud;
struct MapPacket;
struct PathPoints;

// The battle map: a rectangle of 20 m tiles with a height per tile and per tile corner, a
// record per tile, the per-tile fire state, the map's object lists, each side's camera and
// the derived grids that drawing, sight lines and path finding use. The battle owns one; an
// operation owns the map of its whole area. Its code is split by subject: Map.cpp (life
// cycle), MapIO.cpp (stored form), MapSetUp.cpp (terrain set-up passes), MapNew.cpp (new maps,
// zones, height bands), MapFineGrid.cpp (the 2 m fine grid, steep edges and trees),
// MapQueries.cpp (point queries) and MapObjectsFromCodes.cpp (passes that later subjects
// complete).
//
// The map reaches the application, and through it the battle or operation in play, only
// through MapAppServices, given at construction.
class Map : public GObject {
 public:
  static constexpr int32_t kDefaultTiles = 40;
  static constexpr int32_t kMaxTiles = 250;
  static constexpr float kTileSize = 20.0f;
  static constexpr float kDefaultHeightScale = 0.8333333f;  // a level is 2.5 m
  static constexpr int32_t kViewLevelUnset = 99;
  static constexpr int32_t kZoneBoth = 99;
  static constexpr int32_t kFigureModels = 19;
  static constexpr int32_t kTextureSlots = 256;
  // Where each texture of the map lies among the texture slots.
  struct Slot {
    static constexpr int32_t kKindGroupGraphics = 0;   // 6: bitmaps 400 + n
    static constexpr int32_t kKindGroupDetailed = 6;   // 8: 440 + n
    static constexpr int32_t kInfantry = 14;           // 15: 1900 + n
    static constexpr int32_t kDetailedTerrain = 29;    // 12: 5100 + n
    static constexpr int32_t kSingles = 41;            // 8: 1503, 672, 1300, 1208, 1217, 1217, 1210, 1209
    static constexpr int32_t kRubble = 42;             // 672
    static constexpr int32_t kTexture1300 = 43;
    static constexpr int32_t kTemporaryCrater = 44;    // 1208 (1218 on snow)
    static constexpr int32_t kLastingCrater = 45;      // 1217 (1219 on snow)
    static constexpr int32_t kMuzzleFlash = 48;        // 1209
    static constexpr int32_t kSet = 49;                // 4: 1212 + n
    static constexpr int32_t kGround = 53;             // 26
    static constexpr int32_t kHeightBands = 79;        // 20
    static constexpr int32_t kPair1800 = 99;           // 2: 1800, 1801
    static constexpr int32_t kFeatures = 101;          // 3: 671, 612, 625 (971, 842, 842 on snow)
    static constexpr int32_t kTiles = 104;             // 103: 600 + index + variant
    static constexpr int32_t kTen = 207;               // 10: 1720 + n
    static constexpr int32_t kEffects = 217;           // 3: 1204, 1205, 1206
    static constexpr int32_t kAnimated = 220;          // 18: 1700 + n
    static constexpr int32_t kTexture2020 = 238;
    static constexpr int32_t kExtraEffects = 239;      // 2: 1222, 1223
    static constexpr int32_t kTexture10049 = 241;
    static constexpr int32_t kSky = 242;
    static constexpr int32_t kCount = 243;
  };
  static constexpr int32_t kTileTextures = 103;
  static constexpr int32_t kHeightBands = 20;
  // Height of a tile with no stored level: the flat default map.
  static constexpr float kDefaultTileHeight = 15.0f;

  // ---- Fields, grouped by subject ----

  // Size of the map and the scale of its heights.
  struct Size {
    int32_t tilesX = kDefaultTiles;
    int32_t tilesY = kDefaultTiles;
    float worldWidth = 0.0f;   // metres
    float worldHeight = 0.0f;  // metres
    float heightScale = kDefaultHeightScale;  // metres per height unit; a level is 3 units
  };

  // Each side's camera (index = side 0 or 1) and the map's selection state.
  struct Cameras {
    float x[2] = {};
    float y[2] = {};
    float bearing[2] = {};  // radians
    float height = 0.0f;    // metres: the eye height of the camera being drawn from
    float zoom = 1.0f;      // above 1 shows things larger
    int32_t viewLevel[2] = {kViewLevelUnset, kViewLevelUnset};  // 0..7, 99 until set
    int32_t selectionCorners[2][2] = {};  // first and second screen point of a drag box
    GObject* openMenu = nullptr;           // the open orders menu, owned
    MapUnitView* selectedUnit = nullptr;   // not owned
  };

  // Heights, tile records and the grids derived from them.
  struct Terrain {
    MapGrid<float> tileHeight;       // tilesX x tilesY, metres
    MapGrid<float> vertexHeight;     // (tilesX + 1) x (tilesY + 1)
    MapGrid<float> lodTileHeight;    // low-detail mesh: tile centres
    MapGrid<float> lodVertexHeight;  // low-detail mesh: corners
    MapGrid<uint8_t> blockFlags;     // per 4 x 4 tile block
    MapGrid<MapTile> tiles;
    MapGrid<int16_t> flatHeight[3];  // whole metres where flat, else -999; three levels
    MapGrid<float> blockMinHeight;   // per block, at the third level's size
    MapGrid<float> blockMaxHeight;
    MapGrid<uint8_t> blockViewState;  // 0 out of view, 1 partly, 2 wholly in view (drawing)
    MapGrid<uint16_t> fineGrid;       // 2 m cells: type << 10 | height code
    // Metres of each height code at this map's height scale (BuildHeightTable).
    float heightOfCode[FineTerrain::kHeightCodes] = {};
    float edgeMinHeight[4] = {};      // lowest tile along x = 0, y = last, x = last, y = 0
    uint8_t groundVariation[8][8] = {};
    // The stored codes as read, alive only while Read runs.
    GDynamicArray* storedCode = nullptr;
    GDynamicArray* storedRoadCode = nullptr;
  };

  // The per-tile fire state: 0 not burning, else the kind of fire 1..3.
  struct Fire {
    GDynamicArray state;
    GDynamicArray stateAtTurnStart;
  };

  // The map's objects. Lists marked stored go with the map's stored form.
  struct Objects {
    GGroup* buildings = nullptr;  // stored
    GGroup* buildingsAtTurnStart = nullptr;
    MapObjectList* craters = nullptr;  // lasting craters; stored
    GGroup* cratersAtTurnStart = nullptr;
    MapObjectList* craterMarks = nullptr;  // temporary craters; stored
    GGroup* craterMarksAtTurnStart = nullptr;
    GGroup* smallObjects = nullptr;  // smoke clouds; stored
    GGroup* smallObjectsAtTurnStart = nullptr;
    GGroup* walls = nullptr;  // made from the tile codes at every load
    // The lasting craters by the tiles they touch. Whoever appends to or replaces the crater
    // list tells it (IndexLastingCrater, IndexCraters).
    CraterIndex craterIndex;
    // The buildings by tile, for finding the one at a point; it checks the list itself.
    mutable BuildingTileIndex buildingIndex;
    GObjectGroup trees[3];    // by detail class
    GObjectGroup landmarks;   // stored
    // When set, the next Write stores the turn-start copies; Write clears it.
    mutable bool writeTurnStart = false;
  };

  // State of the battlefield drawing that Read initialises (read only by drawing).
  struct DrawTables {
    static constexpr int32_t kSteps = 13;
    static constexpr int32_t kStepEntries = 12;
    static constexpr int32_t kRecordRows = 29;
    static constexpr int32_t kRecordColumns = 16;
    struct Record {
      float offsets[4] = {};  // [-10, 10)
      float size = 0.0f;      // [0.5, 4)
      float phase = 0.0f;     // [0, 3)
    };
    int32_t steps[kSteps] = {};
    float stepPairs[kSteps][kStepEntries][2] = {};
    float stepValues[kSteps][kStepEntries] = {};
    Record records[kRecordRows][kRecordColumns];
    uint8_t recordVariant[kRecordRows][kRecordColumns] = {};
  };

  // The map's view and drawing state and the views and caches hung on it.
  struct Display {
    int32_t drawState = 2;  // 2 drawn; 0 and 1 drawing suspended
    bool needsRedraw = true;
    int32_t detailTier = 0;  // by screen width: 0 up to 699 pixels, 1 up to 899, else 2
    int32_t heightBand[kHeightBands] = {};
    std::array<GObject*, kTextureSlots> textureSlots{};
    std::array<GObject*, kFigureModels> figureModels{};
    float viewScale = 1.0f;
    float viewRange = 50.0f;
    uint8_t viewFlags[2] = {1, 1};
    int32_t miscSlots[5] = {};
    int32_t animatedFrame = 0;  // the current frame of the animated texture
    GObject* messageWindow = nullptr;  // not owned
    GObject* unitBalloon = nullptr;    // not owned
    GObject* battleView = nullptr;     // owned
    GGroup* oneShotSounds = nullptr;
    GGroup* loopedSounds = nullptr;
    GObject* pairVisibility = nullptr;  // the unit-pair visibility cache
    DrawTables tables;
  };

  // ---- The key help window and the unit information balloon (made with the windows, in the
  // battle screen's layer) ----
  // Opens the key help window over the battlefield view; nothing while one is open or
  // without a view.
  void OpenKeyHelpWindow();
  // Closes the open balloon, or opens one over the battlefield view for the battle's selected
  // unit (nothing without a selected unit or a view).
  void ToggleUnitInfoBalloon();
  // The open balloon shows the newly selected unit, or closes when none is selected (the
  // battle calls it whenever its selection changes).
  void UpdateUnitInfoBalloon(Unit* selected);
  void CloseUnitInfoBalloon();
  // ---- End of the key help window and the unit information balloon ----

  Size size;
  Cameras camera;
  Terrain terrain;
  Fire fire;
  Objects objects;
  Display display;

  // ---- Giving orders: the shared order state and the tile height level (MapOrders.cpp) ----
  OrderState orders;
  // The height level of a tile: its height over three height units, rounded away from the
  // level below by 0.1 and truncated; 0 outside the map.
  int32_t TileHeightLevel(int32_t column, int32_t row) const;
  // The pick records: switching recording on forgets the last hit; the unit drawing reports
  // what the pick hit while it is on.
  void SetPickRecording(bool on);
  void RecordPickedUnit(MapUnitView* unit);
  MapUnitView* GetPickedUnit() const { return orders.pickedUnit; }
  // ---- End of giving orders ----

  // ---- Life cycle (Map.cpp) ----

  // An empty 40 x 40 map with no sized grid; asks the application to reset the camera dip
  // and zoom.
  explicit Map(MapAppServices& app);
  Map(const Map&) = delete;
  Map& operator=(const Map&) = delete;
  ~Map() override;

  // Releases every texture of the map (figure models, slots, the buildings'); the map stays
  // usable and loads them again.
  void ReleaseGraphics();
  MapAppServices& App() const { return *app_; }

  // ---- Stored form (MapIO.cpp) ----

  // Reads a map into this freshly constructed object and runs every set-up pass; without a
  // stream builds the flat default map (tilesX x tilesY as set, 40 x 40 unless changed). False
  // when the stream is refused: the file's error flag is raised and one line naming the
  // failed check is logged; the caller deletes the map.
  bool Read(GFile* stream);
  using GObject::Read;
  // Sets up a freshly constructed map as the flat default map's stand-in, for a map that
  // NewMap replaces at once with an import (an operation's battle): its size and empty lists,
  // no grids. It takes the same draws from the game's generator, in the same order and with
  // the same bounds, as Read(nullptr) on the same map, so the game goes on exactly as if the
  // whole default map had been built and then replaced.
  void SetUpStandIn();
  // Writes the stored form; the turn-start copies when writeTurnStart is set (then cleared).
  void Write(GFile& file) const override;
  // Height level of a height as stored: rounded to the nearest level within 0.1 and held
  // inside -128..127.
  int32_t StoredLevel(float height) const;

  // ---- Terrain set-up passes (MapSetUp.cpp) ----

  void ComputeVertexHeights();
  void ApplyRoadCodes();
  void ApplyTerrainCodes();
  // Levels one tile's corners: axis 0 any, 1 along y, 2 along x.
  void FlattenTile(int32_t x, int32_t y, bool dropIfBlocked, int32_t axis);
  void SetTileTerrain(int32_t x, int32_t y, int32_t code, MapTile& tile);
  int32_t BridgeNeighbourCode(int32_t code) const;
  void BuildHeightPyramids();
  // The draws of the ground's variation table, the first BuildHeightPyramids takes.
  void DrawGroundVariation();
  void MarkRoadEnds(int32_t y, int32_t x, MapTile& tile, int32_t kind);
  static bool IsRoadType(int32_t type) { return type >= 8 && type <= 10; }
  // Fought on snow ground (the battle's, or the operation's without a battle).
  bool IsSnowGround() const;

  // ---- The fine grid of 2 m cells, steep edges and trees (MapFineGrid.cpp) ----

  // A point of a stamped triangle, metres; z is carried for the callers and not used.
  struct Point3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
  };

  // Sizes the fine grid (10 x 10 cells a tile), fills it from the tiles' terrain, shapes and
  // surface heights, then stamps the roads of types 8, 9 and 10 in that order.
  void BuildFineGrid();
  // Gives the road type to the cells covered by the road pieces of that type; heights stay.
  void StampRoads(int32_t roadType);
  // Stamps slope (a tile's centre and one edge's corners more than 6.5 m apart) or cliff
  // (more than 12.0 m) into the triangle of that edge.
  void MarkSteepEdges();
  // Lets walls and buildings stamp their footprints; they come with the map objects.
  void StampMapObjects();
  // Marks the road ends of every tile, then paints them into the fine grid: the ten cells
  // nearest each marked corner take the road, unless the road reaches that corner already.
  void StampRoadEnds();
  // Writes the type into every cell whose sample point (its low corner) lies in the
  // triangle, edges included; the height is used only for bridge types.
  void StampTriangle(const Point3& a, const Point3& b, const Point3& c, int32_t type, float height);
  // Whether the point lies in the triangle; a point on an edge counts as inside.
  static bool IsInTriangle(float x, float y, const Point3& a, const Point3& b, const Point3& c);
  // The same for all 100 cells of one tile.
  void FillTileCells(int32_t tileX, int32_t tileY, int32_t type, float height);
  // The one place where a stamp writes a cell: wire, roadblock, slope and cliff respect what
  // lies there; only bridges replace the height code.
  void WriteCell(int32_t cellX, int32_t cellY, int32_t type, uint16_t heightCode);
  // The 10-bit code of a height: -3 x the scale and below give 0, 54 x the scale and above
  // 1023.
  uint16_t HeightToCode(float metres) const;
  float CodeToHeight(int32_t code) const { return terrain.heightOfCode[code & FineTerrain::kHeightMask]; }
  // Fills the code-to-metres table from the map's height scale.
  void BuildHeightTable();
  // Plants the trees of one wooded tile (or marsh) of the given terrain type.
  void ScatterTrees(int32_t x, int32_t y, int32_t terrainType);

  // ---- Point queries (MapQueries.cpp): no allocation, at most four cells read ----

  // The fine type at the point, 0 off the grid; inside a lasting crater 1, 2 or 3 by the
  // ground around it where a crater can show.
  int32_t TerrainTypeAt(float x, float y) const;
  // The fine type at the point as the grid stores it, craters aside (open ground off the grid).
  // A crater only turns types below 24 into 1, 2 or 3, so a test of the structure and bridge
  // codes (31 and above) gives the same answer on either, and this one is cheaper.
  int32_t CellTypeAt(float x, float y) const;
  // Whether a crater can show in the type; wide adds road 9, track, pavement and rough.
  static bool IsTypeInClass(int32_t type, bool wide);
  // Whether the type hides a unit; strict leaves out wheat and brush.
  static bool IsConcealingType(int32_t type, bool strict);
  // Concealing terrain at the point; every point off the map conceals.
  bool IsConcealingAt(float x, float y, bool strict) const;
  // Ground elevation in metres, from the four cells around the point that are of the point's
  // own kind (structure or ground); points off the map are clamped onto it.
  float ElevationAt(float x, float y) const;
  // The same answers as CellTypeAt, TerrainTypeAt and ElevationAt, kept in the asker's memo
  // while the map stands as it was, so that an asker at the same point or cell reads no cells
  // again.
  int32_t CellTypeAt(float x, float y, MapPointMemo& memo) const;
  int32_t TerrainTypeAt(float x, float y, MapPointMemo& memo) const;
  float ElevationAt(float x, float y, MapPointMemo& memo) const;
  // The elevation, 6.0 m higher on the upper floor of a building (types 33, 34, 35).
  float SurfaceHeightAt(float x, float y) const;
  // The map edge (0 x = 0, 1 y = height, 2 x = width, 3 y = 0) a ray from the point reaches
  // first under the bearing in degrees.
  int32_t EdgeInDirection(float x, float y, float bearing) const;
  // The bearings under which the edge is seen from the point, and its distance; for edge 2
  // the second bearing is raised by 360 so the range does not wrap.
  void EdgeBearings(float x, float y, int32_t edge, float& from, float& to, float& distance) const;
  // Whether a lasting crater's square holds the point.
  bool HasCraterAt(float x, float y) const;
  // Rebuilds the crater index after the lasting-crater list was replaced.
  void IndexCraters();
  // Indexes a crater just appended to the lasting-crater list.
  void IndexLastingCrater(const Crater& crater);

  // ---- Map objects from tile codes (MapObjectsFromCodes.cpp) ----

  void MakeBridgePieces(int32_t x, int32_t y, int32_t code);
  void MakeBuildings(int32_t x, int32_t y, int32_t code);
  void MakeWalls(int32_t x, int32_t y, int32_t code);
  // The building standing on the tile, or null: a building before a bridge piece whose tile
  // numbers are the same, else the first in list order.
  Building* FindBuildingAtTile(int32_t x, int32_t y) const;

  // ---- Buildings, walls, craters, fire and the turn-start snapshot (MapObjectsFromCodes.cpp,
  // MapObjectsLive.cpp) ----

  // Bridge codes 91..98 (the code taken as a byte).
  static bool IsBridgeCode(int32_t code);
  // The building of the live list whose footprint holds the point, or null; a building before
  // a bridge piece whose extent overlaps it, else the first in list order.
  Building* FindBuildingAt(float x, float y) const;
  // The first crater of the list whose square holds the point, or null.
  static Crater* FindMarkerAt(const GGroup* list, float x, float y);
  // 2 in a lasting crater's square, 1 in a temporary crater's, else 0.
  int32_t CraterStateAt(float x, float y) const;
  // The fire of the tile under the point: 0 not burning, 1 light building, 2 heavy, 3 other.
  int32_t BurningAt(float x, float y) const;
  // The point ahead stands on a burning tile and the point itself does not: a mover's way
  // into a fire. Points on one tile are answered with one read.
  bool BurningAheadOnly(float x, float y, float aheadX, float aheadY) const;
  // The building the map view picked; the view pulls the clicked point into it.
  void SetPickedBuilding(Building* building) { pickedBuilding_ = building; }
  Building* GetPickedBuilding() const { return pickedBuilding_; }
  // A random chance, scaled by ground, weather, season and terrain, that the tile catches fire.
  void TryIgnite(float chance, float x, float y);
  // Sets the tile under the point burning unless it burns; with record, records it for the
  // replay and starts its fire display.
  void IgniteTile(float x, float y, bool record);
  // Half the blast reaches every building.
  void BlastBuildings(float size, float x, float y);
  // Replay of a collapse and of a building state; a point without a building is logged.
  void CollapseBuildingAt(float x, float y, int32_t argument);
  void ApplyBuildingStatePacket(const MapPacket& packet);
  // Where a shell struck: a crater may be left, recorded and applied at once.
  void AddImpactCrater(float x, float y, float blast, bool lasting, bool wide);
  // Replay of the crater packets; a packet off the map or without its crater is logged.
  void ApplyCraterPacket(const MapPacket& packet);
  void RemoveTemporaryCrater(const MapPacket& packet);
  void RevealCrater(float x, float y);
  // Tries to reveal every lasting crater not yet revealed (the battle calls it every 240
  // slices); then, while some stay hidden, reveals those an identified unit stands in. With
  // revealAll every crater is revealed at once and no event recorded (the battle is over).
  void UpdateCraterVisibility(bool revealAll = false);
  // A target reference point of the battle within 20 m of the point (the first in list order).
  bool FindUnitNear(float x, float y, bool flag, MapUnitView*& unit) const;
  // Copies the fire grid and the object lists at the start of a turn's action.
  void SaveTurnStartState();
  // Puts them back for the replay; buildings that collapse in the replay stand again.
  void RestoreTurnStartState(std::span<const MapPacket> packets);
  // The next Write stores the turn-start set.
  void SetWriteAlternate() { objects.writeTurnStart = true; }
  // Deletes the one-shot sounds and, unless kept, the looped ones.
  void DeleteSounds(bool keepLooped);
  // Places the battle screen's picture view over the battlefield view once.
  void OpenPictureView();
  // Forgets the cached sight lines near the point (the visibility cache fills it in).
  void InvalidateVisibilityNear(float x, float y, float radius);
  // Hands the packet to the battle unless it records nothing (or there is none).
  void Record(const MapPacket& packet) const;

  // ---- Sight lines, shell arcs and the unit-pair visibility cache (MapSight.cpp,
  // MapVisibilityCache.cpp) ----

  static constexpr float kSightRangeLimit = 5000.0f;
  static constexpr float kBlockingVisibility = 0.3f;

  // What one sight trace carries from sample to sample; every trace starts with it clear.
  struct SightTraceState {
    bool insideBuilding = false;     // the previous sample was inside a building
    bool passedIntoBuilding = false; // entered a building from outside: any sample outside blocks
    bool inBocage = false;           // the previous sample was within bocage
    bool endZoneFlag = false;        // an end zone's once-only building cost was paid
    float sampleFactor = 1.0f;       // the battle's visibility factor per sample
    int32_t season = 1;              // 0 spring, 1 summer, 2 autumn, 3 winter
  };
  // The same for one shell arc.
  struct ArcTraceState {
    bool insideBuilding = false;
    bool passedIntoBuilding = false;
    bool inBocage = false;
    bool endZoneFlag = false;
  };

  // The visibility of the line between two points sampled every 2 m, 1.7 m above the chord.
  // False, with visibility 0, when the points are more than 5000 m apart or not finite. With
  // stop when blocked the trace ends where the visibility falls below 0.3 and gives that
  // point; the block outputs may be null. canonicalOrder puts the ends in one order so that
  // A to B and B to A agree; only the re-trace that finds the caller's first block turns it off.
  bool TraceLine(bool lowerTarget, bool stopWhenBlocked, bool terrainOnly, float x0, float y0, float z0, float x1,
                 float y1, float z1, float& visibility, float& distance, float* blockX = nullptr,
                 float* blockY = nullptr, float* blockZ = nullptr, bool canonicalOrder = true) const;
  // A vehicle near a sight line as the samples weigh it: its place and size, read once a trace.
  struct SightDisc {
    float x, y, r;
  };
  // The factor of one sight sample.
  float LineStepFactor(SightTraceState& state, bool anyBurning, bool anyObstacle, bool terrainOnly, float x, float y,
                       float z, bool firstSample, bool inEndZone, std::span<const SightDisc> vehicles,
                       std::span<const SmokeCloud* const> objects) const;
  // Smoke clouds (1 each), listed vehicles (3 each) and burning-tile smoke (1) at the point.
  int32_t CountObstaclesAt(float x, float y, const SightUnitList* vehicles, std::span<const SmokeCloud* const> objects,
                           bool anyBurning) const;
  // How many vehicles and smoke clouds the last trace weighed at its samples: those gathered
  // near it that can reach a point of the line.
  int32_t SightVehiclesWeighed() const { return static_cast<int32_t>(sightBuffers_.discs.size()); }
  int32_t SightCloudsWeighed() const { return static_cast<int32_t>(sightBuffers_.clouds.size()); }
  // A shell's flight from the start to (x1, y1, z1): the fraction of the path reached, with the
  // point where the shell stops written back.
  float TraceArc(float strength, float x0, float y0, float z0, float& x1, float& y1, float& z1) const;
  float ArcStepFactor(ArcTraceState& state, float x, float y, float arcZ, bool firstSample, bool inEndZone) const;
  // The wall (29), hedge (30) or bocage (28) the line to the target meets within 15 m of the
  // start, or -1.
  int32_t FirstObstacleAlong(float targetX, float targetY, float targetZ, float startX, float startY,
                             float startZ) const;

  // The cached result of the last trace between two units of the battle, when neither moved
  // since. The value, pair flag and b's flag are written when given.
  bool CachedVisibility(const MapUnitView* a, const MapUnitView* b, bool& seen, float* value = nullptr,
                        bool* pairFlag = nullptr, bool* flagOfB = nullptr) const;
  // Stores a result; a negative value keeps the stored value.
  void StoreVisibility(const MapUnitView* a, const MapUnitView* b, bool seen, float value, bool pairFlag, bool flagOfA,
                       bool flagOfB);
  // Whether a result stored now for the pair of a and b could never be read: the cache keeps no
  // pairs, or one of them moved in or after the slice the entry would be stamped with (as the
  // entry it would replace was stamped no later, or either holds no place in the grid). While
  // the units' last moving slices only grow, such an entry counts for nothing until the grid is
  // made again. False while no grid is made (the first store makes it), and for two units that
  // have stood since before the slice.
  bool VisibilityStoreLapses(const MapUnitView* a, const MapUnitView* b) const;
  // Deletes the pair grid; the next store makes it again.
  void FreeVisibilityCache();
  // The computer player's planning switches the cache off and on.
  void SetVisibilityCacheEnabled(bool enabled) { visibilityCache_.enabled = enabled; }
  bool IsVisibilityCacheEnabled() const { return visibilityCache_.enabled; }
  // The number of units the grid was made for, 0 without a grid.
  int32_t VisibilityCacheSize() const { return visibilityCache_.n; }
  // How many times sight lines copied the fine grid into blocks (again after each change).
  int64_t SightCellCopies() const { return sightBuffers_.cells.Copies(); }

  // ---- New maps, zones and height bands (MapNew.cpp) ----

  // A new map of the given size in metres, flat at level 2 or filled from an imported block
  // (250 x 250 tiles in three parts). False, with nothing changed, for sizes outside 1..250
  // tiles or a block holding a terrain code the table cannot decode.
  bool NewMap(float widthMetres, float heightMetres, const void* block);
  void PaintZone(int32_t x, int32_t y, bool side1, bool merge);
  void PromoteZoneRect(bool side1, int32_t x0, int32_t x1, int32_t yEnd, int32_t y0);
  void ScaleHeights(float factor);
  void BuildHeightBands();

  // ---- Small queries ----

  bool IsOnMap(float x, float y) const {
    return x >= 0.0f && x < size.worldWidth && y >= 0.0f && y < size.worldHeight;
  }
  void Invalidate() { display.needsRedraw = true; }

  // ---- Camera, selection and tile texture indices (MapCamera.cpp) ----

  // Selects the unit; the selected unit again, or a unit identified below level 2, clears the
  // selection (as does null). Then redraws.
  void SelectUnit(MapUnitView* unit);
  // Turns the current side's camera toward the point (view levels 0..3) or moves it there
  // (4 and above), unless the point is already on the screen.
  void AimCamera(float x, float y);
  // The orders-menu key: opens the selected unit's orders menu, or hands the key to the open
  // one and closes it with a beep when the menu does not take it. Without a selected unit the
  // key only beeps.
  void OrdersMenuKey(int32_t key);
  // Shows or hides the battlefield view.
  void SetViewVisible(bool visible);
  // The dragged corner of the selection box, in whole pixels; starts the box selection.
  void SetSelectionCorner(float x, float y);
  // The selection box as left, top, right, bottom, whichever corner the drag started from.
  void GetSelectionRect(int32_t rect[4]) const;
  // The view state of the 80 m blocks under the square of half side r around the point:
  // their common state, or 1 (partly in view) when they differ or the first is partly in view.
  int32_t FootprintViewState(float x, float y, float r) const;
  // The view state of the 80 m block holding the tile: 0 out of view, 1 partly, 2 wholly in
  // view; 0 off the block grid.
  int32_t BlockViewState(int32_t tileX, int32_t tileY) const;
  // The same by block index.
  int32_t GetBlockViewState(int32_t blockX, int32_t blockY) const;
  // ---- The camera operations of the battle screen (MapCamera.cpp) ----
  // Each acts on the camera of the side to play, clears the view lock when it turns or moves
  // it, and asks for a redraw (the keypad's leaves that to the operation it calls).
  // Orbit distances by view level while "View rotates on point" (option 20) is on.
  static constexpr float kOrbitDistance[8] = {4.0f, 15.0f, 92.0f, 170.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  // Turns at input radians per second at zoom 1, over the frame rate (at least 4) and zoom;
  // with option 20 on the camera swings about the ground point its orbit distance ahead.
  void TurnCamera(float input);
  void TurnCameraBy(float degrees);
  // Moves along the heading: 1 left, 2 right, 4 back, anything else forward; the step grows
  // with the level and shrinks with the frame rate (at least 3); held 200 m beyond the map.
  void MoveCamera(int32_t direction, float amount);
  // One level up or down, blended when the frame rate is at least 5; nothing past 0 or 7.
  void ChangeCameraLevel(bool up);
  // Jumps to a level 0..7; any other value is ignored.
  void SetCameraLevel(int32_t level);
  // The numeric keypad's camera keys, as characters.
  void KeypadCamera(int32_t key);
  // ---- End of the camera operations ----
  // ---- The battlefield view (MapBattlefieldView.cpp) ----
  // Makes the view through the application (screen size less the 90-pixel strip), locks it on
  // the first unit of the side to play when an operation runs outside the editor, and in
  // TCP/IP play sizes the radio chat and adds its hidden entry field.
  void CreateView();
  // Deletes the view with its entry field.
  void DeleteView();
  // The short message of the view, when there is one.
  void ShowViewMessage(const char* text);
  // The battle screen brought up to date and the view redrawn.
  void Refresh();
  // The radio chat's entry field (TCP/IP play), a child of the view; null without one.
  GObject* chatEntry = nullptr;
  // The radio chat's sizes for a view of this size in TCP/IP play.
  struct ChatLayout {
    int32_t lines = 0;      // chat lines shown: a quarter of the view's 12-pixel rows, at most 14
    int32_t lineWidth = 0;  // pixels a chat line may take
    int32_t columns = 0;    // columns of the entry field, at most 85
    int32_t entryX = 0;     // the entry field's place in the view
    int32_t entryY = 0;
    int32_t font = 0;       // 1 below 901 screen pixels wide, else 0
  };
  static ChatLayout ChatLayoutFor(int32_t viewWidth, int32_t viewHeight, int32_t screenWidth);
  // ---- End of the battlefield view ----

  // The view level 0..7 of the current side's camera.
  int32_t GetViewLevel() const;
  // The texture index of the tile's terrain piece (layer 0) or road piece (layer 1), -1 for a
  // type without one; second receives the bitmap offset of snow ground (0 otherwise). Any
  // other layer is a programmer error.
  int32_t TileTextureIndex(const MapTile& tile, int32_t layer, int32_t* second = nullptr) const;
  // Darkens the renderer's colour scale for a water texture (kinds 8 and 9) on wet ground
  // (conditions 2..5) off snow; the previous scale goes to previousScale. False when nothing
  // changed.
  bool TintWaterTexture(float previousScale[3], int32_t kind) const;

  // ---- Camera distance (MapCamera.cpp) ----

  // Apparent size at a point: about 20 / depth at 1024 pixels, depth measured along the
  // current side's view direction (or the camera's height above the point when larger) and
  // divided by the zoom.
  float PerspectiveScaleAt(float x, float y, float z) const;
  // The detail factor of ground drawn at the point: 0.5 at view levels above 3, else
  // 0.023 over the apparent size held within [0.024, 0.2].
  float DetailFactorAt(float x, float y) const;
  // The distance from the current side's camera to the point; zoom receives the zoom.
  float CameraDistance(float x, float y, float z, float* zoom = nullptr) const;

  // ---- The battlefield frame (MapDraw.cpp, MapCamera.cpp, MapBackdrop.cpp,
  // MapTerrainDraw.cpp) ----

  // What the frame keeps between frames and hands to the other passes.
  struct Frame {
    float eyeX = 0.0f;  // the eye's ground point, metres
    float eyeY = 0.0f;
    float fieldOfView = 50.0f;  // degrees, after the zoom divides it
    float nearPlane = 1.0f;
    float farPlane = 1000.0f;
    float pitch = 0.0f;  // degrees down
    int32_t previousLevel = 0;  // the level a blend comes from
    float levelBlend = 0.0f;    // 1 at a level change, run down to 0 in a third of a second
    float shake = 0.0f;         // metres; raised by sound events, decays here
    float weatherFieldSize = 30.0f;  // metres around the eye where rain and snow fall
    int32_t soundClock = 0;          // milliseconds towards the next sound upkeep
    // Counts of the last terrain pass, for the benchmark: far-block fans drawn and blocks
    // tested.
    int32_t farFans = 0;
    int32_t blocksTested = 0;
  };
  Frame frame;

  // One frame of the battlefield; called with the renderer's frame begun, once for the
  // picture and once more in pick mode.
  void Draw();
  // Places the projection and the view transform for the side whose turn it is.
  void SetupCamera();
  // Refills the block view states after Invalidate; otherwise they stay.
  void UpdateViewCulling();
  // Hands the unit scale values of the view level to the battle, which draws every unit.
  void DrawUnits();
  // Sky walls, ground plane, marker, skirts at the map edges and the exit bands.
  void DrawBackdrop();
  // The exit band along an edge 0..3 (any other edge is a programmer error).
  void DrawExitZone(int32_t edge, bool ownSide);
  // The ground: blocks in view, split into squares and tiles where they are not flat.
  void DrawTerrain();
  void DrawTerrainQuadtree(int32_t level, int32_t i, int32_t j, bool partly);
  void DrawFlatSquare(int32_t level, int32_t i, int32_t j, bool partly);
  void DrawTerrainTile(int32_t i, int32_t j, bool partly);
  // The six fan points (x, y, z each) of tile (i, j): centre, then the corners round to the
  // first again; without the centre five. secondGrids takes the low-detail mesh.
  void BuildTileFan(int32_t i, int32_t j, float* vertices, bool noCentre, bool secondGrids) const;
  // Binds the terrain texture of the height band of a height in metres; a band outside
  // 0..19 is a programmer error.
  void BindHeightTexture(float height) const;
  // The height band 0..19 of a height in metres (outside: a programmer error).
  int32_t HeightBandOf(float height) const;
  // Whether one of the height-band slots holds the terrain texture id (0..19).
  bool UsesTerrainTexture(int32_t id) const;
  // A display option the frame reads, held to its range; a value outside it is logged once
  // per run. Zoom (41) is 1, 2, 4 or 8 (anything else 1); dip (40) -10..2.
  int32_t FrameOption(int32_t index) const;
  // The passes over the ground (see the block below).
  void DrawZoneOutlines();
  void DrawVictoryFlags();
  // The replay's short-lived effects, drawn by the battle (MapEffects.cpp).
  void DrawEffects();
  void DrawBuildings();
  void DrawWalls();
  void DrawOverlays();
  void DrawCraters();
  void DrawTrees();
  void DrawWeather();
  void DrawLandmarks();
  // ---- End of the battlefield frame ----

  // ---- Over the ground: overlays and trees (MapOverlays.cpp, MapTrees.cpp), rain and snow
  // (MapWeather.cpp), zone outlines, flags and the object passes (MapObjectPasses.cpp), lines
  // and labels (MapLines.cpp) ----

  // Textures of these passes, by their own index: two per tree kind (near billboard 2k, far
  // crown 2k + 1), the flag cloths (index = owner, 6 contested, 7 hidden objective) and the
  // line bands. They are slots of the load pass (OverGroundSlot): the trees are the 26 ground
  // textures, the cloths the kind groups' detailed textures, the bands texture 2020.
  static constexpr int32_t kTreeKinds = 13;
  static constexpr int32_t kTreeTextures = 2 * kTreeKinds;
  static constexpr int32_t kFlagTextures = 8;
  static constexpr int32_t kFlagTextureBase = kTreeTextures;
  static constexpr int32_t kLineTexture = kFlagTextureBase + kFlagTextures;
  static constexpr int32_t kOverGroundTextures = kLineTexture + 1;
  static constexpr int32_t kWeatherParticles = 500;

  // One rain drop or snow flake of the set laid into every block.
  struct WeatherParticle {
    float x = 0.0f;  // [0, 80) within the block
    float y = 0.0f;
    int16_t phase = 0;  // 0..11999
    float cosine = 1.0f;  // drift direction
    float sine = 0.0f;
  };
  // A tree of one kind and group, with its index in its group and its block, in list order.
  struct TreeRef {
    const GObject* tree = nullptr;  // a MapTree of the group
    int32_t index = 0;
    int32_t blockX = 0;
    int32_t blockY = 0;
  };
  struct OverGround {
    MapGrid<uint8_t> farBlocks;  // the blocks the terrain pass drew as one far fan
    // The trees bucketed by kind and group; made again when a group changes size.
    std::vector<TreeRef> treeBuckets[kTreeKinds][3];
    int32_t bucketedCounts[3] = {-1, -1, -1};
    const GObject* bucketedFirst[3] = {};
    // The weather's particle set, made once from the presentation generator (on the heap:
    // tools keep maps on their stacks).
    std::vector<WeatherParticle> particles;
    bool particlesMade = false;
    uint32_t particleStart = 0;  // the tick count when made
    float lineTop = 0.0f;        // the band of the last line style
    float lineBottom = 0.0f;
    bool lineBound = false;  // the line texture was there to bind
    int32_t lineSteps = 0;   // ground samples of the last line
    // Landmark names measured once: the landmark, its name as measured and the width.
    struct NameWidth {
      const GObject* landmark = nullptr;
      std::string name;
      int32_t width = 0;
    };
    std::vector<NameWidth> nameWidths;
    // Counts of the last frame, for the benchmark.
    int64_t treesVisited = 0;
    int64_t treeBlockTests = 0;
  };
  OverGround overGround;

  // The load pass's slot of an over-ground texture index.
  static int32_t OverGroundSlot(int32_t index);
  // Takes ownership of a texture for an over-ground index, in its load slot (the previous one
  // is deleted).
  void SetOverGroundTexture(int32_t index, GObject* graphic);
  // False, binding nothing, while the texture is missing: its drawing is left out then.
  bool BindOverGroundTexture(int32_t index) const;
  // One tree of the current kind (MapTrees.cpp): near as a billboard facing the eye (index is
  // its place in its group, which thins distant woods), far as a crown seen from above.
  void DrawTreeBillboard(const TreeRef& ref, int32_t treeDisplay) const;
  void DrawTreeCrown(const TreeRef& ref) const;
  // Sorts the trees into the kind and group buckets unless they are current.
  void BucketTrees();
  // A weather particle's size at (dx, dy) from the camera before the zoom divides it: full
  // (0.13) from 80 m out, smaller nearer by a power of the distance.
  static float WeatherParticleSize(float dx, float dy, bool snow, int32_t level);
  // Where the falling cycle (0..11999) stands after the ticks since the set was made; rain
  // falls ten times as fast. Computed in 64 bits so long uptimes do not wrap it.
  static int64_t WeatherElapsed(uint32_t ticks, bool snow, float fieldSize);
  // One upright outline segment 2 m inside a zone tile, with a flat top when thick.
  void DrawZoneSegment(bool thick, float x0, float y0, float x1, float y1) const;
  // One flag on its pole, or lying flat from view level 4 (also the editor's flag markers).
  void DrawVictoryFlag(const MapFlagView& flag) const;
  // A landmark's name over its tile, kept inside the view.
  void DrawLandmarkName(const GObject& landmark);
  // The building whose footprint holds the point, found leniently first: occupied true turns
  // a normal mark (1) into occupied (2), false clears the mark (0).
  void MarkBuildingAt(float x, float y, bool occupied);
  // Binds the line texture and picks the band of the style.
  void SetLineStyle(int32_t style);
  // A ribbon over the ground between two points; textured in the band of the last style.
  void DrawTerrainLine(bool textured, bool wide, float x0, float y0, float z0, float x1, float y1, float z1);
  // Two label lines over a world point, drawn by the battlefield view at its screen point.
  void DrawTextAt(const char* text1, int32_t code1, const char* text2, int32_t code2, float x, float y,
                  float z) const;
  // ---- End of over the ground ----

  // ---- Battlefield textures (MapTextures.cpp) ----

  // The load pass of a battle's textures, in a fixed order (see the slot table); the buildings
  // of the live list choose their textures with the flag inverted, those of the turn-start
  // list keep their variants. Keeps the network link alive twice on the way.
  void LoadTextures(bool flag);
  // The lazy slots: loaded on first need; an index outside the slots is a programmer error.
  void EnsureKindGroupGraphics(int32_t group);
  void EnsureInfantryTexture(int32_t n);
  void EnsureFigurePrototype(int32_t n);
  void PrepareFigurePrototypes();
  // Binding a texture of the map makes it the renderer's current texture.
  void BindRandomEffectTexture();
  void BindTexture1300();
  void BindSetTexture(int32_t n);
  void BindTexture672();
  // The infantry equipment texture n (0..14), loaded on first use.
  void BindEquipmentTexture(int32_t n);
  void BindSlot(int32_t slot) const;
  // The bitmap number of the graphic in a slot, 0 when it is empty.
  int32_t SlotNumber(int32_t slot) const;

  // ---- Movement-cost grids and routes (MapCostGrid.cpp, MapPath.cpp) ----

  static constexpr int32_t kMoveClasses = 5;  // 0 and 1 on foot, 2 to 4 vehicles
  static constexpr int32_t kCostTypes = 45;   // fine terrain types 0..44
  // Cost grid values besides the prices 10..220: a cell inside a coarse block, a soft block
  // (burning ground, a known minefield) and an impassable cell.
  static constexpr uint8_t kCoarseCell = 5;
  static constexpr uint8_t kSoftBlock = 254;
  static constexpr uint8_t kImpassable = 255;
  // Results of FindPath.
  static constexpr int32_t kNoRoute = 0;
  static constexpr int32_t kOutOfNodes = 1;
  static constexpr int32_t kRouteFound = 2;

  // One cost grid per move class, in fine-grid cells, and the path finder's working state.
  struct Routes {
    MapGrid<uint8_t> cost[kMoveClasses];
    bool built[kMoveClasses] = {};
    MapPathWork work;
    MapPathRegions regions;  // the grids' regions, for goals no route can reach

    // ---- Reuse of built grids between route plans ----
    // Everything a build reads: the class, the side flag, the ground and the date, the sizes,
    // fingerprints of the fine grid and of the fire state, and the minefields that blocked.
    struct Key {
      int32_t moveClass = -1;
      int32_t sideFlag = 0;
      int32_t ground = 0;
      int32_t date = 0;
      int32_t width = 0;
      int32_t height = 0;
      int32_t tilesX = 0;
      int32_t tilesY = 0;
      uint64_t fineHash = 0;
      std::vector<uint32_t> fires;  // burning tiles, x * tilesY + y
      std::vector<uint32_t> mines;  // kind, x bits, y bits of each blocking minefield
      bool hasBattle = false;
      bool operator==(const Key&) const = default;
    };
    // A freed grid kept for the next build of its class with the same key, with the
    // fingerprint of its cells that a caller writing into it would change.
    struct Kept {
      MapGrid<uint8_t> grid;
      Key key;
      uint64_t hash = 0;  // fingerprint of the grid's cells
      uint64_t contents = 0;  // the cells' identity (below), 0 when not known
      bool valid = false;
    };
    Key builtKey[kMoveClasses];
    uint64_t builtHash[kMoveClasses] = {};   // fingerprint of the cells as the build left them
    // A fingerprint of the class's cells known at the grid's revision cellsRevision.
    uint64_t cellsHash[kMoveClasses] = {};
    uint64_t cellsRevision[kMoveClasses] = {};
    // The fine grid's fingerprint, kept while the grid's revision stands.
    uint64_t fineHash = 0;
    uint64_t fineHashRevision = 0;
    bool fineHashKnown = false;
    // The burning tiles that keys hold, read again only when the fire state has changed.
    struct Burning {
      std::vector<uint32_t> tiles;
      uint64_t revision = 0;
      int32_t tilesX = 0;
      int32_t tilesY = 0;
      bool hasBlock = false;
      bool known = false;
      int64_t reads = 0;  // walks of the fire state, for tests
    };
    Burning burning;
    bool blockedAfterBuild[kMoveClasses] = {};  // BlockUnitCells wrote into the built grid
    Kept kept[kMoveClasses][2];  // by class and side flag: both sides plan in one turn
    uint64_t fullBuilds = 0;  // builds that priced every cell, for tests and measurements
    uint64_t sharedBuilds = 0;  // builds that copied the other side flag's kept grid, likewise
    // ---- The cells' identity, for answers kept between searches ----
    // A build gives its cells a new number; a kept grid handed back brings its number with it,
    // so searches between the same two cells of a grid freed and handed back are answered from
    // memory. The number holds while the grid's revision stays the one it was given at.
    uint64_t contents[kMoveClasses] = {};
    uint64_t contentsRevision[kMoveClasses] = {};
    uint64_t contentsMade = 0;
    // What stands for the class's cells in the path finder's memory: the cells' number while it
    // holds (odd), else the grid's revision (even), so that two equal keys mean equal cells.
    uint64_t CellsIdentity(int32_t moveClass) const {
      const MapGrid<uint8_t>& grid = cost[moveClass];
      if (contents[moveClass] != 0 && grid.Revision() == contentsRevision[moveClass]) {
        return contents[moveClass] << 1 | 1u;
      }
      return grid.Revision() << 1;
    }
    // Searches made ahead on worker threads (last, so that its workers stop first).
    MapRouteAhead ahead;
  };
  Routes routes;

  // The price of crossing a cell of the fine type for the move class, before the ground, the
  // date and the neighbours change it.
  static uint8_t TableMoveCost(int32_t type, int32_t moveClass);
  // Builds the move class's grid unless it is built; sideFlag is 1 when the route is planned
  // for a unit of side 0. A negative class only allocates all five grids, unbuilt. A class
  // above 4 is a programmer error.
  void BuildCostGrid(int32_t sideFlag, int32_t moveClass);
  // Deletes the five grids; the next build starts afresh (fires, mines and side then count).
  // A grid left as its build made it is kept aside and handed back by a later build whose
  // inputs are all the same, so that the result is that of a fresh build either way.
  void FreeCostGrids();
  // Drops the grids kept aside for reuse (their memory); the next build of each class prices
  // every cell.
  void ForgetKeptCostGrids();
  // Soft-blocks the 11 x 11 cells around a minefield in the class's grid.
  void BlockUnitCells(const MapUnitView& unit, int32_t moveClass);
  // An A* search over the unit's cost grid from (x0, y0) to (x1, y1), metres: kRouteFound
  // with the route written to points, kNoRoute when the unit cannot stand at the destination
  // or nothing leads there, kOutOfNodes when the node budget ran out (points untouched then).
  int32_t FindPath(MapPathUnit& unit, float x0, float y0, float x1, float y1, PathPoints& points);
  // Hands the search FindPath would make for the same arguments, asked now, to the worker
  // threads (routes.ahead), so that FindPath later takes its answer instead of searching. Only
  // a search of a class whose grid is built is handed over, and none that FindPath would
  // answer without searching. The answer FindPath gives is the same either way. The search's
  // key when it is held ahead (moveClass -1 when not).
  MapRouteAhead::Key AskRoute(MapPathUnit& unit, float x0, float y0, float x1, float y1);
  // The A* search itself, between cells of the class's built grid; FindPath answers a search
  // asked again from the path finder's memory.
  // unreachableReach is -1, or for a goal outside the start's region the region's reach.
  // moveClass (0..4) and identity name the grid's cells (Routes::CellsIdentity) for the
  // search's frame, which keeps them while they stand.
  // The search reads and writes only the grid and the work given (the grid's start and goal
  // blocks are filled for it and put back), so that searches over copies of a grid, each with
  // work of its own, may run on several threads at once.
  int32_t SearchRoute(MapGrid<uint8_t>& grid, MapPathWork& work, int32_t sx, int32_t sy, int32_t gx, int32_t gy,
                      PathPoints& points, int64_t unreachableReach, int32_t moveClass, uint64_t identity) const;
  // Whether the cells flooded from the start, as the search steps, pass the node budget
  // before the flood could reach past the search's price limit (work's records then mark them).
  // The cells FindPath searches between for the points (metres, clamped to the map), and the
  // grid's size: start x, y, goal x, y, width, height.
  void RouteCells(const MapGrid<uint8_t>& grid, float x0, float y0, float x1, float y1, int32_t (&key)[6]) const;
  // The key a search between the cells is made ahead under.
  MapRouteAhead::Key AheadKey(int32_t moveClass, uint64_t identity, const int32_t (&cells)[6]) const;
  static bool FloodPastBudget(MapPathWork& work, const uint8_t* cells, int32_t w, int32_t h, int32_t sx, int32_t sy);
  // Writes the route whose cells, from the goal back to the start, chain holds: merged,
  // straightened over the grid and cut to the 50 points nearest the start. The chain's links
  // are changed on the way.
  void TracePath(std::vector<MapPathWork::Link>& chain, PathPoints& points, const MapGrid<uint8_t>& grid) const;
  // The last search's route to its goal cell, read back from the cells' records into the
  // work's chain.
  static std::vector<MapPathWork::Link>& ChainTo(MapPathWork& work, int32_t goal);

  // ---- The battle screen's map services, the burning-tile list and the fire sounds
  // (MapScreenServices.cpp); the fire, smoke and sound passes of the presentation
  // (src/game/draw) ----

  // While set, FindCraterAt passes over a crater hidden from the side to play (set only while
  // a terrain text is asked for a picked point).
  static uint8_t hiddenCraterSwitch;
  // The hidden byte of the crater the last FindCraterAt found; the terrain texts read it.
  uint8_t lastCraterHidden = 0;
  // The first lasting crater whose square holds the point and that the side to play may see;
  // null when none.
  Crater* FindCraterAt(float x, float y);
  // The name of the first landmark on the tile, or an empty text.
  void GetLandmarkNameAt(int32_t tileX, int32_t tileY, GString& name) const;
  // Names the tile (at most 63 characters), making its landmark when there is none; an empty
  // name removes the tile's landmark.
  void SetLandmark(int32_t tileX, int32_t tileY, const GString& name);
  // The set-up zone of the tile under the unit; 0 off the grid.
  uint8_t ZoneOfUnit(const MapUnitView& unit) const;
  // Sets the zone of every tile with x0 <= x < x1 and y0 <= y < y1, the rectangle clipped to
  // the grid (the values come from files).
  void SetZoneRect(uint8_t zone, int32_t x0, int32_t x1, int32_t y0, int32_t y1);
  // The map's step in the periodic work of the action: nothing to do.
  void PeriodicUpkeep() {}
  // The square counter of the line trace: the point, and the count of squares holding it.
  static float squarePointX;
  static float squarePointY;
  static int32_t squareCount;
  // Adds 1 to squareCount when the cloud's square (centre, half side its radius) holds the
  // point.
  static void CountSquaresAt(const SmokeCloud& cloud);
  // Appends the cloud to target when its centre lies in the box (edges included) and it
  // exists already: while the action is not computed, with the battle's override set, or
  // once its start slice has come.
  void CollectObjectsInBox(const SmokeCloud& cloud, float minX, float minY, float maxX, float maxY,
                           std::vector<const SmokeCloud*>& target) const;

  // The burning tiles as x * tilesY + y, in drawing order (x descending, then y descending);
  // kept beside the fire grid by every change of it, so that no pass scans the whole grid.
  std::vector<int32_t> burningTiles;
  // The one writer of a single tile's fire state: the grid and the list together.
  void SetTileBurning(int32_t tileX, int32_t tileY, uint8_t kind);
  // Rebuilds the list from the grid after the grid was filled or replaced as a whole.
  void RebuildBurningTiles();
  // Gives every burning tile its looped fire sound (in drawing order).
  void ReapplyFires();
  // The looped fire sound of a tile: while the action is computed a sound event recorded 1 to
  // 40 slices early; otherwise the sound starts at once and nothing is recorded, so that
  // opening the screen or rewinding the replay neither draws from the game's generator nor
  // adds to the action's events.
  void PostFireSound(int32_t tileX, int32_t tileY);
  // Binds the current frame of the fire animation.
  void SetAnimatedTexture() const;

  // Defined by the presentation (src/game/draw), called through the application's frame
  // hooks. The flame pass and the smoke pass of burning tiles, vehicles and clouds.
  void DrawBurningTiles();
  void DrawSmoke();
  void DrawSmokeColumn(int32_t id, float x, float y, float size, bool lowered, bool column);
  // A flickering box of flames; attached draws in the current transform (a vehicle's).
  void DrawFlameBox(float x, float y, float radius, float height, float topFactor, bool attached);
  // ---- Crew figures on vehicles (src/game/draw MapFigureDraw.cpp) ----
  // One of the 19 cached soldier figures (index 0..18, a nationality code) posed for a crew
  // place (pose kind 0..9, head turned by look degrees) at (x, y, z) model units of the current
  // matrix, turned by heading about z, drawn with the caller's face variant at apparent size
  // scale. An index outside 0..18 is a programmer error; a figure the application does not
  // make draws nothing.
  void DrawFigure(int32_t kind, int32_t figure, float x, float y, float z, float heading, float look, bool clip,
                  float scale);
  // ---- End of crew figures ----
  // The program-wide frame accumulator of the fire animation (0 at start, wraps at 18).
  static float fireFrameClock;
  // Starts one positional sound event and files it in the one-shot or looped list; an event
  // of a kind without a class or at a point that is not finite is skipped with a log line.
  void AddSoundEvent(const MapPacket& event);
  // Deletes a vehicle's looped sounds of kinds 3 and 12; nothing for other units.
  void StopUnitLoopSounds(const MapUnitView* unit);
  // The sound upkeep of a frame: finished one-shot sounds go; with reposition the others
  // and the looped ones move to their sources.
  void UpdateSounds(bool reposition);
  // ---- End of the battle screen's map services, fire, smoke and sounds ----

 private:
  // ---- Cost grid build (MapCostGrid.cpp) ----
  // Prices every cell of the class's grid, already sized to the fine grid.
  void BuildCostCells(int32_t sideFlag, int32_t moveClass, MapBattleServices* battle);

  bool IsFresh() const;
  bool ReadTiles(GFile& file);
  // A stored building record with damage or its destroyed flag: restores the building on
  // that tile; a tile without a building is logged and the record skipped. Records come in
  // the order of the building list, so the building at the record's index is taken when it
  // stands on that tile (a bridge ramp and a building may share one).
  void ApplyBuildingRecord(uint32_t index, int32_t x, int32_t y, float damage, uint8_t flags, bool inside);
  bool ReadObjectLists(GFile& file, bool fresh);
  void BuildDefaultTiles();
  // Read's eleventh step: empty sound lists and the detail tier of the screen's width.
  void ResetDisplayLists();
  void SizeGrids();
  void CreateObjectLists();
  void DeleteObjectLists();
  void InitDrawTables();
  void ComputeEdgeMinHeights();
  uint8_t StoredCodeAt(int32_t x, int32_t y) const;
  void StampRoadEndLinks();
  int32_t StoredRoadCodeAt(int32_t x, int32_t y) const;
  bool HoldsCorner(int32_t x, int32_t y, float t) const;
  void SetCornerLod(int32_t x, int32_t y);

  // ---- Sight lines and the visibility cache: working buffers kept between traces ----
  int32_t VisibilityIndexOf(const MapUnitView* unit) const;
  bool GatherSightObstacles(float x0, float y0, float x1, float y1) const;
  // LineStepFactor for a cell word already read.
  float CellStepFactor(SightTraceState& state, uint16_t word, bool anyBurning, bool anyObstacle, bool terrainOnly,
                       float x, float y, float z, bool firstSample, bool inEndZone, std::span<const SightDisc> vehicles,
                       std::span<const SmokeCloud* const> clouds) const;
  int32_t CountObstaclesNear(float x, float y, std::span<const SightDisc> vehicles,
                             std::span<const SmokeCloud* const> clouds, bool anyBurning) const;
  struct SightBuffers {
    SightUnitList vehicles;                   // the vehicles near the line
    std::vector<SightDisc> discs;             // those of them that can reach the line
    std::vector<const SmokeCloud*> clouds;    // the smoke clouds near it
    SightCellBlocks cells;                    // the fine grid's cells in blocks
    BurningTileCounts burning;                // the fire grid's burning tiles counted
  };
  struct VisibilityCache {
    bool enabled = true;
    int32_t n = 0;
    std::unordered_map<const MapUnitView*, int32_t> index;  // unit to list index, below n
    std::vector<float> x, y;                                  // positions for invalidation
    std::vector<int32_t> lastMoving;
    int32_t newestStamp = -1;  // the latest stamp stored since the grid was made
  };
  mutable SightBuffers sightBuffers_;
  VisibilityCache visibilityCache_;

  // Loads a bitmap into a slot unless it holds one; detail as GGraphicFactory takes it.
  void LoadSlot(int32_t slot, int32_t number, int32_t detail);
  void LoadTileTextures();

  MapAppServices* app_;
  // This map among all made in the run, and the height table's builds: what a point memo
  // keeps its answers against.
  uint64_t serial_ = 0;
  uint64_t heightEpoch_ = 0;
  // Whether the memo's answers were kept on this map as it stands; if not, the memo forgets
  // them and is keyed to it.
  bool MemoStands(MapPointMemo& memo) const;
  // The cell's stored type as a lasting crater at the point turns it.
  int32_t WithCrater(int32_t type, float x, float y) const;
  Building* pickedBuilding_ = nullptr;  // not owned
  // Drawing's own choice of effect texture; the game's generator is never drawn from here.
  uint32_t effectChoice_ = 0;
  GObject* pictureView_ = nullptr;      // the battle screen's, not owned
};
