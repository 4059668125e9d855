// The whole-file transformations of GFile: the adaptive compression (with or without the raw
// prefix of game files) and the e-mail text block. Each streams the file behind the handle
// from its start through the file's own buffer into the work file.
#include <cstring>

#include "framework/core/GEmailBlockReader.h"
#include "framework/core/GEmailBlockWriter.h"
#include "framework/core/GFile.h"
#include "framework/core/GSplayDecoder.h"
#include "framework/core/GSplayEncoder.h"
#include "framework/core/Quorl.h"
#include "platform/PFile.h"

namespace {
// The stored form of a game file shorter than the raw prefix: all its bytes, then the end code
// of the starting tree (the nine bits 000000001 and seven fill bits).
constexpr uint8_t kStartingEndCode[2] = {0x00, 0x80};

}  // namespace

void GFile::CompressFile(bool rawPrefix) {
  Rewind();
  uint64_t n = FileSize(89);
  if (n == 0) return;
  GSplayEncoder encoder([this](const uint8_t* bytes, size_t count) { WriteWork(bytes, count); });
  bool first = true;
  while (n > 0 && Refill()) {
    int32_t start = 0;
    if (first && rawPrefix) {
      start = readEnd_ < kRawPrefixSize ? readEnd_ : kRawPrefixSize;
      if (static_cast<uint64_t>(start) > n) start = static_cast<int32_t>(n);
      WriteWork(buffer_, static_cast<size_t>(start));
      n -= static_cast<uint64_t>(start);
    }
    first = false;
    uint64_t take = static_cast<uint64_t>(readEnd_ - start);
    if (take > n) take = n;
    encoder.Put(buffer_ + start, static_cast<size_t>(take));
    n -= take;
    readPos_ = readEnd_;
  }
  encoder.Finish();
  readPos_ = readEnd_ = 0;
}

bool GFile::DecompressFile(bool rawPrefix) {
  Rewind();
  uint64_t n = FileSize(89);
  if (n == 0) return true;
  if (rawPrefix && n <= static_cast<uint64_t>(kRawPrefixSize) + 1) {
    // Written from fewer than 1024 bytes: the raw part and then the end code, nothing else.
    // The data are the bytes before that end code.
    int32_t size = static_cast<int32_t>(n);
    uint8_t stored[kRawPrefixSize + 1];
    int32_t got = ReadChunk(stored, size);
    readPos_ = readEnd_ = 0;
    if (got == size && size >= 2 && std::memcmp(stored + size - 2, kStartingEndCode, 2) == 0) {
      WriteWork(stored, static_cast<size_t>(size - 2));
      return true;
    }
    WriteWork(stored, static_cast<size_t>(got));
    return false;
  }
  // The decoded size is checked as it grows: decoding stops with an error as soon as it
  // passes the largest file the stored forms can hold, before more than that is written.
  uint64_t decoded = 0;
  uint64_t limit = kLargestDecoded;
  GSplayDecoder decoder([this, &decoded, &limit](const uint8_t* bytes, size_t count) {
    decoded += count;
    if (decoded <= limit) WriteWork(bytes, count);
  });
  bool first = true;
  bool ended = false;
  while (!ended && decoded <= limit && Refill()) {
    int32_t start = 0;
    if (first && rawPrefix) {
      start = readEnd_ < kRawPrefixSize ? readEnd_ : kRawPrefixSize;
      WriteWork(buffer_, static_cast<size_t>(start));
      decoded += static_cast<uint64_t>(start);
      // The game file's own header may promise less.
      if (gameFileDecodeLimit_ != nullptr) {
        const uint64_t declared = gameFileDecodeLimit_(buffer_, static_cast<size_t>(start));
        if (declared < limit) limit = declared;
      }
    }
    first = false;
    ended = decoder.Put(buffer_ + start, static_cast<size_t>(readEnd_ - start));
  }
  readPos_ = readEnd_ = 0;
  if (decoded > limit) return false;
  // A stream that runs out before its end code is damaged: what was decoded stays, and the
  // caller learns of the damage.
  return decoder.Finish();
}

void GFile::WriteEmailBlock() {
  Rewind();
  uint64_t n = FileSize(89);
  if (n == 0) return;
  GEmailBlockWriter writer([this](const uint8_t* bytes, size_t count) { WriteWork(bytes, count); });
  while (n > 0 && Refill()) {
    uint64_t take = static_cast<uint64_t>(readEnd_);
    if (take > n) take = n;
    writer.Put(buffer_, static_cast<size_t>(take));
    n -= take;
  }
  writer.Finish();
  readPos_ = readEnd_ = 0;
}

bool GFile::ReadEmailBlock() {
  Rewind();
  GEmailBlockReader reader([this](const uint8_t* bytes, size_t count) { WriteWork(bytes, count); });
  while (Refill()) {
    if (reader.Put(buffer_, static_cast<size_t>(readEnd_))) break;
  }
  readPos_ = readEnd_ = 0;
  if (!reader.Finish()) return false;
  blockChecksum_ = reader.Checksum();
  return true;
}
