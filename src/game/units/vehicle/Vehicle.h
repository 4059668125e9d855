#pragma once
#include <array>
#include <cstdint>

#include "game/units/fire/ArmourFormulas.h"
#include "game/units/Unit.h"
#include "game/units/tables/VehicleData.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/records/VehicleStrike.h"

class GFile;
class GGroup;
class GString;
class MapBattleServices;

// A tank, gun carrier, truck, boat or fixed fortification of the vehicle class table: its class
// set-up, what the enemy believes it to be, who rides on it, which gun it fires and how fast it
// may drive. Code by subject: VehicleSetUp.cpp (construction, class, identity, textures),
// VehiclePassengers.cpp (riders, weapons, class queries, display), VehicleMovement.cpp (terrain
// speed, obstruction, corner cutting, ground tilt), VehicleStoredForm.cpp (its block of the unit
// record and the carried-unit references), VehicleTurn.cpp (turn and battle seams, resupply,
// hatches, engine sounds, wrecks), Vehicle.cpp (the slots still to come).
class Vehicle : public Unit, public VehicleServices {
 public:
  // The unit factory's and the file reader's makers for kind 1.
  static void Register();

  static constexpr int32_t kNoSmallArms = 33;
  static constexpr int32_t kNoWeapon = 104;
  static constexpr int32_t kMachineGuns = 3;
  static constexpr int32_t kAnimations = 3;

  // The last hit's record: the part struck (0 turret or superstructure, 1 upper hull, 2 lower
  // hull, 3 and 4 top, 5 running gear, 6 weapon), the crew members hit and what the hit did.
  struct HitReport {
    int32_t part = 0;
    int32_t crewHits = 0;
    uint8_t immobilized = 0;
    uint8_t damaged = 0;
    uint8_t penetration = 0;
    uint8_t brokeUp = 0;
    uint8_t ricochet = 0;
    uint8_t weakPoint = 0;
    uint8_t flaking = 0;
  };

  // Nine draws: the two drawing offsets, then phase and rate of animations 2, 1, 0.
  Vehicle();

  VehicleServices* AsVehicle() override { return this; }
  Vehicle* AsVehicleUnit() final { return this; }

  // ---- Class set-up, identity and appearance (VehicleSetUp.cpp) ----

  // Binds the vehicle to a class and places it. A nationality group outside 0..5 and a
  // turreted class without a turret record are fatal.
  void SetClass(int32_t newClassIndex, int32_t code, int32_t newRating, float px, float py, float newFacing);
  // Draws the apparent category and fills the apparent and broad classes.
  void ChooseApparentClass();
  // Models 6 and 46 are twice as deep.
  void AdjustBoundingBox();
  // The apparent category an enemy sees for a true category, given a draw below the category's
  // bound (CategoryDrawBound) and the date YYMM.
  static int32_t ApparentCategoryFor(int32_t trueCategory, int32_t draw, int32_t date);
  // The bound of the draw for a true category, 0 for a category that is never mistaken.
  static int32_t CategoryDrawBound(int32_t trueCategory);
  // The class index shown at level 3 for an apparent category; another category is fatal.
  static int32_t ApparentClassFor(int32_t category, int32_t date);
  // The broad class 222..225 of a category; another category is logged and gives 225.
  static int32_t BroadClassOf(int32_t category);
  // Broad class of the seen category (false) or the apparent category (true).
  int32_t GetBroadClass(bool apparent) const;
  // The category the viewing player sees.
  int32_t GetCategory() const;
  void GetDisplayName(GString& text) const override { GetDisplayName(text, false); }
  void GetDisplayName(GString& text, bool longForm) const;
  void AssignDesignation() override;
  void PrepareAppearance() override;
  // The base texture of a class record: 4026 for kinds 0..2, else 4020 (4023 with flag 0x1000),
  // +2 on snow, +1 on damp ground.
  static int32_t BaseTextureNumber(const VehicleData& record, bool snow, int32_t groundCondition);
  int32_t GetPortraitIndex() const override;
  // Advances the three animation phases by the frame time in milliseconds.
  void AdvanceAnimation(float milliseconds);

  // ---- Services to the shared unit code ----

  int32_t GetClassIndex() const override { return classIndex; }
  // A burning vehicle's smoke blocks lines of sight near it.
  bool BlocksSight() const override { return burning != 0; }
  // The radius within which a burning vehicle hides sight lines.
  float GetVehicleSize() const override { return sizeFactor; }
  VehicleData GetClassData(int32_t mode) const override;
  VehicleData TrueClass() const;
  bool IsBoat() const override { return TrueClass().KindCode() == VehicleData::kKindBoat; }
  bool IsEmplacement() const override { return TrueClass().KindCode() == VehicleData::kKindEmplacement; }
  // The cost grid its routes are planned on, by the class's kind: wheeled, half-tracked and
  // tracked vehicles 3, kind 4 the class that crosses walls and wire, any other 4.
  int32_t GetMoveClass() const override;  // slot 10
  bool HasTurret() const override { return TrueClass().TurretSpeedClass() != 5; }
  bool IsButtoned() const override { return buttoned != 0; }
  uint16_t* GetSecondAmmo() override { return secondAmmo.data(); }
  int32_t GetSmallArmsEntry() const override { return smallArmsInUse; }

