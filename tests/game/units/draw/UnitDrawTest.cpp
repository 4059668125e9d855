// The unit drawing driver and what it draws around a unit, on the recording renderer with a
// recording battle screen: which order lines each option shows, the move words, line
// styles, the target label, target cycling, base markers, recoil, muzzle flash and the
// appearance variants.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/core/GString63.h"
#include "framework/core/Quorl.h"
#include "framework/media/RendererRig.h"
#include "game/map/Map.h"
#include "game/units/draw/MuzzleFlashModel.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestUnitWorld.h"
#include "game/units/TestVehicle.h"
#include "game/units/Unit.h"
#include "game/units/ScreenlessDrawHost.h"
#include "game/units/ports/UnitContextScope.h"
#include "game/units/draw/UnitDrawHost.h"
#include "support/TestFolder.h"

namespace {

// The battle screen's part, recorded.
class DrawRecorder : public ScreenlessDrawHost {
 public:
  struct Line {
    int32_t style;
    bool second;
    float x0, y0, x1, y1;
  };
  struct Text {
    std::string text;
    int32_t x, y;
  };
  void SetLineStyle(int32_t s) override { style = s; }
  void DrawTerrainLine(bool second, float x0, float y0, float, float x1, float y1, float) override {
    lines.push_back({style, second, x0, y0, x1, y1});
  }
  void DrawTextAtPoint(const char* text, float, float, float) override { labels.emplace_back(text); }
  void DrawScreenText(const char* text, int32_t x, int32_t y) override { screenTexts.push_back({text, x, y}); }
  void ReportPick(Unit& unit) override { picks.push_back(&unit); }
  void SetUnitScreenBounds(Unit&, const GRect&) override { ++bounds; }
  void DrawUnitFrame(const GRect&, uint8_t r, uint8_t g, uint8_t b) override { frames.push_back(r * 65536 + g * 256 + b); }
  bool IsMarkerColour() const override { return markerColour; }
  bool IsSmokeDrawn() const override { return true; }
  int32_t GetSideNationality(int32_t sideIndex) const override { return sideIndex == 0 ? 4 : 1; }
  void BindFlashTexture() override { ++flashes; }
  void EnsureKindGroupGraphics(int32_t group) override { groups.push_back(group); }
  void PlayOrderSound(int32_t n) override { sounds.push_back(n); }

  int32_t Count(int32_t wanted) const {
    int32_t n = 0;
    for (const Line& l : lines) n += l.style == wanted ? 1 : 0;
    return n;
  }
  int32_t style = -99;
  std::vector<Line> lines;
  std::vector<std::string> labels;
  std::vector<Text> screenTexts;
  std::vector<Unit*> picks;
  int32_t bounds = 0;
  std::vector<int32_t> frames;
  bool markerColour = false;
  int32_t flashes = 0;
  std::vector<int32_t> groups;
  std::vector<int32_t> sounds;
};


// A kind that answers target choice's score, its arc and passenger state as the test sets.
template <class Kind>
class Drawn : public Kind {
 public:
  float EvaluateCandidateTarget(Unit* candidate, bool) override {
    for (const auto& [unit, score] : scores)
      if (unit == candidate) return score;
    return 0.0f;
  }
  bool IsPointInFireArc(float, float) const override { return true; }
  float GetTerrainMobility() const override { return 1.0f; }
  bool IsCarried() const override { return carried; }
  bool IsBoarding() const override { return carried; }
  void GetDisplayName(GString& text) const override { text.Assign(name.c_str()); }
  std::vector<std::pair<Unit*, float>> scores;
  bool carried = false;
  std::string name = "Rifle Squad";
};
using Foot = Drawn<TestInfantry>;
using Tank = Drawn<TestVehicle>;

// The default 800 m flat map seen from above its south edge on a 640 x 480 screen, the
// recorders installed. Side byte 1 (Axis) is the viewer's.
struct DrawRig {
  DrawRig() {
    world.SetMap(std::make_unique<Map>(world.app));
    EXPECT_TRUE(world.Battle().map->Read(nullptr));
    Map& map = *world.Battle().map;
    map.terrain.blockViewState.Fill(2);
    map.camera.viewLevel[0] = 2;
    map.camera.viewLevel[1] = 2;
    gGraph3D = rig.r.get();
    rig.r->SetProjection(0, 0, 640, 480, 70.0f, 1.0f, 2000.0f);
    rig.r->LookAt(200.0f, -100.0f, 250.0f, 200.0f, 200.0f, 0.0f, 0.0f, 0.0f, 1.0f);
    context.emplace(UnitContext{.orders = &world.Orders(), .draw = &host});
  }
  ~DrawRig() {
    context.reset();
    gGraph3D = nullptr;
  }
  DrawRig(const DrawRig&) = delete;
  DrawRig& operator=(const DrawRig&) = delete;

