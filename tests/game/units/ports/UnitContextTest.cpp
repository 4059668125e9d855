// The units' context: the ports scopes install, stacked, and what is left when one ends out of
// turn.
#include <gtest/gtest.h>

#include <optional>

#include "game/battle/BattleOrderHost.h"
#include "game/units/RecordingUnitScreen.h"
#include "game/units/ScreenlessDrawHost.h"
#include "game/units/TestUnitWorld.h"
#include "game/units/ports/UnitContext.h"
#include "game/units/ports/UnitContextScope.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/units/ports/UnitOrderHost.h"
#include "game/units/ports/UnitScreen.h"
#include "game/units/ports/UnitServices.h"

namespace {

// The battle layer's order host with no battle and no operation in play.
class Orders final : public BattleOrderHost {
 protected:
  Battle* OrderBattle() const override { return nullptr; }
  Campaign* OrderCampaign() const override { return nullptr; }
};

}  // namespace

TEST(UnitContext, ScopesStackAndOneEndingOutOfTurnTakesOnlyItsOwnPorts) {
  RecordingUnitScreen first;
  RecordingUnitScreen second;
  Orders ordersA;
  Orders ordersB;
  ScreenlessDrawHost draw;
  {
    // Outside every scope the notices go nowhere.
    EXPECT_EQ(GetUnitOrderHost(), nullptr);
    GetUnitScreen().RefreshMap();
    TestUnitWorld world;  // installs itself as the services
    ASSERT_EQ(GetUnitServices(), &world);

    std::optional<UnitContextScope> a(std::in_place, UnitContext{.orders = &ordersA, .screen = &first});
    EXPECT_EQ(GetUnitServices(), &world);  // a port not given stays
    EXPECT_EQ(GetUnitOrderHost(), &ordersA);
    std::optional<UnitContextScope> b(std::in_place, UnitContext{.orders = &ordersB, .draw = &draw});
    EXPECT_EQ(GetUnitOrderHost(), &ordersB);
    EXPECT_EQ(GetUnitDrawHost(), &draw);
    GetUnitScreen().RefreshMap();
    EXPECT_EQ(first.mapRefreshes, 1);

    // The older scope ends first: its screen goes, the newer scope's order host stays.
    a.reset();
    EXPECT_EQ(GetUnitOrderHost(), &ordersB);
    EXPECT_EQ(GetUnitDrawHost(), &draw);
    GetUnitScreen().RefreshMap();
    EXPECT_EQ(first.mapRefreshes, 1);

    {
      // A whole context: its null ports are none while it lives.
      const UnitContextScope whole(UnitContextScope::kWhole, UnitContext{.screen = &second});
      EXPECT_EQ(GetUnitServices(), nullptr);
      EXPECT_EQ(GetUnitOrderHost(), nullptr);
      EXPECT_EQ(GetUnitDrawHost(), nullptr);
      GetUnitScreen().RefreshUnitPanel();
      EXPECT_EQ(second.panelRefreshes, 1);
    }
    EXPECT_EQ(GetUnitServices(), &world);
    EXPECT_EQ(GetUnitOrderHost(), &ordersB);
    b.reset();
    EXPECT_EQ(GetUnitOrderHost(), nullptr);
    EXPECT_EQ(GetUnitDrawHost(), nullptr);
  }
  EXPECT_EQ(GetUnitServices(), nullptr);
  EXPECT_EQ(first.panelRefreshes + second.mapRefreshes, 0);
}
