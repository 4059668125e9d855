// The movement-cost grids: one byte per fine cell and move class, the price of crossing the
// cell. Built from the fine grid by passes in order: table, corners, fringes, two road-edge
// sweeps, fires, minefields, coarse blocks. Each of the first five makes a cell from the
// previous pass's cells in its 3 x 3 neighbourhood only, so they run together column by column
// (cell (x, y) at x * height + y), each a few columns behind the one before it, on columns
// padded with a neutral value at the grid's edges so that no cell needs a bounds test.
#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/map/FineTerrain.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/MapUnitView.h"

namespace {

// Price of each fine terrain type (rows) for each move class (columns).
constexpr uint8_t kMoveCost[Map::kCostTypes][Map::kMoveClasses] = {
    {80, 80, 12, 12, 12},       // 0 open ground
    {28, 28, 18, 18, 28},       // 1 crater or foxhole, open
    {10, 10, 220, 220, 220},    // 2 crater or foxhole, scattered trees
    {10, 10, 255, 255, 255},    // 3 crater or foxhole, woods or pines
    {140, 255, 255, 255, 255},  // 4 roadblock
    {220, 255, 18, 255, 255},   // 5 barbed wire, open
    {220, 255, 80, 255, 255},   // 6 barbed wire, trees
    {220, 255, 255, 255, 255},  // 7 barbed wire, tall pines
    {80, 80, 10, 10, 10},       // 8 road
    {80, 80, 10, 10, 10},       // 9 road
    {110, 110, 110, 110, 110},  // 10 track
    {80, 80, 10, 10, 10},       // 11 pavement
    {140, 255, 255, 255, 255},  // 12 marsh
    {18, 18, 45, 45, 80},       // 13 scattered trees
    {10, 10, 255, 255, 255},    // 14 woods
    {10, 10, 255, 255, 255},    // 15 tall pines
    {28, 28, 18, 18, 28},       // 16 wheat field
    {28, 28, 18, 18, 28},       // 17 brush
    {18, 18, 255, 255, 255},    // 18 rough
    {18, 255, 255, 255, 255},   // 19 rubble
    {110, 110, 255, 255, 255},  // 20 slope
    {18, 18, 255, 255, 255},    // 21 trees on slope
    {18, 18, 255, 255, 255},    // 22 wooded slope
    {18, 18, 255, 255, 255},    // 23 tall pines slope
    {255, 255, 255, 255, 255},  // 24 cliff
    {255, 255, 255, 255, 255},  // 25 water
    {220, 255, 255, 255, 255},  // 26 ford
    {110, 110, 255, 255, 255},  // 27 ice
    {220, 255, 255, 255, 255},  // 28 bocage
    {140, 255, 80, 255, 255},   // 29 wall
    {140, 255, 80, 80, 255},    // 30 hedge
    {12, 255, 255, 255, 255},   // 31 light building
    {10, 255, 255, 255, 255},   // 32 heavy building
    {12, 255, 255, 255, 255},   // 33 light building, two levels
    {10, 255, 255, 255, 255},   // 34 heavy building, two levels
    {255, 255, 255, 255, 255},  // 35 tall heavy building
    {80, 80, 10, 10, 10},       // 36 bridge
    {80, 80, 10, 10, 10},       // 37 bridge
    {80, 80, 10, 10, 10},       // 38 bridge
    {80, 80, 10, 10, 10},       // 39 bridge
    {80, 80, 10, 10, 10},       // 40 bridge
    {80, 80, 10, 10, 10},       // 41 bridge
    {80, 80, 10, 10, 10},       // 42 bridge
    {255, 255, 255, 255, 255},  // 43 wrecked bridge
    {255, 255, 255, 255, 255},  // 44 wrecked bridge
};

constexpr int32_t kCoarseBlock = 10;  // cells a side of a coarse block

enum class Softness { kFirm, kSoft, kDeep };

Softness SoftnessOf(int32_t ground) {
  switch (ground) {
    case 3: case 4: case 6: case 7:
      return Softness::kSoft;
    case 5: case 8:
      return Softness::kDeep;
    default:
      return Softness::kFirm;
  }
}

// A vehicle's price of the type under soft or deep ground; the table's otherwise.
uint8_t SoftenedCost(int32_t type, int32_t moveClass, Softness softness, uint8_t cost) {
  const bool deep = softness == Softness::kDeep;
  switch (type) {
    case 0:
      return deep ? 28 : 18;
    case 8:
      return deep ? 12 : cost;
    case 13:
      if (moveClass == 4) return deep ? 220 : 140;
      return deep ? 140 : 110;
    case 1: case 16: case 17:
      if (moveClass == 4) return deep ? 80 : 45;
      return deep ? 45 : 28;
    case 6:
      if (moveClass != 2) return cost;
      return deep ? 220 : 140;
    default:
      return cost;
  }
}

bool IsSideBridge(int32_t type) { return type >= 36 && type <= 39; }

// Whether the side flag prices bocage for the move class at the date: from July 1944 the
// class-2 vehicles of side flag 1 cross it, at a cost, where others cannot.
bool BocageDependsOnSide(int32_t moveClass, int32_t date) { return moveClass == 2 && date > 4406; }

// Reads and writes cells of one grid, x outer.
class CostCells {
 public:
  explicit CostCells(MapGrid<uint8_t>& grid) : w_(grid.Width()), h_(grid.Height()), cells_(grid.Data()) {}
  int32_t Width() const { return w_; }
  int32_t Height() const { return h_; }
  uint8_t* Data() { return cells_; }
  uint8_t& At(int32_t x, int32_t y) { return cells_[static_cast<size_t>(x) * static_cast<size_t>(h_) + static_cast<size_t>(y)]; }
  uint8_t Get(int32_t x, int32_t y) const {
    return cells_[static_cast<size_t>(x) * static_cast<size_t>(h_) + static_cast<size_t>(y)];
  }
  // Raises every in-grid cell of the rectangle that holds less than a soft block to one.
  void SoftBlock(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    for (int32_t x = x0 < 0 ? 0 : x0; x <= x1 && x < w_; ++x) {
      for (int32_t y = y0 < 0 ? 0 : y0; y <= y1 && y < h_; ++y) {
        if (Get(x, y) < Map::kSoftBlock) At(x, y) = Map::kSoftBlock;
      }
    }
  }

