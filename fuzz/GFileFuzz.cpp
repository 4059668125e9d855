// Opens arbitrary bytes as a file in every reading mode (plain, compressed, game file, e-mail
// turn) and reads typed fields from it until the error flag rises: there must be no fault, no
// hang, and reading past what the file holds must always raise the flag. Then the same bytes
// are written in the writing mode that matches (plain, coded, coded after a raw first part,
// e-mail text), in pieces the script chooses, and read back: they must come back unchanged.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/core/GFile.h"
#include "framework/core/GString255.h"
#include "platform/PFile.h"
#include "platform/PPath.h"

namespace {
const int32_t kModes[] = {GFile::kModeRead, GFile::kModeReadCompressed, GFile::kModeReadGameFile,
                          GFile::kModeReadEmail};
const int32_t kWriteModes[] = {GFile::kModeWrite, GFile::kModeWriteCompressed, GFile::kModeWriteGameFile,
                               GFile::kModeWriteEmail};

// The input file, removed when the fuzzer ends.
struct InputFile {
  std::string path = PPath::TempFolder() + "tarvane-fuzz-input-" + std::to_string(getpid());
  std::string native = PPath::ToNative(path);
  std::string copy = path + "-written";
  ~InputFile() {
    std::remove(native.c_str());
    std::remove(PPath::ToNative(copy).c_str());
  }
};

InputFile& Input() {
  static InputFile input;
  return input;
}

const std::string& InputPath() { return Input().path; }

// Writes the bytes in the mode, in pieces of 1 to 64 bytes as the script says, and reads them
// back in the matching reading mode.
void RoundTrip(int32_t index, uint8_t script, const uint8_t* data, size_t size) {
  if (size == 0) return;
  const std::string& path = Input().copy;
  {
    GFile out;
    if (!out.IFile(PFile::Open(path, PFile::kRead | PFile::kWrite, PFile::Disposition::kCreateAlways), path.c_str(),
                   kWriteModes[index]))
      std::abort();
    for (size_t at = 0; at < size;) {
      size_t piece = 1 + (script + at) % 64;
      if (piece > size - at) piece = size - at;
      if (piece == 1) out.WriteByte(data[at]);
      else out.Write(data + at, static_cast<int32_t>(piece));
      at += piece;
    }
  }
  const std::string& readPath = path;
  GFile in;
  if (!in.IFile(PFile::Open(readPath, PFile::kRead, PFile::Disposition::kOpenExisting), readPath.c_str(),
                kModes[index]))
    std::abort();
  std::string back(size, '\0');
  in.Read(back.data(), static_cast<int32_t>(size));
  if (in.HasError() || back.compare(0, size, reinterpret_cast<const char*>(data), size) != 0) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  int32_t mode = kModes[data[0] % 4];
  uint8_t script = size > 1 ? data[1] : 0;
  {
    auto out = PFile::Open(InputPath(), PFile::kWrite, PFile::Disposition::kCreateAlways);
    if (!out) std::abort();
    if (size > 2 && out->Write(data + 2, size - 2) != static_cast<int64_t>(size - 2)) std::abort();
  }
  GFile file;
  bool opened = file.IFile(PFile::Open(InputPath(), PFile::kRead, PFile::Disposition::kOpenExisting),
                           InputPath().c_str(), mode);
  if (!opened && !file.HasError() && mode != GFile::kModeReadEmail) std::abort();
  uint32_t size0 = file.GetSize();
  if (mode == GFile::kModeRead && size0 != size - (size > 2 ? 2 : size)) std::abort();
  // Every step reads at least one byte, so the flag must be up within size + 1 steps.
  uint8_t block[300];
  for (uint64_t step = 0; step <= static_cast<uint64_t>(size0) + 1 && !file.HasError(); ++step) {
    switch ((script + step) % 7) {
      case 0: file.ReadByte(); break;
      case 1: file.ReadU16(); break;
      case 2: file.ReadU32(); break;
      case 3: file.ReadFloat(); break;
      case 4: file.ReadScaled(100.0f); break;
      case 5: file.Read(block, 1 + static_cast<int32_t>((script * step) % sizeof block)); break;
      case 6: file.Skip(1 + static_cast<int32_t>(step % 5)); break;
    }
    if (file.BytesLeft() > size0) std::abort();
  }
  if (!file.HasError()) std::abort();
  file.GetBlockChecksum();
  if ((script & 0x80) != 0 && size > 2) RoundTrip(data[0] % 4, script, data + 2, size - 2);
  return 0;
}
