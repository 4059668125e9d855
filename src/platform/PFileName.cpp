#include "platform/PFileName.h"

#include <cstring>
#include <utility>

#include "platform/PPath.h"
#include "platform/PText.h"

namespace {

bool IsDeviceName(const std::string& name) {
  // The part before the first dot counts: "nul.txt" is the device too.
  const std::string base = name.substr(0, name.find('.'));
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
  for (const char* device : kDevices)
    if (PPath::SameIgnoringCase(base, device)) return true;
  if (base.size() == 4 && base[3] >= '1' && base[3] <= '9') {
    const std::string stem = base.substr(0, 3);
    if (PPath::SameIgnoringCase(stem, "COM") || PPath::SameIgnoringCase(stem, "LPT")) return true;
  }
  return false;
}

}  // namespace

bool PFileName::IsValid(const std::string& name) {
  if (name.empty() || name.size() > kMaxLength) return false;
  if (name == "." || name == "..") return false;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127) return false;
    // Undefined in Windows-1252: they stand for the C1 control characters U+0081 etc.
    if (u == 0x81 || u == 0x8D || u == 0x8F || u == 0x90 || u == 0x9D) return false;
    if (std::strchr("\\/:*?\"<>|", c) != nullptr) return false;
  }
  if (name.back() == '.' || name.back() == ' ') return false;
  return !IsDeviceName(name);
}

bool PFileName::IsValidFolderPath(const std::string& path) {
  if (path.empty()) return true;
  size_t start = 0;
  for (;;) {
    const size_t end = path.find('\\', start);
    const std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!IsValid(part)) return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

bool PFileName::FromListing(const std::string& nativeName, std::string& programName) {
  programName.clear();
  std::string text;
  if (!PText::Utf8ToCp1252(nativeName, text)) return false;
  if (PText::Cp1252ToUtf8(text) != nativeName) return false;
  if (!IsValid(text)) return false;
  programName = std::move(text);
  return true;
}

std::string PFileName::Extension(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return std::string();
  return name.substr(dot + 1);
}
