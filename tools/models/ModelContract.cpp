#include "ModelContract.h"

#include <charconv>
#include <cmath>
#include <sstream>

namespace {

struct LineReader {
  std::vector<std::string> words;
  size_t at = 1;
  std::string fault;

  bool Int(int32_t& v) {
    if (at >= words.size()) return Fail("a number is missing");
    const std::string& w = words[at++];
    const auto r = std::from_chars(w.data(), w.data() + w.size(), v);
    if (r.ec != std::errc() || r.ptr != w.data() + w.size()) return Fail("'" + w + "' is not a whole number");
    return true;
  }
  bool Float(float& v) {
    if (at >= words.size()) return Fail("a number is missing");
    const std::string& w = words[at++];
    char* end = nullptr;
    v = std::strtof(w.c_str(), &end);
    if (end != w.c_str() + w.size() || !std::isfinite(v)) return Fail("'" + w + "' is not a number");
    return true;
  }
  bool Word(const char* expected) {
    if (at >= words.size() || words[at] != expected) return Fail(std::string("'") + expected + "' expected");
    ++at;
    return true;
  }
  bool Peek(const char* w) const { return at < words.size() && words[at] == w; }
  bool End() {
    if (at != words.size()) return Fail("'" + words[at] + "' is one word too many");
    return true;
  }
  bool Fail(const std::string& why) {
    if (fault.empty()) fault = why;
    return false;
  }
};

bool ReadStage(LineReader& r, ModelStage& stage) {
  static const char* const kNames[] = {"hull", "variant", "turret", "gun", "barrel"};
  for (int32_t i = 0; i < 5; ++i) {
    if (r.Peek(kNames[i])) {
      ++r.at;
      stage = static_cast<ModelStage>(i);
      return true;
    }
  }
  return r.Fail("a stage (hull, variant, turret, gun, barrel) expected");
}

bool ReadPivot(LineReader& r, ContractPivot& p, bool turret) {
  if (r.Peek("none")) {
    ++r.at;
    p = {};
    return true;
  }
  if (r.Peek("xyz")) {
    ++r.at;
    p.axes = 3;
    return r.Float(p.p[0]) && r.Float(p.p[1]) && r.Float(p.p[2]);
  }
  if (r.Peek("yz")) {
    ++r.at;
    p.axes = 4;
    return r.Float(p.p[1]) && r.Float(p.p[2]);
  }
  if (turret && r.Peek("xy")) {
    ++r.at;
    p.axes = 2;
    return r.Float(p.p[0]) && r.Float(p.p[1]);
  }
  if (turret && r.Peek("y")) {
    ++r.at;
    p.axes = 1;
    return r.Float(p.p[1]);
  }
  return r.Fail("a pivot kind expected");
}

bool ReadStrip(LineReader& r, const std::string& w, ContractStrip& s) {
  // n:side:sign, as 10:+x:-
  const size_t a = w.find(':');
  const size_t b = a == std::string::npos ? a : w.find(':', a + 1);
  if (b == std::string::npos) return r.Fail("strip '" + w + "' is not n:side:sign");
  const std::string n = w.substr(0, a), side = w.substr(a + 1, b - a - 1), sign = w.substr(b + 1);
  const auto res = std::from_chars(n.data(), n.data() + n.size(), s.n);
  if (res.ec != std::errc() || res.ptr != n.data() + n.size() || s.n < 1 || s.n > 16)
    return r.Fail("strip '" + w + "' has no count 1..16");
  if (side != "+x" && side != "-x") return r.Fail("strip '" + w + "' names no side +x or -x");
  if (sign != "+" && sign != "-") return r.Fail("strip '" + w + "' has no sign + or -");
  s.side = side == "+x" ? 0 : 1;
  s.sign = sign == "+" ? 1 : -1;
  return true;
}

bool ReadLine(LineReader& r, ModelContract& c) {
  const std::string& key = r.words[0];
  if (key == "slots") {
    c.slots.clear();
    while (r.at < r.words.size()) {
      int32_t s = 0;
      if (!r.Int(s)) return false;
      if (s < 0 || s > 98) return r.Fail("slot outside 0..98");
      c.slots.push_back(s);
    }
    return !c.slots.empty() || r.Fail("no slot");
  }
  if (key == "variant") {
    if (r.Peek("none")) c.variantRule = 0;
    else if (r.Peek("equals-one")) c.variantRule = 1;
    else if (r.Peek("not-zero")) c.variantRule = 2;
    else return r.Fail("variant none, equals-one or not-zero expected");
    ++r.at;
    return r.End();
  }
  if (key == "first-half") {
    c.firstHalf = true;
    return r.End();
  }
  if (key == "footprint") {
    if (r.Peek("none")) {
      ++r.at;
      c.hasFootprint = false;
      return r.End();
    }
    c.hasFootprint = true;
    for (float& f : c.footprint)
      if (!r.Float(f)) return false;
    if (c.footprint[0] >= 0.0f || c.footprint[2] <= 0.0f || c.footprint[1] >= c.footprint[3])
      return r.Fail("footprint does not enclose the model's axis");
    return r.End();
  }
  if (key == "strips") {
    c.strips.clear();
    if (r.Peek("none")) {
      ++r.at;
      return r.End();
    }
    for (; r.at < r.words.size(); ++r.at) {
      ContractStrip s;
      if (!ReadStrip(r, r.words[r.at], s)) return false;
      c.strips.push_back(s);
    }
    return true;
  }
  if (key == "form") {
    for (int32_t i = 0; i < 8; ++i) {
      if (r.Peek(ModelFormName(static_cast<ModelForm>(i)))) {
        ++r.at;
        c.form = static_cast<ModelForm>(i);
        return r.End();
      }
    }
    return r.Fail("unknown form");
  }
  if (key == "turret-pivot") return ReadPivot(r, c.turretPivot, true) && r.End();
  if (key == "gun-pivot") return ReadPivot(r, c.gunPivot, false) && r.End();
  if (key == "flash") {
    if (r.Peek("none")) {
      ++r.at;
      c.hasFlash = false;
      return r.End();
    }
    c.hasFlash = true;
    for (float& f : c.flash)
      if (!r.Float(f)) return false;
    return r.End();
  }
  if (key == "recoil") {
    if (r.Peek("none")) {
      ++r.at;
      c.hasRecoil = false;
      return r.End();
    }
    c.hasRecoil = true;
    return r.Float(c.recoil) && r.End();
  }
  if (key == "group") {
    ContractGroup g;
    if (!ReadStage(r, g.stage)) return false;
    if (r.Peek("colour")) {
      ++r.at;
      g.entry = -1;
      g.singleKind = SingleKind::kNone;
      if (!r.Word("coloured") || !r.Int(g.fans)) return false;
      c.groups.push_back(g);
      return r.End();
    }
    if (!r.Int(g.entry)) return false;
    if (g.entry < 0 || g.entry > 16) return r.Fail("texture entry outside 0..16");
    if (r.Peek("keep")) {
      ++r.at;
      g.keep = true;
    }
    if (!r.Word("fans") || !r.Int(g.fans)) return false;
    if (g.fans < 0) return r.Fail("negative count");
    if (r.at < r.words.size()) {
      static const char* const kKinds[] = {"arrays", "values", "quads", "track-values"};
      bool known = false;
      for (int32_t i = 0; i < 4; ++i) {
        if (r.Peek(kKinds[i])) {
          g.singleKind = static_cast<SingleKind>(i + 1);
          known = true;
        }
      }
      if (!known) return r.Fail("arrays, values, quads or track-values expected");
      ++r.at;
      if (!r.Int(g.singles)) return false;
      if (g.singles < 1) return r.Fail("a single count below 1");
    }
    if (g.fans + g.singles == 0) return r.Fail("a group that draws nothing");
    c.groups.push_back(g);
    return r.End();
  }
  if (key == "fan-sizes") {
    ModelStage stage = ModelStage::kHull;
    int32_t index = 0;
    if (!ReadStage(r, stage) || !r.Int(index)) return false;
    int32_t seen = 0;
    for (ContractGroup& g : c.groups) {
      if (g.stage != stage || seen++ != index) continue;
      while (r.at < r.words.size()) {
        int32_t n = 0;
        if (!r.Int(n)) return false;
        if (n < 2 || n > 10) return r.Fail("a fan size outside 2..10");
        g.fanSizes.push_back(n);
      }
      if (static_cast<int32_t>(g.fanSizes.size()) != g.fans) return r.Fail("fan sizes do not match the group's fans");
      return true;
    }
    return r.Fail("fan sizes for a group that does not exist");
  }
  if (key == "quad") {
    std::array<float, 20> q{};
    for (float& f : q)
      if (!r.Float(f)) return false;
    c.quads.push_back(q);
    return r.End();
  }
  if (key == "totals" || key == "totals-plain") {
    std::array<int32_t, 3>& t = key == "totals" ? c.totals : c.totalsPlain;
    for (int32_t& v : t)
      if (!r.Int(v)) return false;
    return r.End();
  }
  if (key == "shares" || key == "sizes-as") {
    int32_t& twin = key == "shares" ? c.shares : c.sizesAs;
    if (!r.Int(twin) || !r.End()) return false;
    if (twin < 0 || twin >= c.routine) return r.Fail("the routine shared must come before this one");
    return true;
  }
  if (key == "ground") return r.Float(c.ground) && r.End();
  if (key == "upper") {
    if (r.Peek("none")) {
      ++r.at;
      c.bothGrounded = true;
      return r.End();
    }
    return r.Float(c.upper) && r.End();
  }
  if (key == "barrel-start") return r.Float(c.barrelStart) && r.End();
  if (key == "strip-count") {
    return r.Int(c.stripCount) && r.Word("plus") && r.Int(c.stripsPlus) && r.Word("minus") &&
           r.Int(c.stripsMinus) && r.End() &&
           (c.stripsPlus + c.stripsMinus == c.stripCount || r.Fail("strip signs do not add up"));
  }
  if (key == "strip-sizes") {
    c.stripSizes.clear();
    while (r.at < r.words.size()) {
      int32_t n = 0;
      if (!r.Int(n)) return false;
      if (n < 2 || n > 14) return r.Fail("strip size outside 2..14");
      c.stripSizes.push_back(n);
    }
    return !c.stripSizes.empty() || r.Fail("no strip size");
  }
  if (key == "counts") {
    return r.Word("fans") && r.Int(c.fanCount) && r.Word("arrays") && r.Int(c.arrayCount) && r.Word("values") &&
           r.Int(c.valueCount) && r.Word("coloured") && r.Int(c.colouredCount) && r.End();
  }
  if (key == "binds") return r.Int(c.binds) && r.End();
  if (key == "entries") {
    c.entries.clear();
    while (r.at < r.words.size()) {
      int32_t e = 0;
      if (!r.Int(e)) return false;
      if (e < 0 || e > 16) return r.Fail("texture entry outside 0..16");
      c.entries.push_back(e);
    }
    return true;
  }
  if (key == "stages") {
    for (int32_t& v : c.stagePrimitives)
      if (!r.Int(v)) return false;
    return r.End();
  }
  return r.Fail("unknown row '" + key + "'");
}

// What a finished block must hold.
std::string CheckBlock(const ModelContract& c) {
  if (c.slots.empty() || c.slots[0] != c.routine) return "the routine is not named by its lowest slot";
  if (c.totals[0] <= 0) return "no totals";
  // A strip or fan of n triangles has n + 2 corners, a triangle 3 and a quad (2 triangles) 4.
  if (c.totals[2] != c.totals[1] + 2 * c.totals[0]) return "totals do not keep vertices = triangles + 2 x primitives";
  if (c.HasVariant() && c.totalsPlain[0] == 0) return "a variant routine without totals-plain";
  if (!c.stripSizes.empty() && (!c.firstHalf || static_cast<int32_t>(c.stripSizes.size()) != c.stripCount))
    return "strip-sizes gives a size to each strip of a first-half block";
  return {};
}

}  // namespace

