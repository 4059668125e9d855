// The vehicle model sources: every template compiles to its placeholder bit for bit, an authored
// model is fitted to its contract's counts and passes the validator, the fitter adds exactly the
// vertices wanted on existing edges, and every bad line stops the compile naming its place.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
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
  const ModelPartLoader load = ModelDirectoryLoader(TARVANE_MODEL_DIR);  // authored sources use shared parts
  for (const ModelContract& c : all) {
    const std::string name = ModelSourceName(c);
    ModelRecord compiled, placeholder;
    ModelSourceInfo info;
    const std::string why =
        CompileModelSource(ReadFile(std::string(TARVANE_MODEL_DIR "/") + name), name, c, all, load, compiled, &info);
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
  // Spread, the vertices go to the smallest faces first: a pentagon sharing a long edge with a
  // square, and two squares sharing a short one; two vertices and then one more.
  for (const bool spread : {false, true}) {
    ModelFace pentagon;
    pentagon.corners = {{0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {1, 3, 0}, {0, 2, 0}};
    pentagon.uv = {{0, 0}, {1, 0}, {1, 1}, {0.5f, 1}, {0, 1}};
    ModelFace tall;
    tall.corners = {{2, 0, 0}, {3, 0, 0}, {3, 2, 0}, {2, 2, 0}};
    tall.uv = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    std::vector<ModelFace> faces{pentagon, tall, Square(5, 6), Square(6, 7)};
    ASSERT_EQ(FitFaces(faces, 12, spread), "");
    std::vector<int32_t> sizes;
    for (const ModelFace& f : faces) sizes.push_back(f.Triangles());
    EXPECT_EQ(sizes, spread ? (std::vector<int32_t>{3, 3, 3, 3}) : (std::vector<int32_t>{5, 3, 2, 2})) << spread;
  }
  // Two tall faces sharing a 4-long edge and two squares sharing a 1-long one, four vertices to
  // add: by default both pairs go on the long edge and the squares stay quads; spread, every face
  // takes one and no quad is left.
  auto quads = [](bool spread) {
    std::vector<ModelFace> faces{Square(0, 1), Square(1, 2), Square(5, 6), Square(6, 7)};
    for (size_t i = 0; i < 2; ++i)
      for (auto& p : faces[i].corners) p[1] *= 4.0f;
    EXPECT_EQ(FitFaces(faces, 12, spread), "");
    std::vector<int32_t> sizes;
    for (const ModelFace& f : faces) sizes.push_back(f.Triangles());
    return sizes;
  };
  EXPECT_EQ(quads(false), (std::vector<int32_t>{4, 4, 2, 2}));
  EXPECT_EQ(quads(true), (std::vector<int32_t>{3, 3, 3, 3}));
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

// The road wheels a side: counted on the treads where the running gear is all treads (a
// station to each run of overlapping spans on the left side), declared where loops hide them,
// taken from the routine whose tracks a source copies, and held against every depicts row.
TEST(ModelSource, RoadWheelsAreCountedOrDeclaredAndHeldToEachDepiction) {
  const ModelPartLoader load = ModelDirectoryLoader(TARVANE_MODEL_DIR);
  auto compile = [&load](int32_t routine, const std::string& text, ModelSourceInfo& info) {
    ModelRecord r;
    return CompileModelSource(text, ModelSourceName(Routine(routine)), Routine(routine), Contracts(), load, r, &info);
  };
  auto source = [](int32_t routine) { return ReadFile(std::string(TARVANE_MODEL_DIR "/") + ModelSourceName(Routine(routine))); };
  ModelSourceInfo info;
  // The six-by-six truck: ten treads a side's worth, the rear dual tyres sharing their spans,
  // three stations; the scout car's tyres and their shoulders overlap, two stations; the boat has
  // no running gear at all.
  ASSERT_EQ(compile(31, source(31), info), "");
  EXPECT_EQ(info.roadWheels, 3);
  EXPECT_EQ(info.roadWheelsLine, 0);
  ASSERT_EQ(compile(28, source(28), info), "");
  EXPECT_EQ(info.roadWheels, 2);
  ASSERT_EQ(compile(34, source(34), info), "");
  EXPECT_EQ(info.roadWheels, 0);
  // A declared figure on treads must be what they draw.
  std::string truck = source(31);
  truck.insert(truck.find("\n", truck.find("model 31")) + 1, "road-wheels 2\n");
  const int32_t line = static_cast<int32_t>(std::count(truck.begin(), truck.begin() + static_cast<std::ptrdiff_t>(truck.find("road-wheels")), '\n')) + 1;
  EXPECT_EQ(compile(31, truck, info), "031.model:" + std::to_string(line) + ": slot 31: road-wheels (has 3, wants 2)");
  truck.replace(truck.find("road-wheels 2"), 13, "road-wheels 3");
  EXPECT_EQ(compile(31, truck, info), "");
  EXPECT_EQ(info.roadWheelsLine, line);
  // Loops show no wheels: the tank declares its own, and without the line it has none.
  ASSERT_EQ(compile(36, source(36), info), "");
  EXPECT_EQ(info.roadWheels, 6);
  std::string tank = source(36);
  tank.erase(tank.find("road-wheels 6\n"), 14);
  ASSERT_EQ(compile(36, tank, info), "");
  EXPECT_EQ(info.roadWheels, -1);
  // A copy of another routine's tracks carries its road wheels, and a figure of its own must agree.
  ASSERT_EQ(compile(83, source(83), info), "");
  EXPECT_EQ(info.roadWheels, 4);
  std::string copy = source(83);
  copy.insert(copy.find("\n", copy.find("model 83")) + 1, "road-wheels 5\n");
  EXPECT_EQ(compile(83, copy, info).substr(0, 11), "083.model:6");
  EXPECT_NE(compile(83, copy, info).find("road-wheels of the copied tracks (has 4, wants 5)"), std::string::npos);
  // Malformed statements.
  std::string twice = source(36);
  twice.insert(twice.find("road-wheels 6\n"), "road-wheels 6\n");
  EXPECT_EQ(compile(36, twice, info), "036.model:5: slot 36: a second road-wheels statement");
  std::string half = source(36);
  half.replace(half.find("road-wheels 6"), 13, "road-wheels 5.5");
  EXPECT_EQ(compile(36, half, info), "036.model:4: slot 36: road-wheels takes a whole number 0 to 20");
  // Each depicts row is held to the model's count, naming the row's vehicle.
  ModelRecord r;
  ASSERT_EQ(CompileModelSource(source(36), "036.model", Routine(36), Contracts(), load, r, &info), "");
  ModelDepiction d = info.depicts[0];
  EXPECT_EQ(CheckDepiction("036.model", Routine(36), r.View(), d, info.roadWheels), "");
  d.wheels = 5;
  EXPECT_EQ(CheckDepiction("036.model", Routine(36), r.View(), d, info.roadWheels),
            "036.model:5: slot 36, depicts \"M10 3in GMC\": wheels (has 6, wants 5)");
  EXPECT_EQ(CheckDepiction("036.model", Routine(36), r.View(), info.depicts[0], -1),
            "036.model:5: slot 36, depicts \"M10 3in GMC\": wheels: the running gear does not show its road wheels, "
            "and no road-wheels line declares them");
}

TEST(ModelSource, AuthoredModelsFitThePublishedFigures) {
  const ModelContract& c = Routine(36);
  ModelRecord r;
  ModelSourceInfo info;
  const std::string text = ReadFile(TARVANE_MODEL_DIR "/036.model");
  ASSERT_EQ(CompileModelSource(text, "036.model", c, Contracts(), {}, r, &info), "");
  ASSERT_EQ(info.depicts.size(), 3u);  // the M10 under its two names and the Achilles
  EXPECT_EQ(CheckDepiction("036.model", c, r.View(), info.depicts[0], 6), "");
  ModelDepiction d = info.depicts[0];
  d.length = 6.5f;
  EXPECT_EQ(CheckDepiction("036.model", c, r.View(), d, 6), "036.model:5: slot 36: depicts length (has 7.19, wants 6.50 within 8 %)");
  d = info.depicts[0];
  d.height = 3.0f;
  EXPECT_EQ(CheckDepiction("036.model", c, r.View(), d, 6), "036.model:5: slot 36: depicts height (has 2.50, wants 3.00 within 10 %)");
  // A length or width left to the contract ("fixed") is not compared, the other figures are; a
  // row leaves one of the two at most.
  const std::string row = "depicts \"M10 3in GMC\" 6.83 3.05 2.57";
  const size_t at = text.find(row);
  ASSERT_NE(at, std::string::npos);
  std::string fixed = text;
  fixed.replace(at, row.size(), "depicts \"M10 3in GMC\" fixed 2.00 2.57");
  ASSERT_EQ(CompileModelSource(fixed, "036.model", c, Contracts(), {}, r, &info), "");
  EXPECT_EQ(info.depicts[0].length, 0.0f);
  EXPECT_EQ(CheckDepiction("036.model", c, r.View(), info.depicts[0], 6),
            "036.model:5: slot 36: depicts width (has 3.03, wants 2.00 within 15 %)");
  info.depicts[0].width = 3.05f;
  EXPECT_EQ(CheckDepiction("036.model", c, r.View(), info.depicts[0], 6), "");
  fixed = text;
  fixed.replace(at, row.size(), "depicts \"M10 3in GMC\" fixed fixed 2.57");
  EXPECT_EQ(CompileModelSource(fixed, "036.model", c, Contracts(), {}, r, &info),
            "036.model:5: slot 36: depicts fixes its length or its width, not both");
  fixed.replace(at, row.size(), "depicts \"M10 3in GMC\" 6.83 3.05 fixed");
  EXPECT_NE(CompileModelSource(fixed, "036.model", c, Contracts(), {}, r, &info), "");
  // A routine without footprint leaves both to the contract and is held to the height alone.
  const ModelContract& plain = Routine(98);
  std::string tank = ReadFile(TARVANE_MODEL_DIR "/098.model");
  ASSERT_EQ(CompileModelSource(tank, "098.model", plain, Contracts(), {}, r, &info), "");
  info.depicts[0].height = 3.0f;
  EXPECT_EQ(CheckDepiction("098.model", plain, r.View(), info.depicts[0], 5),
            "098.model:6: slot 98: depicts height (has 2.45, wants 3.00 within 10 %)");
  info.depicts[0].width = 2.9f;
  EXPECT_EQ(CheckDepiction("098.model", plain, r.View(), info.depicts[0], 5),
            "098.model:6: slot 98: depicts a vehicle's length or width, but the routine has no footprint");
  tank.replace(tank.find("fixed fixed"), 11, "6.00 fixed");
  EXPECT_EQ(CompileModelSource(tank, "098.model", plain, Contracts(), {}, r, &info),
            "098.model:6: slot 98: depicts: the routine has no footprint, so its length and width are fixed");
  // Every authored source depicts a vehicle, and fits it.
  for (const ModelContract& k : Contracts()) {
    ModelRecord m;
    ModelSourceInfo i;
    ASSERT_EQ(CompileModelSource(ReadFile(std::string(TARVANE_MODEL_DIR "/") + ModelSourceName(k)), ModelSourceName(k), k,
                                 Contracts(), ModelDirectoryLoader(TARVANE_MODEL_DIR), m, &i),
              "");
    if (i.isTemplate) continue;
    ASSERT_FALSE(i.depicts.empty()) << k.routine;
    for (const ModelDepiction& each : i.depicts) EXPECT_EQ(CheckDepiction(ModelSourceName(k), k, m.View(), each, i.roadWheels), "");
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

// ---- The batch of tanks, carriers and cars (slots 35-39, 41-46, 49-55) ----

// A group's single triangles drawn from values are the source's own triangles.
TEST(ModelSource, ValueSinglesAreTheSourcesOwnTriangles) {
  std::string text = kContract;
  text.replace(text.find("arrays 1"), 8, "values 1");
  std::vector<ModelContract> cs;
  std::string error;
  ASSERT_TRUE(ReadModelContracts(text, "contract.txt", cs, error)) << error;
  ModelRecord r;
  ASSERT_EQ(CompileModelSource(kBody, "007.model", cs[0], cs, {}, r), "");
  EXPECT_EQ(ValidateModel(cs[0], r.View()), "");
  ModelCallLog log;
  RunModelProgram(r.View(), log, &log, ModelDrawValues{}, false, true);
  std::vector<std::vector<float>> values;
  for (const auto& call : log.Calls())
    if (call.kind == ModelCallLog::Kind::kValue) values.push_back(call.args);
  ASSERT_EQ(values.size(), 1u);
  const float u = 28.867f;
  const std::vector<float> want = {0, 1 / u, 1 / u, 0.5f / u, 1.5f / u, 1 / u, 0, 1.5f / u, 1.5f / u};
  ASSERT_EQ(values[0].size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(values[0][i], want[i], 1e-6f) << i;
  // Without its triangle the group keeps the stand-in's, and the model still holds its counts.
  std::string none = kBody;
  none.erase(none.find("tri 0 1 1"));
  ModelRecord stand;
  EXPECT_EQ(CompileModelSource(none, "007.model", cs[0], cs, {}, stand), "");
  EXPECT_EQ(ValidateModel(cs[0], stand.View()), "");
}

// One slot's compiled model drawn at rest (gun ahead), and its source's header.
struct DrawnSlot {
  const ModelContract* contract = nullptr;
  ModelSourceInfo info;
  ModelCallLog log;
};

DrawnSlot DrawSlot(int32_t slot) {
  DrawnSlot d;
  for (const ModelContract& c : Contracts())
    if (std::find(c.slots.begin(), c.slots.end(), slot) != c.slots.end()) d.contract = &c;
  if (d.contract == nullptr) {
    ADD_FAILURE() << slot;
    return d;
  }
  const std::string name = ModelSourceName(*d.contract);
  ModelRecord r;
  EXPECT_EQ(CompileModelSource(ReadFile(std::string(TARVANE_MODEL_DIR "/") + name), name, *d.contract, Contracts(),
                               ModelDirectoryLoader(TARVANE_MODEL_DIR), r, &d.info),
            "");
  EXPECT_FALSE(d.info.isTemplate) << slot;
  RunModelProgram(r.View(), d.log, &d.log, ModelDrawValues{}, false, true);
  return d;
}

bool IsFace(const ModelCallLog::Call& call) {
  return call.kind == ModelCallLog::Kind::kFan || call.kind == ModelCallLog::Kind::kArray ||
         call.kind == ModelCallLog::Kind::kValue;
}

// The least and greatest value of one axis over the faces (strips left out) of a stage whose
// bound entry passes the filter.
std::pair<float, float> Extent(const DrawnSlot& d, ModelCallLog::Stage stage, size_t axis,
                               const std::function<bool(int32_t)>& entry = [](int32_t) { return true; }) {
  float lo = 1e9f, hi = -1e9f;
  int32_t bound = -1;
  for (const auto& call : d.log.Calls()) {
    if (call.kind == ModelCallLog::Kind::kBind) bound = call.n;
    if (call.stage != stage || !IsFace(call) || !entry(bound)) continue;
    for (size_t i = axis; i < call.args.size(); i += 3) {
      lo = std::min(lo, call.args[i]);
      hi = std::max(hi, call.args[i]);
    }
  }
  return {lo, hi};
}

TEST(VehicleModelBatch, TheHeavyTanksShareTheirHullAndTurretAsTheContractSays) {
  const DrawnSlot d43 = DrawSlot(43), d44 = DrawSlot(44), d45 = DrawSlot(45);
  // 44 and 45: every call before the barrel stage alike, value for value; their barrels differ.
  auto head = [](const DrawnSlot& d) {
    std::vector<const ModelCallLog::Call*> out;
    for (const auto& call : d.log.Calls())
      if (call.stage != ModelCallLog::Stage::kBarrel && call.kind != ModelCallLog::Kind::kTranslate &&
          call.kind != ModelCallLog::Kind::kFlash && call.kind != ModelCallLog::Kind::kRecoil)
        out.push_back(&call);
    return out;
  };
  const auto a = head(d44), b = head(d45), c = head(d43);
  ASSERT_EQ(a.size(), b.size());
  size_t faces = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_TRUE(a[i]->kind == b[i]->kind && a[i]->n == b[i]->n && a[i]->args == b[i]->args && a[i]->uvs == b[i]->uvs) << i;
    faces += IsFace(*a[i]) ? 1 : 0;
  }
  size_t wanted = 0;
  for (const ContractGroup& g : d44.contract->groups)
    if (g.stage != ModelStage::kBarrel) wanted += static_cast<size_t>(g.fans + g.singles);
  EXPECT_EQ(faces, wanted);  // every fan and single but the barrel's
  EXPECT_NE(Extent(d44, ModelCallLog::Stage::kBarrel, 1).second, Extent(d45, ModelCallLog::Stage::kBarrel, 1).second);
  // 43: the same strips and the same binding order, its singles drawn from values of its own.
  std::vector<int32_t> binds43, binds44;
  size_t values43 = 0, arrays44 = 0;
  for (const auto* call : c) {
    if (call->kind == ModelCallLog::Kind::kBind) binds43.push_back(call->n);
  }
  for (const auto* call : a)
    if (call->kind == ModelCallLog::Kind::kBind) binds44.push_back(call->n);
  EXPECT_EQ(binds43, binds44);
  for (size_t i = 0; i < std::min(a.size(), c.size()); ++i) {
    if (a[i]->kind == ModelCallLog::Kind::kStrip) {
      EXPECT_EQ(c[i]->kind, ModelCallLog::Kind::kStrip);
      EXPECT_EQ(c[i]->n, a[i]->n);
    }
  }
  for (const auto* call : c) values43 += call->kind == ModelCallLog::Kind::kValue ? 1 : 0;
  for (const auto* call : a) arrays44 += call->kind == ModelCallLog::Kind::kArray ? 1 : 0;
  EXPECT_EQ(values43, 12u);
  EXPECT_EQ(arrays44, 12u);
  // The hull of 43 reaches past x -0.0575 (its footprint -0.058); those of 44 and 45 stop short.
  EXPECT_LT(Extent(d43, ModelCallLog::Stage::kHull, 0).first, -0.0575f);
  EXPECT_GT(Extent(d44, ModelCallLog::Stage::kHull, 0).first, -0.0575f);
  EXPECT_GT(Extent(d45, ModelCallLog::Stage::kHull, 0).first, -0.0575f);
  // The mortar of 45 never flashes; the guns of 43 and 44 do.
  auto flashes = [](const DrawnSlot& d) {
    return std::count_if(d.log.Calls().begin(), d.log.Calls().end(),
                         [](const auto& call) { return call.kind == ModelCallLog::Kind::kFlash; });
  };
  EXPECT_EQ(flashes(d43), 1);
  EXPECT_EQ(flashes(d44), 1);
  EXPECT_EQ(flashes(d45), 0);
}

TEST(VehicleModelBatch, TheFlameTanksTowTheirTrailersBehindTheHull) {
  // The heavy flame tank and the medium one towing the same kind of trailer: slot, the hull's
  // rear and the footprint's y min the trailer reaches.
  struct Towing {
    int32_t slot;
    float hullEnd, trailerEnd;
  };
  for (const Towing& t : {Towing{46, -0.134f, -0.266f}, Towing{6, -0.103f, -0.261f}}) {
    const DrawnSlot d = DrawSlot(t.slot);
    auto trailer = [](int32_t entry) { return entry == 9 || entry == 10 || entry == 12 || entry == 13; };
    auto body = [](int32_t entry) { return entry == 9 || entry == 13; };
    const float hullEnd =
        Extent(d, ModelCallLog::Stage::kHull, 1, [&](int32_t e) { return e > 0 && !trailer(e); }).first;
    EXPECT_NEAR(hullEnd, t.hullEnd, 0.004f) << t.slot;
    // The trailer's body stands wholly behind the hull and reaches the footprint's y min.
    EXPECT_LT(Extent(d, ModelCallLog::Stage::kHull, 1, body).second, hullEnd - 0.04f) << t.slot;
    EXPECT_FLOAT_EQ(Extent(d, ModelCallLog::Stage::kHull, 1, trailer).first, t.trailerEnd) << t.slot;
    EXPECT_FLOAT_EQ(d.contract->footprint[1], t.trailerEnd) << t.slot;
    // Its groups are bound after the hull's own, in the order 9, 10, 12, 13.
    std::vector<int32_t> hullBinds;
    for (const auto& call : d.log.Calls())
      if (call.kind == ModelCallLog::Kind::kBind && call.stage == ModelCallLog::Stage::kHull) hullBinds.push_back(call.n);
    ASSERT_GE(hullBinds.size(), 4u) << t.slot;
    EXPECT_EQ(std::vector<int32_t>(hullBinds.end() - 4, hullBinds.end()), (std::vector<int32_t>{9, 10, 12, 13}))
        << t.slot;
    if (t.slot == 46) {
      EXPECT_EQ(hullBinds, (std::vector<int32_t>{0, 7, 2, 1, 11, 8, 6, 9, 10, 12, 13}));
    }
  }
}

TEST(VehicleModelBatch, LongGunsReachPastTheNoseAndTurnAboutThePivot) {
  for (int32_t slot : {37, 38, 39, 42}) {
    const DrawnSlot d = DrawSlot(slot);
    const auto barrel = Extent(d, ModelCallLog::Stage::kBarrel, 1);
    EXPECT_GT(barrel.second, d.contract->footprint[3] + 0.01f) << slot;
    EXPECT_FLOAT_EQ(barrel.second, d.contract->flash[2]) << slot;
    // The hull stage's own extent is the footprint, whatever the barrel does.
    EXPECT_NEAR(Extent(d, ModelCallLog::Stage::kHull, 1).second, d.contract->footprint[3], 5e-4f) << slot;
  }
  // Slot 42 draws nothing in its gun stage: its mantlet moves with the barrel.
  const DrawnSlot d42 = DrawSlot(42);
  EXPECT_EQ(std::count_if(d42.log.Calls().begin(), d42.log.Calls().end(),
                          [](const auto& call) { return call.stage == ModelCallLog::Stage::kGun && IsFace(call); }),
            0);
  // The self-propelled gun's compartment lies behind its gun at rest, ahead of it at 180 degrees.
  const DrawnSlot d35 = DrawSlot(35);
  EXPECT_LT(Extent(d35, ModelCallLog::Stage::kTurret, 1).first, -0.07f);
  EXPECT_LT(Extent(d35, ModelCallLog::Stage::kTurret, 1).second, 0.0f);
}

TEST(VehicleModelBatch, TheCarriersShareOneBody) {
  std::array<std::vector<int32_t>, 3> binds;
  std::array<std::vector<std::vector<float>>, 3> bodies;
  const int32_t slots[3] = {52, 53, 54};
  for (size_t k = 0; k < 3; ++k) {
    const DrawnSlot d = DrawSlot(slots[k]);
    int32_t bound = -1;
    for (const auto& call : d.log.Calls()) {
      if (call.kind == ModelCallLog::Kind::kBind) binds[k].push_back(bound = call.n);
      // The wheels' faces: the same discs on every carrier.
      if (bound == 9 && call.kind == ModelCallLog::Kind::kFan) bodies[k].push_back(call.args);
    }
  }
  // 53 ends after texture 15; 52 and 54 draw its groups and then their own.
  const std::vector<int32_t> base = {0, 2, 8, 9, 7, 1, 11, 6, 10, 16, 15};
  EXPECT_EQ(binds[1], base);
  for (size_t k : {0u, 2u}) {
    ASSERT_GT(binds[k].size(), base.size());
    EXPECT_TRUE(std::equal(base.begin(), base.end(), binds[k].begin())) << k;
  }
  ASSERT_EQ(bodies[1].size(), 14u);
  // The lengthened carrier (54) rides on bogies of its own: as many wheel faces, but not the
  // same ones.
  ASSERT_EQ(bodies[2].size(), bodies[1].size());
  EXPECT_NE(bodies[2], bodies[1]);
  // Each wheel's corners lie on its circle alike on the flame carrier and the carrier: compare
  // the first corner a fan.
  ASSERT_EQ(bodies[0].size(), bodies[1].size());
  for (size_t i = 0; i < bodies[0].size(); ++i) {
    EXPECT_NEAR(bodies[0][i][1], bodies[1][i][1], 0.005f) << i;
    EXPECT_NEAR(bodies[0][i][2], bodies[1][i][2], 1e-6f) << i;
  }
}

TEST(VehicleModelBatch, TheLightHalfTracksDrawFourRoadWheelsASide) {
  // The road wheels' faces outside the belly on the right (beyond 0.85 m), drawn with the
  // running gear's texture: upright faces all of one x as high as a road wheel's hexagon
  // (0.485 m; the sprocket's and the idler's are 0.40 m). As many as the family declares a side.
  for (int32_t slot : {82, 83, 84, 85}) {
    const DrawnSlot d = DrawSlot(slot);
    int32_t bound = -1, wheels = 0;
    for (const auto& call : d.log.Calls()) {
      if (call.kind == ModelCallLog::Kind::kBind) bound = call.n;
      if (bound != 2 || call.kind != ModelCallLog::Kind::kFan || call.stage != ModelCallLog::Stage::kHull) continue;
      float x0 = 1e9f, x1 = -1e9f, z0 = 1e9f, z1 = -1e9f;
      for (size_t i = 0; i + 2 < call.args.size(); i += 3) {
        x0 = std::min(x0, call.args[i]);
        x1 = std::max(x1, call.args[i]);
        z0 = std::min(z0, call.args[i + 2]);
        z1 = std::max(z1, call.args[i + 2]);
      }
      const float height = (z1 - z0) * 28.867f;
      wheels += x1 - x0 < 1e-5f && x0 * 28.867f > 0.85f && height > 0.45f && height < 0.50f ? 1 : 0;
    }
    EXPECT_EQ(wheels, 4) << slot;
    EXPECT_EQ(d.info.roadWheels, 4) << slot;
  }
}

TEST(VehicleModelBatch, HatchesStandOnTheirModels) {
  for (int32_t slot : {35, 37, 38, 39, 41, 42, 43, 44, 45, 46, 49, 50, 51, 52, 53, 54, 55}) {
    const DrawnSlot d = DrawSlot(slot);
    ASSERT_FALSE(d.info.hatches.empty()) << slot;
    float top = 0;
    for (const auto& call : d.log.Calls())
      if (IsFace(call))
        for (size_t i = 2; i < call.args.size(); i += 3) top = std::max(top, call.args[i]);
    const auto& fp = d.contract->footprint;
    for (const ModelHatch& h : d.info.hatches) {
      EXPECT_TRUE(h.x >= fp[0] && h.x <= fp[2] && h.y >= fp[1] && h.y <= fp[3]) << slot << " " << h.name;
      EXPECT_TRUE(h.z > 0.03f && h.z <= top + 0.001f) << slot << " " << h.name;
    }
  }
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


// ---- The half-track families, the field car and their kin as authored (slots 57, 64, 65, 80-91) ----

// A slot's model as the tool compiles its source, with the shared parts it uses (compiled once).
const ModelRecord& Authored(int32_t slot, ModelSourceInfo* info = nullptr) {
  static std::map<int32_t, std::pair<ModelRecord, ModelSourceInfo>> made;
  auto it = made.find(slot);
  if (it == made.end()) {
    it = made.emplace(slot, std::pair<ModelRecord, ModelSourceInfo>{}).first;
    for (const ModelContract& c : Contracts())
      if (std::find(c.slots.begin(), c.slots.end(), slot) != c.slots.end()) {
        const std::string name = ModelSourceName(c);
        EXPECT_EQ(CompileModelSource(ReadFile(std::string(TARVANE_MODEL_DIR "/") + name), name, c, Contracts(),
                                     ModelDirectoryLoader(TARVANE_MODEL_DIR), it->second.first, &it->second.second),
                  "");
      }
  }
  if (info != nullptr) *info = it->second.second;
  return it->second.first;
}

std::vector<ModelCallLog::Call> Drawn(const ModelRecord& r, const ModelDrawValues& values = {}) {
  ModelCallLog log;
  RunModelProgram(r.View(), log, &log, values, false, true);
  return log.Calls();
}

bool IsDrawn(ModelCallLog::Kind k) {
  using K = ModelCallLog::Kind;
  return k == K::kStrip || k == K::kFan || k == K::kArray || k == K::kValue || k == K::kQuad;
}

TEST(HalfTrackModels, TheFamiliesDrawTheirStripsAndFootprintsAlike) {
  using K = ModelCallLog::Kind;
  auto strips = [](int32_t slot) {
    std::vector<std::vector<float>> out;
    for (const auto& call : Drawn(Authored(slot)))
      if (call.kind == K::kStrip) {
        out.push_back(call.args);
        out.back().insert(out.back().end(), call.uvs.begin(), call.uvs.end());
      }
    return out;
  };
  auto footprint = [](int32_t slot) {
    std::array<float, 4> f{};
    ModelDrawValues v;
    v.footprint = &f;
    Drawn(Authored(slot), v);
    return f;
  };
  const std::array<float, 4> light{-0.035f, -0.076f, 0.036f, 0.082f}, medium{-0.035f, -0.108f, 0.036f, 0.093f};
  for (int32_t slot : {82, 83, 84, 85}) {
    EXPECT_EQ(strips(slot), strips(82)) << slot;
    EXPECT_EQ(footprint(slot), light) << slot;
  }
  for (int32_t slot : {86, 87, 88, 89}) EXPECT_EQ(strips(slot), strips(86)) << slot;
  for (int32_t slot : {86, 87, 88}) EXPECT_EQ(footprint(slot), medium) << slot;
  EXPECT_EQ(footprint(89), (std::array<float, 4>{-0.035f, -0.108f, 0.037f, 0.093f}));
  EXPECT_EQ(strips(82).size(), 10u);
  EXPECT_EQ(strips(86).size(), 10u);
}

TEST(HalfTrackModels, HullOnlySlotsNeverCallTheVehicleNorTurn) {
  using K = ModelCallLog::Kind;
  for (int32_t slot : {28, 82, 86, 89, 90}) {
    const ModelRecord& r = Authored(slot);
    const auto still = Drawn(r);
    ModelDrawValues turned;
    turned.turretAngle = 90.0f;
    turned.gunElevation = 20.0f;
    turned.turretTilt = 5.0f;
    const auto moved = Drawn(r, turned);
    ASSERT_EQ(still.size(), moved.size()) << slot;
    for (size_t i = 0; i < still.size(); ++i) {
      EXPECT_NE(still[i].kind, K::kFlash) << slot;
      EXPECT_NE(still[i].kind, K::kRecoil) << slot;
      EXPECT_NE(still[i].kind, K::kRotateZ) << slot;
      EXPECT_EQ(still[i].args, moved[i].args) << slot << " call " << i;
    }
  }
}

TEST(HalfTrackModels, TurretsWithoutGunsTurnButNeverElevate) {
  using K = ModelCallLog::Kind;
  for (int32_t slot : {83, 87}) {
    const ModelRecord& r = Authored(slot);
    std::vector<std::pair<int32_t, int32_t>> turret;  // entry, triangles
    int32_t bound = -1;
    for (const auto& call : Drawn(r)) {
      if (call.kind == K::kBind) bound = call.n;
      EXPECT_NE(call.kind, K::kFlash) << slot;
      EXPECT_NE(call.kind, K::kRecoil) << slot;
      if (call.stage == ModelCallLog::Stage::kTurret && IsDrawn(call.kind)) turret.push_back({bound, call.n});
    }
    ASSERT_EQ(turret.size(), 6u) << slot;
    EXPECT_EQ(turret[0].first, 4) << slot;
    for (size_t i = 1; i < 6; ++i) EXPECT_EQ(turret[i].first, 3) << slot;
    if (slot == 87) {
      for (const auto& fan : turret) EXPECT_EQ(fan.second, 2);
    }
    ModelDrawValues raised;
    raised.gunElevation = 30.0f;
    const auto a = Drawn(r), b = Drawn(r, raised);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].args, b[i].args) << slot << " call " << i;
  }
}

TEST(HalfTrackModels, Slot85TurnsAboutItsMountsPost) {
  // Compose the turret stage's moves in the ground plane up to its first primitive: at 180
  // degrees the origin lands at twice the post's y, and the tilt comes after the move back.
  using K = ModelCallLog::Kind;
  ModelDrawValues v;
  v.turretAngle = 180.0f;
  v.turretTilt = 3.0f;
  double m[2][3] = {{1, 0, 0}, {0, 1, 0}};
  auto then = [&m](double a, double b, double c, double d, double tx, double ty) {
    const double n[2][3] = {{m[0][0] * a + m[0][1] * c, m[0][0] * b + m[0][1] * d, m[0][0] * tx + m[0][1] * ty + m[0][2]},
                            {m[1][0] * a + m[1][1] * c, m[1][0] * b + m[1][1] * d, m[1][0] * tx + m[1][1] * ty + m[1][2]}};
    std::copy(&n[0][0], &n[0][0] + 6, &m[0][0]);
  };
  bool pushed = false, movedBack = false, tiltAfterBack = false;
  for (const auto& call : Drawn(Authored(85), v)) {
    if (call.kind == K::kPush) pushed = true;
    if (!pushed) continue;
    if (IsDrawn(call.kind)) break;
    if (call.kind == K::kTranslateY) {
      then(1, 0, 0, 1, 0, call.args[0]);
      movedBack = movedBack || call.args[0] < 0.0f;
    } else if (call.kind == K::kRotateZ) {
      const double r = call.args[0] * 3.14159265358979323846 / 180.0;
      then(std::cos(r), -std::sin(r), std::sin(r), std::cos(r), 0, 0);
    } else if ((call.kind == K::kRotateX || call.kind == K::kRotateY) && call.args[0] != 0.0f) {
      tiltAfterBack = movedBack;
    }
  }
  EXPECT_NEAR(m[0][2], 0.0, 1e-6);
  EXPECT_NEAR(m[1][2], -0.067838, 1e-6);
  EXPECT_TRUE(tiltAfterBack);
}

TEST(HalfTrackModels, TheFieldCarDrawsItsTrianglesFromValues) {
  // Two value triangles after texture 1's fans and nine after texture 2's, the totals of the
  // routine, and the authored corners (not stand-ins) in the values.
  using K = ModelCallLog::Kind;
  const ModelRecord& r = Authored(90);
  std::map<int32_t, int32_t> values;
  int32_t bound = -1, primitives = 0, triangles = 0, vertices = 0;
  std::vector<float> last;
  bool fanAfterValue = false;
  for (const auto& call : Drawn(r)) {
    if (call.kind == K::kBind) bound = call.n;
    if (call.kind == K::kValue) {
      ++values[bound];
      if (bound == 2) last = call.args;
    }
    if (call.kind == K::kFan && values.count(bound) != 0) fanAfterValue = true;
    if (IsDrawn(call.kind)) {
      ++primitives;
      triangles += call.n;
      vertices += static_cast<int32_t>(call.args.size() / 3);
    }
  }
  EXPECT_EQ(values, (std::map<int32_t, int32_t>{{1, 2}, {2, 9}}));
  EXPECT_FALSE(fanAfterValue);
  EXPECT_EQ(primitives, 154);
  EXPECT_EQ(triangles, 401);
  EXPECT_EQ(vertices, 709);
  // The last is the tunnel's end: (-0.12, 0.55, 0.60) metres its first corner.
  ASSERT_EQ(last.size(), 9u);
  EXPECT_NEAR(last[0], -0.12 / 28.867, 1e-6);
  EXPECT_NEAR(last[1], 0.55 / 28.867, 1e-6);
  EXPECT_NEAR(last[2], 0.60 / 28.867, 1e-6);
}

TEST(HalfTrackModels, EveryAuthoredSlotNamesItsVehicleAndCrewHatches) {
  for (int32_t slot : {57, 64, 65, 80, 81, 82, 83, 84, 85, 86, 87, 88, 89, 90, 91}) {
    ModelSourceInfo info;
    const ModelRecord& r = Authored(slot, &info);
    EXPECT_FALSE(info.isTemplate) << slot;
    ASSERT_FALSE(info.depicts.empty()) << slot;
    EXPECT_GE(info.hatches.size(), 2u) << slot;
    // Each hatch stands inside the footprint, above the ground.
    std::array<float, 4> f{};
    ModelDrawValues v;
    v.footprint = &f;
    Drawn(r, v);
    for (const ModelHatch& h : info.hatches) {
      EXPECT_GT(h.z, 0.0f) << slot << " " << h.name;
      EXPECT_TRUE(h.x > f[0] && h.x < f[2] && h.y > f[1] && h.y < f[3]) << slot << " " << h.name;
    }
  }
}

TEST(HalfTrackModels, UpperStagesOfTheArmouredCarsAndTheTankDestroyer) {
  // Slot 57's first gun group draws on texture 3 still bound from the turret, with no bind of its
  // own; slots 81 and 84 draw upper stages of equal counts, their barrels ending with one fan on
  // texture 16 and one on texture 15 after texture 5; slot 81 totals 225, 590 and 1040.
  using K = ModelCallLog::Kind;
  bool gunStarted = false;
  int32_t bound = -1, firstGunBind = -1, firstGunBound = -1;
  for (const auto& call : Drawn(Authored(57))) {
    if (call.kind == K::kBind) {
      if (gunStarted && firstGunBind < 0) firstGunBind = call.n;
      bound = call.n;
    }
    if (call.stage == ModelCallLog::Stage::kGun && IsDrawn(call.kind) && !gunStarted) {
      gunStarted = true;
      firstGunBound = bound;
      firstGunBind = -1;
    }
  }
  EXPECT_EQ(firstGunBound, 3);
  EXPECT_EQ(firstGunBind, 4);  // the next group binds; the first had none
  auto upper = [](int32_t slot) {
    std::vector<std::pair<int32_t, int32_t>> out;  // entry, triangles of each upper primitive
    int32_t entry = -1;
    for (const auto& call : Drawn(Authored(slot))) {
      if (call.kind == K::kBind) entry = call.n;
      if (call.stage != ModelCallLog::Stage::kHull && IsDrawn(call.kind)) out.push_back({entry, call.n > 0 ? 1 : 0});
    }
    return out;
  };
  const auto a = upper(81), b = upper(84);
  auto sorted = [](std::vector<std::pair<int32_t, int32_t>> v) {
    std::sort(v.begin(), v.end());
    return v;
  };
  EXPECT_EQ(sorted(a), sorted(b));
  ASSERT_GE(a.size(), 3u);
  // Groups 9 and 8 elevate in slot 81 and only turn in slot 84.
  auto stageOf = [](int32_t slot, int32_t wanted) {
    int32_t entry = -1;
    for (const auto& call : Drawn(Authored(slot))) {
      if (call.kind == K::kBind) entry = call.n;
      if (entry == wanted && call.stage != ModelCallLog::Stage::kHull && IsDrawn(call.kind)) return call.stage;
    }
    return ModelCallLog::Stage::kHull;
  };
  for (int32_t entry : {8, 9}) {
    EXPECT_EQ(stageOf(81, entry), ModelCallLog::Stage::kGun) << entry;
    EXPECT_EQ(stageOf(84, entry), ModelCallLog::Stage::kTurret) << entry;
  }
  EXPECT_EQ(a[a.size() - 1].first, 15);
  EXPECT_EQ(a[a.size() - 2].first, 16);
  EXPECT_EQ(a[a.size() - 3].first, 5);
  int32_t primitives = 0, triangles = 0, vertices = 0;
  for (const auto& call : Drawn(Authored(81)))
    if (IsDrawn(call.kind)) {
      ++primitives;
      triangles += call.n;
      vertices += static_cast<int32_t>(call.args.size() / 3);
    }
  EXPECT_EQ(primitives, 225);
  EXPECT_EQ(triangles, 590);
  EXPECT_EQ(vertices, 1040);
}

// ---- End of the half-track families ----


// ---- Authored tanks, assault guns, tank destroyers, a howitzer and an armoured car ----

// The distance from p to the triangle abc (all model units).
double PointToTriangle(const std::array<double, 3>& p, const std::array<double, 3>& a, const std::array<double, 3>& b,
                       const std::array<double, 3>& c) {
  auto sub = [](const std::array<double, 3>& u, const std::array<double, 3>& v) {
    return std::array<double, 3>{u[0] - v[0], u[1] - v[1], u[2] - v[2]};
  };
  auto dot = [](const std::array<double, 3>& u, const std::array<double, 3>& v) {
    return u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
  };
  auto segment = [&](const std::array<double, 3>& u, const std::array<double, 3>& v) {
    const std::array<double, 3> d = sub(v, u), w = sub(p, u);
    const double t = std::clamp(dot(w, d) / std::max(dot(d, d), 1e-18), 0.0, 1.0);
    const std::array<double, 3> q{u[0] + t * d[0] - p[0], u[1] + t * d[1] - p[1], u[2] + t * d[2] - p[2]};
    return std::sqrt(dot(q, q));
  };
  const std::array<double, 3> e0 = sub(b, a), e1 = sub(c, a);
  const std::array<double, 3> n{e0[1] * e1[2] - e0[2] * e1[1], e0[2] * e1[0] - e0[0] * e1[2],
                               e0[0] * e1[1] - e0[1] * e1[0]};
  const double area = std::sqrt(dot(n, n));
  if (area > 1e-12) {
    // The foot of the perpendicular, when it falls inside the triangle.
    const double h = dot(sub(p, a), n) / area;
    const std::array<double, 3> f{p[0] - h * n[0] / area, p[1] - h * n[1] / area, p[2] - h * n[2] / area};
    auto side = [&](const std::array<double, 3>& u, const std::array<double, 3>& v) {
      const std::array<double, 3> d = sub(v, u), w = sub(f, u);
      const std::array<double, 3> x{d[1] * w[2] - d[2] * w[1], d[2] * w[0] - d[0] * w[2], d[0] * w[1] - d[1] * w[0]};
      return dot(x, n) >= 0.0;
    };
    if (side(a, b) && side(b, c) && side(c, a)) return std::fabs(h);
  }
  return std::min({segment(a, b), segment(b, c), segment(c, a)});
}

// The triangles a slot draws at rest (variant part drawn), split into the hull's and the rest's.
std::array<std::vector<std::array<std::array<double, 3>, 3>>, 2> TrianglesAtRest(int32_t routine) {
  ModelCallLog log;
  RunModelProgram(CompiledProgram(routine), log, &log, ModelDrawValues{}, false, true);
  std::array<std::vector<std::array<std::array<double, 3>, 3>>, 2> out;
  for (const auto& call : log.Calls()) {
    using K = ModelCallLog::Kind;
    const bool fan = call.kind == K::kFan, strip = call.kind == K::kStrip;
    if (!fan && !strip && call.kind != K::kArray && call.kind != K::kValue) continue;
    auto corner = [&call](size_t i) {
      return std::array<double, 3>{call.args[3 * i], call.args[3 * i + 1], call.args[3 * i + 2]};
    };
    const size_t corners = call.args.size() / 3;
    auto& to = out[call.stage == ModelCallLog::Stage::kHull ? 0 : 1];
    for (size_t i = 0; i + 2 < corners; ++i) to.push_back({fan ? corner(0) : corner(i), corner(i + 1), corner(i + 2)});
  }
  return out;
}

TEST(AuthoredTanks, EveryHatchStandsOnItsStage) {
  // A crew hatch lies on a face its stage draws (a hull hatch on the hull, a turret hatch on the
  // turret or its gun), within 0.002 model units; raised 0.003 it no longer does.
  const ModelPartLoader load = ModelDirectoryLoader(TARVANE_MODEL_DIR);
  for (int32_t routine : {40, 56, 58, 59, 60, 61, 62, 63, 66, 67, 68, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79, 92, 93}) {
    const ModelContract& c = Routine(routine);
    ModelRecord r;
    ModelSourceInfo info;
    const std::string name = ModelSourceName(c);
    const std::string text = ReadFile(std::string(TARVANE_MODEL_DIR "/") + name);
    ASSERT_EQ(CompileModelSource(text, name, c, Contracts(), load, r, &info), "");
    ASSERT_FALSE(info.isTemplate) << name;
    ASSERT_GE(info.hatches.size(), routine == 93 ? 1u : 2u) << name;  // 93's record has one
    const auto triangles = TrianglesAtRest(routine);
    for (const ModelHatch& h : info.hatches) {
      auto nearest = [&](double lift) {
        double best = 1e9;
        for (const auto& t : triangles[h.turret ? 1 : 0])
          best = std::min(best, PointToTriangle({h.x, h.y, h.z + lift}, t[0], t[1], t[2]));
        return best;
      };
      EXPECT_LE(nearest(0.0), 0.002) << name << " " << h.name;
      EXPECT_GT(nearest(0.003), 0.002) << name << " " << h.name;
    }
  }
}

TEST(AuthoredTanks, TrianglesFromValuesAreTheSourcesOwn) {
  // A group whose singles are drawn from immediate values takes the source's triangles, not
  // placeholders: their corners and order as written.
  std::string contract = kContract;
  contract.replace(contract.find("group hull 2 fans 2 arrays 1"), 28, "group hull 2 fans 2 values 1");
  std::vector<ModelContract> cs;
  std::string error;
  ASSERT_TRUE(ReadModelContracts(contract, "contract.txt", cs, error)) << error;
  ModelRecord r;
  ASSERT_EQ(CompileModelSource(kBody, "007.model", cs[0], cs, {}, r), "");
  EXPECT_EQ(ValidateModel(cs[0], r.View()), "");
  ModelCallLog log;
  RunModelProgram(r.View(), log, &log, ModelDrawValues{}, false, false);
  int32_t values = 0;
  for (const auto& call : log.Calls()) {
    if (call.kind != ModelCallLog::Kind::kValue) continue;
    ++values;
    const std::vector<float> want{0.0f, 1.0f, 1.0f, 0.5f, 1.5f, 1.0f, 0.0f, 1.5f, 1.5f};
    ASSERT_EQ(call.args.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(call.args[i], want[i] / 28.867, 1e-7) << i;
  }
  EXPECT_EQ(values, 1);
  // Two triangles where the group takes one are refused on the group's line.
  EXPECT_EQ(CompileModelSource(kBody + "tri 0 1 1 0.5 1.5 1 0 1.5 1.2\n", "007.model", cs[0], cs, {}, r),
            "007.model:6: slot 7, hull, group 2: singles (has 2, wants 1)");
}


TEST(AuthoredTanks, Slot77SplitsItsLeftLowerRun) {
  // The lower run of the left track is two strips, 7 triangles then 3, the second starting on a
  // corner of the first; the left track's offset moves both, the right one's neither.
  auto strips = [](const ModelDrawValues& values) {
    ModelCallLog log;
    RunModelProgram(CompiledProgram(77), log, &log, values, false, false);
    std::vector<ModelCallLog::Call> out;
    for (const auto& call : log.Calls())
      if (call.kind == ModelCallLog::Kind::kStrip) out.push_back(call);
    return out;
  };
  const auto still = strips({});
  ASSERT_EQ(still.size(), 5u);
  const auto& front = still[3];
  const auto& rear = still[4];
  ASSERT_EQ(front.args.size(), 27u);
  ASSERT_EQ(rear.args.size(), 15u);
  int32_t shared = 0;
  for (size_t i = 0; i < 5; ++i)
    for (size_t j = 0; j < 9; ++j)
      shared += std::equal(rear.args.begin() + static_cast<std::ptrdiff_t>(3 * i),
                           rear.args.begin() + static_cast<std::ptrdiff_t>(3 * i + 3),
                           front.args.begin() + static_cast<std::ptrdiff_t>(3 * j))
                    ? 1
                    : 0;
  EXPECT_GE(shared, 1);
  EXPECT_LT(front.args[0], 0.0f);
  EXPECT_LT(rear.args[0], 0.0f);
  ModelDrawValues values;
  values.trackScroll = {0.0f, 0.75f};
  const auto left = strips(values);
  values.trackScroll = {0.75f, 0.0f};
  const auto right = strips(values);
  for (size_t k : {3u, 4u}) {
    EXPECT_NE(left[k].uvs, still[k].uvs) << k;
    EXPECT_EQ(right[k].uvs, still[k].uvs) << k;
  }
}


TEST(AuthoredTanks, Slots66And67AreOneDrawingProgram) {
  // The same calls with the same fan sizes up to the barrel (66's variant part drawn, as 67 always
  // draws it); the barrels differ, 14 fans and two triangles against 6 fans.
  auto calls = [](int32_t routine, bool barrel) {
    ModelCallLog log;
    RunModelProgram(CompiledProgram(routine), log, &log, ModelDrawValues{}, false, true);
    std::vector<std::pair<int32_t, int32_t>> out;
    for (const auto& call : log.Calls())
      if ((call.stage == ModelCallLog::Stage::kBarrel) == barrel && call.kind != ModelCallLog::Kind::kTranslate &&
          call.kind != ModelCallLog::Kind::kFlash)
        out.push_back({static_cast<int32_t>(call.kind), call.n});
    return out;
  };
  EXPECT_EQ(calls(66, false), calls(67, false));
  auto fans = [&calls](int32_t routine) {
    int32_t n = 0;
    for (const auto& [kind, size] : calls(routine, true))
      n += kind == static_cast<int32_t>(ModelCallLog::Kind::kFan) ? 1 : 0;
    return n;
  };
  EXPECT_EQ(fans(66), 14);
  EXPECT_EQ(fans(67), 6);
}

}  // namespace

namespace {

// ---- The first half's wheeled, half-track and special slots as authored (0, 34, 96) ----

// The strips a slot draws, each as its lowest and highest corner (x, y, z).
struct StripSpan {
  std::array<float, 3> lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
};

std::vector<StripSpan> StripSpans(int32_t slot) {
  std::vector<StripSpan> out;
  for (const auto& call : Drawn(Authored(slot))) {
    if (call.kind != ModelCallLog::Kind::kStrip) continue;
    StripSpan s;
    for (size_t i = 0; i + 2 < call.args.size(); i += 3)
      for (size_t a = 0; a < 3; ++a) {
        s.lo[a] = std::min(s.lo[a], call.args[i + a]);
        s.hi[a] = std::max(s.hi[a], call.args[i + a]);
      }
    out.push_back(s);
  }
  return out;
}

TEST(FirstHalfModels, TheStormBoatBindsFiveEntriesAndStaysLow) {
  using K = ModelCallLog::Kind;
  std::vector<int32_t> binds;
  int32_t fans = 0, strips = 0;
  float top = -1.0f, bottom = 1.0f;
  for (const auto& call : Drawn(Authored(34))) {
    if (call.kind == K::kBind) binds.push_back(call.n);
    if (call.kind == K::kStrip) ++strips;
    if (call.kind != K::kFan) continue;
    ++fans;
    EXPECT_EQ(call.n, 2);
    for (size_t i = 2; i < call.args.size(); i += 3) {
      top = std::max(top, call.args[i]);
      bottom = std::min(bottom, call.args[i]);
    }
  }
  EXPECT_EQ(binds, (std::vector<int32_t>{1, 6, 2, 12, 11}));
  EXPECT_EQ(fans, 22);
  EXPECT_EQ(strips, 0);
  EXPECT_LE(top, 0.028f);
  EXPECT_GT(top, 0.025f);  // the outboard motor's head
  EXPECT_EQ(bottom, 0.0f);  // the hull sits on the water line
}

TEST(FirstHalfModels, HalfTracksStandOnAFrontWheelAndATrackRunASide) {
  for (int32_t slot : {0, 1, 2, 22, 96, 97}) {
    const std::vector<StripSpan> spans = StripSpans(slot);
    ASSERT_EQ(spans.size(), 10u) << slot;
    // Per side: the strips reaching the ground (three: the wheel's two lower arcs and the run's
    // bottom) and the two over the top; the wheel's strips lie ahead of the run's.
    for (const int32_t side : {1, -1}) {
      int32_t grounded = 0, upper = 0;
      float wheelRear = 1.0f, runFront = -1.0f;
      for (const StripSpan& s : spans) {
        if ((s.lo[0] > 0.0f ? 1 : -1) != side) continue;
        if (s.lo[2] <= 0.0015f) ++grounded;
        else ++upper;
        // The run is the longer band; the wheel's arcs are shorter than a metre and a half.
        if (s.hi[1] - s.lo[1] > 1.5f / 28.867f) runFront = std::max(runFront, s.hi[1]);
        else wheelRear = std::min(wheelRear, s.lo[1]);
      }
      EXPECT_EQ(grounded, 3) << slot << " side " << side;
      EXPECT_EQ(upper, 2) << slot << " side " << side;
      EXPECT_GT(wheelRear, runFront) << slot << " side " << side;
    }
  }
  // Slots 96 and 97 are one drawing: the same calls value for value.
  const auto a = Drawn(Authored(96)), b = Drawn(Authored(97));
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].kind, b[i].kind) << i;
    EXPECT_EQ(a[i].args, b[i].args) << i;
    EXPECT_EQ(a[i].uvs, b[i].uvs) << i;
  }
}

TEST(FirstHalfModels, TheJeepsRollOnFourWheelsOnTheirAxles) {
  for (int32_t slot : {29, 30}) {
    const std::vector<StripSpan> spans = StripSpans(slot);
    ASSERT_EQ(spans.size(), 12u) << slot;
    // Per side two wheels of three strips: two lower arcs on the ground and one over the top,
    // standing on the axles 2.03 m apart.
    for (const int32_t side : {1, -1}) {
      int32_t grounded = 0, upper = 0;
      std::set<int32_t> axles;
      for (const StripSpan& s : spans) {
        if ((s.lo[0] > 0.0f ? 1 : -1) != side) continue;
        if (s.lo[2] <= 0.0015f) ++grounded;
        else ++upper;
        if (s.lo[2] > 0.0015f) axles.insert(static_cast<int32_t>(std::lround((s.lo[1] + s.hi[1]) * 0.5f * 28.867f * 100.0f)));
      }
      EXPECT_EQ(grounded, 4) << slot << " side " << side;
      EXPECT_EQ(upper, 2) << slot << " side " << side;
      ASSERT_EQ(axles.size(), 2u) << slot << " side " << side;
      EXPECT_NEAR(*axles.rbegin() - *axles.begin(), 203, 3) << slot << " side " << side;
    }
  }
}

TEST(FirstHalfModels, TheScoutCarRollsOnFourTyresWithTheirShoulders) {
  // Slot 28: per side two tyres, each two arcs meeting on its top and both on the ground, with a
  // narrower, slightly taller shoulder band round each; the axles 3.33 m apart.
  const std::vector<StripSpan> spans = StripSpans(28);
  ASSERT_EQ(spans.size(), 16u);
  for (const int32_t side : {1, -1}) {
    int32_t narrow = 0, count = 0;
    std::array<float, 2> lo{1, 1}, hi{-1, -1};  // the front and the rear wheel's extent along y
    std::array<float, 2> top{0, 0};
    for (const StripSpan& s : spans) {
      if ((s.lo[0] > 0.0f ? 1 : -1) != side) continue;
      ++count;
      EXPECT_LE(s.lo[2], 0.0015f);
      const size_t w = (s.lo[1] + s.hi[1]) * 0.5f * 28.867f > -0.5f ? 0 : 1;
      lo[w] = std::min(lo[w], s.lo[1]);
      hi[w] = std::max(hi[w], s.hi[1]);
      top[w] = std::max(top[w], s.hi[2]);
      narrow += (s.hi[0] - s.lo[0]) * 28.867f < 0.2f ? 1 : 0;
    }
    EXPECT_EQ(count, 8) << "side " << side;
    EXPECT_EQ(narrow, 4) << "side " << side;
    EXPECT_NEAR((lo[0] + hi[0] - lo[1] - hi[1]) * 0.5f * 28.867f, 3.33f, 0.05f) << "side " << side;
    for (size_t w = 0; w < 2; ++w) EXPECT_NEAR(top[w] * 28.867f, 1.01f, 0.02f) << "side " << side;
  }
}

TEST(FirstHalfModels, TheArmouredCarRollsOnSixWheelsOnItsThreeAxles) {
  // Slots 17 and 21 (the utility car on the same chassis): per side three wheels of three strips
  // (two lower arcs on the ground, one over the top), the axles 1.93 m and 1.22 m apart.
  for (const int32_t slot : {17, 21}) {
  SCOPED_TRACE(slot);
  const std::vector<StripSpan> spans = StripSpans(slot);
  ASSERT_EQ(spans.size(), 18u);
  for (const int32_t side : {1, -1}) {
    int32_t grounded = 0, upper = 0;
    std::set<int32_t> axles;
    for (const StripSpan& s : spans) {
      if ((s.lo[0] > 0.0f ? 1 : -1) != side) continue;
      if (s.lo[2] <= 0.0015f) {
        ++grounded;
      } else {
        ++upper;
        axles.insert(static_cast<int32_t>(std::lround((s.lo[1] + s.hi[1]) * 0.5f * 28.867f * 100.0f)));
      }
    }
    EXPECT_EQ(grounded, 6) << "side " << side;
    EXPECT_EQ(upper, 3) << "side " << side;
    ASSERT_EQ(axles.size(), 3u) << "side " << side;
    const std::vector<int32_t> y(axles.begin(), axles.end());
    EXPECT_NEAR(y[1] - y[0], 122, 3) << "side " << side;
    EXPECT_NEAR(y[2] - y[1], 193, 3) << "side " << side;
  }
  }
}

TEST(FirstHalfModels, TheUtilityCarIsTheArmouredCarsHullWithARingMount) {
  using K = ModelCallLog::Kind;
  // The lower hull, the mudguards and the lamps are the armoured car's faces (each fan's extent:
  // the fitter may add vertices on their edges).
  auto hullFans = [](int32_t slot, int32_t entry) {
    std::vector<std::array<float, 6>> out;
    int32_t bound = -1;
    for (const auto& call : Drawn(Authored(slot))) {
      if (call.kind == K::kBind) bound = call.n;
      if (call.kind != K::kFan || call.stage != ModelCallLog::Stage::kHull || bound != entry) continue;
      std::array<float, 6> box{1, 1, 1, -1, -1, -1};
      for (size_t i = 0; i + 2 < call.args.size(); i += 3)
        for (size_t a = 0; a < 3; ++a) {
          box[a] = std::min(box[a], call.args[i + a]);
          box[a + 3] = std::max(box[a + 3], call.args[i + a]);
        }
      out.push_back(box);
    }
    return out;
  };
  for (const int32_t entry : {2, 6, 7}) {
    EXPECT_FALSE(hullFans(21, entry).empty()) << entry;
    EXPECT_EQ(hullFans(21, entry), hullFans(17, entry)) << entry;
  }
  // The ring mount's carriage turns with the turret and never elevates; no gun fires from it.
  const ModelRecord& r = Authored(21);
  int32_t turret = 0, turns = 0;
  for (const auto& call : Drawn(r)) {
    EXPECT_NE(call.kind, K::kFlash);
    EXPECT_NE(call.kind, K::kRecoil);
    EXPECT_NE(call.kind, K::kRotateX);
    turns += call.kind == K::kRotateZ ? 1 : 0;
    if (call.stage == ModelCallLog::Stage::kTurret && IsDrawn(call.kind)) {
      ++turret;
      // Over the ring, above the compartment's walls.
      for (size_t i = 2; i < call.args.size(); i += 3) EXPECT_GT(call.args[i] * 28.867f, 2.0f);
    }
  }
  EXPECT_EQ(turret, 4);
  EXPECT_EQ(turns, 1);
  ModelDrawValues raised;
  raised.gunElevation = 30.0f;
  EXPECT_EQ(Drawn(r).size(), Drawn(r, raised).size());
}

TEST(FirstHalfModels, TheTruckRunsOnThreeAxlesWithDualRearWheels) {
  const std::vector<StripSpan> spans = StripSpans(31);
  ASSERT_EQ(spans.size(), 30u);
  for (const int32_t side : {1, -1}) {
    // Five wheels a side of three strips: the front wheel and the two rear axles' pairs.
    std::map<int32_t, int32_t> axles;  // upper arcs by their middle, centimetres
    int32_t grounded = 0;
    float widest = 0.0f;
    for (const StripSpan& s : spans) {
      if ((s.lo[0] > 0.0f ? 1 : -1) != side) continue;
      widest = std::max(widest, s.hi[0] - s.lo[0]);
      if (s.lo[2] <= 0.0015f) ++grounded;
      else ++axles[static_cast<int32_t>(std::lround((s.lo[1] + s.hi[1]) * 0.5f * 28.867f * 100.0f))];
    }
    EXPECT_EQ(grounded, 10) << side;
    ASSERT_EQ(axles.size(), 3u) << side;
    // The rear axles carry dual wheels (the inner reaching twice as far in), 1.10 m apart.
    auto it = axles.begin();
    EXPECT_EQ(it->second, 2) << side;
    const int32_t last = it->first;
    ++it;
    EXPECT_EQ(it->second, 2) << side;
    EXPECT_NEAR(it->first - last, 110, 2) << side;
    ++it;
    EXPECT_EQ(it->second, 1) << side;
    EXPECT_NEAR(widest * 28.867f, 0.46f, 0.01f) << side;
  }
  // Slots 31 to 33 are one drawing.
  for (int32_t slot : {32, 33}) {
    const auto a = Drawn(Authored(31)), b = Drawn(Authored(slot));
    ASSERT_EQ(a.size(), b.size()) << slot;
    for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].args, b[i].args) << slot << " call " << i;
  }
}

