#include "platform/PFileSystem.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/PFile.h"
#include "platform/PPath.h"
#include "platform/PStringTable.h"
#include "support/ResourceRecorder.h"
#include "support/TestFolder.h"

namespace {

TEST(PPath, ProgramFolderEndsWithBackslashAndFindsFilesIgnoringCase) {
  TestFolder folder(true);
  folder.WriteFile("bmp/12.BMP", "picture");
  const std::string& program = PPath::ProgramFolder();
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(program.back(), '\\');
  auto f = PFile::Open(program + "BMP\\12.bmp", PFile::kRead, PFile::Disposition::kOpenExisting);
  ASSERT_TRUE(f);
  char buf[16] = {};
  EXPECT_EQ(f->Read(buf, sizeof buf), 7);
  EXPECT_STREQ(buf, "picture");
  EXPECT_EQ(f->NativePath(), folder.Native() + "bmp/12.BMP");
}

TEST(PPath, NewFileInAFolderFoundIgnoringCase) {
  TestFolder folder;
  folder.WriteFile("Saved Games/keep", "");
  auto f = PFile::Open(folder.Program() + "SAVED GAMES\\new.wrb", PFile::kWrite, PFile::Disposition::kCreateNew);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->NativePath(), folder.Native() + "Saved Games/new.wrb");
  EXPECT_FALSE(PFile::Open(folder.Program() + "saved games\\NEW.WRB", PFile::kWrite, PFile::Disposition::kCreateNew));
}

TEST(PPath, WindowsTextsBecomeUtf8Names) {
  EXPECT_EQ(PPath::ToNative("\\tmp\\caf\xE9"), "/tmp/caf\xC3\xA9");
  EXPECT_EQ(PPath::ToProgram("/tmp/caf\xC3\xA9"), "\\tmp\\caf\xE9");
}

TEST(PFile, ReadWriteSeekSizeAndDispositions) {
  TestFolder folder;
  std::string path = folder.Program() + "data.bin";
  EXPECT_FALSE(PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting));
  {
    auto f = PFile::Open(path, PFile::kRead | PFile::kWrite, PFile::Disposition::kCreateAlways);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->Write("hello world", 11), 11);
    EXPECT_EQ(f->Size(), 11);
    EXPECT_EQ(f->Seek(6, PFile::Origin::kStart), 6);
    char buf[8] = {};
    EXPECT_EQ(f->Read(buf, 5), 5);
    EXPECT_STREQ(buf, "world");
    EXPECT_EQ(f->Read(buf, 5), 0);
    EXPECT_EQ(f->Seek(-3, PFile::Origin::kCurrent), 8);
    EXPECT_EQ(f->Seek(-100, PFile::Origin::kCurrent), -1);
    EXPECT_EQ(f->Tell(), 8);
    EXPECT_TRUE(f->Flush());
  }
  EXPECT_FALSE(PFile::Open(path, PFile::kWrite, PFile::Disposition::kCreateNew));
  auto again = PFile::Open(path, PFile::kWrite, PFile::Disposition::kCreateAlways);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->Size(), 0);
  // A folder is not a file.
  EXPECT_FALSE(PFile::Open(folder.Program(), PFile::kRead, PFile::Disposition::kOpenExisting));
}

TEST(PFileSystem, ExistsIsExactNameNeverAPattern) {
  TestFolder folder;
  folder.WriteFile("Game1.wrb", "x");
  EXPECT_TRUE(PFileSystem::Exists(folder.Program() + "game1.WRB"));
  EXPECT_FALSE(PFileSystem::Exists(folder.Program() + "*.wrb"));
  EXPECT_FALSE(PFileSystem::Exists(folder.Program() + "Game?.wrb"));
  EXPECT_TRUE(PFileSystem::Delete(folder.Program() + "GAME1.wrb"));
  EXPECT_FALSE(PFileSystem::Exists(folder.Program() + "Game1.wrb"));
  EXPECT_FALSE(PFileSystem::Delete(folder.Program() + "Game1.wrb"));
}

