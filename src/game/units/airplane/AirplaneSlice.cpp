// The aircraft's turn: the per-slice state machine, the choice of attack kind and target, the
// attack passes and the readiness its arrival gives the units below.
#include <algorithm>
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/airplane/Airplane.h"
#include "game/units/ports/UnitBattleQueries.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/tables/Hack.h"

namespace {

constexpr int32_t kSoundDelay = 400;
constexpr int32_t kApproachSound = 800;
constexpr int32_t kAircraftSoundKind = 24;
constexpr float kRunSpeed = 2.8f;
constexpr float kLead = 265.0f;

// The sound of the attack kind; another kind is a programmer error.
int16_t AttackSound(int32_t attackKind) {
  switch (attackKind) {
    case Airplane::kBombs: return 803;
    case Airplane::kRockets: return 804;
    case Airplane::kCannon: return 802;
    case Airplane::kMachineGuns: return 801;
    default: FatalError(164, kAirplaneFile);
  }
}

}  // namespace

void Airplane::UpdateSlice(int32_t) {
  const int32_t s = sliceCounter;
  if (s == 0) {
    StartTurn();
    return;
  }
  if (s == 1) {
    arrivalSlice = state == kInboundNoAttack || state == kInbound ? (Random(33) + 1) * 40 : kNotThisTurn;
    return;
  }
  if (state == kInboundNoAttack || state == kInbound) {
    if (s == arrivalSlice) Arrive();
    return;
  }
  if (state != kAttacking && state != kDamaged) return;
  MoveAlongWaypoints();
  if (s == arrivalSlice + kFirstPass) {
    sortiesFlown = static_cast<int8_t>(std::min(sortiesFlown + 1, 127));
    if (state == kAttacking) DeliverAttack();
  } else if (s == arrivalSlice + kSecondPass) {
    if (state == kAttacking && (attackKind == kCannon || attackKind == kMachineGuns)) DeliverAttack();
  } else if (s >= arrivalSlice + kDeparture) {
    const Map* map = UnitBattleMap();
    if (map == nullptr || !map->IsOnMap(x, y)) Leave();
  }
}

void Airplane::StartTurn() {
  damageAtTurnStart = damage;
  const UnitServices* services = GetUnitServices();
  const MapBattleServices* battle = UnitBattle();
  if (services != nullptr && services->GetCurrentTurn() == 1) {
    const int32_t roll = Random(100);
    const bool dark = battle != nullptr && (battle->GetTimeOfDay() != 0 || battle->GetWeather() != 0);
    if (roll < 10 || dark) state = kGone;
  }
  x = kParkedX;
  identificationLevel = 0;
  gRedraw = 1;
  switch (state) {
    case kWaiting: {
      // At least one turn, so that a battle of no turns cannot divide by zero.
      const int32_t last = services != nullptr ? services->GetLastTurn() : 30;
      const int32_t turns = std::max(1, std::min(last, 40));
      if (RandomFloat() < 3.0f / static_cast<float>(turns)) state = Random(4) == 0 ? kInbound : kInboundNoAttack;
      break;
    }
    case kInboundNoAttack: state = kInbound; break;
    case kInbound:
    case kAttacking:
    case kDamaged:
    case kLeaving:
      state = kInbound;
      if (sortiesFlown >= sortieLimit || damage >= 250) state = kGone;
      break;
    default: break;
  }
}

void Airplane::Arrive() {
  UnitSoundPacket packet;
  packet.slice = static_cast<int16_t>(UnitBattleSlice() + kSoundDelay);
  packet.sound = kApproachSound;
  packet.soundKind = kAircraftSoundKind;
  const Map* map = UnitBattleMap();
  const float cx = map != nullptr ? map->size.worldWidth * 0.5f : 0.0f;
  const float cy = map != nullptr ? map->size.worldHeight * 0.5f : 0.0f;
  for (size_t i = 0; i < 2; ++i) {
    packet.sidePosition[i] = {cx, cy, -100.0f};
    packet.audible[i] = 1;
  }
  if (state == kInbound) {
    if (!ChooseAttackTarget()) {
      state = kLeaving;
      if (Random(2) == 0) sortiesFlown = static_cast<int8_t>(std::min(sortiesFlown + 1, 127));
    } else {
      state = kAttacking;
      identificationLevel = 4;
      for (size_t i = 0; i < 2; ++i) packet.sidePosition[i][2] = -500.0f;
      packet.unit = this;
      packet.sound = AttackSound(attackKind);
      gRedraw = 1;
      const MapBattleServices* battle = UnitBattle();
      const int32_t count = battle != nullptr ? battle->GetUnitCount() : 0;
      for (int32_t i = 0; i < count; ++i) {
        if (Unit* unit = UnitOfView(battle->GetUnit(i))) RaiseReadiness(*unit);
      }
    }
  }
  if (UnitServices* services = GetUnitServices()) services->RecordSoundPacket(packet);
}

