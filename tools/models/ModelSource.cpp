#include "ModelSource.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <optional>

#include "ModelFaces.h"
#include "PlaceholderMaker.h"
#include "RunningGear.h"

namespace {

// Metres to model units.
constexpr double kUnit = 28.867;
constexpr double kPi = 3.14159265358979323846;

const char* const kStageNames[] = {"hull", "variant", "turret", "gun", "barrel"};

using P3 = std::array<float, 3>;

struct Word {
  std::string text;
  bool quoted = false;
};

// Splits a line into words: quoted strings are one word, '#' starts a comment.
bool SplitLine(const std::string& line, std::vector<Word>& out, std::string& why) {
  out.clear();
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      const size_t end = line.find('"', i + 1);
      if (end == std::string::npos) {
        why = "an unclosed quote";
        return false;
      }
      out.push_back({line.substr(i + 1, end - i - 1), true});
      i = end + 1;
    } else {
      size_t end = i;
      while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r' && line[end] != '#')
        ++end;
      out.push_back({line.substr(i, end - i), false});
      i = end;
    }
  }
  return true;
}

// The stages "copy <slot> stages" takes from another routine.
bool IsCopiedStage(ModelStage st) {
  return st == ModelStage::kHull || st == ModelStage::kTurret || st == ModelStage::kGun;
}

// The compile of one source: its place (stage, group) for messages, named values and faces.
class Compiler {
 public:
  Compiler(const std::string& name, const ModelContract& contract, const std::vector<ModelContract>& all,
           const ModelPartLoader& load)
      : name_(name), contract_(contract), all_(all), load_(load) {
    // A first-half routine fixes counts only: an authored source gives its groups in its own order
    // and its strips' sides, on the strip sizes and signs laid out here.
    if (contract_.firstHalf && contract_.groups.empty()) {
      ownGroups_ = true;
      layoutFault_ = LayOutFirstHalfStrips(contract_);
    }
  }

  std::string Run(const std::string& text, ModelRecord& record, ModelSourceInfo* info);

 private:
  struct Group {
    int32_t contractIndex = -1;
    int32_t line = 0;
    std::vector<ModelFace> fans;
    std::vector<ModelFace> singles;
    int32_t quads = 0;
  };

  std::string Fail(int32_t line, const std::string& rule) const {
    std::string s = name_ + ":" + std::to_string(line) + ": slot " +
                    std::to_string(contract_.slots.empty() ? -1 : contract_.slots.front());
    if (stage_ >= 0) s += std::string(", ") + kStageNames[stage_];
    if (group_ >= 0) s += ", group " + std::to_string(groupEntry_);
    return s + ": " + rule;
  }
  static std::string Figures(const std::string& rule, int64_t has, int64_t wants) {
    return rule + " (has " + std::to_string(has) + ", wants " + std::to_string(wants) + ")";
  }

  std::string Statement(const std::vector<Word>& w, int32_t line, int32_t depth);
  std::string Solid(const std::vector<Word>& w, size_t at, int32_t line, std::vector<ModelFace>& out);
  std::string CloseGroup();
  std::string Finish(ModelRecord& record);

 public:
  // The groups as fitted and fanned, one a contract group (those the source draws present).
  std::string Fit(std::vector<AuthoredGroup>& authored);
  bool IsTemplate() const { return sawTemplate_; }
  // Reads the source's statements (Run without building the record).
  std::string Read(const std::string& text);

 private:
  std::string Copy(const std::vector<Word>& w, int32_t line);
  // quad given | quad x y z u v (four corners): the box's next quad, as the contract gives it.
  std::string Quad(const std::vector<Word>& w, int32_t line);
  // valuetracks x0 x1 y0 y1 height [reverse]: both tracks as value triangles.
  std::string ValueTracks(const std::vector<Word>& w, int32_t line);
  size_t quadsSeen_ = 0;
  // The running-gear statements: loop, run, tread, trailer and halftrack.
  std::string Gear(const std::vector<Word>& w, int32_t line);
  std::string GearPiece(int32_t line, int32_t strip, const GearBand& band, float a, float b, bool reversed,
                        bool pairAtEnd = false);
  std::string GearFail(int32_t line, int32_t strip, const std::string& rule) const {
    return name_ + ":" + std::to_string(line) + ": slot " +
           std::to_string(contract_.slots.empty() ? -1 : contract_.slots.front()) + ", hull, strip " +
           std::to_string(strip + 1) + ": " + rule;
  }
  std::string FinishGear(std::vector<GearStrip>& out);
  std::string CopiedGroups(std::vector<AuthoredGroup>& out);
  // Whether contract group i lies in a stage copied from another routine.
  bool Copied(size_t i) const {
    return copyStages_ != nullptr && IsCopiedStage(contract_.groups[i].stage);
  }

  // Expressions: numbers, named values, pins, + - * / and brackets.
  bool Number(const std::string& text, double& out, std::string& why) const;
  bool Numbers(const std::vector<Word>& w, size_t from, size_t count, std::vector<double>& out, int32_t line,
               std::string& why) const;
  bool Pin(const std::string& name, double& out) const;

  const std::string& name_;
  ModelContract contract_;  // a first-half routine's gains the source's groups and strip sides
  bool ownGroups_ = false;
  std::string layoutFault_;
  const std::vector<ModelContract>& all_;
  const ModelPartLoader& load_;
  ModelSourceInfo info_;
  std::map<std::string, double> values_;
  bool sawModel_ = false;
  bool sawTemplate_ = false;
  bool sawBody_ = false;
  int32_t stage_ = -1;
  int32_t group_ = -1;  // the contract group being written, -1 before the first
  int32_t groupEntry_ = 0;
  int32_t nextGroup_ = 0;
  std::vector<Group> groups_;
  std::vector<std::string> using_;  // the parts being used, against cycles
  int32_t fitLine_ = 0;             // the line of fit footprint, 0 without
  bool spread_ = false;             // fit spread: vertices to the faces with fewest triangles
  const ModelContract* copyStages_ = nullptr;  // the routine whose stages this one draws
  int32_t copyLine_ = 0;
  const ModelContract* copyTracks_ = nullptr;  // the routine whose running gear this one draws
  int32_t copyTracksLine_ = 0;
  // The running gear the source gives, a strip of the contract's list each (line 0: not given).
  std::vector<GearStrip> gear_;
  std::vector<int32_t> gearLine_;
  int32_t firstGearLine_ = 0;
  // The bands placed, for the trailer's place behind its side's loops.
  struct PlacedBand {
    int32_t side = 0;
    float y0 = 0, y1 = 0;
    bool trailer = false;
    int32_t line = 0, strip = 0;
    bool wheel = false;  // a tread of its own: a wheel the vehicle stands on
  };
  std::vector<PlacedBand> bands_;
  // The road wheels a side the running gear shows, -1 where it does not show them.
  int32_t DrawnRoadWheels() const;

 public:
  bool HasGear() const { return firstGearLine_ != 0; }
  const std::vector<GearStrip>& GivenGear() const { return gear_; }

 private:

  std::string FitFootprint();
};

bool Compiler::Pin(const std::string& name, double& out) const {
  const ModelContract& c = contract_;
  const std::array<float, 3>& p = c.gunPivot.p;
  const std::array<float, 3>& q = c.turretPivot.p;
  const std::map<std::string, std::pair<bool, float>> pins = {
      {"@footprint.x0", {c.hasFootprint, c.footprint[0]}}, {"@footprint.y0", {c.hasFootprint, c.footprint[1]}},
      {"@footprint.x1", {c.hasFootprint, c.footprint[2]}}, {"@footprint.y1", {c.hasFootprint, c.footprint[3]}},
      {"@pivot.x", {c.gunPivot.axes != 0, p[0]}},           {"@pivot.y", {c.gunPivot.axes != 0, p[1]}},
      {"@pivot.z", {c.gunPivot.axes != 0, p[2]}},           {"@muzzle.x", {c.hasFlash, c.flash[1]}},
      {"@muzzle.y", {c.hasFlash, c.flash[2]}},              {"@muzzle.z", {c.hasFlash, c.flash[3]}},
      {"@q.x", {c.turretPivot.axes != 0, q[0]}},            {"@q.y", {c.turretPivot.axes != 0, q[1]}},
      {"@q.z", {c.turretPivot.axes != 0, q[2]}}};
  const auto it = pins.find(name);
  if (it == pins.end() || !it->second.first) return false;
  out = static_cast<double>(it->second.second) * kUnit;
  return true;
}

// A recursive-descent reader over one word.
struct ExpressionReader {
  const std::string& s;
  size_t i = 0;
  const std::function<bool(const std::string&, double&)>& name;
  std::string why;

