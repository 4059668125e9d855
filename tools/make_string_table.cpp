// Turns data/strings.txt into the program's string table (a C++ source of Windows-1252 texts)
// and StringIds.h, the names of the rows that carry one. The rules of the source are those of
// StringTableCompiler; a broken row stops the build with "file:line: reason" and leaves both
// outputs as they were.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "StringTableCompiler.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_string_table strings.txt table.cpp StringIds.h\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot read\n", argv[1]);
    return 1;
  }
  std::ostringstream source;
  source << in.rdbuf();
  StringTableCompiler::Output out;
  std::string error;
  if (!StringTableCompiler::Compile(source.str(), argv[1], out, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  if (!StringTableCompiler::WriteFileWhole(argv[2], out.tableSource) ||
      !StringTableCompiler::WriteFileWhole(argv[3], out.idsHeader)) {
    std::fprintf(stderr, "make_string_table: cannot write %s or %s\n", argv[2], argv[3]);
    return 1;
  }
  return 0;
}
