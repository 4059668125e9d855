// The battlefield frame's passes one by one over the test scenario (800 m, its men drawn with
// their figures) on the software device: from every bearing at view level 2 the ground sends
// its blocks to the device, also after the men were drawn, and the men stand in the frame; a
// gun crew's piece turns with the crew.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ScenarioFrameWorld.h"

TEST(BattlefieldPasses, TheGroundIsSentFromEveryBearingAlsoAfterTheMen) {
  ScenarioFrameWorld w;
  ASSERT_NE(w.battle, nullptr);
  Map& map = *w.battle->map;
  ASSERT_EQ(map.size.worldWidth, 800.0f);
  // The camera point at the map's centre: the eye 92.1 m behind it and 55 m up. Looking
  // south the men of the scenario are in view and drawn before the ground; the frames after
  // keep whatever render state they left.
  int64_t menTriangles = 0;
  for (float bearing : {1.5707964f, -1.5707964f, 0.7f, 0.0f, 3.1415927f}) {
    w.Place(2, 400.0f, 400.0f, bearing);
    w.renderer.RenderBegin();
    map.Invalidate();
    map.SetupCamera();
    map.UpdateViewCulling();
    w.Pass([&map] { map.DrawBackdrop(); });
    menTriangles += w.Pass([&map] { map.DrawUnits(); }).sent;
    const GGraph3D::TriangleCounts ground = w.Pass([&map] { map.DrawTerrain(); });
    w.renderer.RenderEnd();
    w.device.Settle();
    EXPECT_GE(ground.given, 52) << bearing;
    // A few triangles of the blocks at the view's edge may fall outside it, never most.
    EXPECT_GT(ground.sent, ground.given * 3 / 4) << bearing;
  }
  EXPECT_GT(menTriangles, 0);
}

TEST(BattlefieldPasses, TheMenOfTheStartViewAreDrawnAtLevelsOneToThree) {
  // Each side's start view looks over its own men from behind them. Their blocks are only
  // partly in view from low down, so whether they are drawn rests on their own boxes.
  ScenarioFrameWorld w;
  ASSERT_NE(w.battle, nullptr);
  Map& map = *w.battle->map;
  for (int32_t side = 0; side < 2; ++side) map.camera.viewLevel[side] = -1;
  w.battle->SetStartViews();
  for (int32_t level : {1, 2, 3}) {
    for (int32_t side = 0; side < 2; ++side) map.camera.viewLevel[side] = level;
    w.renderer.RenderBegin();
    map.Invalidate();
    map.SetupCamera();
    map.UpdateViewCulling();
    w.Pass([&map] { map.DrawBackdrop(); });
    const GGraph3D::TriangleCounts men = w.Pass([&map] { map.DrawUnits(); });
    w.Pass([&map] { map.DrawTerrain(); });
    w.renderer.RenderEnd();
    w.device.Settle();
    EXPECT_GT(men.sent, 100) << level;
    w.Save("start-view-level" + std::to_string(level) + ".bmp");
  }
  // A box out of view still keeps a man out of the frame: looking away from them, none is sent.
  w.Place(2, 400.0f, 400.0f, 1.5707964f);
  w.renderer.RenderBegin();
  map.Invalidate();
  map.SetupCamera();
  map.UpdateViewCulling();
  EXPECT_EQ(w.Pass([&map] { map.DrawUnits(); }).given, 0);
  w.renderer.RenderEnd();
  w.device.Settle();
}

namespace {

// The pixels one frame of the unit pass covers, on a cleared screen.
std::vector<bool> UnitPassCover(ScenarioFrameWorld& w, const std::string& name) {
  Map& map = *w.battle->map;
  w.device.Settle();
  std::memset(w.screen.Pixels(), 0, w.screen.SizeInBytes());
  w.renderer.RenderBegin();
  map.Invalidate();
  map.SetupCamera();
  map.UpdateViewCulling();
  map.DrawUnits();
  w.renderer.RenderEnd();
  w.device.Settle();
  w.Save(name);
  std::vector<bool> cover(static_cast<size_t>(kScenarioFrameWidth) * kScenarioFrameHeight);
  for (int32_t y = 0; y < kScenarioFrameHeight; ++y) {
    const uint16_t* row = w.screen.Row16(y);
    for (int32_t x = 0; x < kScenarioFrameWidth; ++x) {
      cover[static_cast<size_t>(y * kScenarioFrameWidth + x)] = row[x] != 0;
    }
  }
  return cover;
}

// How much of two covers is shared (0 none, 1 the same), the second mirrored left to right
// when asked.
double Overlap(const std::vector<bool>& a, const std::vector<bool>& b, bool mirrored) {
  int64_t both = 0;
  int64_t either = 0;
  for (int32_t y = 0; y < kScenarioFrameHeight; ++y) {
    for (int32_t x = 0; x < kScenarioFrameWidth; ++x) {
      const bool p = a[static_cast<size_t>(y * kScenarioFrameWidth + x)];
      const bool q = b[static_cast<size_t>(y * kScenarioFrameWidth + (mirrored ? kScenarioFrameWidth - 1 - x : x))];
      both += p && q ? 1 : 0;
      either += p || q ? 1 : 0;
    }
  }
  return either > 0 ? static_cast<double>(both) / static_cast<double>(either) : 1.0;
}

}  // namespace

