#include "framework/core/GFile.h"

#include <cerrno>
#include <cmath>
#include <cstring>

#include "framework/core/GString255.h"
#include "framework/core/GString31.h"
#include "framework/core/Quorl.h"
#include "platform/PFile.h"
#include "platform/PFileSystem.h"
#include "platform/PPath.h"
#include "platform/PTemporaryFiles.h"

namespace {
constexpr const char* kSource = "GFile";
constexpr int kWorkFileAttempts = 99;
}  // namespace

GFile::DecodeLimitHook GFile::gameFileDecodeLimit_ = nullptr;

GFile::GFile() = default;

void GFile::SetGameFileDecodeLimit(DecodeLimitHook hook) { gameFileDecodeLimit_ = hook; }

GFile::~GFile() {
  if (!handle_) {
    // A temporary file given up after a failed write is deleted all the same.
    if ((mode_ == kModeTemporary || mode_ == kModeTemporaryWriting) && !path_.empty()) PTemporaryFiles::Delete(path_);
    return;
  }
  switch (mode_) {
    case kModeWrite:
    case kModeWriteCompressed:
    case kModeWriteGameFile:
    case kModeWriteEmail:
      Finish();
      break;
    case kModeTemporary:
    case kModeTemporaryWriting:
      handle_.reset();
      PTemporaryFiles::Delete(path_);
      break;
    case kModeReadCompressed:
    case kModeReadGameFile:
    case kModeTemporaryDecoded:
    case kModeReadEmail:
      handle_.reset();
      if (!workPath_.empty()) PTemporaryFiles::Delete(workPath_);
      break;
    default:
      handle_.reset();
      break;
  }
}

bool GFile::Finish() {
  if (!handle_) return !error_;
  const int32_t mode = mode_;
  if (mode != kModeWrite && mode != kModeWriteCompressed && mode != kModeWriteGameFile && mode != kModeWriteEmail)
    return !error_;
  FlushBuffer();
  if (!handle_->Flush()) NoteWriteFailure();
  mode_ = kModeRead;
  // A file whose writing failed is not transformed: the caller removes what it holds.
  if (mode != kModeWrite && !error_) {
    FinishTransformed(true, mode == kModeWriteGameFile);
    if (mode == kModeWriteEmail && !error_) FinishTransformed(false, false);
  }
  handle_.reset();
  return !error_;
}

void GFile::NoteWriteFailure() {
  // The first failure's cause is the one the player is told.
  if (writeFailure_ == 0) writeFailure_ = errno != 0 ? errno : EIO;
  error_ = true;
}

bool GFile::IFile(std::unique_ptr<PFile> handle, const char* path, int32_t mode) {
  if (mode == kModeTemporaryDecoded || mode < kModeRead || mode > kModeWriteEmail) FatalError(140, kSource);
  handle_ = std::move(handle);
  if (path != nullptr) path_ = path;
  mode_ = mode;
  readPos_ = readEnd_ = 0;
  writePos_ = 0;
  // A temporary file is this object's to delete, so it goes however the program ends.
  if ((mode == kModeTemporary || mode == kModeTemporaryWriting) && handle_ && path != nullptr) {
    PTemporaryFiles::Add(path_);
  }
  switch (mode) {
    case kModeReadCompressed:
      return OpenTransformed(true, false);
    case kModeReadGameFile:
      return OpenTransformed(true, true);
    case kModeReadEmail:
      if (!OpenTransformed(false, false)) return false;
      return OpenTransformed(true, false);
    default:
      return true;
  }
}

void GFile::SwitchToReading() {
  if (mode_ != kModeWriteCompressed && mode_ != kModeTemporaryWriting) FatalError(482, kSource);
  if (!handle_) FatalError(483, kSource);
  FlushBuffer();
  if (!handle_->Flush()) NoteWriteFailure();
  mode_ = mode_ == kModeWriteCompressed ? kModeRead : kModeTemporary;
  FinishTransformed(true, false);
  if (handle_) Rewind();
}

void GFile::CloseAndDelete() {
  // A file whose writing failed has nothing to decode: it stays empty and in error.
  if (!handle_ && error_) return;
  if (!handle_) FatalError(514, kSource);
  mode_ = mode_ == kModeTemporary ? kModeTemporaryDecoded : kModeReadCompressed;
  Rewind();
  OpenTransformed(true, false);
  if (!PTemporaryFiles::Delete(path_)) FatalError(521, kSource);
}

