#include "app/WRInstallPath.h"

bool WRInstallPath::Check(const std::string& folder, std::string& message) {
  if (folder.size() <= kMaxFolderLength) return true;
  message = "Tarvane cannot run from this folder: its path is " + std::to_string(folder.size()) +
            " characters long, and at most " + std::to_string(kMaxFolderLength) +
            " are allowed. Move the program to a folder with a shorter path.";
  return false;
}