  template <class Kind>
  Kind& Add(float px, float py, uint8_t side) {
    auto unit = std::make_unique<Kind>();
    unit->x = px;
    unit->y = py;
    unit->side = side;
    unit->men = 9;
    Kind& ref = *unit;
    world.Lend(unit.get());
    owned.push_back(std::move(unit));
    return ref;
  }
  void Select(Unit* unit) { world.Battle().selectedUnit = unit; }
  void Frame() {
    for (auto& u : owned) u->DrawOnMap(1.0f, 0.5f, 0.5f);
  }

  TestFolder folder{true};
  TestUnitWorld world;
  RecordingRig rig;
  DrawRecorder host;
  std::optional<UnitContextScope> context;
  std::vector<std::unique_ptr<Unit>> owned;
};

void GiveWaypoint(Unit& unit, float px, float py, int32_t mode, uint8_t flags = 0) {
  Waypoint& w = unit.waypoints[static_cast<size_t>(unit.waypointCount++)];
  w.x = px;
  w.y = py;
  w.moveMode = mode;
  w.pointKind = 1;
  w.flags = flags;
}

std::string Label(int32_t kind, int32_t mode, bool vehicle, bool withdrawing, bool disembark, bool hide) {
  GString63 text;
  Unit::BuildMoveLabel(text, kind, mode, vehicle, withdrawing, disembark, hide);
  return text.CStr();
}

}  // namespace

namespace {

// A tank that records where the driver asks for its shadow.
class ShadowTank : public Tank {
 public:
  void DrawShadow(float scale, bool) override {
    shadowDepth = probe->Depth();
    shadowScale = scale;
    ++shadows;
  }
  const RendererProbe* probe = nullptr;
  int32_t shadowDepth = -1;
  float shadowScale = 0.0f;
  int32_t shadows = 0;
};

}  // namespace

TEST(UnitDraw, VehicleShadowIsDrawnOutsideTheVehiclesMatrix) {
  DrawRig rig;
  ShadowTank& tank = rig.Add<ShadowTank>(200.0f, 200.0f, 1);
  tank.probe = rig.rig.r.get();
  const int32_t depth = rig.rig.r->Depth();
  tank.DrawOnMap(1.0f, 0.5f, 0.5f);
  EXPECT_EQ(tank.shadows, 1);
  // In map coordinates: the vehicle's own matrix is gone, and the scale is the model's.
  EXPECT_EQ(tank.shadowDepth, depth);
  EXPECT_GT(tank.shadowScale, 1.0f);
  // Seen at level 1 there is no shadow.
  tank.side = 0;
  tank.identificationLevel = 1;
  tank.DrawOnMap(1.0f, 0.5f, 0.5f);
  EXPECT_EQ(tank.shadows, 1);
}

// ---- The driver's choice of order lines ----

TEST(UnitDraw, OrderLineOptionChoosesWhosePathsAndTargetLinesAreDrawn) {
  DrawRig rig;
  Foot& a = rig.Add<Foot>(150.0f, 150.0f, 1);
  Foot& b = rig.Add<Foot>(250.0f, 150.0f, 1);
  Foot& enemy = rig.Add<Foot>(200.0f, 300.0f, 0);
  enemy.identificationLevel = 2;
  for (Foot* u : {&a, &b}) {
    GiveWaypoint(*u, u->x, u->y + 20.0f, 1);
    u->target = &enemy;
  }
  rig.Select(&a);
  struct Case {
    int8_t option;
    int32_t paths, targets;
  };
  for (const Case c : {Case{0, 1, 1}, Case{1, 2, 0}, Case{2, 1, 2}}) {
    rig.host.lines.clear();
    rig.world.app.options[7] = c.option;
    rig.Frame();
    EXPECT_EQ(rig.host.Count(8), c.paths) << "option " << int{c.option};
    EXPECT_EQ(rig.host.Count(16), c.targets) << "option " << int{c.option};
  }
  // No order lines while replaying (5) nor in input mode 9.
  for (const int32_t mode : {5, 9}) {
    rig.host.lines.clear();
    rig.world.app.inputMode = mode;
    rig.Frame();
    EXPECT_TRUE(rig.host.lines.empty()) << "input mode " << mode;
  }
  // Every living unit that shows was drawn by its kind, and the selected one framed.
  EXPECT_GT(a.drawCalls, 0);
  EXPECT_GT(enemy.drawCalls, 0);
  EXPECT_FALSE(rig.host.frames.empty());
  EXPECT_EQ(rig.host.frames.front(), 255 * 65536 + 255 * 256 + 50);
}

