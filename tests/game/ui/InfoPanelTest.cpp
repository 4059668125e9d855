// The unit information panel of the battle screen's strip: the overview's texts and help
// area, and what the unit display shows of own and enemy units.
#include <gtest/gtest.h>

#include "framework/core/GErrorLog.h"
#include "game/battle/screen/BattleScreenParts.h"
#include "game/map/Map.h"
#include "game/ui/InfoPanel.h"
#include "game/ui/MessageWindow.h"
#include "game/ui/OrderOverlay.h"
#include "game/ui/UnitDisplayRig.h"
#include "support/ResourceRecorder.h"

namespace {

class InfoPanelTest : public UnitDisplayRig {
 protected:
  InfoPanelTest() {
    auto* view = new GView;
    view->Place(nullptr, 0, 0, 800, 510);
    B().map->display.battleView = view;
    panel_ = new InfoPanel;
    panel_->SetUp(Root(), B());
  }
  ~InfoPanelTest() override { delete panel_; }

  static int32_t FindSquad(int32_t men) {
    return FindClass(gInfantryClasses, [men](const InfantryData& c) {
      return c.IsSquad() != 0 && c.Men() == men && c.LeaderLevel() == 0 && c.WeaponSlotCount() >= 1;
    });
  }

  InfoPanel* panel_ = nullptr;
};

TEST_F(InfoPanelTest, TheOverviewShowsDateSharesAndStrengthAsTheFogAllows) {
  EXPECT_EQ(panel_->Bounds().top, 6);
  EXPECT_EQ(panel_->Width(), 365);
  EXPECT_EQ(panel_->Height(), 84);
  B().date = 4412;
  B().strengthRatio[0] = 0.756f;
  B().strengthRatio[1] = 0.5f;
  panel_->SetScoreShares(0.5f, 0.5f);
  Host().options[10] = 2;
  std::vector<PanelItem> items = panel_->Compose();
  EXPECT_EQ(items.front().picture, 1001);
  const PanelItem* date = FindText(items, "December 44");
  ASSERT_NE(date, nullptr);
  EXPECT_EQ(date->x, 145);
  EXPECT_EQ(date->align, 0);
  int32_t shares = 0;
  for (const PanelItem& item : items) {
    if (item.text == "50%" && item.y == 76) ++shares;
  }
  EXPECT_EQ(shares, 2);
  const PanelItem* own = FindText(items, "75%");
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(own->x, 95);
  EXPECT_EQ(own->align, 1);
  const PanelItem* other = FindText(items, "-");
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->x, 95 + 266);
  // Partial fog shows the other side's strength.
  Host().options[10] = 1;
  B().date = 4501;
  items = panel_->Compose();
  EXPECT_NE(FindText(items, "January 45"), nullptr);
  EXPECT_NE(FindText(items, "50%"), nullptr);
  EXPECT_EQ(FindText(items, "-"), nullptr);
}

TEST_F(InfoPanelTest, TheStripLaysInTheInstalledPanelAndFeedsItTheShares) {
  BattleScreenParts::infoPanelMaker = &InfoPanel::Make;
  B().BuildScreenOfSize(800, 600);
  BattleScreenParts::infoPanelMaker = nullptr;
  auto* strip = dynamic_cast<InfoPanel*>(B().Screen().views.infoPanel);
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(B().Screen().infoPanelSeam, strip);
  EXPECT_EQ(strip->Bounds().left, 80);
  EXPECT_EQ(strip->Bounds().top, 510 + 6);
  B().bonusPoints[0] = 30;
  B().ComputeScoreShares(true, nullptr, nullptr);
  EXPECT_GT(B().scoreShare[0], 0.0f);
  EXPECT_EQ(strip->GetScorePercent(0), B().scoreShare[0] * 100.0f + 0.5f);
  EXPECT_EQ(strip->GetScorePercent(1), B().scoreShare[1] * 100.0f + 0.5f);
  B().CloseStrip();
  EXPECT_EQ(B().Screen().infoPanelSeam, nullptr);
  B().ComputeScoreShares(true, nullptr, nullptr);  // no panel: nothing to feed
}

TEST_F(InfoPanelTest, TheHelpAreaOpensTheKeyHelpOnlyInTheOverview) {
  RedrawAll();
  Click(102, 6 + 65);
  EXPECT_EQ(B().map->display.messageWindow, nullptr);
  Click(103, 6 + 65);
  ASSERT_NE(B().map->display.messageWindow, nullptr);
  delete B().map->display.messageWindow;
  EXPECT_EQ(B().map->display.messageWindow, nullptr);
  Click(182, 6 + 84 - 1);  // the panel's last row
  ASSERT_NE(B().map->display.messageWindow, nullptr);
  delete B().map->display.messageWindow;

  const int32_t squad = FindSquad(9);
  ASSERT_GE(squad, 0);
  B().selectedUnit = AddSquad(squad, 0);
  RedrawAll();
  Click(103, 6 + 65);
  EXPECT_EQ(B().map->display.messageWindow, nullptr);
  B().selectedUnit = nullptr;
}

