#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/PNetHost.h"
#include "platform/PNetMemoryTransport.h"
#include "platform/PNetSocketTransport.h"
#include "platform/PNetTransport.h"

namespace {

using Clock = std::chrono::steady_clock;

// What one side of a test connection saw through its callback.
struct Side {
  PNetTransport* transport = nullptr;
  std::vector<int> codes;
  uint32_t accepted = 0;
  bool accept = true;         // answer connection requests with accept (else reject)
  bool sawCode5InCode1 = false;
  bool inCode1 = false;
  uint32_t endpointAtClose = 0;
};

void SideCallback(uint32_t endpoint, void* context, int32_t code, int32_t, uint32_t cookie) {
  Side& s = *static_cast<Side*>(context);
  s.codes.push_back(code);
  if (code == PNetTransport::kConnectRequest) {
    s.inCode1 = true;
    if (s.accept) {
      EXPECT_TRUE(s.transport->AcceptConnection(endpoint, cookie, SideCallback, context));
    } else {
      s.transport->RejectConnection(endpoint, cookie);
    }
    s.inCode1 = false;
  } else if (code == PNetTransport::kAcceptComplete) {
    if (s.inCode1) s.sawCode5InCode1 = true;
    s.accepted = endpoint;
  } else if (code == PNetTransport::kCloseComplete) {
    s.endpointAtClose = endpoint;
  }
}

std::string Config(const char* address, int port) {
  return std::string("type=1231971700\tversion=256\tgameID=772836021\tgameName=myGame\tmode=3\tIPaddr=") +
         address + "\tIPport=" + std::to_string(port);
}

int Count(const std::vector<int>& codes, int code) {
  int n = 0;
  for (int c : codes) n += c == code;
  return n;
}

// Receives everything that is waiting (the callback's code-3 bytes go nowhere).
std::string ReceiveAll(PNetTransport& t, uint32_t endpoint) {
  std::string got;
  char buffer[65536];
  for (int i = 0; i < 1000; ++i) {
    uint32_t size = sizeof buffer;
    if (t.Receive(endpoint, buffer, &size) != PNetTransport::kOk) break;
    got.append(buffer, size);
  }
  return got;
}

TEST(PNetTransport, ReadsAddressAndPortBackFromTheConfigurationText) {
  uint32_t address = 0;
  uint16_t port = 0;
  ASSERT_TRUE(PNetTransport::ParseConfig(Config("0.0.0.0", 7023).c_str(), &address, &port));
  EXPECT_EQ(address, 0u);
  EXPECT_EQ(port, 7023);
  ASSERT_TRUE(PNetTransport::ParseConfig(Config("192.168.1.20", 65535).c_str(), &address, &port));
  EXPECT_EQ(address, 0x1401A8C0u);  // first number in the lowest byte
  EXPECT_EQ(port, 65535);
  for (const std::string& bad :
       {Config("1.2.3", 7023), Config("1.2.3.256", 7023), Config("1.2.3.4x", 7023),
        Config("1.2.3.4", 65536), Config("1.2.3.4", -1), std::string("IPaddr=1.2.3.4"),
        std::string("IPport=7023"), std::string("xIPaddr=1.2.3.4\tIPport=1"), std::string()}) {
    EXPECT_FALSE(PNetTransport::ParseConfig(bad.c_str(), &address, &port)) << bad;
  }
  EXPECT_FALSE(PNetTransport::ParseConfig(nullptr, &address, &port));
}

TEST(PNetHost, ListsUpAddressesOnceWithLoopbackLast) {
  std::vector<uint32_t> list = PNetHost::LocalAddresses();
  ASSERT_FALSE(list.empty());
  bool seenLoopback = false;
  for (size_t i = 0; i < list.size(); ++i) {
    EXPECT_NE(list[i], 0u);
    bool loopback = (list[i] & 0xFF) == 127;
    if (seenLoopback) {
      EXPECT_TRUE(loopback) << "a loopback address before an outer one";
    }
    seenLoopback = seenLoopback || loopback;
    for (size_t j = 0; j < i; ++j) EXPECT_NE(list[i], list[j]);
  }
}

TEST(PNetMemoryTransport, LinksTwoEndpointsWithLimitsAndPeerClose) {
  PNetMemoryTransport t;
  Side server, client;
  server.transport = client.transport = &t;
  EXPECT_EQ(t.OpenEndpoint(Config("127.0.0.1", 50).c_str(), true, SideCallback, &client), 0u);  // refused
  uint32_t listener = t.OpenEndpoint(Config("0.0.0.0", 50).c_str(), false, SideCallback, &server);
  ASSERT_NE(listener, 0u);
  EXPECT_EQ(t.OpenEndpoint(Config("0.0.0.0", 50).c_str(), false, SideCallback, &server), 0u);  // taken
  uint32_t c = t.OpenEndpoint(Config("127.0.0.1", 50).c_str(), true, SideCallback, &client);
  ASSERT_NE(c, 0u);
  t.Idle(listener);
  EXPECT_EQ(server.codes, (std::vector<int>{1, 5}));
  EXPECT_FALSE(server.sawCode5InCode1);
  uint32_t s = server.accepted;
  ASSERT_NE(s, 0u);

  t.SetSendLimit(c, 3);
  t.SetCapacity(s, 5);
  EXPECT_EQ(t.Send(c, "abcdefgh", 8), 3);
  EXPECT_EQ(t.Send(c, "defgh", 5), 2);  // only two more fit
  EXPECT_EQ(t.Send(c, "fgh", 3), 0);
  t.SetReceiveLimit(s, 2);
  char buffer[16];
  uint32_t size = sizeof buffer;
  ASSERT_EQ(t.Receive(s, buffer, &size), PNetTransport::kOk);
  EXPECT_EQ(std::string(buffer, size), "ab");
  t.SetReceiveLimit(s, 0);
  t.Idle(s);
  EXPECT_EQ(Count(server.codes, PNetTransport::kData), 1);

  t.InjectPeerClose(s);  // the client's program is gone
  t.Idle(s);  // data still waiting: no death yet
  EXPECT_EQ(Count(server.codes, PNetTransport::kEndpointDied), 0);
  EXPECT_EQ(ReceiveAll(t, s), "cde");
  size = sizeof buffer;
  EXPECT_EQ(t.Receive(s, buffer, &size), PNetTransport::kFailed);
  t.Idle(s);
  t.Idle(s);
  EXPECT_EQ(Count(server.codes, PNetTransport::kEndpointDied), 1);
  t.CloseEndpoint(s, false);
  EXPECT_EQ(server.endpointAtClose, s);
  t.CloseEndpoint(listener, false);
  EXPECT_EQ(t.OpenCount(), 0u);
}

TEST(PNetMemoryTransport, AnUnansweredOrRejectedRequestEndsTheConnectingSide) {
  PNetMemoryTransport t;
  Side server, a, b;
  server.transport = &t;
  server.accept = false;
  uint32_t listener = t.OpenEndpoint(Config("0.0.0.0", 9).c_str(), false, SideCallback, &server);
  uint32_t ca = t.OpenEndpoint(Config("127.0.0.1", 9).c_str(), true, SideCallback, &a);
  t.Idle(listener);
  t.Idle(ca);
  EXPECT_EQ(a.codes, (std::vector<int>{7}));
  t.CloseEndpoint(ca, false);
  uint32_t cb = t.OpenEndpoint(Config("127.0.0.1", 9).c_str(), true, SideCallback, &b);
  t.CloseEndpoint(listener, false);  // closing the listener refuses what waits there
  t.Idle(cb);
  EXPECT_EQ(b.codes, (std::vector<int>{7}));
}

// Real sockets on the loopback interface, an ephemeral port, every wait bounded.
TEST(PNetSocketTransport, ConnectsSendsAndClosesOverLoopback) {
  PNetSocketTransport t;
  Side server, client;
  server.transport = client.transport = &t;
  uint32_t listener = t.OpenEndpoint(Config("127.0.0.1", 0).c_str(), false, SideCallback, &server);
  ASSERT_NE(listener, 0u);
  uint16_t port = t.LocalPort(listener);
  ASSERT_NE(port, 0);
  uint32_t c = t.OpenEndpoint(Config("127.0.0.1", port).c_str(), true, SideCallback, &client);
  ASSERT_NE(c, 0u);
  auto deadline = Clock::now() + std::chrono::seconds(5);
  while (server.accepted == 0 && Clock::now() < deadline) t.Idle(listener);
  ASSERT_NE(server.accepted, 0u);
  EXPECT_EQ(server.codes, (std::vector<int>{1, 5}));
  EXPECT_FALSE(server.sawCode5InCode1);
  uint32_t s = server.accepted;

  // A second request while the first is served: the application rejects it.
  Side other;
  other.transport = &t;
  uint32_t c2 = t.OpenEndpoint(Config("127.0.0.1", port).c_str(), true, SideCallback, &other);
  ASSERT_NE(c2, 0u);
  server.accept = false;
  while (Count(server.codes, 1) < 2 && Clock::now() < deadline) t.Idle(listener);
  EXPECT_EQ(server.codes, (std::vector<int>{1, 5, 1}));
  while (other.codes.empty() && Clock::now() < deadline) t.Idle(c2);
  EXPECT_EQ(other.codes.back(), PNetTransport::kEndpointDied);
  t.CloseEndpoint(c2, false);

  // Every socket closes on exec; the connected ones send without Nagle's delay.
  int sockets = 0;
  for (int fd = 3; fd < 1024; ++fd) {
    struct stat st{};
    if (::fstat(fd, &st) != 0 || !S_ISSOCK(st.st_mode)) continue;
    ++sockets;
    EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0) << fd;
    EXPECT_NE(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0) << fd;
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0) continue;
    int noDelay = 0;
    length = sizeof noDelay;
    ASSERT_EQ(::getsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, &length), 0);
    EXPECT_NE(noDelay, 0) << fd;
  }
  EXPECT_GE(sockets, 3);

  std::string sent(200000, '\0');
  for (size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>(i * 7);
  std::string got;
  size_t offset = 0;
  while ((offset < sent.size() || got.size() < sent.size()) && Clock::now() < deadline) {
    if (offset < sent.size()) {
      int32_t n = t.Send(c, sent.data() + offset, static_cast<uint32_t>(sent.size() - offset));
      ASSERT_GE(n, 0);
      offset += static_cast<size_t>(n);
    }
    t.Idle(s);
    got += ReceiveAll(t, s);
  }
  EXPECT_TRUE(got == sent);
  EXPECT_GT(Count(server.codes, PNetTransport::kData), 0);

  // Closing: the bytes sent just before still arrive, then the other side dies.
  ASSERT_EQ(t.Send(c, "bye", 3), 3);
  t.CloseEndpoint(c, true);
  EXPECT_EQ(client.endpointAtClose, c);  // code 8 before the close returned
  EXPECT_EQ(t.LocalPort(c), 0);
  got.clear();
  while (Count(server.codes, PNetTransport::kEndpointDied) == 0 && Clock::now() < deadline) {
    t.Idle(s);
    got += ReceiveAll(t, s);
  }
  EXPECT_EQ(got, "bye");
  EXPECT_EQ(Count(server.codes, PNetTransport::kEndpointDied), 1);
  EXPECT_EQ(t.Send(s, "x", 1), PNetTransport::kFailed);
  t.CloseEndpoint(s, false);
  t.CloseEndpoint(listener, false);
}

TEST(PNetSocketTransport, ARefusedConnectionFailsAtOnce) {
  PNetSocketTransport t;
  Side side;
  side.transport = &t;
  // Take an ephemeral port and give it back: nothing listens there now.
  uint32_t listener = t.OpenEndpoint(Config("127.0.0.1", 0).c_str(), false, SideCallback, &side);
  uint16_t port = t.LocalPort(listener);
  t.CloseEndpoint(listener, false);
  auto start = Clock::now();
  EXPECT_EQ(t.OpenEndpoint(Config("127.0.0.1", port).c_str(), true, SideCallback, &side), 0u);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(t.OpenEndpoint(Config("127.0.0.1", 0).c_str(), true, SideCallback, &side), 0u);
  EXPECT_EQ(t.OpenEndpoint("IPport=1", true, SideCallback, &side), 0u);
}

}  // namespace
