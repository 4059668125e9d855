// Speed of the game-file stored forms: the adaptive whole-file code against zlib levels 1 and 6
// on the same data in the same run (zlib only as a yardstick), in MB/s of plain data both ways,
// on 8 MiB each of noise, map-like data with long runs and English-like text; and typed field
// writes and reads through GFile.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#if __has_include(<zlib.h>)
#include <zlib.h>
#define FILEBENCH_HAS_ZLIB 1
#endif

#include "app/GameFile.h"
#include "framework/core/GFile.h"
#include "framework/core/GSplayDecoder.h"
#include "framework/core/GSplayEncoder.h"
#include "platform/PFile.h"
#include "platform/PPath.h"

namespace {

constexpr size_t kSize = 8u << 20;

std::vector<uint8_t> Noise(size_t n) {
  std::vector<uint8_t> v(n);
  uint64_t s = 0x9E3779B97F4A7C15ull;
  for (auto& b : v) {
    s ^= s << 13;
    s ^= s >> 7;
    s ^= s << 17;
    b = static_cast<uint8_t>(s >> 32);
  }
  return v;
}

// Terrain-like bytes: runs of 1 to 200 of a dozen values, now and then a noisy stretch.
std::vector<uint8_t> MapLike(size_t n) {
  std::vector<uint8_t> noise = Noise(n / 4 + 1024);
  std::vector<uint8_t> v;
  v.reserve(n);
  size_t k = 0;
  auto next = [&] { return noise[k++ % noise.size()]; };
  while (v.size() < n) {
    if (next() < 8) {
      for (int i = next(); i > 0 && v.size() < n; --i) v.push_back(next());
      continue;
    }
    uint8_t value = static_cast<uint8_t>(next() % 12);
    size_t run = 1 + (static_cast<size_t>(next()) * 200) / 256;
    for (size_t i = 0; i < run && v.size() < n; ++i) v.push_back(value);
  }
  return v;
}

// Words of a few letters with spaces, punctuation and line ends, common words more often.
std::vector<uint8_t> Text(size_t n) {
  static const char* const kWords[] = {"the",   "of",     "and",    "to",      "a",        "in",    "tank",
                                       "infantry", "moves", "along",  "road",    "river",    "bridge", "fire",
                                       "company", "platoon", "smoke", "village", "ridge",    "hold",   "advance",
                                       "enemy",  "north",  "south",  "artillery", "support", "at",     "by"};
  constexpr size_t kCount = sizeof(kWords) / sizeof(kWords[0]);
  std::vector<uint8_t> noise = Noise(n / 2 + 1024);
  std::vector<uint8_t> v;
  v.reserve(n + 16);
  size_t k = 0, line = 0;
  while (v.size() < n) {
    uint8_t r = noise[k++ % noise.size()];
    const char* word = kWords[(r < 128 ? r % 8 : r) % kCount];
    for (const char* c = word; *c != 0; ++c) v.push_back(static_cast<uint8_t>(*c));
    uint8_t p = noise[k++ % noise.size()];
    if (p < 20) v.push_back(',');
    if (p < 8) v.push_back('.');
    line += 1;
    v.push_back(line % 12 == 0 ? '\n' : ' ');
  }
  v.resize(n);
  return v;
}

const std::vector<uint8_t>& Data(int kind) {
  static const std::vector<uint8_t> noise = Noise(kSize);
  static const std::vector<uint8_t> map = MapLike(kSize);
  static const std::vector<uint8_t> text = Text(kSize);
  return kind == 0 ? noise : kind == 1 ? map : text;
}

std::vector<uint8_t> SplayEncode(const std::vector<uint8_t>& data) {
  std::vector<uint8_t> out;
  out.reserve(data.size() + data.size() / 8 + 16);
  GSplayEncoder encoder([&out](const uint8_t* b, size_t n) { out.insert(out.end(), b, b + n); });
  encoder.Put(data.data(), data.size());
  encoder.Finish();
  return out;
}

void SetLabel(benchmark::State& state, int kind) {
  state.SetLabel(kind == 0 ? "noise" : kind == 1 ? "map-like" : "text");
}

void BM_SplayCompress(benchmark::State& state) {
  const auto& data = Data(static_cast<int>(state.range(0)));
  size_t stored = 0;
  for (auto _ : state) {
    auto out = SplayEncode(data);
    stored = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
  state.counters["ratio"] = static_cast<double>(stored) / static_cast<double>(data.size());
  SetLabel(state, static_cast<int>(state.range(0)));
}

void BM_SplayDecompress(benchmark::State& state) {
  const auto& data = Data(static_cast<int>(state.range(0)));
  auto code = SplayEncode(data);
  std::vector<uint8_t> out;
  out.reserve(data.size());
  for (auto _ : state) {
    out.clear();
    GSplayDecoder decoder([&out](const uint8_t* b, size_t n) { out.insert(out.end(), b, b + n); });
    decoder.Put(code.data(), code.size());
    if (!decoder.Finish() || out.size() != data.size()) state.SkipWithError("round trip failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
  state.counters["ratio"] = static_cast<double>(code.size()) / static_cast<double>(data.size());
  SetLabel(state, static_cast<int>(state.range(0)));
}

#ifdef FILEBENCH_HAS_ZLIB
std::vector<uint8_t> ZlibCompress(const std::vector<uint8_t>& data, int level) {
  uLongf n = compressBound(static_cast<uLong>(data.size()));
  std::vector<uint8_t> out(n);
  compress2(out.data(), &n, data.data(), static_cast<uLong>(data.size()), level);
  out.resize(n);
  return out;
}

void BM_ZlibCompress(benchmark::State& state) {
  const auto& data = Data(static_cast<int>(state.range(0)));
  int level = static_cast<int>(state.range(1));
  size_t stored = 0;
  for (auto _ : state) {
    auto out = ZlibCompress(data, level);
    stored = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
  state.counters["ratio"] = static_cast<double>(stored) / static_cast<double>(data.size());
  SetLabel(state, static_cast<int>(state.range(0)));
}

void BM_ZlibDecompress(benchmark::State& state) {
  const auto& data = Data(static_cast<int>(state.range(0)));
  auto code = ZlibCompress(data, static_cast<int>(state.range(1)));
  std::vector<uint8_t> out(data.size());
  for (auto _ : state) {
    uLongf n = static_cast<uLongf>(out.size());
    if (uncompress(out.data(), &n, code.data(), static_cast<uLong>(code.size())) != Z_OK)
      state.SkipWithError("zlib failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
  state.counters["ratio"] = static_cast<double>(code.size()) / static_cast<double>(data.size());
  SetLabel(state, static_cast<int>(state.range(0)));
}
#endif

// Typed fields through GFile: a U32, a U16, a byte and a float per round, four fields.
constexpr int kRounds = 1 << 18;

std::string BenchPath() { return PPath::TempFolder() + "tarvane-filebench-" + std::to_string(getpid()); }

void BM_GFileTypedWrite(benchmark::State& state) {
  for (auto _ : state) {
    GFile file;
    file.IFile(PFile::Open(BenchPath(), PFile::kRead | PFile::kWrite, PFile::Disposition::kCreateAlways),
               BenchPath().c_str(), GFile::kModeTemporary);
    for (int i = 0; i < kRounds; ++i) {
      file.WriteU32(static_cast<uint32_t>(i));
      file.WriteU16(static_cast<uint16_t>(i));
      file.WriteByte(static_cast<uint8_t>(i));
      file.WriteFloat(static_cast<float>(i));
    }
    file.FlushBuffer();
  }
  state.SetItemsProcessed(state.iterations() * kRounds * 4);
}

void BM_GFileTypedRead(benchmark::State& state) {
  {
    GFile file;
    file.IFile(PFile::Open(BenchPath(), PFile::kRead | PFile::kWrite, PFile::Disposition::kCreateAlways),
               BenchPath().c_str(), GFile::kModeWrite);
    for (int i = 0; i < kRounds; ++i) {
      file.WriteU32(static_cast<uint32_t>(i));
      file.WriteU16(static_cast<uint16_t>(i));
      file.WriteByte(static_cast<uint8_t>(i));
      file.WriteFloat(static_cast<float>(i));
    }
  }
  for (auto _ : state) {
    GFile file;
    file.IFile(PFile::Open(BenchPath(), PFile::kRead, PFile::Disposition::kOpenExisting), BenchPath().c_str(),
               GFile::kModeRead);
    uint32_t sum = 0;
    for (int i = 0; i < kRounds; ++i) {
      sum += file.ReadU32();
      sum += file.ReadU16();
      sum += static_cast<uint8_t>(file.ReadByte());
      sum += static_cast<uint32_t>(file.ReadFloat());
    }
    benchmark::DoNotOptimize(sum);
    if (file.HasError()) state.SkipWithError("short read");
  }
  state.SetItemsProcessed(state.iterations() * kRounds * 4);
  std::remove(PPath::ToNative(BenchPath()).c_str());
}

// A hostile game file of 100 MB: a game file's raw header declaring no units, then zeros,
// which the coder reads as some 80 MB of bytes. Opening it must refuse it quickly: decoding
// stops once its output passes what the header's unit count allows, as in the program; with
// argument 1 the fixed bound on any decoded file alone applies.
void BM_HostileGameFileRefused(benchmark::State& state) {
  GFile::SetGameFileDecodeLimit(state.range(0) == 0 ? GameFile::DecodeLimit : nullptr);
  const std::string path = BenchPath() + "-hostile";
  {
    std::unique_ptr<PFile> out = PFile::Open(path, PFile::kWrite, PFile::Disposition::kCreateAlways);
    std::vector<uint8_t> chunk(1 << 20, 0);
    chunk[0] = 2;
    chunk[1] = 4;
    out->Write(chunk.data(), chunk.size());
    chunk[0] = chunk[1] = 0;
    for (int i = 1; i < 100; ++i) out->Write(chunk.data(), chunk.size());
  }
  for (auto _ : state) {
    GFile file;
    const bool opened =
        file.IFile(PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting), path.c_str(), GFile::kModeReadGameFile);
    if (opened) state.SkipWithError("a 100 MB hostile file was decoded");
  }
  std::remove(PPath::ToNative(path).c_str());
  GFile::SetGameFileDecodeLimit(nullptr);
}

// A battle file of some 300 KB as stored: map-like data written as a game file (raw prefix,
// then the code), then opened (which decodes it into the work file) and read whole.
void BM_BattleFileRead(benchmark::State& state) {
  constexpr int32_t kPlain = 1700 * 1024;
  const std::string path = BenchPath() + "-battle";
  const std::vector<uint8_t> plain = MapLike(kPlain);
  {
    GFile file;
    file.IFile(PFile::Open(path, PFile::kRead | PFile::kWrite, PFile::Disposition::kCreateAlways), path.c_str(),
               GFile::kModeWriteGameFile);
    file.Write(plain.data(), kPlain);
  }
  std::vector<uint8_t> back(kPlain);
  for (auto _ : state) {
    GFile file;
    file.IFile(PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting), path.c_str(),
               GFile::kModeReadGameFile);
    file.Read(back.data(), kPlain);
    if (file.HasError()) state.SkipWithError("short read");
  }
  if (back != plain) state.SkipWithError("round trip failed");
  {
    std::unique_ptr<PFile> stored = PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting);
    state.counters["stored KB"] = stored ? static_cast<double>(stored->Size()) / 1024.0 : 0.0;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kPlain);
  std::remove(PPath::ToNative(path).c_str());
}

}  // namespace

// The file benchmarks wait on the file system as well as compute: they are timed and rated by
// the wall clock (the processor time stands beside it).
BENCHMARK(BM_BattleFileRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HostileGameFileRefused)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_SplayCompress)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplayDecompress)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
#ifdef FILEBENCH_HAS_ZLIB
BENCHMARK(BM_ZlibCompress)->ArgsProduct({{0, 1, 2}, {1, 6}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibDecompress)->ArgsProduct({{0, 1, 2}, {1, 6}})->Unit(benchmark::kMillisecond);
#endif
BENCHMARK(BM_GFileTypedWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GFileTypedRead)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