bool ReadModelContracts(const std::string& text, const std::string& name, std::vector<ModelContract>& out,
                        std::string& error) {
  out.clear();
  std::istringstream in(text);
  std::string line;
  int32_t number = 0;
  int32_t blockLine = 0;
  auto finish = [&]() {
    if (out.empty()) return true;
    ModelContract& c = out.back();
    if (!c.HasVariant()) {
      if (c.totalsPlain[0] == 0) c.totalsPlain = c.totals;
    }
    const std::string why = CheckBlock(c);
    if (why.empty()) return true;
    error = name + ":" + std::to_string(blockLine) + ": " + why;
    return false;
  };
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    LineReader r;
    std::istringstream words(line);
    for (std::string w; words >> w;) r.words.push_back(w);
    if (r.words.empty()) continue;
    if (r.words[0] == "routine") {
      if (!finish()) return false;
      ModelContract c;
      if (!r.Int(c.routine) || !r.End() || c.routine < 0 || c.routine > 98) {
        error = name + ":" + std::to_string(number) + ": " + (r.fault.empty() ? "routine outside 0..98" : r.fault);
        return false;
      }
      if (!out.empty() && out.back().routine >= c.routine) {
        error = name + ":" + std::to_string(number) + ": routines out of order";
        return false;
      }
      out.push_back(c);
      blockLine = number;
      continue;
    }
    if (out.empty() || !ReadLine(r, out.back())) {
      error = name + ":" + std::to_string(number) + ": " + (out.empty() ? "a row before the first routine" : r.fault);
      return false;
    }
  }
  if (!finish()) return false;
  if (out.empty()) {
    error = name + ":" + std::to_string(number) + ": no routine";
    return false;
  }
  return true;
}

const char* ModelFormName(ModelForm form) {
  static const char* const kForms[] = {"hull", "turret", "common", "mount", "turret-gun-yz", "pivot-turret-gun",
                                       "nested", "box"};
  return kForms[static_cast<size_t>(form) % 8];
}
