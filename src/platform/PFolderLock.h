#pragma once
// An advisory lock on a folder, held while the object lives: shared by a program making a work
// file in it, exclusive for a start weighing which of its work files a crashed run left. A start
// then removes a name only while no work file can take that name, since no folder operation can
// remove a name only if it still names the file that was checked. Nothing is held when the
// folder cannot be opened; the caller goes on without the lock.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <string>

class PFolderLock {
 public:
  PFolderLock(const std::string& nativeFolder, bool exclusive) {
    fd_ = ::open(nativeFolder.empty() ? "." : nativeFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) return;
    int locked;
    do {
      locked = ::flock(fd_, exclusive ? LOCK_EX : LOCK_SH);
    } while (locked != 0 && errno == EINTR);
  }
  ~PFolderLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  PFolderLock(const PFolderLock&) = delete;
  PFolderLock& operator=(const PFolderLock&) = delete;

 private:
  int fd_ = -1;
};
