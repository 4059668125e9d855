#pragma once
#include <cstdint>

#include "game/units/tables/InfantryData.h"

class Unit;
struct Shot;

// What the shared unit code asks of an infantry unit beyond the numbered operations.
// Reached through Unit::AsInfantry; the infantry class implements it.
class InfantryServices {
 public:
  virtual ~InfantryServices() = default;

  // The index of the infantry class record and the record itself.
  virtual int32_t GetTypeIndex() const = 0;
  virtual InfantryData GetClassData() const = 0;
  // The class marks a squad, not a team.
  virtual bool IsSquad() const = 0;
  // The other half of a split squad, or null; whether this unit is the 'b' half.
  virtual Unit* GetSplitPartner() const = 0;
  virtual bool IsSecondHalf() const = 0;
  // The unit this one came from (a crew on foot holds its vehicle), or null.
  virtual Unit* GetOriginUnit() const = 0;
  // The second leader's surname index of a squad.
  virtual int16_t GetSecondLeaderName() const = 0;
  virtual void SetSecondLeaderName(int16_t index) = 0;
  // The aim point of an indirect-fire team.
  virtual void SetAimPoint(float x, float y) = 0;
  // The class float that keeps the activity codes 8 and 9 in the first entry.
  virtual float GetActivityHoldValue() const = 0;

  // ---- What the battle's reinforcement loading and force enlargement use ----
  // The leader the unit answers to (its commanding leader), or null.
  virtual Unit* GetLeaderReference() const { return nullptr; }
  virtual void SetLeaderReference(Unit* /*leader*/) {}
  // The vehicle the unit rides, or null.
  virtual void SetCarrierReference(Unit* /*vehicle*/) {}
  // ---- End of the reinforcement loading and force enlargement ----

  // ---- The crew's link back ----
  // A crew that bailed out is tied to the unit it left (see GetOriginUnit).
  virtual void SetOriginUnit(Unit* /*unit*/) {}
  // ---- End of the crew's link back ----

  // ---- What the battle's turn cycle and its end use ----
  // Takes the linked half back in (this is the half that stayed); the battle then removes the
  // other half. False when the unit cannot.
  virtual bool RejoinLinkedHalf() { return false; }
  // Its side gave up: the squad is taken prisoner where it stands.
  virtual void SurrenderWithSide() {}
  // Its captors' side gave up: the prisoner is free, fully known, with no suppression.
  virtual void ReleaseFromCaptivity() {}
  // ---- End of the turn cycle and its end ----
  // ---- What the battle's shot step, the vehicles' sight and the threat estimate use ----
  // A hit on the squad: the damage (casualties at damage / 725 a die), the extra dice and the
  // shot as the battle works it out (its kind, start point and flags).
  virtual void TakeShotDamage(float /*damage*/, int32_t /*extraRolls*/, const Shot& /*shot*/) {}
  // The identification level (0..4) that the enemy, or the one observer given, reaches of
  // the squad now (a buttoned vehicle sees only infantry that gives itself away).
  virtual float RunUnitPass(bool /*asShown*/, const Unit* /*observer*/) { return 0.0f; }
  // The special anti-tank weapons carried and their weapon's range (metres).
  virtual int32_t GetAntitankCount() const { return 0; }
  virtual float GetAntitankRange() const { return 0.0f; }
  // ---- End of the shot step, sight and threat ----
};