  // ---- Passengers, weapons and class queries (VehiclePassengers.cpp) ----

  // The load an infantry unit's transport class puts on a vehicle, tons.
  static float PassengerWeight(const Unit* unit);
  // A third passenger is fatal: callers ask CanCarry first.
  void AddPassenger(Unit* unit) override;
  // A unit in neither slot is fatal.
  void RemovePassenger(Unit* unit) override;
  // Whether the unit may board: planning (boardNow false) or at once.
  bool CanCarry(const Unit* unit, bool boardNow, bool allowHeavy) const override;
  // Whether a vehicle of the class takes a unit of the transport class with that many men
  // beside the riders given (both null: an empty vehicle). CanCarry decides by it, and the unit
  // balloon names the class's passenger capacity by it.
  static bool ClassTakesRider(const VehicleData& record, int32_t transportClass, int32_t men,
                              const std::array<const Unit*, 2>& riders, bool allowHeavy);
  // The capacity the unit balloon names for the class: 2 a squad (some squad class of the
  // infantry table at full strength boards the empty vehicle in the battle), 1 smaller units
  // only, 0 nobody.
  static int32_t PassengerCapacityCode(const VehicleData& record);
  // While planning: the living infantry of the battle on its way to board this vehicle fills
  // the empty candidate places, first then second (the asking unit never counts itself).
  void CollectBoardingUnits(const Unit* asking, std::array<const Unit*, 2>& candidates) const;
  // The riders stand where the vehicle stands (after it was placed or turned).
  void SyncPassengers() override;  // slot 111
  // A movement or set-up pick over the vehicle keeps it as the unit under the cursor when the
  // other unit could board it: the pick then shows "Embark".
  bool ReactToUnit(Unit* other) override;  // slot 73
  Unit* GetPassenger(int32_t i) const override { return passengers[static_cast<size_t>(i & 1)]; }
  // 0 closed top, 1 partly open, 2 open.
  int32_t GetOpenTopState(int32_t mode) const;
  bool IsArmored(bool flag = false) const override;
  bool IsArmoredIn(int32_t mode) const { return GetClassData(mode).MainArmour() > 0; }
  bool HasMainWeapon() const override { return HasMainWeaponIn(0); }
  bool HasMainWeaponIn(int32_t mode) const { return GetClassData(mode).MainWeapon() != kNoWeapon; }
  bool IsMainWeaponUsable() const override { return gunDestroyed == 0; }
  // The weapon of the shot under way: 0 the main gun or a listed machine gun, 1 and 2 the
  // small-arms groups. An id outside the table is fatal.
  int32_t QueryShotWeapon(int32_t& weapon, int32_t& type, int32_t mode, bool machineGunShot) const;
  void QueryWeapon(int32_t selector, int32_t& weapon, int32_t& type) const override;
  // The ammunition mix row of the vehicle's class.
  int32_t GetAmmoMixRow() const override { return TrueClass().AmmoRow(); }       // slot 22
  // A vehicle's fastest move is the plain fast move, whatever its speed class.
  int32_t GetFastestMoveCode() const override { return kOrderFastMove; }                  // slot 85
  // The gun looks where the turret points.
  float GetWeaponFacing() const override { return GetTurretAngle(); }            // slot 58
  // Which gun engages the target: 1 the main gun, 0 the machine guns.
  int32_t ChooseMainGun(const Unit* newTarget, bool flagA, bool flagB) const;
  // The base choice of target, then the main gun or the machine guns for it: the turret's hold
  // ends, and without the main gun the aim starts again.
  void SetTarget(Unit* newTarget, float px, float py, bool smoke, bool noOrdered) override;  // slot 36
  // The spotting countdown from the vehicle's own roll (RollSpotting).
  void RandomizeSliceCounter() override;                                     // slot 130
  void SetMainGunClearance(uint8_t value) { mainGunClearance = value; }
  bool CanFireAnyMG(bool checkTarget = false) const;
  // The main weapon is a gun (class 2 or 3), or with withIndirect a mortar (4).
  bool HasHeavyWeapon(bool withIndirect) const;
  // A gun (slot 92 without its flag) is the vehicle's heavy weapon.
  bool HasMainWeaponOfType123() const override { return HasHeavyWeapon(false); }  // slot 81
  // The computer player's role: 4 for a vehicle that moves and can fight with its main
  // weapon or a machine gun, else 0 (and always 0 for kind 6).
  int32_t GetInfantryRoleCode() const override;                              // slot 122
  // Its weight in holding ground: 5 unarmoured, 10 armoured, 20 armoured with a main weapon;
  // 10 more for kind 6.
  float GetStrengthValue() const override;                                   // slot 26
  // Seconds from one main-gun shot to the next and to lay the gun; with mode set each is
  // varied by up to a fifth either way. Together they give the rate of fire.
  float GetRateOfFireTime(int32_t mode, int32_t selector) const override;    // slot 140
  float GetAimTime(int32_t mode, int32_t selector) const override;           // slot 141
  // The spotting roll, 240 lower (it may go below 0) for a buttoned vehicle not of kind 6.
  int32_t RollSpotting() const;
  // Flips the dug-in order; a vehicle that may not dig in is fatal. Riders dismount.
  void ToggleDugIn();
  // Track speeds and turret of the display between slices.
  void AdvanceTracks(float scale);
  void AdvanceTurret(int32_t elapsedSlices);
  // The display between state packets: the turret turns on by its rate, the hull moves (the
  // unit's own step), the riders ride along and the tracks scroll with the motion.
  void AdvanceBy(int32_t slice, int32_t now) override;                      // slot 91
  // The recorded state back, the turret's angle with it.
  void RestoreRecordedState() override;
  // The running parts' phases advance by the last frame's time.
  void UpdateAnimation() override;                                           // slot 119
  // The passengers, turret, flags and machine-gun groups into a state packet and back. A
  // replayed packet's non-finite turret angle or rate is ignored and a passenger that is not
  // infantry is dropped.
  void WriteStateExtras(UnitStatePacket& packet) const override;
  void ReadStateExtras(const UnitStatePacket& packet) override;
  // Wraps an angle by 360 into -180..180.
  static float WrapTurretAngle(float angle);

