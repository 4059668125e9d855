#pragma once
// A unit's stored form as bytes for the stored-form tests: written, read back (past the kind
// byte) and shown as hex.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "framework/core/GMemoryFile.h"
#include "game/units/Unit.h"

inline std::string Write(const Unit& unit) {
  GMemoryFile out;
  unit.Write(out.File());
  EXPECT_FALSE(out.File().HasError());
  return out.Bytes();
}

inline bool Read(const std::string& bytes, Unit& unit) {
  GMemoryFile in(bytes);
  in.File().ReadByte();
  unit.Read(in.File());
  return !in.File().HasError();
}

inline std::string Hex(const std::string& bytes, size_t from) {
  std::string text;
  char pair[3];
  for (size_t i = from; i < bytes.size(); ++i) {
    std::snprintf(pair, sizeof pair, "%02X", static_cast<uint8_t>(bytes[i]));
    text += pair;
  }
  return text;
}
