#include "PlaceholderMaker.h"

#include <algorithm>
#include <cmath>

#include "FanPadder.h"
#include "RunningGear.h"

namespace {

struct Box {
  float x0, y0, z0, x1, y1, z1;
};

// A fan of n triangles (n + 2 corners) on one face of a box, shrunk about the face's centre by
// scale: corner 0 at one corner of the face, the others along its three far edges. Face 0 is
// the top, 1 the -x side, 2 the +x side, 3 the front, 4 the back.
void FaceFan(const Box& b, int32_t face, float scale, int32_t n, std::vector<float>& xyz, std::vector<float>& uv) {
  float a0 = 0, a1 = 0, c0 = 0, c1 = 0;  // the face's two in-plane ranges
  switch (face) {
    case 0: a0 = b.x0; a1 = b.x1; c0 = b.y0; c1 = b.y1; break;
    case 1: case 2: a0 = b.y0; a1 = b.y1; c0 = b.z0; c1 = b.z1; break;
    default: a0 = b.x0; a1 = b.x1; c0 = b.z0; c1 = b.z1; break;
  }
  const float am = 0.5f * (a0 + a1), cm = 0.5f * (c0 + c1);
  if (scale != 1.0f) {
    a0 = am + (a0 - am) * scale;
    a1 = am + (a1 - am) * scale;
    c0 = cm + (c0 - cm) * scale;
    c1 = cm + (c1 - cm) * scale;
  }
  auto put = [&](float a, float c) {
    switch (face) {
      case 0: xyz.insert(xyz.end(), {a, c, b.z1}); break;
      case 1: xyz.insert(xyz.end(), {b.x0, a, c}); break;
      case 2: xyz.insert(xyz.end(), {b.x1, a, c}); break;
      case 3: xyz.insert(xyz.end(), {a, b.y1, c}); break;
      default: xyz.insert(xyz.end(), {a, b.y0, c}); break;
    }
    uv.insert(uv.end(), {(a - a0) / (a1 - a0), (c - c0) / (c1 - c0)});
  };
  put(a0, c0);
  // n + 1 corners along (a1, c0) -> (a1, c1) -> (a0, c1), evenly by length, the far corner
  // (a1, c1) among them when there are three or more, so the fan covers the whole face.
  const float la = a1 - a0, lc = c1 - c0, total = lc + la;
  const int32_t corner = n < 2 ? -1 : std::clamp(static_cast<int32_t>(std::lround(lc / total * static_cast<float>(n))), 1, n - 1);
  for (int32_t i = 0; i <= n; ++i) {
    const float s = i == corner ? lc : total * static_cast<float>(i) / static_cast<float>(n);
    if (s <= lc) put(a1, c0 + s);
    else put(a1 - (s - lc), c1);
  }
}

// Places a stage's primitives over the faces of its box, each a little smaller than the last
// (unless told not to shrink them).
struct FacePlacer {
  Box box;
  int32_t next = 0;
  bool shrink = true;
  void Fan(int32_t n, std::vector<float>& xyz, std::vector<float>& uv) {
    const int32_t i = next++;
    FaceFan(box, i % 5, shrink ? 1.0f / (1.0f + 0.12f * static_cast<float>(i / 5)) : 1.0f, n, xyz, uv);
  }
};

int32_t StageIndex(ModelStage s) {
  switch (s) {
    case ModelStage::kHull: case ModelStage::kVariant: return 0;
    case ModelStage::kTurret: return 1;
    case ModelStage::kGun: return 2;
    default: return 3;
  }
}

}  // namespace

std::string LayOutFirstHalfStrips(ModelContract& c) {
  c.strips.clear();
  for (int32_t i = 0; i < c.stripsPlus; ++i) c.strips.push_back({0, i % 2, 1});
  for (int32_t i = 0; i < c.stripsMinus; ++i) c.strips.push_back({0, i % 2, -1});
  // Strip sizes: the block's own, or as near 10 triangles as the fans' 2 to 10 allow.
  const int32_t n = c.stripCount;
  const int32_t left = c.totals[1] - c.arrayCount - c.valueCount;
  const int32_t lo = std::max(2 * n, left - 10 * c.fanCount), hi = std::min(14 * n, left - 2 * c.fanCount);
  if (!c.stripSizes.empty()) {
    int32_t total = 0;
    for (const int32_t s : c.stripSizes) total += s;
    if (static_cast<int32_t>(c.stripSizes.size()) != n || total < lo || total > hi)
      return "the strip sizes given leave the fans no 2 to 10 triangles";
    for (int32_t i = 0; i < n; ++i) c.strips[static_cast<size_t>(i)].n = c.stripSizes[static_cast<size_t>(i)];
    return {};
  }
  if (lo > hi) return "no strip sizes leave the fans 2 to 10 triangles";
  const int32_t total = std::clamp(10 * n, lo, hi);
  for (int32_t i = 0; i < n; ++i) c.strips[static_cast<size_t>(i)].n = total / n + (i < total % n ? 1 : 0);
  return {};
}

