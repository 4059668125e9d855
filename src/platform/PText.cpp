#include "platform/PText.h"

#include <cstdint>

namespace {
// Unicode code points of Windows-1252 bytes 0x80..0x9F (the undefined ones map to themselves).
const uint16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void PutUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}
}  // namespace

std::string PText::Cp1252ToUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    if (c < 0x80) out.push_back(static_cast<char>(c));
    else if (c < 0xA0) PutUtf8(out, kHigh[c - 0x80]);
    else PutUtf8(out, c);
  }
  return out;
}

bool PText::Utf8ToCp1252(const std::string& in, std::string& out) {
  out.clear();
  for (size_t i = 0; i < in.size();) {
    unsigned char c = static_cast<unsigned char>(in[i]);
    uint32_t cp;
    uint32_t least;  // the smallest code point the sequence's length may carry
    size_t len;
    if (c < 0x80) { cp = c; len = 1; least = 0; }
    else if ((c & 0xE0) == 0xC0) { cp = c & 0x1Fu; len = 2; least = 0x80; }
    else if ((c & 0xF0) == 0xE0) { cp = c & 0x0Fu; len = 3; least = 0x800; }
    else if ((c & 0xF8) == 0xF0) { cp = c & 0x07u; len = 4; least = 0x10000; }
    else return false;
    if (i + len > in.size()) return false;
    for (size_t k = 1; k < len; ++k) {
      unsigned char d = static_cast<unsigned char>(in[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3Fu);
    }
    i += len;
    // Strict: no overlong form (C0 AE is not "."), no surrogate, nothing above U+10FFFF.
    if (cp < least || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      out.push_back(static_cast<char>(cp));
      continue;
    }
    bool found = false;
    for (int k = 0; k < 32 && !found; ++k) {
      if (kHigh[k] == cp) {
        out.push_back(static_cast<char>(0x80 + k));
        found = true;
      }
    }
    if (!found) return false;
  }
  return true;
}
