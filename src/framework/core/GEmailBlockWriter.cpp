#include "framework/core/GEmailBlockWriter.h"

#include <cstring>
#include <utility>

#include "framework/core/Crc32.h"

GEmailBlockWriter::GEmailBlockWriter(Sink sink) : sink_(std::move(sink)) {}

uint8_t GEmailBlockWriter::Character(unsigned value) {
  value &= 63u;
  if (value < 10) return static_cast<uint8_t>(value + 48);
  if (value < 38) return static_cast<uint8_t>(value + 53);
  return static_cast<uint8_t>(value + 59);
}

uint8_t GEmailBlockWriter::Value(uint8_t character) {
  if (character < 58) return static_cast<uint8_t>(character - 48);
  if (character < 91) return static_cast<uint8_t>(character - 53);
  return static_cast<uint8_t>(character - 59);
}

void GEmailBlockWriter::Put(const uint8_t* bytes, size_t count) {
  if (count == 0) return;
  if (!started_) {
    started_ = true;
    Emit(kHeaderLine, std::strlen(kHeaderLine));
    Emit("\r\n", 2);
    Emit(kMarker, kMarkerLength);
  }
  size_t i = 0;
  while (carried_ > 0 && carried_ < 3 && i < count) carry_[carried_++] = bytes[i++];
  if (carried_ == 3) {
    Group(carry_);
    carried_ = 0;
  }
  for (; i + 3 <= count; i += 3) Group(bytes + i);
  while (i < count) carry_[carried_++] = bytes[i++];
}

void GEmailBlockWriter::Finish() {
  if (!started_) return;
  if (carried_ > 0) {
    while (carried_ < 3) carry_[carried_++] = 0;
    Group(carry_);
    carried_ = 0;
  }
  Emit(";\r\n", 3);
  uint8_t sum[6];
  uint8_t b0 = static_cast<uint8_t>(checksum_ >> 24), b1 = static_cast<uint8_t>(checksum_ >> 16),
          b2 = static_cast<uint8_t>(checksum_ >> 8), low = static_cast<uint8_t>(checksum_);
  sum[0] = Character(b0 >> 2);
  sum[1] = Character(((b0 & 3u) << 4) | (b1 >> 4));
  sum[2] = Character(((b1 & 15u) << 2) | (b2 >> 6));
  sum[3] = Character(b2 & 63u);
  sum[4] = Character(low >> 2);
  sum[5] = Character((low & 3u) << 4);
  Emit(reinterpret_cast<const char*>(sum), 6);
  Emit("\r\n", 2);
  Emit(kEndLine, std::strlen(kEndLine));
  Emit("\r\n", 2);
  FlushOutput();
}

void GEmailBlockWriter::Group(const uint8_t* three) {
  if (lineCounter_ == 0) {
    Emit("\r\n", 2);
    lineCounter_ = kGroupsPerLine - 1;
  } else {
    --lineCounter_;
  }
  uint8_t b0 = three[0], b1 = three[1], b2 = three[2];
  uint8_t text[4] = {Character(b0 >> 2), Character(((b0 & 3u) << 4) | (b1 >> 4)),
                     Character(((b1 & 15u) << 2) | (b2 >> 6)), Character(b2 & 63u)};
  Emit(reinterpret_cast<const char*>(text), 4);
  checksum_ = Crc32Update(checksum_, b2);
  checksum_ = Crc32Update(checksum_, b1);
  checksum_ = Crc32Update(checksum_, b0);
}

void GEmailBlockWriter::Emit(const char* text, size_t count) {
  while (count > 0) {
    size_t room = sizeof out_ - outCount_;
    size_t n = count < room ? count : room;
    std::memcpy(out_ + outCount_, text, n);
    outCount_ += n;
    text += n;
    count -= n;
    if (outCount_ == sizeof out_) FlushOutput();
  }
}

void GEmailBlockWriter::FlushOutput() {
  if (outCount_ == 0) return;
  sink_(out_, outCount_);
  outCount_ = 0;
}
