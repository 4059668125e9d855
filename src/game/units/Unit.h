#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "framework/core/GString15.h"
#include "framework/media/GBoundingBox.h"
#include "game/map/MapPathUnit.h"
#include "game/map/MapPointMemo.h"
#include "game/map/MapUnitView.h"
#include "game/units/orders/OrderCode.h"
#include "game/units/records/KillRecord.h"
#include "game/units/records/UnitFirePacket.h"
#include "game/units/records/UnitSoundPacket.h"
#include "game/units/records/UnitStatePacket.h"
#include "game/units/orders/Waypoint.h"

class GFile;
class GFuzzySet;
class GGroup;
class GGraphic;
class GString;
class Map;
struct PathPoints;
class MapBattleServices;
class InfantryServices;
class VehicleServices;
class InanimateServices;
class AirplaneServices;
class Infantry;
class Vehicle;
class Inanimate;
class Airplane;

// The abstract unit of the battle: infantry, vehicle, inanimate object or airplane. It holds
// the state every kind shares and declares the numbered operations (the virtual operations
// in slot order, each marked with its slot) through which the battle, the computer player,
// the orders screens and the drawing code treat all kinds alike. The kinds derive from it,
// override what they need and must give TakeDamage, GetDisplayName and Draw.
// The slice's state-change flag: it belongs to the unit being stepped, from the start of its
// step to its end. Changes made outside a step set the unit's own pending flag instead.
extern uint8_t gUnitStateChanged;

class Unit : public GBoundingBox, public MapUnitView, public MapPathUnit {
 public:
  static constexpr int32_t kMaxWaypoints = 50;
  static constexpr int32_t kWaypointEntries = kMaxWaypoints + 1;
  static constexpr int32_t kTextureSets = 3;
  static constexpr int32_t kTexturesPerSet = 17;
  static constexpr int32_t kAmmoKinds = 5;
  static constexpr int32_t kNoAmmo = 6;
  static constexpr int32_t kNoActionSlice = 999999;
  static constexpr float kAimHold = 99.0f;

  // The indices of flagBytes: the unit's order and firing flags.
  enum FlagByte : size_t {
    // The area-fire flag as it stood when the orders phase began.
    kOrdersAreaFireFlag = 0,
    // The area fire is a smoke screen.
    kSmokeFireFlag = 1,
    // The smoke-fire flag as it stood when the orders phase began.
    kOrdersSmokeFireFlag = 2,
    // Cleared with the order state and kept in the unit's record; no rule reads it.
    kSpareOrderFlag = 3,
    // The ordered target was not present when it was ordered: the unit keeps firing at it
    // even once it is no longer alive.
    kTargetAbsentFlag = 4,
    // Hold position: the hide order (an infantry unit's hiding state).
    kHoldFlag = 5,
    // The hold flag as the turn start copied it.
    kTurnStartHoldFlag = 6,
    // The ambush order: the next target order first places an ambush marker at the point.
    kAmbushFlag = 7,
    kFlagByteCount = 8,
  };

  // The indices of firingBytes: the state of the firing step.
  enum FiringByte : size_t {
    // The gun was laid on the target while the unit moved: its shots scatter as if moving.
    // Cleared when it fires and when its aim timer is re-primed.
    kLaidWhileMoving = 0,
    // Machine-gun mode: a vehicle's weapon questions and scores are about its machine gun
    // instead of its main gun. Set by target choice, cleared at the turn start.
    kMachineGunMode = 1,
    // 1 from creation; the stand test clears it while it asks the ground's mobility and puts
    // it back. No rule reads it.
    kCreationMark = 2,
    // The spotting passes left before the next full one (0: the next pass is full).
    kSpottingPasses = 3,
    // The reloading bit of the last state packet applied: what the replay shows.
    kShownReloading = 4,
    kFiringByteCount = 5,
  };

  // The waypoint's x, y and upper-level byte as it stood when the orders phase began.
  struct OrderedWaypoint {
    float x = 0.0f;
    float y = 0.0f;
    uint8_t upperLevel = 0;
  };

  // ---- Life cycle (Unit.cpp) ----

  Unit();
  Unit(const Unit& other);
  // Copies every field; the copy owns its own custom name, kill list and texture handles.
  Unit& operator=(const Unit& other);

  // The common set-up every kind's initialiser calls once its class is known.
  void Setup(float x, float y, float facing, int32_t nationalityCode, int32_t rating);

  // ---- The numbered operations, in slot order ----

