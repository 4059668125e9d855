#pragma once
#include <string>

// The program folder must leave room for the longest path the program builds inside it.
class WRInstallPath {
 public:
  // Paths are held in 255-byte strings; the folder may take at most this much of them, so
  // that a data folder, a file name of 63 bytes and its extension always fit.
  static constexpr size_t kMaxFolderLength = 159;
  // True when the folder fits; otherwise message holds the text shown to the user.
  static bool Check(const std::string& folder, std::string& message);
};
