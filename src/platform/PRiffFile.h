#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class PFile;

// One chunk of a RIFF file as PRiffFile::Descend found it.
struct PRiffChunk {
  uint32_t id = 0;         // four-character code, first character in the low byte
  uint32_t size = 0;       // declared size of the chunk's data
  uint32_t formType = 0;   // "RIFF" and "LIST" chunks only: the first four data bytes
  int64_t dataOffset = 0;  // file offset of the first data byte (of the form type for RIFF/LIST)

  int64_t End() const { return dataOffset + size; }
};

// A RIFF file read chunk by chunk, from disk or from memory. Every chunk is checked before it
// is entered or skipped: its header and data must lie within its parent and within the file,
// and a chunk of an odd size is followed by a pad byte. Reads stop at the end of the file.
class PRiffFile {
 public:
  static constexpr int32_t kOk = 0;
  static constexpr int32_t kErrNotFound = 0xE200;   // no such chunk in the parent
  static constexpr int32_t kErrCorrupt = 0xE201;    // a chunk runs past its parent or the file
  static constexpr int32_t kErrReadFailed = 0xE202;

  static constexpr uint32_t FourCC(char a, char b, char c, char d) {
    return static_cast<uint32_t>(static_cast<uint8_t>(a)) | static_cast<uint32_t>(static_cast<uint8_t>(b)) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(c)) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(d)) << 24;
  }

  // Null when the file cannot be opened (a program-form path, see PPath).
  static std::unique_ptr<PRiffFile> Open(const std::string& path);
  // Reads from bytes, which must outlive the returned file.
  static std::unique_ptr<PRiffFile> OpenMemory(const void* bytes, size_t size);
  ~PRiffFile();
  PRiffFile(const PRiffFile&) = delete;
  PRiffFile& operator=(const PRiffFile&) = delete;

  int64_t Size() const { return size_; }
  int64_t Tell() const { return position_; }
  // Moves to an offset from the start; -1 (and no move) outside [0, Size()].
  int64_t Seek(int64_t offset);
  // Bytes read from the current position (fewer at the end of the file), or -1 on an error.
  int64_t Read(void* destination, int64_t count);

  // Reads the chunk header at the current position into chunk. With findId not 0, chunks of
  // other ids are skipped until one with that id is found. With a parent, the search stays
  // inside it. Afterwards the position is the chunk's first data byte (for "RIFF" and "LIST",
  // the byte after the form type). With openEnded, the chunk found (not those skipped) may
  // have a size its writer did not know: 0, 0xFFFFFFFF, or more than its parent or the file
  // holds (tools writing to a pipe put 0x7FFFF000 there; a size may also count a final pad
  // byte the file lacks). Such a chunk runs to the end of its parent, or of the file.
  int32_t Descend(PRiffChunk& chunk, const PRiffChunk* parent, uint32_t findId, bool openEnded = false);
  // Moves to the byte after the chunk and its pad byte.
  int32_t Ascend(const PRiffChunk& chunk);

 private:
  PRiffFile() = default;
  int32_t ReadHeader(PRiffChunk& chunk, int64_t limit, bool openEnded, uint32_t findId);

  std::unique_ptr<PFile> file_;
  const uint8_t* memory_ = nullptr;
  int64_t size_ = 0;
  int64_t position_ = 0;
};
