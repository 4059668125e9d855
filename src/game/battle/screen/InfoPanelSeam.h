#pragma once

class Battle;
class GView;

// What the battle asks of the unit information panel it lays into its control strip: the
// score shares its scoring computes and the portraits of its units. The panel lives in the
// game's user-interface layer, above the battle, and the program installs its maker; without
// one the strip keeps a plain view in the panel's place.
class InfoPanelSeam {
 public:
  // Makes the panel, placed in the parent, for the battle; the parent owns it.
  using Maker = InfoPanelSeam* (*)(Battle& battle, GView* parent);

  virtual ~InfoPanelSeam() = default;
  virtual GView* View() = 0;
  // Each side's share of the points, 0..1.
  virtual void SetScoreShares(float share0, float share1) = 0;
  virtual void PreloadUnitPictures() = 0;
};
