// The quick battle in the editor on the fake back-end: the set-up screen and its defaults, its
// confirm and cancel, the computer's purchase, and the completion after the random map.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "EditorRig.h"
#include "editor/EditorUnits.h"
#include "editor/EditorValueLabel.h"
#include "editor/PurchaseEntry.h"
#include "editor/UnitCatalogue.h"
#include "framework/core/Quorl.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GStripButton.h"
#include "game/battle/Battle.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"
#include "game/units/tables/FormationData.h"
#include "game/units/tables/Hack.h"
#include "game/units/Unit.h"

namespace {

std::vector<int32_t> gBounds;
void RecordBound(int32_t n) { gBounds.push_back(n); }

int32_t gStarts = 0;
void CountStart(WRApplication& /*app*/) { ++gStarts; }

// The application with the editor opened for a quick battle.
class QuickRig {
 public:
  QuickRig() : shell(false) {
    LinkEditorBitmaps(shell.folder);
    InstallEditor(*shell.app);
    shell.app->OpenEditor(true);
    gStarts = 0;
    EditorState::quickBattleStarter = CountStart;
  }
  ~QuickRig() { EditorState::quickBattleStarter = EditorState::StartQuickBattleInApplication; }
  QuickRig(const QuickRig&) = delete;
  QuickRig& operator=(const QuickRig&) = delete;

  EditorState* State() { return dynamic_cast<EditorState*>(shell.app->GetEditor()); }
  Battle* GetBattle() { return shell.app->GetBattle(); }
  GPopup* Popup(int32_t index) { return State()->quickPopups[static_cast<size_t>(index)]; }
  void Choose(int32_t index, int32_t item) { Popup(index)->SetCurrentItem(item); }

  ShellRig shell;
};

// The frame on the screen as a binary PPM, when the environment names a folder for it.
void SaveFrame(const PFakeBackEnd& fake, const char* name) {
  const char* folder = std::getenv("TARVANE_FRAMES");
  if (folder == nullptr) return;
  const std::string path = std::string(folder) + "/" + name + ".ppm";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return;
  std::fprintf(file, "P6\n%d %d\n255\n", fake.LastFrameWidth(), fake.LastFrameHeight());
  for (uint32_t pixel : fake.LastFrame()) {
    const unsigned char rgb[3] = {static_cast<unsigned char>(pixel >> 16), static_cast<unsigned char>(pixel >> 8),
                                  static_cast<unsigned char>(pixel)};
    std::fwrite(rgb, 1, 3, file);
  }
  std::fclose(file);
}

struct PopupPlace {
  int32_t index, x, y, items, current;
  const char* text;
};

}  // namespace

