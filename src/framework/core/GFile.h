#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "framework/core/GObject.h"

class GString;
class GString255;
class PFile;

// The one file class of the framework: an open file with a 16 KB buffer, typed big-endian
// reads and writes, and an opening mode that can make the file transparently compressed,
// wrapped as an e-mail text block, or temporary. A transformed file is worked on through a
// temporary work file: a decoding open decodes the stored file into the work file and reads
// from it; an encoding close encodes what was written and puts it in place of the stored file.
// A file held in memory (PFile::OpenMemory, as GMemoryFile opens it) is transformed in memory:
// its work files are in memory too, and an encoding close replaces its content in place.
//
// Reading past the end of the file yields zero bytes and raises the file's error flag, which
// stays raised for the rest of the file's life. Every reader of a stored object tests it
// (HasError) so that a damaged or truncated file is refused instead of read as garbage; a
// reader that finds a count or index out of range raises it too (SetError).
class GFile : public GObject {
 public:
  static constexpr int32_t kBufferSize = 16384;

  // Opening modes.
  static constexpr int32_t kModeRead = 0;                // plain reading
  static constexpr int32_t kModeWrite = 1;               // plain writing
  static constexpr int32_t kModeTemporary = 2;           // read/write, deleted at the end
  static constexpr int32_t kModeReadCompressed = 3;      // decoded into a work file
  static constexpr int32_t kModeWriteCompressed = 4;     // encoded when finished
  static constexpr int32_t kModeReadGameFile = 5;        // as 3, first 1024 bytes stored raw
  static constexpr int32_t kModeWriteGameFile = 6;       // as 4, first 1024 bytes stored raw
  static constexpr int32_t kModeTemporaryDecoded = 7;    // internal: temporary file decoded
  static constexpr int32_t kModeTemporaryWriting = 8;    // temporary file being written
  static constexpr int32_t kModeReadEmail = 9;           // e-mail turn: unwrapped, decoded
  static constexpr int32_t kModeWriteEmail = 10;         // e-mail turn: encoded, wrapped

  // The names of the work files in the temporary folder begin so.
  static constexpr const char* kWorkFilePrefix = "Junk File ";
  // The name to try for a temporary or work file at an attempt: the drawn name first, then the
  // drawn name with its last two letters standing for the attempt. A name another file holds
  // (another program on this machine that drew the same letters from the same seed) is varied
  // so, never drawn again: the game's numbers must not depend on what the temporary folder holds.
  static std::string NameForAttempt(std::string drawn, int attempt);

  // The first bytes of a game file stored unchanged ahead of the code.
  static constexpr int32_t kRawPrefixSize = 1024;

  // The most bytes a decoding open yields: more shows a damaged or hostile stream (a few
  // megabytes of code can stand for gigabytes), and decoding stops with an error as soon as
  // its output passes this, before more is written. The largest file the stored forms hold,
  // from the readers' own limits:
  //   units: 9,999 on the map and 2 sides x 20 groups x 500 waiting, 29,999 records of under
  //     2 KiB each (fixed fields, 50 waypoints of 19 bytes, names, the subclass's fields), and
  //     kill lists that name each of those units at most once:                   < 60 MiB
  //   packets (e-mail turns and sent actions): at most 1,000,000 of under 64 bytes < 62 MiB
  //   the map (250 x 250 tiles of 4.5 bytes, its fire grid and object lists), the
  //     header, the settings and three briefings of up to 32 KiB:                <  6 MiB
  static constexpr uint64_t kLargestDecoded = uint64_t{128} << 20;
  // A game file (the raw-prefix modes) may say in its own first bytes how large it can be:
  // the game file layer answers, from the raw prefix, the most its decoded form can hold. Set
  // once by the program; without it the bound above alone applies.
  using DecodeLimitHook = uint64_t (*)(const uint8_t* prefix, size_t size);
  static void SetGameFileDecodeLimit(DecodeLimitHook hook);

  GFile();
  ~GFile() override;
  GFile(const GFile&) = delete;
  GFile& operator=(const GFile&) = delete;

  // Takes the open file, its program-form path (may be null) and the mode. Modes 3, 5 and 9
  // decode the stored file here. False when mode 9 finds no valid e-mail block or when the
  // stored content of a decoding mode is damaged (the error flag is then raised too); the
  // caller deletes the object. Mode 7 is fatal.
  bool IFile(std::unique_ptr<PFile> handle, const char* path, int32_t mode);

  // Finishes a file being written (modes 1, 4, 6 and 10): writes out what is pending, syncs
  // it and runs the mode's transformation. False when any write of the file failed (a full
  // disk, a file too large, a refused folder); the stored file at the path is then left as it
  // was before the transformation and WriteFailure tells why. The destructor finishes a file
  // not finished yet, with the same result and nobody told.
  bool Finish();
  // The system's error number of the first failed write, 0 when none failed.
  int32_t WriteFailure() const { return writeFailure_; }