  // ---- Movement (VehicleMovement.cpp) ----

  // The speed the vehicle may have this slice, metres per slice; 0 may not move there. The
  // level, when asked, first receives the unit's level value.
  float TerrainMobility(float* levelOut);
  float GetTerrainMobility() const override;
  // 0 no obstacle to the mover, 1 it may push past, 2 only crawl, 3 must stop.
  int32_t ObstructionGrade(const Vehicle& mover) const;
  // The highest grade of the units given against the mover (stopping at 3) and its vehicle:
  // the walk the battle makes of its vehicles.
  static int32_t BestObstruction(const Vehicle& mover, Unit* const* units, int32_t count, const Vehicle** found);
  // True when the first waypoint was dropped because the vehicle turns into the next leg here.
  bool TryCutCorner();
  float GroundPressure() const;
  // Sets hull pitch and roll from the ground.
  void OrientToGround() override;
  // Tilt of the gun line from the hull's tilt, degrees, at the turret's angle brought into
  // -180..180.
  float GetTiltAlongGun() const;
  // The gun's elevation takes the hull's tilt along the gun line.
  float GetHullTilt() const override { return GetTiltAlongGun(); }             // slot 129
  static float TiltAlongGun(float pitch, float roll, float turret);
  // Degrees a slice the vehicle turns; the turning code still to come sets it.
  float GetTurnStep() const override { return turnStep; }

  // The ground factor of the last mobility computation, the full-check switch, the look-ahead
  // point and the way-ahead switch: shared by the movement step.
  static float gGroundFactor;
  static float gFullCheck;
  static float gLookAheadX;
  static float gLookAheadY;
  static bool gWayAheadCheck;
  // Per side (side index) the next vehicle designation number.
  static std::array<uint8_t, 2> gDesignationNumbers;
  static void ResetDesignations() { gDesignationNumbers = {1, 1}; }

  // ---- Stored form and carried-unit references (VehicleStoredForm.cpp); turn and battle
  // seams, resupply, movement and engagement answers, hatches, engine sounds and wrecks
  // (VehicleTurn.cpp) ----