TEST(EditorQuickBattle, SetupScreenShowsItsDefaults) {
  QuickRig rig;
  EditorState* state = rig.State();
  ASSERT_NE(state, nullptr);
  GView* screen = state->screenView;
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->Width(), 640);
  EXPECT_EQ(screen->Height(), 480);
  EXPECT_FALSE(state->mainView->IsVisible());
  const PopupPlace places[] = {
      {EditorState::kQuickAxisType, 130, 110, 4, 0, "Combined Arms"},
      {EditorState::kQuickAlliedType, 280, 110, 4, 0, "Combined Arms"},
      {EditorState::kQuickAxisForce, 130, 140, 6, 0, "No Restriction"},
      {EditorState::kQuickAlliedForce, 280, 140, 9, 0, "No Restriction"},
      {EditorState::kQuickAxisQuality, 130, 170, 4, 1, "Medium"},
      {EditorState::kQuickAlliedQuality, 280, 170, 4, 1, "Medium"},
      {EditorState::kQuickAxisPurchase, 130, 200, 2, 0, "Automatically"},
      {EditorState::kQuickAlliedPurchase, 280, 200, 2, 0, "Automatically"},
      {EditorState::kQuickBattleType, 130, 260, 4, 1, "Attack"},
      {EditorState::kQuickForceSize, 130, 290, 13, 2, "500 points"},
      {EditorState::kQuickMapSize, 130, 320, 3, 1, "Medium"},
      {EditorState::kQuickAttacker, 130, 350, 2, 1, "Allied Attacker"},
      {EditorState::kQuickHandicap, 130, 380, 11, 4, "None"},
      {EditorState::kQuickDate, 450, 260, 12, 5, "November  1944"},
      {EditorState::kQuickTime, 450, 290, 4, 0, "Day"},
      {EditorState::kQuickWeather, 450, 320, 7, 0, "Clear"},
  };
  for (const PopupPlace& p : places) {
    GPopup* popup = rig.Popup(p.index);
    ASSERT_NE(popup, nullptr) << p.index;
    EXPECT_EQ(popup->Bounds().left - screen->Bounds().left, p.x) << p.index;
    EXPECT_EQ(popup->Bounds().top - screen->Bounds().top, p.y) << p.index;
    EXPECT_EQ(popup->GetItemCount(), p.items) << p.index;
    EXPECT_EQ(popup->GetCurrentItem(), p.current) << p.index;
    EXPECT_STREQ(popup->GetItemText(p.current)->CStr(), p.text) << p.index;
  }
  EXPECT_STREQ(rig.Popup(EditorState::kQuickForceSize)->GetItemText(12)->CStr(), "5000 points");
  EXPECT_STREQ(rig.Popup(EditorState::kQuickWeather)->GetItemText(6)->CStr(), "Random");
  std::vector<std::vector<int32_t>> buttons;
  int32_t labels = 0;
  for (int32_t i = 0; i < screen->GetChildCount(); ++i) {
    GView* child = screen->GetChild(i);
    if (auto* button = dynamic_cast<GStripButton*>(child)) {
      buttons.push_back({button->GetCommand(), child->Bounds().left - screen->Bounds().left,
                         child->Bounds().top - screen->Bounds().top});
    }
    if (dynamic_cast<GLabel*>(child) != nullptr) ++labels;
  }
  EXPECT_EQ(buttons, (std::vector<std::vector<int32_t>>{{195, 490, 0}, {194, 490, 50}, {196, 510, 351}, {197, 530, 351}}));
  // Two headings, four side rows, five battle rows, four condition rows.
  EXPECT_EQ(labels, 15);

  auto* length = dynamic_cast<EditorValueLabel*>(state->lengthCounter);
  ASSERT_NE(length, nullptr);
  GString255 text;
  length->GetDrawnText(text);
  EXPECT_STREQ(text.CStr(), "30 turns");
  rig.shell.kernel->UpdateScreen();
  SaveFrame(*rig.shell.fake, "quick-battle-setup");

  // The game length steps between 20 and 60.
  for (int32_t i = 0; i < 40; ++i) state->DoCommand(196);
  EXPECT_EQ(EditorState::GetControlValue(length), 60);
  for (int32_t i = 0; i < 50; ++i) state->DoCommand(197);
  EXPECT_EQ(EditorState::GetControlValue(length), 20);
}

