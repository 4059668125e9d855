// Where a pick shows on the screen: its origin projected through the battlefield view.
#include "framework/media/GGraph3D.h"
#include "framework/ui/GView.h"
#include "framework/ui/GViewHost.h"
#include "game/battle/Battle.h"
#include "game/map/Map.h"
#include "game/map/OrderState.h"

void Battle::ProjectPickOrigin() {
  if (map == nullptr) return;
  OrderState& state = map->orders;
  // The unit's place on the screen: the menu opens there and the line's label is set to
  // its side, also when the unit was selected by a key rather than a click.
  auto* view = dynamic_cast<GView*>(map->display.battleView);
  GGraph3D* g = gGraph3D;
  if (view != nullptr && g != nullptr && GViewHost::Current() != nullptr && GViewHost::Current()->Is3D()) {
    view->SetRendererViewport();
    float sx = state.originX;
    float sy = state.originY;
    if (g->ProjectToScreen(&sx, &sy, state.originHeight, false)) {
      state.menuX = state.originScreenX = static_cast<int32_t>(sx);
      state.menuY = state.originScreenY = static_cast<int32_t>(sy);
    }
  }
}

void Battle::TrackPickWithView() {
  if (map == nullptr) return;
  if (auto* view = dynamic_cast<GView*>(map->display.battleView)) view->BeginTracking();
}
