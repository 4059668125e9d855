#pragma once
#include <chrono>
#include <cstdint>
#include <map>
#include <vector>

#include "platform/PNetTransport.h"

// The transport over the system's TCP/IP sockets. Sockets are non-blocking, closed on exec,
// send without Nagle's delay and never raise SIGPIPE. A listener binds the configured address
// and port (0.0.0.0 for every interface; port 0 for one the system picks). Connecting waits
// for the connection at most the connect time-out, so a refused or unreachable peer fails the
// open at once. Closing shuts the sending side down after the queued bytes and keeps reading
// and discarding what the peer still sends for a short while, so nothing queued is cut off.
class PNetSocketTransport : public PNetTransport {
 public:
  PNetSocketTransport() = default;
  ~PNetSocketTransport() override;
  PNetSocketTransport(const PNetSocketTransport&) = delete;
  PNetSocketTransport& operator=(const PNetSocketTransport&) = delete;

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

  void SetConnectTimeout(uint32_t milliseconds) { connectTimeoutMs_ = milliseconds; }

 private:
  using Clock = std::chrono::steady_clock;
  struct Endpoint {
    int fd = -1;
    bool listener = false;
    Callback callback = nullptr;
    void* context = nullptr;
    bool dead = false;          // the stream ended or failed
    bool sendFailed = false;    // sending failed; what arrived before is still to be read
    bool tookData = false;      // Receive gave bytes since the last data callback began
    bool diedReported = false;  // code 7 was given
  };
  // The connection request being offered through a code-1 callback.
  struct Offer {
    uint32_t listener = 0;
    uint32_t cookie = 0;
    int fd = -1;
    uint32_t accepted = 0;  // the new endpoint once accepted
  };
  struct Lingering {
    int fd;
    Clock::time_point deadline;
  };

  Endpoint* Find(uint32_t endpoint);
  void IdleListener(uint32_t endpoint);
  void ServiceLingering();

  std::map<uint32_t, Endpoint> endpoints_;
  std::vector<Lingering> lingering_;
  Offer offer_;
  uint32_t nextId_ = 1;
  uint32_t connectTimeoutMs_ = 5000;
};
