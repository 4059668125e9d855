// The unit-pair visibility cache: its bit layout, validity against the units' movement,
// invalidation near a point and by a burning tile, and switching it off.
#include <cstdint>

#include "MapTestRig.h"
#include "framework/core/GDynamicArray.h"

namespace {

class MapVisibilityCache : public ::testing::Test {
 protected:
  void SetUp() override {
    battle = &rig.app.MakeBattle();
    map = rig.Default(20, 20);
    battle->slice = 100;
  }
  FakeUnit& Add(float x, float y) {
    battle->units.push_back(std::make_unique<FakeUnit>(MapUnitView::kInfantry, 0, x, y));
    return *battle->units.back();
  }
  FakeUnit* U(int i) { return battle->units[static_cast<size_t>(i)].get(); }
  uint32_t Word(int i, int j) const {
    return static_cast<GDynamicArray*>(map->display.pairVisibility)->GetU32(i, j);
  }
  bool Has(int a, int b) {
    bool seen = false;
    return map->CachedVisibility(U(a), U(b), seen);
  }

  MapRig rig;
  FakeBattle* battle = nullptr;
  std::unique_ptr<Map> map;
};

}  // namespace

TEST_F(MapVisibilityCache, BitLayoutAndReadingEitherWay) {
  Add(0.0f, 0.0f);
  Add(100.0f, 0.0f);
  Add(0.0f, 100.0f);
  bool seen = false;
  EXPECT_FALSE(map->CachedVisibility(U(0), U(1), seen));  // not made yet
  map->StoreVisibility(U(2), U(0), true, 0.5f, true, true, false);
  EXPECT_EQ(map->VisibilityCacheSize(), 3);
  // Lower index 0 has flag false (bit 13 clear), higher index 2 flag true (bit 12).
  EXPECT_EQ(Word(0, 2), (32500u << 16) | 0x8000u | 0x4000u | 0x1000u | 100u);
  EXPECT_EQ(Word(2, 0), 0xFFFu);  // only i < j is used
  EXPECT_EQ(Word(0, 1), 0xFFFu);
  float value = 0.0f;
  bool pair = false;
  bool flagOfB = false;
  ASSERT_TRUE(map->CachedVisibility(U(0), U(2), seen, &value, &pair, &flagOfB));
  EXPECT_TRUE(seen);
  EXPECT_EQ(value, 32500.0f / 65000.0f);
  EXPECT_TRUE(pair);
  EXPECT_TRUE(flagOfB);  // the flag stored for unit 2
  ASSERT_TRUE(map->CachedVisibility(U(2), U(0), seen, &value, &pair, &flagOfB));
  EXPECT_FALSE(flagOfB);  // the flag stored for unit 0
  // Without the pair flag neither unit's flag is stored, and b's flag is not written.
  map->StoreVisibility(U(0), U(1), false, 0.25f, false, true, true);
  EXPECT_EQ(Word(0, 1), (16250u << 16) | 100u);
  flagOfB = true;
  ASSERT_TRUE(map->CachedVisibility(U(0), U(1), seen, &value, &pair, &flagOfB));
  EXPECT_FALSE(seen);
  EXPECT_FALSE(pair);
  EXPECT_TRUE(flagOfB);
  // A negative value keeps the stored value bits and changes flags and stamp.
  battle->slice = 300;
  map->StoreVisibility(U(1), U(0), true, -1.0f, true, false, true);
  EXPECT_EQ(Word(0, 1), (16250u << 16) | 0x8000u | 0x4000u | 0x2000u | 300u);
  // Negative slices are stamped 0; the stamp is the slice's low 12 bits.
  battle->slice = -1;
  map->StoreVisibility(U(1), U(2), true, 1.0f, false, false, false);
  EXPECT_EQ(Word(1, 2), (65000u << 16) | 0x8000u);
  battle->slice = 4096 + 7;
  map->StoreVisibility(U(1), U(2), true, 1.0f, false, false, false);
  EXPECT_EQ(Word(1, 2) & 0xFFFu, 7u);
  // A value above 1 does not spill into the other bits.
  map->StoreVisibility(U(1), U(2), false, 1.5f, false, false, false);
  EXPECT_EQ(Word(1, 2) >> 16, 0xFFFFu);
}

