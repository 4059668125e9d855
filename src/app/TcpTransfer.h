#pragma once
#include <cstdint>
#include <functional>
#include <string>

// The files of a TCP/IP game on the link: the outgoing file cut into data messages of at most
// 8,191 bytes behind a type byte and closed by a one-byte end message, each queued without
// waiting; and the incoming file put together from the peer's data messages.
//
// A chunk read from the outgoing file stays in the send buffer until the link takes it, so a
// full send queue only slows the transfer and the file is read once.
class TcpTransfer {
 public:
  static constexpr uint32_t kChunk = 8191;
  // The largest file accepted from the peer.
  static constexpr uint32_t kMaxIncoming = 64u << 20;
  // Queues one message without waiting: 0 when taken.
  using Queue = std::function<int32_t(const uint8_t* data, uint32_t length)>;
  enum class Step { kIdle, kStalled, kEndQueued };

  // ---- Outgoing ----
  void SetOutgoing(std::string bytes);
  bool HasOutgoing() const { return hasOutgoing_; }
  uint32_t BytesLeft() const { return bytesLeft_; }
  uint32_t Size() const { return static_cast<uint32_t>(outgoing_.size()); }
  // Queues what the link takes: chunks, then the end message. kEndQueued in the pass that
  // queued the end (the file stays until DropOutgoing or TakeOutgoing); kStalled when the
  // link refused a message; kIdle with nothing to send.
  Step Send(uint8_t dataType, uint8_t endType, const Queue& queue);
  void DropOutgoing();
  std::string TakeOutgoing();
  // Chunks read from the outgoing file so far.
  uint32_t Reads() const { return reads_; }

  // ---- Incoming ----
  // Adds the bytes to the incoming file (made when there is none); false when the file
  // would pass kMaxIncoming.
  bool Append(const uint8_t* data, uint32_t length);
  bool HasIncoming() const { return hasIncoming_; }
  std::string TakeIncoming();
  void DropIncoming();

 private:
  std::string outgoing_;
  bool hasOutgoing_ = false;
  bool endQueued_ = false;
  uint32_t bytesLeft_ = 0;
  uint32_t pending_ = 0;  // data bytes of a chunk in the buffer, not yet queued
  uint32_t reads_ = 0;
  uint8_t buffer_[1 + kChunk] = {};
  std::string incoming_;
  bool hasIncoming_ = false;
};
