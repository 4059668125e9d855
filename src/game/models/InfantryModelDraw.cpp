#include "game/models/InfantryModelDraw.h"

#include "framework/media/GGraph3D.h"
#include "framework/media/GGraphic.h"
#include "game/models/WeaponModelData.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"

namespace {

constexpr float kRecoilDistance = -0.012f;
constexpr float kDeadElevation = -10.0f;

void Bind(const InfantryModelDraw::State& state, int32_t slot) {
  if (state.textures == nullptr || slot < 0 || slot > 16) return;
  GGraphic* graphic = state.textures[slot];
  if (graphic != nullptr && graphic->GetStub() != nullptr) gGraph3D->SetTexture(graphic);
}

// Routine by weapon draw kind.
constexpr int8_t kRoutineOfKind[InfantryModelDraw::kModels] = {17, 22, 18, 19, 21, 20, 0, 1,  2,  3,  16, 15,
                                                                14, 7,  6,  5,  13, 12, 10, 11, 8, 9, 4};
// The weapon's textures follow the unit's own in its third texture set.
constexpr int32_t kWeaponTextureSet = 2;

}  // namespace

void InfantryModelDraw::Install() {
  static InfantryModelDraw drawer;
  SetWeaponModelDrawer(&drawer);
}

int32_t InfantryModelDraw::RoutineForKind(int32_t drawKind) {
  return drawKind >= 0 && drawKind < kModels ? kRoutineOfKind[drawKind] : -1;
}

void InfantryModelDraw::DrawWeaponModel(Infantry& unit, int32_t drawKind, bool clip) {
  const int32_t routine = RoutineForKind(drawKind);
  if (routine < 0 || gGraph3D == nullptr) return;
  State& state = Published();
  state.unit = &unit;
  state.textures = unit.textures[kWeaponTextureSet].data();
  state.elevation = ElevationOf(unit);
  state.facing = unit.facing;
  gGraph3D->SetBackfaceCulling(false);
  Draw(routine, clip);
  gGraph3D->SetBackfaceCulling(true);
}

InfantryModelDraw::State& InfantryModelDraw::Published() {
  static State state;
  return state;
}

float InfantryModelDraw::ElevationOf(const Unit& unit) { return unit.alive != 0 ? unit.gunElevation : kDeadElevation; }

void InfantryModelDraw::Draw(int32_t model, bool clip) {
  GGraph3D* g = gGraph3D;
  if (g == nullptr || model < 0 || model >= kModels) return;
  const WeaponModelData& data = WeaponModelData::kModels[model];
  const State& state = Published();
  const float* xyz = data.block;
  const float* uv = data.block + data.uvStart;
  const float* scalars = data.block + data.scalarStart;
  const float* pivot = scalars + WeaponModelData::kPivot;
  const float* back = scalars + WeaponModelData::kNegatedPivot;
  const float* inlineValues = scalars + WeaponModelData::kFirstInline;
  g->SetBackfaceCulling(false);
  for (int32_t i = 0; i < data.stepCount; ++i) {
    const int32_t op = data.steps[2 * i];
    const int32_t arg = data.steps[2 * i + 1];
    switch (op) {
      case WeaponModelData::kBind:
        Bind(state, arg);
        break;
      case WeaponModelData::kFan:
        g->DrawTexturedFan(clip, arg, xyz, uv);
        xyz += 3 * (arg + 2);
        uv += 2 * (arg + 2);
        break;
      case WeaponModelData::kStrip:
        g->DrawTexturedStrip(clip, arg, xyz, uv);
        xyz += 3 * (arg + 2);
        uv += 2 * (arg + 2);
        break;
      case WeaponModelData::kTriangle:
        g->DrawTexturedTriangleArray(xyz, uv);
        xyz += 9;
        uv += 6;
        break;
      case WeaponModelData::kInline: {
        const float* v = inlineValues;
        g->DrawTexturedTriangle(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], v[12], v[13],
                                v[14]);
        inlineValues += WeaponModelData::kInlineValues;
        break;
      }
      case WeaponModelData::kSave:
        g->PushMatrix();
        break;
      case WeaponModelData::kRestore:
        g->PopMatrix();
        break;
      case WeaponModelData::kTurnBack:
        g->RotateZ(-state.facing);
        break;
      case WeaponModelData::kElevate:
        g->Translate(pivot[0], pivot[1], pivot[2]);
        g->RotateX(state.elevation);
        g->Translate(back[0], back[1], back[2]);
        break;
      case WeaponModelData::kFlash:
        if (state.unit != nullptr) state.unit->DrawMuzzleFlash(1.0f, pivot[0], scalars[WeaponModelData::kMuzzle], pivot[2]);
        break;
      case WeaponModelData::kRecoil:
        if (state.unit != nullptr) state.unit->TranslateRecoil(kRecoilDistance);
        break;
      default:
        break;
    }
  }
  g->SetBackfaceCulling(true);
}
