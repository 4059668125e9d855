#include "framework/core/GSplayEncoder.h"

#include <utility>

GSplayEncoder::GSplayEncoder(Sink sink) : sink_(std::move(sink)) {}

void GSplayEncoder::Put(const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) Code(bytes[i]);
}

void GSplayEncoder::Finish() {
  Code(GSplayTree::kEndSymbol);
  if (freePlaces_ < 8) {
    out_[outCount_++] = static_cast<uint8_t>(register_ << freePlaces_);
    if (outCount_ == kOutputSize) FlushOutput();
    freePlaces_ = 8;
    register_ = 0;
  }
  FlushOutput();
}

void GSplayEncoder::Code(int symbol) {
  // The path is taken before the splay: the bits of the tree the decoder still has.
  uint8_t bits[GSplayTree::kMaxDepth];
  int n = tree_.Path(symbol, bits);
  for (int i = 0; i < n; ++i) {
    register_ = (register_ << 1) | bits[i];
    if (--freePlaces_ == 0) {
      out_[outCount_++] = static_cast<uint8_t>(register_);
      register_ = 0;
      freePlaces_ = 8;
      if (outCount_ == kOutputSize) FlushOutput();
    }
  }
  tree_.Splay(GSplayTree::kFirstLeaf + symbol);
}

void GSplayEncoder::FlushOutput() {
  if (outCount_ == 0) return;
  sink_(out_, outCount_);
  outCount_ = 0;
}