  bool Sum(double& v) {
    if (!Product(v)) return false;
    while (i < s.size() && (s[i] == '+' || s[i] == '-')) {
      const char op = s[i++];
      double r = 0;
      if (!Product(r)) return false;
      v = op == '+' ? v + r : v - r;
    }
    return true;
  }
  bool Product(double& v) {
    if (!Unary(v)) return false;
    while (i < s.size() && (s[i] == '*' || s[i] == '/')) {
      const char op = s[i++];
      double r = 0;
      if (!Unary(r)) return false;
      v = op == '*' ? v * r : v / r;
    }
    return true;
  }
  bool Unary(double& v) {
    if (i < s.size() && s[i] == '-') {
      ++i;
      if (!Unary(v)) return false;
      v = -v;
      return true;
    }
    if (i < s.size() && s[i] == '(') {
      ++i;
      if (!Sum(v)) return false;
      if (i >= s.size() || s[i] != ')') {
        why = "'" + s + "' has an unclosed bracket";
        return false;
      }
      ++i;
      return true;
    }
    const size_t start = i;
    if (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.')) {
      while (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.' || s[i] == 'e' ||
                              ((s[i] == '-' || s[i] == '+') && i > start && s[i - 1] == 'e')))
        ++i;
      const std::string t = s.substr(start, i - start);
      char* end = nullptr;
      v = std::strtod(t.c_str(), &end);
      if (end != t.c_str() + t.size()) {
        why = "'" + t + "' is not a number";
        return false;
      }
      return true;
    }
    while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '_' || s[i] == '@' ||
                            s[i] == '.'))
      ++i;
    const std::string t = s.substr(start, i - start);
    if (t.empty()) {
      why = "'" + s + "' is not a number";
      return false;
    }
    if (!name(t, v)) {
      why = "unknown name '" + t + "'";
      return false;
    }
    return true;
  }
};

bool Compiler::Number(const std::string& text, double& out, std::string& why) const {
  const std::function<bool(const std::string&, double&)> lookup = [this](const std::string& n, double& v) {
    if (!n.empty() && n[0] == '@') return Pin(n, v);
    const auto it = values_.find(n);
    if (it == values_.end()) return false;
    v = it->second;
    return true;
  };
  ExpressionReader r{text, 0, lookup, {}};
  if (!r.Sum(out)) {
    why = r.why;
    return false;
  }
  if (r.i != text.size()) {
    why = "'" + text + "' is not a number";
    return false;
  }
  if (!std::isfinite(out)) {
    why = "'" + text + "' is not finite";
    return false;
  }
  return true;
}

bool Compiler::Numbers(const std::vector<Word>& w, size_t from, size_t count, std::vector<double>& out, int32_t line,
                       std::string& why) const {
  out.clear();
  if (w.size() < from + count) {
    why = Fail(line, Figures("numbers", static_cast<int64_t>(w.size() - std::min(from, w.size())),
                             static_cast<int64_t>(count)));
    return false;
  }
  for (size_t k = 0; k < count; ++k) {
    double v = 0;
    std::string e;
    if (w[from + k].quoted || !Number(w[from + k].text, v, e)) {
      why = Fail(line, e.empty() ? "'" + w[from + k].text + "' is not a number" : e);
      return false;
    }
    out.push_back(v);
  }
  return true;
}

// A whole number in lo..hi, or lo - 1 (checked before any conversion, so no value overflows).
int32_t Whole(double v, int32_t lo, int32_t hi) {
  if (!(v >= lo && v <= hi) || std::floor(v) != v) return lo - 1;
  return static_cast<int32_t>(v);
}

P3 Units(double x, double y, double z) {
  return {static_cast<float>(x / kUnit), static_cast<float>(y / kUnit), static_cast<float>(z / kUnit)};
}

// A face from corners in metres (its texture coordinates are set once it is placed).
ModelFace Face(const std::vector<std::array<double, 3>>& m, bool open, int32_t line) {
  ModelFace f;
  f.open = open;
  f.line = line;
  for (const auto& p : m) {
    f.corners.push_back(Units(p[0], p[1], p[2]));
    f.uv.push_back({0.0f, 0.0f});
  }
  return f;
}

}  // namespace

