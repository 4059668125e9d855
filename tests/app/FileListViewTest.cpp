// The game selection list: what each tab lists and shows, paging, the selection by the
// mouse, deleting saved games, and files that go away or cannot be deleted.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "ShellRig.h"
#include "app/FileListView.h"
#include "app/GameFileHeader.h"
#include "framework/core/GFile.h"
#include "framework/core/GString255.h"
#include "framework/ui/GStripButton.h"

namespace {

// The header a game list reads: format, version, saved flag, length, size, forces, title,
// then the reserved zeros.
std::string HeaderBytes(bool saved, int32_t length, int32_t size, int32_t force0, int32_t force1,
                        const std::string& title) {
  std::string b;
  b += '\x02';
  b += '\x04';
  b += saved ? '\x01' : '\x00';
  auto u32 = [&](uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b += static_cast<char>((v >> shift) & 0xFF);
  };
  u32(static_cast<uint32_t>(length));
  u32(static_cast<uint32_t>(size));
  b += static_cast<char>((force0 >> 8) & 0xFF);
  b += static_cast<char>(force0 & 0xFF);
  b += static_cast<char>((force1 >> 8) & 0xFF);
  b += static_cast<char>(force1 & 0xFF);
  b += static_cast<char>(title.size());
  b += title;
  b += std::string(1024, '\0');
  return b;
}

class ListRig {
 public:
  explicit ListRig(int32_t width = 640, int32_t height = 480) : rig(false, width, height) {
    LinkAllBitmaps(rig.folder);
  }
  std::string Add(const std::string& folder, const std::string& name, const std::string& bytes) {
    return rig.folder.WriteFile(folder + "/" + name, bytes);
  }
  FileListView& Show() {
    rig.app->DoCommand(WRApplication::kCommandPlayScenario);
    FileListView* list = rig.app->GetFileList();
    EXPECT_NE(list, nullptr);
    return *list;
  }
  ShellRig rig;
};

std::string Name(FileListView& list, int32_t tab, int32_t index) {
  GString255 text;
  list.GetRowName(tab, index, text);
  return text.CStr();
}

std::string Detail(FileListView& list, int32_t tab, int32_t index) {
  GString255 text;
  list.GetRowDetail(tab, index, text);
  return text.CStr();
}

}  // namespace

TEST(FileListViewTest, WithoutFilesOnlyTheQuickBattleIsOfferedAndTheOperationsTabHasNoSelection) {
  ListRig r;
  FileListView& list = r.Show();
  EXPECT_EQ(list.GetTab(), 0);
  EXPECT_EQ(list.GetFileCount(0), 0);
  EXPECT_EQ(list.GetSelected(0), 0);
  EXPECT_FALSE(list.GetDeleteButton()->IsVisible());
  EXPECT_FALSE(list.GetPageUpButton()->IsEnabled());
  EXPECT_FALSE(list.GetPageDownButton()->IsEnabled());
  bool quick = false;
  bool damaged = true;
  EXPECT_EQ(list.OpenSelected(quick, damaged), nullptr);
  EXPECT_TRUE(quick);
  EXPECT_FALSE(damaged);

  list.SelectTab(1);
  EXPECT_EQ(list.GetTab(), 1);
  EXPECT_EQ(list.GetSelected(1), -1);
  EXPECT_FALSE(list.GetDeleteButton()->IsVisible());
  EXPECT_EQ(list.OpenSelected(quick, damaged), nullptr);
  EXPECT_FALSE(quick);
}

