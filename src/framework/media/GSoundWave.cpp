#include "framework/media/GSoundWave.h"

#include <cstdio>
#include <new>

namespace {
constexpr uint32_t kRiff = PRiffFile::FourCC('R', 'I', 'F', 'F');
constexpr uint32_t kWave = PRiffFile::FourCC('W', 'A', 'V', 'E');
constexpr uint32_t kFmt = PRiffFile::FourCC('f', 'm', 't', ' ');
constexpr uint32_t kData = PRiffFile::FourCC('d', 'a', 't', 'a');

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
}  // namespace

void GSoundWave::MakeWaveFileName(std::string& name, int16_t number) {
  const char* zeros = number >= 10000 ? "000" : number >= 1000 ? "0000" : "00000";
  char text[32];
  std::snprintf(text, sizeof text, "WAV\\%s%d.wav", zeros, static_cast<int>(number));
  name = text;
}

int32_t GSoundWave::OpenWaveFile(const std::string& path, std::unique_ptr<PRiffFile>& file,
                                 std::unique_ptr<GSoundWaveFormat>& format, PRiffChunk& riff) {
  format.reset();
  file.reset();
  std::unique_ptr<PRiffFile> opened = PRiffFile::Open(path);
  if (!opened) return kErrCannotOpen;
  return OpenWaveFile(std::move(opened), file, format, riff);
}

int32_t GSoundWave::OpenWaveFile(std::unique_ptr<PRiffFile> opened, std::unique_ptr<PRiffFile>& file,
                                 std::unique_ptr<GSoundWaveFormat>& format, PRiffChunk& riff) {
  format.reset();
  file.reset();
  if (!opened) return kErrCannotOpen;
  auto result = [&]() -> int32_t {
    int32_t r = opened->Descend(riff, nullptr, 0, true);
    if (r != 0) return r;
    if (riff.id != kRiff || riff.formType != kWave) return kErrNotWave;
    PRiffChunk fmt;
    r = opened->Descend(fmt, &riff, kFmt);
    if (r != 0) return r;
    if (fmt.size < 16) return kErrNotWave;
    uint8_t head[16];
    if (opened->Read(head, 16) != 16) return kErrShortFormat;
    uint16_t extra = 0;
    uint16_t tag = Le16(head);
    if (tag != 1) {
      uint8_t count[2];
      // The extra count must lie inside the chunk, not in whatever follows it.
      if (fmt.size < 18 || opened->Read(count, 2) != 2) return kErrShortFormat;
      extra = Le16(count);
      if (extra > fmt.size - 18) return kErrNotWave;  // fewer extra bytes than announced
    }
    auto block = std::unique_ptr<GSoundWaveFormat>(new (std::nothrow) GSoundWaveFormat());
    if (!block) return kErrNoMemory;
    block->formatTag = tag;
    block->channels = Le16(head + 2);
    block->samplesPerSec = Le32(head + 4);
    block->avgBytesPerSec = Le32(head + 8);
    block->blockAlign = Le16(head + 12);
    block->bitsPerSample = Le16(head + 14);
    block->extraSize = extra;
    if (extra > 0) {
      block->extra.resize(extra);
      if (opened->Read(block->extra.data(), extra) != extra) return kErrNotWave;
    }
    r = opened->Ascend(fmt);
    if (r != 0) return r;
    format = std::move(block);
    return kOk;
  }();
  if (result != kOk) {
    format.reset();
    return result;
  }
  file = std::move(opened);
  return kOk;
}

int64_t GSoundWave::FindWaveData(PRiffFile& file, const PRiffChunk& riff) {
  if (file.Seek(riff.dataOffset + 4) < 0) return -1;
  PRiffChunk data;
  if (file.Descend(data, &riff, kData, true) != 0) return -1;
  return data.size;
}

void GSoundWave::ReadWaveData(PRiffFile& file, uint32_t count, uint8_t* destination, int64_t* bytesRead) {
  *bytesRead = file.Read(destination, count);
}

std::string GSoundWave::UnusualFormatText(const std::string& name, const GSoundWaveFormat& format) {
  if (format.formatTag == 1 && format.bitsPerSample == 16 && format.samplesPerSec == 44100) return "";
  char text[96];
  std::snprintf(text, sizeof text, " is format %u, %u-bit, %u Hz, %u channel(s); played as 16-bit 44100 Hz",
                static_cast<unsigned>(format.formatTag), static_cast<unsigned>(format.bitsPerSample),
                static_cast<unsigned>(format.samplesPerSec), static_cast<unsigned>(format.channels));
  return "Sound " + name + text;
}

int32_t GSoundWave::CloseWaveFile(std::unique_ptr<PRiffFile>& file, std::unique_ptr<GSoundWaveFormat>& format) {
  format.reset();
  file.reset();
  return kOk;
}

int32_t GSoundWave::LoadWaveFile(const std::string& path, uint32_t& byteCount, std::unique_ptr<uint8_t[]>& samples,
                                 GSoundWaveFormat* formatOut) {
  byteCount = 0;
  samples.reset();
  std::unique_ptr<PRiffFile> opened = PRiffFile::Open(path);
  if (!opened) return kErrCannotOpen;
  return LoadWaveFile(std::move(opened), byteCount, samples, formatOut);
}

int32_t GSoundWave::LoadWaveFile(std::unique_ptr<PRiffFile> opened, uint32_t& byteCount,
                                 std::unique_ptr<uint8_t[]>& samples, GSoundWaveFormat* formatOut) {
  byteCount = 0;
  samples.reset();
  std::unique_ptr<PRiffFile> file;
  std::unique_ptr<GSoundWaveFormat> format;
  PRiffChunk riff;
  int32_t result = OpenWaveFile(std::move(opened), file, format, riff);
  if (result != kOk) return result;
  int64_t size = FindWaveData(*file, riff);
  if (size < 0) {
    // No whole "data" chunk: the file is damaged; the sound is not loaded.
    result = kErrNotWave;
  } else if (size > 0) {
    uint32_t n = size > kMaxSampleBytes ? kMaxSampleBytes : static_cast<uint32_t>(size);
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[n]);
    if (!block) {
      result = kErrNoMemory;
    } else {
      int64_t read = 0;
      ReadWaveData(*file, n, block.get(), &read);
      if (read != n) {
        result = kErrNotWave;  // the chunk lies within the file, so this is a read error
      } else {
        byteCount = n;
        samples = std::move(block);
      }
    }
  }
  if (result == kOk && formatOut != nullptr) *formatOut = *format;
  CloseWaveFile(file, format);
  return result;
}
