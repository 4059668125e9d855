// The replay's effects on the screen: a fire packet's shot in flight, and the map's effect pass
// that draws them.
#include <cmath>
#include <memory>

#include "framework/core/GErrorLog.h"
#include "game/battle/Battle.h"
#include "game/battle/Packet.h"
#include "game/battle/screen/BattleEffectView.h"
#include "game/battle/screen/EphemeralShot.h"
#include "game/map/Heading.h"
#include "game/units/Unit.h"

void Battle::StartFireEffect(const Packet& packet) {
  const Packet::Fire& fire = packet.fire;
  // Packets come from saved games, e-mail turns and the peer: a code outside the table or a
  // point that is not finite makes no effect.
  if (fire.effectCode < 0 || fire.effectCode >= EphemeralShot::kCodes) {
    if (!replay.badCodeLogged) GErrorLog::LogValue("Fire effect of unknown code skipped:", fire.effectCode);
    replay.badCodeLogged = true;
    return;
  }
  if (!std::isfinite(packet.x) || !std::isfinite(packet.y) || !std::isfinite(packet.z) ||
      !std::isfinite(fire.targetX) || !std::isfinite(fire.targetY) || !std::isfinite(fire.targetZ)) {
    GErrorLog::LogValue("Fire effect with a point out of bounds skipped at slice", packet.timeSlice);
    return;
  }
  if (fire.effectCode >= EphemeralShot::kFirstFollowingCode && fire.shooter == nullptr) {
    GErrorLog::LogValue("Fire effect without its shooter skipped at slice", packet.timeSlice);
    return;
  }
  auto shot = std::make_unique<EphemeralShot>();
  shot->start = packet.timeSlice;
  shot->duration = fire.count;
  shot->originX = packet.x;
  shot->originY = packet.y;
  shot->originZ = packet.z;
  shot->shooter = fire.shooter;
  shot->targetX = fire.targetX;
  shot->targetY = fire.targetY;
  shot->targetZ = fire.targetZ;
  shot->raised = fire.firstFlag != 0;
  shot->code = fire.effectCode;
  shot->secondBurst = fire.thirdFlag != 0;
  shot->burstSize = fire.blast;
  shot->muzzleHeight = fire.speed;
  shot->heading = HeadingDegrees(fire.targetX - packet.x, fire.targetY - packet.y);
  shot->fixedSource = fire.effectCode < EphemeralShot::kFirstFollowingCode;
  shot->burst = fire.noFlight == 0 && fire.blast > 0.0f;
  // A shot seen by the enemy shows to both sides; one from a hidden shooter only to its own.
  const bool seen = fire.alwaysVisible != 0 || (fire.shooter != nullptr && fire.shooter->GetIdentificationLevel(false) > 0);
  shot->shownToBoth = seen && fire.count > 0;
  // A flame lasts twice its flight, at least 3 s, from the start: its end never depends on
  // whether it was drawn.
  if (shot->code == EphemeralShot::kFlameCode) shot->LengthenFlame();
  replay.effects.push_back(std::move(shot));
}

void Battle::DrawEffects(EffectView& view) {
  for (auto& effect : replay.effects) effect->Draw(replay.current, view);
}

void Battle::DrawEffects(Map& drawn) {
  if (replay.effects.empty()) return;
  BattleEffectView view(drawn);
  DrawEffects(view);
}
