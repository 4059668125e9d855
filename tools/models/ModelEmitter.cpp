#include "ModelEmitter.h"

#include <cstdio>

namespace {

const char* OpName(ModelOp op) {
  switch (op) {
    case ModelOp::kCullOff: return "kCullOff";
    case ModelOp::kCullOn: return "kCullOn";
    case ModelOp::kFootprint: return "kFootprint";
    case ModelOp::kBind: return "kBind";
    case ModelOp::kStrip: return "kStrip";
    case ModelOp::kFan: return "kFan";
    case ModelOp::kArray: return "kArray";
    case ModelOp::kValue: return "kValue";
    case ModelOp::kQuad: return "kQuad";
    case ModelOp::kColour: return "kColour";
    case ModelOp::kColouredFan: return "kColouredFan";
    case ModelOp::kTrackValue: return "kTrackValue";
    case ModelOp::kPush: return "kPush";
    case ModelOp::kPop: return "kPop";
    case ModelOp::kTranslate: return "kTranslate";
    case ModelOp::kTranslateY: return "kTranslateY";
    case ModelOp::kTranslateXY: return "kTranslateXY";
    case ModelOp::kTranslateYZ: return "kTranslateYZ";
    case ModelOp::kTurn: return "kTurn";
    case ModelOp::kTilt: return "kTilt";
    case ModelOp::kElevate: return "kElevate";
    case ModelOp::kFlash: return "kFlash";
    case ModelOp::kRecoil: return "kRecoil";
    case ModelOp::kVariant: return "kVariant";
  }
  return "kCullOff";
}

void Floats(std::string& out, const char* name, size_t i, const std::vector<float>& values) {
  if (values.empty()) return;
  out += "const float " + std::string(name) + std::to_string(i) + "[] = {";
  for (size_t k = 0; k < values.size(); ++k) {
    if (k % 6 == 0) out += "\n    ";
    out += FloatLiteral(values[k]);
    out += ",";
  }
  out += "\n};\n";
}

}  // namespace

std::string FloatLiteral(float f) {
  char text[48];
  std::snprintf(text, sizeof text, "%af", static_cast<double>(f));
  return text;
}

std::string EmitVehicleModels(const std::vector<ModelRecord>& records) {
  std::string out =
      "// Made by make_vehicle_models from data/models/contract.txt; do not edit.\n"
      "#include \"game/models/VehicleModelGeometry.h\"\n\nnamespace {\n\n";
  for (size_t i = 0; i < records.size(); ++i) {
    const ModelRecord& r = records[i];
    out += "constexpr ModelStep kSteps" + std::to_string(i) + "[] = {";
    for (const ModelStep& s : r.steps) {
      out += "\n    {ModelOp::" + std::string(OpName(s.op)) + ", " + std::to_string(s.n) + ", " + std::to_string(s.side) +
             ", " + std::to_string(s.sign) + ", " + std::to_string(s.k) + "},";
    }
    out += "\n};\n";
    Floats(out, "kPositions", i, r.positions);
    Floats(out, "kUvs", i, r.uvs);
    Floats(out, "kConstants", i, r.constants);
    out += "\n";
  }
  out += "}  // namespace\n\nconst ModelProgram VehicleModelGeometry::kRoutines[" + std::to_string(records.size()) + "] = {\n";
  for (size_t i = 0; i < records.size(); ++i) {
    const ModelRecord& r = records[i];
    const std::string n = std::to_string(i);
    auto block = [&n](const char* name, const std::vector<float>& v) {
      return v.empty() ? std::string("nullptr, 0") : std::string(name) + n + ", " + std::to_string(v.size());
    };
    out += "    {kSteps" + n + ", " + std::to_string(r.steps.size()) + ", " + block("kPositions", r.positions) + ", " +
           block("kUvs", r.uvs) + ", " + block("kConstants", r.constants) + "},\n";
  }
  out += "};\n";
  return out;
}