TEST_F(MapVisibilityCache, ValidityMovementAndTheUnitList) {
  Add(0.0f, 0.0f);
  Add(100.0f, 0.0f);
  // Stored at slice 4095: the stamp reads as empty.
  battle->slice = 4095;
  map->StoreVisibility(U(0), U(1), true, 1.0f, false, false, false);
  EXPECT_FALSE(Has(0, 1));
  battle->slice = 100;
  map->StoreVisibility(U(0), U(1), true, 1.0f, false, false, false);
  EXPECT_TRUE(Has(0, 1));
  U(1)->lastMovingSlice = 99;
  EXPECT_TRUE(Has(0, 1));
  U(1)->lastMovingSlice = 100;  // moved in the stored slice
  EXPECT_FALSE(Has(0, 1));
  U(1)->lastMovingSlice = -1;
  U(0)->lastMovingSlice = 150;
  EXPECT_FALSE(Has(1, 0));
  U(0)->lastMovingSlice = -1;
  // A unit added after the grid was made, and one not in the battle, are ignored.
  FakeUnit& late = Add(50.0f, 50.0f);
  FakeUnit stranger(MapUnitView::kInfantry, 0, 1.0f, 1.0f);
  map->StoreVisibility(U(0), &late, true, 1.0f, false, false, false);
  map->StoreVisibility(&stranger, U(0), true, 1.0f, false, false, false);
  bool seen = false;
  EXPECT_FALSE(map->CachedVisibility(U(0), &late, seen));
  EXPECT_FALSE(map->CachedVisibility(&stranger, U(1), seen));
  EXPECT_FALSE(map->CachedVisibility(U(0), U(0), seen));
  // Units whose places in the list were exchanged are out of the cache until it is made again.
  std::swap(battle->units[0], battle->units[1]);
  EXPECT_FALSE(Has(0, 1));
  map->StoreVisibility(U(0), U(1), true, 1.0f, false, false, false);
  EXPECT_FALSE(Has(0, 1));
  std::swap(battle->units[0], battle->units[1]);
  EXPECT_TRUE(Has(0, 1));
  // Freed: nothing until the next store makes the grid again.
  map->FreeVisibilityCache();
  EXPECT_FALSE(Has(0, 1));
  EXPECT_EQ(map->VisibilityCacheSize(), 0);
  map->StoreVisibility(U(0), U(1), true, 1.0f, false, false, false);
  EXPECT_EQ(map->VisibilityCacheSize(), 3);
}

TEST_F(MapVisibilityCache, AUnitLeavingTheListNeverLendsItsAnswersToAnother) {
  // Units 0 and 1 see each other; 0 and 2 do not. Unit 1 leaves the list, so unit 2 now
  // stands at place 1: it must not be given the answer stored for the pair (0, 1), and the
  // pair (0, 2) is not read from its old place either.
  Add(0.0f, 0.0f);
  Add(100.0f, 0.0f);
  Add(0.0f, 100.0f);
  map->StoreVisibility(U(0), U(1), true, 1.0f, false, false, false);
  map->StoreVisibility(U(0), U(2), false, 0.0f, false, false, false);
  ASSERT_TRUE(Has(0, 1));
  battle->units.erase(battle->units.begin() + 1);
  bool seen = false;
  EXPECT_FALSE(map->CachedVisibility(U(0), U(1), seen));
  map->StoreVisibility(U(0), U(1), true, 1.0f, false, false, false);
  EXPECT_FALSE(map->CachedVisibility(U(0), U(1), seen));
  // Made again, the cache holds the list as it is now.
  map->FreeVisibilityCache();
  map->StoreVisibility(U(0), U(1), false, 0.0f, false, false, false);
  ASSERT_TRUE(map->CachedVisibility(U(1), U(0), seen));
  EXPECT_FALSE(seen);
}

