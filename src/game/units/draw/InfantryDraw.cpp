// The squad on the battlefield: whether its men are drawn, how many and in which order, where
// each stands, which face and uniform each wears and at which level of detail; a crew
// figure's poses; the squad's base marker and its status label. Nothing here draws from the
// game's generator or the presentation's.
#include "framework/core/GErrorLog.h"
#include "framework/core/GString63.h"
#include "framework/core/Quorl.h"
#include "framework/media/GBoundingBox.h"
#include "framework/media/GGraph3D.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/OrderState.h"
#include "game/units/tables/Hack.h"
#include "game/units/draw/CommandLineCanvas.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/draw/InfantryDraw.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/draw/WeaponModelDrawer.h"
#include "game/units/draw/PoseRow.h"

namespace {

constexpr int32_t kThirdMemberOption = 3;
constexpr int32_t kNoBaseClass = 242;
constexpr int32_t kMortarType = 4;
constexpr int32_t kWeaponModelKinds = 23;
constexpr int32_t kNoWeapon = 104;
constexpr int32_t kFlamethrowerType = 6;
// The small-arms entry of the launcher tube an Allied rifleman's item shows.
constexpr int32_t kLauncherSmallArms = 25;
// Drawn for a model kind outside the table (the model routine the table gives kind 2).
constexpr int32_t kFallbackModelKind = 2;
constexpr float kGenericFactor = 2.6f;
constexpr float kGenericRecoil = -9.0f;
constexpr float kDeadBarrelDroop = -13.0f;
bool gNoModelLogged = false;
bool gBadKindLogged = false;
// The weapon models are built in units of 0.00045 figure units.
constexpr float kModelUnitsPerFigureUnit = 2222.2222f;

bool ThirdMemberShown() {
  const MapAppServices* app = UnitApp();
  return app != nullptr && app->GetOption(kThirdMemberOption) != 0;
}

// One crew pose: joint angles (degrees) and whether the item angles are set.
struct CrewPose {
  float hipSwing, knee, shoulderTurn, shoulderSwing, shoulderRoll, elbow;
  bool item;
};

constexpr CrewPose kSeated = {0.0f, 0.0f, -35.0f, 9.0f, 15.0f, 110.0f, true};
constexpr CrewPose kStanding = {0.0f, 0.0f, -30.0f, 30.0f, 20.0f, 70.0f, false};
constexpr CrewPose kSitting = {90.0f, -60.0f, -30.0f, 30.0f, 20.0f, 60.0f, false};
constexpr CrewPose kDriving = {90.0f, -90.0f, -30.0f, 30.0f, 20.0f, 60.0f, false};
constexpr CrewPose kLeaning = {0.0f, 0.0f, -20.0f, 20.0f, 10.0f, 20.0f, false};
constexpr CrewPose kCrewPoses[10] = {kSeated,  kStanding, kSitting, kLeaning, kSeated,
                                     kStanding, kSitting,  kDriving, kSitting, kLeaning};

}  // namespace

InfantryDrawState& InfantryDraw::State() {
  static InfantryDrawState state;
  return state;
}

int32_t InfantryDraw::LevelForSize(float size) {
  if (size > 0.01f) return 0;
  if (size > 0.007f) return 1;
  if (size > 0.0048f) return 2;
  if (size > 0.0034f) return 3;
  if (size > 0.0025f) return 4;
  if (size > 0.002f) return 5;
  return 6;
}

void InfantryDraw::PlaceFigure(int32_t index, bool riding) {
  GGraph3D* g = gGraph3D;
  if (ThirdMemberShown()) {
    if (index == 0) {
      g->TranslateY(27.5f);
    } else if (index == 1) {
      g->TranslateXY(riding ? -30.0f : -57.0f, -27.5f);
    } else {
      g->TranslateXY(riding ? 30.0f : 57.0f, -8.5f);
    }
  } else if (index == 0) {
    g->TranslateXY(riding ? -30.0f : -42.0f, -7.0f);
  } else {
    g->TranslateXY(riding ? 30.0f : 42.0f, 7.0f);
  }
}

