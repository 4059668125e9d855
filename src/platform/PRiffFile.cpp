#include "platform/PRiffFile.h"

#include <algorithm>
#include <cstring>

#include "platform/PFile.h"

namespace {
constexpr uint32_t kRiff = PRiffFile::FourCC('R', 'I', 'F', 'F');
constexpr uint32_t kList = PRiffFile::FourCC('L', 'I', 'S', 'T');

uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
}  // namespace

std::unique_ptr<PRiffFile> PRiffFile::Open(const std::string& path) {
  auto file = PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting);
  if (!file) return nullptr;
  int64_t size = file->Size();
  if (size < 0) return nullptr;
  std::unique_ptr<PRiffFile> riff(new PRiffFile());
  riff->file_ = std::move(file);
  riff->size_ = size;
  return riff;
}

std::unique_ptr<PRiffFile> PRiffFile::OpenMemory(const void* bytes, size_t size) {
  if (bytes == nullptr && size != 0) return nullptr;
  std::unique_ptr<PRiffFile> riff(new PRiffFile());
  riff->memory_ = static_cast<const uint8_t*>(bytes);
  riff->size_ = static_cast<int64_t>(size);
  return riff;
}

PRiffFile::~PRiffFile() = default;

int64_t PRiffFile::Seek(int64_t offset) {
  if (offset < 0 || offset > size_) return -1;
  position_ = offset;
  return position_;
}

int64_t PRiffFile::Read(void* destination, int64_t count) {
  if (count < 0 || (destination == nullptr && count > 0)) return -1;
  int64_t n = std::min(count, size_ - position_);
  if (n <= 0) return 0;
  if (memory_ != nullptr) {
    std::memcpy(destination, memory_ + position_, static_cast<size_t>(n));
  } else {
    if (file_->Seek(position_, PFile::Origin::kStart) != position_) return -1;
    int64_t got = 0;
    auto* out = static_cast<uint8_t*>(destination);
    while (got < n) {
      int64_t r = file_->Read(out + got, static_cast<size_t>(n - got));
      if (r < 0) return -1;
      if (r == 0) break;  // the file shrank under us
      got += r;
    }
    n = got;
  }
  position_ += n;
  return n;
}

int32_t PRiffFile::ReadHeader(PRiffChunk& chunk, int64_t limit, bool openEnded, uint32_t findId) {
  // The header itself must fit before the limit.
  if (position_ + 8 > limit) return kErrNotFound;
  uint8_t header[8];
  if (Read(header, 8) != 8) return kErrReadFailed;
  chunk.id = Le32(header);
  chunk.size = Le32(header + 4);
  chunk.formType = 0;
  chunk.dataOffset = position_;
  const bool unknown = chunk.size == 0 || chunk.size == 0xFFFFFFFFu || chunk.End() > limit;
  if (openEnded && unknown && (findId == 0 || chunk.id == findId)) {
    chunk.size = static_cast<uint32_t>(std::min<int64_t>(limit - chunk.dataOffset, 0xFFFFFFFF));
  }
  if (chunk.End() > limit) return kErrCorrupt;
  return kOk;
}

int32_t PRiffFile::Descend(PRiffChunk& chunk, const PRiffChunk* parent, uint32_t findId, bool openEnded) {
  int64_t limit = size_;
  if (parent != nullptr) {
    if (parent->End() > size_) return kErrCorrupt;
    limit = parent->End();
    if (position_ < parent->dataOffset || position_ > limit) return kErrNotFound;
  }
  const int64_t start = position_;
  for (;;) {
    PRiffChunk found;
    int32_t result = ReadHeader(found, limit, openEnded, findId);
    if (result != kOk) {
      position_ = start;
      return result;
    }
    if (findId == 0 || found.id == findId) {
      if (found.id == kRiff || found.id == kList) {
        uint8_t form[4];
        if (found.size < 4 || Read(form, 4) != 4) {
          position_ = start;
          return kErrCorrupt;
        }
        found.formType = Le32(form);
      }
      chunk = found;
      return kOk;
    }
    int64_t next = found.End() + (found.size & 1u);
    if (next >= limit) {
      position_ = start;
      return kErrNotFound;
    }
    position_ = next;
  }
}

int32_t PRiffFile::Ascend(const PRiffChunk& chunk) {
  if (chunk.dataOffset < 8 || chunk.End() > size_) return kErrCorrupt;
  // A pad byte missing at the very end of the file is forgiven.
  position_ = std::min(chunk.End() + (chunk.size & 1u), size_);
  return kOk;
}
