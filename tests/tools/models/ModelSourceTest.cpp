// The vehicle model sources: every template compiles to its placeholder bit for bit, an authored
// model is fitted to its contract's counts and passes the validator, the fitter adds exactly the
// vertices wanted on existing edges, and every bad line stops the compile naming its place.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "ModelContract.h"
#include "ModelDump.h"
#include "ModelFaces.h"
#include "ModelSource.h"
#include "ModelValidator.h"
#include "PlaceholderMaker.h"
#include "game/models/VehicleModelGeometry.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

const std::vector<ModelContract>& Contracts() {
  static const std::vector<ModelContract> contracts = [] {
    std::vector<ModelContract> out;
    std::string error;
    EXPECT_TRUE(ReadModelContracts(ReadFile(TARVANE_MODEL_DIR "/contract.txt"), "contract.txt", out, error)) << error;
    return out;
  }();
  return contracts;
}

bool Same(const ModelRecord& a, const ModelRecord& b) {
  auto bits = [](const std::vector<float>& v) {
    return std::string(reinterpret_cast<const char*>(v.data()), v.size() * sizeof(float));
  };
  if (a.steps.size() != b.steps.size()) return false;
  for (size_t i = 0; i < a.steps.size(); ++i) {
    const ModelStep &s = a.steps[i], &t = b.steps[i];
    if (s.op != t.op || s.n != t.n || s.k != t.k || s.side != t.side || s.sign != t.sign) return false;
  }
  return bits(a.positions) == bits(b.positions) && bits(a.uvs) == bits(b.uvs) && bits(a.constants) == bits(b.constants);
}

TEST(ModelSource, EveryTemplateSourceCompilesToItsPlaceholder) {
  const std::vector<ModelContract>& all = Contracts();
  ASSERT_EQ(all.size(), 93u);
  for (const ModelContract& c : all) {
    const std::string name = ModelSourceName(c);
    ModelRecord compiled, placeholder;
    ModelSourceInfo info;
    const std::string why =
        CompileModelSource(ReadFile(std::string(TARVANE_MODEL_DIR "/") + name), name, c, all, {}, compiled, &info);
    ASSERT_EQ(why, "") << name;
    if (!info.isTemplate) continue;
    ASSERT_EQ(MakePlaceholder(c, placeholder, &all), "");
    EXPECT_TRUE(Same(compiled, placeholder)) << name;
  }
  for (const ModelContract& c : all)
    if (c.routine == 36) {
      EXPECT_EQ(ModelSourceName(c), "036.model");
    }
}

// A small hull routine of our own: a box hull, an open plate and a triangle.
const char kContract[] =
    "routine 7\nslots 7 8\nvariant none\nfootprint -0.05 -0.1 0.05 0.1\nform hull\nturret-pivot none\n"
    "gun-pivot none\nflash none\nrecoil none\ngroup hull 1 fans 5\ngroup hull 2 fans 2 arrays 1\n"
    "fan-sizes hull 1 3 2\ntotals 8 26 42\nground 0.001\nupper 0.008\nbarrel-start 5e-4\n";

std::string Compile(const std::string& body, ModelRecord* out = nullptr,
                    const std::map<std::string, std::string>& parts = {}) {
  std::vector<ModelContract> cs;
  std::string error;
  EXPECT_TRUE(ReadModelContracts(kContract, "contract.txt", cs, error)) << error;
  ModelRecord record;
  const ModelPartLoader load = [&parts](const std::string& path, std::string& text) {
    const auto it = parts.find(path);
    if (it == parts.end()) return false;
    text = it->second;
    return true;
  };
  std::string why = CompileModelSource(body, "007.model", cs[0], cs, load, record);
  if (why.empty()) why = ValidateModel(cs[0], record.View());
  if (out != nullptr) *out = record;
  return why;
}

