#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/units/tables/InfantryData.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"

class CommandLineCanvas;
struct Shot;
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
// the late appearance, men returning between battles), InfantryFire.cpp (firepower, hit
// chances, ammunition), InfantrySight.cpp (how visible the squad is and how far it is seen),
// InfantryMovementRate.cpp (movement state and speed over terrain), InfantryFigures.cpp
// (figures shown and their postures), InfantryCost.cpp (purchase value, resupply),
// InfantryCasualties.cpp (who falls to a hit, the shock, elimination), InfantrySplit.cpp
// (splitting and rejoining), InfantryCover.cpp (reaction to fire, cover, withdrawal),
// InfantryDanger.cpp (overrun, surrender, rescue), InfantryPackets.cpp (state packets),
// InfantryLater.cpp (giving itself away, its anti-tank reach, the discard test between
// battles), InfantryAnimation.cpp (the figures' key-frame animation), InfantryAppearance.cpp (pictures, model scale, riders' seats),
// InfantrySlice.cpp (the slice update and the firing step), InfantryMovement.cpp (movement
// along waypoints, turning, height, crowding), InfantryRiding.cpp (riding, dismounting,
// boarding), InfantryCloseCombat.cpp (close assault, throws, the special weapon, mine
// clearing, firing inside a building).
//
// Still the unit's own: the target search test.
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
  Infantry* AsInfantryUnit() final { return this; }
  int32_t GetTypeIndex() const override { return classIndex; }
  InfantryData GetClassData() const override { return Data(); }
  bool IsSquad() const override { return Data().IsSquad() != 0; }
  // Another unit of the battle stands too close to the point.
  bool IsPlacementBlockedAt(float px, float py, float /*radius*/, bool /*flag*/) const override {
    return IsCrowdedAt(px, py);
  }
  Unit* GetSplitPartner() const override { return linkedHalf; }
  bool IsSecondHalf() const override { return splitFlag != 0; }
  Unit* GetOriginUnit() const override { return parentUnit; }
  int16_t GetSecondLeaderName() const override { return static_cast<int16_t>(secondLeaderName); }
  void SetSecondLeaderName(int16_t index) override { secondLeaderName = static_cast<uint16_t>(index); }
  void SetAimPoint(float px, float py) override { aimPoint = {px, py}; }
  // The turn cycle's rejoining and the end of a battle by surrender.
  bool RejoinLinkedHalf() override;
  void SurrenderWithSide() override { surrendered = 1; }
  void ReleaseFromCaptivity() override;
  // The throw shows while its timer runs.
  float GetActivityHoldValue() const override { return timer; }
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
  bool IsPassenger(bool armourOnly = false) const override;                  // slot 45
  bool HasSurrendered() const override { return surrendered != 0; }          // slot 49
  // Taken by the other side after it surrendered: the released byte.
  bool HasBeenCaptured() const override { return released != 0; }           // slot 50
  // Led off the map by its captors: no longer a surrendered squad but a captured one.
  void MarkCaptured() override {
    surrendered = 0;
    released = 1;
  }
  // No main weapon, or one that is not a gun (class 2 or 3).
  bool HasNonGunWeapon() const override { return !HasMainWeaponOfType23(false); }  // slot 56
  bool HasMainWeaponOfType5() const override { return IsArtillerySpotter(); }  // slot 69
  bool HasWeapon92() const override { return Data().MainWeapon() == 92; }    // slot 70
  // The ammunition mix row of the unit's type.
  int32_t GetAmmoMixRow() const override { return Data().AmmoRow(); }         // slot 22
  void GetRangeBounds(int32_t selector, float factor, float& low, float& high) const override;  // slot 80
  // A main weapon of class 1, 2 or 3 (a launcher or a gun).
  bool HasMainWeaponOfType123() const override;                              // slot 81
  bool HasMainWeapon() const override;                                       // slot 82
  // A point is a target in sight, or, for a mortar firing indirectly, one it sees.
  bool CanTargetPoint(float px, float py) override;                          // slot 63
  // Riders and pinned crews of a main weapon look for no target of their own.
  bool CanSeekTarget() override;
  bool IsOutOfMainAmmo() const override;                                     // slot 83
  bool HasMainWeaponOfType23(bool flag = false) const override;              // slot 92
  // A crew serving a gun or a mortar (a main weapon of class 2, 3 or 4): once it is out of the
  // fight its piece was knocked out, where a squad is eliminated.
  bool IsCrewServed() const override { return HasMainWeaponOfType23(true); }  // slot 11
  // A weapon of its own grade, or a main weapon other than a rifle, spotter or flame kind
  // (flag: any main weapon).
  bool CanFireMainWeapon(bool flag = false) const override;                  // slot 117
  // Steady, idle and able to move, on cover (or anywhere with the flag): withdraws toward the
  // side's edge, a surrendered squad toward its captors' (InfantryCover.cpp).
  void WithdrawIfIdle(bool flag) override;                                   // slot 121
  // Another idle friend crowds the point on the floor (FindCrowdingNeighbour); the out, when
  // given, receives it.
  bool FindUnitNearPoint(float px, float py, float atLevel, Unit** found) override;  // slot 124
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
    return orderCode == kOrderFastMove || orderCode == kOrderSneak || orderCode == kOrderCrawl ||
           orderCode == kOrderRun;
  }
  // The unit's rule, then the board target goes too.
  void CancelMoveOrders() override;                                          // slot 67
  // The men lost in this battle: a crew's is minus its men present; a split half counts the
  // halves of its full strength and starting losses.
  int32_t GetBattleLosses() const override;                                  // slot 55
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

  // ---- How far the squad gives itself away (InfantryLater.cpp) ----

  // The identification level (0..4) that the enemy (or the one observer given) reaches of the
  // squad now, with the values of UnitPassValues: its activity gives the hearing range, its
  // class the size, both scaled by its effective rating. With asShown it is judged at its last shown position, as hiding.
  float RunUnitPass(bool asShown, const Unit* unit) override;
  int32_t BestEnemyIdentification(bool relaxed, int32_t unused) const override;  // slot 109
  int32_t GetAntitankCount() const override { return antitankCount; }
  float GetAntitankRange() const override;

  // ---- The discard test between battles (InfantryLater.cpp) ----
  // Drops the commanding leader and links to a split half or platoon leader that is gone. A
  // crew goes back to its gun team when the gun still stands on its side's ground (the team
  // lives again with the crew's men) and to its vehicle unless it surrendered; true then, and
  // for a crew that cannot go back and is dead, or lives on in goingOn, or left the field.
  bool UpdateLinksBetweenBattles(GGroup& goingOn) override;
  // The lost mark of a gun team (its gun was taken or left on the enemy's ground, and its
  // crew no longer comes back to it) is the unit's bailed-out byte, knockedOut.
  // A bailed-out crew's link to the unit it left.
  void SetOriginUnit(Unit* unit) override { parentUnit = unit; }
  // ---- End of the discard test ----

  // ---- The action phase: slice, firing, movement, riding, close combat (InfantrySlice.cpp,
  // InfantryMovement.cpp, InfantryRiding.cpp, InfantryCloseCombat.cpp) ----

  // Target choice, the withdraw order, riding or moving, the firing step, the figures'
  // activity, voices and spreading out; once a slice.
  void UpdateSlice(int32_t slice) override;                                  // slot 88
  // A heavy weapon's set-up, a spotter's area fire, the special weapon, the fire-delay
  // countdown, close assault, direct fire, throws and mine clearing.
  void FiringStep();
  void DirectFireStep();
  // Called-in artillery: the aim runs at half speed while hiding, moving or blind; ranging
  // rounds as it crosses 60 and 30 seconds; up to four rounds a slice at 0.
  void AreaFireStep();
  // At night a squad without a main weapon may take a friend near its target for the enemy.
  void PickFriendlyTarget();
  static bool CollectFriendlyTarget(Unit& candidate, const Infantry& unit);
  // No small arms at a buttoned-up armoured target.
  bool CanFireAtTarget(int32_t& kindOut) override;                           // slot 143
  // Set around a spotter's ranging round.
  static bool gRangingRound;

  // One slice along the waypoints: the floor climb, the step, arrival, the load shed.
  void MoveAlongWaypoints() override;                                        // slot 139
  // Degrees per slice.
  float GetTurnStep() const override;                                        // slot 133
  // The ground under the unit plus 6 m per floor.
  float GetBaseHeight() const override;                                      // slot 59
  void OrderUpperFloor(bool up);
  // A weakened crew keeps at most its share of the full load.
  void ShedAmmunition();
  float GetPersonalSpace() const;
  bool IsCrowdingCandidate(const Unit& other) const;
  // The nearest friend standing closer than either's personal space within 8 m.
  bool FindCrowdingNeighbour(float px, float py, float floor, Unit*& neighbour);
  bool FindSpreadSpot(Unit& other, int32_t terrain, float radius, float& outX, float& outY);
  // A waypoint to a free spot nearby; mayPushOther lets the neighbour move first.
  bool SpreadOut(bool mayPushOther, Unit* other);

  // Riding: off the vehicle when it halts (in good order, in panic, or because it is lost).
  void TryDismount();
  // The set-up time in minutes by class code (x 0.6 with flag value 2).
  static float WeaponSetUpFactor(int32_t classCode, int32_t flags);
  void StartWeaponSetUp();
  // Keeps the move order on the vehicle to board; true while on the way.
  bool FollowBoardingTarget();
  // A rider takes its vehicle's place (and, with place, may get off); false on foot.
  bool SyncPositionWithLinkedUnit(bool place);
  // Boards the vehicle the unit was ordered to board when it can carry it now.
  bool EmbarkOnBoardingTarget();
  void Embark(Unit* vehicle) override;                                       // slot 137
  bool IsCarried() const override { return carrier != nullptr; }
  bool IsBoarding() const override { return boardingTarget != nullptr; }
  // Placement takes a rider off its vehicle where it stands.
  void LeaveCarrier() override;
  // Boarding happens once the squad has walked up to the vehicle.
  static constexpr float kBoardingReach = 5.0f;

  // Close combat.
  static float CloseAssaultChance(float d, float fatigueValue);
  void CloseAssault();
  // The chance a slice of a grenade (or a charge) before speed and armour.
  float ThrowChance(float d, bool charge) const;
  void ThrowAtTarget();
  void LaunchThrow(int32_t weapon, int32_t flight, float d, float px, float py, float pz);
  static bool IsMineToClear(const Unit& candidate, const Infantry& unit);
  void ClearMines();
  static bool IsSpecialWeaponArmourTarget(Unit& candidate, Infantry& unit);
  static bool IsSpecialWeaponSoftTarget(Unit& candidate, Infantry& unit);
  void FireSpecialWeapon();
  // Firing inside a building: suppression at least 120, a longer delay, perhaps a fire.
  void ApplyConfinedFireEffects();
  // A gun crew inside a building: it does not take a target that stands in one.
  bool IsGunInBuilding() const;
  bool CanUseSmallArmsAt(const Unit* /*other*/) const override { return IsGunInBuilding(); }  // slot 53
  // Whether the unit, as the view mode shows it, could bring fire on a point it sees: a squad
  // close by or with its special weapon, a team with its weapon's range.
  bool CanReachPoint(float px, float py, int32_t mode) const;
  bool CanEngagePoint(float px, float py, int32_t mode) const override { return CanReachPoint(px, py, mode); }
  // The unit assaulting while its target takes the losses.
  static Unit* gAssaultingUnit;

  // ---- Under fire: casualties, damage, split and rejoin (InfantryCasualties.cpp,
  // InfantrySplit.cpp) ----

  // Every roll below the chance downs one man (the rolls may outnumber the men present). The
  // survivors are thinned slot by slot, sparing the heavy weapons as the squad's care allows;
  // charges and antitank weapons may go with them. A quiet loss shouts no casualty voice and
  // leaves the falling-figure mark alone. True when anyone fell.
  bool TakeCasualties(int32_t rolls, float chance, bool quiet);
  // The map's form (a collapsing building, a crew leaving its gun): not quiet.
  void TakeCasualties(int32_t count, float chance) override { TakeCasualties(count, chance, false); }
  void TakeQuietCasualties(float chance) override;
  void AddSuppression(float amount, bool noFanaticHold) { SetSuppression(suppression + amount, noFanaticHold); }
  // A hit of the damage: casualties at damage / 725 a die, then the shock, the reaction and,
  // for a blast behind its back, the turn toward where it came from.
  using Unit::TakeDamage;
  void TakeDamage(float damage, int32_t extraRolls, const Shot& shot);
  void TakeShotDamage(float damage, int32_t extraRolls, const Shot& shot) override {
    TakeDamage(damage, extraRolls, shot);
  }
  // The shock of a hit before the shot's kind and the losses: (A u^B + 1) 1.3 D^0.7 with A
  // and B of the effective rating 0..8 (any other rating counts as 2).
  static float HitShock(int32_t effectiveRating, float u, float damage);
  void CheckWeaponKnockedOut(float damage, const Shot& shot);
  // A near miss: a suppression strictly between 6 and 16 becomes 16.
  void AfterHit();
  // A mine or a booby trap: exactly one man falls, and the rest are shaken (a third as much
  // when mild).
  void TakeSingleCasualty(bool mild);
  void Eliminate() override;                                                 // slot 98
  bool CanSplit() const override;                                            // slot 105
  // The main weapon is a gun (class 2 or 3), or with withIndirect also a mortar (class 4).
  bool HasHeavyWeapon(bool withIndirect) const;
  // Makes the new half beside this squad and gives it half of everything; the battle takes
  // it (else the caller owns it). CanSplit must hold.
  Infantry* Split();
  // Takes the linked half back in: its men, weapons, shock, fatigue and kills; every unit's
  // references to it come here. The battle removes the other half afterwards.
  void Rejoin();
  static void RedirectReferencesToHalf(Unit& unit, const Unit& from, Unit& to);
  // The floor level snaps to the ground or the upper floor once the unit stops.
  void SettleLevel();

  // ---- Under fire: the reaction, cover and withdrawal (InfantryCover.cpp) ----

  // By the morale band (6 when forced): stop firing at far targets, withdraw, abandon a gun
  // that cannot move, drop a sneaking advance, hurry the orders or seek cover. The threat
  // point counts when targetSeen is set.
  void ReactToFire(bool forced, bool targetSeen, float threatX, float threatY);
  // The best-scoring spot of the 25 x 25 within 60 m becomes the first waypoint (unforced:
  // only one scoring below 20). False when the unit stays.
  bool SeekCover(bool forced, bool hasThreat, float threatX, float threatY);
  // A clear cell on the line, tested every 20 m or so from the start to the end.
  bool PathReachesClearCell(float x0, float y0, float x1, float y1) const;
  // The first 20 m (30 m for speed class 3, 50 m for class 4) of the route reach a clear cell.
  bool RouteReachesCover() const;
  // A withdraw move toward the nearest edge of the side: true when one was ordered or is
  // under way. Panicked requires mayLeaveMap. A side without an edge of its own cannot withdraw.
  bool RetreatTowardFriendlyEdge(bool mayLeaveMap, bool panicked);
  // A collapsing building: withdraw, staying on the map.
  void RetreatTowardFriendlyEdge() override;
  struct RetreatDirections {
    std::array<float, 8> cosines{};
    std::array<float, 8> sines{};
  };
  // The first spot at radii from first to last (steps of 10 m), the eight directions each,
  // that is clear, standable, on the map (unless it may leave) and has no enemy ahead.
  bool FindRetreatSpot(float& outX, float& outY, bool mayLeaveMap, float firstRadius, float lastRadius,
                       const RetreatDirections& directions) const;

  // ---- Danger: overrun, surrender and rescue (InfantryDanger.cpp) ----

  // On the danger countdown: jump aside from (or, unable to move, abandon a gun to) an
  // armoured vehicle about to drive over the unit, leave a burning tile, give up when the
  // balance around it is hopeless, or be freed by friends close by.
  void ReactToDanger() override;                                             // slot 89
  // An armoured vehicle moving toward the unit that would be on it within five seconds.
  static bool IsOverrunThreat(const Unit& candidate, Infantry& unit);
  // A spot 12 m to either side becomes the first waypoint; true when one was found on clear
  // ground (after 20 tries any standable spot will do).
  bool JumpAside(int32_t band);
  void AbandonGun(Unit& taker);
  // The men present, lowered by every enemy that can fight and see the unit within 75 m and
  // raised by friends within 100 m, and the enemy to give up to (none allowed).
  struct SurrenderBalance {
    float balance = 0.0f;
    float divisor = 1.0f;
    Unit* capturer = nullptr;
  };
  SurrenderBalance ComputeSurrenderBalance(int32_t band) const;
  static void AddToSurrenderBalance(Unit& other, const Infantry& unit, SurrenderBalance& tally);
  static bool IsThreateningEnemy(Unit& other, const Infantry& unit);
  static bool IsNearbyRescuer(Unit& other, const Infantry& unit);
  // The unit gives itself up to the capturer, which must exist.
  void Surrender(Unit* capturer);

  // ---- State packets and the falling figure (InfantryPackets.cpp) ----

  // The carrier, the vehicle to board and the commanding leader, the men per slot and the
  // state bits (movement, fatigue level, shots, charges, surrendered, released, routed).
  void WriteStateExtras(UnitStatePacket& packet) const override;             // slot 134
  void ReadStateExtras(const UnitStatePacket& packet) override;              // slot 135
  // A squad whose men were hit shows one of its figures falling in the replay.
  UnitStatePacket MakeStatePacket() override;                                // slot 93
  // Out-of-range values from a replay or the other machine change nothing (a movement state
  // other than 0, 3..7), are held (a fatigue level above 4 is 4) or become 0 (slot counts
  // above 127).
  void ApplyStatePacket(const UnitStatePacket& packet) override;             // slot 94
  // Figure 0..2 flinches (seen at identification level 4 only; other figures nobody).
  void FlinchFigure(int32_t figure);
  // A new team on foot moves 10 to 20 m off the spot it appeared on.
  void FindNearbySpot() override;

  // ---- Firepower, hit chances, sight, movement rate, figures, cost (InfantryFire.cpp,
  // InfantrySight.cpp, InfantryMovementRate.cpp, InfantryFigures.cpp, InfantryCost.cpp) ----

  // Small-arms firepower at a range; the grade of the first slot's weapon (0..2) through
  // heavyGrade. ignoreMotion skips the movement tests and the class scale.
  float FirepowerAt(float range, int32_t* heavyGrade, bool ignoreMotion, bool scaleByRating) const;
  float FirepowerAt(float range, int32_t /*mode*/) override {                // slot 79
    return FirepowerAt(range, nullptr, false, false);
  }
  // The two chances of a shot this squad fires at the target, by bearing, crew and state.
  void AdjustHitChances(const Unit& target, float& first, float& second) const override;
  // The exposure and class values the unit pass takes (state and position restored after).
  void UnitPassValues(bool asShown, float& exposure, float& classFactor);
  int32_t ChooseAmmo(const Unit* targetUnit) const override;                 // slot 74
  // Metres at which the observer sees the squad (0 when it cannot).
  float GetSightingRange(const Unit& observer) const;
  float VisibilityTo(const Unit* observer) const override {                  // slot 110
    return observer != nullptr ? GetSightingRange(*observer) : 0.0f;
  }
  // Some live enemy of side near (x0, y0) lies within 45 degrees of the bearing to (x1, y1).
  static bool IsDirectionWatched(int32_t side, float radius, float x0, float y0, float x1, float y1);
  // How visible the squad is from the point (0 not at all).
  float VisibilityFromPoint(float px, float py, float pz, bool byPosture, bool fromAbove, bool halfTerrain,
                            int32_t viewMode) const;
  float VisibilityFromPoint(float px, float py, float pz, bool sure) override {  // slot 65
    return VisibilityFromPoint(px, py, pz, sure, false, false, 0);
  }
  // Concealment 0..1 of a fine terrain type (0..44).
  static float TerrainConcealment(int32_t terrain);
  void BeginTurn() override;                                                 // slot 37
  int32_t GetSpeedClass() const override;                                    // slot 40
  // The cost grid its routes are planned on: 1, the class that keeps off walls, hedges,
  // buildings and rough going, for a crew weapon or a slow unit; else 0.
  int32_t GetMoveClass() const override;                                     // slot 10
  // The movement state of this slice; testBlocked asks whether boarding holds it back.
  int32_t ChooseMoveState(bool testBlocked) const;
  // Metres per slice here and now; floorLevel gets the floor level. With the look-ahead flag
  // set, waypoints in a revealed antipersonnel minefield ahead are dropped.
  float GetTerrainMobility(float* floorLevel);
  // The same, leaving the waypoints as they are.
  float GetTerrainMobility() const override;                                 // slot 142
  // The speed and whether a revealed antipersonnel minefield lies ahead (look-ahead only).
  float TerrainSpeed(float* floorLevel, bool& minefieldAhead) const;
  // A countdown of seconds loses one slice; at or below a slice it ends at 0.
  static void DecrementTimer(float& t);
  bool IsNearAimPoint(float px, float py) const;
  // A spotter's linked point is its aim point.
  bool IsNearLinkedPoint(float px, float py) const override { return IsNearAimPoint(px, py); }  // slot 84
  // A squad holds its position while it hides.
  bool IsHoldingPosition() const override { return activityState == kHiding; }  // slot 96
  // Set by the waypoint movement while it asks for the speed: look for minefields ahead.
  static bool gMinefieldLookAhead;
  // The look-ahead point of the last speed query.
  static float gLookAheadX;
  static float gLookAheadY;
  // Figures shown (0..3) and the kind of figure i at an identification level.
  int32_t GetFigureCountAtLevel(int32_t level) const;
  int32_t GetFigureKindAtLevel(int32_t level, int32_t figure) const;
  int32_t GetShownFigureCount() const;
  int32_t GetShownFigureKind(int32_t figure) const;
  static bool IsCrewOf(const Unit* unit, const Unit* other);
  bool HidesDeadFigure() const;
  bool LeavesNoRemains() const;
  // A dead unit that left nothing on the field (a gun its crew walked away from) counts as
  // abandoned where it stood.
  bool IsDestroyedInPlace() const override { return LeavesNoRemains(); }  // slot 12
  // Each figure takes the posture of the movement state; a changed one restarts its cycle.
  // draw is the generator the starting keys come from.
  void UpdateFigurePostures(int32_t (*draw)(int32_t) = Random);
  // The replay's share: the figures take the posture of the movement state a state packet
  // gave (riding, standing, moving or crawling), their keys drawn from the presentation's
  // generator, so that the game's draws stay as the action left them.
  void ShowRecordedPosture();
  // The posture of a movement state, 2 while riding.
  int32_t PostureOf(int32_t moveState) const;
  // Each figure whose posture differs takes this one and restarts its cycle.
  void SetFigurePostures(int32_t posture, int32_t (*draw)(int32_t));
  // A figure's starting key, its first duration (ms) and the keys in its cycle.
  void PickAnimationFrames(int32_t figure, int32_t& frame, int32_t& duration, int32_t& count,
                           int32_t (*draw)(int32_t) = Random) const;
  // ---- The figures' key-frame animation (InfantryAnimation.cpp) ----
  // Once per drawn frame, by the kernel's frame clock and the presentation's generator;
  // nothing while the action is computed.
  void UpdateAnimation() override;                                           // slot 119
  // Steps every shown figure to the clock now (ms), easing the joints by the frame time
  // and the clock of the previous frame; draw gives the starting keys. The keys stepped.
  int32_t AnimateFigures(uint32_t now, uint32_t frameTime, uint32_t previousTick,
                         int32_t (*draw)(int32_t) = PresentationDraw);
  // A draw from the presentation's generator, never the game's.
  static int32_t PresentationDraw(int32_t n);
  // The kind of figure whose poses figure i takes: dead, surrendered, out of action or shown.
  int32_t AnimatedFigureKind(int32_t figure) const;
  // The figure model's scale, and a rider's seat on its carrier (InfantryAppearance.cpp).
  void ApplyModelScale(float& scale) override;                              // slot 132
  // A rider's side on the carrier: 0 alone, -1 the first of two, 1 the second of two.
  float RiderSide() const;
  // Uniform, figure and weapon pictures of the unit's nationality (InfantryAppearance.cpp).
  void PrepareAppearance() override;                                        // slot 5
  // The uniform picture row of a nationality code at a battle date (late codes 0 and 1 wear
  // rows 19 and 20 from December 1944).
  static int32_t UniformRow(int32_t code, int32_t date);
  // The map's figure textures figure kind k needs, into out (at most 3); their count.
  int32_t FigureTextures(int32_t kind, std::array<int32_t, 3>& out) const;
  // ---- end of the animation block ----
  // ---- The squad on the battlefield (InfantryDraw.cpp, InfantryFigure.cpp) ----
  // Draws the men as DrawOnMap left flag and size (Draw), or as a caller gives them (a crew
  // figure of a vehicle): the men around the crew weapon at their places, each at the level
  // of detail of size, then the crew weapon; the one-shot pose flags are cleared at the end.
  void DrawSquad(bool flag, float size);
  // Riding men with a gun of class 2 or 3 are not drawn unless its flags 0 and 4 are both set.
  bool HiddenWhileRiding() const;
  // No base marker for a rider or for class 242.
  void DrawBase(bool pick) override;                                         // slot 126
  // The status label of two lines: the state of a dead unit, or morale and ammunition.
  void DrawStatusLabel() override;                                           // slot 9
  // ---- End of the squad on the battlefield ----

  // Purchase value; fresh prices the squad at full strength.
  float GetPurchaseCost(bool fresh) const;
  float GetPurchaseCost() const override { return GetPurchaseCost(false); }  // slot 104
  // Between battles: ammunition, then perhaps one more antitank weapon and charge.
  void ResupplyAmmo() override;                                              // slot 20
  // The chance of a supply setting (0..5).
  static float SupplyChance(int32_t setting, int32_t line);

  // Per figure: posture 0..9, current key, next key time (ms of the frame clock). Not stored.
  std::array<int32_t, kPoseColumns> figurePosture{};
  std::array<int32_t, kPoseColumns> figureKey{};
  std::array<int32_t, kPoseColumns> figureNextKeyTime{};
  // A spotter's area-fire point as the turn began (999999 for none). Not stored.
  std::array<float, 2> keptAreaFirePoint{999999.0f, 999999.0f};

  // ---- Leaders, command and fatigue (InfantryCommand.cpp) ----

  bool HasCommand() const;
  // Takes the leader in reach that commands the squad, looking at the battle's units, or only
  // at those given (the battle's live infantry leaders, in its order: the others are passed
  // over at once).
  void FindCommandingLeader(const std::vector<Unit*>* leaders = nullptr);
  static bool LeaderCandidateTest(Unit* candidate, Infantry& squad);
  // A live infantry leader: a unit the leader search may take.
  static bool IsLiveLeader(Unit* unit);
  int32_t GetEffectiveRating(int32_t aspect) const override;                 // slot 29
  void UpdateFatigue() override;                                             // slot 115
  void ResetBetweenBattles() override;                                       // slot 21
  // The command lines of a squad that has not surrendered: a leader's to every unit it leads,
  // another's to its commanding leader (else its platoon leader) while that one lives.
  void DrawCommandLines(CommandLineCanvas& canvas) const;
  // The selected squad's command lines, drawn over the terrain by the unit drawing's host.
  void FollowLink() override;                                                // slot 48
  bool IsLedBy(const Unit& leader) const override {
    return &leader != this && (commandingLeader == &leader || platoonLeader == &leader);
  }
  static void DrawCommandLineTo(CommandLineCanvas& canvas, const Unit* unit, const Unit* leader);
  // Fatigue level 0..4 of a fatigue value.
  static int32_t FatigueLevelOf(float value);
  // Terrain codes whose going the ground condition worsens.
  static bool IsGroundConditionTerrain(int32_t code);
  // Command reach in metres of a leader's command rating and rating.
  static float LeaderCommandRange(int32_t commandRating, int32_t leaderRating);
  // Leader rating bit pairs: 0 command, 1 aspect 1, 2 aspect 0, 3 aspect 2.
  int32_t LeaderRatingBits(int32_t pair) const { return (leaderRatings >> (2 * pair)) & 3; }

  // ---- The computer player's view of the squad (InfantryPlanning.cpp) ----
  // A squad's firepower fades from 1.0 at 200 m to 0.0 at 400 m; other units keep it all.
  float GetFireFactor(float distance) const override;                        // slot 144
  // The copy stands still: its movement state is stationary.
  Unit* NewTrialCopy() const override;
  // ---- End of the computer player's view ----
  // ---- Buildings marked for the building pass (InfantryBuildingMarks.cpp) ----
  // A living squad the viewer has identified marks the building it stands in (occupied on
  // its upper floor, else cut away); the selected squad, when it takes orders, also marks the
  // buildings its waypoints lead into.
  void MarkOccupiedBuildings(Map& map) override;
  // ---- End of the building marks ----

  // ---- Fields, in declared order ----

  Unit* carrier = nullptr;
  // Set while the unit fires indirectly (a mortar aimed by others); surrender clears it.
  int32_t indirectFire = 0;
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
  // The falling-figure code of the state packet being made (0 between packets).
  uint8_t packetFallingFigure = 0;
  // The weapon is being worked while the last burst shows. Not stored.
  uint8_t firingInProgress = 0;

  // The six references as raw packed ids between Read and RemapReferences, and as identity
  // keys between ReferencesToIds and IdsToReferences, in the order carrier, boarding target,
  // parent, commanding leader, platoon leader, linked half.
  std::array<int16_t, 6> linkIds{};
  std::array<uint32_t, 6> linkKeys{};
};
