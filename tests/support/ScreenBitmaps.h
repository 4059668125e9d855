#pragma once
// The pictures of the application's main, multiplayer and address screens, which the build
// draws into its BMP folder beside the program, for tests whose program folder is a
// TestFolder and whose application shows its main screen.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/TestFolder.h"

inline void CopyScreenBitmaps(const TestFolder& folder) {
  const std::filesystem::path built =
      std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "BMP";
  for (int n : {11000, 11001, 11002, 11101, 11103, 11168, 11200, 11201, 11203, 11204, 11206, 11207, 11208, 11210,
                11211, 11212}) {
    std::ifstream in(built / (std::to_string(n) + ".bmp"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!bytes.empty()) folder.WriteFile("BMP/" + std::to_string(n) + ".bmp", bytes);
  }
}