TEST(EditorQuickBattle, ConfirmingTheDefaults) {
  QuickRig rig;
  EditorState* state = rig.State();
  gBounds.clear();
  SetRandomBoundObserver(RecordBound);
  state->DoCommand(195);
  SetRandomBoundObserver(nullptr);
  EXPECT_TRUE(gBounds.empty());
  const Battle& battle = *rig.GetBattle();
  EXPECT_EQ(battle.date, 4411);
  EXPECT_EQ(battle.season, 2);
  EXPECT_EQ(battle.timeOfDay, 0);
  EXPECT_EQ(battle.weather, 0);
  EXPECT_EQ(battle.groundCondition, 1);
  EXPECT_EQ(battle.lastTurn, 30);
  EXPECT_EQ(state->quickType, 1);
  EXPECT_EQ(battle.attacker, 1);
  EXPECT_EQ(battle.forcePoints[0], 500);
  EXPECT_EQ(battle.forcePoints[1], 750);
  EXPECT_EQ(battle.playBalance, 0);
  EXPECT_EQ(battle.playBalanceNotice[0] + battle.playBalanceNotice[1], 0);
  EXPECT_EQ(battle.autoPurchase[0], 1);
  EXPECT_EQ(battle.autoPurchase[1], 1);
  EXPECT_EQ(state->quickQuality, (std::array<int32_t, 2>{1, 1}));
  EXPECT_EQ(state->quickMapWidth, 720);
  EXPECT_EQ(state->quickMapHeight, 400);
  // The screen is gone and the random map dialog is up.
  EXPECT_EQ(state->screenView, nullptr);
  EXPECT_EQ(state->lengthCounter, nullptr);
  EXPECT_EQ(state->quickPopups[EditorState::kQuickDate], nullptr);
  ASSERT_NE(state->secondDialog, nullptr);
  EXPECT_TRUE(state->secondDialog->IsVisible());

  // Cancelling the random map shows the set-up again, with its defaults, not the last choices.
  state->DoCommand(145);
  ASSERT_NE(state->screenView, nullptr);
  EXPECT_EQ(rig.Popup(EditorState::kQuickBattleType)->GetCurrentItem(), 1);
  rig.Choose(EditorState::kQuickBattleType, 0);
  rig.Choose(EditorState::kQuickForceSize, 7);
  rig.Choose(EditorState::kQuickAttacker, 0);
  rig.Choose(EditorState::kQuickHandicap, 0);
  rig.Choose(EditorState::kQuickDate, 8);
  rig.Choose(EditorState::kQuickAxisForce, 5);
  rig.Choose(EditorState::kQuickAxisType, 3);
  rig.Choose(EditorState::kQuickAlliedPurchase, 1);
  rig.Choose(EditorState::kQuickMapSize, 0);
  state->DoCommand(195);
  const Battle& assault = *rig.GetBattle();
  EXPECT_EQ(assault.date, 4502);
  EXPECT_EQ(assault.season, 3);
  EXPECT_EQ(assault.attacker, 0);
  EXPECT_EQ(assault.forcePoints[0], 577);
  EXPECT_EQ(assault.forcePoints[1], 1000);
  EXPECT_EQ(assault.playBalance, 4967);
  EXPECT_EQ(assault.playBalanceNotice[0], 1);
  EXPECT_EQ(assault.playBalanceNotice[1], 1);
  EXPECT_EQ(assault.autoPurchase[1], 0);
  EXPECT_EQ(state->quickForceType[0], 1);  // Volkssturm is Infantry
  EXPECT_EQ(state->quickRestriction[0], 5);
  EXPECT_EQ(state->quickMapHeight, 480);
  EXPECT_EQ(state->quickMapWidth, 880);

  // Meeting Engagement: battle type 2, the "Attacker" side still gets the handicap.
  state->DoCommand(145);
  rig.Choose(EditorState::kQuickBattleType, 3);
  rig.Choose(EditorState::kQuickHandicap, 5);
  rig.Choose(EditorState::kQuickForceSize, 7);
  state->DoCommand(195);
  EXPECT_EQ(rig.GetBattle()->attacker, 2);
  EXPECT_EQ(rig.GetBattle()->forcePoints[1], 1100);
  EXPECT_EQ(rig.GetBattle()->forcePoints[0], 1000);
  EXPECT_EQ(rig.GetBattle()->playBalance, 5110);
}

TEST(EditorQuickBattle, RandomChoicesDrawInOrder) {
  for (uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u}) {
    QuickRig rig;
    EditorState* state = rig.State();
    rig.Choose(EditorState::kQuickTime, 3);
    rig.Choose(EditorState::kQuickWeather, 6);
    rig.Choose(EditorState::kQuickAxisQuality, 3);
    rig.Choose(EditorState::kQuickAlliedQuality, 3);
    SeedRandom(seed);
    gBounds.clear();
    SetRandomBoundObserver(RecordBound);
    state->DoCommand(195);
    SetRandomBoundObserver(nullptr);
    std::vector<int32_t> expected = {3, 6, 3, 3};
    if (gBounds.size() == 5) expected.insert(expected.begin() + 2, 2);
    EXPECT_EQ(gBounds, expected) << seed;
    const Battle& battle = *rig.GetBattle();
    EXPECT_LE(battle.timeOfDay, 2);
    EXPECT_NE(battle.weather, 5);  // November
    EXPECT_LE(state->quickQuality[0], 2);
  }
}