TEST(UnitDraw, ContactsShiftedHiddenAndNeverChangingTheGame) {
  DrawRig rig;
  rig.world.app.options[7] = 2;
  Foot& enemy = rig.Add<Foot>(200.0f, 200.0f, 0);
  Foot& own = rig.Add<Foot>(200.0f, 150.0f, 1);
  enemy.identificationLevel = 1;
  enemy.positionErrorX = 7;
  enemy.target = &own;
  enemy.ordersPhaseTarget = &own;
  // At level 1 the enemy stands at its shifted point and shows no target line.
  float sx = 0.0f;
  float sy = 0.0f;
  enemy.GetShownPosition(sx, sy, nullptr);
  EXPECT_FLOAT_EQ(sx, 207.0f);
  enemy.DrawTargetLine(true);
  EXPECT_TRUE(rig.host.lines.empty());
  enemy.DrawOnMap(1.0f, 0.5f, 0.5f);
  EXPECT_EQ(enemy.drawCalls, 1);
  // Its second hidden flag hides it until the battle is over.
  enemy.hiddenSecond = 1;
  enemy.DrawOnMap(1.0f, 0.5f, 0.5f);
  EXPECT_EQ(enemy.drawCalls, 1);
  rig.world.Battle().endState[0] = 2;  // a side surrendered: the battle is over
  enemy.DrawOnMap(1.0f, 0.5f, 0.5f);
  EXPECT_EQ(enemy.drawCalls, 2);
  // A firing timer past its limit is held below 10; the game's generator is untouched by a
  // frame with flashes.
  SeedRandom(4321);
  own.firingTimer = 12.0f;
  own.DrawOnMap(1.0f, 0.5f, 0.5f);
  EXPECT_LT(own.firingTimer, 10.0f);
  EXPECT_GT(own.firingTimer, 9.99f);
  for (float t : {2.3f, 2.0f, 1.0f}) {
    own.firingTimer = t;
    own.DrawMuzzleFlash(1.0f, 0.0f, 1.0f, 1.0f);
  }
  EXPECT_EQ(RandomState(), 4321u);
  EXPECT_EQ(rig.host.flashes, 2);  // the flash shows only above timer 1.9
}

// ---- Words, styles and scales ----

TEST(UnitDrawLines, MoveWordsForEveryModeAndTheirAdditions) {
  TestFolder folder{true};
  EXPECT_EQ(Label(1, 1, false, true, true, true), "Move (withdraw) / Disembark & Hide");
  EXPECT_EQ(Label(1, 3, true, false, false, false), "Fast");
  EXPECT_EQ(Label(1, 3, false, false, false, false), "Move");
  EXPECT_EQ(Label(-1, 5, false, false, false, false), "Embark");
  const char* words[] = {"Reverse", "Move", "Move", "Hunt", "Move", "Sneak", "Run", "Move", "Crawl", "Move", "Rotate To"};
  for (int32_t mode = -1; mode <= 9; ++mode) EXPECT_EQ(Label(1, mode, false, false, false, false), words[mode + 1]);
  // Any other mode reads Move, never stops the program.
  EXPECT_EQ(Label(1, 42, false, false, false, false), "Move");
}

