#pragma once
#include <array>
#include <cstdint>

#include "framework/core/GDynamicArray.h"
#include "framework/core/GObject.h"
#include "framework/core/GObjectGroup.h"
#include "game/map/MapGrid.h"
#include "game/map/MapTile.h"

class GFile;
class GGroup;
class MapAppServices;
class MapBattleServices;
class MapObjectList;
class MapUnitView;

// The battle map: a rectangle of 20 m tiles with a height per tile and per tile corner, a
// record per tile, the per-tile fire state, the map's object lists, each side's camera and
// the derived grids that drawing, sight lines and path finding use. The battle owns one; an
// operation owns the map of its whole area. Its code is split by subject: Map.cpp (life
// cycle), MapIO.cpp (stored form), MapSetUp.cpp (terrain set-up passes), MapNew.cpp (new maps,
// zones, height bands), MapFineGrid.cpp and MapObjectsFromCodes.cpp (passes that later
// subjects complete).
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
    int32_t viewLevel[2] = {kViewLevelUnset, kViewLevelUnset};  // 0..7, 99 until set
    int32_t selectionCorners[2][2] = {};  // first and second screen point of a drag box
    GObject* openMenu = nullptr;           // not owned
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
    MapGrid<uint8_t> blockViewState;  // 0 out of view, 1 wholly, 2 partly (drawing)
    MapGrid<uint16_t> fineGrid;       // 2 m cells
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
    GObject* messageWindow = nullptr;  // not owned
    GObject* unitBalloon = nullptr;    // not owned
    GObject* battleView = nullptr;     // owned
    GGroup* oneShotSounds = nullptr;
    GGroup* loopedSounds = nullptr;
    GObject* pairVisibility = nullptr;  // the unit-pair visibility cache
    DrawTables tables;
  };

  Size size;
  Cameras camera;
  Terrain terrain;
  Fire fire;
  Objects objects;
  Display display;

  // ---- Life cycle (Map.cpp) ----

  // An empty 40 x 40 map with no sized grid; asks the application to reset the camera dip
  // and zoom.
  explicit Map(MapAppServices& app);
  Map(const Map&) = delete;
  Map& operator=(const Map&) = delete;
  ~Map() override;

  // Releases every texture of the map; the map stays usable.
  void ReleaseGraphics();
  MapAppServices& App() const { return *app_; }

  // ---- Stored form (MapIO.cpp) ----

  // Reads a map into this freshly constructed object and runs every set-up pass; without a
  // stream builds the flat default map (tilesX x tilesY as set, 40 x 40 unless changed). False
  // when the stream is refused: the file's error flag is raised and one line naming the
  // failed check is logged; the caller deletes the map.
  bool Read(GFile* stream);
  using GObject::Read;
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
  void MarkRoadEnds(int32_t y, int32_t x, MapTile& tile, int32_t kind);
  static bool IsRoadType(int32_t type) { return type >= 8 && type <= 10; }
  // Fought on snow ground (the battle's, or the operation's without a battle).
  bool IsSnowGround() const;

  // ---- Passes of the fine grid and the trees (MapFineGrid.cpp) ----

  void BuildFineGrid();
  void MarkSteepEdges();
  void FinishFineGrid();
  // Marks the road ends of every tile, then paints them into the fine grid.
  void StampRoadEnds();
  void ScatterTrees(int32_t x, int32_t y, int32_t terrainType);

  // ---- Map objects from tile codes (MapObjectsFromCodes.cpp) ----

  void MakeBridgePieces(int32_t x, int32_t y, int32_t code);
  void MakeBuildings(int32_t x, int32_t y, int32_t code);
  void MakeWalls(int32_t x, int32_t y, int32_t code);
  // The building standing on the tile, or null.
  GObject* FindBuildingAtTile(int32_t x, int32_t y) const;

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

 private:
  bool IsFresh() const;
  bool ReadTiles(GFile& file);
  // A stored building record with damage or its destroyed flag: restores the building on
  // that tile; a tile without a building is logged and the record skipped.
  void ApplyBuildingRecord(int32_t x, int32_t y, float damage, uint8_t flags, bool inside);
  bool ReadObjectLists(GFile& file, bool fresh);
  void BuildDefaultTiles();
  void SizeGrids();
  void CreateObjectLists();
  void DeleteObjectLists();
  void InitDrawTables();
  void ComputeEdgeMinHeights();
  uint8_t StoredCodeAt(int32_t x, int32_t y) const;
  int32_t StoredRoadCodeAt(int32_t x, int32_t y) const;
  bool HoldsCorner(int32_t x, int32_t y, float t) const;
  void SetCornerLod(int32_t x, int32_t y);

  MapAppServices* app_;
};
