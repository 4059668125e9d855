// The headless battle: loading, saving and digesting with no window, sound or link; the
// canonical pass; the host the battle talks to.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/map/NullBattlefieldScreen.h"
#include "game/battle/BattleCanonicalPass.h"
#include "game/battle/BattleTestRig.h"
#include "game/units/RecordingUnitScreen.h"
#include "game/units/ScreenlessDrawHost.h"
#include "game/units/ports/UnitContextScope.h"
#include "game/units/ports/UnitOrderHost.h"
#include "game/units/ports/UnitServices.h"

namespace {

// A host that records what the battle asks of the application.
class RecordingHost : public HeadlessHost {
 public:
  void SetCurrentFileName(const char* name) override { calls.push_back(std::string("file ") + name); }
  void SetHideOption(int8_t value) override {
    calls.push_back("hide " + std::to_string(value));
    HeadlessHost::SetHideOption(value);
  }
  BattlefieldScreen& Battlefield() override { return screen_; }
  std::vector<std::string> calls;

 private:
  struct Screen : NullBattlefieldScreen {
    explicit Screen(RecordingHost& host) : host(host) {}
    void ShowCursor(bool show) override { host.calls.push_back(show ? "cursor on" : "cursor off"); }
    RecordingHost& host;
  } screen_{*this};
};

}  // namespace

TEST(HeadlessBattle, LoadsDigestsAndSavesWithoutDrivers) {
  // No video or audio driver at all.
  unsetenv("SDL_VIDEODRIVER");
  unsetenv("SDL_AUDIODRIVER");
  BattleTestRig rig;
  rig.Fresh();
  rig.Populate();
  const std::string path = rig.logFolder.Program() + "scenario.btl";
  ASSERT_TRUE(rig.headless.SaveFile(path));
  const std::string stored = rig.logFolder.ReadFile("scenario.btl");

  SeedRandom(1234);
  ASSERT_TRUE(rig.headless.LoadFile(path));
  const uint32_t first = rig.headless.Digest();
  SeedRandom(1234);
  ASSERT_TRUE(rig.headless.LoadFile(path));
  EXPECT_EQ(rig.headless.Digest(), first);
  // The digest covers the generator's state too.
  Random(10);
  EXPECT_NE(rig.headless.Digest(), first);

  std::string again;
  ASSERT_TRUE(rig.headless.SaveBytes(again));
  // Play preparation updated the flag holders, nothing else that is stored.
  ASSERT_TRUE(rig.headless.LoadBytes(again));
  std::string third;
  ASSERT_TRUE(rig.headless.SaveBytes(third));
  EXPECT_TRUE(third == again);
  EXPECT_EQ(stored.size(), again.size());
  EXPECT_FALSE(rig.headless.LoadFile(path + ".missing"));
}

TEST(HeadlessBattle, TheHostHearsTheFileNameCursorAndHideOption) {
  BattleTestRig rig;
  rig.Fresh();
  const std::string path = rig.logFolder.Program() + "Dawn Patrol.btl";
  ASSERT_TRUE(rig.headless.SaveFile(path));
  auto host = std::make_unique<RecordingHost>();
  RecordingHost* recorder = host.get();
  rig.headless.SetHost(std::move(host));
  ASSERT_TRUE(rig.headless.LoadFile(path));
  ASSERT_EQ(recorder->calls.size(), 3u);
  EXPECT_EQ(recorder->calls[0], "cursor on");
  EXPECT_EQ(recorder->calls[1], "file Dawn Patrol");
  EXPECT_EQ(recorder->calls[2], "hide 0");
  // In the editor's side (2) the stored option is not taken.
  recorder->calls.clear();
  recorder->currentSide = 2;
  ASSERT_TRUE(rig.headless.LoadFile(path));
  EXPECT_EQ(recorder->calls.size(), 2u);
}

TEST(BattleCanonicalPass, OnceIsTwiceAndUnitsKeepTheirIdentity) {
  BattleTestRig rig;
  rig.Fresh();
  rig.Populate();
  Battle& battle = rig.B();
  Unit* first = battle.UnitAt(0);
  Unit* second = battle.UnitAt(1);
  first->speed = -0.3f;
  first->facing = 372.5f;
  const uint32_t generator = RandomState();
  ASSERT_TRUE(BattleCanonicalPass::Run(battle));
  EXPECT_EQ(battle.UnitAt(0), first);
  EXPECT_EQ(first->target, second);
  EXPECT_EQ(RandomState(), generator);
  const std::string once = rig.Save();
  ASSERT_TRUE(BattleCanonicalPass::Run(battle));
  EXPECT_TRUE(rig.Save() == once);

  // A negative scaled value keeps its stored bytes over ten save-load cycles. Loading
  // prepares play (the flag holders are brought up to date), so the cycles start from a load.
  ASSERT_TRUE(rig.headless.LoadBytes(once));
  const std::string loaded = rig.Save();
  for (int32_t cycle = 0; cycle < 10; ++cycle) {
    std::string bytes = rig.Save();
    ASSERT_TRUE(rig.headless.LoadBytes(bytes));
    EXPECT_TRUE(rig.Save() == loaded) << cycle;
  }
  EXPECT_NEAR(rig.B().UnitAt(0)->speed, -0.3f, 0.01f);
}

// Headless play installs its services and order host and a screen nobody watches over
// whatever was installed, and puts that back when it goes; a drawing host stays.
TEST(HeadlessBattle, ServesTheUnitsWithNobodyWatchingWhileItLives) {
  RecordingUnitScreen screen;
  ScreenlessDrawHost draw;
  const UnitContextScope watched(UnitContext{.draw = &draw, .screen = &screen});
  {
    BattleTestRig rig;
    rig.Fresh();
    rig.Populate();
    EXPECT_EQ(GetUnitServices(), &rig.headless.Host().Services());
    ASSERT_NE(GetUnitOrderHost(), nullptr);
    EXPECT_EQ(GetUnitDrawHost(), &draw);
    GetUnitScreen().RefreshMap();
    rig.headless.Go(1);
    EXPECT_EQ(screen.mapRefreshes + screen.panelRefreshes + screen.waypointMenus, 0);
  }
  EXPECT_EQ(GetUnitServices(), nullptr);
  EXPECT_EQ(GetUnitOrderHost(), nullptr);
  GetUnitScreen().RefreshMap();
  EXPECT_EQ(screen.mapRefreshes, 1);
}
