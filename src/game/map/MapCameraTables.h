#pragma once
#include <cstdint>

// The battlefield camera's tables, by view level 0 (a soldier's eye) to 7 (high above the
// field); the two-dimensional ones by screen class first (0 up to 699 pixels wide, 1 up to
// 899, 2 wider). Read only by the frame set-up (MapCamera.cpp) and its tests.
namespace MapCameraTables {

constexpr int32_t kLevels = 8;
constexpr int32_t kScreenClasses = 3;
constexpr int32_t kScaleOptions = 5;

// Metres along the bearing from the camera point to the point looked at; negative is behind.
constexpr float kTargetOffset[kLevels] = {-4.0f, -15.0f, -92.0f, -170.0f, 0.0f, 0.0f, 0.0f, 0.0f};
// The eye's height above the ground, metres (level 0 is held at the clearance).
constexpr float kEyeHeight[kLevels] = {-99.0f, 12.0f, 55.0f, 140.0f, 140.0f, 300.0f, 700.0f, 1500.0f};
// The least height of the eye above the highest ground sampled ahead of it.
constexpr float kClearance[kLevels] = {1.9f, 8.0f, 25.0f, 70.0f, 70.0f, 175.0f, 350.0f, 750.0f};
// The near plane, metres.
constexpr float kNear[kLevels] = {3.5f, 7.0f, 30.0f, 50.0f, 40.0f, 200.0f, 500.0f, 1300.0f};
// The horizontal field of view, degrees, before the zoom divides it.
constexpr float kFieldOfView[kScreenClasses][kLevels] = {
    {32.0f, 36.0f, 34.0f, 40.0f, 50.0f, 50.0f, 50.0f, 50.0f},
    {39.0f, 43.0f, 41.0f, 49.0f, 55.0f, 55.0f, 55.0f, 55.0f},
    {46.0f, 50.0f, 48.0f, 58.0f, 60.0f, 60.0f, 60.0f, 60.0f}};
// How far the view looks down, degrees.
constexpr float kPitch[kScreenClasses][kLevels] = {
    {1.0f, 7.0f, 11.5f, 20.5f, 89.9f, 89.9f, 89.9f, 89.9f},
    {1.0f, 9.0f, 13.5f, 22.0f, 89.9f, 89.9f, 89.9f, 89.9f},
    {1.0f, 11.0f, 14.5f, 23.0f, 89.9f, 89.9f, 89.9f, 89.9f}};
// How far behind a locked unit the camera point stands, metres.
constexpr float kFollowDistance[kScreenClasses][kLevels] = {
    {8.0f, 16.0f, 38.0f, 50.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {7.0f, 10.0f, 19.0f, 25.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {6.0f, 6.0f, 5.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f}};
// The pitch a zoom of 2, 4 or 8 takes off at levels 0..3, degrees.
constexpr float kZoomPitchDrop[4][3] = {
    {4.0f, 8.0f, 16.0f}, {5.5f, 8.0f, 9.2f}, {4.0f, 5.5f, 6.2f}, {3.5f, 5.3f, 6.4f}};

// The unit scale values by the Scale option (0 "Realistic", 1..4 "Enlarge +" n) and level.
constexpr float kUnitScaleFactor[kScaleOptions][kLevels] = {
    {1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f},
    {1.02f, 1.17f, 1.3f, 1.3f, 1.5f, 1.5f, 1.75f, 1.87f},
    {1.05f, 1.35f, 1.6f, 1.7f, 2.0f, 2.0f, 2.5f, 2.75f},
    {1.14f, 1.55f, 1.95f, 2.15f, 2.1f, 2.1f, 2.61f, 2.85f},
    {1.2f, 1.75f, 2.25f, 2.45f, 2.4f, 2.4f, 3.0f, 3.3f}};
constexpr float kInfantryGrowthExponent[kScaleOptions][kLevels] = {
    {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {0.22f, 0.22f, 0.25f, 0.27f, 0.3f, 0.3f, 0.3f, 0.33f},
    {0.38f, 0.37f, 0.41f, 0.43f, 0.45f, 0.45f, 0.45f, 0.5f},
    {0.47f, 0.46f, 0.48f, 0.5f, 0.6f, 0.6f, 0.6f, 0.65f},
    {0.7f, 0.62f, 0.55f, 0.64f, 0.7f, 0.7f, 0.7f, 0.75f}};
constexpr float kVehicleGrowthExponent[kScaleOptions][kLevels] = {
    {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {0.1f, 0.1f, 0.13f, 0.14f, 0.03f, 0.03f, 0.1f, 0.15f},
    {0.19f, 0.18f, 0.19f, 0.2f, 0.04f, 0.04f, 0.15f, 0.23f},
    {0.24f, 0.23f, 0.24f, 0.25f, 0.05f, 0.05f, 0.2f, 0.3f},
    {0.27f, 0.26f, 0.27f, 0.28f, 0.06f, 0.06f, 0.22f, 0.33f}};

}  // namespace MapCameraTables
