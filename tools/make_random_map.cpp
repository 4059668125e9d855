// Makes one random battle map and writes it in the stored form, with a top-down preview:
//   make_random_map --seed N --width M --height M --type T --trees C --hills H
//                   [--attacker-edge E] --out FILE [--preview FILE.bmp]
// Sizes are in metres (3 to 250 tiles of 20 m); type 0 Town, 1 Village, 2 Farmland, 3 Rural;
// trees 0 Open to 3 Heavy; hills 0 Flat to 4 Large Hills; the attacker's edge none, west,
// north, east or south (or -1 to 3). The same arguments give the same bytes on every run.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "MapFiles.h"
#include "ReferenceMapApp.h"
#include "editor/RandomMapGenerator.h"
#include "editor/RandomMapParams.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "platform/PBitmapFile.h"
#include "platform/PPath.h"

namespace {

constexpr int32_t kPixelsPerTile = 4;

bool ParseNumber(const std::string& text, long long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtoll(text.c_str(), &end, 10);
  return *end == '\0';
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "make_random_map: %s\n", message.c_str());
  return 2;
}

int32_t TilesFor(long long metres) { return static_cast<int32_t>((static_cast<double>(metres) + 1.0) * 0.05); }

// The ground colour of a stored terrain code.
uint32_t GroundColour(int32_t code) {
  if (code == 0) return 0x7FA04A;                     // open ground
  if (code == 12) return 0x5E7F6A;                    // marsh
  if (code == 13) return 0x4F8A36;                    // scattered trees
  if (code == 14) return 0x2F6A22;                    // woods
  if (code == 15) return 0x1F4A1E;                    // tall pines
  if (code == 16) return 0xD8C060;                    // grain
  if (code == 17) return 0x8A8A40;                    // brush
  if (code == 18) return 0x9A8A6A;                    // rough
  if (code == 25) return 0x3060C0;                    // water
  if (code >= 47 && code <= 58) return 0x9A9A9A;      // pavement
  if (code >= 59 && code <= 66) return 0xC08060;      // light building
  if (code >= 67 && code <= 74) return 0xD09070;      // tall light building
  if (code >= 75 && code <= 82) return 0x905040;      // heavy building
  if (code >= 83 && code <= 86) return 0x703020;      // tall heavy building
  if (code >= 87 && code <= 90) return 0xE0E0E0;      // church
  if (code >= 100 && code <= 129) return 0x707070;    // stone wall
  if (code >= 131 && code <= 160) return 0x2A5A10;    // hedge
  return 0xFF00FF;
}

uint32_t Shade(uint32_t rgb, float factor) {
  uint32_t out = 0;
  for (int32_t shift = 0; shift <= 16; shift += 8) {
    const float v = static_cast<float>((rgb >> shift) & 0xFF) * factor;
    const auto c = static_cast<uint32_t>(v > 255.0f ? 255.0f : v);
    out |= c << shift;
  }
  return out;
}

std::string Preview(const Map& map) {
  const int32_t w = map.size.tilesX;
  const int32_t h = map.size.tilesY;
  const int32_t pw = w * kPixelsPerTile;
  std::vector<uint32_t> pixels(static_cast<size_t>(pw) * static_cast<size_t>(h * kPixelsPerTile), 0);
  const auto& tiles = map.terrain.tiles;
  const float level = map.size.heightScale * 3.0f;
  auto put = [&](int32_t x, int32_t y, int32_t px, int32_t py, uint32_t colour) {
    pixels[static_cast<size_t>(y * kPixelsPerTile + py) * static_cast<size_t>(pw) +
           static_cast<size_t>(x * kPixelsPerTile + px)] = colour;
  };
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const MapTile& tile = tiles.At(x, y);
      // Higher ground lighter, and slopes falling toward +x darker.
      const float height = map.terrain.tileHeight.At(x, y) / level;
      const float east = x + 1 < w ? map.terrain.tileHeight.At(x + 1, y) / level : height;
      const float shade = 0.7f + height * 0.03f + (height - east) * -0.06f;
      const uint32_t ground = Shade(GroundColour(tile.code), shade);
      for (int32_t py = 0; py < kPixelsPerTile; ++py) {
        for (int32_t px = 0; px < kPixelsPerTile; ++px) put(x, y, px, py, ground);
      }
      if (tile.roadCode == 0) continue;
      // A road: the tile's middle and a line toward each neighbour that carries one.
      const uint32_t road = tile.roadCode > 95 ? 0x505050 : 0x8A6A40;
      for (int32_t py = 1; py <= 2; ++py) {
        for (int32_t px = 1; px <= 2; ++px) put(x, y, px, py, road);
      }
      for (int32_t dy = -1; dy <= 1; ++dy) {
        for (int32_t dx = -1; dx <= 1; ++dx) {
          if ((dx == 0 && dy == 0) || !tiles.Contains(x + dx, y + dy) || tiles.At(x + dx, y + dy).roadCode == 0) continue;
          const int32_t px = dx < 0 ? 0 : (dx > 0 ? 3 : 1);
          const int32_t py = dy < 0 ? 0 : (dy > 0 ? 3 : 1);
          put(x, y, px, py, road);
          if (dx == 0) put(x, y, 2, py, road);
          if (dy == 0) put(x, y, px, 2, road);
        }
      }
    }
  }
  return PBitmapFile::Encode(pixels.data(), pw, h * kPixelsPerTile);
}

}  // namespace