TEST(PFileSystem, CopyReplaceNeverLeavesTheTargetMissing) {
  TestFolder folder;
  folder.WriteFile("a.txt", "new contents");
  folder.WriteFile("b.txt", "old");
  EXPECT_TRUE(PFileSystem::CopyReplace(folder.Program() + "a.txt", folder.Program() + "b.txt"));
  EXPECT_EQ(folder.ReadFile("b.txt"), "new contents");
  // A missing source leaves the target as it was.
  EXPECT_FALSE(PFileSystem::CopyReplace(folder.Program() + "none.txt", folder.Program() + "b.txt"));
  EXPECT_EQ(folder.ReadFile("b.txt"), "new contents");
  EXPECT_EQ(PFileSystem::ListFolder(folder.Program(), ""), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST(PFileSystem, ListingSkipsFoldersAndMatchesExtensionIgnoringCase) {
  TestFolder folder;
  folder.WriteFile("b.WRB", "");
  folder.WriteFile("a.wrb", "");
  folder.WriteFile("c.txt", "");
  folder.WriteFile("sub.wrb/inner.wrb", "");
  EXPECT_EQ(PFileSystem::ListFolder(folder.Program(), ".wrb"), (std::vector<std::string>{"a.wrb", "b.WRB"}));
  EXPECT_TRUE(PFileSystem::IsFolder(folder.Program() + "SUB.WRB"));
  EXPECT_TRUE(PFileSystem::MakeFolder(folder.Program() + "PBEM"));
  EXPECT_TRUE(PFileSystem::MakeFolder(folder.Program() + "PBEM\\"));
  EXPECT_FALSE(PFileSystem::MakeFolder(folder.Program() + "c.txt"));
  EXPECT_TRUE(PFileSystem::RenameReplace(folder.Program() + "a.wrb", folder.Program() + "c.txt"));
  EXPECT_EQ(PFileSystem::ListFolder(folder.Program() + "nowhere", ""), std::vector<std::string>{});
}

TEST(PStringTable, LoadsByNumberAndCutsToTheBuffer) {
  char buf[64];
  EXPECT_EQ(PStringTable::LoadString(1, buf, sizeof buf), 16);
  EXPECT_STREQ(buf, "Tarvane: Ossmere");
  EXPECT_EQ(PStringTable::LoadString(1, buf, 8), 7);
  EXPECT_STREQ(buf, "Tarvane");
  buf[0] = 'x';
  ResourceRecorder::ExpectAbsent(PResourceObserver::Kind::kString, 65000);
  EXPECT_EQ(PStringTable::LoadString(65000, buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(PStringTable::LoadString(1, buf, 0), 0);
}

}  // namespace

namespace {

// Names a hostile folder may hold: "..\" in overlong UTF-8, a separator inside a name, and a
// name the program's character set cannot show. None is listed; accented names are.
TEST(PFileSystem, ListingLeavesOutNamesThatCannotBeShownOrLeadOutside) {
  TestFolder folder;
  folder.WriteFile("\xC0\xAE\xC0\xAE\xC0\xAFoutside.wrb", "x");
  folder.WriteFile("a\\b.wrb", "x");
  folder.WriteFile("\xE6\x97\xA5\xE6\x9C\xAC.wrb", "x");
  folder.WriteFile("Caf\xC3\xA9.wrb", "x");
  folder.WriteFile("plain.wrb", "x");
  EXPECT_EQ(PFileSystem::ListFolder(folder.Program(), ".wrb"),
            (std::vector<std::string>{"Caf\xE9.wrb", "plain.wrb"}));
  auto f = PFile::Open(folder.Program() + "Caf\xE9.wrb", PFile::kRead, PFile::Disposition::kOpenExisting);
  EXPECT_TRUE(f);
}

// A FIFO where a file is expected is refused at once, for reading and for writing, and the
// refusal hook hears of it; a listing skips it.
TEST(PFile, AFifoOrAFolderIsRefusedWithoutWaiting) {
  TestFolder folder;
  const std::string fifo = folder.Native() + "prefs";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  folder.WriteFile("dir/inner", "");
  std::vector<std::string> refused;
  PFile::SetRefusalHook([&refused](const std::string& path) { refused.push_back(path); });
  EXPECT_FALSE(PFile::Open(folder.Program() + "prefs", PFile::kRead, PFile::Disposition::kOpenExisting));
  EXPECT_FALSE(PFile::Open(folder.Program() + "prefs", PFile::kWrite, PFile::Disposition::kCreateAlways));
  EXPECT_FALSE(PFile::Open(folder.Program() + "prefs", PFile::kRead | PFile::kWrite,
                           PFile::Disposition::kOpenExisting));
  EXPECT_FALSE(PFile::Open(folder.Program() + "dir", PFile::kRead, PFile::Disposition::kOpenExisting));
  EXPECT_FALSE(PFile::Open(folder.Program() + "missing", PFile::kRead, PFile::Disposition::kOpenExisting));
  PFile::SetRefusalHook(nullptr);
  EXPECT_EQ(refused, (std::vector<std::string>{folder.Program() + "prefs", folder.Program() + "prefs",
                                               folder.Program() + "prefs", folder.Program() + "dir"}));
  EXPECT_EQ(PFileSystem::ListFolder(folder.Program(), ""), std::vector<std::string>{});
  // A plain file opened the same way reads and writes normally (blocking once open).
  folder.WriteFile("plain", "abc");
  auto f = PFile::Open(folder.Program() + "plain", PFile::kRead | PFile::kWrite, PFile::Disposition::kOpenExisting);
  ASSERT_TRUE(f);
  char buf[4] = {};
  EXPECT_EQ(f->Read(buf, 3), 3);
  EXPECT_EQ(std::string(buf), "abc");
}

}  // namespace

namespace {

// A FIFO left where the copy's work file goes neither blocks the copy nor is written to.
// Whatever an earlier run or another program left under the work file's name (a FIFO that
// would block a writer, a link to a file elsewhere) is removed, never written through.
TEST(PFileSystem, CopyReplaceRemovesAFifoOrALinkLeftUnderItsWorkName) {
  TestFolder folder;
  folder.WriteFile("a.txt", "new");
  folder.WriteFile("b.txt", "old");
  folder.WriteFile("elsewhere.txt", "keep");
  ASSERT_EQ(mkfifo((folder.Native() + "b.txt.copying").c_str(), 0644), 0);
  EXPECT_TRUE(PFileSystem::CopyReplace(folder.Program() + "a.txt", folder.Program() + "b.txt"));
  EXPECT_EQ(folder.ReadFile("b.txt"), "new");
  ASSERT_EQ(symlink((folder.Native() + "elsewhere.txt").c_str(), (folder.Native() + "b.txt.copying").c_str()), 0);
  folder.WriteFile("a.txt", "newer");
  EXPECT_TRUE(PFileSystem::CopyReplace(folder.Program() + "a.txt", folder.Program() + "b.txt"));
  EXPECT_EQ(folder.ReadFile("b.txt"), "newer");
  EXPECT_EQ(folder.ReadFile("elsewhere.txt"), "keep");
}

// A program starting while another makes its work files never takes one of them for a crashed
// run's leftover: every work file made stands under its name for as long as it is held, however
// the two interleave.
TEST(PFileSystem, AStartNeverRemovesAWorkFileAnotherProgramIsMaking) {
  TestFolder folder;
  const std::string work = folder.Program() + "~Save.wrb";
  const std::string native = folder.Native() + "~Save.wrb";
  auto isWorkName = [](const std::string& name) { return !name.empty() && name[0] == '~'; };
  int lost = 0;
  int refused = 0;
  {
    std::atomic<bool> done{false};
    std::thread starting([&] {
      while (!done.load()) PFileSystem::RemoveStaleWorkFiles(folder.Program(), isWorkName);
    });
    // No assertion inside: the starting thread is always joined.
    for (int i = 0; i < 2000; ++i) {
      std::unique_ptr<PFile> file = PFile::CreateWorkFile(work, PFile::kWrite);
      if (!file) {
        ++refused;
        continue;
      }
      // Long enough for the starting program to look at it while it is held.
      for (int k = 0; k < 3; ++k) std::this_thread::yield();
      struct stat named{};
      if (::stat(native.c_str(), &named) != 0) ++lost;
      file.reset();
      ::unlink(native.c_str());
    }
    done.store(true);
    starting.join();
  }
  EXPECT_EQ(refused, 0);
  EXPECT_EQ(lost, 0);
}

}  // namespace
