// Writes one reference battle map in the stored form and a text summary of what it placed:
//   make_reference_map [--busy] <seed> <tiles> <map file> <summary file>
// The same seed and size give the same bytes on every machine and build.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ReferenceMapMaker.h"
#include "framework/core/GErrorLog.h"
#include "platform/PPath.h"

namespace {

bool ParseNumber(const char* text, long& value) {
  char* end = nullptr;
  value = std::strtol(text, &end, 10);
  return end != text && *end == '\0';
}

int Run(const std::string& mapPath, const char* summaryPath, uint32_t seed, int32_t tiles, bool busy) {
  ReferenceMapMaker maker(seed, tiles, busy);
  if (!maker.Make(mapPath)) {
    std::fprintf(stderr, "make_reference_map: %s: %s\n", mapPath.c_str(), maker.Error().c_str());
    return 1;
  }
  std::string name = mapPath.substr(mapPath.find_last_of('/') + 1);
  std::ofstream summary(summaryPath, std::ios::binary | std::ios::trunc);
  summary << maker.GetSummary().Text(name);
  if (!summary.good()) {
    std::fprintf(stderr, "make_reference_map: cannot write %s\n", summaryPath);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  bool busy = false;
  if (argc > 1 && std::string(argv[1]) == "--busy") {
    busy = true;
    first = 2;
  }
  if (argc - first != 4) {
    std::fprintf(stderr, "usage: make_reference_map [--busy] <seed> <tiles> <map file> <summary file>\n");
    return 2;
  }
  long seed = 0;
  long tiles = 0;
  if (!ParseNumber(argv[first], seed) || seed < 0 || seed > 0xFFFFFFFFl) {
    std::fprintf(stderr, "make_reference_map: the seed must be a whole number 0..4294967295\n");
    return 2;
  }
  if (!ParseNumber(argv[first + 1], tiles) || tiles < 1 || tiles > 250) {
    std::fprintf(stderr, "make_reference_map: the map size must be 1..250 tiles\n");
    return 2;
  }
  const std::string mapPath = argv[first + 2];
  // The run's log goes beside the map, not beside the tool, and is kept only when it failed.
  const std::filesystem::path folder = std::filesystem::absolute(mapPath).parent_path();
  PPath::SetProgramFolder(folder.string() + "/");
  const int result = Run(mapPath, argv[first + 3], static_cast<uint32_t>(seed), static_cast<int32_t>(tiles), busy);
  GErrorLog::Close();
  if (result == 0) std::filesystem::remove(folder / GErrorLog::kFileName);
  return result;
}
