#pragma once
#include <array>
#include <cstdint>
#include <vector>

class GLabel;
class GPopup;
class GView;
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
// The editor screens' background, dark red (35, 0, 0), as a pixel of the current host.
uint16_t DarkRedPixel();
// An unfilled label of the string at (x, y) of the parent.
GLabel* MakeLabel(GView* parent, int32_t x, int32_t y, int32_t width, int16_t stringId);
// A popup of the strings' texts (a negative entry -n - 1 is the number n) at (x, y) of the
// parent, at the item current clamped into the list, sending command (-1 none).
GPopup* MakePopup(GView* parent, int32_t x, int32_t y, const std::vector<int32_t>& strings, int32_t current,
                  int32_t command);

}  // namespace Editor
