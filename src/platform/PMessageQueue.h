#pragma once
#include <deque>

#include "platform/PMessage.h"

// The window's message queue, in arrival order. Taking a message (Take, TakeKeyUp) makes its
// key state the one the "as of the last message" query reads.
class PMessageQueue {
 public:
  void Post(const PMessage& message) { messages_.push_back(message); }
  bool Empty() const { return messages_.empty(); }
  size_t Size() const { return messages_.size(); }

  // Removes and gives the oldest message; false when there is none.
  bool Take(PMessage& out);
  // Removes and gives the oldest key-up (plain or with Alt); other messages stay queued.
  bool TakeKeyUp(PMessage& out);
  // Gives the oldest message of the type without removing it.
  bool LookAhead(PMessageType type, PMessage& out) const;

  // Key state as of the last message taken.
  const PKeyState& KeysOfLastMessage() const { return lastKeys_; }
  void Clear() { messages_.clear(); }

 private:
  std::deque<PMessage> messages_;
  PKeyState lastKeys_;
};