const std::string kHead = "model 7\nlet w = 0.05*28.867\n";
const std::string kBody = kHead +
                          "stage hull\ngroup 1\n"
                          "box -w @footprint.y0 0.2 w @footprint.y1 1.0 omit bottom\n"
                          "group 2\n"
                          "plate -1 0 1.2 1 0 1.2 1 0.5 1.6 -1 0.5 1.6\n"
                          "plate -1 -1 1.2 1 -1 1.2 1 -0.5 1.6 -1 -0.5 1.6 # the rear\n"
                          "tri 0 1 1 0.5 1.5 1 0 1.5 1.5\n";

TEST(ModelSource, AnAuthoredModelIsFittedToItsCounts) {
  ModelRecord r;
  ASSERT_EQ(Compile(kBody, &r), "");
  // The box's five faces and the plates: 6 + 2 + 2 triangles drawn, the fitter adding 10 to
  // the box (all on edges two faces share) and 3 to the given fans (3 and 2).
  std::array<std::vector<int32_t>, 3> sizes = FanSizesByStage(r.View());
  int32_t box = 0;
  for (size_t i = 0; i < 5; ++i) box += sizes[0][i];
  EXPECT_EQ(box, 20);
  EXPECT_EQ(sizes[0][5], 3);
  EXPECT_EQ(sizes[0][6], 2);
  // The same source gives the same bytes.
  ModelRecord again;
  ASSERT_EQ(Compile(kBody, &again), "");
  EXPECT_TRUE(Same(r, again));
  // Through a shared part, with a value of its own.
  ModelRecord used;
  const std::string viaPart = kHead + "stage hull\ngroup 1\nuse \"parts/hull.model\" with h = 1.0\n" +
                              kBody.substr(kBody.find("group 2"));
  ASSERT_EQ(Compile(viaPart, &used, {{"parts/hull.model", "box -w @footprint.y0 0.2 w @footprint.y1 h omit bottom\n"}}),
            "");
  EXPECT_TRUE(Same(r, used));
}

