#pragma once
#include <cstdint>
#include <string_view>

#include "game/units/tables/RecordView.h"

// One vehicle class of the built-in tables (260 bytes): names, crew, weapons, armour, the
// movement values and the drawing model.
class VehicleData : public RecordView {
 public:
  static constexpr uint32_t kSize = 260;
  // Broad classes shown while a vehicle is not yet identified, and the class a weapon's
  // armour computation builds its test vehicle from.
  static constexpr int32_t kBroadFortification = 222;
  static constexpr int32_t kBroadTruck = 223;
  static constexpr int32_t kBroadLightArmour = 224;
  static constexpr int32_t kBroadTank = 225;
  static constexpr int32_t kComputationClass = 226;
  // Armour entries: part 0 turret, 1 upper hull, 2 lower hull; facing 0 front, 1 side, 2 rear.
  static constexpr int32_t kArmourParts = 3;
  static constexpr int32_t kArmourFacings = 3;
  // Kind codes (KindCode).
  static constexpr int32_t kKindHalfTrack = 3;
  static constexpr int32_t kKindTracked = 4;
  static constexpr int32_t kKindBoat = 5;
  static constexpr int32_t kKindEmplacement = 6;

  using RecordView::RecordView;

  std::string_view Name() const { return Text(0, 35); }
  std::string_view ShortName() const { return Text(35, 19); }
  int16_t Weight() const { return I16(54); }
  uint8_t Crew() const { return U8(56); }
  int32_t Category() const { return I32(60); }
  // The vehicle type shown by the unit balloon and the purchase screen: text 5200 + the code (0-23).
  int32_t TypeCode() const { return I32(64); }
  int32_t MainWeapon() const { return I32(68); }
  int8_t AmmoRow() const { return I8(72); }
  int16_t AmmoLoad() const { return I16(74); }
  int32_t Value76() const { return I32(76); }
  int32_t TurretSpeedClass() const { return I32(80); }
  // The two traverse limits in degrees of a turretless gun (the first negative for a gun
  // that points to the rear).
  int16_t TraverseLimit(int32_t i) const { return I16(84 + 2 * i); }  // i 0..1
  int32_t BowMachineGun() const { return I32(88); }
  int32_t CoaxialMachineGun() const { return I32(92); }
  uint8_t CoaxialCount() const { return U8(96); }
  uint8_t Value97() const { return U8(97); }
  int32_t ThirdMachineGun() const { return I32(100); }
  uint8_t ThirdCount() const { return U8(104); }
  uint8_t ThirdIsRemote() const { return U8(105); }
  uint8_t Extra(int32_t i) const { return U8(106 + i); }  // i 0..2
  int16_t MaxSpeed() const { return I16(110); }
  int32_t KindCode() const { return I32(112); }
  int16_t EnginePower() const { return I16(116); }
  // The base ground pressure (psi) of a tracked class; 0 for the other kinds.
  float BaseGroundPressure() const { return F32(120); }
  uint8_t TurretByte() const { return U8(124); }
  int16_t ArmourThickness(int32_t part, int32_t facing) const { return I16(ArmourOffset(part, facing)); }
  int16_t ArmourSlope(int32_t part, int32_t facing) const { return I16(ArmourOffset(part, facing) + 2); }
  // The lower hull's front thickness: above 0 the vehicle is armoured.
  int16_t MainArmour() const { return I16(140); }
  int16_t TopArmour(int32_t i) const { return I16(168 + 2 * i); }  // i 0..1
  int32_t DrawVariant() const { return I32(192); }
  int32_t TransportClass() const { return I32(200); }
  int8_t PassengerPlaces() const { return I8(204); }
  uint8_t RidersProtected() const { return U8(205); }
  float Size() const { return F32(208); }
  uint16_t Flags() const { return U16(212); }
  int32_t Value216() const { return I32(216); }
  // Set for the classes the purchase screens list as Armor rather than Vehicle.
  uint8_t ArmourPage() const { return U8(244); }
  int32_t Value248() const { return I32(248); }
  // 0 none; 1, 2 and 3 smoke dischargers (3 also a close-defence launcher).
  int32_t SmokeEquipment() const { return I32(252); }
  int32_t ModelIndex() const { return I32(256); }
  // ---- Buying ----
  // The dates it may be bought (YYMM), the choice weights as attacker (0) and defender (1),
  // the in-use byte and the force codes that field it.
  int16_t FirstDate() const { return I16(220); }
  int16_t LastDate() const { return I16(222); }
  int32_t ChoiceWeight(int32_t i) const { return I32(224 + 4 * (i & 1)); }
  uint8_t InUse() const { return U8(232); }
  uint8_t ForceCount() const { return U8(233); }
  uint8_t Force(int32_t i) const { return U8(234 + i); }  // i 0..3
  static constexpr int32_t kMaxForces = 4;
  // ---- End of buying ----

  // The nine plates are kept facing by facing, each facing as turret, upper hull, lower hull.
  static constexpr int32_t ArmourOffset(int32_t part, int32_t facing) { return 132 + 4 * (facing * 3 + part); }
};