TEST_F(InfoPanelTest, TheUnitDisplayShowsWhatTheViewerKnows) {
  const int32_t squadClass = FindSquad(9);
  ASSERT_GE(squadClass, 0);
  // A dead enemy seen at level 1: background, emblem and name only.
  Host().options[10] = 2;
  Infantry* dead = AddSquad(squadClass, 1);
  dead->alive = 0;
  dead->identificationLevel = 1;
  B().selectedUnit = dead;
  ASSERT_FALSE(panel_->ShowsOverview());
  std::vector<PanelItem> items = panel_->Compose();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].picture, 1000);
  EXPECT_EQ(items[1].picture, 420 + dead->GetKindGroup());
  EXPECT_EQ(items[2].x, 62);
  EXPECT_FALSE(items[2].text.empty());

  // The halves of a split squad of nine count their losses past their own shares (5 and 4).
  Infantry* first = AddSquad(squadClass, 0);
  Infantry* second = AddSquad(squadClass, 0);
  ASSERT_EQ(first->GetFullStrength(), 9);
  first->linkedHalf = second;
  second->linkedHalf = first;
  second->splitFlag = 1;
  first->losses = 7;
  second->losses = 7;
  auto casualties = [&](Unit* unit) {
    B().selectedUnit = unit;
    const std::vector<PanelItem> shown = panel_->Compose();
    for (const PanelItem& item : shown) {
      if (item.picture == 0 && item.x == 342) return item.text;
    }
    return std::string();
  };
  EXPECT_EQ(casualties(first), "2");
  EXPECT_EQ(casualties(second), "3");

  // The orders delay: 2.3 s and one pause of 15 s show 17.
  first->commandDelay = 2.3f;
  first->pendingDelaySteps = 1;
  B().selectedUnit = first;
  items = panel_->Compose();
  const PanelItem* delay = FindText(items, "17");
  ASSERT_NE(delay, nullptr);
  EXPECT_EQ(delay->x, 311);
  EXPECT_EQ(delay->y, 57);
  B().selectedUnit = nullptr;
}

TEST_F(InfoPanelTest, TheLimberIconFollowsTheTimerInOrdersAndThePacketBitInTheReplay) {
  const int32_t gunClass = FindClass(gInfantryClasses, [](const InfantryData& c) {
    const int32_t weapon = c.MainWeapon();
    return c.FigureKind(0) == 8 && gWeapons.IsValid(weapon) && gWeapons[weapon].Type() >= 1 &&
           gWeapons[weapon].Type() <= 3;
  });
  ASSERT_GE(gunClass, 0);
  Infantry* gun = AddSquad(gunClass, 0);
  B().selectedUnit = gun;
  auto limber = [&] {
    const std::vector<PanelItem> items = panel_->Compose();
    for (const PanelItem& item : items)
      if (item.picture == 1089) return true;
    return false;
  };
  gun->firingTimer = 0.0f;
  EXPECT_FALSE(limber());
  gun->firingTimer = 30.0f;
  EXPECT_TRUE(limber());
  // In the replay the timer is not consulted: the state packets' bit, clear, shows the icon.
  Host().inputMode = InputModes::kReplay;
  gun->firingBytes[Unit::kShownReloading] = 1;
  EXPECT_FALSE(limber());
  gun->firingTimer = 0.0f;
  gun->firingBytes[Unit::kShownReloading] = 0;
  EXPECT_TRUE(limber());
  Host().inputMode = InputModes::kNoPick;
  B().selectedUnit = nullptr;
}