TEST(ModelSource, BadLinesStopWithTheirPlace) {
  auto body = [](const std::string& groupOne) {
    return kHead + "stage hull\ngroup 1\n" + groupOne + kBody.substr(kBody.find("group 2"));
  };
  EXPECT_EQ(Compile(body("box -w -0.1 0.2 w 0.1\n")), "007.model:5: slot 7, hull, group 1: numbers (has 5, wants 6)");
  EXPECT_EQ(Compile(body("box -w -0.1 0.2 w 0.1 nan\n")),
            "007.model:5: slot 7, hull, group 1: unknown name 'nan'");
  EXPECT_EQ(Compile(body("box -w -0.1 0.2 w 0.1 1/0\n")), "007.model:5: slot 7, hull, group 1: '1/0' is not finite");
  EXPECT_EQ(Compile(body("plate 0 0 0 2 0 0 1 0.2 0 2 1 0 0 1 0\n")),
            "007.model:5: slot 7, hull, group 1: a face that is not convex");
  EXPECT_EQ(Compile(body("cone 1 2 3\n")), "007.model:5: slot 7, hull, group 1: unknown solid 'cone'");
  EXPECT_EQ(Compile(body("box -w -0.1 0.2 w 0.1 1 omit bottom top\n")),
            "007.model:4: slot 7, hull, group 1: fans (has 4, wants 5)");
  EXPECT_EQ(Compile(body("box -w @pivot.y 0.2 w 0.1 1\n")),
            "007.model:5: slot 7, hull, group 1: unknown name '@pivot.y'");
  EXPECT_EQ(Compile(body("use \"parts/none.model\"\n")),
            "007.model:5: slot 7, hull, group 1: 'parts/none.model' cannot be read");
  EXPECT_EQ(Compile(body("use \"parts/a.model\"\n"), nullptr,
                    {{"parts/a.model", "use \"parts/b.model\"\n"}, {"parts/b.model", "use \"parts/a.model\"\n"}}),
            "007.model:5: slot 7, hull, group 1: 'parts/a.model' uses itself");
  // The plates over their given sizes, and the free faces over the routine's triangles.
  EXPECT_EQ(Compile(kHead + "stage hull\ngroup 1\nbox -w -0.1 0.2 w 0.1 1 omit bottom\ngroup 2\n"
                            "plate -1 0 1.2 1 0 1.2 1 0.5 1.6 0 0.7 1.76 -1 0.5 1.6 -1 0.2 1.36\nplate 0 0 0 1 0 0 1 1 0 0 1 0\n"
                            "tri 0 1 1 0.5 1.5 1 0 1.5 1.5\n"),
            "007.model:6: slot 7, hull, group 2: fan size (has 4, wants 3)");
  EXPECT_EQ(Compile(body("box -w -0.1 0.2 w 0.1 1 omit bottom\nbox -w -0.1 0.2 w 0.1 1 omit bottom\n")),
            "007.model:4: slot 7, hull, group 1: fans (has 10, wants 5)");
  EXPECT_EQ(Compile("model 8\n"), "007.model:1: slot 7: model (has 8, wants 7)");
  EXPECT_EQ(Compile("model 7\nstage hull\ngroup 1e300\n"), "007.model:3: slot 7, hull: a group's entry is a whole number 0 to 16");
  EXPECT_EQ(Compile(body("disc +x 0 0 0 1 1e12\n")), "007.model:5: slot 7, hull, group 1: disc sides must be whole, 3 to 12");
  EXPECT_EQ(Compile("stage hull\n"), "007.model:1: slot 7: the source does not start with its model statement");
  EXPECT_EQ(Compile("model 7\ntemplate common\n"),
            "007.model:2: slot 7: template 'common' is not the routine's form 'hull'");
  EXPECT_EQ(Compile("model 7\nstage hull\ngroup 2\n"),
            "007.model:3: slot 7, hull, group 2: group order (has hull 2, wants hull 1)");
  EXPECT_EQ(Compile("model 7\ndepicts \"X\" 5 2 2 5\n"),
            "007.model:2: slot 7: depicts takes \"name\" length width height wheels \"source\"");
  EXPECT_EQ(Compile("model 7\nlet a = (1+2\n"), "007.model:2: slot 7: '(1+2' has an unclosed bracket");
  EXPECT_EQ(Compile("model 7\nhatch c 0 0 0 0 \"turret\n"), "007.model:2: slot 7: an unclosed quote");
}

ModelFace Square(float x0, float x1) {
  ModelFace f;
  f.corners = {{x0, 0, 0}, {x1, 0, 0}, {x1, 1, 0}, {x0, 1, 0}};
  f.uv = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  return f;
}

// Whether point p lies on the segment a-b.
bool OnSegment(const std::array<float, 3>& p, const std::array<float, 3>& a, const std::array<float, 3>& b) {
  const float cross = (b[0] - a[0]) * (p[1] - a[1]) - (b[1] - a[1]) * (p[0] - a[0]);
  return std::fabs(cross) < 1e-6f && p[0] >= std::fmin(a[0], b[0]) && p[0] <= std::fmax(a[0], b[0]) &&
         p[1] >= std::fmin(a[1], b[1]) && p[1] <= std::fmax(a[1], b[1]);
}

