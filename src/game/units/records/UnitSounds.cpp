// The sounds a unit leaves in the action's record: gunfire, explosions, its own noises and
// the shouts of its men. Each side hears a sound from where it believes the unit to be, and
// only when it could know of it.
#include <algorithm>
#include <array>
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"

namespace {

struct SoundRange {
  int16_t low;
  int16_t high;
};

// Gunfire reports by small-arms entry 0..28.
constexpr std::array<SoundRange, 29> kSmallArmsSounds = {{
    {400, 400}, {401, 405}, {401, 405}, {401, 405}, {401, 405}, {450, 451}, {460, 462}, {460, 462},
    {460, 462}, {435, 435}, {420, 421}, {420, 421}, {445, 446}, {445, 446}, {420, 421}, {420, 421},
    {420, 421}, {440, 442}, {445, 446}, {440, 442}, {420, 421}, {420, 421}, {420, 421}, {420, 421},
    {470, 473}, {430, 431}, {430, 431}, {430, 431}, {430, 431},
}};

constexpr std::array<SoundRange, 5> kExplosionSounds = {{{200, 202}, {209, 213}, {219, 221}, {228, 230}, {231, 231}}};
constexpr std::array<float, 5> kExplosionSizes = {0.1f, 0.38f, 0.84f, 1.21f, 1.58f};
constexpr std::array<int16_t, 5> kExplosionKinds = {9, 13, 13, 13, 15};

constexpr std::array<int32_t, 6> kVoiceBase = {2000, 1000, 6000, 0, 3000, 4000};
constexpr int8_t kVoiceRanges[6][15] = {
    {8, 8, 6, 8, 4, 3, 3, 2, 4, 2, 4, 2, 4, 2, 3},
    {10, 10, 7, 10, 4, 6, 6, 3, 6, 2, 4, 2, 9, 4, 8},
    {9, 8, 4, 5, 4, 4, 6, 3, 4, 2, 5, 2, 9, 3, 4},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {8, 5, 5, 8, 5, 4, 4, 2, 3, 2, 4, 2, 6, 1, 3},
    {10, 8, 3, 5, 4, 5, 4, 3, 4, 1, 4, 1, 7, 1, 5},
};

int16_t DrawSound(const SoundRange& range) { return static_cast<int16_t>(range.low + Random(range.high - range.low + 1)); }

// A packet heard at the current slice plus the delay.
UnitSoundPacket NewPacket(int32_t delay) {
  UnitSoundPacket packet;
  const MapBattleServices* battle = UnitBattle();
  const int32_t slice = battle != nullptr ? battle->GetCurrentSlice() : 0;
  packet.slice = static_cast<int16_t>(slice + delay + Unit::gSoundDelay);
  return packet;
}

void File(const UnitSoundPacket& packet) {
  if (UnitServices* services = GetUnitServices()) services->RecordSoundPacket(packet);
}

// Per side (entry 0 the side passed as true): where it hears the unit from.
void SidePositions(const Unit& unit, UnitSoundPacket& packet) {
  for (int32_t i = 0; i < 2; ++i) {
    float px = 0.0f;
    float py = 0.0f;
    float pz = 0.0f;
    unit.GetShownPositionFor(i == 0, px, py, &pz);
    packet.sidePosition[static_cast<size_t>(i)] = {px, py, pz};
  }
}

// The explosion class 0..4 of a blast value; -1 is class 0 without size.
int32_t ExplosionClass(float v) {
  if (v < 1.8f) return -1;
  if (v < 4.0f) return 0;
  if (v < 5.5f) return Random(3) == 0 ? 1 : 0;
  if (v < 10.0f) return Random(2) == 0 ? 1 : 0;
  if (v < 18.0f) return 1;
  if (v < 26.0f) return Random(2) == 0 ? 2 : 1;
  if (v < 45.0f) return 2;
  if (v < 75.0f) return Random(2) == 0 ? 3 : 2;
  if (v < 125.0f) return 3;
  return 4;
}

}  // namespace