// Infantry out of the fight is named by what it served: a gun's or a mortar's crew whose piece
// was hit was knocked out, a squad was eliminated. The panel's status icon and the words over a
// hovered unit say the same.
TEST_F(InfoPanelTest, AFallenCrewWasKnockedOutAndAFallenSquadEliminated) {
  auto classWith = [](int32_t type) {
    return FindClass(gInfantryClasses, [type](const InfantryData& c) {
      const int32_t weapon = c.MainWeapon();
      return c.FigureKind(0) == 8 && gWeapons.IsValid(weapon) && gWeapons[weapon].Type() == type;
    });
  };
  const int32_t squadClass = FindSquad(9);
  const int32_t gunClass = classWith(2);
  const int32_t mortarClass = classWith(4);
  ASSERT_GE(squadClass, 0);
  ASSERT_GE(gunClass, 0);
  ASSERT_GE(mortarClass, 0);
  Battle& battle = B();
  battle.setupPhase = 0;
  Infantry* watcher = AddSquad(squadClass, 0, 100.0f, 100.0f);
  OrderState& orders = battle.map->orders;
  orders.pickX = 320.0f;
  orders.pickY = 300.0f;
  auto status = [&](Unit* unit) {
    battle.selectedUnit = unit;
    for (const PanelItem& item : panel_->Compose())
      if (item.picture == 1047 || item.picture == 1049 || item.picture == 1091) return item.picture;
    return 0;
  };
  auto hoverText = [&](Unit* unit) {
    battle.SelectUnit(watcher);
    orders.hovered = unit;
    OrderOverlay::Trace trace;
    trace.found = true;
    trace.visibility = 1.0f;
    trace.distance = 250.0f;
    OrderOverlay overlay;
    overlay.LinePass(battle, true, trace, [](float x, float y, float, float& sx, float& sy) {
      sx = x;
      sy = y;
      return true;
    });
    orders.hovered = nullptr;
    return overlay.texts.size() > 1 ? overlay.texts[1].text : std::string();
  };
  const struct {
    int32_t classIndex;
    int32_t icon;
    const char* word;
  } cases[] = {
      {squadClass, 1091, "Eliminated "}, {gunClass, 1049, "Knocked out "}, {mortarClass, 1049, "Knocked out "}};
  float x = 300.0f;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.classIndex);
    Infantry* unit = AddSquad(c.classIndex, 0, x, 300.0f);
    x += 20.0f;
    unit->identificationLevel = 4;
    ASSERT_GT(unit->GetMenPresent(), 0);
    // A crew's piece was hit first (a crew whose piece still stands may man it again).
    if (c.classIndex != squadClass) unit->weaponKnockedOut = 1;
    unit->Eliminate();
    ASSERT_FALSE(unit->IsActive());
    ASSERT_FALSE(unit->IsDestroyedInPlace());  // its men or its piece are still there
    EXPECT_EQ(status(unit), c.icon);
    EXPECT_EQ(hoverText(unit).rfind(c.word, 0), 0u) << hoverText(unit);
  }
  battle.selectedUnit = nullptr;
}

TEST_F(InfoPanelTest, APortraitIndexOutsideTheCacheIsLoggedAndLeftOut) {
  panel_->LoadUnitPicture(27);
  panel_->LoadUnitPicture(-1);
  EXPECT_EQ(panel_->PictureOf(1127), nullptr);
  EXPECT_EQ(panel_->PictureOf(1099), nullptr);
  const std::string log = folder_.ReadFile(GErrorLog::kFileName);
  EXPECT_NE(log.find("Portrait Error:  27"), std::string::npos) << log;
  EXPECT_NE(log.find("Portrait Error:  -1"), std::string::npos) << log;
}

TEST_F(InfoPanelTest, TheKeyHelpWindowStandsCentredAndClosesOnAClick) {
  {
    GView parent;
    parent.Place(nullptr, 0, 0, 640, 480);
    auto* window = new MessageWindow(nullptr);
    PositionLargeWindow(window, &parent);
    EXPECT_EQ(window->Bounds().left, 10);
    EXPECT_EQ(window->Bounds().top, 96);
    EXPECT_EQ(window->Width(), 620);
    EXPECT_EQ(window->Height(), 335);
  }
  for (int32_t id : {1221, 1222, 1264}) ResourceRecorder::ExpectAbsent(PResourceObserver::Kind::kString, id);
  const std::vector<PanelItem> lines = MessageWindow::Compose();
  ASSERT_EQ(lines.size(), 47u);
  EXPECT_EQ(lines[0].text, "shift-C    Unit (visual) scale");
  EXPECT_EQ(lines[0].x, 4);
  EXPECT_EQ(lines[0].y, 10);
  for (int32_t line : {21, 22}) EXPECT_EQ(lines[static_cast<size_t>(line)].text, "");  // 1221, 1222
  EXPECT_EQ(lines[23 + 14].text, "");                                                   // 1264
  EXPECT_EQ(lines[23 + 14].x, 345);
  EXPECT_EQ(lines[23 + 14].y, 13 * 14 + 10);
  EXPECT_EQ(lines[23 + 22].text, "alt-G      Adjust Brightness (Gamma)");
  EXPECT_EQ(lines[46].text, "Click This Window to Remove");
  EXPECT_EQ(lines[46].x, 310);
  EXPECT_EQ(lines[46].y, 326);
  EXPECT_EQ(lines[46].align, 0);
  EXPECT_EQ(lines[46].g, 80);

  Map& map = *B().map;
  map.OpenKeyHelpWindow();
  auto* open = dynamic_cast<MessageWindow*>(map.display.messageWindow);
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->Bounds().left, 90);
  EXPECT_EQ(open->Bounds().top, 116);
  map.OpenKeyHelpWindow();
  EXPECT_EQ(map.display.messageWindow, open);
  RedrawAll();
  Click(90 + 300, 116 + 200);
  EXPECT_EQ(map.display.messageWindow, nullptr);
  map.OpenKeyHelpWindow();
  EXPECT_NE(map.display.messageWindow, nullptr);
  RedrawAll();
}

}  // namespace