TEST(FirstHalfModels, TheGunMountsTurnButDrawAlikeWhateverTheTilt) {
  using K = ModelCallLog::Kind;
  for (int32_t slot : {2, 22}) {
    const ModelRecord& r = Authored(slot);
    ModelDrawValues tilted, turned;
    tilted.turretTilt = 12.0f;
    tilted.gunElevation = 30.0f;
    turned.turretAngle = 90.0f;
    // Tilt and elevation leave every primitive as it was: the guns ride the mount and never
    // elevate or fire.
    auto primitives = [&r](const ModelDrawValues& v) {
      std::vector<ModelCallLog::Call> out;
      for (const auto& call : Drawn(r, v)) {
        EXPECT_NE(call.kind, K::kFlash);
        EXPECT_NE(call.kind, K::kRecoil);
        if (IsDrawn(call.kind)) out.push_back(call);
      }
      return out;
    };
    const auto still = primitives({}), leaning = primitives(tilted);
    ASSERT_EQ(still.size(), leaning.size()) << slot;
    for (size_t i = 0; i < still.size(); ++i) EXPECT_EQ(still[i].args, leaning[i].args) << slot << " call " << i;
    const auto round = Drawn(r, turned);
    // The angle turns the turret stage, and nothing before it.
    int32_t turns = 0;
    for (const auto& call : round)
      if (call.kind == K::kRotateZ) {
        ++turns;
        EXPECT_EQ(call.stage, ModelCallLog::Stage::kTurret) << slot;
      }
    EXPECT_EQ(turns, 1) << slot;
  }
}

