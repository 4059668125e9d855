#pragma once
// The renderer's font and cursor bitmaps, which the build draws into its BMP folder beside
// the program, for tests whose program folder is a TestFolder: a kernel that sets up its 3-D
// display loads them.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/TestFolder.h"

inline void CopyRendererBitmaps(const TestFolder& folder) {
  const std::filesystem::path built =
      std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "BMP";
  for (const char* name : {"30000.bmp", "30001.bmp", "30002.bmp", "30010.bmp"}) {
    std::ifstream in(built / name, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!bytes.empty()) folder.WriteFile(std::string("BMP/") + name, bytes);
  }
}
