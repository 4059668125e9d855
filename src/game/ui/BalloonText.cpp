#include "game/ui/BalloonText.h"

#include "framework/core/GString255.h"
#include "framework/core/GString63.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/map/MapAppServices.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/vehicle/Vehicle.h"

namespace BalloonText {

std::string Load(uint32_t id) {
  GString255 text;
  text.LoadResource(id);
  return text.CStr();
}

std::string Number(int32_t value) { return std::to_string(value); }

std::string Float(float value, int32_t decimals) {
  GString63 text;
  text.AppendFloat(value, decimals);
  return text.CStr();
}

void PadTo(std::string& text, int32_t column) {
  if (static_cast<int32_t>(text.size()) < column) text.append(static_cast<size_t>(column) - text.size(), ' ');
}

void AppendRightIn6(std::string& text, int32_t value) {
  const std::string digits = Number(value);
  if (digits.size() < 6) text.append(6 - digits.size(), ' ');
  text += digits;
}

PanelItem Line(const std::string& text, int32_t x, int32_t y, int32_t font, Colour colour) {
  PanelItem item;
  item.text = text;
  item.x = x;
  item.y = y;
  item.font = font;
  item.r = colour.r;
  item.g = colour.g;
  item.b = colour.b;
  return item;
}

PanelItem Picture(int32_t number, int32_t x, int32_t y) {
  PanelItem item;
  item.picture = number;
  item.x = x;
  item.y = y;
  return item;
}

std::string DisplayName(const Unit& unit, bool longForm) {
  GString255 text;
  if (const auto* vehicle = unit.AsVehicleUnit()) {
    vehicle->GetDisplayName(text, longForm);
  } else if (const auto* infantry = unit.AsInfantryUnit()) {
    infantry->GetDisplayName(text, longForm);
  } else {
    unit.GetDisplayName(text);
  }
  return text.CStr();
}

Battle* CurrentBattle() { return dynamic_cast<Battle*>(UnitBattle()); }

bool PlayIsOver() {
  MapAppServices* app = UnitApp();
  if (app == nullptr) return false;
  if (auto* operation = dynamic_cast<Campaign*>(app->GetOperation())) return operation->IsOver();
  const Battle* battle = CurrentBattle();
  return battle != nullptr && battle->IsOver();
}

}  // namespace BalloonText
