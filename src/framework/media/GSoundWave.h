#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/PRiffFile.h"

// The format block of a WAV file, as its "fmt " chunk gives it.
struct GSoundWaveFormat {
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  uint16_t extraSize = 0;
  std::vector<uint8_t> extra;
};

// Numbered sound files and the reading of RIFF WAVE files. Sample bytes are never converted:
// every sound file holds 16-bit samples at 44100 Hz, mono for plain and positional sounds and
// stereo for streamed ones; a file in another format is logged once per loading and played as
// it stands. A "RIFF" or "data" size that its writer did not know (0, 0xFFFFFFFF, or more than
// the file holds, as tools writing to a pipe leave it) runs to the end of the file.
class GSoundWave {
 public:
  static constexpr int32_t kOk = 0;
  static constexpr int32_t kErrNoMemory = 0xE000;
  static constexpr int32_t kErrCannotOpen = 0xE100;
  static constexpr int32_t kErrNotWave = 0xE101;     // not RIFF WAVE, or a bad "fmt " chunk
  static constexpr int32_t kErrShortFormat = 0xE102;  // the format bytes could not be read
  // The most sample bytes a sound keeps: longer sounds are cut to their first MiB.
  static constexpr uint32_t kMaxSampleBytes = 1048576;

  // "WAV\" + zeros + number + ".wav": "000" from 10000, "0000" from 1000, "00000" below.
  static void MakeWaveFileName(std::string& name, int16_t number);

  // Opens a WAV file and reads its format; on success the file is positioned after the "fmt "
  // chunk. On failure both out-parameters are null and the result says why.
  static int32_t OpenWaveFile(const std::string& path, std::unique_ptr<PRiffFile>& file,
                              std::unique_ptr<GSoundWaveFormat>& format, PRiffChunk& riff);
  // The same on a file already opened (from memory, for example).
  static int32_t OpenWaveFile(std::unique_ptr<PRiffFile> opened, std::unique_ptr<PRiffFile>& file,
                              std::unique_ptr<GSoundWaveFormat>& format, PRiffChunk& riff);
  // Finds the "data" chunk inside riff and leaves the file at its first sample byte. The size
  // of the chunk, or -1 when the file holds no whole "data" chunk.
  static int64_t FindWaveData(PRiffFile& file, const PRiffChunk& riff);
  // Reads count bytes; *bytesRead gets the count read, or -1 on an error.
  static void ReadWaveData(PRiffFile& file, uint32_t count, uint8_t* destination, int64_t* bytesRead);
  // The log line naming the file and its format when it is not 16-bit integer samples at
  // 44100 Hz; empty otherwise.
  static std::string UnusualFormatText(const std::string& name, const GSoundWaveFormat& format);
  static int32_t CloseWaveFile(std::unique_ptr<PRiffFile>& file, std::unique_ptr<GSoundWaveFormat>& format);

  // Reads at most kMaxSampleBytes sample bytes of a WAV file. An empty "data" chunk loads with
  // no samples. With format not null, a loaded file's format is copied there.
  static int32_t LoadWaveFile(const std::string& path, uint32_t& byteCount, std::unique_ptr<uint8_t[]>& samples,
                              GSoundWaveFormat* format = nullptr);
  static int32_t LoadWaveFile(std::unique_ptr<PRiffFile> opened, uint32_t& byteCount,
                              std::unique_ptr<uint8_t[]>& samples, GSoundWaveFormat* format = nullptr);
};
