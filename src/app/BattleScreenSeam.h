#pragma once
#include <cstdint>

class GString;

// What the application asks of the battle screen beyond the battle and its map: the
// battle's key handler, the map's menus, its view and its view texts, the briefing and the
// notices the idle step shows. The battle screen implements it when it comes; until then the
// application uses this base, whose answers are those of a battle shown without a screen
// (no view, no menu, keys and texts go nowhere). Tests put in a recording one.
class BattleScreenSeam {
 public:
  virtual ~BattleScreenSeam() = default;

  // The battle's key handler, for the keys the application passes on.
  virtual void HandleKey(uint8_t /*key*/, bool /*alt*/, bool /*keypad*/) {}
  // One of the map's menus (orders, waypoint, vehicle question) is open: keys go to it.
  virtual bool HasMapMenuOpen() const { return false; }
  // Shows a short text in the battlefield view (an empty text shows nothing).
  virtual void ShowViewMessage(const GString& /*text*/) {}
  // The battlefield view exists; it is visible; it takes the mouse (enabled).
  virtual bool HasMapView() const { return false; }
  virtual bool IsMapViewVisible() const { return false; }
  virtual void SetMapViewEnabled(bool /*enabled*/) {}
  // Shows the radio chat entry line; false when the view has none.
  virtual bool ShowRadioEntry() { return false; }
  // The button panel the battle screen builds hidden (bitmap 2010) exists and shows.
  virtual bool IsButtonPanelVisible() const { return false; }
  // Deletes the map's message window when one shows.
  virtual void CloseMessageWindow() {}
  // The battle's ambient sound starts again (sound switched on or off).
  virtual void RestartAmbientSound() {}
  // The play balance value the battle applied, and its per-side notice (taken: cleared).
  virtual int32_t PlayBalance() const { return 0; }
  virtual bool TakePlayBalanceNotice(int32_t /*side*/) { return false; }
  // The map's draw state (0 not drawn, 1 kept hidden, 2 drawn).
  virtual void SetMapDrawState(int32_t /*state*/) {}
};
