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
// simple overrides: weapon queries, range, shot and aim intervals, a returning man's slot,
// identification, fire arc), InfantryCommand.cpp (leaders, command and fatigue),
// InfantryOrders.cpp (move orders and the vehicle to board, a crew following its vehicle,
// the late appearance, men returning between battles), InfantryLater.cpp (the operations
// still to come).
//
// Index of temporary bodies, each stopping the program with FatalError ("Infantry") until
// later work gives it: TakeDamage; riding (TryDismount, StartWeaponSetUp,
// FollowBoardingTarget, SyncPositionWithLinkedUnit); firepower and sighting (FirepowerAt,
// RunUnitPass, GetSightingRange, IsDirectionWatched); the links between battles
// (UpdateLinksBetweenBattles); the movement rate over terrain (TerrainMoveRate); figures
// (GetFigureCountAtLevel, GetFigureKindAtLevel); the purchase value (GetUnitCost); the slice
// update (DirectFireStep); danger, fire, cover and close assault (SpreadOut, ReactToFire,
// CloseAssault). Draw draws nothing yet. The numbered operations those subjects override
// (the slice update, danger, casualties, figures, costs, the terrain mobility, state-packet
// extras, the search for a free spot nearby) keep the unit's own bodies until then, so that
// a battle can step infantry meanwhile. Also still the unit's own: the pictures
// (PrepareAppearance, ApplyModelScale), boarding (Embark) and the target search test.
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
  // ---- The battle's reinforcement loading and force enlargement ----
  Unit* GetLeaderReference() const override { return commandingLeader; }
  void SetLeaderReference(Unit* leader) override { commandingLeader = leader; }
  void SetCarrierReference(Unit* vehicle) override { carrier = vehicle; }
  // ---- End of the reinforcement loading and force enlargement ----

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

  // ---- Orders, a crew's vehicle, late appearance, men returning (InfantryOrders.cpp) ----

  // A move order without a vehicle to board (the board target is dropped).
  void AddWaypoint(float px, float py, int32_t orderCode, bool noMenu = false, bool replaceFirst = false,
                   bool capDelay = false, bool chain = false) override;   // slot 35
  // A move order that may name a vehicle: with a mount order (20, 24, 25, 26) the order
  // becomes the single waypoint at the vehicle, which is then the board target while a
  // waypoint stands; with any other order the vehicle is dropped.
  void AddWaypointToVehicle(float px, float py, int32_t orderCode, Unit* vehicle, bool noMenu = false,
                            bool replaceFirst = false, bool capDelay = false, bool chain = false);
  static bool IsMountOrder(int32_t orderCode) {
    return orderCode == 20 || orderCode == 24 || orderCode == 25 || orderCode == 26;
  }
  // The unit's rule, then the board target goes too.
  void CancelMoveOrders() override;                                          // slot 67
  // The men lost in this battle: a crew's is minus its men present; a split half counts the
  // halves of its full strength and starting losses.
  int32_t GetLossesSinceMorale() const override;                             // slot 55
  int32_t GetBattleLosses() const { return GetLossesSinceMorale(); }
  // An absent crew keeps up with its moving vehicle.
  void StepIdle() override { FollowCrewedVehicle(); }                        // slot 86
  void FollowCrewedVehicle();
  // The appearance slice has come: the crew appears beside its vehicle.
  void OnTimedAction() override { Appear(); }                                // slot 100
  // At the end of the action a crew still to appear appears now, its state packet dated at
  // its appearance slice.
  void ApplyTimedAction() override { ScheduleAppearance(); }                 // slot 24
  void ScheduleAppearance();
  // False for a unit already alive. Places the crew 3.0 m (3.5 m from a kind-6 vehicle) from
  // its parent toward its first waypoint (else a random bearing), on the parent when that
  // point is off the map or not standable; nearby enemy infantry that see it are startled.
  bool Appear();
  // Between battles of an operation: some of the men lost come back (all draws only when
  // randomized), each to a weapon slot short of men. The number that returned.
  int32_t ReturnMen(bool randomized);
  // Slices before the enemy infantry that see a crew appear react to danger again.
  static constexpr int32_t kStartledDelay = 800;
  static constexpr float kStartleRange = 100.0f;

  // ---- Weapon and sight queries ----

  // A mortar team is known only from identification level 3; others by the unit's rule.
  bool IsKnownToViewer() const override;                                     // slot 31
  // Standing or hiding: every direction; moving: 25 degrees either side of the facing.
  bool IsPointInFireArc(float px, float py) const override;                  // slot 97
  // A mortar cannot fire from a road.
  bool IsMainWeaponUsable() const override;                                  // slot 123
  bool IsStationary() const { return activityState == kStationary || activityState == kHiding; }
  // Whether the main weapon is of a kind that fires at a point (with anyType: any weapon).
  bool TestMainWeaponType(bool anyType) const;
  static bool IsRoadTerrain(int32_t code) { return code >= 31 && code <= 35; }

  // ---- Operations still to come (InfantryLater.cpp; each stops the program) ----

  void TryDismount();
  void StartWeaponSetUp();
  bool FollowBoardingTarget();
  bool SyncPositionWithLinkedUnit(bool place);
  // The squad's own firepower form; the unit's two-argument form (slot 79) stays in reach.
  using Unit::FirepowerAt;
  float FirepowerAt(float range, int32_t* heavyGrade, bool ignoreMotion, bool scaleByRating);
  float RunUnitPass(bool asShown, Unit* unit);
  float GetSightingRange(const Unit& observer);
  static bool IsDirectionWatched(int32_t side, float radius, float x0, float y0, float x1, float y1);
  bool UpdateLinksBetweenBattles();
  float TerrainMoveRate(int32_t terrain) const;
  int32_t GetFigureCountAtLevel(int32_t level) const;
  int32_t GetFigureKindAtLevel(int32_t level, int32_t figure) const;
  float GetUnitCost() const;
  void DirectFireStep();
  bool SpreadOut(bool mayPushOther, Unit* other);
  void ReactToFire(bool forced, bool targetSeen, float threatX, float threatY);
  bool CloseAssault(Unit* other);

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
