#include "game/models/VehicleModelTable.h"

#include <array>

#include "framework/media/GGraph3D.h"
#include "game/models/ModelDrawContext.h"
#include "game/models/VehicleModelGeometry.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

// Slot -> routine: a slot that shares the routine of an earlier slot names that slot.
constexpr int32_t SharedWith(int32_t slot) {
  switch (slot) {
    case 5: return 4;
    case 32: case 33: return 31;
    case 69: return 68;
    case 95: return 94;
    case 97: return 96;
    default: return slot;
  }
}

constexpr std::array<int8_t, VehicleModelTable::kSlots> MakeRoutines() {
  std::array<int8_t, VehicleModelTable::kSlots> routines{};
  int32_t next = 0;
  for (int32_t slot = 0; slot < VehicleModelTable::kSlots; ++slot) {
    const int32_t owner = SharedWith(slot);
    routines[static_cast<size_t>(slot)] = static_cast<int8_t>(owner == slot ? next++ : routines[static_cast<size_t>(owner)]);
  }
  return routines;
}

constexpr std::array<int8_t, VehicleModelTable::kSlots> kRoutineOf = MakeRoutines();
static_assert(kRoutineOf[98] == VehicleModelTable::kRoutines - 1);
static_assert(VehicleModelGeometry::kCount == VehicleModelTable::kRoutines);

}  // namespace

int32_t VehicleModelTable::RoutineOf(int32_t slot) {
  return slot >= 0 && slot < kSlots ? kRoutineOf[static_cast<size_t>(slot)] : -1;
}

bool VehicleModelTable::TakesVariant(int32_t slot) {
  return slot == 63 || slot == 66 || slot == 68 || slot == 69 || slot == 70;
}

bool VehicleModelTable::VariantFor(int32_t slot, int32_t drawVariant) {
  if (slot == 63) return drawVariant == 1;
  return TakesVariant(slot) && drawVariant != 0;
}

const ModelProgram& VehicleModelTable::Program(int32_t routine) {
  return VehicleModelGeometry::kRoutines[static_cast<size_t>(routine)];
}

void VehicleModelTable::Draw(int32_t slot, bool clip, int32_t drawVariant) {
  const int32_t routine = RoutineOf(slot);
  GGraph3D* g = gGraph3D;
  if (routine < 0 || g == nullptr) return;
  ModelDrawContext& context = ModelDrawContext::Current();
  ModelDrawValues values;
  values.turretAngle = context.turretAngle;
  values.gunElevation = context.gunElevation;
  values.turretTilt = context.turretTilt;
  values.trackScroll = {context.trackScroll0, context.trackScroll1};
  values.footprint = &context.footprint;
  values.bind = [](int32_t entry) { ModelDrawContext::Current().Bind(entry); };
  Unit* host = context.vehicle;
  RunModelProgram(Program(routine), *g, host, values, clip, VariantFor(slot, drawVariant));
}