TEST(FirstHalfModels, TheHowitzerMountTurnsAndElevatesAboutOnePivotWhateverTheTilt) {
  // Slot 16: the mount ignores the tilt, and the turn and the elevation both act about the
  // contract's gun pivot, leaving the hull where it was.
  using K = ModelCallLog::Kind;
  const ModelRecord& r = Authored(16);
  const ModelContract& c = Routine(16);
  ModelDrawValues tilted, aimed;
  tilted.turretTilt = 12.0f;
  aimed.turretAngle = 40.0f;
  aimed.gunElevation = 15.0f;
  const auto still = Drawn(r, {}), leaning = Drawn(r, tilted), laid = Drawn(r, aimed);
  ASSERT_EQ(still.size(), leaning.size());
  ASSERT_EQ(still.size(), laid.size());
  for (size_t i = 0; i < still.size(); ++i) EXPECT_EQ(still[i].args, leaning[i].args) << "call " << i;
  int32_t turns = 0, elevations = 0;
  bool atPivot = false;
  for (size_t i = 0; i < laid.size(); ++i) {
    const auto& call = laid[i];
    if (call.kind == K::kTranslate && call.args.size() == 3)
      atPivot = atPivot || (call.args[0] == c.gunPivot.p[0] && call.args[1] == c.gunPivot.p[1] && call.args[2] == c.gunPivot.p[2]);
    if (call.kind == K::kRotateZ) {
      ++turns;
      EXPECT_TRUE(atPivot);
    }
    if (call.kind == K::kRotateX) ++elevations;
    if (call.stage == ModelCallLog::Stage::kHull && IsDrawn(call.kind)) {
      EXPECT_EQ(call.args, still[i].args) << "call " << i;
    }
  }
  EXPECT_EQ(turns, 1);
  EXPECT_EQ(elevations, 1);
}