std::string Compiler::Solid(const std::vector<Word>& w, size_t at, int32_t line, std::vector<ModelFace>& out) {
  if (at >= w.size()) return Fail(line, "a solid is missing");
  const std::string& kind = w[at].text;
  std::string why;
  std::vector<double> v;
  using M = std::array<double, 3>;
  if (kind == "mirror") {
    if (at + 1 >= w.size() || w[at + 1].text != "x") return Fail(line, "mirror names no axis x");
    std::vector<ModelFace> inner;
    if (std::string e = Solid(w, at + 2, line, inner); !e.empty()) return e;
    for (ModelFace f : inner) {
      out.push_back(f);
      // The mirror image, wound the other way so that it faces outwards.
      for (P3& p : f.corners) p[0] = -p[0];
      std::reverse(f.corners.begin(), f.corners.end());
      std::reverse(f.uv.begin(), f.uv.end());
      out.push_back(f);
    }
    return {};
  }
  if (kind == "uv") {
    if (at + 1 >= w.size() || w[at + 1].text != "fit") return Fail(line, "uv takes fit");
    std::vector<ModelFace> inner;
    if (std::string e = Solid(w, at + 2, line, inner); !e.empty()) return e;
    for (ModelFace& f : inner) {
      f.fitUv = true;
      out.push_back(std::move(f));
    }
    return {};
  }
  if (kind == "at" || kind == "turn") {
    const size_t count = kind == "at" ? 3 : 1;
    if (!Numbers(w, at + 1, count, v, line, why)) return why;
    std::vector<ModelFace> inner;
    if (std::string e = Solid(w, at + 1 + count, line, inner); !e.empty()) return e;
    const double c = std::cos(kind == "turn" ? v[0] * kPi / 180.0 : 0.0);
    const double s = std::sin(kind == "turn" ? v[0] * kPi / 180.0 : 0.0);
    for (ModelFace& f : inner) {
      for (P3& p : f.corners) {
        if (kind == "at") {
          p = {static_cast<float>(p[0] + v[0] / kUnit), static_cast<float>(p[1] + v[1] / kUnit),
               static_cast<float>(p[2] + v[2] / kUnit)};
        } else {
          p = {static_cast<float>(c * p[0] - s * p[1]), static_cast<float>(s * p[0] + c * p[1]), p[2]};
        }
      }
      out.push_back(f);
    }
    return {};
  }
  // The faces to leave out, after the word omit.
  std::vector<std::string> omit;
  size_t end = w.size();
  for (size_t k = at; k < w.size(); ++k)
    if (w[k].text == "omit") {
      end = k;
      for (size_t j = k + 1; j < w.size(); ++j) omit.push_back(w[j].text);
    }
  auto omitted = [&omit](const char* face) { return std::find(omit.begin(), omit.end(), face) != omit.end(); };
  const size_t args = end - at - 1;
  if (kind == "box") {
    if (!Numbers(w, at + 1, 6, v, line, why)) return why;
    if (args != 6) return Fail(line, Figures("numbers", static_cast<int64_t>(args), 6));
    const double x0 = v[0], y0 = v[1], z0 = v[2], x1 = v[3], y1 = v[4], z1 = v[5];
    if (!(x0 < x1 && y0 < y1 && z0 < z1)) return Fail(line, "a box needs its low corner first");
    const std::vector<std::pair<const char*, std::vector<M>>> faces = {
        {"top", {{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}}},
        {"bottom", {{x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}}},
        {"right", {{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}}},
        {"left", {{x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}}},
        {"front", {{x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}}},
        {"rear", {{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}}};
    for (const auto& [face, m] : faces)
      if (!omitted(face)) out.push_back(Face(m, false, line));
    return {};
  }
  if (kind == "plate" || kind == "tri") {
    if (args % 3 != 0 || args < 9 || (kind == "tri" && args != 9))
      return Fail(line, Figures("numbers", static_cast<int64_t>(args), kind == "tri" ? 9 : 12));
    if (!Numbers(w, at + 1, args, v, line, why)) return why;
    std::vector<M> m;
    for (size_t k = 0; k < args; k += 3) m.push_back({v[k], v[k + 1], v[k + 2]});
    out.push_back(Face(m, true, line));
    return {};
  }
  if (kind == "prism") {
    // prism x a0 a1 y z y z ...: a profile in the y-z plane across x from a0 to a1 (caps left and
    // right); prism z a0 a1 x y x y ...: a profile in the x-y plane up z (caps bottom and top).
    // The sides are named e1, e2, ... after the profile's edges.
    if (at + 1 >= w.size() || (w[at + 1].text != "x" && w[at + 1].text != "z"))
      return Fail(line, "prism names no axis x or z");
    const bool across = w[at + 1].text == "x";
    const size_t count = args - 1;
    if (count < 8 || count % 2 != 0) return Fail(line, Figures("numbers", static_cast<int64_t>(count), 8));
    if (!Numbers(w, at + 2, count, v, line, why)) return why;
    std::vector<std::array<double, 2>> profile;
    for (size_t k = 2; k < count; k += 2) profile.push_back({v[k], v[k + 1]});
    double area = 0;
    for (size_t k = 0; k < profile.size(); ++k) {
      const auto& a = profile[k];
      const auto& b = profile[(k + 1) % profile.size()];
      area += a[0] * b[1] - a[1] * b[0];
    }
    if (area == 0) return Fail(line, "a flat profile");
    if (area < 0) std::reverse(profile.begin(), profile.end());
    auto point = [&](double s, const std::array<double, 2>& p) -> M {
      return across ? M{s, p[0], p[1]} : M{p[0], p[1], s};
    };
    std::vector<M> low, high;
    for (const auto& p : profile) {
      low.push_back(point(v[0], p));
      high.push_back(point(v[1], p));
    }
    std::vector<M> lowCap(low.rbegin(), low.rend());
    if (!omitted(across ? "left" : "bottom")) out.push_back(Face(lowCap, false, line));
    if (!omitted(across ? "right" : "top")) out.push_back(Face(high, false, line));
    for (size_t k = 0; k < profile.size(); ++k) {
      const size_t j = (k + 1) % profile.size();
      if (omitted(("e" + std::to_string(k + 1)).c_str())) continue;
      out.push_back(Face({low[k], low[j], high[j], high[k]}, false, line));
    }
    return {};
  }
  if (kind == "loft") {
    // loft z0 z1 x y ... x y: a lower and an upper outline of as many points each, joined by
    // their sides (caps bottom and top).
    if (args < 14 || (args - 2) % 4 != 0) return Fail(line, Figures("numbers", static_cast<int64_t>(args), 14));
    if (!Numbers(w, at + 1, args, v, line, why)) return why;
    const size_t n = (args - 2) / 4;
    std::vector<M> low, high;
    for (size_t k = 0; k < n; ++k) {
      low.push_back({v[2 + 2 * k], v[3 + 2 * k], v[0]});
      high.push_back({v[2 + 2 * n + 2 * k], v[3 + 2 * n + 2 * k], v[1]});
    }
    double area = 0;
    for (size_t k = 0; k < n; ++k) area += low[k][0] * low[(k + 1) % n][1] - low[k][1] * low[(k + 1) % n][0];
    if (area == 0) return Fail(line, "a flat outline");
    if (area < 0) {
      std::reverse(low.begin(), low.end());
      std::reverse(high.begin(), high.end());
    }
    std::vector<M> lowCap(low.rbegin(), low.rend());
    if (!omitted("bottom")) out.push_back(Face(lowCap, false, line));
    if (!omitted("top")) out.push_back(Face(high, false, line));
    for (size_t k = 0; k < n; ++k) {
      const size_t j = (k + 1) % n;
      if (omitted(("e" + std::to_string(k + 1)).c_str())) continue;
      out.push_back(Face({low[k], low[j], high[j], high[k]}, false, line));
    }
    return {};
  }
  if (kind == "tube" || kind == "barrel") {
    // tube y|z a0 a1 r0 r1 n c1 c2: n sides about an axis along y (at x = c1, z = c2) or up z (at
    // x = c1, y = c2), radius r0 at a0 and r1 at a1, ends start and end.
    // barrel from @pivot to @muzzle r0 r1 n: along y from the gun's pivot exactly to the flash
    // point's y, at the pivot's x and z.
    double a0 = 0, a1 = 1, r0 = 0, r1 = 0, c1 = 0, c2 = 0;
    int32_t n = 0;
    bool alongY = true;
    bool exact = kind == "barrel";
    if (exact) {
      if (args < 7 || w[at + 1].text != "from" || w[at + 2].text != "@pivot" || w[at + 3].text != "to" ||
          w[at + 4].text != "@muzzle")
        return Fail(line, "barrel takes from @pivot to @muzzle r0 r1 n");
      if (contract_.gunPivot.axes == 0 || !contract_.hasFlash) return Fail(line, "a barrel without pivot and flash");
      if (stage_ != static_cast<int32_t>(ModelStage::kBarrel)) return Fail(line, "a barrel outside the barrel stage");
      if (!Numbers(w, at + 5, 3, v, line, why)) return why;
      r0 = v[0];
      r1 = v[1];
      n = Whole(v[2], 3, 16);
    } else {
      if (at + 1 >= w.size() || (w[at + 1].text != "y" && w[at + 1].text != "z"))
        return Fail(line, "tube names no axis y or z");
      alongY = w[at + 1].text == "y";
      if (args != 8) return Fail(line, Figures("numbers", static_cast<int64_t>(args), 8));
      if (!Numbers(w, at + 2, 7, v, line, why)) return why;
      a0 = v[0];
      a1 = v[1];
      r0 = v[2];
      r1 = v[3];
      n = Whole(v[4], 3, 16);
      c1 = v[5];
      c2 = v[6];
    }
    if (n < 3) return Fail(line, "tube sides must be whole, 3 to 16");
    if (!(r0 > 0 && r1 > 0)) return Fail(line, "a tube needs positive radii");
    std::vector<M> low, high;
    for (int32_t k = 0; k < n; ++k) {
      const double t = 2.0 * kPi * static_cast<double>(k) / static_cast<double>(n);
      const double cx = std::cos(t), cs = std::sin(t);
      if (alongY) {
        low.push_back({c1 + r0 * cx, a0, c2 + r0 * cs});
        high.push_back({c1 + r1 * cx, a1, c2 + r1 * cs});
      } else {
        low.push_back({c1 + r0 * cx, c2 + r0 * cs, a0});
        high.push_back({c1 + r1 * cx, c2 + r1 * cs, a1});
      }
    }
    std::vector<ModelFace> made;
    // Along y the outline is wound so that the sides face outwards.
    if (alongY) {
      std::reverse(low.begin(), low.end());
      std::reverse(high.begin(), high.end());
    }
    if (!omitted("start")) made.push_back(Face(std::vector<M>(low.rbegin(), low.rend()), false, line));
    if (!omitted("end")) made.push_back(Face(high, false, line));
    for (int32_t k = 0; k < n; ++k) {
      const size_t i = static_cast<size_t>(k), j = static_cast<size_t>((k + 1) % n);
      made.push_back(Face({low[i], low[j], high[j], high[i]}, false, line));
    }
    if (exact) {
      // The barrel's ends lie exactly on the pivot's y and the flash point's y.
      const float py = contract_.gunPivot.p[1], fy = contract_.flash[2];
      const float px = contract_.gunPivot.p[0], pz = contract_.gunPivot.p[2];
      for (ModelFace& f : made)
        for (P3& p : f.corners) {
          p[1] = p[1] == 0.0f ? py : fy;
          p[0] = static_cast<float>(px + (static_cast<double>(p[0]) - 0.0));
          p[2] = static_cast<float>(pz + static_cast<double>(p[2]));
        }
    }
    for (ModelFace& f : made) out.push_back(std::move(f));
    return {};
  }
  if (kind == "disc") {
    // disc +x|-x|+y|-y|+z|-z cx cy cz r n: an n-gon facing along the axis.
    if (at + 1 >= w.size()) return Fail(line, "disc names no axis");
    const std::string axis = w[at + 1].text;
    static const char* const kAxes[] = {"+x", "-x", "+y", "-y", "+z", "-z"};
    int32_t a = -1;
    for (int32_t k = 0; k < 6; ++k)
      if (axis == kAxes[k]) a = k;
    if (a < 0) return Fail(line, "disc axis '" + axis + "' is not +x -x +y -y +z -z");
    if (!Numbers(w, at + 2, 5, v, line, why)) return why;
    const int32_t n = Whole(v[4], 3, 12);
    if (n < 3) return Fail(line, "disc sides must be whole, 3 to 12");
    std::vector<M> m;
    for (int32_t k = 0; k < n; ++k) {
      const double t = 2.0 * kPi * static_cast<double>(k) / static_cast<double>(n);
      const double p = v[3] * std::cos(t), q = v[3] * std::sin(t);
      const bool back = a % 2 == 1;
      const double s = back ? -q : q;
      switch (a / 2) {
        case 0: m.push_back({v[0], v[1] + p, v[2] + s}); break;
        case 1: m.push_back({v[0] - p, v[1], v[2] + s}); break;
        default: m.push_back({v[0] + p, v[1] + s, v[2]}); break;
      }
    }
    out.push_back(Face(m, true, line));
    return {};
  }
  return Fail(line, "unknown solid '" + kind + "'");
}

std::string Compiler::CloseGroup() {
  if (group_ < 0) return {};
  const Group& g = groups_.back();
  if (ownGroups_) {
    // The source's own group: its counts are what it draws (the totals are held in Fit).
    ContractGroup& own = contract_.groups[static_cast<size_t>(group_)];
    own.fans = static_cast<int32_t>(g.fans.size());
    own.singles = static_cast<int32_t>(g.singles.size());
    own.singleKind = own.singles == 0 ? SingleKind::kNone
                     : contract_.arrayCount > 0 ? SingleKind::kArrays
                                                : SingleKind::kValues;
  }
  const ContractGroup& cg = contract_.groups[static_cast<size_t>(group_)];
  if (static_cast<int32_t>(g.fans.size()) != cg.fans)
    return Fail(g.line, Figures("fans", static_cast<int64_t>(g.fans.size()), cg.fans));
  // Triangles from arrays or from values; a group of value triangles (or value tracks) may leave
  // them all to the placeholder.
  const bool values = cg.singleKind == SingleKind::kValues || cg.singleKind == SingleKind::kTrackValues;
  const int32_t singles = cg.singleKind == SingleKind::kArrays || values ? cg.singles : 0;
  if (static_cast<int32_t>(g.singles.size()) != singles && !(values && g.singles.empty()))
    return Fail(g.line, Figures("singles", static_cast<int64_t>(g.singles.size()), singles));
  if (g.quads != 0 && g.quads != cg.singles) return Fail(g.line, Figures("quads", g.quads, cg.singles));
  return {};
}

std::string Compiler::Statement(const std::vector<Word>& w, int32_t line, int32_t depth) {
  const std::string& head = w[0].text;
  std::string why;
  std::vector<double> v;
  if (head == "model") {
    if (sawModel_ || depth > 0) return Fail(line, "a second model statement");
    if (!Numbers(w, 1, 1, v, line, why)) return why;
    const int32_t slot = contract_.slots.empty() ? -1 : contract_.slots.front();
    if (v[0] != static_cast<double>(slot)) return Fail(line, Figures("model", Whole(v[0], 0, 98), slot));
    sawModel_ = true;
    info_.slot = slot;
    return {};
  }
  if (!sawModel_) return Fail(line, "the source does not start with its model statement");
  if (head == "depicts") {
    if (w.size() != 7 || !w[1].quoted || !w[6].quoted)
      return Fail(line, "depicts takes \"name\" length width height wheels \"source\"");
    // A length or width written "fixed" is the routine's own, which its contract fixes: no
    // published figure of the vehicle fits it, and the row's source says why.
    std::vector<Word> figures = w;
    bool fixed[2] = {false, false};
    for (size_t k = 0; k < 2; ++k)
      if (!figures[2 + k].quoted && figures[2 + k].text == "fixed") {
        fixed[k] = true;
        figures[2 + k].text = "1";
      }
    if (!Numbers(figures, 2, 4, v, line, why)) return why;
    ModelDepiction d{w[1].text, fixed[0] ? 0.0f : static_cast<float>(v[0]), fixed[1] ? 0.0f : static_cast<float>(v[1]),
                     static_cast<float>(v[2]), Whole(v[3], 0, 20), w[6].text, line};
    if (!(v[0] > 0 && v[1] > 0 && v[2] > 0 && v[0] < 100 && v[1] < 100 && v[2] < 100) || d.wheels < 0)
      return Fail(line, "depicts figures must be positive, wheels whole");
    // A routine without footprint (no shadow, no ground extent) has no length or width of its own
    // to compare: both are written fixed, and only the height is held to the vehicle's.
    if (!contract_.hasFootprint && !(fixed[0] && fixed[1]))
      return Fail(line, "depicts: the routine has no footprint, so its length and width are fixed");
    if (contract_.hasFootprint && fixed[0] && fixed[1])
      return Fail(line, "depicts fixes its length or its width, not both");
    info_.depicts.push_back(d);
    return {};
  }
  if (head == "road-wheels") {
    if (depth > 0) return Fail(line, "a part holds solids only");
    if (info_.roadWheelsLine != 0) return Fail(line, "a second road-wheels statement");
    if (w.size() != 2) return Fail(line, "road-wheels takes the road wheels a side");
    if (!Numbers(w, 1, 1, v, line, why)) return why;
    const int32_t n = Whole(v[0], 0, 20);
    if (n < 0) return Fail(line, "road-wheels takes a whole number 0 to 20");
    info_.roadWheels = n;
    info_.roadWheelsLine = line;
    return {};
  }
  if (head == "hatch") {
    if (w.size() != 7 || (w[6].text != "turret" && w[6].text != "hull"))
      return Fail(line, "hatch takes name x y z heading turret|hull");
    if (!Numbers(w, 2, 4, v, line, why)) return why;
    const P3 p = Units(v[0], v[1], v[2]);
    info_.hatches.push_back({w[1].text, p[0], p[1], p[2], static_cast<float>(v[3]), w[6].text == "turret", line});
    return {};
  }
  if (head == "template") {
    if (w.size() != 2) return Fail(line, "template names the routine's form");
    if (sawTemplate_ || sawBody_) return Fail(line, "template with a model of its own");
    if (w[1].text != ModelFormName(contract_.form))
      return Fail(line, "template '" + w[1].text + "' is not the routine's form '" + ModelFormName(contract_.form) + "'");
    sawTemplate_ = true;
    info_.isTemplate = true;
    return {};
  }
  if (head == "let") {
    if (w.size() != 4 || w[2].text != "=") return Fail(line, "let takes name = value");
    const std::string& n = w[1].text;
    if (n.empty() || !(std::isalpha(static_cast<unsigned char>(n[0])) || n[0] == '_'))
      return Fail(line, "'" + n + "' is not a name");
    if (!Numbers(w, 3, 1, v, line, why)) return why;
    values_[n] = v[0];
    return {};
  }
  if (head == "use") {
    if (w.size() < 2 || !w[1].quoted) return Fail(line, "use takes \"parts/...\" [with name = value ...]");
    const std::string path = w[1].text;
    if (std::find(using_.begin(), using_.end(), path) != using_.end()) return Fail(line, "'" + path + "' uses itself");
    if (w.size() > 2) {
      if (w[2].text != "with" || (w.size() - 3) % 3 != 0) return Fail(line, "use takes with name = value ...");
      for (size_t k = 3; k < w.size(); k += 3) {
        if (w[k + 1].text != "=") return Fail(line, "use takes with name = value ...");
        if (!Numbers(w, k + 2, 1, v, line, why)) return why;
        values_[w[k].text] = v[0];
      }
    }
    std::string text;
    if (!load_ || !load_(path, text)) return Fail(line, "'" + path + "' cannot be read");
    using_.push_back(path);
    size_t start = 0;
    int32_t partLine = 0;
    while (start <= text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      ++partLine;
      std::vector<Word> pw;
      if (!SplitLine(text.substr(start, end - start), pw, why))
        return Fail(line, path + ":" + std::to_string(partLine) + ": " + why);
      if (!pw.empty()) {
        if (pw[0].text == "model" || pw[0].text == "stage" || pw[0].text == "group")
          return Fail(line, path + ":" + std::to_string(partLine) + ": a part holds solids only");
        if (std::string e = Statement(pw, line, depth + 1); !e.empty()) return e;
      }
      start = end + 1;
    }
    using_.pop_back();
    return {};
  }
  if (head == "copy") {
    if (depth > 0) return Fail(line, "a part holds solids only");
    return Copy(w, line);
  }
  if (head == "loop" || head == "run" || head == "tread" || head == "trailer" || head == "halftrack")
    return Gear(w, line);
  if (head == "fit") {
    if (w.size() == 2 && w[1].text == "spread") {
      spread_ = true;
      return {};
    }
    if (w.size() != 2 || w[1].text != "footprint") return Fail(line, "fit takes footprint or spread");
    if (!contract_.hasFootprint) return Fail(line, "fit footprint in a routine without footprint");
    fitLine_ = line;
    return {};
  }
  if (head == "stage") {
    if (depth > 0) return Fail(line, "a part holds solids only");
    if (sawTemplate_) return Fail(line, "template with a model of its own");
    if (w.size() != 2) return Fail(line, "stage names hull, variant, turret, gun or barrel");
    int32_t s = -1;
    for (int32_t k = 0; k < 5; ++k)
      if (w[1].text == kStageNames[k]) s = k;
    if (s < 0) return Fail(line, "unknown stage '" + w[1].text + "'");
    if (std::string e = CloseGroup(); !e.empty()) return e;
    stage_ = s;
    group_ = -1;
    sawBody_ = true;
    return {};
  }
  if (head == "group") {
    if (depth > 0) return Fail(line, "a part holds solids only");
    if (stage_ < 0) return Fail(line, "a group before its stage");
    // "group colour": the coloured fans, drawn in black.
    if (w.size() == 2 && w[1].text == "colour") v = {-1.0};
    else if (!Numbers(w, 1, 1, v, line, why)) return why;
    if (std::string e = CloseGroup(); !e.empty()) return e;
    const int32_t entry = Whole(v[0], -1, 16);
    if (entry < -1) return Fail(line, "a group's entry is a whole number 0 to 16");
    if (ownGroups_) {
      ContractGroup own;
      own.stage = static_cast<ModelStage>(stage_);
      own.entry = entry;
      contract_.groups.push_back(own);
    }
    while (static_cast<size_t>(nextGroup_) < contract_.groups.size() && Copied(static_cast<size_t>(nextGroup_)))
      ++nextGroup_;
    const size_t next = static_cast<size_t>(nextGroup_);
    if (next >= contract_.groups.size())
      return Fail(line, Figures("groups", nextGroup_ + 1, static_cast<int64_t>(contract_.groups.size())));
    const ContractGroup& cg = contract_.groups[next];
    if (static_cast<int32_t>(cg.stage) != stage_ || cg.entry != entry) {
      groupEntry_ = entry;
      group_ = nextGroup_;
      return Fail(line, std::string("group order (has ") + kStageNames[stage_] + " " + std::to_string(entry) +
                            ", wants " + kStageNames[static_cast<int32_t>(cg.stage)] + " " +
                            std::to_string(cg.entry) + ")");
    }
    group_ = nextGroup_++;
    groupEntry_ = entry;
    groups_.push_back({group_, line, {}, {}});
    return {};
  }
  if (head == "quad") return Quad(w, line);
  if (head == "valuetracks") return ValueTracks(w, line);
  // A solid.
  if (group_ < 0) return Fail(line, "a solid outside a group");
  std::vector<ModelFace> faces;
  if (std::string e = Solid(w, 0, line, faces); !e.empty()) return e;
  Group& g = groups_.back();
  // Texture coordinates once the face stands where it is drawn; a triangle is one of the
  // routine's singles, a larger face a fan.
  for (ModelFace& f : faces) {
    if (!IsConvex(f)) return Fail(line, "a face that is not convex");
    if (f.fitUv) FitUv(f);
    else BandUv(f, kUnit);
    ++info_.entryFaces[groupEntry_][f.fitUv ? 0 : 1];
  }
  for (ModelFace& f : faces) (f.corners.size() == 3 ? g.singles : g.fans).push_back(std::move(f));
  return {};
}

// Moves the hull stage's extreme corners (those at its least and greatest x and y) onto the
// footprint, so that the stage's extents equal it exactly. An extreme more than a tenth of the
// footprint's size away is refused.
std::string Compiler::FitFootprint() {
  std::vector<ModelFace*> faces;
  for (Group& g : groups_) {
    const ModelStage st = contract_.groups[static_cast<size_t>(g.contractIndex)].stage;
    if (st != ModelStage::kHull && st != ModelStage::kVariant) continue;
    for (ModelFace& f : g.fans) faces.push_back(&f);
    for (ModelFace& f : g.singles) faces.push_back(&f);
  }
  if (faces.empty()) return Fail(fitLine_, "fit footprint without a hull");
  float lo[2] = {faces[0]->corners[0][0], faces[0]->corners[0][1]}, hi[2] = {lo[0], lo[1]};
  for (const ModelFace* f : faces)
    for (const P3& p : f->corners)
      for (size_t a = 0; a < 2; ++a) {
        lo[a] = std::fmin(lo[a], p[a]);
        hi[a] = std::fmax(hi[a], p[a]);
      }
  const std::array<float, 4>& fp = contract_.footprint;
  const float has[4] = {lo[0], lo[1], hi[0], hi[1]};
  for (size_t k = 0; k < 4; ++k) {
    const float size = fp[k % 2 + 2] - fp[k % 2];
    if (std::fabs(has[k] - fp[k]) > 0.1f * size) {
      char buffer[96];
      std::snprintf(buffer, sizeof buffer, "fit footprint (has %.4f, wants %.4f)", static_cast<double>(has[k]),
                    static_cast<double>(fp[k]));
      stage_ = 0;
      return Fail(fitLine_, buffer);
    }
  }
  for (ModelFace* f : faces)
    for (P3& p : f->corners)
      for (size_t a = 0; a < 2; ++a) {
        if (p[a] == lo[a]) p[a] = fp[a];
        else if (p[a] == hi[a]) p[a] = fp[a + 2];
      }
  return {};
}

std::string Compiler::GearPiece(int32_t line, int32_t strip, const GearBand& band, float a, float b, bool reversed,
                                bool pairAtEnd) {
  const ContractStrip& s = contract_.strips[static_cast<size_t>(strip)];
  if (gearLine_[static_cast<size_t>(strip)] != 0)
    return GearFail(line, strip, Figures("drawn again, first on line", gearLine_[static_cast<size_t>(strip)], line));
  GearStrip g = MakeGearPiece(band, a, b, s.n, s.sign, reversed, pairAtEnd);
  if (std::string e = CheckGearPiece(band, g, s.sign, contract_.ground, contract_.upper, contract_.bothGrounded);
      !e.empty())
    return GearFail(line, strip, e);
  gear_[static_cast<size_t>(strip)] = std::move(g);
  gearLine_[static_cast<size_t>(strip)] = line;
  return {};
}

// loop|run|tread|trailer left|right <strips...> y0 y1 height width [cut P Q] [split y] [reverse];
// halftrack left|right <a tread's strips and figures> then <a loop's strips, figures and cut>.
std::string Compiler::Gear(const std::vector<Word>& w, int32_t line) {
  const std::string& kind = w[0].text;
  if (sawTemplate_) return Fail(line, "running gear in a template");
  if (contract_.strips.empty() || (contract_.firstHalf && !ownGroups_))
    return Fail(line, "running gear in a routine without its strip list");
  if (!contract_.hasFootprint) return Fail(line, "running gear in a routine without footprint");
  if (w.size() < 2 || (w[1].text != "left" && w[1].text != "right"))
    return Fail(line, kind + " names its side, left or right");
  if (kind == "halftrack") {
    // The wheel ahead of the track run, on one side.
    const auto then = std::find_if(w.begin(), w.end(), [](const Word& x) { return x.text == "then"; });
    if (then == w.end()) return Fail(line, "halftrack takes a tread, then a loop");
    std::vector<Word> wheel{{"tread", false}};
    wheel.insert(wheel.end(), w.begin() + 1, then);
    std::vector<Word> run{{"loop", false}, w[1]};
    run.insert(run.end(), then + 1, w.end());
    if (std::string e = Gear(wheel, line); !e.empty()) return e;
    if (std::string e = Gear(run, line); !e.empty()) return e;
    const PlacedBand& t = bands_[bands_.size() - 2];
    const PlacedBand& l = bands_.back();
    if (t.y0 < l.y1) return Fail(line, "halftrack: the wheel does not stand ahead of the track run");
    return {};
  }
  const int32_t side = w[1].text == "right" ? 0 : 1;
  // The optional words at the end.
  size_t end = w.size();
  bool reversed = false;
  if (end > 2 && w[end - 1].text == "reverse") {
    reversed = true;
    --end;
  }
  std::string split;
  if (end > 4 && w[end - 2].text == "split") {
    split = w[end - 1].text;
    end -= 2;
  }
  std::string cutP, cutQ;
  if (end > 5 && w[end - 3].text == "cut") {
    cutP = w[end - 2].text;
    cutQ = w[end - 1].text;
    end -= 3;
  }
  const bool loop = kind == "loop", runKind = kind == "run";
  const bool treadKind = kind == "tread" || kind == "trailer";
  const size_t numbers = end - 2;
  const size_t strips = numbers - 4;
  const bool fits = (loop && strips == 2 && !cutP.empty() && split.empty()) ||
                    (runKind && strips == 3 && !cutP.empty() && !split.empty()) ||
                    (treadKind && (strips == 3 || (strips == 2 && kind == "tread")) && cutP.empty() && split.empty());
  if (numbers < 4 || !fits) {
    static const std::map<std::string, std::string> kUsage = {
        {"loop", "loop left|right upper lower y0 y1 height width cut P Q [reverse]"},
        {"run", "run left|right upper rear front y0 y1 height width cut P Q split y [reverse]"},
        {"tread", "tread left|right upper rear front (or front rear) y0 y1 height width [reverse]"},
        {"trailer", "trailer left|right upper rear front y0 y1 height width [reverse]"}};
    return Fail(line, "the running gear takes " + kUsage.at(kind));
  }
  std::vector<double> v;
  std::string why;
  if (!Numbers(w, 2, numbers, v, line, why)) return why;
  std::vector<int32_t> index;
  for (size_t k = 0; k < strips; ++k) {
    const int32_t i = Whole(v[k], 1, static_cast<int32_t>(contract_.strips.size()));
    if (i < 1)
      return Fail(line, "strip '" + w[2 + k].text + "' is not a whole number 1 to " +
                            std::to_string(contract_.strips.size()));
    // A first-half source chooses its strips' sides; the contract's list holds the others to theirs.
    if (ownGroups_) contract_.strips[static_cast<size_t>(i - 1)].side = side;
    if (contract_.strips[static_cast<size_t>(i - 1)].side != side)
      return GearFail(line, i - 1, std::string("side (has ") + w[1].text + ", wants " +
                                       (side == 0 ? "left" : "right") + ")");
    index.push_back(i - 1);
  }
  const double y0 = v[strips], y1 = v[strips + 1], h = v[strips + 2], width = v[strips + 3];
  const float edge = side == 0 ? contract_.footprint[2] : contract_.footprint[0];
  if (!(y0 < y1 && h > 0 && width > 0 && width / kUnit < std::fabs(edge)) || std::fabs(y0) > 100.0 ||
      std::fabs(y1) > 100.0 || h > 100.0)
    return Fail(line, "a band needs y0 below y1, a height, and a width inside its side (within 100 m)");
  GearBand band;
  band.outerX = edge;
  band.innerX = static_cast<float>(side == 0 ? edge - width / kUnit : edge + width / kUnit);
  band.y0 = static_cast<float>(y0 / kUnit);
  band.y1 = static_cast<float>(y1 / kUnit);
  band.height = static_cast<float>(h / kUnit);
  if (firstGearLine_ == 0) {
    firstGearLine_ = line;
    gear_.assign(contract_.strips.size(), GearStrip{});
    gearLine_.assign(contract_.strips.size(), 0);
  }
  bands_.push_back({side, band.y0, band.y1, kind == "trailer", line, index[0], kind == "tread"});
  auto point = [&band](const std::string& name, float& arc) { return GearBandPoint(band, name, arc); };
  float a = 0, b = 0, e = 0, f = 0;
  if (treadKind && strips == 3) {
    // The upper arc over the top, the lower rear slope, and the front part; the bottom left out.
    point("front-high", a);
    point("rear-low", b);
    point("bottom-rear", e);
    point("bottom-front", f);
    if (std::string r = GearPiece(line, index[0], band, a, b, reversed); !r.empty()) return r;
    if (std::string r = GearPiece(line, index[1], band, b, e, reversed); !r.empty()) return r;
    return GearPiece(line, index[2], band, f, a, reversed);
  }
  if (treadKind) {
    // Two arcs meeting at the top face's front end, down to the ground ahead and behind.
    point("top-front", a);
    point("bottom-front", f);
    point("bottom-rear", e);
    if (std::string r = GearPiece(line, index[0], band, f, a, reversed); !r.empty()) return r;
    return GearPiece(line, index[1], band, a, e, reversed);
  }
  if (!point(cutP, a) || !point(cutQ, b) || a == b)
    return Fail(line, "cut names two points of the band: bottom-rear bottom-front front-low front-mid front-high "
                      "top-front top-rear rear-high rear-mid rear-low");
  // The lower piece is the one round the bottom face.
  const float round = GearBandLength(band);
  const float bottom = GearBandBottom(band);
  auto within = [round](float from, float to, float x) {
    return std::fmod(x - from + 2.0f * round, round) < std::fmod(to - from + 2.0f * round, round);
  };
  if (!within(a, b, bottom)) std::swap(a, b);
  if (loop) {
    if (std::string r = GearPiece(line, index[0], band, b, a, reversed); !r.empty()) return r;
    return GearPiece(line, index[1], band, a, b, reversed);
  }
  // A run: the lower piece split on the ground, rear and front.
  double y = 0;
  if (!Number(split, y, why)) return Fail(line, why);
  const float s = GearBandGroundPoint(band, static_cast<float>(y / kUnit));
  float bottomFront = 0;
  point("bottom-front", bottomFront);
  if (!(s > 0.0f && s < bottomFront) || !within(a, b, s)) return Fail(line, "split lies off the run's ground");
  if (std::string r = GearPiece(line, index[0], band, b, a, reversed); !r.empty()) return r;
  // The rear piece ends on both edges at the split, the two vertices the front piece starts from.
  if (std::string r = GearPiece(line, index[1], band, a, s, reversed, true); !r.empty()) return r;
  return GearPiece(line, index[2], band, s, b, reversed);
}

// The running gear for the record: the source's own, a copied routine's, or none (the contract's).
std::string Compiler::FinishGear(std::vector<GearStrip>& out) {
  out.clear();
  if (firstGearLine_ == 0 && copyTracks_ != nullptr) {
    const std::string otherName = ModelSourceName(*copyTracks_);
    std::string text;
    if (!load_ || !load_(otherName, text)) return Fail(copyTracksLine_, "'" + otherName + "' cannot be read");
    Compiler other(otherName, *copyTracks_, all_, load_);
    if (std::string e = other.Read(text); !e.empty()) return e;
    if (other.HasGear()) out = other.GivenGear();
    // The same tracks carry the same road wheels.
    if (info_.roadWheelsLine == 0) info_.roadWheels = other.info_.roadWheels;
    else if (other.info_.roadWheels >= 0 && other.info_.roadWheels != info_.roadWheels)
      return Fail(info_.roadWheelsLine, Figures("road-wheels of the copied tracks", other.info_.roadWheels,
                                                info_.roadWheels));
    return {};
  }
  if (firstGearLine_ == 0) return {};
  for (size_t i = 0; i < gearLine_.size(); ++i)
    if (gearLine_[i] == 0) return GearFail(firstGearLine_, static_cast<int32_t>(i), "running gear (has no piece, wants one)");
  // A trailer stands behind every loop and run of its side.
  for (const PlacedBand& t : bands_)
    for (const PlacedBand& o : bands_)
      if (t.trailer && !o.trailer && o.side == t.side && t.y1 > o.y0)
        return GearFail(t.line, t.strip, "trailer ahead of its side's running gear");
  out = gear_;
  return {};
}

std::string Compiler::Quad(const std::vector<Word>& w, int32_t line) {
  if (group_ < 0) return Fail(line, "a solid outside a group");
  if (contract_.groups[static_cast<size_t>(group_)].singleKind != SingleKind::kQuads)
    return Fail(line, "quad in a group that draws no quads");
  const size_t index = quadsSeen_++;
  if (index >= contract_.quads.size())
    return Fail(line, Figures("quads", static_cast<int64_t>(index + 1), static_cast<int64_t>(contract_.quads.size())));
  groups_.back().quads++;
  if (w.size() == 2 && w[1].text == "given") return {};
  if (w.size() != 21) return Fail(line, Figures("numbers", static_cast<int64_t>(w.size() - 1), 20));
  std::vector<double> v;
  std::string why;
  if (!Numbers(w, 1, 20, v, line, why)) return why;
  // Positions in metres, texture coordinates as they are.
  const std::array<float, 20>& q = contract_.quads[index];
  for (size_t k = 0; k < 20; ++k) {
    const double value = k % 5 < 3 ? v[k] / kUnit : v[k];
    if (std::fabs(value - static_cast<double>(q[k])) > 1e-6) {
      char buffer[128];
      std::snprintf(buffer, sizeof buffer, "quad %zu, value %zu: the box as given (has %.6f, wants %.6f)", index + 1,
                    k + 1, value, static_cast<double>(q[k]));
      return Fail(line, buffer);
    }
  }
  return {};
}

// The two tracks of a routine that draws them as value triangles: on each side (-x first) a closed
// eight-sided band from x0 to x1 out from the middle, each of its faces two triangles, v the
// stored part of the side's offset plus distance round the band, rolling as a + strip does.
std::string Compiler::ValueTracks(const std::vector<Word>& w, int32_t line) {
  if (group_ < 0) return Fail(line, "a solid outside a group");
  const ContractGroup& cg = contract_.groups[static_cast<size_t>(group_)];
  if (cg.singleKind != SingleKind::kTrackValues) return Fail(line, "valuetracks in a group that draws no value tracks");
  const bool reversed = w.size() == 7 && w[6].text == "reverse";
  if (w.size() != (reversed ? 7u : 6u)) return Fail(line, "valuetracks takes x0 x1 y0 y1 height [reverse]");
  std::vector<double> v;
  std::string why;
  if (!Numbers(w, 1, 5, v, line, why)) return why;
  if (!(v[0] > 0 && v[0] < v[1] && v[2] < v[3] && v[4] > 0) || v[1] > 100.0 || std::fabs(v[2]) > 100.0 ||
      std::fabs(v[3]) > 100.0 || v[4] > 100.0)
    return Fail(line, "valuetracks needs 0 < x0 < x1, y0 below y1 and a height (within 100 m)");
  if (cg.singles != 32) return Fail(line, Figures("value track triangles", 32, cg.singles));
  GearBand band;
  band.y0 = static_cast<float>(v[2] / kUnit);
  band.y1 = static_cast<float>(v[3] / kUnit);
  band.height = static_cast<float>(v[4] / kUnit);
  const float round = GearBandLength(band);
  Group& g = groups_.back();
  for (int32_t side = 1; side >= 0; --side) {
    const float sx = side == 0 ? 1.0f : -1.0f;
    band.innerX = sx * static_cast<float>(v[0] / kUnit);
    band.outerX = sx * static_cast<float>(v[1] / kUnit);
    // All eight faces, from the bottom face's rear end round; a strip of 16 triangles cut into
    // its faces' two triangles each.
    const GearStrip strip = MakeGearPiece(band, 0.0f, round, 16, 1, reversed);
    if (std::string e = CheckGearPiece(band, strip, 1, contract_.ground, contract_.upper, false); !e.empty())
      return Fail(line, std::string(side == 0 ? "+x" : "-x") + " track: " + e);
    for (size_t t = 0; t < 16; ++t) {
      ModelFace f;
      f.line = line;
      for (size_t k = t; k < t + 3; ++k) {
        f.corners.push_back({strip.xyz[3 * k], strip.xyz[3 * k + 1], strip.xyz[3 * k + 2]});
        f.uv.push_back({strip.uv[2 * k], strip.uv[2 * k + 1]});
      }
      g.singles.push_back(std::move(f));
    }
  }
  return {};
}

std::string Compiler::Copy(const std::vector<Word>& w, int32_t line) {
  std::vector<double> v;
  std::string why;
  if (w.size() != 3 || (w[2].text != "stages" && w[2].text != "tracks")) return Fail(line, "copy takes slot stages|tracks");
  if (!Numbers(w, 1, 1, v, line, why)) return why;
  const int32_t slot = Whole(v[0], 0, 98);
  const ModelContract* other = nullptr;
  for (const ModelContract& c : all_)
    if (std::find(c.slots.begin(), c.slots.end(), slot) != c.slots.end()) other = &c;
  if (other == nullptr || other->routine == contract_.routine) return Fail(line, "copy names no other routine's slot");
  if (w[2].text == "stages") {
    if (contract_.shares != other->routine)
      return Fail(line, Figures("copy stages of slot", slot, contract_.shares < 0 ? -1 : contract_.shares));
    if (sawBody_ || copyStages_ != nullptr) return Fail(line, "copy stages after a stage");
    copyStages_ = other;
    copyLine_ = line;
    return {};
  }
  // The running gear of the families that draw equal tracks: the same strip list, made from the
  // same figures, so the tracks come out value for value.
  static const int32_t kFamilies[][4] = {{82, 83, 84, 85}, {86, 87, 88, 89}};
  bool family = false;
  for (const auto& f : kFamilies) {
    const bool mine = std::find(std::begin(f), std::end(f), contract_.slots.front()) != std::end(f);
    const bool theirs = std::find(std::begin(f), std::end(f), slot) != std::end(f);
    family = family || (mine && theirs);
  }
  if (!family) return Fail(line, "copy tracks outside a family of equal tracks");
  bool same = contract_.strips.size() == other->strips.size();
  for (size_t i = 0; same && i < contract_.strips.size(); ++i)
    same = contract_.strips[i].n == other->strips[i].n && contract_.strips[i].side == other->strips[i].side &&
           contract_.strips[i].sign == other->strips[i].sign;
  if (!same) return Fail(line, "copy tracks: the strip lists differ");
  copyTracks_ = other;
  copyTracksLine_ = line;
  return {};
}

// The other routine's groups as its own source draws them.
std::string Compiler::CopiedGroups(std::vector<AuthoredGroup>& out) {
  const std::string otherName = ModelSourceName(*copyStages_);
  std::string text;
  if (!load_ || !load_(otherName, text)) return Fail(copyLine_, "'" + otherName + "' cannot be read");
  Compiler other(otherName, *copyStages_, all_, load_);
  ModelRecord unused;
  if (std::string e = other.Read(text); !e.empty()) return e;
  if (other.IsTemplate()) return Fail(copyLine_, "copy stages of a template: this model is a template too");
  return other.Fit(out);
}

std::string Compiler::Fit(std::vector<AuthoredGroup>& authored) {
  // A routine keeping another's fan sizes is authored like any other; the sharing check holds its
  // sizes to the other's.
  if (!layoutFault_.empty()) return Fail(1, layoutFault_);
  if ((contract_.firstHalf && contract_.groups.empty()) || (contract_.shares >= 0 && copyStages_ == nullptr))
    return Fail(1, "only a template serves a routine whose groups are laid out or shared");
  if (ownGroups_) {
    // The source's groups together hold the routine's fans, singles and binds.
    int32_t fans = 0, singles = 0;
    for (const ContractGroup& g : contract_.groups) {
      fans += g.fans;
      singles += g.singles;
    }
    const int32_t binds = static_cast<int32_t>(contract_.groups.size()) + (contract_.stripCount > 0 ? 1 : 0);
    if (fans != contract_.fanCount) return Fail(1, Figures("fans in all", fans, contract_.fanCount));
    if (singles != contract_.arrayCount + contract_.valueCount)
      return Fail(1, Figures("single triangles in all", singles, contract_.arrayCount + contract_.valueCount));
    if (binds != contract_.binds) return Fail(1, Figures("binds", binds, contract_.binds));
  }
  while (static_cast<size_t>(nextGroup_) < contract_.groups.size() && Copied(static_cast<size_t>(nextGroup_)))
    ++nextGroup_;
  if (nextGroup_ != static_cast<int32_t>(contract_.groups.size()))
    return Fail(1, Figures("groups", nextGroup_, static_cast<int64_t>(contract_.groups.size())));
  if (fitLine_ != 0)
    if (std::string e = FitFootprint(); !e.empty()) return e;
  // The fans given by the contract keep their sizes; the free ones share what the routine has left.
  int32_t wanted = contract_.totals[1];
  for (const ContractStrip& s : contract_.strips) wanted -= s.n;
  authored.assign(contract_.groups.size(), AuthoredGroup{});
  if (copyStages_ != nullptr) {
    // The other routine's hull, turret and gun groups, in order, onto this one's.
    std::vector<AuthoredGroup> theirs;
    if (std::string e = CopiedGroups(theirs); !e.empty()) return e;
    size_t k = 0;
    for (size_t i = 0; i < contract_.groups.size(); ++i) {
      if (!Copied(i)) continue;
      while (k < copyStages_->groups.size() && !IsCopiedStage(copyStages_->groups[k].stage)) ++k;
      if (k >= copyStages_->groups.size() || copyStages_->groups[k].entry != contract_.groups[i].entry ||
          copyStages_->groups[k].fans != contract_.groups[i].fans ||
          copyStages_->groups[k].singles != contract_.groups[i].singles)
        return Fail(copyLine_, "copy: the routines' shared groups differ");
      authored[i] = theirs[k++];
      for (const std::vector<float>& fan : authored[i].fanXyz) wanted -= static_cast<int32_t>(fan.size() / 3) - 2;
      wanted -= contract_.groups[i].singles * (contract_.groups[i].singleKind == SingleKind::kQuads ? 2 : 1);
    }
  }
  std::vector<ModelFace> all;
  std::vector<size_t> owner;
  for (size_t gi = 0; gi < groups_.size(); ++gi) {
    const Group& g = groups_[gi];
    const ContractGroup& cg = contract_.groups[static_cast<size_t>(g.contractIndex)];
    wanted -= cg.singles * (cg.singleKind == SingleKind::kQuads ? 2 : 1);
    for (size_t i = 0; i < g.fans.size(); ++i) {
      ModelFace f = g.fans[i];
      f.want = cg.fanSizes.empty() ? 0 : cg.fanSizes[i];
      wanted -= f.want;
      all.push_back(f);
      owner.push_back(gi);
    }
  }
  if (std::string e = FitFaces(all, wanted, spread_); !e.empty()) {
    // Named after the last group holding a face the rule concerns.
    const Group& g = groups_[owner.empty() ? 0 : owner.back()];
    const ContractGroup& cg = contract_.groups[static_cast<size_t>(g.contractIndex)];
    stage_ = static_cast<int32_t>(cg.stage);
    group_ = g.contractIndex;
    groupEntry_ = cg.entry;
    return Fail(g.line, e);
  }
  for (size_t k = 0; k < all.size(); ++k) {
    const Group& g = groups_[owner[k]];
    AuthoredGroup& a = authored[static_cast<size_t>(g.contractIndex)];
    std::vector<float> xyz, uv;
    if (!FanFromFace(all[k], xyz, uv)) {
      const ContractGroup& cg = contract_.groups[static_cast<size_t>(g.contractIndex)];
      stage_ = static_cast<int32_t>(cg.stage);
      group_ = g.contractIndex;
      groupEntry_ = cg.entry;
      return Fail(all[k].line, "a fan whose every hub leaves a flat triangle");
    }
    a.fanXyz.push_back(xyz);
    a.fanUv.push_back(uv);
  }
  for (const Group& g : groups_) {
    AuthoredGroup& a = authored[static_cast<size_t>(g.contractIndex)];
    a.present = true;
    for (const ModelFace& f : g.singles) {
      std::vector<float> xyz, uv;
      for (size_t i = 0; i < 3; ++i) {
        xyz.insert(xyz.end(), f.corners[i].begin(), f.corners[i].end());
        uv.insert(uv.end(), f.uv[i].begin(), f.uv[i].end());
      }
      a.singleXyz.push_back(xyz);
      a.singleUv.push_back(uv);
    }
  }
  return {};
}

std::string Compiler::Finish(ModelRecord& record) {
  if (sawTemplate_) {
    const std::string why = MakePlaceholder(contract_, record, &all_);
    return why.empty() ? why : name_ + ":1: slot " + std::to_string(contract_.slots.front()) + ": " + why;
  }
  std::vector<AuthoredGroup> authored;
  if (std::string e = Fit(authored); !e.empty()) return e;
  std::vector<GearStrip> gear;
  if (std::string e = FinishGear(gear); !e.empty()) return e;
  const std::string why = MakePlaceholder(contract_, record, &all_, &authored, gear.empty() ? nullptr : &gear);
  return why.empty() ? why : name_ + ":1: slot " + std::to_string(contract_.slots.front()) + ": " + why;
}

std::string Compiler::Run(const std::string& text, ModelRecord& record, ModelSourceInfo* info) {
  if (std::string e = Read(text); !e.empty()) return e;
  if (std::string e = Finish(record); !e.empty()) return e;
  if (info != nullptr) *info = info_;
  return {};
}

std::string Compiler::Read(const std::string& text) {
  size_t start = 0;
  int32_t line = 0;
  std::vector<Word> w;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    ++line;
    std::string why;
    if (!SplitLine(text.substr(start, end - start), w, why)) return Fail(line, why);
    if (!w.empty()) {
      if (w[0].quoted) return Fail(line, "a line starts with a quoted name");
      if (std::string e = Statement(w, line, 0); !e.empty()) return e;
    }
    start = end + 1;
  }
  if (!sawModel_) return name_ + ":1: slot " + std::to_string(contract_.slots.front()) + ": no model statement";
  if (sawTemplate_) return {};
  if (std::string e = CloseGroup(); !e.empty()) return e;
  stage_ = -1;
  group_ = -1;
  // Where the running gear shows the road wheels, a declared figure must be what it draws.
  if (const int32_t drawn = DrawnRoadWheels(); drawn >= 0) {
    if (info_.roadWheelsLine != 0 && info_.roadWheels != drawn)
      return Fail(info_.roadWheelsLine, Figures("road-wheels", drawn, info_.roadWheels));
    info_.roadWheels = drawn;
  }
  return {};
}

