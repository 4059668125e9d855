// How the reader fuzz targets make their input: with the first byte odd, the rest is laid by
// exclusive-or over a valid input from the given offset (bytes beyond its end are appended),
// so that mutations reach deep into a well-formed file; with it even, the rest is the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

inline std::string FuzzInput(const std::string& valid, const uint8_t* data, size_t size, size_t start = 0) {
  std::string input;
  if (size == 0) return input;
  if ((data[0] & 1) != 0) {
    input = valid;
    for (size_t i = 1; i < size; ++i) {
      const size_t at = start + i - 1;
      if (at < input.size()) input[at] = static_cast<char>(input[at] ^ data[i]);
      else input.push_back(static_cast<char>(data[i]));
    }
  } else {
    input.assign(reinterpret_cast<const char*>(data + 1), size - 1);
  }
  return input;
}
