// The battle's packets: making them, storing the list, playing one, smoke clouds, ricochets
// and the sounds of the action as the record queues them (the screen starts them:
// screen/BattleScreenSound.cpp).
#include <algorithm>
#include <cmath>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleShot.h"
#include "game/battle/Packet.h"
#include "game/battle/PacketList.h"
#include "game/battle/ReplayScreen.h"
#include "game/map/Map.h"
#include "game/map/MapPacket.h"
#include "game/map/SmokeCloud.h"
#include "game/units/Unit.h"
#include "game/units/records/UnitFirePacket.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

MapPacket ToMapPacket(const Packet& p) {
  MapPacket m;
  m.kind = p.kind;
  m.x = p.x;
  m.y = p.y;
  m.z = p.z;
  if (p.kind == Packet::kCrater) {
    m.size = p.crater.size;
    m.rotation = p.crater.rotation;
    m.depth = p.crater.tilt;
    m.flag = p.crater.lasting;
  } else if (p.kind == Packet::kBuildingState) {
    m.size = p.building.damage;
    m.flag = p.building.destroyed;
  }
  return m;
}

GGroup* SmokeList(const Battle& battle) { return battle.map != nullptr ? battle.map->objects.smallObjects : nullptr; }

// The cloud at exactly the packet's point, or null.
SmokeCloud* CloudAt(const Battle& battle, const Packet& packet) {
  GGroup* list = SmokeList(battle);
  if (list == nullptr) return nullptr;
  for (int32_t i = 0; i < list->Count(); ++i) {
    auto* cloud = static_cast<SmokeCloud*>(list->GetItem(i));
    if (cloud->x == packet.x && cloud->y == packet.y) return cloud;
  }
  return nullptr;
}

}  // namespace

Packet* Battle::NewPacket(int32_t delay) {
  auto* packet = new Packet;
  const int32_t slice = currentSlice + delay;
  packet->timeSlice = static_cast<int16_t>(slice < 1 ? 0 : slice);
  packets.Append(packet);
  return packet;
}

int32_t Battle::LastPacketSlice(bool exact) const {
  if (packets.Count() == 0) return 2400;
  const int32_t last = static_cast<const Packet*>(packets.GetItem(packets.Count() - 1))->timeSlice;
  return !exact && last < 2400 ? 2400 : last;
}

void Battle::WritePackets(GFile& file) const { PacketList::Write(file, packets); }

bool Battle::ReadPackets(GFile& file) {
  if (!PacketList::Read(file, packets)) return false;
  replay.soundEvents.clear();
  replay.cursor = 0;
  return true;
}

void Battle::SortPackets() { PacketList::Sort(packets); }

void Battle::ThinSoundPackets(int32_t budget) {
  replay.soundEvents.clear();
  PacketList::ThinSounds(packets, budget);
}

void Battle::PlayPacket(Packet& packet) {
  if (!(replay.previous < packet.timeSlice && packet.timeSlice <= replay.current)) return;
  switch (packet.kind) {
    case Packet::kUnitState:
      if (packet.state.unit != nullptr) packet.state.unit->ApplyStatePacket(packet.state);
      break;
    case Packet::kFire:
      StartFireEffect(packet);
      break;
    case Packet::kSound:
      if (replay.seeking && packet.sound.looped == 0) break;
      QueueSoundEvent(packet);
      break;
    case Packet::kTileIgnites:
      if (map != nullptr) map->IgniteTile(packet.x, packet.y, false);
      break;
    case Packet::kBuildingCollapse:
      if (map != nullptr) map->CollapseBuildingAt(packet.x, packet.y, packet.timeSlice);
      break;
    case Packet::kSmokePlaced:
      AddSmokeCloud(packet);
      break;
    case Packet::kSmokeCleared:
      RemoveSmokeCloudAt(packet);
      break;
    case Packet::kCrater:
      if (map != nullptr) map->ApplyCraterPacket(ToMapPacket(packet));
      break;
    case Packet::kCraterRemoved:
      if (map != nullptr) map->RemoveTemporaryCrater(ToMapPacket(packet));
      break;
    case Packet::kCraterRevealed:
      if (map != nullptr) map->RevealCrater(packet.x, packet.y);
      break;
    case Packet::kBuildingState:
      if (map != nullptr) map->ApplyBuildingStatePacket(ToMapPacket(packet));
      break;
    case Packet::kHitReport:
      PlayHitReport(packet);
      break;
    case Packet::kSmokeUpdate:
      SetSmokeCloudTime(packet);
      break;
    default:
      GErrorLog::LogValue("Packet of unknown kind not played:", packet.kind);
      break;
  }
}

