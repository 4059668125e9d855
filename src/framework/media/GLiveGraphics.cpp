#include "framework/media/GLiveGraphics.h"

#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraphicFactory.h"

GLiveGraphics::GLiveGraphics() : group_(new GGroup()) { group_->Init(); }

GLiveGraphics::~GLiveGraphics() { DeleteAll(); }

void GLiveGraphics::DeleteAll() {
  walking_ = true;
  SafeDelete(group_);
}

void GLiveGraphics::Track(GGraphic* graphic, bool add) {
  // The graphics being deleted here leave a group that is going away anyway.
  if (walking_ && !add) return;
  GGraphicFactory::TrackGraphic(group_, walking_, graphic, add);
}
