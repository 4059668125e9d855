#include "ModelValidator.h"

#include "ModelRecord.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <sstream>

namespace {

using Log = ModelCallLog;
using Kind = Log::Kind;

const char* StageName(Log::Stage s) {
  switch (s) {
    case Log::Stage::kHull: return "hull";
    case Log::Stage::kTurret: return "turret";
    case Log::Stage::kGun: return "gun";
    default: return "barrel";
  }
}

bool IsPrimitive(Kind k) {
  return k == Kind::kStrip || k == Kind::kFan || k == Kind::kArray || k == Kind::kValue || k == Kind::kQuad ||
         k == Kind::kColouredFan;
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

Log Draw(const ModelProgram& program, bool variant, float plusScroll, float minusScroll, std::array<float, 4>& footprint) {
  Log log;
  ModelDrawValues values;
  values.trackScroll = {plusScroll, minusScroll};
  values.footprint = &footprint;
  RunModelProgram(program, log, &log, values, false, variant);
  return log;
}

struct Group {
  Log::Stage stage = Log::Stage::kHull;
  int32_t entry = -2;  // -1 the coloured fans
  int32_t strips = 0, fans = 0, singles = 0;
};

class Checker {
 public:
  Checker(const ModelContract& c, const ModelProgram& p) : c_(c), p_(p) {}

  std::string Run() {
    std::array<float, 4> footprint{ModelDrawValuesSentinel(), 1.0f, 2.0f, 3.0f};
    const Log full = Draw(p_, true, 0.0f, 0.0f, footprint);
    if (!Frame(full) || !Form() || !Primitives(full) || !Roles(full) || !Footprint(full, footprint) || !Strips(full) ||
        !Articulation(full) || !Groups(full) || !Totals(full, c_.totals, "totals with the variant"))
      return fault_;
    if (c_.firstHalf && !Envelope(full)) return fault_;
    if (c_.HasVariant()) {
      std::array<float, 4> f2{};
      const Log plain = Draw(p_, false, 0.0f, 0.0f, f2);
      if (!Totals(plain, c_.totalsPlain, "totals without the variant")) return fault_;
    }
    return {};
  }

 private:
  static float ModelDrawValuesSentinel() { return 9999.0f; }

  bool Fail(const std::string& where, const std::string& rule, const std::string& figures) {
    std::ostringstream s;
    s << "routine " << c_.routine << ": " << where << ": " << rule << ": " << figures;
    fault_ = s.str();
    return false;
  }

  // A first-half model lies within x of +-0.063, y from -0.262 to 0.223 and z from -0.001 to
  // 0.107 at draw values 0.
  bool Envelope(const Log& log) {
    for (const auto& call : log.Calls()) {
      if (!IsPrimitive(call.kind)) continue;
      for (size_t i = 0; i + 2 < call.args.size(); i += 3) {
        const float x = call.args[i], y = call.args[i + 1], z = call.args[i + 2];
        if (std::fabs(x) <= 0.063f && y >= -0.262f && y <= 0.223f && z >= -0.001f && z <= 0.107f) continue;
        std::ostringstream s;
        s << "the point (" << x << ", " << y << ", " << z << ") lies outside the first half's bounds";
        return Fail(StageName(call.stage), "envelope", s.str());
      }
    }
    return true;
  }

  // The articulation's calls in order, at a turret tilt that is not 0, for the contract's form.
  std::vector<Kind> ExpectedForm() const {
    const Kind push = Kind::kPush, pop = Kind::kPop, turn = Kind::kRotateZ, tilt = Kind::kRotateY,
               raise = Kind::kRotateX;
    auto move = [](const ContractPivot& p) {
      switch (p.axes) {
        case 2: return Kind::kTranslateXY;
        case 1: return Kind::kTranslateY;
        case 4: return Kind::kTranslateYZ;
        default: return Kind::kTranslate;
      }
    };
    const Kind q = move(c_.turretPivot), p = move(c_.gunPivot);
    std::vector<Kind> fire;
    if (c_.hasFlash) fire.push_back(Kind::kFlash);
    if (c_.hasRecoil) fire.push_back(Kind::kRecoil);
    std::vector<Kind> out;
    auto add = [&out](std::initializer_list<Kind> k) { out.insert(out.end(), k); };
    switch (c_.form) {
      case ModelForm::kHull: break;
      case ModelForm::kTurret:
        if (c_.turretPivot.axes != 0) add({push, q, turn, q, pop});
        else add({push, turn, tilt, pop});
        break;
      case ModelForm::kCommon:
        if (c_.turretPivot.axes != 0) add({push, q, turn, q, tilt});
        else add({push, turn, tilt});
        add({p, raise, p});
        out.insert(out.end(), fire.begin(), fire.end());
        add({pop});
        break;
      case ModelForm::kMount:
        add({push, p, turn, raise, p});
        out.insert(out.end(), fire.begin(), fire.end());
        add({pop});
        break;
      case ModelForm::kTurretGunYZ:
      case ModelForm::kPivotTurretGun:
        add({push, p, turn, tilt, p, p, raise, p});
        out.insert(out.end(), fire.begin(), fire.end());
        add({pop});
        break;
      case ModelForm::kNested:
        add({push, turn, tilt, push, p, raise, p});
        out.insert(out.end(), fire.begin(), fire.end());
        add({pop, pop});
        break;
      case ModelForm::kBox:
        add({push, turn});
        out.insert(out.end(), fire.begin(), fire.end());
        add({pop});
        break;
    }
    return out;
  }

  bool Form() {
    std::array<float, 4> f{};
    Log log;
    ModelDrawValues values;
    values.footprint = &f;
    values.turretTilt = 5.0f;
    RunModelProgram(p_, log, &log, values, false, true);
    std::vector<Kind> drawn;
    for (const auto& call : log.Calls())
      if (!IsPrimitive(call.kind) && call.kind != Kind::kBind && call.kind != Kind::kColour && call.kind != Kind::kCulling)
        drawn.push_back(call.kind);
    if (drawn != ExpectedForm())
      return Fail("frame", "form", "the articulation's calls are not those of its form (" + std::to_string(drawn.size()) +
                                       " calls, " + std::to_string(ExpectedForm().size()) + " expected)");
    return true;
  }

  bool Frame(const Log& log) {
    const auto& calls = log.Calls();
    const bool box = c_.form == ModelForm::kBox;
    int32_t culling = 0;
    for (const auto& call : calls) {
      if (call.kind == Kind::kCulling) ++culling;
      if (call.depth < 0) return Fail("frame", "matrix depth", "a pop below the entry depth");
    }
    if (log.Depth() != 0) return Fail("frame", "matrix depth", "ends " + std::to_string(log.Depth()) + " deep");
    if (box) {
      if (culling != 0) return Fail("frame", "culling", "the box model switches culling");
      return true;
    }
    if (calls.empty() || calls.front().kind != Kind::kCulling || calls.front().n != 0 || calls.back().kind != Kind::kCulling ||
        calls.back().n != 1 || culling != 2)
      return Fail("frame", "culling", "not switched off first and on last");
    return true;
  }

  static float Area(const float* a, const float* b, const float* d) {
    const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const float v[3] = {d[0] - a[0], d[1] - a[1], d[2] - a[2]};
    const float x = u[1] * v[2] - u[2] * v[1], y = u[2] * v[0] - u[0] * v[2], z = u[0] * v[1] - u[1] * v[0];
    return 0.5f * std::sqrt(x * x + y * y + z * z);
  }

  bool Primitives(const Log& log) {
    int32_t index = 0;
    for (const auto& call : log.Calls()) {
      for (float f : call.args)
        if (!std::isfinite(f)) return Fail(StageName(call.stage), "finite values", "a value is not finite");
      for (float f : call.uvs)
        if (!std::isfinite(f)) return Fail(StageName(call.stage), "finite values", "a texture value is not finite");
      if (!IsPrimitive(call.kind)) continue;
      ++index;
      const float* v = call.args.data();
      const int32_t corners = static_cast<int32_t>(call.args.size() / 3);
      const int32_t maxStrip = c_.firstHalf ? 14 : 16;
      if (call.kind == Kind::kFan && (call.n < 2 || call.n > 10))
        return Fail(StageName(call.stage), "fan size", std::to_string(call.n) + " triangles, not 2 to 10");
      if (call.kind == Kind::kStrip && (call.n < 2 || call.n > maxStrip))
        return Fail(StageName(call.stage), "strip size",
                    std::to_string(call.n) + " triangles, not 2 to " + std::to_string(maxStrip));
      for (int32_t t = 0; t < call.n; ++t) {
        int32_t a = 0, b = t + 1, d = t + 2;
        if (call.kind == Kind::kStrip) a = t;
        if (call.kind == Kind::kQuad) {
          a = 0;
          b = t + 1;
          d = t + 2;
        }
        if (d >= corners) break;
        const float area = Area(v + 3 * a, v + 3 * b, v + 3 * d);
        if (!(area >= 1e-10f)) {
          std::ostringstream s;
          s << "primitive " << index << " triangle " << t << " has area " << area << ", below 1e-10";
          return Fail(StageName(call.stage), "degenerate triangle", s.str());
        }
      }
    }
    return true;
  }

  bool Totals(const Log& log, const std::array<int32_t, 3>& want, const char* rule) {
    std::array<int32_t, 3> got{};
    for (const auto& call : log.Calls()) {
      if (!IsPrimitive(call.kind)) continue;
      ++got[0];
      got[1] += call.n;
      got[2] += static_cast<int32_t>(call.args.size() / 3);
    }
    if (got != want) {
      std::ostringstream s;
      s << "expected " << want[0] << "/" << want[1] << "/" << want[2] << " (primitives/triangles/vertices), drew "
        << got[0] << "/" << got[1] << "/" << got[2];
      return Fail("model", rule, s.str());
    }
    return true;
  }

  bool Footprint(const Log& log, const std::array<float, 4>& footprint) {
    if (!c_.hasFootprint) {
      if (footprint[0] != 9999.0f || footprint[1] != 1.0f) return Fail("hull", "footprint", "written by a model without one");
      return true;
    }
    float e[4] = {1e30f, 1e30f, -1e30f, -1e30f};
    for (const auto& call : log.Calls()) {
      if (!IsPrimitive(call.kind) || call.stage != Log::Stage::kHull) continue;
      for (size_t i = 0; i + 2 < call.args.size(); i += 3) {
        e[0] = std::min(e[0], call.args[i]);
        e[1] = std::min(e[1], call.args[i + 1]);
        e[2] = std::max(e[2], call.args[i]);
        e[3] = std::max(e[3], call.args[i + 1]);
      }
    }
    for (int32_t i = 0; i < 4; ++i) {
      if (footprint[static_cast<size_t>(i)] != c_.footprint[static_cast<size_t>(i)] ||
          std::fabs(e[i] - c_.footprint[static_cast<size_t>(i)]) > 0.0005f) {
        std::ostringstream s;
        s << "value " << i << " is " << footprint[static_cast<size_t>(i)] << ", the contract's "
          << c_.footprint[static_cast<size_t>(i)] << ", the hull's extent " << e[i];
        return Fail("hull", "footprint", s.str());
      }
    }
    return true;
  }

  static std::vector<Group> GroupsOf(const Log& log) {
    std::vector<Group> out;
    Log::Stage stage = Log::Stage::kHull;
    int32_t bound = -2;
    bool open = false;
    for (const auto& call : log.Calls()) {
      if (call.kind == Kind::kBind || call.kind == Kind::kColour) {
        bound = call.kind == Kind::kBind ? call.n : -1;
        out.push_back({call.stage, bound, 0, 0, 0});
        open = true;
        stage = call.stage;
        continue;
      }
      if (!IsPrimitive(call.kind)) continue;
      if (!open || call.stage != stage) {
        out.push_back({call.stage, bound, 0, 0, 0});
        open = true;
        stage = call.stage;
      }
      Group& g = out.back();
      if (call.kind == Kind::kStrip) ++g.strips;
      else if (call.kind == Kind::kFan || call.kind == Kind::kColouredFan) ++g.fans;
      else ++g.singles;
    }
    return out;
  }

  bool Groups(const Log& log) {
    std::vector<Group> drawn = GroupsOf(log);
    // The running gear's group opens the hull and is checked with the strips.
    if (!drawn.empty() && drawn.front().strips > 0) drawn.erase(drawn.begin());
    for (const Group& g : drawn)
      if (g.strips > 0) return Fail(StageName(g.stage), "strips", "a strip outside the running gear's group");
    if (c_.groups.empty() || (c_.firstHalf && c_.routine != 98)) return FirstHalf(log, drawn);
    if (drawn.size() != c_.groups.size())
      return Fail("model", "group count",
                  "expected " + std::to_string(c_.groups.size()) + ", drew " + std::to_string(drawn.size()));
    std::array<int32_t, 4> perStage{};
    for (size_t i = 0; i < drawn.size(); ++i) {
      const ContractGroup& w = c_.groups[i];
      const Group& g = drawn[i];
      const Log::Stage want = w.stage == ModelStage::kVariant || w.stage == ModelStage::kHull ? Log::Stage::kHull
                              : w.stage == ModelStage::kTurret                               ? Log::Stage::kTurret
                              : w.stage == ModelStage::kGun                                  ? Log::Stage::kGun
                                                                                             : Log::Stage::kBarrel;
      const std::string where = std::string("stage ") + StageName(want) + ", group " +
                                std::to_string(perStage[static_cast<size_t>(want)]++);
      if (g.stage != want) return Fail(where, "stage", std::string("drawn in the ") + StageName(g.stage));
      if (g.entry != w.entry)
        return Fail(where, "texture entry", "expected " + std::to_string(w.entry) + ", drew " + std::to_string(g.entry));
      if (g.fans != w.fans)
        return Fail(where, "fan count", "expected " + std::to_string(w.fans) + ", drew " + std::to_string(g.fans));
      if (g.singles != w.singles)
        return Fail(where, "single count", "expected " + std::to_string(w.singles) + ", drew " + std::to_string(g.singles));
    }
    return true;
  }

  bool FirstHalf(const Log& log, const std::vector<Group>&) {
    int32_t binds = 0;
    std::set<int32_t> entries;
    std::array<int32_t, 4> stages{};
    for (const auto& call : log.Calls()) {
      if (call.kind == Kind::kBind) {
        ++binds;
        entries.insert(call.n);
      }
      if (IsPrimitive(call.kind)) ++stages[static_cast<size_t>(call.stage)];
    }
    if (binds != c_.binds)
      return Fail("model", "bind count", "expected " + std::to_string(c_.binds) + ", drew " + std::to_string(binds));
    if (entries != std::set<int32_t>(c_.entries.begin(), c_.entries.end()))
      return Fail("model", "entry set", "the entries bound differ from the contract's");
    for (size_t s = 0; s < 4; ++s)
      if (stages[s] != c_.stagePrimitives[s])
        return Fail(StageName(static_cast<Log::Stage>(s)), "stage count",
                    "expected " + std::to_string(c_.stagePrimitives[s]) + ", drew " + std::to_string(stages[s]));
    return true;
  }

  // Entry 0 draws the strips and nothing else; 3 and 4 never in the hull; 5 in the barrel only
  // (and, in a first-half model, bound first there).
  bool Roles(const Log& log) {
    int32_t bound = -2;
    bool barrelBound = false;
    bool box = c_.form == ModelForm::kBox;
    for (const auto& call : log.Calls()) {
      const std::string where = std::string("stage ") + StageName(call.stage);
      if (call.kind == Kind::kBind) {
        bound = call.n;
        if ((bound == 3 || bound == 4) && call.stage == Log::Stage::kHull && !box)
          return Fail(where, "texture roles", "entry " + std::to_string(bound) + " bound in the hull");
        if (bound == 5 && call.stage != Log::Stage::kBarrel) return Fail(where, "texture roles", "entry 5 outside the barrel");
        if (c_.firstHalf && call.stage == Log::Stage::kBarrel && !barrelBound && bound != 5)
          return Fail(where, "texture roles", "the barrel binds " + std::to_string(bound) + " before entry 5");
        if (call.stage == Log::Stage::kBarrel) barrelBound = true;
        continue;
      }
      if (call.kind == Kind::kStrip && bound != 0) return Fail(where, "texture roles", "a strip without entry 0");
      if (IsPrimitive(call.kind) && call.kind != Kind::kStrip && bound == 0 && call.kind != Kind::kValue)
        return Fail(where, "texture roles", "entry 0 draws more than the running gear");
      if (c_.firstHalf && call.stage == Log::Stage::kBarrel && IsPrimitive(call.kind) && !barrelBound)
        return Fail(where, "texture roles", "the barrel draws before binding entry 5");
    }
    return true;
  }

  bool Strips(const Log& base) {
    std::array<float, 4> f{};
    const Log plus = Draw(p_, true, 0.25f, 0.0f, f);
    const Log minus = Draw(p_, true, 0.0f, 0.5f, f);
    std::vector<const Log::Call*> b, pl, mi;
    for (const auto& call : base.Calls())
      if (call.kind == Kind::kStrip) b.push_back(&call);
    for (const auto& call : plus.Calls())
      if (call.kind == Kind::kStrip) pl.push_back(&call);
    for (const auto& call : minus.Calls())
      if (call.kind == Kind::kStrip) mi.push_back(&call);
    // Each strip's side and sign from what the offsets did to v: exactly float(v + sign * s) by
    // one side's offset.
    std::vector<ContractStrip> found;
    for (size_t i = 0; i < b.size(); ++i) {
      const std::string where = "stage hull, strip " + std::to_string(i + 1);
      int32_t side = -1, sign = 0;
      for (int32_t trial = 0; trial < 2; ++trial) {
        const Log::Call* shifted = trial == 0 ? pl[i] : mi[i];
        const float s = trial == 0 ? 0.25f : 0.5f;
        bool moved = false, up = true, down = true;
        for (size_t k = 1; k < b[i]->uvs.size(); k += 2) {
          const float v = b[i]->uvs[k], w = shifted->uvs[k];
          if (!SameBits(v, w)) moved = true;
          if (!SameBits(w, v + s)) up = false;
          if (!SameBits(w, v - s)) down = false;
        }
        if (!moved) continue;
        if (side >= 0 || !(up || down)) return Fail(where, "track offset", "v is not moved by exactly one side's offset");
        side = trial;
        sign = up ? 1 : -1;
      }
      if (side < 0) return Fail(where, "track offset", "moved by neither offset");
      found.push_back({b[i]->n, side, sign});
    }
    if (c_.firstHalf) {
      int32_t p = 0;
      for (const ContractStrip& s : found) p += s.sign > 0 ? 1 : 0;
      if (static_cast<int32_t>(found.size()) != c_.stripCount || p != c_.stripsPlus)
        return Fail("stage hull", "strip list", "the strip count or signs differ");
    } else {
      if (found.size() != c_.strips.size())
        return Fail("stage hull", "strip list",
                    "expected " + std::to_string(c_.strips.size()) + " strips, drew " + std::to_string(found.size()));
      for (size_t i = 0; i < found.size(); ++i) {
        const ContractStrip& w = c_.strips[i];
        const ContractStrip& g = found[i];
        if (w.n != g.n || w.side != g.side || w.sign != g.sign) {
          std::ostringstream s;
          s << "expected " << w.n << (w.side == 0 ? " +x " : " -x ") << (w.sign > 0 ? "+" : "-") << ", drew " << g.n
            << (g.side == 0 ? " +x " : " -x ") << (g.sign > 0 ? "+" : "-");
          return Fail("stage hull, strip " + std::to_string(i + 1), "strip list", s.str());
        }
      }
    }
    // Where each strip lies: wholly on its side, + strips on the ground, - strips higher.
    for (size_t i = 0; i < b.size(); ++i) {
      const std::string where = "stage hull, strip " + std::to_string(i + 1);
      const int32_t side = found[i].side, sign = found[i].sign;
      float minX = 1e30f, maxX = -1e30f, minZ = 1e30f;
      for (size_t k = 0; k + 2 < b[i]->args.size(); k += 3) {
        minX = std::min(minX, b[i]->args[k]);
        maxX = std::max(maxX, b[i]->args[k]);
        minZ = std::min(minZ, b[i]->args[k + 2]);
      }
      if (side == 0 ? !(minX > 0.0f) : !(maxX < 0.0f))
        return Fail(where, "side", std::string("not wholly on the ") + (side == 0 ? "+x" : "-x") + " side of its offset");
      std::ostringstream z;
      z << "lowest z " << minZ;
      if ((sign > 0 || c_.bothGrounded) && !(std::fabs(minZ) <= c_.ground))
        return Fail(where, "ground", z.str() + ", not within " + std::to_string(c_.ground) + " of the ground");
      if (sign < 0 && !c_.bothGrounded && !(minZ >= c_.upper))
        return Fail(where, "upper run", z.str() + ", below " + std::to_string(c_.upper));
      if (!Roll(*b[i], sign, base, where)) return false;
    }
    return Closed(b);
  }

  // Loops and treads are closed as cut: each end of a strip meets an end of another strip of its
  // side, or stands on the ground where a band's bottom face is left out.
  bool Closed(const std::vector<const Log::Call*>& strips) {
    // An end is the point of its side's band the strip's first (or last) edge stands on: a strip
    // of an odd number of corners starts or ends on a single vertex, inner or outer, there.
    struct End {
      bool left;
      float y, z;
    };
    auto ends = [](const Log::Call& s) {
      const size_t last = s.args.size() / 3 - 1;
      return std::array<End, 2>{End{s.args[0] < 0.0f, s.args[1], s.args[2]},
                                End{s.args[3 * last] < 0.0f, s.args[3 * last + 1], s.args[3 * last + 2]}};
    };
    for (size_t i = 0; i < strips.size(); ++i) {
      for (const End& e : ends(*strips[i])) {
        if (e.z <= c_.ground) continue;
        bool met = false;
        for (size_t j = 0; j < strips.size() && !met; ++j) {
          if (j == i) continue;
          for (const End& f : ends(*strips[j]))
            if (e.left == f.left && std::fabs(e.y - f.y) <= 1e-6f && std::fabs(e.z - f.z) <= 1e-6f) met = true;
        }
        if (!met) {
          std::ostringstream s;
          s << "the end at y " << e.y << ", z " << e.z << " meets no other strip";
          return Fail("stage hull, strip " + std::to_string(i + 1), "closure", s.str());
        }
      }
    }
    return true;
  }

  // A growing offset rolls the pattern rearward on the ground, forward on top, down the front
  // and up the rear: seen from the +x side the pattern turns clockwise about the middle of its
  // band (the strips of the side that overlap this one along y). Along each step between two
  // cross-sections the pattern moves by -sign * dv.
  bool Roll(const Log::Call& strip, int32_t sign, const Log& base, const std::string& where) {
    float y0 = 1e30f, y1 = -1e30f, top = 0.0f;
    for (size_t k = 1; k < strip.args.size(); k += 3) {
      y0 = std::min(y0, strip.args[k]);
      y1 = std::max(y1, strip.args[k]);
    }
    const bool plusX = strip.args[0] > 0.0f;
    for (bool grew = true; grew;) {
      grew = false;
      for (const auto& call : base.Calls()) {
        if (call.kind != Kind::kStrip || (call.args[0] > 0.0f) != plusX) continue;
        float a = 1e30f, b = -1e30f;
        for (size_t k = 1; k < call.args.size(); k += 3) {
          a = std::min(a, call.args[k]);
          b = std::max(b, call.args[k]);
        }
        if (b < y0 || a > y1) continue;
        for (size_t k = 2; k < call.args.size(); k += 3) top = std::max(top, call.args[k]);
        if (a >= y0 && b <= y1) continue;
        y0 = std::min(y0, a);
        y1 = std::max(y1, b);
        grew = true;
      }
    }
    const float cy = 0.5f * (y0 + y1), cz = 0.5f * top;
    const float hy = std::max(1e-6f, 0.5f * (y1 - y0)), hz = std::max(1e-6f, cz);
    const size_t corners = strip.args.size() / 3;
    for (size_t j = 0; j + 2 < corners; j += 2) {
      const float dy = strip.args[3 * (j + 2) + 1] - strip.args[3 * j + 1];
      const float dz = strip.args[3 * (j + 2) + 2] - strip.args[3 * j + 2];
      const float dv = strip.uvs[2 * (j + 2) + 1] - strip.uvs[2 * j + 1];
      if (dv == 0.0f) continue;
      const float k = dv > 0.0f ? -static_cast<float>(sign) : static_cast<float>(sign);
      const float my = k * dy, mz = k * dz;
      const float ry = 0.5f * (strip.args[3 * (j + 2) + 1] + strip.args[3 * j + 1]) - cy;
      const float rz = 0.5f * (strip.args[3 * (j + 2) + 2] + strip.args[3 * j + 2]) - cz;
      if (ry * mz - rz * my < 0.0f) continue;
      const char* bad = std::fabs(ry) / hy > std::fabs(rz) / hz
                            ? (ry > 0.0f ? "the pattern does not move down the front" : "the pattern does not move up the rear")
                            : (rz < 0.0f ? "the pattern does not move rearward on the ground"
                                         : "the pattern does not move forward on top");
      return Fail(where, "roll", std::string(bad) + " (cross-section " + std::to_string(j / 2) + ")");
    }
    return true;
  }

  bool Articulation(const Log& log) {
    const auto& calls = log.Calls();
    // Back-translations negate their translations exactly.
    for (size_t i = 1; i < calls.size(); ++i) {
      const Kind k = calls[i].kind;
      const bool translate = k == Kind::kTranslate || k == Kind::kTranslateY || k == Kind::kTranslateXY || k == Kind::kTranslateYZ;
      const Kind before = calls[i - 1].kind;
      if (!translate || (before != Kind::kRotateX && before != Kind::kRotateZ && before != Kind::kRotateY)) continue;
      size_t j = i - 1;
      while (j > 0 && calls[j].kind != k) --j;
      if (calls[j].kind != k) return Fail(StageName(calls[i].stage), "frame", "a translation back without its translation");
      for (size_t a = 0; a < calls[i].args.size(); ++a) {
        if (!SameBits(calls[i].args[a], -calls[j].args[a])) {
          std::ostringstream s;
          s << "translation " << calls[j].args[a] << " is taken back by " << calls[i].args[a];
          return Fail(StageName(calls[i].stage), "frame", s.str());
        }
      }
    }
    // The gun's pivot: the translation before the elevation.
    float py = 0.0f;
    bool pivot = false;
    for (size_t i = 1; i < calls.size(); ++i) {
      if (calls[i].kind != Kind::kRotateX) continue;
      size_t j = i - 1;
      while (j > 0 && calls[j].kind == Kind::kRotateZ) --j;
      const auto& t = calls[j];
      std::array<float, 3> p{};
      if (t.kind == Kind::kTranslate) p = {t.args[0], t.args[1], t.args[2]};
      else if (t.kind == Kind::kTranslateYZ) p = {0.0f, t.args[0], t.args[1]};
      else return Fail("gun", "pivot", "the elevation has no pivot translation before it");
      if (!SameBits(p[0], c_.gunPivot.p[0]) || !SameBits(p[1], c_.gunPivot.p[1]) || !SameBits(p[2], c_.gunPivot.p[2])) {
        std::ostringstream s;
        s.precision(9);
        s << "drew (" << p[0] << ", " << p[1] << ", " << p[2] << "), the contract's (" << c_.gunPivot.p[0] << ", "
          << c_.gunPivot.p[1] << ", " << c_.gunPivot.p[2] << ")";
        return Fail("gun", "pivot", s.str());
      }
      py = p[1];
      pivot = true;
    }
    float yf = 0.0f;
    bool flash = false;
    for (const auto& call : calls) {
      if (call.kind == Kind::kFlash) {
        flash = true;
        yf = call.args[2];
        for (size_t a = 0; a < 4; ++a)
          if (!c_.hasFlash || !SameBits(call.args[a], c_.flash[a])) return Fail("gun", "flash", "differs from the contract's");
        const bool ownPoint = c_.form == ModelForm::kPivotTurretGun || c_.gunPivot.axes == 4;
        if (pivot && !ownPoint && (!SameBits(call.args[1], c_.gunPivot.p[0]) || !SameBits(call.args[3], c_.gunPivot.p[2])))
          return Fail("gun", "flash", "the flash point has not the pivot's x and z");
        if (!(yf > 0.0f) || (pivot && !(yf > py))) return Fail("gun", "flash", "the flash point lies not ahead of the pivot");
      }
      if (call.kind == Kind::kRecoil && (!c_.hasRecoil || !SameBits(call.args[0], c_.recoil)))
        return Fail("gun", "recoil", "differs from the contract's");
    }
    if (c_.hasFlash != flash) return Fail("gun", "flash", c_.hasFlash ? "no flash drawn" : "a flash the contract has not");
    // The barrel runs from the pivot's y to the flash's.
    float b0 = 1e30f, b1 = -1e30f;
    for (const auto& call : calls) {
      if (!IsPrimitive(call.kind) || call.stage != Log::Stage::kBarrel) continue;
      for (size_t k = 1; k < call.args.size(); k += 3) {
        b0 = std::min(b0, call.args[k]);
        b1 = std::max(b1, call.args[k]);
      }
    }
    if (b1 >= b0 && flash && pivot && c_.form != ModelForm::kBox) {
      std::ostringstream s;
      s.precision(9);
      if (std::fabs(b1 - yf) > 1e-7f) {
        s << "the barrel ends at y " << b1 << ", the flash at " << yf;
        return Fail("barrel", "barrel length", s.str());
      }
      if (c_.gunPivot.axes != 4 && std::fabs(b0 - py) > c_.barrelStart) {
        s << "the barrel starts at y " << b0 << ", the pivot at " << py;
        return Fail("barrel", "barrel start", s.str());
      }
    }
    return true;
  }

  const ModelContract& c_;
  const ModelProgram& p_;
  std::string fault_;
};

}  // namespace

std::string ValidateModel(const ModelContract& contract, const ModelProgram& program) {
  return Checker(contract, program).Run();
}

std::string ValidateSharing(const std::vector<ModelContract>& contracts, const std::vector<ModelProgram>& programs) {
  // The strips of one routine as drawn: positions and texture values, strip by strip.
  auto strips = [&](int32_t routine, std::vector<float>& out) {
    for (size_t i = 0; i < contracts.size(); ++i) {
      if (contracts[i].routine != routine) continue;
      ModelCallLog log;
      RunModelProgram(programs[i], log, &log, ModelDrawValues{}, false, true);
      for (const auto& call : log.Calls()) {
        if (call.kind != ModelCallLog::Kind::kStrip) continue;
        out.insert(out.end(), call.args.begin(), call.args.end());
        out.insert(out.end(), call.uvs.begin(), call.uvs.end());
      }
      return true;
    }
    return false;
  };
  // A routine that shares another's hull, turret and gun stages draws them value for value; one
  // that keeps another's fan sizes draws fans of those sizes.
  for (size_t i = 0; i < contracts.size(); ++i) {
    const ModelContract& c = contracts[i];
    const int32_t twin = c.shares >= 0 ? c.shares : c.sizesAs;
    if (twin < 0) continue;
    size_t t = 0;
    while (t < contracts.size() && contracts[t].routine != twin) ++t;
    if (t == contracts.size()) return "routine " + std::to_string(c.routine) + ": sharing: routine " + std::to_string(twin) + " is not there";
    if (FanSizesByStage(programs[i]) != FanSizesByStage(programs[t]))
      return "routine " + std::to_string(c.routine) + ": hull, turret and gun: shared fan sizes: differ from routine " +
             std::to_string(twin) + "'s";
    if (c.shares < 0) continue;
    auto stages = [](const ModelProgram& program) {
      ModelCallLog log;
      RunModelProgram(program, log, &log, ModelDrawValues{}, false, true);
      std::vector<float> out;
      for (const auto& call : log.Calls()) {
        if (call.stage == ModelCallLog::Stage::kBarrel || call.args.empty() || call.kind == ModelCallLog::Kind::kTranslate ||
            call.kind == ModelCallLog::Kind::kRotateX || call.kind == ModelCallLog::Kind::kRotateY ||
            call.kind == ModelCallLog::Kind::kRotateZ || call.kind == ModelCallLog::Kind::kFlash ||
            call.kind == ModelCallLog::Kind::kRecoil)
          continue;
        out.push_back(static_cast<float>(call.n));
        out.insert(out.end(), call.args.begin(), call.args.end());
        out.insert(out.end(), call.uvs.begin(), call.uvs.end());
      }
      return out;
    };
    const std::vector<float> a = stages(programs[i]), b = stages(programs[t]);
    if (a.size() != b.size() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) != 0)
      return "routine " + std::to_string(c.routine) + ": hull, turret and gun: shared stages: differ from routine " +
             std::to_string(twin) + "'s";
  }
  const int32_t families[][4] = {{82, 83, 84, 85}, {86, 87, 88, 89}};
  for (const auto& family : families) {
    std::vector<float> first;
    if (!strips(family[0], first)) continue;
    for (int32_t k = 1; k < 4; ++k) {
      std::vector<float> other;
      if (!strips(family[k], other)) continue;
      if (other.size() != first.size() || std::memcmp(other.data(), first.data(), first.size() * sizeof(float)) != 0)
        return "routine " + std::to_string(family[k]) + ": stage hull: shared strips: differ from routine " +
               std::to_string(family[0]) + "'s";
    }
  }
  return {};
}
