#pragma once
#include <string>

// The rules for a file or folder name the program takes from the player or from a caller: one
// name only, never a path, and only what every file system the game's files travel to accepts.
class PFileName {
 public:
  // Longest name taken: a name and its folder must fit a 255-character path.
  static constexpr size_t kMaxLength = 128;

  // True for a plain name: not empty, not "." or "..", no control characters (the C1 bytes
  // 0x81, 0x8D, 0x8F, 0x90 and 0x9D included), none of
  // \ / : * ? " < > |, no trailing dot or blank, no device name (CON, NUL, COM1 ...), at
  // most kMaxLength characters.
  static bool IsValid(const std::string& name);
  // True when every "\"-separated part of a relative folder path is a valid name ("" too: no
  // folder).
  static bool IsValidFolderPath(const std::string& path);
  // A name as a folder listing gives it (the system's UTF-8) to program form: false when it
  // is not strict UTF-8, does not map both ways, or is not a plain name once converted (a
  // separator, "..", a control character ...). Such a file is not listed: it could not be
  // opened by the name shown, and it must never lead outside its folder.
  static bool FromListing(const std::string& nativeName, std::string& programName);
  // The extension after the name's last dot, without the dot; "" when there is none.
  static std::string Extension(const std::string& name);
};