  ~Unit() override;                                                          // slot 0
  // slot 1: GObject::CopyItself, the framework's default.
  void Read(GFile& file) override;                                           // slot 2
  void Write(GFile& file) const override;                                    // slot 3
  // The end of Read: what the action uses but the stored form does not keep takes a new
  // unit's values (each kind's Read does the same for its own part).
  void ForgetUnstoredState();
  // slot 4: GObject::CopyTo, the framework's default.
  virtual void PrepareAppearance();                                          // slot 5
  virtual void ReleaseAppearance();                                          // slot 6
  // Fills the five counts (and the second array when given) from the full load.
  virtual void ComputeDefaultAmmo(uint16_t* counts, uint16_t* second, int32_t row);  // slot 7
  // Packed ids to units of the battle or operation, and waypoint heights from its map (the
  // current battle's when it has none). False when an id names no unit (that reference none).
  virtual bool RemapReferences(MapBattleServices* battle);                   // slot 8
  virtual void DrawStatusLabel();                                            // slot 9
  int32_t GetMoveClass() const override;                                      // slot 10
  virtual bool IsCrewServed() const;                                         // slot 11
  virtual bool IsDestroyedInPlace() const;                                   // slot 12
  // References to units outside the group become none.
  virtual void DropDeadReferences(GGroup& group);                            // slot 13
  virtual void StampFootprint();                                             // slot 14
  virtual bool KeepOnMapBetweenBattles();                                    // slot 15
  void SetPosition(float newX, float newY) override;                          // slot 16
  // Between the battles of an operation: what the unit lost is settled (kept out of the next
  // battle's tallies, or made good).
  virtual void CountLosses();                                                // slot 17
  virtual void PrepareForNextBattle();                                       // slot 18
  virtual void DropReferencesOutsideOperation();                             // slot 19
  virtual void ResupplyAmmo();                                               // slot 20
  virtual void ResetBetweenBattles();                                        // slot 21
  virtual int32_t GetAmmoMixRow() const;                                     // slot 22
  virtual int32_t GetPurchaseCode() const;                                   // slot 23
  virtual void ApplyTimedAction();                                           // slot 24
  virtual bool HasAnyAmmo() const;                                           // slot 25
  virtual float GetStrengthValue() const;                                    // slot 26
  virtual bool CanDeployAt(float px, float py);                              // slot 27
  virtual void AssignDesignation();                                          // slot 28
  virtual int32_t GetEffectiveRating(int32_t aspect) const;                  // slot 29
  virtual float GetTargetValue();                                            // slot 30
  virtual bool IsKnownToViewer() const;                                      // slot 31
  virtual bool IsActive() const;                                             // slot 32
  bool CanMove() const override;                                              // slot 33
  virtual bool CanMoveNow();                                                 // slot 34
  // Turns an order code at a point into a waypoint (kOrderHide toggles hiding); noMenu keeps the
  // waypoint menu shut, replaceFirst writes index 0, capDelay caps the order delay by rating,
  // chain makes the point a freely movable route end.
  virtual void AddWaypoint(float px, float py, int32_t orderCode, bool noMenu = false,
                           bool replaceFirst = false, bool capDelay = false, bool chain = false);  // slot 35
  virtual void SetTarget(Unit* newTarget, float px, float py, bool smoke, bool noOrdered);  // slot 36
  virtual void BeginTurn();                                                  // slot 37
  virtual bool IsRegularUnit() const;                                        // slot 38
  virtual void ApplyShock(int32_t intensity);                                // slot 39
  virtual int32_t GetSpeedClass() const;                                     // slot 40
  virtual bool CanBeSelected() const;                                        // slot 41
  int32_t GetMenPresent() const override;                                     // slot 42
  virtual int32_t GetPortraitIndex() const;                                  // slot 43
  virtual bool IsArmored(bool flag = false) const;                           // slot 44
  // Riding a vehicle; with armourOnly, only inside an armoured vehicle that protects its riders.
  virtual bool IsPassenger(bool armourOnly = false) const;                   // slot 45
  virtual bool IsLinked() const;                                             // slot 46
  virtual void UpdateLink();                                                 // slot 47
  // The command links of the selected unit (the infantry draws them).
  virtual void FollowLink();                                                 // slot 48
  virtual bool HasSurrendered() const;                                       // slot 49
  virtual bool HasBeenCaptured() const;                                      // slot 50
  virtual void NotifyChanged();                                              // slot 51
  virtual bool CanChangePosture() const;                                     // slot 52
  virtual bool CanUseSmallArmsAt(const Unit* other) const;                   // slot 53
  virtual void InsertWaypoint(int32_t index, float px, float py);            // slot 54
  // Men lost in this battle (the tally of the results and the men who return read it).
  virtual int32_t GetBattleLosses() const;                                    // slot 55
  virtual bool HasNonGunWeapon() const;                                      // slot 56
  bool CanStandAt(float px, float py, bool mapTest) override;                 // slot 57
  virtual float GetWeaponFacing() const;                                     // slot 58
  virtual float GetBaseHeight() const;                                       // slot 59
  virtual bool IsCommandable() const;                                        // slot 60
  virtual bool CanSeePoint(float px, float py) const;                        // slot 61
  // Whether the unit could bring fire on the point as the view mode shows it: the threat test
  // of a point a vehicle looks for cover from.
  virtual bool CanEngagePoint(float px, float py, int32_t mode) const;
  virtual float GetAimFactor() const;                                        // slot 62
  virtual bool CanTargetPoint(float px, float py);                           // slot 63
  virtual bool CanTargetUnit(Unit* other);                                   // slot 64
  virtual float VisibilityFromPoint(float px, float py, float pz, bool sure);  // slot 65
  // The selector's weapon: its weapon index (104 = none) and type code.
  virtual void QueryWeapon(int32_t selector, int32_t& weapon, int32_t& type) const;  // slot 66
  virtual void CancelMoveOrders();                                           // slot 67
  virtual void UpdateMorale();                                               // slot 68
  bool HasMainWeaponOfType5() const override;                                 // slot 69
  virtual bool HasWeapon92() const;                                          // slot 70
  virtual void ReferencesToIds();                                            // slot 71
  // Identity keys to units of the battle (the current one when null). False when a key names
  // no unit (that reference none): the caller refuses the merged orders as a link error.
  virtual bool IdsToReferences(MapBattleServices* battle);                   // slot 72
  virtual bool ReactToUnit(Unit* other);                                     // slot 73
  virtual int32_t ChooseAmmo(const Unit* targetUnit) const;                  // slot 74
  virtual void TakeDamage(Unit* firer, int32_t weapon, int32_t ammoKind, float px, float py, float pz) = 0;  // slot 75
  virtual bool CanToggleButtoned(bool& flag) const;                          // slot 76
  virtual void GetDisplayName(GString& text) const = 0;                      // slot 77
  virtual void ReactToSuppressionBand(int32_t band);                         // slot 78
  virtual float FirepowerAt(float range, int32_t mode);                      // slot 79
  // Scales the two chances of a small-arms burst this unit fires at target: the firepower
  // (first) and the close-range dice (second). The base leaves them as they are.
  virtual void AdjustHitChances(const Unit& target, float& first, float& second) const;
  // Scales the same two chances of a burst shooter fires at this unit, after the shooter's own
  // scaling: how being this unit makes it harder or easier to hit. The base leaves them.
  virtual void AdjustChancesOfBeingHit(const Unit& shooter, float& first, float& second) const;
  // Whether a target at the distance is in reach of the weapons the unit would fire (with a
  // non-zero selector, as it moves now), the farthest reach scaled by factor: the bounds below.
  bool IsInRange(float distance, int32_t selector, float factor) const {
    float low = 0.0f;
    float high = 0.0f;
    GetRangeBounds(selector, factor, low, high);
    return low <= distance && distance <= high;
  }
  // The nearest and the farthest distance IsInRange accepts; the base unit reaches nowhere.
  virtual void GetRangeBounds(int32_t selector, float factor, float& low, float& high) const;  // slot 80
  virtual bool HasMainWeaponOfType123() const;                               // slot 81
  virtual bool HasMainWeapon() const;                                        // slot 82
  virtual bool IsOutOfMainAmmo() const;                                      // slot 83
  virtual bool IsNearLinkedPoint(float px, float py) const;                  // slot 84
  virtual int32_t GetFastestMoveCode() const;                                // slot 85
  virtual void StepIdle();                                                   // slot 86
  virtual void StepSlice(int32_t slice);                                     // slot 87
  virtual void UpdateSlice(int32_t slice);                                   // slot 88
  virtual void ReactToDanger();                                              // slot 89
  virtual void RefreshTarget(bool onlyIfChanged);                            // slot 90
  // The replay's display between state packets: the unit moves and turns on by its recorded
  // speed and turn rate up to the shown slice (slot 91 catches it up while the shown slice is
  // within the action, slice = now), its firing timer runs down.
  virtual void AdvanceBy(int32_t slice, int32_t now);                        // slot 91
  // Once the replay has passed the action's last slice the unit shows, and keeps, the state
  // its last state packet gave: what the display added between packets is taken back, so
  // that the game goes on from the recorded state however the frames fell.
  virtual void RestoreRecordedState();
  // The replay's reset of a unit when the replay starts: its firing timer is cleared.
  void ResetForReplay() { firingTimer = 0.0f; }