TEST(UnitDrawLines, LineStylesFromBothTablesAndMarkerScales) {
  EXPECT_EQ(Unit::OrderLineStyle(1, false, false), 8);
  EXPECT_EQ(Unit::OrderLineStyle(1, false, true), 9);
  EXPECT_EQ(Unit::OrderLineStyle(2, false, true), 28);
  EXPECT_EQ(Unit::OrderLineStyle(3, false, true), 10);
  EXPECT_EQ(Unit::OrderLineStyle(-1, false, false), 7);
  EXPECT_EQ(Unit::OrderLineStyle(-1, true, false), 0);
  EXPECT_EQ(Unit::OrderLineStyle(9, true, true), 12);
  EXPECT_EQ(Unit::OrderLineStyle(7, true, false), 5);
  const float scales[] = {0.45f, 0.75f, 1.25f, 2.0f, 2.5f, 3.6f, 6.0f, 8.5f};
  for (int32_t level = 0; level < 8; ++level) EXPECT_FLOAT_EQ(Unit::MarkerScale(level), scales[level]);
}

TEST(UnitDrawLinesDeathTest, StylesAndViewLevelsOutsideTheirTablesAreProgrammerErrors) {
  EXPECT_DEATH(Unit::OrderLineStyle(10, false, false), "Unit.cpp");
  EXPECT_DEATH(Unit::OrderLineStyle(-2, true, false), "Unit.cpp");
  EXPECT_DEATH(Unit::MarkerScale(8), "Unit.cpp");
}

TEST(UnitDrawLines, PathSegmentsWordsAndPreview) {
  DrawRig rig;
  Foot& passenger = rig.Add<Foot>(150.0f, 150.0f, 1);
  passenger.passenger = true;
  passenger.withdraw = 1;
  GiveWaypoint(passenger, 150.0f, 200.0f, 1, 1);
  GiveWaypoint(passenger, 150.0f, 250.0f, 4);
  passenger.DrawPathLines();
  ASSERT_EQ(rig.host.lines.size(), 2u);
  // The first segment runs from the unit, then the others from the last back.
  EXPECT_FLOAT_EQ(rig.host.lines[0].x0, 150.0f);
  EXPECT_FLOAT_EQ(rig.host.lines[0].y0, 150.0f);
  EXPECT_EQ(rig.host.lines[1].style, 9);  // Sneak
  EXPECT_FLOAT_EQ(rig.host.lines[1].y0, 200.0f);
  ASSERT_EQ(rig.host.labels.size(), 2u);
  EXPECT_EQ(rig.host.labels[0], "Move (withdraw) / Disembark & Hide");
  EXPECT_EQ(rig.host.labels[1], "Sneak (withdraw)");

  // A carried infantry unit's single waypoint is its embarking line.
  rig.host.labels.clear();
  Foot& rider = rig.Add<Foot>(300.0f, 150.0f, 1);
  rider.carried = true;
  GiveWaypoint(rider, 320.0f, 150.0f, 3);
  rider.DrawPathLines();
  ASSERT_EQ(rig.host.labels.size(), 1u);
  EXPECT_EQ(rig.host.labels[0], "Embark");

  // A refused preview point takes style 16; an accepted one its mode's alternative style.
  rig.host.lines.clear();
  Tank& tank = rig.Add<Tank>(400.0f, 150.0f, 1);
  tank.DrawOrderPreview(420.0f, 150.0f, 0.0f, 23);  // Hunt
  tank.withdraw = 1;
  // Side index 0 withdraws to the north edge it holds, side index 1 to the south.
  tank.DrawOrderPreview(400.0f, 100.0f, 0.0f, 22);
  ASSERT_EQ(rig.host.lines.size(), 2u);
  EXPECT_EQ(rig.host.lines[0].style, Unit::OrderLineStyle(2, true, true));
  EXPECT_EQ(rig.host.lines[1].style, tank.IsTowardOwnEdge(400.0f, 100.0f) ? 4 : 16);
}

