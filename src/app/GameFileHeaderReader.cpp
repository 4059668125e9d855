#include "app/GameFileHeaderReader.h"

#include "app/FileListView.h"
#include "app/GameFileHeader.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GFileEntry.h"

GObject* ReadListedGameFileHeader(GFile& file) {
  auto* header = new GameFileHeader();
  if (!header->ReadHeader(file)) SafeDelete(header);
  // A force the list has no flag for: the file is left out like an unreadable one.
  for (int32_t side = 0; header != nullptr && side < 2; ++side) {
    if (header->forces[side] < 0 || header->forces[side] > FileListView::kLastForceCode) {
      GErrorLog::LogValue("Game file with an unknown force code:", header->forces[side]);
      SafeDelete(header);
    }
  }
  return header;
}

void InstallGameFileHeaderReader() { SetGameFileHeaderReader(ReadListedGameFileHeader); }