  // The unit's part, then the vehicle's 39-byte block. Writing wraps the live turret offset
  // into -180..180; in the editor the apparent category goes out as -1.
  void Write(GFile& file) const override;
  // Refuses (sticky error, one log line) a block out of range; the carried units stay packed
  // ids until RemapReferences. A category of -1 draws a new apparent identity; every unstored
  // field the action reads takes its fresh value.
  void Read(GFile& file) override;
  // Packed ids to units; false (the file refused) for an id naming no unit, a unit that is not
  // infantry or the vehicle itself.
  bool RemapReferences(MapBattleServices* battle) override;
  void DropDeadReferences(GGroup& group) override;
  void ReferencesToIds() override;
  // Identity keys to units; false (a link error) for a key naming no unit.
  bool IdsToReferences(MapBattleServices* battle) override;
  // Dead but not knocked out: the wreck is intact.
  bool IsDestroyedInPlace() const override;
  // Settles the losses between battles: a dead vehicle's become final, a living one's return to 0.
  void CountLosses() override;
  // The unit's resupply, then the machine-gun groups by the side's supply setting (0..5; any
  // other is fatal).
  void ResupplyAmmo() override;
  // The unit's default main-gun load; given the second array (the common set-up passes it), the
  // machine-gun groups are filled to the class's full loads as well: a fresh vehicle's guns start
  // loaded.
  void ComputeDefaultAmmo(uint16_t* counts, uint16_t* second, int32_t row) override;
  void ResetBetweenBattles() override;
  bool HasAnyAmmo() const override;
  // Neither immobilized, bogged nor emplaced.
  bool CanMove() const override;
  // Could move once freed from bogging.
  bool CanMoveNow() override;
  // The unit's turn start, the runtime bytes, a burning wreck's fire sound and a continuation
  // point in front of the waypoints of a vehicle still moving.
  void BeginTurn() override;
  // The engagement test of a point as seen in the view mode; slot 61 asks it with the true
  // class.
  bool CanEngagePoint(float px, float py, int32_t mode) const override;
  bool CanSeePoint(float px, float py) const override { return CanEngagePoint(px, py, 0); }
  void CancelMoveOrders() override;
  // The unit's turn end; then whether the vehicle ends the turn turning on the move.
  void RefreshTarget(bool onlyIfChanged) override;
  // A wreck rolls to a stop and, burning, clears the cached sight lines around it.
  void StepIdle() override;
  // The men who may open the hatches (writes the hatches-closed byte to the out).
  bool CanToggleButtoned(bool& outButtoned) const override;
  // Opens or closes the hatches (fatal when they may not be toggled), with the hatch sound.
  void ToggleButtoned() override;
  // The player's answer to the main-gun question: yes engages the target with the main gun
  // too (main gun chosen, kept in the stored form), no leaves it to the machine guns.
  void SetQuestionAnswer(bool yes) override { mainGunClearance = yes ? 1 : 0; }
  // The engine sound a side (index) hears: 0 unknown to it, 133 standing, else the model's.
  int32_t EngineSoundFor(int32_t sideIndex, int32_t mode, bool moving) const;
  // Engine start (12) or stop (3) packets, one per side that may hear it.
  void PostMotionSound(bool moving);
  // The current side's engine sound at once, outside the record.
  void PlayMotionSound();
  // When the battle screen opens the engine is heard at once.
  void StartLoopSound() override { PlayMotionSound(); }
  // The answers the shared unit code asks of a vehicle (VehicleTurn.cpp): its passengers are
  // its linked units, placing it anew undoes its digging in, the orders snapshot gives it a
  // fresh re-route, a stunned gun crew takes no fire order, a boat with riders may be ordered,
  // a dug-in or bogged hull sits lower, and a loss already settled stays out of the tallies.
  Unit* GetLinkedUnit(int32_t index) const override { return passengers[static_cast<size_t>(index & 1)]; }
  void ClearHullDown() override { emplaced = 0; }
  void ResetForOrdersPhase() override { reRouted = 0; }
  bool IsFiringBlocked() const override { return gunCrewStunTimer != 0.0f; }
  bool HasPassengers() const override { return passengers[0] != nullptr || passengers[1] != nullptr; }
  float GetModelDrop() const override;
  // The duel countdown is the turret hold that a gun duel sets.
  int32_t GetDuelCountdown() const override { return turretHold; }
  // Rolls on, braking, while the vehicle may not drive.
  void CoastToStop();
  // Moves a unit that blocks the vehicle out of its way.
  void PushUnitAside(Unit& other);
  // How this vehicle stands in the way of the other unit when that one moves: its obstruction
  // grade against a vehicle (0 no concern, 1 pushed aside, 2 and 3 blocking), 0 for any other
  // kind (VehicleDriving.cpp).
  int32_t CollisionKind(const Unit& other) const;
  // The unit in the vehicle's way as the movement step's terrain query found it; cleared at
  // the start of every movement step.
  static Unit* gUnitInWay;

  // ---- Protection: armour facing and effective armour (VehicleArmour.cpp), shell hits
  // (VehicleHits.cpp), damage, crew losses and blast (VehicleDamage.cpp), purchase cost
  // (VehicleCost.cpp) ----

  // The facing (0 front, 1 side, 2 rear) presented to the point, by the turret's direction when
  // asked and the vehicle has a turret. With allowSide the oblique bands give a side share:
  // written to the out when given (the facing returned is then the front or rear one), else
  // drawn.
  int32_t GetArmorFacingFrom(float px, float py, bool useTurret, bool allowSide,
                             float* outSideShare = nullptr) const override;
  // The point's elevation in degrees as seen from the hull, corrected by the hull's tilt.
  float GetElevationFromHull(float px, float py, float pz) const;
  // The effective armour (mm) a shot from the request's point meets; the outcome, when given,
  // also takes the plate's hardness (which may draw unless expected values are asked for).
  float ComputePenetration(const ArmourRequest& request, ArmourOutcome* outcome = nullptr) const override;
  ArmourTarget MakeArmourTarget(const ArmourRequest& request) const;
  // Hull down from a point: emplaced, or the ground line to the point is blocked, or a wall
  // stands on it.
  bool IsHullDownFromPoint(float px, float py) const;
  // Hull down as seen from the other unit, through the map's pair cache.
  bool IsHullDownFrom(const Unit& other) const override;
  // The folded bearing 0..180 of a point from the hull or (with a turret) the turret, and the
  // ground height under the hull.
  float FoldedBearingTo(float px, float py, bool turret) const;
  float HullHeight() const;

