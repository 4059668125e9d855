#pragma once
#include <cstddef>
#include <cstdint>

// What the table tool makes from data/tables/ and data/names/ into the generated
// DataTablesBlock.cpp: the scrambled block of the built-in tables, the key its unscrambling
// must end with, and the six surname lists (entries NUL-padded to their width).
extern const uint8_t kDataTablesBlock[];
extern const size_t kDataTablesBlockSize;
extern const uint32_t kDataTablesEndKey;
extern const char kSurnames0[];
extern const char kSurnames1[];
extern const char kSurnames2[];
extern const char kSurnames3[];
extern const char kSurnames4[];
extern const char kSurnames5[];
