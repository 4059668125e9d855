#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// An open file on disk, by program-form path (see PPath). Closed by its destructor.
class PFile {
 public:
  enum Access : int { kRead = 1, kWrite = 2 };
  enum class Disposition {
    kOpenExisting,  // fails when the file is missing
    kCreateAlways,  // creates, or empties an existing file
    kCreateNew,     // fails when the file exists
    kOpenAlways,    // opens, or creates when missing
  };
  enum class Origin { kStart, kCurrent, kEnd };

  // nullptr when the file cannot be opened. Only plain files are opened: a folder, a FIFO, a
  // device or a socket in the file's place is refused at once (never waited on) and counts as
  // missing; the refusal hook hears of it.
  static std::unique_ptr<PFile> Open(const std::string& path, int access, Disposition disposition);
  // A new file (as kCreateNew) marked as this process's work file while it is open (an
  // exclusive advisory lock), so that a later start can tell the work files a crashed run left
  // from those a running program is writing. The file is marked before it has its name, so a
  // program starting meanwhile never takes it for a crashed run's leftover (where the file
  // system cannot make unnamed files, it is made again if one does). nullptr with errno set
  // when it cannot be made (EEXIST when the name is taken).
  static std::unique_ptr<PFile> CreateWorkFile(const std::string& path, int access);
  // Told the program-form path of every refused file that is there but not a plain file (the
  // kernel logs it). Set once by the program, or by a test; an empty hook hears nothing.
  static void SetRefusalHook(std::function<void(const std::string&)> hook);
  // An anonymous file held in memory (never on a disk), opened for reading and writing at its
  // start and holding bytes. nullptr when the system gives none.
  static std::unique_ptr<PFile> OpenMemory(const std::string& bytes);
  // A second handle on the same open file (content and position shared); nullptr on failure.
  std::unique_ptr<PFile> Duplicate();
  // Every byte of the file from its start; the position is left at the end.
  std::string ReadAll();

  ~PFile();
  PFile(const PFile&) = delete;
  PFile& operator=(const PFile&) = delete;

  // Bytes read (0 at the end), or -1 on an error.
  int64_t Read(void* buffer, size_t count);
  // Bytes written, or -1 on an error.
  int64_t Write(const void* buffer, size_t count);
  // The new position, or -1 on an error (the position is then unchanged).
  int64_t Seek(int64_t offset, Origin origin);
  int64_t Tell();
  int64_t Size();
  bool Flush();
  // Sets the file's length to the current position.
  bool Truncate();
  const std::string& NativePath() const { return native_; }

 private:
  PFile(int fd, std::string native) : fd_(fd), native_(std::move(native)) {}
  int fd_;
  std::string native_;
};
