#pragma once
#include <cstdint>

#include "framework/core/GString255.h"

class GFile;
class GFileEntry;
class GObjectGroup;
class GString;

// The program's contact with the file system below its folder, which the kernel serves its
// file operations from (GKernel::OpenFileInProgramFolder and the rest; their comments there
// tell what each does). Game data lives in folders of the program folder; files are told
// apart by a type code whose first three characters are the extension ("wrb0": ".wrb").
// Folder and file names are plain names: a name that is not gives no file. The program folder
// is the kernel's and is read at each call, so it may be found after this is made.
class GProgramFiles {
 public:
  explicit GProgramFiles(const GString255& programFolder) : programFolder_(programFolder) {}
  GProgramFiles(const GProgramFiles&) = delete;
  GProgramFiles& operator=(const GProgramFiles&) = delete;

  GFile* OpenFileForReading(const GFileEntry* entry, int32_t mode);
  GFile* OpenFileInProgramFolder(const char* name, bool existing);
  GFile* CreateTempFile(bool alternate);
  GFile* CreateGameFile(const char* typeCode, const GString& name, const char* folder, int32_t mode);
  int32_t RemoveStaleWorkFiles(const char* folder);
  void DeleteFile(const char* path);
  bool FileExists(const GString& name, const char* folder, const char* typeCode, bool text);
  bool EnsureFolder(const char* name);
  GObjectGroup* ListFiles(const char* folder, const char* type1, const char* type2, const char* type3,
                          const char* type4);
  static void StripExtension(GString& name);

 private:
  const GString255& programFolder_;
};
