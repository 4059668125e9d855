#pragma once
#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "game/models/VehicleModelProgram.h"

// A vehicle model record under construction: the same layout as the constant records the game
// draws (steps, position block, texture block, constants), in vectors the tools can change.
struct ModelRecord {
  std::vector<ModelStep> steps;
  std::vector<float> positions;
  std::vector<float> uvs;
  std::vector<float> constants;

  ModelProgram View() const {
    ModelProgram p;
    p.steps = steps.data();
    p.stepCount = static_cast<int32_t>(steps.size());
    p.positions = positions.data();
    p.positionCount = static_cast<int32_t>(positions.size());
    p.uvs = uvs.data();
    p.uvCount = static_cast<int32_t>(uvs.size());
    p.constants = constants.data();
    p.constantCount = static_cast<int32_t>(constants.size());
    return p;
  }
  // Stores constants and returns the index of the first.
  uint32_t Constants(std::initializer_list<float> values) {
    const uint32_t k = static_cast<uint32_t>(constants.size());
    constants.insert(constants.end(), values);
    return k;
  }
  uint32_t Constants(const float* values, int32_t count) {
    const uint32_t k = static_cast<uint32_t>(constants.size());
    constants.insert(constants.end(), values, values + count);
    return k;
  }
  void Step(ModelOp op, int32_t n = 0, uint32_t k = 0, int32_t side = 0, int32_t sign = 1) {
    ModelStep s;
    s.op = op;
    s.n = static_cast<uint8_t>(n);
    s.k = k;
    s.side = static_cast<uint8_t>(side);
    s.sign = static_cast<int8_t>(sign);
    steps.push_back(s);
  }
  // A primitive drawn from the blocks: xyz holds 3 and uv 2 floats a corner (uv empty for a
  // coloured fan).
  void Primitive(ModelOp op, int32_t n, const std::vector<float>& xyz, const std::vector<float>& uv, int32_t side = 0,
                 int32_t sign = 1) {
    Step(op, n, 0, side, sign);
    positions.insert(positions.end(), xyz.begin(), xyz.end());
    uvs.insert(uvs.end(), uv.begin(), uv.end());
  }
};

// The triangles of each fan a model draws in its hull (variant part included), turret and gun
// stages, in drawing order.
inline std::array<std::vector<int32_t>, 3> FanSizesByStage(const ModelProgram& program) {
  ModelCallLog log;
  RunModelProgram(program, log, &log, ModelDrawValues{}, false, true);
  std::array<std::vector<int32_t>, 3> out;
  for (const auto& call : log.Calls()) {
    const size_t stage = static_cast<size_t>(call.stage);
    if ((call.kind == ModelCallLog::Kind::kFan || call.kind == ModelCallLog::Kind::kColouredFan) && stage < 3)
      out[stage].push_back(call.n);
  }
  return out;
}