  // ---- The selected unit's marks in the battlefield view (UnitDraw.cpp) ----
  // A yellow mark hanging over the selected unit where the viewer sees it (green on snow).
  void DrawSelectionMarks(bool selected);
  // For an active unit identified above level 1: a blue mark over each unit it leads.
  void DrawLedUnitMarks();
  // Whether this unit takes its orders from the leader (infantry answers).
  virtual bool IsLedBy(const Unit& /*leader*/) const { return false; }
  bool HasMainWeaponOfType23(bool flag = false) const override;              // slot 92
  // Makes, fills and files (UnitServices::RecordStatePacket) a state packet of this slice.
  virtual UnitStatePacket MakeStatePacket();                                 // slot 93
  // Any field values are taken without harm: codes out of range are ignored, levels kept
  // to their widths.
  virtual void ApplyStatePacket(const UnitStatePacket& packet);              // slot 94
  virtual void DropBurstIfIdle();                                            // slot 95
  virtual bool IsHoldingPosition() const;                                    // slot 96
  virtual bool IsPointInFireArc(float px, float py) const;                   // slot 97
  void Eliminate() override;                                                  // slot 98
  virtual bool IsAtRest() const;                                             // slot 99
  virtual void OnTimedAction();                                              // slot 100
  virtual bool WantsToFire() const;                                          // slot 101
  virtual void Draw(bool pick) = 0;                                          // slot 102
  // Scores one candidate for the chooser (this unit) and keeps it in AITargeting's best pair
  // when it beats the best so far and the threshold; the result is the candidate's score (0
  // for a candidate dropped). forReal false is the pure evaluation: no order bonuses, no
  // threshold.
  virtual float EvaluateCandidateTarget(Unit* candidate, bool forReal = false);  // slot 103
  virtual float GetPurchaseCost() const;                                     // slot 104
  virtual bool CanSplit() const;                                             // slot 105
  // The harm 0..3.4 the selector's weapon with the kind does to the other unit (see
  // AITargeting::WeaponEffect); the base forwards.
  virtual float WeaponEffect(Unit* other, int32_t ammoKind, bool threatMode, bool useExposure, bool applyMorale,
                             int32_t selector, int32_t viewMode);             // slot 106
  // The hit locations of this unit as the shooter strikes it: armour, share of hits and
  // thickness-to-calibre ratio of up to nine locations, and their count; the base fills none.
  virtual void AssessHit(int32_t viewMode, Unit* shooter, bool threatMode, float hitChance, bool hullDown,
                         float* armour, float* weight, float* ratio, int32_t& count, float calibre);  // slot 107
  virtual void UpdateSpotting();                                             // slot 108
  // The best level 0..4 any enemy has of the unit now; the base 0.
  virtual int32_t BestEnemyIdentification(bool relaxed, int32_t unused) const;  // slot 109
  virtual float VisibilityTo(const Unit* observer) const;                    // slot 110
  virtual void SyncPassengers();                                             // slot 111
  virtual void LeaveBattlefield(bool ownExit);                               // slot 112
  virtual void CheckLeaveMap();                                              // slot 113
  virtual void UpdateDamageEffects();                                        // slot 114
  virtual void UpdateFatigue();                                              // slot 115
  virtual void Halt();                                                       // slot 116
  // Whether the unit carries a weapon the computer player treats apart (flag: count every
  // main weapon); the infantry class answers, others have none.
  virtual bool CanFireMainWeapon(bool flag = false) const;                   // slot 117
  virtual bool IsWaitingForLink() const;                                     // slot 118
  virtual void UpdateAnimation();                                            // slot 119
  // The computer player's search for a better 20 m cell near the unit (the installed
  // UnitCellSearch answers; a carrier's riders then search too). True when a move was ordered.
  virtual bool FindBestNearbyCell(bool extend, bool noBaseline);             // slot 120
  // An idle unit withdraws toward its side's edge (flag: also from clear ground); the infantry
  // class answers, other units stay.
  virtual void WithdrawIfIdle(bool flag);                                    // slot 121
  // The unit's role in the computer player's plans: 0 none (guns, immobile), 1 a gun that
  // moves (0 while the planned side defends), 2 a special weapon, 3 a plain squad, 4 a
  // class-5 weapon (or, for a vehicle, one that can fight).
  virtual int32_t GetInfantryRoleCode() const;                               // slot 122
  virtual bool IsMainWeaponUsable() const;                                   // slot 123
  virtual bool FindUnitNearPoint(float px, float py, float atLevel, Unit** found);  // slot 124
  virtual bool RatePosition(float px, float py);                             // slot 125
  virtual void DrawBase(bool pick);                                          // slot 126
  // This unit as observer of the observed one: its attention narrows or widens both ranges.
  virtual void AdjustSpottingRanges(const Unit& observed, float& visual, float& hearing) const;  // slot 127
  virtual void OrientToGround();                                             // slot 128
  virtual float GetHullTilt() const;                                         // slot 129
  virtual void RandomizeSliceCounter();                                      // slot 130
  virtual void GetActivityCodes(int32_t& first, int32_t& second, int32_t& count) const;  // slot 131
  virtual void ApplyModelScale(float& scale);                                // slot 132
  virtual float GetTurnStep() const;                                         // slot 133
  virtual void WriteStateExtras(UnitStatePacket& packet) const;              // slot 134
  virtual void ReadStateExtras(const UnitStatePacket& packet);               // slot 135
  virtual void SetMovingActivity();                                          // slot 136
  virtual void Embark(Unit* vehicle);                                        // slot 137
  // Whether the unit fires now, by its slice count and its target's distance.
  virtual bool CheckShotTiming();                                            // slot 138
  // Whether target choice runs now without being forced: the shot timing, and for infantry
  // neither riding nor a pinned crew weapon.
  virtual bool CanSeekTarget();
  virtual void MoveAlongWaypoints();                                         // slot 139
  virtual float GetRateOfFireTime(int32_t mode, int32_t selector) const;     // slot 140
  virtual float GetAimTime(int32_t mode, int32_t selector) const;            // slot 141
  virtual float GetTerrainMobility() const;                                  // slot 142
  // Whether the unit may fire at its target now; the ammunition kind chosen goes to the out.
  virtual bool CanFireAtTarget(int32_t& kindOut);                            // slot 143
  // 0..1: how much of the unit's firepower carries to the distance (the base: all of it).
  virtual float GetFireFactor(float distance) const;                         // slot 144

  // ---- Kind services (null unless the kind gives them) ----

  virtual InfantryServices* AsInfantry() { return nullptr; }
  virtual VehicleServices* AsVehicle() { return nullptr; }
  virtual InanimateServices* AsInanimate() { return nullptr; }
  virtual AirplaneServices* AsAirplane() { return nullptr; }
  const InfantryServices* AsInfantry() const { return const_cast<Unit*>(this)->AsInfantry(); }
  const VehicleServices* AsVehicle() const { return const_cast<Unit*>(this)->AsVehicle(); }

  // ---- The unit as its kind's class (null for any other kind) ----
  // The one way to a kind's class above the unit layer, in place of a dynamic cast: each kind
  // answers itself (and so does every class derived from it), every other class null.
  virtual Infantry* AsInfantryUnit() { return nullptr; }
  virtual Vehicle* AsVehicleUnit() { return nullptr; }
  virtual Inanimate* AsInanimateUnit() { return nullptr; }
  virtual Airplane* AsAirplaneUnit() { return nullptr; }
  const Infantry* AsInfantryUnit() const { return const_cast<Unit*>(this)->AsInfantryUnit(); }
  const Vehicle* AsVehicleUnit() const { return const_cast<Unit*>(this)->AsVehicleUnit(); }
  const Inanimate* AsInanimateUnit() const { return const_cast<Unit*>(this)->AsInanimateUnit(); }
  const Airplane* AsAirplaneUnit() const { return const_cast<Unit*>(this)->AsAirplaneUnit(); }

