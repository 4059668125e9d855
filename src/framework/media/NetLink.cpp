#include "framework/media/NetLink.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "platform/PClock.h"
#include "platform/PNetHost.h"
#include "platform/PNetTransport.h"

namespace {

// One largest data frame (0x40005 bytes) plus one 5-byte control frame.
constexpr uint32_t kNetBufferSize = 0x4000A;
// The receive ring keeps one byte free, so it holds kNetBufferSize bytes.
constexpr uint32_t kNetRingSize = kNetBufferSize + 1;
constexpr uint32_t kNetHeader = 5;
constexpr uint32_t kNetMaxFrame = kNetMaxMessage + kNetHeader;

constexpr uint8_t kFrameData = 0xFC;
constexpr uint8_t kFrameFreeRequest = 0xFD;
constexpr uint8_t kFrameFreeReply = 0xFE;
constexpr uint8_t kFrameKeepAlive = 0xFF;

constexpr uint64_t kKeepAliveSeconds = 15;
constexpr uint64_t kSilenceSeconds = 180;

// The configuration text's protocol type ("Inet") and game identifier.
constexpr uint32_t kProtocolType = 0x496E6574;
constexpr uint32_t kGameId = 0x2E108AB5;
constexpr size_t kConfigSize = 256;

enum : uint32_t {
  kStateIdle = 0,       // no endpoint, or listening
  kStateConnected = 1,
  kStatePeerGone = 2,   // the transport reported the endpoint dead; to be reported
  kStateDropped = 3,    // this side dropped the link (lossCause says why); to be reported
};

constexpr uint64_t kHandshakeMs = uint64_t{kNetHandshakeSeconds} * 1000;
constexpr uint64_t kMessageMs = uint64_t{kNetMessageSeconds} * 1000;

struct NetLinkState {
  uint32_t endpoint = 0;
  uint8_t closing = 0;
  uint32_t state = kStateIdle;
  uint8_t sendBlocked = 0;
  uint32_t peerFree = kNetBufferSize;
  uint64_t lastSend = 0;
  uint64_t lastReceive = 0;
  uint8_t sendBuffer[kNetBufferSize];
  uint32_t sendWrite = 0;  // queued bytes
  uint8_t ring[kNetRingSize];
  uint32_t ringRead = 0;
  uint32_t ringWrite = 0;
  uint8_t frameBuffer[kNetBufferSize];
  uint32_t frameFill = 0;
  NetMessageHandler messageHandler = nullptr;
  NetLinkLostHandler linkLostHandler = nullptr;
  uint8_t replyPending = 0;   // a 0xFD whose 0xFE could not be queued yet
  uint8_t acceptPending = 0;  // a connection was accepted and its completion is awaited
  uint8_t parsing = 0;        // inside NetParseFrames (a handler may run a nested NetIdle)
  uint32_t generation = 0;    // counts opens and closes, so a parse can tell it was cut off
  // The peer's deadlines, on the transport's clock: the handshake from the connection's start
  // until NetHandshakeDone, and the frame begun in the frame buffer from its first byte on.
  uint8_t handshakePending = 0;
  uint64_t handshakeStart = 0;
  uint8_t framePending = 0;
  uint64_t frameStart = 0;
  NetLossCause lossCause = NetLossCause::kNone;  // why the link was dropped (kStateDropped)
  NetLossCause reportedCause = NetLossCause::kNone;
  // A loss not yet reported when a new endpoint was opened: the old link's state (kStatePeerGone
  // or kStateDropped) and handler, told at the next pass so that no loss goes unheard.
  uint32_t unreportedLoss = kStateIdle;
  NetLinkLostHandler unreportedLossHandler = nullptr;
  NetLossCause unreportedCause = NetLossCause::kNone;
};

NetLinkState gNetLinks[2];
NetLinkState* gNet = &gNetLinks[0];
PNetTransport* gNetTransport = nullptr;
uint32_t gNetAddressIndex = 0;

PNetTransport& Transport() { return gNetTransport != nullptr ? *gNetTransport : PNetTransport::System(); }

bool LinkOpen() { return gNet->endpoint != 0 && gNet->closing == 0; }

uint32_t ReadBigEndian(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

void WriteBigEndian(uint8_t* p, uint32_t value) {
  p[0] = static_cast<uint8_t>(value >> 24);
  p[1] = static_cast<uint8_t>(value >> 16);
  p[2] = static_cast<uint8_t>(value >> 8);
  p[3] = static_cast<uint8_t>(value);
}

uint32_t WaitSeconds(int32_t seconds) { return seconds >= 1 && seconds <= 29 ? static_cast<uint32_t>(seconds) : 30; }

void NetCopyBytes(void* destination, const void* source, size_t count) {
  if (count == 0 || destination == nullptr || source == nullptr) return;
  std::memmove(destination, source, count);
}

void NetAppendText(char* buffer, const char* text) {
  size_t used = std::strlen(buffer);
  size_t add = std::min(std::strlen(text), kConfigSize - 1 - used);
  NetCopyBytes(buffer + used, text, add);
  buffer[used + add] = '\0';
}

void NetAppendNumber(char* buffer, int64_t number) {
  char digits[24];
  int n = 0;
  uint64_t magnitude = number < 0 ? 0 - static_cast<uint64_t>(number) : static_cast<uint64_t>(number);
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  char text[26];
  int t = 0;
  if (number < 0) text[t++] = '-';
  while (n > 0) text[t++] = digits[--n];
  text[t] = '\0';
  NetAppendText(buffer, text);
}

uint32_t RingFree() {
  const NetLinkState& n = *gNet;
  return n.ringWrite < n.ringRead ? n.ringRead - n.ringWrite - 1 : n.ringRead + kNetBufferSize - n.ringWrite;
}

uint32_t NetFlush() {
  NetLinkState& n = *gNet;
  if (!NetIsConnected() || n.sendWrite == 0) return 0;
  int32_t result = Transport().Send(n.endpoint, n.sendBuffer, n.sendWrite);
  if (result <= 0) return 0;
  uint32_t sent = std::min(static_cast<uint32_t>(result), n.sendWrite);
  NetCopyBytes(n.sendBuffer, n.sendBuffer + sent, n.sendWrite - sent);
  n.sendWrite -= sent;
  // Control frames do not wait for the peer's free space, so what was sent may exceed it.
  n.peerFree = sent >= n.peerFree ? 0 : n.peerFree - sent;
  n.lastSend = NetSeconds();
  return sent;
}

// Control frames need only room in the send buffer: the peer's receive ring is never
// overfilled (its NetReceive takes only what fits), and holding a keep-alive or a reply back
// for want of peer space would let a quiet link fall silent or two peers wait on each other.
bool NetQueueControl(uint8_t type, uint32_t value) {
  NetLinkState& n = *gNet;
  if (kNetBufferSize - n.sendWrite < kNetHeader) return false;
  n.sendBuffer[n.sendWrite] = type;
  WriteBigEndian(n.sendBuffer + n.sendWrite + 1, value);
  n.sendWrite += kNetHeader;
  NetFlush();
  return true;
}

// One receive into [at, at + room); false when nothing came.
bool NetReceiveChunk(uint32_t at, uint32_t room, uint32_t* got) {
  NetLinkState& n = *gNet;
  *got = 0;
  if (room == 0) return false;
  uint32_t size = room;
  if (Transport().Receive(n.endpoint, n.ring + at, &size) != PNetTransport::kOk || size == 0) return false;
  *got = std::min(size, room);
  n.lastReceive = NetSeconds();
  return true;
}

void NetReceive() {
  NetLinkState& n = *gNet;
  uint32_t got = 0;
  if (n.ringWrite < n.ringRead) {
    if (NetReceiveChunk(n.ringWrite, n.ringRead - n.ringWrite - 1, &got)) n.ringWrite += got;
    return;
  }
  uint32_t end = n.ringRead == 0 ? kNetRingSize - 1 : kNetRingSize;
  uint32_t room = end - n.ringWrite;
  if (!NetReceiveChunk(n.ringWrite, room, &got)) return;
  n.ringWrite += got;
  if (n.ringWrite == kNetRingSize) n.ringWrite = 0;
  if (got == room && n.ringRead != 0 && NetReceiveChunk(0, n.ringRead - 1, &got)) n.ringWrite = got;
}

// Moves what the ring holds into the frame buffer, as far as it has room; the bytes moved.
uint32_t NetDrainRing() {
  NetLinkState& n = *gNet;
  uint32_t moved = 0;
  while (n.frameFill < kNetBufferSize && n.ringRead != n.ringWrite) {
    uint32_t end = n.ringWrite > n.ringRead ? n.ringWrite : kNetRingSize;
    uint32_t count = std::min(end - n.ringRead, kNetBufferSize - n.frameFill);
    NetCopyBytes(n.frameBuffer + n.frameFill, n.ring + n.ringRead, count);
    n.frameFill += count;
    n.ringRead += count;
    if (n.ringRead == kNetRingSize) n.ringRead = 0;
    moved += count;
  }
  return moved;
}

void NetAnswerFreeRequest() {
  gNet->replyPending = NetQueueControl(kFrameFreeReply, RingFree()) ? 0 : 1;
}

// Forgets every received byte and drops the link; the loss is reported at the next pass.
void NetDrop(NetLossCause cause) {
  NetLinkState& n = *gNet;
  n.frameFill = 0;
  n.framePending = 0;
  n.ringRead = n.ringWrite = 0;
  n.replyPending = 0;
  if (n.state == kStateConnected) {
    n.state = kStateDropped;
    n.lossCause = cause;
  }
  NetCloseEndpoint();
}

void NetDropBadStream(uint32_t length) {
  GErrorLog::LogValue("Bad network frame length", static_cast<int32_t>(length));
  NetDrop(NetLossCause::kBadStream);
}

// After a parse: a frame left unfinished in the buffer starts its deadline when its first byte
// came in this parse (consumed: whole frames went before it) or when none was pending.
void NetTimeFrame(bool consumed) {
  NetLinkState& n = *gNet;
  if (n.frameFill == 0) {
    n.framePending = 0;
  } else if (consumed || n.framePending == 0) {
    n.framePending = 1;
    n.frameStart = Transport().Milliseconds();
  }
}

// The peer's deadlines, checked once everything received has been parsed; false when the
// link was dropped.
bool NetCheckDeadlines() {
  NetLinkState& n = *gNet;
  if (!NetIsConnected()) return true;
  const uint64_t now = Transport().Milliseconds();
  if (n.handshakePending != 0 && now > n.handshakeStart && now - n.handshakeStart > kHandshakeMs) {
    GErrorLog::LogValue("Network peer did not finish the handshake, seconds =", static_cast<int32_t>(kNetHandshakeSeconds));
    NetDrop(NetLossCause::kHandshakeDeadline);
    return false;
  }
  if (n.framePending != 0 && n.ringRead == n.ringWrite && now > n.frameStart && now - n.frameStart > kMessageMs) {
    GErrorLog::LogValue("Network message not finished, bytes =", static_cast<int32_t>(n.frameFill));
    NetDrop(NetLossCause::kMessageDeadline);
    return false;
  }
  return true;
}

void NetParseFrames() {
  NetLinkState& n = *gNet;
  if (n.parsing != 0) return;
  n.parsing = 1;
  if (n.replyPending != 0) NetAnswerFreeRequest();
  uint32_t generation = n.generation;
  uint32_t at = 0;
  while (n.frameFill - at >= kNetHeader) {
    const uint8_t* frame = n.frameBuffer + at;
    uint8_t type = frame[0];
    uint32_t value = ReadBigEndian(frame + 1);
    if (type == kFrameData) {
      if (value == 0 || value > kNetMaxMessage) {
        // No sender makes such a frame; the stream cannot be followed past it.
        NetDropBadStream(value);
        n.parsing = 0;
        return;
      }
      if (n.frameFill - at - kNetHeader < value) break;  // the payload is still coming
      n.messageHandler(frame + kNetHeader, value);
      if (n.generation != generation) {
        // The handler closed the link (and perhaps opened a new one, which starts empty):
        // the rest of this stream is not wanted.
        if (!LinkOpen()) {
          n.frameFill = 0;
          n.framePending = 0;
          n.ringRead = n.ringWrite = 0;
        }
        n.parsing = 0;
        return;
      }
      at += kNetHeader + value;
      continue;
    }
    at += kNetHeader;
    if (type == kFrameFreeRequest) {
      NetAnswerFreeRequest();
    } else if (type == kFrameFreeReply) {
      n.peerFree = std::min(value, kNetBufferSize);
      n.sendBlocked = 0;
    }
    // 0xFF and unknown types carry nothing more.
  }
  NetCopyBytes(n.frameBuffer, n.frameBuffer + at, n.frameFill - at);
  n.frameFill -= at;
  NetTimeFrame(at > 0);
  n.parsing = 0;
}

void NetKeepAlive(uint64_t now) {
  NetLinkState& n = *gNet;
  if (!NetIsConnected() || now <= n.lastSend || now - n.lastSend <= kKeepAliveSeconds) return;
  if (NetQueueControl(kFrameKeepAlive, 0)) n.lastSend = now;
}

bool NetCheckLink() {
  NetLinkState& n = *gNet;
  if (n.unreportedLoss != kStateIdle && n.parsing == 0) {
    const bool peerClosed = n.unreportedLoss == kStatePeerGone;
    NetLinkLostHandler handler = n.unreportedLossHandler;
    n.unreportedLoss = kStateIdle;
    n.unreportedLossHandler = nullptr;
    n.reportedCause = n.unreportedCause;
    if (handler != nullptr) handler(peerClosed);
  }
  if (n.state == kStatePeerGone || n.state == kStateDropped) {
    // Inside a message handler's nested pass the outer pass reports it.
    if (n.parsing != 0) return false;
    bool peerClosed = n.state == kStatePeerGone;
    if (peerClosed) {
      // Everything that arrived before the peer went is still delivered.
      for (int i = 0; i < 4 && LinkOpen(); ++i) {
        uint32_t moved = NetDrainRing();
        NetParseFrames();
        if (moved == 0) break;
      }
      NetCloseEndpoint();
    }
    n.state = kStateIdle;
    n.reportedCause = peerClosed ? NetLossCause::kPeerClosed : n.lossCause;
    if (n.linkLostHandler != nullptr) n.linkLostHandler(peerClosed);
    return false;
  }
  return LinkOpen();
}

void NetEndpointCallback(uint32_t endpoint, void* context, int32_t code, int32_t /*error*/,
                         uint32_t cookie) {
  NetLinkState* saved = gNet;
  if (context != nullptr) gNet = static_cast<NetLinkState*>(context);
  NetLinkState& n = *gNet;
  switch (code) {
    case PNetTransport::kConnectRequest:
      // One connection at a time.
      if (endpoint == n.endpoint && n.state == kStateIdle && n.closing == 0 && n.acceptPending == 0 &&
          Transport().AcceptConnection(endpoint, cookie, NetEndpointCallback, gNet)) {
        n.acceptPending = 1;
      } else {
        Transport().RejectConnection(endpoint, cookie);
      }
      break;
    case PNetTransport::kData:
      if (endpoint == n.endpoint && n.state == kStateConnected && n.closing == 0) NetReceive();
      break;
    case PNetTransport::kAcceptComplete:
      if (n.acceptPending != 0 && LinkOpen() && n.state == kStateIdle) {
        uint32_t listener = n.endpoint;
        n.acceptPending = 0;
        n.endpoint = endpoint;
        n.state = kStateConnected;
        n.lastReceive = NetSeconds();
        n.handshakeStart = Transport().Milliseconds();
        Transport().CloseEndpoint(listener, false);
      } else {
        Transport().CloseEndpoint(endpoint, false);  // no longer wanted
      }
      break;
    case PNetTransport::kEndpointDied:
      if (endpoint == n.endpoint && n.state == kStateConnected && n.closing == 0) n.state = kStatePeerGone;
      break;
    case PNetTransport::kCloseComplete:
      if (endpoint == n.endpoint) {
        n.endpoint = 0;
        n.closing = 0;
      }
      break;
    default:
      break;
  }
  gNet = saved;
}

}  // namespace

uint32_t NetStartup() {
  std::vector<uint32_t> addresses = PNetHost::LocalAddresses();
  if (gNetAddressIndex < addresses.size()) return addresses[gNetAddressIndex++];
  gNetAddressIndex = 0;
  return 0;
}

uint32_t NetMakeAddress(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
  return a + 256u * b + 65536u * c + 16777216u * d;
}

void NetSplitAddress(uint32_t address, uint8_t* a, uint8_t* b, uint8_t* c, uint8_t* d) {
  *a = static_cast<uint8_t>(address);
  *b = static_cast<uint8_t>(address >> 8);
  *c = static_cast<uint8_t>(address >> 16);
  *d = static_cast<uint8_t>(address >> 24);
}

bool NetOpenEndpoint(bool listen, uint32_t address, int32_t port, NetMessageHandler messageHandler,
                     NetLinkLostHandler linkLostHandler) {
  NetLinkState& n = *gNet;
  if (n.endpoint != 0 || messageHandler == nullptr) return false;
  char config[kConfigSize] = "";
  NetAppendText(config, "type=");
  NetAppendNumber(config, kProtocolType);
  NetAppendText(config, "\tversion=256\tgameID=");
  NetAppendNumber(config, kGameId);
  NetAppendText(config, "\tgameName=");
  NetAppendText(config, "myGame");
  NetAppendText(config, "\tmode=3\tIPaddr=");
  uint8_t bytes[4];
  NetSplitAddress(address, &bytes[0], &bytes[1], &bytes[2], &bytes[3]);
  for (int i = 0; i < 4; ++i) {
    if (i > 0) NetAppendText(config, ".");
    NetAppendNumber(config, bytes[i]);
  }
  NetAppendText(config, "\tIPport=");
  NetAppendNumber(config, port);
  uint32_t endpoint = Transport().OpenEndpoint(config, !listen, NetEndpointCallback, gNet);
  if (endpoint == 0) return false;
  if (n.state == kStatePeerGone || n.state == kStateDropped) {
    // The old link's loss is still to be told; the new endpoint must not swallow it.
    n.unreportedLoss = n.state;
    n.unreportedLossHandler = n.linkLostHandler;
    n.unreportedCause = n.state == kStatePeerGone ? NetLossCause::kPeerClosed : n.lossCause;
  }
  n.endpoint = endpoint;
  n.closing = 0;
  n.state = listen ? kStateIdle : kStateConnected;
  n.sendBlocked = 0;
  n.peerFree = kNetBufferSize;
  n.lastReceive = n.lastSend = NetSeconds();
  n.sendWrite = 0;
  n.ringRead = n.ringWrite = 0;
  n.frameFill = 0;
  n.replyPending = 0;
  n.acceptPending = 0;
  n.handshakePending = 0;
  n.handshakeStart = Transport().Milliseconds();
  n.framePending = 0;
  n.lossCause = NetLossCause::kNone;
  n.messageHandler = messageHandler;
  n.linkLostHandler = linkLostHandler;
  ++n.generation;
  return true;
}

void NetCloseEndpoint() {
  NetLinkState& n = *gNet;
  if (!LinkOpen()) return;
  n.closing = 1;
  if (n.state == kStateConnected) n.state = kStateIdle;
  n.acceptPending = 0;
  ++n.generation;
  uint32_t endpoint = n.endpoint;
  Transport().CloseEndpoint(endpoint, false);
  // The transport completes the close before returning; never leave the link stuck closing.
  if (n.endpoint == endpoint) {
    n.endpoint = 0;
    n.closing = 0;
  }
}

void NetCloseAfterDrain(int32_t seconds) {
  NetLinkState& n = *gNet;
  if (!LinkOpen()) return;
  if (n.sendWrite > 0) {
    uint64_t deadline = NetSeconds() + WaitSeconds(seconds);
    while (n.sendWrite > 0 && NetSeconds() <= deadline && NetIsConnected()) {
      if (NetFlush() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  NetCloseEndpoint();
}

bool NetIsConnected() { return gNet->endpoint != 0 && gNet->state == kStateConnected; }

int32_t NetQueueMessage(const void* data, uint32_t length) {
  NetLinkState& n = *gNet;
  if (!NetIsConnected()) return kNetNotConnected;
  if (data == nullptr || length == 0) return kNetBadMessage;
  uint64_t frame = uint64_t{length} + kNetHeader;
  if (frame > kNetMaxFrame) return kNetTooLong;
  if (n.sendBlocked == 0 && n.sendWrite + frame + kNetHeader <= n.peerFree) {
    if (kNetBufferSize - n.sendWrite < frame) {
      NetFlush();
      if (kNetBufferSize - n.sendWrite < frame) return kNetNoRoom;
    }
    uint8_t* p = n.sendBuffer + n.sendWrite;
    p[0] = kFrameData;
    WriteBigEndian(p + 1, length);
    NetCopyBytes(p + kNetHeader, data, length);
    n.sendWrite += static_cast<uint32_t>(frame);
    NetFlush();
    return kNetQueued;
  }
  if (n.sendBlocked == 0 && NetQueueControl(kFrameFreeRequest, 0)) n.sendBlocked = 1;
  return kNetNoRoom;
}

int32_t NetSend(const void* data, uint32_t length, int32_t seconds) {
  uint64_t deadline = NetSeconds() + WaitSeconds(seconds);
  do {
    int32_t result = NetQueueMessage(data, length);
    if (result != kNetNoRoom) return result;
    if (NetFlush() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  } while (NetSeconds() <= deadline);
  return kNetNoRoom;
}

void NetIdle() {
  NetLinkState& n = *gNet;
  if (!NetCheckLink()) return;
  Transport().Idle(n.endpoint);
  // A nested pass from inside a message handler leaves the frames to the outer pass.
  if (n.parsing == 0) {
    NetDrainRing();
    NetParseFrames();
  }
  NetFlush();
  uint64_t now = NetSeconds();
  NetKeepAlive(now);
  if (n.parsing == 0 && !NetCheckDeadlines()) return;
  if (NetIsConnected() && now > n.lastReceive && now - n.lastReceive > kSilenceSeconds) {
    n.state = kStateDropped;
    n.lossCause = NetLossCause::kSilent;
    NetCloseEndpoint();
  }
}

void NetKeepAliveWhileBusy() {
  NetLinkState& n = *gNet;
  if (!NetIsConnected()) return;
  uint64_t now = NetSeconds();
  NetFlush();
  NetKeepAlive(now);
  n.lastReceive = now;
  // This side's pause is not the peer's delay.
  const uint64_t ms = Transport().Milliseconds();
  n.handshakeStart = ms;
  if (n.framePending != 0) n.frameStart = ms;
  Transport().Idle(n.endpoint);
}

void NetRequireHandshake() {
  NetLinkState& n = *gNet;
  n.handshakePending = 1;
  n.handshakeStart = Transport().Milliseconds();
}

void NetHandshakeDone() { gNet->handshakePending = 0; }

NetLossCause NetLastLossCause() { return gNet->reportedCause; }

uint32_t NetSwap32(uint32_t value) {
  return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

uint64_t NetSeconds() { return PClock::TickCount64() / 1000; }

void NetSetTransport(PNetTransport* transport) { gNetTransport = transport; }

void NetSelectLink(int index) { gNet = &gNetLinks[index == 0 ? 0 : 1]; }

uint32_t NetEndpointForTests() { return gNet->endpoint; }
