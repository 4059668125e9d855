// Running gear written in a model source: every cut of the routines' strip lists (track loops,
// wheel treads, a split run, wheel groups, a rear section and wheel-and-run hulls) compiled over
// the real strip lists and held by the validator to the ground, height, closure and roll rules;
// and the statements' faults stopped on their line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>

#include "ModelContract.h"
#include "ModelSource.h"
#include "ModelValidator.h"

namespace {

const std::vector<ModelContract>& Contracts() {
  static const std::vector<ModelContract> contracts = [] {
    std::string text, error;
    EXPECT_TRUE(ReadModelFile(TARVANE_MODEL_DIR "/contract.txt", text));
    std::vector<ModelContract> out;
    EXPECT_TRUE(ReadModelContracts(text, "contract.txt", out, error)) << error;
    return out;
  }();
  return contracts;
}

// The routine's strip list, footprint and ground figures under a hull of two plates: enough of a
// model to carry its running gear through the compiler and the validator.
ModelContract GearOnly(int32_t routine) {
  ModelContract c;
  for (const ModelContract& r : Contracts())
    if (r.routine == routine) c = r;
  EXPECT_EQ(c.routine, routine);
  c.variantRule = 0;
  c.form = ModelForm::kHull;
  c.turretPivot = {};
  c.gunPivot = {};
  c.hasFlash = false;
  c.hasRecoil = false;
  c.shares = c.sizesAs = -1;
  c.quads.clear();
  c.groups = {ContractGroup{ModelStage::kHull, 1, false, 1, SingleKind::kNone, 0, {}},
              ContractGroup{ModelStage::kHull, 2, false, 1, SingleKind::kNone, 0, {}}};
  int32_t triangles = 4, vertices = 8;
  for (const ContractStrip& s : c.strips) {
    triangles += s.n;
    vertices += s.n + 2;
  }
  c.totals = c.totalsPlain = {static_cast<int32_t>(c.strips.size()) + 2, triangles, vertices};
  return c;
}

std::string Source(const ModelContract& c, const std::string& gear) {
  return "model " + std::to_string(c.slots.front()) + "\n" + gear +
         "stage hull\ngroup 1\n"
         "plate @footprint.x0 @footprint.y0 1.2 @footprint.x1 @footprint.y0 1.2 @footprint.x1 0 1.2 @footprint.x0 0 1.2\n"
         "group 2\n"
         "plate @footprint.x0 0 1.2 @footprint.x1 0 1.2 @footprint.x1 @footprint.y1 1.2 @footprint.x0 @footprint.y1 1.2\n";
}

std::string Compile(const ModelContract& c, const std::string& gear, ModelRecord* out = nullptr,
                    const std::map<std::string, std::string>& files = {}, const std::vector<ModelContract>* all = nullptr) {
  const ModelPartLoader load = [&files](const std::string& path, std::string& text) {
    const auto it = files.find(path);
    if (it == files.end()) return false;
    text = it->second;
    return true;
  };
  ModelRecord record;
  const std::vector<ModelContract> own{c};
  std::string why = CompileModelSource(Source(c, gear), ModelSourceName(c), c, all != nullptr ? *all : own, load, record);
  if (why.empty()) why = ValidateModel(c, record.View());
  if (out != nullptr) *out = record;
  return why;
}

// Each routine's strip list cut as its kind of running gear, strips named by their place in it.
const std::map<int32_t, std::string>& Cuts() {
  static const std::map<int32_t, std::string> cuts = {
      // Loops of two strips: the upper piece from the lower rear end to the top of the front end.
      {37, "loop left 1 3 -3.0 2.9 1.0 0.45 cut rear-low front-high\n"
           "loop right 2 4 -3.0 2.9 1.0 0.45 cut rear-low front-high\n"},
      {39, "loop right 1 3 -3.0 2.9 1.0 0.45 cut rear-low front-high\n"
           "loop left 2 4 -3.0 2.9 1.0 0.45 cut rear-low front-high\n"},
      // ... from the upper front end to the lower rear end.
      {41, "loop left 1 3 -3.5 2.45 1.0 0.45 cut top-front rear-low\n"
           "loop right 2 4 -3.5 2.45 1.0 0.45 cut top-front rear-low\n"},
      // ... from the top of the front end to the middle of the rear end.
      {43, "loop right 3 1 -3.8 3.4 0.95 0.5 cut front-high rear-mid\n"
           "loop left 4 2 -3.8 3.4 0.95 0.5 cut front-high rear-mid\n"},
      // Four wheels of three strips each: upper arc, lower rear slope, front part.
      {49, "tread right 1 7 9 -1.9 -0.95 0.95 0.3\ntread left 2 5 11 -1.9 -0.95 0.95 0.3\n"
           "tread left 3 8 10 0.6 1.55 0.95 0.3\ntread right 4 6 12 0.6 1.55 0.95 0.3\n"},
      {90, "tread right 1 7 9 -1.9 -0.95 0.95 0.3\ntread left 2 5 11 -1.9 -0.95 0.95 0.3\n"
           "tread left 3 8 10 0.6 1.55 0.95 0.3\ntread right 4 6 12 0.6 1.55 0.95 0.3\n"},
      // Two bogie groups a side, cut as the wheels are.
      {55, "tread left 12 1 8 0.68 1.61 0.85 0.35\ntread right 10 2 6 -1.75 -0.81 0.85 0.35\n"
           "tread left 9 3 5 -1.75 -0.81 0.85 0.35\ntread right 11 4 7 0.68 1.61 0.85 0.35\n"},
      // The main loops and the rear section's groups behind them.
      {46, "loop left 10 6 -3.8 3.4 0.95 0.5 cut front-high rear-mid\n"
           "loop right 8 5 -3.8 3.4 0.95 0.5 cut front-high rear-mid\n"
           "trailer left 7 1 4 -6.9 -6.0 0.9 0.35\ntrailer right 9 2 3 -6.9 -6.0 0.9 0.35\n"},
      // One side's lower run in two strips, split on the ground.
      {77, "loop right 1 3 -3.9 2.6 1.0 0.5 cut rear-low front-high\n"
           "run left 2 5 4 -3.9 2.6 1.0 0.5 cut rear-low front-high split -2.5\n"},
      // Eight wheels of two arcs, both down to the ground: front arcs 1-8, rear arcs 9-16.
      {80, "tread left 1 9 -2.0 -0.9 1.1 0.3\ntread left 2 10 -3.4 -2.3 1.1 0.3\n"
           "tread left 3 11 -0.2 0.9 1.1 0.3\ntread right 4 12 1.1 2.2 1.1 0.3\n"
           "tread left 5 13 1.1 2.2 1.1 0.3\ntread right 6 15 -0.2 0.9 1.1 0.3\n"
           "tread right 7 14 -2.0 -0.9 1.1 0.3\ntread right 8 16 -3.4 -2.3 1.1 0.3\n"},
      // A wheel ahead of a track run on each side.
      {82, "halftrack left 1 5 8 1.4 2.3 0.9 0.3 then 4 10 -2.1 1.0 0.8 0.35 cut rear-mid front-mid\n"
           "halftrack right 2 6 7 1.4 2.3 0.9 0.3 then 3 9 -2.1 1.0 0.8 0.35 cut rear-mid front-mid\n"},
      {86, "halftrack right 1 5 7 1.6 2.6 0.9 0.3 then 2 8 -3.0 1.2 0.8 0.35 cut rear-low front-low\n"
           "halftrack left 3 6 9 1.6 2.6 0.9 0.3 then 4 10 -3.0 1.2 0.8 0.35 cut rear-low front-low\n"},
      {91, "halftrack left 1 5 8 2.6 3.6 1.0 0.3 then 4 10 -2.1 2.2 0.8 0.35 cut rear-mid front-high\n"
           "halftrack right 3 6 7 2.6 3.6 1.0 0.3 then 2 9 -2.1 2.2 0.8 0.35 cut rear-mid front-high\n"},
      {93, "halftrack left 1 5 8 3.2 4.2 1.0 0.3 then 4 10 -2.3 2.6 0.8 0.35 cut rear-mid front-high\n"
           "halftrack right 3 6 7 3.2 4.2 1.0 0.3 then 2 9 -2.3 2.6 0.8 0.35 cut rear-mid front-high\n"}};
  return cuts;
}

TEST(ModelGear, EveryCutPassesTheGroundHeightClosureAndRollChecks) {
  // The 6/8 treads of slots 79 and 81 and the wheel-and-run hulls of 83-85, 87-89 and 92 share
  // their lists with a routine above.
  const std::map<int32_t, int32_t> same = {{79, 80}, {81, 80}, {83, 82}, {84, 82}, {85, 82},
                                           {87, 86}, {88, 86}, {89, 86}, {92, 91}, {38, 37},
                                           {42, 41}, {44, 43}, {45, 43}};
  std::map<int32_t, std::string> cuts = Cuts();
  for (const auto& [routine, like] : same) cuts[routine] = cuts.at(like);
  for (const auto& [routine, gear] : cuts) {
    const ModelContract c = GearOnly(routine);
    ModelRecord r;
    ASSERT_EQ(Compile(c, gear, &r), "") << routine;
    // The strips drawn are the source's, not the contract's bands: each + strip reaches the
    // ground at a y the source placed.
    ModelCallLog log;
    RunModelProgram(r.View(), log, &log, ModelDrawValues{}, false, true);
    size_t strips = 0;
    for (const auto& call : log.Calls())
      if (call.kind == ModelCallLog::Kind::kStrip) {
        EXPECT_EQ(call.n, c.strips[strips].n) << routine;
        ++strips;
      }
    EXPECT_EQ(strips, c.strips.size()) << routine;
  }
}

TEST(ModelGear, StripsTakeOneRepeatPer0457MetresAndFollowTheCorners) {
  const ModelContract c = GearOnly(49);
  ModelRecord r;
  ASSERT_EQ(Compile(c, Cuts().at(49), &r), "");
  ModelCallLog log;
  RunModelProgram(r.View(), log, &log, ModelDrawValues{}, false, true);
  for (const auto& call : log.Calls()) {
    if (call.kind != ModelCallLog::Kind::kStrip) continue;
    // A wheel of 0.95 m: its corners cut by 0.293 of it, so every step of a tread is a face.
    for (size_t k = 2; k + 1 < call.uvs.size() / 2; k += 2) {
      const double run = std::hypot(call.args[3 * k + 1] - call.args[3 * k - 5], call.args[3 * k + 2] - call.args[3 * k - 4]) * 28.867;
      EXPECT_NEAR(std::fabs(call.uvs[2 * k + 1] - call.uvs[2 * k - 3]) / run, 1.0 / 0.457, 1e-3);
      EXPECT_GT(run, 0.25);
    }
    // Inner and outer edges 0.3 m apart, the outer on the footprint's side.
    const float outer = call.args[3];
    EXPECT_TRUE(outer == c.footprint[0] || outer == c.footprint[2]);
    EXPECT_NEAR(std::fabs(call.args[0] - outer) * 28.867, 0.3, 1e-4);
  }
}

TEST(ModelGear, AReversedLoopIsRefused) {
  const ModelContract c = GearOnly(37);
  const std::string gear = "loop left 1 3 -3.0 2.9 1.0 0.45 cut rear-low front-high\n"
                           "loop right 2 4 -3.0 2.9 1.0 0.45 cut rear-low front-high reverse\n";
  EXPECT_EQ(Compile(c, gear), "037.model:3: slot 37, hull, strip 2: roll (has 6 steps rolling the wrong way, wants 0)");
}

TEST(ModelGear, BadStatementsStopOnTheirLine) {
  const ModelContract c37 = GearOnly(37);
  const std::string left = "loop left 1 3 -3.0 2.9 1.0 0.45 cut rear-low front-high\n";
  const std::map<std::string, std::string> cases = {
      // A strip of the other side, one drawn twice, one left out, one not in the list.
      {left + "loop right 2 3 -3.0 2.9 1.0 0.45 cut rear-low front-high\n",
       "037.model:3: slot 37, hull, strip 3: side (has right, wants left)"},
      {left + "loop left 1 3 -3.0 2.9 1.0 0.45 cut rear-low front-high\n",
       "037.model:3: slot 37, hull, strip 1: drawn again, first on line (has 2, wants 3)"},
      {left, "037.model:2: slot 37, hull, strip 2: running gear (has no piece, wants one)"},
      {"loop left 1 9 -3.0 2.9 1.0 0.45 cut rear-low front-high\n", "037.model:2: slot 37: strip '9' is not a whole number 1 to 4"},
      // The upper and lower strips swapped: the + strip off the ground.
      {"loop left 3 1 -3.0 2.9 1.0 0.45 cut rear-low front-high\n",
       "037.model:2: slot 37, hull, strip 3: ground (has 0.0102, wants 0.0015)"},
      // Cut too low for the routine's upper run: its corners 0.293 m up a 0.6 m band.
      {"loop left 1 3 -3.0 2.9 0.6 0.45 cut rear-low front-high\n",
       "037.model:2: slot 37, hull, strip 1: height (has 0.0061, wants 0.0090)"},
      {"loop left 1 3 -3.0 2.9 1.0 0.45 cut rear-low middle\n", "cut names two points of the band"},
      {"loop left 1 3 2.9 -3.0 1.0 0.45 cut rear-low front-high\n", "a band needs y0 below y1"},
      {"loop left 1 3 -3.0 1e30 1.0 0.45 cut rear-low front-high\n", "(within 100 m)"},
      {"loop left 1 3 -3.0 2.9 1.0 0.45\n", "the running gear takes loop left|right upper lower"},
      {"loop 1 3 -3.0 2.9 1.0 0.45 cut rear-low front-high\n", "loop names its side, left or right"},
      {"loop left 1 3 -3.0 2.9 1.0 99 cut rear-low front-high\n", "a width inside its side"}};
  for (const auto& [gear, want] : cases) {
    const std::string why = Compile(c37, gear);
    EXPECT_NE(why.find(want), std::string::npos) << gear << " gave " << why;
  }
  // A split off the ground, a rear section ahead of its loop, a wheel behind its run.
  EXPECT_NE(Compile(GearOnly(77), "loop right 1 3 -3.9 2.6 1.0 0.5 cut rear-low front-high\n"
                                  "run left 2 5 4 -3.9 2.6 1.0 0.5 cut rear-low front-high split 2.59\n")
                .find("split lies off the run's ground"),
            std::string::npos);
  std::string ahead = Cuts().at(46);
  ahead.replace(ahead.find("trailer left 7 1 4 -6.9 -6.0"), 28, "trailer left 7 1 4 -3.0 -2.1");
  EXPECT_NE(Compile(GearOnly(46), ahead).find("strip 7: trailer ahead of its side's running gear"), std::string::npos);
  EXPECT_NE(Compile(GearOnly(82), "halftrack left 1 5 8 -2.1 -1.2 0.9 0.3 then 4 10 -1.0 2.3 0.8 0.35 cut rear-mid front-mid\n")
                .find("the wheel does not stand ahead of the track run"),
            std::string::npos);
  // A template keeps the contract's gear; a routine without strips has none to give.
  ModelRecord r;
  ModelContract c = GearOnly(37);
  EXPECT_NE(CompileModelSource("model 37\ntemplate hull\n" + left, "037.model", c, {c}, {}, r).find("running gear in a template"),
            std::string::npos);
  c.strips.clear();
  EXPECT_NE(Compile(c, left).find("running gear in a routine without its strip list"), std::string::npos);
}

TEST(ModelGear, CopiedTracksAreTheOtherSourcesValueForValue) {
  const std::vector<ModelContract> family{GearOnly(82), GearOnly(83)};
  const std::map<std::string, std::string> files = {{"082.model", Source(family[0], Cuts().at(82))}};
  ModelRecord mine, theirs;
  ASSERT_EQ(Compile(family[0], Cuts().at(82), &theirs, files, &family), "");
  ASSERT_EQ(Compile(family[1], "copy 82 tracks\n", &mine, files, &family), "");
  ModelCallLog a, b;
  RunModelProgram(mine.View(), a, &a, ModelDrawValues{}, false, true);
  RunModelProgram(theirs.View(), b, &b, ModelDrawValues{}, false, true);
  size_t strips = 0;
  for (size_t i = 0; i < a.Calls().size() && i < b.Calls().size(); ++i) {
    if (a.Calls()[i].kind != ModelCallLog::Kind::kStrip) continue;
    EXPECT_EQ(a.Calls()[i].args, b.Calls()[i].args);
    EXPECT_EQ(a.Calls()[i].uvs, b.Calls()[i].uvs);
    ++strips;
  }
  EXPECT_EQ(strips, 10u);
}

}  // namespace