 private:
  int32_t w_;
  int32_t h_;
  uint8_t* cells_;
};

// ---- The column passes ----
// A column of a pass is h cells with one cell of padding either side (p[-1] and p[h]); a column
// beyond the grid's edge is all padding. The padding is 0: no price is 0, and every test of a
// neighbour below asks for 255 or for a price above a road's, so padding counts as nothing,
// as a neighbour outside the grid did when the neighbourhoods were clipped.

// The base pass's prices for one build, looked up two cells at a time by their pair of type
// codes (first + 64 * second, codes 0..63): the first cell's price in bits 0-7, the second's in
// bits 8-15, and above them the flags of either: a side bridge, whose neighbourhood then
// decides, or a code beyond the last type.
constexpr uint32_t kSideBridgeFlag = 1u << 16;
constexpr uint32_t kBadTypeFlag = 1u << 17;

std::vector<uint32_t> PairPricesFor(int32_t sideFlag, int32_t moveClass, Softness softness, int32_t date) {
  uint32_t single[64];
  const bool vehicle = moveClass >= 2;
  for (int32_t type = 0; type < 64; ++type) {
    if (type >= Map::kCostTypes) {
      single[type] = kBadTypeFlag;
      continue;
    }
    uint8_t cost = kMoveCost[type][moveClass];
    if (vehicle) {
      if (type == 28) {
        if (sideFlag == 1 && BocageDependsOnSide(moveClass, date)) cost = 80;
      } else if (softness != Softness::kFirm) {
        cost = SoftenedCost(type, moveClass, softness, cost);
      }
    }
    single[type] = cost | (IsSideBridge(type) ? kSideBridgeFlag : 0);
  }
  std::vector<uint32_t> pairs(64 * 64);
  for (int32_t second = 0; second < 64; ++second) {
    for (int32_t first = 0; first < 64; ++first) {
      const uint32_t a = single[first];
      const uint32_t b = single[second];
      pairs[static_cast<size_t>(first + 64 * second)] = (a & 0xFFu) | (b & 0xFFu) << 8 | ((a | b) & ~0xFFu);
    }
  }
  return pairs;
}

// Base pass of column x: the table, the ground and the date; a side bridge beside anything but
// bridge (its 3 x 3 clipped to the w x h grid) is impassable. The fine grid's columns are
// fineH apart and hold at least h cells.
void BaseColumn(const uint32_t* __restrict pairs, const uint16_t* __restrict fine, int32_t fineH, int32_t x, int32_t w,
                int32_t h, uint8_t* __restrict out) {
  const uint16_t* column = fine + static_cast<size_t>(x) * static_cast<size_t>(fineH);
  uint32_t flags = 0;
  const int32_t even = h & ~1;
  for (int32_t y = 0; y < even; y += 2) {
    const uint32_t e = pairs[FineTerrain::TypeOf(column[y]) | FineTerrain::TypeOf(column[y + 1]) << 6];
    out[y] = static_cast<uint8_t>(e);
    out[y + 1] = static_cast<uint8_t>(e >> 8);
    flags |= e;
  }
  if (even < h) {
    const uint32_t e = pairs[FineTerrain::TypeOf(column[even])];
    out[even] = static_cast<uint8_t>(e);
    flags |= e;
  }
  if ((flags & kBadTypeFlag) != 0) FatalError(162, "AIPath.cpp");
  if ((flags & kSideBridgeFlag) == 0) return;
  for (int32_t y = 0; y < h; ++y) {
    if (!IsSideBridge(FineTerrain::TypeOf(column[y]))) continue;
    bool open = false;
    for (int32_t nx = x > 0 ? x - 1 : 0; nx <= x + 1 && nx < w && !open; ++nx) {
      const uint16_t* near = fine + static_cast<size_t>(nx) * static_cast<size_t>(fineH);
      for (int32_t ny = y > 0 ? y - 1 : 0; ny <= y + 1 && ny < h; ++ny) {
        if (!IsBridgeTerrain(FineTerrain::TypeOf(near[ny]))) {
          open = true;
          break;
        }
      }
    }
    if (open) out[y] = Map::kImpassable;
  }
}

// The column passes below are written without branches and with unaliased columns, so that
// the compiler works on many cells at once.

// Corners: a cell with impassable both along x and along y is closed.
void CornerColumn(const uint8_t* __restrict l, const uint8_t* __restrict c, const uint8_t* __restrict r, int32_t h,
                  uint8_t* __restrict out) {
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t alongX = std::max(l[y], r[y]);
    const uint8_t alongY = std::max(c[y - 1], c[y + 1]);
    const uint8_t least = std::min(alongX, alongY) == Map::kImpassable ? Map::kImpassable : 0;
    out[y] = std::max(c[y], least);
  }
}

