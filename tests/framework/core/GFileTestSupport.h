#pragma once
// Helpers shared by the GFile tests: a test folder whose "tmp" sub-folder is the system's
// temporary folder meanwhile (so work files can be seen and counted), and quick ways to open
// a GFile in a mode and to read and write whole native files.
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/GFile.h"
#include "platform/PFile.h"
#include "support/TestFolder.h"
#include "support/TmpdirIn.h"

class GFileTestFolder {
 public:
  // Program-form path of a file in the folder.
  std::string Path(const std::string& name) const { return folder_.Program() + name; }
  std::string Native(const std::string& name) const { return folder_.Native() + name; }

  void Put(const std::string& name, const std::vector<uint8_t>& bytes) const {
    folder_.WriteFile(name, std::string(bytes.begin(), bytes.end()));
  }
  std::vector<uint8_t> Get(const std::string& name) const {
    std::string s = folder_.ReadFile(name);
    return std::vector<uint8_t>(s.begin(), s.end());
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(Native(name)); }

  // Names of the files in the temporary folder.
  std::vector<std::string> WorkFiles() const {
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(folder_.Native() + "tmp"))
      names.push_back(e.path().filename().string());
    return names;
  }

  // A GFile on the named file: writing modes create it empty, the others open it.
  std::unique_ptr<GFile> Open(const std::string& name, int32_t mode, bool* result = nullptr) const {
    bool writing = mode == GFile::kModeWrite || mode == GFile::kModeWriteCompressed ||
                   mode == GFile::kModeWriteGameFile || mode == GFile::kModeWriteEmail ||
                   mode == GFile::kModeTemporary || mode == GFile::kModeTemporaryWriting;
    auto handle = writing ? PFile::Open(Path(name), PFile::kRead | PFile::kWrite,
                                        PFile::Disposition::kCreateAlways)
                          : PFile::Open(Path(name), PFile::kRead, PFile::Disposition::kOpenExisting);
    auto file = std::make_unique<GFile>();
    bool ok = file->IFile(std::move(handle), Path(name).c_str(), mode);
    if (result) *result = ok;
    return file;
  }

  // Writes bytes in a mode and closes the file.
  void WriteIn(const std::string& name, int32_t mode, const std::vector<uint8_t>& bytes) const {
    auto file = Open(name, mode);
    if (!bytes.empty()) file->Write(bytes.data(), static_cast<int32_t>(bytes.size()));
  }
  // Reads everything a mode yields (up to the decoded file's size).
  std::vector<uint8_t> ReadIn(const std::string& name, int32_t mode, bool* result = nullptr,
                              bool* error = nullptr) const {
    auto file = Open(name, mode, result);
    std::vector<uint8_t> bytes(file->GetSize());
    if (!bytes.empty()) file->Read(bytes.data(), static_cast<int32_t>(bytes.size()));
    if (error) *error = file->HasError();
    return bytes;
  }

 private:
  // The temporary folder's sub-folder, made before TMPDIR points at it.
  static std::string MadeFolder(const std::string& path) {
    std::filesystem::create_directories(path);
    return path;
  }

  TestFolder folder_;
  TmpdirIn tmpdir_{MadeFolder(folder_.Native() + "tmp")};
};

// Deterministic test data: noise, and map-like data with long runs of few values.
inline std::vector<uint8_t> NoiseBytes(size_t n, uint32_t seed) {
  std::vector<uint8_t> v(n);
  uint32_t s = seed * 2654435761u + 1;
  for (auto& b : v) {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    b = static_cast<uint8_t>(s >> 11);
  }
  return v;
}

inline std::vector<uint8_t> MapLikeBytes(size_t n, uint32_t seed) {
  std::vector<uint8_t> v;
  v.reserve(n);
  std::vector<uint8_t> noise = NoiseBytes(n / 8 + 16, seed);
  size_t k = 0;
  while (v.size() < n) {
    uint8_t value = static_cast<uint8_t>(noise[k++ % noise.size()] % 12);
    size_t run = 1 + noise[k++ % noise.size()] % 60;
    for (size_t i = 0; i < run && v.size() < n; ++i) v.push_back(value);
  }
  return v;
}