void InfantryDraw::SetPose(Infantry& unit, int32_t mode, float headTurn) {
  if (mode < 0 || mode > 9) FatalError(4712, "InfantryDraw");
  auto set = [&unit](int32_t row, float value) { unit.figurePose[static_cast<size_t>(row)][0] = value; };
  InfantryDrawState& state = State();
  if (mode == 0) state.PoseHidesLegs = 1;
  if (mode == 0 || mode == 4) state.PoseForcesItem = 1;
  if (mode == 2) state.PoseHidesArms = 1;
  const CrewPose& pose = kCrewPoses[mode];
  set(kHeadTurn, headTurn);
  for (const int32_t row : {kHipSwing1, kHipSwing2}) set(row, pose.hipSwing);
  for (const int32_t row : {kKnee1, kKnee2}) set(row, pose.knee);
  for (const int32_t row : {kShoulderTurn1, kShoulderTurn2}) set(row, pose.shoulderTurn);
  for (const int32_t row : {kShoulderSwing1, kShoulderSwing2}) set(row, pose.shoulderSwing);
  for (const int32_t row : {kShoulderRoll1, kShoulderRoll2}) set(row, pose.shoulderRoll);
  for (const int32_t row : {kElbow1, kElbow2}) set(row, pose.elbow);
  if (pose.item) {
    set(kItemTurn, 0.0f);
    set(kItemSwing, 90.0f);
    set(kItemTwist, 30.0f);
  }
  set(kHeight, 0.0f);
}

namespace {

// The map's equipment texture n (0..14), loaded on first use.
void BindEquipment(int32_t n) {
  MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (map != nullptr) const_cast<Map*>(map)->BindEquipmentTexture(n);
}

// A hand item's sides (the part's first two quads) and its edges (the rest of count).
void SidesAndEdges(FigureMesh::PartId part, int32_t sides, int32_t edgeFirst, int32_t edges, int32_t edgeCount,
                   bool flag) {
  BindEquipment(sides);
  InfantryDraw::DrawPart(part, flag, 0, 2);
  BindEquipment(edges);
  InfantryDraw::DrawPart(part, flag, edgeFirst, edgeCount);
}

}  // namespace

// The item in the second hand, in the forearm's frame; closes that frame and the upper arm's.
void InfantryDraw::DrawCarriedItem(const Infantry& unit, int32_t i, int32_t /*itemLevel*/, bool flag) {
  GGraph3D* g = gGraph3D;
  const InfantryDrawState& state = State();
  const bool forced = state.PoseForcesItem != 0;
  const int32_t kind = ItemKindFor(unit, i, forced);
  if (kind >= 0 && i >= 0 && i < Infantry::kPoseColumns) {
    g->PushMatrix();
    if (kind == 9) {
      g->Translate(-4.2f, 4.5f, -24.0f);
    } else {
      g->Translate(-0.5f, 4.9f, -24.0f);
    }
    const auto pose = [&unit, i](int32_t row) {
      return unit.figurePose[static_cast<size_t>(row)][static_cast<size_t>(i)];
    };
    g->RotateZ(pose(kItemTurn));
    g->RotateX(pose(kItemSwing));
    g->RotateZ(pose(kItemTwist));
    g->SetBackfaceCulling(false);
    DrawItem(unit, kind, flag);
    g->SetBackfaceCulling(true);
    g->PopMatrix();
  }
  g->PopMatrix();
  g->PopMatrix();
}

int32_t InfantryDraw::ItemKindFor(const Infantry& unit, int32_t i, bool forced) {
  if (unit.alive == 0 || (unit.classIndex == kNoBaseClass && !forced) || unit.HasSurrendered() ||
      unit.HasBeenCaptured())
    return -1;
  const int32_t kind = forced ? 9 : unit.GetShownFigureKind(i);
  if (kind < 0 || kind == 7 || kind == 8 || kind > 11) return -1;
  return kind;
}