// A gun crew seen side on from the south, its piece pointing east and then west: the second
// picture is the first mirrored, not the first again, whichever way the piece is drawn (a
// gun whose ammunition stays put, a gun without, a mortar, and the plain gun of a crew
// identified no further than its kind).
TEST(BattlefieldPasses, AGunCrewsPieceTurnsWithTheCrewsFacing) {
  ScenarioFrameWorld w;
  ASSERT_NE(w.battle, nullptr);
  Infantry* crew = nullptr;
  for (int32_t i = 0; i < w.battle->units.Count(); ++i) {
    auto* u = static_cast<Unit*>(w.battle->units.GetItem(i));
    if (crew == nullptr && u->IsInfantry() && u->IsCurrentSide()) {
      crew = static_cast<Infantry*>(u);
    } else {
      u->status = 1;  // only the crew is drawn
    }
  }
  ASSERT_NE(crew, nullptr);
  auto classOf = [](int32_t type, int32_t drawKind) {
    for (int32_t c = 0; c < gInfantryClasses.Count(); ++c) {
      const int32_t weapon = gInfantryClasses[c].MainWeapon();
      if (gInfantryClasses[c].FigureKind(0) == 8 && gWeapons.IsValid(weapon) && gWeapons[weapon].Type() == type &&
          (drawKind < 0 || gWeapons[weapon].DrawKind() == drawKind))
        return c;
    }
    return -1;
  };
  // Draw kind 16's model turns its ammunition back by the facing; kind 0's has nothing turned back.
  const int32_t classes[4] = {classOf(2, 16), classOf(2, 0), classOf(4, -1), classOf(2, 0)};
  const uint8_t ownSide = crew->side;
  w.Place(0, crew->x, crew->y - 30.0f, 1.5707964f);  // the crew in the middle of the screen
  for (int32_t k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    ASSERT_GE(classes[k], 0);
    crew->classIndex = classes[k];
    crew->PrepareAppearance();
    if (k == 3) {
      crew->side = static_cast<uint8_t>(1 - ownSide);
      crew->identificationLevel = 3;
    }
    ASSERT_EQ(crew->GetIdentificationLevel(false), k == 3 ? 3 : 4);
    crew->facing = 0.0f;
    const std::vector<bool> east = UnitPassCover(w, "gun-crew-" + std::to_string(k) + "-east.bmp");
    crew->facing = 180.0f;
    const std::vector<bool> west = UnitPassCover(w, "gun-crew-" + std::to_string(k) + "-west.bmp");
    const double same = Overlap(east, west, false);
    const double mirrored = Overlap(east, west, true);
    EXPECT_LT(same, 0.3);
    EXPECT_GT(mirrored, 2.0 * same + 0.1) << same;
  }
  crew->side = ownSide;
}

// An enemy squad out of sight is shown where it was last seen by a diamond that stands up to face
// a low camera, not by a sliver lying on the ground.
TEST(BattlefieldPasses, ALastSeenMarkerStandsUpFacingALowCamera) {
  ScenarioFrameWorld w;
  ASSERT_NE(w.battle, nullptr);
  Unit* marked = nullptr;
  for (int32_t i = 0; i < w.battle->UnitCount(); ++i) {
    Unit& unit = *w.battle->UnitAt(i);
    if (marked == nullptr && unit.GetSideIndex() == 1) {
      marked = &unit;
    } else {
      unit.status = 1;  // gone from the battlefield: not drawn
    }
  }
  ASSERT_NE(marked, nullptr);
  marked->identificationLevel = 3;
  marked->hidden = 1;
  marked->lastSeenX = 400.0f;
  marked->lastSeenY = 400.0f;
  w.Place(1, 400.0f, 400.0f, 1.5707964f);
  const std::vector<bool> cover = UnitPassCover(w, "last-seen.bmp");
  int32_t left = kScenarioFrameWidth, right = -1, top = kScenarioFrameHeight, bottom = -1;
  for (int32_t y = 0; y < kScenarioFrameHeight; ++y) {
    for (int32_t x = 0; x < kScenarioFrameWidth; ++x) {
      if (!cover[static_cast<size_t>(y * kScenarioFrameWidth + x)]) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  ASSERT_GT(right, left);
  EXPECT_GT(2 * (bottom - top), right - left);
}