std::string LayOutFirstHalf(ModelContract& c) {
  if (!c.firstHalf || !c.groups.empty()) return {};
  // Entries by stage: 1, 2, 6 and 7 to the hull, 3 and 4 to the turret and gun, 5 to the barrel,
  // the detail entries to a stage that has no entry, the rest to the hull.
  std::array<std::vector<int32_t>, 4> stage;
  std::vector<int32_t> others;
  const std::array<int32_t, 4>& sp = c.stagePrimitives;
  for (int32_t e : c.entries) {
    if (e == 0) continue;
    if (e == 1 || e == 2 || e == 6 || e == 7) stage[0].push_back(e);
    else if (e == 3) stage[sp[1] > 0 ? 1 : 2].push_back(e);
    else if (e == 4) stage[sp[2] > 0 ? 2 : 1].push_back(e);
    else if (e == 5) stage[3].push_back(e);
    else others.push_back(e);
  }
  for (int32_t s = 1; s < 4; ++s) {
    if (sp[s] > 0 && stage[s].empty()) {
      if (others.empty()) return "no texture entry left for a stage";
      stage[s].push_back(others.back());
      others.pop_back();
    }
  }
  for (int32_t e : others) stage[0].push_back(e);
  std::array<int32_t, 4> prims{sp[0] - c.stripCount, sp[1], sp[2], sp[3]};
  std::array<std::vector<int32_t>, 4> groups = stage;
  int32_t count = 0;
  for (const auto& g : groups) count += static_cast<int32_t>(g.size());
  int32_t extra = c.binds - (c.stripCount > 0 ? 1 : 0) - count;
  if (extra < 0) return "more entries than binds";
  // Further binds bind an entry of a stage again, where the most primitives per group are.
  for (; extra > 0; --extra) {
    int32_t best = 0;
    float room = -1.0f;
    for (int32_t s = 0; s < 4; ++s) {
      if (stage[s].empty()) continue;
      const float r = static_cast<float>(prims[s]) / static_cast<float>(groups[s].size() + 1);
      if (r > room) {
        room = r;
        best = s;
      }
    }
    groups[best].push_back(stage[best][groups[best].size() % stage[best].size()]);
  }
  const SingleKind kind = c.arrayCount > 0 ? SingleKind::kArrays : SingleKind::kValues;
  int32_t singles = c.arrayCount + c.valueCount;
  static const ModelStage kStages[] = {ModelStage::kHull, ModelStage::kTurret, ModelStage::kGun, ModelStage::kBarrel};
  for (int32_t s = 0; s < 4; ++s) {
    const int32_t g = static_cast<int32_t>(groups[s].size());
    if (prims[s] < g || (g == 0 && prims[s] > 0)) return "a stage has fewer primitives than groups";
    const int32_t x = std::min(singles, prims[s] - g);
    singles -= x;
    const int32_t fans = prims[s] - x;
    for (int32_t i = 0; i < g; ++i) {
      ContractGroup group;
      group.stage = kStages[s];
      group.entry = groups[s][static_cast<size_t>(i)];
      group.fans = fans / g + (i < fans % g ? 1 : 0);
      if (i + 1 == g && x > 0) {
        group.singleKind = kind;
        group.singles = x;
      }
      c.groups.push_back(group);
    }
  }
  if (singles > 0) return "the singles do not fit the stages";
  return LayOutFirstHalfStrips(c);
}

