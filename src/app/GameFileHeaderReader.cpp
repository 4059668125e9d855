#include "app/GameFileHeaderReader.h"

#include "app/GameFileHeader.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GFileEntry.h"

GObject* ReadListedGameFileHeader(GFile& file) {
  auto* header = new GameFileHeader();
  if (!header->ReadHeader(file)) SafeDelete(header);
  return header;
}

void InstallGameFileHeaderReader() { SetGameFileHeaderReader(ReadListedGameFileHeader); }