// A battle with no units, or one, holds no pair: a store makes no grid and changes nothing.
// A store lapses unread when one of the pair moved in or after the slice it would be stamped
// with (and the entry it replaces is no newer, or either unit holds no place in the grid), or
// when the cache is off; never while the first store is yet to make the grid.
TEST_F(MapVisibilityCache, AStoreLapsesOnlyWhenNoLaterReadCouldTakeIt) {
  Add(0.0f, 0.0f);
  Add(100.0f, 0.0f);
  FakeUnit stranger(MapUnitView::kInfantry, 0, 1.0f, 1.0f);
  U(0)->lastMovingSlice = 150;
  EXPECT_FALSE(map->VisibilityStoreLapses(U(0), U(1)));  // no grid: the store would make it
  map->StoreVisibility(U(0), U(1), true, 1.0f, false, false, false);
  ASSERT_EQ(map->VisibilityCacheSize(), 2);
  EXPECT_TRUE(map->VisibilityStoreLapses(U(0), U(1)));
  EXPECT_TRUE(map->VisibilityStoreLapses(U(1), U(0)));
  EXPECT_TRUE(map->VisibilityStoreLapses(U(0), U(0)));
  EXPECT_TRUE(map->VisibilityStoreLapses(&stranger, U(0)));
  EXPECT_FALSE(map->VisibilityStoreLapses(&stranger, U(1)));  // both stand: not looked up
  // Moved in the slice itself: lapses; one slice before: the entry would count.
  U(0)->lastMovingSlice = 100;
  EXPECT_TRUE(map->VisibilityStoreLapses(U(1), U(0)));
  U(0)->lastMovingSlice = 99;
  EXPECT_FALSE(map->VisibilityStoreLapses(U(0), U(1)));
  U(1)->lastMovingSlice = 101;
  EXPECT_TRUE(map->VisibilityStoreLapses(U(0), U(1)));
  // An entry stamped later than the slice now (the stamp wraps past 4095) would be replaced:
  // the store counts.
  battle->slice = 700;
  U(0)->lastMovingSlice = -1;
  U(1)->lastMovingSlice = -1;
  map->StoreVisibility(U(0), U(1), true, 1.0f, false, false, false);
  battle->slice = 4096 + 50;
  U(1)->lastMovingSlice = 60;
  EXPECT_FALSE(map->VisibilityStoreLapses(U(0), U(1)));
  EXPECT_TRUE(map->VisibilityStoreLapses(&stranger, U(1)));  // no place: nothing to replace
  battle->slice = 4096 + 800;
  U(1)->lastMovingSlice = 900;
  EXPECT_TRUE(map->VisibilityStoreLapses(U(0), U(1)));
  // Nothing is stored while the cache is off.
  U(1)->lastMovingSlice = -1;
  EXPECT_FALSE(map->VisibilityStoreLapses(U(0), U(1)));
  map->SetVisibilityCacheEnabled(false);
  EXPECT_TRUE(map->VisibilityStoreLapses(U(0), U(1)));
  map->SetVisibilityCacheEnabled(true);
}

TEST_F(MapVisibilityCache, NoGridBeforeTwoUnits) {
  FakeUnit stranger(MapUnitView::kInfantry, 0, 1.0f, 1.0f);
  FakeUnit other(MapUnitView::kInfantry, 1, 9.0f, 1.0f);
  map->StoreVisibility(&stranger, &other, true, 1.0f, false, false, false);
  EXPECT_EQ(map->display.pairVisibility, nullptr);
  Add(0.0f, 0.0f);
  map->StoreVisibility(U(0), &other, true, 1.0f, false, false, false);
  EXPECT_EQ(map->display.pairVisibility, nullptr);
  Add(100.0f, 0.0f);
  map->StoreVisibility(U(0), U(1), true, 1.0f, false, false, false);
  EXPECT_TRUE(Has(0, 1));
  EXPECT_EQ(map->VisibilityCacheSize(), 2);
}

