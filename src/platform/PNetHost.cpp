#include "platform/PNetHost.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>

std::vector<uint32_t> PNetHost::LocalAddresses() {
  std::vector<uint32_t> outer;
  std::vector<uint32_t> loopback;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) == 0) {
    for (ifaddrs* i = list; i != nullptr; i = i->ifa_next) {
      if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET) continue;
      if ((i->ifa_flags & IFF_UP) == 0) continue;
      uint32_t host = ntohl(reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr);
      // First dotted number into the lowest byte.
      uint32_t value = ((host >> 24) & 0xFFu) | ((host >> 8) & 0xFF00u) |
                       ((host << 8) & 0xFF0000u) | ((host << 24) & 0xFF000000u);
      if (value == 0) continue;
      bool isLoopback = (host >> 24) == 127 || (i->ifa_flags & IFF_LOOPBACK) != 0;
      std::vector<uint32_t>& to = isLoopback ? loopback : outer;
      if (std::find(to.begin(), to.end(), value) == to.end()) to.push_back(value);
    }
    ::freeifaddrs(list);
  }
  outer.insert(outer.end(), loopback.begin(), loopback.end());
  if (outer.empty()) outer.push_back(kLoopback);
  return outer;
}