// The largest of the 3 x 3 cells around y.
inline uint8_t Max9(const uint8_t* __restrict l, const uint8_t* __restrict c, const uint8_t* __restrict r, int32_t y) {
  const uint8_t a = std::max(std::max(l[y - 1], c[y - 1]), r[y - 1]);
  const uint8_t b = std::max(std::max(l[y], c[y]), r[y]);
  const uint8_t d = std::max(std::max(l[y + 1], c[y + 1]), r[y + 1]);
  return std::max(std::max(a, b), d);
}

// Fringes: a cell below 220 with an impassable one among its nine costs 220.
void FringeColumn(const uint8_t* __restrict l, const uint8_t* __restrict c, const uint8_t* __restrict r, int32_t h,
                  uint8_t* __restrict out) {
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t least = Max9(l, c, r, y) == Map::kImpassable ? 220 : 0;
    out[y] = std::max(c[y], least);
  }
}

// A road-edge sweep: a road cell (at most the threshold) with a dearer one among its nine
// costs 18. Each sweep reads the cells as the one before left them.
void RoadEdgeColumn(const uint8_t* __restrict l, const uint8_t* __restrict c, const uint8_t* __restrict r, int32_t h,
                    uint8_t threshold, uint8_t* __restrict out) {
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t v = c[y];
    const bool edge = (v <= threshold) & (Max9(l, c, r, y) > threshold);
    out[y] = edge ? uint8_t{18} : v;
  }
}