TEST(ModelFaces, TheFitterAddsVerticesOnEdgesOnly) {
  for (int32_t k = 0; k <= 7; ++k) {
    // Two squares sharing the edge x = 1, and an open plate beside them.
    std::vector<ModelFace> faces{Square(0, 1), Square(1, 2), Square(3, 4)};
    faces[2].open = true;
    const std::vector<ModelFace> before = faces;
    ASSERT_EQ(FitFaces(faces, 6 + k), "") << k;
    int32_t added = 0;
    for (size_t i = 0; i < faces.size(); ++i) {
      added += faces[i].Triangles() - before[i].Triangles();
      // Each original corner is still there in order; each new one lies on an original edge.
      size_t next = 0;
      for (const auto& p : faces[i].corners) {
        const auto& o = before[i].corners;
        if (next < o.size() && p == o[next]) {
          ++next;
          continue;
        }
        EXPECT_TRUE(OnSegment(p, o[(next + o.size() - 1) % o.size()], o[next % o.size()])) << k;
      }
      EXPECT_EQ(next, before[i].corners.size());
    }
    EXPECT_EQ(added, k);
    // An even share goes on the shared edge, so the squares keep no T-junction: their corners on
    // x = 1 are the same.
    auto onEdge = [](const ModelFace& f) {
      std::vector<float> ys;
      for (const auto& p : f.corners)
        if (p[0] == 1.0f) ys.push_back(p[1]);
      std::sort(ys.begin(), ys.end());
      return ys;
    };
    EXPECT_EQ(onEdge(faces[0]), onEdge(faces[1])) << k;
  }
  std::vector<ModelFace> over{Square(0, 1), Square(1, 2), Square(3, 4)};
  EXPECT_EQ(FitFaces(over, 3), "triangles (has 6, wants 3)");
  std::vector<ModelFace> full{Square(0, 1)};
  EXPECT_EQ(FitFaces(full, 11), "triangles (has 10, wants 11)");
}

TEST(ModelFaces, TheHubHasTheLargestSmallestAngle) {
  // A square with a vertex in the middle of its bottom edge: the hub is the top corner opposite,
  // never a corner beside the added vertex, whose fan would hold a flat triangle.
  ModelFace f;
  f.corners = {{0, 0, 0}, {0.5f, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  f.uv = {{0, 0}, {0.5f, 0}, {1, 0}, {1, 1}, {0, 1}};
  std::vector<float> xyz, uv;
  ASSERT_TRUE(FanFromFace(f, xyz, uv));
  EXPECT_EQ(xyz.size(), 15u);
  EXPECT_EQ(xyz[0], 0.5f);
  EXPECT_EQ(xyz[1], 0.0f);
  EXPECT_EQ(uv[0], 0.5f);
  // A triangle with two vertices on each edge leaves no hub without a flat triangle.
  ModelFace t;
  t.corners = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {2, 1, 0}, {1, 2, 0}, {0, 3, 0}, {0, 2, 0}, {0, 1, 0}};
  t.uv.resize(9);
  EXPECT_FALSE(FanFromFace(t, xyz, uv));
}

}  // namespace