std::string MakePlaceholder(const ModelContract& source, ModelRecord& record, const std::vector<ModelContract>* all,
                            const std::vector<AuthoredGroup>* authored, const std::vector<GearStrip>* given) {
  ModelContract c = source;
  record = ModelRecord{};
  if (std::string why = LayOutFirstHalf(c); !why.empty()) return why;
  // The routine whose stages (or their fan sizes) this one repeats.
  const int32_t twinRoutine = c.shares >= 0 ? c.shares : c.sizesAs;
  const ModelContract* twin = nullptr;
  std::array<std::vector<int32_t>, 3> twinSizes;
  if (twinRoutine >= 0) {
    for (size_t i = 0; all != nullptr && i < all->size(); ++i)
      if ((*all)[i].routine == twinRoutine) twin = &(*all)[i];
    if (twin == nullptr) return "routine " + std::to_string(twinRoutine) + " to share is not there";
    ModelRecord twinRecord;
    if (std::string why = MakePlaceholder(*twin, twinRecord, all); !why.empty()) return why;
    twinSizes = FanSizesByStage(twinRecord.View());
  }
  const ModelContract& shape = c.shares >= 0 ? *twin : c;

  // Fan sizes: the given ones kept, the rest padded to the routine's triangles.
  int32_t fixedTriangles = 0;
  for (const ContractStrip& s : c.strips) fixedTriangles += s.n;
  std::vector<int32_t> sizes;
  std::array<size_t, 3> taken{};
  for (const ContractGroup& g : c.groups) {
    fixedTriangles += g.singles * (g.singleKind == SingleKind::kQuads ? 2 : 1);
    const size_t stage = static_cast<size_t>(StageIndex(g.stage));
    for (int32_t i = 0; i < g.fans; ++i) {
      int32_t n = g.fanSizes.empty() ? 0 : g.fanSizes[static_cast<size_t>(i)];
      if (twin != nullptr && stage < 3) {
        if (taken[stage] >= twinSizes[stage].size()) return "more fans than the routine shared";
        n = twinSizes[stage][taken[stage]++];
      }
      sizes.push_back(n);
    }
  }
  for (size_t stage = 0; twin != nullptr && stage < 3; ++stage)
    if (taken[stage] != twinSizes[stage].size()) return "fewer fans than the routine shared";
  if (std::string why = PadFans(sizes, c.totals[1] - fixedTriangles); !why.empty()) return why;

  // The boxes of the stages.
  const std::array<float, 4> fp = c.hasFootprint ? c.footprint : std::array<float, 4>{-0.04f, -0.09f, 0.04f, 0.1f};
  const bool gun = shape.gunPivot.axes != 0;
  const std::array<float, 3> p = shape.gunPivot.p;
  // The hull sits on its running gear (bands up to 0.03 high), so the gear shows below it; a hull
  // without running gear stands on the ground.
  const float hullBottom = c.strips.empty() ? 0.0f : 0.028f;
  const float hullTop = std::max(hullBottom + 0.01f, gun ? std::min(0.045f, p[2] - 0.015f) : 0.04f);
  const Box hull{fp[0], fp[1], hullBottom, fp[2], fp[3], hullTop};
  const float tx = shape.turretPivot.axes == 2 || shape.turretPivot.axes == 3 ? shape.turretPivot.p[0] : 0.0f;
  const float ty = shape.turretPivot.p[1];
  const float hx = 0.45f * std::min(-fp[0], fp[2]);
  const float turretTop = gun ? p[2] + 0.008f : hullTop + 0.022f;
  const Box turret{tx - hx, ty - 0.035f, hullTop, tx + hx, ty + 0.035f, turretTop};
  const Box mount{p[0] - 0.005f, p[1] - 0.01f, p[2] - 0.005f, p[0] + 0.005f, p[1] + 0.012f, p[2] + 0.005f};
  // The barrel is the model's own: from its pivot to its flash point.
  const std::array<float, 3> own = c.gunPivot.p;
  const float bx = c.hasFlash ? c.flash[1] : own[0];
  // Where the routine flashes, the barrel ends on the flash point (at its height too when the
  // gun has no pivot of its own).
  const float muzzle = c.hasFlash && c.flash[2] > own[1] ? c.flash[2] : own[1] + 0.07f;
  const float bz = c.hasFlash && c.gunPivot.axes == 0 ? c.flash[3] : own[2];
  const Box barrel{bx - 0.002f, own[1], bz - 0.002f, bx + 0.002f, muzzle, bz + 0.002f};
  // The barrel's faces all keep their full length, so seen from above it reaches the muzzle.
  std::array<FacePlacer, 4> placers{FacePlacer{hull}, FacePlacer{turret}, FacePlacer{mount}, FacePlacer{barrel, 0, false}};

  ModelRecord& r = record;
  const bool box = c.form == ModelForm::kBox;
  if (!box) r.Step(ModelOp::kCullOff);
  if (c.hasFootprint) r.Step(ModelOp::kFootprint, 0, r.Constants(c.footprint.data(), 4));
  if (!c.strips.empty()) {
    r.Step(ModelOp::kBind, 0);
    RunningGearShape shape;
    shape.footprint = fp;
    shape.bothGrounded = c.bothGrounded;
    const std::vector<GearStrip> gear =
        given != nullptr && given->size() == c.strips.size() ? *given : MakeRunningGear(c.strips, shape);
    for (size_t i = 0; i < gear.size(); ++i) {
      const ContractStrip& s = c.strips[i];
      r.Primitive(ModelOp::kStrip, s.n, gear[i].xyz, gear[i].uv, s.side, s.sign);
    }
  }
  size_t fan = 0;
  size_t quad = 0;
  int32_t trackValue = 0;
  auto drawGroups = [&](ModelStage stage) {
    for (const ContractGroup& g : c.groups) {
      if (g.stage != stage) continue;
      const size_t index = static_cast<size_t>(&g - c.groups.data());
      const AuthoredGroup* own =
          authored != nullptr && index < authored->size() && (*authored)[index].present ? &(*authored)[index] : nullptr;
      FacePlacer& placer = placers[static_cast<size_t>(StageIndex(stage))];
      if (g.entry < 0) {
        r.Step(ModelOp::kColour, 0, r.Constants({0.0f, 0.0f, 0.0f}));
      } else if (!g.keep) {
        r.Step(ModelOp::kBind, g.entry);
      }
      for (int32_t i = 0; i < g.fans; ++i) {
        std::vector<float> xyz, uv;
        int32_t n = sizes[fan++];
        if (own != nullptr) {
          xyz = own->fanXyz[static_cast<size_t>(i)];
          uv = own->fanUv[static_cast<size_t>(i)];
          n = static_cast<int32_t>(xyz.size() / 3) - 2;
        } else {
          placer.Fan(n, xyz, uv);
        }
        if (g.entry < 0) r.Primitive(ModelOp::kColouredFan, n, xyz, {});
        else r.Primitive(ModelOp::kFan, n, xyz, uv);
      }
      for (int32_t i = 0; i < g.singles; ++i) {
        std::vector<float> xyz, uv;
        switch (g.singleKind) {
          case SingleKind::kArrays:
            if (own != nullptr) {
              xyz = own->singleXyz[static_cast<size_t>(i)];
              uv = own->singleUv[static_cast<size_t>(i)];
            } else {
              placer.Fan(1, xyz, uv);
            }
            r.Primitive(ModelOp::kArray, 0, xyz, uv);
            break;
          case SingleKind::kQuads:
            if (quad < c.quads.size()) r.Step(ModelOp::kQuad, 0, r.Constants(c.quads[quad++].data(), 20));
            break;
          default: {
            const bool track = g.singleKind == SingleKind::kTrackValues;
            const int32_t side = track && trackValue++ >= g.singles / 2 ? 0 : 1;
            if (own != nullptr && static_cast<size_t>(i) < own->singleXyz.size()) {
              xyz = own->singleXyz[static_cast<size_t>(i)];
              uv = own->singleUv[static_cast<size_t>(i)];
            } else if (track) {
              // On the side's outer face; v is the side's offset plus the stored value.
              const float edge = side == 0 ? fp[2] : fp[0];
              const float y = fp[1] + 0.01f + 0.01f * static_cast<float>(trackValue % 16);
              FaceFan(Box{edge, y, 0.0f, edge, y + 0.009f, 0.02f}, side == 0 ? 2 : 1, 1.0f, 1, xyz, uv);
            } else {
              placer.Fan(1, xyz, uv);
            }
            float v[15];
            for (int32_t k = 0; k < 3; ++k) {
              v[5 * k] = xyz[static_cast<size_t>(3 * k)];
              v[5 * k + 1] = xyz[static_cast<size_t>(3 * k + 1)];
              v[5 * k + 2] = xyz[static_cast<size_t>(3 * k + 2)];
              v[5 * k + 3] = uv[static_cast<size_t>(2 * k)];
              v[5 * k + 4] = uv[static_cast<size_t>(2 * k + 1)];
            }
            r.Step(track ? ModelOp::kTrackValue : ModelOp::kValue, 0, r.Constants(v, 15), side);
          }
        }
      }
    }
  };
  drawGroups(ModelStage::kHull);
  int32_t variantSteps = 0;
  if (c.HasVariant()) {
    const size_t at = r.steps.size();
    r.Step(ModelOp::kVariant);
    drawGroups(ModelStage::kVariant);
    variantSteps = static_cast<int32_t>(r.steps.size() - at - 1);
    if (variantSteps > 255) return "a variant part of more than 255 steps";
    r.steps[at].n = static_cast<uint8_t>(variantSteps);
  }
  // The articulation.
  const ContractPivot& q = c.turretPivot;
  auto translate = [&r](const ContractPivot& pv, bool back) {
    const float s = back ? -1.0f : 1.0f;
    switch (pv.axes) {
      case 3: r.Step(ModelOp::kTranslate, 0, r.Constants({s * pv.p[0], s * pv.p[1], s * pv.p[2]})); break;
      case 2: r.Step(ModelOp::kTranslateXY, 0, r.Constants({s * pv.p[0], s * pv.p[1]})); break;
      case 1: r.Step(ModelOp::kTranslateY, 0, r.Constants({s * pv.p[1]})); break;
      case 4: r.Step(ModelOp::kTranslateYZ, 0, r.Constants({s * pv.p[1], s * pv.p[2]})); break;
      default: break;
    }
  };
  auto flashAndRecoil = [&]() {
    if (c.hasFlash) r.Step(ModelOp::kFlash, 0, r.Constants(c.flash.data(), 4));
    if (c.hasRecoil) r.Step(ModelOp::kRecoil, 0, r.Constants({c.recoil}));
  };
  auto raise = [&]() {
    translate(c.gunPivot, false);
    r.Step(ModelOp::kElevate);
    translate(c.gunPivot, true);
  };
  switch (c.form) {
    case ModelForm::kHull: break;
    case ModelForm::kTurret:
      r.Step(ModelOp::kPush);
      if (q.axes != 0) {
        translate(q, false);
        r.Step(ModelOp::kTurn);
        translate(q, true);
      } else {
        r.Step(ModelOp::kTurn);
        r.Step(ModelOp::kTilt);
      }
      drawGroups(ModelStage::kTurret);
      r.Step(ModelOp::kPop);
      break;
    case ModelForm::kCommon:
      r.Step(ModelOp::kPush);
      if (q.axes != 0) {
        translate(q, false);
        r.Step(ModelOp::kTurn);
        translate(q, true);
      } else {
        r.Step(ModelOp::kTurn);
      }
      r.Step(ModelOp::kTilt);
      drawGroups(ModelStage::kTurret);
      raise();
      drawGroups(ModelStage::kGun);
      flashAndRecoil();
      drawGroups(ModelStage::kBarrel);
      r.Step(ModelOp::kPop);
      break;
    case ModelForm::kMount:
      r.Step(ModelOp::kPush);
      translate(c.gunPivot, false);
      r.Step(ModelOp::kTurn);
      r.Step(ModelOp::kElevate);
      translate(c.gunPivot, true);
      drawGroups(ModelStage::kGun);
      flashAndRecoil();
      drawGroups(ModelStage::kBarrel);
      r.Step(ModelOp::kPop);
      break;
    case ModelForm::kTurretGunYZ:
    case ModelForm::kPivotTurretGun: {
      const ContractPivot& point = c.form == ModelForm::kTurretGunYZ ? q : c.gunPivot;
      r.Step(ModelOp::kPush);
      translate(point, false);
      r.Step(ModelOp::kTurn);
      r.Step(ModelOp::kTilt);
      translate(point, true);
      drawGroups(ModelStage::kTurret);
      raise();
      drawGroups(ModelStage::kGun);
      flashAndRecoil();
      drawGroups(ModelStage::kBarrel);
      r.Step(ModelOp::kPop);
      break;
    }
    case ModelForm::kNested:
      r.Step(ModelOp::kPush);
      r.Step(ModelOp::kTurn);
      r.Step(ModelOp::kTilt);
      drawGroups(ModelStage::kTurret);
      r.Step(ModelOp::kPush);
      raise();
      drawGroups(ModelStage::kGun);
      flashAndRecoil();
      drawGroups(ModelStage::kBarrel);
      r.Step(ModelOp::kPop);
      r.Step(ModelOp::kPop);
      break;
    case ModelForm::kBox:
      r.Step(ModelOp::kPush);
      r.Step(ModelOp::kTurn);
      flashAndRecoil();
      r.Step(ModelOp::kPop);
      break;
  }
  if (!box) r.Step(ModelOp::kCullOn);
  return {};
}
