#include "platform/PPath.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/PText.h"

namespace {

std::string& OverrideFolder() {
  static std::string folder;
  return folder;
}

std::string WithTrailingSlash(std::string s) {
  if (s.empty() || s.back() != '/') s.push_back('/');
  return s;
}

std::string ExecutableFolder() {
  std::vector<char> buf(4096);
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) {
    char* cwd = getcwd(buf.data(), buf.size());
    return WithTrailingSlash(cwd ? std::string(cwd) : std::string("."));
  }
  std::string path(buf.data(), static_cast<size_t>(n));
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

bool Exists(const std::string& native) {
  struct stat st{};
  return lstat(native.c_str(), &st) == 0;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool PPath::SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

const std::string& PPath::ProgramFolder() {
  static std::string real;
  static std::string overridden;
  if (!OverrideFolder().empty()) {
    overridden = ToProgram(WithTrailingSlash(OverrideFolder()));
    return overridden;
  }
  if (real.empty()) real = ToProgram(ExecutableFolder());
  return real;
}

void PPath::SetProgramFolder(const std::string& nativeFolder) { OverrideFolder() = nativeFolder; }

std::string PPath::TempFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = (tmp && *tmp) ? std::string(tmp) : std::string("/tmp");
  return ToProgram(WithTrailingSlash(folder));
}

std::string PPath::ToProgram(const std::string& nativePath) {
  std::string text;
  if (!PText::Utf8ToCp1252(nativePath, text)) text = nativePath;  // keep the bytes as they are
  for (char& c : text)
    if (c == '/') c = '\\';
  return text;
}

std::string PPath::ToNative(const std::string& programPath) {
  std::string utf8 = PText::Cp1252ToUtf8(programPath);
  for (char& c : utf8)
    if (c == '\\') c = '/';
  if (utf8.empty() || Exists(utf8)) return utf8;

  // Walk the components, replacing each missing one by a case-insensitive match.
  std::string resolved;
  size_t pos = 0;
  if (utf8[0] == '/') {
    resolved = "/";
    pos = 1;
  }
  bool lost = false;  // once a component is missing, the rest is kept as given
  while (pos <= utf8.size()) {
    size_t next = utf8.find('/', pos);
    std::string part = utf8.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
    bool last = next == std::string::npos;
    if (!part.empty()) {
      std::string candidate = resolved + part;
      if (!lost && !Exists(candidate) && part != "." && part != "..") {
        std::string dir = resolved.empty() ? std::string(".") : resolved;
        bool found = false;
        if (DIR* d = opendir(dir.c_str())) {
          while (dirent* e = readdir(d)) {
            std::string name = e->d_name;
            if (SameIgnoringCase(name, part)) {
              candidate = resolved + name;
              found = true;
              break;
            }
          }
          closedir(d);
        }
        if (!found) lost = true;
      }
      resolved = candidate;
      if (!last) resolved.push_back('/');
    } else if (!last && !resolved.empty() && resolved.back() != '/') {
      resolved.push_back('/');
    }
    if (last) break;
    pos = next + 1;
  }
  return resolved;
}
