#pragma once
#include <memory>
#include <string>

#include "framework/core/GFile.h"

class PFile;

// A GFile over bytes held in memory: stored forms are written and read without touching a
// disk (the canonical pass, digests, saving to a buffer, tests and fuzzing).
class GMemoryFile {
 public:
  // Opened for writing, empty.
  GMemoryFile();
  // Opened for reading, holding bytes.
  explicit GMemoryFile(const std::string& bytes);
  // Opened in any mode but the temporary ones, holding bytes: a decoding mode (compressed,
  // game file, e-mail turn) decodes them here, in memory, and raises the file's error flag
  // when they are damaged; an encoding mode writes its code over them when it finishes
  // (File().Finish()).
  GMemoryFile(const std::string& bytes, int32_t mode);
  ~GMemoryFile();
  GMemoryFile(const GMemoryFile&) = delete;
  GMemoryFile& operator=(const GMemoryFile&) = delete;

  GFile& File() { return file_; }
  // Every byte written so far (pending bytes are written out first); once an encoding mode
  // has finished, the code.
  std::string Bytes();

 private:
  GFile file_;
  std::unique_ptr<PFile> view_;  // a second handle for reading the bytes back
};
