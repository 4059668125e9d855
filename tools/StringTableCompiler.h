#pragma once
#include <cstdint>
#include <string>

// Turns the text of data/strings.txt into the two generated files of the string table: a C++
// source holding the Windows-1252 texts and StringIds.h with the constexpr names of the rows
// that carry one.
//
// Source form, one row a line: id<TAB>text, or id<TAB>text<TAB>name. Blank lines and lines
// whose first character is '#' are skipped; nothing else is trimmed, so blanks at either end
// of a text belong to it (a CR before the line end is dropped). Rules, each refused with
// "<source name>:<line>: <reason>":
// - the id is decimal digits only, 0 to 65535, and greater than the id of the row before;
// - ids 1221, 1222 and 1264 never have a row (the key help draws them as empty lines);
// - the text is not empty, is valid UTF-8 with a Windows-1252 form of at most 255 bytes;
// - the name, when present, is a C++ identifier not used by another row; every row of the
//   reserved block 20000 to 20999 has one.
class StringTableCompiler {
 public:
  static constexpr uint32_t kReservedFirst = 20000;
  static constexpr uint32_t kReservedLast = 20999;
  static constexpr size_t kMaxTextBytes = 255;

  struct Output {
    std::string tableSource;  // the generated C++ table
    std::string idsHeader;    // the generated StringIds.h
  };

  // Compiles source (the file's bytes); sourceName prefixes error messages. On failure returns
  // false with error set and out untouched.
  static bool Compile(const std::string& source, const std::string& sourceName, Output& out,
                      std::string& error);

  // True when the id must never have a row.
  static bool IsRefusedId(uint32_t id);

  // Writes bytes to path through a temporary file beside it that is renamed over path, so the
  // file is either the old one or the whole new one. False (and no temporary left) on failure.
  static bool WriteFileWhole(const std::string& path, const std::string& bytes);
};
