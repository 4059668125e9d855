#include "editor/EditorUnits.h"

#include <algorithm>

#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GViewHost.h"
#include "game/units/Unit.h"

namespace {

constexpr const char* kUnitsSource = "Editor.cpp";

// The force code of each catalogue row: the five Axis forces, then the eight Allied ones.
constexpr int32_t kRowForces[13] = {6, 11, 7, 8, 10, 0, 1, 3, 4, 12, 14, 15, 17};

}  // namespace

namespace Editor {

int32_t CategoryOfPurchaseCode(int32_t code) {
  switch (code) {
    case 2:
    case 10:
      return 1;  // Support
    case 3:
    case 6:
      return 4;  // Artillery
    case 4:
      return 3;  // Armor
    case 5:
    case 8:
      return 5;  // Fortification
    case 9:
      return 2;  // Vehicle
    default:
      return 0;  // Infantry
  }
}

void AddUnitCostByCategory(const Unit& unit, std::array<int32_t, 6>& totals) {
  const auto cost = static_cast<int32_t>(unit.GetPurchaseCost());
  totals[static_cast<size_t>(CategoryOfPurchaseCode(unit.GetPurchaseCode()))] += cost;
}

int32_t CatalogueForceIndex(int32_t forceCode) {
  for (int32_t row = 0; row < 13; ++row) {
    if (kRowForces[row] == forceCode) return row;
  }
  return -1;
}

int32_t CatalogueRowForce(int32_t row) {
  if (row < 0 || row >= 13) FatalError(__LINE__, kUnitsSource);
  return kRowForces[row];
}

uint16_t DarkRedPixel() {
  GViewHost* host = GViewHost::Current();
  return host != nullptr ? static_cast<uint16_t>(host->RGBToPixel(35, 0, 0)) : 0;
}

GLabel* MakeLabel(GView* parent, int32_t x, int32_t y, int32_t width, int16_t stringId) {
  auto* label = new GLabel();
  label->InitWithResource(parent, x, y, width, stringId);
  label->SetFill(0);
  return label;
}

GPopup* MakePopup(GView* parent, int32_t x, int32_t y, const std::vector<int32_t>& strings, int32_t current,
                  int32_t command) {
  std::vector<GString255> texts(strings.size());
  std::vector<const GString*> items(strings.size());
  for (size_t i = 0; i < strings.size(); ++i) {
    if (strings[i] >= 0) {
      texts[i].LoadResource(static_cast<uint32_t>(strings[i]));
    } else {
      texts[i].AssignNumber(-strings[i] - 1);
    }
    items[i] = &texts[i];
  }
  const auto count = static_cast<int32_t>(strings.size());
  auto* popup = new GPopup();
  popup->Init(parent, x, y, count, items.data(), std::clamp(current, 0, count - 1));
  popup->SetCommand(command);
  return popup;
}

}  // namespace Editor