  // Mode 4 or 8 only: encodes what was written in place and opens the result for reading
  // from its start (4 becomes 0, 8 becomes 2).
  void SwitchToReading();
  // Decodes this file (which holds data the program compressed) into a work file, continues
  // reading there, and deletes the file at this object's path.
  void CloseAndDelete();

  // Writes out pending bytes, empties the read buffer and goes to the file's start.
  void Rewind();
  // Passes over n bytes (n >= 0).
  void Skip(int32_t n);
  // Size of the file on disk (pending written bytes are not counted).
  uint32_t GetSize();
  // Bytes between the read position and the end of the file: the most that a reader can
  // still take, for testing stored counts before trusting them.
  uint32_t BytesLeft();
  // The path, or the path without its extension.
  void GetPath(GString& out, bool withoutExtension) const;
  // The file name after the last "\" of the path, cut before its last ".".
  GString255 GetBaseName() const;
  // The checksum of the e-mail text block read at a mode-9 opening.
  uint32_t GetBlockChecksum() const { return blockChecksum_; }
  const std::string& Path() const { return path_; }
  int32_t Mode() const { return mode_; }

  // The sticky error flag: raised by reading past the end, by a damaged transformed file,
  // and by any reader that finds the stored form out of range.
  bool HasError() const { return error_; }
  void SetError() { error_ = true; }

  // A file is not itself stored: the stored-object operations stay GObject's (fatal).
  using GObject::Read;
  using GObject::Write;

  // Reading. Bytes past the end of the file read as 0 and raise the error flag.
  void Read(void* destination, int32_t n);  // n >= 1
  int8_t ReadByte();
  uint16_t ReadU16();
  uint32_t ReadU32();
  float ReadFloat();
  // A big-endian signed 16-bit value divided by scale.
  float ReadScaled(float scale);
  void ReadU16Array(uint16_t* array, int32_t count);

  // Writing, big-endian.
  void Write(const void* source, int32_t n);  // n >= 1
  void WriteByte(uint8_t value);
  void WriteU16(uint16_t value);
  void WriteU32(uint32_t value);
  void WriteFloat(float value);
  // Stores the low 16 bits of value * scale rounded to the nearest integer, halves away from
  // zero (trunc(p + 0.5), or trunc(p - 0.5) for a negative p).
  void WriteScaled(float value, float scale);
  // value x scale (in single precision) with halves rounded away from zero, not yet cut to
  // an integer: the rounding every stored scaled field shares.
  static double RoundScaled(float value, float scale);
  void WriteU16Array(const uint16_t* array, int32_t count);
  void WriteZeros(int32_t n);
  // Writes the pending bytes of the buffer to the file.
  void FlushBuffer();

 private:
  bool OpenTransformed(bool decompress, bool rawPrefix);
  void FinishTransformed(bool compress, bool rawPrefix);
  // False (the error flag raised) when no work file can be made in the temporary folder (or in
  // memory, for a file held there).
  bool CreateWorkFile();
  // Whether the open file is held in memory, with no path on a disk.
  bool InMemory() const;
  // A file held in memory: the work file's content becomes the file's, read from its start.
  void ReplaceInMemory();
  void NoteWriteFailure();
  // The whole-file coder: from the handle (read from its start) into the work handle.
  void CompressFile(bool rawPrefix);
  bool DecompressFile(bool rawPrefix);
  // The e-mail text block: from the handle into the work handle.
  void WriteEmailBlock();
  bool ReadEmailBlock();

  // Refills the read buffer from the file; false at the end of the file.
  bool Refill();
  // Reads up to n bytes of the raw file through the buffer; the count read (0 at the end).
  int32_t ReadChunk(uint8_t* destination, int32_t n);
  // Writes to the work file; a failure raises the error flag and ends further writes.
  void WriteWork(const void* source, size_t n);
  void WriteSlow(const uint8_t* source, int32_t n);
  void ReadSlow(uint8_t* destination, int32_t n);
  uint64_t FileSize(int32_t fatalLine);

  std::unique_ptr<PFile> handle_;
  std::string path_;
  int32_t mode_ = 0;
  std::unique_ptr<PFile> work_;
  uint8_t buffer_[kBufferSize];
  int32_t readPos_ = 0;   // next byte to hand out
  int32_t readEnd_ = 0;   // end of the bytes read into the buffer
  int32_t writePos_ = 0;  // bytes pending in the buffer
  uint32_t blockChecksum_ = 0;
  std::string workPath_;
  bool error_ = false;
  int32_t writeFailure_ = 0;
  static DecodeLimitHook gameFileDecodeLimit_;
};
