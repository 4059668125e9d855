// Takes arbitrary bytes as a name a folder listing gives (the system's UTF-8) and as a name
// the program builds (Windows-1252): the conversion must be strict and exact both ways, and a
// name that is taken must never lead outside its folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/PFileName.h"
#include "platform/PPath.h"
#include "platform/PText.h"

namespace {

// A folder that does not exist, so that the path conversion changes nothing but the form.
const std::string kFolder = "\\tarvane-fuzz-no-such-folder\\";
const std::string kNativeFolder = "/tarvane-fuzz-no-such-folder/";

// The name's native path stays one plain name inside the folder.
void CheckInside(const std::string& programName) {
  const std::string native = PPath::ToNative(kFolder + programName);
  if (native.compare(0, kNativeFolder.size(), kNativeFolder) != 0) std::abort();
  const std::string rest = native.substr(kNativeFolder.size());
  if (rest.empty() || rest == "." || rest == ".." || rest.find('/') != std::string::npos) std::abort();
  if (rest != PText::Cp1252ToUtf8(programName)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  // Strict decoding has one form per text: what decodes encodes back to the same bytes.
  std::string text;
  if (PText::Utf8ToCp1252(bytes, text) && PText::Cp1252ToUtf8(text) != bytes) std::abort();

  // A listed name that is taken is a plain name whose native form is exactly the listed one.
  std::string name;
  if (PFileName::FromListing(bytes, name)) {
    if (!PFileName::IsValid(name)) std::abort();
    for (char c : name) {
      const auto u = static_cast<unsigned char>(c);
      if (c == '\\' || c == '/' || u < 32 || u == 127) std::abort();
    }
    if (PText::Cp1252ToUtf8(name) != bytes) std::abort();
    CheckInside(name);
  } else if (!name.empty()) {
    std::abort();
  }

  // The same bytes as a name or a folder path the program built.
  if (PFileName::IsValid(bytes)) CheckInside(bytes);
  if (PFileName::IsValidFolderPath(bytes) && !bytes.empty()) {
    const std::string native = PPath::ToNative(kFolder + bytes);
    if (native.compare(0, kNativeFolder.size(), kNativeFolder) != 0) std::abort();
    size_t start = kNativeFolder.size();
    for (;;) {
      const size_t slash = native.find('/', start);
      const std::string part = native.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
      if (part.empty() || part == "." || part == "..") std::abort();
      if (slash == std::string::npos) break;
      start = slash + 1;
    }
  }
  // The program form of any native name keeps its separators as separators only.
  const std::string program = PPath::ToProgram(bytes);
  if (program.find('/') != std::string::npos) std::abort();
  PFileName::Extension(bytes);
  return 0;
}
