// Vehicle crews and knocked-out vehicles as the vehicle drawing draws them: a tank and a
// half-track of each army put into the test scenario and drawn close up, every texture a whole
// stand-in picture in a colour of its own. The men in the hatches wear their army's uniform
// pictures and stand in the vehicle rather than above it, and a knocked-out tank does not look
// like a live one. With TARVANE_SAVE_PICTURES set the close-ups are kept.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "ScenarioFrameWorld.h"

namespace {

// The tank and the half-track of an army, and the uniform pictures its men wear (both forms of
// the American uniform).
struct Army {
  const char* name;
  int32_t code;
  int32_t tank;
  int32_t halfTrack;
  std::array<int32_t, 8> uniform;
};
const std::array<Army, 3> kArmies = {{{"german", 6, 10, 0, {5016, 5017, 5018, 5019, 5016, 5017, 5018, 5019}},
                                      {"us", 0, 78, 62, {5001, 5002, 5003, 5004, 5041, 5042, 5043, 5044}},
                                      {"british", 3, 145, 191, {5011, 5012, 5013, 5014, 5011, 5012, 5013, 5014}}}};

// A stand-in picture's colour (as the stand-in host paints it) near a drawn pixel.
bool NearStandIn(uint16_t pixel, int32_t number) {
  const uint32_t c = StandInTextureHost::Colour(number);
  const int32_t r = static_cast<int32_t>(c >> 19) & 31, g = static_cast<int32_t>(c >> 10) & 63;
  const int32_t b = static_cast<int32_t>(c >> 3) & 31;
  return std::abs((pixel >> 11) - r) <= 2 && std::abs(((pixel >> 5) & 63) - g) <= 4 && std::abs((pixel & 31) - b) <= 2;
}

using Pixels = std::vector<uint16_t>;

// One vehicle of a class in the open ground of the scenario, seen by its own side from close by
// on its left, a little behind.
struct CloseUp {
  CloseUp(int32_t classIndex, int32_t code) : w(nullptr, true) {
    vehicle = new Vehicle();
    vehicle->SetClass(classIndex, code, 2, 400.0f, 400.0f, 90.0f);
    w.battle->units.Append(vehicle);
    vehicle->PrepareAppearance();
    static_cast<HeadlessHost&>(w.battle->App()).currentSide = vehicle->GetSideIndex();
  }
  // The vehicle alone on a cleared screen, placed, turned and scaled as the unit drawing places
  // it at close range, seen from 12 m away on its left and 2.5 m up.
  Pixels Frame(const std::string& name) {
    GGraph3D& r = w.renderer;
    r.RenderBegin();
    const P3DRect all{0, 0, kScenarioFrameWidth, kScenarioFrameHeight};
    w.device.Clear(&all, 1, kP3DClearTarget, 0, 1.0f);
    r.SetProjection(0, 0, kScenarioFrameWidth, kScenarioFrameHeight, 60.0f, 0.5f, 1000.0f);
    const float ground = w.battle->map->ElevationAt(400.0f, 400.0f);
    r.LookAt(400.0f - 12.0f * std::cos(kBearing), 400.0f - 12.0f * std::sin(kBearing), ground + 2.5f, 400.0f, 400.0f,
             ground + 1.5f, 0.0f, 0.0f, 1.0f);
    r.PushMatrix();
    r.Translate(vehicle->x, vehicle->y, vehicle->GetBaseHeight() + 0.09f);
    r.RotateZ(vehicle->facing - 90.0f);
    float scale = 1.0f;
    vehicle->ApplyModelScale(scale);
    VehicleDraw::Draw(*vehicle, false, 25.0f);
    r.PopMatrix();
    r.RenderEnd();
    w.device.Settle();
    w.Save(name);
    Pixels pixels;
    for (int32_t y = 0; y < kScenarioFrameHeight; ++y) {
      const uint16_t* row = w.screen.Row16(y);
      pixels.insert(pixels.end(), row, row + kScenarioFrameWidth);
    }
    return pixels;
  }
  static constexpr float kBearing = 0.3f;
  ScenarioFrameWorld w;
  Vehicle* vehicle = nullptr;
};

// Where two frames differ.
struct Difference {
  Difference(const Pixels& a, const Pixels& b) {
    for (int32_t y = 0; y < kScenarioFrameHeight; ++y) {
      for (int32_t x = 0; x < kScenarioFrameWidth; ++x) {
        if (a[Index(x, y)] == b[Index(x, y)]) continue;
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
        ++count;
      }
    }
  }
  static size_t Index(int32_t x, int32_t y) { return static_cast<size_t>(y * kScenarioFrameWidth + x); }
  int32_t left = kScenarioFrameWidth, top = kScenarioFrameHeight, right = -1, bottom = -1, count = 0;
};

bool White(uint16_t p) { return (p >> 11) > 26 && ((p >> 5) & 63) > 54 && (p & 31) > 26; }

// Each army's tank and half-track crew: the men are drawn, in their uniform pictures (nothing
// blank white), and they reach down into their vehicle (no sky between a man and his hatch).
TEST(VehicleCrewPicture, TheCrewsWearTheirUniformsAndStandInTheirVehicles) {
  for (const Army& army : kArmies) {
    for (const int32_t classIndex : {army.tank, army.halfTrack}) {
      const std::string name = std::string(army.name) + "-" + std::to_string(classIndex);
      CloseUp close(classIndex, army.code);
      ASSERT_NE(close.w.battle, nullptr);
      const Pixels crew = close.Frame("crew-" + name + ".bmp");
      close.vehicle->losses = close.vehicle->TrueClass().Crew();
      const Pixels hull = close.Frame("hull-" + name + ".bmp");
      close.vehicle->x += 300.0f;
      const Pixels ground = close.Frame("ground-" + name + ".bmp");
      const Difference men(crew, hull);
      EXPECT_GT(men.count, 300) << name;
      // Each column of the men: their lowest pixel, and whether the vehicle is drawn just under it.
      int32_t white = 0, uniform = 0, columns = 0, standing = 0;
      for (int32_t x = men.left; x <= men.right; ++x) {
        int32_t lowest = -1;
        for (int32_t y = men.top; y <= men.bottom; ++y) {
          const size_t i = Difference::Index(x, y);
          if (crew[i] == hull[i]) continue;
          lowest = y;
          if (White(crew[i])) ++white;
          for (const int32_t number : army.uniform) {
            if (NearStandIn(crew[i], number)) {
              ++uniform;
              break;
            }
          }
        }
        if (lowest < 0) continue;
        ++columns;
        const size_t below = Difference::Index(x, std::min(lowest + 1, kScenarioFrameHeight - 1));
        if (crew[below] == hull[below] && hull[below] != ground[below]) ++standing;
      }
      EXPECT_EQ(white, 0) << name;
      EXPECT_GT(uniform * 6, men.count) << name;
      EXPECT_GT(standing * 2, columns) << name;
    }
  }
}

// A knocked-out tank hangs its gun and leans its turret.
TEST(VehicleCrewPicture, AKnockedOutTankDoesNotLookLikeALiveOne) {
  CloseUp close(kArmies[0].tank, kArmies[0].code);
  ASSERT_NE(close.w.battle, nullptr);
  close.vehicle->buttoned = 1;
  const Pixels live = close.Frame("live.bmp");
  close.vehicle->alive = 0;
  const Pixels out = close.Frame("knocked-out.bmp");
  EXPECT_GT(Difference(live, out).count, 500);
}

}  // namespace
