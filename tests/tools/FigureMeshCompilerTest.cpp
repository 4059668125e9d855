// The figure mesh compiler: the project's source compiles to the same bytes every time, its
// parts hold the triangles every level of detail needs, and broken sources are refused with
// the file, line and reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "FigureMeshCompiler.h"
#include "game/units/draw/FigureMesh.h"

namespace {

// The figure's source with the items' after it, as the build hands them to the tool.
std::string Source() {
  std::ostringstream text;
  for (const char* name : {"/figures/meshes.txt", "/figures/items/crew_weapons.txt", "/figures/items/carried_items.txt"}) {
    std::ifstream in(std::string(TARVANE_DATA_DIR) + name, std::ios::binary);
    text << in.rdbuf() << "\n";
  }
  return text.str();
}

// The triangles of a part by its fixed structure.
int Triangles(FigureMesh::PartId part) {
  std::istringstream words(FigureMesh::kShapes[part].layout);
  std::string word;
  int n = 0;
  while (words >> word) {
    if (word[0] == 'S' || word[0] == 'F') n += std::stoi(word.substr(1));
    if (word[0] == 'T') n += 1;
    if (word[0] == 'Q') n += 2;
  }
  return n;
}

// The source with the first line starting with prefix replaced.
std::string Replace(const std::string& source, const std::string& prefix, const std::string& line) {
  const size_t at = source.find("\n" + prefix);
  EXPECT_NE(at, std::string::npos) << prefix;
  const size_t end = source.find('\n', at + 1);
  return source.substr(0, at + 1) + line + source.substr(end);
}

int LineOf(const std::string& source, const std::string& prefix) {
  const size_t at = source.find("\n" + prefix);
  if (at == std::string::npos) return -1;
  int line = 2;
  for (size_t i = 0; i < at; ++i) line += source[i] == '\n';
  return line;
}

std::string Refusal(const std::string& source) {
  FigureMeshCompiler::Output out;
  std::string error;
  EXPECT_FALSE(FigureMeshCompiler::Compile(source, "meshes.txt", out, error));
  return error;
}

TEST(FigureMeshCompiler, SourceCompilesTheSameBytesEveryTime) {
  const std::string source = Source();
  ASSERT_FALSE(source.empty());
  FigureMeshCompiler::Output a;
  FigureMeshCompiler::Output b;
  std::string error;
  ASSERT_TRUE(FigureMeshCompiler::Compile(source, "meshes.txt", a, error)) << error;
  ASSERT_TRUE(FigureMeshCompiler::Compile(source, "meshes.txt", b, error)) << error;
  EXPECT_EQ(a.tableSource, b.tableSource);
  EXPECT_EQ(a.layoutSheet, b.layoutSheet);
  EXPECT_NE(a.layoutSheet.find("torso0                 torso (entry 1)"), std::string::npos);
  EXPECT_NE(a.layoutSheet.find("helmet_outer           coloured"), std::string::npos);
}

TEST(FigureMeshCompiler, CodeZeroManHasTheTrianglesOfEachLevel) {
  using M = FigureMesh;
  // Torso, belt, cap shape 4, face, two arms, two legs with the standard boots.
  const int level0 = Triangles(M::kTorso0) + Triangles(M::kBelt0) + Triangles(M::kCap0Shape4) + Triangles(M::kFace0) +
                     2 * (Triangles(M::kUpperArm0) + Triangles(M::kForearm0)) +
                     2 * (Triangles(M::kThigh0) + Triangles(M::kShin0) + Triangles(M::kBoot) + Triangles(M::kFoot0));
  const int level1 = Triangles(M::kTorso1) + Triangles(M::kBelt1) + Triangles(M::kCap1Shape4) + Triangles(M::kFace1) +
                     2 * (Triangles(M::kUpperArm1) + Triangles(M::kForearm1)) +
                     2 * (Triangles(M::kThigh1) + Triangles(M::kShin0) + Triangles(M::kBoot) + Triangles(M::kFoot0));
  const int level2 = Triangles(M::kTorso2) + Triangles(M::kBelt2) + Triangles(M::kCap2TexturedPeaked) +
                     Triangles(M::kFace2) + 2 * (Triangles(M::kUpperArm2) + Triangles(M::kForearm2)) +
                     2 * (Triangles(M::kThigh2) + Triangles(M::kShin2));
  const int level3 = Triangles(M::kTorso2) + Triangles(M::kBelt2) + Triangles(M::kCap3) + Triangles(M::kSkin) +
                     2 * (Triangles(M::kUpperArm3) + Triangles(M::kForearm3)) +
                     2 * (Triangles(M::kThigh3) + Triangles(M::kShin3));
  EXPECT_EQ(level0, 359);
  EXPECT_EQ(level1, 201);
  EXPECT_EQ(level2, 86);
  EXPECT_EQ(level3, 48);
  EXPECT_EQ(Triangles(M::kTorso4) + Triangles(M::kCap3) + Triangles(M::kSkin) + 2 * (Triangles(M::kThigh3) + Triangles(M::kShin3)), 36);
  EXPECT_EQ(Triangles(M::kTorso4) + Triangles(M::kCap3) + Triangles(M::kSkin) + 2 * Triangles(M::kLeg5), 24);
  EXPECT_EQ(Triangles(M::kTorso4) + Triangles(M::kSkin), 14);
  EXPECT_EQ(Triangles(M::kShin2Clip), 1);
  // The compiled tables agree with the fixed structure, part by part.
  for (int p = 0; p < M::kPartCount; ++p) {
    int n = 0;
    for (int k = 0; k < M::kParts[p].count; ++k) n += M::kPrimitives[M::kParts[p].first + k].count;
    EXPECT_EQ(n, Triangles(static_cast<M::PartId>(p))) << M::kShapes[p].name;
  }
}

// The height a primitive's points span.
float HeightSpan(const FigureMesh::Primitive& p) {
  const int points = p.kind == FigureMesh::kTriangle ? 3 : p.kind == FigureMesh::kQuad ? 4 : p.count + 2;
  float low = FigureMesh::kXyz[p.xyz + 2];
  float high = low;
  for (int k = 1; k < points; ++k) {
    low = std::min(low, FigureMesh::kXyz[p.xyz + 3 * k + 2]);
    high = std::max(high, FigureMesh::kXyz[p.xyz + 3 * k + 2]);
  }
  return high - low;
}

TEST(FigureMeshCompiler, TubesLyingDownAreRoundNotFlat) {
  using M = FigureMesh;
  // The gun's barrel lies along y at one height, the mortar's brace (its fourth primitive)
  // along x: their rings stand upright, so each spans its own diameter in height.
  const M::Primitive& barrel = M::kPrimitives[M::kParts[M::kGenericGunBarrel].first];
  EXPECT_NEAR(HeightSpan(barrel), 2.0f * 2.4f * std::sin(72.0f * 3.14159265f / 180.0f), 0.01f);
  const M::Primitive& brace = M::kPrimitives[M::kParts[M::kMortarBody].first + 3];
  EXPECT_GT(HeightSpan(brace), 1.5f);
}

TEST(FigureMeshCompiler, BrokenSourcesAreRefusedWithFileLineAndReason) {
  const std::string source = Source();
  // A strip of the wrong count.
  const std::string torso = "strip 18 ring";
  const int line = LineOf(source, torso);
  EXPECT_EQ(Refusal(Replace(source, torso, "strip 16 ring  0 0 114.5 14.5 8.0   0 0 63.5 12.0 7.2   -90 270  0 1 0.02 0.98")),
            "meshes.txt:" + std::to_string(line) + ": expected a strip of 18");
  // A value that is not finite, a malformed number, a point beyond the torso's reach.
  EXPECT_EQ(Refusal(Replace(source, torso, "strip 18 ring  0 0 nan 14.5 8.0   0 0 63.5 12.0 7.2   -90 270  0 1 0.02 0.98")),
            "meshes.txt:" + std::to_string(line) + ": a value that is not finite");
  EXPECT_EQ(Refusal(Replace(source, torso, "strip 18 ring  0 0 1x4 14.5 8.0   0 0 63.5 12.0 7.2   -90 270  0 1 0.02 0.98")),
            "meshes.txt:" + std::to_string(line) + ": a ring strip needs 16 numbers");
  EXPECT_EQ(Refusal(Replace(source, torso, "strip 18 ring  0 0 114.5 40 8.0   0 0 63.5 12.0 7.2   -90 270  0 1 0.02 0.98")),
            "meshes.txt:" + std::to_string(line) + ": a point beyond the reach of segment torso");
  EXPECT_EQ(Refusal(Replace(source, torso, "strip 18 ring  0 0 114.5 14.5 8.0   0 0 63.5 12.0 7.2   -90 270  0 1 0.02 1.5")),
            "meshes.txt:" + std::to_string(line) + ": a texture coordinate outside 0..1");
  // Parts out of order, one missing at the end, one too short.
  EXPECT_EQ(Refusal(Replace(source, "part torso1", "part torso2")),
            "meshes.txt:" + std::to_string(LineOf(source, "part torso1")) + ": expected part torso1");
  const std::string cut = source.substr(0, source.find("part leg5"));
  EXPECT_NE(Refusal(cut).find(": part leg5 is missing"), std::string::npos);
  EXPECT_EQ(Refusal(Replace(source, "tri   6.0 7.0 116.0 0.56", "# gone")),
            "meshes.txt:" + std::to_string(LineOf(source, "part torso1")) + ": part torso0 has too few primitives");
}

}  // namespace
