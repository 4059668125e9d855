#include "platform/PFileChooser.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/PFileName.h"
#include "platform/PKey.h"
#include "platform/PMessage.h"
#include "platform/PSystem.h"
#include "support/TestFolder.h"

namespace {

PMessage Msg(PMessageType type, uint32_t param = 0, int32_t x = 0, int32_t y = 0) {
  PMessage m;
  m.type = type;
  m.param = param;
  m.x = x;
  m.y = y;
  return m;
}

void Type(PFileChooser& c, const std::string& text) {
  for (char ch : text) c.HandleMessage(Msg(PMessageType::kChar, static_cast<uint8_t>(ch)));
}
void Enter(PFileChooser& c) { c.HandleMessage(Msg(PMessageType::kChar, 13)); }
void ClickIn(PFileChooser& c, const PRect& r, bool twice = false) {
  c.HandleMessage(Msg(twice ? PMessageType::kLeftDoubleClick : PMessageType::kLeftDown, 0, r.left + 2, r.top + 2));
}
// The middle of a visible list row.
void ClickRow(PFileChooser& c, int32_t row, bool twice = false) {
  const PRect& list = c.GetLayout().list;
  const int32_t y = list.top + 2 + row * PFileChooser::kRowHeight + PFileChooser::kRowHeight / 2;
  c.HandleMessage(Msg(twice ? PMessageType::kLeftDoubleClick : PMessageType::kLeftDown, 0, list.left + 20, y));
}

std::vector<std::string> Shown(const PFileChooser& c) {
  std::vector<std::string> names;
  for (const auto& e : c.Entries()) names.push_back(e.folder ? "[" + e.name + "]" : e.name);
  return names;
}

class PFileChooserTest : public testing::Test {
 protected:
  PFileChooserTest() {
    PSystem::SetBeepHook([this] { ++beeps_; });
    folder_.WriteFile("b.wrb", "b");
    folder_.WriteFile("A.WRC", "a");
    folder_.WriteFile("notes.txt", "n");
    folder_.WriteFile("Saved Games/game.wrb", "g");
    std::filesystem::create_directories(folder_.Native() + "alpha");
  }
  ~PFileChooserTest() override { PSystem::SetBeepHook(nullptr); }

  PFileChooser::Settings Settings(PFileChooser::Kind kind, std::vector<std::string> extensions = {"wrb", "wrc"}) {
    PFileChooser::Settings s;
    s.kind = kind;
    s.root = folder_.Program();
    s.filterName = "Scenario";
    s.extensions = std::move(extensions);
    if (!s.extensions.empty()) s.defaultExtension = s.extensions[0];
    return s;
  }

