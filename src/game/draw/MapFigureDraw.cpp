// The crew figures riding on vehicles: the map's cached soldier figures, posed and drawn in the
// vehicle's matrix.
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "game/map/Map.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/draw/InfantryDraw.h"

void Map::DrawFigure(int32_t kind, int32_t figure, float x, float y, float z, float heading, float look, bool clip,
                     float scale) {
  GGraph3D* g = gGraph3D;
  if (figure < 0 || figure >= kFigureModels) FatalError(190, "Map");
  if (g == nullptr) return;
  EnsureFigurePrototype(figure);
  Unit* model = UnitOfObject(display.figureModels[static_cast<size_t>(figure)]);
  Infantry* man = model != nullptr ? model->AsInfantryUnit() : nullptr;
  if (man == nullptr) return;
  g->PushMatrix();
  g->Translate(0.04f * x, 0.04f * y, 0.04f * z);
  g->Scale(0.00045f, 0.00045f, 0.00045f);
  g->RotateZ(heading);
  InfantryDraw::SetPose(*man, kind, look);
  // The caller chose the face: the squad drawing must not take the figure's own.
  InfantryDrawState& state = InfantryDraw::State();
  state.UseOwnFaceVariants = 0;
  man->DrawSquad(clip, scale);
  state.UseOwnFaceVariants = 1;
  g->PopMatrix();
}
