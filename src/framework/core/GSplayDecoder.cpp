#include "framework/core/GSplayDecoder.h"

#include <utility>

GSplayDecoder::GSplayDecoder(Sink sink) : sink_(std::move(sink)) {}

bool GSplayDecoder::Put(const uint8_t* bytes, size_t count) {
  if (ended_) return true;
  int j = node_;
  for (size_t i = 0; i < count; ++i) {
    unsigned byte = bytes[i];
    for (int b = 7; b >= 0; --b) {
      j = tree_.Child(j, (byte >> b) & 1u);
      if (j < GSplayTree::kFirstLeaf) continue;
      int symbol = j - GSplayTree::kFirstLeaf;
      tree_.Splay(j);
      j = GSplayTree::kRoot;
      if (symbol == GSplayTree::kEndSymbol) {
        ended_ = true;
        node_ = j;
        FlushOutput();
        return true;
      }
      out_[outCount_++] = static_cast<uint8_t>(symbol);
      if (outCount_ == kOutputSize) FlushOutput();
    }
  }
  node_ = j;
  return false;
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
