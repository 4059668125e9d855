// Plays a peer of the link over the in-memory transport, driven by the input: the peer sends
// byte streams (frames, free-space requests and replies, impossible lengths and partial frames
// mixed in) in pieces of a size the input chooses, the link sends messages of its own between
// them, the link's clock moves on (so keep-alives, the silence drop and flow control are
// reached), and the peer reads what comes back or leaves it to pile up. The link is the
// connecting or the listening side. It must deliver only messages of 1 to 262,144 bytes,
// report a loss at most once, and never hang.
//
// Input: byte 0 (bit 0: the link listens; bits 1-4: how much the link takes per receive, 0 no
// limit), byte 1 the peer's piece size, byte 2 the count of command bytes that follow; the
// rest is the peer's byte stream. A command byte's low three bits choose
//   0-3  the peer sends the next piece of its stream,
//   4    the link queues a message of (next byte + 1) bytes,
//   5    the clock moves on by the next byte in seconds,
//   6    the link is kept alive as in a long computation,
//   7    the peer reads (or, with bit 3 set, stops reading) what the link sent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "FuzzFolder.h"
#include "framework/media/NetLink.h"
#include "platform/PClock.h"
#include "platform/PNetMemoryTransport.h"

namespace {

uint32_t gMessages = 0;
uint32_t gLosses = 0;
uint32_t gChecksum = 0;

void OnMessage(const uint8_t* data, uint32_t length) {
  if (length == 0 || length > kNetMaxMessage) std::abort();
  for (uint32_t i = 0; i < length; ++i) gChecksum = gChecksum * 31 + data[i];  // touch every byte
  ++gMessages;
}

void OnLost(bool) { ++gLosses; }

uint32_t gPeer = 0;
void PeerCallback(uint32_t endpoint, void* context, int32_t code, int32_t, uint32_t cookie) {
  auto* t = static_cast<PNetMemoryTransport*>(context);
  if (code == PNetTransport::kConnectRequest) t->AcceptConnection(endpoint, cookie, PeerCallback, context);
  if (code == PNetTransport::kAcceptComplete) gPeer = endpoint;
}

uint64_t gMs = 1000000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzFolder folder("netframe");  // the program folder, where the error log goes
  if (size < 3) return 0;
  PClock::SetFake([] { return gMs; });
  PNetMemoryTransport transport;
  NetSetTransport(&transport);
  gPeer = 0;
  gLosses = 0;
  const bool listen = (data[0] & 1) != 0;
  uint32_t listener = 0;
  if (listen) {
    if (!NetOpenEndpoint(true, 0, 2, OnMessage, OnLost)) std::abort();
    gPeer = transport.OpenEndpoint("IPaddr=127.0.0.1\tIPport=2", true, PeerCallback, &transport);
    if (gPeer == 0) std::abort();
    NetIdle();  // takes the connection
    if (!NetIsConnected()) std::abort();
  } else {
    listener = transport.OpenEndpoint("IPaddr=127.0.0.1\tIPport=1", false, PeerCallback, &transport);
    if (!NetOpenEndpoint(false, 0x0100007F, 1, OnMessage, OnLost)) std::abort();
    transport.Idle(listener);
    if (gPeer == 0) std::abort();
  }
  const uint32_t limit = (data[0] >> 1) & 15;
  transport.SetReceiveLimit(NetEndpointForTests(), limit);
  const uint32_t piece = data[1] == 0 ? 1 : data[1];
  const uint8_t* command = data + 3;
  const uint8_t* commandEnd = command + (data[2] < size - 3 ? data[2] : size - 3);
  const uint8_t* stream = commandEnd;
  const uint8_t* streamEnd = data + size;
  bool peerReads = true;
  uint8_t message[256];
  for (int pass = 0; pass < 20000; ++pass) {
    // Without commands left, the peer sends the rest of its stream piece by piece.
    const uint8_t c = command < commandEnd ? *command++ : 0;
    if (c != 0 || stream < streamEnd) {
      const uint8_t arg = command < commandEnd ? *command : 0;
      switch (c & 7) {
        case 4:
          if (command < commandEnd) ++command;
          for (uint32_t i = 0; i <= arg; ++i) message[i] = static_cast<uint8_t>(i + c);
          NetQueueMessage(message, uint32_t{arg} + 1);
          break;
        case 5:
          if (command < commandEnd) ++command;
          gMs += uint64_t{arg} * 1000;
          break;
        case 6:
          NetKeepAliveWhileBusy();
          break;
        case 7:
          peerReads = (c & 8) == 0;
          break;
        default: {
          const size_t left = static_cast<size_t>(streamEnd - stream);
          const uint32_t n = static_cast<uint32_t>(left < piece ? left : piece);
          if (n > 0 && NetEndpointForTests() != 0 && gPeer != 0) {
            const int32_t taken = transport.Send(gPeer, stream, n);
            if (taken > 0) stream += taken;
          }
          if (NetEndpointForTests() == 0) stream = streamEnd;  // the link is gone
          break;
        }
      }
    } else if (transport.Pending(NetEndpointForTests()) == 0) {
      break;
    }
    NetIdle();
    if (peerReads && gPeer != 0) {
      // Read what the link sends back, so its replies do not back up.
      uint8_t sink[4096];
      uint32_t room = sizeof sink;
      while (transport.Receive(gPeer, sink, &room) == PNetTransport::kOk) room = sizeof sink;
    }
  }
  // The peer leaves; the loss is told once at most, whatever happened before.
  if (gPeer != 0) transport.CloseEndpoint(gPeer, false);
  for (int i = 0; i < 4; ++i) NetIdle();
  if (gLosses > 1) std::abort();
  NetCloseEndpoint();
  if (listener != 0) transport.CloseEndpoint(listener, false);
  if (transport.OpenCount() != 0) std::abort();
  NetSetTransport(nullptr);
  gMs += 1000;
  return 0;
}