void Battle::PlayHitReport(const Packet& packet) {
  auto* vehicle = packet.hit.vehicle != nullptr ? packet.hit.vehicle->AsVehicleUnit() : nullptr;
  if (vehicle == nullptr) return;
  Vehicle::HitReport report;
  report.part = packet.hit.part;
  report.crewHits = packet.hit.menLost;
  const auto& f = packet.hit.flags;
  report.immobilized = f[0];
  report.damaged = f[1];
  report.penetration = f[2];
  report.brokeUp = f[3];
  report.ricochet = f[4];
  report.weakPoint = f[5];
  report.flaking = f[6];
  vehicle->SetHitReport(report, packet.hit.facing, packet.timeSlice);
}

void Battle::AddSmokeCloud(const Packet& packet) {
  GGroup* list = SmokeList(*this);
  if (list == nullptr) return;
  list->Append(new SmokeCloud(packet.x, packet.y, packet.smoke.startSlice, packet.smoke.lifetime, packet.smoke.radius));
}

void Battle::RemoveSmokeCloudAt(const Packet& packet) {
  SmokeCloud* cloud = CloudAt(*this, packet);
  if (cloud == nullptr) {
    GErrorLog::LogValue("Smoke to clear not found, skipped at slice", packet.timeSlice);
    return;
  }
  SmokeList(*this)->RemoveObject(cloud, true);
}

void Battle::SetSmokeCloudTime(const Packet& packet) {
  SmokeCloud* cloud = CloudAt(*this, packet);
  if (cloud == nullptr) {
    GErrorLog::LogValue("Smoke to update not found, skipped at slice", packet.timeSlice);
    return;
  }
  cloud->lifetime = packet.smoke.lifetime;
  cloud->startSlice = 0;
}

void Battle::MakeRicochetPackets(const Packet& fire, bool heavy) {
  const Packet::Fire& f = fire.fire;
  const float dx = f.targetX - fire.x;
  const float dy = f.targetY - fire.y;
  const float dz = f.targetZ - fire.z;
  const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
  const float factor = (heavy ? 0.06f : 0.1f) * d / static_cast<float>(f.count != 0 ? f.count : 1);
  const float angle = static_cast<float>(Random(360)) * 3.14159265f / 180.0f;
  const float rx = RandomFloat() * 400.0f * std::cos(angle);
  const float ry = RandomFloat() * 400.0f * std::sin(angle);
  float ex = f.targetX + rx;
  float ey = f.targetY + ry;
  float ez = f.targetZ + 40.0f * factor;
  const int32_t n = heavy ? 3 + Random(4) : 1;
  for (int32_t i = 0; i < n; ++i) {
    Packet* p = NewPacket(0);
    p->kind = Packet::kFire;
    p->x = f.targetX;
    p->y = f.targetY;
    p->z = f.targetZ;
    p->fire = Packet::Fire{};
    p->fire.targetX = ex;
    p->fire.targetY = ey;
    p->fire.targetZ = ez;
    p->fire.effectCode = static_cast<int16_t>(heavy ? 4 : 3);
    p->fire.count = 40;
    p->fire.alwaysVisible = 1;
    p->fire.noFlight = 1;
    p->fire.speed = 0.0f;
    ex += RandomFloatTimes(300.0f) - 150.0f;
    ey += RandomFloatTimes(300.0f) - 150.0f;
    ez += RandomFloatTimes(300.0f) - 150.0f;
  }
}

void Battle::QueueSoundEvent(Packet& packet) {
  if (packet.sound.audible[viewingSide & 1] != 0) replay.soundEvents.push_back(&packet);
}