namespace {

// The record the build compiled for a routine.
const ModelProgram& CompiledProgram(int32_t routine) {
  const std::vector<ModelContract>& all = Contracts();
  for (size_t i = 0; i < all.size(); ++i)
    if (all[i].routine == routine) return VehicleModelGeometry::kRoutines[i];
  ADD_FAILURE() << routine;
  return VehicleModelGeometry::kRoutines[0];
}

const ModelContract& Routine(int32_t routine) {
  for (const ModelContract& c : Contracts())
    if (c.routine == routine) return c;
  static const ModelContract none;
  ADD_FAILURE() << routine;
  return none;
}

TEST(ModelSource, Slot36IsAuthoredFanByFan) {
  const ModelContract& c = Routine(36);
  const std::string text = ReadFile(TARVANE_MODEL_DIR "/036.model");
  ModelRecord r;
  ModelSourceInfo info;
  ASSERT_EQ(CompileModelSource(text, "036.model", c, Contracts(), {}, r, &info), "");
  EXPECT_FALSE(info.isTemplate);
  ASSERT_EQ(info.depicts.size(), 3u);
  EXPECT_EQ(ValidateModel(c, r.View()), "");
  // Every fan as the contract gives it, stage by stage.
  std::array<std::vector<int32_t>, 3> want;
  for (const ContractGroup& g : c.groups) {
    if (g.stage == ModelStage::kBarrel) continue;
    const size_t stage = g.stage == ModelStage::kTurret ? 1 : g.stage == ModelStage::kHull ? 0 : 2;
    want[stage].insert(want[stage].end(), g.fanSizes.begin(), g.fanSizes.end());
  }
  EXPECT_EQ(FanSizesByStage(r.View()), want);
  // The barrel's texture-5 fans and its one triangle, and the totals.
  ModelCallLog log;
  RunModelProgram(r.View(), log, &log, ModelDrawValues{}, false, true);
  std::vector<int32_t> barrel5;
  int32_t bound = -1, primitives = 0, triangles = 0, vertices = 0;
  for (const auto& call : log.Calls()) {
    if (call.kind == ModelCallLog::Kind::kBind) bound = call.n;
    const bool fan = call.kind == ModelCallLog::Kind::kFan, single = call.kind == ModelCallLog::Kind::kArray;
    if (call.kind == ModelCallLog::Kind::kStrip || fan || single) {
      ++primitives;
      triangles += call.n;
      vertices += static_cast<int32_t>(call.args.size() / 3);
    }
    if (call.stage == ModelCallLog::Stage::kBarrel && bound == 5 && (fan || single)) barrel5.push_back(fan ? call.n : -1);
  }
  EXPECT_EQ(barrel5, (std::vector<int32_t>{4, 2, 3, 6, 6, 5, 2, 5, 4, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, -1}));
  EXPECT_EQ(primitives, 111);
  EXPECT_EQ(triangles, 296);
  EXPECT_EQ(vertices, 518);
  // One fan fewer in the turret's texture-8 group is refused on that group's line.
  const std::string cut = "box -1.00 -1.60 1.75 1.00 -1.10 2.35 omit bottom front";
  const size_t at = text.find(cut);
  ASSERT_NE(at, std::string::npos);
  std::string broken = text;
  broken.insert(at + cut.size(), " top");
  const int32_t line = static_cast<int32_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
  EXPECT_EQ(CompileModelSource(broken, "036.model", c, Contracts(), {}, r),
            "036.model:" + std::to_string(line - 1) + ": slot 36, turret, group 8: fans (has 3, wants 4)");
  EXPECT_TRUE(r.steps.empty());
}

TEST(ModelSource, AuthoredModelsFitThePublishedFigures) {
  const ModelContract& c = Routine(36);
  ModelRecord r;
  ModelSourceInfo info;
  const std::string text = ReadFile(TARVANE_MODEL_DIR "/036.model");
  ASSERT_EQ(CompileModelSource(text, "036.model", c, Contracts(), {}, r, &info), "");
  ASSERT_EQ(info.depicts.size(), 3u);  // the M10 under its two names and the Achilles
  EXPECT_EQ(CheckDepiction("036.model", c, r.View(), info.depicts[0]), "");
  ModelDepiction d = info.depicts[0];
  d.length = 6.5f;
  EXPECT_EQ(CheckDepiction("036.model", c, r.View(), d), "036.model:4: slot 36: depicts length (has 7.19, wants 6.50 within 8 %)");
  d = info.depicts[0];
  d.height = 3.0f;
  EXPECT_EQ(CheckDepiction("036.model", c, r.View(), d), "036.model:4: slot 36: depicts height (has 2.50, wants 3.00 within 10 %)");
  // Every authored source depicts a vehicle, and fits it.
  for (const ModelContract& k : Contracts()) {
    ModelRecord m;
    ModelSourceInfo i;
    ASSERT_EQ(CompileModelSource(ReadFile(std::string(TARVANE_MODEL_DIR "/") + ModelSourceName(k)), ModelSourceName(k), k,
                                 Contracts(), {}, m, &i),
              "");
    if (i.isTemplate) continue;
    ASSERT_FALSE(i.depicts.empty()) << k.routine;
    for (const ModelDepiction& each : i.depicts) EXPECT_EQ(CheckDepiction(ModelSourceName(k), k, m.View(), each), "");
  }
}

TEST(ModelSource, StripsRepeatTheirLinksEvery0457Metres) {
  // Along each strip of slot 36, v grows by 1 / 0.457 a metre of run (between the corners on one
  // edge), and u keeps to the links' half of the picture.
  const ModelProgram& p = CompiledProgram(36);
  ModelCallLog log;
  RunModelProgram(p, log, &log, ModelDrawValues{}, false, true);
  int32_t strips = 0;
  for (const auto& call : log.Calls()) {
    if (call.kind != ModelCallLog::Kind::kStrip) continue;
    ++strips;
    const std::vector<float>& xyz = call.args;
    const std::vector<float>& uv = call.uvs;
    for (size_t c = 2; c < uv.size() / 2; ++c) {
      EXPECT_TRUE(uv[2 * c] == 0.0f || uv[2 * c] == 0.5f);
      const double run = std::hypot(xyz[3 * c + 1] - xyz[3 * c - 5], xyz[3 * c + 2] - xyz[3 * c - 4]) * 28.867;
      if (run > 0.05) {
        EXPECT_NEAR(std::fabs(uv[2 * c + 1] - uv[2 * c - 3]) / run, 1.0 / 0.457, 1e-3);
      }
    }
  }
  EXPECT_EQ(strips, 4);
}

TEST(ModelSource, TheDumpNamesEveryStep) {
  const ModelContract& c = Routine(36);
  ModelRecord r;
  ASSERT_EQ(CompileModelSource(ReadFile(TARVANE_MODEL_DIR "/036.model"), "036.model", c, Contracts(), {}, r), "");
  const std::string json = DumpModelJson(r, 36);
  EXPECT_EQ(json.rfind("{\"slot\": 36, \"steps\": [\n  {\"op\": \"cull-off\"}", 0), 0u);
  EXPECT_NE(json.find("{\"op\": \"strip\", \"triangles\": 6, \"side\": \"-x\", \"sign\": -1, \"positions\": ["),
            std::string::npos);
  EXPECT_NE(json.find("{\"op\": \"flash\", \"values\": [1, -0.002252104, 0.15815791, 0.071137466]}"), std::string::npos);
  EXPECT_NE(json.find("{\"op\": \"bind\", \"entry\": 5}"), std::string::npos);
  EXPECT_EQ(static_cast<size_t>(std::count(json.begin(), json.end(), '{')), r.steps.size() + 1);
}

}  // namespace

