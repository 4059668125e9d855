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
    Swap(x, child_[y][1] == x, y, z, child_[z][1] == y);
    x = z;
  }
}

int GSplayTree::CodeAndSplay(int symbol, uint32_t words[kMaxDepth / 32]) {
  // Each step reads the sides of x and of its parent y before they change, which are the
  // bits of the code in the tree as it was: the steps change only nodes below z.
  int n = 0;
  uint64_t pending = 0;  // the bits not yet in words, the next at bit (n & 31)
  int x = kFirstLeaf + symbol;
  while (x != kRoot) {
    const int y = parent_[x];
    const unsigned xSide = child_[y][1] == x;
    if (y == kRoot) {
      pending |= static_cast<uint64_t>(xSide) << (n & 31);
      ++n;
      break;
    }
    const int z = parent_[y];
    const unsigned ySide = child_[z][1] == y;
    pending |= static_cast<uint64_t>(xSide | ySide << 1) << (n & 31);
    n += 2;
    if ((n & 31) < 2) {  // a word is full
      words[(n - 2) >> 5] = static_cast<uint32_t>(pending);
      pending >>= 32;
    }
    Swap(x, xSide, y, z, ySide);
    x = z;
  }
  if ((n & 31) != 0) words[n >> 5] = static_cast<uint32_t>(pending);
  return n;
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
