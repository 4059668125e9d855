#include "framework/core/GMemoryFile.h"

#include "framework/core/Quorl.h"
#include "platform/PFile.h"

GMemoryFile::GMemoryFile() {
  std::unique_ptr<PFile> handle = PFile::OpenMemory(std::string());
  if (!handle) FatalError(__LINE__, "GMemoryFile");
  view_ = handle->Duplicate();
  if (!view_) FatalError(__LINE__, "GMemoryFile");
  file_.IFile(std::move(handle), nullptr, GFile::kModeWrite);
}

GMemoryFile::GMemoryFile(const std::string& bytes) {
  std::unique_ptr<PFile> handle = PFile::OpenMemory(bytes);
  if (!handle) FatalError(__LINE__, "GMemoryFile");
  view_ = handle->Duplicate();
  if (!view_) FatalError(__LINE__, "GMemoryFile");
  file_.IFile(std::move(handle), nullptr, GFile::kModeRead);
}

GMemoryFile::GMemoryFile(const std::string& bytes, int32_t mode) {
  if (mode == GFile::kModeTemporary || mode == GFile::kModeTemporaryWriting) FatalError(__LINE__, "GMemoryFile");
  std::unique_ptr<PFile> handle = PFile::OpenMemory(bytes);
  if (!handle) FatalError(__LINE__, "GMemoryFile");
  view_ = handle->Duplicate();
  if (!view_) FatalError(__LINE__, "GMemoryFile");
  // A refused decoding has raised the file's error flag, which the reader tests.
  file_.IFile(std::move(handle), nullptr, mode);
}

GMemoryFile::~GMemoryFile() = default;

std::string GMemoryFile::Bytes() {
  file_.FlushBuffer();
  // The two handles share one position: the reading moves it to the end, where the writer
  // continues.
  return view_->ReadAll();
}
