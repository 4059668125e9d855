// The time the mixer takes for one callback's worth of output (1024 frames) with 20 buffers
// playing: plain mono, positional mono and stereo.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "platform/PAudioDevice.h"

namespace {

void BM_Mix1024FramesOf20Buffers(benchmark::State& state) {
  PAudioOptions options;
  options.backend = PAudioOptions::Backend::kNull;
  int32_t result = 0;
  auto device = PAudioDevice::Create(options, &result);
  device->ObtainPrimary(true);
  device->SetRolloffFactor(0.4f);
  std::vector<std::unique_ptr<PAudioBuffer>> buffers;
  for (int i = 0; i < 20; ++i) {
    PAudioBufferDesc desc;
    desc.bytes = 1048576;
    desc.channels = i < 2 ? 2 : 1;
    desc.is3D = i >= 6;
    auto buffer = device->CreateBuffer(desc, &result);
    uint8_t* p = nullptr;
    uint32_t n = 0;
    buffer->Lock(0, 0, true, &p, &n);
    for (uint32_t k = 0; k < n; ++k) p[k] = static_cast<uint8_t>(k * 31 + i);
    buffer->Unlock(p, n);
    if (desc.is3D) buffer->SetPosition(static_cast<float>(i - 13), 1.0f, static_cast<float>(i));
    buffer->Play(true);
    buffers.push_back(std::move(buffer));
  }
  std::vector<int16_t> out(2 * 1024);
  for (auto _ : state) {
    device->Render(out.data(), 1024);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * 1024);
}
BENCHMARK(BM_Mix1024FramesOf20Buffers);

}  // namespace

BENCHMARK_MAIN();