void InfantryDraw::DrawItem(const Infantry& unit, int32_t kind, bool flag) {
  GGraph3D* g = gGraph3D;
  const int32_t group = unit.GetKindGroup();
  const bool british = group >= 2 && group <= 4;
  const bool american = group == 1 || group == 5;
  switch (kind) {
    case 0:
      g->SetColor(0.15f, 0.05f, 0.0f);
      SidesAndEdges(FigureMesh::kItemPack, group == 0 ? 8 : (american ? 5 : 7), 2, 6, 2, flag);
      if (unit.HasWeapon92()) {
        BindEquipment(10);
        DrawPart(FigureMesh::kItemPack, flag, 4, 1);
      }
      break;
    case 1:
      g->SetColor(0.0f, 0.08f, 0.08f);
      SidesAndEdges(FigureMesh::kItemPack, 3, 2, 1, 2, flag);
      break;
    case 2:
      g->SetColor(0.0f, 0.08f, 0.08f);
      if (group == 0) {
        SidesAndEdges(FigureMesh::kItemCrewPiece, 4, 3, 1, 1, flag);
      } else if (british) {
        SidesAndEdges(FigureMesh::kItemCrewPiece, 11, 2, 6, 3, flag);
      } else if (american) {
        SidesAndEdges(FigureMesh::kItemCrewPiece, 9, 3, 6, 2, flag);
      }
      break;
    case 3:
      DrawRifle(unit, group, flag);
      break;
    case 4:
      g->SetColor(0.22f, 0.22f, 0.15f);
      DrawPart(FigureMesh::kItemMachinePistolParts, flag);
      SidesAndEdges(FigureMesh::kItemMachinePistol, 2, 2, unit.IsAxis() ? 1 : 14, 2, flag);
      break;
    case 5:
      DrawRocket(group, flag);
      break;
    case 6:
      g->SetColor(0.0f, 0.08f, 0.08f);
      DrawPart(FigureMesh::kItemShovel, flag);
      break;
    case 9:
      g->SetColor(0.0f, 0.05f, 0.05f);
      g->Scale(1.4f, 1.2f, 1.6f);
      g->TranslateXY(-4.0f, -1.0f);
      DrawPart(FigureMesh::kItemBinoculars, flag);
      break;
    case 10:
    case 11:
      g->SetColor(0.0f, 0.08f, 0.08f);
      DrawPart(FigureMesh::kItemSmall, flag);
      break;
    default:
      break;
  }
}

void InfantryDraw::DrawRifle(const Infantry& unit, int32_t group, bool flag) {
  GGraph3D* g = gGraph3D;
  if (group == 0) {
    g->SetColor(0.17f, 0.18f, 0.2f);
    DrawPart(FigureMesh::kItemRifleGerman, flag);
    SidesAndEdges(FigureMesh::kItemRifle, 0, 2, 1, 2, flag);
    return;
  }
  g->SetColor(0.22f, 0.22f, 0.15f);
  if (unit.Data().SlotSmallArms(0) == kLauncherSmallArms) {
    g->TranslateZ(-10.0f);
    DrawPart(FigureMesh::kItemLauncher, flag);
    g->TranslateZ(-10.0f);
    g->PushMatrix();
    g->Scale(1.4f, 0.32f, 1.4f);
    BindEquipment(13);
    DrawPart(FigureMesh::kItemRifle, flag, 0, 2);
    g->PopMatrix();
  } else {
    g->TranslateY(5.0f);
    DrawPart(FigureMesh::kItemRifleAllied, flag);
    g->TranslateZ(-8.0f);
    BindEquipment(12);
    DrawPart(FigureMesh::kItemRifle, flag, 0, 2);
  }
  BindEquipment(14);
  DrawPart(FigureMesh::kItemRifle, flag, 2, 2);
}

void InfantryDraw::DrawRocket(int32_t group, bool flag) {
  GGraph3D* g = gGraph3D;
  const bool british = group >= 2 && group <= 4;
  g->SetColor(0.15f, 0.2f, 0.15f);
  if (group == 0) {
    g->SetColor(0.64f, 0.58f, 0.33f);
    g->Scale(1.467f, 1.467f, 1.19f);
  } else if (british) {
    g->Scale(1.1f, 1.1f, 0.72f);
  }
  g->TranslateZ(15.0f);
  if (british) DrawPart(FigureMesh::kItemRocket, flag, 0, 3);
  DrawPart(FigureMesh::kItemRocket, flag, 3, 1);
  g->SetColor(0.0f, 0.0f, 0.0f);
  DrawPart(FigureMesh::kItemRocket, flag, 4, 2);
  if (group == 0) {
    g->RotateZ(-30.0f);
    g->SetColor(0.67f, 0.61f, 0.36f);
    DrawPart(FigureMesh::kItemRocket, flag, 6, 4);
  }
}

