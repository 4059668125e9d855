#include "platform/PFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>
#include <utility>

#include "platform/PFailureInjection.h"
#include "platform/PFolderLock.h"
#include "platform/PPath.h"

namespace {
std::function<void(const std::string&)>& RefusalHook() {
  static std::function<void(const std::string&)> hook;
  return hook;
}

void Refuse(const std::string& path) {
  if (RefusalHook()) RefusalHook()(path);
}
}  // namespace

void PFile::SetRefusalHook(std::function<void(const std::string&)> hook) { RefusalHook() = std::move(hook); }

std::unique_ptr<PFile> PFile::Open(const std::string& path, int access, Disposition disposition) {
  std::string native = PPath::ToNative(path);
  if (native.empty()) return nullptr;
  // Tests stand in for a read-only disk by arming this point.
  const bool writes = (access & kWrite) != 0 || disposition != Disposition::kOpenExisting;
  if (writes && PFailureInjection::Check("OpenForWriting") != PResult::kOk) return nullptr;
  // Non-blocking for the open itself: a FIFO or a device in a file's place must never hang
  // the program. Only plain files are taken; the flag is cleared once that is known.
  int flags = O_CLOEXEC | O_NONBLOCK;
  if ((access & kRead) && (access & kWrite)) flags |= O_RDWR;
  else if (access & kWrite) flags |= O_WRONLY;
  else flags |= O_RDONLY;
  switch (disposition) {
    case Disposition::kOpenExisting: break;
    case Disposition::kCreateAlways: flags |= O_CREAT | O_TRUNC; break;
    case Disposition::kCreateNew: flags |= O_CREAT | O_EXCL; break;
    case Disposition::kOpenAlways: flags |= O_CREAT; break;
  }
  // A file opened to be written is never reached through a link planted in its place.
  if (writes) flags |= O_NOFOLLOW;
  int fd;
  do {
    fd = ::open(native.c_str(), flags, 0644);
  } while (fd < 0 && errno == EINTR);
  struct stat st{};
  if (fd < 0) {
    // A FIFO without a reader refuses a non-blocking writer (ENXIO): still a refusal.
    if (::stat(native.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) Refuse(path);
    return nullptr;
  }
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    Refuse(path);
    return nullptr;
  }
  const int status = ::fcntl(fd, F_GETFL);
  if (status == -1 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == -1) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<PFile>(new PFile(fd, native));
}

namespace {
enum class Unnamed { kMade, kExists, kUnsupported, kFailed };

std::string FolderOf(const std::string& native) {
  const size_t slash = native.rfind('/');
  return slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : native.substr(0, slash);
}

// Makes the file with no name in its folder, locks it, and only then links it under its name,
// which fails as an exclusive create does when the name is taken. A starting program weighing
// work files (PFileSystem::RemoveStaleWorkFiles) removes only a file it can lock, so it never
// finds this one unheld, however the two interleave.
Unnamed CreateLockedThenNamed(const std::string& native, const std::string& folder, int access, int& fd) {
  const int flags = O_TMPFILE | O_CLOEXEC | ((access & PFile::kRead) ? O_RDWR : O_WRONLY);
  do {
    fd = ::open(folder.c_str(), flags, 0644);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL ? Unnamed::kUnsupported : Unnamed::kFailed;
  int locked;
  do {
    locked = ::flock(fd, LOCK_EX);
  } while (locked != 0 && errno == EINTR);
  // Naming an unnamed file by its descriptor needs no privilege through /proc.
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  if (locked == 0 && ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, native.c_str(), AT_SYMLINK_FOLLOW) == 0) return Unnamed::kMade;
  const int failure = errno;
  ::close(fd);
  fd = -1;
  errno = failure;
  if (locked != 0) return Unnamed::kFailed;
  if (failure == EEXIST) return Unnamed::kExists;
  return failure == ENOENT || failure == EPERM || failure == EXDEV ? Unnamed::kUnsupported : Unnamed::kFailed;
}
}  // namespace