  // Shell hits. LocateHit gives the location (0..6); for 0..2 it writes the facing struck and
  // sets resolve, and the battle then calls ResolveHit. Track and gun results roll their damage
  // at once.
  int32_t LocateHit(VehicleStrike& shot, int32_t& outFacing, bool& outResolve);
  void ResolveHit(VehicleStrike& shot, int32_t part, int32_t facing);
  int32_t ChooseHitLocation(bool isHE, bool hullDown, float sideShare, bool gunExposed, float killValue);
  // Whether the shot penetrates part and facing; a shattered round and a near miss (within a
  // tenth of the armour) go to the outs.
  bool CriticalHit(VehicleStrike& shot, int32_t part, int32_t facing, bool& outShatter, bool& outNearMiss);
  void ApplyPenetration(VehicleStrike& shot, int32_t part);
  float KnockOutChance(int32_t weapon, int32_t ammoKind) const;
  static float KnockOutChanceFor(float weight, float blast, int32_t ammoKind, bool fortification, bool lethalHollow);
  // The chance that a knocked-out vehicle burns after a penetration of knock-out chance p.
  float PenetrationFireChance(float p) const;
  // Kind 5 immobilises, kind 6 destroys the gun; flags, when given, receive the battle's flag.
  void RollSystemDamage(float strength, int32_t kind, float factor, bool isHE, VehicleStrike::Flags* flags);
  void ApplySystemDamage(int32_t kind, VehicleStrike::Flags* flags);
  float ImmobilizationFactor(float p, bool isHE) const;

  // Damage and crew losses.
  void ApplyDamage(bool knocksOut, bool burns, bool exploding, float casualtyChance, bool turretCrew, bool single,
                   float bailFactor);
  // Blast, small arms, flame and close assault of the strength (count: the blast's extra
  // rounds) from the strike; slot 75 builds the strike from its arguments.
  void TakeStrikeDamage(float strength, int32_t count, VehicleStrike& shot);
  // The knock-out chance of the strength on an unarmoured vehicle.
  float UnarmouredKnockOutChance(float strength, int32_t fireKind) const;
  void BlastEffects(float strength, VehicleStrike& shot, bool penetrated, int32_t special, int32_t gunCode,
                    int32_t hullCode);
  void BlastCrewShock(float strength, int32_t count, bool halve, bool flame);
  // The casualty chance of the crew shock (0 for a buttoned vehicle or a fortification).
  float CrewShockChance(float strength, int32_t count, bool halve, bool flame) const;
  // The blast value at the vehicle: fragments over the distance (at least 3 m) to the power 2.4.
  float BlastValueAt(const VehicleStrike& shot) const;
  bool BlastKnocksOut(const VehicleStrike& shot);
  void KnockOutByBlast();
  void SetOffMine();
  void Swerve();
  void Eliminate() override;
  // Keeps a replayed hit report and the packet's slice (-1 for none); a part outside 0..6 or a
  // facing outside 0..2 is ignored with one log line (false).
  bool SetHitReport(const HitReport& report, int32_t facingStruck, int32_t slice);
  // The crew of the class (at least 1: every rule divides by it) and the men still aboard.
  int32_t CrewCount() const;
  int32_t GetMenPresent() const override;
  // The chance rule of bailing out after a casualty roll.
  float BailOutChance(float casualtyChance, bool lossesGrew) const;
  // Closes open hatches when the vehicle is alive and may close them.
  void CloseHatchesIfAble();
  // The crew bails out; a knocked-out vehicle that is still alive then ends.
  void BailOutAndEnd(bool knockedOut);

  // Purchase cost. The slot asks with the flag clear; with it a temporary vehicle of the class
  // (its draws undone) gives the rate of fire, and the value is kept per class, nationality
  // code, rating and date.
  float PurchaseCost(bool fresh) const;
  float GetPurchaseCost() const override;
  // The cost before the rating, with the rate of fire of the main gun.
  float BaseCost(float rateOfFire);
  // The armour sum of the cost rule (turret ahead, level hull) and its factor.
  float ArmourSum();
  static float ArmourCostFactorFor(float armourSum);
  float MachineGunValue() const;

  // Runtime fields of the protection code (beside the was-hit byte): the facing of the last
  // hit report and the unit whose fire last struck the vehicle.
  int32_t hitFacing = 0;
  Unit* lastFirer = nullptr;

  // ---- End of the protection block ----

  // ---- Fire control: machine guns, gun arcs, ranges and fire modifiers (VehicleGuns.cpp) ----

