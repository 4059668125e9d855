#include "WeaponModelCompiler.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "game/models/WeaponModelCounts.h"
#include "game/models/WeaponModelData.h"
#include "WeaponModelShapes.h"

namespace {


std::set<int> SlotSet(const std::string& text) {
  std::set<int> slots;
  std::stringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    const size_t dash = item.find('-');
    if (dash == std::string::npos) {
      slots.insert(std::stoi(item));
    } else {
      for (int s = std::stoi(item.substr(0, dash)); s <= std::stoi(item.substr(dash + 1)); ++s) slots.insert(s);
    }
  }
  return slots;
}

void Append(std::string& out, float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6ff,", static_cast<double>(value));
  out += text;
}

}  // namespace

bool WeaponModelCompiler::Fail(const std::string& name, int line, const std::string& reason) {
  error_ = name + ":" + std::to_string(line) + ": " + reason;
  return false;
}

bool WeaponModelCompiler::Add(const std::string& name, const std::string& text) {
  Model m;
  m.name = name;
  std::stringstream lines(text);
  std::string line;
  int n = 0;
  while (std::getline(lines, line)) {
    ++n;
    if (line.empty() || line[0] == '#') continue;
    std::stringstream in(line);
    std::string word;
    in >> word;
    Step step;
    step.line = n;
    if (word == "model") {
      if (!(in >> m.number) || m.number < 0 || m.number >= kWeaponModels) return Fail(name, n, "model number outside 0..22");
      continue;
    }
    if (word == "layout") {
      in >> m.layout;
      if (m.layout != "open" && m.layout != "one-group" && m.layout != "two-groups") return Fail(name, n, "unknown layout");
      continue;
    }
    if (word == "pivot") {
      if (!(in >> m.pivot[0] >> m.pivot[1] >> m.pivot[2])) return Fail(name, n, "pivot needs x y z");
      continue;
    }
    if (word == "muzzle") {
      if (!(in >> m.muzzle)) return Fail(name, n, "muzzle needs a distance");
      continue;
    }
    if (word == "style") {
      std::string style;
      in >> style;
      using Style = WeaponModelShapes::Style;
      if (style == "split-trail") m.gun.style = Style::kSplitTrail;
      else if (style == "box-trail") m.gun.style = Style::kBoxTrail;
      else if (style == "platform") m.gun.style = Style::kPlatform;
      else if (style == "cross") m.gun.style = Style::kCross;
      else if (style == "rockets") m.gun.style = Style::kRockets;
      else return Fail(name, n, "unknown style");
      continue;
    }
    if (word == "wheels" || word == "trail" || word == "shield") {
      float a = 0.0f, b = 0.0f;
      if (!(in >> a >> b) || !(a >= 0.0f && a < 0.2f) || !(b >= 0.0f && b < 0.2f)) return Fail(name, n, word + " needs two lengths 0..0.2");
      if (word == "wheels") {
        m.gun.wheelRadius = a;
        m.gun.wheelX = b;
      } else if (word == "trail") {
        m.gun.trailLength = a;
        m.gun.trailSpread = b;
      } else {
        m.gun.shieldHalfWidth = a;
        m.gun.shieldHeight = b;
      }
      continue;
    }
    if (word == "bore" || word == "platform") {
      float a = 0.0f;
      if (!(in >> a) || !(a >= 0.0f && a < 0.2f)) return Fail(name, n, word + " needs a length 0..0.2");
      (word == "bore" ? m.gun.bore : m.gun.platform) = a;
      continue;
    }
    if (word == "brake") {
      m.gun.brake = true;
      continue;
    }
    if (word == "unbound") {
      if (!(in >> m.unbound) || m.unbound < 0 || m.unbound > 16) return Fail(name, n, "unbound slot outside 0..16");
      continue;
    }
    if (word == "bind") {
      step.op = WeaponModelData::kBind;
      if (!(in >> step.arg) || step.arg < 0 || step.arg > 16) return Fail(name, n, "texture slot outside 0..16");
    } else if (word == "fan" || word == "strip") {
      step.op = word == "fan" ? WeaponModelData::kFan : WeaponModelData::kStrip;
      if (!(in >> step.part >> step.arg) || step.arg < 1 || step.arg > 64) return Fail(name, n, "needs a part and 1..64 triangles");
    } else if (word == "triangle" || word == "inline") {
      step.op = word == "triangle" ? WeaponModelData::kTriangle : WeaponModelData::kInline;
      if (!(in >> step.part)) return Fail(name, n, "needs a part");
    } else if (word == "save") {
      step.op = WeaponModelData::kSave;
    } else if (word == "restore") {
      step.op = WeaponModelData::kRestore;
    } else if (word == "turn-back") {
      step.op = WeaponModelData::kTurnBack;
    } else if (word == "elevate") {
      step.op = WeaponModelData::kElevate;
    } else if (word == "flash") {
      step.op = WeaponModelData::kFlash;
    } else if (word == "recoil") {
      step.op = WeaponModelData::kRecoil;
    } else {
      return Fail(name, n, "unknown step '" + word + "'");
    }
    if (!step.part.empty() && !WeaponModelShapes::KnownPart(step.part)) return Fail(name, n, "unknown part '" + step.part + "'");
    m.steps.push_back(step);
  }
  for (int i = 0; i < 3; ++i) m.gun.pivot[i] = m.pivot[i];
  m.gun.muzzle = m.muzzle;
  if (m.number < 0) return Fail(name, 0, "no model number");
  if (m.layout.empty()) return Fail(name, 0, "no layout");
  for (const Model& other : models_)
    if (other.number == m.number) return Fail(name, 0, "model " + std::to_string(m.number) + " given twice");
  models_.push_back(m);
  return true;
}

