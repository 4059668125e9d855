#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

// Finds the e-mail text block that GEmailBlockWriter wrote anywhere in a text (mail headers,
// quoting and other text around it do not matter), turns its groups back into bytes and checks
// its checksum. The text is handed in with Put in pieces of any size until Put reports that the
// block has ended; Finish gives the verdict. The decoded bytes (with the filler bytes of the
// last group) go to the sink in pieces of up to 16383 bytes; on a failure part of them may
// already have gone out, so the caller drops them.
class GEmailBlockReader {
 public:
  using Sink = std::function<void(const uint8_t* bytes, size_t count)>;
  static constexpr size_t kOutputSize = 16383;

  explicit GEmailBlockReader(Sink sink);
  // Takes more text; true once the block has ended (its checksum line read), after which
  // further text is ignored.
  bool Put(const uint8_t* bytes, size_t count);
  // True when the block was found whole and its checksum matches.
  bool Finish();
  uint32_t Checksum() const { return checksum_; }

 private:
  enum class State { kSearch, kBody, kGroup, kAfterEnd, kChecksum, kDone };
  void FlushOutput();

  Sink sink_;
  State state_ = State::kSearch;
  int matched_ = 0;
  uint8_t chars_[6];
  int charCount_ = 0;
  uint32_t register_ = 0;
  uint32_t checksum_ = 0;
  bool ok_ = false;
  size_t outCount_ = 0;
  uint8_t out_[kOutputSize];
};
