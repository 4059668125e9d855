// make_weapon_models <description folder> <output source>: compiles data/weapon_models into
// the weapon models' constant data; a model that differs from its counts stops the build.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "WeaponModelCompiler.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_weapon_models <folder> <output>\n");
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
  return out.good() ? 0 : 1;
}
