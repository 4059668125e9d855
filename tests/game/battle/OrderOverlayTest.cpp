// The order overlays over a headless battle with test units: the texts of the line pass (their
// rows, places and colours), its line styles, and the labels of the waypoint and set-up passes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/battle/BattleTestRig.h"
#include "game/map/Map.h"
#include "game/ui/OrderOverlay.h"

namespace {

// A vehicle whose gun fires armour-piercing rounds at armour.
class GunVehicle : public TestVehicle {
 public:
  bool HasMainWeaponOfType123() const override { return true; }
  int32_t ChooseAmmo(const Unit*) const override { return 1; }
};

// An armoured vehicle with the six hit locations a kill rating weighs.
class ArmouredVehicle : public TestVehicle {
 public:
  ArmouredVehicle() { armored = true; }
  void AssessHit(int32_t, Unit*, bool, float, bool, float* armour, float* weight, float* ratio, int32_t& count,
                 float) override {
    count = 6;
    for (int32_t i = 0; i < count; ++i) {
      armour[i] = 50.0f;
      weight[i] = 1.0f / 6.0f;
      ratio[i] = 1.0f;
    }
  }
};

// The screen is the map seen flat: a point's screen point is its map x and y.
bool Flat(float x, float y, float, float& sx, float& sy) {
  sx = x;
  sy = y;
  return true;
}

class OrderOverlayTest : public testing::Test {
 protected:
  OrderOverlayTest() {
    battle = &rig.Fresh();
    battle->setupPhase = 0;
    selected = Add(BattleTestRig::MakeUnit(0, 0, 100.0f, 100.0f));
    battle->SelectUnit(selected);
    OrderState& state = battle->map->orders;
    state.pickX = 300.0f;
    state.pickY = 200.0f;
    state.originScreenX = 100;
  }
  Unit* Add(Unit* unit) {
    battle->PlaceUnitAt(unit, unit->x, unit->y);
    return unit;
  }
  Unit* Hover(Unit* unit) {
    unit->identificationLevel = 4;
    battle->map->orders.hovered = unit;
    return unit;
  }
  OrderOverlay Line(bool targetMode, float visibility, float distance = 250.0f) {
    OrderOverlay::Trace trace;
    trace.found = true;
    trace.visibility = visibility;
    trace.distance = distance;
    trace.blockX = 150.0f;
    trace.blockY = 120.0f;
    OrderOverlay overlay;
    overlay.LinePass(*battle, targetMode, trace, Flat);
    return overlay;
  }
  static std::vector<std::string> Words(const OrderOverlay& overlay) {
    std::vector<std::string> out;
    for (const MapView::Text& text : overlay.texts) out.push_back(text.text);
    return out;
  }
  // The row (y - the first text's y) of the text that starts with the words, -1 for none.
  static int32_t RowOf(const OrderOverlay& overlay, const std::string& start) {
    for (const MapView::Text& text : overlay.texts) {
      if (text.text.rfind(start, 0) == 0) return text.y - overlay.texts.front().y;
    }
    return -1;
  }

  BattleTestRig rig;
  Battle* battle = nullptr;
  Unit* selected = nullptr;
};

}  // namespace

TEST_F(OrderOverlayTest, TheDistanceIsRoundedAndTheLabelStandsAwayFromTheUnit) {
  OrderOverlay near = Line(false, 1.0f, 99.5f);
  ASSERT_EQ(near.texts.size(), 2u);  // distance and terrain, nothing more on a visible point
  EXPECT_EQ(near.texts[0].text, "100m");
  EXPECT_EQ(Line(false, 1.0f, 99.4f).texts[0].text, "99m");
  // The unit is drawn left of the point (100 < 300): the label goes 40 pixels right.
  EXPECT_EQ(near.texts[0].x, 340);
  EXPECT_EQ(near.texts[0].y, 204);
  EXPECT_EQ(near.texts[1].y, 217);
  // At equal screen x, and right of it, the label goes left.
  battle->map->orders.originScreenX = 300;
  EXPECT_EQ(Line(false, 1.0f).texts[0].x, 260);
  battle->map->orders.originScreenX = 500;
  EXPECT_EQ(Line(false, 1.0f).texts[0].x, 260);
  // A blocked point adds "Sight Blocked" on the third row; the line comes in two parts.
  OrderOverlay blocked = Line(false, 0.0f);
  ASSERT_EQ(blocked.texts.size(), 3u);
  EXPECT_EQ(blocked.texts[2].text, "Sight Blocked");
  EXPECT_EQ(RowOf(blocked, "Sight Blocked"), 26);
  ASSERT_EQ(blocked.lines.size(), 2u);
  EXPECT_EQ(blocked.lines[0].style, OrderOverlay::kStyleBlocked);
  EXPECT_EQ(blocked.lines[1].style, OrderOverlay::kStyleClear);
  EXPECT_EQ(blocked.lines[0].x0, 150.0f);
  EXPECT_EQ(blocked.lines[0].x1, 300.0f);
}

