// Feeds arbitrary bytes to the RIFF reader and the WAV loader: every chunk walk must end, and
// nothing may be read or allocated outside what the bytes hold.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "framework/media/GSoundWave.h"
#include "platform/PRiffFile.h"

namespace {

void WalkChunks(PRiffFile& file, const PRiffChunk* parent, int depth) {
  for (int i = 0; i < 4096; ++i) {
    PRiffChunk chunk;
    if (file.Descend(chunk, parent, 0) != PRiffFile::kOk) return;
    if (chunk.dataOffset + chunk.size > file.Size()) __builtin_trap();
    if (parent != nullptr && chunk.End() > parent->End()) __builtin_trap();
    if (depth < 4 && chunk.formType != 0) WalkChunks(file, &chunk, depth + 1);
    if (file.Ascend(chunk) != PRiffFile::kOk) return;
    if (file.Tell() < chunk.dataOffset) __builtin_trap();  // every step moves on
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    auto file = PRiffFile::OpenMemory(data, size);
    WalkChunks(*file, nullptr, 0);
  }
  {
    uint32_t count = 0;
    std::unique_ptr<uint8_t[]> samples;
    int32_t result = GSoundWave::LoadWaveFile(PRiffFile::OpenMemory(data, size), count, samples);
    if (result == GSoundWave::kOk && (count > size || count > GSoundWave::kMaxSampleBytes)) __builtin_trap();
  }
  {
    std::unique_ptr<PRiffFile> file;
    std::unique_ptr<GSoundWaveFormat> format;
    PRiffChunk riff;
    if (GSoundWave::OpenWaveFile(PRiffFile::OpenMemory(data, size), file, format, riff) == GSoundWave::kOk) {
      int64_t n = GSoundWave::FindWaveData(*file, riff);
      uint8_t buffer[4096];
      int64_t read = 0;
      if (n > 0) GSoundWave::ReadWaveData(*file, static_cast<uint32_t>(n < 4096 ? n : 4096), buffer, &read);
      GSoundWave::CloseWaveFile(file, format);
    }
  }
  return 0;
}