  TestFolder folder_;
  int beeps_ = 0;
};

TEST_F(PFileChooserTest, ListsFoldersFirstThenTheFilteredFilesByNameIgnoringCase) {
  PFileChooser filtered(Settings(PFileChooser::Kind::kOpen), 800, 600);
  EXPECT_EQ(Shown(filtered), (std::vector<std::string>{"[alpha]", "[Saved Games]", "A.WRC", "b.wrb"}));
  EXPECT_EQ(filtered.FilterText(), "Scenario (*.wrb;*.wrc)");
  EXPECT_EQ(filtered.Selection(), -1);
  EXPECT_FALSE(filtered.CanGoUp());

  PFileChooser all(Settings(PFileChooser::Kind::kOpen, {}), 800, 600);
  EXPECT_EQ(Shown(all), (std::vector<std::string>{"[alpha]", "[Saved Games]", "A.WRC", "b.wrb", "notes.txt"}));
  EXPECT_EQ(all.FilterText(), "All files (*.*)");
}

TEST_F(PFileChooserTest, StartsInTheGivenFolderOnlyWhenItIsAFolderBelowTheRoot) {
  auto s = Settings(PFileChooser::Kind::kOpen);
  s.folder = "saved games";  // the case ignored
  PFileChooser inside(s, 800, 600);
  EXPECT_EQ(Shown(inside), (std::vector<std::string>{"game.wrb"}));
  EXPECT_TRUE(inside.CanGoUp());
  for (const char* start : {"..", "..\\..\\etc", "Missing", "b.wrb", "alpha\\..\\.."}) {
    s.folder = start;
    PFileChooser root(s, 800, 600);
    EXPECT_EQ(root.Folder(), folder_.Program()) << start;
  }
}

TEST_F(PFileChooserTest, MovesIntoFoldersAndBackUpButNeverAboveTheRoot) {
  PFileChooser c(Settings(PFileChooser::Kind::kOpen), 800, 600);
  ClickRow(c, 1, true);  // [Saved Games]
  EXPECT_EQ(c.RelativeFolder(), "Saved Games\\");
  EXPECT_EQ(Shown(c), (std::vector<std::string>{"game.wrb"}));
  ClickIn(c, c.GetLayout().upButton);
  EXPECT_EQ(c.RelativeFolder(), "");
  ClickIn(c, c.GetLayout().upButton);
  EXPECT_EQ(c.Folder(), folder_.Program());
  // A folder's name typed in opens it; so does Return on a selected folder with no name.
  Type(c, "ALPHA");
  Enter(c);
  EXPECT_EQ(c.RelativeFolder(), "alpha\\");
  EXPECT_EQ(c.NameText(), "");
  ClickIn(c, c.GetLayout().upButton);
  c.HandleMessage(Msg(PMessageType::kKeyDown, kKeyDown));
  c.HandleMessage(Msg(PMessageType::kKeyDown, kKeyDown));
  Enter(c);
  EXPECT_EQ(c.RelativeFolder(), "Saved Games\\");
  EXPECT_EQ(c.GetState(), PFileChooser::State::kRunning);
}

TEST_F(PFileChooserTest, OpenTakesOnlyAFileThatExistsAddingTheDefaultExtensionWhenNeeded) {
  PFileChooser c(Settings(PFileChooser::Kind::kOpen), 800, 600);
  Type(c, "nothere");
  Enter(c);
  EXPECT_EQ(c.GetState(), PFileChooser::State::kRunning);
  EXPECT_EQ(c.MessageText(), "File not found.");
  EXPECT_EQ(beeps_, 1);
  for (int i = 0; i < 7; ++i) c.HandleMessage(Msg(PMessageType::kChar, 8));
  EXPECT_EQ(c.MessageText(), "");
  Type(c, "b");
  Enter(c);
  ASSERT_EQ(c.GetState(), PFileChooser::State::kChosen);
  EXPECT_EQ(c.ChosenPath(), folder_.Program() + "b.wrb");
  // Once finished it takes nothing more.
  Type(c, "x");
  EXPECT_EQ(c.NameText(), "b");
}

TEST_F(PFileChooserTest, ClickingAFileFillsTheNameAndADoubleClickTakesIt) {
  PFileChooser c(Settings(PFileChooser::Kind::kOpen), 800, 600);
  ClickRow(c, 2);
  EXPECT_EQ(c.Selection(), 2);
  EXPECT_EQ(c.NameText(), "A.WRC");
  ClickRow(c, 9);  // below the last entry: nothing
  EXPECT_EQ(c.Selection(), 2);
  ClickRow(c, 3, true);
  ASSERT_EQ(c.GetState(), PFileChooser::State::kChosen);
  EXPECT_EQ(c.ChosenPath(), folder_.Program() + "b.wrb");
}

TEST_F(PFileChooserTest, SaveAddsTheDefaultExtensionAndAsksBeforeReplacingAFile) {
  PFileChooser fresh(Settings(PFileChooser::Kind::kSave), 800, 600);
  Type(fresh, "  new game ");
  Enter(fresh);
  ASSERT_EQ(fresh.GetState(), PFileChooser::State::kChosen);
  EXPECT_EQ(fresh.ChosenPath(), folder_.Program() + "new game.wrb");

  auto s = Settings(PFileChooser::Kind::kSave);
  s.name = "B";
  PFileChooser over(s, 800, 600);
  Enter(over);
  ASSERT_EQ(over.GetState(), PFileChooser::State::kConfirmOverwrite);
  EXPECT_EQ(over.QuestionText(), "B.wrb already exists. Replace it?");
  Type(over, "n");
  EXPECT_EQ(over.GetState(), PFileChooser::State::kRunning);
  ClickIn(over, over.GetLayout().okButton);
  ASSERT_EQ(over.GetState(), PFileChooser::State::kConfirmOverwrite);
  ClickIn(over, over.GetLayout().yesButton);
  ASSERT_EQ(over.GetState(), PFileChooser::State::kChosen);
  EXPECT_EQ(over.ChosenPath(), folder_.Program() + "B.wrb");

  // A name with its own extension keeps it.
  PFileChooser own(Settings(PFileChooser::Kind::kSave), 800, 600);
  Type(own, "turn.txt");
  Enter(own);
  EXPECT_EQ(own.ChosenPath(), folder_.Program() + "turn.txt");
}

TEST_F(PFileChooserTest, RefusesNamesThatAreNoPlainFileName) {
  for (const char* typed : {"..\\b", "..", "a/b", "c:x", "what?", "con", "nul.wrb", "end."}) {
    PFileChooser c(Settings(PFileChooser::Kind::kSave), 800, 600);
    Type(c, typed);
    Enter(c);
    EXPECT_EQ(c.GetState(), PFileChooser::State::kRunning) << typed;
    EXPECT_EQ(c.MessageText(), "The file name is not valid.") << typed;
  }
  // A name as long as a path allows, and one longer.
  PFileChooser c(Settings(PFileChooser::Kind::kSave), 800, 600);
  Type(c, std::string(PFileName::kMaxLength + 20, 'n'));
  EXPECT_EQ(c.NameText().size(), PFileName::kMaxLength);
  Enter(c);
  EXPECT_EQ(c.GetState(), PFileChooser::State::kRunning);
  EXPECT_EQ(beeps_, 9);
}

TEST_F(PFileChooserTest, EscapeTheCancelButtonAndClosingCancel) {
  PFileChooser escape(Settings(PFileChooser::Kind::kOpen), 800, 600);
  escape.HandleMessage(Msg(PMessageType::kChar, 27));
  EXPECT_EQ(escape.GetState(), PFileChooser::State::kCancelled);
  PFileChooser button(Settings(PFileChooser::Kind::kOpen), 800, 600);
  ClickIn(button, button.GetLayout().cancelButton);
  EXPECT_EQ(button.GetState(), PFileChooser::State::kCancelled);
  PFileChooser closed(Settings(PFileChooser::Kind::kSave), 800, 600);
  closed.HandleMessage(Msg(PMessageType::kClose));
  EXPECT_EQ(closed.GetState(), PFileChooser::State::kCancelled);
  EXPECT_TRUE(closed.ChosenPath().empty());
}

TEST_F(PFileChooserTest, KeysMoveTheSelectionAndTheListScrollsToKeepItInView) {
  for (int i = 0; i < 20; ++i) folder_.WriteFile("many/f" + std::to_string(100 + i) + ".wrb", "");
  auto s = Settings(PFileChooser::Kind::kOpen);
  s.folder = "many";
  PFileChooser c(s, 640, 480);
  c.HandleMessage(Msg(PMessageType::kKeyDown, kKeyDown));
  EXPECT_EQ(c.Selection(), 0);
  EXPECT_EQ(c.NameText(), "f100.wrb");
  c.HandleMessage(Msg(PMessageType::kKeyDown, kKeyPageDown));
  EXPECT_EQ(c.Selection(), PFileChooser::kVisibleRows);
  EXPECT_EQ(c.FirstVisibleRow(), 1);
  c.HandleMessage(Msg(PMessageType::kKeyDown, kKeyEnd));
  EXPECT_EQ(c.Selection(), 19);
  EXPECT_EQ(c.FirstVisibleRow(), 20 - PFileChooser::kVisibleRows);
  ClickRow(c, 0);
  EXPECT_EQ(c.Selection(), 20 - PFileChooser::kVisibleRows);
  c.HandleMessage(Msg(PMessageType::kKeyDown, kKeyHome));
  EXPECT_EQ(c.FirstVisibleRow(), 0);
  c.HandleMessage(Msg(PMessageType::kKeyDown, kKeyUp));
  EXPECT_EQ(c.Selection(), 0);
  EXPECT_EQ(c.NameText(), "f100.wrb");
  // The dialog sits in the middle of the screen.
  EXPECT_EQ(c.GetLayout().frame, (PRect{100, 70, 540, 410}));
}

TEST(PFileName, PlainNamesOnly) {
  for (const char* good : {"save", "Save Game 2.wrb", "a.b.c", "CONSOLE", "com0", "com", ".hidden", "caf\xe9"})
    EXPECT_TRUE(PFileName::IsValid(good)) << good;
  for (const char* bad : {"", ".", "..", "a\\b", "a/b", "a:b", "a*", "a?", "a\"", "a<", "a>", "a|", "end.", "end ",
                          "CON", "prn.txt", "Aux", "nul", "COM1", "lpt9.wrb", "\x7f", "a\nb"})
    EXPECT_FALSE(PFileName::IsValid(bad)) << bad;
  EXPECT_TRUE(PFileName::IsValid(std::string(PFileName::kMaxLength, 'x')));
  EXPECT_FALSE(PFileName::IsValid(std::string(PFileName::kMaxLength + 1, 'x')));
  EXPECT_TRUE(PFileName::IsValidFolderPath(""));
  EXPECT_TRUE(PFileName::IsValidFolderPath("Saved Games"));
  EXPECT_TRUE(PFileName::IsValidFolderPath("a\\b"));
  for (const char* bad : {"..", "a\\..", "\\a", "a\\", "a\\\\b", "c:\\x"}) EXPECT_FALSE(PFileName::IsValidFolderPath(bad)) << bad;
  EXPECT_EQ(PFileName::Extension("save.wrb"), "wrb");
  EXPECT_EQ(PFileName::Extension("a.b.txt"), "txt");
  EXPECT_EQ(PFileName::Extension("save"), "");
}

}  // namespace