TEST_F(OrderOverlayTest, TextColoursFollowThePickAndTheRange) {
  const MapView::Text line = Line(false, 1.0f).texts[0];
  EXPECT_EQ(std::vector<int>({line.r, line.g, line.b}), std::vector<int>({220, 255, 220}));
  const MapView::Text target = Line(true, 1.0f).texts[0];
  EXPECT_EQ(std::vector<int>({target.r, target.g, target.b}), std::vector<int>({220, 255, 255}));
  static_cast<TestUnit*>(selected)->inRange = false;
  const MapView::Text far = Line(true, 1.0f).texts[0];
  EXPECT_EQ(far.text, "OUT OF RANGE");
  EXPECT_EQ(std::vector<int>({far.r, far.g, far.b}), std::vector<int>({220, 255, 0}));
  // The line pick does not ask the range.
  EXPECT_EQ(Line(false, 1.0f, 12.0f).texts[0].text, "12m");
}

TEST_F(OrderOverlayTest, HoveredUnitsShowWhoTheyAreAndWhetherTheyAreSeen) {
  Unit* enemy = Hover(Add(BattleTestRig::MakeUnit(0, 1, 300.0f, 200.0f)));
  // An enemy behind a crest: distance, "Enemy" and its name, then "Sight Blocked".
  EXPECT_EQ(Words(Line(true, 0.0f)), std::vector<std::string>({"250m", "Enemy Test unit", "Sight Blocked"}));
  // A visible friendly: only distance, "Friendly" and its name; behind the crest it adds the block.
  Unit* friendly = Hover(Add(BattleTestRig::MakeUnit(0, 0, 300.0f, 200.0f)));
  EXPECT_EQ(Words(Line(true, 1.0f)), std::vector<std::string>({"250m", "Friendly Test unit"}));
  EXPECT_EQ(Words(Line(true, 0.0f)), std::vector<std::string>({"250m", "Friendly Test unit", "Sight Blocked"}));
  // A unit out of the fight is named by its state.
  friendly->alive = 0;
  EXPECT_EQ(Line(true, 1.0f).texts[1].text, "Knocked out Test unit");
  // A visible identified enemy squad: where it is, how exposed, and the firer's firepower.
  Hover(enemy);
  const OrderOverlay seen = Line(true, 1.0f);
  EXPECT_EQ(RowOf(seen, "Exposure: "), 26);
  EXPECT_EQ(RowOf(seen, "in "), 39);
  EXPECT_EQ(RowOf(seen, "Firepower: "), 52);
  EXPECT_EQ(seen.texts.back().text.back(), '%');
  // A smoke target pick says so instead.
  battle->map->orders.secondTargetVariant = 1;
  EXPECT_EQ(Words(Line(true, 1.0f)), std::vector<std::string>({"250m", "Enemy Test unit", "SMOKE"}));
}

