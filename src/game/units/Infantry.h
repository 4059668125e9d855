#pragma once
#include <array>
#include <cstdint>

#include "game/units/InfantryData.h"
#include "game/units/InfantryServices.h"
#include "game/units/Unit.h"

class CommandLineCanvas;
class GFile;
class GGroup;
class GString;
class MapBattleServices;

// The foot unit of the battle: rifle squads, headquarters, machine-gun, mortar, antitank,
// flamethrower and gun crews, artillery spotters. Adds to the unit the units it is tied to,
// the men behind its four weapon slots, its charges and antitank weapons, four leader ratings
// and the figure pose table.
//
// Code by subject: InfantrySetUp.cpp (construction, set-up and its rolls, the makers),
// InfantryStore.cpp (stored form), InfantryReferences.cpp (unit references),
// InfantryNames.cpp (designation, names, shown record, portraits), InfantryOverrides.cpp (the
// simple overrides: weapon queries, range, shot and aim intervals, a returning man's slot),
// InfantryCommand.cpp (leaders, command and fatigue).
//
// Temporary bodies, stopping the program with FatalError ("Infantry") until the casualty
// code gives them: TakeDamage. Draw draws nothing yet. Still the unit's own: the figures and
// pictures (PrepareAppearance, ApplyModelScale), boarding (Embark, AddWaypoint), the stand
// test and the per-slice behaviour.
// The factory and the file reader make infantry once Register has run.
class Infantry : public Unit, public InfantryServices {
 public:
  static constexpr int32_t kNoWeapon = 104;
  static constexpr int32_t kOrdnanceMarker = 9999;
  static constexpr int32_t kPoseRows = 20;
  static constexpr int32_t kPoseColumns = 3;
  static constexpr int32_t kMaxCharges = 2;

  // Activity states of the slice update (activityState).
  static constexpr int32_t kStationary = 0;
  static constexpr int32_t kMove = 3;
  static constexpr int32_t kSneak = 4;
  static constexpr int32_t kRun = 5;
  static constexpr int32_t kHiding = 6;
  static constexpr int32_t kCrawl = 7;

  // ---- Construction and set-up (InfantrySetUp.cpp) ----

  Infantry();
  // Class set-up from the class record: leader ratings, antitank weapons, charges, men per
  // slot. Every random draw in a fixed order.
  void Init(int32_t typeIndex, int32_t code, int32_t newRating, float px, float py, float newFacing);
  // One leader rating 0..2, biased by -1, 0 or +1.
  static int32_t RollLeaderRating(int32_t unitRating, int32_t bias);
  void RollAntitankWeapons();
  int32_t GetAntitankWeaponId() const;
  bool IsSpecialRole() const;
  bool HasGammonBombs() const;
  // The unit factory's and the file reader's makers for kind 0.
  static void Register();

  // ---- Class queries ----

  InfantryData Data() const;
  // The signed leader level through level when given; true for a headquarters (1 or more).
  bool GetLeaderLevel(int32_t* level = nullptr) const;
  bool IsTypeClassBelow9() const;
  bool IsTypeClass9OrMore() const;
  bool IsArtillerySpotter() const;
  bool IsCrewServedType() const { return Data().Ordnance() == kOrdnanceMarker; }

  // ---- Kind services ----

  InfantryServices* AsInfantry() override { return this; }
  int32_t GetTypeIndex() const override { return classIndex; }
  InfantryData GetClassData() const override { return Data(); }
  bool IsSquad() const override { return Data().IsSquad() != 0; }
  Unit* GetSplitPartner() const override { return linkedHalf; }
  bool IsSecondHalf() const override { return splitFlag != 0; }
  Unit* GetOriginUnit() const override { return parentUnit; }
  int16_t GetSecondLeaderName() const override { return static_cast<int16_t>(secondLeaderName); }
  void SetSecondLeaderName(int16_t index) override { secondLeaderName = static_cast<uint16_t>(index); }
  void SetAimPoint(float px, float py) override { aimPoint = {px, py}; }
  float GetActivityHoldValue() const override { return 0.0f; }

  // ---- Stored form (InfantryStore.cpp) ----

  void Read(GFile& file) override;                                           // slot 2
  void Write(GFile& file) const override;                                    // slot 3

  // ---- Unit references (InfantryReferences.cpp) ----

  bool RemapReferences(MapBattleServices* battle) override;                  // slot 8
  void DropDeadReferences(GGroup& group) override;                           // slot 13
  void ReferencesToIds() override;                                           // slot 71
  bool IdsToReferences(MapBattleServices* battle) override;                  // slot 72
  // After a whole group is remapped: a carrier holds its rider. False refuses the file.
  bool CheckCarrier() const;

  // ---- Designation and names (InfantryNames.cpp) ----

  void AssignDesignation() override;                                         // slot 28
  int32_t GetPortraitIndex() const override;                                 // slot 43
  void GetDisplayName(GString& text) const override;                         // slot 77, long form
  void GetDisplayName(GString& text, bool longForm) const;
  // The class record standing for the unit: 0 its own, 2 as the viewer sees it now, other
  // modes as last seen.
  InfantryData GetShownData(int32_t mode) const;
  int32_t GetShownDataIndex(int32_t mode) const;
  int32_t GetPortraitIndexAt(int32_t level) const;

  // ---- Simple overrides (InfantryOverrides.cpp) ----