// Whether the 10 cells from p all hold v.
inline bool TenCellsHold(const uint8_t* p, uint8_t v) {
  uint64_t head;
  uint16_t tail;
  std::memcpy(&head, p, 8);
  std::memcpy(&tail, p + 8, 2);
  return head == 0x0101010101010101ull * v && tail == static_cast<uint16_t>(0x0101u * v);
}

// A fingerprint of a block of bytes: four multiply-rotate lanes over 8-byte words. Every step
// is a bijection of the lane, so a change of any one word always changes the result.
uint64_t Fingerprint(const void* data, size_t bytes) {
  constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;
  uint64_t lane[4] = {0x243F6A8885A308D3ull, 0x13198A2E03707344ull, 0xA4093822299F31D0ull, 0x082EFA98EC4E6C89ull};
  const auto* p = static_cast<const unsigned char*>(data);
  size_t i = 0;
  for (; i + 32 <= bytes; i += 32) {
    for (int32_t k = 0; k < 4; ++k) {
      uint64_t word;
      std::memcpy(&word, p + i + static_cast<size_t>(k) * 8, 8);
      lane[k] = std::rotl((lane[k] ^ word) * kMul, 29);
    }
  }
  for (; i < bytes; ++i) lane[0] = std::rotl((lane[0] ^ p[i]) * kMul, 29);
  uint64_t h = bytes;
  for (int32_t k = 0; k < 4; ++k) h = std::rotl((h ^ lane[k]) * kMul, 31);
  return h;
}

uint64_t GridFingerprint(const MapGrid<uint8_t>& grid) {
  return Fingerprint(grid.Data(), static_cast<size_t>(grid.Width()) * static_cast<size_t>(grid.Height()));
}

// Whether a minefield blocks the class's routes, for the planning side of the side flag.
bool MinefieldBlocks(const MapUnitView* unit, int32_t sideFlag, int32_t moveClass) {
  if (unit == nullptr || unit->GetUnitKind() != MapUnitView::kInanimate || !unit->IsPresent()) return false;
  const int32_t planningSide = sideFlag == 1 ? 0 : 1;
  if (!unit->IsIdentified() && unit->GetSideByte() != planningSide) return false;
  const int32_t kind = unit->GetInanimateKind();
  const bool foot = moveClass <= 1;
  return kind == 4 ? foot : (kind == 5 || kind == 6) && !foot;
}

// Everything a build of the class for the side flag reads from the map and the battle.
// The burning tiles, x * tilesY + y, kept while the fire state's revision and the map's tiles
// stand: reading them walks every tile of the map, and every route plan's build asks for them.
const std::vector<uint32_t>& BurningTiles(const Map& map, Map::Routes& routes) {
  const GDynamicArray& state = map.fire.state;
  Map::Routes::Burning& burning = routes.burning;
  if (burning.known && burning.revision == state.Revision() && burning.tilesX == map.size.tilesX &&
      burning.tilesY == map.size.tilesY && burning.hasBlock == state.HasBlock()) {
    return burning.tiles;
  }
  burning.tiles.clear();
  if (state.HasBlock()) {
    for (int32_t tx = 0; tx < map.size.tilesX; ++tx) {
      for (int32_t ty = 0; ty < map.size.tilesY; ++ty) {
        if (!state.IsValidIndex(tx, ty) || state.GetU8(tx, ty) == 0) continue;
        burning.tiles.push_back(static_cast<uint32_t>(tx) * static_cast<uint32_t>(map.size.tilesY) + static_cast<uint32_t>(ty));
      }
    }
  }
  burning.known = true;
  burning.revision = state.Revision();
  burning.tilesX = map.size.tilesX;
  burning.tilesY = map.size.tilesY;
  burning.hasBlock = state.HasBlock();
  ++burning.reads;
  return burning.tiles;
}