int32_t Compiler::DrawnRoadWheels() const {
  // No running gear at all (the boat, the box): nothing stands on wheels.
  bool trackValues = false;
  for (const ContractGroup& g : contract_.groups) trackValues = trackValues || g.singleKind == SingleKind::kTrackValues;
  if (contract_.strips.empty() && contract_.stripCount == 0 && !trackValues) return 0;
  // Only treads show their wheels; a loop, run or trailer among them hides the track's.
  if (bands_.empty() || copyTracks_ != nullptr) return -1;
  std::vector<std::pair<float, float>> spans;
  for (const PlacedBand& b : bands_) {
    if (!b.wheel) return -1;
    if (b.side == 1) spans.emplace_back(b.y0, b.y1);
  }
  // The left side's treads, one station to each run of overlapping spans along y.
  std::sort(spans.begin(), spans.end());
  int32_t stations = 0;
  float reach = 0.0f;
  for (const auto& [y0, y1] : spans) {
    if (stations == 0 || y0 >= reach) {
      ++stations;
      reach = y1;
    } else {
      reach = std::fmax(reach, y1);
    }
  }
  return stations;
}

std::string CompileModelSource(const std::string& text, const std::string& name, const ModelContract& contract,
                               const std::vector<ModelContract>& all, const ModelPartLoader& load,
                               ModelRecord& record, ModelSourceInfo* info) {
  record = ModelRecord{};
  if (contract.slots.empty()) return name + ":1: a routine without slots";
  Compiler compiler(name, contract, all, load);
  const std::string why = compiler.Run(text, record, info);
  if (!why.empty()) record = ModelRecord{};
  return why;
}

