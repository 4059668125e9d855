// Throughput of the TCP/IP link over loopback: 10 MiB from one end to the other in 8,191-byte
// messages (the size the game's file transfer uses), both ends in this process. The MB/s
// counter is the result.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "framework/media/NetLink.h"
#include "platform/PNetHost.h"
#include "platform/PNetTransport.h"

namespace {

uint64_t gReceived = 0;
void OnMessage(const uint8_t*, uint32_t length) { gReceived += length; }
void OnLost(bool) {}

void Pass() {
  NetSelectLink(0);
  NetIdle();
  NetSelectLink(1);
  NetIdle();
}

void BM_NetLoopbackTenMiB(benchmark::State& state) {
  const uint64_t kTotal = 10u << 20;
  const uint32_t kChunk = 8191;
  std::string message(kChunk, 'm');
  NetSetTransport(nullptr);
  for (auto _ : state) {
    state.PauseTiming();
    NetSelectLink(0);
    if (!NetOpenEndpoint(true, PNetHost::kLoopback, 0, OnMessage, OnLost)) {
      state.SkipWithError("cannot listen");
      break;
    }
    uint16_t port = PNetTransport::System().LocalPort(NetEndpointForTests());
    NetSelectLink(1);
    if (!NetOpenEndpoint(false, PNetHost::kLoopback, port, OnMessage, OnLost)) {
      state.SkipWithError("cannot connect");
      break;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    NetSelectLink(0);
    while (!NetIsConnected() && std::chrono::steady_clock::now() < deadline) {
      Pass();
      NetSelectLink(0);
    }
    gReceived = 0;
    state.ResumeTiming();

    uint64_t sent = 0;
    while (gReceived < kTotal && std::chrono::steady_clock::now() < deadline) {
      NetSelectLink(0);
      while (sent < kTotal) {
        uint32_t length = static_cast<uint32_t>(kTotal - sent < kChunk ? kTotal - sent : kChunk);
        if (NetQueueMessage(message.data(), length) != kNetQueued) break;
        sent += length;
      }
      Pass();
    }

    state.PauseTiming();
    if (gReceived != kTotal) state.SkipWithError("transfer incomplete");
    NetSelectLink(1);
    NetCloseEndpoint();
    NetSelectLink(0);
    NetCloseEndpoint();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kTotal));
  state.counters["MB/s"] = benchmark::Counter(static_cast<double>(state.iterations() * kTotal) / 1e6,
                                              benchmark::Counter::kIsRate);
}
BENCHMARK(BM_NetLoopbackTenMiB)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