// The flamethrower's tanks on a flamethrower squad seen above identification level 2.
void InfantryDraw::DrawBackPack(const Infantry& unit, int32_t /*i*/, bool flag) {
  const int32_t weapon = unit.Data().MainWeapon();
  if (weapon == kNoWeapon || !gWeapons.IsValid(weapon) || gWeapons[weapon].Type() != kFlamethrowerType ||
      unit.GetIdentificationLevel(false) <= 2)
    return;
  GGraph3D* g = gGraph3D;
  g->SetColor(0.1f, 0.21f, 0.16f);
  DrawPart(FigureMesh::kBackTanks, flag, 0, 2);
  g->SetColor(0.08f, 0.16f, 0.13f);
  DrawPart(FigureMesh::kBackTanks, flag, 2, 3);
  g->SetColor(0.16f, 0.24f, 0.19f);
  DrawPart(FigureMesh::kBackTanks, flag, 5, 2);
}

// The crew's weapon among the men, with clipping on while it is drawn: a mortar by its size,
// any other weapon by its model (or the generic gun below full identification).
void InfantryDraw::DrawCrewWeapon(const Infantry& unit, bool flag) {
  GGraph3D* g = gGraph3D;
  if (g == nullptr) return;
  g->PushMatrix();
  const bool clipping = g->GetClipping();
  g->SetClipping(true);
  const int32_t weapon = unit.Data().MainWeapon();
  if (weapon != kNoWeapon && gWeapons.IsValid(weapon) && gWeapons[weapon].Type() == kMortarType) {
    DrawMortarModel(unit, gWeapons[weapon].Mass(0), flag);
  } else {
    DrawWeaponModel(unit, flag);
  }
  g->SetClipping(clipping);
  g->PopMatrix();
}

int32_t InfantryDraw::ModelKindShown(int32_t kind) {
  if (kind == WeaponData::kNoDrawKind) {
    if (!gNoModelLogged) {
      GErrorLog::LogValue("InfantryDraw: a crew weapon without a model drawn as the generic gun, kind", kind);
      gNoModelLogged = true;
    }
    return -1;
  }
  if (kind < 0 || kind >= kWeaponModelKinds) {
    if (!gBadKindLogged) {
      GErrorLog::LogValue("InfantryDraw: a weapon model kind outside 0..22 drawn as kind 2, kind", kind);
      gBadKindLogged = true;
    }
    return kFallbackModelKind;
  }
  return kind;
}

void InfantryDraw::DrawWeaponModel(const Infantry& unit, bool flag) {
  GGraph3D* g = gGraph3D;
  if (g == nullptr) return;
  if (unit.GetIdentificationLevel(false) < 4) {
    DrawGenericWeaponModel(kGenericFactor, unit, flag);
    return;
  }
  float scale = 1.0f;
  const int32_t kind = ModelKindShown(unit.GetWeaponDrawKind(&scale));
  if (kind < 0) {
    DrawGenericWeaponModel(kGenericFactor, unit, flag);
    return;
  }
  const float s = scale * kModelUnitsPerFigureUnit;
  g->Scale(s, s, s);
  GBoundingBox box;
  box.Set(0.0f, 0.0f, 0.0f, 0.2f, 0.2f, 0.15f);
  bool partly = false;
  if (!box.IsVisible(&partly)) return;
  WeaponModelDrawer* drawer = GetWeaponModelDrawer();
  // The squad drawing works on its unit; the model's muzzle flash and recoil read its timers.
  if (drawer != nullptr) drawer->DrawWeaponModel(const_cast<Infantry&>(unit), kind, partly);
}

void InfantryDraw::DrawGenericWeaponModel(float factor, const Infantry& unit, bool /*flag*/) {
  GGraph3D* g = gGraph3D;
  if (g == nullptr) return;
  g->TranslateY(115.0f);
  const float s = factor * 1.25f;
  g->Scale(s, s, s);
  g->TranslateY(-25.0f);
  GBoundingBox box;
  box.Set(0.0f, 0.0f, 0.0f, 70.0f, 130.0f, 30.0f);
  bool partly = false;
  if (!box.IsVisible(&partly)) return;
  Infantry& gun = const_cast<Infantry&>(unit);
  gun.DrawMuzzleFlash(300.0f, 0.0f, 65.0f, 21.5f);
  // The shield and the carriage's plates and trails are single sheets seen from either side.
  const bool culling = g->IsBackfaceCulling();
  g->SetBackfaceCulling(false);
  g->SetColor(0.2f, 0.2f, 0.2f);
  DrawPart(FigureMesh::kGenericGunShield, partly);
  g->SetColor(0.12f, 0.14f, 0.09f);
  DrawPart(FigureMesh::kGenericGunCarriage, partly);
  g->SetBackfaceCulling(culling);
  g->SetColor(0.11f, 0.11f, 0.11f);
  DrawPart(FigureMesh::kGenericGunAxle, partly);
  if (MapBattleServices* battle = UnitBattle()) {
    if (const Map* map = battle->GetMap()) const_cast<Map*>(map)->BindTexture1300();
  }
  DrawPart(FigureMesh::kGenericGunWheel, partly);
  // The other wheel: the same side mirrored in x, its winding flipped with the culling.
  g->PushMatrix();
  g->Scale(-1.0f, 1.0f, 1.0f);
  g->SetCullWinding(false);
  DrawPart(FigureMesh::kGenericGunWheel, partly);
  g->SetCullWinding(true);
  g->PopMatrix();
  gun.TranslateRecoil(kGenericRecoil);
  if (unit.alive == 0) g->RotateX(kDeadBarrelDroop);
  g->SetColor(0.14f, 0.17f, 0.12f);
  DrawPart(FigureMesh::kGenericGunBarrel, partly);
  g->SetColor(0.0f, 0.0f, 0.0f);
  DrawPart(FigureMesh::kGenericGunMuzzle, partly);
}