namespace {

TEST(ModelGear, Model98DrawsItsTracksAsValueTriangles) {
  const std::vector<ModelContract>& all = Contracts();
  const ModelContract* c = nullptr;
  for (const ModelContract& r : all)
    if (r.routine == 98) c = &r;
  ASSERT_NE(c, nullptr);
  // A plate of the hull at a height, across the vehicle.
  auto plates = [](int32_t n, double z) {
    std::string out;
    for (int32_t i = 0; i < n; ++i) {
      const double y = -2.0 + 0.4 * i;
      char buffer[160];
      std::snprintf(buffer, sizeof buffer, "plate -0.9 %.2f %.2f 0.9 %.2f %.2f 0.9 %.2f %.2f -0.9 %.2f %.2f\n", y, z, y, z,
                    y + 0.3, z, y + 0.3, z);
      out += buffer;
    }
    return out;
  };
  const std::string barrel = "plate 0 @pivot.y 2.1 0.05 @pivot.y 2.1 0.05 @muzzle.y 2.1 0 @muzzle.y 2.1\n";
  const std::string text = "model 98\nstage hull\ngroup colour\n" + plates(4, 0.5) + "group 0\nvaluetracks 0.85 1.1 -2.3 2.2 0.9\n" +
                           "group 1\n" + plates(6, 1.0) + "tri 0 0 1.2 0.2 0 1.2 0 0.2 1.3\ntri 0 1 1.2 0.2 1 1.2 0 1.2 1.3\n" +
                           "tri 0 -1 1.2 0.2 -1 1.2 0 -0.8 1.3\ngroup 2\n" + plates(9, 1.3) + "group 6\n" + plates(4, 1.5) +
                           "stage turret\ngroup 3\n" + plates(4, 1.8) + "group 4\n" + plates(4, 1.9) +
                           "stage barrel\ngroup 5\n" + barrel + barrel + "tri 0 1.2 2.1 0.1 1.2 2.1 0 1.3 2.2\n" +
                           "tri 0 1.4 2.1 0.1 1.4 2.1 0 1.5 2.2\ngroup 5\n" + barrel + barrel;
  ModelRecord r;
  ModelSourceInfo info;
  ASSERT_EQ(CompileModelSource(text, "098.model", *c, all, {}, r, &info), "");
  EXPECT_FALSE(info.isTemplate);
  EXPECT_EQ(ValidateModel(*c, r.View()), "");
  // 16 triangles a side round closed bands standing on the ground, v from the side's offset.
  ModelCallLog log;
  ModelDrawValues values;
  RunModelProgram(r.View(), log, &log, values, false, true);
  int32_t tracks = 0;
  float lowest = 1.0f;
  for (const auto& call : log.Calls()) {
    // The track values are the hull's first 32 value triangles.
    if (call.kind != ModelCallLog::Kind::kValue || tracks == 32) continue;
    EXPECT_EQ(call.args[0] > 0.0f, tracks >= 16) << tracks;
    for (size_t k = 2; k < 9; k += 3) lowest = std::min(lowest, call.args[k]);
    ++tracks;
  }
  EXPECT_EQ(tracks, 32);
  EXPECT_EQ(lowest, 0.0f);
  // Rolling backwards is refused, as for any track.
  std::string reversed = text;
  reversed.insert(reversed.find("0.9\ngroup 1"), "0.9 reverse");
  reversed.erase(reversed.find("0.9 reverse") + 11, 3);
  EXPECT_EQ(CompileModelSource(reversed, "098.model", *c, all, {}, r),
            "098.model:9: slot 98, hull, group 0: -x track: roll (has 8 steps rolling the wrong way, wants 0)");
  std::string far = text;
  far.replace(far.find("0.85 1.1 -2.3"), 13, "0.85 1.1 -1e9");
  EXPECT_NE(CompileModelSource(far, "098.model", *c, all, {}, r).find("(within 100 m)"), std::string::npos);
}

}  // namespace

