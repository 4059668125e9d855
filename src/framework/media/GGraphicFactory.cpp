#include "framework/media/GGraphicFactory.h"

#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraphic.h"

GGraphic* GGraphicFactory::NewGraphicOfKind(int32_t kind, int32_t number) {
  GGraphic* graphic = new GGraphic;
  graphic->Load(kind, number, kNormalDetail, false);
  return graphic;
}

GGraphic* GGraphicFactory::TryNewGraphic(int32_t kind, int32_t number) {
  GGraphic* graphic = new GGraphic;
  if (!graphic->Load(kind, number, kNormalDetail, true)) SafeDelete(graphic);
  return graphic;
}

GGraphic* GGraphicFactory::NewTextureGraphic(int32_t number, int32_t detail) {
  if (number < 1) return nullptr;
  GGraphic* graphic = new GGraphic;
  graphic->Load(GGraphic::kTextureKind, number, detail, false);
  return graphic;
}

void GGraphicFactory::TrackGraphic(GGroup* liveGraphics, bool walking, GGraphic* graphic, bool add) {
  if (liveGraphics == nullptr) FatalError(6133, "GKernel");
  if (add) {
    if (!liveGraphics->Contains(graphic)) liveGraphics->Append(graphic);
  } else if (!walking && liveGraphics->Contains(graphic)) {
    liveGraphics->Remove(graphic, false);
  }
}
