#include "game/map/MapObjectList.h"

GObject* MapObjectList::CopyItself() const {
  if (IsLocked()) FatalError(1541, "Map");
  auto* copy = new MapObjectList;
  copy->CopyFields(*this);
  CopyInto(*copy);
  return copy;
}