void Unit::NewGunfireSoundPacket(int32_t fireType, int32_t weapon, float distance) {
  int32_t delay = 0;
  int16_t soundKind = 16;
  int16_t sound = 0;
  float size = 0.0f;
  if (fireType == 0) {
    soundKind = 10;
    delay = 24;
    int32_t entry = 1;
    if (IsVehicle()) {
      entry = AsVehicle()->GetSmallArmsEntry();
    } else if (IsInfantry()) {
      const InfantryData data = AsInfantry()->GetClassData();
      const int32_t slots = data.WeaponSlotCount();
      if (slots < 0 || slots > InfantryData::kWeaponSlots) FatalError(__LINE__, "Unit.cpp");
      std::array<int32_t, InfantryData::kWeaponSlots> weights{};
      int32_t total = 0;
      const bool moving = IsMoving();
      for (int32_t i = 0; i < slots; ++i) {
        const int32_t index = data.SlotSmallArms(i);
        if (!gSmallArms.IsValid(index)) continue;
        const SmallArmsData arms = gSmallArms[index];
        int32_t w = 0;
        const int32_t armourClass = arms.AntiArmourClass();
        if (!(static_cast<float>(arms.MaxRange()) < distance) && !(moving && armourClass == 0)) {
          w = data.SlotMen(i) * arms.PerMan();
          if (moving && armourClass != 3) w = (w + 1) / 2;
        }
        weights[static_cast<size_t>(i)] = w;
        total += w;
      }
      if (total > 0) {
        int32_t pick = Random(total);
        for (int32_t i = slots - 1; i >= 0; --i) {
          pick -= weights[static_cast<size_t>(i)];
          if (pick < 0) {
            entry = data.SlotSmallArms(i);
            break;
          }
        }
      }
    }
    if (entry < 0 || entry >= static_cast<int32_t>(kSmallArmsSounds.size())) FatalError(__LINE__, "Unit.cpp");
    if (entry >= 25) soundKind = 11;
    sound = DrawSound(kSmallArmsSounds[static_cast<size_t>(entry)]);
  } else {
    if (fireType == 6) delay = 30;
    if (fireType == 7) delay = 24;
    if (gWeapons.IsValid(weapon)) {
      const WeaponData w = gWeapons[weapon];
      sound = w.Sound();
      if ((fireType == 2 || fireType == 3) && (w.Flags() & 1) == 0) size = w.Calibre() * 0.0022f;
    }
    if (fireType == 4) soundKind = 4;
  }
  if (sound == 0) return;
  UnitSoundPacket packet = NewPacket(delay);
  packet.sound = sound;
  packet.soundKind = soundKind;
  packet.size = size;
  SidePositions(*this, packet);
  for (int32_t i = 0; i < 2; ++i) {
    const int32_t known = GetIdentificationLevelFor(i == 0, false);
    packet.audible[static_cast<size_t>(i)] = fireType == 4 && known < 3 ? 0 : 1;
    if (known == 0) {
      // Gunfire from an unseen firer is placed only roughly.
      auto& at = packet.sidePosition[static_cast<size_t>(i)];
      at[0] += static_cast<float>(Random(201) - 100);
      at[1] += static_cast<float>(Random(201) - 100);
      at[2] -= 200.0f;
    }
  }
  File(packet);
}