float InfantryDraw::MortarScale(int32_t level, bool axis, float effect) {
  static constexpr float kScales[3] = {0.564f, 0.9f, 1.1f};
  int32_t size = 2;
  if (level < 4) {
    size = axis ? 1 : 0;
  } else if (effect < 4.0f) {
    size = 0;
  } else if (effect < 18.0f) {
    size = 1;
  }
  return kScales[size];
}

void InfantryDraw::DrawMortarModel(const Infantry& unit, float effect, bool /*flag*/) {
  GGraph3D* g = gGraph3D;
  if (g == nullptr) return;
  const float s = MortarScale(unit.GetIdentificationLevel(false), unit.IsAxis(), effect);
  g->Scale(s, s, s);
  g->TranslateY(15.0f);
  GBoundingBox box;
  box.Set(0.0f, 0.0f, 0.0f, 50.0f, 90.0f, 100.0f);
  bool partly = false;
  if (!box.IsVisible(&partly)) return;
  const_cast<Infantry&>(unit).DrawMuzzleFlash(340.0f, 0.0f, 40.0f, 112.0f);
  g->SetColor(0.15f, 0.15f, 0.15f);
  DrawPart(FigureMesh::kMortarBody, partly);
  g->SetColor(0.0f, 0.0f, 0.0f);
  DrawPart(FigureMesh::kMortarMuzzle, partly);
}

// ---- The squad's operations ----

void Infantry::Draw(bool /*pick*/) { DrawSquad(drawClip != 0, drawSize); }

bool Infantry::HiddenWhileRiding() const {
  if (!HasMainWeaponOfType23(false)) return false;
  const int32_t weapon = Data().MainWeapon();
  if (!gWeapons.IsValid(weapon)) return true;
  const uint16_t flags = gWeapons[weapon].Flags();
  return (flags & 0x11u) != 0x11u;
}

