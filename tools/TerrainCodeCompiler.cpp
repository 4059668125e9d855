#include "TerrainCodeCompiler.h"

#include <array>
#include <cstdlib>
#include <map>
#include <sstream>
#include <tuple>
#include <vector>

namespace {

struct Entry {
  int32_t terrain = -1;
  int32_t road = 0;
  int32_t fire = 0;
  int32_t kind = 0;
  int32_t line = 0;
};

using Triple = std::tuple<int32_t, int32_t, int32_t>;

// Road pieces as every road group lists them: the first thirteen, the other straights, curves
// and switches (pieces 1-24 and 30-37), then the rest, each part ascending after the first.
std::array<int32_t, 50> PieceOrder() {
  std::array<int32_t, 50> order{};
  const int32_t first[13] = {1, 10, 8, 7, 11, 35, 32, 37, 33, 15, 16, 20, 19};
  std::vector<bool> taken(51, false);
  size_t n = 0;
  for (int32_t p : first) {
    order[n++] = p;
    taken[static_cast<size_t>(p)] = true;
  }
  for (int32_t p = 1; p <= 50; ++p) {
    bool railway = p <= 24 || (p >= 30 && p <= 37);
    if (railway && !taken[static_cast<size_t>(p)]) order[n++] = p;
  }
  for (int32_t p = 1; p <= 50; ++p) {
    bool railway = p <= 24 || (p >= 30 && p <= 37);
    if (!railway) order[n++] = p;
  }
  return order;
}

bool ParseInt(const std::string& text, int32_t& value) {
  if (text.empty() || text.size() > 6) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() + text.size()) return false;
  value = static_cast<int32_t>(v);
  return true;
}

// What a used code of each group must hold; an empty answer when it fits.
std::string CheckGroup(int32_t code, const Entry& e, const std::array<int32_t, 50>& order) {
  const bool used = e.terrain >= 0;
  auto is = [&](int32_t terrain, int32_t road, int32_t fire) {
    return e.terrain == terrain && e.road == road && e.fire == fire;
  };
  auto expect = [&](bool ok, const char* what) { return ok ? std::string() : std::string(what); };
  if (code == 0) return expect(is(0, 0, 0), "code 0 must be open ground (0, 0, 0)");
  if (code <= 10) {
    static const int32_t kTerrain[10] = {12, 13, 14, 15, 17, 16, 18, 45, 46, 25};
    return expect(is(kTerrain[code - 1], 0, 0), "codes 1-10 hold terrain 12 13 14 15 17 16 18 45 46 25");
  }
  if (code == 11) return expect(!used, "code 11 is not used");
  if (code <= 43) {
    int32_t terrain = code < 16 ? 87 + (code - 12) : 59 + (code - 16);
    return expect(is(terrain, 0, 0), "codes 12-43 hold churches 87-90, then buildings 59-86");
  }
  if (code <= 63) {
    static const int32_t kSpecial[20][3] = {{91, 0, 0},  {92, 0, 0}, {93, 0, 0}, {94, 0, 0}, {95, 0, 0},
                                            {96, 0, 0},  {97, 97, 0}, {98, 96, 0}, {19, 0, 0}, {59, 0, 1},
                                            {60, 0, 1},  {67, 0, 1}, {68, 0, 1}, {75, 0, 1}, {76, 0, 1},
                                            {83, 0, 2},  {13, 0, 3}, {14, 0, 3}, {15, 0, 3}, {16, 0, 3}};
    const int32_t* s = kSpecial[code - 44];
    return expect(is(s[0], s[1], s[2]), "codes 44-63 hold bridges, rubble and the burning entries");
  }
  if (code >= 370 && code <= 381) return expect(is(47 + (code - 370), 0, 0), "codes 370-381 hold pavement 47-58");
  if (code < 576) {
    static const int32_t kGroundOf[4] = {0, 13, 14, 15};
    int32_t group = (code - 64) / 64;
    int32_t place = (code - 64) % 64;
    bool paved = code >= 320;
    int32_t ground = kGroundOf[group % 4];
    if (!paved) {
      if (place >= 56) return expect(!used, "codes after a dirt group's 56 entries are not used");
      if (place >= 50) return expect(is(ground, 146 + (place - 50), 0), "a dirt group ends with joins 146-151");
      return expect(is(ground, 44 + order[static_cast<size_t>(place)], 0),
                    "a dirt road piece off its place in the road order or on the wrong ground");
    }
    if (place >= 50) return expect(!used, "codes after a paved group's 50 entries are not used");
    return expect(is(ground, 95 + order[static_cast<size_t>(place)], 0),
                  "a paved road piece off its place in the road order or on the wrong ground");
  }
  if (code < 672) {
    int32_t group = (code - 576) / 32;
    int32_t place = (code - 576) % 32;
    static const int32_t kFirstTerrain[3] = {100, 131, 162};
    if (place >= 30) return expect(!used, "the last two codes of a wall group are not used");
    return expect(is(kFirstTerrain[group] + place, 0, 0), "wall, hedge and bocage pieces go in layout order");
  }
  return expect(is(0, 152 + order[static_cast<size_t>(code - 672)], 0),
                "railroad pieces follow the road order on open ground");
}