std::string WeaponModelCompiler::Sections(const Model& model) {
  std::string out;
  int d = 0;
  int b = 0;
  auto close = [&]() {
    if (d == 0 && b == 0) return;
    if (!out.empty() && out.back() != ' ') out += ", ";
    out += std::to_string(d) + "d/" + std::to_string(b) + "b";
    d = 0;
    b = 0;
  };
  auto token = [&](const char* t) {
    close();
    if (!out.empty() && out.back() != ' ') out += ", ";
    out += t;
  };
  const std::vector<Step>& s = model.steps;
  size_t i = 0;
  size_t end = s.size();
  if (model.layout != "open" && end > 0 && s[end - 1].op == WeaponModelData::kRestore) --end;
  if (model.layout == "two-groups") {
    if (s.size() < 2 || s[0].op != WeaponModelData::kSave || s[1].op != WeaponModelData::kTurnBack) return "?";
    out = "T ";
    for (i = 2; i < end && s[i].op != WeaponModelData::kRestore; ++i) {
      if (s[i].op == WeaponModelData::kBind) ++b;
      else if (s[i].op <= WeaponModelData::kInline) ++d;
      else return "?";
    }
    close();
    out += "; ";
    if (i + 1 >= end || s[i + 1].op != WeaponModelData::kSave) return "?";
    i += 2;
  }
  for (; i < end; ++i) {
    const int op = s[i].op;
    if (op == WeaponModelData::kBind) {
      ++b;
    } else if (op <= WeaponModelData::kInline) {
      ++d;
    } else if (op == WeaponModelData::kSave) {
      token("save");
    } else if (op == WeaponModelData::kElevate) {
      token("E");
    } else if (op == WeaponModelData::kFlash && i + 1 < end && s[i + 1].op == WeaponModelData::kRecoil) {
      token("F");
      ++i;
    } else {
      return "?";
    }
  }
  close();
  return out;
}

