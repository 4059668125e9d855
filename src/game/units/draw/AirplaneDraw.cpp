// The aircraft's shadow on the ground: drawn under an attacking aircraft while the action is
// replayed, never in the editor or during set-up.
#include "framework/media/GGraph3D.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/OrderState.h"
#include "game/units/airplane/Airplane.h"
#include "game/units/ports/UnitBattleQueries.h"
#include "game/units/ports/UnitServices.h"

namespace {
}  // namespace

bool Airplane::ShowsShadow() const {
  if (IsEditorOpen() || state != kAttacking || alive == 0) return false;
  const MapBattleServices* battle = UnitBattle();
  if (battle != nullptr && battle->IsSetupPhase()) return false;
  const MapAppServices* app = UnitApp();
  return app != nullptr && app->GetInputMode() == InputModes::kReplay;
}

void Airplane::Draw(bool) {
  GGraph3D* g = gGraph3D;
  const Map* map = UnitBattleMap();
  if (g == nullptr || map == nullptr || !ShowsShadow()) return;
  const float z = map->ElevationAt(x, y) + 0.75f;
  g->PushMatrix();
  // The drawing frame is turned to the facing already.
  g->TranslateZ(z);
  g->SetColor(0.15f, 0.2f, 0.15f);
  g->DrawColouredTriangle(-0.8f, 2.0f, 0.0f, 0.8f, 2.0f, 0.0f, 0.0f, -8.0f, 0.0f);
  static constexpr float kQuads[4][8] = {
      {-6.3f, -0.2f, 0.0f, 0.0f, 0.0f, -2.4f, -6.1f, -1.6f},
      {0.0f, 0.0f, 6.3f, -0.2f, 6.1f, -1.6f, 0.0f, -2.4f},
      {-2.2f, -6.8f, 0.0f, -6.5f, 0.0f, -7.5f, -2.2f, -7.5f},
      {0.0f, -6.5f, 2.2f, -6.8f, 2.2f, -7.5f, 0.0f, -7.5f},
  };
  for (const auto& q : kQuads) {
    g->DrawColouredQuad(q[0], q[1], 0.0f, q[2], q[3], 0.0f, q[4], q[5], 0.0f, q[6], q[7], 0.0f);
  }
  g->PopMatrix();
}