// The combinations a map can hold that must have a code: everything the random map generator
// writes, and the snow form of every used entry.
std::vector<Triple> CoverageTriples() {
  std::vector<Triple> out;
  auto bare = [&](int32_t from, int32_t to, std::initializer_list<int32_t> but) {
    for (int32_t t = from; t <= to; ++t) {
      bool skip = false;
      for (int32_t b : but) skip = skip || b == t;
      if (!skip) out.emplace_back(t, 0, 0);
    }
  };
  bare(0, 0, {});
  bare(12, 18, {});
  bare(25, 25, {});
  bare(47, 58, {});
  bare(59, 79, {});
  bare(83, 90, {});
  bare(100, 129, {116, 121});
  bare(131, 160, {147, 152});
  for (int32_t ground : {0, 13, 14, 15}) {
    for (int32_t p = 1; p <= 50; ++p) {
      bool reachable = p <= 12 || (p >= 25 && p <= 29) || p >= 38;
      if (!reachable) continue;
      out.emplace_back(ground, 44 + p, 0);
      out.emplace_back(ground, 95 + p, 0);
    }
  }
  return out;
}

// The table's own lookup: 27 (water on snow) is looked up as 25, and open ground burning as
// vegetation (grain read on snow) as grain.
bool Finds(const std::map<Triple, int32_t>& index, int32_t terrain, int32_t road, int32_t fire) {
  if (terrain == 27) terrain = 25;
  if (index.count({terrain, road, fire}) != 0) return true;
  return terrain == 0 && fire == 3 && index.count({16, road, fire}) != 0;
}

}  // namespace

std::set<int32_t> TerrainCodeCompiler::StringIds(const std::string& stringsSource) {
  std::set<int32_t> ids;
  std::istringstream in(stringsSource);
  std::string line;
  while (std::getline(in, line)) {
    size_t tab = line.find('\t');
    int32_t id = 0;
    if (tab != std::string::npos && ParseInt(line.substr(0, tab), id)) ids.insert(id);
  }
  return ids;
}

