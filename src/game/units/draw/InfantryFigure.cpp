// One soldier at seven levels of detail: a torso, a head with its face and national headgear,
// two arms and two legs of two segments each, turned by the man's joint angles. Lower levels
// drop whole limbs, pictures and the carried item. All shapes come from the static figure
// meshes; nothing is computed per point.
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraphic.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/draw/InfantryDraw.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/draw/PoseRow.h"

namespace {

// Appearance entries of the figure.
constexpr int32_t kHeadgear = 0;
constexpr int32_t kTorso = 1;
constexpr int32_t kFirstArm = 2;
constexpr int32_t kLegs = 3;
constexpr int32_t kBelt = 4;
constexpr int32_t kSecondArm = 5;

constexpr float kSkin[3] = {0.87f, 0.56f, 0.42f};

float Pose(const Infantry& unit, int32_t row, int32_t i) {
  return unit.figurePose[static_cast<size_t>(row)][static_cast<size_t>(i)];
}

GGraphic* Entry(const Infantry& unit, int32_t entry) {
  return unit.GetTexture(InfantryDraw::State().CurrentAppearanceIndex, 1 + entry);
}

void Bind(GGraphic* texture) {
  // A picture left out of the build has no pixels: nothing to bind.
  if (texture != nullptr && texture->GetStub() != nullptr) gGraph3D->SetTexture(texture);
}

void BindFace(int32_t fatalLine) {
  const int32_t face = InfantryDraw::State().CurrentFaceVariant;
  if (face < 0 || face > 11) FatalError(fatalLine, "InfantryDraw");
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (map != nullptr) map->BindSlot(Map::Slot::kDetailedTerrain + face);
}

void Colour(const float (&c)[3]) { gGraph3D->SetColor(c[0], c[1], c[2]); }

// Steps 1 to 3 of every level: the man's place, height and tilt, and his torso.
void BeginFigure(const Infantry& unit, int32_t i, FigureMesh::PartId torso, bool flag) {
  GGraph3D* g = gGraph3D;
  g->PushMatrix();
  if (unit.GetShownFigureCount() > 1) InfantryDraw::PlaceFigure(i, unit.carrier != nullptr);
  g->TranslateZ(Pose(unit, kHeight, i));
  const float tilt = Pose(unit, kBodyTilt, i);
  if (tilt != 0.0f) {
    g->TranslateZ(75.0f);
    g->RotateX(tilt);
    g->TranslateZ(-75.0f);
  }
  Bind(Entry(unit, kTorso));
  InfantryDraw::DrawPart(torso, flag);
}

struct ArmParts {
  FigureMesh::PartId upper;
  FigureMesh::PartId fore;
};

constexpr ArmParts kArms[4] = {{FigureMesh::kUpperArm0, FigureMesh::kForearm0},
                               {FigureMesh::kUpperArm1, FigureMesh::kForearm1},
                               {FigureMesh::kUpperArm2, FigureMesh::kForearm2},
                               {FigureMesh::kUpperArm3, FigureMesh::kForearm3}};

// Both arms of levels 0-3, the carried item in the second hand.
void DrawArms(const Infantry& unit, int32_t i, int32_t level, bool flag) {
  GGraph3D* g = gGraph3D;
  const ArmParts& parts = kArms[level];
  const bool surrendered = level <= 1 && unit.HasSurrendered();
  const float z = level <= 1 ? 113.4f : 116.4f;
  GGraphic* first = Entry(unit, kFirstArm);
  Bind(first);
  g->PushMatrix();
  g->TranslateXZ(surrendered ? -13.5f : -18.5f, z);
  g->RotateZ(Pose(unit, kShoulderTurn1, i));
  g->RotateX(Pose(unit, kShoulderSwing1, i));
  g->RotateY(Pose(unit, kShoulderRoll1, i));
  InfantryDraw::DrawPart(parts.upper, flag);
  g->PushMatrix();
  g->TranslateXZ(4.45f, -20.0f);
  g->RotateX(Pose(unit, kElbow1, i));
  InfantryDraw::DrawPart(parts.fore, flag);
  g->PopMatrix();
  g->PopMatrix();

  GGraphic* second = Entry(unit, kSecondArm);
  if (second != first) Bind(second);
  g->PushMatrix();
  g->Mirror(true, false, false);
  g->SetCullWinding(false);
  g->TranslateXZ(surrendered ? -13.5f : -15.5f, z);
  g->RotateZ(Pose(unit, kShoulderTurn2, i));
  g->RotateX(Pose(unit, kShoulderSwing2, i));
  g->RotateY(Pose(unit, kShoulderRoll2, i));
  InfantryDraw::DrawPart(parts.upper, flag);
  g->SetCullWinding(true);
  g->PushMatrix();
  g->TranslateXZ(4.45f, -20.0f);
  g->RotateX(Pose(unit, kElbow2, i));
  g->Mirror(true, false, false);
  InfantryDraw::DrawPart(parts.fore, flag);
  InfantryDraw::DrawCarriedItem(unit, i, level == 0 ? 0 : level - 1, flag);
}

// The shin, boot and foot of levels 0 and 1, by uniform code.
void DrawShin01(bool flag) {
  GGraph3D* g = gGraph3D;
  g->SetBackfaceCulling(false);
  InfantryDraw::DrawPart(FigureMesh::kShin0, flag);
  g->SetBackfaceCulling(true);
  const int32_t code = InfantryDraw::State().CurrentUniformCode;
  FigureMesh::PartId boot = FigureMesh::kBoot;
  if (code == 1) boot = FigureMesh::kBootCode1;
  if (code >= 7 && code <= 10) boot = FigureMesh::kBootHigh;
  InfantryDraw::DrawPart(boot, flag);
  InfantryDraw::DrawPart(FigureMesh::kFoot0, flag);
}

void DrawLowerLeg(int32_t level, bool flag) {
  if (level <= 1) {
    DrawShin01(flag);
  } else if (level == 2) {
    InfantryDraw::DrawPart(FigureMesh::kShin2, flag);
    if (flag) InfantryDraw::DrawPart(FigureMesh::kShin2Clip, flag);
  } else {
    InfantryDraw::DrawPart(FigureMesh::kShin3, flag);
  }
}

// Both legs of levels 0-5 (level 5: one piece per leg, no knee).
void DrawLegs(const Infantry& unit, int32_t i, int32_t level, bool flag) {
  GGraph3D* g = gGraph3D;
  static constexpr FigureMesh::PartId kThighs[5] = {FigureMesh::kThigh0, FigureMesh::kThigh1, FigureMesh::kThigh2,
                                                    FigureMesh::kThigh3, FigureMesh::kThigh3};
  const float hipY = level == 0 ? -1.5f : level == 1 ? -0.75f : 0.0f;
  const float kneeX = level <= 1 ? -1.3f : 0.0f;
  Bind(Entry(unit, kLegs));
  for (int32_t side = 0; side < 2; ++side) {
    const bool second = side == 1;
    g->PushMatrix();
    if (second) {
      g->Mirror(true, false, false);
      g->SetCullWinding(false);
    }
    g->Translate(-7.5f, hipY, 70.0f);
    g->RotateX(Pose(unit, second ? kHipSwing2 : kHipSwing1, i));
    g->RotateY(Pose(unit, second ? kHipSpread2 : kHipSpread1, i));
    if (level == 5) {
      InfantryDraw::DrawPart(FigureMesh::kLeg5, flag);
      if (second) g->SetCullWinding(true);
      g->PopMatrix();
      continue;
    }
    InfantryDraw::DrawPart(kThighs[level], flag);
    if (second) g->SetCullWinding(true);
    g->PushMatrix();
    g->TranslateXZ(second ? -kneeX : kneeX, -29.5f);
    g->RotateX(Pose(unit, second ? kKnee2 : kKnee1, i));
    if (second) g->Mirror(true, false, false);
    DrawLowerLeg(level, flag);
    g->PopMatrix();
    g->PopMatrix();
  }
}

// The cap shape of a uniform code (1..4) at levels 0 and 1.
int32_t CapShape(int32_t code) {
  if (code == 6 || code == 8) return 1;
  if (code == 7 || code == 15) return 2;
  if (code == 3 || code == 12) return 3;
  return 4;
}

bool WearsHelmetShell(int32_t code) { return code == 4 || code == 5 || code == 13 || code == 16; }
bool WearsHeadgearModel(int32_t code) { return code == 9 || code == 10 || code == 11; }

// The headgear of levels 0 and 1, in the head's frame.
void DrawHeadgear01(const Infantry& unit, int32_t level, bool flag) {
  GGraph3D* g = gGraph3D;
  const int32_t code = InfantryDraw::State().CurrentUniformCode;
  if (WearsHelmetShell(code)) {
    InfantryDraw::DrawHelmetShell(flag);
    return;
  }
  if (WearsHeadgearModel(code)) {
    InfantryDraw::DrawHeadgearModel(flag, Entry(unit, kHeadgear));
    return;
  }
  const int32_t shape = CapShape(code);
  Bind(Entry(unit, kHeadgear));
  if (level == 1) {
    const auto part = static_cast<FigureMesh::PartId>(FigureMesh::kCap1Shape1 + shape - 1);
    InfantryDraw::DrawPart(part, flag, 0, 1);  // the crown, seen from outside only
    g->SetBackfaceCulling(false);
    InfantryDraw::DrawPart(part, flag, 1);
    g->SetBackfaceCulling(true);
    return;
  }
  g->PushMatrix();
  if (shape == 1) g->TranslateZ(-1.0f);
  if (shape == 3) {
    g->TranslateZ(16.2f);
    g->Scale(1.04f, 1.04f, 0.88f);
  }
  if (shape == 4) g->ScaleX(0.92f);
  g->SetBackfaceCulling(false);
  InfantryDraw::DrawPart(static_cast<FigureMesh::PartId>(FigureMesh::kCap0Shape1 + shape - 1), flag);
  g->SetBackfaceCulling(true);
  g->PopMatrix();
}

void DrawHead01(const Infantry& unit, int32_t i, int32_t level, bool flag) {
  GGraph3D* g = gGraph3D;
  g->PushMatrix();
  g->RotateZ(Pose(unit, kHeadTurn, i));
  BindFace(level == 0 ? 792 : 1792);
  InfantryDraw::DrawPart(level == 0 ? FigureMesh::kFace0 : FigureMesh::kFace1, flag);
  DrawHeadgear01(unit, level, flag);
  g->PopMatrix();
}

void DrawHead2(const Infantry& unit, int32_t i, bool flag) {
  GGraph3D* g = gGraph3D;
  g->PushMatrix();
  g->RotateZ(Pose(unit, kHeadTurn, i));
  BindFace(2525);
  InfantryDraw::DrawPart(FigureMesh::kFace2, flag);
  const int32_t code = InfantryDraw::State().CurrentUniformCode;
  if (WearsHelmetShell(code) || code == 9) {
    if (code == 4) {
      g->SetColor(0.39f, 0.0f, 0.08f);
    } else {
      g->SetColor(0.1f, 0.05f, 0.1f);
    }
    InfantryDraw::DrawPart(FigureMesh::kHelmet2, flag);
  } else if (code == 6 || code == 11 || code == 8 || code == 7) {
    g->SetColor(0.16f, 0.19f, 0.19f);
    InfantryDraw::DrawPart(code == 7 ? FigureMesh::kCap2Peaked : FigureMesh::kCap2Plain, flag);
  } else {
    Bind(Entry(unit, kHeadgear));
    const bool round = code == 3 || code == 15 || code == 12;
    InfantryDraw::DrawPart(round ? FigureMesh::kCap2Textured : FigureMesh::kCap2TexturedPeaked, flag);
  }
  g->PopMatrix();
}

// The cap and face patches of levels 3-5, not turned with the head.
void DrawHead3(bool flag) {
  GGraph3D* g = gGraph3D;
  const int32_t code = InfantryDraw::State().CurrentUniformCode;
  if (code == 4) {
    g->SetColor(0.44f, 0.0f, 0.08f);
  } else if (code == 5 || code == 13 || code == 16 || code == 9 || code == 10) {
    g->SetColor(0.1f, 0.05f, 0.1f);
  } else if (code == 6 || code == 11 || code == 8 || code == 7) {
    g->SetColor(0.16f, 0.19f, 0.19f);
  } else {
    g->SetColor(0.2f, 0.17f, 0.12f);
  }
  InfantryDraw::DrawPart(FigureMesh::kCap3, flag);
  Colour(kSkin);
  InfantryDraw::DrawPart(FigureMesh::kSkin, flag);
}

bool LegsShown() {
  const InfantryDrawState& s = InfantryDraw::State();
  return s.PoseHidesArms == 0 && s.PoseHidesLegs == 0;
}

// Levels 0 to 3: torso, belt, back pack, head, arms with the item, legs.
void DrawDetailed(const Infantry& unit, int32_t i, int32_t level, bool flag) {
  static constexpr FigureMesh::PartId kTorsos[4] = {FigureMesh::kTorso0, FigureMesh::kTorso1, FigureMesh::kTorso2,
                                                    FigureMesh::kTorso2};
  static constexpr FigureMesh::PartId kBelts[4] = {FigureMesh::kBelt0, FigureMesh::kBelt1, FigureMesh::kBelt2,
                                                   FigureMesh::kBelt2};
  BeginFigure(unit, i, kTorsos[level], flag);
  Bind(Entry(unit, kBelt));
  InfantryDraw::DrawPart(kBelts[level], flag);
  InfantryDraw::DrawBackPack(unit, i, flag);
  if (level <= 1) {
    DrawHead01(unit, i, level, flag);
  } else if (level == 2) {
    DrawHead2(unit, i, flag);
  } else {
    DrawHead3(flag);
  }
  if (InfantryDraw::State().PoseHidesArms == 0) {
    DrawArms(unit, i, level, flag);
    if (LegsShown()) DrawLegs(unit, i, level, flag);
  }
  gGraph3D->PopMatrix();
}

}  // namespace

