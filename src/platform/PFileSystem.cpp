#include "platform/PFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/PFailureInjection.h"
#include "platform/PFile.h"
#include "platform/PFileName.h"
#include "platform/PFolderLock.h"
#include "platform/PPath.h"

namespace {
bool StatNative(const std::string& native, struct stat& st) { return ::stat(native.c_str(), &st) == 0; }
}  // namespace

bool PFileSystem::Exists(const std::string& path) {
  struct stat st{};
  return StatNative(PPath::ToNative(path), st);
}

bool PFileSystem::IsFolder(const std::string& path) {
  struct stat st{};
  return StatNative(PPath::ToNative(path), st) && S_ISDIR(st.st_mode);
}

bool PFileSystem::Delete(const std::string& path) {
  std::string native = PPath::ToNative(path);
  struct stat st{};
  if (!StatNative(native, st) || S_ISDIR(st.st_mode)) return false;
  return ::unlink(native.c_str()) == 0;
}

bool PFileSystem::RenameReplace(const std::string& from, const std::string& to) {
  const std::string target = PPath::ToNative(to);
  if (::rename(PPath::ToNative(from).c_str(), target.c_str()) != 0) return false;
  // The rename itself is made lasting: the folder that holds the new name is synced.
  const size_t slash = target.rfind('/');
  SyncFolder(slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : target.substr(0, slash));
  return true;
}

void PFileSystem::SyncFolder(const std::string& native) {
  const int fd = ::open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool PFileSystem::CopyReplace(const std::string& from, const std::string& to) {
  auto in = PFile::Open(from, PFile::kRead, PFile::Disposition::kOpenExisting);
  if (!in) return false;
  const std::string work = to + ".copying";
  // A work file left by an earlier run (or anything planted under its name) goes first; the
  // new one is made new, never opened through a link.
  RemoveEntry(work);
  auto out = PFile::CreateWorkFile(work, PFile::kWrite);
  if (!out) return false;
  char buf[65536];
  bool ok = true;
  for (;;) {
    const int64_t n = in->Read(buf, sizeof buf);
    if (n < 0) ok = false;
    if (n <= 0) break;
    if (out->Write(buf, static_cast<size_t>(n)) != n) {
      ok = false;
      break;
    }
  }
  const int failure = errno;
  if (ok && !out->Flush()) ok = false;
  out.reset();
  if (ok && !RenameReplace(work, to)) ok = false;
  if (!ok) {
    ::unlink(PPath::ToNative(work).c_str());
    errno = failure != 0 ? failure : EIO;
  }
  return ok;
}

int32_t PFileSystem::RemoveStaleWorkFiles(const std::string& folder,
                                          const std::function<bool(const std::string&)>& isWorkName) {
  std::string native = PPath::ToNative(folder);
  if (native.empty()) return 0;
  if (native.back() != '/') native.push_back('/');
  DIR* d = opendir(native.c_str());
  if (d == nullptr) return 0;
  // Links under a work file's name, removed after the listing.
  std::vector<std::string> stale;
  int32_t removed = 0;
  while (dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name == "." || name == ".." || !isWorkName(PPath::ToProgram(name))) continue;
    const std::string path = native + name;
    struct stat st{};
    if (::lstat(path.c_str(), &st) != 0) continue;
    if (S_ISLNK(st.st_mode)) {
      // A link under a work file's name is never the program's own.
      stale.push_back(path);
      continue;
    }
    if (!S_ISREG(st.st_mode)) continue;
    // Held from the check to the removal: no program makes a work file here meanwhile, so the
    // name removed is the one checked.
    const PFolderLock folderLock(native, true);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    // Removed while held, and only while its name still names it: a program making a work
    // file (PFile::CreateWorkFile) may have made it just now and be waiting for this lock, and
    // it then finds the name gone and makes the file again.
    struct stat opened{};
    struct stat named{};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
        opened.st_dev == named.st_dev && opened.st_ino == named.st_ino && ::unlink(path.c_str()) == 0) {
      ++removed;
    }
    ::close(fd);
  }
  closedir(d);
  for (const std::string& path : stale)
    if (::unlink(path.c_str()) == 0) ++removed;
  return removed;
}

bool PFileSystem::RemoveEntry(const std::string& path) {
  const std::string native = PPath::ToNative(path);
  struct stat st{};
  if (native.empty() || ::lstat(native.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return ::unlink(native.c_str()) == 0;
}

bool PFileSystem::MakeFolder(const std::string& path) {
  std::string native = PPath::ToNative(path);
  if (PFailureInjection::Check("MakeFolder") != PResult::kOk) return false;
  while (native.size() > 1 && native.back() == '/') native.pop_back();
  if (::mkdir(native.c_str(), 0755) == 0) return true;
  struct stat st{};
  return errno == EEXIST && StatNative(native, st) && S_ISDIR(st.st_mode);
}

bool PFileSystem::CanCreateFilesIn(const std::string& folder) {
  std::string prefix = folder;
  if (!prefix.empty() && prefix.back() != '\\') prefix.push_back('\\');
  const std::string probe = prefix + "~write test " + std::to_string(static_cast<long>(::getpid()));
  if (!PFile::Open(probe, PFile::kWrite, PFile::Disposition::kCreateNew)) return false;
  ::unlink(PPath::ToNative(probe).c_str());
  return true;
}

std::vector<std::string> PFileSystem::ListFolder(const std::string& folder, const std::string& ext) {
  std::vector<std::string> names;
  std::string native = PPath::ToNative(folder);
  if (native.empty() || native.back() != '/') native.append(native.empty() ? "./" : "/");
  DIR* d = opendir(native.c_str());
  if (!d) return names;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    struct stat st{};
    if (!StatNative(native + name, st) || !S_ISREG(st.st_mode)) continue;
    std::string program;
    if (!PFileName::FromListing(name, program)) continue;
    if (!ext.empty()) {
      if (program.size() < ext.size() ||
          !PPath::SameIgnoringCase(program.substr(program.size() - ext.size()), ext))
        continue;
    }
    names.push_back(program);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}
