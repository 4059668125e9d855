#pragma once
#include <string>

// Paths as the program builds them: Windows-1252 bytes with "\" as the separator. The
// layer maps them to the file system: "\" becomes "/", the text becomes UTF-8, and where a
// component does not exist with the exact case, the one that matches ignoring case is taken
// (so "BMP\12.bmp" finds "bmp/12.BMP").
class PPath {
 public:
  // The folder of the running executable in program form, with its trailing "\". Known from
  // the first call on, before anything is logged.
  static const std::string& ProgramFolder();
  // The system's temporary folder in program form, with its trailing "\".
  static std::string TempFolder();
  // Tests point the program folder elsewhere (a native folder path; "" restores the real one).
  static void SetProgramFolder(const std::string& nativeFolder);

  // Program form to a native path, resolving case where the exact name is missing. A path
  // whose first byte is "\" is absolute; others are relative to the working folder.
  static std::string ToNative(const std::string& programPath);
  // Native path (UTF-8, "/") to program form.
  static std::string ToProgram(const std::string& nativePath);
  // ASCII case-insensitive equality, as the file name matching uses.
  static bool SameIgnoringCase(const std::string& a, const std::string& b);
};
