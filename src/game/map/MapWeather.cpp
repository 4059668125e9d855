// The weather pass of the battlefield frame: rain streaks or snow flakes falling through the
// blocks around the camera. One set of 500 particles, made once from the presentation's own
// generator, is laid into every block, so the cost does not grow with the map.
#include <algorithm>
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/GRandom.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"

namespace {

constexpr int32_t kRain = 2;
constexpr int32_t kSnow = 5;
constexpr int32_t kCycle = 12000;
constexpr float kBlock = 80.0f;

}  // namespace

float Map::WeatherParticleSize(float dx, float dy, bool snow, int32_t level) {
  constexpr float kFull = 0.13f;
  if (!(std::fabs(dx) < kBlock && std::fabs(dy) < kBlock)) return kFull;
  const float distance = std::sqrt(dx * dx + dy * dy);
  if (distance > kBlock) return kFull;
  const float exponent = snow ? (level == 0 ? 0.8f : 1.3f) : (level == 0 ? 0.5f : 0.85f);
  return std::pow(distance * 0.0125f, exponent) * kFull;
}

int64_t Map::WeatherElapsed(uint32_t ticks, bool snow, float fieldSize) {
  const uint64_t raw = snow ? static_cast<uint64_t>(ticks) : static_cast<uint64_t>(ticks) * 10u;
  const double scaled = std::trunc(static_cast<double>(raw) * (30.0 / static_cast<double>(fieldSize)));
  return static_cast<int64_t>(std::fmod(scaled, static_cast<double>(kCycle)));
}

void Map::DrawWeather() {
  GGraph3D* g = gGraph3D;
  if (g == nullptr || g->IsPickMode()) return;
  const int32_t option = FrameOption(12);
  const MapBattleServices* battle = app_->GetBattleOrOperation();
  const int32_t weather = battle != nullptr ? battle->GetWeather() : 0;
  const int32_t level = GetViewLevel();
  if (option == 0 || (weather != kRain && weather != kSnow) || level >= 4) return;

  const uint32_t now = TickCount();
  if (!overGround.particlesMade || now < overGround.particleStart) {
    GRandom& random = GRandom::Presentation();
    overGround.particles.resize(kWeatherParticles);
    for (int32_t n = kWeatherParticles - 1; n >= 0; --n) {
      WeatherParticle& p = overGround.particles[static_cast<size_t>(n)];
      p.x = random.RandomFloatTimes(kBlock);
      p.y = random.RandomFloatTimes(kBlock);
      p.phase = static_cast<int16_t>(random.Random(kCycle));
      const float angle = static_cast<float>(random.Random(360)) * GMath::kRadiansPerDegree;
      p.cosine = std::cos(angle);
      p.sine = std::sin(angle);
    }
    overGround.particlesMade = true;
    overGround.particleStart = now;
  }

  const bool snow = weather == kSnow;
  const float fieldSize = frame.weatherFieldSize > 0.0f ? frame.weatherFieldSize : 30.0f;
  const int64_t elapsed = WeatherElapsed(now - overGround.particleStart, snow, fieldSize);
  const float fieldHeight = snow ? fieldSize : fieldSize * 0.6f;
  const float s0 = 1.0f / static_cast<float>(FrameOption(41));
  int32_t count = snow ? kWeatherParticles : kWeatherParticles / 2;
  if (option == 1) count /= 2;

  if (snow) {
    g->SetColor(1.0f, 1.0f, 1.0f);
  } else {
    g->SetColor(0.7f, 0.7f, 0.74f);
  }
  const bool culling = g->IsBackfaceCulling();
  g->SetBackfaceCulling(false);

  const int32_t side = app_->GetCurrentSide() == 1 ? 1 : 0;
  const float cx = camera.x[side];
  const float cy = camera.y[side];
  const int32_t cbx = TruncateToInt32(cx * 0.0125f);
  const int32_t cby = TruncateToInt32(cy * 0.0125f);
  const MapGrid<uint8_t>& states = terrain.blockViewState;
  const MapGrid<uint16_t>& fine = terrain.fineGrid;
  for (int32_t bi = std::min(cbx + 2, states.Width() - 1); bi >= std::max(cbx - 2, 0); --bi) {
    for (int32_t bj = std::min(cby + 2, states.Height() - 1); bj >= std::max(cby - 2, 0); --bj) {
      if (states.At(bi, bj) == 0) continue;
      const float ox = static_cast<float>(bi) * kBlock;
      const float oy = static_cast<float>(bj) * kBlock;
      for (int32_t n = count - 1; n >= 0; --n) {
        const WeatherParticle& p = overGround.particles[static_cast<size_t>(n)];
        const float x = ox + p.x;
        const float y = oy + p.y;
        // The last block of a map whose side is not a whole number of blocks reaches past it.
        const int32_t cellX = TruncateToInt32(x * 0.5f);
        const int32_t cellY = TruncateToInt32(y * 0.5f);
        if (!fine.Contains(cellX, cellY)) continue;
        const float dx = x - cx;
        const float dy = y - cy;
        const float size = WeatherParticleSize(dx, dy, snow, level) * s0;
        const int64_t phase = (static_cast<int64_t>(p.phase) + elapsed) % kCycle;
        const float ground = CodeToHeight(fine.At(cellX, cellY));
        const float z = (1.0f - static_cast<float>(phase) / static_cast<float>(kCycle)) * fieldHeight + ground;
        if (snow) {
          const float h = size * 0.864f;
          const float ax = size * p.cosine;
          const float ay = size * p.sine;
          g->DrawColouredTriangle(x - ax, y - ay, z - h, x, y, z + h, x + ax, y + ay, z - h);
        } else {
          const float w = size * 0.4f;
          const float ax = w * p.cosine;
          const float ay = w * p.sine;
          const float h = w * 0.864f * 5.0f;
          g->DrawColouredQuad(x - ax, y - ay, z - h, x - ax, y - ay, z + h, x + ax, y + ay, z + h, x + ax, y + ay, z - h);
        }
      }
    }
  }
  g->SetBackfaceCulling(culling);
}