namespace {

ModelFace Quad(std::array<float, 3> a, std::array<float, 3> b, std::array<float, 3> c, std::array<float, 3> d) {
  ModelFace f;
  f.corners = {a, b, c, d};
  return f;
}

TEST(ModelFaces, FacesLandInTheBandTheirNormalPicks) {
  // In metres (unit 1): a deck facing up, a side facing +x, a front facing +y, a belly facing down.
  struct Case {
    ModelFace face;
    SkinBand band;
  };
  std::vector<Case> cases = {
      {Quad({0, 0, 1}, {2, 0, 1}, {2, 1, 1}, {0, 1, 1}), SkinBand::kTop},
      {Quad({1, 0, 0}, {1, 3, 0}, {1, 3, 0.5f}, {1, 0, 0.5f}), SkinBand::kSides},
      {Quad({0, 2, 0}, {0, 2, 1}, {1, 2, 1}, {1, 2, 0}), SkinBand::kFrontRear},
      {Quad({0, 0, 0}, {0, 1, 0}, {2, 1, 0}, {2, 0, 0}), SkinBand::kUnderside},
      // Wider than its band: squeezed into it.
      {Quad({0, 0, 5}, {1, 0, 5}, {1, 4, 5}, {0, 4, 5}), SkinBand::kTop},
  };
  for (Case& c : cases) {
    EXPECT_EQ(BandOf(c.face), c.band);
    BandUv(c.face, 1.0);
    const float lo = 0.25f * static_cast<float>(static_cast<int32_t>(c.band));
    float u0 = 1e9f, u1 = -1e9f;
    for (const auto& t : c.face.uv) {
      EXPECT_GT(t[1], lo);
      EXPECT_LT(t[1], lo + 0.25f);
      u0 = std::fmin(u0, t[0]);
      u1 = std::fmax(u1, t[0]);
    }
    // u along the longest side, 64 texels a metre of a 256-texel skin.
    float longest = 0;
    for (size_t i = 0; i < 4; ++i) {
      const auto& a = c.face.corners[i];
      const auto& b = c.face.corners[(i + 1) % 4];
      longest = std::fmax(longest, std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]));
    }
    EXPECT_FLOAT_EQ(u1 - u0, longest * 0.25f);
  }
  // A detail picture covers the face from 0 to 1 both ways.
  ModelFace hatch = Quad({0, 0, 1}, {0.6f, 0, 1}, {0.6f, 0.4f, 1}, {0, 0.4f, 1});
  FitUv(hatch);
  std::set<std::pair<float, float>> corners;
  for (const auto& t : hatch.uv) corners.insert({t[0], t[1]});
  EXPECT_EQ(corners, (std::set<std::pair<float, float>>{{0, 0}, {1, 0}, {1, 1}, {0, 1}}));
}

}  // namespace