std::string WeaponModelCompiler::Check(const Model& m) {
  const WeaponModelCounts& row = kWeaponModelCounts[m.number];
  int triangles = 0, vertices = 0, fans = 0, strips = 0, tris = 0, inl = 0, binds = 0;
  std::set<int> bound;
  int saved = 0;
  for (const Step& s : m.steps) {
    switch (s.op) {
      case WeaponModelData::kBind: ++binds; bound.insert(s.arg); break;
      case WeaponModelData::kFan: ++fans; triangles += s.arg; vertices += s.arg + 2; break;
      case WeaponModelData::kStrip: ++strips; triangles += s.arg; vertices += s.arg + 2; break;
      case WeaponModelData::kTriangle: ++tris; ++triangles; vertices += 3; break;
      case WeaponModelData::kInline: ++inl; ++triangles; vertices += 3; break;
      case WeaponModelData::kSave: ++saved; break;
      case WeaponModelData::kRestore: if (--saved < 0) return "restore without save"; break;
      default: break;
    }
  }
  if (saved != 0) return "a saved matrix is not restored";
  auto differ = [](const char* what, int have, int want) {
    return std::string(what) + " " + std::to_string(have) + ", expected " + std::to_string(want);
  };
  if (triangles != row.triangles) return differ("triangles", triangles, row.triangles);
  if (vertices != row.vertices) return differ("vertices", vertices, row.vertices);
  if (fans != row.fans) return differ("fans", fans, row.fans);
  if (strips != row.strips) return differ("strips", strips, row.strips);
  if (tris != row.triangleSteps) return differ("triangle steps", tris, row.triangleSteps);
  if (inl != row.inlineTriangles) return differ("inline triangles", inl, row.inlineTriangles);
  if (binds != row.binds) return differ("binds", binds, row.binds);
  std::set<int> slots = SlotSet(row.slots);
  // A row may list one slot more than it binds: the description names the one left unbound.
  if (m.unbound >= 0) {
    if (slots.erase(m.unbound) == 0) return "the unbound slot is not one of the model's slots";
  }
  if (bound != slots) return "the bound texture slots differ from the model's";
  std::string layout = m.layout;
  for (char& c : layout)
    if (c == '-') c = ' ';
  if (layout != row.layout) return "layout " + m.layout + ", expected " + row.layout;
  const std::string sections = Sections(m);
  if (sections != row.sections) return "sections " + sections + ", expected " + row.sections;
  return "";
}

bool WeaponModelCompiler::Generate(std::string& source) {
  if (models_.size() != static_cast<size_t>(kWeaponModels)) return Fail("weapon models", 0, "expected 23 models");
  std::vector<const Model*> byNumber(kWeaponModels, nullptr);
  for (const Model& m : models_) byNumber[static_cast<size_t>(m.number)] = &m;
  source = "// Generated by make_weapon_models from data/weapon_models: do not edit.\n";
  source += "#include \"game/models/WeaponModelData.h\"\n\nnamespace {\n\n";
  std::string table;
  for (int number = 0; number < kWeaponModels; ++number) {
    const Model& m = *byNumber[static_cast<size_t>(number)];
    const std::string reason = Check(m);
    if (!reason.empty()) return Fail(m.name, 0, reason);
    std::string xyz, uv, scalars, steps;
    int xyzCount = 0, uvCount = 0, scalarCount = 7;
    for (int i = 0; i < 3; ++i) Append(scalars, m.pivot[i]);
    for (int i = 0; i < 3; ++i) Append(scalars, -m.pivot[i]);
    Append(scalars, m.muzzle);
    std::map<std::string, int> seen;
    for (const Step& s : m.steps) {
      steps += std::to_string(s.op) + "," + std::to_string(s.arg) + ",";
      if (s.part.empty()) continue;
      std::vector<float> points;
      std::vector<float> coords;
      WeaponModelShapes::Shape(m.gun, s.part, seen[s.part]++, s.op, s.arg, points, coords);
      if (s.op == WeaponModelData::kInline) {
        // The inline triangle's three vertices, each (x, y, z, u, v), among the constants.
        for (size_t v = 0; v < 3; ++v) {
          for (size_t i = 0; i < 3; ++i) Append(scalars, points[3 * v + i]);
          for (size_t i = 0; i < 2; ++i) Append(scalars, coords[2 * v + i]);
        }
        scalarCount += WeaponModelData::kInlineValues;
        continue;
      }
      for (float value : points) Append(xyz, value);
      for (float value : coords) Append(uv, value);
      xyzCount += static_cast<int>(points.size());
      uvCount += static_cast<int>(coords.size());
    }
    const std::string id = std::to_string(number);
    source += "const int16_t kSteps" + id + "[] = {" + steps + "};\n";
    source += "const float kBlock" + id + "[] = {" + xyz + "\n" + uv + "\n" + scalars + "};\n\n";
    table += "    {kSteps" + id + ", " + std::to_string(m.steps.size()) + ", kBlock" + id + ", " +
             std::to_string(xyzCount + uvCount + scalarCount) + ", " + std::to_string(xyzCount) + ", " +
             std::to_string(xyzCount + uvCount) + "},\n";
  }
  source += "}  // namespace\n\nconst WeaponModelData WeaponModelData::kModels[23] = {\n" + table + "};\n";
  return true;
}