TEST(UnitDrawLines, TargetLabelNamesDistanceAndKeepsClearOfTheTop) {
  DrawRig rig;
  Foot& own = rig.Add<Foot>(200.0f, 150.0f, 1);
  Foot& enemy = rig.Add<Foot>(200.0f, 250.0f, 0);
  enemy.identificationLevel = 2;
  own.target = &enemy;
  own.DrawTargetLine(true);
  ASSERT_EQ(rig.host.screenTexts.size(), 2u);
  EXPECT_EQ(rig.host.screenTexts[0].text, "Rifle Squad");
  EXPECT_EQ(rig.host.screenTexts[1].text, "100m");
  float sx = enemy.x;
  float sy = enemy.y;
  ASSERT_TRUE(gGraph3D->ProjectToScreen(&sx, &sy, enemy.GetBaseHeight(), false));
  ASSERT_GT(sy, 80.0f);
  EXPECT_EQ(rig.host.screenTexts[0].y, static_cast<int32_t>(sy) - 38);
  EXPECT_EQ(rig.host.screenTexts[1].y, static_cast<int32_t>(sy) - 26);

  // A dead target reads Abandoned, or Eliminated when its crew bailed out.
  enemy.alive = 0;
  own.flagBytes[Unit::kTargetAbsentFlag] = 1;
  for (const auto& [bailed, word] : {std::pair{0, "Abandoned Rifle Squad"}, std::pair{1, "Eliminated Rifle Squad"}}) {
    rig.host.screenTexts.clear();
    enemy.knockedOut = static_cast<uint8_t>(bailed);
    own.DrawTargetLine(true);
    ASSERT_FALSE(rig.host.screenTexts.empty());
    EXPECT_EQ(rig.host.screenTexts[0].text, word);
  }

  // Near the top of the screen the two lines stand no higher than 24 and 12.
  rig.host.screenTexts.clear();
  enemy.alive = 1;
  enemy.y = 700.0f;
  own.DrawTargetLine(true);
  ASSERT_EQ(rig.host.screenTexts.size(), 2u);
  EXPECT_GE(rig.host.screenTexts[0].y, 24);
  EXPECT_GE(rig.host.screenTexts[1].y, 12);
}

// ---- Target cycling ----

TEST(UnitCycleTarget, CandidatesByScoreHighestFirstAndTheOrderSound) {
  DrawRig rig;
  Foot& own = rig.Add<Foot>(200.0f, 150.0f, 1);
  Foot& low = rig.Add<Foot>(150.0f, 250.0f, 0);
  Foot& high = rig.Add<Foot>(250.0f, 250.0f, 0);
  Foot& unscored = rig.Add<Foot>(200.0f, 260.0f, 0);
  for (Foot* e : {&low, &high, &unscored}) e->identificationLevel = 3;

  // No candidate: target and ordered target stay, no sound.
  own.target = &unscored;
  own.orderedTarget = &unscored;
  own.flagBytes[Unit::kHoldFlag] = 1;
  own.CycleTarget();
  EXPECT_EQ(own.target, &unscored);
  EXPECT_EQ(own.orderedTarget, &unscored);
  EXPECT_TRUE(rig.host.sounds.empty());

  // One candidate keeps being chosen.
  own.scores = {{&low, 2.0f}};
  own.CycleTarget();
  EXPECT_EQ(own.target, &low);
  own.CycleTarget();
  EXPECT_EQ(own.target, &low);
  EXPECT_EQ(own.orderedTarget, &low);

  // Two: highest score first, then the next, then round again.
  own.scores = {{&low, 2.0f}, {&high, 5.0f}};
  own.target = nullptr;
  own.CycleTarget();
  EXPECT_EQ(own.target, &high);
  own.CycleTarget();
  EXPECT_EQ(own.target, &low);
  own.CycleTarget();
  EXPECT_EQ(own.target, &high);
  EXPECT_EQ(rig.host.sounds, (std::vector<int32_t>{30, 30, 30, 30, 30}));
  own.flagBytes[Unit::kHoldFlag] = 0;
  own.CycleTarget();
  EXPECT_EQ(rig.host.sounds.size(), 5u);
}

// ---- Base marker, recoil, flash and appearance ----

TEST(UnitMarkers, BaseMarkerSizeColourAndShape) {
  DrawRig rig;
  Foot& foot = rig.Add<Foot>(200.0f, 200.0f, 1);
  Tank& tank = rig.Add<Tank>(220.0f, 200.0f, 1);
  foot.squad = false;
  EXPECT_FLOAT_EQ(foot.BaseHalfSize(7, 2), 8.0f * 0.65f);
  foot.squad = true;
  EXPECT_FLOAT_EQ(foot.BaseHalfSize(7, 4), 8.0f);
  EXPECT_FLOAT_EQ(foot.BaseHalfSize(0, 4), 1.5f);
  EXPECT_FLOAT_EQ(tank.BaseHalfSize(7, 2), 8.0f * tank.GetClassData(2).Size() * 2.0f);

  // Nothing with option 1 off and the colour flag clear, outside pick mode.
  rig.rig.device.ClearCalls();
  foot.DrawBaseAt(4, 200.0f, 200.0f);
  EXPECT_TRUE(rig.rig.device.Draws().empty());
  // One fan of four triangles over six points.
  rig.world.app.options[1] = 1;
  foot.DrawBaseAt(4, 200.0f, 200.0f);
  int32_t triangles = 0;
  for (const auto* d : rig.rig.device.Draws())
    triangles += d->type == P3DPrimitive::kTriangleFan ? d->count - 2 : d->count / 3;
  EXPECT_EQ(triangles, 4);

  // An Axis unit seen at level 1 shows its side's nationality colour, not its own.
  Foot& axisContact = rig.Add<Foot>(200.0f, 220.0f, 1);
  axisContact.nationalityCode = 1;
  rig.rig.device.ClearCalls();
  axisContact.DrawBaseAt(1, 200.0f, 220.0f);
  axisContact.DrawBaseAt(2, 200.0f, 220.0f);
  const auto pair = rig.rig.device.Draws();
  ASSERT_GE(pair.size(), 2u);
  EXPECT_NE(pair.front()->Colour(0), pair.back()->Colour(0));
}

