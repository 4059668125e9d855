#include "platform/PNetSocketTransport.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace {

// How long a closed connection keeps reading what the peer still sends.
constexpr auto kLingerTime = std::chrono::seconds(2);
// More closed connections than this waiting at once: the oldest is closed outright.
constexpr size_t kMaxLingering = 8;
// Connection requests taken from a listener in one idle pass.
constexpr int kAcceptsPerIdle = 4;

void SetNoDelay(int fd) {
  int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

sockaddr_in MakeSocketAddress(uint32_t address, uint16_t port) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(port);
  // The lowest byte of the value is the first number of the dotted form, which goes first
  // on the wire.
  uint32_t host = ((address & 0xFFu) << 24) | ((address & 0xFF00u) << 8) |
                  ((address >> 8) & 0xFF00u) | (address >> 24);
  sa.sin_addr.s_addr = htonl(host);
  return sa;
}

// Waits for a non-blocking connect to finish; true when it succeeded.
bool FinishConnect(int fd, uint32_t timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now()).count();
    if (left < 0) return false;
    pollfd p{fd, POLLOUT, 0};
    int r = ::poll(&p, 1, static_cast<int>(left));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return false;
    return error == 0;
  }
}

}  // namespace

PNetSocketTransport::~PNetSocketTransport() {
  for (auto& [id, e] : endpoints_) ::close(e.fd);
  for (const Lingering& l : lingering_) ::close(l.fd);
  if (offer_.fd >= 0) ::close(offer_.fd);
}

PNetSocketTransport::Endpoint* PNetSocketTransport::Find(uint32_t endpoint) {
  auto it = endpoints_.find(endpoint);
  return it == endpoints_.end() ? nullptr : &it->second;
}

uint32_t PNetSocketTransport::OpenEndpoint(const char* config, bool active, Callback callback,
                                           void* context) {
  ServiceLingering();
  uint32_t address = 0;
  uint16_t port = 0;
  if (callback == nullptr || !ParseConfig(config, &address, &port)) return 0;
  if (active && (address == 0 || port == 0)) return 0;
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  sockaddr_in sa = MakeSocketAddress(address, port);
  bool ok;
  if (active) {
    SetNoDelay(fd);
    int r = ::connect(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    ok = r == 0 || ((errno == EINPROGRESS || errno == EINTR) && FinishConnect(fd, connectTimeoutMs_));
  } else {
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    ok = ::bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0 && ::listen(fd, 4) == 0;
  }
  if (!ok) {
    ::close(fd);
    return 0;
  }
  uint32_t id = nextId_++;
  Endpoint& e = endpoints_[id];
  e.fd = fd;
  e.listener = !active;
  e.callback = callback;
  e.context = context;
  return id;
}

bool PNetSocketTransport::AcceptConnection(uint32_t listener, uint32_t cookie, Callback callback,
                                           void* context) {
  if (callback == nullptr || offer_.fd < 0 || offer_.listener != listener || offer_.cookie != cookie)
    return false;
  uint32_t id = nextId_++;
  Endpoint& e = endpoints_[id];
  e.fd = offer_.fd;
  e.callback = callback;
  e.context = context;
  offer_.fd = -1;
  offer_.accepted = id;
  return true;
}

void PNetSocketTransport::RejectConnection(uint32_t listener, uint32_t cookie) {
  if (offer_.fd < 0 || offer_.listener != listener || offer_.cookie != cookie) return;
  ::close(offer_.fd);
  offer_.fd = -1;
}

int32_t PNetSocketTransport::Send(uint32_t endpoint, const void* data, uint32_t size) {
  Endpoint* e = Find(endpoint);
  if (e == nullptr || e->listener || e->dead || e->sendFailed) return kFailed;
  if (size == 0) return 0;
  size_t count = size > INT_MAX ? static_cast<size_t>(INT_MAX) : size;
  for (;;) {
    ssize_t n = ::send(e->fd, data, count, MSG_NOSIGNAL);
    if (n >= 0) return static_cast<int32_t>(n);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS) return 0;
    e->sendFailed = true;  // dead once what already arrived has been read (see Idle)
    return kFailed;
  }
}

