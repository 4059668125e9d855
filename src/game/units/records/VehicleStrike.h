#pragma once
#include <cstdint>

class Unit;

// A round, blast or close assault as it reaches a vehicle: what the battle's shot step knows
// of the shot, and what the vehicle answers back beside its own state (the battle's hit flags
// and the replay's deflected round). The battle fills it from its shot before the impact and
// reads the answers after it.
struct VehicleStrike {
  int32_t fireKind = 1;  // 0..8; 6 flame
  int32_t weapon = 0;
  int32_t ammoKind = 1;  // 0 HE, 1 AP, 2 tungsten, 3 hollow charge
  // The point the angles are taken from, and where the shot is now (blast distance).
  float startX = 0.0f;
  float startY = 0.0f;
  float startZ = 0.0f;
  float currentX = 0.0f;
  float currentY = 0.0f;
  // The shot's strength (its GetStrength) and the value its kill chance is worked from.
  float strength = 0.0f;
  float killValue = 0.0f;
  bool fromAbove = false;  // plunging fire: no hull down, likelier weak points
  bool topHit = false;
  bool screened = false;
  // Close assault: 0 none, else the special-attack code, the unit aimed at and the attacker.
  int32_t specialCode = 0;
  Unit* aimedAt = nullptr;
  Unit* attacker = nullptr;
  // The unit the shot was fired at (blast: the unit the burst was meant for), and the firer,
  // whose kill record counts the vehicle should it end.
  Unit* target = nullptr;
  Unit* shooter = nullptr;
  // The replay has a fire packet that draws this shot's flight.
  bool hasFirePacket = true;

  // ---- Answers ----

  // The battle's hit flags of this impact.
  struct Flags {
    bool immobilized = false;
    bool gunDestroyed = false;
    bool penetrated = false;
    bool brokeUp = false;
    bool ricochet = false;
    bool weakPoint = false;
    bool flaking = false;
  } flags;
  // The fire packet is marked struck, and the round goes on as a deflected shell (false) or
  // as fragments (true) when ricochetPackets is set.
  bool packetStruck = false;
  bool ricochetPackets = false;
  bool ricochetShatter = false;
};
