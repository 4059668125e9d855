#pragma once
#include <array>
#include <cstdint>

#include "game/units/tables/SurnameList.h"

class GString;
class Unit;

// Leader names: surnames drawn from the six national lists without repeats inside a battle,
// and the rank and surname shown for a unit.
class Names {
 public:
  static constexpr int32_t kTries = 5000;

  // Draws the unit's surname (and a squad's second surname) among those not yet given.
  static void AssignLeaderName(Unit& unit);
  // Sets the text to the unit's leader name, with its rank abbreviation and a blank first
  // when withRank is set.
  static void AppendLeaderName(const Unit& unit, GString& text, bool withRank);
  // The rank abbreviation of a set 0..2 and a rank 0..5.
  static const char* RankAbbreviation(int32_t set, int32_t rank);

  // The designation state of one side: next letter, two counters (squad number, team
  // number) and two flags.
  struct SideDesignation {
    char nextLetter = 'A';
    std::array<int32_t, 2> counters{0, 1};
    std::array<uint8_t, 2> flags{};
    // The next headquarters number (infantry designations).
    int32_t headquarters = 0;
  };
  static std::array<SideDesignation, 2> gSides;
  // 1 for a surname given in this battle, per group.
  static std::array<std::array<uint8_t, SurnameList::kLongest>, SurnameList::kGroups> gUsed;
};
