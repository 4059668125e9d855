#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/ui/GView.h"
#include "game/map/BalloonTarget.h"
#include "game/ui/PanelItem.h"

class GButton;
class KillRecordEntry;
class Map;
class Unit;

// The unit information balloon: a 402 x 390 panel over the top left of the battlefield view
// with everything the viewer may know of one unit: its title, then its kill record or its data
// page (a vehicle's type, movement, armour and machine guns; an infantry unit's classes,
// leader bonuses or special weapons and its small-arms firepower), its main weapon with the
// armour it defeats, and its passengers or carrier. A button at its top right switches between
// the data page and the kill record. It keeps no drawing state: every draw reads the unit anew.
class UnitInfoBalloon : public GView, public BalloonTarget {
 public:
  static constexpr int32_t kWidth = 402;
  static constexpr int32_t kHeight = 390;
  static constexpr int32_t kKillButtonCommand = 16;
  // The generator state every penetration search of the balloon starts from: the random
  // variation of the tables is the same at every draw, and the game's generator is untouched.
  static constexpr uint32_t kVariationSeed = 0x5EED0B1Du;

  // Clears the reference of the map that holds it.
  ~UnitInfoBalloon() override;

  // Places the balloon at (0, 0) of the parent, keeps the unit and adds the kill button.
  void Init(GView* parent, Unit* unit);
  // The map that holds the balloon (told when it goes).
  void SetMap(Map* map) { map_ = map; }
  void SetUnit(Unit* unit) override;
  void Close() override;
  Unit* GetUnit() const { return unit_; }
  void ToggleKillInfo() override;
  bool IsShowingKills() const { return showKills_; }

  void Draw() override;
  // Everything the next draw shows, in drawing order (the kill button's picture excepted).
  std::vector<PanelItem> Compose() const;

  // The destroyed-vehicle line of one kill entry: count, the class's short name (or
  // "unidentified vehicle" for a class below 0), "s" for more than one, "destroyed".
  static std::string KillLine(const KillRecordEntry& entry);
  // One ammunition kind's three rows of the penetration table (slopes 0, 30 and 60 degrees);
  // y advances by the rows.
  static void DrawPenetrationTable(std::vector<PanelItem>& out, bool allied, int32_t weapon, int32_t kind, int32_t& y,
                                   int32_t maxRange);
  // One kill entry's line at y + 15 (y advances).
  static void DrawKillLine(std::vector<PanelItem>& out, const KillRecordEntry& entry, int32_t& y);

 private:
  void ComposeKills(std::vector<PanelItem>& out, bool fullInfo) const;
  // The pages end the drawing when they return false.
  bool ComposeVehiclePage(std::vector<PanelItem>& out, bool fullInfo, int32_t level, int32_t& y) const;
  bool ComposeInfantryPage(std::vector<PanelItem>& out, bool fullInfo, int32_t level, int32_t& y) const;
  void ComposeWeapon(std::vector<PanelItem>& out, int32_t& y) const;
  void ComposePassengers(std::vector<PanelItem>& out, int32_t& y) const;

  Unit* unit_ = nullptr;  // not owned
  Map* map_ = nullptr;    // not owned
  bool showKills_ = false;
  GButton* button_ = nullptr;  // a child view
};