  // ---- Air support (UnitAirAttack.cpp) ----
  // The worth of the unit as the target of an air attack of the kind (0 bombs, 1 rockets,
  // 2 cannon, 3 machine guns); below 0 the unit is never attacked from the air. The base is
  // the unit's target value (one draw); a vehicle weighs its top armour against the kind.
  virtual float GetAirAttackValue(int32_t attackKind);
  // While set, the explosion packets made are heard at this height (an aircraft blown up in
  // the air) instead of at the ground; NaN for the ground.
  static float gExplosionHeight;
  // ---- End of air support ----

  // ---- The computer player's trial of a unit (UnitTrial.cpp) ----
  // A copy of the unit made member by member, for a trial target choice; null for a kind that
  // makes none. The copy is in no group and nobody's target; its owner deletes it.
  virtual Unit* NewTrialCopy() const { return nullptr; }
  // On a trial copy: stops it (no waypoints, speed or movement step), lets it choose a target
  // and fuzzifies the harm it can do to that target, times the weight (doubled for a special
  // weapon), into attack; member 0 alone when it chose none. The copy keeps the target.
  void EvaluateTargetChoice(GFuzzySet& attack, float weight, bool specialWeapon);
  // How many trial copies were made (the benchmarks and tests read it).
  static int64_t gTrialCopies;
  // ---- End of the computer player's trial ----

  // ---- What the map reads ----

  int32_t GetUnitKind() const final { return kind; }
  bool IsUnitObject() const final { return true; }
  int32_t GetSideByte() const override { return side; }
  float GetX() const final { return x; }
  float GetY() const final { return y; }
  float GetZ() const override { return GBoundingBox::z; }
  bool IsPresent() const override { return alive != 0; }
  int32_t GetInanimateKind() const override;
  // Identified: the cached level is 2 or more, neither hidden flag is set and the unit has not
  // left the battlefield. The own-side and battle-over rules do not apply here.
  bool IsIdentified() const override {
    return identificationLevel >= 2 && hidden == 0 && hiddenSecond == 0 && status == 0;
  }

  // ---- What the battlefield camera reads of the unit the view is locked on ----
  float GetViewFacing() const override { return GetWeaponFacing(); }
  // Objects give the view lock up when gone; other units keep it.
  bool CanStayInView() const override { return kind != kInanimate; }
  // ---- End of the battlefield camera ----

  // ---- What a collapsing building and a hidden crater ask of a unit (UnitMapCalls.cpp) ----

  float GetLevel() const override { return level; }
  void SetLevel(float value) override { level = value; }
  bool IsAlive() const override { return alive != 0; }
  int32_t GetTerrainHere() const override;
  void MarkStateChanged() override { stateChanged = 1; }
  void MarkBurntOut() override;
  void RetreatTowardFriendlyEdge() override;
  void TakeCasualties(int32_t count, float chance) override;
  void BailOutCrew() override;
  bool IsAreaFiring(float& pointX, float& pointY) const override;
  void StopAreaFire() override { areaFire = 0; }
  int32_t GetWaypointCount() const override { return waypointCount; }
  void GetWaypoint(int32_t index, float& pointX, float& pointY, bool& upperLevel) const override;
  void LowerWaypoint(int32_t index, float height) override;
  bool LineOfSightToPoint(float pointX, float pointY) const override { return TraceSightToPoint(pointX, pointY); }
  // The last slice the unit moved in: the visibility cache forgets its lines from then on.
  int32_t GetLastMovingSlice() const override { return lastMovingSlice; }

  // ---- Identification and the viewer's view (UnitView.cpp) ----

  // The unit counts as the viewer's own: of the viewer's side and not surrendered, or of the
  // other side and surrendered.
  bool IsViewersOwn() const { return IsCurrentSide() != HasSurrendered(); }
  // 0..4 as the viewer sees the unit; ignoreHidden keeps a lost contact's cached level.
  int32_t GetIdentificationLevel(bool ignoreHidden) const;
  // The map's question (may the viewer select the unit): the viewer's level, hiding counted.
  int32_t GetIdentificationLevel() const override { return GetIdentificationLevel(false); }
  // The same as seen by a side (true = Axis).
  int32_t GetIdentificationLevelFor(bool axis, bool ignoreHidden) const;
  bool UsesLastSeenPosition() const;
  // Where the viewer sees the unit; the height when asked. True when the last seen position
  // was used.
  bool GetShownPosition(float& outX, float& outY, float* outZ) const;
  bool GetShownPositionFor(bool axis, float& outX, float& outY, float* outZ) const;
  // The target point shown to the viewer and its flag; the result is the area-fire flag.
  bool GetShownTarget(float& outX, float& outY, bool& flag) const;
  // The target unit's position (and base height), or the area-fire point; false for neither.
  bool GetTargetPosition(float& outX, float& outY, float* outZ) const;
  // Every unit whose target this unit is lets it go (the unit left sight or the battle).
  void DropAsTargetOfAll(bool voice, bool includeAirplanes, bool retarget);
  // Every other unit of the battle lets go of this one as its target, its ordered target and
  // its orders-phase target. Whoever removes a unit from a battle calls it first.
  void ReleaseAsTargetOfAll();
  // Target choice during the action; true when a target was found.
  bool ChooseTarget(bool forced);
  // The ammunition kind against the current target (SetTarget's choice).
  void ChooseAmmoForTarget();
  // The kill rating 0..100.49 of this vehicle's main weapon with the kind against the target
  // vehicle; with text, "Kill: " and the rating's word. A firer that is not a vehicle is a
  // programmer error.
  float TargetInfoText(GString* text, int32_t ammoKind, Unit* targetUnit);

  // ---- Distances, sight and terrain (UnitSight.cpp) ----

  float DistanceTo(const Unit& other) const;
  float DistanceToPoint(float px, float py) const override;
  // Line of sight to another unit through the map's visibility cache.
  bool LineOfSightTo(const Unit& other, float* visibility = nullptr) const;
  // Uncached line of sight to a point's surface height.
  bool TraceSightToPoint(float px, float py) const;
  bool IsPointInArc(float heading, float halfArc, float px, float py) const;
  bool IsUnitInArc(const Unit& other) const { return IsPointInFireArc(other.x, other.y); }
  float AngleToPoint(float heading, float px, float py, bool absolute) const;
  float RelativeBearingTo(float px, float py, bool turret, bool fold) const;
  float RelativeBearingToUnit(const Unit& other, bool turret, bool fold) const {
    return RelativeBearingTo(other.x, other.y, turret, fold);
  }
  bool IsCloseTo(const Unit& other) const;
  // 0..1: how much of the unit the viewer sees from where it stands (slot 65 from the
  // viewer's position and base height).
  float ExposureFrom(const Unit& viewer, bool sure);
  bool TerrainQuery(bool strict) const;
  bool IsConcealed(bool strict, bool checkView, float px, float py);
  bool HoldsAtLastWaypoint() const;
  void AppendTerrainText(GString& text) const;
  // The terrain's name at a point; an obstacle of the other side nobody has seen is not named.
  void AppendTerrainTextAt(GString& text, float px, float py, bool topFloor) const;
  static void TerrainText(GString& text, int32_t type, float px, float py, bool topFloor);

