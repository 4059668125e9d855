#pragma once
#include <array>
#include <cstdint>

class Unit;

// Small services the editor's purchase screens share.
namespace Editor {

// The purchase category 0..5 (Infantry, Support, Vehicle, Armor, Artillery, Fortification) of a
// unit's purchase code.
int32_t CategoryOfPurchaseCode(int32_t code);
// Adds the unit's cost, truncated, to the total of its category.
void AddUnitCostByCategory(const Unit& unit, std::array<int32_t, 6>& totals);
// The catalogue row 0..12 of a force code; -1 for a code with no row.
int32_t CatalogueForceIndex(int32_t forceCode);
// The force code of a catalogue row 0..12; another row is a programmer error (fatal).
int32_t CatalogueRowForce(int32_t row);

}  // namespace Editor
