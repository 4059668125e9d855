#pragma once
#include "framework/core/GGroup.h"

// The owning list of the map's changing objects (craters, crater marks): its copy is the
// turn-start snapshot, a list of copies of the members.
class MapObjectList : public GGroup {
 public:
  MapObjectList() = default;
  ~MapObjectList() override = default;

  // A new list with copies of the members; fatal while the list is locked.
  GObject* CopyItself() const override;
};
