#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

#include "framework/core/GSplayTree.h"

// Decodes what GSplayEncoder wrote. Coded bytes are handed in with Put in pieces of any size
// until it reports the end symbol; bits after the end symbol are ignored. The decoded bytes go
// to the sink in pieces of up to 16384 bytes. Every symbol takes at least one bit, so the
// output is never more than eight times the input.
class GSplayDecoder {
 public:
  using Sink = std::function<void(const uint8_t* bytes, size_t count)>;
  static constexpr size_t kOutputSize = 16384;

  explicit GSplayDecoder(Sink sink);
  // Decodes the bytes; true once the end symbol has been decoded (further input is ignored).
  bool Put(const uint8_t* bytes, size_t count);
  // Hands out the pending output. True when the stream was complete; false when it ran out
  // before its end symbol (a damaged stream).
  bool Finish();
  bool Ended() const { return ended_; }

 private:
  // Decodes count (<= 64) bits, the top ones of bits; false once the end symbol is decoded.
  bool Decode(uint64_t bits, int count);
  void FlushOutput();

  Sink sink_;
  GSplayTree tree_;
  // The walk of the current symbol: the nodes passed from the root and the sides taken.
  int depth_ = 0;
  uint16_t walkNodes_[GSplayTree::kMaxDepth];
  uint8_t walkSides_[GSplayTree::kMaxDepth];
  bool ended_ = false;
  size_t outCount_ = 0;
  uint8_t out_[kOutputSize];
};