TEST_F(MapVisibilityCache, SwitchedOff) {
  Add(0.0f, 0.0f);
  Add(100.0f, 0.0f);
  map->SetVisibilityCacheEnabled(false);
  map->StoreVisibility(U(0), U(1), true, 1.0f, false, false, false);
  EXPECT_EQ(map->display.pairVisibility, nullptr);
  map->SetVisibilityCacheEnabled(true);
  map->StoreVisibility(U(0), U(1), true, 1.0f, false, false, false);
  map->SetVisibilityCacheEnabled(false);
  EXPECT_FALSE(Has(0, 1));
  map->InvalidateVisibilityNear(50.0f, 0.0f, 10.0f);
  map->SetVisibilityCacheEnabled(true);
  EXPECT_TRUE(Has(0, 1));
}

TEST_F(MapVisibilityCache, InvalidationNearAPoint) {
  Add(100.0f, 100.0f);  // 0
  Add(200.0f, 100.0f);  // 1: a line along x
  Add(100.0f, 300.0f);  // 2: a line along y from 0
  Add(100.0f, 100.0f);  // 3: on the same point as 0
  Add(101.0f, 300.0f);  // 4: a nearly vertical line from 0
  auto storeAll = [&] {
    for (int i = 0; i < 5; ++i) {
      for (int j = i + 1; j < 5; ++j) map->StoreVisibility(U(i), U(j), true, 1.0f, false, false, false);
    }
  };
  storeAll();
  // Beside the middle of 0-1, within the radius.
  map->InvalidateVisibilityNear(150.0f, 105.0f, 10.0f);
  EXPECT_FALSE(Has(0, 1));
  EXPECT_FALSE(Has(1, 3));  // the same line from the twin
  EXPECT_TRUE(Has(0, 2));
  EXPECT_TRUE(Has(0, 3));  // one point: no line, kept
  storeAll();
  // Up to one radius beyond an end, and not further.
  map->InvalidateVisibilityNear(209.0f, 100.0f, 10.0f);
  EXPECT_FALSE(Has(0, 1));
  storeAll();
  map->InvalidateVisibilityNear(211.0f, 100.0f, 10.0f);
  EXPECT_TRUE(Has(0, 1));
  map->InvalidateVisibilityNear(90.5f, 100.0f, 10.0f);  // behind unit 0
  EXPECT_FALSE(Has(0, 1));
  EXPECT_FALSE(Has(0, 2));
  EXPECT_TRUE(Has(0, 3));
  storeAll();
  // A line parallel to y and a nearly vertical one, near their far ends.
  map->InvalidateVisibilityNear(100.5f, 305.0f, 6.0f);
  EXPECT_FALSE(Has(0, 2));
  EXPECT_FALSE(Has(0, 4));
  storeAll();
  map->InvalidateVisibilityNear(100.5f, 312.0f, 6.0f);
  EXPECT_TRUE(Has(0, 2));
  EXPECT_TRUE(Has(0, 4));
  // Too far to the side.
  map->InvalidateVisibilityNear(150.0f, 120.0f, 10.0f);
  EXPECT_TRUE(Has(0, 1));
}

TEST_F(MapVisibilityCache, IgnitingATileEmptiesTheLinesNearItsCentre) {
  // Tile (5, 5) has its centre at (110, 110).
  Add(100.0f, 100.0f + 14.0f);  // 0
  Add(200.0f, 100.0f + 14.0f);  // 1: passes 4 m from the centre
  Add(100.0f, 125.0f);          // 2
  Add(200.0f, 125.0f);          // 3: passes 15 m from it
  Add(119.0f, 119.0f);  // 4: 12.7 m away diagonally
  Add(300.0f, 300.0f);                  // 5
  for (int i = 0; i < 6; ++i) {
    for (int j = i + 1; j < 6; ++j) map->StoreVisibility(U(i), U(j), true, 1.0f, false, false, false);
  }
  map->IgniteTile(105.0f, 105.0f, false);
  EXPECT_FALSE(Has(0, 1));
  EXPECT_TRUE(Has(2, 3));
  EXPECT_FALSE(Has(4, 5));  // its end lies within the radius
  EXPECT_TRUE(Has(3, 5));
}