TEST(UnitMarkers, RecoilAtTheFiringTimer) {
  EXPECT_NEAR(Unit::RecoilAt(2.3f), 0.8f, 1e-5f);
  EXPECT_NEAR(Unit::RecoilAt(2.0f), 0.75f, 1e-6f);
  EXPECT_NEAR(Unit::RecoilAt(1.75f), 0.5f, 1e-6f);
  EXPECT_NEAR(Unit::RecoilAt(2.5f), 0.0f, 1e-6f);
  for (float t : {1.25f, 1.0f, 0.0f, 4.5f}) EXPECT_EQ(Unit::RecoilAt(t), 0.0f) << t;
  EXPECT_NEAR(Unit::FlashSizeFactor(0.0f), 0.4f, 1e-6f);
  EXPECT_NEAR(Unit::FlashSizeFactor(50.0f), 1.4f, 1e-5f);
  EXPECT_FLOAT_EQ(Unit::FlashSizeFactor(61.0f), 1.456f);
}

TEST(UnitMarkers, FlashModelHasItsFansAndRestoresCulling) {
  DrawRig rig;
  int32_t triangles = 0;
  for (int32_t i = 0; i < MuzzleFlashModel::kFans; ++i) {
    EXPECT_GE(MuzzleFlashModel::FanTriangles(i), 2);
    EXPECT_LE(MuzzleFlashModel::FanTriangles(i), 6);
    triangles += MuzzleFlashModel::FanTriangles(i);
  }
  EXPECT_EQ(triangles, 13 * (2 + 3 + 4 + 5 + 6));
  rig.rig.r->SetBackfaceCulling(true);
  rig.rig.r->Translate(200.0f, 200.0f, 20.0f);
  rig.rig.r->Scale(500.0f, 500.0f, 500.0f);
  MuzzleFlashModel::Draw(true);
  EXPECT_TRUE(rig.rig.r->IsBackfaceCulling());
  EXPECT_GE(rig.rig.device.Draws().size(), 1u);
}

TEST(UnitAppearance, VariantsFromTheLeaderAndDesignationLeaveTheGameGeneratorAlone) {
  DrawRig rig;
  SeedRandom(99);
  std::vector<Unit*> units;
  for (int32_t i = 0; i < 12; ++i) {
    Foot& u = rig.Add<Foot>(100.0f + static_cast<float>(i), 100.0f, 1);
    u.leaderName = static_cast<int16_t>(40 + i * 7);
    u.designation = static_cast<uint16_t>(0x4100 + i);
    u.nationalityCode = i % 2 == 0 ? 10 : 3;
    u.PrepareAppearance();
    units.push_back(&u);
  }
  EXPECT_EQ(RandomState(), 99u);
  EXPECT_EQ(rig.host.groups.size(), 12u);
  bool sawLow = false;
  for (Unit* u : units) {
    // What seeding the program generator with leader name + designation gives.
    SeedRandom(static_cast<uint32_t>(u->leaderName + u->designation));
    for (int16_t v : u->appearanceVariants) {
      int16_t expected = 0;
      if (u->nationalityCode == 10 && Random(3) == 0) {
        expected = static_cast<int16_t>(Random(2));
      } else {
        expected = static_cast<int16_t>(Random(10) + 2);
      }
      EXPECT_EQ(v, expected);
      sawLow = sawLow || v < 2;
      if (u->nationalityCode != 10) {
        EXPECT_TRUE(v >= 2 && v <= 11);
      }
    }
  }
  EXPECT_TRUE(sawLow);

  // The second half of a split squad looks like its partner.
  Foot& half = rig.Add<Foot>(300.0f, 100.0f, 1);
  half.partner = units[1];
  half.secondHalf = true;
  half.nationalityCode = 3;
  half.PrepareAppearance();
  EXPECT_EQ(half.appearanceVariants, units[1]->appearanceVariants);

  // The model scale.
  float scale = 2.0f;
  half.ApplyModelScale(scale);
  EXPECT_FLOAT_EQ(scale, 2.0f * 28.867f);
}

