#pragma once
#include <cstdint>
#include <string_view>

#include "game/units/tables/RecordView.h"

// One infantry class of the built-in tables (156 bytes): names, men, the main weapon, up to
// four small-arms slots and the figures that draw it.
class InfantryData : public RecordView {
 public:
  static constexpr uint32_t kSize = 156;
  static constexpr int32_t kWeaponSlots = 4;
  static constexpr int32_t kFigureSlots = 3;
  // The figure class of vehicle crews drawn beside their vehicle: no base marker.
  static constexpr int32_t kFigureClass = 242;

  using RecordView::RecordView;

  std::string_view Name() const { return Text(0, 32); }
  std::string_view ShortName() const { return Text(32, 18); }
  uint8_t IsSquad() const { return U8(50); }
  uint8_t Demolition() const { return U8(51); }
  int8_t LeaderLevel() const { return I8(52); }
  int16_t Men() const { return I16(54); }
  int32_t MainWeapon() const { return I32(56); }
  int8_t AmmoRow() const { return I8(60); }
  int16_t WeaponSlotCount() const { return I16(62); }
  uint8_t MenCheck() const { return U8(64); }
  int32_t SlotSmallArms(int32_t slot) const { return I32(68 + 4 * slot); }  // slot 0..3
  int16_t SlotMen(int32_t slot) const { return I16(84 + 2 * slot); }
  int32_t FigureKind(int32_t slot) const { return I32(92 + 4 * slot); }   // slot 0..2
  int16_t Ordnance() const { return I16(104); }
  int16_t AmmoLoad() const { return I16(106); }
  int32_t SpeedClass() const { return I32(108); }
  int32_t ClassCode() const { return I32(112); }
  // Flag word: bit value 1 quadruples the fatigue of running, 2 shortens the weapon set-up.
  int32_t Flags() const { return I32(116); }
  // Small-arms firepower is scaled by this value / 60.
  int16_t FirepowerScale() const { return I16(120); }
  int16_t Value152() const { return I16(152); }
  // ---- Buying ----
  // The five-valued kind (0..4), the dates it may be bought (YYMM), the choice weights as
  // attacker (0) and defender (1), and the force codes that field it.
  int32_t BuyKind() const { return I32(124); }
  int16_t FirstDate() const { return I16(128); }
  int16_t LastDate() const { return I16(130); }
  int32_t ChoiceWeight(int32_t i) const { return I32(132 + 4 * (i & 1)); }
  uint8_t ForceCount() const { return U8(140); }
  uint8_t Force(int32_t i) const { return U8(141 + i); }  // i 0..4
  static constexpr int32_t kMaxForces = 5;
  // ---- End of buying ----
};
