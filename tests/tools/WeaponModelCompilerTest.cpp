// The weapon model compiler on the real descriptions and on broken copies of them: every
// model meets its counts, and a description that differs in triangles, binds, slots or order
// is refused with its reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "WeaponModelCompiler.h"
#include "WeaponModelShapes.h"
#include "game/models/WeaponModelData.h"

namespace {

std::vector<std::string> Descriptions() {
  std::vector<std::string> texts;
  for (int number = 0; number < 23; ++number) {
    const std::string name = std::string("/weapon_models/model_") + (number < 10 ? "0" : "") + std::to_string(number) + ".txt";
    std::ifstream in(std::string(TARVANE_DATA_DIR) + name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    texts.push_back(text.str());
  }
  return texts;
}

// Compiles the descriptions, the model at index changed by edit; the error, "" on success.
std::string Compile(std::vector<std::string> texts, std::string* source = nullptr) {
  WeaponModelCompiler compiler;
  for (size_t i = 0; i < texts.size(); ++i) {
    if (!compiler.Add("model" + std::to_string(i), texts[i])) return compiler.Error();
  }
  std::string out;
  if (!compiler.Generate(out)) return compiler.Error();
  if (source != nullptr) *source = out;
  return "";
}

std::string ReplaceFirst(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST(WeaponModelCompiler, TheDescriptionsCompileTheSameEachTime) {
  const std::vector<std::string> texts = Descriptions();
  std::string first;
  std::string second;
  ASSERT_EQ(Compile(texts, &first), "");
  ASSERT_EQ(Compile(texts, &second), "");
  EXPECT_EQ(first, second);
  EXPECT_NE(first.find("WeaponModelData::kModels[23]"), std::string::npos);
}

TEST(WeaponModelCompiler, RefusesModelsThatDifferFromTheirCounts) {
  const std::vector<std::string> texts = Descriptions();
  auto with = [&texts](size_t model, const std::string& from, const std::string& to) {
    std::vector<std::string> changed = texts;
    changed[model] = ReplaceFirst(changed[model], from, to);
    return Compile(changed);
  };
  // One triangle more in a fan: the triangle and vertex totals no longer match.
  EXPECT_NE(with(7, "fan trail 6", "fan trail 7").find("triangles 61, expected 60"), std::string::npos);
  // A fan drawn as a strip.
  EXPECT_NE(with(7, "fan trail 6", "strip trail 6").find("fans 17, expected 18"), std::string::npos);
  // A bind of another slot: the bound slots differ.
  EXPECT_NE(with(7, "bind 3", "bind 4").find("texture slots"), std::string::npos);
  // The elevation moved ahead of a save: the sections differ.
  EXPECT_NE(with(7, "save\nelevate", "elevate\nsave").find("sections"), std::string::npos);
  // Model 21 binds 16 of its 17 slots only while it names the one left unbound.
  EXPECT_NE(with(21, "unbound 16\n", "").find("texture slots"), std::string::npos);
  EXPECT_NE(with(21, "unbound 16", "unbound 3").find("texture slots"), std::string::npos);
  // Unreadable lines name their file and line.
  EXPECT_EQ(with(0, "\nmodel 0\n", "\nmodel 0\nwobble\n"), "model0:4: unknown step 'wobble'");
  EXPECT_NE(with(0, "bind 0", "bind 17").find("outside 0..16"), std::string::npos);
  EXPECT_NE(with(1, "\nmodel 1\n", "\nmodel 0\n").find("given twice"), std::string::npos);
  EXPECT_NE(with(2, "fan trail", "fan spoon").find("unknown part"), std::string::npos);
  // Measurements out of reason.
  EXPECT_NE(with(2, "\nwheels ", "\nwheels 0.5 ").find("needs two lengths"), std::string::npos);
  EXPECT_NE(with(2, "style split-trail", "style sideways").find("unknown style"), std::string::npos);
  std::vector<std::string> fewer = texts;
  fewer.pop_back();
  EXPECT_NE(Compile(fewer).find("expected 23 models"), std::string::npos);
}

// The extent of the vertices a model's steps give one part.
struct Extent {
  float lo[3] = {1e9f, 1e9f, 1e9f};
  float hi[3] = {-1e9f, -1e9f, -1e9f};
  bool Empty() const { return lo[0] > hi[0]; }
};

std::map<std::string, Extent> PartExtents(const WeaponModelCompiler::Model& m) {
  std::map<std::string, Extent> out;
  std::map<std::string, int> seen;
  for (const WeaponModelCompiler::Step& s : m.steps) {
    if (s.part.empty()) continue;
    std::vector<float> xyz, uv;
    WeaponModelShapes::Shape(m.gun, s.part, seen[s.part]++, s.op, s.arg, xyz, uv);
    Extent& e = out[s.part];
    for (size_t i = 0; i < xyz.size(); ++i) {
      e.lo[i % 3] = std::min(e.lo[i % 3], xyz[i]);
      e.hi[i % 3] = std::max(e.hi[i % 3], xyz[i]);
    }
  }
  return out;
}

// Each model as the crew sees it: inside the box the drawing culls it by, its wheels and
// trails on the ground, the trails reaching the axle, the shield upright ahead of the
// trunnions and the barrel from behind the shield out to the muzzle.
TEST(WeaponModelCompiler, EveryGunStandsOnTheGroundWithItsPartsJoined) {
  const std::vector<std::string> texts = Descriptions();
  WeaponModelCompiler compiler;
  for (size_t i = 0; i < texts.size(); ++i) ASSERT_TRUE(compiler.Add("model" + std::to_string(i), texts[i])) << compiler.Error();
  for (int number = 0; number < 23; ++number) {
    SCOPED_TRACE(number);
    const WeaponModelCompiler::Model* m = compiler.Find(number);
    ASSERT_NE(m, nullptr);
    const WeaponModelShapes::Gun& gun = m->gun;
    const std::map<std::string, Extent> parts = PartExtents(*m);
    for (const auto& [name, e] : parts) {
      SCOPED_TRACE(name);
      // The culling box: 0.2 x 0.2 x 0.15 from the ground, with the margin it is set with.
      EXPECT_GE(e.lo[0], -0.105f);
      EXPECT_LE(e.hi[0], 0.105f);
      EXPECT_GE(e.lo[1], -0.105f);
      EXPECT_LE(e.hi[1], 0.105f);
      EXPECT_GE(e.lo[2], -0.0035f);
      EXPECT_LE(e.hi[2], 0.15f);
    }
    auto part = [&parts](const char* name) {
      const auto it = parts.find(name);
      return it == parts.end() ? Extent{} : it->second;
    };
    const Extent wheel = part("wheel"), trail = part("trail"), shield = part("shield"), barrel = part("barrel");
    if (gun.wheelRadius > 0.0f) {
      ASSERT_FALSE(wheel.Empty());
      EXPECT_NEAR(wheel.lo[2], 0.0f, 1e-5f);
      EXPECT_NEAR(wheel.hi[2], 2.0f * gun.wheelRadius, 0.002f);
    }
    if (gun.trailLength > 0.0f) {
      ASSERT_FALSE(trail.Empty());
      // From the axle, where the carriage is, back to the spades on the ground.
      EXPECT_GE(trail.hi[1], gun.pivot[1] - 0.01f);
      EXPECT_NEAR(trail.lo[1], gun.pivot[1] - 0.003f - gun.trailLength, 0.003f);
      EXPECT_LE(part("spade").lo[2], 0.0f);
      EXPECT_LE(trail.lo[2], 0.002f);
      EXPECT_GE(trail.hi[2], 0.6f * gun.wheelRadius);
    }
    if (gun.shieldHalfWidth > 0.0f) {
      ASSERT_FALSE(shield.Empty());
      EXPECT_GT(shield.lo[1], gun.pivot[1]);
      EXPECT_LT(shield.hi[1], gun.muzzle);
      EXPECT_GT(shield.hi[2] - shield.lo[2], 3.0f * (shield.hi[1] - shield.lo[1]));
      EXPECT_LT(shield.lo[2], gun.pivot[2]);
      EXPECT_GT(shield.hi[2], gun.pivot[2]);
      EXPECT_LT(barrel.lo[1], shield.lo[1]);
    }
    ASSERT_FALSE(barrel.Empty());
    EXPECT_NEAR(barrel.hi[1], gun.muzzle, 1e-4f);
    EXPECT_LT(barrel.lo[1], gun.pivot[1]);
  }
}

TEST(WeaponModelCompiler, SectionSignatureOfEachLayout) {
  WeaponModelCompiler::Model open;
  open.layout = "open";
  auto step = [](int op, int arg = 1) {
    WeaponModelCompiler::Step s;
    s.op = op;
    s.arg = arg;
    return s;
  };
  open.steps = {step(0), step(1), step(1), step(8), step(0), step(3), step(9), step(10), step(2)};
  EXPECT_EQ(WeaponModelCompiler::Sections(open), "2d/1b, E, 1d/1b, F, 1d/0b");
  WeaponModelCompiler::Model two;
  two.layout = "two-groups";
  two.steps = {step(5), step(7), step(0), step(1), step(6), step(5), step(1), step(8), step(1), step(6)};
  EXPECT_EQ(WeaponModelCompiler::Sections(two), "T 1d/1b; 1d/0b, E, 1d/0b");
  // A flash without its recoil is no section the table knows.
  WeaponModelCompiler::Model broken;
  broken.layout = "open";
  broken.steps = {step(1), step(8), step(9), step(1)};
  EXPECT_EQ(WeaponModelCompiler::Sections(broken), "?");
}

}  // namespace