void InfantryDraw::DrawPart(FigureMesh::PartId part, bool flag, int32_t first, int32_t count) {
  GGraph3D* g = gGraph3D;
  const FigureMesh::Part& p = FigureMesh::kParts[part];
  const int32_t end = count < 0 ? p.first + p.count : p.first + first + count;
  for (int32_t k = p.first + first; k < end; ++k) {
    const FigureMesh::Primitive& q = FigureMesh::kPrimitives[k];
    const float* xyz = FigureMesh::kXyz + q.xyz;
    const float* uv = q.textured != 0 ? FigureMesh::kUv + q.uv : nullptr;
    switch (q.kind) {
      case FigureMesh::kStrip:
        if (uv != nullptr) {
          g->DrawTexturedStrip(flag, q.count, xyz, uv);
        } else {
          g->DrawColouredStrip(flag, q.count, xyz);
        }
        break;
      case FigureMesh::kFan:
        if (uv != nullptr) {
          g->DrawTexturedFan(flag, q.count, xyz, uv);
        } else {
          g->DrawColouredFan(flag, q.count, xyz);
        }
        break;
      case FigureMesh::kTriangle:
        if (uv != nullptr) {
          g->DrawTexturedTriangleArray(xyz, uv);
        } else {
          g->DrawColouredTriangleArray(xyz);
        }
        break;
      default:
        if (uv != nullptr) {
          g->DrawTexturedQuadArray(xyz, uv);
        } else {
          g->DrawColouredQuad(xyz[0], xyz[1], xyz[2], xyz[3], xyz[4], xyz[5], xyz[6], xyz[7], xyz[8], xyz[9],
                              xyz[10], xyz[11]);
        }
        break;
    }
  }
}