TEST_F(OrderOverlayTest, AnImmobilisedArmouredTargetMovesTheKillTextDown) {
  auto* gun = static_cast<GunVehicle*>(Add(new GunVehicle));
  gun->Setup(100.0f, 100.0f, 0.0f, 6, 2);
  gun->side = selected->side;
  battle->SelectUnit(gun);
  auto* tank = new ArmouredVehicle;
  tank->Setup(300.0f, 200.0f, 0.0f, 0, 2);
  tank->side = 1 - selected->side;
  Add(tank);
  Hover(tank);
  const OrderOverlay moving = Line(true, 1.0f);
  EXPECT_EQ(RowOf(moving, "Hit: "), 26);
  EXPECT_EQ(moving.texts.size(), 4u);
  EXPECT_EQ(RowOf(moving, "IMMOBILIZED"), -1);
  const std::string kill = "Kill: ";
  EXPECT_EQ(RowOf(moving, kill), 39);
  tank->immobilized = 1;
  const OrderOverlay stuck = Line(true, 1.0f);
  EXPECT_EQ(RowOf(stuck, kill), 52);
  EXPECT_EQ(RowOf(stuck, "IMMOBILIZED"), 39);
  // An emplacement is never called immobilised.
  tank->emplacement = true;
  EXPECT_EQ(RowOf(Line(true, 1.0f), "IMMOBILIZED"), -1);
}

TEST_F(OrderOverlayTest, WithoutASelectedUnitNoPassDrawsAnything) {
  battle->SelectUnit(nullptr);
  for (int32_t mode = 0; mode <= 10; ++mode) {
    OrderOverlay overlay;
    overlay.Build(*battle, mode, Flat);
    EXPECT_TRUE(overlay.texts.empty()) << mode;
    EXPECT_TRUE(overlay.lines.empty()) << mode;
    EXPECT_EQ(overlay.legUnit, nullptr) << mode;
  }
}

TEST_F(OrderOverlayTest, WaypointAndSetUpPassesLabelTheirPoint) {
  battle->map->orders.pendingMoveCode = kOrderMove;
  OrderOverlay move;
  move.Build(*battle, 2, Flat);
  EXPECT_EQ(move.legUnit, selected);
  EXPECT_EQ(move.legCode, 22);
  ASSERT_EQ(move.texts.size(), 1u);
  EXPECT_EQ(move.texts[0].y, 192);
  EXPECT_EQ(std::vector<int>({move.texts[0].r, move.texts[0].g, move.texts[0].b}),
            std::vector<int>({130, 255, 255}));
  Unit* carrier = Hover(Add(BattleTestRig::MakeUnit(1, 0, 310.0f, 220.0f)));
  OrderOverlay drag;
  drag.Build(*battle, 4, Flat);
  EXPECT_EQ(drag.legUnit, nullptr);
  ASSERT_EQ(drag.texts.size(), 1u);
  EXPECT_EQ(drag.texts[0].text, "Embark");
  EXPECT_EQ(drag.texts[0].x, 310);
  EXPECT_EQ(drag.texts[0].y, 212);

  battle->map->orders.hovered = nullptr;
  OrderOverlay facing;
  facing.Build(*battle, 7, Flat);
  ASSERT_EQ(facing.lines.size(), 1u);
  EXPECT_EQ(facing.lines[0].style, OrderOverlay::kStyleFacing);
  EXPECT_FALSE(facing.lines[0].wide);
  EXPECT_EQ(Words(facing), std::vector<std::string>({"Rotate"}));
  OrderOverlay flag;
  flag.Build(*battle, 8, Flat);
  EXPECT_EQ(flag.lines[0].style, OrderOverlay::kStyleFlag);
  EXPECT_EQ(Words(flag), std::vector<std::string>({"Click near base of Flag"}));
  EXPECT_EQ(flag.texts[0].r + flag.texts[0].g + flag.texts[0].b, 3 * 255);
  Hover(carrier);
  OrderOverlay place;
  place.Build(*battle, 6, Flat);
  EXPECT_EQ(Words(place), std::vector<std::string>({"Embark"}));
  ASSERT_EQ(place.lines.size(), 1u);
  EXPECT_TRUE(place.lines[0].style == OrderOverlay::kStylePlaceAllowed ||
              place.lines[0].style == OrderOverlay::kStylePlaceRefused);
  EXPECT_EQ(place.lines[0].x1, 310.0f);
}
