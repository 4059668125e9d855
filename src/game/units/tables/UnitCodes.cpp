#include "game/units/tables/UnitCodes.h"

#include <array>

#include "framework/core/Quorl.h"
#include "game/units/ports/UnitServices.h"

namespace {

std::array<UnitMaker, 4> gMakers{};

}  // namespace

int32_t KindGroup(int32_t code) {
  if (code >= 0 && code <= 2) return 1;
  if (code >= 3 && code <= 5) return 2;
  if (code >= 6 && code <= 11) return 0;
  if (code >= 12 && code <= 13) return 3;
  if (code >= 14 && code <= 16) return 4;
  if (code >= 17 && code <= 18) return 5;
  FatalError(__LINE__, "Unit.cpp");
}

int32_t KindGroupFirstCode(int32_t group) {
  static constexpr int32_t kFirst[6] = {6, 0, 3, 12, 14, 17};
  if (group < 0 || group > 5) FatalError(__LINE__, "Unit.cpp");
  return kFirst[group];
}

int32_t FigureStyleIndex(int32_t code, bool flagA, bool flagB) {
  // Per code: with flag A, with flag B, with neither (-1: by date).
  struct Styles {
    int8_t a;
    int8_t b;
    int8_t neither;
  };
  static constexpr Styles kStyles[19] = {
      {9, 11, 8},   {9, 23, 8},   {10, 10, 10}, {12, 24, 13}, {14, 14, 14}, {15, 15, 15}, {3, 5, -1},
      {20, 4, 4},   {0, 6, 6},    {2, 2, 2},    {7, 7, 7},    {19, 5, -1},  {12, 24, 21}, {25, 25, 25},
      {12, 24, 26}, {14, 14, 14}, {15, 15, 15}, {17, 11, 18}, {22, 22, 22}};
  if (code < 0 || code > 18) FatalError(__LINE__, "Unit.cpp");
  const Styles& s = kStyles[code];
  if (flagA) return s.a;
  if (flagB) return s.b;
  if (s.neither >= 0) return s.neither;
  return UnitGameDate() < 4413 ? 1 : 16;
}

int32_t WeaponGroupOf(int32_t weapon) {
  if (weapon < 25) return 0;
  if (weapon <= 28) return 1;
  return 2;
}

int32_t RotationPhase(int32_t a, int32_t n, int32_t b) {
  if (n < 1 || IsEditorOpen()) return 0;
  const int32_t r = (a + b) % n;
  if (r == 0) return 2;
  if (r == 1 && n > 2) return 1;
  return 0;
}

void RegisterUnitMaker(int32_t kind, UnitMaker maker) {
  if (kind < 0 || kind > 3) FatalError(__LINE__, "Unit.cpp");
  gMakers[static_cast<size_t>(kind)] = maker;
}

Unit* CreateUnit(int32_t kind, int32_t classIndex, int32_t code, int32_t flag) {
  if (kind < 0 || kind > 3) FatalError(__LINE__, "Unit.cpp");
  UnitMaker maker = gMakers[static_cast<size_t>(kind)];
  if (maker == nullptr) FatalError(__LINE__, "Unit.cpp");
  return maker(classIndex, code, flag);
}