bool NamesDepictedVehicle(std::string_view name, std::string_view depicted) {
  return name.substr(0, depicted.size()) == depicted && (name.size() == depicted.size() || name[depicted.size()] == ' ');
}

std::string ModelSourceName(const ModelContract& contract) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%03d.model", contract.slots.empty() ? 0 : contract.slots.front());
  return buffer;
}

std::string CheckDepiction(const std::string& name, const ModelContract& c, const ModelProgram& program,
                           const ModelDepiction& d, int32_t roadWheels) {
  const std::string where = name + ":" + std::to_string(d.line) + ": slot " +
                            std::to_string(c.slots.empty() ? -1 : c.slots.front()) + ": ";
  if (!c.hasFootprint && (d.length != 0.0f || d.width != 0.0f))
    return where + "depicts a vehicle's length or width, but the routine has no footprint";
  ModelCallLog log;
  RunModelProgram(program, log, &log, ModelDrawValues{}, false, true);
  float top = 0.0f;
  for (const auto& call : log.Calls()) {
    const bool primitive = call.kind == ModelCallLog::Kind::kStrip || call.kind == ModelCallLog::Kind::kFan ||
                           call.kind == ModelCallLog::Kind::kArray || call.kind == ModelCallLog::Kind::kValue ||
                           call.kind == ModelCallLog::Kind::kQuad || call.kind == ModelCallLog::Kind::kColouredFan;
    if (!primitive) continue;
    for (size_t k = 2; k < call.args.size(); k += 3) top = std::fmax(top, call.args[k]);
  }
  const double front = std::fmax(c.footprint[3], c.hasFlash ? c.flash[2] : c.footprint[3]);
  const double figures[3][3] = {{(front - c.footprint[1]) * kUnit, d.length, 0.08},
                                {(c.footprint[2] - c.footprint[0]) * kUnit, d.width, 0.15},
                                {top * kUnit, d.height, 0.10}};
  static const char* const kNames[] = {"length", "width", "height"};
  for (size_t i = 0; i < 3; ++i) {
    const double has = figures[i][0], wants = figures[i][1], within = figures[i][2];
    if (wants == 0.0) continue;  // fixed by the contract
    if (std::fabs(has - wants) > within * wants) {
      char buffer[128];
      std::snprintf(buffer, sizeof buffer, "depicts %s (has %.2f, wants %.2f within %d %%)", kNames[i], has, wants,
                    static_cast<int>(within * 100.0 + 0.5));
      return where + buffer;
    }
  }
  const std::string row = name + ":" + std::to_string(d.line) + ": slot " +
                          std::to_string(c.slots.empty() ? -1 : c.slots.front()) + ", depicts \"" + d.name + "\": ";
  if (roadWheels < 0)
    return row + "wheels: the running gear does not show its road wheels, and no road-wheels line declares them";
  if (d.wheels != roadWheels)
    return row + "wheels (has " + std::to_string(roadWheels) + ", wants " + std::to_string(d.wheels) + ")";
  return {};
}

bool ReadModelFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream s;
  s << in.rdbuf();
  text = s.str();
  return true;
}

ModelPartLoader ModelDirectoryLoader(const std::string& dir) {
  return [dir](const std::string& path, std::string& out) {
    const bool part = path.rfind("parts/", 0) == 0;
    const bool model = path.size() == 9 && path.find('/') == std::string::npos && path.substr(3) == ".model";
    if ((!part && !model) || path.find("..") != std::string::npos) return false;
    return ReadModelFile(dir + "/" + path, out);
  };
}