std::unique_ptr<PFile> PFile::CreateWorkFile(const std::string& path, int access) {
  const std::string native = PPath::ToNative(path);
  if (native.empty()) return nullptr;
  if (PFailureInjection::Check("OpenForWriting") != PResult::kOk) return nullptr;
  const std::string folder = FolderOf(native);
  // Shared with other programs making work files here, exclusive of a start weighing them.
  const PFolderLock folderLock(folder, false);
  int fd = -1;
  switch (CreateLockedThenNamed(native, folder, access, fd)) {
    case Unnamed::kMade: return std::unique_ptr<PFile>(new PFile(fd, native));
    case Unnamed::kExists:
    case Unnamed::kFailed: return nullptr;
    case Unnamed::kUnsupported: break;
  }
  // A file system without unnamed files: the file is made under its name and then locked, which
  // the folder's lock keeps whole. Should the name no longer name it all the same (a start on a
  // file system without folder locks), the file is made again.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::unique_ptr<PFile> file = Open(path, access, Disposition::kCreateNew);
    if (!file) return nullptr;
    int locked;
    do {
      locked = ::flock(file->fd_, LOCK_EX);
    } while (locked != 0 && errno == EINTR);
    struct stat opened{};
    struct stat named{};
    if (locked == 0 && ::fstat(file->fd_, &opened) == 0 && ::lstat(file->native_.c_str(), &named) == 0 &&
        opened.st_dev == named.st_dev && opened.st_ino == named.st_ino) {
      return file;
    }
  }
  errno = EAGAIN;
  return nullptr;
}

std::unique_ptr<PFile> PFile::OpenMemory(const std::string& bytes) {
  const int fd = ::memfd_create("tarvane-memory", MFD_CLOEXEC);
  if (fd < 0) return nullptr;
  std::unique_ptr<PFile> file(new PFile(fd, std::string()));
  if (!bytes.empty() && file->Write(bytes.data(), bytes.size()) != static_cast<int64_t>(bytes.size())) return nullptr;
  if (file->Seek(0, Origin::kStart) != 0) return nullptr;
  return file;
}

std::unique_ptr<PFile> PFile::Duplicate() {
  const int fd = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  return std::unique_ptr<PFile>(new PFile(fd, native_));
}

std::string PFile::ReadAll() {
  std::string out;
  if (Seek(0, Origin::kStart) != 0) return out;
  char chunk[4096];
  for (;;) {
    const int64_t n = Read(chunk, sizeof chunk);
    if (n <= 0) break;
    out.append(chunk, static_cast<size_t>(n));
  }
  return out;
}

PFile::~PFile() {
  if (fd_ >= 0) ::close(fd_);
}

int64_t PFile::Read(void* buffer, size_t count) {
  size_t done = 0;
  char* p = static_cast<char*>(buffer);
  while (done < count) {
    ssize_t n = ::read(fd_, p + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return done > 0 ? static_cast<int64_t>(done) : -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

int64_t PFile::Write(const void* buffer, size_t count) {
  size_t done = 0;
  const char* p = static_cast<const char*>(buffer);
  // A test's full disk takes what fits and refuses the rest, as a real one does.
  if (!native_.empty()) {
    const size_t room = PFailureInjection::TakeDiskSpace(count);
    if (room < count) {
      if (room > 0) {
        ssize_t n;
        do n = ::write(fd_, p, room); while (n < 0 && errno == EINTR);
      }
      errno = ENOSPC;
      return -1;
    }
  }
  while (done < count) {
    ssize_t n = ::write(fd_, p + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return -1;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

int64_t PFile::Seek(int64_t offset, Origin origin) {
  int whence = origin == Origin::kStart ? SEEK_SET : origin == Origin::kCurrent ? SEEK_CUR : SEEK_END;
  off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
  return r < 0 ? -1 : static_cast<int64_t>(r);
}

int64_t PFile::Tell() { return Seek(0, Origin::kCurrent); }

int64_t PFile::Size() {
  struct stat st{};
  if (fstat(fd_, &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

bool PFile::Flush() { return ::fsync(fd_) == 0 || errno == EINVAL; }

bool PFile::Truncate() {
  int64_t pos = Tell();
  return pos >= 0 && ::ftruncate(fd_, static_cast<off_t>(pos)) == 0;
}
