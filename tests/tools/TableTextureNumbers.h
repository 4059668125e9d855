#pragma once
// The texture numbers the data tables name: the vehicle models' textures and the crew weapons'
// pictures, read from the table sources.
#include <cstdint>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

inline std::set<int32_t> TableTextureNumbers() {
  std::set<int32_t> named;
  for (const char* table : {"/tables/vehicle_models.txt", "/tables/weapon_draws.txt"}) {
    std::ifstream in(std::string(TARVANE_DATA_DIR) + table);
    std::string line;
    while (std::getline(in, line)) {
      const size_t equals = line.find(" = ");
      if (equals == std::string::npos) continue;
      const std::string key = line.substr(0, equals);
      if (key != "textures" && key != "extra_textures") continue;
      std::istringstream numbers(line.substr(equals + 3));
      for (int32_t n = 0; numbers >> n;)
        if (n > 0) named.insert(n);
    }
  }
  return named;
}
