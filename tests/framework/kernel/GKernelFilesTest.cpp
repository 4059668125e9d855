#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GFileEntry.h"
#include "framework/kernel/GKernel.h"
#include "platform/PFileSystem.h"
#include "platform/PPath.h"
#include "platform/PSystem.h"
#include "support/TestFolder.h"

namespace {

GString255 Str(const char* text) {
  GString255 s;
  s.Assign(text);
  return s;
}

// A kernel that is not started: its program folder is the test's folder, and its log holds
// only what the test makes it write.
class GKernelFiles : public testing::Test {
 protected:
  GKernelFiles() : folder_(true) {
    GErrorLog::ResetForTests();
    kernel_.FindProgramFolder();
    PSystem::SetBeepHook([this] { ++beeps_; });
  }
  ~GKernelFiles() override {
    PSystem::SetBeepHook(nullptr);
    SetGameFileHeaderReader(nullptr);
  }

  std::vector<std::string> LogLines() { return folder_.LogLines(); }

  static std::vector<std::string> Names(GObjectGroup* group) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < group->Count(); ++i) names.push_back(static_cast<GFileEntry*>(group->GetItem(i))->name.CStr());
    return names;
  }

  TestFolder folder_;
  GKernel kernel_;
  int beeps_ = 0;
};

TEST_F(GKernelFiles, ListFilesTakesBothKindsSortedByNameAndSkipsSubFolders) {
  folder_.WriteFile("Saved Games/b.wrb", "");
  folder_.WriteFile("Saved Games/C.WRB", "");
  folder_.WriteFile("Saved Games/a.wrc", "");
  folder_.WriteFile("Saved Games/notes.txt", "");
  // Folders that look like game files, met first or in the middle of the listing.
  std::filesystem::create_directories(folder_.Native() + "Saved Games/0 folder.wrb");
  std::filesystem::create_directories(folder_.Native() + "Saved Games/bb.wrc");
  GObjectGroup* list = kernel_.ListFiles("Saved Games", "wrb0", "wrc0");
  EXPECT_EQ(Names(list), (std::vector<std::string>{"a.wrc", "b.wrb", "C.WRB"}));
  EXPECT_TRUE(list->OwnsMembers());
  const auto* first = static_cast<GFileEntry*>(list->GetItem(0));
  EXPECT_EQ(std::string(first->path.CStr()), folder_.Program() + "Saved Games\\a.wrc");
  EXPECT_EQ(first->header, nullptr);
  SafeDelete(list);

  // No code: every file of the folder; a folder name that leads elsewhere lists nothing.
  list = kernel_.ListFiles("saved games", nullptr);
  EXPECT_EQ(Names(list), (std::vector<std::string>{"a.wrc", "b.wrb", "C.WRB", "notes.txt"}));
  SafeDelete(list);
  list = kernel_.ListFiles("Saved Games\\..", nullptr);
  EXPECT_EQ(list->Count(), 0);
  SafeDelete(list);
  list = kernel_.ListFiles("Missing", "wrb0");
  EXPECT_EQ(list->Count(), 0);
  SafeDelete(list);
}

TEST_F(GKernelFiles, StripExtensionRemovesUpToThreeCharactersAfterADot) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {{"save.wrb", "save"}, {"save", "save"}, {"a.b", "a"},       {"x.", "x"},
               {"ab.cdef", "ab.cdef"}, {".wrb", ""}, {"a.b.c", "a"},     {"", ""}};
  for (const auto& c : cases) {
    GString255 s = Str(c.in);
    GKernel::StripExtension(s);
    EXPECT_STREQ(s.CStr(), c.out) << c.in;
  }
}

TEST_F(GKernelFiles, FileExistsMatchesTheExactNameIgnoringCaseNeverAPattern) {
  folder_.WriteFile("Saved Games/save.WRB", "");
  folder_.WriteFile("PBEM/turn.txt", "");
  EXPECT_TRUE(kernel_.FileExists(Str("save"), "Saved Games", "wrb0", false));
  EXPECT_TRUE(kernel_.FileExists(Str("SAVE"), "saved games", "wrb0", false));
  EXPECT_FALSE(kernel_.FileExists(Str("save"), "Saved Games", "wrc0", false));
  EXPECT_FALSE(kernel_.FileExists(Str("sav*"), "Saved Games", "wrb0", false));
  EXPECT_FALSE(kernel_.FileExists(Str("sav?"), "Saved Games", "wrb0", false));
  // The text flag looks for ".txt" whatever code is given.
  EXPECT_TRUE(kernel_.FileExists(Str("turn"), "PBEM", "wrb0", true));
  EXPECT_TRUE(kernel_.FileExists(Str("turn"), "PBEM", nullptr, true));
  EXPECT_FALSE(kernel_.FileExists(Str("save"), "Saved Games", "wrb0", true));
  // No code: the name as it is.
  EXPECT_TRUE(kernel_.FileExists(Str("save.wrb"), "Saved Games", nullptr, false));
  EXPECT_FALSE(kernel_.FileExists(Str("..\\Saved Games\\save"), "PBEM", "wrb0", false));
}