void InfantryDraw::DrawHelmetShell(bool flag) {
  GGraph3D* g = gGraph3D;
  const bool red = State().CurrentUniformCode == 4;
  g->SetBackfaceCulling(false);
  if (red) {
    g->SetColor(0.3f, 0.0f, 0.08f);
  } else {
    g->SetColor(0.08f, 0.04f, 0.08f);
  }
  DrawPart(FigureMesh::kHelmetOuter, flag);
  if (red) {
    g->SetColor(0.33f, 0.0f, 0.11f);
  } else {
    g->SetColor(0.1f, 0.05f, 0.1f);
  }
  g->SetCullWinding(false);
  DrawPart(FigureMesh::kHelmetInner, flag);
  g->SetCullWinding(true);
  if (red) {
    g->SetColor(0.36f, 0.0f, 0.11f);
  } else {
    g->SetColor(0.12f, 0.06f, 0.12f);
  }
  DrawPart(FigureMesh::kHelmetRim, flag);
  g->SetBackfaceCulling(true);
}

void InfantryDraw::DrawHeadgearModel(bool flag, GGraphic* texture) {
  GGraph3D* g = gGraph3D;
  g->PushMatrix();
  g->TranslateYZ(-1.0f, 129.0f);
  g->SetBackfaceCulling(false);
  Bind(texture);
  DrawPart(FigureMesh::kHeadgearModel, flag);
  g->SetBackfaceCulling(true);
  g->PopMatrix();
}

