#include "game/models/ModelDrawContext.h"

#include "framework/media/GGraph3D.h"
#include "framework/media/GGraphic.h"

void ModelDrawContext::Bind(int32_t i) const {
  if (gGraph3D == nullptr || textures == nullptr || i < 0 || i >= kTextures) return;
  GGraphic* graphic = textures[i];
  // A graphic without pixels (an excluded bitmap) has nothing to bind.
  if (graphic != nullptr && graphic->GetStub() != nullptr) gGraph3D->SetTexture(graphic);
}

ModelDrawContext& ModelDrawContext::Current() {
  static ModelDrawContext context;
  return context;
}