TEST_F(GKernelFiles, EnsureFolderCreatesOnlyWhatIsMissing) {
  folder_.WriteFile("Scenarios/keep.wrb", "kept");
  EXPECT_TRUE(kernel_.EnsureFolder("Scenarios"));
  EXPECT_EQ(folder_.ReadFile("Scenarios/keep.wrb"), "kept");
  EXPECT_TRUE(kernel_.EnsureFolder("PBEM"));
  EXPECT_TRUE(PFileSystem::IsFolder(folder_.Program() + "PBEM"));
  // Anything of that name counts as there: a plain file is left as it is, no folder made.
  folder_.WriteFile("Saved Games", "a file");
  EXPECT_TRUE(kernel_.EnsureFolder("Saved Games"));
  EXPECT_FALSE(PFileSystem::IsFolder(folder_.Program() + "Saved Games"));
  EXPECT_EQ(folder_.ReadFile("Saved Games"), "a file");
  // The case of an existing name does not matter.
  EXPECT_TRUE(kernel_.EnsureFolder("scenarios"));
  EXPECT_FALSE(std::filesystem::exists(folder_.Native() + "scenarios"));
  EXPECT_FALSE(kernel_.EnsureFolder(".."));
  EXPECT_FALSE(kernel_.EnsureFolder(""));
}

TEST_F(GKernelFiles, CreateGameFileWritesTheNamedFileOrGivesNullForANameThatCannotBeOne) {
  std::filesystem::create_directories(folder_.Native() + "Saved Games");
  GFile* file = kernel_.CreateGameFile("wrb0", Str("Battle"), "Saved Games", GFile::kModeWrite);
  ASSERT_NE(file, nullptr);
  file->WriteU32(0x01020304);
  SafeDelete(file);
  EXPECT_EQ(folder_.ReadFile("Saved Games/Battle.wrb"), std::string("\x01\x02\x03\x04", 4));
  // An existing file is emptied.
  file = kernel_.CreateGameFile("wrb0", Str("Battle"), "Saved Games", GFile::kModeWrite);
  SafeDelete(file);
  EXPECT_EQ(folder_.ReadFile("Saved Games/Battle.wrb"), "");
  // Mode 10 without a code makes a text file; with no folder it goes in the program folder.
  file = kernel_.CreateGameFile(nullptr, Str("turn"), nullptr, GFile::kModeWriteEmail);
  ASSERT_NE(file, nullptr);
  SafeDelete(file);
  EXPECT_TRUE(PFileSystem::Exists(folder_.Program() + "turn.txt"));

  // Names the player might type that are no file here: null, logged, never fatal.
  for (const char* name : {"a/b", "..\\..\\escape", "what?", "", "con", "a:b"})
    EXPECT_EQ(kernel_.CreateGameFile("wrb0", Str(name), "Saved Games", GFile::kModeWrite), nullptr) << name;
  EXPECT_EQ(kernel_.CreateGameFile("wrb0", Str("x"), "Missing Folder", GFile::kModeWrite), nullptr);
  EXPECT_EQ(kernel_.CreateGameFile("wrb0", Str("x"), "..", GFile::kModeWrite), nullptr);
  const std::vector<std::string> log = LogLines();
  ASSERT_EQ(log.size(), 8u);
  EXPECT_EQ(log[0], "Cannot create file a/b");
  EXPECT_EQ(log[6], "Cannot create file " + folder_.Program() + "Missing Folder\\x.wrb");
  EXPECT_FALSE(PFileSystem::Exists(folder_.Program() + "escape.wrb"));
}

TEST_F(GKernelFiles, DeletingAFileAlreadyGoneIsLoggedWithABeep) {
  folder_.WriteFile("Saved Games/old.wrb", "x");
  const std::string path = folder_.Program() + "Saved Games\\old.wrb";
  kernel_.DeleteFile(path.c_str());
  EXPECT_FALSE(PFileSystem::Exists(path));
  EXPECT_EQ(beeps_, 0);
  kernel_.DeleteFile(path.c_str());
  EXPECT_EQ(beeps_, 1);
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"File to delete not found " + path}));
}

