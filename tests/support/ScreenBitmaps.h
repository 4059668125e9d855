#pragma once
// The pictures of the application's main, multiplayer and address screens and the save panel, which the build
// draws into its BMP folder beside the program, linked into the BMP folder of a test whose
// program folder is a TestFolder and whose application shows its main screen.
#include <filesystem>
#include <string>
#include <system_error>

#include "support/TestFolder.h"

inline void CopyScreenBitmaps(const TestFolder& folder) {
  namespace fs = std::filesystem;
  const fs::path built = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "BMP";
  const fs::path into = fs::path(folder.Native()) / "BMP";
  std::error_code error;
  fs::create_directories(into, error);
  for (int n : {11000, 11001, 11002, 11101, 11103, 11168, 11200, 11201, 11203, 11204, 11206, 11207, 11208, 11210,
                11211, 11212, 11250, 11251, 11252, 11253}) {
    const std::string name = std::to_string(n) + ".bmp";
    if (fs::exists(built / name)) fs::create_symlink(built / name, into / name, error);
  }
}
