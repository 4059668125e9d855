#pragma once
#include "game/units/UnitServices.h"

class Battle;

// What the units ask of the battle in play while the action is computed, answered by that
// battle: the state, fire and sound packets of the replay, a shot filed, the fire counters, smoke,
// the danger a blast spreads. The application
// and the headless host both answer through here, so that a turn computed in the program and
// the same turn computed headless take the same steps.
class BattleUnitServices : public UnitServices {
 public:
  // Packets are filed only while the battle computes its action: they are its record.
  void RecordStatePacket(const UnitStatePacket& packet) override;
  void RecordSoundPacket(const UnitSoundPacket& packet) override;
  void RecordFirePacket(const UnitFirePacket& packet) override;
  void FileShot(const Shot& shot) override;
  void AddFireCounter(int32_t sideIndex, int32_t amount) override;
  void SpreadIntensityNearPoint(int32_t intensity, float x, float y) override;
  void CreateSmoke(float x, float y, float size) override;
  // The battle's turn and last turn, and its current slice moved for an air attack's passes
  // (outside a battle: turn 1 of 30).
  int32_t GetCurrentTurn() const override;
  int32_t GetLastTurn() const override;
  void SetCurrentSlice(int32_t slice) override;

 protected:
  // The battle in play, or null.
  virtual Battle* BattleForUnits() const = 0;
};