TEST(FileListViewTest, RowsShowNamesSizesAndFlagsWithSavedGamesFirst) {
  ListRig r;
  r.Add("Scenarios", "Alpha.wrb", HeaderBytes(false, 12, 35, 12, 1, "Tiny one"));
  r.Add("Scenarios", "Bravo.wrb", HeaderBytes(false, 8, 36, 0, 6, "Small one"));
  r.Add("Scenarios", "Charlie.wrb", HeaderBytes(false, 8, 250, 0, 6, "Large one"));
  r.Add("Scenarios", "Delta.wrb", HeaderBytes(false, 8, 251, 0, 6, "Huge one"));
  r.Add("Saved Games", "Zulu is a name longer than twenty-seven.wrb", HeaderBytes(true, 3, 40, 15, 6, "Saved"));
  r.Add("Scenarios", "Campaign.wrc", HeaderBytes(false, 5, 300, 6, 9, "An operation"));
  FileListView& list = r.Show();
  ASSERT_EQ(list.GetFileCount(0), 5);
  ASSERT_EQ(list.GetFileCount(1), 1);
  // The saved game comes first though its name sorts last, cut to 27 characters.
  EXPECT_EQ(Name(list, 0, 0), "Zulu is a name longer than ");
  EXPECT_EQ(Detail(list, 0, 0), "Saved Game");
  EXPECT_EQ(Name(list, 0, 1), "Alpha");
  EXPECT_EQ(Detail(list, 0, 1), "12  turns, Tiny");
  EXPECT_EQ(Detail(list, 0, 2), "8  turns, Small");
  EXPECT_EQ(Detail(list, 0, 3), "8  turns, Large");
  EXPECT_EQ(Detail(list, 0, 4), "8  turns, Huge");
  EXPECT_EQ(Detail(list, 1, 0), "5  battles, Huge");
  EXPECT_STREQ(list.GetHeader(0, 1)->title.CStr(), "Tiny one");
  EXPECT_EQ(FileListView::FlagIcon(12), 0);
  EXPECT_EQ(FileListView::FlagIcon(1), 6);
  EXPECT_EQ(FileListView::FlagIcon(15), 12);
  EXPECT_EQ(FileListView::FlagIcon(18), 3);
  EXPECT_EQ(FileListView::FlagIcon(19), -1);
  EXPECT_EQ(FileListView::SizeNameIndex(150), 2);
  // The saved game's row shows the delete button; a scenario's hides it.
  list.MouseDown(20, 65 + 24 * 1 + 5, 0, 0, 0);
  EXPECT_EQ(list.GetSelected(0), 1);
  EXPECT_TRUE(list.GetDeleteButton()->IsVisible());
  list.MouseDown(20, 65 + 24 * 2 + 5, 0, 0, 0);
  EXPECT_FALSE(list.GetDeleteButton()->IsVisible());
}

TEST(FileListViewTest, FilesOfUnknownForcesOrUnreadableHeadersAreLeftOutAndLogged) {
  ListRig r;
  r.Add("Scenarios", "Good.wrb", HeaderBytes(false, 8, 40, 0, 18, "Good"));
  r.Add("Scenarios", "Force19.wrb", HeaderBytes(false, 8, 40, 19, 6, "Bad force"));
  r.Add("Scenarios", "Negative.wrb", HeaderBytes(false, 8, 40, 0, -1, "Bad force"));
  r.Add("Scenarios", "Short.wrb", HeaderBytes(false, 8, 40, 0, 6, "Cut").substr(0, 12));
  std::string newer = HeaderBytes(false, 8, 40, 0, 6, "Newer");
  newer[1] = '\x05';
  r.Add("Scenarios", "Newer.wrb", newer);
  FileListView& list = r.Show();
  ASSERT_EQ(list.GetFileCount(0), 1);
  EXPECT_EQ(Name(list, 0, 0), "Good");
  const std::string log = [&] {
    std::string all;
    for (const std::string& line : r.rig.folder.LogLines()) all += line + "\n";
    return all;
  }();
  for (const char* name : {"Force19.wrb", "Negative.wrb", "Short.wrb", "Newer.wrb"})
    EXPECT_NE(log.find(name), std::string::npos) << name;
}

TEST(FileListViewTest, EightBattleFilesAtTheSmallestScreenMakeTwoPages) {
  ListRig r;
  for (int32_t i = 0; i < 8; ++i)
    r.Add("Scenarios", "S" + std::to_string(i) + ".wrb", HeaderBytes(false, 8, 40, 0, 6, "T"));
  FileListView& list = r.Show();
  EXPECT_EQ(list.GetRowsPerPage(), 8);
  EXPECT_TRUE(list.GetPageDownButton()->IsEnabled());
  list.DoCommand(FileListView::kCommandPageDown);
  EXPECT_EQ(list.GetPage(0), 1);
  EXPECT_EQ(list.GetSelected(0), 8);
  EXPECT_FALSE(list.GetPageDownButton()->IsEnabled());
  EXPECT_TRUE(list.GetPageUpButton()->IsEnabled());
  // A page further does nothing; the second page has one row, the ninth.
  list.DoCommand(FileListView::kCommandPageDown);
  EXPECT_EQ(list.GetPage(0), 1);
  list.MouseDown(20, 65 + 24 * 1 + 5, 0, 0, 0);
  EXPECT_EQ(list.GetSelected(0), 8);
  list.DoCommand(FileListView::kCommandPageUp);
  EXPECT_EQ(list.GetPage(0), 0);
  EXPECT_EQ(list.GetSelected(0), 0);
  // A click one pixel above the first row selects it (the division truncates toward zero);
  // a click below the last row of the page selects nothing.
  list.MouseDown(20, 65 + 24 * 2 + 5, 0, 0, 0);
  EXPECT_EQ(list.GetSelected(0), 2);
  list.MouseDown(20, 64, 0, 0, 0);
  EXPECT_EQ(list.GetSelected(0), 0);
  list.MouseDown(20, 65 + 24 * 8 + 1, 0, 0, 0);
  EXPECT_EQ(list.GetSelected(0), 0);
}

