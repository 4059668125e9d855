#include "app/TcpTransfer.h"

#include <algorithm>
#include <cstring>
#include <utility>

void TcpTransfer::SetOutgoing(std::string bytes) {
  outgoing_ = std::move(bytes);
  hasOutgoing_ = true;
  endQueued_ = false;
  bytesLeft_ = static_cast<uint32_t>(outgoing_.size());
  pending_ = 0;
}

TcpTransfer::Step TcpTransfer::Send(uint8_t dataType, uint8_t endType, const Queue& queue) {
  if (!hasOutgoing_ || endQueued_) return Step::kIdle;
  while (bytesLeft_ > 0) {
    if (pending_ == 0) {
      pending_ = std::min(bytesLeft_, kChunk);
      const size_t at = outgoing_.size() - bytesLeft_;
      std::memcpy(buffer_ + 1, outgoing_.data() + at, pending_);
      ++reads_;
    }
    buffer_[0] = dataType;
    if (queue(buffer_, pending_ + 1) != 0) return Step::kStalled;
    bytesLeft_ -= pending_;
    pending_ = 0;
  }
  if (queue(&endType, 1) != 0) return Step::kStalled;
  endQueued_ = true;
  return Step::kEndQueued;
}

void TcpTransfer::DropOutgoing() {
  outgoing_.clear();
  outgoing_.shrink_to_fit();
  hasOutgoing_ = false;
  endQueued_ = false;
  bytesLeft_ = 0;
  pending_ = 0;
}

std::string TcpTransfer::TakeOutgoing() {
  std::string bytes = std::move(outgoing_);
  DropOutgoing();
  return bytes;
}

bool TcpTransfer::Append(const uint8_t* data, uint32_t length) {
  hasIncoming_ = true;
  if (length > kMaxIncoming - incoming_.size()) return false;
  incoming_.append(reinterpret_cast<const char*>(data), length);
  return true;
}

std::string TcpTransfer::TakeIncoming() {
  std::string bytes = std::move(incoming_);
  DropIncoming();
  return bytes;
}

void TcpTransfer::DropIncoming() {
  incoming_.clear();
  incoming_.shrink_to_fit();
  hasIncoming_ = false;
}
