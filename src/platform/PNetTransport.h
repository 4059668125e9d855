#pragma once
#include <cstdint>

// A stream transport with endpoints, in the manner of a networking library: an endpoint is
// opened from a configuration text, either listening or connecting; it reports what happens
// to it through a callback with a numeric code. Every callback is made on the caller's thread
// from inside the transport's own calls (Idle, AcceptConnection's completion, CloseEndpoint),
// never from another thread.
//
// Endpoints and pending connections are named by non-zero numbers; 0 means none. A number
// that is no longer open is simply ignored by every call.
class PNetTransport {
 public:
  // Callback codes.
  static constexpr int32_t kConnectRequest = 1;  // on a listener; cookie names the request
  static constexpr int32_t kData = 3;            // bytes wait to be received
  static constexpr int32_t kAcceptComplete = 5;  // endpoint = the new connection
  static constexpr int32_t kEndpointDied = 7;    // the peer went away or the stream failed
  static constexpr int32_t kCloseComplete = 8;   // the endpoint is closed and forgotten

  // Results of Receive (Send returns the bytes it took, or kFailed).
  static constexpr int32_t kOk = 0;
  static constexpr int32_t kWouldBlock = -1;  // nothing to receive now
  static constexpr int32_t kFailed = -2;      // the stream has ended or failed

  using Callback = void (*)(uint32_t endpoint, void* context, int32_t code, int32_t error,
                            uint32_t cookie);

  virtual ~PNetTransport() = default;

  // Opens an endpoint as the configuration text says (its "IPaddr=" and "IPport=" fields).
  // Listening binds that address and port; connecting (active) returns only once the
  // connection stands, or fails within a bounded time. 0 on failure.
  virtual uint32_t OpenEndpoint(const char* config, bool active, Callback callback,
                                void* context) = 0;
  // Answers a connection request from inside its code-1 callback. Accepting gives the new
  // endpoint its callback; code 5 follows once the code-1 callback has returned.
  virtual bool AcceptConnection(uint32_t listener, uint32_t cookie, Callback callback,
                                void* context) = 0;
  virtual void RejectConnection(uint32_t listener, uint32_t cookie) = 0;
  // Takes as many bytes as it can without waiting: 0 or more, or kFailed.
  virtual int32_t Send(uint32_t endpoint, const void* data, uint32_t size) = 0;
  // Receives at most *size bytes; on kOk *size holds the count (at least 1), else 0.
  virtual int32_t Receive(uint32_t endpoint, void* buffer, uint32_t* size) = 0;
  // Lets the endpoint work and makes its callbacks.
  virtual void Idle(uint32_t endpoint) = 0;
  // Closes the endpoint: queued bytes still go out, then the stream ends. Code 8 is called
  // before this returns; the number is then no longer open.
  virtual void CloseEndpoint(uint32_t endpoint, bool orderly) = 0;
  // The local port an endpoint is bound to (0 when not open).
  virtual uint16_t LocalPort(uint32_t endpoint) = 0;
  // The clock the link's deadlines on the peer are measured by, in milliseconds. It is the
  // system's monotonic clock, never the program's (which a test may make run ahead of real
  // time): a peer is only ever given less time than real time if a transport says so.
  virtual uint64_t Milliseconds();

  // Reads the address (lowest byte = first number of the dotted form) and the port back from
  // a configuration text. False when either field is missing or out of range.
  static bool ParseConfig(const char* config, uint32_t* address, uint16_t* port);
  // The system's TCP/IP sockets.
  static PNetTransport& System();
};
