#pragma once
#include <string>
#include <vector>

// The polygons of the weapon models' parts. A model description names, for each draw step,
// the part of the gun it shapes; this class turns "the k-th step naming this part" into
// vertices from the gun's measurements, so that the steps of one part build it piece by piece
// (the two wheels, then their inner faces, hubs and tyres; the two trail legs face by face,
// and so on) and every piece sits where the carriage needs it: wheels on the ground, trails
// meeting at the axle and ending in spades on the ground, the shield upright ahead of the
// breech, the barrel from the breech through the shield to the muzzle. Steps beyond a
// part's pieces repeat them a little smaller, inside or on the face of what is there.
class WeaponModelShapes {
 public:
  // How a gun stands. Lengths in model units; x across, y forward (the barrel's way), z up.
  enum class Style {
    kSplitTrail,  // two wheels and two trail legs spread behind the axle
    kBoxTrail,    // two wheels and one wide trail
    kPlatform,    // as kBoxTrail, on a round firing platform
    kCross,       // a pedestal on a cross of outriggers (anti-aircraft mounts)
    kRockets,     // split trail carrying a ring of launch tubes
  };
  struct Gun {
    Style style = Style::kSplitTrail;
    float pivot[3] = {};        // the trunnions
    float muzzle = 0.0f;        // the muzzle's y
    float wheelRadius = 0.0f;   // 0: no wheels
    float wheelX = 0.0f;        // half the track
    float trailLength = 0.0f;   // from the axle back to the spade
    float trailSpread = 0.0f;   // half the distance between the spades
    float shieldHalfWidth = 0.0f;  // 0: no shield
    float shieldHeight = 0.0f;  // above the trunnions
    float bore = 0.0f;          // the barrel's outer radius at the muzzle
    bool brake = false;         // a muzzle brake, else a plain muzzle ring
    float platform = 0.0f;      // the firing platform's radius or the outriggers' reach
  };

  // The parts a description may name.
  static bool KnownPart(const std::string& part);
  // Appends the vertices (x, y, z) and texture coordinates (u, v) of one draw step: op is
  // WeaponModelData's kFan, kStrip, kTriangle or kInline, triangles its count (fans and
  // strips), occurrence how many steps named the part before it.
  static void Shape(const Gun& gun, const std::string& part, int occurrence, int op, int triangles,
                    std::vector<float>& xyz, std::vector<float>& uv);
};
