#pragma once
#include <array>
#include <cstdint>

#include "framework/core/GObject.h"
#include "framework/core/GObjectGroup.h"

class EditorState;
class PurchaseEntry;

// Everything a side can buy: for each of the 13 forces and each of the six purchase
// categories, a list of entries it owns. Row r, category c is list r x 6 + c.
class UnitCatalogue : public GObject {
 public:
  static constexpr int32_t kRows = 13;
  static constexpr int32_t kCategories = 6;
  static constexpr int32_t kLists = kRows * kCategories;

  // What a fill depends on: the battle's date, type, hour and weather, the editor's preset
  // side and chosen force.
  struct Conditions {
    int32_t date = 4411;
    int32_t battleType = 1;  // 0 Axis attacker, 1 Allied attacker, 2 meeting engagement
    int32_t presetSide = 0;
    bool hasBattle = false;
    int32_t timeOfDay = 0;  // 0 Day
    int32_t weather = 0;    // 0 Clear
  };

  UnitCatalogue();
  ~UnitCatalogue() override;
  UnitCatalogue(const UnitCatalogue&) = delete;
  UnitCatalogue& operator=(const UnitCatalogue&) = delete;

  // The conditions of the scenario the editor works on.
  static Conditions ConditionsOf(const EditorState& state);
  // Empties and fills every list. Weighted fills (the computer's purchase) keep only entries
  // whose choice weight for the side is above 0 and record it; with the attacker flag
  // infantry types of kind 0 and 1 are left out. The game's generator is left as it was.
  void Fill(const Conditions& conditions, bool weighted, bool attacker);
  void Fill(const EditorState& state, bool weighted, bool attacker) { Fill(ConditionsOf(state), weighted, attacker); }

  // The list of row 0..12 and category 0..5; another index is a programmer error (fatal).
  GObjectGroup& List(int32_t row, int32_t category);
  const GObjectGroup& List(int32_t row, int32_t category) const;
  PurchaseEntry* Entry(int32_t row, int32_t category, int32_t index) const;
  int32_t TotalEntries() const;

 private:
  std::array<GObjectGroup, kLists> lists_;
};
