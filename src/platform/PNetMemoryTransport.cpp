#include "platform/PNetMemoryTransport.h"

#include <algorithm>
#include <cstring>

PNetMemoryTransport::Endpoint* PNetMemoryTransport::Find(uint32_t endpoint) {
  auto it = endpoints_.find(endpoint);
  return it == endpoints_.end() ? nullptr : it->second.get();
}

const PNetMemoryTransport::Endpoint* PNetMemoryTransport::Find(uint32_t endpoint) const {
  auto it = endpoints_.find(endpoint);
  return it == endpoints_.end() ? nullptr : it->second.get();
}

uint32_t PNetMemoryTransport::OpenEndpoint(const char* config, bool active, Callback callback,
                                           void* context) {
  lastConfig_ = config != nullptr ? config : "";
  uint32_t address = 0;
  uint16_t port = 0;
  if (callback == nullptr || !ParseConfig(config, &address, &port)) return 0;
  if (!active) {
    for (auto& [id, e] : endpoints_)
      if (e->listener && e->port == port) return 0;  // the port is taken
    auto e = std::make_unique<Endpoint>();
    e->listener = true;
    e->port = port;
    e->callback = callback;
    e->context = context;
    uint32_t id = nextId_++;
    endpoints_[id] = std::move(e);
    return id;
  }
  Endpoint* listener = nullptr;
  for (auto& [id, e] : endpoints_)
    if (e->listener && e->port == port) listener = e.get();
  if (listener == nullptr) return 0;  // refused
  uint32_t client = nextId_++;
  uint32_t server = nextId_++;
  auto c = std::make_unique<Endpoint>();
  c->callback = callback;
  c->context = context;
  c->peer = server;
  auto s = std::make_unique<Endpoint>();
  s->accepted = false;
  s->peer = client;
  listener->requests.push_back(server);
  endpoints_[client] = std::move(c);
  endpoints_[server] = std::move(s);
  return client;
}

bool PNetMemoryTransport::AcceptConnection(uint32_t listener, uint32_t cookie, Callback callback,
                                           void* context) {
  Endpoint* s = Find(cookie);
  if (callback == nullptr || listener != offering_ || s == nullptr || s->accepted) return false;
  s->accepted = true;
  s->callback = callback;
  s->context = context;
  acceptedInPass_.push_back(cookie);
  return true;
}

void PNetMemoryTransport::RejectConnection(uint32_t listener, uint32_t cookie) {
  Endpoint* s = Find(cookie);
  if (listener != offering_ || s == nullptr || s->accepted) return;
  Remove(cookie);
}

int32_t PNetMemoryTransport::Send(uint32_t endpoint, const void* data, uint32_t size) {
  Endpoint* e = Find(endpoint);
  if (e == nullptr || e->listener || e->peerGone) return kFailed;
  Endpoint* p = Find(e->peer);
  if (p == nullptr) return kFailed;
  uint32_t n = size;
  if (e->sendLimit != 0) n = std::min(n, e->sendLimit);
  if (p->capacity != 0) {
    size_t waiting = p->inbox.size() - p->inboxStart;
    n = waiting >= p->capacity ? 0 : std::min<uint32_t>(n, static_cast<uint32_t>(p->capacity - waiting));
  }
  if (p->inboxStart > 0 && p->inboxStart * 2 > p->inbox.size()) {
    p->inbox.erase(0, p->inboxStart);
    p->inboxStart = 0;
  }
  p->inbox.append(static_cast<const char*>(data), n);
  return static_cast<int32_t>(n);
}

int32_t PNetMemoryTransport::Receive(uint32_t endpoint, void* buffer, uint32_t* size) {
  uint32_t room = *size;
  *size = 0;
  Endpoint* e = Find(endpoint);
  if (e == nullptr || e->listener) return kFailed;
  size_t waiting = e->inbox.size() - e->inboxStart;
  if (waiting == 0) return e->peerGone ? kFailed : kWouldBlock;
  uint32_t n = static_cast<uint32_t>(std::min<size_t>(room, waiting));
  if (e->receiveLimit != 0) n = std::min(n, e->receiveLimit);
  if (n == 0) return kWouldBlock;
  std::memcpy(buffer, e->inbox.data() + e->inboxStart, n);
  e->inboxStart += n;
  if (e->inboxStart == e->inbox.size()) {
    e->inbox.clear();
    e->inboxStart = 0;
  }
  *size = n;
  return kOk;
}