namespace {

TEST(ModelGear, AnyWordOfARunningGearLineBrokenStopsWithItsPlace) {
  // Every word of each kind of statement replaced by odd values: the compile either succeeds or
  // stops naming the source, never anything worse.
  const std::vector<std::pair<int32_t, std::string>> lines = {
      {37, "loop left 1 3 -3.0 2.9 1.0 0.45 cut rear-low front-high"},
      {77, "run left 2 5 4 -3.9 2.6 1.0 0.5 cut rear-low front-high split -2.5 reverse"},
      {49, "tread right 1 7 9 -1.9 -0.95 0.95 0.3"},
      {80, "tread left 1 9 -2.0 -0.9 1.1 0.3"},
      {46, "trailer left 7 1 4 -6.9 -6.0 0.9 0.35"},
      {82, "halftrack left 1 5 8 1.4 2.3 0.9 0.3 then 4 10 -2.1 1.0 0.8 0.35 cut rear-mid front-mid"}};
  const char* const odd[] = {"0", "-0", "1e300", "-1e300", "1e-30", "nan", "inf", "(", "2.5e", "cut", "then", "split",
                             "reverse", "left", "-1", "99999999999", "bottom-rear", "\"q\""};
  int32_t compiled = 0;
  for (const auto& [routine, line] : lines) {
    const ModelContract c = GearOnly(routine);
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; in >> word;) words.push_back(word);
    for (size_t i = 0; i < words.size(); ++i)
      for (const char* o : odd) {
        std::string broken;
        for (size_t k = 0; k < words.size(); ++k) broken += (k == i ? std::string(o) : words[k]) + " ";
        ModelRecord r;
        const std::vector<ModelContract> own{c};
        const std::string why = CompileModelSource(Source(c, broken + "\n"), ModelSourceName(c), c, own, {}, r);
        EXPECT_TRUE(why.empty() || why.rfind(ModelSourceName(c) + ":", 0) == 0) << broken << ": " << why;
        compiled += why.empty() ? 1 : 0;
      }
  }
  // A lone statement leaves other strips out, so none compiles whole.
  EXPECT_EQ(compiled, 0);
}

}  // namespace