void InfantryDraw::DrawFigureLod0(const Infantry& unit, int32_t i, bool flag) { DrawDetailed(unit, i, 0, flag); }
void InfantryDraw::DrawFigureLod1(const Infantry& unit, int32_t i, bool flag) { DrawDetailed(unit, i, 1, flag); }
void InfantryDraw::DrawFigureLod2(const Infantry& unit, int32_t i, bool flag) { DrawDetailed(unit, i, 2, flag); }
void InfantryDraw::DrawFigureLod3(const Infantry& unit, int32_t i, bool flag) { DrawDetailed(unit, i, 3, flag); }

void InfantryDraw::DrawFigureLod4(const Infantry& unit, int32_t i, bool flag) {
  BeginFigure(unit, i, FigureMesh::kTorso4, flag);
  DrawHead3(flag);
  if (LegsShown()) DrawLegs(unit, i, 4, flag);
  gGraph3D->PopMatrix();
}

void InfantryDraw::DrawFigureLod5(const Infantry& unit, int32_t i, bool flag) {
  BeginFigure(unit, i, FigureMesh::kTorso4, flag);
  DrawHead3(flag);
  if (LegsShown()) DrawLegs(unit, i, 5, flag);
  gGraph3D->PopMatrix();
}

void InfantryDraw::DrawFigureLod6(const Infantry& unit, int32_t i, bool flag) {
  GGraph3D* g = gGraph3D;
  BeginFigure(unit, i, FigureMesh::kTorso4, flag);
  Colour(kSkin);
  g->SetBackfaceCulling(false);
  DrawPart(FigureMesh::kSkin, flag);
  g->SetBackfaceCulling(true);
  g->PopMatrix();
}

void InfantryDraw::DrawFigure(const Infantry& unit, int32_t level, int32_t i, bool flag) {
  switch (level) {
    case 0: DrawFigureLod0(unit, i, flag); break;
    case 1: DrawFigureLod1(unit, i, flag); break;
    case 2: DrawFigureLod2(unit, i, flag); break;
    case 3: DrawFigureLod3(unit, i, flag); break;
    case 4: DrawFigureLod4(unit, i, flag); break;
    case 5: DrawFigureLod5(unit, i, flag); break;
    default: DrawFigureLod6(unit, i, flag); break;
  }
}
