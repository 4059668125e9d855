#include "framework/core/GSplayEncoder.h"

#include <utility>

GSplayEncoder::GSplayEncoder(Sink sink) : sink_(std::move(sink)) {}

void GSplayEncoder::Put(const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) Code(bytes[i]);
}

void GSplayEncoder::Finish() {
  Code(GSplayTree::kEndSymbol);
  if (pending_ > 0) {
    // The last byte is filled with 0 bits.
    out_[outCount_++] = static_cast<uint8_t>(register_ << (8 - pending_));
    if (outCount_ == kOutputSize) FlushOutput();
    pending_ = 0;
    register_ = 0;
  }
  FlushOutput();
}

void GSplayEncoder::Code(int symbol) {
  // The path of the tree before the splay (the tree the decoder still has), collected from the
  // leaf up: bit k of word k / 32 is the bit k levels above the leaf, so the root end is the
  // most significant.
  uint32_t words[GSplayTree::kMaxDepth / 32];
  int n = 0;
  words[0] = 0;
  int x = GSplayTree::kFirstLeaf + symbol;
  while (x != GSplayTree::kRoot) {
    int p = tree_.Parent(x);
    if ((n & 31) == 0) words[n >> 5] = 0;
    words[n >> 5] |= static_cast<uint32_t>(tree_.Right(p) == x) << (n & 31);
    ++n;
    x = p;
  }
  int top = (n - 1) >> 5;
  Emit(words[top], n - 32 * top);
  for (int w = top - 1; w >= 0; --w) Emit(words[w], 32);
  tree_.Splay(GSplayTree::kFirstLeaf + symbol);
}

void GSplayEncoder::Emit(uint32_t bits, int count) {
  register_ = (register_ << count) | bits;
  pending_ += count;
  while (pending_ >= 8) {
    pending_ -= 8;
    out_[outCount_++] = static_cast<uint8_t>(register_ >> pending_);
    if (outCount_ == kOutputSize) FlushOutput();
  }
}

void GSplayEncoder::FlushOutput() {
  if (outCount_ == 0) return;
  sink_(out_, outCount_);
  outCount_ = 0;
}