UnitSoundPacket Unit::NewExplosionPacket(int32_t delay, int32_t weapon, int32_t ammoKind, float px, float py) {
  int32_t explosionClass;
  if (weapon == 97) {
    explosionClass = -1;
  } else if (weapon == 99) {
    explosionClass = -2;
  } else if (weapon == WeaponData::kNone) {
    explosionClass = 2;
  } else if (ammoKind == 1 || ammoKind == 2 || ammoKind == 4) {
    explosionClass = 0;
  } else {
    const int32_t kind = std::clamp(ammoKind, 0, WeaponData::kKinds - 1);
    float v = gWeapons.IsValid(weapon) ? gWeapons[weapon].Mass(kind) : 0.0f;
    if (kind == 3) v *= 0.75f;
    explosionClass = ExplosionClass(v);
  }
  // -1 is class 0 and -2 class 2, both without size.
  const bool sized = explosionClass >= 0;
  const int32_t c = explosionClass == -1 ? 0 : (explosionClass == -2 ? 2 : explosionClass);
  UnitSoundPacket packet = NewPacket(delay);
  packet.sound = DrawSound(kExplosionSounds[static_cast<size_t>(c)]);
  packet.soundKind = kExplosionKinds[static_cast<size_t>(c)];
  packet.size = sized ? kExplosionSizes[static_cast<size_t>(c)] : 0.0f;
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  float pz = map != nullptr ? map->ElevationAt(px, py) : 0.0f;
  if (!std::isnan(gExplosionHeight)) pz = gExplosionHeight;
  for (size_t i = 0; i < 2; ++i) {
    packet.sidePosition[i] = {px, py, pz};
    packet.audible[i] = 1;
  }
  File(packet);
  return packet;
}

UnitSoundPacket Unit::NewSoundPacket(int32_t soundKind) {
  UnitSoundPacket packet = NewPacket(0);
  packet.soundKind = static_cast<int16_t>(soundKind);
  switch (soundKind) {
    case 5:
      packet.sound = 300;
      packet.attached = 1;
      packet.unit = this;
      if (sliceCounter == 0) packet.slice = static_cast<int16_t>(packet.slice + Random(40));
      break;
    case 7: {
      const VehicleServices* vehicle = IsVehicle() ? AsVehicle() : nullptr;
      if (vehicle == nullptr) FatalError(__LINE__, "Unit.cpp");
      packet.sound = vehicle->IsButtoned() ? 701 : 702;
      break;
    }
    case 8: packet.sound = static_cast<int16_t>(710 + Random(2)); break;
    case 14: packet.sound = static_cast<int16_t>(900 + Random(5)); break;
    case 17: packet.sound = 700; break;
    case 18:
      packet.sound = static_cast<int16_t>(310 + RandomOneTo(2));
      packet.slice = static_cast<int16_t>(packet.slice + 20);
      break;
    case 19: packet.sound = static_cast<int16_t>(320 + Random(3)); break;
    case 20:
      packet.sound = 323;
      packet.soundKind = 19;
      break;
    case 21: packet.sound = 330; break;
    default: FatalError(__LINE__, "Unit.cpp");
  }
  SidePositions(*this, packet);
  for (int32_t i = 0; i < 2; ++i) {
    packet.audible[static_cast<size_t>(i)] = soundKind == 5 || GetIdentificationLevelFor(i == 0, false) != 0 ? 1 : 0;
  }
  File(packet);
  return packet;
}

void Unit::MaybeVoiceSound(int32_t situation, int32_t chance, float earliest, float latest) {
  if (IsAirplane() || IsInanimate()) return;
  if (!(Random(100) < chance)) return;
  if (situation < 0 || situation > 14) FatalError(__LINE__, "Unit.cpp");
  int32_t group = std::clamp(GetKindGroup(), 0, 5);
  const int32_t base = kVoiceBase[static_cast<size_t>(group == 3 ? 1 : group)];
  int32_t sound = 0;
  if (situation == 3 && Random(100) < 40) {
    sound = 500 + Random(11);
  } else {
    const int32_t n = kVoiceRanges[group][situation];
    if (n < 1) return;
    sound = base + Random(n) + 10 * situation;
  }
  const auto a = static_cast<int32_t>(std::lround(40.0f * earliest));
  const auto b = static_cast<int32_t>(std::lround(40.0f * latest));
  const int32_t delay = a + Random(std::max(b - a + 1, 1));
  UnitSoundPacket packet = NewPacket(delay);
  packet.sound = static_cast<int16_t>(sound);
  packet.soundKind = 6;
  SidePositions(*this, packet);
  const int32_t needed = situation == 3 ? 4 : 1;
  for (int32_t i = 0; i < 2; ++i) {
    packet.audible[static_cast<size_t>(i)] = GetIdentificationLevelFor(i == 0, false) >= needed ? 1 : 0;
  }
  File(packet);
}
