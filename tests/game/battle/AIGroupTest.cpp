// The computer player's groups in the battle: their stored form, its refusals, and the
// operations the battle offers on them.
#include "game/battle/AIGroup.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/core/GMemoryFile.h"
#include "game/battle/BattleTestRig.h"

namespace {

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[(static_cast<uint8_t>(c) >> 4) & 15];
    out += digits[static_cast<uint8_t>(c) & 15];
  }
  return out;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

std::string WriteGroups(const Battle& battle) {
  GMemoryFile memory;
  battle.WriteAIGroups(memory.File());
  return memory.Bytes();
}

// Reads and resolves a section into the battle; false when either step refused it.
bool ReadGroups(Battle& battle, const std::string& bytes) {
  GMemoryFile memory(bytes);
  if (!battle.ReadAIGroups(memory.File())) return false;
  return battle.ResolveAIGroups(memory.File()) && !memory.File().HasError();
}

GObjectGroup* NewList() {
  auto* list = new GObjectGroup();
  list->IObjectGroup();
  return list;
}

AIGroup* AddGroup(Battle& battle, int32_t side, int32_t mode) {
  if (battle.aiGroups[side] == nullptr) battle.aiGroups[side] = NewList();
  auto* group = new AIGroup();
  group->Init();
  group->mode = mode;
  battle.aiGroups[side]->Append(group);
  return group;
}

// A battle out of its set-up phase with four units: side 0, 1, 0, 1 at x 10, 20, 30, 40.
struct GroupsRig {
  GroupsRig() : battle(rig.Fresh()) {
    battle.setupPhase = 0;
    for (int32_t i = 0; i < 4; ++i) {
      const float x = 10.0f * static_cast<float>(i + 1);
      Unit* unit = BattleTestRig::MakeUnit(0, i % 2, x, 2.0f * x);
      battle.PlaceUnitAt(unit, x, 2.0f * x);
    }
  }
  BattleTestRig rig;
  Battle& battle;
};

}  // namespace

TEST(AIGroupStoredForm, GoldenBytes) {
  GroupsRig r;
  // Before any plan neither side has a list.
  EXPECT_EQ(Hex(WriteGroups(r.battle)), "00 00");
  r.battle.aiGroups[0] = NewList();
  EXPECT_EQ(Hex(WriteGroups(r.battle)), "01 01 00 00 00 00 00");
  AIGroup* group = AddGroup(r.battle, 0, 10007);
  group->Append(r.battle.UnitAt(0));
  group->Append(r.battle.UnitAt(2));
  EXPECT_EQ(Hex(WriteGroups(r.battle)), "01 01 00 00 00 01 27 17 00 00 00 02 00 01 00 03 00");
}

TEST(AIGroupStoredForm, RoundTripKeepsModesOrderAndEmptyGroups) {
  GroupsRig r;
  AIGroup* a = AddGroup(r.battle, 1, -3);
  a->Append(r.battle.UnitAt(3));
  a->Append(r.battle.UnitAt(1));
  AddGroup(r.battle, 1, 3);
  r.battle.aiGroups[0] = NewList();
  const std::string bytes = WriteGroups(r.battle);

  // Read back into the same battle, its lists gone.
  r.battle.DeleteAIGroups();
  Battle& other = r.battle;
  ASSERT_TRUE(ReadGroups(other, bytes));
  EXPECT_EQ(WriteGroups(other), bytes);
  ASSERT_EQ(other.AIGroupCount(1), 2);
  EXPECT_EQ(other.AIGroupCount(0), 0);
  EXPECT_NE(other.aiGroups[0], nullptr);
  const AIGroup* back = other.AIGroupAt(1, 0);
  EXPECT_EQ(back->mode, -3);  // FF FD, sign-extended
  EXPECT_FALSE(back->OwnsMembers());
  ASSERT_EQ(back->Count(), 2);
  EXPECT_EQ(back->UnitAt(0), other.UnitAt(3));
  EXPECT_EQ(back->UnitAt(1), other.UnitAt(1));
  EXPECT_EQ(other.AIGroupAt(1, 1)->Count(), 0);

  // An older file's owns byte 0 still gives a list that owns its groups, written back as 1.
  std::string zeroOwns = bytes;
  zeroOwns[1] = 0;
  ASSERT_TRUE(ReadGroups(r.battle, zeroOwns));
  EXPECT_TRUE(r.battle.aiGroups[0]->OwnsMembers());
  EXPECT_EQ(WriteGroups(r.battle), bytes);
}

