#pragma once
#include <cstdint>

#include "framework/core/GFuzzySet.h"

// The rule tables of the target priority. Each table is written once, as data, with rows by
// the member id of the set a rule is called on (the set written first) and columns by the id
// of the set combined into it; every lookup is checked, and one outside its table stops the
// program. The Rule functions fit GFuzzySet::Combine.
class FuzzyRules {
 public:
  struct Table {
    const char* name;
    int8_t rows;
    int8_t columns;
    const int8_t* cells;  // rows x columns, row by row
  };

  // The cell at (row, column) of the table; fatal outside it.
  static int8_t Lookup(const Table& table, int32_t row, int32_t column);

  // Each rule takes (id of the other set, id of this set), as GFuzzySet::Combine calls it.
  // Threat from a weapon effect W (this) and the victim's value V (other).
  static int8_t R1(int8_t otherId, int8_t thisId);
  // Threat raised by nearness X.
  static int8_t R2(int8_t otherId, int8_t thisId);
  // Importance from the value (rows) and the threat (columns); R4 for smoke.
  static int8_t R3(int8_t otherId, int8_t thisId);
  static int8_t R4(int8_t otherId, int8_t thisId);
  // Importance after the supply (rows supply, columns importance); the second for smoke.
  static int8_t Supply(int8_t otherId, int8_t thisId);
  static int8_t SupplySmoke(int8_t otherId, int8_t thisId);
  static int8_t R5(int8_t otherId, int8_t thisId);
  static int8_t R6(int8_t otherId, int8_t thisId);
  static int8_t R7(int8_t otherId, int8_t thisId);
  static int8_t R8(int8_t otherId, int8_t thisId);
  static int8_t R9(int8_t otherId, int8_t thisId);
  static int8_t R10(int8_t otherId, int8_t thisId);
  static int8_t R11(int8_t otherId, int8_t thisId);
  static int8_t R12(int8_t otherId, int8_t thisId);
  static int8_t R13(int8_t otherId, int8_t thisId);
  static int8_t R14(int8_t otherId, int8_t thisId);

  // The tables themselves (R1 and R2 are rules over 5 x 3 and 5 x 2 cells, kept as tables
  // too so that every lookup is checked alike).
  static const Table kR1, kR2, kR3, kR4, kSupply, kSupplySmoke, kR5, kR6, kR7, kR8, kR9, kR10, kR11, kR12,
      kR13, kR14;
};