  // ---- The action phase (UnitAction.cpp) ----

  // Stores a new suppression; the first crossing of 200 decides whether the unit is fanatical.
  void SetSuppression(float value, bool noFanaticHold);
  // The next spotting evaluation in 160..319 slices (400..559 for a unit not present).
  void ResetSpotTimer();
  // The level the enemy observers (or the one given) reach of this unit now.
  int32_t EnemyIdentificationLevel(float minHearing, float visibilityFactor, const Unit* single = nullptr) const;

  // ---- Sound packets (UnitSounds.cpp) ----

  void NewGunfireSoundPacket(int32_t fireType, int32_t weapon, float distance);
  UnitSoundPacket NewExplosionPacket(int32_t delay, int32_t weapon, int32_t ammoKind, float px, float py);
  UnitSoundPacket NewSoundPacket(int32_t soundKind);
  void MaybeVoiceSound(int32_t situation, int32_t chance, float earliest, float latest);

  // ---- Targets, ammunition, firing and shots (UnitTargets.cpp, UnitFiring.cpp, UnitShots.cpp,
  // UnitScatter.cpp) ----

  // Whether the unit may take the other as a target.
  bool CanTarget(const Unit& other) const;
  // Takes one round of the kind (0..4); kind 6 or an empty count is fatal unless the unit is
  // out of main ammunition.
  void UseAmmo(int32_t kindUsed);
  // One slice of aiming: the wanted gun elevation is computed once the aim time reaches the
  // laying time, and the aim time runs down only while the gun is laid.
  void UpdateGunElevation();
  bool CanPlaceAmbush(float px, float py);
  bool AmbushInReach(const Unit& marker);
  // 0..35 by the distance in metres, shorter at night.
  int32_t CloseRangeBonus(float distance) const;
  // The name of ammunition kind 0..4 ("High Explosive" .. "Smoke"); other kinds add nothing.
  static void AppendAmmoName(GString& text, int32_t kindUsed);
  // 1.0 tungsten, 1.2 hollow charge, 1.4 the others.
  static float AmmoKindFactor(int32_t kindUsed);
  // The chance 0..1 that one round of the kind hits the armoured target; special 1 and 2 fire
  // weapons 94 and 95. A flight time of 0 or less is computed. Never NaN.
  float HitChance(int32_t kindUsed, int32_t flightTime, const Unit* targetUnit, int32_t selector, int32_t special) const;
  // Draws one round against the target's hit chance (stored in chance when given).
  bool RollHit(int32_t kindUsed, int32_t flightTime, float* chance);
  // 0..4: how well the unit has ranged on the target.
  int32_t RangingLevel(const Unit* targetUnit, int32_t weaponType) const;
  // The flight time in slices (at least 2) of a round of the fire type (0..7) and ammunition
  // kind to the point; the 3-D distance and the delay before it leaves go to the outs.
  int32_t ShotTiming(int32_t weapon, int32_t fireType, int32_t kindUsed, int32_t* delay, float px, float py, float pz,
                     float& distance) const;
  // One firing action at the target with the kind.
  void FireAtTarget(int32_t kindUsed);
  // The fire packet of a shot (filed by the caller once the shot is resolved).
  UnitFirePacket NewFirePacket(int32_t fireType, int32_t weapon, int32_t rounds, int32_t delay, float distance);
  // Launches one shell at the armoured target: a hit, or a miss and where it lands.
  void FireShell(UnitFirePacket& record, int32_t fireType, int32_t weapon, int32_t kindUsed, int32_t hitArg,
                 int32_t delay);
  // One shot or burst of any fire type at the point; flight and due are rescaled with the
  // round's landing.
  void ResolveShot(UnitFirePacket* record, int32_t fireType, int32_t weapon, int32_t query, int32_t kindUsed,
                   int32_t& flight, int32_t& due, float px, float py, float pz);
  // The spread (dx, dy) of a round around its aim point; the expected-value mode draws nothing.
  void ShotScatter(bool expected, bool noShort, const Unit* aimedAt, float aimX, float aimY, int32_t flightTime,
                   int32_t fireType, bool doubling, int32_t kindUsed, float& dx, float& dy) const;
  // Raises the incoming fire around the unit by what the weapon's fire makes.
  void SpreadFireShock(int32_t weapon, int32_t fireType) const;
  // Set by the infantry class around an extra shot: the firing action then leaves the shot
  // counter and timers alone.
  static bool gSecondaryFire;

  // ---- Weapon estimates for target choice (AITargetingEstimates.cpp) ----

  // Shots per minute: 60 over the rate-of-fire time plus the aim time, both asked with (0, 1).
  float GetRateOfFire() const;
  // The hit chance of a round of the kind against the other unit as if it were the target,
  // with the shot counter at least 3; target and shot counter are restored after.
  float HitChanceAgainst(int32_t kindUsed, int32_t flightTime, Unit* other, int32_t selector);
  // The expected miss vector (dx, dy) of a round of the fire type at the other unit as if it
  // were the target, shot counter at least 3, nothing drawn; doubling is bit 0 of the
  // weapon's flag word. False, with no vector, for a pairing no shot can be aimed in (fire
  // other than types 2 and 3 at an airplane, or an airplane's fire of other types than 1..3).
  bool PredictImpact(Unit* other, int32_t flightTime, int32_t fireType, bool doubling, int32_t kindUsed, float& dx,
                     float& dy);

  // ---- Routes ----

  // The weapon type of no main weapon.
  static constexpr int32_t kNoWeaponType = -1;
  // Infantry: a crew weapon (main weapon of type 2 or 3) moves on class 1; otherwise a speed
  // class above 1 moves on class 0, the slower on class 1.
  static int32_t InfantryMoveClass(int32_t mainWeaponType, int32_t speedClass);
  // Vehicles by the kind code of their class record: kinds 1 to 3 on class 3, kind 4 on
  // class 2, any other kind on class 4.
  static int32_t VehicleMoveClass(int32_t kindCode);
  // Makes the unit's waypoints the route's points (at most 50; a longer record is cut to 50
  // in place), heights from the map, the last one the route's end.
  void SetPathWaypoints(PathPoints& points, int32_t moveMode, const Map& map);


  // ---- Orders, waypoints, turn start, routes and bail-out (UnitOrders.cpp, UnitRoutes.cpp,
  // UnitBailOut.cpp) ----

