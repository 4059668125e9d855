// The program's files: paths below the program folder, opening and creating files as GFile
// objects, temporary files, deleting, existence tests, folders and listings by type code.
#include "framework/kernel/GProgramFiles.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/GString31.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GFileEntry.h"
#include "platform/PFile.h"
#include "platform/PFileName.h"
#include "platform/PFileSystem.h"
#include "platform/PPath.h"
#include "platform/PSystem.h"

namespace {

constexpr const char* kKernelSource = "GKernel";
constexpr size_t kMaxPath = 255;

// "." and the type code's first three characters; "" without a code.
std::string ExtensionOf(const char* typeCode) {
  if (typeCode == nullptr || typeCode[0] == 0) return std::string();
  // Appended rather than "." + std::string: g++ 12 at -O3 reports a false overlap
  // (-Wrestrict) inside the latter.
  std::string extension = ".";
  extension.append(typeCode, strnlen(typeCode, 3));
  return extension;
}

// Program folder + [folder "\"]; false when the folder is not a plain relative folder path.
bool FolderPrefix(const GString& programFolder, const char* folder, std::string& out) {
  out = programFolder.CStr();
  if (folder == nullptr || folder[0] == 0) return true;
  if (!PFileName::IsValidFolderPath(folder)) return false;
  out += folder;
  out += '\\';
  return true;
}

// Program folder + [folder "\"] + name + extension, when the folder and the name with its
// extension are plain names and the whole fits a path string.
bool GameFilePath(const GString& programFolder, const char* folder, const GString& name, const std::string& extension,
                  std::string& out) {
  if (name.Length() == 0) return false;
  const std::string fileName = std::string(name.CStr()) + extension;
  if (!PFileName::IsValid(fileName)) return false;
  if (!FolderPrefix(programFolder, folder, out)) return false;
  out += fileName;
  return out.size() <= kMaxPath;
}

// Whether path is a plain name in the program folder or in a plain folder path below it, and
// that name is the entry's (when the entry has one).
bool IsPathInProgramFolder(const GString& programFolder, const std::string& path, const std::string& name) {
  const std::string folder = programFolder.CStr();
  if (path.size() <= folder.size() || path.size() > kMaxPath || path.compare(0, folder.size(), folder) != 0)
    return false;
  if (!PFileName::IsValidFolderPath(path.substr(folder.size()))) return false;
  if (name.empty()) return true;
  return PFileName::IsValid(name) && path.size() > name.size() &&
         path.compare(path.size() - name.size(), name.size(), name) == 0 &&
         path[path.size() - name.size() - 1] == '\\';
}

// A GFile set up on the handle; null (the object deleted) when the set-up fails.
GFile* FileOnHandle(std::unique_ptr<PFile> handle, const std::string& path, int32_t mode) {
  auto* file = new GFile();
  if (!file->IFile(std::move(handle), path.c_str(), mode)) {
    SafeDelete(file);
    return nullptr;
  }
  return file;
}

// The names of the program's work files: a save's file before its rename ("~" and the name),
// the copy beside a replaced file (".copying") and the coder's work files ("Junk File ...").
bool IsWorkFileName(const std::string& name) {
  static const std::string kCopying = ".copying";
  return (!name.empty() && name[0] == '~') || name.rfind(GFile::kWorkFilePrefix, 0) == 0 ||
         (name.size() > kCopying.size() && name.compare(name.size() - kCopying.size(), kCopying.size(), kCopying) == 0);
}

int32_t CompareEntries(GObject* a, GObject* b, void*) {
  const GString& left = static_cast<GFileEntry*>(a)->name;
  const GString& right = static_cast<GFileEntry*>(b)->name;
  const int32_t order = left.Compare(right, false);
  return order != 0 ? order : left.Compare(right, true);
}

}  // namespace

GFile* GProgramFiles::OpenFileForReading(const GFileEntry* entry, int32_t mode) {
  if (entry == nullptr) return nullptr;
  const std::string path = entry->path.CStr();
  // The same name check as saving: a plain name in the program folder or in a plain folder
  // below it, never anywhere else.
  if (!IsPathInProgramFolder(programFolder_, path, entry->name.CStr())) {
    GErrorLog::LogError((std::string("Cannot open file ") += path).c_str());
    return nullptr;
  }
  std::unique_ptr<PFile> handle = PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting);
  if (!handle) return nullptr;
  return FileOnHandle(std::move(handle), path, mode);
}

GFile* GProgramFiles::OpenFileInProgramFolder(const char* name, bool existing) {
  if (name == nullptr || !PFileName::IsValid(name)) return nullptr;
  const std::string path = std::string(programFolder_.CStr()) + name;
  if (path.size() > kMaxPath) return nullptr;
  std::unique_ptr<PFile> handle =
      PFile::Open(path, PFile::kRead | PFile::kWrite,
                  existing ? PFile::Disposition::kOpenExisting : PFile::Disposition::kCreateAlways);
  if (!handle) return nullptr;
  return FileOnHandle(std::move(handle), path, existing ? GFile::kModeRead : GFile::kModeWrite);
}