// ---- Transformations -------------------------------------------------------------------------

bool GFile::OpenTransformed(bool decompress, bool rawPrefix) {
  // The second stage of an e-mail turn decodes the first stage's work file.
  std::string firstStage;
  bool secondStage = decompress && mode_ == kModeReadEmail;
  if (secondStage) firstStage = workPath_;
  bool ok = CreateWorkFile();
  if (ok) ok = decompress ? DecompressFile(rawPrefix) : ReadEmailBlock();
  // The decoded work file is read at once and deleted with this object: it is not synced.
  handle_.reset();
  if (secondStage && !firstStage.empty()) PTemporaryFiles::Delete(firstStage);
  handle_ = std::move(work_);
  if (handle_) Rewind();
  if (!ok || error_) {
    error_ = true;
    return false;
  }
  return true;
}

void GFile::FinishTransformed(bool compress, bool rawPrefix) {
  const bool inMemory = InMemory();
  if (!CreateWorkFile()) {
    handle_.reset();
    return;
  }
  if (compress)
    CompressFile(rawPrefix);
  else
    WriteEmailBlock();
  if (inMemory) {
    ReplaceInMemory();
    return;
  }
  // The work file is not synced: the copy made of it beside the stored file is.
  handle_.reset();
  work_.reset();
  // The new content is copied beside the stored file and renamed over it, so that a failure
  // at any step leaves either the old file or the whole new one. A full disk or a refused
  // write leaves the stored file as it was and raises the error flag; the work file goes.
  if (!error_ && !PFileSystem::CopyReplace(workPath_, path_)) NoteWriteFailure();
  PTemporaryFiles::Delete(workPath_);
  readPos_ = readEnd_ = 0;
  writePos_ = 0;
  if (error_) return;
  handle_ = PFile::Open(path_, PFile::kRead, PFile::Disposition::kOpenExisting);
  if (!handle_) error_ = true;
}

std::string GFile::NameForAttempt(std::string drawn, int attempt) {
  if (attempt > 0 && drawn.size() >= 2) {
    drawn[drawn.size() - 2] = static_cast<char>('a' + (attempt / 26) % 26);
    drawn[drawn.size() - 1] = static_cast<char>('a' + attempt % 26);
  }
  return drawn;
}

void GFile::ReplaceInMemory() {
  // Nothing else holds the old content: it is overwritten in place, and reading starts over.
  const std::string bytes = error_ ? std::string() : work_->ReadAll();
  work_.reset();
  readPos_ = readEnd_ = 0;
  writePos_ = 0;
  if (error_) {
    handle_.reset();
    return;
  }
  errno = 0;
  if (handle_->Seek(0, PFile::Origin::kStart) != 0 ||
      (!bytes.empty() && handle_->Write(bytes.data(), bytes.size()) != static_cast<int64_t>(bytes.size())) ||
      !handle_->Truncate() || handle_->Seek(0, PFile::Origin::kStart) != 0) {
    NoteWriteFailure();
    handle_.reset();
  }
}

bool GFile::InMemory() const { return handle_ != nullptr && handle_->NativePath().empty(); }

bool GFile::CreateWorkFile() {
  if (InMemory()) {
    // A file held in memory is worked on in memory: nothing of it reaches a disk. Its name is
    // drawn all the same, so that the game's generator moves as it does for a file on disk.
    GString31 name;
    name.Assign(kWorkFilePrefix);
    name.PadRandom();
    workPath_.clear();
    work_ = PFile::OpenMemory(std::string());
    if (work_) return true;
    NoteWriteFailure();
    return false;
  }
  std::string folder = PPath::TempFolder();
  if (folder.empty()) FatalError(348, kSource);
  // "Junk File " filled to its 31 characters with random letters (two draws a letter, so
  // that machines sharing a seed stay in step).
  GString31 name;
  name.Assign(kWorkFilePrefix);
  name.PadRandom();
  for (int attempt = 0; attempt < kWorkFileAttempts; ++attempt) {
    workPath_ = folder + NameForAttempt(name.CStr(), attempt);
    errno = 0;
    work_ = PFile::CreateWorkFile(workPath_, PFile::kRead | PFile::kWrite);
    if (work_) {
      // However the program ends from here on, the work file goes with it; a kill leaves it
      // unlocked for the next start to remove.
      PTemporaryFiles::Add(workPath_);
      return true;
    }
    // Only a name taken by another file is worth another try; a full or refused folder is not.
    if (errno != EEXIST) break;
  }
  NoteWriteFailure();
  return false;
}

