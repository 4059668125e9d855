// The two generic bodies of far-away vehicles: an open body without turret, and a sized body
// with turret and gun. Their polygons are made once from a small list of faces: each part is a
// convex fan of n triangles whose n + 2 rim points lie on the edge of a rectangle (an origin
// and two half-axes), starting at a corner, so that the fan covers the rectangle's middle.
#include <array>
#include <cmath>

#include "framework/media/GGraph3D.h"
#include "game/draw/VehicleDraw.h"
#include "game/models/ModelDrawContext.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

struct Face {
  float o[3];  // centre
  float u[3];  // half-axis one
  float v[3];  // half-axis two
  int32_t n;   // triangles
};

// Open body (halftracks, trucks, AA vehicles): hull x +-0.045, y -0.09..0.09, z 0..0.045.
// Texture 2: deck, bonnet, grille, tail; texture 1: sides and the ten track or wheel plates;
// the dark interior: floor, benches, cab, screen and load.
constexpr Face kBodyA2[] = {
    {{0.0f, -0.03f, 0.03f}, {0.045f, 0.0f, 0.0f}, {0.0f, 0.06f, 0.0f}, 4},
    {{0.0f, 0.065f, 0.035f}, {0.035f, 0.0f, 0.0f}, {0.0f, 0.025f, 0.0f}, 2},
    {{0.0f, 0.09f, 0.02f}, {0.035f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.015f}, 3},
    {{0.0f, -0.09f, 0.025f}, {0.045f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.02f}, 2},
};
constexpr Face kBodyA1[] = {
    {{-0.045f, 0.0f, 0.03f}, {0.0f, 0.09f, 0.0f}, {0.0f, 0.0f, 0.015f}, 3},
    {{0.045f, 0.0f, 0.03f}, {0.0f, 0.09f, 0.0f}, {0.0f, 0.0f, 0.015f}, 2},
    {{-0.048f, -0.07f, 0.01f}, {0.0f, 0.018f, 0.0f}, {0.0f, 0.0f, 0.01f}, 2},
    {{-0.048f, -0.035f, 0.01f}, {0.0f, 0.018f, 0.0f}, {0.0f, 0.0f, 0.01f}, 2},
    {{-0.048f, 0.0f, 0.01f}, {0.0f, 0.018f, 0.0f}, {0.0f, 0.0f, 0.01f}, 2},
    {{-0.048f, 0.035f, 0.01f}, {0.0f, 0.018f, 0.0f}, {0.0f, 0.0f, 0.01f}, 2},
    {{-0.048f, 0.07f, 0.01f}, {0.0f, 0.018f, 0.0f}, {0.0f, 0.0f, 0.01f}, 2},
    {{0.048f, -0.07f, 0.01f}, {0.0f, 0.018f, 0.0f}, {0.0f, 0.0f, 0.01f}, 2},
    {{0.048f, -0.035f, 0.01f}, {0.0f, 0.018f, 0.0f}, {0.0f, 0.0f, 0.01f}, 2},
    {{0.048f, 0.0f, 0.01f}, {0.0f, 0.018f, 0.0f}, {0.0f, 0.0f, 0.01f}, 2},
    {{0.048f, 0.035f, 0.01f}, {0.0f, 0.018f, 0.0f}, {0.0f, 0.0f, 0.01f}, 2},
    {{0.048f, 0.07f, 0.01f}, {0.0f, 0.018f, 0.0f}, {0.0f, 0.0f, 0.01f}, 2},
};
constexpr Face kBodyADark[] = {
    {{0.0f, -0.03f, 0.031f}, {0.04f, 0.0f, 0.0f}, {0.0f, 0.055f, 0.0f}, 2},
    {{-0.03f, -0.03f, 0.036f}, {0.008f, 0.0f, 0.0f}, {0.0f, 0.05f, 0.0f}, 2},
    {{0.0f, -0.045f, 0.035f}, {0.03f, 0.0f, 0.0f}, {0.0f, 0.004f, 0.0f}, 2},
    {{0.03f, -0.03f, 0.036f}, {0.008f, 0.0f, 0.0f}, {0.0f, 0.05f, 0.0f}, 4},
    {{0.0f, 0.035f, 0.045f}, {0.04f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.01f}, 2},
    {{0.0f, 0.04f, 0.052f}, {0.04f, 0.0f, 0.0f}, {0.0f, 0.005f, 0.0f}, 4},
    {{-0.02f, 0.02f, 0.04f}, {0.01f, 0.0f, 0.0f}, {0.0f, 0.01f, 0.0f}, 2},
    {{0.02f, 0.02f, 0.04f}, {0.01f, 0.0f, 0.0f}, {0.0f, 0.01f, 0.0f}, 2},
    {{0.0f, -0.06f, 0.04f}, {0.02f, 0.0f, 0.0f}, {0.0f, 0.015f, 0.0f}, 4},
    {{0.0f, -0.06f, 0.05f}, {0.015f, 0.0f, 0.0f}, {0.0f, 0.01f, 0.0f}, 3},
    {{-0.044f, -0.03f, 0.04f}, {0.0f, 0.05f, 0.0f}, {0.0f, 0.0f, 0.005f}, 2},
    {{0.044f, -0.03f, 0.04f}, {0.0f, 0.05f, 0.0f}, {0.0f, 0.0f, 0.005f}, 2},
    {{0.0f, -0.085f, 0.04f}, {0.04f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.005f}, 2},
    {{-0.02f, 0.055f, 0.042f}, {0.006f, 0.0f, 0.0f}, {0.0f, 0.006f, 0.0f}, 2},
    {{0.02f, 0.055f, 0.042f}, {0.006f, 0.0f, 0.0f}, {0.0f, 0.006f, 0.0f}, 2},
    {{0.0f, 0.01f, 0.035f}, {0.03f, 0.0f, 0.0f}, {0.0f, 0.004f, 0.0f}, 2},
};
constexpr float kBodyATriangle[9] = {-0.01f, 0.06f, 0.045f, 0.01f, 0.06f, 0.045f, 0.0f, 0.075f, 0.05f};

