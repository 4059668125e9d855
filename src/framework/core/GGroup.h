#pragma once
#include <cstdint>

#include "framework/core/GObject.h"
#include "framework/core/Quorl.h"

// The framework's container: an ordered list of object pointers in one block that grows and
// shrinks by fixed rules. Walks lock the group; changing its membership while it is locked is
// fatal. By default the group owns its members and deletes them when it is destroyed.
class GGroup : public GObject {
 public:
  using Callback = void (*)(GObject* member, void* arg);
  using IndexedCallback = void (*)(int32_t index, GObject* member, void* arg);
  using Predicate = bool (*)(GObject* member, void* arg);
  using IndexedPredicate = bool (*)(int32_t index, GObject* member, void* arg);
  // Above 0 when a belongs after b.
  using Comparator = int32_t (*)(GObject* a, GObject* b, void* arg);

  static constexpr int32_t kInitialCapacity = 8;
  // Ranges of at most this many members are left to the final insertion pass of QuickSort.
  static constexpr int32_t kQuickSortCutoff = 12;
  static constexpr int32_t kQuickSortStackDepth = 150;

  GGroup() = default;
  GGroup(const GGroup&) = delete;
  GGroup& operator=(const GGroup&) = delete;
  ~GGroup() override;

  // Gives a new group its first block of 8 places; call once after construction.
  void IGroup() { Init(); }
  void Init();
  // With false (the usual use) the group becomes a plain reference list.
  void SetOwnsMembers(bool owns = false) { ownsMembers_ = owns; }
  bool OwnsMembers() const { return ownsMembers_; }
  // The next copy shares the member pointers instead of copying the members.
  void SetShallowCopy() { shallowCopy_ = true; }

  // A number that changes whenever the members or their order may have changed, and that no
  // other group of the run has had: a cache of a group's members is current while the group
  // and this number are those it was made from. Locking and unlocking change it too, since
  // the locked block can be written.
  uint64_t Stamp() const { return stamp_; }

  // Pins the block and forbids membership changes until the matching Unlock; nests.
  GObject** Lock() {
    Touch();
    return Pin();
  }
  void Unlock() {
    Touch();
    Unpin();
  }
  bool IsLocked() const { return lockCount_ != 0; }

  int32_t Count() const { return count_; }
  int32_t Capacity() const { return capacity_; }
  int32_t LowWaterMark() const { return lowWater_; }

  // The members in order, for reading many at once (null when the group is empty). Valid
  // until the group changes.
  const GObject* const* Items() const { return block_; }
  GObject* GetItem(int32_t index) const {
    if (index < 0) FatalError(566, "GGroup");
    if (index >= count_) FatalError(568, "GGroup");
    return block_[index];
  }

  void Append(GObject* member);
  void AppendGroup(GGroup& other);
  // Before index; an index outside the members appends.
  void InsertAt(GObject* member, int32_t index);
  void AddLast(GObject* member) { InsertAt(member, -1); }
  void ReplaceAt(int32_t index, GObject* member, bool deleteOld);
  void Swap(int32_t i, int32_t j);

  // Removes a member; this class moves the last member into its place, order-keeping
  // subclasses remove it in place.
  virtual void Remove(GObject* member, bool deleteIt);
  // Removes the member at index; the later members move down one place.
  void RemoveAt(int32_t index, bool deleteIt = false);
  void RemoveObject(GObject* member, bool deleteIt);
  GObject* PopFirst();
  // Tests every member first, then removes the marked ones from the last to the first.
  virtual void RemoveIf(Predicate predicate, void* arg, bool deleteIt);
  // Empties the group (deleting the members with deleteIt) and gives it a fresh block.
  void DeleteAll(bool deleteIt);

  virtual void ForEach(Callback callback, void* arg);
  void ForEachIndexed(IndexedCallback callback, void* arg);
  GObject* FindFirst(Predicate predicate, void* arg);
  GObject* FindLast(Predicate predicate, void* arg);
  // With a null predicate, the first index whose member is arg.
  int32_t FindIndex(IndexedPredicate predicate, void* arg);
  int32_t IndexOf(const GObject* member);
  bool Contains(const GObject* member) { return IndexOf(member) >= 0; }
  GObject* GetNeighbour(const GObject* member, bool next, bool wrap);

  // Stable insertion sort of all members.
  void Sort(Comparator comparator, void* arg);
  void QuickSort(Comparator comparator, void* arg);
  // Count draws of Random(count), from the last place to the first.
  void Shuffle();

  // The stored form: the owns-members byte, the count (big-endian) and each member's own
  // stored form. Reading takes only the owns-members byte; the owning class reads the count
  // and creates the members, since only it knows their kind.
  void Read(GFile& file) override;
  void Write(GFile& file) const override;

  GObject* CopyItself() const override;
  // Gives the target group its own block with this group's members, copied unless the
  // shallow-copy flag was set.
  void CopyTo(GObject* target) const override;
  void CopyInto(GGroup& target) const;
  void CopyFields(const GGroup& source);

 protected:
  void InsertionSort(int32_t first, int32_t last, Comparator comparator, void* arg);
  int32_t Partition(int32_t lo, int32_t hi, Comparator comparator, void* arg);
  // Deletes one member after testing its magic word (fatal at line when it is wrong).
  static void DeleteMember(GObject* member, int32_t line);
  void RemoveMarked(const uint8_t* marks, int32_t count, bool deleteIt, bool keepOrder);

 private:
  // The group's own walks: locked as Lock locks, the stamp left as it is (a walk that writes
  // the block changes it itself).
  class LockScope;
  GObject** Pin() {
    ++lockCount_;
    if (lockDepth_ <= 0) {
      lockDepth_ = 1;
      lockedArray_ = block_;
    } else {
      ++lockDepth_;
    }
    if (lockedArray_ == nullptr) FatalError(1426, "Quorl");
    return lockedArray_;
  }
  void Unpin() {
    if (--lockCount_ < 0) FatalError(1447, "Quorl");
    if (--lockDepth_ < 0) FatalError(1451, "Quorl");
    if (lockDepth_ == 0) lockedArray_ = nullptr;
  }
  static uint64_t NextStamp();
  void Touch() { stamp_ = NextStamp(); }
  void ResetFields();
  void Resize();
  void ShrinkIfNeeded() {
    if (count_ <= lowWater_) Resize();
  }
  void FreeBlock();

  int32_t count_ = 0;
  int32_t capacity_ = 0;
  int32_t lowWater_ = -1;
  int32_t lockDepth_ = 0;
  bool ownsMembers_ = true;
  GObject** block_ = nullptr;
  GObject** lockedArray_ = nullptr;
  int32_t lockCount_ = 0;
  mutable bool shallowCopy_ = false;
  uint64_t stamp_ = NextStamp();
};
