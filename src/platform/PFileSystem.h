#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Folder and file operations on program-form paths (see PPath).
class PFileSystem {
 public:
  // True when a file or folder of exactly this name exists, the case ignored. The name is
  // never taken as a wildcard pattern.
  static bool Exists(const std::string& path);
  static bool IsFolder(const std::string& path);
  static bool Delete(const std::string& path);
  // Copies from over to, replacing it. The copy is written beside the target and renamed over
  // it, so the target is never missing: it is the old file or the whole new one.
  static bool CopyReplace(const std::string& from, const std::string& to);
  // Renames from to to, replacing to when it exists (one atomic step on the same disk), then
  // syncs the folder so that the new name survives a crash.
  static bool RenameReplace(const std::string& from, const std::string& to);
  // Removes whatever non-folder entry has this name, a link itself and not what it points at;
  // false when there was none or it could not be removed.
  static bool RemoveEntry(const std::string& path);
  // Removes the work files an earlier run left in the folder: the plain files and links whose
  // name isWorkName accepts and that no running program holds (PFile::CreateWorkFile). The
  // count removed.
  static int32_t RemoveStaleWorkFiles(const std::string& folder, const std::function<bool(const std::string&)>& isWorkName);
  // Creates the folder; true when it exists afterwards.
  static bool MakeFolder(const std::string& path);
  // Whether a new file can be made in the folder (a probe file is made and removed).
  static bool CanCreateFilesIn(const std::string& folder);
  // Names (program form, without the folder) of the plain files in folder whose extension is
  // ext (".wrb", compared ignoring case; "" lists every file). Sub-folders, files that are not
  // plain files (FIFOs, devices ...) and names that PFileName::FromListing refuses are
  // skipped. The order is by name.
  static std::vector<std::string> ListFolder(const std::string& folder, const std::string& ext);

 private:
  // Syncs a folder (native path), so that a rename in it lasts; failures are ignored.
  static void SyncFolder(const std::string& native);
};
