#include "app/GameFileHeader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/GameFileHeaderReader.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GFileEntry.h"
#include "framework/kernel/GKernel.h"
#include "platform/PFile.h"
#include "support/TestFolder.h"

namespace {

// A saved game's first bytes: format 2, version 4, saved, 5 turns to go, 42 units, forces
// -2 and 3, the title "Caen", then the reserved block.
std::string StoredHeader(uint8_t format = 2, uint8_t version = 4) {
  std::string bytes = {static_cast<char>(format), static_cast<char>(version), 1, 0, 0, 0, 5, 0, 0, 0, 42,
                       '\xff', '\xfe', 0, 3, 4, 'C', 'a', 'e', 'n'};
  return bytes + std::string(1024, '\0');
}

GFile* OpenForReading(const std::string& path) {
  auto* file = new GFile();
  file->IFile(PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting), path.c_str(), GFile::kModeRead);
  return file;
}

TEST(GameFileHeader, ReadsTheFieldsAtTheStartOfAGameFile) {
  TestFolder folder;
  folder.WriteFile("save.wrb", StoredHeader());
  GFile* file = OpenForReading(folder.Program() + "save.wrb");
  GameFileHeader header;
  ASSERT_TRUE(header.ReadHeader(*file));
  EXPECT_EQ(header.savedGame, 1);
  EXPECT_EQ(header.length, 5);
  EXPECT_EQ(header.size, 42);
  EXPECT_EQ(header.forces[0], -2);
  EXPECT_EQ(header.forces[1], 3);
  EXPECT_STREQ(header.title.CStr(), "Caen");
  SafeDelete(file);

  GameFileHeader copy;
  copy = header;
  EXPECT_EQ(copy.size, 42);
  EXPECT_STREQ(copy.title.CStr(), "Caen");
}

TEST(GameFileHeader, RefusesNewerFormatsAndFilesThatEndEarly) {
  TestFolder folder;
  folder.WriteFile("format.wrb", StoredHeader(3, 4));
  folder.WriteFile("version.wrb", StoredHeader(2, 5));
  folder.WriteFile("short.wrb", StoredHeader().substr(0, 18));
  // A title longer than any the writer stores.
  std::string title = StoredHeader() + std::string(300, 'x');
  title[15] = static_cast<char>(0xFF);
  folder.WriteFile("title.wrb", title);
  for (const char* name : {"format.wrb", "version.wrb", "short.wrb", "title.wrb"}) {
    GFile* file = OpenForReading(folder.Program() + name);
    GameFileHeader header;
    header.size = 7;
    EXPECT_FALSE(header.ReadHeader(*file)) << name;
    EXPECT_EQ(header.size, 7) << name;
    SafeDelete(file);
  }
}

TEST(GameFileHeader, TheGameFileListKeepsTheFilesWhoseHeaderReads) {
  TestFolder folder(true);
  // The list shows a flag for each side: its files name forces 0 to 18.
  std::string listed = StoredHeader();
  listed[11] = 0;
  listed[12] = 6;
  folder.WriteFile("Saved Games/a.wrb", listed);
  folder.WriteFile("Saved Games/b.wrb", StoredHeader(9, 9));
  folder.WriteFile("Saved Games/c.wrc", listed);
  folder.WriteFile("Saved Games/d.wrb", StoredHeader());
  InstallGameFileHeaderReader();
  {
    GKernel kernel;
    kernel.FindProgramFolder();
    GObjectGroup* list = kernel.ListFiles("Saved Games", "wrb0", "wrc0");
    GObjectGroup headers;
    headers.Init();
    list->RemoveIf(ReadListedGameFile, &headers, true);
    ASSERT_EQ(list->Count(), 2);
    ASSERT_EQ(headers.Count(), 2);
    EXPECT_STREQ(static_cast<GFileEntry*>(list->GetItem(1))->name.CStr(), "c.wrc");
    EXPECT_EQ(static_cast<GameFileHeader*>(headers.GetItem(1))->size, 42);
    SafeDelete(list);
  }
  SetGameFileHeaderReader(nullptr);
}

}  // namespace