  // The move mode of a movement order code (kOrderFastMove..kOrderRun, kOrderRotate); any other code is a
  // programmer error.
  static int32_t MoveModeOfOrder(int32_t orderCode);
  // Whether the orders menu may offer the code now; false for every code not listed.
  bool CanTakeOrder(int32_t orderCode);
  // Outside an operation or in its first battle, for a fortification, or when it can move.
  bool MayRedeploy() const;
  // The map edge reached from the unit along the bearing to the point is its side's own.
  bool IsTowardOwnEdge(float px, float py) const;
  // The unit's weapons can fire at points (area fire).
  bool CanFireAtPoints() const;
  // An infantry class that may fire at points and lay ambushes without a main weapon.
  bool IsAmbushClass() const;
  // x, y and the level flag of the last waypoint; an empty list is a programmer error.
  void GetLastWaypoint(float& outX, float& outY, bool* outLevel = nullptr) const;
  bool LastWaypointIsRotation() const;
  void RemoveRotationPoint();
  void SetSelectedWaypointMode(int32_t orderCode);
  void MoveWaypoint(int32_t index, float px, float py);
  // Caps the order delay by the effective rating and suppression.
  void CapDelayByRating(bool clearSpeed);
  // (Effective rating + 2) x 5 metres: how far a carried-over waypoint may be moved.
  float AdjustRadius() const;
  // The turn-start copy of the waypoints is taken from the current list.
  void SnapshotWaypoints();
  // Route kinds 2 and 3 become 0 and 1 when the first waypoint's kind is 2 or 3.
  void FixRouteKinds();
  void ResetSliceCounter();
  // Leaves a burning tile: bails out when the unit is slow, else runs to a random safe point.
  void EscapeFire();
  // Plans a route to the waypoints; escape sweeps for a free direction instead.
  bool FindRoute(bool escape, bool wide, bool insert);
  void CheckPathAhead();
  bool TurnToward(float px, float py, bool away);
  void RemoveLastWaypoint();
  // The route's points become the first waypoints; the rest follow, at most 50 in all.
  void ReplaceFirstWaypointByPath(const PathPoints& points, const Map& map);
  // The crew leaves the unit as a new infantry team, which the result gives (the battle owns
  // it once handed over; without a battle the caller does). Null when no crew leaves.
  Unit* BailOutCrew(bool noAmmunition);
  // An infantry unit riding a carrier vehicle; the infantry class answers.
  virtual bool IsCarried() const { return false; }
  // An infantry unit on its way to board a vehicle: it takes no other move order meanwhile
  // (it may cancel) and its route shows as the embarking line. The infantry class answers.
  virtual bool IsBoarding() const { return false; }
  // The vehicle's state that keeps it from firing; the vehicle class answers.
  virtual bool IsFiringBlocked() const { return false; }
  // Either passenger place of a carrier is taken; the vehicle class answers.
  virtual bool HasPassengers() const { return false; }
  // As a vehicle's target, the unit is fired at without waiting; its class answers.
  virtual bool DrawsImmediateFire() const { return false; }
  // A vehicle has a machine gun it can fire; the vehicle class answers.
  virtual bool CanFireAnyMachineGun() const { return false; }
  // A new crew on foot moves to a free spot near where it stands; the infantry class finds
  // one, the base stays put.
  virtual void FindNearbySpot() {}
  // How the next state packet is marked before it is filed: when active, the slice becomes
  // the given one (unless -9999) plus the delay, and the life code the given one.
  struct PacketMark {
    bool active = false;
    int32_t slice = -9999;
    int32_t delay = 0;
    int32_t lifeCode = UnitStatePacket::kAlive;
  };
  static PacketMark gPacketMark;
  // Slices added to the slice of every sound packet made while it is not 0.
  static int32_t gSoundDelay;

  // ---- Set-up placement, resupply, level terrain and the seams between orders phases and
  // battles (UnitPlacement.cpp, UnitSetUp.cpp, UnitSeams.cpp) ----

  // Two units closer than the spacing (10 m for infantry, 15 m otherwise) on both axes.
  float PlacementSpacing() const { return IsInfantry() ? 10.0f : 15.0f; }
  // Another unit of the battle that counts (alive, or slot 38 holds) stands too close to the
  // point.
  bool IsCrowdedAt(float px, float py) const;
  // A placement conflict at the point: true while the point does not suit the unit. Only
  // infantry has conflicts (another unit too close); every other unit answers false.
  virtual bool IsPlacementBlockedAt(float /*px*/, float /*py*/, float /*radius*/, bool /*flag*/) const { return false; }
  // Moves the unit in rings around the point until a candidate is accepted (mode 0: place and
  // zone only; 1: no unit too close; 2: also the terrain test). False when the rings are
  // exhausted; the unit then stands at the last candidate.
  bool SearchPlacement(bool zoneTest, float px, float py, float maxRadius, float step, int32_t mode);
  // Finds a place near the point by the three searches; false for a passenger or when none
  // succeeded.
  bool CheckPlacement(float px, float py, bool zoneTest, bool faceCentre, bool vehicleFirst);
  // Lines the unit up along a map edge (editor); false when 500 tries found no place.
  bool PlaceAlongEdge(int32_t edge, float depth);
  // Puts a unit lying outside the rectangle back inside it (operations); false when it went
  // back to where it was.
  bool MoveIntoArea(float left, float bottom, float right, float top);
  // Slot 65 as if the unit stood at the point, seen from 8 m and 4 m off (the mean of four
  // such points when asked).
  float ExposureAt(float px, float py, bool flag, bool mean);
  // The player's set-up: may the unit be placed at the point (onto the carrier when given).
  bool CanPlaceAt(float px, float py, Unit* carrier);
  // Places the unit (or, without place, turns it toward the point). False, with a beep, when
  // the placement is refused.
  bool PlaceOrFace(float px, float py, bool place, Unit* carrier);
  void LeaveCarrierForPlacement();
  void ClampLevelAfterPlacement();
  // The terrain code as it acts on the unit: the bridge codes under a unit below them act as
  // the water (or ice) or road beneath.
  int32_t TerrainUnderfoot(int32_t terrain) const;
  float AdjustForLevelTerrain(float value, int32_t terrain, float* out) const;
  // The purchase cost scaled by the rating (and, in the editor, by the cost step).
  float AdjustCostForRating(float value) const;
  // The battle takes this at the start of each orders phase.
  void SnapshotOrders();
  // Score: the out tells whether the unit left through its own exit.
  float GetPointValue(bool& counted) const;
  float GetCasualtyValue() const;
  // The unit's weight in holding a victory flag at the point; sideFlags holds the caller's
  // byte per side index.
  float FlagInfluenceAt(float px, float py, const uint8_t* sideFlags) const;
  void AddToForceCentroid(bool useX, float& weightedSum, float& weight, bool heavy) const;
  void PaintControlArea() const;
  // The kind 0..3; the kind's class index goes to the out when given.
  int32_t GetKindAndClass(int32_t* classOut) const;
  // What the kinds answer for set-up and the seams (the base: nothing to do).
  // A vehicle's two linked units (index 0 or 1), null when none.
  virtual Unit* GetLinkedUnit(int32_t /*index*/) const { return nullptr; }
  // An infantry unit riding a carrier gets off.
  virtual void LeaveCarrier() {}
  // A vehicle's hull-down flag is cleared after it was placed.
  virtual void ClearHullDown() {}
  // A vehicle's own orders-phase field is reset by the orders snapshot.
  virtual void ResetForOrdersPhase() {}
  // A surrendered infantry unit that cannot leave loses its surrendered state and is marked
  // captured.
  virtual void MarkCaptured() {}
  // A passenger of a hit vehicle: every man present rolls once against the chance, with no
  // shout; infantry overrides it (the base: nobody to lose).
  virtual void TakeQuietCasualties(float /*chance*/) {}
  // ---- The discard test between the battles of an operation (UnitSeams.cpp) ----
  // True when the unit is to be deleted before the next battle; goingOn holds the units that
  // go on into it. The base keeps every unit; infantry ties its links up here (a crew goes
  // back to the gun or vehicle it came from).
  virtual bool UpdateLinksBetweenBattles(GGroup& goingOn);
  // ---- End of the discard test ----

