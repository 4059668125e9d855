#include "MapFiles.h"

#include "framework/core/GFile.h"
#include "game/map/Map.h"
#include "platform/PFile.h"

std::unique_ptr<GFile> MapFiles::Open(const std::string& path, bool write) {
  auto file = std::make_unique<GFile>();
  auto handle = write ? PFile::Open(path, PFile::kRead | PFile::kWrite, PFile::Disposition::kCreateAlways)
                      : PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting);
  if (handle == nullptr) return nullptr;
  if (!file->IFile(std::move(handle), path.c_str(), write ? GFile::kModeWrite : GFile::kModeRead)) return nullptr;
  return file;
}

bool MapFiles::Write(const Map& map, const std::string& path) {
  auto file = Open(path, true);
  if (file == nullptr) return false;
  map.Write(*file);
  return !file->HasError();
}

bool MapFiles::Read(Map& map, const std::string& path) {
  auto file = Open(path, false);
  return file != nullptr && map.Read(file.get());
}
