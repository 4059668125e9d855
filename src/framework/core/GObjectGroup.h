#pragma once
#include "framework/core/GGroup.h"

// The owning list most classes use: removals keep the order of the remaining members, and a
// removal by predicate can also see each member's index.
class GObjectGroup : public GGroup {
 public:
  GObjectGroup() = default;
  ~GObjectGroup() override = default;

  void IObjectGroup() { Init(); }

  GObject* CopyItself() const override;
  // Removes the member in place (order kept).
  void Remove(GObject* member, bool deleteIt) override { RemoveObject(member, deleteIt); }
  // Tests every member first, then removes the marked ones in place, last to first.
  void RemoveIf(Predicate predicate, void* arg, bool deleteIt) override;
  virtual void RemoveIfIndexed(IndexedPredicate predicate, void* arg, bool deleteIt);
};
