// What the squad drawing hands the recording renderer: the level of detail by apparent size,
// the triangles of each level and of each headgear and boot, the pose flags, the crew poses,
// where the men stand, which faces and uniforms they wear, and the status label's lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/GRandom.h"
#include "framework/core/Quorl.h"
#include "framework/media/RendererRig.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/draw/InfantryDraw.h"
#include "game/units/InfantryRig.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/ScreenlessDrawHost.h"
#include "game/units/ports/UnitContextScope.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/units/draw/WeaponModelDrawer.h"

namespace {

struct DrawRig {
  DrawRig() {
    rig.UseMap();
    gGraph3D = r.r.get();
    State() = InfantryDrawState{};
  }
  ~DrawRig() {
    gGraph3D = nullptr;
    State() = InfantryDrawState{};
  }
  DrawRig(const DrawRig&) = delete;
  DrawRig& operator=(const DrawRig&) = delete;

  static InfantryDrawState& State() { return InfantryDraw::State(); }

  // Triangles handed to the renderer by one man at a level, the transform stack left as found.
  int64_t Man(const Infantry& unit, int32_t level, int32_t code, bool flag = false) {
    State().CurrentUniformCode = code;
    State().CurrentFaceVariant = 3;
    const int32_t depth = r.r->Depth();
    r.r->ResetTriangleCounts();
    InfantryDraw::DrawFigure(unit, level, 0, flag);
    EXPECT_EQ(r.r->Depth(), depth);
    EXPECT_TRUE(r.r->IsBackfaceCulling());
    // Mirrored limbs flip the winding and put it back: what is drawn next faces the right way.
    EXPECT_TRUE(r.r->IsCullWinding());
    return r.r->FrameTriangles().given;
  }
  int64_t Squad(Infantry& unit, float size = 0.02f) {
    r.r->ResetTriangleCounts();
    unit.DrawSquad(false, size);
    return r.r->FrameTriangles().given;
  }
  // The translation of the current transform.
  void Translation(float& x, float& y) {
    const GTransform& m = r.r->Top();
    x = m.m[3][0] != 0.0f || m.m[3][1] != 0.0f ? m.m[3][0] : m.m[0][3];
    y = m.m[3][0] != 0.0f || m.m[3][1] != 0.0f ? m.m[3][1] : m.m[1][3];
  }