// Turreted body: hull x +-0.04, y -0.075..0.075, z 0..0.04; turret about the origin.
constexpr Face kBodyB1[] = {
    {{0.0f, -0.01f, 0.04f}, {0.04f, 0.0f, 0.0f}, {0.0f, 0.065f, 0.0f}, 4},
    {{0.0f, 0.065f, 0.03f}, {0.04f, 0.0f, 0.0f}, {0.0f, 0.01f, 0.01f}, 4},
    {{0.0f, -0.075f, 0.025f}, {0.04f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.015f}, 2},
    {{0.0f, 0.0f, 0.008f}, {0.04f, 0.0f, 0.0f}, {0.0f, 0.075f, 0.0f}, 2},
};
constexpr Face kBodyB2[] = {
    {{-0.04f, 0.0f, 0.028f}, {0.0f, 0.075f, 0.0f}, {0.0f, 0.0f, 0.012f}, 2},
    {{0.04f, 0.0f, 0.028f}, {0.0f, 0.075f, 0.0f}, {0.0f, 0.0f, 0.012f}, 4},
};
constexpr Face kTurret4[] = {
    {{0.0f, 0.0f, 0.07f}, {0.027f, 0.0f, 0.0f}, {0.0f, 0.032f, 0.0f}, 2},
    {{-0.027f, 0.0f, 0.055f}, {0.0f, 0.032f, 0.0f}, {0.0f, 0.0f, 0.015f}, 2},
    {{0.027f, 0.0f, 0.055f}, {0.0f, 0.032f, 0.0f}, {0.0f, 0.0f, 0.015f}, 2},
};
constexpr Face kTurret3[] = {
    {{0.0f, 0.032f, 0.055f}, {0.027f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.015f}, 2},
    {{0.0f, -0.032f, 0.055f}, {0.027f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.015f}, 2},
};
constexpr Face kGun5 = {{-0.00054f, 0.092f, 0.08356f}, {0.004f, 0.0f, 0.0f}, {0.0f, 0.056f, 0.0f}, 4};
// The four track runs as strips of four triangles: left and right, outer and inner faces.
constexpr float kTrackX[4] = {-0.046f, -0.04f, 0.04f, 0.046f};

constexpr float kPivot[3] = {-0.00054f, 0.04523f, 0.08356f};
constexpr float kMuzzleY = 0.1479f;
constexpr int32_t kMaxVertices = 8;

// Rim point k of m of a face: on the rectangle's edge, at angles starting at a corner.
void FacePoints(const Face& face, float* xyz, float* uv) {
  const int32_t m = face.n + 2;
  for (int32_t k = 0; k < m; ++k) {
    const float t = 0.78539816f + 6.2831853f * static_cast<float>(k) / static_cast<float>(m);
    float a = std::cos(t);
    float b = std::sin(t);
    const float edge = std::fmax(std::fabs(a), std::fabs(b));
    a /= edge;
    b /= edge;
    for (int32_t c = 0; c < 3; ++c) xyz[3 * k + c] = face.o[c] + a * face.u[c] + b * face.v[c];
    uv[2 * k] = 0.5f + 0.5f * a;
    uv[2 * k + 1] = 0.5f + 0.5f * b;
  }
}

