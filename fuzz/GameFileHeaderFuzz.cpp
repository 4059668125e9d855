// Reads arbitrary bytes as the start of a game file, as the game-file list does for every
// listed file, in the three ways a game file may be stored (plain, compressed, and compressed
// after a raw first part): a header that is refused leaves the record untouched, and one that
// is accepted, written again with the file writer and read back, gives the same record.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzFolder.h"
#include "app/FileListView.h"
#include "app/GameFileHeader.h"
#include "app/GameFileHeaderReader.h"
#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "platform/PFile.h"

namespace {

const int32_t kReadModes[] = {GFile::kModeRead, GFile::kModeReadCompressed, GFile::kModeReadGameFile};

// The input's files, in the target's own folder, which is the program folder too, so that the
// error log goes there; the folder goes when the target ends.
struct InputFile {
  FuzzFolder folder{"headerfuzz"};
  std::string path = folder.path + "input";
  std::string copy = folder.path + "again";
};

InputFile& Files() {
  static InputFile files;
  return files;
}

bool Same(const GameFileHeader& a, const GameFileHeader& b) {
  return a.savedGame == b.savedGame && a.length == b.length && a.size == b.size && a.forces[0] == b.forces[0] &&
         a.forces[1] == b.forces[1] && a.title.Compare(b.title, true) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int32_t mode = kReadModes[data[0] % 3];
  {
    auto out = PFile::Open(Files().path, PFile::kWrite, PFile::Disposition::kCreateAlways);
    if (!out) std::abort();
    if (size > 1 && out->Write(data + 1, size - 1) != static_cast<int64_t>(size - 1)) std::abort();
  }
  GFile file;
  if (!file.IFile(PFile::Open(Files().path, PFile::kRead, PFile::Disposition::kOpenExisting), Files().path.c_str(),
                  mode))
    return 0;
  // The reader the game-file list uses, then the record's own read on a second pass.
  GObject* listed = ReadListedGameFileHeader(file);
  file.Rewind();
  GameFileHeader header;
  header.title.Assign("untouched");
  const GameFileHeader before(header);
  const bool ok = header.ReadHeader(file);
  // The list takes exactly the readable headers whose forces it has flags for.
  const bool known = ok && header.forces[0] >= 0 && header.forces[0] <= FileListView::kLastForceCode &&
                     header.forces[1] >= 0 && header.forces[1] <= FileListView::kLastForceCode;
  if (known != (listed != nullptr)) std::abort();
  SafeDelete(listed);
  if (!ok) {
    if (!Same(header, before)) std::abort();
    return 0;
  }
  // Written again as the game writes a header, and read back.
  {
    GFile out;
    if (!out.IFile(PFile::Open(Files().copy, PFile::kRead | PFile::kWrite, PFile::Disposition::kCreateAlways),
                   Files().copy.c_str(), GFile::kModeWriteGameFile))
      std::abort();
    out.WriteByte(GameFileHeader::kFormat);
    out.WriteByte(GameFileHeader::kVersion);
    out.WriteByte(header.savedGame);
    out.WriteU32(static_cast<uint32_t>(header.length));
    out.WriteU32(static_cast<uint32_t>(header.size));
    out.WriteU16(static_cast<uint16_t>(header.forces[0]));
    out.WriteU16(static_cast<uint16_t>(header.forces[1]));
    header.title.WriteText(out);
  }
  GFile again;
  if (!again.IFile(PFile::Open(Files().copy, PFile::kRead, PFile::Disposition::kOpenExisting), Files().copy.c_str(),
                   GFile::kModeReadGameFile))
    std::abort();
  GameFileHeader back;
  if (!back.ReadHeader(again) || !Same(back, header)) std::abort();
  return 0;
}