void GFile::WriteWork(const void* source, size_t n) {
  if (n == 0 || error_) return;
  errno = 0;
  if (work_->Write(source, n) != static_cast<int64_t>(n)) NoteWriteFailure();
}

uint64_t GFile::FileSize(int32_t fatalLine) {
  if (!handle_ && error_) return 0;
  if (!handle_) FatalError(fatalLine, kSource);
  int64_t size = handle_->Size();
  if (size < 0) FatalError(fatalLine, kSource);
  return static_cast<uint64_t>(size);
}

// ---- Position and size -----------------------------------------------------------------------

void GFile::Rewind() {
  readPos_ = readEnd_ = 0;
  // A file given up after a failed write has no handle: reading it yields nothing.
  if (!handle_ && error_) return;
  FlushBuffer();
  if (!handle_ || handle_->Seek(0, PFile::Origin::kStart) < 0) FatalError(540, kSource);
}

void GFile::Skip(int32_t n) {
  if (n < 0) FatalError(571, kSource);
  if (n == 0) return;
  int32_t take = readEnd_ - readPos_;
  if (take > n) take = n;
  readPos_ += take;
  int32_t rest = n - take;
  if (rest == 0) return;
  FlushBuffer();
  if (!handle_) FatalError(571, kSource);
  int64_t position = handle_->Seek(rest, PFile::Origin::kCurrent);
  if (position < 0) FatalError(571, kSource);
  if (position > handle_->Size()) error_ = true;
}

uint32_t GFile::GetSize() { return static_cast<uint32_t>(FileSize(443)); }

void GFile::GetPath(GString& out, bool withoutExtension) const {
  std::string text = path_;
  if (withoutExtension) {
    size_t slash = text.rfind('\\');
    size_t dot = text.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) text.resize(dot);
  }
  out.Assign(text.c_str());
}

GString255 GFile::GetBaseName() const {
  size_t slash = path_.rfind('\\');
  if (slash == std::string::npos) FatalError(409, kSource);
  std::string name = path_.substr(slash + 1);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  GString255 result;
  result.Assign(name.c_str());
  return result;
}

uint32_t GFile::BytesLeft() {
  if (!handle_) return 0;
  int64_t position = handle_->Tell();
  int64_t size = handle_->Size();
  int64_t left = readEnd_ - readPos_;
  if (position >= 0 && size > position) left += size - position;
  return left > 0xFFFFFFFFll ? 0xFFFFFFFFu : static_cast<uint32_t>(left);
}

// ---- Reading ---------------------------------------------------------------------------------

bool GFile::Refill() {
  readPos_ = readEnd_ = 0;
  if (!handle_) return false;
  FlushBuffer();
  int64_t n = handle_->Read(buffer_, kBufferSize);
  if (n <= 0) return false;
  readEnd_ = static_cast<int32_t>(n);
  return true;
}

int32_t GFile::ReadChunk(uint8_t* destination, int32_t n) {
  int32_t done = 0;
  while (done < n) {
    if (readPos_ == readEnd_ && !Refill()) break;
    int32_t take = readEnd_ - readPos_;
    if (take > n - done) take = n - done;
    std::memcpy(destination + done, buffer_ + readPos_, static_cast<size_t>(take));
    readPos_ += take;
    done += take;
  }
  return done;
}

void GFile::ReadSlow(uint8_t* destination, int32_t n) {
  if (writePos_ > 0) FlushBuffer();
  int32_t done = ReadChunk(destination, n);
  if (done < n) {
    std::memset(destination + done, 0, static_cast<size_t>(n - done));
    error_ = true;
  }
}

void GFile::Read(void* destination, int32_t n) {
  if (n < 1) FatalError(601, kSource);
  ReadSlow(static_cast<uint8_t*>(destination), n);
}

int8_t GFile::ReadByte() {
  if (readPos_ < readEnd_) return static_cast<int8_t>(buffer_[readPos_++]);
  uint8_t b;
  ReadSlow(&b, 1);
  return static_cast<int8_t>(b);
}

uint16_t GFile::ReadU16() {
  uint8_t b[2];
  if (readEnd_ - readPos_ >= 2) {
    std::memcpy(b, buffer_ + readPos_, 2);
    readPos_ += 2;
  } else {
    ReadSlow(b, 2);
  }
  return static_cast<uint16_t>(b[0] << 8 | b[1]);
}

