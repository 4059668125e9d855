#pragma once
#include <array>
#include <cstdint>

#include "game/battle/screen/InfoPanelSeam.h"

class BattleBlinkIndicator;
class BattleProgressBar;
class BattleSecondsDisplay;
class GGraphic;
class GSoundStream;
class GView;

// What the battle's screen holds: the control strip's views, the pictures the strip and the
// orders menus draw, the terrain graphics, the unit information panel and the ambient sound.
// The battle keeps one for its screen (Battle::Screen) and its rules never look inside: no
// rules file includes this header.
class BattleScreenParts {
 public:
  // The views of the strip along the foot of the screen; the root owns the others and goes
  // with Battle::CloseStrip. Pictures that cannot be loaded leave their places empty.
  struct Views {
    GView* root = nullptr;
    GView* mainPanel = nullptr;
    GView* infoPanel = nullptr;  // a plain stand-in until the unit panel exists
    GView* cameraPanel = nullptr;
    GView* replayPanel = nullptr;
    GView* goPicture = nullptr;
    GView* networkPanel = nullptr;
    BattleBlinkIndicator* blinkIndicator = nullptr;
    BattleSecondsDisplay* secondsDisplay = nullptr;
    BattleProgressBar* progressBar = nullptr;
  };

  BattleScreenParts() = default;
  // The terrain graphics and the screen object; the strip, the other pictures and the ambient
  // sound have gone with Battle::CloseScreen before.
  ~BattleScreenParts();
  BattleScreenParts(const BattleScreenParts&) = delete;
  BattleScreenParts& operator=(const BattleScreenParts&) = delete;

  static constexpr int32_t kPanelPictures = 7;
  static constexpr int32_t kUnitPictures = 35;
  static constexpr int32_t kTerrainGraphics = 4;

  Views views;
  GGraphic* screenObject = nullptr;  // owned: graphic 10037 of kind 1, null when missing
  // The maker of the unit information panel (the program installs it; without one the strip
  // keeps a plain view in its place), and the panel the strip holds (null without one).
  static InfoPanelSeam::Maker infoPanelMaker;
  InfoPanelSeam* infoPanelSeam = nullptr;
  std::array<GGraphic*, kPanelPictures> panelPictures{};      // bitmaps 1680.., owned
  std::array<GGraphic*, kUnitPictures> unitPictures{};        // bitmaps 1600.., owned
  std::array<GGraphic*, kTerrainGraphics> terrainGraphics{};  // 11250.., owned
  GSoundStream* ambientSound = nullptr;                       // owned
  float unitExtras[3] = {};                                   // the last DrawUnitExtras values
};
