#pragma once
#include <array>
#include <cstdint>

#include "game/units/Unit.h"
#include "game/units/VehicleData.h"
#include "game/units/VehicleServices.h"

class GString;

// A tank, gun carrier, truck, boat or fixed fortification of the vehicle class table: its class
// set-up, what the enemy believes it to be, who rides on it, which gun it fires and how fast it
// may drive. Code by subject: VehicleSetUp.cpp (construction, class, identity, textures),
// VehiclePassengers.cpp (riders, weapons, class queries, display), VehicleMovement.cpp (terrain
// speed, obstruction, corner cutting, ground tilt), Vehicle.cpp (the slots still to come).
class Vehicle : public Unit, public VehicleServices {
 public:
  // The unit factory's and the file reader's makers for kind 1.
  static void Register();

  static constexpr int32_t kNoSmallArms = 33;
  static constexpr int32_t kNoWeapon = 104;
  static constexpr int32_t kMachineGuns = 3;
  static constexpr int32_t kAnimations = 3;
  // Kind codes of the class record.
  static constexpr int32_t kKindTracked = 4;
  static constexpr int32_t kKindBoat = 5;
  static constexpr int32_t kKindEmplacement = 6;

  // The last hit's record; its meaning belongs to the hit handling still to come.
  struct HitReport {
    int32_t firer = 0;
    int32_t weapon = 0;
    int32_t ammoKind = 0;
    int32_t part = 0;
    int32_t result = 0;
  };

  // Nine draws: the two drawing offsets, then phase and rate of animations 2, 1, 0.
  Vehicle();

  VehicleServices* AsVehicle() override { return this; }

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
  VehicleData GetClassData(int32_t mode) const override;
  VehicleData TrueClass() const;
  bool IsKind5() const override { return TrueClass().KindCode() == kKindBoat; }
  bool IsKind6() const override { return TrueClass().KindCode() == kKindEmplacement; }
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
  void RemovePassenger(Unit* unit);
  // Whether the unit may board: planning (boardNow false) or at once.
  bool CanCarry(const Unit* unit, bool boardNow, bool allowHeavy) const override;
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
  // Which gun engages the target: 1 the main gun, 0 the machine guns.
  int32_t ChooseMainGun(const Unit* newTarget, bool flagA, bool flagB) const;
  void SetMainGunChosen(uint8_t value) { mainGunChosen = value; }
  bool CanFireAnyMG() const;
  // The main weapon is a gun (class 2 or 3), or with withIndirect a mortar (4).
  bool HasHeavyWeapon(bool withIndirect) const;
  float GetThreatSize() const;
  // The spotting roll, 240 lower (it may go below 0) for a buttoned vehicle not of kind 6.
  int32_t RollSpotting() const;
  // Flips the dug-in order; a vehicle that may not dig in is fatal. Riders dismount.
  void ToggleDugIn();
  bool CanMove() const override;
  // Track speeds and turret of the display between slices.
  void AdvanceTracks(float scale);
  void AdvanceTurret(int32_t elapsedSlices);
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
  // Tilt of the gun line from the hull's tilt, degrees; an angle outside -180..180 is fatal.
  float GetTiltAlongGun() const;
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

  // ---- The slots still to come (Vehicle.cpp) ----

  void TakeDamage(Unit* firer, int32_t weapon, int32_t ammoKind, float px, float py, float pz) override;
  void Draw(bool pick) override;
  void UpdateSlice(int32_t slice) override;
  void ReactToDanger() override;
  void MoveAlongWaypoints() override;

  // ---- Fields, in declared order ----

  int32_t smallArmsInUse = kNoSmallArms;
  uint8_t mainGunChosen = 0;
  uint8_t gunDestroyed = 0;
  uint8_t sightBlockingActive = 0;
  uint8_t stateFlag1 = 0;
  uint8_t stateFlag2 = 0;
  uint8_t emplaced = 0;  // dug in
  uint8_t bogged = 0;
  uint8_t stateFlag3 = 0;
  uint8_t ignoreMovers = 0;  // the movement step's scratch flag
  uint8_t stateFlag4 = 0;
  std::array<Unit*, 2> passengers{};
  float gunCrewStunTimer = 0.0f;
  float driverStunTimer = 0.0f;
  std::array<float, 2> trackPhases{};
  float sizeFactor = 0.0f;  // sight-blocking radius
  std::array<uint8_t, kMachineGuns> machineGunGroupCounts{};
  std::array<float, 2> drawingOffsets{};
  std::array<float, kMachineGuns> machineGunRefireTimers{};
  float machineGunTimerReload = 0.0f;
  float turretOffset = 0.0f;  // degrees, -180..180
  float turretRate = 0.0f;    // degrees a slice
  float hullPitch = 0.0f;
  float hullRoll = 0.0f;
  int32_t vehicleSliceCounter = 0;
  uint16_t delayCounter = 0;
  int32_t apparentCategory = 0;
  int32_t apparentClass = 0;  // shown at level 3
  int32_t broadClass = 0;     // shown below level 3
  uint8_t stateFlag5 = 0;
  uint8_t buttoned = 0;
  uint8_t stateFlag6 = 0;
  HitReport lastHit{};
  int32_t hitReportValue = -1;
  std::array<int32_t, kAnimations> animationPhases{};
  std::array<float, kAnimations> animationRates{};
  // Set by the orders: the riders must get off.
  uint8_t passengersMustLeave = 0;

  // Beyond the stored fields: the second ammunition array the common set-up fills, the track
  // speeds of the display and the turn step of the turning code.
  std::array<uint16_t, kAmmoKinds> secondAmmo{};
  std::array<float, 2> trackSpeeds{};
  float turnStep = 0.0f;
};
