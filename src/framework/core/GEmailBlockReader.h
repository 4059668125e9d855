#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// Finds the e-mail text block that GEmailBlockWriter wrote anywhere in a text (mail headers,
// quoting and other text around it do not matter), turns its groups back into bytes and checks
// its checksum. The text is handed in with Put in pieces of any size until Put reports that a
// block has passed; Finish gives the verdict. A block that fails its checks (a reply quoting an
// earlier turn holds one with "> " before each line) does not end the search: the text is
// searched on for the next marker, which is never inside an intact block, since the marker
// holds characters that no group uses. So the marker search runs over every byte, and each
// marker found starts a new block in place of one still being read. The decoded bytes of a
// block (with the filler bytes of the last group) are held until its checksum matches and then
// go to the sink in pieces of up to 16383 bytes; a failed block sends nothing.
class GEmailBlockReader {
 public:
  using Sink = std::function<void(const uint8_t* bytes, size_t count)>;
  static constexpr size_t kOutputSize = 16383;

  explicit GEmailBlockReader(Sink sink);
  // Takes more text; true once a block has passed, after which further text is ignored.
  bool Put(const uint8_t* bytes, size_t count);
  // True when a block was found whole and its checksum matches.
  bool Finish();
  uint32_t Checksum() const { return checksum_; }

 private:
  // The state of the block being read; kNone between blocks.
  enum class State { kNone, kBody, kGroup, kAfterEnd, kChecksum, kDone };
  void ReadBlockByte(uint8_t c);
  void SendOutput();

  Sink sink_;
  State state_ = State::kNone;
  int matched_ = 0;
  uint8_t chars_[6];
  int charCount_ = 0;
  uint32_t register_ = 0;
  uint32_t checksum_ = 0;
  bool ok_ = false;
  std::vector<uint8_t> out_;
};