TEST_F(GKernelFiles, ProgramFolderFilesOpenExistingOrCreateAnew) {
  EXPECT_EQ(kernel_.OpenFileInProgramFolder("Prefs", true), nullptr);
  GFile* file = kernel_.OpenFileInProgramFolder("Prefs", false);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Mode(), GFile::kModeWrite);
  file->WriteByte(7);
  SafeDelete(file);
  file = kernel_.OpenFileInProgramFolder("prefs", true);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Mode(), GFile::kModeRead);
  EXPECT_EQ(file->ReadByte(), 7);
  SafeDelete(file);
  EXPECT_EQ(kernel_.OpenFileInProgramFolder("..\\Prefs", false), nullptr);
  EXPECT_EQ(kernel_.OpenFileInProgramFolder(nullptr, false), nullptr);

  GFileEntry entry;
  entry.path.Assign((folder_.Program() + "Prefs").c_str());
  file = kernel_.OpenFileForReading(&entry, GFile::kModeRead);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->ReadByte(), 7);
  SafeDelete(file);
  entry.path.Assign((folder_.Program() + "Gone").c_str());
  EXPECT_EQ(kernel_.OpenFileForReading(&entry, GFile::kModeRead), nullptr);
  // A file that is not the e-mail text it is opened as.
  entry.path.Assign((folder_.Program() + "Prefs").c_str());
  EXPECT_EQ(kernel_.OpenFileForReading(&entry, GFile::kModeReadEmail), nullptr);
}

TEST_F(GKernelFiles, TemporaryFilesHaveARandomNameInTheTemporaryFolderAndGoWithTheirObject) {
  SeedRandom(1234);
  GFile* file = kernel_.CreateTempFile(false);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Mode(), GFile::kModeTemporary);
  const std::string path = file->Path();
  EXPECT_EQ(path.rfind(PPath::TempFolder(), 0), 0u);
  const std::string name = path.substr(PPath::TempFolder().size());
  EXPECT_EQ(name.size(), 31u);
  for (char c : name) EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) << name;
  EXPECT_TRUE(PFileSystem::Exists(path));
  SafeDelete(file);
  EXPECT_FALSE(PFileSystem::Exists(path));
  // Two draws a letter, always.
  SeedRandom(1234);
  for (int i = 0; i < 62; ++i) Random(2);
  const uint32_t after = RandomState();
  SeedRandom(1234);
  file = kernel_.CreateTempFile(true);
  EXPECT_EQ(RandomState(), after);
  EXPECT_EQ(file->Mode(), GFile::kModeTemporaryWriting);
  SafeDelete(file);
}

// A file of the drawn name already there (another program's, or another copy's whose
// generator stands where ours does) is left alone and a new name is drawn.
TEST_F(GKernelFiles, TemporaryFileNeverTakesOverAFileThatIsThere) {
  SeedRandom(99);
  for (int i = 0; i < 62; ++i) Random(2);
  const uint32_t afterOneName = RandomState();
  SeedRandom(99);
  GFile* first = kernel_.CreateTempFile(false);
  ASSERT_NE(first, nullptr);
  const std::string taken = first->Path();
  first->WriteByte(42);
  SeedRandom(99);
  GFile* second = kernel_.CreateTempFile(false);
  ASSERT_NE(second, nullptr);
  // The clashing name's draws only: the name is varied, not drawn again, so the game's numbers
  // do not depend on what the temporary folder holds.
  EXPECT_EQ(RandomState(), afterOneName);
  EXPECT_NE(second->Path(), taken);
  EXPECT_TRUE(PFileSystem::Exists(taken));
  SafeDelete(second);
  first->Rewind();
  EXPECT_EQ(first->ReadByte(), 42);
  EXPECT_FALSE(first->HasError());
  SafeDelete(first);
  EXPECT_FALSE(PFileSystem::Exists(taken));
}

// A header the test reader makes from a file whose first byte is 'H'.
class TestHeader : public GObject {
 public:
  int8_t tag = 0;
};

GObject* ReadTestHeader(GFile& file) {
  auto* header = new TestHeader();
  header->tag = file.ReadByte();
  const int8_t second = file.ReadByte();
  if (file.HasError() || second != 'H') SafeDelete(header);
  return header;
}

