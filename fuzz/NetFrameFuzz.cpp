// Feeds arbitrary byte streams to the link's frame parser, as a peer would send them over the
// in-memory transport: in pieces of a size the input chooses, with free-space requests and
// replies, impossible lengths and partial frames mixed in. The link must deliver only
// messages of 1 to 262,144 bytes, report a loss at most once, and never hang.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static uint64_t ms = 1000000;
  PClock::SetFake([] { return ms; });
  PNetMemoryTransport transport;
  NetSetTransport(&transport);
  gPeer = 0;
  gLosses = 0;
  uint32_t listener = transport.OpenEndpoint("IPaddr=127.0.0.1\tIPport=1", false, PeerCallback, &transport);
  if (!NetOpenEndpoint(false, 0x0100007F, 1, OnMessage, OnLost)) std::abort();
  transport.Idle(listener);
  if (gPeer == 0) std::abort();
  // The first byte sets how much the link takes per receive, the second the peer's piece size.
  transport.SetReceiveLimit(NetEndpointForTests(), data[0] % 16 == 0 ? 0 : data[0] % 16);
  uint32_t piece = data[1] == 0 ? 1 : data[1];
  data += 2;
  size -= 2;
  for (int pass = 0; pass < 20000 && (size > 0 || transport.Pending(NetEndpointForTests()) > 0); ++pass) {
    uint32_t n = static_cast<uint32_t>(size < piece ? size : piece);
    if (n > 0 && NetEndpointForTests() != 0) {
      int32_t taken = transport.Send(gPeer, data, n);
      if (taken > 0) {
        data += taken;
        size -= static_cast<size_t>(taken);
      }
    }
    if (NetEndpointForTests() == 0) size = 0;
    NetIdle();
    // Read what the link sends back, so its replies never back up.
    uint8_t sink[4096];
    uint32_t room = sizeof sink;
    while (transport.Receive(gPeer, sink, &room) == PNetTransport::kOk) room = sizeof sink;
  }
  // The peer leaves; the loss is told once at most, whatever happened before.
  transport.CloseEndpoint(gPeer, false);
  for (int i = 0; i < 4; ++i) NetIdle();
  if (gLosses > 1) std::abort();
  NetCloseEndpoint();
  transport.CloseEndpoint(listener, false);
  if (transport.OpenCount() != 0) std::abort();
  NetSetTransport(nullptr);
  ms += 1000;
  return 0;
}
