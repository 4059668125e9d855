#pragma once
// The TCP/IP link between two copies of the program: one stream connection over which the game
// exchanges messages of up to 262,144 bytes. The link cuts the stream into frames of a type
// byte and a big-endian u32 (0xFC data with its payload, 0xFD free-space request, 0xFE
// free-space reply, 0xFF keep-alive), keeps its own flow control so that a sender never
// overruns the receiver's buffer, sends a keep-alive after 15 quiet seconds and drops a link
// that has been silent for more than 180 seconds. A peer is also held to two deadlines, on the
// transport's clock (real time, never the program's): a new connection must finish the game's
// handshake within 30 seconds, and a frame whose first byte has arrived must be whole within 30
// seconds. A stream that cannot be read as frames drops the link as a protocol error.
//
// One module of free functions over one set of static state: at most one link at a time.
// Everything runs on the program's one thread. The event loop calls NetIdle first in every
// pass; received messages and the loss of the link reach the application through the two
// handlers given to NetOpenEndpoint, only ever from inside NetIdle.
#include <cstdint>

class PNetTransport;

// Receives one data message; the bytes are valid only during the call.
using NetMessageHandler = void (*)(const uint8_t* data, uint32_t length);
// Told once when a connected link is lost: peerClosed is true when the peer's end went away,
// false when this side dropped the link (NetLastLossCause says why).
using NetLinkLostHandler = void (*)(bool peerClosed);

// Why the link the lost handler is being told of was lost.
enum class NetLossCause : uint8_t {
  kNone,
  kPeerClosed,         // the peer's end went away
  kSilent,             // nothing received for more than 180 seconds
  kHandshakeDeadline,  // the handshake was not finished within kNetHandshakeSeconds
  kMessageDeadline,    // a frame begun was not whole within kNetMessageSeconds
  kBadStream,          // the stream broke the frame protocol
};
constexpr uint32_t kNetHandshakeSeconds = 30;
constexpr uint32_t kNetMessageSeconds = 30;

constexpr int32_t kNetHostPort = 7023;
constexpr uint32_t kNetMaxMessage = 262144;

// Results of NetQueueMessage and NetSend.
constexpr int32_t kNetQueued = 0;
constexpr int32_t kNetNotConnected = -9999;
constexpr int32_t kNetBadMessage = -9998;  // no data, or length 0
constexpr int32_t kNetTooLong = -9997;     // payload above kNetMaxMessage
constexpr int32_t kNetNoRoom = -9996;

// The local host's addresses in turn, one per call, then 0, then from the start again.
uint32_t NetStartup();
// a + 256 b + 65,536 c + 16,777,216 d: a is the first number of the dotted form.
uint32_t NetMakeAddress(uint8_t a, uint8_t b, uint8_t c, uint8_t d);
void NetSplitAddress(uint32_t address, uint8_t* a, uint8_t* b, uint8_t* c, uint8_t* d);

// Listens on the port (the host passes address 0) or connects to the address and port.
// False when an endpoint is already open or closing, the message handler is missing, or the
// endpoint cannot be opened (a refused or unreachable peer fails at once).
bool NetOpenEndpoint(bool listen, uint32_t address, int32_t port, NetMessageHandler messageHandler,
                     NetLinkLostHandler linkLostHandler);
void NetCloseEndpoint();
// Sends what is queued for up to the given seconds (1 to 29; anything else 30), then closes.
void NetCloseAfterDrain(int32_t seconds);
bool NetIsConnected();
// Queues one data message without waiting.
int32_t NetQueueMessage(const void* data, uint32_t length);
// Queues one data message, waiting for room up to the given seconds (1 to 29, else 30).
int32_t NetSend(const void* data, uint32_t length, int32_t seconds);
// One pass of the link's work.
void NetIdle();
// For long computations: keeps the link and the silence timer alive and sends what is queued;
// the time this side spends busy does not count against the peer's deadlines.
void NetKeepAliveWhileBusy();
// After opening an endpoint: the connection (once it stands) is dropped unless NetHandshakeDone
// is called within kNetHandshakeSeconds.
void NetRequireHandshake();
void NetHandshakeDone();
// The cause of the loss being reported (valid inside the link-lost handler and after it).
NetLossCause NetLastLossCause();
uint32_t NetSwap32(uint32_t value);
// The link's clock: whole seconds from the monotonic 64-bit millisecond clock.
uint64_t NetSeconds();

// Tests and tools only.
// The transport the next endpoints are opened on; nullptr for the system's sockets.
void NetSetTransport(PNetTransport* transport);
// Chooses which of two link records the calls work on (0 is the program's), so that one
// process can run both ends of a link.
void NetSelectLink(int index);
// The transport's number of the open endpoint (0 when none).
uint32_t NetEndpointForTests();
