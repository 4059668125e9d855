#include "game/ai/AIPlanProfile.h"

#include <chrono>

double AIPlanProfile::seconds[AIPlanProfile::kPhases] = {};
int64_t AIPlanProfile::scorePositionCalls = 0;
int64_t AIPlanProfile::routesOutOfNodes = 0;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int32_t kDepth = 32;
AIPlanProfile::Phase gStack[kDepth];
int32_t gDepth = 0;
Clock::time_point gMark;

// The time since the last mark goes to the phase running now.
void Charge(Clock::time_point now) {
  if (gDepth > 0 && gDepth <= kDepth) {
    AIPlanProfile::seconds[gStack[gDepth - 1]] += std::chrono::duration<double>(now - gMark).count();
  }
  gMark = now;
}

}  // namespace

void AIPlanProfile::Reset() {
  for (double& s : seconds) s = 0.0;
  scorePositionCalls = 0;
  routesOutOfNodes = 0;
}

AIPlanProfile::Scope::Scope(Phase phase) {
  Charge(Clock::now());
  if (gDepth < kDepth) gStack[gDepth] = phase;
  ++gDepth;
}

AIPlanProfile::Scope::~Scope() {
  Charge(Clock::now());
  --gDepth;
}
