// Turns data/terrain_codes.txt into TerrainCodeTableData.cpp after TerrainCodeCompiler's
// checks (kinds are checked against data/strings.txt). A broken row stops the build with
// "file:line: reason"; the output is written under a temporary name, then renamed, so it is
// never left half written.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "TerrainCodeCompiler.h"

namespace {

bool ReadWhole(const char* path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  text = all.str();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_terrain_codes terrain_codes.txt strings.txt TerrainCodeTableData.cpp\n");
    return 2;
  }
  std::string source;
  std::string strings;
  if (!ReadWhole(argv[1], source) || !ReadWhole(argv[2], strings)) {
    std::fprintf(stderr, "make_terrain_codes: cannot read %s or %s\n", argv[1], argv[2]);
    return 1;
  }
  std::string table;
  std::string error;
  if (!TerrainCodeCompiler::Compile(source, argv[1], TerrainCodeCompiler::StringIds(strings), table, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  const std::string temporary = std::string(argv[3]) + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << table;
    if (!out.flush()) {
      std::fprintf(stderr, "make_terrain_codes: cannot write %s\n", temporary.c_str());
      return 1;
    }
  }
  if (std::rename(temporary.c_str(), argv[3]) != 0) {
    std::fprintf(stderr, "make_terrain_codes: cannot rename %s\n", temporary.c_str());
    return 1;
  }
  return 0;
}