  // ---- Kind and side ----

  bool IsInfantry() const { return kind == kInfantry; }
  bool IsVehicle() const { return kind == kVehicle; }
  bool IsInanimate() const { return kind == kInanimate; }
  bool IsAirplane() const { return kind == kAirplane; }
  // The side byte is 1 for the Axis; the side index of per-side tables is 1 - the byte.
  bool IsAxis() const { return side == 1; }
  int32_t GetSideIndex() const { return 1 - side; }
  bool IsEnemy(const Unit& other) const { return other.side != side; }
  // The unit belongs to the side whose turn it is.
  bool IsCurrentSide() const;
  // Moving, or halfway through a climb between the two levels of a building.
  bool IsMoving() const { return speed != 0.0f || (level > 0.0f && level < 1.0f); }
  // Two or more waypoints, or one that is not a rotation.
  bool HasMoveOrder() const;
  bool FirstWaypointIsRoutePoint() const;
  // Alive, not surrendered and steadier than Panic.
  bool CanFight() const override { return alive != 0 && GetBand() < 5 && !HasSurrendered(); }
  int32_t GetFatigueLevel() const { return fatigueLevel; }

  // ---- Small operations (UnitSmall.cpp) ----

  // Morale state 0..7 from the suppression.
  int32_t GetBand() const;
  // Kind group 0..5 of the nationality code.
  int32_t GetKindGroup() const;
  // Men present with no losses.
  int32_t GetFullStrength() const;
  int32_t GetMainWeaponId() const;
  int32_t GetMainWeaponType() const;
  // The rating, raised by the computer bonus for the computer's units when one human plays.
  int32_t GetRating() const;
  float ScaleByRating(float value, bool effective = false) const;
  float RatingTimeFactor() const;
  void ResetAimTime();
  // Forgets the unit's route, targets, motion, firing cycle, suppression and concealment: what
  // a new unit and a unit starting its next battle both begin without.
  void ClearMovementAndFire();
  // Lowers the firing timer by the time from the slice counter to the slice (0.025 a slice),
  // not below 0; held below 10 (a packet of an older slice could raise it), logged once.
  void AdvanceFiringTimer(int32_t slice);
  // The identity key that finds this unit's counterpart in another battle object: designation,
  // side, kind, crew and split bits, class index from bit 21.
  uint32_t PackedIdentity() const;
  void ClearOrderState(bool alsoOrdered);
  void SetActivity(int32_t code);
  void StopTurning();
  // Empties the texture table; with free set deletes each handle first.
  void ReleaseTextures(bool free);
  GGraphic* GetTexture(int32_t set, int32_t index) const;
  void SetTexture(int32_t set, int32_t index, GGraphic* graphic);
  void SetDesignation(int32_t letter, int32_t number) { designation = static_cast<uint16_t>(letter * 256 + number); }
  int32_t GetLetterCode() const;
  int32_t GetDesignationNumber() const { return designation & 0xFF; }
  void AppendDesignation(GString& text) const;
  // The custom leader name, made on first use.
  GString15& CustomName();
  const GString15* GetCustomName() const { return customName; }
  Waypoint& WaypointAt(int32_t index);
  const Waypoint& WaypointAt(int32_t index) const;
  // Clears the used-name table and the per-side designation state.
  static void ResetNamingState();
  // The class index is one of the kind's class table (any index from 0 for the kinds
  // without one): what a stored record must hold.
  bool IsStoredClassIndex(int32_t index) const;

  // The side index the view queries take as the viewer while a per-side query runs; -1 for
  // the application's current side.
  static int32_t gViewerOverride;
  // The designation counter slot 28's base takes from.
  static uint16_t gDesignationCounter;

  // ---- Drawing: the per-frame driver, order lines and labels, target cycling, markers,
  // recoil and muzzle flash (UnitDraw.cpp, UnitDrawLines.cpp, UnitMarkers.cpp,
  // UnitAppearance.cpp). The battlefield view and battle screen answer through UnitDrawHost.
  // Nothing here draws from the game's generator or changes the computed game. ----

  // Draws the unit for the current viewer: whether and where it shows, its scale by
  // distance, its model, base marker, order lines and labels.
  void DrawOnMap(float scale, float menFactor, float vehicleFactor);
  // The path through the waypoints, one segment at a time, with the move-mode words.
  void DrawPathLines();
  // One order-line segment from start to end; index is the end waypoint's (-1 for the
  // embarking line), firstOfPassenger marks a passenger's first segment.
  void DrawPathSegment(bool pauseNext, uint8_t flagByte, int32_t pointKind, int32_t index, int32_t moveMode,
                       bool firstOfPassenger, float endX, float endY, float endZ, float startX, float startY,
                       float startZ);
  // The style of a move mode's line; a mode outside -1..9 is a programmer error.
  static int32_t OrderLineStyle(int32_t moveMode, bool alternative, bool vehicle);
  void SetOrderLineStyle(int32_t moveMode, bool alternative, bool vehicle) const;
  // The words of a path segment: a mode outside the labelled ones reads "Move".
  static void BuildMoveLabel(GString& text, int32_t pointKind, int32_t moveMode, bool vehicle, bool withdrawing,
                             bool disembark, bool hide);
  // The path marker's scale at a view level 0..7 (any other level is a programmer error).
  static float MarkerScale(int32_t viewLevel);
  // The line while the player places an order point.
  void DrawOrderPreview(float px, float py, float pz, int32_t orderCode);
  // The fortification a unit may enter at the point, or null.
  Unit* FindFortificationAt(float px, float py) const;
  Unit* GetShownTargetUnit() const;
  void DrawTargetLine(bool labelled);
  void DrawTargetLinesToMe();
  // The next-target command: the next enemy by target choice's score, highest first.
  void CycleTarget();
  // The base marker at a point for a shown identification level (slot 126 calls it).
  void DrawBaseAt(int32_t shownLevel, float px, float py);
  // The base marker's half-size in metres at a view level for a shown identification level.
  float BaseHalfSize(int32_t viewLevel, int32_t shownLevel) const;
  void DrawBadge();
  // The gun's recoil at a firing timer, 0..1, and the matrix moved by it times distance.
  static float RecoilAt(float timer);
  void TranslateRecoil(float distance);
  void DrawMuzzleFlash(float size, float px, float py, float pz);
  void GetScreenPosition(int32_t& outX, int32_t& outY) const;
  // The muzzle-flash size factor of a weapon's per-kind value.
  static float FlashSizeFactor(float value);
  // The three appearance variants a seed gives for a nationality code.
  static std::array<int16_t, 3> AppearanceVariants(uint32_t seed, int32_t nationalityCode);
  // How far a vehicle's model is lowered by its state; the vehicle class answers.
  virtual float GetModelDrop() const { return 0.0f; }
  // The firing timer stood at 10 or more after a drawing, logged once.
  static bool gDrawTimerLogged;