TEST(FirstHalfModels, TheRocketLauncherTankTurnsAboutThePivotAndFlashesFromItsPoint) {
  // Slot 48: its frame turns and the launcher elevates about p; the rounds leave from the
  // contract's point, and the hull (turret included) stays where it was whatever the aim.
  using K = ModelCallLog::Kind;
  const ModelRecord& r = Authored(48);
  ModelDrawValues aimed;
  aimed.turretAngle = 60.0f;
  aimed.gunElevation = 20.0f;
  aimed.turretTilt = 4.0f;
  ModelDrawValues level;
  level.turretTilt = 4.0f;
  const auto still = Drawn(r, level), laid = Drawn(r, aimed);
  ASSERT_EQ(still.size(), laid.size());
  const std::vector<float> p = {-0.00567f, 0.05429f, 0.07745f};
  std::vector<float> at;  // where the last translation put the origin
  int32_t turns = 0, elevations = 0, flashes = 0;
  for (size_t i = 0; i < laid.size(); ++i) {
    const auto& call = laid[i];
    if (call.kind == K::kTranslate) at = call.args;
    if (call.kind == K::kRotateZ || call.kind == K::kRotateX) {
      EXPECT_EQ(at, p) << "call " << i;
      (call.kind == K::kRotateZ ? turns : elevations) += 1;
    }
    if (call.kind == K::kFlash) {
      ++flashes;
      EXPECT_EQ(call.args, (std::vector<float>{1.0f, -0.00512934f, 0.103597f, 0.0761357f}));
    }
    if (call.stage == ModelCallLog::Stage::kHull && IsDrawn(call.kind)) {
      EXPECT_EQ(call.args, still[i].args) << "call " << i;
    }
  }
  EXPECT_EQ(turns, 1);
  EXPECT_EQ(elevations, 1);
  EXPECT_EQ(flashes, 1);
}

