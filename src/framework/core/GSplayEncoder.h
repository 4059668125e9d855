#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

#include "framework/core/GSplayTree.h"

// Encodes a stream of bytes with the adaptive code of GSplayTree: the code of every byte, then
// the code of the end symbol, bits packed most significant first, the last byte filled with 0
// bits. Bytes are handed in with Put in pieces of any size; Finish ends the stream. The coded
// bytes go to the sink in pieces of up to 1024 bytes.
class GSplayEncoder {
 public:
  using Sink = std::function<void(const uint8_t* bytes, size_t count)>;
  static constexpr size_t kOutputSize = 1024;

  explicit GSplayEncoder(Sink sink);
  void Put(const uint8_t* bytes, size_t count);
  // Codes the end symbol, fills the last byte and hands out everything pending.
  void Finish();

 private:
  void Code(int symbol);
  // Appends count (<= 32) bits, the most significant first.
  void Emit(uint32_t bits, int count);
  void FlushOutput();

  // The longest code in bytes, and room for the last 8-byte store of the bit buffer.
  static constexpr size_t kCodeBytes = GSplayTree::kMaxDepth / 8;
  static constexpr size_t kSlack = 8;

  Sink sink_;
  GSplayTree tree_;
  uint64_t buffer_ = 0;  // the pending bits, from the top down
  int pending_ = 0;      // their count (0..7 between symbols)
  size_t outCount_ = 0;
  uint8_t out_[kOutputSize + kSlack];
};
