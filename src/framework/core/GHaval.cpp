#include "framework/core/GHaval.h"

#include <cstring>

#include "framework/core/GString.h"

namespace {

// The fraction digits of pi: the first eight words start the state, the next 64 are the
// round constants of the second and third passes.
constexpr uint32_t kInitialState[8] = {0x243F6A88, 0x85A308D3, 0x13198A2E, 0x03707344,
                                       0xA4093822, 0x299F31D0, 0x082EFA98, 0xEC4E6C89};
constexpr uint32_t kPass2Constants[32] = {
    0x452821E6, 0x38D01377, 0xBE5466CF, 0x34E90C6C, 0xC0AC29B7, 0xC97C50DD, 0x3F84D5B5, 0xB5470917,
    0x9216D5D9, 0x8979FB1B, 0xD1310BA6, 0x98DFB5AC, 0x2FFD72DB, 0xD01ADFB7, 0xB8E1AFED, 0x6A267E96,
    0xBA7C9045, 0xF12C7F99, 0x24A19947, 0xB3916CF7, 0x0801F2E2, 0x858EFC16, 0x636920D8, 0x71574E69,
    0xA458FEA3, 0xF4933D7E, 0x0D95748F, 0x728EB658, 0x718BCD58, 0x82154AEE, 0x7B54A41D, 0xC25A59B5};
constexpr uint32_t kPass3Constants[32] = {
    0x9C30D539, 0x2AF26013, 0xC5D1B023, 0x286085F0, 0xCA417918, 0xB8DB38EF, 0x8E79DCB0, 0x603A180E,
    0x6C9E0E8B, 0xB01E8A3E, 0xD71577C1, 0xBD314B27, 0x78AF2FDA, 0x55605C60, 0xE65525F3, 0xAA55AB94,
    0x57489862, 0x63E81440, 0x55CA396A, 0x2AAB10B6, 0xB4CC5C34, 0x1141E8CE, 0xA15486AF, 0x7C72E993,
    0xB3EE1411, 0x636FBC2A, 0x2BA9C55D, 0x741831F6, 0xCE5C3E16, 0x9B87931E, 0xAFD6BA33, 0x6C24CF5C};
// The order in which the second and third passes take the block's words.
constexpr int kPass2Order[32] = {5,  14, 26, 18, 11, 28, 7,  16, 0,  23, 20, 22, 1,  10, 4,  8,
                                 30, 3,  21, 9,  17, 24, 29, 6,  19, 12, 15, 13, 2,  25, 31, 27};
constexpr int kPass3Order[32] = {19, 9,  4,  20, 28, 17, 8,  22, 29, 14, 25, 12, 24, 30, 16, 26,
                                 31, 15, 7,  3,  1,  0,  18, 27, 13, 6,  21, 10, 23, 11, 5,  2};

constexpr uint32_t RotateRight(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

// The three Boolean functions, arguments named x6 .. x0 as in the algorithm's description.
constexpr uint32_t F1(uint32_t x6, uint32_t x5, uint32_t x4, uint32_t x3, uint32_t x2, uint32_t x1,
                      uint32_t x0) {
  return (x1 & (x0 ^ x4)) ^ (x2 & x5) ^ (x3 & x6) ^ x0;
}
constexpr uint32_t F2(uint32_t x6, uint32_t x5, uint32_t x4, uint32_t x3, uint32_t x2, uint32_t x1,
                      uint32_t x0) {
  return (x2 & ((x1 & ~x3) ^ (x4 & x5) ^ x6 ^ x0)) ^ (x4 & (x1 ^ x5)) ^ (x3 & x5) ^ x0;
}
constexpr uint32_t F3(uint32_t x6, uint32_t x5, uint32_t x4, uint32_t x3, uint32_t x2, uint32_t x1,
                      uint32_t x0) {
  return (x3 & ((x1 & x2) ^ x6 ^ x0)) ^ (x1 & x4) ^ (x2 & x5) ^ x0;
}

// The word permutations of the 3-pass variant applied to the function arguments.
uint32_t Phi(int pass, const uint32_t* x) {
  switch (pass) {
    case 1:
      return F1(x[1], x[0], x[3], x[5], x[6], x[2], x[4]);
    case 2:
      return F2(x[4], x[2], x[1], x[0], x[5], x[3], x[6]);
    default:
      return F3(x[6], x[1], x[2], x[3], x[4], x[5], x[0]);
  }
}

void Compress(uint32_t state[8], const uint8_t block[GHaval::kBlockSize]) {
  uint32_t w[32];
  for (int i = 0; i < 32; ++i) {
    const uint8_t* b = block + 4 * i;
    w[i] = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 | static_cast<uint32_t>(b[2]) << 16 |
           static_cast<uint32_t>(b[3]) << 24;
  }
  uint32_t t[8];
  std::memcpy(t, state, sizeof t);
  for (int pass = 1; pass <= 3; ++pass) {
    for (int step = 0; step < 32; ++step) {
      // The registers turn by one place each step: x[k] is t[(k - step) mod 8], x[7] the
      // one that is replaced.
      uint32_t x[8];
      for (int k = 0; k < 8; ++k) x[k] = t[(k - step + 32) & 7];
      uint32_t word;
      uint32_t constant;
      if (pass == 1) {
        word = w[step];
        constant = 0;
      } else if (pass == 2) {
        word = w[kPass2Order[step]];
        constant = kPass2Constants[step];
      } else {
        word = w[kPass3Order[step]];
        constant = kPass3Constants[step];
      }
      t[(7 - step + 32) & 7] = RotateRight(Phi(pass, x), 7) + RotateRight(x[7], 11) + word + constant;
    }
  }
  for (int i = 0; i < 8; ++i) state[i] += t[i];
}

}  // namespace

void HavalInit(GHaval& context) {
  context.count[0] = 0;
  context.count[1] = 0;
  std::memcpy(context.state, kInitialState, sizeof context.state);
  std::memset(context.block, 0, sizeof context.block);
}

void HavalUpdate(GHaval& context, const uint8_t* bytes, size_t n) {
  size_t filled = (context.count[0] >> 3) & 0x7F;
  // The 64-bit bit count, kept as two words.
  uint64_t bits = (static_cast<uint64_t>(context.count[1]) << 32 | context.count[0]) + (static_cast<uint64_t>(n) << 3);
  context.count[0] = static_cast<uint32_t>(bits);
  context.count[1] = static_cast<uint32_t>(bits >> 32);
  while (n > 0) {
    size_t take = GHaval::kBlockSize - filled;
    if (take > n) take = n;
    std::memcpy(context.block + filled, bytes, take);
    filled += take;
    bytes += take;
    n -= take;
    if (filled == GHaval::kBlockSize) {
      Compress(context.state, context.block);
      filled = 0;
    }
  }
}

void HavalFinal(GHaval& context, uint8_t result[GHaval::kResultSize]) {
  // The tail: version 1, 3 passes and the low bits of the output length; the output length
  // over 4; the bit count of the message, least significant byte first.
  uint8_t tail[10];
  tail[0] = (256 & 0x3) << 6 | 3 << 3 | 1;
  tail[1] = 256 >> 2;
  for (int i = 0; i < 8; ++i) tail[2 + i] = static_cast<uint8_t>(context.count[i / 4] >> (8 * (i % 4)));
  size_t filled = (context.count[0] >> 3) & 0x7F;
  size_t padding = filled < 118 ? 118 - filled : 246 - filled;
  uint8_t pad[GHaval::kBlockSize] = {0x01};
  HavalUpdate(context, pad, padding);
  HavalUpdate(context, tail, sizeof tail);
  for (int i = 0; i < 8; ++i) {
    for (int b = 0; b < 4; ++b) result[4 * i + b] = static_cast<uint8_t>(context.state[i] >> (8 * b));
  }
  std::memset(&context, 0, sizeof context);
}

void HavalString(const GString& text, uint8_t result[GHaval::kResultSize]) {
  GHaval context;
  HavalInit(context);
  if (text.Length() > 0) HavalUpdate(context, text.PStr() + 1, text.Length());
  HavalFinal(context, result);
}
