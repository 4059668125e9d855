// Both ends of a link in one process over real loopback sockets on an ephemeral port. Every
// loop is bounded by a wall-clock deadline.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "framework/media/NetLink.h"
#include "platform/PNetHost.h"
#include "platform/PNetTransport.h"

namespace {

using Clock = std::chrono::steady_clock;

// Message i carries its number in its first four bytes and then a pattern of that number.
std::string MakeMessage(uint32_t i, uint32_t length) {
  std::string m(length, '\0');
  for (uint32_t j = 0; j < length; ++j) m[j] = static_cast<char>(j * 131 + i * 7 + 1);
  for (uint32_t j = 0; j < 4 && j < length; ++j) m[j] = static_cast<char>(i >> (8 * j));
  return m;
}

struct Received {
  uint32_t count = 0;
  uint64_t bytes = 0;
  uint32_t bad = 0;
  std::vector<uint32_t> lengths;
  std::vector<std::string> lost;
  void Take(const uint8_t* data, uint32_t length) {
    if (std::string(reinterpret_cast<const char*>(data), length) != MakeMessage(count, length)) ++bad;
    lengths.push_back(length);
    ++count;
    bytes += length;
  }
};
Received gA, gB;

void OnMessageA(const uint8_t* data, uint32_t length) { gA.Take(data, length); }
void OnLostA(bool peerClosed) { gA.lost.push_back(peerClosed ? "peer" : "silent"); }
void OnMessageB(const uint8_t* data, uint32_t length) { gB.Take(data, length); }
void OnLostB(bool peerClosed) { gB.lost.push_back(peerClosed ? "peer" : "silent"); }

void Pass() {
  NetSelectLink(0);
  NetIdle();
  NetSelectLink(1);
  NetIdle();
}

class NetLinkSocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gA = Received{};
    gB = Received{};
    NetSetTransport(nullptr);
  }
  void TearDown() override {
    NetSelectLink(1);
    NetCloseEndpoint();
    NetSelectLink(0);
    NetCloseEndpoint();
  }
  bool BeforeDeadline() const { return Clock::now() < deadline_; }
  Clock::time_point deadline_ = Clock::now() + std::chrono::seconds(20);
};

TEST_F(NetLinkSocketTest, CarriesLargestMessagesAndTenMebibytesIntact) {
  NetSelectLink(0);
  ASSERT_TRUE(NetOpenEndpoint(true, PNetHost::kLoopback, 0, OnMessageA, OnLostA));
  uint16_t port = PNetTransport::System().LocalPort(NetEndpointForTests());
  ASSERT_NE(port, 0);
  NetSelectLink(1);
  ASSERT_TRUE(NetOpenEndpoint(false, PNetHost::kLoopback, port, OnMessageB, OnLostB));
  bool connected = false;
  while (!connected && BeforeDeadline()) {
    Pass();
    NetSelectLink(0);
    connected = NetIsConnected();
  }
  ASSERT_TRUE(connected);

  // The largest message, each way.
  std::string largest = MakeMessage(0, kNetMaxMessage);
  NetSelectLink(0);
  ASSERT_EQ(NetSend(largest.data(), kNetMaxMessage, 5), kNetQueued);
  NetSelectLink(1);
  ASSERT_EQ(NetSend(largest.data(), kNetMaxMessage, 5), kNetQueued);
  while ((gA.count < 1 || gB.count < 1) && BeforeDeadline()) Pass();
  ASSERT_EQ(gA.count, 1u);
  ASSERT_EQ(gB.count, 1u);
  EXPECT_EQ(gA.bad + gB.bad, 0u);
  EXPECT_EQ(gB.lengths[0], kNetMaxMessage);

  // 10 MiB from the host in 8,191-byte messages (the last one shorter).
  const uint64_t kTotal = 10u << 20;
  const uint32_t kChunk = 8191;
  const uint32_t kMessages = static_cast<uint32_t>((kTotal + kChunk - 1) / kChunk);
  uint32_t sent = 1;
  uint64_t sentBytes = 0;
  while ((gB.count < kMessages + 1) && BeforeDeadline()) {
    NetSelectLink(0);
    while (sent < kMessages + 1) {
      uint32_t length = static_cast<uint32_t>(std::min<uint64_t>(kChunk, kTotal - sentBytes));
      std::string m = MakeMessage(sent, length);
      if (NetQueueMessage(m.data(), length) != kNetQueued) break;
      ++sent;
      sentBytes += length;
    }
    Pass();
  }
  EXPECT_EQ(gB.count, kMessages + 1);
  EXPECT_EQ(gB.bytes, kNetMaxMessage + kTotal);
  EXPECT_EQ(gB.bad, 0u);
  EXPECT_EQ(gA.count, 1u);

  // The joining side leaves: the host hears it once, the leaving side not at all.
  NetSelectLink(1);
  NetCloseEndpoint();
  while (gA.lost.empty() && BeforeDeadline()) Pass();
  for (int i = 0; i < 5; ++i) Pass();
  EXPECT_EQ(gA.lost, std::vector<std::string>{"peer"});
  EXPECT_TRUE(gB.lost.empty());
  NetSelectLink(0);
  EXPECT_FALSE(NetIsConnected());
}

TEST_F(NetLinkSocketTest, NobodyListeningFailsAtOnce) {
  NetSelectLink(0);
  ASSERT_TRUE(NetOpenEndpoint(true, PNetHost::kLoopback, 0, OnMessageA, OnLostA));
  uint16_t port = PNetTransport::System().LocalPort(NetEndpointForTests());
  NetCloseEndpoint();
  auto start = Clock::now();
  EXPECT_FALSE(NetOpenEndpoint(false, PNetHost::kLoopback, port, OnMessageA, OnLostA));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(NetEndpointForTests(), 0u);
}

}  // namespace