Map::Routes::Key KeyOf(const Map& map, Map::Routes& routes, MapBattleServices* battle, int32_t sideFlag, int32_t moveClass,
                       uint64_t fineHash) {
  Map::Routes::Key key;
  key.moveClass = moveClass;
  key.sideFlag = sideFlag;
  key.hasBattle = battle != nullptr;
  key.ground = battle != nullptr ? battle->GetGroundCondition() : 0;
  key.date = battle != nullptr ? battle->GetDate() : 0;
  const MapGrid<uint16_t>& fine = map.terrain.fineGrid;
  key.width = fine.Width();
  key.height = fine.Height();
  key.tilesX = map.size.tilesX;
  key.tilesY = map.size.tilesY;
  key.fineHash = fineHash;
  key.fires = BurningTiles(map, routes);
  if (battle != nullptr) {
    for (int32_t i = 0, n = battle->GetUnitCount(); i < n; ++i) {
      const MapUnitView* unit = battle->GetUnit(i);
      if (!MinefieldBlocks(unit, sideFlag, moveClass)) continue;
      key.mines.push_back(static_cast<uint32_t>(unit->GetInanimateKind()));
      key.mines.push_back(std::bit_cast<uint32_t>(unit->GetX()));
      key.mines.push_back(std::bit_cast<uint32_t>(unit->GetY()));
    }
  }
  return key;
}

// Sets the class's built grid aside for reuse when it is as its build left it.
void KeepBuiltGrid(Map::Routes& routes, int32_t c) {
  if (!routes.built[c] || routes.blockedAfterBuild[c] || !routes.cost[c].IsSized()) return;
  // Cells untouched since their fingerprint was last taken still have it.
  const uint64_t hash = routes.cost[c].Revision() == routes.cellsRevision[c] ? routes.cellsHash[c] : GridFingerprint(routes.cost[c]);
  if (hash != routes.builtHash[c]) return;
  Map::Routes::Kept& kept = routes.kept[c][routes.builtKey[c].sideFlag != 0 ? 1 : 0];
  kept.hash = hash;
  // Cells written since they were numbered get a number of their own.
  const bool numbered = routes.contents[c] != 0 && routes.cost[c].Revision() == routes.contentsRevision[c];
  kept.contents = numbered ? routes.contents[c] : ++routes.contentsMade;
  kept.grid = std::move(routes.cost[c]);
  kept.key = std::move(routes.builtKey[c]);
  kept.valid = true;
}

// Whether a build for the key prices every cell as a build for the other key does: the same
// but for the side flag, which then reaches the cells only through the minefields (equal by
// the keys) and through bocage where it depends on the side.
bool BuildsAlike(const Map::Routes::Key& a, const Map::Routes::Key& b) {
  if (a.sideFlag == b.sideFlag) return a == b;
  if (BocageDependsOnSide(a.moveClass, a.date)) return false;
  Map::Routes::Key side = b;
  side.sideFlag = a.sideFlag;
  return a == side;
}

}  // namespace

uint8_t Map::TableMoveCost(int32_t type, int32_t moveClass) {
  if (type < 0 || type >= kCostTypes || moveClass < 0 || moveClass >= kMoveClasses) FatalError(101, "AIPath.cpp");
  return kMoveCost[type][moveClass];
}

void Map::FreeCostGrids() {
  for (int32_t c = kMoveClasses - 1; c >= 0; --c) {
    KeepBuiltGrid(routes, c);
    routes.cost[c].Free();
    routes.built[c] = false;
  }
}

void Map::ForgetKeptCostGrids() {
  for (auto& sides : routes.kept) {
    for (Routes::Kept& kept : sides) kept = {};
  }
}

void Map::BlockUnitCells(const MapUnitView& unit, int32_t moveClass) {
  if (moveClass < 0 || moveClass >= kMoveClasses || !routes.cost[moveClass].IsSized()) FatalError(121, "AIPath.cpp");
  routes.blockedAfterBuild[moveClass] = true;
  CostCells cells(routes.cost[moveClass]);
  // A position far off the map blocks nothing (and its cell numbers cannot overflow).
  const int32_t x0 = std::clamp(TruncateToInt32((unit.GetX() - 10.0f) * 0.5f), -11, cells.Width());
  const int32_t y0 = std::clamp(TruncateToInt32((unit.GetY() - 10.0f) * 0.5f), -11, cells.Height());
  cells.SoftBlock(x0, y0, x0 + 10, y0 + 10);
}