GFile* GProgramFiles::CreateTempFile(bool alternate) {
  const std::string folder = PPath::TempFolder();
  if (folder.empty()) FatalError(3575, kKernelSource);
  // The file is made new, never opened over one that is there: another program (or another
  // copy of this one whose generator stands where ours does) may hold a file of the drawn
  // name. Such a name is varied, not drawn again.
  constexpr int32_t kNameTries = 64;
  std::string path;
  std::unique_ptr<PFile> handle;
  GString31 name;
  name.MakeRandom();
  for (int32_t attempt = 0; attempt < kNameTries && !handle; ++attempt) {
    path = folder + GFile::NameForAttempt(name.CStr(), attempt);
    handle = PFile::Open(path, PFile::kRead | PFile::kWrite, PFile::Disposition::kCreateNew);
    if (!handle && !PFileSystem::Exists(path)) break;
  }
  if (!handle) FatalError(3591, kKernelSource);
  GFile* file = FileOnHandle(std::move(handle), path, alternate ? GFile::kModeTemporaryWriting : GFile::kModeTemporary);
  if (file == nullptr) FatalError(3591, kKernelSource);
  return file;
}

GFile* GProgramFiles::CreateGameFile(const char* typeCode, const GString& name, const char* folder, int32_t mode) {
  std::string extension = ExtensionOf(typeCode);
  if (extension.empty() && mode == GFile::kModeWriteEmail) extension = ".txt";
  // A name the player typed that cannot be a file here gives no file: the caller then saves
  // nothing.
  std::string path;
  if (!GameFilePath(programFolder_, folder, name, extension, path)) {
    GErrorLog::LogError((std::string("Cannot create file ") += name.CStr()).c_str());
    return nullptr;
  }
  // Whatever stands under the name (a file left by an earlier run, a planted link) goes, and
  // the file is made new: it is never written through a link.
  PFileSystem::RemoveEntry(path);
  std::unique_ptr<PFile> handle = PFile::CreateWorkFile(path, PFile::kRead | PFile::kWrite);
  if (!handle) {
    const int failure = errno;
    GErrorLog::LogError((std::string("Cannot create file ") += path).c_str());
    errno = failure;
    return nullptr;
  }
  return FileOnHandle(std::move(handle), path, mode);
}

void GProgramFiles::DeleteFile(const char* path) {
  if (path == nullptr) FatalError(3817, kKernelSource);
  if (!PFileSystem::Exists(path) || PFileSystem::IsFolder(path)) {
    // Already gone (another program, or a second delete): nothing is lost by going on.
    GErrorLog::LogError((std::string("File to delete not found ") += path).c_str());
    PSystem::Beep();
    return;
  }
  if (!PFileSystem::Delete(path)) FatalError(3817, kKernelSource);
}

bool GProgramFiles::FileExists(const GString& name, const char* folder, const char* typeCode, bool text) {
  const std::string extension = text ? std::string(".txt") : ExtensionOf(typeCode);
  std::string path;
  if (!GameFilePath(programFolder_, folder, name, extension, path)) return false;
  return PFileSystem::Exists(path);
}

int32_t GProgramFiles::RemoveStaleWorkFiles(const char* folder) {
  std::string path;
  if (folder == nullptr) {
    path = PPath::TempFolder();
  } else if (!FolderPrefix(programFolder_, folder, path)) {
    return 0;
  }
  return PFileSystem::RemoveStaleWorkFiles(path, IsWorkFileName);
}

bool GProgramFiles::EnsureFolder(const char* name) {
  if (name == nullptr || name[0] == 0) return false;
  std::string path;
  if (!FolderPrefix(programFolder_, name, path)) return false;
  path.pop_back();  // the folder itself, without its "\"
  // Anything of that name already there counts: nothing is created over it.
  if (PFileSystem::Exists(path)) return true;
  return PFileSystem::MakeFolder(path);
}

GObjectGroup* GProgramFiles::ListFiles(const char* folder, const char* type1, const char* type2, const char* type3,
                                 const char* type4) {
  auto* group = new GObjectGroup();
  group->Init();
  std::string prefix;
  if (!FolderPrefix(programFolder_, folder, prefix)) return group;
  const char* const codes[4] = {type1, type2, type3, type4};
  for (int32_t i = 0; i < 4; ++i) {
    // The first pass always runs (every file without a code); later ones only for a code.
    if (i > 0 && codes[i] == nullptr) continue;
    for (const std::string& name : PFileSystem::ListFolder(prefix, ExtensionOf(codes[i]))) {
      if (prefix.size() + name.size() > kMaxPath) continue;
      // A save in progress, or one a crash cut short, is no game to offer.
      if (IsWorkFileName(name)) continue;
      auto* entry = new GFileEntry();
      entry->name.Assign(name.c_str());
      entry->path.Assign((prefix + name).c_str());
      group->Append(entry);
    }
  }
  group->QuickSort(CompareEntries, nullptr);
  return group;
}

void GProgramFiles::StripExtension(GString& name) {
  for (int32_t k = 3; k >= 0; --k) {
    if (k < name.Length() && name.GetCharFromEnd(k) == '.') name.RemoveLast(k + 1);
  }
}
