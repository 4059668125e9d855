#pragma once
#include <array>
#include <cstdint>

#include "game/units/tables/InfantryData.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/records/Shot.h"
#include "game/units/TestUnit.h"

// An infantry unit for tests: its class record lives in the unit, its links are settable.
class TestInfantry : public TestUnit, public InfantryServices {
 public:
  TestInfantry() {
    kind = kInfantry;
    SetRecord(104, 0);  // no weapon until a test sets one
  }

  InfantryServices* AsInfantry() override { return this; }
  // Its weight in holding ground, as a squad's: the men present.
  float GetStrengthValue() const override { return static_cast<float>(GetMenPresent()); }

  int32_t GetTypeIndex() const override { return classIndex; }
  InfantryData GetClassData() const override { return InfantryData(record.data()); }
  bool IsSquad() const override { return squad; }
  Unit* GetSplitPartner() const override { return partner; }
  bool IsSecondHalf() const override { return secondHalf; }
  Unit* GetOriginUnit() const override { return origin; }
  void SetOriginUnit(Unit* unit) override { origin = unit; }
  int16_t GetSecondLeaderName() const override { return secondLeaderName; }
  void SetSecondLeaderName(int16_t index) override { secondLeaderName = index; }
  void SetAimPoint(float px, float py) override {
    aimX = px;
    aimY = py;
  }
  float GetActivityHoldValue() const override { return activityHold; }
  // ---- Leader and carrier references (the battle's loading and enlargement) ----
  Unit* GetLeaderReference() const override { return leader; }
  void SetLeaderReference(Unit* unit) override { leader = unit; }
  void SetCarrierReference(Unit* vehicle) override { carrier = vehicle; }
  Unit* leader = nullptr;
  Unit* carrier = nullptr;
  // ---- End of leader and carrier references ----
  // ---- The turn cycle's rejoining and the end by surrender ----
  bool RejoinLinkedHalf() override {
    ++rejoins;
    return partner != nullptr;
  }
  void SurrenderWithSide() override { surrendered = true; }
  void ReleaseFromCaptivity() override {
    surrendered = false;
    released = true;
  }
  int32_t rejoins = 0;
  bool released = false;
  // ---- End of rejoining and surrender ----
  // ---- A hit through the shot step: counted with the unit's other hits, the last kept ----
  void TakeShotDamage(float damage, int32_t extraRolls, const Shot& shot) override {
    ++damageCalls;
    lastDamage = damage;
    lastExtraRolls = extraRolls;
    lastShotKind = shot.kind;
    lastSourceFlag = shot.sourceFlag;
    lastSecondImpact = shot.secondImpact;
  }
  float lastDamage = 0.0f;
  int32_t lastExtraRolls = 0;
  int32_t lastShotKind = -1;
  uint8_t lastSourceFlag = 0;
  uint8_t lastSecondImpact = 0;
  // ---- End of the shot step's hit ----

  // Class record fields the unit code reads.
  // ---- The computer player's trial copy ----
  Unit* NewTrialCopy() const override {
    ++gTrialCopies;
    return makesTrialCopies ? new TestInfantry(*this) : nullptr;
  }
  bool makesTrialCopies = true;
  // ---- End of the trial copy ----
  void SetRecord(int32_t mainWeaponId, int16_t load, int8_t leaderLevel = 0);

  std::array<uint8_t, InfantryData::kSize> record{};
  bool squad = false;
  Unit* partner = nullptr;
  bool secondHalf = false;
  Unit* origin = nullptr;
  int16_t secondLeaderName = 0;
  float aimX = 0.0f;
  float aimY = 0.0f;
  float activityHold = 0.0f;
};