  // How many of each machine gun may fire now: the bow gun (0 or 1), the coaxial guns and the
  // flexible guns; checkTarget adds the gunner's and the hatches' conditions.
  int32_t CanFireBowMG() const override;
  int32_t CanFireCoaxialMG(bool checkTarget) const override;
  int32_t CanFireFlexibleMG(bool checkTarget) const override;
  void SetSmallArmsEntry(int32_t entry) override { smallArmsInUse = entry; }
  bool SetIgnoreMovers(bool ignore) override {
    const bool before = ignoreMovers != 0;
    ignoreMovers = ignore ? 1 : 0;
    return before;
  }
  bool CanFireAnyMachineGun() const override { return AnyMGUsable(false); }
  bool AnyMGUsable(bool checkTarget) const;
  // The main gun covers the point: always with a turret, else within the traverse limits
  // (halved when narrow) around the facing, or around the rear for a gun pointing back.
  bool IsPointInGunArc(float px, float py, bool narrow) const;
  // Weapon types 2 and 3 never fire closer than 8 m.
  void GetMainGunRange(float& outMin, float& outMax) const;
  bool IsPointInFireArc(float px, float py) const override;
  void GetRangeBounds(int32_t selector, float factor, float& low, float& high) const override;
  bool CanFireAtTarget(int32_t& kindOut) override;
  // The firepower of the machine gun in use at the range; its class (0 rifle, 1 medium, 2
  // heavy) goes to the out when given.
  float FirepowerAt(float range, int32_t* outClass, bool noRate, bool withRating) const;
  float FirepowerAt(float range, int32_t /*mode*/) override { return FirepowerAt(range, nullptr, false, false); }
  // The ammunition units a standing heavy gun's burst at the distance uses, at most those left
  // (one draw); the factor on the next burst interval against a unit closer than 150 m.
  static int32_t HeavyBurstUnits(float distance, int32_t left);
  static float CloseBurstFactor(float distance);
  // One slice of the three machine guns: timers, target search, bursts, ammunition.
  void UpdateMachineGuns();
  // A target for one gun inside the arc (centre and half-width, degrees) and range: a unit,
  // or the area-fire point (outArea set, no unit). False when none.
  bool FindMGTarget(float centre, float halfWidth, float range, bool turretGun, Unit*& outTarget, bool& outArea,
                    bool bowGun, bool antiAircraft);
  // Whether the unit may be a machine gun's target (everything but the evaluation).
  bool IsMGCandidate(const Unit& other, float centre, float halfWidth, float range, bool bowGun, bool heavy,
                     bool antiAircraft) const;
  // How the vehicle's hatches, arc and motion change the two chances of a burst shooter fires
  // at it.
  void AdjustChancesOfBeingHit(const Unit& shooter, float& first, float& second) const override;
  // The can-see test of a machine gun's target; the seen value of the vehicle.
  bool CanSee(const Unit& other) const;
  bool CanTargetUnit(Unit* other) override;
  float VisibilityTo(const Unit* observer) const override;
  // The crew shows itself: hatches open on an armoured vehicle or one with a gun.
  bool IsCrewExposed() const;
  // One log line for the first machine-gun step against an object no gun may fire at.
  uint8_t objectTargetLogged = 0;

  // ---- End of fire control ----

  // ---- Crew at work: turning, traverse, spotting and small answers (VehicleCrew.cpp) ----

  // 0.6, 0.5 or 0.4 on ground that hinders turning, else 1.0.
  static float TerrainTurnFactor(int32_t type);
  // The hull's turn in degrees a slice on the ground here (0 when it may not move); the slice
  // update keeps it in turnStep, which slot 133 answers.
  float ComputeTurnStep();
  // The turret's (or a turretless gun's) traverse in degrees a slice; a turret class outside
  // 0..5 is fatal.
  float GetTurretStep() const;
  int32_t GetPurchaseCode() const override;
  bool CanChangePosture() const override;  // the crew is exposed
  int32_t GetBattleLosses() const override;
  // A vehicle whose losses were settled (lossesFinal) is left out of the loss tallies.
  bool IsLeftOutOfTallies() const override { return lossesFinal != 0; }
  bool IsActive() const override;
  // The factor of a fire kind (2 or 3) against the top armour (mm) and the vehicle's value for
  // the fire kind.
  static float FireKindFactor(int32_t fireKind, int32_t topArmour);
  float ValueForFireKind(int32_t fireKind);
  // What an air attack of the kind sees in the vehicle.
  float GetAirAttackValue(int32_t attackKind) override { return ValueForFireKind(attackKind); }
  // The level shown of a vehicle spotted at the level: fortifications and boats show more.
  static int32_t SpottedLevel(int32_t level, bool fortification, bool boat, int32_t fogOption);
  void UpdateSpotting() override;
  // A boat leaves the view; every other vehicle may stay in it.
  bool CanStayInView() const override;
  // At the orders snapshot and with new orders: an immobilised vehicle drops its waypoints.
  void DropBurstIfIdle() override;
  // The riders leave with the vehicle.
  void LeaveBattlefield(bool ownExit) override;
  // Firing a gun or a heavy machine gun halts the vehicle's activity at 3.
  void SetMovingActivity() override;
  // How far the vehicle gives itself away (metres) and its size; a waypoint move mode outside
  // those listed is fatal.
  float ActivityRange(bool usePrevious, float& size) const;
  // The level the enemy (or the observer given) reaches of the vehicle from its activity.
  int32_t ActivityRadius(bool usePrevious, const Unit* observer);
  int32_t BestEnemyIdentification(bool relaxed, int32_t unused) const override;
  // Sets the waypoints' move mode, reversing where the way leads away from the threat; with
  // insert the point goes in front (the list never grows past its 50 entries).
  void SetWaypointModes(Unit* threat, int32_t mode, bool insert, float px, float py);