  // What the last state packet applied gave the fields the replay's display moves.
  struct RecordedDisplay {
    bool valid = false;
    float x = 0.0f;
    float y = 0.0f;
    float facing = 0.0f;
    float gunElevation = 0.0f;
    float firingTimer = 0.0f;
    int32_t sliceCounter = 0;
  };
  RecordedDisplay recordedDisplay;

  // ---- Fields, in declared order ----

  Unit* target = nullptr;
  Unit* ordersPhaseTarget = nullptr;
  Unit* orderedTarget = nullptr;
  float x = 0.0f;
  float y = 0.0f;
  float facing = 0.0f;
  float gunElevation = 0.0f;
  float goalGunElevation = 0.0f;
  int32_t nextActionSlice = kNoActionSlice;
  float level = 0.0f;
  int32_t losses = 0;
  int16_t lossesCountedByMorale = 0;
  float suppression = 0.0f;
  uint8_t alive = 1;
  uint8_t immobilized = 0;
  uint8_t knockedOut = 0;
  uint8_t stateChanged = 0;
  int32_t boxSelection = 0;
  uint8_t areaFire = 0;
  // Indexed by FlagByte.
  std::array<uint8_t, kFlagByteCount> flagBytes{};
  uint8_t countsForPoints = 0;
  int8_t ratingAdjustment = 0;
  std::array<uint16_t, kAmmoKinds> ammo{};
  int32_t sliceCounter = 0;
  int32_t pendingDelaySteps = 0;
  float commandDelay = 0.0f;
  // Signed: a buttoned vehicle sets it below 0.
  int32_t sliceCount = 0;
  int32_t identificationLevel = 0;
  uint8_t hidden = 0;
  uint8_t hiddenSecond = 0;
  float lastSeenX = 0.0f;
  float lastSeenY = 0.0f;
  int8_t positionErrorX = 0;
  int8_t positionErrorY = 0;
  int32_t burst = 0;
  int32_t lastMovingSlice = 0;
  int32_t setupZone = 0;
  int16_t leaderName = 0;
  int16_t incomingFire = 0;
  GString15* customName = nullptr;  // owned
  int32_t status = 0;
  uint8_t noAppearanceReset = 0;
  uint8_t withdraw = 0;
  int32_t fanaticState = 0;
  float fatigue = 0.0f;
  float aimTime = 0.0f;
  int32_t rating = 0;
  KillRecord killRecord;
  int32_t kind = kInfantry;
  std::array<std::array<GGraphic*, kTexturesPerSet>, kTextureSets> textures{};  // owned handles
  std::array<int16_t, 3> appearanceVariants{};
  int32_t nationalityCode = 0;
  int32_t fatigueLevel = 0;
  int32_t ammoKind = kNoAmmo;
  uint8_t side = 0;
  uint8_t movementFlag = 0;
  uint8_t routeTries = 0;
  int32_t routeStamp = 0;
  int16_t shotCounter = 0;
  float targetX = 0.0f;
  float targetY = 0.0f;
  float ordersPhaseTargetX = 0.0f;
  float ordersPhaseTargetY = 0.0f;
  int32_t waypointCount = 0;
  std::array<Waypoint, kWaypointEntries> waypoints{};
  std::array<OrderedWaypoint, kWaypointEntries> orderedWaypoints{};
  int32_t classIndex = 0;
  std::array<int32_t, 3> activityCodes{};
  std::array<std::array<int32_t, 3>, 2> activityExtras{};
  uint16_t designation = 0;
  float speed = 0.0f;
  float turnRate = 0.0f;
  float firingTimer = 0.0f;
  float reloadState = 0.0f;
  int32_t spottingValue = 0;
  int32_t countdown = 0;
  // Indexed by FiringByte.
  std::array<uint8_t, kFiringByteCount> firingBytes{};

  // The packed ids of target, ordered target and orders-phase target as read from a file,
  // kept until the references are remapped to units (0 none).
  int16_t targetId = 0;
  int16_t orderedTargetId = 0;
  int16_t ordersPhaseTargetId = 0;
  // The identity keys of target, ordered target and orders-phase target between
  // ReferencesToIds and IdsToReferences (0 none).
  std::array<uint32_t, 3> referenceKeys{};

  // ---- The soldier drawing's hand-over (InfantryDraw.cpp) ----
  // The aim timer; 99.0 exactly means the weapon is jammed. The unit panel reads it too.
  float GetAimTimer() const { return aimTime; }
  // Set by DrawOnMap just before Draw: whether the unit's footprint is only partly in view
  // (every primitive then goes through clipping) and its apparent size (the perspective scale
  // at its shown position times the drawing scale). Not stored.
  uint8_t drawClip = 0;
  float drawSize = 0.0f;
  // ---- End of the soldier drawing's hand-over ----
  // ---- The editor's purchase lists ----
  // The unit's depth in its purchase list's tree: 0 a top-level unit, 1..3 a formation's
  // members. Not stored.
  int8_t purchaseDepth = 0;
  // ---- End of the editor's purchase lists ----

  // ---- The orders exchange ----
  // The number of units an orders block held after this one (count - 1 for the first read,
  // 0 for the last); the receiving side merges by it. Not stored.
  int32_t exchangeIndex = 0;
  // ---- End of the orders exchange ----

  // ---- The battle screen's sounds ----
  // Starts the unit's looped sound when the battle screen opens (nothing for most units; the
  // vehicle sounds give theirs).
  virtual void StartLoopSound() {}
  // ---- End of the battle screen's sounds ----

  // ---- The map's answers kept for the unit ----
  // Its ground elevation and the fine type of the cell it looks ahead at, as the map last gave
  // them (a unit's height is asked for every distance to it, and the ground ahead changes cell
  // only every few slices). Not stored; the map reads afresh whenever it has changed.
  mutable MapPointMemo mapMemo;
};

// The battle's view as the unit it is, or null when it is no unit: what a dynamic cast gives,
// by the view's own answer.
inline Unit* UnitOfView(MapUnitView* view) {
  return view != nullptr && view->IsUnitObject() ? static_cast<Unit*>(view) : nullptr;
}
inline const Unit* UnitOfView(const MapUnitView* view) {
  return view != nullptr && view->IsUnitObject() ? static_cast<const Unit*>(view) : nullptr;
}
// A list's object as the unit it is, or null when it is no unit.
inline Unit* UnitOfObject(GObject* object) { return dynamic_cast<Unit*>(object); }
inline const Unit* UnitOfObject(const GObject* object) { return dynamic_cast<const Unit*>(object); }
