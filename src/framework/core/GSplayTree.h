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

  // The path bits of a symbol's leaf in the current tree, root end first (1 = right child);
  // returns their count.
  int Path(int symbol, uint8_t* bits) const;

  int Left(int node) const { return child_[node][0]; }
  int Right(int node) const { return child_[node][1]; }
  // The left (bit 0) or right (bit 1) child of an internal node.
  int Child(int node, unsigned bit) const { return child_[node][bit]; }
  int Parent(int node) const { return parent_[node]; }

 private:
  // child_[j][0] is the left and child_[j][1] the right child of internal node j, so that a
  // step down the tree takes no branch on the bit.
  uint16_t child_[kInternalNodes + 1][2];
  uint16_t parent_[kLastNode + 1];
};
