#pragma once
#include <cstddef>
#include <cstdint>

class GString;

// The HAVAL message digest with 3 passes and a 256-bit result (version 1 of the algorithm).
// GHaval is the running context; the four functions below are the usual interface.
struct GHaval {
  static constexpr int kResultSize = 32;
  static constexpr int kBlockSize = 128;

  uint32_t count[2];     // bits hashed so far, low word first
  uint32_t state[8];     // chaining state
  uint8_t block[kBlockSize];
};

void HavalInit(GHaval& context);
// Hashes n bytes; whole 128-byte blocks are processed as they fill.
void HavalUpdate(GHaval& context, const uint8_t* bytes, size_t n);
// Pads, takes the 32-byte result (each state word least significant byte first) and clears
// the context.
void HavalFinal(GHaval& context, uint8_t result[GHaval::kResultSize]);
// The digest of a string's text (neither its length byte nor its NUL).
void HavalString(const GString& text, uint8_t result[GHaval::kResultSize]);
