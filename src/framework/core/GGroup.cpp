#include "framework/core/GGroup.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

// Holds a group locked for the length of a walk.
class GGroup::LockScope {
 public:
  explicit LockScope(GGroup& group) : group_(group), members_(group.Pin()) {}
  ~LockScope() { group_.Unpin(); }
  LockScope(const LockScope&) = delete;
  LockScope& operator=(const LockScope&) = delete;
  GObject** Members() const { return members_; }

 private:
  GGroup& group_;
  GObject** members_;
};

uint64_t GGroup::NextStamp() {
  static std::atomic<uint64_t> last{0};
  return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

GGroup::~GGroup() {
  if (block_ == nullptr) return;
  if (ownsMembers_) {
    ForEach([](GObject* member, void*) { DeleteMember(member, 49); }, nullptr);
  }
  FreeBlock();
}

void GGroup::ResetFields() {
  Touch();
  count_ = 0;
  capacity_ = 0;
  block_ = nullptr;
  lockedArray_ = nullptr;
  lowWater_ = -1;
  ownsMembers_ = true;
  lockDepth_ = 0;
  lockCount_ = 0;
  shallowCopy_ = false;
}

void GGroup::Init() {
  Touch();
  capacity_ = kInitialCapacity;
  block_ = static_cast<GObject**>(std::calloc(static_cast<size_t>(kInitialCapacity), sizeof(GObject*)));
  if (block_ == nullptr) FatalError(42, "GGroup");
}

void GGroup::FreeBlock() {
  Touch();
  std::free(block_);
  block_ = nullptr;
  lockedArray_ = nullptr;
}

void GGroup::DeleteMember(GObject* member, int32_t line) {
  if (member == nullptr || member->Magic() != GObject::kMagic) FatalError(line, "GGroup");
  delete member;
}

void GGroup::Resize() {
  int32_t c = count_;
  int32_t capacity;
  int32_t lowWater;
  if (c < 8) {
    capacity = 8;
    lowWater = -1;
  } else if (c <= 128) {
    capacity = 2 * c;
    lowWater = c / 2;
  } else {
    // Past 128 members the block grows by 1.4 and shrinks when the count falls to 1/1.4.
    double grown = static_cast<double>(c) * 1.4;
    capacity = grown >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(grown);
    lowWater = static_cast<int32_t>(static_cast<double>(c) * 0.7142857142857143);
  }
  if (capacity <= 0) FatalError(184, "GGroup");
  if (lowWater < -1) FatalError(185, "GGroup");
  if (lockCount_ != 0) FatalError(186, "GGroup");
  if (lockDepth_ != 0) FatalError(187, "GGroup");
  void* grown = std::realloc(block_, static_cast<size_t>(capacity) * sizeof(GObject*));
  if (grown == nullptr) FatalError(193, "GGroup");
  block_ = static_cast<GObject**>(grown);
  capacity_ = capacity;
  lowWater_ = lowWater;
}

void GGroup::Append(GObject* member) {
  Touch();
  if (lockCount_ != 0) FatalError(91, "GGroup");
  if (count_ >= capacity_) Resize();
  block_[count_++] = member;
}

void GGroup::AppendGroup(GGroup& other) {
  other.ForEach([](GObject* member, void* self) { static_cast<GGroup*>(self)->Append(member); }, this);
}

void GGroup::InsertAt(GObject* member, int32_t index) {
  Touch();
  if (lockCount_ != 0) FatalError(621, "GGroup");
  if (index < 0 || index >= count_) {
    Append(member);
    return;
  }
  if (count_ >= capacity_) Resize();
  std::memmove(block_ + index + 1, block_ + index, static_cast<size_t>(count_ - index) * sizeof(GObject*));
  block_[index] = member;
  ++count_;
}

void GGroup::ReplaceAt(int32_t index, GObject* member, bool deleteOld) {
  Touch();
  if (index < 0) FatalError(930, "GGroup");
  if (index >= count_) FatalError(931, "GGroup");
  if (deleteOld) {
    if (!ownsMembers_) FatalError(937, "GGroup");
    DeleteMember(block_[index], 939);
  }
  block_[index] = member;
}

void GGroup::Swap(int32_t i, int32_t j) {
  Touch();
  if (i == j) return;
  if (i < 0) FatalError(907, "GGroup");
  if (i >= count_) FatalError(908, "GGroup");
  if (j < 0) FatalError(909, "GGroup");
  if (j >= count_) FatalError(910, "GGroup");
  GObject* t = block_[i];
  block_[i] = block_[j];
  block_[j] = t;
}

void GGroup::Remove(GObject* member, bool deleteIt) {
  Touch();
  if (lockCount_ != 0) FatalError(127, "GGroup");
  if (count_ == 0) return;
  int32_t index = IndexOf(member);
  if (index < 0) return;
  --count_;
  if (deleteIt) {
    if (!ownsMembers_) FatalError(145, "GGroup");
    DeleteMember(member, 147);
  }
  block_[index] = block_[count_];
  ShrinkIfNeeded();
}

void GGroup::RemoveAt(int32_t index, bool deleteIt) {
  Touch();
  if (lockCount_ != 0) FatalError(656, "GGroup");
  if (index < 0) FatalError(657, "GGroup");
  if (index >= count_) FatalError(658, "GGroup");
  if (deleteIt) DeleteMember(block_[index], 665);
  std::memmove(block_ + index, block_ + index + 1, static_cast<size_t>(count_ - index - 1) * sizeof(GObject*));
  --count_;
  ShrinkIfNeeded();
}

void GGroup::RemoveObject(GObject* member, bool deleteIt) {
  int32_t index = IndexOf(member);
  if (index >= 0) RemoveAt(index, deleteIt);
}

GObject* GGroup::PopFirst() {
  if (count_ == 0) return nullptr;
  GObject* first = block_[0];
  RemoveAt(0, false);
  return first;
}

void GGroup::RemoveMarked(const uint8_t* marks, int32_t count, bool deleteIt, bool keepOrder) {
  for (int32_t i = count - 1; i >= 0; --i) {
    if (!marks[i]) continue;
    if (keepOrder) {
      RemoveAt(i, deleteIt);
    } else {
      Remove(block_[i], deleteIt);
    }
  }
}

void GGroup::RemoveIf(Predicate predicate, void* arg, bool deleteIt) {
  int32_t count = count_;
  std::unique_ptr<uint8_t[]> marks(new (std::nothrow) uint8_t[static_cast<size_t>(count) + 1]);
  if (!marks) FatalError(337, "GGroup");
  {
    LockScope lock(*this);
    for (int32_t i = 0; i < count; ++i) {
      marks[i] = predicate(lock.Members()[i], arg) ? 1 : 0;
      if (count_ != count) FatalError(342, "GGroup");
    }
  }
  if (count_ != count) FatalError(351, "GGroup");
  RemoveMarked(marks.get(), count, deleteIt, false);
}

void GGroup::DeleteAll(bool deleteIt) {
  if (count_ == 0) return;
  // Emptying the group under a walk would pull the members from under it.
  if (lockCount_ != 0) FatalError(186, "GGroup");
  if (deleteIt) {
    ForEach([](GObject* member, void*) { DeleteMember(member, 49); }, nullptr);
  }
  bool owns = ownsMembers_;
  FreeBlock();
  ResetFields();
  Init();
  ownsMembers_ = owns;
}

void GGroup::ForEach(Callback callback, void* arg) {
  LockScope lock(*this);
  for (int32_t i = 0; i < count_; ++i) callback(lock.Members()[i], arg);
}

void GGroup::ForEachIndexed(IndexedCallback callback, void* arg) {
  if (count_ == 0) return;
  LockScope lock(*this);
  for (int32_t i = 0; i < count_; ++i) callback(i, lock.Members()[i], arg);
}

GObject* GGroup::FindFirst(Predicate predicate, void* arg) {
  LockScope lock(*this);
  for (int32_t i = 0; i < count_; ++i) {
    if (predicate(lock.Members()[i], arg)) return lock.Members()[i];
  }
  return nullptr;
}

GObject* GGroup::FindLast(Predicate predicate, void* arg) {
  LockScope lock(*this);
  for (int32_t i = count_ - 1; i >= 0; --i) {
    if (predicate(lock.Members()[i], arg)) return lock.Members()[i];
  }
  return nullptr;
}

int32_t GGroup::FindIndex(IndexedPredicate predicate, void* arg) {
  LockScope lock(*this);
  GObject** members = lock.Members();
  for (int32_t i = 0; i < count_; ++i) {
    if (predicate == nullptr ? members[i] == arg : predicate(i, members[i], arg)) return i;
  }
  return -1;
}

int32_t GGroup::IndexOf(const GObject* member) {
  return FindIndex(nullptr, const_cast<GObject*>(member));
}

GObject* GGroup::GetNeighbour(const GObject* member, bool next, bool wrap) {
  int32_t index = IndexOf(member);
  if (index < 0) return nullptr;
  if (next) {
    if (index + 1 < count_) return block_[index + 1];
    return wrap ? block_[0] : nullptr;
  }
  if (index > 0) return block_[index - 1];
  return wrap ? block_[count_ - 1] : nullptr;
}

void GGroup::InsertionSort(int32_t first, int32_t last, Comparator comparator, void* arg) {
  Touch();
  GObject** a = block_;
  for (int32_t k = first + 1; k <= last; ++k) {
    GObject* v = a[k];
    int32_t m = k;
    while (m > first && comparator(a[m - 1], v, arg) >= 1) {
      a[m] = a[m - 1];
      --m;
    }
    a[m] = v;
  }
}

void GGroup::Sort(Comparator comparator, void* arg) {
  LockScope lock(*this);
  InsertionSort(0, count_ - 1, comparator, arg);
}

int32_t GGroup::Partition(int32_t lo, int32_t hi, Comparator comparator, void* arg) {
  Touch();
  GObject** a = block_;
  auto exchange = [a](int32_t x, int32_t y) {
    GObject* t = a[x];
    a[x] = a[y];
    a[y] = t;
  };
  // Median of three: a[lo] <= a[mid] <= a[hi]; the median becomes the pivot next to hi.
  int32_t mid = lo + (hi - lo) / 2;
  if (comparator(a[lo], a[mid], arg) > 0) exchange(lo, mid);
  if (comparator(a[lo], a[hi], arg) > 0) exchange(lo, hi);
  if (comparator(a[mid], a[hi], arg) > 0) exchange(mid, hi);
  int32_t pivot = hi - 1;
  exchange(mid, pivot);
  int32_t i = lo;
  int32_t j = pivot;
  for (;;) {
    ++i;
    while (i < pivot && comparator(a[i], a[pivot], arg) < 0) ++i;
    --j;
    while (j > i && comparator(a[j], a[pivot], arg) > 0) --j;
    if (j <= i) {
      exchange(i, pivot);
      return i;
    }
    exchange(i, j);
  }
}

void GGroup::QuickSort(Comparator comparator, void* arg) {
  LockScope lock(*this);
  struct Range {
    int32_t lo;
    int32_t hi;
  };
  // stack[0] is the whole range, the sentinel; pending ranges sit above it.
  Range stack[kQuickSortStackDepth + 1];
  int32_t pending = 0;
  stack[0] = {0, count_ - 1};
  int32_t lo = 0;
  int32_t hi = count_ - 1;
  for (;;) {
    if (hi - lo < kQuickSortCutoff) {
      if (pending == 0) break;
      lo = stack[pending].lo;
      hi = stack[pending].hi;
      --pending;
      continue;
    }
    int32_t p = Partition(lo, hi, comparator, arg);
    // The larger side waits, the smaller one goes on, so the stack stays shallow.
    ++pending;
    if (hi - p < p - lo) {
      stack[pending] = {lo, p - 1};
      lo = p + 1;
    } else {
      stack[pending] = {p + 1, hi};
      hi = p - 1;
    }
    if (pending >= kQuickSortStackDepth) FatalError(1049, "GGroup");
  }
  InsertionSort(0, count_ - 1, comparator, arg);
}

void GGroup::Shuffle() {
  LockScope lock(*this);
  Touch();
  GObject** a = lock.Members();
  for (int32_t i = count_ - 1; i >= 0; --i) {
    int32_t j = Random(count_);
    if (j != i) {
      GObject* t = a[i];
      a[i] = a[j];
      a[j] = t;
    }
  }
}

void GGroup::CopyFields(const GGroup& source) {
  Touch();
  count_ = source.count_;
  capacity_ = source.capacity_;
  lowWater_ = source.lowWater_;
  lockDepth_ = source.lockDepth_;
  ownsMembers_ = source.ownsMembers_;
  block_ = source.block_;
  lockedArray_ = source.lockedArray_;
  lockCount_ = source.lockCount_;
  shallowCopy_ = source.shallowCopy_;
}

GObject* GGroup::CopyItself() const {
  if (lockCount_ != 0) FatalError(446, "GGroup");
  GGroup* copy = new GGroup;
  copy->CopyFields(*this);
  CopyTo(copy);
  return copy;
}

void GGroup::CopyTo(GObject* target) const {
  GGroup* group = dynamic_cast<GGroup*>(target);
  if (group == nullptr) FatalError(58, "GObject");
  CopyInto(*group);
}

void GGroup::CopyInto(GGroup& target) const {
  if (&target == this) return;
  // A target that already had a block of its own gives it up first (as if destroyed), so
  // that nothing it held is leaked; a fresh copy still shares this group's block here.
  if (target.block_ != nullptr && target.block_ != block_) {
    if (target.lockCount_ != 0) FatalError(446, "GGroup");
    if (target.ownsMembers_) {
      target.ForEach([](GObject* member, void*) { DeleteMember(member, 49); }, nullptr);
    }
    target.FreeBlock();
  }
  target.CopyFields(*this);
  target.lockDepth_ = 0;
  target.lockCount_ = 0;
  target.lockedArray_ = nullptr;
  int32_t places = capacity_ > 0 ? capacity_ : kInitialCapacity;
  target.block_ = static_cast<GObject**>(std::calloc(static_cast<size_t>(places), sizeof(GObject*)));
  if (target.block_ == nullptr) FatalError(42, "GGroup");
  target.capacity_ = places;
  if (count_ > 0) std::memcpy(target.block_, block_, static_cast<size_t>(count_) * sizeof(GObject*));
  if (shallowCopy_) {
    shallowCopy_ = false;
    target.shallowCopy_ = false;
    return;
  }
  for (int32_t i = 0; i < count_; ++i) target.block_[i] = target.block_[i]->CopyItself();
}
