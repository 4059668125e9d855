// Builds the program's built-in tables: reads the record sources of data/tables/ and the
// surname sources of data/names/, and writes one C++ source with the scrambled block, its end
// key and the six surname lists. A malformed source stops the build with file:line: reason.
//
//   make_data_tables <data folder> <output .cpp>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "datatables/DataTableCompiler.h"

namespace {

bool ReadWhole(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  text = s.str();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_data_tables <data folder> <output .cpp>\n");
    return 2;
  }
  const std::string data = argv[1];
  std::string error;
  std::vector<std::vector<uint8_t>> tables;
  for (const auto& table : DataTableCompiler::Tables()) {
    const std::string path = data + "/tables/" + table.file;
    std::string text;
    if (!ReadWhole(path, text)) {
      std::fprintf(stderr, "%s:0: cannot be read\n", path.c_str());
      return 1;
    }
    tables.emplace_back();
    if (!DataTableCompiler::CompileTable(table, text, path, tables.back(), error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
  }
  std::vector<std::vector<char>> surnames;
  for (const auto& group : DataTableCompiler::SurnameGroups()) {
    const std::string path = data + "/names/" + group.file;
    std::string text;
    if (!ReadWhole(path, text)) {
      std::fprintf(stderr, "%s:0: cannot be read\n", path.c_str());
      return 1;
    }
    surnames.emplace_back();
    if (!DataTableCompiler::CompileSurnames(group, text, path, surnames.back(), error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
  }
  std::vector<uint8_t> block = DataTableCompiler::Compress(DataTableCompiler::FrameTables(tables));
  const uint32_t key = DataTableCompiler::Scramble(block);
  const std::string source = DataTableCompiler::GeneratedSource(block, key, surnames);
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << source;
  out.close();
  if (!out) {
    std::fprintf(stderr, "%s:0: cannot be written\n", argv[2]);
    return 1;
  }
  return 0;
}