TEST(EditorQuickBattle, CancelClosesTheEditor) {
  QuickRig rig;
  rig.State()->DoCommand(194);
  EXPECT_EQ(rig.shell.app->GetEditor(), nullptr);
  EXPECT_EQ(rig.shell.app->GetBattle(), nullptr);
}

TEST(EditorQuickBattle, ComputerPurchaseLeavesHumanSidesAlone) {
  QuickRig rig;
  EditorState* state = rig.State();
  rig.Choose(EditorState::kQuickAxisPurchase, 1);
  rig.Choose(EditorState::kQuickAlliedPurchase, 1);
  state->DoCommand(195);
  Battle& battle = *rig.GetBattle();
  const uint32_t seed = RandomState();
  state->ChooseComputerForces();
  EXPECT_EQ(RandomState(), seed);
  EXPECT_EQ(battle.mustPurchase[0], 1);
  EXPECT_EQ(battle.mustPurchase[1], 1);
  EXPECT_EQ(battle.UnitCount(), 0);
  EXPECT_EQ(state->preset, 0);
}

TEST(EditorQuickBattle, ComputerPurchaseBuysWithinThePoints) {
  QuickRig rig;
  EditorState* state = rig.State();
  rig.Choose(EditorState::kQuickAlliedPurchase, 1);
  rig.Choose(EditorState::kQuickForceSize, 7);
  SeedRandom(21);
  state->DoCommand(195);
  Battle& battle = *rig.GetBattle();
  battle.sideValueE[0] = 1;
  battle.forceType[0] = 0;
  battle.sideByteF[0] = 0;
  // Axis Medium without a restriction: experience, then nationality, then the first pick.
  gBounds.clear();
  SetRandomBoundObserver(RecordBound);
  state->ChooseComputerForces();
  SetRandomBoundObserver(nullptr);
  ASSERT_GE(gBounds.size(), 3u);
  EXPECT_EQ(gBounds[0], 3);
  EXPECT_EQ(gBounds[1], 100);
  EXPECT_EQ(battle.mustPurchase[0], 0);
  EXPECT_EQ(battle.mustPurchase[1], 1);
  ASSERT_GT(battle.UnitCount(), 0);
  int32_t spent = 0;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    const Unit* unit = battle.UnitAt(i);
    EXPECT_EQ(unit->GetSideIndex(), 0);
    if (!unit->IsAirplane()) {
      EXPECT_EQ(unit->setupZone, 4);
    }
    spent += static_cast<int32_t>(unit->GetPurchaseCost());
  }
  EXPECT_LT(spent, battle.forcePoints[0]);
  // The lists no longer hold the battle's units.
  for (int32_t slot = 0; slot < EditorState::kPurchaseSlots; ++slot) EXPECT_EQ(state->PurchaseList(0, slot).Count(), 0);
  EXPECT_EQ(state->preset, 0);

  // The first unit bought comes from the Infantry list (which also holds formations led by
  // their vehicles, as a troop of tanks with its infantry).
  for (uint32_t seed = 1; seed <= 5; ++seed) {
    SeedRandom(seed);
    state->preset = 1;
    state->presetSide = 1;
    state->presetForce = 3;
    UnitCatalogue catalogue;
    catalogue.Fill(*state, true, true);
    const int32_t row = Editor::CatalogueForceIndex(3);
    // What leads each entry of the Infantry list (a formation by its first member).
    std::vector<std::pair<bool, int32_t>> leaders;
    const GObjectGroup& infantryList = catalogue.List(row, 0);
    for (int32_t i = 0; i < infantryList.Count(); ++i) {
      PurchaseEntry entry = *static_cast<const PurchaseEntry*>(infantryList.GetItem(i));
      while (entry.kind == PurchaseEntry::kFormation) {
        const FormationData record = gFormations[entry.classIndex];
        entry = PurchaseEntry(record.EntryKind(0), record.EntryClass(0), entry.axisFlag);
      }
      leaders.emplace_back(entry.kind == PurchaseEntry::kVehicle, entry.classIndex);
    }
    state->BuyComputerForce(catalogue, row, {700, 300, 200, 300, 200, 100, 1000}, true, 0);
    state->preset = 0;
    GObjectGroup& bought = state->PurchaseList(1, 0);
    ASSERT_GT(bought.Count(), 0);
    const auto* first = static_cast<const Unit*>(bought.GetItem(0));
    bool listed = false;
    for (const auto& [kind, cls] : leaders) listed = listed || (cls == first->classIndex && kind == first->IsVehicle());
    EXPECT_TRUE(listed) << seed;
    std::array<int32_t, 6> costs = state->SideCosts(1);
    int32_t total = 0;
    for (int32_t c = 0; c < 6; ++c) total += costs[static_cast<size_t>(c)];
    EXPECT_LT(total, 1000);
    bought.DeleteAll(true);
  }
}

