#include "game/units/targeting/FuzzyRules.h"

#include "framework/core/Quorl.h"

namespace {

// clang-format off
constexpr int8_t kR1Cells[] = {
    0, 0, 0,
    1, 1, 1,
    2, 2, 2,
    2, 2, 3,
    2, 2, 2};
constexpr int8_t kR2Cells[] = {
    2, 0,
    3, 1,
    4, 2,
    4, 3,
    4, 4};
constexpr int8_t kR3Cells[] = {
    0, 1, 2, 3, 4,
    1, 2, 3, 4, 4,
    2, 3, 4, 4, 4};
constexpr int8_t kR4Cells[] = {
    0, 0, 0, 3, 3,
    0, 0, 1, 4, 4,
    0, 0, 1, 4, 4};
constexpr int8_t kSupplyCells[] = {
    0, 0, 0, 1, 2,
    0, 0, 2, 3, 4,
    0, 1, 3, 4, 5,
    1, 2, 3, 4, 5,
    2, 3, 4, 5, 5};
constexpr int8_t kSupplySmokeCells[] = {
    0, 0, 0, 1, 2,
    0, 0, 2, 3, 4,
    0, 1, 3, 4, 5,
    0, 2, 3, 4, 5,
    0, 3, 4, 5, 5};
constexpr int8_t kR5Cells[] = {
    2, 2, 2, 3, 4, 5,
    3, 3, 3, 3, 4, 5,
    4, 4, 4, 4, 4, 5};
constexpr int8_t kR6Cells[] = {
    0, 1, 2, 3, 4, 5,
    0, 0, 1, 2, 3, 4,
    0, 0, 1, 1, 2, 3};
constexpr int8_t kR7Cells[] = {
    0, 1, 2, 3, 4, 5,
    0, 0, 1, 2, 3, 4,
    0, 0, 0, 2, 3, 4};
constexpr int8_t kR8Cells[] = {
    0, 0, 0,
    0, 1, 2,
    1, 2, 3};
constexpr int8_t kR9Cells[] = {
    0, 1, 2, 3, 4, 5,
    0, 0, 1, 2, 3, 4,
    0, 0, 1, 1, 2, 4,
    0, 0, 0, 1, 2, 4};
constexpr int8_t kR10Cells[] = {
    0, 0, 0, 0, 0,
    0, 0, 1, 2, 3,
    0, 2, 3, 3, 4,
    3, 4, 4, 4, 4};
constexpr int8_t kR11Cells[] = {
    0, 1, 2, 3, 4,
    0, 1, 1, 2, 4,
    0, 0, 1, 1, 2};
constexpr int8_t kR12Cells[] = {
    0, 1, 2, 3, 4,
    0, 0, 1, 2, 3,
    0, 0, 0, 1, 2};
constexpr int8_t kR13Cells[] = {
    0, 0, 0, 0, 0, 0,
    0, 0, 0, 1, 2, 3,
    0, 1, 2, 3, 4, 5,
    0, 2, 3, 5, 6, 7,
    0, 3, 5, 6, 7, 8};
constexpr int8_t kR14Cells[] = {
    1, 0, 0,
    3, 2, 1,
    4, 3, 2,
    5, 4, 3,
    6, 5, 4,
    7, 6, 5,
    8, 7, 6,
    8, 8, 7,
    8, 8, 8};
// clang-format on

}  // namespace

const FuzzyRules::Table FuzzyRules::kR1{"R1", 5, 3, kR1Cells};
const FuzzyRules::Table FuzzyRules::kR2{"R2", 5, 2, kR2Cells};
const FuzzyRules::Table FuzzyRules::kR3{"R3", 3, 5, kR3Cells};
const FuzzyRules::Table FuzzyRules::kR4{"R4", 3, 5, kR4Cells};
const FuzzyRules::Table FuzzyRules::kSupply{"supply", 5, 5, kSupplyCells};
const FuzzyRules::Table FuzzyRules::kSupplySmoke{"supply smoke", 5, 5, kSupplySmokeCells};
const FuzzyRules::Table FuzzyRules::kR5{"R5", 3, 6, kR5Cells};
const FuzzyRules::Table FuzzyRules::kR6{"R6", 3, 6, kR6Cells};
const FuzzyRules::Table FuzzyRules::kR7{"R7", 3, 6, kR7Cells};
const FuzzyRules::Table FuzzyRules::kR8{"R8", 3, 3, kR8Cells};
const FuzzyRules::Table FuzzyRules::kR9{"R9", 4, 6, kR9Cells};
const FuzzyRules::Table FuzzyRules::kR10{"R10", 4, 5, kR10Cells};
const FuzzyRules::Table FuzzyRules::kR11{"R11", 3, 5, kR11Cells};
const FuzzyRules::Table FuzzyRules::kR12{"R12", 3, 5, kR12Cells};
const FuzzyRules::Table FuzzyRules::kR13{"R13", 5, 6, kR13Cells};
const FuzzyRules::Table FuzzyRules::kR14{"R14", 9, 3, kR14Cells};

int8_t FuzzyRules::Lookup(const Table& table, int32_t row, int32_t column) {
  if (row < 0 || row >= table.rows || column < 0 || column >= table.columns) FatalError(__LINE__, "AITargeting");
  return table.cells[row * table.columns + column];
}

// GFuzzySet::Combine calls a rule with (id of the other set, id of this set): the row is the
// second argument.
int8_t FuzzyRules::R1(int8_t other, int8_t self) { return Lookup(kR1, self, other); }
int8_t FuzzyRules::R2(int8_t other, int8_t self) { return Lookup(kR2, self, other); }
int8_t FuzzyRules::R3(int8_t other, int8_t self) { return Lookup(kR3, self, other); }
int8_t FuzzyRules::R4(int8_t other, int8_t self) { return Lookup(kR4, self, other); }
int8_t FuzzyRules::Supply(int8_t other, int8_t self) { return Lookup(kSupply, self, other); }
int8_t FuzzyRules::SupplySmoke(int8_t other, int8_t self) { return Lookup(kSupplySmoke, self, other); }
int8_t FuzzyRules::R5(int8_t other, int8_t self) { return Lookup(kR5, self, other); }
int8_t FuzzyRules::R6(int8_t other, int8_t self) { return Lookup(kR6, self, other); }
int8_t FuzzyRules::R7(int8_t other, int8_t self) { return Lookup(kR7, self, other); }
int8_t FuzzyRules::R8(int8_t other, int8_t self) { return Lookup(kR8, self, other); }
int8_t FuzzyRules::R9(int8_t other, int8_t self) { return Lookup(kR9, self, other); }
int8_t FuzzyRules::R10(int8_t other, int8_t self) { return Lookup(kR10, self, other); }
int8_t FuzzyRules::R11(int8_t other, int8_t self) { return Lookup(kR11, self, other); }
int8_t FuzzyRules::R12(int8_t other, int8_t self) { return Lookup(kR12, self, other); }
int8_t FuzzyRules::R13(int8_t other, int8_t self) { return Lookup(kR13, self, other); }
int8_t FuzzyRules::R14(int8_t other, int8_t self) { return Lookup(kR14, self, other); }