TEST(AIGroupStoredForm, DamagedSectionsAreRefusedAndLeaveTheBattleAsItWas) {
  GroupsRig r;
  AIGroup* kept = AddGroup(r.battle, 0, 7);
  kept->Append(r.battle.UnitAt(0));
  const std::string before = WriteGroups(r.battle);
  const std::string refused[] = {
      Bytes({2, 0}),                                           // present byte 2
      Bytes({1, 2, 0, 0, 0, 0, 0}),                            // owns byte 2
      Bytes({1, 1, 0xFF, 0xFF, 0xFF, 0xFF, 0}),                // group count past the bytes
      Bytes({1, 1, 0, 0, 0, 1, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0}),  // member count past them
      Bytes({1, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 9, 0}),        // id 9 names no unit
      Bytes({1, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0}),        // id 0 names no unit
      // Unit 1 in two groups of side 0.
      Bytes({1, 1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 1, 0, 1, 0, 3, 0, 0, 0, 1, 0, 1, 0}),
  };
  for (const std::string& bytes : refused) {
    GMemoryFile memory(bytes);
    bool ok = r.battle.ReadAIGroups(memory.File());
    if (ok) ok = r.battle.ResolveAIGroups(memory.File());
    EXPECT_FALSE(ok) << Hex(bytes);
    EXPECT_TRUE(memory.File().HasError()) << Hex(bytes);
    EXPECT_EQ(WriteGroups(r.battle), before) << Hex(bytes);
  }
  // The same unit on both sides' lists is no duplicate within a side.
  EXPECT_TRUE(ReadGroups(r.battle, Bytes({1, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 1,  //
                                          1, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 1})));

  // Every prefix of a good section is either refused or read whole, never past its end.
  r.battle.DeleteAIGroups();
  Battle& fresh = r.battle;
  AddGroup(fresh, 0, 10007)->Append(fresh.UnitAt(0));
  AddGroup(fresh, 1, 3)->Append(fresh.UnitAt(1));
  const std::string good = WriteGroups(fresh);
  for (size_t n = 0; n < good.size(); ++n) {
    GMemoryFile memory(good.substr(0, n));
    EXPECT_FALSE(fresh.ReadAIGroups(memory.File())) << n;
    EXPECT_EQ(WriteGroups(fresh), good) << n;
  }
}

TEST(AIGroupStoredForm, ABattleInItsSetUpPhaseDropsTheListsRead) {
  GroupsRig r;
  AddGroup(r.battle, 0, 3)->Append(r.battle.UnitAt(0));
  const std::string bytes = WriteGroups(r.battle);
  r.battle.DeleteAIGroups();
  r.battle.setupPhase = 1;
  EXPECT_TRUE(ReadGroups(r.battle, bytes));
  EXPECT_EQ(r.battle.aiGroups[0], nullptr);
  EXPECT_EQ(Hex(WriteGroups(r.battle)), "00 00");
}

TEST(AIGroup, ForEachRemovesTheUnitFromTheFirstGroupOfItsSideOnly) {
  GroupsRig r;
  Unit* unit = r.battle.UnitAt(0);
  AIGroup* first = AddGroup(r.battle, 0, 0);
  AIGroup* second = AddGroup(r.battle, 0, 3);
  first->Append(r.battle.UnitAt(2));
  second->Append(unit);
  AIGroup* third = AddGroup(r.battle, 0, 0);
  third->Append(unit);
  r.battle.ForEachAIGroup(unit);
  EXPECT_EQ(first->Count(), 1);
  EXPECT_EQ(second->Count(), 0);
  EXPECT_EQ(third->Count(), 1);
  // A side without a list: nothing happens.
  r.battle.ForEachAIGroup(r.battle.UnitAt(1));
  EXPECT_EQ(r.battle.UnitCount(), 4);
}

TEST(AIGroup, CentreIsTheMeanOfTheMembers) {
  GroupsRig r;
  AIGroup group;
  group.Init();
  group.UpdateCentre();
  EXPECT_EQ(group.centreX, 0.0f);
  group.Append(r.battle.UnitAt(0));
  group.Append(r.battle.UnitAt(3));
  group.UpdateCentre();
  EXPECT_FLOAT_EQ(group.centreX, 25.0f);
  EXPECT_FLOAT_EQ(group.centreY, 50.0f);
  group.DeleteAll(false);
}
