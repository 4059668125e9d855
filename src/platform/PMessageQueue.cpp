#include "platform/PMessageQueue.h"

bool PMessageQueue::Take(PMessage& out) {
  if (messages_.empty()) return false;
  out = messages_.front();
  messages_.pop_front();
  lastKeys_ = out.keys;
  return true;
}

bool PMessageQueue::TakeKeyUp(PMessage& out) {
  for (auto it = messages_.begin(); it != messages_.end(); ++it) {
    if (it->type == PMessageType::kKeyUp || it->type == PMessageType::kSysKeyUp) {
      out = *it;
      messages_.erase(it);
      lastKeys_ = out.keys;
      return true;
    }
  }
  return false;
}

bool PMessageQueue::LookAhead(PMessageType type, PMessage& out) const {
  for (const PMessage& m : messages_) {
    if (m.type == type) {
      out = m;
      return true;
    }
  }
  return false;
}
