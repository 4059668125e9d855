// The vehicle model kit: the drawing contract's sums, its reader's errors, the placeholders the
// build compiled (every slot passes the validator, with the contract's totals, bit for bit what
// the tool makes), and the validator catching seeded faults.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "FanPadder.h"
#include "ModelContract.h"
#include "ModelDump.h"
#include "ModelEmitter.h"
#include "ModelSource.h"
#include "ModelValidator.h"
#include "PlaceholderMaker.h"
#include "game/models/VehicleModelGeometry.h"

namespace {

const std::vector<ModelContract>& Contracts() {
  static const std::vector<ModelContract> contracts = [] {
    std::ifstream in(TARVANE_MODEL_CONTRACT, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<ModelContract> out;
    std::string error;
    EXPECT_TRUE(ReadModelContracts(text.str(), "contract.txt", out, error)) << error;
    return out;
  }();
  return contracts;
}

// The compiled record of a routine (records follow the contract's order).
const ModelProgram& CompiledOf(const ModelContract& c) {
  const std::vector<ModelContract>& all = Contracts();
  for (size_t i = 0; i < all.size(); ++i)
    if (all[i].routine == c.routine) return VehicleModelGeometry::kRoutines[i];
  ADD_FAILURE() << c.routine;
  return VehicleModelGeometry::kRoutines[0];
}

const ModelContract& ContractOf(int32_t routine) {
  for (const ModelContract& c : Contracts())
    if (c.routine == routine) return c;
  static const ModelContract none;
  ADD_FAILURE() << routine;
  return none;
}

TEST(ModelContract, SumsOfTheTables) {
  const std::vector<ModelContract>& all = Contracts();
  ASSERT_EQ(all.size(), 93u);
  std::array<int64_t, 3> second{}, first{};
  int32_t strips = 0, plus = 0, fans = 0, arrays = 0, values = 0, coloured = 0;
  std::map<std::string, int32_t> roles;
  for (const ModelContract& c : all) {
    EXPECT_EQ(c.totals[2], c.totals[1] + 2 * c.totals[0]) << c.routine;
    std::array<int64_t, 3>& sum = c.firstHalf ? first : second;
    for (size_t i = 0; i < 3; ++i) sum[i] += c.totals[i];
    if (c.firstHalf) {
      strips += c.stripCount;
      plus += c.stripsPlus;
      fans += c.fanCount;
      arrays += c.arrayCount;
      values += c.valueCount;
      coloured += c.colouredCount;
      continue;
    }
    std::set<std::string> seen;
    for (const ContractGroup& g : c.groups) {
      const char* stage = g.stage == ModelStage::kBarrel ? "barrel" : g.stage == ModelStage::kTurret ? "turret"
                          : g.stage == ModelStage::kGun  ? "gun"
                                                         : "hull";
      if (!g.keep) seen.insert(std::string(stage) + " " + std::to_string(g.entry));
    }
    for (const std::string& s : seen) ++roles[s];
  }
  EXPECT_EQ(second, (std::array<int64_t, 3>{8678, 23544, 40900}));
  EXPECT_EQ(first[1], 13268);
  EXPECT_EQ(first[2], 23386);
  EXPECT_EQ(strips, 254);
  EXPECT_EQ(plus, 149);
  EXPECT_EQ(fans, 4178);
  EXPECT_EQ(arrays, 380);
  EXPECT_EQ(values, 243);
  EXPECT_EQ(coloured, 4);
  EXPECT_EQ(roles["barrel 5"], 43);
  EXPECT_EQ(roles["hull 7"], 50);
  EXPECT_EQ(roles["turret 3"], 38);
  EXPECT_EQ(roles["turret 4"], 38);
  EXPECT_EQ(roles["gun 3"], 33);
  EXPECT_EQ(roles["gun 4"], 36);
  // The fan sizes given: slot 36 fan by fan, and the variant parts.
  int32_t given = 0;
  for (const ContractGroup& g : ContractOf(36).groups) given += static_cast<int32_t>(g.fanSizes.size());
  EXPECT_EQ(given, 94);
  EXPECT_EQ(ContractOf(63).groups[5].fanSizes, (std::vector<int32_t>{6, 6, 4, 4}));
}

TEST(ModelContract, MalformedRowsStopWithTheirLine) {
  auto error = [](const std::string& text) {
    std::vector<ModelContract> out;
    std::string e;
    EXPECT_FALSE(ReadModelContracts(text, "contract.txt", out, e));
    return e;
  };
  const std::string head = "routine 3\nslots 3\n";
  EXPECT_EQ(error(head + "footprint -0.1 -0.1 0.1\n"), "contract.txt:3: a number is missing");
  EXPECT_EQ(error(head + "strips 4:+y:-\n"), "contract.txt:3: strip '4:+y:-' names no side +x or -x");
  EXPECT_EQ(error(head + "strips 17:+x:-\n"), "contract.txt:3: strip '17:+x:-' has no count 1..16");
  EXPECT_EQ(error(head + "group hull 17 fans 2\n"), "contract.txt:3: texture entry outside 0..16");
  EXPECT_EQ(error(head + "group hull 1 fans 2\nfan-sizes hull 0 2 11\n"), "contract.txt:4: a fan size outside 2..10");
  EXPECT_EQ(error(head + "totals 2 4 7\n"), "contract.txt:1: totals do not keep vertices = triangles + 2 x primitives");
  EXPECT_EQ(error(head + "wheels 4\n"), "contract.txt:3: unknown row 'wheels'");
  EXPECT_EQ(error("slots 3\n"), "contract.txt:1: a row before the first routine");
  EXPECT_EQ(error(head + "totals 1 2 4\nroutine 2\n"), "contract.txt:4: routines out of order");
  EXPECT_EQ(error(head + "flash 1 0 nan 0\n"), "contract.txt:3: 'nan' is not a number");
  EXPECT_EQ(error(head + "first-half\nstrip-count 2 plus 1 minus 1\nstrip-sizes 2 15\n"),
            "contract.txt:5: strip size outside 2..14");
  EXPECT_EQ(error(head + "first-half\nstrip-count 2 plus 1 minus 1\nstrip-sizes 2 3 4\ntotals 2 4 8\n"),
            "contract.txt:1: strip-sizes gives a size to each strip of a first-half block");
}

TEST(ModelContract, AFirstHalfBlockMayChooseItsStripSizes) {
  // Slot 21's block: its strips as it gives them, the + strips first.
  ModelContract c = ContractOf(21);
  ASSERT_EQ(c.stripSizes.size(), 18u);
  ASSERT_EQ(LayOutFirstHalfStrips(c), "");
  for (size_t i = 0; i < c.strips.size(); ++i) {
    EXPECT_EQ(c.strips[i].n, c.stripSizes[i]) << i;
    EXPECT_EQ(c.strips[i].sign, i < 12 ? 1 : -1) << i;
  }
  // Sizes that would leave the fans more than 10 triangles each, or fewer than 2, are refused.
  c.stripSizes.assign(18, 2);
  c.fanCount = 10;
  EXPECT_EQ(LayOutFirstHalfStrips(c), "the strip sizes given leave the fans no 2 to 10 triangles");
  c = ContractOf(21);
  c.stripSizes.assign(18, 14);
  EXPECT_EQ(LayOutFirstHalfStrips(c), "the strip sizes given leave the fans no 2 to 10 triangles");
  // Without sizes of its own a block keeps the layout's: as near 10 a strip as the fans allow.
  c = ContractOf(3);
  EXPECT_TRUE(c.stripSizes.empty());
  ASSERT_EQ(LayOutFirstHalfStrips(c), "");
  for (const ContractStrip& st : c.strips) EXPECT_EQ(st.n, 10);
}

// Primitives, triangles and vertices of a record as drawn.
std::array<int64_t, 3> Drawn(const ModelProgram& program, bool variant) {
  ModelCallLog log;
  RunModelProgram(program, log, &log, ModelDrawValues{}, false, variant);
  std::array<int64_t, 3> t{};
  for (const auto& call : log.Calls()) {
    if (call.args.empty() || call.kind == ModelCallLog::Kind::kColour || call.kind == ModelCallLog::Kind::kFlash ||
        call.kind == ModelCallLog::Kind::kRecoil || call.n == 0)
      continue;
    ++t[0];
    t[1] += call.n;
    t[2] += static_cast<int64_t>(call.args.size() / 3);
  }
  return t;
}

// A model record made from its contract, with the place of each step's data.
struct Seeded {
  explicit Seeded(int32_t routine) : contract(ContractOf(routine)) { EXPECT_EQ(MakePlaceholder(contract, record, &Contracts()), ""); }
  std::string Check() const { return ValidateModel(contract, record.View()); }
  // The index of the n-th step of an operation.
  size_t StepOf(ModelOp op, int32_t n = 0) const {
    for (size_t i = 0; i < record.steps.size(); ++i)
      if (record.steps[i].op == op && n-- == 0) return i;
    ADD_FAILURE();
    return 0;
  }
  // The first position float and the first texture float of a step.
  std::pair<size_t, size_t> DataOf(size_t step) const {
    size_t p = 0, t = 0;
    for (size_t i = 0; i < step; ++i) {
      const int32_t v = ModelStepVertices(record.steps[i]);
      p += static_cast<size_t>(3 * v);
      if (record.steps[i].op != ModelOp::kColouredFan) t += static_cast<size_t>(2 * v);
    }
    return {p, t};
  }
  ModelContract contract;
  ModelRecord record;
};

TEST(VehicleModelPlaceholders, EverySlotPassesWithTheContractsTotals) {
  std::array<int64_t, 3> one{}, zero{};
  int32_t slots = 0;
  for (const ModelContract& c : Contracts()) {
    const ModelProgram& p = CompiledOf(c);
    EXPECT_EQ(ValidateModel(c, p), "") << c.routine;
    const auto a = Drawn(p, true), b = Drawn(p, false);
    for (size_t i = 0; i < 3; ++i) {
      one[i] += a[i] * static_cast<int64_t>(c.slots.size());
      zero[i] += b[i] * static_cast<int64_t>(c.slots.size());
    }
    slots += static_cast<int32_t>(c.slots.size());
  }
  EXPECT_EQ(slots, 99);
  EXPECT_EQ(one, (std::array<int64_t, 3>{14499, 38908, 67906}));
  EXPECT_EQ(zero, (std::array<int64_t, 3>{14478, 38828, 67784}));
}

TEST(VehicleModelPlaceholders, SlotsThatShareStripsDrawTheSame) {
  std::vector<ModelProgram> programs;
  for (const ModelContract& c : Contracts()) programs.push_back(CompiledOf(c));
  EXPECT_EQ(ValidateSharing(Contracts(), programs), "");
  // One v of routine 88's strips changed.
  Seeded s(88);
  s.record.uvs[3] += 0.5f;
  for (size_t i = 0; i < Contracts().size(); ++i)
    if (Contracts()[i].routine == 88) programs[i] = s.record.View();
  EXPECT_EQ(ValidateSharing(Contracts(), programs), "routine 88: stage hull: shared strips: differ from routine 86's");
  // Routine 45 draws routine 44's hull, turret and gun; routine 67 keeps routine 66's fan sizes.
  const ModelProgram& p44 = CompiledOf(ContractOf(44));
  const ModelProgram& p45 = CompiledOf(ContractOf(45));
  EXPECT_EQ(FanSizesByStage(p44), FanSizesByStage(p45));
  EXPECT_EQ(FanSizesByStage(CompiledOf(ContractOf(66))), FanSizesByStage(CompiledOf(ContractOf(67))));
  // Routine 45 as compiled, one hull position moved.
  ModelRecord moved;
  moved.steps.assign(p45.steps, p45.steps + p45.stepCount);
  moved.positions.assign(p45.positions, p45.positions + p45.positionCount);
  moved.uvs.assign(p45.uvs, p45.uvs + p45.uvCount);
  moved.constants.assign(p45.constants, p45.constants + p45.constantCount);
  moved.positions[3 * 60 + 2] += 0.001f;
  for (size_t i = 0; i < Contracts().size(); ++i) {
    if (Contracts()[i].routine == 88) programs[i] = CompiledOf(ContractOf(88));
    if (Contracts()[i].routine == 45) programs[i] = moved.View();
  }
  EXPECT_EQ(ValidateSharing(Contracts(), programs),
            "routine 45: hull, turret and gun: shared stages: differ from routine 44's");
}

TEST(VehicleModelPlaceholders, TheCompiledRecordsAreTheToolsBitForBit) {
  // Each record as the tool compiles its source (a template or an authored model).
  const ModelPartLoader load = ModelDirectoryLoader(TARVANE_MODEL_DIR);
  for (const ModelContract& c : Contracts()) {
    ModelRecord made;
    std::string source;
    ASSERT_TRUE(load(ModelSourceName(c), source)) << c.routine;
    ASSERT_EQ(CompileModelSource(source, ModelSourceName(c), c, Contracts(), load, made), "") << c.routine;
    const ModelProgram& p = CompiledOf(c);
    ASSERT_EQ(p.stepCount, static_cast<int32_t>(made.steps.size())) << c.routine;
    for (size_t i = 0; i < made.steps.size(); ++i) {
      const ModelStep& a = made.steps[i];
      const ModelStep& b = p.steps[i];
      EXPECT_TRUE(a.op == b.op && a.n == b.n && a.side == b.side && a.sign == b.sign && a.k == b.k) << c.routine << " " << i;
    }
    auto same = [](const std::vector<float>& v, const float* data, int32_t count) {
      return static_cast<int32_t>(v.size()) == count && (v.empty() || std::memcmp(v.data(), data, v.size() * sizeof(float)) == 0);
    };
    EXPECT_TRUE(same(made.positions, p.positions, p.positionCount)) << c.routine;
    EXPECT_TRUE(same(made.uvs, p.uvs, p.uvCount)) << c.routine;
    EXPECT_TRUE(same(made.constants, p.constants, p.constantCount)) << c.routine;
  }
  for (float f : {0.1f, -0.0f, 0.0f, 0.15815791f, -0.002252104f, FLT_MAX, FLT_MIN, FLT_TRUE_MIN, -7.288f}) {
    const std::string literal = FloatLiteral(f);
    ASSERT_EQ(literal.back(), 'f');
    const float back = std::strtof(literal.substr(0, literal.size() - 1).c_str(), nullptr);
    EXPECT_EQ(std::memcmp(&back, &f, sizeof f), 0) << literal;
  }
}

TEST(VehicleModelPlaceholders, FanPadding) {
  std::vector<int32_t> sizes{0, 6, 0, 0};
  EXPECT_EQ(PadFans(sizes, 6 + 11), "");
  EXPECT_EQ(sizes, (std::vector<int32_t>{2, 6, 2, 7}));
  std::vector<int32_t> few{0, 0};
  EXPECT_EQ(PadFans(few, 3), "the fans cannot hold 3 triangles (2 free fans for 3)");
  std::vector<int32_t> many{0};
  EXPECT_NE(PadFans(many, 11), "");
  std::vector<int32_t> fixed{2, 2};
  EXPECT_EQ(PadFans(fixed, 4), "");
  EXPECT_NE(PadFans(fixed, 5), "");
}

TEST(ModelValidator, CatchesSeededFaults) {
  EXPECT_EQ(Seeded(36).Check(), "");
  {  // a swapped sign
    Seeded s(36);
    s.record.steps[s.StepOf(ModelOp::kStrip)].sign = 1;
    EXPECT_EQ(s.Check(), "routine 36: stage hull, strip 1: strip list: expected 6 -x -, drew 6 -x +");
  }
  {  // a strip on the wrong side of its offset
    Seeded s(36);
    const size_t step = s.StepOf(ModelOp::kStrip, 1);
    const size_t p = s.DataOf(step).first;
    for (size_t k = 0; k < 3u * (s.record.steps[step].n + 2u); k += 3) s.record.positions[p + k] = -s.record.positions[p + k];
    EXPECT_EQ(s.Check(), "routine 36: stage hull, strip 2: side: not wholly on the +x side of its offset");
  }
  {  // a fan count one off: the second hull group's bind one fan later
    Seeded s(36);
    const size_t bind = s.StepOf(ModelOp::kBind, 2);
    std::swap(s.record.steps[bind], s.record.steps[bind + 1]);
    EXPECT_EQ(s.Check(), "routine 36: stage hull, group 0: fan count: expected 8, drew 9");
  }
  {  // a pivot one ulp off, taken back exactly
    Seeded s(36);
    const size_t t = s.StepOf(ModelOp::kTranslate);
    float& x = s.record.constants[s.record.steps[t].k];
    x = std::nextafter(x, 1.0f);
    s.record.constants[s.record.steps[t + 2].k] = -x;
    EXPECT_NE(s.Check().find("routine 36: gun: pivot: drew (-0.00225210376"), std::string::npos) << s.Check();
  }
  {  // a back-translation that does not negate its translation
    Seeded s(36);
    const size_t t = s.StepOf(ModelOp::kTranslate, 1);
    float& y = s.record.constants[s.record.steps[t].k + 1];
    y = std::nextafter(y, 0.0f);
    EXPECT_NE(s.Check().find("routine 36: gun: frame: translation 0.00292525 is taken back by"), std::string::npos)
        << s.Check();
  }
  {  // a footprint 0.001 off
    Seeded s(36);
    s.record.constants[s.record.steps[s.StepOf(ModelOp::kFootprint)].k] += 0.001f;
    EXPECT_EQ(s.Check().substr(0, 32), "routine 36: hull: footprint: val");
  }
  {  // a barrel 1e-6 short of the flash point
    Seeded s(36);
    const float yf = 0.15815791f;
    for (size_t k = 1; k < s.record.positions.size(); k += 3)
      if (s.record.positions[k] == yf) s.record.positions[k] = yf - 1e-6f;
    EXPECT_NE(s.Check().find("routine 36: barrel: barrel length: the barrel ends at y 0.15815691"), std::string::npos)
        << s.Check();
  }
  {  // a reversed loop: v running the other way round
    Seeded s(36);
    const size_t step = s.StepOf(ModelOp::kStrip, 2);
    const size_t t = s.DataOf(step).second;
    for (size_t k = 1; k < 2u * (s.record.steps[step].n + 2u); k += 2) s.record.uvs[t + k] = -s.record.uvs[t + k];
    EXPECT_NE(s.Check().find("routine 36: stage hull, strip 3: roll: the pattern does not move"), std::string::npos)
        << s.Check();
  }
  {  // a loop left open: the upper run's first cross-section raised
    Seeded s(36);
    const size_t p = s.DataOf(s.StepOf(ModelOp::kStrip)).first;
    s.record.positions[p + 2] += 0.002f;
    s.record.positions[p + 5] += 0.002f;
    EXPECT_NE(s.Check().find("routine 36: stage hull, strip 1: closure: the end at y"), std::string::npos) << s.Check();
  }
  {  // entry 5 in a hull
    Seeded s(36);
    s.record.steps[s.StepOf(ModelOp::kBind, 1)].n = 5;
    EXPECT_EQ(s.Check(), "routine 36: stage hull: texture roles: entry 5 outside the barrel");
  }
  {  // a tilt in a turret that turns about a pivot of its own
    Seeded s(50);
    const size_t turn = s.StepOf(ModelOp::kTurn);
    s.record.steps.insert(s.record.steps.begin() + static_cast<std::ptrdiff_t>(turn + 1), ModelStep{ModelOp::kTilt, 0, 0, 1, 0});
    EXPECT_EQ(s.Check(), "routine 50: frame: form: the articulation's calls are not those of its form (6 calls, 5 expected)");
  }
  {  // a degenerate triangle
    Seeded s(36);
    const size_t p = s.DataOf(s.StepOf(ModelOp::kFan, 3)).first;
    for (size_t k = 0; k < 3; ++k) s.record.positions[p + 6 + k] = s.record.positions[p + 3 + k];
    EXPECT_NE(s.Check().find("routine 36: hull: degenerate triangle: primitive 8 triangle 0 has area 0"),
              std::string::npos)
        << s.Check();
  }
}

}  // namespace

namespace {

TEST(ModelReport, TheHalfsTwoTriangleFans) {
  // Three routines: one of the first half authored and serving two slots, one of it still a
  // template, one of the second half. Only the first one's fans of exactly two triangles count,
  // once for both its slots; strips, larger fans and coloured fans of two do not.
  std::vector<ModelContract> contracts(3);
  contracts[0].firstHalf = true;
  contracts[0].slots = {4, 5};
  contracts[1].firstHalf = true;
  contracts[1].slots = {6};
  contracts[2].slots = {36};
  std::vector<ModelRecord> records(3);
  records[0].Step(ModelOp::kFan, 2);
  records[0].Step(ModelOp::kFan, 3);
  records[0].Step(ModelOp::kStrip, 2);
  records[0].Step(ModelOp::kColouredFan, 2);
  records[0].Step(ModelOp::kFan, 2);
  records[1].Step(ModelOp::kFan, 2);
  for (int i = 0; i < 5; ++i) records[2].Step(ModelOp::kFan, 2);
  EXPECT_EQ(CountQuadFans(records[0]), 2);
  const HalfQuadFans count = CountHalfQuadFans(contracts, records, {true, false, true});
  EXPECT_EQ(count.fans, 2);
  EXPECT_EQ(count.authored, 1);
  EXPECT_EQ(count.routines, 2);
  EXPECT_EQ(HalfQuadFanReport(count), "first half: 2 of 3027 two-triangle fans (1 of 2 routines authored)");
  EXPECT_EQ(CountHalfQuadFans(contracts, records, {true, true, true}).fans, 3);

  // The authored sources: each routine's count is the two-triangle fans the game's interpreter
  // draws from its record (its variant part too), and the half never passes its total.
  const std::vector<ModelContract>& all = Contracts();
  const ModelPartLoader load = ModelDirectoryLoader(TARVANE_MODEL_DIR);
  std::vector<ModelRecord> compiled(all.size());
  std::vector<bool> authored(all.size(), false);
  int32_t drawn = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    if (!all[i].firstHalf) continue;
    const std::string name = ModelSourceName(all[i]);
    std::string text;
    ASSERT_TRUE(ReadModelFile(std::string(TARVANE_MODEL_DIR "/") + name, text)) << name;
    ModelSourceInfo info;
    ASSERT_EQ(CompileModelSource(text, name, all[i], all, load, compiled[i], &info), "");
    authored[i] = !info.isTemplate;
    if (!authored[i]) continue;
    ModelCallLog log;
    RunModelProgram(compiled[i].View(), log, &log, ModelDrawValues{}, false, true);
    for (const auto& call : log.Calls()) drawn += call.kind == ModelCallLog::Kind::kFan && call.n == 2 ? 1 : 0;
  }
  const HalfQuadFans half = CountHalfQuadFans(all, compiled, authored);
  EXPECT_EQ(half.routines, 36);
  EXPECT_GE(half.authored, 1);
  EXPECT_EQ(half.fans, drawn);
  EXPECT_LE(half.fans, HalfQuadFans::kTarget);
}

}  // namespace