// The authored sources' running gear: the strips each vehicle's own statements give, held to what
// the strip lists fix (places, cuts, orders, the sides' offsets and the shared edges).
#include "PlaceholderMaker.h"

namespace {

ModelRecord Authored(int32_t routine) {
  const std::vector<ModelContract>& all = Contracts();
  ModelRecord r;
  for (const ModelContract& c : all)
    if (c.routine == routine) {
      std::string text;
      EXPECT_TRUE(ReadModelFile(TARVANE_MODEL_DIR "/" + ModelSourceName(c), text)) << routine;
      EXPECT_EQ(CompileModelSource(text, ModelSourceName(c), c, all, ModelDirectoryLoader(TARVANE_MODEL_DIR), r), "")
          << routine;
      EXPECT_EQ(ValidateModel(c, r.View()), "") << routine;
    }
  return r;
}

// The track strips a record draws with the sides' offsets ([0] +x, [1] -x), in drawing order.
std::vector<ModelCallLog::Call> Strips(const ModelRecord& r, float plusX = 0.0f, float minusX = 0.0f) {
  ModelCallLog log;
  ModelDrawValues values;
  values.trackScroll = {plusX, minusX};
  RunModelProgram(r.View(), log, &log, values, false, true);
  std::vector<ModelCallLog::Call> out;
  for (const auto& call : log.Calls())
    if (call.kind == ModelCallLog::Kind::kStrip && call.stage == ModelCallLog::Stage::kHull) out.push_back(call);
  return out;
}

// The strips (1 the first) whose texture coordinates the offsets move.
std::vector<int32_t> Moved(const ModelRecord& r, float plusX, float minusX) {
  const std::vector<ModelCallLog::Call> still = Strips(r), moved = Strips(r, plusX, minusX);
  std::vector<int32_t> out;
  for (size_t i = 0; i < still.size() && i < moved.size(); ++i)
    if (still[i].uvs != moved[i].uvs) out.push_back(static_cast<int32_t>(i + 1));
  return out;
}

// A strip's extreme along an axis (0 x, 1 y, 2 z).
float Low(const ModelCallLog::Call& s, size_t axis) {
  float v = s.args[axis];
  for (size_t k = axis; k < s.args.size(); k += 3) v = std::min(v, s.args[k]);
  return v;
}
float High(const ModelCallLog::Call& s, size_t axis) {
  float v = s.args[axis];
  for (size_t k = axis; k < s.args.size(); k += 3) v = std::max(v, s.args[k]);
  return v;
}

// Whether strip b starts on the whole edge (both vertices) strip a ends on.
bool EndsOnStartOf(const ModelCallLog::Call& a, const ModelCallLog::Call& b) {
  const size_t na = a.args.size();
  for (size_t k = 0; k < 6; ++k)
    if (a.args[na - 6 + k] != b.args[k]) return false;
  return true;
}

TEST(AuthoredGear, EveryAuthoredVehicleDrawsItsOwnRunningGear) {
  // The routines whose sources give running gear, or copy a family member's; the placeholders'
  // equal bands are drawn by none of them.
  const int32_t routines[] = {35, 36, 37, 38, 39, 41, 42, 43, 44, 45, 46, 49, 50, 51, 52, 53, 54, 55, 56, 57,
                              58, 59, 60, 62, 63, 64, 65, 66, 67, 68, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79,
                              80, 81, 82, 83, 84, 85, 86, 87, 88, 89, 90, 91};
  for (int32_t routine : routines) {
    ModelContract c;
    for (const ModelContract& k : Contracts())
      if (k.routine == routine) c = k;
    ModelRecord placeholder;
    ASSERT_EQ(MakePlaceholder(c, placeholder, &Contracts()), "") << routine;
    const std::vector<ModelCallLog::Call> own = Strips(Authored(routine)), bands = Strips(placeholder);
    ASSERT_EQ(own.size(), c.strips.size()) << routine;
    size_t differ = 0;
    for (size_t i = 0; i < own.size(); ++i) differ += own[i].args != bands[i].args ? 1 : 0;
    EXPECT_EQ(differ, own.size()) << routine;
  }
}

TEST(AuthoredGear, Slot46TrailerWheelsStandBehindAndRollWithTheirSides) {
  const ModelRecord r = Authored(46);
  const std::vector<ModelCallLog::Call> s = Strips(r);
  ASSERT_EQ(s.size(), 10u);
  for (int32_t i : {1, 4, 7, 2, 3, 9}) {
    const ModelCallLog::Call& w = s[static_cast<size_t>(i - 1)];
    EXPECT_GE(Low(w, 1), -0.238f) << i;
    EXPECT_LE(High(w, 1), -0.210f) << i;
    EXPECT_EQ(High(w, 0) < 0.0f, i == 1 || i == 4 || i == 7) << i;
  }
  // The wheels' upper arcs clear the ground by 0.008; the hull's loops stand ahead of them.
  EXPECT_GE(Low(s[6], 2), 0.008f);
  EXPECT_GE(Low(s[8], 2), 0.008f);
  for (int32_t i : {5, 6, 8, 10}) EXPECT_GT(Low(s[static_cast<size_t>(i - 1)], 1), -0.136f) << i;
  EXPECT_EQ(Moved(r, 0.25f, 0.0f), (std::vector<int32_t>{2, 3, 5, 8, 9}));
  EXPECT_EQ(Moved(r, 0.0f, 0.25f), (std::vector<int32_t>{1, 4, 6, 7, 10}));
}

TEST(AuthoredGear, Slot55StandsOnFourGroupsOfThreeAndSlot49OnItsTreadTable) {
  const std::vector<ModelCallLog::Call> s = Strips(Authored(55));
  ASSERT_EQ(s.size(), 12u);
  // Left front 12 1 8, right rear 10 2 6, left rear 9 3 5, right front 11 4 7 (upper arc, lower
  // rear slope, front part).
  const std::vector<std::vector<int32_t>> groups = {{12, 1, 8}, {10, 2, 6}, {9, 3, 5}, {11, 4, 7}};
  const bool front[] = {true, false, false, true}, left[] = {true, false, true, false};
  for (size_t g = 0; g < groups.size(); ++g) {
    float lo = 1.0f, hi = -1.0f;
    for (int32_t i : groups[g]) {
      const ModelCallLog::Call& w = s[static_cast<size_t>(i - 1)];
      lo = std::min(lo, Low(w, 1));
      hi = std::max(hi, High(w, 1));
      EXPECT_EQ(High(w, 0) < 0.0f, left[g]) << i;
    }
    EXPECT_NEAR(lo, front[g] ? 0.0234f : -0.0607f, 2e-4f) << g;
    EXPECT_NEAR(hi, front[g] ? 0.0559f : -0.0282f, 2e-4f) << g;
    EXPECT_GE(Low(s[static_cast<size_t>(groups[g][0] - 1)], 2), 0.008f) << g;
  }

  const ModelRecord r = Authored(49);
  const std::vector<ModelCallLog::Call> t = Strips(r);
  ASSERT_EQ(t.size(), 12u);
  // Right rear, left rear, left front, right front upper arcs; rear slopes of left rear, right
  // front, right rear, left front; front parts of right rear, left front, left rear, right front.
  const bool isLeft[] = {false, true, true, false, true, false, false, true, false, true, true, false};
  const bool isFront[] = {false, false, true, true, false, true, false, true, false, true, false, true};
  for (size_t i = 0; i < 12; ++i) {
    EXPECT_EQ(High(t[i], 0) < 0.0f, isLeft[i]) << i + 1;
    EXPECT_EQ(Low(t[i], 1) > 0.0f, isFront[i]) << i + 1;
    EXPECT_EQ(High(t[i], 1) < 0.0f, !isFront[i]) << i + 1;
  }
  // Wheels at least 0.89 m across the flats: the upper arcs 0.009 up, the treads that long.
  for (size_t i = 0; i < 4; ++i) EXPECT_GE(Low(t[i], 2), 0.009f) << i + 1;
  EXPECT_GE((High(t[0], 1) - Low(t[0], 1)) * 28.867f, 0.89f);
  EXPECT_EQ(Moved(r, 0.0f, 0.25f), (std::vector<int32_t>{2, 3, 5, 8, 10, 11}));
  EXPECT_EQ(Moved(r, 0.25f, 0.0f), (std::vector<int32_t>{1, 4, 6, 7, 9, 12}));
}

TEST(AuthoredGear, Slot77SplitRunSharesAWholeEdgeAndRollsWithTheLeftTrack) {
  const ModelRecord r = Authored(77);
  const std::vector<ModelCallLog::Call> s = Strips(r);
  ASSERT_EQ(s.size(), 5u);
  ASSERT_EQ(s[3].args.size(), 27u);
  ASSERT_EQ(s[4].args.size(), 15u);
  // The rear piece closes the ground section on the two vertices the front piece starts from.
  EXPECT_TRUE(EndsOnStartOf(s[4], s[3]));
  EXPECT_NEAR(s[4].uvs[9], s[3].uvs[1], 1e-4f);
  EXPECT_EQ(Low(s[3], 2), 0.0f);
  EXPECT_EQ(Low(s[4], 2), 0.0f);
  EXPECT_LT(High(s[4], 1), Low(s[3], 1) + 1e-6f);
  EXPECT_EQ(Moved(r, 0.0f, 0.25f), (std::vector<int32_t>{2, 4, 5}));
  EXPECT_EQ(Moved(r, 0.25f, 0.0f), (std::vector<int32_t>{1, 3}));
}

TEST(AuthoredGear, EightWheeledCarsDrawTheirArcsInTheListedOrder) {
  for (int32_t routine : {79, 80, 81}) {
    const ModelRecord r = Authored(routine);
    const std::vector<ModelCallLog::Call> s = Strips(r);
    ASSERT_EQ(s.size(), 16u) << routine;
    // Each strip's wheel, numbered 1 to 4 from the rear (by the rear arcs' rear ends, a pair of
    // wheels at each), signed -1 on the left.
    std::vector<float> rearEnds;
    for (size_t i = 8; i < 16; ++i) rearEnds.push_back(Low(s[i], 1));
    std::sort(rearEnds.begin(), rearEnds.end());
    auto wheel = [&](const ModelCallLog::Call& c) {
      int32_t n = 0;
      for (size_t i = 0; i < 8; i += 2) n += High(c, 1) > rearEnds[i] + 1e-4f ? 1 : 0;
      return (High(c, 0) < 0.0f ? -1 : 1) * n;
    };
    const int32_t frontOrder[] = {-2, -1, -3, 4, -4, 3, 2, 1}, rearOrder[] = {-2, -1, -3, 4, -4, 2, 3, 1};
    for (size_t i = 0; i < 8; ++i) {
      EXPECT_EQ(wheel(s[i]), frontOrder[i]) << routine << " front arc " << i + 1;
      EXPECT_EQ(wheel(s[8 + i]), rearOrder[i]) << routine << " rear arc " << i + 1;
    }
    // Each wheel's arcs meet on a whole edge at the front of its top face.
    for (size_t i = 0; i < 8; ++i)
      for (size_t k = 8; k < 16; ++k)
        if (wheel(s[k]) == wheel(s[i])) {
          EXPECT_TRUE(EndsOnStartOf(s[i], s[k])) << routine << " wheel " << wheel(s[i]);
          EXPECT_EQ(High(s[i], 2), High(s[k], 2));
        }
    std::vector<int32_t> left, right;
    for (size_t i = 0; i < 16; ++i) (High(s[i], 0) < 0.0f ? left : right).push_back(static_cast<int32_t>(i + 1));
    EXPECT_EQ(Moved(r, 0.0f, 0.25f), left) << routine;
    EXPECT_EQ(Moved(r, 0.25f, 0.0f), right) << routine;
  }
}

TEST(AuthoredGear, TrackLoopsAreCutWhereTheirFamiliesCutThem) {
  // Per routine the cut's two points: rear-low/front-high (37-39), top-front/rear-low (41, 42),
  // front-high/rear-mid (43-46).
  enum Point { kRearLow, kRearMid, kFrontHigh, kTopFront };
  const std::map<int32_t, std::pair<Point, Point>> cuts = {
      {37, {kRearLow, kFrontHigh}}, {38, {kRearLow, kFrontHigh}}, {39, {kRearLow, kFrontHigh}},
      {41, {kTopFront, kRearLow}},  {42, {kTopFront, kRearLow}},  {43, {kFrontHigh, kRearMid}},
      {44, {kFrontHigh, kRearMid}}, {45, {kFrontHigh, kRearMid}}, {46, {kFrontHigh, kRearMid}}};
  for (const auto& [routine, cut] : cuts) {
    ModelContract c;
    for (const ModelContract& k : Contracts())
      if (k.routine == routine) c = k;
    const std::vector<ModelCallLog::Call> s = Strips(Authored(routine));
    for (int32_t side = 0; side < 2; ++side) {
      // The side's main loop: its - strip and the longest + strip.
      const ModelCallLog::Call *upper = nullptr, *lower = nullptr;
      for (size_t i = 0; i < s.size(); ++i) {
        if (c.strips[i].side != side || c.strips[i].n < 10) continue;
        (c.strips[i].sign < 0 ? upper : lower) = &s[i];
      }
      ASSERT_TRUE(upper != nullptr && lower != nullptr) << routine;
      const float y0 = std::min(Low(*upper, 1), Low(*lower, 1)), y1 = std::max(High(*upper, 1), High(*lower, 1));
      const float h = High(*upper, 2), d = 0.293f * std::min(y1 - y0, h);
      auto at = [&](Point p) {
        switch (p) {
          case kRearLow: return std::pair<float, float>{y0, d};
          case kRearMid: return std::pair<float, float>{y0, 0.5f * h};
          case kFrontHigh: return std::pair<float, float>{y1, h - d};
          default: return std::pair<float, float>{y1 - d, h};
        }
      };
      // The - strip runs between the two points (either way), the + strip round the ground.
      const std::pair<float, float> first{upper->args[1], upper->args[2]};
      const std::pair<float, float> last{upper->args[upper->args.size() - 2], upper->args.back()};
      auto near = [](std::pair<float, float> p, std::pair<float, float> q) {
        return std::fabs(p.first - q.first) < 1e-5f && std::fabs(p.second - q.second) < 1e-5f;
      };
      EXPECT_TRUE((near(first, at(cut.first)) && near(last, at(cut.second))) ||
                  (near(first, at(cut.second)) && near(last, at(cut.first))))
          << routine << " side " << side << ": " << first.first << " " << first.second << ", " << last.first << " "
          << last.second;
      EXPECT_EQ(Low(*lower, 2), 0.0f) << routine;
      EXPECT_GE(Low(*upper, 2), 0.009f) << routine;
    }
  }
}

TEST(AuthoredGear, HalfTracksDrawTheirPiecesInTheListedOrder) {
  // Per strip: wheel (true) or run, and side (true left).
  const std::map<int32_t, std::vector<std::pair<bool, bool>>> orders = {
      {82, {{true, true}, {true, false}, {false, false}, {false, true}, {true, true}, {true, false}, {true, false},
            {true, true}, {false, false}, {false, true}}},
      {86, {{true, false}, {false, false}, {true, true}, {false, true}, {true, false}, {true, true}, {true, false},
            {false, false}, {true, true}, {false, true}}},
      {91, {{true, true}, {false, false}, {true, false}, {false, true}, {true, true}, {true, false}, {true, false},
            {true, true}, {false, false}, {false, true}}}};
  for (const auto& [routine, order] : orders) {
    const ModelRecord r = Authored(routine);
    const std::vector<ModelCallLog::Call> s = Strips(r);
    ASSERT_EQ(s.size(), order.size()) << routine;
    float runFront = -1.0f, wheelRear = 1.0f;
    std::vector<int32_t> left;
    for (size_t i = 0; i < s.size(); ++i) {
      EXPECT_EQ(High(s[i], 0) < 0.0f, order[i].second) << routine << " strip " << i + 1;
      if (order[i].first) wheelRear = std::min(wheelRear, Low(s[i], 1));
      else runFront = std::max(runFront, High(s[i], 1));
      if (order[i].second) left.push_back(static_cast<int32_t>(i + 1));
    }
    EXPECT_LT(runFront, wheelRear) << routine;
    // One side's offset moves that side's wheel and run together.
    EXPECT_EQ(Moved(r, 0.0f, 0.25f), left) << routine;
  }
  // The families draw equal strips.
  for (const auto& [first, members] : std::map<int32_t, std::vector<int32_t>>{{82, {83, 84, 85}}, {86, {87, 88, 89}}}) {
    const std::vector<ModelCallLog::Call> own = Strips(Authored(first));
    for (int32_t m : members) {
      const std::vector<ModelCallLog::Call> other = Strips(Authored(m));
      ASSERT_EQ(other.size(), own.size()) << m;
      for (size_t i = 0; i < own.size(); ++i) {
        EXPECT_EQ(other[i].args, own[i].args) << m;
        EXPECT_EQ(other[i].uvs, own[i].uvs) << m;
      }
    }
  }
}

}  // namespace
