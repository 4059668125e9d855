#pragma once
#include <cstdint>

// The code tree of the whole-file compression: a two-way tree of 513 nodes numbered from 1,
// semi-splayed after every coded symbol so that frequent symbols get short codes. Encoder and
// decoder start from the same shape and change it the same way, so no table is ever stored.
// Nodes 1..256 are internal (1 is the root); nodes 257..513 are the leaves: byte value c is
// leaf 257 + c and the end code (symbol 256) is leaf 513. Every rule here is part of the
// stored format.
class GSplayTree {
 public:
  static constexpr int kRoot = 1;
  static constexpr int kInternalNodes = 256;
  static constexpr int kFirstLeaf = 257;
  static constexpr int kEndSymbol = 256;
  static constexpr int kLastNode = kFirstLeaf + kEndSymbol;  // 513
  static constexpr int kMaxDepth = 256;

  GSplayTree() { Init(); }
  // The starting shape: node J has children 2J and 2J + 1, so bytes 0..254 have 8-bit codes
  // and byte 255 and the end code 9-bit codes.
  void Init();

  // Moves leaf x up: the leaf and its parent's sibling change places, and the walk goes on
  // from the grandparent until the root's children are reached.
  void Splay(int x);

  // The code of a symbol in the current tree, then the splay of its leaf, in one walk up.
  // Bit k of words[k / 32] is the bit k levels above the leaf (1 = right child), so the
  // root end is the most significant; returns the number of bits.
  int CodeAndSplay(int symbol, uint32_t words[kMaxDepth / 32]);

  // The splay of the leaf reached by walking down from the root: nodes[k] is the node at
  // depth k (nodes[0] the root) and sides[k] the side taken from it; depth is the leaf's.
  // The same change as Splay(leaf), without looking up any parent.
  void SplayWalk(int leaf, const uint16_t* nodes, const uint8_t* sides, int depth) {
    // x stands at depth k + 1: its parent is nodes[k], its grandparent nodes[k - 1]. The steps
    // change nothing above the grandparent, so the walk down still holds for the next step.
    int x = leaf;
    for (int k = depth - 1; k >= 1; k -= 2) {
      const int z = nodes[k - 1];
      Swap(x, sides[k], nodes[k], z, sides[k - 1]);
      x = z;
    }
  }

  // The path bits of a symbol's leaf in the current tree, root end first (1 = right child);
  // returns their count.
  int Path(int symbol, uint8_t* bits) const;

  int Left(int node) const { return child_[node][0]; }
  int Right(int node) const { return child_[node][1]; }
  // The left (bit 0) or right (bit 1) child of an internal node.
  int Child(int node, unsigned bit) const { return child_[node][bit]; }
  int Parent(int node) const { return parent_[node]; }

 private:
  // The change of one splay step: x (a child of y, on side xSide) and y's sibling (on side
  // ySide ^ 1 of z) change places.
  void Swap(int x, unsigned xSide, int y, int z, unsigned ySide) {
    const int w = child_[z][ySide ^ 1u];
    child_[z][ySide ^ 1u] = static_cast<uint16_t>(x);
    child_[y][xSide] = static_cast<uint16_t>(w);
    parent_[x] = static_cast<uint16_t>(z);
    parent_[w] = static_cast<uint16_t>(y);
  }

  // child_[j][0] is the left and child_[j][1] the right child of internal node j, so that a
  // step down the tree takes no branch on the bit.
  uint16_t child_[kInternalNodes + 1][2];
  uint16_t parent_[kLastNode + 1];
};