  int32_t GetPurchaseCode() const override;                                  // slot 23
  bool HasAnyAmmo() const override;                                          // slot 25
  // The threat a unit makes: its men present.
  float GetStrengthValue() const override { return static_cast<float>(GetMenPresent()); }  // slot 26
  bool IsActive() const override;                                            // slot 32
  bool CanMove() const override;                                             // slot 33
  int32_t GetMenPresent() const override;                                    // slot 42
  bool IsPassenger() const override;                                         // slot 45
  bool HasSurrendered() const override { return surrendered != 0; }          // slot 49
  // No main weapon, or one that is not a gun (class 2 or 3).
  bool HasNonGunWeapon() const override { return !HasMainWeaponOfType23(false); }  // slot 56
  bool HasMainWeaponOfType5() const override { return IsArtillerySpotter(); }  // slot 69
  bool HasWeapon92() const override { return Data().MainWeapon() == 92; }    // slot 70
  bool IsInRange(float distance, int32_t selector, float factor) const override;  // slot 80
  // A main weapon of class 1, 2 or 3 (a launcher or a gun).
  bool HasMainWeaponOfType123() const override;                              // slot 81
  bool HasMainWeapon() const override;                                       // slot 82
  bool IsOutOfMainAmmo() const override;                                     // slot 83
  bool HasMainWeaponOfType23(bool flag = false) const override;              // slot 92
  void Draw(bool pick) override;                                             // slot 102
  void TakeDamage(Unit* firer, int32_t weapon, int32_t ammoKind, float px, float py, float pz) override;  // slot 75
  float GetRateOfFireTime(int32_t mode, int32_t selector) const override;    // slot 140
  float GetAimTime(int32_t mode, int32_t selector) const override;           // slot 141
  // The interval between shots and the aim time by their own arguments.
  float GetReloadTime(bool randomize, bool flag) const;
  float GetAimTimeFor(bool randomize, bool ignoreTarget) const;
  float GetCloseRangeFactor() const;
  // A grade 0..2 of the weapon shown under an identification mode; the weapon id and its
  // kind through the outs.
  int32_t QueryWeaponGrade(int32_t& weaponId, int32_t& weaponKind, int32_t mode) const;
  void QueryWeapon(int32_t selector, int32_t& weapon, int32_t& type) const override {  // slot 66
    QueryWeaponGrade(weapon, type, selector);
  }
  bool IsTowedGun() const;
  bool IsHiding() const;
  bool IsSettledTeam() const;
  static float RandomizeValue(float value);
  int32_t GetWeaponDrawKind(float* scale) const;
  // A crewed weapon: movable when the speed class is 2 or more.
  bool IsCrewedWeapon(bool& movable, bool& typeOne) const;
  // One man returning between battles goes behind a weapon slot short of men, drawn in
  // proportion to the slots' shortfalls (one draw). The slot, or -1 when no slot is short.
  int32_t ReturnManToSlot();

  // ---- Leaders, command and fatigue (InfantryCommand.cpp) ----

  bool HasCommand() const;
  void FindCommandingLeader();
  static bool LeaderCandidateTest(Unit* candidate, Infantry& squad);
  int32_t GetEffectiveRating(int32_t aspect) const override;                 // slot 29
  void UpdateFatigue() override;                                             // slot 115
  void ResetBetweenBattles() override;                                       // slot 21
  // The command lines of a squad that has not surrendered: a leader's to every unit it leads,
  // another's to its commanding leader (else its platoon leader) while that one lives.
  void DrawCommandLines(CommandLineCanvas& canvas) const;
  static void DrawCommandLineTo(CommandLineCanvas& canvas, const Unit* unit, const Unit* leader);
  // Fatigue level 0..4 of a fatigue value.
  static int32_t FatigueLevelOf(float value);
  // Terrain codes whose going the ground condition worsens.
  static bool IsGroundConditionTerrain(int32_t code);
  // Command reach in metres of a leader's command rating and rating.
  static float LeaderCommandRange(int32_t commandRating, int32_t leaderRating);
  // Leader rating bit pairs: 0 command, 1 aspect 1, 2 aspect 0, 3 aspect 2.
  int32_t LeaderRatingBits(int32_t pair) const { return (leaderRatings >> (2 * pair)) & 3; }

  // ---- Fields, in declared order ----

  Unit* carrier = nullptr;
  Unit* boardingTarget = nullptr;
  Unit* parentUnit = nullptr;
  Unit* commandingLeader = nullptr;
  Unit* platoonLeader = nullptr;
  Unit* linkedHalf = nullptr;
  uint16_t secondLeaderName = 0;
  uint8_t splitFlag = 0;
  // Kept, stored and cleared; nothing raises it yet.
  uint8_t slicePassFlag = 0;
  uint8_t antitankCount = 0;
  uint8_t chargeCount = 0;
  std::array<uint8_t, InfantryData::kWeaponSlots> menInSlot{};
  std::array<float, 2> aimPoint{};
  float timer = 0.0f;
  uint8_t leaderRatings = 0;
  uint8_t surrendered = 0;
  uint8_t released = 0;
  int32_t antitankWeaponId = 49;
  int32_t activityState = 0;
  std::array<std::array<float, kPoseColumns>, kPoseRows> figurePose{};
  std::array<float, kPoseColumns> poseRate{};
  uint8_t casualtyFlag = 0;
  // Not stored.
  uint8_t routed = 0;
  uint8_t weaponKnockedOut = 0;
  // The unit is firing its antitank weapon (then it must have one left).
  uint8_t specialWeaponFiring = 0;

  // The six references as raw packed ids between Read and RemapReferences, and as identity
  // keys between ReferencesToIds and IdsToReferences, in the order carrier, boarding target,
  // parent, commanding leader, platoon leader, linked half.
  std::array<int16_t, 6> linkIds{};
  std::array<uint32_t, 6> linkKeys{};
};
