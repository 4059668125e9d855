#include "framework/core/GObjectGroup.h"

#include <memory>
#include <new>

GObject* GObjectGroup::CopyItself() const {
  if (IsLocked()) FatalError(849, "GGroup");
  GObjectGroup* copy = new GObjectGroup;
  copy->CopyFields(*this);
  CopyTo(copy);
  return copy;
}

namespace {

struct PlainPredicate {
  GGroup::Predicate predicate;
  void* arg;
};

bool CallPlain(int32_t, GObject* member, void* arg) {
  auto* plain = static_cast<PlainPredicate*>(arg);
  return plain->predicate(member, plain->arg);
}

}  // namespace

void GObjectGroup::RemoveIf(Predicate predicate, void* arg, bool deleteIt) {
  PlainPredicate plain{predicate, arg};
  GObjectGroup::RemoveIfIndexed(CallPlain, &plain, deleteIt);
}

void GObjectGroup::RemoveIfIndexed(IndexedPredicate predicate, void* arg, bool deleteIt) {
  int32_t count = Count();
  std::unique_ptr<uint8_t[]> marks(new (std::nothrow) uint8_t[static_cast<size_t>(count) + 1]);
  if (!marks) FatalError(755, "GGroup");
  GObject** members = Lock();
  for (int32_t i = 0; i < count; ++i) {
    marks[i] = predicate(i, members[i], arg) ? 1 : 0;
    if (Count() != count) FatalError(342, "GGroup");
  }
  Unlock();
  if (Count() != count) FatalError(351, "GGroup");
  RemoveMarked(marks.get(), count, deleteIt, true);
}
