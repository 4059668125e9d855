#pragma once
#include <vector>

#include "game/battle/NearUnitGrid.h"
#include "game/units/ports/UnitServices.h"

class Battle;
class ShotObserver;

// What the units ask of the battle in play, answered by that battle: the state, fire and sound
// packets of the replay, a shot filed, the fire counters, smoke, the danger a blast spreads,
// its settings (ground, turns, attacker, fanaticism, edges, time of day), its unit group (a
// vehicle in the way, revealed minefields, units that join it) and the computer player's
// groups. The battle in play (BattleInPlay) holds these answers as one BattleServices in the
// program and in headless play alike, so that a turn computed in the program and the same turn
// computed headless take the same steps. They hold the battle they answer from, which the
// battle in play hands them whenever it changes: a unit's question reaches its battle with no
// lookup on the way. Without a battle the answers are those of a unit outside any battle.
class BattleUnitServices : public UnitServices {
 public:
  // Packets are filed only while the battle computes its action: they are its record.
  void RecordStatePacket(const UnitStatePacket& packet) override;
  void RecordSoundPacket(const UnitSoundPacket& packet) override;
  void RecordFirePacket(const UnitFirePacket& packet) override;
  void PlaySoundAtOnce(const UnitSoundPacket& packet) override;
  // The shot goes to the battle; an observer set is told of it first.
  void FileShot(const Shot& shot) override;
  void AddFireCounter(int32_t sideIndex, int32_t amount) override;
  void SpreadIntensityNearPoint(int32_t intensity, float x, float y) override;
  void CreateSmoke(float x, float y, float size) override;

  // ---- The battle's settings and state ----
  bool IsBattleOver() const override;
  float GetSideStrengthRatio(int32_t sideIndex) const override;
  int32_t GetFanaticism(int32_t sideIndex) const override;
  float GetVisibilityLimit() const override;
  bool IsReplaying() const override;
  int32_t GetConditionValue() const override;
  bool IsBarrage() const override;
  int32_t GetHomeEdge(int32_t sideIndex) const override;
  int32_t GetEdgeSide(int32_t edge) const override;
  int32_t GetAttackerSideIndex() const override;
  bool IsComputingAction() const override;
  float GetBattleShareToCome() const override;
  int32_t GetCurrentTurn() const override;
  int32_t GetLastTurn() const override;
  void SetCurrentSlice(int32_t slice) override;
  void CountMovingSlice(int32_t sideIndex) override;
  void SetCoverSearch(bool on) override;

  // ---- The ground and the unit group ----
  float GroundWeight(float pressure, int32_t softness) const override;
  bool IsRevealedAntitankMinefieldAt(float x, float y) const override;
  bool IsRevealedAntipersonnelMinefieldAt(float x, float y) const override;
  int32_t FindBestVehicleNear(const Vehicle& mover, const Unit** found) const override;
  bool GatherUnitsNear(const Unit& asker, float reach, std::vector<Unit*>& out) const override;
  const std::vector<Unit*>* UnitsNotOfSide(const Unit& asker, const MapBattleServices* battle) const override;
  bool AddNewUnit(Unit* unit) override;
  bool InsertUnitAfter(Unit* unit, const Unit* after) override;
  void ReplaceInAIGroups(int32_t sideIndex, const Unit* from, Unit* to) override;
  // The kill record of the unit whose shot is being worked out counts what the other side
  // saw it take (nothing is counted outside a shot).
  void TallyMenLost(int32_t men) override;
  void TallyWeaponLost(bool gun) override;

  // The battle the answers come from, or null; not owned.
  void SetBattle(Battle* battle) { battle_ = battle; }
  // Who is told of the shots filed to the battle (null: nobody); not owned.
  void SetShotObserver(ShotObserver* observer) { shotObserver_ = observer; }

 protected:
  Battle* BattleForUnits() const { return battle_; }

 private:
  Battle* battle_ = nullptr;
  ShotObserver* shotObserver_ = nullptr;
  // Some of the battle's units and where they stand, for the questions about a mover's
  // neighbours.
  struct NearUnits {
    explicit NearUnits(bool animate) : allAnimate(animate) {}
    // Appends to `out` (emptied first), in the battle's order, those other than the mover within
    // reach of it along each axis now (for all the animate units, those too whose distance is
    // not a number).
    void Gather(const Battle& battle, const Unit& mover, float reach, std::vector<Unit*>& out) const;
    // Every unit but the inanimate ones, or the vehicles alone.
    const bool allAnimate;
    // The units in the battle's order, gathered again whenever the units list's stamp changes:
    // a question then walks them, not every unit and soldier.
    mutable std::vector<Unit*> units;
    mutable uint64_t stamp = 0;
    // Those units bucketed by where they stood at the start of the action's slice in progress
    // (its serial), made again at the next slice or when the list is gathered again.
    mutable NearUnitGrid grid;
    mutable uint64_t gridSerial = 0;
    mutable uint64_t gridStamp = 0;
  };
  // The vehicles near a mover, gathered anew at every question.
  mutable std::vector<Unit*> nearVehicles_;
  NearUnits vehicles_{false};
  NearUnits animate_{true};
};