TEST(EditorQuickBattle, PurchaseOfOnlyRefusedUnitsEnds) {
  QuickRig rig;
  EditorState* state = rig.State();
  UnitCatalogue catalogue;
  // An attacker's entry whose only unit is of speed class 1 is dropped on every addition.
  auto* slow = new PurchaseEntry(PurchaseEntry::kInfantry, 14, 1);
  slow->choiceWeight = 5;
  catalogue.List(0, 0).Append(slow);
  state->preset = 1;
  state->presetSide = 0;
  state->presetForce = 6;
  state->BuyComputerForce(catalogue, 0, {1000, 1000, 1000, 1000, 1000, 1000, 1000}, true, 0);
  state->preset = 0;
  EXPECT_EQ(catalogue.List(0, 0).Count(), 0);
  EXPECT_EQ(state->PurchaseList(0, 0).Count(), 0);
}

TEST(EditorQuickBattle, CompletionLaysZonesFlagsAndUnits) {
  QuickRig rig;
  EditorState* state = rig.State();
  rig.Choose(EditorState::kQuickBattleType, 0);
  rig.Choose(EditorState::kQuickForceSize, 7);
  rig.Choose(EditorState::kQuickMapSize, 0);
  rig.Choose(EditorState::kQuickAxisType, 1);
  rig.Choose(EditorState::kQuickDate, 8);
  SeedRandom(1234);
  state->DoCommand(195);
  state->DoCommand(144);
  EXPECT_EQ(gStarts, 1);
  const Battle& battle = *rig.GetBattle();
  const Map& map = *battle.map;
  const int32_t w = map.size.tilesX;
  EXPECT_EQ(w, 44);
  EXPECT_EQ(map.size.tilesY, 24);
  int32_t a = 0;
  int32_t b = 0;
  {
    // Assault with the Allies attacking: their strip is 0.2 of the columns, the Axis 0.5.
    a = static_cast<int32_t>(static_cast<float>(w) * 0.2f + 0.5f);
    b = static_cast<int32_t>(static_cast<float>(w) * 0.5f + 0.5f);
  }
  for (int32_t x = 0; x < w; ++x) {
    const int32_t zone = map.terrain.tiles.At(x, map.size.tilesY / 2).zone;
    EXPECT_EQ(zone, x < a ? 1 : (x >= b ? 4 : 0)) << x;
  }
  EXPECT_EQ(battle.forcePoints[1], 1750);
  EXPECT_EQ(battle.forcePoints[0], 1000);
  EXPECT_EQ(battle.date, 4502);
  // Budget 999: three large flags, then one of 100 or 300 points.
  const int32_t flags = battle.flags.Count();
  EXPECT_GE(flags, 3);
  EXPECT_LE(flags, 6);
  int32_t large = 0;
  const float extent = static_cast<float>(w) * 20.0f;
  for (int32_t i = 0; i < flags; ++i) {
    const VictoryFlag* flag = battle.FlagAt(i);
    large += flag->type;
    EXPECT_GT(flag->x, extent - 0.25f * extent - 0.01f);
    EXPECT_LE(flag->x, extent - 0.05f * extent + 0.01f);
  }
  EXPECT_GE(large, 2);
  int32_t units[2] = {};
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    const Unit* unit = battle.UnitAt(i);
    if (unit->IsAirplane()) continue;
    ++units[unit->GetSideIndex()];
    EXPECT_EQ(unit->setupZone, unit->GetSideIndex() == 0 ? 4 : 1) << unit->x << " " << unit->y << " " << unit->kind;
  }
  EXPECT_GT(units[0], 0);
  EXPECT_GT(units[1], 0);
  EXPECT_NE(map.camera.viewLevel[0], Map::kViewLevelUnset);
  EXPECT_NE(map.camera.viewLevel[1], Map::kViewLevelUnset);
}

