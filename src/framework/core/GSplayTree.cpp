#include "framework/core/GSplayTree.h"

void GSplayTree::Init() {
  left_[0] = right_[0] = 0;
  parent_[0] = parent_[1] = 0;
  for (int j = 1; j <= kInternalNodes; ++j) {
    left_[j] = static_cast<uint16_t>(2 * j);
    right_[j] = static_cast<uint16_t>(2 * j + 1);
  }
  for (int j = 2; j <= kLastNode; ++j) parent_[j] = static_cast<uint16_t>(j / 2);
}

void GSplayTree::Splay(int x) {
  while (x != kRoot) {
    int y = parent_[x];
    if (y == kRoot) break;
    int z = parent_[y];
    int w = left_[z];
    if (w == y) {
      w = right_[z];
      right_[z] = static_cast<uint16_t>(x);
    } else {
      left_[z] = static_cast<uint16_t>(x);
    }
    if (left_[y] == x)
      left_[y] = static_cast<uint16_t>(w);
    else
      right_[y] = static_cast<uint16_t>(w);
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
    bits[n++] = right_[p] == x ? 1 : 0;
    x = p;
  }
  for (int i = 0, j = n - 1; i < j; ++i, --j) {
    uint8_t t = bits[i];
    bits[i] = bits[j];
    bits[j] = t;
  }
  return n;
}