namespace {

TEST(ModelSource, CopiedStagesAreTheOtherModelsValueForValue) {
  // Routine 9 draws routine 7's stages.
  std::string twin = kContract;
  twin.replace(twin.find("routine 7\nslots 7 8\n"), 20, "routine 9\nslots 9\nshares 7\n");
  std::vector<ModelContract> cs;
  std::string error;
  ASSERT_TRUE(ReadModelContracts(std::string(kContract) + "\n" + twin, "contract.txt", cs, error)) << error;
  ASSERT_EQ(cs.size(), 2u);
  std::map<std::string, std::string> files{{"007.model", kBody}};
  const ModelPartLoader load = [&files](const std::string& path, std::string& text) {
    const auto it = files.find(path);
    if (it == files.end()) return false;
    text = it->second;
    return true;
  };
  ModelRecord seven, nine;
  ASSERT_EQ(CompileModelSource(kBody, "007.model", cs[0], cs, load, seven), "");
  ASSERT_EQ(CompileModelSource("model 9\ncopy 7 stages\n", "009.model", cs[1], cs, load, nine), "");
  EXPECT_TRUE(Same(seven, nine));
  EXPECT_EQ(ValidateSharing(cs, {seven.View(), nine.View()}), "");
  auto fails = [&](const std::string& text, size_t routine = 1) {
    ModelRecord r;
    return CompileModelSource(text, routine == 1 ? "009.model" : "007.model", cs[routine], cs, load, r);
  };
  EXPECT_EQ(fails("model 9\n"), "009.model:1: slot 9: only a template serves a routine whose groups are laid out or shared");
  EXPECT_EQ(fails("model 9\ncopy 9 stages\n"), "009.model:2: slot 9: copy names no other routine's slot");
  EXPECT_EQ(fails(kHead + "copy 9 stages\n", 0), "007.model:3: slot 7: copy stages of slot (has 9, wants -1)");
  EXPECT_EQ(fails("model 9\ncopy 7 tracks\n"), "009.model:2: slot 9: copy tracks outside a family of equal tracks");
  files["007.model"] = "model 7\ntemplate hull\n";
  EXPECT_EQ(fails("model 9\ncopy 7 stages\n"),
            "009.model:2: slot 9: copy stages of a template: this model is a template too");
  files.clear();
  EXPECT_EQ(fails("model 9\ncopy 7 stages\n"), "009.model:2: slot 9: '007.model' cannot be read");
}

}  // namespace

