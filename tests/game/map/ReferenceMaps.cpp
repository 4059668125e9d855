#include "ReferenceMaps.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "framework/core/GFile.h"
#include "platform/PFile.h"
#include "platform/PPath.h"

#ifndef TARVANE_REFERENCE_MAP_DIR
#define TARVANE_REFERENCE_MAP_DIR "maps"
#endif

std::string ReferenceMapPath(const std::string& name) { return std::string(TARVANE_REFERENCE_MAP_DIR) + "/" + name + ".map"; }

std::string ReferenceSummaryPath(const std::string& name) {
  return std::string(TARVANE_REFERENCE_MAP_DIR) + "/" + name + ".txt";
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::unique_ptr<Map> LoadReferenceMap(FakeApp& app, const std::string& name) {
  const std::string path = ReferenceMapPath(name);
  auto handle = PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting);
  if (handle == nullptr) return nullptr;
  GFile file;
  if (!file.IFile(std::move(handle), path.c_str(), GFile::kModeRead)) return nullptr;
  auto map = std::make_unique<Map>(app);
  if (!map->Read(&file)) return nullptr;
  return map;
}

std::string WrittenBytes(const Map& map) {
  const std::string path = PPath::TempFolder() + "tarvane-refmap-" + std::to_string(getpid()) + ".map";
  {
    GFile file;
    file.IFile(PFile::Open(path, PFile::kRead | PFile::kWrite, PFile::Disposition::kCreateAlways), path.c_str(),
               GFile::kModeWrite);
    map.Write(file);
  }
  std::string bytes = ReadWholeFile(PPath::ToNative(path));
  std::remove(PPath::ToNative(path).c_str());
  return bytes;
}

int32_t ReferenceSummaryValue(const std::string& name, const std::string& key) {
  std::istringstream lines(ReadWholeFile(ReferenceSummaryPath(name)));
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind(key + " ", 0) == 0) return std::stoi(line.substr(key.size() + 1));
  }
  return -1;
}