TEST(EditorQuickBattle, FlagsKeepTheirDistance) {
  QuickRig rig;
  EditorState* state = rig.State();
  state->DoCommand(195);
  Battle& battle = *rig.GetBattle();
  battle.flags.DeleteAll(true);
  // Assault at 1000 points on the default 800 m map: four or five flags, each at least 75 m
  // from the others (40 candidates always find room).
  state->quickType = 0;
  state->forceSizeIndex = 7;
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    SeedRandom(seed);
    battle.flags.DeleteAll(true);
    state->PlaceQuickBattleFlags(battle);
    EXPECT_GE(battle.flags.Count(), 4);
    for (int32_t i = 0; i < battle.flags.Count(); ++i) {
      for (int32_t j = 0; j < i; ++j) {
        const VictoryFlag* f = battle.FlagAt(i);
        float point[2] = {f->x, f->y};
        EXPECT_FALSE(EditorState::FlagIsNear(battle.FlagAt(j), point)) << seed << " " << i << " " << j;
      }
    }
  }

  // 300 points, Meeting Engagement: one flag.
  battle.flags.DeleteAll(true);
  state->forceSizeIndex = 0;
  state->quickType = 3;
  state->PlaceQuickBattleFlags(battle);
  EXPECT_EQ(battle.flags.Count(), 1);
  // The defaults: two to four.
  for (uint32_t seed = 1; seed < 40; ++seed) {
    SeedRandom(seed);
    battle.flags.DeleteAll(true);
    state->forceSizeIndex = 2;
    state->quickType = 1;
    state->PlaceQuickBattleFlags(battle);
    EXPECT_GE(battle.flags.Count(), 2);
    EXPECT_LE(battle.flags.Count(), 4);
  }
}

TEST(EditorQuickBattle, BuildingCellWinsAtOnce) {
  QuickRig rig;
  EditorState* state = rig.State();
  state->DoCommand(195);
  Battle& battle = *rig.GetBattle();
  Map& map = *battle.map;
  // 300 points in a meeting engagement: one flag.
  state->forceSizeIndex = 0;
  state->quickType = 3;
  battle.attacker = 2;
  const auto place = [&](int32_t type, uint32_t seed) {
    for (int32_t x = 0; x < map.terrain.fineGrid.Width(); ++x) {
      for (int32_t y = 0; y < map.terrain.fineGrid.Height(); ++y) {
        uint16_t& cell = map.terrain.fineGrid.At(x, y);
        cell = static_cast<uint16_t>((type << 10) | (cell & 0x3FF));
      }
    }
    battle.flags.DeleteAll(true);
    SeedRandom(seed);
    state->PlaceQuickBattleFlags(battle);
    EXPECT_EQ(battle.flags.Count(), 1);
  };
  // The new flag's own position, the large flag chance, then one candidate: x, r1, r2.
  const auto replay = [](uint32_t seed, float* x, float* y) {
    SeedRandom(seed);
    RandomFloatTimes(100.0f);
    RandomFloatTimes(100.0f);
    RandomFloat();
    *x = (0.44f + RandomFloatTimes(0.56f - 0.44f)) * 20.0f * 40.0f;
    const float r1 = RandomFloatTimes(0.9f) - 0.45f;
    const float r2 = RandomFloatTimes(0.9f) - 0.45f;
    *y = ((std::fabs(r2) < std::fabs(r1) ? r2 : r1) + 0.5f) * 20.0f * 40.0f;
  };
  float x = 0.0f;
  float y = 0.0f;
  place(31, 17);
  const uint32_t after = RandomState();
  replay(17, &x, &y);
  EXPECT_EQ(after, RandomState());
  EXPECT_EQ(battle.FlagAt(0)->x, x);
  EXPECT_EQ(battle.FlagAt(0)->y, y);
  // A strictly clear site does not end the search: all 40 candidates are drawn.
  place(1, 17);
  EXPECT_NE(after, RandomState());
  EXPECT_EQ(battle.FlagAt(0)->x, x);
}

