#include "framework/core/GObject.h"

#include "framework/core/Quorl.h"

GObject::~GObject() {
  if (magic_ != kMagic) FatalError(17, "GObject");
  magic_ = 0;
}

GObject* GObject::CopyItself() const { FatalError(38, "GObject"); }

void GObject::CopyTo(GObject*) const { FatalError(58, "GObject"); }

void GObject::Read(GFile&) { FatalError(69, "GObject"); }

void GObject::Write(GFile&) const { FatalError(80, "GObject"); }
