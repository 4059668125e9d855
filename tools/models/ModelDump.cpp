#include "ModelDump.h"

#include <cstdio>
#include <cstdlib>

namespace {

const char* OpName(ModelOp op) {
  static const char* const kNames[] = {"cull-off", "cull-on", "footprint", "bind", "strip", "fan",
                                       "array", "value", "quad", "colour", "coloured-fan", "track-value",
                                       "push", "pop", "translate", "translate-y", "translate-xy", "translate-yz",
                                       "turn", "tilt", "elevate", "flash", "recoil", "variant"};
  const size_t i = static_cast<size_t>(op);
  return i < sizeof kNames / sizeof kNames[0] ? kNames[i] : "unknown";
}

int32_t ConstantCount(ModelOp op) {
  switch (op) {
    case ModelOp::kFootprint: case ModelOp::kFlash: return 4;
    case ModelOp::kValue: case ModelOp::kTrackValue: return 15;
    case ModelOp::kQuad: return 20;
    case ModelOp::kColour: case ModelOp::kTranslate: return 3;
    case ModelOp::kTranslateXY: case ModelOp::kTranslateYZ: return 2;
    case ModelOp::kTranslateY: case ModelOp::kRecoil: return 1;
    default: return 0;
  }
}

// A float as the shortest decimal that reads back to the same value.
void Number(std::string& out, float f) {
  char buffer[32];
  for (int precision = 6; precision <= 9; ++precision) {
    std::snprintf(buffer, sizeof buffer, "%.*g", precision, static_cast<double>(f));
    if (std::strtof(buffer, nullptr) == f) break;
  }
  out += buffer;
}

void List(std::string& out, const char* name, const std::vector<float>& v, size_t from, size_t count) {
  out += ", \"";
  out += name;
  out += "\": [";
  for (size_t i = 0; i < count && from + i < v.size(); ++i) {
    if (i > 0) out += ", ";
    Number(out, v[from + i]);
  }
  out += "]";
}

}  // namespace

std::string DumpModelJson(const ModelRecord& r, int32_t slot) {
  std::string out = "{\"slot\": " + std::to_string(slot) + ", \"steps\": [";
  size_t position = 0, uv = 0;
  for (size_t i = 0; i < r.steps.size(); ++i) {
    const ModelStep& s = r.steps[i];
    out += i == 0 ? "\n  " : ",\n  ";
    out += "{\"op\": \"";
    out += OpName(s.op);
    out += "\"";
    switch (s.op) {
      case ModelOp::kBind: out += ", \"entry\": " + std::to_string(s.n); break;
      case ModelOp::kStrip:
        out += ", \"triangles\": " + std::to_string(s.n) + ", \"side\": \"" + (s.side == 0 ? "+x" : "-x") +
               "\", \"sign\": " + std::to_string(s.sign);
        break;
      case ModelOp::kFan: case ModelOp::kColouredFan: out += ", \"triangles\": " + std::to_string(s.n); break;
      case ModelOp::kVariant: out += ", \"steps\": " + std::to_string(s.n); break;
      case ModelOp::kTrackValue: out += ", \"side\": \"" + std::string(s.side == 0 ? "+x" : "-x") + "\""; break;
      default: break;
    }
    if (const int32_t k = ConstantCount(s.op); k > 0) List(out, "values", r.constants, s.k, static_cast<size_t>(k));
    if (const int32_t corners = ModelStepVertices(s); corners > 0) {
      const size_t c = static_cast<size_t>(corners);
      List(out, "positions", r.positions, position, 3 * c);
      position += 3 * c;
      if (s.op != ModelOp::kColouredFan) {
        List(out, "uvs", r.uvs, uv, 2 * c);
        uv += 2 * c;
      }
    }
    out += "}";
  }
  out += "\n]}\n";
  return out;
}

int32_t CountQuadFans(const ModelRecord& record) {
  int32_t n = 0;
  for (const ModelStep& s : record.steps) n += s.op == ModelOp::kFan && s.n == 2 ? 1 : 0;
  return n;
}

HalfQuadFans CountHalfQuadFans(const std::vector<ModelContract>& contracts, const std::vector<ModelRecord>& records,
                               const std::vector<bool>& authored) {
  HalfQuadFans count;
  for (size_t i = 0; i < contracts.size() && i < records.size() && i < authored.size(); ++i) {
    if (!contracts[i].firstHalf) continue;
    ++count.routines;
    if (!authored[i]) continue;
    ++count.authored;
    count.fans += CountQuadFans(records[i]);
  }
  return count;
}

std::string HalfQuadFanReport(const HalfQuadFans& count) {
  char line[120];
  std::snprintf(line, sizeof line, "first half: %d of %d two-triangle fans (%d of %d routines authored)", count.fans,
                HalfQuadFans::kTarget, count.authored, count.routines);
  return line;
}