void Map::BuildCostGrid(int32_t sideFlag, int32_t moveClass) {
  if (moveClass > 4) FatalError(131, "AIPath.cpp");
  const int32_t w = terrain.fineGrid.Width();
  const int32_t h = terrain.fineGrid.Height();
  if (moveClass < 0) {
    for (int32_t c = 0; c < kMoveClasses; ++c) {
      KeepBuiltGrid(routes, c);
      routes.cost[c].Init(w, h);
      routes.built[c] = false;
    }
    return;
  }
  MapGrid<uint8_t>& grid = routes.cost[moveClass];
  // Sizing waits until no kept grid is handed back in its place.
  const bool resize = !grid.IsSized() || grid.Width() != w || grid.Height() != h;
  if (resize) routes.built[moveClass] = false;
  if (routes.built[moveClass]) return;
  routes.built[moveClass] = true;
  if (w % kCoarseBlock != 0 || h % kCoarseBlock != 0) FatalError(144, "AIPath.cpp");

  MapBattleServices* battle = app_->GetBattleOrOperation();
  const MapGrid<uint16_t>& fine = terrain.fineGrid;
  if (!routes.fineHashKnown || routes.fineHashRevision != fine.Revision()) {
    routes.fineHash = Fingerprint(fine.Data(), static_cast<size_t>(fine.Width()) * static_cast<size_t>(fine.Height()) * sizeof(uint16_t));
    routes.fineHashRevision = fine.Revision();
    routes.fineHashKnown = true;
  }
  Routes::Key key = KeyOf(*this, routes, battle, sideFlag, moveClass, routes.fineHash);
  Routes::Kept& kept = routes.kept[moveClass][sideFlag != 0 ? 1 : 0];
  routes.blockedAfterBuild[moveClass] = false;
  if (kept.valid && kept.key == key) {
    // Nothing the build reads has changed since this grid was built: hand it back.
    grid = std::move(kept.grid);
    kept.grid.Free();
    kept.valid = false;
    // Its cells as its build left them, so that it is kept again when freed unwritten.
    routes.builtHash[moveClass] = kept.hash;
    routes.cellsHash[moveClass] = kept.hash;
    routes.cellsRevision[moveClass] = grid.Revision();
    routes.contents[moveClass] = kept.contents;
    routes.contentsRevision[moveClass] = grid.Revision();
    routes.builtKey[moveClass] = std::move(key);
    return;
  }
  // The other side's kept grid, when its cells are what this build would make, is copied; its
  // cells keep their number, so searches over it are remembered for both sides.
  const Routes::Kept& other = routes.kept[moveClass][sideFlag != 0 ? 0 : 1];
  if (other.valid && BuildsAlike(key, other.key)) {
    grid = other.grid;
    ++routes.sharedBuilds;
    routes.builtKey[moveClass] = std::move(key);
    routes.builtHash[moveClass] = other.hash;
    routes.cellsHash[moveClass] = other.hash;
    routes.cellsRevision[moveClass] = grid.Revision();
    routes.contents[moveClass] = other.contents;
    routes.contentsRevision[moveClass] = grid.Revision();
    return;
  }
  if (resize) grid.Init(w, h);
  ++routes.fullBuilds;
  routes.builtKey[moveClass] = std::move(key);
  BuildCostCells(sideFlag, moveClass, battle);
  routes.blockedAfterBuild[moveClass] = false;
  routes.builtHash[moveClass] = GridFingerprint(grid);
  routes.cellsHash[moveClass] = routes.builtHash[moveClass];
  routes.cellsRevision[moveClass] = grid.Revision();
  routes.contents[moveClass] = ++routes.contentsMade;
  routes.contentsRevision[moveClass] = grid.Revision();
}