TEST(FirstHalfModels, TheArmourTestHullStoresItsFootprintForItsShadow) {
  for (int32_t slot : {96, 97}) {
    std::array<float, 4> f{};
    ModelDrawValues v;
    v.footprint = &f;
    Drawn(Authored(slot), v);
    EXPECT_EQ(f, (std::array<float, 4>{-0.037f, -0.083f, 0.037f, 0.097f})) << slot;
  }
  std::array<float, 4> f{};
  ModelDrawValues v;
  v.footprint = &f;
  Drawn(Authored(0), v);
  EXPECT_EQ(f, (std::array<float, 4>{-0.036f, -0.093f, 0.037f, 0.127f}));
}

// The plain tank of slot 98: black inner track faces, track triangles rolling with their side's
// offset, the hull, a turret turning and tilting, and a gun firing and recoiling in that order;
// no footprint, so no shadow.
TEST(FirstHalfModels, ThePlainTankDrawsItsNestedStagesInOrder) {
  using K = ModelCallLog::Kind;
  std::array<float, 4> f{9.0f, 9.0f, 9.0f, 9.0f};
  ModelDrawValues aimed;
  aimed.turretAngle = 30.0f;
  aimed.turretTilt = 5.0f;
  aimed.gunElevation = 10.0f;
  ModelDrawValues rolled = aimed;
  rolled.trackScroll = {0.25f, 0.75f};
  rolled.footprint = &f;
  const auto still = Drawn(Authored(98), aimed), moved = Drawn(Authored(98), rolled);
  EXPECT_EQ(f, (std::array<float, 4>{9.0f, 9.0f, 9.0f, 9.0f}));
  ASSERT_EQ(still.size(), moved.size());
  // The calls as a list of words: kind, then entry or triangles where the kind has one.
  std::vector<std::string> order;
  int32_t runLength = 0;
  for (const auto& call : still) {
    std::string w;
    switch (call.kind) {
      case K::kColour: w = "colour"; break;
      case K::kColouredFan: w = "black" + std::to_string(call.n); break;
      case K::kBind: w = "bind" + std::to_string(call.n); break;
      // Only the hull's entry 1 fixes its fans' sizes; the others are the fitter's.
      case K::kFan: w = order.size() > 7 && order.size() < 14 ? "fan" + std::to_string(call.n) : "fan"; break;
      case K::kValue: w = "value"; break;
      case K::kPush: w = "push"; break;
      case K::kPop: w = "pop"; break;
      case K::kRotateZ: w = "turn"; break;
      case K::kRotateY: case K::kRotateX: w = "tilt/elevate"; break;
      case K::kFlash: w = "flash"; break;
      case K::kRecoil: w = "recoil"; break;
      default: continue;
    }
    // A run of value triangles is one word with its length.
    if (w == "value") {
      runLength = !order.empty() && order.back().rfind("values", 0) == 0 ? runLength + 1 : 1;
      if (runLength > 1) order.pop_back();
      w = "values" + std::to_string(runLength);
    }
    order.push_back(w);
  }
  const std::vector<std::string> wanted = {
      "colour", "black5", "black5", "black2", "black2", "bind0", "values32", "bind1", "fan9", "fan9", "fan3",
      "fan2", "fan2", "fan2", "values3", "bind2", "fan", "fan", "fan", "fan", "fan", "fan", "fan", "fan", "fan",
      "bind6", "fan", "fan", "fan", "fan", "push", "turn", "tilt/elevate", "bind3", "fan", "fan", "fan", "fan",
      "bind4", "fan", "fan", "fan", "fan", "push", "tilt/elevate", "flash", "recoil", "bind5", "fan", "fan",
      "values2", "bind5", "fan", "fan", "pop", "pop"};
  EXPECT_EQ(order, wanted);
  size_t trackValues = 0, plusX = 0;
  for (size_t i = 0; i < still.size(); ++i) {
    const auto& call = still[i];
    if (call.kind == K::kColouredFan) {
      for (size_t k = 0; k < call.args.size(); k += 3) EXPECT_NEAR(std::fabs(call.args[k]), 0.034f, 5e-4f);
    }
    if (call.kind == K::kRecoil) {
      EXPECT_FLOAT_EQ(call.args[0], -0.015f);
    }
    // The first 32 value triangles are the tracks: v moves by exactly the side's offset.
    if (call.kind != K::kValue || trackValues == 32) continue;
    ++trackValues;
    const float offset = call.args[0] > 0.0f ? 0.25f : 0.75f;
    plusX += call.args[0] > 0.0f ? 1 : 0;
    for (size_t k = 1; k < call.uvs.size(); k += 2) EXPECT_FLOAT_EQ(moved[i].uvs[k], call.uvs[k] + offset) << i;
    for (size_t k = 0; k < call.args.size(); k += 3) EXPECT_GE(std::fabs(call.args[k]), 0.0339f);
  }
  EXPECT_EQ(plusX, 16u);
}

