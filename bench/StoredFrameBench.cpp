// The stored busy frame: the device calls of the busy battlefield frame (see BusyFrameBench),
// recorded once into data/BusyFrame.frame, replayed into the software device at 1024 x 768
// on 1 and 2 drawing threads. The scene is the same in every commit, so that rasterisers
// compare: this file and StoredFrame.h use only the device and surfaces, and build in an
// older commit as they are (copied with the data file into its bench folder).
// Reported: milliseconds per frame until its last pixel is drawn (median, 95th percentile,
// best) and frames a second at the median; the processor time of all the program's threads
// a frame (cpu_ms, the median), which a loaded machine inflates far less than the time on the
// clock and so compares builds run side by side there; the frame's triangles; whether the
// pixels drawn hash as those recorded (same_pixels 1); and the calls the device refused.
// Aim: 60 frames a second on 1 thread and 100 on 2.
// TARVANE_STORED_FRAME names another stored frame to replay.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ctime>
#include <string>
#include <vector>

#include <unistd.h>

#include "StoredFrame.h"
#include "platform/PSoft3DDevice.h"
#include "platform/PSurface.h"

namespace {

std::string FramePath() {
  if (const char* path = std::getenv("TARVANE_STORED_FRAME"); path != nullptr) return path;
  std::string here = __FILE__;
  // A compiler cache may name this file relative to the build folder, where the compiler ran:
  // that is the folder above the program's own (build/<kind>/bench).
  if (!here.empty() && here.front() != '/') {
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (length > 0) {
      const std::string program(self, static_cast<size_t>(length));
      const size_t end = program.find_last_of('/');
      if (end != std::string::npos) here = program.substr(0, end) + "/../" + here;
    }
  }
  const size_t slash = here.find_last_of('/');
  return (slash == std::string::npos ? std::string(".") : here.substr(0, slash)) + "/data/BusyFrame.frame";
}

// The processor time of all the program's threads so far, in milliseconds.
double ProcessCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

const StoredFrame& TheFrame(std::string& error) {
  static StoredFrame frame;
  static std::string failure;
  static bool read = false;
  if (!read) {
    read = true;
    std::ifstream in(FramePath(), std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && bytes.empty()) failure = "cannot read " + FramePath();
    else if (!frame.Read(bytes.data(), bytes.size())) failure = FramePath() + ": " + frame.Error();
  }
  error = failure;
  return frame;
}

void StoredBusyFrame(benchmark::State& state) {
  std::string error;
  const StoredFrame& frame = TheFrame(error);
  if (!error.empty()) {
    state.SkipWithError(error.c_str());
    return;
  }
  PSurface target(frame.Width(), frame.Height(), frame.Format());
  PSoft3DDevice device(&target, static_cast<int32_t>(state.range(0)));
  std::vector<double> ms, cpu;
  ms.reserve(static_cast<size_t>(state.max_iterations));
  cpu.reserve(static_cast<size_t>(state.max_iterations));
  int32_t refused = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuMs();
    refused = frame.Replay(device);
    device.Settle();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    cpu.push_back(ProcessCpuMs() - cpuStart);
  }
  std::sort(ms.begin(), ms.end());
  std::sort(cpu.begin(), cpu.end());
  if (ms.empty()) return;
  const double median = ms[ms.size() / 2];
  state.counters["median_ms"] = median;
  state.counters["p95_ms"] = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
  state.counters["best_ms"] = ms.front();
  state.counters["fps"] = 1000.0 / median;
  state.counters["cpu_ms"] = cpu[cpu.size() / 2];
  state.counters["triangles"] = static_cast<double>(frame.Triangles());
  state.counters["same_pixels"] = StoredFrame::PixelHash(target) == frame.RecordedHash() ? 1 : 0;
  state.counters["refused"] = refused;
}

}  // namespace

BENCHMARK(StoredBusyFrame)->ArgName("threads")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(100);

BENCHMARK_MAIN();