  // ---- End of crew at work ----

  // ---- Target choice's estimates (VehicleTargeting.cpp) ----

  // The main weapon's effect (see AITargeting::WeaponEffect) when the vehicle has one.
  float WeaponEffect(Unit* other, int32_t ammoKind, bool threatMode, bool useExposure, bool applyMorale,
                     int32_t selector, int32_t viewMode) override;
  // The hit locations of AITargeting::AssessVehicleHit; an emplaced vehicle is hull down.
  void AssessHit(int32_t viewMode, Unit* shooter, bool threatMode, float hitChance, bool hullDown, float* armour,
                 float* weight, float* ratio, int32_t& count, float calibre) override;
  float GetTurretAngle() const override;
  int32_t GetGenericClass() const override { return GetBroadClass(false); }
  bool GetMainGunFlag() const override { return mainGunClearance != 0; }
  void SetMainGunFlag(bool on) override { mainGunClearance = on ? 1 : 0; }

  // ---- End of target choice's estimates ----

  // ---- The action phase: slice update, decision table, turret, bogging and close defence
  // (VehicleSlice.cpp); driving along the waypoints (VehicleDriving.cpp); reaction to danger
  // and the cover search (VehicleDanger.cpp) ----

  // Move state: 0 cannot move, 1 stays, 2 moving in mode 2, 3 moving in another mode. Mode 2
  // with the gun destroyed empties the waypoints and runs the danger reaction next.
  int32_t GetMoveState();
  // Fire state: 0 nothing to engage, 1 a target not worth halting for, 2 one worth engaging.
  int32_t GetFireState(int32_t moveState);
  // Action: 0 idle, 1 drive, 2 halt and engage, 3 halt and watch, 4 drive and track with the
  // turret, 5 halt to engage under move orders. Codes outside the table are fatal.
  int32_t ChooseAction(int32_t fireState, int32_t moveState) const;
  // The halted vehicle must turn its hull toward the target position; asked of a moving
  // vehicle or one without a target position it is fatal.
  bool NeedsHullTurn(int32_t action);
  // The exception of the table: a gunless vehicle under move mode 1 halts for a squad its
  // machine guns reach (41..125 m, within 30 degrees of the hull).
  bool MachineGunHaltTarget() const;
  // The engagement test: the vehicle can fight from where it halts.
  bool CanFightFromHalt() const;
  void TrackTargetWithTurret(float px, float py);
  void AimTurretAt(float px, float py);
  // Hull facing plus turret offset, 0..360: where the main gun points, turret or not.
  float GunDirection() const;
  void ReturnTurretToRest();
  // One slice of the turret's traverse, held to a turretless gun's limits.
  void AdvanceTurret();
  void UpdateBogging();
  bool IsCloseDefenceTarget(const Unit& candidate) const;
  void FireCloseDefenceWeapon();
  void PostLauncherSound();
  // Where a close-defence bomb aimed at the target point lands: never within 4 m of the
  // vehicle on both axes.
  static void DrawCloseDefenceImpact(float targetX, float targetY, float ownX, float ownY, float& outX, float& outY);
  // The purchase cost of a target, kept per class, nationality code, rating, date and rate of
  // fire.
  static float TargetCost(Unit& other);
  // Another living unit stands at the point (within 3 m on both axes).
  bool IsOtherUnitAt(float px, float py) const;
  // The stuck vehicle's answer to the unit in its way: true to wait for it (an idle friend is
  // sent aside first), false to plan around it.
  bool DealWithBlocker(bool reverse);
  struct CostMemo {
    bool used = false;
    int32_t classIndex = 0;
    int32_t nationalityCode = 0;
    int32_t rating = 0;
    int32_t date = 0;
    float rateOfFire = 0.0f;
    float cost = 0.0f;
  };
  static std::array<CostMemo, 8> gCostMemo;
  static int32_t gCostMemoNext;
  // The reaction to danger: RateThreat weighs one candidate into the threat search, which
  // FindThreat runs over the battle; RerateFacing runs it again as if the hull faced the
  // threat with the turret ahead (nothing drawn, all restored) and gives the value and unit.
  static void RateThreat(Unit& candidate, Vehicle& vehicle);
  void FindThreat();
  float RerateFacing(Unit& threat, Unit** found);
  void ReactToDirectThreat(float threshold);
  // A short drive (base + 0..30 m) within 30 degrees of the facing, as a move order.
  void DriveOffAtRandom(float baseDistance);
  // The next waypoint (within 100 m) is one the threat cannot engage.
  bool NextPointIsCovered(const Unit& threat) const;
  // True when a route to cover or a fallback point was set.
  bool SeekCover(Unit& threat, bool weak, bool stillExposed, float threatHeading);
  bool SeekCoverFallback(bool weak, float threatHeading);
  // One tree of the cover search from the vehicle along the heading (degrees); its depth.
  int32_t SearchFrom(class CoverSearchNode*& root, Unit& threat, float heading);
  // The class's main weapon is a gun (or with flag a mortar too), as the unit code asks it.
  bool HasMainWeaponOfType23(bool flag = false) const override { return HasHeavyWeapon(flag); }