  InfantryRig rig;
  RecordingRig r;
};

TEST(InfantryDraw, LevelBySizeAndTheTrianglesOfEachLevel) {
  EXPECT_EQ(InfantryDraw::LevelForSize(0.0100001f), 0);
  EXPECT_EQ(InfantryDraw::LevelForSize(0.01f), 1);
  EXPECT_EQ(InfantryDraw::LevelForSize(0.0048f), 3);
  EXPECT_EQ(InfantryDraw::LevelForSize(0.0034f), 4);
  EXPECT_EQ(InfantryDraw::LevelForSize(0.0025f), 5);
  EXPECT_EQ(InfantryDraw::LevelForSize(0.002f), 6);

  DrawRig d;
  auto man = d.rig.Make(InfantryRig::kSquad, 0);
  // Levels 0 to 3 carry the man's item, kind 0: two sides and two edges.
  constexpr int64_t kItem = 8;
  const int64_t expected[7] = {359 + kItem, 201 + kItem, 86 + kItem, 48 + kItem, 36, 24, 14};
  for (int32_t level = 0; level < 7; ++level) EXPECT_EQ(d.Man(*man, level, 0), expected[level]) << level;
  // Level 2 adds one triangle per foot when the unit is clipped.
  EXPECT_EQ(d.Man(*man, 2, 0, true), 88 + kItem);
  // Headgear and boots by uniform code at level 0: the helmet shell (60 for the cap's 40),
  // the headgear model (60) with high boots (10 more each), cap shape 1 (60), code 1's boots
  // (3 more each), cap shape 2 with high boots.
  EXPECT_EQ(d.Man(*man, 0, 4), 379 + kItem);
  EXPECT_EQ(d.Man(*man, 0, 9), 359 - 40 + 60 + 20 + kItem);
  EXPECT_EQ(d.Man(*man, 0, 6), 379 + kItem);
  EXPECT_EQ(d.Man(*man, 0, 1), 365 + kItem);
  EXPECT_EQ(d.Man(*man, 0, 7), 359 + 20 + kItem);
  // Level 1: cap shape 1 has 21 (and code 8 high boots), the helmet shell stays.
  EXPECT_EQ(d.Man(*man, 1, 8), 201 - 20 + 21 + 20 + kItem);
  EXPECT_EQ(d.Man(*man, 1, 13), 201 - 20 + 60 + kItem);
  // Level 2 headgear: helmet 15, plain cap 10, textured round cap 10.
  EXPECT_EQ(d.Man(*man, 2, 9), 86 - 10 + 15 + kItem);
  EXPECT_EQ(d.Man(*man, 2, 11), 86 + kItem);
}

TEST(InfantryDraw, HeadgearColoursAndRenderSwitches) {
  DrawRig d;
  auto man = d.rig.Make(InfantryRig::kSquad, 4);
  // A figure kind that carries nothing, so that the head's colours are the last set.
  InfantryRig::Put32(d.rig.Class(InfantryRig::kSquad) + 92, 12);
  // Code 4's helmet shell ends with its rim colour, culling on and the winding unflipped.
  d.Man(*man, 0, 4);
  EXPECT_EQ(d.r.r->Colour() & 0xFFFFFFu, (91u << 16) | 28u);
  EXPECT_TRUE(d.r.r->IsBackfaceCulling());
  d.Man(*man, 0, 5);
  EXPECT_EQ(d.r.r->Colour() & 0xFFFFFFu, (30u << 16) | (15u << 8) | 30u);
  // Level 2: code 4's coloured helmet, code 6's coloured cap.
  d.Man(*man, 2, 4);
  EXPECT_EQ(d.r.r->Colour() & 0xFFFFFFu, (99u << 16) | 20u);
  d.Man(*man, 2, 6);
  EXPECT_EQ(d.r.r->Colour() & 0xFFFFFFu, (40u << 16) | (48u << 8) | 48u);
  // Levels 3-6 end with the skin colour.
  for (int32_t level = 3; level < 7; ++level) {
    d.Man(*man, level, 0);
    EXPECT_EQ(d.r.r->Colour() & 0xFFFFFFu, (221u << 16) | (142u << 8) | 107u) << level;
  }
  InfantryRig::Put32(d.rig.Class(InfantryRig::kSquad) + 92, 0);
}

// The screen width of a man seen from the front.
float ScreenWidth(DrawRig& d, const Infantry& unit, int32_t level) {
  d.r.r->SetProjection(0, 0, 64, 48, 60.0f, 1.0f, 2000.0f);
  d.r.r->LookAt(0.0f, 150.0f, 65.0f, 0.0f, 0.0f, 65.0f, 0.0f, 0.0f, 1.0f);
  d.r.device.ClearCalls();
  d.Man(unit, level, 0);
  float low = 1e9f;
  float high = -1e9f;
  for (const auto* call : d.r.device.Draws()) {
    for (int32_t i = 0; i < call->count; ++i) {
      low = std::min(low, call->X(i));
      high = std::max(high, call->X(i));
    }
  }
  d.r.r->LoadIdentity();
  return high - low;
}

TEST(InfantryDraw, SurrenderedMenHoldTheirShouldersInAtTheTwoFinestLevels) {
  DrawRig d;
  auto man = d.rig.Make(InfantryRig::kTeam, 0);  // one man, standing at the origin
  float standing[3];
  for (int32_t level = 0; level < 3; ++level) standing[level] = ScreenWidth(d, *man, level);
  man->surrendered = 1;
  EXPECT_LT(ScreenWidth(d, *man, 0), standing[0] - 1.0f);
  EXPECT_LT(ScreenWidth(d, *man, 1), standing[1] - 1.0f);
  EXPECT_EQ(ScreenWidth(d, *man, 2), standing[2]);
}

// The lowest screen x and the lowest screen y (the top) of a unit's drawing seen from the front.
void ScreenCorner(DrawRig& d, Infantry& unit, float& left, float& top) {
  d.r.r->SetProjection(0, 0, 64, 48, 60.0f, 1.0f, 2000.0f);
  d.r.r->LookAt(0.0f, 400.0f, 65.0f, 0.0f, 0.0f, 65.0f, 0.0f, 0.0f, 1.0f);
  d.r.device.ClearCalls();
  d.Squad(unit, 0.003f);
  left = 1e9f;
  top = 1e9f;
  for (const auto* call : d.r.device.Draws()) {
    for (int32_t i = 0; i < call->count; ++i) {
      left = std::min(left, call->X(i));
      top = std::min(top, call->Y(i));
    }
  }
  d.r.r->LoadIdentity();
}

TEST(InfantryDraw, AFullyIdentifiedCrewStandsAroundItsWeaponModel) {
  DrawRig d;
  d.rig.world.app.editorOpen = true;
  const DataTable<WeaponDrawData> keptDraws = gWeaponDraws;
  std::vector<uint8_t> draws(WeaponDrawData::kSize * WeaponDrawData::kCount);
  InfantryRig::PutF(draws.data() + 3 * WeaponDrawData::kSize, 20.0f);      // x
  InfantryRig::PutF(draws.data() + 3 * WeaponDrawData::kSize + 8, 4.0f);   // z
  gWeaponDraws = DataTable<WeaponDrawData>(draws.data(), static_cast<uint32_t>(draws.size()));
  auto crew = d.rig.Make(InfantryRig::kTeam, 0);
  float left = 0.0f;
  float top = 0.0f;
  ScreenCorner(d, *crew, left, top);
  // A weapon of model kind 3 at scale 2: the man moves 40 across (to the screen's left).
  InfantryRig::Put32(d.rig.Class(InfantryRig::kTeam) + 56, InfantryRig::kGunWeapon);
  InfantryRig::Put32(d.rig.Weapon(InfantryRig::kGunWeapon) + 108, 3);
  InfantryRig::PutF(d.rig.Weapon(InfantryRig::kGunWeapon) + 112, 2.0f);
  float movedLeft = 0.0f;
  float movedTop = 0.0f;
  ScreenCorner(d, *crew, movedLeft, movedTop);
  EXPECT_LT(movedLeft, left - 2.0f);
  EXPECT_FLOAT_EQ(movedTop, top);
  // Kind 8 in activity 2 stands (72 + 4) x 2 - 72 = 80 higher; in activity 1 it does not.
  InfantryRig::Put32(d.rig.Class(InfantryRig::kTeam) + 92, 8);
  crew->activityCodes[0] = 1;
  ScreenCorner(d, *crew, movedLeft, movedTop);
  EXPECT_FLOAT_EQ(movedTop, top);
  crew->activityCodes[0] = 2;
  ScreenCorner(d, *crew, movedLeft, movedTop);
  EXPECT_LT(movedTop, top - 2.0f);
  InfantryRig::Put32(d.rig.Class(InfantryRig::kTeam) + 92, 0);
  InfantryRig::Put32(d.rig.Class(InfantryRig::kTeam) + 56, Infantry::kNoWeapon);
  gWeaponDraws = keptDraws;
}

// The weapon models as a recorder: the kind and clip flag asked for, and the renderer's
// clipping and matrix depth during the call.
class ModelRecorder : public WeaponModelDrawer {
 public:
  void DrawWeaponModel(Infantry&, int32_t drawKind, bool clip) override {
    kinds.push_back(drawKind);
    clips.push_back(clip);
    clippingDuring = gGraph3D->GetClipping();
  }
  std::vector<int32_t> kinds;
  std::vector<bool> clips;
  bool clippingDuring = false;
};

TEST(InfantryDraw, CrewWeaponsByIdentificationKindAndSize) {
  DrawRig d;
  ModelRecorder models;
  SetWeaponModelDrawer(&models);
  d.rig.world.app.editorOpen = true;
  auto crew = d.rig.Make(InfantryRig::kTeam, 0);
  uint8_t* weapon = d.rig.Weapon(InfantryRig::kGunWeapon);
  InfantryRig::Put32(d.rig.Class(InfantryRig::kTeam) + 56, InfantryRig::kGunWeapon);
  InfantryRig::Put32(weapon + 108, 0);
  InfantryRig::PutF(weapon + 112, 1.0f);
  // The camera looks down -z: the crew stands 30 ahead, its frame the figure's small one.
  d.r.r->Translate(0.0f, 0.0f, -30.0f);
  d.r.r->Scale(0.02f, 0.02f, 0.02f);
  auto draw = [&d, &crew] {
    const int32_t depth = d.r.r->Depth();
    d.r.r->ResetTriangleCounts();
    InfantryDraw::DrawCrewWeapon(*crew, false);
    EXPECT_EQ(d.r.r->Depth(), depth);
    return d.r.r->FrameTriangles().given;
  };
  // Fully identified: the weapon's model kind with clipping on during the call and set back.
  d.r.r->SetClipping(false);
  EXPECT_EQ(draw(), 0);
  ASSERT_EQ(models.kinds.size(), 1u);
  EXPECT_EQ(models.kinds[0], 0);
  EXPECT_TRUE(models.clippingDuring);
  EXPECT_FALSE(d.r.r->GetClipping());
  d.r.r->SetClipping(true);
  // No model (kind 24): the generic gun, logged, not fatal; a kind outside the table: kind 2.
  InfantryRig::Put32(weapon + 108, 24);
  constexpr int64_t kGenericGun = 10 + 14 + 14 + 2 * 12 + 10 + 8;
  EXPECT_EQ(draw(), kGenericGun);
  EXPECT_EQ(models.kinds.size(), 1u);
  InfantryRig::Put32(weapon + 108, 40);
  draw();
  EXPECT_EQ(models.kinds.back(), 2);
  // Seen at level 3: the generic gun whatever the weapon.
  InfantryRig::Put32(weapon + 108, 0);
  d.rig.world.app.editorOpen = false;
  d.rig.world.app.currentSide = 1 - crew->GetSideIndex();
  crew->identificationLevel = 3;
  models.kinds.clear();
  EXPECT_EQ(draw(), kGenericGun);
  EXPECT_TRUE(models.kinds.empty());
  // Out of view (behind the camera) nothing at all.
  d.r.r->Translate(0.0f, 0.0f, 3000.0f);
  EXPECT_EQ(draw(), 0);
  d.r.r->Translate(0.0f, 0.0f, -3000.0f);
  // A mortar: its plate, legs, brace, tube and muzzle.
  InfantryRig::Put32(weapon, 4);
  EXPECT_EQ(draw(), 2 + 6 + 6 + 6 + 10 + 3);
  EXPECT_TRUE(models.kinds.empty());
  // Mortar sizes by the first effect value, and by side below full identification.
  EXPECT_FLOAT_EQ(InfantryDraw::MortarScale(4, true, 3.9f), 0.564f);
  EXPECT_FLOAT_EQ(InfantryDraw::MortarScale(4, true, 17.9f), 0.9f);
  EXPECT_FLOAT_EQ(InfantryDraw::MortarScale(4, false, 18.0f), 1.1f);
  EXPECT_FLOAT_EQ(InfantryDraw::MortarScale(3, true, 18.0f), 0.9f);
  EXPECT_FLOAT_EQ(InfantryDraw::MortarScale(3, false, 3.0f), 0.564f);
  InfantryRig::Put32(weapon, 2);
  InfantryRig::Put32(d.rig.Class(InfantryRig::kTeam) + 56, Infantry::kNoWeapon);
  SetWeaponModelDrawer(nullptr);
}

// The weapon models as a stand-in of the built ones' span: an upright quad as wide as their
// wheels and as high as their shields (0.1 by 0.07 model units).
class SpanModel : public WeaponModelDrawer {
 public:
  void DrawWeaponModel(Infantry&, int32_t, bool) override {
    gGraph3D->DrawColouredQuad(-0.05f, 0.0f, 0.0f, -0.05f, 0.0f, 0.07f, 0.05f, 0.0f, 0.07f, 0.05f, 0.0f, 0.0f);
  }
};

// Screen width and height of what the device was handed since the calls were cleared.
void DrawnExtent(const RecordingRig& r, float& width, float& height) {
  float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f;
  for (const auto* call : r.device.Draws()) {
    for (int32_t i = 0; i < call->count; ++i) {
      x0 = std::min(x0, call->X(i));
      x1 = std::max(x1, call->X(i));
      y0 = std::min(y0, call->Y(i));
      y1 = std::max(y1, call->Y(i));
    }
  }
  width = std::max(x1 - x0, 0.0f);
  height = std::max(y1 - y0, 0.0f);
}

// Visits every built-in infantry class with the built-in tables loaded for the while.
template <typename Visit>
void ForEachBuiltInClass(Visit visit) {
  DataTablesRig tables;
  Hack::LoadTables();
  for (int32_t i = 0; i < gInfantryClasses.Count(); ++i) visit(i, gInfantryClasses[i]);
}

TEST(InfantryDraw, EveryBuiltInGunCrewStandsBesideAGunOfItsSize) {
  // The crews of the built-in classes and their weapons' records (mortars have their own size).
  struct Crew {
    int32_t classIndex;
    std::vector<uint8_t> weapon;
  };
  std::vector<Crew> crews;
  ForEachBuiltInClass([&crews](int32_t i, const InfantryData& c) {
    const int32_t w = c.MainWeapon();
    if (c.FigureKind(0) != 8 || !gWeapons.IsValid(w) || gWeapons[w].Type() == 4) return;
    const uint8_t* record = gWeapons[w].Bytes();
    crews.push_back({i, std::vector<uint8_t>(record, record + WeaponData::kSize)});
  });
  ASSERT_GE(crews.size(), 20u);
  DrawRig d;
  SpanModel models;
  SetWeaponModelDrawer(&models);
  d.rig.world.app.editorOpen = true;
  auto crew = d.rig.Make(InfantryRig::kTeam, 0);
  InfantryRig::Put32(d.rig.Class(InfantryRig::kTeam) + 56, InfantryRig::kGunWeapon);
  d.r.r->SetProjection(0, 0, 64, 48, 60.0f, 1.0f, 4000.0f);
  d.r.r->LookAt(0.0f, -900.0f, 65.0f, 0.0f, 0.0f, 65.0f, 0.0f, 0.0f, 1.0f);
  // A man of the crew, standing at the gun.
  d.r.device.ClearCalls();
  d.Man(*crew, 0, 0);
  float manWidth = 0.0f, manHeight = 0.0f;
  DrawnExtent(d.r, manWidth, manHeight);
  ASSERT_GT(manHeight, 5.0f);
  for (const Crew& c : crews) {
    SCOPED_TRACE(c.classIndex);
    std::copy(c.weapon.begin(), c.weapon.end(), d.rig.Weapon(InfantryRig::kGunWeapon));
    d.r.device.ClearCalls();
    InfantryDraw::DrawCrewWeapon(*crew, false);
    float gunWidth = 0.0f, gunHeight = 0.0f;
    DrawnExtent(d.r, gunWidth, gunHeight);
    // A field gun is wider than its gunners are tall, and not a building.
    EXPECT_GE(gunWidth, manHeight);
    EXPECT_LE(gunWidth, 3.0f * manHeight);
  }
  d.r.r->LoadIdentity();
  InfantryRig::Put32(d.rig.Class(InfantryRig::kTeam) + 56, Infantry::kNoWeapon);
  SetWeaponModelDrawer(nullptr);
}

TEST(InfantryDraw, BuiltInMortarCrewsDrawTheirMortarAndSnipersNoPiece) {
  // The figure kinds and main weapons of the built-in mortar crews and snipers.
  struct Class {
    int32_t classIndex;
    std::vector<uint8_t> kinds;
    std::vector<uint8_t> weapon;
  };
  std::vector<Class> mortars;
  std::vector<Class> snipers;
  ForEachBuiltInClass([&mortars, &snipers](int32_t i, const InfantryData& c) {
    const uint8_t* kinds = c.Bytes() + 92;
    const int32_t w = c.MainWeapon();
    if (gWeapons.IsValid(w) && gWeapons[w].Type() == 4) {
      const uint8_t* record = gWeapons[w].Bytes();
      mortars.push_back({i, {kinds, kinds + 12}, {record, record + WeaponData::kSize}});
    } else if (std::string(c.Name()).find("Sniper") != std::string::npos) {
      snipers.push_back({i, {kinds, kinds + 12}, {}});
    }
  });
  ASSERT_EQ(mortars.size(), 16u);
  ASSERT_EQ(snipers.size(), 8u);
  DrawRig d;
  d.rig.world.app.editorOpen = true;
  d.r.r->SetProjection(0, 0, 64, 48, 60.0f, 1.0f, 4000.0f);
  d.r.r->LookAt(0.0f, -900.0f, 65.0f, 0.0f, 0.0f, 65.0f, 0.0f, 0.0f, 1.0f);
  uint8_t* team = d.rig.Class(InfantryRig::kTeam);
  // Triangles of the whole unit less those of its men: the piece standing among them.
  auto piece = [&d, team](const Class& c, int32_t weapon) {
    std::copy(c.kinds.begin(), c.kinds.end(), team + 92);
    InfantryRig::Put32(team + 56, weapon);
    auto unit = d.rig.Make(InfantryRig::kTeam, 0);
    const int64_t all = d.Squad(*unit);
    int64_t men = 0;
    for (int32_t i = unit->GetShownFigureCount() - 1; i >= 0; --i) {
      d.r.r->ResetTriangleCounts();
      InfantryDraw::DrawFigure(*unit, 0, i, false);
      men += d.r.r->FrameTriangles().given;
    }
    EXPECT_GT(men, 0);
    return all - men;
  };
  for (const Class& c : mortars) {
    SCOPED_TRACE(c.classIndex);
    std::copy(c.weapon.begin(), c.weapon.end(), d.rig.Weapon(InfantryRig::kMortarWeapon));
    // Plate, legs, brace, tube and muzzle.
    EXPECT_EQ(piece(c, InfantryRig::kMortarWeapon), 2 + 6 + 6 + 6 + 10 + 3);
  }
  for (const Class& c : snipers) {
    SCOPED_TRACE(c.classIndex);
    EXPECT_EQ(piece(c, Infantry::kNoWeapon), 0);
  }
  std::fill(team + 92, team + 104, uint8_t{0});
  InfantryRig::Put32(team + 56, Infantry::kNoWeapon);
  InfantryRig::Put32(d.rig.Weapon(InfantryRig::kMortarWeapon), 4);
}

TEST(InfantryDraw, CarriedItemsByKindAndTheFlamethrowersTanks) {
  DrawRig d;
  auto man = d.rig.Make(InfantryRig::kSquad, 0);
  auto& s = DrawRig::State();
  uint8_t* record = d.rig.Class(InfantryRig::kSquad);
  // The item closes the caller's two frames whatever it draws.
  auto item = [&d, &man] {
    const int32_t depth = d.r.r->Depth();
    d.r.r->PushMatrix();
    d.r.r->PushMatrix();
    d.r.r->ResetTriangleCounts();
    InfantryDraw::DrawCarriedItem(*man, 0, 0, false);
    EXPECT_EQ(d.r.r->Depth(), depth);
    EXPECT_TRUE(d.r.r->IsBackfaceCulling());
    return d.r.r->FrameTriangles().given;
  };
  // An American man: his crew piece has two edges, his rifle three strips, his launcher no
  // sights or fins.
  ASSERT_TRUE(man->GetKindGroup() == 1 || man->GetKindGroup() == 5);
  const int64_t triangles[12] = {8, 8, 8, 26, 26, 16, 12, 0, 0, 12, 6, 6};
  for (int32_t kind = 0; kind < 12; ++kind) {
    InfantryRig::Put32(record + 92, kind);
    EXPECT_EQ(item(), triangles[kind]) << kind;
    EXPECT_EQ(InfantryDraw::ItemKindFor(*man, 0, false), kind == 7 || kind == 8 ? -1 : kind);
  }
  InfantryRig::Put32(record + 92, 12);
  EXPECT_EQ(item(), 0);
  // The crew pose forces the binoculars; nothing for the surrendered or the dead.
  s.PoseForcesItem = 1;
  EXPECT_EQ(InfantryDraw::ItemKindFor(*man, 0, true), 9);
  EXPECT_EQ(item(), 12);
  man->surrendered = 1;
  EXPECT_EQ(item(), 0);
  man->surrendered = 0;
  man->alive = 0;
  EXPECT_EQ(item(), 0);
  man->alive = 1;
  s.PoseForcesItem = 0;
  InfantryRig::Put32(record + 92, 0);

  // The tanks: a flamethrower squad seen above level 2 only.
  auto tanks = [&d, &man] {
    d.r.r->ResetTriangleCounts();
    InfantryDraw::DrawBackPack(*man, 0, false);
    return d.r.r->FrameTriangles().given;
  };
  EXPECT_EQ(tanks(), 0);
  InfantryRig::Put32(record + 56, InfantryRig::kGunWeapon);
  InfantryRig::Put32(d.rig.Weapon(InfantryRig::kGunWeapon), 6);
  d.rig.world.app.editorOpen = true;
  EXPECT_EQ(tanks(), 6 + 6 + 2 * 3 + 4 + 4);
  d.rig.world.app.editorOpen = false;
  d.rig.world.app.currentSide = 1 - man->GetSideIndex();
  man->identificationLevel = 2;
  EXPECT_EQ(tanks(), 0);
  InfantryRig::Put32(d.rig.Weapon(InfantryRig::kGunWeapon), 2);
  InfantryRig::Put32(record + 56, Infantry::kNoWeapon);
}

TEST(InfantryDraw, EveryBuiltInFlamethrowerTeamCarriesItsTanks) {
  // The main weapons of the built-in flamethrower teams, as the table gives them.
  std::vector<std::vector<uint8_t>> weapons;
  ForEachBuiltInClass([&weapons](int32_t, const InfantryData& c) {
    if (std::string(c.Name()).find("Flamethrower") == std::string::npos) return;
    const int32_t w = c.MainWeapon();
    ASSERT_TRUE(gWeapons.IsValid(w));
    const uint8_t* record = gWeapons[w].Bytes();
    weapons.emplace_back(record, record + WeaponData::kSize);
  });
  ASSERT_EQ(weapons.size(), 8u);
  DrawRig d;
  d.rig.world.app.editorOpen = true;
  auto man = d.rig.Make(InfantryRig::kSquad, 0);
  InfantryRig::Put32(d.rig.Class(InfantryRig::kSquad) + 56, InfantryRig::kGunWeapon);
  for (const std::vector<uint8_t>& weapon : weapons) {
    std::copy(weapon.begin(), weapon.end(), d.rig.Weapon(InfantryRig::kGunWeapon));
    d.r.r->ResetTriangleCounts();
    InfantryDraw::DrawBackPack(*man, 0, false);
    EXPECT_EQ(d.r.r->FrameTriangles().given, 6 + 6 + 2 * 3 + 4 + 4);
  }
  InfantryRig::Put32(d.rig.Class(InfantryRig::kSquad) + 56, Infantry::kNoWeapon);
}

TEST(InfantryDraw, PoseFlagsLeaveOutLimbsAndAreClearedAfterTheSquad) {
  DrawRig d;
  auto man = d.rig.Make(InfantryRig::kSquad, 0);
  auto& s = DrawRig::State();
  s.PoseHidesLegs = 1;
  EXPECT_EQ(d.Man(*man, 0, 0), 359 - 92 + 8);  // the item stays in the hand
  EXPECT_EQ(d.Man(*man, 4, 0), 18);
  EXPECT_EQ(d.Man(*man, 5, 0), 18);
  s.PoseHidesLegs = 0;
  s.PoseHidesArms = 1;
  for (int32_t level = 0; level < 4; ++level) {
    const int64_t all = level == 0 ? 359 : level == 1 ? 201 : level == 2 ? 86 : 48;
    const int64_t limbs = level == 0 ? 150 + 92 : level == 1 ? 64 + 84 : level == 2 ? 26 + 30 : 12 + 18;
    EXPECT_EQ(d.Man(*man, level, 0), all - limbs) << level;
  }
  EXPECT_EQ(d.Man(*man, 4, 0), 18);
  s.PoseForcesItem = 1;
  d.rig.world.app.editorOpen = true;  // fully identified
  EXPECT_GT(d.Squad(*man), 0);
  EXPECT_EQ(s.PoseHidesLegs, 0);
  EXPECT_EQ(s.PoseHidesArms, 0);
  EXPECT_EQ(s.PoseForcesItem, 0);
}

TEST(InfantryDraw, CrewPosesSetFigureZeroOnly) {
  DrawRig d;
  auto crew = d.rig.Make(InfantryRig::kTeam, 0);
  for (auto& row : crew->figurePose) row = {5.0f, 5.0f, 5.0f};
  InfantryDraw::SetPose(*crew, 2, 12.0f);
  const auto& p = crew->figurePose;
  EXPECT_EQ(p[2][0], 90.0f);   // hip swings
  EXPECT_EQ(p[4][0], 90.0f);
  EXPECT_EQ(p[3][0], -60.0f);  // knees
  EXPECT_EQ(p[5][0], -60.0f);
  EXPECT_EQ(p[8][0], -30.0f);  // shoulder turn, swing, roll on both sides
  EXPECT_EQ(p[11][0], 30.0f);
  EXPECT_EQ(p[6][0], 20.0f);
  EXPECT_EQ(p[10][0], 20.0f);
  EXPECT_EQ(p[9][0], 60.0f);   // elbows
  EXPECT_EQ(p[13][0], 60.0f);
  EXPECT_EQ(p[14][0], 5.0f);   // the item's angles kept
  EXPECT_EQ(p[0][0], 5.0f);    // the hip spread never set
  EXPECT_EQ(p[17][0], 12.0f);  // head turn
  EXPECT_EQ(p[18][0], 0.0f);   // height offset
  EXPECT_EQ(p[2][1], 5.0f);    // figure 1 untouched
  EXPECT_EQ(DrawRig::State().PoseHidesArms, 1);

  DrawRig::State() = InfantryDrawState{};
  InfantryDraw::SetPose(*crew, 0, 0.0f);
  EXPECT_EQ(DrawRig::State().PoseHidesLegs, 1);
  EXPECT_EQ(DrawRig::State().PoseForcesItem, 1);
  EXPECT_EQ(p[16][0], 0.0f);  // item turn, swing, twist
  EXPECT_EQ(p[15][0], 90.0f);
  EXPECT_EQ(p[14][0], 30.0f);
  EXPECT_EQ(p[9][0], 110.0f);
  InfantryDraw::SetPose(*crew, 7, 0.0f);
  EXPECT_EQ(p[3][0], -90.0f);
  EXPECT_DEATH(InfantryDraw::SetPose(*crew, 10, 0.0f), "InfantryDraw");
}

TEST(InfantryDraw, MenStandAtTheirPlacesAndRidersCloser) {
  DrawRig d;
  auto& options = d.rig.world.app.options;
  struct Case {
    bool third;
    int32_t index;
    bool riding;
    float x, y;
  };
  const Case cases[] = {{true, 0, false, 0.0f, 27.5f},    {true, 1, false, -57.0f, -27.5f}, {true, 2, false, 57.0f, -8.5f},
                        {true, 1, true, -30.0f, -27.5f},  {true, 2, true, 30.0f, -8.5f},    {false, 0, false, -42.0f, -7.0f},
                        {false, 1, false, 42.0f, 7.0f},   {false, 0, true, -30.0f, -7.0f},  {false, 2, true, 30.0f, 7.0f}};
  for (const Case& c : cases) {
    options[3] = c.third ? 1 : 0;
    d.r.r->PushMatrix();
    d.r.r->LoadIdentity();
    InfantryDraw::PlaceFigure(c.index, c.riding);
    float x = 0.0f;
    float y = 0.0f;
    d.Translation(x, y);
    EXPECT_EQ(x, c.x) << c.third << c.index << c.riding;
    EXPECT_EQ(y, c.y) << c.third << c.index << c.riding;
    d.r.r->PopMatrix();
  }
  // Three men with the third member shown, two without; each man of a squad is 359 at level 0.
  d.rig.world.app.editorOpen = true;
  auto squad = d.rig.Make(InfantryRig::kSquad, 0);
  ASSERT_EQ(squad->GetShownFigureCount(), 3);
  options[3] = 1;
  EXPECT_EQ(d.Squad(*squad), 3 * (359 + 8));  // each man with his item
  options[3] = 0;
  EXPECT_EQ(d.Squad(*squad), 2 * (359 + 8));
  // A rider in input mode 3 draws nothing in a pick frame, and is drawn otherwise.
  Infantry vehicle;
  squad->carrier = &vehicle;
  d.rig.world.app.inputMode = InputModes::kTargetPick;
  d.r.r->SetPickMode(1, 0, -1, &d.r.device);
  EXPECT_EQ(d.Squad(*squad), 0);
  d.r.r->SetPickMode(0, 0, -1, nullptr);
  EXPECT_EQ(d.Squad(*squad), 2 * (359 + 8));
  squad->carrier = nullptr;
}

TEST(InfantryDraw, FacesAndUniformsByIdentification) {
  DrawRig d;
  auto& s = DrawRig::State();
  auto squad = d.rig.Make(InfantryRig::kSquad, 10);
  squad->appearanceVariants = {0, 1, 5};
  // Seen from the other side at identification level 3: the kind group's uniform, record 1,
  // and faces 0 and 1 shown as 2 and 3.
  d.rig.world.app.editorOpen = false;
  d.rig.world.app.currentSide = 1 - squad->GetSideIndex();
  squad->identificationLevel = 3;
  ASSERT_EQ(squad->GetIdentificationLevel(false), 3);
  d.Squad(*squad);
  EXPECT_EQ(s.CurrentAppearanceIndex, 1);
  EXPECT_EQ(s.CurrentUniformCode, KindGroupFirstCode(squad->GetKindGroup()));
  EXPECT_EQ(s.CurrentFaceVariant, 2);  // the last man drawn is the first
  squad->appearanceVariants = {5, 1, 5};
  d.rig.world.app.options[3] = 0;
  squad->identificationLevel = 3;
  d.Squad(*squad);
  EXPECT_EQ(s.CurrentFaceVariant, 5);
  // Fully identified: its own record and code, faces as drawn.
  squad->identificationLevel = 4;
  squad->appearanceVariants = {0, 1, 5};
  d.Squad(*squad);
  EXPECT_EQ(s.CurrentAppearanceIndex, 0);
  EXPECT_EQ(s.CurrentUniformCode, 10);
  EXPECT_EQ(s.CurrentFaceVariant, 0);
  // With the unit's own faces off, the caller's face stays and the unit's code is worn.
  s.UseOwnFaceVariants = 0;
  s.CurrentFaceVariant = 7;
  squad->identificationLevel = 2;
  d.Squad(*squad);
  EXPECT_EQ(s.CurrentFaceVariant, 7);
  EXPECT_EQ(s.CurrentAppearanceIndex, 0);
  s.UseOwnFaceVariants = 1;
  // A face outside 0..11 is a programmer's error.
  squad->appearanceVariants = {12, 12, 12};
  EXPECT_DEATH(d.Squad(*squad), "InfantryDraw");
}

TEST(InfantryDraw, DrawingLeavesBothGeneratorsAlone) {
  DrawRig d;
  d.rig.world.app.editorOpen = true;
  auto squad = d.rig.Make(InfantryRig::kSquad, 3);
  const uint32_t game = RandomState();
  GRandom presentation = GRandom::Presentation();
  for (const float size : {0.02f, 0.008f, 0.005f, 0.003f, 0.001f}) d.Squad(*squad, size);
  EXPECT_EQ(RandomState(), game);
  EXPECT_EQ(GRandom::Presentation().Random(1000000), presentation.Random(1000000));
}

TEST(InfantryDraw, BaseMarkerNotUnderRidersNorClass242) {
  DrawRig d;
  d.rig.world.app.options[1] = 1;
  d.rig.world.Battle().map->camera.viewLevel[0] = 2;
  d.rig.world.Battle().map->camera.viewLevel[1] = 2;
  auto squad = d.rig.Make(InfantryRig::kSquad, 0);
  auto base = [&] {
    d.r.r->ResetTriangleCounts();
    squad->DrawBase(false);
    return d.r.r->FrameTriangles().given;
  };
  EXPECT_GT(base(), 0);
  Infantry vehicle;
  squad->carrier = &vehicle;
  EXPECT_EQ(base(), 0);
  squad->carrier = nullptr;
  squad->classIndex = 242;
  EXPECT_EQ(base(), 0);
  squad->classIndex = InfantryRig::kSquad;
}

class LabelHost : public ScreenlessDrawHost {
 public:
  void DrawLabelLines(const char* text1, int32_t code1, const char* text2, int32_t code2, float, float,
                      float) override {
    lines.push_back(std::string(text1) + "/" + std::to_string(code1) + "|" + text2 + "/" + std::to_string(code2));
  }
  std::string Take() {
    std::string s = lines.empty() ? "none" : lines.back();
    lines.clear();
    return s;
  }
  std::vector<std::string> lines;
};

TEST(InfantryDraw, StatusLabelLines) {
  DrawRig d;
  LabelHost host;
  const UnitContextScope drawing(UnitContext{.draw = &host});
  auto squad = d.rig.Make(InfantryRig::kSquad, 0);
  d.rig.world.app.currentSide = squad->GetSideIndex();
  squad->ammo = {};
  // No main weapon and no rounds: low ammunition in colour 1; a jam whatever the rounds.
  squad->DrawStatusLabel();
  EXPECT_EQ(host.Take(), "/0|Low Ammo/1");
  squad->aimTime = 99.0f;
  squad->ammo = {50, 50, 50, 50, 0};
  squad->DrawStatusLabel();
  EXPECT_EQ(host.Take(), "/0|Jam/1");
  squad->aimTime = 0.0f;
  squad->DrawStatusLabel();
  EXPECT_EQ(host.Take(), "/0|/0");
  // With a main weapon: none left is out of ammunition, a quarter of the load or less is low.
  InfantryRig::Put32(d.rig.Class(InfantryRig::kSquad) + 56, InfantryRig::kMortarWeapon);
  squad->ammo = {};
  squad->DrawStatusLabel();
  EXPECT_EQ(host.Take(), "/0|Out of Ammo/0");
  InfantryRig::Put16(d.rig.Class(InfantryRig::kSquad) + 106, 41);
  squad->ammo = {10, 0, 0, 0, 0};
  squad->DrawStatusLabel();
  EXPECT_EQ(host.Take(), "/0|Low Ammo/2");
  squad->ammo = {11, 0, 0, 0, 0};
  squad->DrawStatusLabel();
  EXPECT_EQ(host.Take(), "/0|/0");
  InfantryRig::Put32(d.rig.Class(InfantryRig::kSquad) + 56, Infantry::kNoWeapon);
  // Morale bands 3 and up.
  squad->suppression = 1000.0f;
  squad->DrawStatusLabel();
  EXPECT_EQ(host.Take().substr(0, 9), "Routed/0|");
  squad->suppression = 0.0f;
  // A living unit of the side not on turn has no label.
  d.rig.world.app.currentSide = 1 - squad->GetSideIndex();
  squad->DrawStatusLabel();
  EXPECT_EQ(host.Take(), "none");
  // A dead crew with no men shown reads Abandoned when its state byte is clear, at level 3.
  auto crew = d.rig.Make(InfantryRig::kTeam, 0);
  d.rig.Class(InfantryRig::kTeam)[92] = 7;
  crew->alive = 0;
  crew->identificationLevel = 3;
  Infantry parent;
  crew->parentUnit = &parent;
  ASSERT_EQ(crew->GetShownFigureCount(), 0);
  crew->DrawStatusLabel();
  EXPECT_EQ(host.Take(), "Abandoned/0|/0");
  crew->immobilized = 1;
  crew->DrawStatusLabel();
  EXPECT_EQ(host.Take(), "Eliminated/0|/0");
  crew->identificationLevel = 2;
  crew->DrawStatusLabel();
  EXPECT_EQ(host.Take(), "none");
  d.rig.Class(InfantryRig::kTeam)[92] = 0;
  crew->identificationLevel = 3;
  crew->DrawStatusLabel();
  EXPECT_EQ(host.Take(), "none");
  crew->parentUnit = nullptr;
}

}  // namespace
