#pragma once
// Helpers for the stored-form tests of the core types: the bytes an object writes through a
// GFile, and a GFile opened for reading on given bytes.
#include <memory>
#include <string>
#include <utility>

#include "framework/core/GFile.h"
#include "platform/PFile.h"
#include "support/TestFolder.h"

// Runs write on a plain file opened for writing and returns the file's bytes.
template <class F>
std::string StoredBytes(F write) {
  TestFolder folder;
  std::string path = folder.Program() + "stored.bin";
  {
    GFile file;
    file.IFile(PFile::Open(path, PFile::kWrite, PFile::Disposition::kCreateAlways), path.c_str(),
               GFile::kModeWrite);
    write(file);
  }
  return folder.ReadFile("stored.bin");
}

// Runs read on a plain file opened for reading that holds bytes.
template <class F>
void ReadStored(const std::string& bytes, F read) {
  TestFolder folder;
  folder.WriteFile("stored.bin", bytes);
  std::string path = folder.Program() + "stored.bin";
  GFile file;
  file.IFile(PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting), path.c_str(),
             GFile::kModeRead);
  read(file);
}
