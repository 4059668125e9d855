// The tree pass of the battlefield frame: billboards turned to the eye from low down, flat
// crowns from high up; "Tree Display" chooses how many of the three groups show. The trees
// are sorted once by kind and group, in list order, so each is visited once per frame.
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraphic.h"
#include "game/map/Map.h"
#include "game/map/MapTree.h"

namespace {

constexpr float kThinningDistance2 = 500000.0f;

const MapTree& TreeOf(const Map::TreeRef& ref) { return *static_cast<const MapTree*>(ref.tree); }

}  // namespace

// The tree textures are the load pass's ground textures, a near and a far one per kind.
static_assert(Map::kTreeTextures == 26);

int32_t Map::OverGroundSlot(int32_t index) {
  if (index < 0 || index >= kOverGroundTextures) FatalError(__LINE__, "Map");
  if (index < kTreeTextures) return Slot::kGround + index;
  if (index < kLineTexture) return Slot::kKindGroupDetailed + (index - kFlagTextureBase);
  return Slot::kTexture2020;
}

void Map::SetOverGroundTexture(int32_t index, GObject* graphic) {
  GObject*& slot = display.textureSlots[static_cast<size_t>(OverGroundSlot(index))];
  if (slot != graphic) SafeDelete(slot);
  slot = graphic;
}

bool Map::BindOverGroundTexture(int32_t index) const {
  const int32_t slot = OverGroundSlot(index);
  if (gGraph3D == nullptr) return false;
  auto* graphic = dynamic_cast<GGraphic*>(display.textureSlots[static_cast<size_t>(slot)]);
  if (graphic == nullptr || graphic->GetStub() == nullptr) return false;
  gGraph3D->SetTexture(graphic);
  return true;
}

void Map::BucketTrees() {
  bool current = true;
  for (int32_t g = 0; g < 3; ++g) {
    const GObjectGroup& group = objects.trees[g];
    const GObject* first = group.Count() > 0 ? group.GetItem(0) : nullptr;
    if (overGround.bucketedCounts[g] != group.Count() || overGround.bucketedFirst[g] != first) current = false;
  }
  if (current) return;
  for (auto& kind : overGround.treeBuckets) {
    for (auto& bucket : kind) bucket.clear();
  }
  for (int32_t g = 0; g < 3; ++g) {
    const GObjectGroup& group = objects.trees[g];
    for (int32_t n = 0; n < group.Count(); ++n) {
      const auto* tree = static_cast<const MapTree*>(group.GetItem(n));
      // A kind outside the table has no texture and never showed.
      if (tree->variant >= kTreeKinds) continue;
      TreeRef ref;
      ref.tree = tree;
      ref.index = n;
      ref.blockX = TruncateToInt32(tree->x * 0.0125f);
      ref.blockY = TruncateToInt32(tree->y * 0.0125f);
      overGround.treeBuckets[tree->variant][g].push_back(ref);
    }
    overGround.bucketedCounts[g] = group.Count();
    overGround.bucketedFirst[g] = group.Count() > 0 ? group.GetItem(0) : nullptr;
  }
}

void Map::DrawTrees() {
  GGraph3D* g = gGraph3D;
  overGround.treesVisited = 0;
  overGround.treeBlockTests = 0;
  const int32_t treeDisplay = FrameOption(2);
  if (g == nullptr || treeDisplay <= 0 || g->IsPickMode()) return;
  BucketTrees();
  const int32_t level = GetViewLevel();
  const bool near = level < 3 || (level == 3 && (frame.levelBlend == 0.0f || frame.previousLevel == 2));
  const bool culling = g->IsBackfaceCulling();
  g->SetBackfaceCulling(false);
  const int32_t groups = treeDisplay >= 3 ? 3 : treeDisplay;
  for (int32_t k = kTreeKinds - 1; k >= 0; --k) {
    // A kind without its texture would show whatever was bound last: it is left out.
    if (!BindOverGroundTexture(2 * k + (near ? 0 : 1))) continue;
    for (int32_t group = 0; group < groups; ++group) {
      for (const TreeRef& ref : overGround.treeBuckets[k][group]) {
        ++overGround.treesVisited;
        ++overGround.treeBlockTests;
        if (GetBlockViewState(ref.blockX, ref.blockY) == 0) continue;
        if (near) {
          DrawTreeBillboard(ref, treeDisplay);
        } else {
          DrawTreeCrown(ref);
        }
      }
    }
  }
  g->SetBackfaceCulling(culling);
}

void Map::DrawTreeBillboard(const TreeRef& ref, int32_t treeDisplay) const {
  GGraph3D* g = gGraph3D;
  const MapTree& tree = TreeOf(ref);
  const float dx = frame.eyeX - tree.x;
  const float dy = frame.eyeY - tree.y;
  bool wide = false;
  if (treeDisplay < 3 && dx * dx + dy * dy > kThinningDistance2) {
    // Distant woods show every other tree, twice as wide.
    if ((ref.index & 1) != 0) return;
    wide = true;
  }
  const float heading = std::atan2(dy, dx) * GMath::kDegreesPerRadian;
  g->PushMatrix();
  g->Translate(tree.x, tree.y, tree.baseHeight);
  g->RotateZ(heading - 90.0f);
  g->Scale(wide ? tree.height * 2.0f : tree.height, tree.height, tree.pine != 0 ? tree.height * 2.0f : tree.height);
  const float u1 = tree.mirrored ? -1.0f : 1.0f;
  g->DrawTexturedQuad(-0.5f, 0.0f, 0.0f, 0.0f, 0.0f, -0.5f, 0.0f, 1.0f, 0.0f, 0.995f, 0.5f, 0.0f, 1.0f, u1, 0.995f, 0.5f,
                      0.0f, 0.0f, u1, 0.0f);
  g->PopMatrix();
}

void Map::DrawTreeCrown(const TreeRef& ref) const {
  GGraph3D* g = gGraph3D;
  const MapTree& tree = TreeOf(ref);
  g->PushMatrix();
  g->Translate(tree.x, tree.y, tree.baseHeight + 1.5f);
  g->RotateZ(tree.turn);
  g->Scale(tree.height, tree.height, tree.height);
  g->DrawTexturedQuad(-0.5f, -0.5f, 0.0f, 0.0f, 0.0f, -0.5f, 0.5f, 0.0f, 0.0f, 1.0f, 0.5f, 0.5f, 0.0f, 1.0f, 1.0f, 0.5f,
                      -0.5f, 0.0f, 1.0f, 0.0f);
  g->PopMatrix();
}