TEST(FirstHalfModels, AnAuthoredFirstHalfSourceIsHeldToTheRoutinesCounts) {
  const ModelContract& c = Routine(34);
  const std::string head = "model 34\nstage hull\ngroup 1\n";
  const std::string quad = "plate 0 0 0 1 0 0 1 1 0 0 1 0\n";
  auto compile = [&c](const std::string& text) {
    ModelRecord r;
    return CompileModelSource(text, "034.model", c, Contracts(), {}, r);
  };
  std::string quads;
  for (int32_t i = 0; i < 21; ++i) quads += quad;
  // A fan short, a bind short, and a triangle the routine has no room for.
  EXPECT_EQ(compile(head + quads + "group 6\n"), "034.model:1: slot 34: fans in all (has 21, wants 22)");
  EXPECT_EQ(compile(head + quads + quad), "034.model:1: slot 34: binds (has 1, wants 5)");
  EXPECT_EQ(compile(head + quads + quad + "tri 0 0 0 1 0 0 0 1 0\n"),
            "034.model:1: slot 34: single triangles in all (has 1, wants 0)");
  // Running gear in a routine without strips is refused on its line.
  EXPECT_EQ(compile("model 34\nloop left 1 2 -1 1 0.8 0.3 cut rear-mid front-mid\n"),
            "034.model:2: slot 34: running gear in a routine without its strip list");
}

