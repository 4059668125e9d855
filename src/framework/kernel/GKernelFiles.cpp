// The kernel's file-system operations, served by its GProgramFiles, and the game-file list's
// header reading.
#include "framework/core/GFile.h"
#include "framework/core/GGroup.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GFileEntry.h"
#include "framework/kernel/GKernel.h"
#include "framework/kernel/GProgramFiles.h"

namespace {

constexpr const char* kSource = "GKernel";

GameFileHeaderReader gHeaderReader = nullptr;

}  // namespace

GFile* GKernel::OpenFileForReading(const GFileEntry* entry, int32_t mode) {
  return files_->OpenFileForReading(entry, mode);
}

GFile* GKernel::OpenFileInProgramFolder(const char* name, bool existing) {
  return files_->OpenFileInProgramFolder(name, existing);
}

GFile* GKernel::CreateTempFile(bool alternate) { return files_->CreateTempFile(alternate); }

int32_t GKernel::RemoveStaleWorkFiles(const char* folder) { return files_->RemoveStaleWorkFiles(folder); }

GFile* GKernel::CreateGameFile(const char* typeCode, const GString& name, const char* folder, int32_t mode) {
  return files_->CreateGameFile(typeCode, name, folder, mode);
}

void GKernel::DeleteFile(const char* path) { files_->DeleteFile(path); }

bool GKernel::FileExists(const GString& name, const char* folder, const char* typeCode, bool text) {
  return files_->FileExists(name, folder, typeCode, text);
}

bool GKernel::EnsureFolder(const char* name) { return files_->EnsureFolder(name); }

GObjectGroup* GKernel::ListFiles(const char* folder, const char* type1, const char* type2, const char* type3,
                                 const char* type4) {
  return files_->ListFiles(folder, type1, type2, type3, type4);
}

void GKernel::StripExtension(GString& name) { GProgramFiles::StripExtension(name); }

void SetGameFileHeaderReader(GameFileHeaderReader reader) { gHeaderReader = reader; }

bool ReadListedGameFile(GObject* member, void* target) {
  auto* entry = dynamic_cast<GFileEntry*>(member);
  if (entry == nullptr || target == nullptr || gKernel == nullptr) FatalError(__LINE__, kSource);
  GFile* file = gKernel->OpenFileForReading(entry, GFile::kModeRead);
  if (file == nullptr) {
    GKernel::LogError(entry->name.CStr());
    return true;
  }
  GObject* header = gHeaderReader != nullptr ? gHeaderReader(*file) : nullptr;
  SafeDelete(file);
  if (header == nullptr) {
    GKernel::LogError(entry->name.CStr());
    return true;
  }
  entry->header = header;
  static_cast<GGroup*>(target)->Append(header);
  return false;
}