void Airplane::Leave() {
  state = kLeaving;
  x = kParkedX;
  speed = 0.0f;
  identificationLevel = 0;
  DropAsTargetOfAll(false, true, false);
  target = nullptr;
  gRedraw = 1;
}

void Airplane::ChooseAttackKind() {
  const int32_t group = GetKindGroup();
  const bool loaded = ordnance > 0;
  switch (group) {
    case 0: attackKind = loaded ? kBombs : kCannon; break;
    case 1:
    case 5: attackKind = loaded ? (Random(100) < 45 ? kRockets : kBombs) : kMachineGuns; break;
    case 2:
    case 3:
    case 4: attackKind = loaded ? (Random(100) < 60 ? kRockets : kBombs) : kCannon; break;
    default: FatalError(412, kAirplaneFile);
  }
  if (attackKind == kBombs) ordnance = static_cast<int8_t>(std::min<int32_t>(ordnance, 1));
}

bool Airplane::ChooseAttackTarget() {
  if (attackKind == kNotChosen || ordnance <= 0) ChooseAttackKind();
  // A damaged aircraft is choosier.
  float best = static_cast<float>(damage) * 0.0008333333535119891f * 15.0f + RandomFloatTimes(20.0f) + 0.1f;
  const bool friendlyFire = RandomFloat() < 0.15f;
  Unit* chosen = nullptr;
  const MapBattleServices* battle = UnitBattle();
  const int32_t count = battle != nullptr ? battle->GetUnitCount() : 0;
  for (int32_t i = 0; i < count; ++i) {
    Unit* unit = UnitOfView(battle->GetUnit(i));
    if (unit == nullptr) continue;
    const bool enemy = IsEnemy(*unit);
    if (!enemy && !friendlyFire) continue;
    float score = unit->GetAirAttackValue(attackKind);
    if (!enemy && unit->IsVehicle()) score *= 0.25f;
    if (unit == target && target->alive != 0) score *= 1.5f;
    if (score > best) {
      best = score;
      chosen = unit;
    }
  }
  if (chosen == nullptr) {
    target = nullptr;
    return false;
  }
  target = chosen;
  const float heading = chosen->facing * GMath::kRadiansPerDegree;
  aimX = chosen->x + kLead * chosen->speed * std::cos(heading);
  aimY = chosen->y + kLead * chosen->speed * std::sin(heading);
  ordnance = static_cast<int8_t>(std::max(ordnance - 1, 0));
  const VehicleServices* vehicle = chosen->IsVehicle() ? chosen->AsVehicle() : nullptr;
  if (chosen->IsInfantry() || (vehicle != nullptr && !vehicle->IsButtoned())) chosen->MaybeVoiceSound(11, 75, 2.0f, 5.0f);
  facing = RandomFloatTimes(360.0f);
  speed = kRunSpeed;
  const float back = (facing + 180.0f) * GMath::kRadiansPerDegree;
  const float distance = 400.0f * speed + 743.0f;
  x = aimX + distance * std::cos(back);
  y = aimY + distance * std::sin(back);
  return true;
}

void Airplane::DeliverAttack() {
  if (target == nullptr) return;
  const bool gun = attackKind == kCannon || attackKind == kMachineGuns;
  const int32_t n = gun ? 18 : 160;
  int32_t fireType = 0;
  int32_t weapon = 0;
  int32_t shots = 0;
  switch (attackKind) {
    case kBombs: fireType = 2; weapon = 100; shots = 2; break;
    case kRockets: fireType = 1; weapon = 101; shots = 4; break;
    case kCannon: fireType = 3; weapon = 102; shots = 1; break;
    case kMachineGuns: fireType = 0; weapon = 104; shots = 1; break;
    default: FatalError(484, kAirplaneFile);
  }
  UnitServices* services = GetUnitServices();
  const int32_t saved = UnitBattleSlice();
  for (int32_t shot = 0; shot < shots; ++shot) {
    UnitFirePacket packet = NewFirePacket(fireType, weapon, n, 0, static_cast<float>(n) * 110.0f);
    if (attackKind == kCannon && target->IsArmored(false)) {
      FireShell(packet, fireType, weapon, 1, n, n);
    } else {
      int32_t flight = n;
      int32_t due = n;
      ResolveShot(&packet, fireType, weapon, 2, 0, flight, due, target->x, target->y, target->GetBaseHeight());
    }
    if (services != nullptr) {
      services->RecordFirePacket(packet);
      services->SetCurrentSlice(saved + shot + 1);
    }
  }
  if (services != nullptr) services->SetCurrentSlice(saved);
}

void Airplane::RaiseReadiness(Unit& unit) {
  const int32_t weapon = unit.GetMainWeaponId();
  if (weapon == WeaponData::kNone || !gWeapons.IsValid(weapon) || gWeapons[weapon].Count() == 0) return;
  const auto v = static_cast<int32_t>((RandomFloatTimes(2.0f) + 5.0f) * 40.0f);
  if (unit.sliceCount < v) unit.sliceCount = v;
}
