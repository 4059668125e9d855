#include "platform/PFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/PFailureInjection.h"
#include "platform/PFile.h"
#include "platform/PFileName.h"
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
  return ::rename(PPath::ToNative(from).c_str(), PPath::ToNative(to).c_str()) == 0;
}

bool PFileSystem::CopyReplace(const std::string& from, const std::string& to) {
  auto in = PFile::Open(from, PFile::kRead, PFile::Disposition::kOpenExisting);
  if (!in) return false;
  std::string target = PPath::ToNative(to);
  std::string work = target + ".copying";
  // Never waits on a FIFO left under the work file's name, and writes only a plain file.
  int fd = ::open(work.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0644);
  if (fd < 0) return false;
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  char buf[65536];
  bool ok = true;
  for (;;) {
    int64_t n = in->Read(buf, sizeof buf);
    if (n < 0) { ok = false; break; }
    if (n == 0) break;
    const char* p = buf;
    int64_t left = n;
    while (left > 0) {
      ssize_t w = ::write(fd, p, static_cast<size_t>(left));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) { ok = false; break; }
      p += w;
      left -= w;
    }
    if (!ok) break;
  }
  if (ok && ::fsync(fd) != 0 && errno != EINVAL) ok = false;
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(work.c_str(), target.c_str()) != 0) ok = false;
  if (!ok) ::unlink(work.c_str());
  return ok;
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