  // ---- End of the action phase ----

  // ---- The slots still to come (Vehicle.cpp) ----

  void TakeDamage(Unit* firer, int32_t weapon, int32_t ammoKind, float px, float py, float pz) override;
  void Draw(bool pick) override;
  void UpdateSlice(int32_t slice) override;
  void ReactToDanger() override;
  void MoveAlongWaypoints() override;
  // Steps 3 to 12 of the slice (everything but the timers, abandoning and the tail).
  void UpdateSliceActions(int32_t slice, bool& fired);

  // ---- The computer player's trial copy (VehicleTargeting.cpp) ----
  Unit* NewTrialCopy() const override;
  // ---- End of the trial copy ----

  // ---- Fields, in declared order ----

  int32_t smallArmsInUse = kNoSmallArms;
  uint8_t mainGunClearance = 0;
  uint8_t gunDestroyed = 0;
  uint8_t burning = 0;
  uint8_t abandoned = 0;
  uint8_t lossesFinal = 0;
  uint8_t emplaced = 0;
  uint8_t bogged = 0;
  uint8_t reRouted = 0;
  uint8_t ignoreMovers = 0;  // the movement step's scratch flag
  uint8_t turretToRest = 0;
  std::array<Unit*, 2> passengers{};
  float gunCrewStunTimer = 0.0f;
  float driverStunTimer = 0.0f;
  std::array<float, 2> trackPhases{};
  float sizeFactor = 0.0f;  // also the radius a burning wreck clears sight lines within
  std::array<uint8_t, kMachineGuns> machineGunAmmo{};
  std::array<float, 2> drawingOffsets{};
  std::array<float, kMachineGuns> machineGunRefireTimers{};
  float burstValue = 0.0f;
  float turretOffset = 0.0f;  // degrees, -180..180
  float turretRate = 0.0f;    // degrees a slice
  float recordedTurret = 0.0f;  // the turret angle the last state packet gave
  float hullPitch = 0.0f;
  float hullRoll = 0.0f;
  int32_t closeDefenceCounter = 0;
  uint16_t turretHold = 0;
  int32_t apparentCategory = 0;
  int32_t apparentClass = 0;  // shown at level 3
  int32_t broadClass = 0;     // shown below level 3
  uint8_t turningOnTheMove = 0;
  uint8_t buttoned = 0;
  uint8_t stateFlag6 = 0;
  HitReport lastHit{};
  int32_t hitReportValue = -1;
  std::array<int32_t, kAnimations> animationPhases{};
  std::array<float, kAnimations> animationRates{};
  // Set by a hit: the riders must get off. Cleared at each turn start, not stored.
  uint8_t passengersMustLeave = 0;
  // Runtime bytes, not stored: the vehicle was hit this slice, a machine gun is choosing and
  // firing.
  uint8_t wasHit = 0;
  uint8_t machineGunFiring = 0;
  // The carried units as packed ids between Read and RemapReferences, and as identity keys
  // between ReferencesToIds and IdsToReferences.
  std::array<int16_t, 2> passengerIds{};
  std::array<uint32_t, 2> passengerKeys{};

  // Beyond the stored fields: the second ammunition array the common set-up passes (its being
  // passed asks for the machine-gun loads too), the track speeds of the display and the turn
  // step of the turning code.
  std::array<uint16_t, kAmmoKinds> secondAmmo{};
  std::array<float, 2> trackSpeeds{};
  float turnStep = 0.0f;

  // ---- The vehicle's picture (src/game/draw VehicleDraw.cpp) ----
  // The crew figures' face variants (0..11) and look timers (milliseconds) of the three crew
  // places; presentation only, not stored.
  std::array<int16_t, 3> crewFaces{};
  std::array<int32_t, 3> crewLookTimers{};
  // The gun elevation and turret tilt (degrees) a knocked-out vehicle shows: -6 to -11 and 5
  // to 8 to a side, fixed by the vehicle's designation so that no generator is drawn from.
  float KnockedOutGunElevation() const { return -6.0f - static_cast<float>(designation % 6); }
  float KnockedOutTurretTilt() const {
    const float tilt = 5.0f + static_cast<float>((designation / 6) % 4);
    return (designation / 24) % 2 == 0 ? -tilt : tilt;
  }
  // The warning label over the vehicle: knocked out, immobilized or bogged, gun destroyed,
  // out of or low on ammunition (VehicleStatusLabel.cpp).
  void DrawStatusLabel() override;
  // The two lines of the last hit's report over the vehicle for four seconds of replay after
  // it (VehicleHitText.cpp). It reads the report without changing it, so what one machine
  // displayed never makes its units differ from the other's.
  void HitReportText() override;
  static void ComposeHitReport(const Vehicle& vehicle, bool detail, GString& line1, GString& line2);
  // The shadow under the hull, drawn by the installed vehicle drawer in map coordinates with
  // the scale the model was drawn with.
  void DrawShadow(float scale, bool clip) override;
  // ---- End of the vehicle's picture ----
};