int main(int argc, char** argv) {
  std::map<std::string, std::string> args;
  for (int i = 1; i < argc; i += 2) {
    const std::string key = argv[i];
    if (key.rfind("--", 0) != 0 || i + 1 >= argc) {
      return Fail("usage: make_random_map --seed N --width M --height M --type T --trees C --hills H "
                  "[--attacker-edge E] --out FILE [--preview FILE.bmp]");
    }
    args[key.substr(2)] = argv[i + 1];
  }
  for (const auto& [key, value] : args) {
    if (key != "seed" && key != "width" && key != "height" && key != "type" && key != "trees" && key != "hills" &&
        key != "attacker-edge" && key != "out" && key != "preview") {
      return Fail("unknown option --" + key);
    }
  }
  long long values[6] = {};
  const char* names[6] = {"seed", "width", "height", "type", "trees", "hills"};
  const long long lows[6] = {0, 0, 0, 0, 0, 0};
  const long long highs[6] = {4294967295LL, 100000, 100000, 3, 3, 4};
  for (int i = 0; i < 6; ++i) {
    auto found = args.find(names[i]);
    if (found == args.end()) return Fail(std::string("--") + names[i] + " is missing");
    if (!ParseNumber(found->second, values[i]) || values[i] < lows[i] || values[i] > highs[i]) {
      return Fail(std::string("--") + names[i] + " must be a whole number " + std::to_string(lows[i]) + ".." +
                  std::to_string(highs[i]));
    }
  }
  const int32_t tilesX = TilesFor(values[1]);
  const int32_t tilesY = TilesFor(values[2]);
  if (tilesX < 3 || tilesX > 250 || tilesY < 3 || tilesY > 250) {
    return Fail("the map must be 3 to 250 tiles of 20 m along each side (59 to 5018 m)");
  }
  int32_t edge = -1;
  if (auto found = args.find("attacker-edge"); found != args.end()) {
    const std::map<std::string, int32_t> edges = {{"none", -1}, {"west", 0}, {"north", 1}, {"east", 2}, {"south", 3},
                                                  {"-1", -1},   {"0", 0},    {"1", 1},     {"2", 2},    {"3", 3}};
    auto named = edges.find(found->second);
    if (named == edges.end()) return Fail("--attacker-edge must be none, west, north, east or south");
    edge = named->second;
  }
  auto out = args.find("out");
  if (out == args.end() || out->second.empty()) return Fail("--out is missing");
  auto preview = args.find("preview");
  // The run's log goes beside the map, not beside the tool, and is kept only when it failed.
  const std::filesystem::path folder = std::filesystem::absolute(out->second).parent_path();
  PPath::SetProgramFolder(folder.string() + "/");
  const int status = [&] {
    RandomMapParams params;
    params.widthMetres = static_cast<float>(values[1]);
    params.heightMetres = static_cast<float>(values[2]);
    params.mapType = static_cast<int32_t>(values[3]);
    params.treeCoverage = static_cast<int32_t>(values[4]);
    params.hilliness = static_cast<int32_t>(values[5]);
    params.attackerEdge = edge;
    ReferenceMapApp app;
    Map map(app);
    SeedRandom(static_cast<uint32_t>(values[0]));
    RandomMapGenerator::Generate(map, params);

    // The preview is made first so that a failure leaves no half of the pair behind.
    std::string bitmap;
    if (preview != args.end()) bitmap = Preview(map);
    if (!MapFiles::Write(map, out->second)) {
      std::remove(out->second.c_str());
      std::fprintf(stderr, "make_random_map: cannot write %s\n", out->second.c_str());
      return 1;
    }
    if (preview != args.end()) {
      std::ofstream file(preview->second, std::ios::binary | std::ios::trunc);
      file.write(bitmap.data(), static_cast<std::streamsize>(bitmap.size()));
      file.close();
      if (!file.good()) {
        std::remove(preview->second.c_str());
        std::remove(out->second.c_str());
        std::fprintf(stderr, "make_random_map: cannot write %s\n", preview->second.c_str());
        return 1;
      }
    }
    return 0;
  }();
  GErrorLog::Close();
  if (status == 0) std::filesystem::remove(folder / GErrorLog::kFileName);
  return status;
}
