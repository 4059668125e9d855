#pragma once
// The common part of the test kinds: a unit whose answers the test sets and whose calls it
// counts. Free of any test framework, so that benchmarks can link it.
#include <cstdint>
#include <limits>

#include "framework/core/GString.h"
#include "game/units/Unit.h"

class TestUnit : public Unit {
 public:
  void TakeDamage(Unit*, int32_t, int32_t, float, float, float) override { ++damageCalls; }
  void GetDisplayName(GString& text) const override { text.Assign("Test unit"); }
  void Draw(bool) override { ++drawCalls; }

  int32_t GetMenPresent() const override { return men > losses ? men - losses : 0; }
  bool IsArmored(bool) const override { return armored; }
  bool HasMainWeapon() const override { return mainWeapon; }
  bool HasMainWeaponOfType5() const override { return indirect; }
  bool HasMainWeaponOfType23(bool flag) const override { return flag ? type234 : type23; }
  // A heavy weapon: a gun, or (type123) an anti-tank weapon of infantry.
  bool HasMainWeaponOfType123() const override { return type123 || type23; }
  bool CanFireMainWeapon(bool) const override { return canFireMain; }
  bool HasSurrendered() const override { return surrendered; }
  int32_t GetBattleLosses() const override { return battleLosses; }
  int32_t GetAmmoMixRow() const override { return ammoRow; }
  void QueryWeapon(int32_t selector, int32_t& weapon, int32_t& type) const override {
    if (!answersWeapon) {
      Unit::QueryWeapon(selector, weapon, type);
      return;
    }
    weapon = weaponId;
    type = weaponType;
  }
  float GetRateOfFireTime(int32_t mode, int32_t selector) const override {
    ++rateOfFireCalls;
    lastRateOfFireMode = mode;
    (void)selector;
    return rateOfFireTime;
  }
  void RandomizeSliceCounter() override {
    ++randomizeCalls;
    Unit::RandomizeSliceCounter();
  }
  void UpdateAnimation() override { ++animationCalls; }
  void LeaveBattlefield(bool) override { ++leaveCalls; }
  int32_t BestEnemyIdentification(bool relaxed, int32_t) const override {
    ++bestEnemyCalls;
    return relaxed ? bestEnemyRelaxed : bestEnemy;
  }
  float VisibilityTo(const Unit*) const override { return visibleFrom; }
  bool CanChangePosture() const override { return posture; }
  bool IsPassenger(bool) const override { return passenger; }
  void GetRangeBounds(int32_t, float, float& low, float& high) const override {
    // Every distance, or none.
    const float endless = std::numeric_limits<float>::infinity();
    low = inRange ? -endless : endless;
    high = inRange ? endless : -endless;
  }
  // The class tables' cost unless the test sets one (the battle's strength ratios use it).
  float GetPurchaseCost() const override { return purchaseCost >= 0.0f ? purchaseCost : Unit::GetPurchaseCost(); }

  // Settable answers.
  int32_t men = 0;
  float purchaseCost = -1.0f;
  bool armored = false;
  bool mainWeapon = false;
  bool indirect = false;
  bool type23 = false;
  bool type123 = false;
  bool type234 = false;
  bool canFireMain = false;
  bool surrendered = false;
  int32_t battleLosses = 0;
  int32_t ammoRow = 0;
  bool answersWeapon = false;
  int32_t weaponId = 104;
  int32_t weaponType = 0;
  float rateOfFireTime = 3.0f;
  int32_t bestEnemy = 0;
  int32_t bestEnemyRelaxed = 0;
  float visibleFrom = 0.0f;
  bool posture = false;
  bool passenger = false;
  bool inRange = true;
  // Counted calls.
  int32_t damageCalls = 0;
  int32_t drawCalls = 0;
  mutable int32_t rateOfFireCalls = 0;
  mutable int32_t lastRateOfFireMode = -1;
  int32_t randomizeCalls = 0;
  int32_t animationCalls = 0;
  int32_t leaveCalls = 0;
  mutable int32_t bestEnemyCalls = 0;
};
