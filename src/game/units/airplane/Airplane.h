#pragma once
#include <cstdint>

#include "game/units/ports/AirplaneServices.h"
#include "game/units/Unit.h"

class GFile;
class GString;

// An air-support fighter-bomber (unit kind 3). It waits off the map; each turn a small state
// machine decides whether it arrives in the coming action phase, picks a target, makes one or
// two attack passes and leaves. Only its shadow is drawn, while it attacks.
class Airplane : public Unit, public AirplaneServices {
 public:
  // States.
  static constexpr int32_t kWaiting = 0;
  static constexpr int32_t kInboundNoAttack = 1;
  static constexpr int32_t kInbound = 2;
  static constexpr int32_t kAttacking = 3;
  static constexpr int32_t kDamaged = 4;
  static constexpr int32_t kLeaving = 5;
  static constexpr int32_t kGone = 6;
  // Attack kinds: bombs, rockets, cannon, machine guns, not chosen.
  static constexpr int32_t kBombs = 0;
  static constexpr int32_t kRockets = 1;
  static constexpr int32_t kCannon = 2;
  static constexpr int32_t kMachineGuns = 3;
  static constexpr int32_t kNotChosen = 4;
  static constexpr int32_t kNotThisTurn = 99999;
  static constexpr float kParkedX = -7000.0f;
  // Slices from the arrival to the first pass, the second pass and the earliest departure.
  static constexpr int32_t kFirstPass = 505;
  static constexpr int32_t kSecondPass = 585;
  static constexpr int32_t kDeparture = 880;
  static constexpr int32_t kDiveSlices = 265;

  Airplane();
  // Registers the makers of kind 3 with CreateUnit and the file reader.
  static void Register();
  // Makes the aircraft for the nationality group at the given rating: off the map, two loads
  // of ordnance and a sortie limit of 2 + random(5), one more for group 1.
  void Initialize(int32_t nationalityGroup, int32_t newRating);

  // ---- Kind services ----
  AirplaneServices* AsAirplane() override { return this; }
  Airplane* AsAirplaneUnit() final { return this; }
  // 1 + (14 - 2 x rating) x the damage taken this turn / 1200.
  float DamageFactor() const override;

  // ---- The turn ----
  // The per-slice state machine.
  void UpdateSlice(int32_t slice) override;
  // Picks the attack kind and the target and places the aircraft for its run; false when no
  // unit is worth the attack.
  bool ChooseAttackTarget();
  // One attack pass at the current target.
  void DeliverAttack();
  // A unit that can fire at aircraft is readied by the attack.
  static void RaiseReadiness(Unit& unit);

  // ---- Unit operations ----
  void Read(GFile& file) override;
  void Write(GFile& file) const override;
  void TakeDamage(Unit* firer, int32_t weapon, int32_t ammoKind, float px, float py, float pz) override;
  // Applies a hit of the amount: the roll that scales it, the damage and its consequences.
  void TakeHit(float amount);
  void GetDisplayName(GString& text) const override;
  float GetPurchaseCost() const override;
  int32_t GetPurchaseCode() const override { return 6; }
  int32_t GetMenPresent() const override { return 1 - losses; }
  float GetAirAttackValue(int32_t /*attackKind*/) override { return -1.0f; }
  // Over the battlefield only for its run: a vehicle that has it as its target fires at once.
  bool DrawsImmediateFire() const override { return state == kAttacking; }
  float FirepowerAt(float range, int32_t mode) override;
  float GetBaseHeight() const override;
  void MoveAlongWaypoints() override;
  void WriteStateExtras(UnitStatePacket& packet) const override;
  void ReadStateExtras(const UnitStatePacket& packet) override;
  // Kept as it is between battles: it waits off the map and never walks back onto it.
  bool KeepOnMapBetweenBattles() override { return true; }
  void UpdateMorale() override {}
  void UpdateSpotting() override {}
  void ApplyModelScale(float& /*scale*/) override {}
  void DrawBase(bool /*pick*/) override {}
  void Draw(bool pick) override;
  // The shadow is drawn now (during the replay of an attack).
  bool ShowsShadow() const;

  // Set whenever the aircraft's coming or going changes what the battle screen shows; the
  // screen reads and clears it.
  static uint8_t gRedraw;

  // ---- Fields, in stored order ----
  int32_t state = kWaiting;
  int32_t attackKind = kNotChosen;
  int8_t sortiesFlown = -1;
  int8_t sortieLimit = 2;
  int8_t ordnance = 2;
  int32_t damage = 0;
  // Not stored: set again at the first slices of every action phase.
  int32_t damageAtTurnStart = 0;
  int32_t arrivalSlice = kNotThisTurn;
  // The aim point of the run.
  float aimX = 0.0f;
  float aimY = 0.0f;

 private:
  void StartTurn();
  void Arrive();
  void ChooseAttackKind();
  void Leave();
};
