#include "framework/core/GSplayDecoder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

GSplayDecoder::GSplayDecoder(Sink sink) : sink_(std::move(sink)) {}

bool GSplayDecoder::Put(const uint8_t* bytes, size_t count) {
  if (ended_) return true;
  size_t i = 0;
  // Eight bytes at a time, as one big-endian word, then what is left byte by byte.
  for (; i + 8 <= count; i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
    if (!Decode(word, 64)) return true;
  }
  for (; i < count; ++i)
    if (!Decode(static_cast<uint64_t>(bytes[i]) << 56, 8)) return true;
  return false;
}

bool GSplayDecoder::Decode(uint64_t bits, int count) {
  // At most one symbol per bit: room for them all first, so that the output takes no test.
  if (outCount_ + static_cast<size_t>(count) > kOutputSize) FlushOutput();
  int depth = depth_;
  int j = depth == 0 ? GSplayTree::kRoot : tree_.Child(walkNodes_[depth - 1], walkSides_[depth - 1]);
  int b = 0;
  while (b < count) {
    const auto side = static_cast<unsigned>(bits >> 63);
    if (depth == 0) {
      // A byte's leaf right below the root has a one-bit code, and its splay leaves the tree
      // as it is: a run of that bit is a run of that byte (map data is mostly such runs).
      const int leaf = tree_.Child(GSplayTree::kRoot, side);
      if (leaf >= GSplayTree::kFirstLeaf && leaf != GSplayTree::kLastNode) {
        const uint64_t others = side != 0 ? ~bits : bits;  // its leading zeros are the run
        const int run = std::min(others == 0 ? 64 : std::countl_zero(others), count - b);
        const auto byte = static_cast<uint8_t>(leaf - GSplayTree::kFirstLeaf);
        if (run == 1) {
          out_[outCount_] = byte;
        } else {
          std::memset(out_ + outCount_, byte, static_cast<size_t>(run));
        }
        outCount_ += static_cast<size_t>(run);
        bits = run < 64 ? bits << run : 0;
        b += run;
        continue;
      }
    }
    bits <<= 1;
    ++b;
    walkNodes_[depth] = static_cast<uint16_t>(j);
    walkSides_[depth] = static_cast<uint8_t>(side);
    ++depth;
    j = tree_.Child(j, side);
    if (j < GSplayTree::kFirstLeaf) continue;
    const int symbol = j - GSplayTree::kFirstLeaf;
    tree_.SplayWalk(j, walkNodes_, walkSides_, depth);
    depth = 0;
    j = GSplayTree::kRoot;
    if (symbol == GSplayTree::kEndSymbol) {
      ended_ = true;
      depth_ = 0;
      FlushOutput();
      return false;
    }
    out_[outCount_++] = static_cast<uint8_t>(symbol);
  }
  depth_ = depth;
  return true;
}

bool GSplayDecoder::Finish() {
  FlushOutput();
  return ended_;
}

void GSplayDecoder::FlushOutput() {
  if (outCount_ == 0) return;
  sink_(out_, outCount_);
  outCount_ = 0;
}
