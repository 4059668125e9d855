#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/PNetTransport.h"

// A transport inside the process, for tests: a connecting endpoint is linked to the listener
// open on the configured port (the address is not looked at), and bytes sent at one end wait
// at the other until it receives them. Nothing happens by itself: every callback comes from
// Idle, AcceptConnection's completion or CloseEndpoint, so a test decides exactly when the
// peer's bytes, a short receive, a full buffer or the peer's going away is seen.
//
// Connection requests collect at the listener; Idle offers each through code 1 and, after
// the last code-1 callback of the pass has returned, completes the accepted ones with code 5.
// A rejected or unanswered request ends the connecting side (code 7 there).
class PNetMemoryTransport : public PNetTransport {
 public:
  PNetMemoryTransport() = default;
  PNetMemoryTransport(const PNetMemoryTransport&) = delete;
  PNetMemoryTransport& operator=(const PNetMemoryTransport&) = delete;

  uint32_t OpenEndpoint(const char* config, bool active, Callback callback,
                        void* context) override;
  bool AcceptConnection(uint32_t listener, uint32_t cookie, Callback callback,
                        void* context) override;
  void RejectConnection(uint32_t listener, uint32_t cookie) override;
  int32_t Send(uint32_t endpoint, const void* data, uint32_t size) override;
  int32_t Receive(uint32_t endpoint, void* buffer, uint32_t* size) override;
  void Idle(uint32_t endpoint) override;
  void CloseEndpoint(uint32_t endpoint, bool orderly) override;
  uint16_t LocalPort(uint32_t endpoint) override;
  // The link's deadline clock stands still until the test moves it.
  uint64_t Milliseconds() override { return milliseconds_; }
  void AdvanceClock(uint64_t ms) { milliseconds_ += ms; }

  // Most bytes one Send (or Receive) call at this endpoint takes; 0 for no limit.
  void SetSendLimit(uint32_t endpoint, uint32_t bytesPerCall);
  void SetReceiveLimit(uint32_t endpoint, uint32_t bytesPerCall);
  // Most bytes that may wait unread at this endpoint; a sender to it takes only what fits.
  // 0 for no limit.
  void SetCapacity(uint32_t endpoint, uint32_t bytes);
  // The endpoint's peer goes away as if its program ended: what it sent can still be received,
  // then the endpoint dies (code 7).
  void InjectPeerClose(uint32_t endpoint);
  // Bytes waiting unread at the endpoint.
  size_t Pending(uint32_t endpoint) const;
  bool IsOpen(uint32_t endpoint) const { return endpoints_.count(endpoint) != 0; }
  size_t OpenCount() const { return endpoints_.size(); }
  // The configuration text of the last OpenEndpoint call.
  const std::string& LastConfig() const { return lastConfig_; }

 private:
  struct Endpoint {
    bool listener = false;
    bool accepted = true;  // false while a connection request waits at its listener
    uint16_t port = 0;
    Callback callback = nullptr;
    void* context = nullptr;
    uint32_t peer = 0;
    bool peerGone = false;
    bool diedReported = false;
    std::string inbox;  // bytes waiting, from inboxStart on
    size_t inboxStart = 0;
    uint32_t sendLimit = 0;
    uint32_t receiveLimit = 0;
    uint32_t capacity = 0;
    std::vector<uint32_t> requests;  // a listener's waiting requests (the server sides)
  };

  Endpoint* Find(uint32_t endpoint);
  const Endpoint* Find(uint32_t endpoint) const;
  // Removes the endpoint and tells its peer; returns what was removed.
  std::unique_ptr<Endpoint> Remove(uint32_t endpoint);

  std::map<uint32_t, std::unique_ptr<Endpoint>> endpoints_;
  uint32_t nextId_ = 1;
  std::string lastConfig_;
  uint64_t milliseconds_ = 0;
  // Decisions on the requests offered in the current Idle pass.
  uint32_t offering_ = 0;  // listener whose requests are being offered
  std::vector<uint32_t> acceptedInPass_;
};