TEST(FileListViewTest, TheLargestScreenShowsTwentyRows) {
  ListRig large(1024, 768);
  EXPECT_EQ(large.Show().GetRowsPerPage(), 20);
}

TEST(FileListViewTest, DeletingTheOnlySavedOperationLeavesNoSelection) {
  ListRig r;
  const std::string path = r.Add("Saved Games", "Op.wrc", HeaderBytes(true, 2, 40, 0, 6, "Op"));
  FileListView& list = r.Show();
  list.SelectTab(1);
  ASSERT_EQ(list.GetSelected(1), 0);
  EXPECT_TRUE(list.GetDeleteButton()->IsVisible());
  list.DoCommand(FileListView::kCommandDelete);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(list.GetFileCount(1), 0);
  EXPECT_EQ(list.GetSelected(1), -1);
  EXPECT_FALSE(list.GetDeleteButton()->IsVisible());
  // A scenario is never deleted.
  const std::string scenario = r.Add("Scenarios", "Keep.wrb", HeaderBytes(false, 2, 40, 0, 6, "Keep"));
  FileListView& again = r.Show();
  again.MouseDown(20, 65 + 24 + 5, 0, 0, 0);
  again.DoCommand(FileListView::kCommandDelete);
  EXPECT_TRUE(std::filesystem::exists(scenario));
}

TEST(FileListViewTest, AFileGoneOrUndeletableBeepsAndTheListIsReadAgain) {
  ListRig r;
  const std::string gone = r.Add("Saved Games", "Gone.wrb", HeaderBytes(true, 2, 40, 0, 6, "Gone"));
  const std::string stuck = r.Add("Saved Games", "Stuck.wrb", HeaderBytes(true, 2, 40, 0, 6, "Stuck"));
  r.Add("Scenarios", "Stay.wrb", HeaderBytes(false, 2, 40, 0, 6, "Stay"));
  FileListView& list = r.Show();
  ASSERT_EQ(list.GetFileCount(0), 3);
  std::filesystem::remove(gone);
  list.MouseDown(20, 65 + 24 + 5, 0, 0, 0);
  const int beeps = r.rig.fake->BeepCount();
  bool quick = true;
  bool damaged = true;
  EXPECT_EQ(list.OpenSelected(quick, damaged), nullptr);
  EXPECT_FALSE(quick);
  EXPECT_FALSE(damaged);
  EXPECT_EQ(r.rig.fake->BeepCount(), beeps + 1);
  ASSERT_EQ(list.GetFileCount(0), 2);
  EXPECT_EQ(Name(list, 0, 0), "Stuck");

  // A folder now stands where the saved game was: the delete fails and the list is read again.
  std::filesystem::remove(stuck);
  std::filesystem::create_directories(stuck + "/inside");
  list.MouseDown(20, 65 + 24 + 5, 0, 0, 0);
  list.DoCommand(FileListView::kCommandDelete);
  EXPECT_EQ(r.rig.fake->BeepCount(), beeps + 2);
  ASSERT_EQ(list.GetFileCount(0), 1);
  EXPECT_EQ(Name(list, 0, 0), "Stay");
  EXPECT_EQ(list.GetSelected(0), 0);
}

TEST(FileListViewTest, PlayOfARefusedGameReturnsToTheMainScreenAndChangesNoFile) {
  ListRig r;
  std::ifstream in(std::string(TARVANE_TEST_GAMES_DIR) + "/Scenarios/Test Scenario.wrb", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 1300u);
  // The players byte (after the 1,024 reserved bytes) says 9.
  bytes[16 + 13 + 1024] = 9;
  r.Add("Scenarios", "Broken.wrb", bytes);
  FileListView& list = r.Show();
  ASSERT_EQ(list.GetFileCount(0), 1);
  list.MouseDown(20, 65 + 24 + 5, 0, 0, 0);
  r.rig.app->DoCommand(FileListView::kCommandPlay);
  EXPECT_EQ(r.rig.app->GetBattle(), nullptr);
  EXPECT_EQ(r.rig.app->GetFileList(), nullptr);
  ASSERT_NE(r.rig.app->GetMainPicture(), nullptr);
  EXPECT_NE(r.rig.app->GetAlertBox(), nullptr);
  EXPECT_EQ(r.rig.folder.ReadFile("Scenarios/Broken.wrb"), bytes);
}
