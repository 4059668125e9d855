#pragma once
#include <string>
#include <vector>

#include "ModelContract.h"
#include "ModelRecord.h"
#include "RunningGear.h"

// Makes a routine's placeholder model from its contract alone: a hull to the footprint on its
// running gear, turret and gun blocks about their pivots, a barrel from the gun's pivot to the
// flash point, each group filled to its counts (fans padded to the routine's triangles). A
// first-half block, which fixes no group order, gets its strips, groups and entries laid out
// here. A routine that shares another's stages (or their fan sizes) is made with that routine's
// shapes and sizes, found in all. Returns an empty string, or why the contract cannot be met.
//
// With authored groups (one a contract group, in its order), each group present draws its own
// fans and array triangles instead of the placeholder's boxes; the frame stays the contract's.
// With running gear (a strip of the contract's list each), it is drawn instead of the bands.
struct AuthoredGroup {
  bool present = false;
  std::vector<std::vector<float>> fanXyz, fanUv;      // a fan's n + 2 corners each
  std::vector<std::vector<float>> singleXyz, singleUv;  // 3 corners each
};
std::string MakePlaceholder(const ModelContract& contract, ModelRecord& record,
                            const std::vector<ModelContract>* all = nullptr,
                            const std::vector<AuthoredGroup>* authored = nullptr,
                            const std::vector<GearStrip>* gear = nullptr);

// The contract with a first-half block's strips and groups laid out (other blocks unchanged).
std::string LayOutFirstHalf(ModelContract& contract);
// Only its strips: the signs in the contract's split (+ first), sides alternating, the sizes even.
std::string LayOutFirstHalfStrips(ModelContract& contract);
