#pragma once
#include <cstdint>

// The soldier figure's static meshes: what every part of the figure is made of (the fixed
// structure below, which the mesh tool checks its source against) and the tables the tool
// compiles from data/figures/ (FigureMeshData.cpp in the build's generated folder).
//
// A part is a run of primitives drawn one after another with the same texture or colour. A
// strip or fan of n triangles reads n + 2 points, a triangle 3 and a quad 4; a textured
// primitive reads as many (u, v) pairs as points. Coordinates are figure model units.
struct FigureMesh {
  enum Kind : uint8_t { kStrip = 0, kFan = 1, kTriangle = 2, kQuad = 3 };

  struct Primitive {
    uint8_t kind;
    uint8_t count;   // triangles of a strip or fan; 1 for a triangle, 2 for a quad
    uint8_t textured;
    uint8_t unused;
    int32_t xyz;     // first float of the points in kXyz
    int32_t uv;      // first float of the pairs in kUv (-1 for a coloured primitive)
  };

  struct Part {
    int32_t first;   // first primitive in kPrimitives
    int32_t count;   // primitives
  };

  // The parts, in the order of the source and the tables.
  enum PartId : int32_t {
    kTorso0, kTorso1, kTorso2, kTorso4,
    kBelt0, kBelt1, kBelt2,
    kFace0, kFace1, kFace2, kSkin,
    kCap0Shape1, kCap0Shape2, kCap0Shape3, kCap0Shape4,
    kCap1Shape1, kCap1Shape2, kCap1Shape3, kCap1Shape4,
    kHelmetOuter, kHelmetInner, kHelmetRim,
    kHeadgearModel,
    kHelmet2, kCap2Plain, kCap2Peaked, kCap2Textured, kCap2TexturedPeaked,
    kCap3,
    kUpperArm0, kForearm0, kUpperArm1, kForearm1, kUpperArm2, kForearm2, kUpperArm3, kForearm3,
    kThigh0, kThigh1, kShin0, kBoot, kBootCode1, kBootHigh, kFoot0,
    kThigh2, kShin2, kShin2Clip, kThigh3, kShin3, kLeg5,
    kGenericGunShield, kGenericGunCarriage, kGenericGunAxle, kGenericGunWheel, kGenericGunBarrel,
    kGenericGunMuzzle, kMortarBody, kMortarMuzzle,
    kItemPack, kItemCrewPiece, kItemRifle, kItemRifleGerman, kItemLauncher, kItemRifleAllied,
    kItemMachinePistol, kItemMachinePistolParts, kItemRocket, kItemShovel, kItemBinoculars, kItemSmall,
    kBackTanks,
    kPartCount
  };