TEST(EditorQuickBattle, CompletionKeepsThePlayBalance) {
  QuickRig rig;
  EditorState* state = rig.State();
  rig.Choose(EditorState::kQuickHandicap, 5);
  rig.Choose(EditorState::kQuickAxisPurchase, 1);
  rig.Choose(EditorState::kQuickAlliedPurchase, 1);
  state->DoCommand(195);
  state->DoCommand(144);
  const Battle& battle = *rig.GetBattle();
  EXPECT_EQ(gStarts, 1);
  EXPECT_EQ(battle.playBalance, 5110);
  EXPECT_EQ(battle.playBalanceNotice[0], 1);
  EXPECT_EQ(battle.playBalanceNotice[1], 1);
  // Both sides buy their own units: none yet, both still pending.
  EXPECT_EQ(battle.UnitCount(), 0);
  EXPECT_EQ(battle.mustPurchase[0], 1);
  EXPECT_EQ(battle.mustPurchase[1], 1);
}

TEST(EditorQuickBattle, TheFinishedBattleGoesToPlayWithItsPlayBalance) {
  QuickRig rig;
  LinkAllBitmaps(rig.shell.folder);  // the side screen's pictures too
  EditorState::quickBattleStarter = EditorState::StartQuickBattleInApplication;
  EditorState* state = rig.State();
  rig.Choose(EditorState::kQuickHandicap, 5);
  rig.Choose(EditorState::kQuickAxisPurchase, 1);
  rig.Choose(EditorState::kQuickAlliedPurchase, 1);
  state->DoCommand(195);
  state->DoCommand(144);
  // The editor is gone and the game read back from its stored form waits at the side screen.
  EXPECT_EQ(rig.shell.app->GetEditor(), nullptr);
  const Battle* battle = rig.GetBattle();
  ASSERT_NE(battle, nullptr);
  EXPECT_EQ(battle->playBalance, 5110);
  EXPECT_EQ(battle->playBalanceNotice[0], 1);
  EXPECT_EQ(battle->playBalanceNotice[1], 1);
}

// Every force of every month can call a battery: its computer-weighted Artillery list offers an
// observer (purchase code 3) within a small force's artillery points, and the computer's
// purchase with those limits buys one, at night and in fog too, when no aircraft is offered.
TEST(EditorQuickBattle, EveryForceBuysAnObserverForItsArtillery) {
  QuickRig rig;
  EditorState* state = rig.State();
  for (const int32_t date : {4406, 4409, 4412, 4503}) {
    for (int32_t row = 0; row < UnitCatalogue::kRows; ++row) {
      const int32_t force = Editor::CatalogueRowForce(row);
      UnitCatalogue::Conditions conditions;
      conditions.date = date;
      conditions.presetSide = row < 5 ? 0 : 1;
      conditions.hasBattle = true;
      conditions.timeOfDay = 2;
      UnitCatalogue catalogue;
      catalogue.Fill(conditions, true, true);
      const GObjectGroup& artillery = catalogue.List(row, 4);
      int32_t cheapest = 1000;
      for (int32_t i = 0; i < artillery.Count(); ++i) {
        const auto* entry = static_cast<const PurchaseEntry*>(artillery.GetItem(i));
        EXPECT_EQ(entry->purchaseCode, 3) << force;
        cheapest = std::min<int32_t>(cheapest, entry->cost);
      }
      EXPECT_LE(cheapest, 100) << "force " << force << " date " << date;
      SeedRandom(static_cast<uint32_t>(date + row));
      state->preset = 1;
      state->presetSide = conditions.presetSide;
      state->presetForce = force;
      state->BuyComputerForce(catalogue, row, {0, 0, 0, 0, 200, 0, 1000}, true, 0);
      state->preset = 0;
      GObjectGroup& bought = state->PurchaseList(conditions.presetSide, 0);
      ASSERT_GT(bought.Count(), 0) << "force " << force << " date " << date;
      for (int32_t i = 0; i < bought.Count(); ++i) {
        EXPECT_TRUE(static_cast<Unit*>(bought.GetItem(i))->HasMainWeaponOfType5());
      }
      bought.DeleteAll(true);
    }
  }
}