// ---- A whole frame on the software device ----

namespace {

// A battle screen that draws the order lines as thin bands over the ground, in a colour by
// style, and counts the labels.
class PaintingHost : public DrawRecorder {
 public:
  void DrawTerrainLine(bool, float x0, float y0, float z0, float x1, float y1, float z1) override {
    const float dx = x1 - x0;
    const float dy = y1 - y0;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (length <= 0.0f) return;
    const float nx = -dy / length * 0.6f;
    const float ny = dx / length * 0.6f;
    gGraph3D->SetColor(style == 16 ? 1.0f : 0.2f, style == 16 ? 0.2f : 0.9f, 0.3f);
    gGraph3D->DrawColouredQuad(x0 - nx, y0 - ny, z0 + 0.3f, x1 - nx, y1 - ny, z1 + 0.3f, x1 + nx, y1 + ny, z1 + 0.3f,
                               x0 + nx, y0 + ny, z0 + 0.3f);
    ++linesDrawn;
  }
  void DrawTextAtPoint(const char*, float, float, float) override { ++labelCount; }
  int32_t linesDrawn = 0;
  int32_t labelCount = 0;
};

}  // namespace

TEST(UnitDrawPicture, ThreeHundredUnitsWithOrderLinesShowMarkersLinesAndLabels) {
  TestFolder folder{true};
  TestUnitWorld world;
  world.SetMap(std::make_unique<Map>(world.app));
  ASSERT_TRUE(world.Battle().map->Read(nullptr));
  Map& map = *world.Battle().map;
  map.terrain.blockViewState.Fill(2);
  map.camera.viewLevel[0] = 4;
  SoftRig rig(640, 480);
  gGraph3D = rig.r.get();
  PaintingHost host;
  const UnitContextScope drawing(UnitContext{.draw = &host});
  world.app.options[7] = 1;
  world.app.options[1] = 1;
  std::vector<std::unique_ptr<Foot>> units;
  for (int32_t i = 0; i < 300; ++i) {
    auto u = std::make_unique<Foot>();
    u->side = 1;
    u->men = 9;
    u->squad = true;
    u->nationalityCode = 1 + i % 5;
    u->x = 60.0f + static_cast<float>(i % 20) * 34.0f;
    u->y = 60.0f + static_cast<float>(i / 20) * 30.0f;
    for (int32_t w = 0; w < 5; ++w) GiveWaypoint(*u, u->x + 4.0f * static_cast<float>(w + 1), u->y + 5.0f * static_cast<float>(w + 1) - 2.0f * static_cast<float>(w * w), 1 + w % 5);
    world.Lend(u.get());
    units.push_back(std::move(u));
  }
  rig.r->SetProjection(0, 0, 640, 480, 70.0f, 1.0f, 2000.0f);
  rig.r->LookAt(400.0f, -150.0f, 420.0f, 400.0f, 300.0f, 0.0f, 0.0f, 0.0f, 1.0f);
  const P3DRect all{0, 0, 640, 480};
  rig.device.Clear(&all, 1, kP3DClearTarget | kP3DClearZBuffer, 0x00506040, 1.0f);
  for (auto& u : units) u->DrawOnMap(1.0f, 0.5f, 0.5f);
  rig.device.Settle();
  gGraph3D = nullptr;

  EXPECT_EQ(host.linesDrawn, 300 * 5);
  EXPECT_GT(host.labelCount, 300);
  int32_t lit = 0;
  for (int32_t y = 0; y < 480; ++y) {
    for (int32_t x = 0; x < 640; ++x) {
      const uint32_t p = rig.screen.Row16(y)[x];
      lit += p != rig.screen.Row16(0)[0] ? 1 : 0;
    }
  }
  EXPECT_GT(lit, 640 * 480 / 100);
}