namespace {

TEST(ModelSource, ValueTrianglesAreTheSourcesOrThePlaceholders) {
  std::string contract = kContract;
  contract.replace(contract.find("arrays 1"), 8, "values 1");
  std::vector<ModelContract> cs;
  std::string error;
  ASSERT_TRUE(ReadModelContracts(contract, "contract.txt", cs, error)) << error;
  auto compile = [&cs](const std::string& body, ModelRecord& r) {
    std::string why = CompileModelSource(body, "007.model", cs[0], cs, {}, r);
    return why.empty() ? ValidateModel(cs[0], r.View()) : why;
  };
  auto value = [](const ModelRecord& r) {
    ModelCallLog log;
    RunModelProgram(r.View(), log, &log, ModelDrawValues{}, false, true);
    for (const auto& call : log.Calls())
      if (call.kind == ModelCallLog::Kind::kValue) return call.args;
    return std::vector<float>{};
  };
  ModelRecord own, placeholder;
  ASSERT_EQ(compile(kBody, own), "");
  // The source's triangle, corner for corner in model units.
  const std::vector<float> drawn = value(own);
  ASSERT_EQ(drawn.size(), 9u);
  EXPECT_FLOAT_EQ(drawn[1], static_cast<float>(1.0 / 28.867));
  EXPECT_FLOAT_EQ(drawn[3], static_cast<float>(0.5 / 28.867));
  std::string none = kBody;
  none.erase(none.find("tri "));
  ASSERT_EQ(compile(none, placeholder), "");
  EXPECT_EQ(value(placeholder).size(), 9u);
  EXPECT_NE(value(placeholder), drawn);
  EXPECT_NE(compile(kBody + "tri 0 1 1 0.5 1.5 1 0 1.5 1.5\n", own).find("group 2: singles (has 2, wants 1)"), std::string::npos);
}

TEST(ModelSource, TheBoxQuadsAreTheContractsAsGiven) {
  const ModelContract& c = Routine(94);
  const std::vector<ModelContract>& all = Contracts();
  std::string last = "quad";
  for (size_t k = 0; k < 20; ++k) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, " %.9g", static_cast<double>(c.quads[7][k]) * (k % 5 < 3 ? 28.867 : 1.0));
    last += buffer;
  }
  const std::string head = "model 94\nstage hull\ngroup 1\nquad given\nquad given\nquad given\ngroup 2\n";
  const std::string text = head + "quad given\nquad given\nquad given\nquad given\ngroup 3\n" + last + "\n";
  ModelRecord authored, placeholder;
  ModelSourceInfo info;
  ASSERT_EQ(CompileModelSource(text, "094.model", c, all, {}, authored, &info), "");
  EXPECT_FALSE(info.isTemplate);
  EXPECT_EQ(ValidateModel(c, authored.View()), "");
  ASSERT_EQ(MakePlaceholder(c, placeholder, &all), "");
  EXPECT_TRUE(Same(authored, placeholder));
  std::string moved = text;
  moved.replace(moved.rfind(" 0 0 0 "), 7, " 0.1 0 0 ");
  EXPECT_NE(CompileModelSource(moved, "094.model", c, all, {}, authored).find("094.model:13: slot 94, hull, group 3: quad 8, value 3: the box as given (has 0.003464, wants 0.000000)"),
            std::string::npos);
  EXPECT_EQ(CompileModelSource(head + "quad given\ngroup 3\nquad given\n", "094.model", c, all, {}, authored),
            "094.model:7: slot 94, hull, group 2: quads (has 1, wants 4)");
  EXPECT_EQ(CompileModelSource(head + "tri 0 0 0 1 0 0 0 1 0\n", "094.model", c, all, {}, authored),
            "094.model:7: slot 94, hull, group 2: singles (has 1, wants 0)");
}

}  // namespace
