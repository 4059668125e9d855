#pragma once
#include <cstddef>
#include <cstdint>

// The program's user interface texts by number, built from data/strings.txt. Texts are
// Windows-1252 bytes of at most 255 bytes.
class PStringTable {
 public:
  // Copies at most size - 1 bytes of text id into buffer, ends it with a NUL and returns the
  // count copied. A missing id gives an empty text and 0; size 0 copies nothing.
  static int LoadString(uint32_t id, char* buffer, size_t size);
  // The text and its length, or nullptr for a missing id.
  static const char* Find(uint32_t id, uint32_t* length);
};
