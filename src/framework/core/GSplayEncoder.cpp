#include "framework/core/GSplayEncoder.h"

#include <bit>
#include <cstring>
#include <utility>

GSplayEncoder::GSplayEncoder(Sink sink) : sink_(std::move(sink)) {}

void GSplayEncoder::Put(const uint8_t* bytes, size_t count) {
  size_t i = 0;
  while (i < count) {
    const int leaf = GSplayTree::kFirstLeaf + bytes[i];
    if (tree_.Parent(leaf) != GSplayTree::kRoot) {
      Code(bytes[i++]);
      continue;
    }
    // A leaf right below the root codes in one bit and its splay changes nothing: a run of
    // its byte is a run of that bit, up to 32 at a time.
    const uint8_t byte = bytes[i];
    size_t run = 1;
    while (run < 32 && i + run < count && bytes[i + run] == byte) ++run;
    if (outCount_ + kCodeBytes + 1 > kOutputSize) FlushOutput();
    const uint32_t ones = run == 32 ? 0xFFFFFFFFu : (1u << run) - 1u;
    Emit(tree_.Right(GSplayTree::kRoot) == leaf ? ones : 0u, static_cast<int>(run));
    i += run;
  }
}

void GSplayEncoder::Finish() {
  Code(GSplayTree::kEndSymbol);
  if (pending_ > 0) {
    // The last byte is filled with 0 bits.
    out_[outCount_++] = static_cast<uint8_t>(buffer_ >> 56);
    pending_ = 0;
    buffer_ = 0;
  }
  FlushOutput();
}

void GSplayEncoder::Code(int symbol) {
  // Room for the whole code first, so that the bytes go out without a test each.
  if (outCount_ + kCodeBytes + 1 > kOutputSize) FlushOutput();
  // The code of the tree before the splay (the tree the decoder still has), the root end in
  // the most significant bits of the top word.
  uint32_t words[GSplayTree::kMaxDepth / 32];
  const int n = tree_.CodeAndSplay(symbol, words);
  const int top = (n - 1) >> 5;
  Emit(words[top], n - 32 * top);
  for (int w = top - 1; w >= 0; --w) Emit(words[w], 32);
}

void GSplayEncoder::Emit(uint32_t bits, int count) {
  // At most 7 + 32 bits are pending: all whole bytes go out with one 8-byte store.
  buffer_ |= static_cast<uint64_t>(bits) << (64 - pending_ - count);
  pending_ += count;
  const uint64_t bigEndian = std::endian::native == std::endian::big ? buffer_ : __builtin_bswap64(buffer_);
  std::memcpy(out_ + outCount_, &bigEndian, 8);
  const int whole = pending_ >> 3;
  outCount_ += static_cast<size_t>(whole);
  buffer_ <<= 8 * whole;
  pending_ &= 7;
}

void GSplayEncoder::FlushOutput() {
  if (outCount_ == 0) return;
  sink_(out_, outCount_);
  outCount_ = 0;
}
