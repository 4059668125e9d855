#include "framework/core/GEmailBlockReader.h"

#include <algorithm>
#include <utility>

#include "framework/core/Crc32.h"
#include "framework/core/GEmailBlockWriter.h"

GEmailBlockReader::GEmailBlockReader(Sink sink) : sink_(std::move(sink)) {}

bool GEmailBlockReader::Put(const uint8_t* bytes, size_t count) {
  const char* marker = GEmailBlockWriter::kMarker;
  for (size_t i = 0; i < count && state_ != State::kDone; ++i) {
    const uint8_t c = bytes[i];
    if (state_ != State::kNone) ReadBlockByte(c);
    if (state_ == State::kDone) break;
    if (c == static_cast<uint8_t>(marker[matched_])) {
      if (++matched_ == GEmailBlockWriter::kMarkerLength) {
        // A new block; one still being read cannot have been intact.
        matched_ = 0;
        state_ = State::kBody;
        register_ = 0;
        out_.clear();
      }
    } else {
      // The byte that broke a partial match may itself begin the marker.
      matched_ = c == static_cast<uint8_t>(marker[0]) ? 1 : 0;
    }
  }
  return state_ == State::kDone;
}

void GEmailBlockReader::ReadBlockByte(uint8_t c) {
  switch (state_) {
    case State::kBody:
      if (c == 13 || c == 10) break;
      charCount_ = 0;
      if (c == ';') {
        state_ = State::kAfterEnd;
      } else {
        chars_[charCount_++] = c;
        state_ = State::kGroup;
      }
      break;
    case State::kGroup:
      // A group never spans a line end: its other three bytes are taken as they come.
      chars_[charCount_++] = c;
      if (charCount_ == 4) {
        unsigned v0 = GEmailBlockWriter::Value(chars_[0]), v1 = GEmailBlockWriter::Value(chars_[1]),
                 v2 = GEmailBlockWriter::Value(chars_[2]), v3 = GEmailBlockWriter::Value(chars_[3]);
        uint8_t b0 = static_cast<uint8_t>((v0 << 2) | (v1 >> 4));
        uint8_t b1 = static_cast<uint8_t>((v1 << 4) | (v2 >> 2));
        uint8_t b2 = static_cast<uint8_t>((v2 << 6) | v3);
        register_ = Crc32Update(register_, b2);
        register_ = Crc32Update(register_, b1);
        register_ = Crc32Update(register_, b0);
        out_.push_back(b0);
        out_.push_back(b1);
        out_.push_back(b2);
        state_ = State::kBody;
      }
      break;
    case State::kAfterEnd:
      if (c == 13 || c == 10) break;
      chars_[charCount_++] = c;
      state_ = State::kChecksum;
      break;
    case State::kChecksum:
      chars_[charCount_++] = c;
      if (charCount_ == 6) {
        unsigned v[6];
        for (int k = 0; k < 6; ++k) v[k] = GEmailBlockWriter::Value(chars_[k]);
        uint32_t b0 = static_cast<uint8_t>((v[0] << 2) | (v[1] >> 4));
        uint32_t b1 = static_cast<uint8_t>((v[1] << 4) | (v[2] >> 2));
        uint32_t b2 = static_cast<uint8_t>((v[2] << 6) | v[3]);
        uint32_t low = static_cast<uint8_t>((v[4] << 2) | (v[5] >> 4));
        uint32_t value = b0 << 24 | b1 << 16 | b2 << 8 | low;
        if (value == register_) {
          ok_ = true;
          checksum_ = value;
          SendOutput();
          state_ = State::kDone;
        } else {
          // Not this one: the search goes on from here.
          out_.clear();
          state_ = State::kNone;
        }
      }
      break;
    case State::kNone:
    case State::kDone:
      break;
  }
}

bool GEmailBlockReader::Finish() { return state_ == State::kDone && ok_; }

void GEmailBlockReader::SendOutput() {
  for (size_t at = 0; at < out_.size(); at += kOutputSize)
    sink_(out_.data() + at, std::min(kOutputSize, out_.size() - at));
  out_.clear();
}