// ---- Authored turreted tracked vehicles of the first half ----

// The calls a compiled first-half tank draws, with the variant part drawn.
std::vector<ModelCallLog::Call> TankCalls(int32_t routine, const ModelDrawValues& values = {}) {
  ModelCallLog log;
  RunModelProgram(CompiledProgram(routine), log, &log, values, false, true);
  return log.Calls();
}

// The first half's authored turreted tanks on two track loops.
const std::vector<int32_t> kFirstHalfTanks = {3, 4, 7, 8, 9, 10, 11, 12, 13, 14, 15, 18, 19, 20, 23, 24, 25, 26, 47, 48};

TEST(FirstHalfTanks, SourcesLayOutTheirOwnGroupsWithinTheBlocksCounts) {
  // The block fixes counts only: each source's groups are its own, and what the build draws
  // passes the validator; a face more, or a group fewer, no longer does.
  for (int32_t routine : kFirstHalfTanks) {
    const ModelContract& c = Routine(routine);
    ASSERT_TRUE(c.firstHalf);
    ModelSourceInfo info;
    const ModelRecord& r = Authored(routine, &info);
    EXPECT_FALSE(info.isTemplate) << routine;
    EXPECT_EQ(ValidateModel(c, r.View()), "") << routine;
  }
  const std::string text = ReadFile(TARVANE_MODEL_DIR "/004.model");
  const ModelContract& c = Routine(4);
  const ModelPartLoader load = ModelDirectoryLoader(TARVANE_MODEL_DIR);
  ModelRecord r;
  std::string more = text;
  more.insert(more.find("group 16\n") + 9, "plate -0.1 1.2 2.0 0.1 1.2 2.0 0.1 1.2 2.1 -0.1 1.2 2.1\n");
  // Refused by the compiler's totals, or else by the validator.
  auto refused = [&](const std::string& source) {
    ModelRecord out;
    return !CompileModelSource(source, "004.model", c, Contracts(), load, out).empty() ||
           !ValidateModel(c, out.View()).empty();
  };
  EXPECT_TRUE(refused(more));
  std::string fewer = text;
  fewer.replace(fewer.find("group 15\n"), 9, "");
  EXPECT_TRUE(refused(fewer));
  // A source without groups is refused.
  EXPECT_NE(CompileModelSource("model 4\n", "004.model", c, Contracts(), load, r), "");
}

