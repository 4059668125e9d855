#include "game/map/TerrainCodeTable.h"

#include <algorithm>
#include <array>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"

// Generated from data/terrain_codes.txt: terrain byte (-1 not used), road byte, kind x 256 +
// fire state.
extern const int16_t kTerrainCodeEntries[704][3];

namespace {

constexpr int32_t kUsedCodes = 621;

uint32_t CodeKey(int32_t terrain, int32_t road, int32_t fire) {
  return static_cast<uint32_t>(terrain) << 16 | static_cast<uint32_t>(road) << 8 | static_cast<uint32_t>(fire);
}

// The used entries as (key << 16 | code), sorted: every combination occurs once (the build
// checks it), so the one match is also the first.
struct Index {
  std::array<uint64_t, kUsedCodes> keys{};
  size_t count = 0;
  Index() {
    for (int32_t code = 0; code < TerrainCodeTable::kCodeCount && count < keys.size(); ++code) {
      const int16_t* e = kTerrainCodeEntries[code];
      if (e[0] < 0) continue;
      keys[count++] = static_cast<uint64_t>(CodeKey(e[0], e[1] & 0xFF, e[2] & 0xFF)) << 16 | static_cast<uint64_t>(code);
    }
    std::sort(keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(count));
  }
  int32_t Find(uint32_t key) const {
    const uint64_t low = static_cast<uint64_t>(key) << 16;
    auto end = keys.begin() + static_cast<std::ptrdiff_t>(count);
    auto it = std::lower_bound(keys.begin(), end, low);
    if (it == end || (*it >> 16) != key) return -1;
    return static_cast<int32_t>(*it & 0xFFFF);
  }
};

const Index& TheIndex() {
  static const Index index;
  return index;
}

}  // namespace

void TerrainCodeTable::DecodeTerrainCode(int32_t code, int16_t& terrain, int16_t& road, uint8_t& fire) {
  if (code < 0 || code >= kCodeCount) FatalError(6622, "Editor.cpp");
  const int16_t* e = kTerrainCodeEntries[code];
  terrain = static_cast<int16_t>(e[0] & 0xFF);
  road = static_cast<int16_t>(e[1] & 0xFF);
  fire = static_cast<uint8_t>(e[2] & 0xFF);
}

int32_t TerrainCodeTable::FindTerrainCode(int32_t terrain, int32_t road, int32_t fire) {
  int32_t code = -1;
  if (terrain >= 0 && terrain <= 255 && road >= 0 && road <= 255 && fire >= 0 && fire <= 255) {
    const int32_t looked = terrain == 27 ? 25 : terrain;
    code = TheIndex().Find(CodeKey(looked, road, fire));
    // Grain read on snow ground becomes open ground but keeps its fire state.
    if (code < 0 && looked == 0 && fire == 3) code = TheIndex().Find(CodeKey(16, road, fire));
  }
  if (code < 0) {
    GErrorLog::LogError("FindTerrainCode: no terrain code for");
    GErrorLog::LogValue("terrain", terrain);
    GErrorLog::LogValue("road", road);
    GErrorLog::LogValue("fireType", fire);
  }
  return code;
}

bool TerrainCodeTable::IsUsed(int32_t code) {
  return code >= 0 && code < kCodeCount && kTerrainCodeEntries[code][0] >= 0;
}

int32_t TerrainCodeTable::Kind(int32_t code) { return IsUsed(code) ? kTerrainCodeEntries[code][2] >> 8 : -1; }

int32_t TerrainCodeTable::KindString(int32_t code) {
  int32_t kind = Kind(code);
  return kind < 0 ? -1 : kFirstKindString + kind;
}