TEST_F(GKernelFiles, ReadListedGameFileKeepsReadableEntriesInOrderWithTheirHeaders) {
  SetGameFileHeaderReader(ReadTestHeader);
  folder_.WriteFile("Saved Games/a.wrb", "1H");
  folder_.WriteFile("Saved Games/b.wrb", "2X");
  folder_.WriteFile("Saved Games/c.wrb", "3H");
  folder_.WriteFile("Saved Games/d.wrb", "4");
  folder_.WriteFile("Saved Games/e.wrb", "5H");
  folder_.WriteFile("Saved Games/f.wrb", "6H");
  GObjectGroup* list = kernel_.ListFiles("Saved Games", "wrb0");
  ASSERT_EQ(list->Count(), 6);
  // One file goes away between the listing and the reading.
  std::filesystem::remove(folder_.Native() + "Saved Games/e.wrb");
  auto* headers = new GObjectGroup();
  headers->Init();
  list->RemoveIf(ReadListedGameFile, headers, true);

  EXPECT_EQ(Names(list), (std::vector<std::string>{"a.wrb", "c.wrb", "f.wrb"}));
  ASSERT_EQ(headers->Count(), 3);
  const int8_t tags[3] = {'1', '3', '6'};
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_EQ(static_cast<GFileEntry*>(list->GetItem(i))->header, headers->GetItem(i));
    EXPECT_EQ(static_cast<TestHeader*>(headers->GetItem(i))->tag, tags[i]);
  }
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"b.wrb", "d.wrb", "e.wrb"}));
  SafeDelete(list);
  SafeDelete(headers);
}

TEST_F(GKernelFiles, WithoutAHeaderReaderEveryListedFileIsDropped) {
  folder_.WriteFile("Scenarios/a.wrb", "1H");
  GObjectGroup* list = kernel_.ListFiles("Scenarios", "wrb0");
  GObjectGroup headers;
  headers.Init();
  list->RemoveIf(ReadListedGameFile, &headers, true);
  EXPECT_EQ(list->Count(), 0);
  EXPECT_EQ(headers.Count(), 0);
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"a.wrb"}));
  SafeDelete(list);
}

}  // namespace

namespace {

// A hostile folder: "..\" in overlong UTF-8 before a name, a name holding a separator, and one
// the program's character set cannot show. The listing leaves them out; an entry made from
// any raw name opens nothing and is logged; an accented name is listed and opens.
TEST_F(GKernelFiles, HostileNamesAreNeitherListedNorOpenedAndAccentedNamesAre) {
  SetGameFileHeaderReader(ReadTestHeader);
  const std::string overlong = "\xC0\xAE\xC0\xAE\xC0\xAFoutside.wrb";
  const std::string separated = "a\\b.wrb";
  const std::string foreign = "\xE6\x97\xA5\xE6\x9C\xAC.wrb";
  folder_.WriteFile("outside.wrb", "1H");  // where the overlong name would lead
  for (const std::string& name : {overlong, separated, foreign})
    folder_.WriteFile("Saved Games/" + name, "2H");
  folder_.WriteFile("Saved Games/Caf\xC3\xA9.wrb", "3H");
  GObjectGroup* list = kernel_.ListFiles("Saved Games", "wrb0");
  EXPECT_EQ(Names(list), std::vector<std::string>{"Caf\xE9.wrb"});
  auto* headers = new GObjectGroup();
  headers->Init();
  list->RemoveIf(ReadListedGameFile, headers, true);
  EXPECT_EQ(Names(list), std::vector<std::string>{"Caf\xE9.wrb"});
  EXPECT_EQ(static_cast<TestHeader*>(headers->GetItem(0))->tag, '3');

  const std::string prefix = folder_.Program() + "Saved Games\\";
  for (const std::string& raw : {overlong, separated, foreign, std::string("..\\outside.wrb")}) {
    auto* entry = new GFileEntry();
    entry->name.Assign(raw.c_str());
    entry->path.Assign((prefix + raw).c_str());
    EXPECT_TRUE(ReadListedGameFile(entry, headers)) << raw;
    SafeDelete(entry);
  }
  EXPECT_EQ(headers->Count(), 1);
  const std::vector<std::string> lines = LogLines();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], overlong);
  EXPECT_EQ(lines[1], "Cannot open file " + prefix + separated);
  EXPECT_EQ(lines[2], separated);
  EXPECT_EQ(lines[3], foreign);
  EXPECT_EQ(lines[4], "Cannot open file " + prefix + "..\\outside.wrb");
  EXPECT_EQ(lines[5], "..\\outside.wrb");
  SafeDelete(list);
  SafeDelete(headers);
}

}  // namespace
