// Compiles data/figures/meshes.txt into FigureMeshData.cpp and writes the sheet of the
// figure's texture layouts and a contact picture of its seven levels beside it. A broken source stops the build with
// "file:line: reason"; outputs are written under a temporary name, then renamed.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "FigureMeshCompiler.h"

namespace {

bool WriteWhole(const std::string& path, const std::string& bytes) {
  const std::string temporary = path + ".part";
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr,
                 "usage: make_figure_meshes meshes.txt FigureMeshData.cpp figure-layouts.txt figure-contact.bmp "
                 "[items.txt...]\n");
    return 2;
  }
  // The items' parts follow the figure's in one source; a line number past the figure's
  // source counts on into the items'.
  std::ostringstream text;
  for (int i = 1; i < argc; i = i == 1 ? 5 : i + 1) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "%s:0: cannot be read\n", argv[i]);
      return 1;
    }
    text << in.rdbuf() << "\n";
  }
  FigureMeshCompiler::Output out;
  std::string error;
  if (!FigureMeshCompiler::Compile(text.str(), argv[1], out, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  if (!WriteWhole(argv[2], out.tableSource) ||
      !WriteWhole(argv[3], out.layoutSheet) || !WriteWhole(argv[4], out.contactPicture)) {
    std::fprintf(stderr, "make_figure_meshes: cannot write the outputs\n");
    return 1;
  }
  return 0;
}