void Infantry::DrawSquad(bool flag, float size) {
  GGraph3D* g = gGraph3D;
  InfantryDrawState& state = InfantryDraw::State();
  const MapAppServices* app = UnitApp();
  const bool riding = carrier != nullptr;
  const bool riderPick = g != nullptr && riding && app != nullptr && app->GetInputMode() == InputModes::kTargetPick &&
                         g->IsPickMode();
  if (g != nullptr && !riderPick) {
    const int32_t firstKind = GetShownFigureKind(0);
    const bool crew = firstKind == 7 || firstKind == 8;
    if (!(riding && HiddenWhileRiding())) {
      const bool full = GetIdentificationLevel(false) == 4;
      float weaponScale = 1.0f;
      const int32_t drawKind = GetWeaponDrawKind(&weaponScale);
      const bool withWeapon = full && drawKind != WeaponData::kNoDrawKind;
      if (withWeapon) {
        g->PushMatrix();
        if (gWeaponDraws.IsValid(drawKind)) {
          const WeaponDrawData record = gWeaponDraws[drawKind];
          const int32_t activity = activityCodes[0];
          const float lift = firstKind == 8 && (activity == 2 || activity == 3)
                                 ? (72.0f + record.Offset(2)) * weaponScale - 72.0f
                                 : 0.0f;
          g->Translate(weaponScale * record.Offset(0), weaponScale * record.Offset(1), lift);
        }
      }
      if (!full && state.UseOwnFaceVariants != 0) {
        state.CurrentAppearanceIndex = 1;
        state.CurrentUniformCode = KindGroupFirstCode(GetKindGroup());
      } else {
        state.CurrentAppearanceIndex = 0;
        state.CurrentUniformCode = nationalityCode;
      }
      int32_t n = GetShownFigureCount();
      if (n >= 3 && !ThirdMemberShown()) n = 2;
      const int32_t level = InfantryDraw::LevelForSize(size);
      for (int32_t i = n - 1; i >= 0; --i) {
        if (state.UseOwnFaceVariants != 0) {
          if (i < 0 || i > 2) FatalError(4964, "InfantryDraw");
          state.CurrentFaceVariant = appearanceVariants[static_cast<size_t>(i)];
        }
        if (nationalityCode == 10 && state.CurrentFaceVariant < 2 && !full) state.CurrentFaceVariant += 2;
        if (state.CurrentFaceVariant < 0 || state.CurrentFaceVariant > 11) FatalError(4967, "InfantryDraw");
        InfantryDraw::DrawFigure(*this, level, i, flag);
      }
      if (withWeapon) g->PopMatrix();
    }
    if (crew) InfantryDraw::DrawCrewWeapon(*this, flag);
  }
  state.PoseHidesLegs = 0;
  state.PoseHidesArms = 0;
  state.PoseForcesItem = 0;
}

void Infantry::DrawBase(bool pick) {
  if (carrier != nullptr || classIndex == kNoBaseClass) return;
  Unit::DrawBase(pick);
}

void Infantry::DrawStatusLabel() {
  UnitDrawHost* host = GetUnitDrawHost();
  if (host == nullptr) return;
  GString63 first;
  GString63 second;
  int32_t firstCode = 0;
  int32_t secondCode = 0;
  if (alive == 0) {
    if (GetIdentificationLevel(false) < 3) return;
    const int32_t shown = GetShownFigureCount();
    const int32_t classKind = Data().FigureKind(0);
    if (shown == 0 && classKind != 7 && classKind != 8) return;
    first.LoadResource(immobilized != 0 || shown >= 1 ? 1130 : 1131);
    host->DrawLabelLines(first.CStr(), 0, "", 0, x, y, GetBaseHeight());
    return;
  }
  if (!IsCurrentSide()) return;
  static constexpr struct {
    uint32_t text;
    int32_t code;
  } kBands[8] = {{0, 0}, {0, 0}, {0, 0}, {1136, 2}, {1135, 1}, {1134, 0}, {1133, 0}, {1132, 0}};
  const int32_t band = GetBand();
  if (band >= 3 && band <= 7) {
    first.LoadResource(kBands[band].text);
    firstCode = kBands[band].code;
  }
  if (aimTime == 99.0f) {
    second.LoadResource(1140);
    secondCode = 1;
  } else {
    int32_t sum = 0;
    for (size_t k = 0; k < 4; ++k) sum += ammo[k];
    if (HasMainWeapon()) {
      if (sum == 0) {
        second.LoadResource(1141);
        secondCode = 0;
      } else if (sum <= Data().AmmoLoad() / 4) {
        second.LoadResource(1142);
        secondCode = 2;
      }
    } else if (sum == 0) {
      second.LoadResource(1142);
      secondCode = 1;
    }
  }
  host->DrawLabelLines(first.CStr(), firstCode, second.CStr(), secondCode, x, y, GetBaseHeight());
}

namespace {

// The command lines go to the battlefield view through the unit drawing's host: the thick
// ribbon in the style of the link.
class HostLineCanvas : public CommandLineCanvas {
 public:
  explicit HostLineCanvas(UnitDrawHost& host) : host_(host) {}
  void SetLineStyle(int32_t style) override { host_.SetLineStyle(style); }
  void DrawTerrainLine(int32_t /*layer*/, int32_t mode, float x0, float y0, float z0, float x1, float y1,
                       float z1) override {
    host_.DrawTerrainLine(mode != 0, x0, y0, z0, x1, y1, z1);
  }

 private:
  UnitDrawHost& host_;
};

}  // namespace

void Infantry::FollowLink() {
  UnitDrawHost* host = GetUnitDrawHost();
  if (host == nullptr) return;
  HostLineCanvas canvas(*host);
  DrawCommandLines(canvas);
}