void Map::BuildCostCells(int32_t sideFlag, int32_t moveClass, MapBattleServices* battle) {
  MapGrid<uint8_t>& grid = routes.cost[moveClass];
  const int32_t w = grid.Width();
  const int32_t h = grid.Height();
  const Softness softness = SoftnessOf(battle != nullptr ? battle->GetGroundCondition() : 0);
  const int32_t date = battle != nullptr ? battle->GetDate() : 0;
  const bool vehicle = moveClass >= 2;
  const MapGrid<uint16_t>& fine = terrain.fineGrid;
  if (fine.Width() < w || fine.Height() < h) FatalError(60, "MapGrid");
  const std::vector<uint32_t> pairs = PairPricesFor(sideFlag, moveClass, softness, date);
  const uint8_t threshold = softness == Softness::kDeep ? 12 : 10;
  CostCells cells(grid);
  uint8_t* data = cells.Data();
  const size_t hs = static_cast<size_t>(h);

  // The passes after the base pass, each one column behind the one before it: corners,
  // fringes, and for vehicles the two road-edge sweeps. The last writes into the grid; the
  // others keep their three latest columns, column x in slot x % 3.
  const int32_t passes = vehicle ? 4 : 2;
  const size_t stride = hs + 2;
  std::vector<uint8_t> columns(stride * static_cast<size_t>(3 * passes + 1), 0);
  auto column = [&](int32_t pass, int32_t x) -> uint8_t* {
    if (x < 0 || x >= w) return columns.data() + stride * static_cast<size_t>(3 * passes) + 1;
    return columns.data() + stride * static_cast<size_t>(3 * pass + x % 3) + 1;
  };
  for (int32_t step = 0; step < w + passes; ++step) {
    if (step < w) BaseColumn(pairs.data(), fine.Data(), fine.Height(), step, w, h, column(0, step));
    for (int32_t pass = 1; pass <= passes; ++pass) {
      const int32_t x = step - pass;
      if (x < 0 || x >= w) continue;
      const uint8_t* l = column(pass - 1, x - 1);
      const uint8_t* c = column(pass - 1, x);
      const uint8_t* r = column(pass - 1, x + 1);
      uint8_t* out = pass == passes ? data + static_cast<size_t>(x) * hs : column(pass, x);
      if (pass == 1) CornerColumn(l, c, r, h, out);
      else if (pass == 2) FringeColumn(l, c, r, h, out);
      else RoadEdgeColumn(l, c, r, h, threshold, out);
    }
  }

  // Burning tiles: each blocks its 10 x 10 cells and the first row and column beyond.
  const int32_t tilesY = size.tilesY;
  for (const uint32_t tile : BurningTiles(*this, routes)) {
    const int32_t tx = static_cast<int32_t>(tile / static_cast<uint32_t>(tilesY));
    const int32_t ty = static_cast<int32_t>(tile % static_cast<uint32_t>(tilesY));
    cells.SoftBlock(tx * 10, ty * 10, tx * 10 + 10, ty * 10 + 10);
  }

  // Minefields the planning side knows of: its own, and the other side's once identified.
  if (battle != nullptr) {
    for (int32_t i = 0, n = battle->GetUnitCount(); i < n; ++i) {
      const MapUnitView* unit = battle->GetUnit(i);
      if (MinefieldBlocks(unit, sideFlag, moveClass)) BlockUnitCells(*unit, moveClass);
    }
  }

  // Coarse blocks: a uniform block of a price below 128 keeps it only in its four anchors.
  for (int32_t bx = w - kCoarseBlock; bx >= 0; bx -= kCoarseBlock) {
    for (int32_t by = h - kCoarseBlock; by >= 0; by -= kCoarseBlock) {
      uint8_t* block = data + static_cast<size_t>(bx) * hs + static_cast<size_t>(by);
      const uint8_t v = block[0];
      if (v >= 128) continue;
      bool uniform = true;
      for (int32_t i = 0; i < kCoarseBlock && uniform; ++i) uniform = TenCellsHold(block + static_cast<size_t>(i) * hs, v);
      if (!uniform) continue;
      for (int32_t i = 0; i < kCoarseBlock; ++i) std::memset(block + static_cast<size_t>(i) * hs, kCoarseCell, kCoarseBlock);
      block[2 * hs + 2] = v;
      block[2 * hs + 7] = v;
      block[7 * hs + 2] = v;
      block[7 * hs + 7] = v;
    }
  }
}