void PNetMemoryTransport::Idle(uint32_t endpoint) {
  Endpoint* e = Find(endpoint);
  if (e == nullptr || !e->accepted) return;
  if (e->listener) {
    std::vector<uint32_t> requests;
    requests.swap(e->requests);
    acceptedInPass_.clear();
    for (uint32_t cookie : requests) {
      Endpoint* l = Find(endpoint);
      if (l == nullptr) {  // the listener was closed meanwhile
        Remove(cookie);
        continue;
      }
      if (Find(cookie) == nullptr) continue;  // the connecting side already gave up
      offering_ = endpoint;
      l->callback(endpoint, l->context, kConnectRequest, 0, cookie);
      offering_ = 0;
      Endpoint* s = Find(cookie);
      if (s != nullptr && !s->accepted) Remove(cookie);  // unanswered: refused
    }
    std::vector<uint32_t> accepted;
    accepted.swap(acceptedInPass_);
    for (uint32_t id : accepted)
      if (Endpoint* s = Find(id)) s->callback(id, s->context, kAcceptComplete, 0, 0);
    return;
  }
  if (e->inbox.size() > e->inboxStart) {
    e->callback(endpoint, e->context, kData, 0, 0);
    e = Find(endpoint);
    if (e == nullptr) return;
  }
  if (e->peerGone && e->inbox.size() == e->inboxStart && !e->diedReported) {
    e->diedReported = true;
    e->callback(endpoint, e->context, kEndpointDied, 0, 0);
  }
}

std::unique_ptr<PNetMemoryTransport::Endpoint> PNetMemoryTransport::Remove(uint32_t endpoint) {
  auto it = endpoints_.find(endpoint);
  if (it == endpoints_.end()) return nullptr;
  std::unique_ptr<Endpoint> e = std::move(it->second);
  endpoints_.erase(it);
  if (Endpoint* p = Find(e->peer)) p->peerGone = true;
  for (uint32_t request : e->requests) Remove(request);
  return e;
}

void PNetMemoryTransport::CloseEndpoint(uint32_t endpoint, bool /*orderly*/) {
  Endpoint* e = Find(endpoint);
  if (e == nullptr || !e->accepted) return;
  std::unique_ptr<Endpoint> removed = Remove(endpoint);
  removed->callback(endpoint, removed->context, kCloseComplete, 0, 0);
}

uint16_t PNetMemoryTransport::LocalPort(uint32_t endpoint) {
  Endpoint* e = Find(endpoint);
  return e == nullptr ? 0 : e->port;
}

void PNetMemoryTransport::SetSendLimit(uint32_t endpoint, uint32_t bytesPerCall) {
  if (Endpoint* e = Find(endpoint)) e->sendLimit = bytesPerCall;
}

void PNetMemoryTransport::SetReceiveLimit(uint32_t endpoint, uint32_t bytesPerCall) {
  if (Endpoint* e = Find(endpoint)) e->receiveLimit = bytesPerCall;
}

void PNetMemoryTransport::SetCapacity(uint32_t endpoint, uint32_t bytes) {
  if (Endpoint* e = Find(endpoint)) e->capacity = bytes;
}

void PNetMemoryTransport::InjectPeerClose(uint32_t endpoint) {
  Endpoint* e = Find(endpoint);
  if (e == nullptr) return;
  uint32_t peer = e->peer;
  e->peerGone = true;
  if (Find(peer) != nullptr) {
    std::unique_ptr<Endpoint> gone = Remove(peer);  // silently: its program is gone
  }
}

size_t PNetMemoryTransport::Pending(uint32_t endpoint) const {
  const Endpoint* e = Find(endpoint);
  return e == nullptr ? 0 : e->inbox.size() - e->inboxStart;
}
