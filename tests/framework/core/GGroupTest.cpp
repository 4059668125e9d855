#include "framework/core/GGroup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "StoredForm.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/Quorl.h"
#include "platform/PSystem.h"
#include "support/TestFolder.h"

namespace {

int gLive = 0;

class Item : public GObject {
 public:
  explicit Item(int value) : value(value) { ++gLive; }
  Item(const Item& other) : GObject(other), value(other.value) { ++gLive; }
  ~Item() override { --gLive; }
  GObject* CopyItself() const override { return new Item(*this); }
  void Write(GFile& file) const override { file.WriteU16(static_cast<uint16_t>(value)); }
  int value;
};

int ValueOf(GObject* o) { return static_cast<Item*>(o)->value; }

std::vector<int> Values(GGroup& g) {
  std::vector<int> out;
  g.ForEach([](GObject* m, void* arg) { static_cast<std::vector<int>*>(arg)->push_back(ValueOf(m)); }, &out);
  return out;
}

int32_t ByValue(GObject* a, GObject* b, void* arg) {
  if (arg) ++*static_cast<int*>(arg);
  int x = ValueOf(a), y = ValueOf(b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

class GroupTest : public testing::Test {
 protected:
  void SetUp() override { gLive = 0; }
  void TearDown() override { EXPECT_EQ(gLive, 0); }
};

TEST_F(GroupTest, CapacityGrowsAndShrinksByItsRules) {
  GGroup g;
  EXPECT_EQ(g.Capacity(), 0);  // nothing allocated before IGroup
  g.IGroup();
  EXPECT_EQ(g.Capacity(), 8);
  EXPECT_EQ(g.LowWaterMark(), -1);
  std::vector<int> capacities;
  for (int i = 0; i < 400; ++i) {
    g.Append(new Item(i));
    if (capacities.empty() || capacities.back() != g.Capacity()) capacities.push_back(g.Capacity());
    if (i == 8) {
      EXPECT_EQ(g.LowWaterMark(), 4);
    }
  }
  EXPECT_EQ(capacities, (std::vector<int>{8, 16, 32, 64, 128, 256, 358, 501}));
  EXPECT_EQ(g.LowWaterMark(), 255);  // 358 * 0.714... truncated

  GGroup h;
  h.IGroup();
  for (int i = 0; i < 20; ++i) h.Append(new Item(i));
  EXPECT_EQ(h.Capacity(), 32);
  for (int i = 0; i < 16; ++i) h.RemoveAt(h.Count() - 1, true);  // 4 left
  // Shrinks at 8 (to 16 places, low-water 4) and at 4 (to 8 places, never shrinking).
  EXPECT_EQ(h.Capacity(), 8);
  EXPECT_EQ(h.LowWaterMark(), -1);

  GGroup k;
  k.IGroup();
  for (int i = 0; i < 20; ++i) k.Append(new Item(i));
  while (k.Count() > 11) k.RemoveAt(0, true);
  EXPECT_EQ(k.Capacity(), 32);  // grown at 16: capacity 32, low-water 8
  for (int i = 0; i < 3; ++i) k.RemoveAt(0, true);
  EXPECT_EQ(k.Count(), 8);
  EXPECT_EQ(k.Capacity(), 16);
  EXPECT_EQ(k.LowWaterMark(), 4);
  EXPECT_EQ(Values(k), (std::vector<int>{12, 13, 14, 15, 16, 17, 18, 19}));
}

TEST_F(GroupTest, RemoveMovesTheLastMemberInButRemoveObjectKeepsOrder) {
  Item p(1), q(2), r(3);
  GGroup g;
  g.IGroup();
  g.SetOwnsMembers();
  g.Append(&p);
  g.Append(&q);
  g.Append(&r);
  g.Remove(&p, false);
  EXPECT_EQ(Values(g), (std::vector<int>{3, 2}));
  Item stranger(9);
  g.Remove(&stranger, false);
  EXPECT_EQ(g.Count(), 2);

  GObjectGroup o;
  o.IObjectGroup();
  o.SetOwnsMembers(false);
  o.Append(&p);
  o.Append(&q);
  o.Append(&r);
  GGroup& asGroup = o;
  asGroup.Remove(&p, false);  // the virtual removal of the order-keeping list
  EXPECT_EQ(Values(o), (std::vector<int>{2, 3}));
  o.RemoveObject(&r, false);
  EXPECT_EQ(Values(o), (std::vector<int>{2}));
}

TEST_F(GroupTest, InsertReplaceSwapPopAndNeighbours) {
  GGroup g;
  g.IGroup();
  for (int i = 0; i < 3; ++i) g.Append(new Item(i));
  g.InsertAt(new Item(10), 1);
  g.InsertAt(new Item(11), -1);
  g.InsertAt(new Item(12), g.Count());
  g.AddLast(new Item(13));
  EXPECT_EQ(Values(g), (std::vector<int>{0, 10, 1, 2, 11, 12, 13}));
  g.ReplaceAt(0, new Item(20), true);
  g.Swap(1, 6);
  g.Swap(2, 2);
  EXPECT_EQ(Values(g), (std::vector<int>{20, 13, 1, 2, 11, 12, 10}));

  GObject* first = g.GetItem(0);
  GObject* last = g.GetItem(6);
  EXPECT_EQ(g.GetNeighbour(last, true, false), nullptr);
  EXPECT_EQ(g.GetNeighbour(last, true, true), first);
  EXPECT_EQ(g.GetNeighbour(first, false, false), nullptr);
  EXPECT_EQ(g.GetNeighbour(first, false, true), last);
  EXPECT_EQ(g.GetNeighbour(first, true, false), g.GetItem(1));
  EXPECT_EQ(g.GetNeighbour(last, false, false), g.GetItem(5));
  Item outside(0);
  EXPECT_EQ(g.GetNeighbour(&outside, true, true), nullptr);
  EXPECT_EQ(g.IndexOf(&outside), -1);
  EXPECT_FALSE(g.Contains(&outside));
  EXPECT_TRUE(g.Contains(last));
  EXPECT_EQ(g.IndexOf(last), 6);

  GObject* popped = g.PopFirst();
  EXPECT_EQ(ValueOf(popped), 20);
  EXPECT_EQ(g.Count(), 6);
  delete popped;
  GGroup empty;
  empty.IGroup();
  EXPECT_EQ(empty.PopFirst(), nullptr);
  EXPECT_EQ(empty.Count(), 0);
}

TEST_F(GroupTest, FindsAndWalks) {
  GGroup g;
  g.IGroup();
  for (int v : {5, 8, 3, 8, 1}) g.Append(new Item(v));
  int eight = 8;
  auto isValue = [](GObject* m, void* arg) { return ValueOf(m) == *static_cast<int*>(arg); };
  EXPECT_EQ(g.FindFirst(isValue, &eight), g.GetItem(1));
  EXPECT_EQ(g.FindLast(isValue, &eight), g.GetItem(3));
  int seven = 7;
  EXPECT_EQ(g.FindFirst(isValue, &seven), nullptr);
  EXPECT_EQ(g.FindIndex([](int32_t i, GObject* m, void*) { return i > 0 && ValueOf(m) < 4; }, nullptr), 2);
  EXPECT_EQ(g.FindIndex(nullptr, g.GetItem(4)), 4);

  std::vector<std::pair<int, int>> seen;
  g.ForEachIndexed(
      [](int32_t i, GObject* m, void* arg) {
        static_cast<std::vector<std::pair<int, int>>*>(arg)->push_back({i, ValueOf(m)});
      },
      &seen);
  EXPECT_EQ(seen, (std::vector<std::pair<int, int>>{{0, 5}, {1, 8}, {2, 3}, {3, 8}, {4, 1}}));

  GGroup other;
  other.IGroup();
  other.SetOwnsMembers();
  other.AppendGroup(g);
  EXPECT_EQ(Values(other), Values(g));

  // Walks nest: a walk inside a walk is allowed, and the group is unlocked afterwards.
  g.ForEach([](GObject*, void* arg) { static_cast<GGroup*>(arg)->ForEach([](GObject*, void*) {}, nullptr); }, &g);
  EXPECT_FALSE(g.IsLocked());
}

TEST_F(GroupTest, RemoveIfTestsEveryMemberThenRemoves) {
  auto odd = [](GObject* m, void*) { return ValueOf(m) % 2 == 1; };
  GGroup g;
  g.IGroup();
  for (int i = 0; i < 8; ++i) g.Append(new Item(i));
  g.RemoveIf(odd, nullptr, true);
  // From the last marked member to the first, each replaced by the then last member.
  EXPECT_EQ(Values(g), (std::vector<int>{0, 4, 2, 6}));

  GObjectGroup o;
  o.IObjectGroup();
  for (int i = 0; i < 8; ++i) o.Append(new Item(i));
  o.RemoveIf(odd, nullptr, true);
  EXPECT_EQ(Values(o), (std::vector<int>{0, 2, 4, 6}));
  std::vector<int> indexes;
  o.RemoveIfIndexed(
      [](int32_t i, GObject*, void* arg) {
        static_cast<std::vector<int>*>(arg)->push_back(i);
        return i == 0 || i == 3;
      },
      &indexes, true);
  EXPECT_EQ(indexes, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(Values(o), (std::vector<int>{2, 4}));

  // Without deletion the members stay alive.
  Item kept(1);
  GObjectGroup refs;
  refs.IObjectGroup();
  refs.SetOwnsMembers(false);
  refs.Append(&kept);
  refs.RemoveIf(odd, nullptr, false);
  EXPECT_EQ(refs.Count(), 0);
  EXPECT_EQ(kept.value, 1);
}

TEST_F(GroupTest, DeleteAllResetsButKeepsOwnership) {
  GGroup g;
  g.IGroup();
  g.DeleteAll(true);  // empty: nothing at all
  EXPECT_EQ(g.Capacity(), 8);
  for (int i = 0; i < 20; ++i) g.Append(new Item(i));
  g.DeleteAll(true);
  EXPECT_EQ(gLive, 0);
  EXPECT_EQ(g.Count(), 0);
  EXPECT_EQ(g.Capacity(), 8);
  EXPECT_TRUE(g.OwnsMembers());

  Item a(1);
  GGroup refs;
  refs.IGroup();
  refs.SetOwnsMembers();
  refs.Append(&a);
  refs.DeleteAll(false);
  EXPECT_EQ(refs.Count(), 0);
  EXPECT_FALSE(refs.OwnsMembers());
}

TEST_F(GroupTest, DestructorDeletesOnlyOwnedMembers) {
  Item outside(1);
  {
    GGroup owning;
    owning.IGroup();
    owning.Append(new Item(2));
    owning.Append(new Item(3));
    GGroup refs;
    refs.IGroup();
    refs.SetOwnsMembers();
    refs.Append(&outside);
    EXPECT_EQ(gLive, 3);
  }
  EXPECT_EQ(gLive, 1);
}

// Sorting: the comparator counts its calls so the algorithm's steps are pinned.
TEST_F(GroupTest, QuickSortLeavesSmallRangesToTheInsertionPass) {
  // Reversed input: 12 members take the insertion pass alone (12 * 11 / 2 comparisons, as
  // Sort); 13 are partitioned once first; 30 need a pending range on the stack.
  const std::pair<int, int> cases[] = {{12, 66}, {13, 34}, {30, 123}};
  for (auto [n, expectedCalls] : cases) {
    GGroup g;
    g.IGroup();
    for (int i = n; i > 0; --i) g.Append(new Item(i));
    int calls = 0;
    g.QuickSort(ByValue, &calls);
    std::vector<int> sorted(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) sorted[static_cast<size_t>(i)] = i + 1;
    EXPECT_EQ(Values(g), sorted);
    EXPECT_EQ(calls, expectedCalls) << n;

    GGroup h;
    h.IGroup();
    for (int i = n; i > 0; --i) h.Append(new Item(i));
    int insertionCalls = 0;
    h.Sort(ByValue, &insertionCalls);
    EXPECT_EQ(insertionCalls, n * (n - 1) / 2);
  }
}

TEST_F(GroupTest, QuickSortSortsManyRandomMembersAndSortIsStable) {
  SeedRandom(4242);
  GGroup g;
  g.IGroup();
  std::vector<int> expected;
  for (int i = 0; i < 100000; ++i) {
    int v = Random(1000000);
    expected.push_back(v);
    g.Append(new Item(v));
  }
  g.QuickSort(ByValue, nullptr);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Values(g), expected);
  // Already sorted and all-equal inputs stay within the stack.
  g.QuickSort(ByValue, nullptr);
  EXPECT_EQ(Values(g), expected);
  g.DeleteAll(true);
  for (int i = 0; i < 5000; ++i) g.Append(new Item(7));
  g.QuickSort(ByValue, nullptr);
  EXPECT_EQ(g.Count(), 5000);

  // Equal keys keep their order under Sort: key in value / 10, identity in value % 10.
  GGroup s;
  s.IGroup();
  for (int v : {31, 12, 33, 14, 15, 36}) s.Append(new Item(v));
  s.Sort([](GObject* a, GObject* b, void*) -> int32_t { return ValueOf(a) / 10 - ValueOf(b) / 10; }, nullptr);
  EXPECT_EQ(Values(s), (std::vector<int>{12, 14, 15, 31, 33, 36}));
}

TEST_F(GroupTest, ShuffleDrawsOncePerMemberFromTheEnd) {
  GGroup g;
  g.IGroup();
  for (int i = 0; i < 10; ++i) g.Append(new Item(i));
  SeedRandom(99);
  g.Shuffle();
  uint32_t after = RandomState();

  std::vector<int> expected{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  SeedRandom(99);
  for (int i = 9; i >= 0; --i) std::swap(expected[static_cast<size_t>(i)], expected[static_cast<size_t>(Random(10))]);
  EXPECT_EQ(Values(g), expected);
  EXPECT_EQ(RandomState(), after);

  GGroup empty;
  empty.IGroup();
  empty.Shuffle();  // no draws
  EXPECT_EQ(RandomState(), after);
}

TEST_F(GroupTest, CopiesAreDeepUnlessShallow) {
  GObjectGroup g;
  g.IObjectGroup();
  for (int i = 0; i < 10; ++i) g.Append(new Item(i));
  GObject* copy = g.CopyItself();
  auto* deep = dynamic_cast<GObjectGroup*>(copy);
  ASSERT_NE(deep, nullptr);
  EXPECT_EQ(Values(*deep), Values(g));
  EXPECT_NE(deep->GetItem(0), g.GetItem(0));
  EXPECT_EQ(gLive, 20);
  deep->Append(new Item(10));  // its own block
  EXPECT_EQ(g.Count(), 10);
  delete copy;
  EXPECT_EQ(gLive, 10);

  g.SetShallowCopy();
  GObject* shallowCopy = g.CopyItself();
  auto* shallow = static_cast<GGroup*>(shallowCopy);
  EXPECT_EQ(shallow->GetItem(3), g.GetItem(3));
  shallow->SetOwnsMembers();
  delete shallowCopy;
  EXPECT_EQ(gLive, 10);
  // The flag served one copy only.
  GObject* again = g.CopyItself();
  EXPECT_NE(static_cast<GGroup*>(again)->GetItem(3), g.GetItem(3));
  delete again;

  GGroup plain;
  plain.IGroup();
  plain.Append(new Item(1));
  GObject* plainCopy = plain.CopyItself();
  EXPECT_EQ(dynamic_cast<GObjectGroup*>(plainCopy), nullptr);
  EXPECT_EQ(static_cast<GGroup*>(plainCopy)->Count(), 1);
  delete plainCopy;

  // Copying into a group that already holds members releases them first.
  GGroup target;
  target.IGroup();
  target.Append(new Item(50));
  g.CopyInto(target);
  EXPECT_EQ(Values(target), Values(g));
}

TEST_F(GroupTest, StoredFormIsOwnershipCountAndMembers) {
  GGroup g;
  g.IGroup();
  g.Append(new Item(0x0102));
  g.Append(new Item(0x0304));
  g.Append(new Item(0x0506));
  EXPECT_EQ(StoredBytes([&](GFile& f) { g.Write(f); }),
            std::string("\x01\x00\x00\x00\x03\x01\x02\x03\x04\x05\x06", 11));
  GGroup refs;
  refs.IGroup();
  refs.SetOwnsMembers();
  EXPECT_EQ(StoredBytes([&](GFile& f) { refs.Write(f); }), std::string("\x00\x00\x00\x00\x00", 5));

  // Reading takes the ownership byte alone; any non-zero value means owning.
  ReadStored(std::string("\x07\x00\x00\x00\x03", 5), [&](GFile& f) {
    refs.Read(f);
    EXPECT_TRUE(refs.OwnsMembers());
    EXPECT_EQ(f.ReadU32(), 3u);
  });
  ReadStored(std::string("\x00", 1), [&](GFile& f) {
    g.Read(f);
    EXPECT_FALSE(g.OwnsMembers());
    g.SetOwnsMembers(true);
  });
}

// A cache of a group's members holds while the group's stamp stands: every way of changing
// the members or their order changes it, reading does not, and no two groups share one.
TEST_F(GroupTest, StampChangesWithEveryChangeOfMembersAndNeverRepeats) {
  GGroup g;
  g.IGroup();
  std::vector<uint64_t> seen{g.Stamp()};
  auto changed = [&g, &seen]() {
    const bool fresh = std::find(seen.begin(), seen.end(), g.Stamp()) == seen.end();
    seen.push_back(g.Stamp());
    return fresh;
  };
  for (int i = 0; i < 6; ++i) {
    g.Append(new Item(i));
    EXPECT_TRUE(changed()) << i;
  }
  const uint64_t before = g.Stamp();
  EXPECT_EQ(g.Count() + g.IndexOf(g.GetItem(2)) + ValueOf(g.GetItem(5)) + static_cast<int>(g.Items() != nullptr), 14);
  EXPECT_EQ(g.Stamp(), before);
  GObject* extra = new Item(9);
  g.InsertAt(extra, 1);
  EXPECT_TRUE(changed());
  GObject* old = g.GetItem(0);
  g.ReplaceAt(0, new Item(7), false);
  EXPECT_TRUE(changed());
  delete old;
  g.Swap(0, 3);
  EXPECT_TRUE(changed());
  g.RemoveObject(extra, true);
  EXPECT_TRUE(changed());
  g.RemoveAt(0, true);
  EXPECT_TRUE(changed());
  delete g.PopFirst();
  EXPECT_TRUE(changed());
  g.Sort(ByValue, nullptr);
  EXPECT_TRUE(changed());
  g.QuickSort(ByValue, nullptr);
  EXPECT_TRUE(changed());
  g.Shuffle();
  EXPECT_TRUE(changed());
  // Written through the locked block: changed by the time it is unlocked.
  GObject** block = g.Lock();
  std::swap(block[0], block[1]);
  g.Unlock();
  EXPECT_TRUE(changed());
  GGroup copy;
  copy.IGroup();
  EXPECT_TRUE(std::find(seen.begin(), seen.end(), copy.Stamp()) == seen.end());
  const uint64_t empty = copy.Stamp();
  g.CopyInto(copy);
  EXPECT_NE(copy.Stamp(), empty);
  EXPECT_NE(copy.Stamp(), g.Stamp());
  g.DeleteAll(true);
  EXPECT_TRUE(changed());
}

TEST(GroupDeathTest, ChangingAGroupWhileItIsWalkedIsFatal) {
  TestFolder folder(true);
  const auto fatal = testing::ExitedWithCode(PSystem::kFatalExitStatus);
  GGroup g;
  g.IGroup();
  g.SetOwnsMembers();
  static Item a(1), b(2);
  g.Append(&a);
  g.Append(&b);
  EXPECT_EXIT(g.ForEach([](GObject*, void* arg) { static_cast<GGroup*>(arg)->Append(&a); }, &g), fatal,
              "ERROR: GGroup line 91\\.");
  EXPECT_EXIT(g.ForEach([](GObject* m, void* arg) { static_cast<GGroup*>(arg)->Remove(m, false); }, &g), fatal,
              "ERROR: GGroup line 127\\.");
  EXPECT_EXIT(g.ForEach([](GObject*, void* arg) { static_cast<GGroup*>(arg)->RemoveAt(0, false); }, &g), fatal,
              "ERROR: GGroup line 656\\.");
  EXPECT_EXIT(g.ForEach([](GObject*, void* arg) { static_cast<GGroup*>(arg)->InsertAt(&b, 0); }, &g), fatal,
              "ERROR: GGroup line 621\\.");
  EXPECT_EXIT(g.FindFirst(
                  [](GObject*, void* arg) {
                    static_cast<GGroup*>(arg)->CopyItself();
                    return false;
                  },
                  &g),
              fatal, "ERROR: GGroup line 446\\.");
  EXPECT_EXIT(g.GetItem(2), fatal, "ERROR: GGroup line 568\\.");
  EXPECT_EXIT(g.GetItem(-1), fatal, "ERROR: GGroup line 566\\.");
  EXPECT_EXIT(g.Swap(0, 5), fatal, "ERROR: GGroup line 910\\.");
  EXPECT_EXIT(g.Remove(&a, true), fatal, "ERROR: GGroup line 145\\.");
  EXPECT_EXIT(g.ReplaceAt(0, &b, true), fatal, "ERROR: GGroup line 937\\.");
  EXPECT_EXIT(g.Unlock(), fatal, "ERROR: Quorl line 1447\\.");
  GGroup bare;
  EXPECT_EXIT(bare.Lock(), fatal, "ERROR: Quorl line 1426\\.");
}

}  // namespace
