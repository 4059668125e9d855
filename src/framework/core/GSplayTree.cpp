#include "framework/core/GSplayTree.h"

void GSplayTree::Init() {
  child_[0][0] = child_[0][1] = 0;
  parent_[0] = parent_[1] = 0;
  for (int j = 1; j <= kInternalNodes; ++j) {
    child_[j][0] = static_cast<uint16_t>(2 * j);
    child_[j][1] = static_cast<uint16_t>(2 * j + 1);
  }
  for (int j = 2; j <= kLastNode; ++j) parent_[j] = static_cast<uint16_t>(j / 2);
}

void GSplayTree::Splay(int x) {
  while (x != kRoot) {
    int y = parent_[x];
    if (y == kRoot) break;
    int z = parent_[y];
    // The leaf (or subtree) x and y's sibling w change places: x takes w's slot in z, w takes
    // x's slot in y.
    unsigned ySide = child_[z][1] == y;
    int w = child_[z][ySide ^ 1u];
    child_[z][ySide ^ 1u] = static_cast<uint16_t>(x);
    unsigned xSide = child_[y][1] == x;
    child_[y][xSide] = static_cast<uint16_t>(w);
    parent_[x] = static_cast<uint16_t>(z);
    parent_[w] = static_cast<uint16_t>(y);
    x = z;
  }
}

int GSplayTree::Path(int symbol, uint8_t* bits) const {
  // Walk up from the leaf, collecting bits leaf end first, then reverse them in place.
  int n = 0;
  int x = kFirstLeaf + symbol;
  while (x != kRoot) {
    int p = parent_[x];
    bits[n++] = child_[p][1] == x ? 1 : 0;
    x = p;
  }
  for (int i = 0, j = n - 1; i < j; ++i, --j) {
    uint8_t t = bits[i];
    bits[i] = bits[j];
    bits[j] = t;
  }
  return n;
}