  // The fixed structure of a part: its name in the source, the segment whose reach bounds
  // its points, and its primitives as words: S strip, F fan, T triangle, Q quad, with the
  // triangle count after S and F; a leading 'c' marks a coloured part.
  struct Shape {
    const char* name;
    const char* segment;
    const char* layout;
  };
  static constexpr Shape kShapes[kPartCount] = {
      {"torso0", "torso", "S18 Q Q T T T T"},
      {"torso1", "torso", "S10"},
      {"torso2", "torso", "S6"},
      {"torso4", "torso", "S6 F2 F2"},
      {"belt0", "torso", "S6 S6"},
      {"belt1", "torso", "F4 F4"},
      {"belt2", "torso", "F2 F2"},
      {"face0", "head", "S12 S12 S12 F3"},
      {"face1", "head", "S10 F5"},
      {"face2", "head", "S10"},
      {"skin", "head", "c F4"},
      {"cap0_shape1", "head", "F6 F6 F4 F2 F2 S20 S20"},
      {"cap0_shape2", "head", "F6 F6 F4 F2 F2 S20"},
      {"cap0_shape3", "head", "F6 F6 F4 F2 F2 S20"},
      {"cap0_shape4", "head", "F6 F6 F4 F2 F2 S20"},
      {"cap1_shape1", "head", "F6 F2 S7 S3 S3"},
      {"cap1_shape2", "head", "F6 S7 S7"},
      {"cap1_shape3", "head", "F6 S7 S7"},
      {"cap1_shape4", "head", "F6 S7 S7"},
      {"helmet_outer", "head", "c S20"},
      {"helmet_inner", "head", "c S20"},
      {"helmet_rim", "head", "c S3 S3 S3 S3 S3 F5"},
      {"headgear_model", "hat", "F2 F4 F6 F6 F4 F3 F2 F2 F5 F2 T T F6 F6 F2 F2 F2 F2 T T"},
      {"helmet2", "head", "c F5 S10"},
      {"cap2_plain", "head", "c F5 F3 F2"},
      {"cap2_peaked", "head", "c F5 F3 T T"},
      {"cap2_textured", "head", "F5 F3 F2"},
      {"cap2_textured_peaked", "head", "F5 F3 T T"},
      {"cap3", "head", "c F4"},
      {"upper_arm0", "upper_arm", "F4 S12 S12 S12 F4"},
      {"forearm0", "forearm", "S12 F4 S10 F5"},
      {"upper_arm1", "upper_arm", "Q S8"},
      {"forearm1", "forearm", "S8 Q Q S8 Q"},
      {"upper_arm2", "upper_arm", "S6"},
      {"forearm2", "forearm", "S6 T"},
      {"upper_arm3", "upper_arm", "F3"},
      {"forearm3", "forearm", "F3"},
      {"thigh0", "thigh", "S14 F3"},
      {"thigh1", "thigh", "S10 F3"},
      {"shin0", "shin", "F3"},
      {"boot", "shin", "S10 S8"},
      {"boot_code1", "shin", "S10 S8 F3"},
      {"boot_high", "shin", "S10 S8 S10"},
      {"foot0", "shin", "F4 T T F2"},
      {"thigh2", "thigh", "S6"},
      {"shin2", "shin", "S6 F3"},
      {"shin2_clip", "shin", "T"},
      {"thigh3", "thigh", "F3"},
      {"shin3", "shin", "F3 F3"},
      {"leg5", "leg", "F3"},
      // The crews' generic wheeled gun and the mortar (data/figures/items/).
      {"generic_gun_shield", "gun", "c S6 Q Q"},
      {"generic_gun_carriage", "gun", "c S6 T T S6"},
      {"generic_gun_axle", "gun", "c S14"},
      {"generic_gun_wheel", "gun", "F6 F6"},
      {"generic_gun_barrel", "gun", "c S10"},
      {"generic_gun_muzzle", "gun", "c F4 F4"},
      {"mortar_body", "mortar", "c Q S6 S6 S6 S10"},
      {"mortar_muzzle", "mortar", "c F3"},
      // What the men carry: the hand items and the flamethrower's tanks.
      {"item_pack", "item", "Q Q Q Q Q"},
      {"item_crew_piece", "item", "Q Q Q Q Q"},
      {"item_rifle", "item", "Q Q Q Q"},
      {"item_rifle_german", "item", "c S6 S6 S6 S6 S6"},
      {"item_launcher", "item", "c S6 S6 S6"},
      {"item_rifle_allied", "item", "c S6 S6 S6"},
      {"item_machine_pistol", "item", "Q Q Q Q"},
      {"item_machine_pistol_parts", "item", "c S6 S6 S6"},
      {"item_rocket", "item", "c Q Q Q S10 F3 F3 Q Q Q Q"},
      {"item_shovel", "item", "c S6 S6"},
      {"item_binoculars", "item", "c F6 F6"},
      {"item_small", "item", "c S6"},
      {"back_tanks", "torso", "c S6 S6 Q Q Q F4 F4"},
  };

  // The reach of each segment: a box in the segment's own frame (x across, y forward, z up).
  struct Segment {
    const char* name;
    float minX, maxX, minY, maxY, minZ, maxZ;
  };
  static constexpr int32_t kSegmentCount = 11;
  static constexpr Segment kSegments[kSegmentCount] = {
      {"torso", -24.0f, 24.0f, -16.0f, 16.0f, 55.0f, 122.0f},
      {"head", -14.0f, 14.0f, -14.0f, 16.0f, 108.0f, 136.0f},
      {"hat", -14.0f, 14.0f, -14.0f, 16.0f, -12.0f, 8.0f},
      {"upper_arm", -9.0f, 9.0f, -9.0f, 9.0f, -24.0f, 6.0f},
      {"forearm", -9.0f, 9.0f, -9.0f, 12.0f, -30.0f, 4.0f},
      {"thigh", -9.0f, 9.0f, -9.0f, 9.0f, -35.0f, 8.0f},
      {"shin", -8.0f, 8.0f, -8.0f, 16.0f, -40.3f, 4.0f},
      {"leg", -8.0f, 8.0f, -8.0f, 16.0f, -70.0f, 6.0f},
      {"gun", -40.0f, 40.0f, -80.0f, 80.0f, -2.0f, 40.0f},
      {"mortar", -30.0f, 30.0f, -50.0f, 70.0f, -2.0f, 100.0f},
      {"item", -12.0f, 12.0f, -16.0f, 16.0f, -60.0f, 60.0f},
  };

  // The compiled tables (FigureMeshData.cpp).
  static const float kXyz[];
  static const float kUv[];
  static const Primitive kPrimitives[];
  static const Part kParts[kPartCount];
  static const int32_t kPointCount;
  static const int32_t kPrimitiveCount;
};
