// Reads data/terrain_codes.txt, the terrain code table of the editor's grid and of every
// imported map, checks it and turns it into TerrainCodeTableData.cpp. A library of its own so
// the tests can feed it broken sources.
#pragma once

#include <cstdint>
#include <set>
#include <string>

class TerrainCodeCompiler {
 public:
  static constexpr int32_t kCodeCount = 704;
  static constexpr int32_t kKindCount = 45;
  static constexpr int32_t kFirstKindString = 5000;

  // The string ids the source of the string table defines (rows "id<TAB>text").
  static std::set<int32_t> StringIds(const std::string& stringsSource);

  // Checks `source` (named `name` in messages) and writes the generated C++ source to
  // `tableSource`. False with "name:line: reason" in `error` at the first fault.
  static bool Compile(const std::string& source, const std::string& name, const std::set<int32_t>& stringIds,
                      std::string& tableSource, std::string& error);
};