const WeaponModelCompiler::Model* WeaponModelCompiler::Find(int number) const {
  for (const Model& m : models_)
    if (m.number == number) return &m;
  return nullptr;
}

bool WeaponModelCompiler::GenerateStraightLine(int number, std::string& source) {
  const Model* found = nullptr;
  for (const Model& m : models_) found = m.number == number ? &m : found;
  if (found == nullptr) return Fail("weapon models", 0, "no model " + std::to_string(number));
  const Model& m = *found;
  const std::string id = std::to_string(number);
  source = "// Generated by make_weapon_models from data/weapon_models: do not edit.\n";
  source += "// Model " + id + " as straight-line renderer calls, for the benchmark.\n";
  source += "inline void DrawWeaponModelStraight" + id + "(bool clip) {\n";
  source += "  GGraph3D* g = gGraph3D;\n  if (g == nullptr) return;\n";
  source += "  const WeaponModelData& data = WeaponModelData::kModels[" + id + "];\n";
  source += "  const InfantryModelDraw::State& state = InfantryModelDraw::Published();\n";
  source += "  const float* xyz = data.block;\n  const float* uv = data.block + data.uvStart;\n";
  source += "  const float* k = data.block + data.scalarStart;\n";
  source += "  g->SetBackfaceCulling(false);\n";
  int xyz = 0;
  int uv = 0;
  int inlineAt = WeaponModelData::kFirstInline;
  const std::string pivot = "k[0], k[1], k[2]";
  for (const Step& step : m.steps) {
    const std::string arg = std::to_string(step.arg);
    switch (step.op) {
      case WeaponModelData::kBind:
        source += "  if (state.textures != nullptr && state.textures[" + arg + "] != nullptr && state.textures[" + arg +
                  "]->GetStub() != nullptr) g->SetTexture(state.textures[" + arg + "]);\n";
        break;
      case WeaponModelData::kFan:
      case WeaponModelData::kStrip:
        source += std::string("  g->") + (step.op == WeaponModelData::kFan ? "DrawTexturedFan" : "DrawTexturedStrip") +
                  "(clip, " + arg + ", xyz + " + std::to_string(xyz) + ", uv + " + std::to_string(uv) + ");\n";
        xyz += 3 * (step.arg + 2);
        uv += 2 * (step.arg + 2);
        break;
      case WeaponModelData::kTriangle:
        source += "  g->DrawTexturedTriangleArray(xyz + " + std::to_string(xyz) + ", uv + " + std::to_string(uv) + ");\n";
        xyz += 9;
        uv += 6;
        break;
      case WeaponModelData::kInline: {
        std::string values;
        for (int i = 0; i < WeaponModelData::kInlineValues; ++i)
          values += (i == 0 ? "k[" : ", k[") + std::to_string(inlineAt + i) + "]";
        source += "  g->DrawTexturedTriangle(" + values + ");\n";
        inlineAt += WeaponModelData::kInlineValues;
        break;
      }
      case WeaponModelData::kSave:
        source += "  g->PushMatrix();\n";
        break;
      case WeaponModelData::kRestore:
        source += "  g->PopMatrix();\n";
        break;
      case WeaponModelData::kTurnBack:
        source += "  g->RotateZ(-state.facing);\n";
        break;
      case WeaponModelData::kElevate:
        source += "  g->Translate(" + pivot + ");\n  g->RotateX(state.elevation);\n  g->Translate(k[3], k[4], k[5]);\n";
        break;
      case WeaponModelData::kFlash:
        source += "  if (state.unit != nullptr) state.unit->DrawMuzzleFlash(1.0f, k[0], k[6], k[2]);\n";
        break;
      case WeaponModelData::kRecoil:
        source += "  if (state.unit != nullptr) state.unit->TranslateRecoil(-0.012f);\n";
        break;
      default:
        break;
    }
  }
  source += "  g->SetBackfaceCulling(true);\n}\n";
  return true;
}
