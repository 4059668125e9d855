// The unit's look: its kind group's graphics, its three appearance variants and the model's
// scale on the renderer.
#include "framework/core/GRandom.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "game/map/MapBattleServices.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/units/ports/UnitServices.h"

namespace {
constexpr int32_t kMixedLookNationality = 10;
constexpr float kModelScale = 28.867f;
}  // namespace

std::array<int16_t, 3> Unit::AppearanceVariants(uint32_t seed, int32_t code) {
  // A generator of its own: the look is the same on every machine and the game's generator
  // is left as it was.
  GRandom random(seed);
  std::array<int16_t, 3> variants{};
  for (int16_t& variant : variants) {
    if (code == kMixedLookNationality && random.Random(3) == 0) {
      variant = static_cast<int16_t>(random.Random(2));
    } else {
      variant = static_cast<int16_t>(random.Random(10) + 2);
    }
  }
  return variants;
}

void Unit::PrepareAppearance() {
  const MapBattleServices* battle = UnitBattle();
  if (battle == nullptr || battle->GetMap() == nullptr) FatalError(__LINE__, "Unit.cpp");
  if (UnitDrawHost* host = GetUnitDrawHost()) host->EnsureKindGroupGraphics(GetKindGroup());
  if (!IsInfantry() && !IsVehicle()) return;
  // The second half of a split squad looks like the unit it was split from.
  const Unit* source = this;
  if (const InfantryServices* infantry = AsInfantry()) {
    const Unit* partner = infantry->GetSplitPartner();
    if (infantry->IsSecondHalf() && partner != nullptr) source = partner;
  }
  const auto seed = static_cast<uint32_t>(static_cast<int32_t>(source->leaderName) + source->designation);
  appearanceVariants = AppearanceVariants(seed, nationalityCode);
}

void Unit::ApplyModelScale(float& scale) {
  scale *= kModelScale;
  if (gGraph3D != nullptr) gGraph3D->Scale(scale, scale, scale);
}