bool TerrainCodeCompiler::Compile(const std::string& source, const std::string& name,
                                  const std::set<int32_t>& stringIds, std::string& tableSource,
                                  std::string& error) {
  const auto order = PieceOrder();
  std::vector<Entry> entries;
  std::map<Triple, int32_t> index;
  std::istringstream in(source);
  std::string line;
  int32_t lineNumber = 0;
  auto fail = [&](int32_t at, const std::string& reason) {
    error = name + ":" + std::to_string(at) + ": " + reason;
    return false;
  };
  while (std::getline(in, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    size_t start = 0;
    while (fields.size() < 5) {
      size_t tab = line.find('\t', start);
      if (tab == std::string::npos) break;
      fields.push_back(line.substr(start, tab - start));
      start = tab + 1;
    }
    int32_t v[5] = {};
    if (fields.size() != 5) return fail(lineNumber, "expected code, terrain, road, fire, kind and a comment");
    for (size_t i = 0; i < 5; ++i) {
      if (!ParseInt(fields[i], v[i])) return fail(lineNumber, "not a number: \"" + fields[i] + "\"");
    }
    const int32_t code = v[0];
    const int32_t next = static_cast<int32_t>(entries.size());
    if (code < 0 || code >= kCodeCount) return fail(lineNumber, "code " + std::to_string(code) + " out of range 0-703");
    if (code < next) return fail(lineNumber, "code " + std::to_string(code) + " repeated or out of order");
    if (code > next) return fail(lineNumber, "code " + std::to_string(next) + " missing");
    Entry e{v[1], v[2], v[3], v[4], lineNumber};
    if (e.terrain < -1 || e.terrain > 255) return fail(lineNumber, "terrain outside -1-255");
    if (e.road < 0 || e.road > 255) return fail(lineNumber, "road outside 0-255");
    if (e.fire < 0 || e.fire > 3) return fail(lineNumber, "fire state outside 0-3");
    if (e.kind < 0 || e.kind >= kKindCount) return fail(lineNumber, "kind outside 0-44");
    if (e.terrain < 0 && (e.road != 0 || e.fire != 0 || e.kind != 0)) {
      return fail(lineNumber, "a code not used has road, fire and kind 0");
    }
    if (e.terrain >= 0) {
      if (stringIds.count(kFirstKindString + e.kind) == 0) {
        return fail(lineNumber, "kind " + std::to_string(e.kind) + " has no string " +
                                    std::to_string(kFirstKindString + e.kind));
      }
      auto [at, fresh] = index.emplace(Triple{e.terrain, e.road, e.fire}, code);
      if (!fresh) return fail(lineNumber, "the combination of code " + std::to_string(at->second) + " again");
    }
    std::string group = CheckGroup(code, e, order);
    if (!group.empty()) return fail(lineNumber, group);
    entries.push_back(e);
  }
  if (static_cast<int32_t>(entries.size()) != kCodeCount) {
    return fail(lineNumber, "code " + std::to_string(entries.size()) + " missing");
  }
  for (const auto& [terrain, road, fire] : CoverageTriples()) {
    if (!Finds(index, terrain, road, fire)) {
      return fail(lineNumber, "no code for terrain " + std::to_string(terrain) + ", road " + std::to_string(road) +
                                  ", fire " + std::to_string(fire) + " (the map generator writes it)");
    }
  }
  for (const Entry& e : entries) {
    int32_t snow = e.terrain == 12 || e.terrain == 25 || e.terrain == 45 || e.terrain == 46 ? 27
                   : e.terrain == 16                                                       ? 0
                                                                                           : e.terrain;
    if (e.terrain >= 0 && !Finds(index, snow, e.road, e.fire)) {
      return fail(e.line, "no code for this entry read on snow ground");
    }
  }
  std::ostringstream out;
  out << "// Generated by make_terrain_codes from data/terrain_codes.txt: do not edit.\n"
         "// Per code: terrain byte (-1 not used), road byte, kind x 256 + fire state.\n"
         "#include <cstdint>\n\n"
         "extern const int16_t kTerrainCodeEntries[704][3];\n"
         "const int16_t kTerrainCodeEntries[704][3] = {\n";
  for (const Entry& e : entries) {
    out << "    {" << e.terrain << ", " << e.road << ", " << (e.kind * 256 + e.fire) << "},\n";
  }
  out << "};\n";
  tableSource = out.str();
  return true;
}
