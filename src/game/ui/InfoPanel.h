#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "framework/ui/GView.h"
#include "game/battle/screen/InfoPanelSeam.h"
#include "game/ui/PanelItem.h"

class Battle;
class GGraphic;
class Unit;

// The unit information panel of the battle screen's strip, 365 x 84 at (0, 6). Without a
// unit selected it shows the battle overview (turns, game name, date, weather, ground, and
// each side's emblem, strength and score); with one it shows the unit as far as the viewer may
// know it. A click on the overview's help area opens the key help window.
class InfoPanel : public GView, public InfoPanelSeam {
 public:
  static constexpr int32_t kWidth = 365;
  static constexpr int32_t kHeight = 84;
  static constexpr int32_t kPortraits = 27;

  ~InfoPanel() override;

  // The maker the battle uses to lay the panel into its strip.
  static InfoPanelSeam* Make(Battle& battle, GView* parent);

  // Places the panel, loads its pictures and preloads the portraits of the battle's units.
  void SetUp(GView* parent, Battle& battle);
  void PreloadUnitPictures() override;
  // Loads portrait index (0..26) once; any other index is logged and loads nothing.
  void LoadUnitPicture(int32_t index);
  void SetScoreShares(float share0, float share1) override;
  GView* View() override { return this; }
  float GetScorePercent(int32_t side) const { return scorePercent_[side & 1]; }

  void Draw() override;
  void MouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control) override;
  // The overview shows (no unit selected, or a dead one that does not count).
  bool ShowsOverview() const;
  // What the next draw shows, in drawing order.
  std::vector<PanelItem> Compose() const;
  // The loaded picture of a number, or null.
  GGraphic* PictureOf(int32_t number) const;

 private:
  void ComposeOverview(std::vector<PanelItem>& out) const;
  void ComposeUnit(std::vector<PanelItem>& out, const Unit& unit) const;
  // Width of a loaded picture (0 when missing).
  int32_t PictureWidth(int32_t number) const;
  void LoadPicture(int32_t number);

  Battle* battle_ = nullptr;  // not owned
  float scorePercent_[2] = {};
  std::map<int32_t, GGraphic*> pictures_;  // owned, by bitmap number
};