// The fans of a list, made once into fixed arrays.
template <size_t N>
struct Fans {
  std::array<std::array<float, 3 * kMaxVertices>, N> xyz{};
  std::array<std::array<float, 2 * kMaxVertices>, N> uv{};
  explicit Fans(const Face (&faces)[N]) {
    for (size_t i = 0; i < N; ++i) FacePoints(faces[i], xyz[i].data(), uv[i].data());
  }
  void Draw(const Face (&faces)[N], bool clip) const {
    for (size_t i = 0; i < N; ++i) gGraph3D->DrawTexturedFan(clip, faces[i].n, xyz[i].data(), uv[i].data());
  }
  void DrawColoured(const Face (&faces)[N], bool clip) const {
    for (size_t i = 0; i < N; ++i) gGraph3D->DrawColouredFan(clip, faces[i].n, xyz[i].data());
  }
};

struct Tracks {
  std::array<std::array<float, 18>, 4> xyz{};
  std::array<float, 12> uv{};
  Tracks() {
    for (size_t s = 0; s < 4; ++s) {
      for (int32_t k = 0; k < 6; ++k) {
        xyz[s][static_cast<size_t>(3 * k)] = kTrackX[s];
        xyz[s][static_cast<size_t>(3 * k + 1)] = -0.08f + 0.08f * static_cast<float>(k / 2);
        xyz[s][static_cast<size_t>(3 * k + 2)] = k % 2 == 0 ? 0.0f : 0.03f;
        uv[static_cast<size_t>(2 * k)] = static_cast<float>(k / 2) * 0.5f;
        uv[static_cast<size_t>(2 * k + 1)] = static_cast<float>(k % 2);
      }
    }
  }
};

}  // namespace

void VehicleDraw::DrawLowDetailVehicleA(bool clip) {
  static const Fans<4> deck(kBodyA2);
  static const Fans<12> sides(kBodyA1);
  static const Fans<16> dark(kBodyADark);
  GGraph3D* g = gGraph3D;
  if (g == nullptr) return;
  const ModelDrawContext& context = ModelDrawContext::Current();
  g->SetBackfaceCulling(false);
  context.Bind(2);
  deck.Draw(kBodyA2, clip);
  context.Bind(1);
  sides.Draw(kBodyA1, clip);
  g->SetColor(0.15f, 0.1f, 0.1f);
  dark.DrawColoured(kBodyADark, clip);
  g->DrawColouredTriangle(kBodyATriangle[0], kBodyATriangle[1], kBodyATriangle[2], kBodyATriangle[3],
                          kBodyATriangle[4], kBodyATriangle[5], kBodyATriangle[6], kBodyATriangle[7],
                          kBodyATriangle[8]);
  g->SetBackfaceCulling(true);
}

void VehicleDraw::DrawLowDetailVehicleB(bool clip) {
  static const Tracks tracks;
  static const Fans<4> hull1(kBodyB1);
  static const Fans<2> hull2(kBodyB2);
  static const Fans<3> turret4(kTurret4);
  static const Fans<2> turret3(kTurret3);
  static const Face gunFaces[1] = {kGun5};
  static const Fans<1> gun(gunFaces);
  GGraph3D* g = gGraph3D;
  if (g == nullptr) return;
  const ModelDrawContext& context = ModelDrawContext::Current();
  Vehicle* vehicle = context.vehicle;
  if (vehicle != nullptr) {
    const float size = vehicle->TrueClass().Size();
    const float root = size > 0.0f ? std::sqrt(size) : 0.0f;
    if (vehicle->IsAxis()) {
      g->Scale(0.9f * size, 0.9f * size, 0.9f * root);
    } else {
      g->Scale(0.8f * size, 0.8f * size, 0.85f * root);
    }
  }
  g->SetBackfaceCulling(false);
  context.Bind(0);
  for (const auto& strip : tracks.xyz) g->DrawTexturedStrip(clip, 4, strip.data(), tracks.uv.data());
  context.Bind(1);
  hull1.Draw(kBodyB1, clip);
  context.Bind(2);
  hull2.Draw(kBodyB2, clip);
  g->PushMatrix();
  g->RotateZ(context.turretAngle);
  g->RotateY(context.turretTilt);
  context.Bind(4);
  turret4.Draw(kTurret4, clip);
  context.Bind(3);
  turret3.Draw(kTurret3, clip);
  g->Translate(kPivot[0], kPivot[1], kPivot[2]);
  g->RotateX(context.gunElevation);
  g->Translate(-kPivot[0], -kPivot[1], -kPivot[2]);
  if (vehicle != nullptr) {
    vehicle->DrawMuzzleFlash(1.0f, kPivot[0], kMuzzleY, kPivot[2]);
    vehicle->TranslateRecoil(-0.012f);
  }
  context.Bind(5);
  gun.Draw(gunFaces, clip);
  g->PopMatrix();
  g->SetBackfaceCulling(true);
}