TEST(FirstHalfTanks, TracksAreTwoLoopsRollingWithTheirSidesOffset) {
  // Two loops of two strips, 10 triangles each: the + strip rides on the ground, the - strip over
  // the top; a side's offset moves its own strips' v only, and forward.
  using K = ModelCallLog::Kind;
  for (int32_t routine : kFirstHalfTanks) {
    auto strips = [routine](const ModelDrawValues& v) {
      std::vector<ModelCallLog::Call> out;
      for (const auto& call : TankCalls(routine, v))
        if (call.kind == K::kStrip) out.push_back(call);
      return out;
    };
    const auto still = strips({});
    ASSERT_EQ(still.size(), 4u) << routine;
    int32_t grounded = 0;
    for (const auto& s : still) {
      EXPECT_EQ(s.n, 10) << routine;
      float low = 1.0f;
      for (size_t k = 2; k < s.args.size(); k += 3) low = std::min(low, s.args[k]);
      grounded += low < 0.0015f ? 1 : 0;
    }
    EXPECT_EQ(grounded, 2) << routine;
    ModelDrawValues right;
    right.trackScroll = {0.5f, 0.0f};
    const auto moved = strips(right);
    for (size_t i = 0; i < still.size(); ++i) {
      const bool plusX = still[i].args[0] > 0.0f;
      EXPECT_EQ(moved[i].uvs != still[i].uvs, plusX) << routine << " strip " << i;
    }
  }
}

TEST(FirstHalfTanks, HatchesStandOnTheirStagesAndTheFiguresFit) {
  std::vector<int32_t> routines = kFirstHalfTanks;
  routines.push_back(27);  // the anti-aircraft tank: its gunner stands on the turning mount
  for (int32_t routine : routines) {
    ModelSourceInfo info;
    Authored(routine, &info);
    ASSERT_GE(info.hatches.size(), 2u) << routine;
    const auto triangles = TrianglesAtRest(routine);
    for (const ModelHatch& h : info.hatches) {
      double best = 1e9;
      for (const auto& t : triangles[h.turret ? 1 : 0]) best = std::min(best, PointToTriangle({h.x, h.y, h.z}, t[0], t[1], t[2]));
      EXPECT_LE(best, 0.002) << routine << " " << h.name;
    }
    for (const ModelDepiction& d : info.depicts)
      EXPECT_EQ(CheckDepiction(ModelSourceName(Routine(routine)), Routine(routine), CompiledProgram(routine), d, info.roadWheels), "");
  }
  // Slots 4 and 5 are one routine: the British and the American tanks are both named.
  EXPECT_EQ(Routine(4).slots, (std::vector<int32_t>{4, 5}));
  ModelSourceInfo info;
  Authored(4, &info);
  std::set<std::string> names;
  for (const ModelDepiction& d : info.depicts) names.insert(d.name);
  EXPECT_TRUE(names.count("M4A3 (75)W Sherman") == 1 && names.count("Sherman V") == 1);
}

TEST(FirstHalfTanks, TheGunsEndOnTheFlashPointAndTurnAboutThePivot) {
  // The barrel's far end lies on the flash y; elevating the gun leaves the hull's calls as they
  // were and moves the barrel's.
  using K = ModelCallLog::Kind;
  for (int32_t routine : kFirstHalfTanks) {
    const ModelContract& c = Routine(routine);
    float far = -1.0f;
    for (const auto& call : TankCalls(routine))
      if (call.stage == ModelCallLog::Stage::kBarrel && call.kind == K::kFan)
        for (size_t k = 1; k < call.args.size(); k += 3) far = std::max(far, call.args[k]);
    EXPECT_NEAR(far, c.flash[2], 1e-6) << routine;
    ModelDrawValues raised;
    raised.gunElevation = 10.0f;
    raised.turretAngle = 45.0f;
    const auto a = TankCalls(routine), b = TankCalls(routine, raised);
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
      if (a[i].stage == ModelCallLog::Stage::kHull) {
        EXPECT_EQ(a[i].args, b[i].args) << routine << " call " << i;
      }
    }
  }
}

TEST(FirstHalfTanks, TheAntiAircraftMountTurnsAboutTheOriginOverTracksOfItsOwnSizes) {
  // Slot 27 chooses its own strip sizes: the + strips round the bottom ride on the ground and a
  // side's offset rolls its own strips only. Its mount turns about the origin with no gun stage:
  // the turret's 15 fans are drawn after a turn about z and no move, and the turn is the one call
  // the angle changes.
  using K = ModelCallLog::Kind;
  using S = ModelCallLog::Stage;
  const ModelContract& c = Routine(27);
  ASSERT_TRUE(c.firstHalf);
  EXPECT_EQ(c.turretPivot.axes, 0);
  ModelSourceInfo info;
  EXPECT_EQ(ValidateModel(c, Authored(27, &info).View()), "");
  EXPECT_FALSE(info.isTemplate);
  std::vector<int32_t> sizes, grounded;
  ModelDrawValues rolled;
  rolled.trackScroll = {0.0f, 0.5f};
  const auto still = TankCalls(27), moved = TankCalls(27, rolled);
  ASSERT_EQ(still.size(), moved.size());
  for (size_t i = 0; i < still.size(); ++i) {
    if (still[i].kind != K::kStrip) continue;
    sizes.push_back(still[i].n);
    float low = 1.0f;
    for (size_t k = 2; k < still[i].args.size(); k += 3) low = std::min(low, still[i].args[k]);
    grounded.push_back(low < 0.0015f ? 1 : 0);
    EXPECT_EQ(moved[i].uvs != still[i].uvs, still[i].args[0] < 0.0f) << "strip " << i;
  }
  EXPECT_EQ(sizes, (std::vector<int32_t>{8, 8, 3, 3}));
  EXPECT_EQ(grounded, (std::vector<int32_t>{1, 1, 0, 0}));
  ModelDrawValues turned;
  turned.turretAngle = 90.0f;
  const auto a = TankCalls(27), b = TankCalls(27, turned);
  ASSERT_EQ(a.size(), b.size());
  int32_t turretFans = 0, moves = 0, turns = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_NE(a[i].stage, S::kGun);
    EXPECT_NE(a[i].stage, S::kBarrel);
    turretFans += a[i].stage == S::kTurret && a[i].kind == K::kFan ? 1 : 0;
    const bool move = a[i].kind == K::kTranslate || a[i].kind == K::kTranslateY || a[i].kind == K::kTranslateXY ||
                      a[i].kind == K::kTranslateYZ;
    moves += move ? 1 : 0;
    // Only the turn itself follows the angle: every point is drawn as it was.
    if (a[i].args != b[i].args) {
      EXPECT_EQ(a[i].kind, K::kRotateZ) << "call " << i;
      ++turns;
    }
  }
  EXPECT_EQ(turretFans, 15);
  EXPECT_EQ(moves, 0);
  EXPECT_EQ(turns, 1);
  // The one class it depicts draws it.
  ASSERT_EQ(info.depicts.size(), 1u);
  EXPECT_EQ(info.depicts[0].name, "Flakpanzer 38(t)");
}

}  // namespace
