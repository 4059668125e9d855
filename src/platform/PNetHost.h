#pragma once
#include <cstdint>
#include <vector>

// The local host's IPv4 addresses. An address is a u32 whose lowest byte is the first number
// of the dotted form (127.0.0.1 is 0x0100007F).
class PNetHost {
 public:
  // The addresses of the interfaces that are up, each once, in the system's order with the
  // loopback addresses last. Never empty: with nothing found, 127.0.0.1 alone.
  static std::vector<uint32_t> LocalAddresses();
  static constexpr uint32_t kLoopback = 0x0100007F;
};