void Battle::RecordPacket(const MapPacket& m) {
  Packet* p = NewPacket(m.delay);
  p->kind = m.kind;
  p->x = m.x;
  p->y = m.y;
  p->z = m.z;
  if (m.kind == Packet::kCrater) {
    p->crater.size = m.size;
    p->crater.rotation = m.rotation;
    p->crater.tilt = m.depth;
    p->crater.lasting = m.flag;
  } else if (m.kind == Packet::kBuildingState) {
    p->building.damage = m.size;
    p->building.destroyed = m.flag;
  } else if (m.kind == Packet::kSound) {
    p->sound.source = UnitOfView(m.sound.source);
    p->sound.number = m.sound.number;
    p->sound.soundKind = m.sound.kind;
    p->sound.parameter = m.sound.parameter;
    for (size_t side = 0; side < 2; ++side) {
      for (size_t i = 0; i < 3; ++i) p->sound.position[side][i] = m.sound.position[side][i];
      p->sound.audible[side] = m.sound.audible[side];
    }
    p->sound.looped = m.sound.looped;
  }
}

Packet* Battle::RecordUnitState(const UnitStatePacket& state) {
  Packet* p = NewPacket(state.slice - currentSlice);
  const auto slice = p->timeSlice;
  // The class extras the stored form writes come from the snapshot too: a packet sent to the
  // other machine or saved replays as the one recorded here.
  p->SetUnitState(state);
  p->timeSlice = slice;
  p->state.slice = slice;
  return p;
}

Packet* Battle::RecordUnitSound(const UnitSoundPacket& sound) {
  Packet* p = NewPacket(sound.slice - currentSlice);
  p->kind = Packet::kSound;
  if (sound.unit != nullptr) {
    p->x = sound.unit->x;
    p->y = sound.unit->y;
  }
  p->sound.source = sound.unit;
  p->sound.number = static_cast<uint16_t>(sound.sound);
  p->sound.soundKind = sound.soundKind;
  p->sound.parameter = sound.size;
  p->sound.looped = sound.attached;
  for (size_t side = 0; side < 2; ++side) {
    for (size_t i = 0; i < 3; ++i) p->sound.position[side][i] = sound.sidePosition[side][i];
    p->sound.audible[side] = sound.audible[side];
  }
  return p;
}

Packet* Battle::RecordUnitFire(const UnitFirePacket& fire) {
  Packet* p = NewPacket(fire.slice - currentSlice);
  p->kind = Packet::kFire;
  p->x = fire.x;
  p->y = fire.y;
  p->z = fire.z;
  p->fire = Packet::Fire{};
  p->fire.shooter = fire.shooter;
  p->fire.target = fire.targetUnit;
  if (fire.landed != 0) {
    p->fire.targetX = fire.impactX;
    p->fire.targetY = fire.impactY;
    p->fire.targetZ = fire.impactZ;
  } else if (fire.targetUnit != nullptr) {
    p->fire.targetX = fire.targetUnit->x;
    p->fire.targetY = fire.targetUnit->y;
    p->fire.targetZ = fire.targetUnit->GetBaseHeight();
  } else {
    p->fire.targetX = fire.targetX;
    p->fire.targetY = fire.targetY;
    p->fire.targetZ = fire.targetZ;
  }
  p->fire.blast = fire.blastValue;
  p->fire.count = fire.count;
  p->fire.effectCode = fire.effectCode;
  p->fire.speed = fire.speedFactor;
  p->fire.noFlight = fire.typeSixFlag;
  p->fire.thirdFlag = fire.bodyHit;
  p->fire.alwaysVisible = fire.originShown;
  // The shots are the lists' newest; one no longer there (a list emptied meanwhile) is passed by.
  const auto held = [](const GObjectGroup& list, const BattleShot* shot, int32_t newest) {
    for (int32_t i = list.Count() - 1; i >= 0 && i >= list.Count() - newest; --i) {
      if (list.GetItem(i) == shot) return true;
    }
    return false;
  };
  const int32_t newest = static_cast<int32_t>(shotsAwaitingPacket.size());
  for (BattleShot* shot : shotsAwaitingPacket) {
    if ((held(shots, shot, newest) || held(laterShots, shot, newest)) && shot->shooter == fire.shooter) {
      shot->firePacket = p;
    }
  }
  shotsAwaitingPacket.clear();
  return p;
}

void Battle::LogPacketStatistics() const {
  const int32_t count = packets.Count();
  GErrorLog::LogValue("Number of packets =", count);
  GErrorLog::LogValue("Each packet has size =", Packet::kNominalSize);
  const uint32_t bytes = static_cast<uint32_t>(count) * static_cast<uint32_t>(Packet::kNominalSize);
  GErrorLog::LogValue("Total memory (K) =", static_cast<int32_t>(bytes >> 10));
}