int32_t PNetSocketTransport::Receive(uint32_t endpoint, void* buffer, uint32_t* size) {
  uint32_t room = *size;
  *size = 0;
  Endpoint* e = Find(endpoint);
  if (e == nullptr || e->listener) return kFailed;
  if (room == 0) return kWouldBlock;
  size_t count = room > INT_MAX ? static_cast<size_t>(INT_MAX) : room;
  for (;;) {
    ssize_t n = ::recv(e->fd, buffer, count, 0);
    if (n > 0) {
      *size = static_cast<uint32_t>(n);
      e->tookData = true;
      return kOk;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return kWouldBlock;
    e->dead = true;  // the peer's end of the stream, or a failure
    return kFailed;
  }
}

void PNetSocketTransport::Idle(uint32_t endpoint) {
  ServiceLingering();
  Endpoint* e = Find(endpoint);
  if (e == nullptr) return;
  if (e->listener) {
    IdleListener(endpoint);
    return;
  }
  if (!e->dead) {
    pollfd p{e->fd, POLLIN | POLLRDHUP, 0};
    if (::poll(&p, 1, 0) < 0) p.revents = 0;
    if ((p.revents & POLLERR) != 0 || ((p.revents & POLLHUP) != 0 && (p.revents & POLLIN) == 0))
      e->dead = true;
    e->tookData = false;
    if ((p.revents & POLLIN) != 0) {
      e->callback(endpoint, e->context, kData, 0, 0);
      e = Find(endpoint);  // the callback may have closed it
      if (e == nullptr) return;
    }
    // The peer ended its side, or our sending failed: once everything that arrived has been
    // taken (or the owner takes no more), the stream is over.
    if (!e->dead && ((p.revents & POLLRDHUP) != 0 || e->sendFailed)) {
      char byte;
      ssize_t r = ::recv(e->fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
      bool open = r > 0 || (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR));
      bool waiting = r > 0;
      if (!open || (e->sendFailed && (!waiting || !e->tookData))) e->dead = true;
    }
  }
  if (e->dead && !e->diedReported) {
    e->diedReported = true;
    e->callback(endpoint, e->context, kEndpointDied, 0, 0);
  }
}

void PNetSocketTransport::IdleListener(uint32_t endpoint) {
  for (int n = 0; n < kAcceptsPerIdle; ++n) {
    Endpoint* e = Find(endpoint);
    if (e == nullptr) return;
    int fd = ::accept4(e->fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;
    }
    SetNoDelay(fd);
    offer_ = Offer{endpoint, nextId_++, fd, 0};
    Callback callback = e->callback;
    void* context = e->context;
    callback(endpoint, context, kConnectRequest, 0, offer_.cookie);
    // Neither accepted nor rejected: refused.
    if (offer_.fd >= 0) ::close(offer_.fd);
    uint32_t accepted = offer_.accepted;
    offer_ = Offer{};
    if (Endpoint* a = Find(accepted)) a->callback(accepted, a->context, kAcceptComplete, 0, 0);
  }
}

void PNetSocketTransport::CloseEndpoint(uint32_t endpoint, bool /*orderly*/) {
  auto it = endpoints_.find(endpoint);
  if (it == endpoints_.end()) return;
  Endpoint e = it->second;
  endpoints_.erase(it);
  if (e.listener || e.dead) {
    ::close(e.fd);
  } else {
    // Discard what already arrived (unread bytes at close would reset the connection and
    // could cut off what we still have queued), then end our side after the queued bytes.
    char scratch[4096];
    for (int i = 0; i < 64 && ::recv(e.fd, scratch, sizeof scratch, 0) > 0; ++i) {
    }
    ::shutdown(e.fd, SHUT_WR);
    if (lingering_.size() >= kMaxLingering) {
      ::close(lingering_.front().fd);
      lingering_.erase(lingering_.begin());
    }
    lingering_.push_back(Lingering{e.fd, Clock::now() + kLingerTime});
  }
  ServiceLingering();
  e.callback(endpoint, e.context, kCloseComplete, 0, 0);
}

void PNetSocketTransport::ServiceLingering() {
  auto now = Clock::now();
  for (size_t i = 0; i < lingering_.size();) {
    bool done = now >= lingering_[i].deadline;
    char scratch[4096];
    for (int n = 0; n < 64 && !done; ++n) {
      ssize_t r = ::recv(lingering_[i].fd, scratch, sizeof scratch, 0);
      if (r > 0) continue;
      if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
      if (r < 0 && errno == EINTR) continue;
      done = true;  // the peer ended its side too, or the connection failed
    }
    if (done) {
      ::close(lingering_[i].fd);
      lingering_.erase(lingering_.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
}

uint16_t PNetSocketTransport::LocalPort(uint32_t endpoint) {
  Endpoint* e = Find(endpoint);
  if (e == nullptr) return 0;
  sockaddr_in sa{};
  socklen_t length = sizeof sa;
  if (::getsockname(e->fd, reinterpret_cast<sockaddr*>(&sa), &length) != 0) return 0;
  return ntohs(sa.sin_port);
}
