// make_weapon_models <description folder> <output source> [<straight-line output>]: compiles
// data/weapon_models into the weapon models' constant data; a model that differs from its
// counts stops the build. The third file, when named, holds the largest model (13) as
// straight-line renderer calls for the benchmark.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "WeaponModelCompiler.h"

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: make_weapon_models <folder> <output> [<straight-line output>]\n");
    return 2;
  }
  WeaponModelCompiler compiler;
  for (int number = 0; number < 23; ++number) {
    char name[32];
    std::snprintf(name, sizeof name, "model_%02d.txt", number);
    const std::string path = std::string(argv[1]) + "/" + name;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "%s: cannot be read\n", path.c_str());
      return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    if (!compiler.Add(path, text.str())) {
      std::fprintf(stderr, "%s\n", compiler.Error().c_str());
      return 1;
    }
  }
  std::string source;
  if (!compiler.Generate(source)) {
    std::fprintf(stderr, "%s\n", compiler.Error().c_str());
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary);
  out << source;
  if (!out.good()) return 1;
  if (argc == 4) {
    constexpr int kLargestModel = 13;
    std::string straight;
    if (!compiler.GenerateStraightLine(kLargestModel, straight)) {
      std::fprintf(stderr, "%s\n", compiler.Error().c_str());
      return 1;
    }
    std::ofstream line(argv[3], std::ios::binary);
    line << straight;
    if (!line.good()) return 1;
  }
  return 0;
}