uint32_t GFile::ReadU32() {
  uint8_t b[4];
  if (readEnd_ - readPos_ >= 4) {
    std::memcpy(b, buffer_ + readPos_, 4);
    readPos_ += 4;
  } else {
    ReadSlow(b, 4);
  }
  return static_cast<uint32_t>(b[0]) << 24 | static_cast<uint32_t>(b[1]) << 16 |
         static_cast<uint32_t>(b[2]) << 8 | b[3];
}

float GFile::ReadFloat() {
  uint32_t bits = ReadU32();
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

float GFile::ReadScaled(float scale) {
  int16_t s = static_cast<int16_t>(ReadU16());
  return static_cast<float>(s) / scale;
}

void GFile::ReadU16Array(uint16_t* array, int32_t count) {
  for (int32_t i = 0; i < count; ++i) array[i] = ReadU16();
}

// ---- Writing ---------------------------------------------------------------------------------

void GFile::WriteSlow(const uint8_t* source, int32_t n) {
  if (readEnd_ > 0) {
    // The buffer held read bytes: the write goes where reading stood.
    int32_t unread = readEnd_ - readPos_;
    readPos_ = readEnd_ = 0;
    if (unread > 0 && handle_) handle_->Seek(-unread, PFile::Origin::kCurrent);
  }
  while (n > 0) {
    int32_t room = kBufferSize - writePos_;
    int32_t take = n < room ? n : room;
    std::memcpy(buffer_ + writePos_, source, static_cast<size_t>(take));
    writePos_ += take;
    source += take;
    n -= take;
    if (writePos_ == kBufferSize) FlushBuffer();
  }
}

void GFile::Write(const void* source, int32_t n) {
  if (n < 1) FatalError(813, kSource);
  WriteSlow(static_cast<const uint8_t*>(source), n);
}

void GFile::WriteByte(uint8_t value) {
  if (readEnd_ == 0 && writePos_ < kBufferSize - 1) {
    buffer_[writePos_++] = value;
    return;
  }
  WriteSlow(&value, 1);
}

void GFile::WriteU16(uint16_t value) {
  uint8_t b[2] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
  if (readEnd_ == 0 && writePos_ < kBufferSize - 2) {
    std::memcpy(buffer_ + writePos_, b, 2);
    writePos_ += 2;
    return;
  }
  WriteSlow(b, 2);
}

void GFile::WriteU32(uint32_t value) {
  uint8_t b[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                  static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
  if (readEnd_ == 0 && writePos_ < kBufferSize - 4) {
    std::memcpy(buffer_ + writePos_, b, 4);
    writePos_ += 4;
    return;
  }
  WriteSlow(b, 4);
}

void GFile::WriteFloat(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  WriteU32(bits);
}

double GFile::RoundScaled(float value, float scale) {
  float p = value * scale;
  // Halves round away from zero, so a value read back and saved again stores the same number
  // on either side of zero.
  return p < 0.0f ? static_cast<double>(p) - 0.5 : static_cast<double>(p) + 0.5;
}

void GFile::WriteScaled(float value, float scale) {
  double rounded = RoundScaled(value, scale);
  // Out of the 32-bit range (or not a number) the conversion gives the lowest 32-bit value,
  // as the processor's own conversion does, whose low 16 bits are 0.
  int32_t n = INT32_MIN;
  if (rounded > -2147483649.0 && rounded < 2147483648.0) n = static_cast<int32_t>(rounded);
  WriteU16(static_cast<uint16_t>(static_cast<uint32_t>(n) & 0xFFFFu));
}

void GFile::WriteU16Array(const uint16_t* array, int32_t count) {
  for (int32_t i = 0; i < count; ++i) WriteU16(array[i]);
}

void GFile::WriteZeros(int32_t n) {
  static const uint8_t kZeros[256] = {};
  while (n > 0) {
    int32_t take = n < 256 ? n : 256;
    WriteSlow(kZeros, take);
    n -= take;
  }
}

void GFile::FlushBuffer() {
  if (writePos_ == 0) return;
  int32_t n = writePos_;
  writePos_ = 0;
  if (!handle_) FatalError(62, kSource);
  // Once a write failed nothing more is written: the file is given up.
  if (error_ && writeFailure_ != 0) return;
  errno = 0;
  if (handle_->Write(buffer_, static_cast<size_t>(n)) != n) NoteWriteFailure();
}
