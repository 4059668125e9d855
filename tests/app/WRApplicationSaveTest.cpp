// The save panel in its forms, the commands of its buttons, the atomic replace of a saved
// file and the autosave.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/AlertButton.h"
#include "app/AlertTable.h"
#include "app/ShellRig.h"
#include "framework/core/GFile.h"
#include "framework/core/GObjectGroup.h"
#include "framework/kernel/GFileEntry.h"
#include "framework/kernel/GKernel.h"
#include "framework/core/GString255.h"
#include "framework/ui/GControl.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPictureButton.h"
#include "framework/ui/GPictureView.h"
#include "framework/ui/GStripButton.h"
#include "framework/ui/GTextEntry.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/map/OrderState.h"
#include "platform/PFailureInjection.h"
#include "platform/PFile.h"
#include "platform/PPath.h"
#include "support/TmpdirIn.h"

namespace {

struct Placed {
  int32_t x;
  int32_t y;
  int32_t command;
  bool strip;
};

// The panel's buttons: where they stand in the panel and what they send.
std::vector<Placed> Buttons(GView* panel) {
  std::vector<Placed> out;
  for (int32_t i = 0; i < panel->GetChildCount(); ++i) {
    GView* child = panel->GetChild(i);
    auto* control = dynamic_cast<GControl*>(child);
    if (control == nullptr || dynamic_cast<GTextEntry*>(child) != nullptr) continue;
    out.push_back({child->Bounds().left - panel->Bounds().left, child->Bounds().top - panel->Bounds().top,
                   control->GetCommand(), dynamic_cast<GStripButton*>(child) != nullptr});
  }
  return out;
}

void TypeName(WRApplication& app, const char* name) {
  app.GetSaveEntry()->Clear();
  for (const char* c = name; *c != 0; ++c) app.GetSaveEntry()->KeyChar(*c);
}

std::string Saved(const ShellRig& rig, const std::string& relative) {
  const std::string path = rig.folder.Native() + relative;
  return std::filesystem::exists(path) ? rig.folder.ReadFile(relative) : std::string();
}

TEST(SavePanelTest, FormsButtonsAndNameEntry) {
  ShellRig rig(true);
  GString255 name;
  name.Assign("Bridge.wrb");
  rig.app->SetSaveName(name);
  rig.app->ShowSavePanel(false);
  GPictureView* panel = rig.app->GetSavePanel();
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(rig.screen.drawState, 1);
  EXPECT_EQ(rig.kernel->GetTopModalView(), panel);
  std::vector<Placed> buttons = Buttons(panel);
  ASSERT_EQ(buttons.size(), 2u);
  EXPECT_EQ(buttons[0].x, 518);
  EXPECT_EQ(buttons[0].y, 15);
  EXPECT_EQ(buttons[0].command, 77);
  EXPECT_EQ(buttons[1].y, 53);
  EXPECT_EQ(buttons[1].command, 79);
  GTextEntry* entry = rig.app->GetSaveEntry();
  EXPECT_EQ(entry->Bounds().left - panel->Bounds().left, 224);
  EXPECT_EQ(entry->Bounds().top - panel->Bounds().top, 41);
  EXPECT_STREQ(entry->Text(), "Bridge.wrb");
  // The typed name loses an extension of up to three characters.
  rig.app->GetSaveName(name);
  EXPECT_STREQ(name.CStr(), "Bridge");
  rig.app->DoCommand(79);
  EXPECT_EQ(rig.app->GetSavePanel(), nullptr);
  EXPECT_EQ(rig.screen.drawState, 2);
  ASSERT_NE(rig.app->GetBattle(), nullptr);

  // The e-mail form has the save button alone, lower.
  rig.app->ShowSavePanel(true);
  buttons = Buttons(rig.app->GetSavePanel());
  ASSERT_EQ(buttons.size(), 1u);
  EXPECT_EQ(buttons[0].x, 518);
  EXPECT_EQ(buttons[0].y, 34);
}

TEST(SavePanelTest, SavingAsksBeforeOverwritingAndReplacesWhole) {
  ShellRig rig(true);
  rig.app->GetBattle()->title.Assign("Ridge");
  rig.app->ShowSavePanel(false);
  TypeName(*rig.app, "First");
  rig.app->DoCommand(77);
  EXPECT_EQ(rig.app->GetSavePanel(), nullptr);
  const std::string first = Saved(rig, "Saved Games/First.wrb");
  ASSERT_GT(first.size(), 1024u);
  EXPECT_EQ(first.substr(0, 2), std::string("\x02\x04", 2));
  EXPECT_STREQ(rig.app->LastSavedName().CStr(), "First");
  // No work file stays behind.
  int32_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(rig.folder.Native() + "Saved Games")) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1);

  // The last saved name is replaced without asking.
  rig.app->ShowSavePanel(false);
  TypeName(*rig.app, "First");
  rig.app->DoCommand(77);
  EXPECT_EQ(rig.app->GetAlertBox(), nullptr);
  EXPECT_EQ(rig.app->GetSavePanel(), nullptr);

  // Another existing name asks; NO shows the panel again, YES saves.
  rig.folder.WriteFile("Saved Games/Other.wrb", "old");
  rig.app->ShowSavePanel(false);
  TypeName(*rig.app, "Other");
  rig.app->DoCommand(77);
  ASSERT_NE(rig.app->GetAlertBox(), nullptr);
  EXPECT_FALSE(rig.app->GetSavePanel()->IsVisible());
  rig.app->DoCommand(83);
  EXPECT_TRUE(rig.app->GetSavePanel()->IsVisible());
  EXPECT_EQ(Saved(rig, "Saved Games/Other.wrb"), "old");
  rig.app->DoCommand(78);
  EXPECT_EQ(Saved(rig, "Saved Games/Other.wrb").substr(0, 2), std::string("\x02\x04", 2));
}

TEST(SavePanelTest, ARefusedNameKeepsTheGameAndTheOldFile) {
  for (bool email : {false, true}) {
    ShellRig rig(true);
    rig.app->SetHumanPlayers(2);
    rig.app->SetConnectionType(email ? 1 : 0);
    Battle* battle = rig.app->GetBattle();
    for (const char* name : {"a/b", "..", "a\\b"}) {
      rig.app->ShowSavePanel(email);
      TypeName(*rig.app, name);
      const int beeps = rig.fake->BeepCount();
      rig.app->DoCommand(77);
      EXPECT_GT(rig.fake->BeepCount(), beeps) << name;
      ASSERT_NE(rig.app->GetAlertBox(), nullptr) << name;
      EXPECT_EQ(rig.app->GetBattle(), battle);
      // OK (83) brings the panel back for another name.
      rig.app->SetInputMode(InputModes::kNoPick);
      rig.app->DoCommand(83);
      ASSERT_NE(rig.app->GetSavePanel(), nullptr);
      EXPECT_TRUE(rig.app->GetSavePanel()->IsVisible());
    }
    EXPECT_EQ(rig.app->GetHumanPlayers(), 2);
  }
}

// Every name in a folder (recursively), for finding what a save left behind.
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  return names;
}

AlertButton* AlertButtonOf(GView* box, int32_t fromLast) {
  return dynamic_cast<AlertButton*>(box->GetChild(box->GetChildCount() - 1 - fromLast));
}

// A full disk at any step of a save (the raw game, its compressed form in the temporary
// folder, the copy beside the target): the game stays in play, the file of that name stays
// as it was, nothing partial is left, and the box names the file and the reason. Reached
// through "File exists. Overwrite?" and its YES, the failure's box stays open and answers
// Escape and OK; the program quits cleanly with such a box open.
TEST(SavePanelTest, AFullDiskKeepsTheGameAndTheOldFileAndSaysWhy) {
  // The sizes of the game as written (raw) and as stored (compressed).
  int64_t raw = 0;
  int64_t stored = 0;
  {
    ShellRig rig(true);
    GFile file;
    file.IFile(PFile::OpenMemory(""), nullptr, GFile::kModeWrite);
    rig.app->WriteGameFile(&file);
    file.FlushBuffer();
    raw = file.GetSize();
    GString255 name;
    name.Assign("Probe");
    ASSERT_TRUE(rig.app->SaveGameFile("wrb0", name, "Saved Games", GFile::kModeWriteGameFile));
    stored = static_cast<int64_t>(Saved(rig, "Saved Games/Probe.wrb").size());
  }
  int32_t failures = 0;
  for (int64_t room : {int64_t{0}, raw / 2, raw + stored / 2, raw + stored + stored / 2, int64_t{-1}}) {
    ShellRig rig(true);
    const std::string temp = rig.folder.Native() + "tmp";
    std::filesystem::create_directories(temp);
    TmpdirIn tmpdir(temp);
    Battle* battle = rig.app->GetBattle();
    rig.folder.WriteFile("Saved Games/Other.wrb", "old");
    rig.app->ShowSavePanel(false);
    TypeName(*rig.app, "Other");
    rig.app->DoCommand(77);
    GView* question = rig.app->GetAlertBox();
    ASSERT_NE(question, nullptr);
    PFailureInjection::LimitDiskSpace(room);
    AlertButtonOf(question, 1)->Activate();  // YES
    PFailureInjection::Reset();
    for (const std::string& name : Names(rig.folder.Native()))
      EXPECT_TRUE(name[0] != '~' && name.find(".copying") == std::string::npos && name.rfind("Junk File", 0) != 0)
          << name << " left at room " << room;
    EXPECT_EQ(rig.app->GetBattle(), battle);
    GView* box = rig.app->GetAlertBox();
    if (box == nullptr) {
      // Room enough: the whole new file replaced the old.
      EXPECT_EQ(Saved(rig, "Saved Games/Other.wrb").substr(0, 2), std::string("\x02\x04", 2)) << room;
      continue;
    }
    ++failures;
    EXPECT_EQ(Saved(rig, "Saved Games/Other.wrb"), "old") << room;
    EXPECT_EQ(rig.kernel->GetTopModalView(), box);
    auto* why = dynamic_cast<GLabel*>(box->GetChild(5));
    ASSERT_NE(why, nullptr);
    EXPECT_STREQ(why->GetText().CStr(), "Other.wrb: the disk is full. Try another name.");
    if (failures == 1) {
      // Escape answers the box; the panel comes back for another name.
      rig.app->HandleKey(27, false, false);
      EXPECT_EQ(rig.app->GetAlertBox(), nullptr);
      ASSERT_NE(rig.app->GetSavePanel(), nullptr);
      EXPECT_TRUE(rig.app->GetSavePanel()->IsVisible());
    } else if (failures == 2) {
      AlertButtonOf(box, 0)->Activate();  // OK
      EXPECT_EQ(rig.app->GetAlertBox(), nullptr);
      EXPECT_EQ(rig.kernel->GetTopModalView(), rig.app->GetSavePanel());
    }
    // Otherwise the rig quits with the box open.
  }
  EXPECT_EQ(failures, 4);
}

// What a run killed while saving leaves (a save's file before its rename, a copy beside a
// replaced file, the coder's work files, a link planted under such a name) goes at the next
// start, but not what a running program holds; the game list never offers such a file.
TEST(SavePanelTest, AStartRemovesTheWorkFilesOfAKilledRunAndTheListNeverShowsThem) {
  ShellRig rig(true);
  const std::string temp = rig.folder.Native() + "tmp";
  std::filesystem::create_directories(temp);
  TmpdirIn tmpdir(temp);
  for (const char* name : {"Saved Games/~Target.wrb", "Saved Games/Old.wrb.copying", "Scenarios/~Bridge.wrc",
                           "PBEM/~PBEM.txt", "tmp/Junk File abcdefghijklmnopqrstu", "Saved Games/Kept.wrb",
                           "elsewhere.txt"})
    rig.folder.WriteFile(name, "x");
  std::filesystem::create_symlink(rig.folder.Native() + "elsewhere.txt", rig.folder.Native() + "Saved Games/~Link.wrb");
  std::unique_ptr<PFile> held = PFile::CreateWorkFile(rig.folder.Program() + "Saved Games\\~Held.wrb", PFile::kWrite);
  ASSERT_TRUE(held);
  GObjectGroup* listed = rig.kernel->ListFiles("Saved Games", "wrb0");
  ASSERT_EQ(listed->Count(), 1);
  EXPECT_STREQ(static_cast<GFileEntry*>(listed->GetItem(0))->name.CStr(), "Kept.wrb");
  SafeDelete(listed);
  rig.app->StartApplication();
  std::vector<std::string> left = Names(rig.folder.Native() + "Saved Games");
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"Kept.wrb", "~Held.wrb"}));
  EXPECT_TRUE(Names(temp).empty());
  EXPECT_TRUE(Names(rig.folder.Native() + "PBEM").empty());
  EXPECT_TRUE(Names(rig.folder.Native() + "Scenarios").empty());
  EXPECT_EQ(rig.folder.ReadFile("elsewhere.txt"), "x");
}

TEST(SavePanelTest, AnEmailTurnEndsThisMachinesGame) {
  ShellRig rig(true);
  rig.app->SetHumanPlayers(2);
  rig.app->SetConnectionType(1);
  rig.app->SetSideToPlay(0);
  rig.folder.WriteFile("PBEM/PBEM.txt", "old turn");
  rig.app->ShowSavePanel(true);
  TypeName(*rig.app, "PBEM");
  rig.app->DoCommand(77);
  // "PBEM" is replaced without asking.
  EXPECT_EQ(rig.app->GetAlertBox(), nullptr);
  const std::string turn = Saved(rig, "PBEM/PBEM.txt");
  EXPECT_NE(turn, "old turn");
  EXPECT_FALSE(turn.empty());
  EXPECT_EQ(rig.app->GetBattle(), nullptr);
  EXPECT_EQ(rig.app->GetHumanPlayers(), 1);
  EXPECT_EQ(rig.app->GetConnectionType(), 0);
}

TEST(AutosaveTest, ReplacesTheFileAndReloadsTheSameGame) {
  ShellRig rig(true);
  Battle* battle = rig.app->GetBattle();
  battle->title.Assign("Hill");
  // A game read back takes its name as the title.
  rig.app->FileSettings().gameName.Assign("Hill");
  rig.app->Autosave(false);
  const std::string first = Saved(rig, "Saved Games/Autosave.wrb");
  ASSERT_GT(first.size(), 1024u);
  battle->lastTurn = 12;
  rig.app->Autosave(true);
  const std::string second = Saved(rig, "Saved Games/Autosave.wrb");
  EXPECT_TRUE(second != first);
  // The reloaded game is a new battle that stores as the old one did.
  ASSERT_NE(rig.app->GetBattle(), nullptr);
  EXPECT_NE(rig.app->GetBattle(), battle);
  EXPECT_EQ(rig.app->GetBattle()->lastTurn, 12);
  rig.app->Autosave(false);
  EXPECT_TRUE(Saved(rig, "Saved Games/Autosave.wrb") == second);
  // The in-memory rewrite rebuilds the battle from the same stored form.
  Battle* before = rig.app->GetBattle();
  rig.app->RoundTripGame();
  ASSERT_NE(rig.app->GetBattle(), before);
  rig.app->Autosave(false);
  EXPECT_TRUE(Saved(rig, "Saved Games/Autosave.wrb") == second);
  rig.app->SetFogOfWarOption(2);
  EXPECT_EQ(rig.app->GetOption(10), 2);
  GString255 base;
  base.Assign("x");
  rig.app->GetDataFolderName(base);
  EXPECT_EQ(base.Length(), 0);
  // An autosave that cannot be created is logged and play goes on with the same game.
  Battle* kept = rig.app->GetBattle();
  std::filesystem::remove_all(rig.folder.Native() + "Saved Games");
  rig.folder.WriteFile("Saved Games", "not a folder");
  rig.app->Autosave(true);
  EXPECT_EQ(rig.app->GetBattle(), kept);
}

// The fog of war is part of a game under way: reading it back (an e-mail turn, a saved game)
// plays on with the fog it was played with, while a game not yet begun keeps the player's.
TEST(AutosaveTest, AGameUnderWayGoesOnWithItsFogOfWar) {
  ShellRig rig(true);
  const std::string path = rig.folder.Native() + "Saved Games/Autosave.wrb";
  auto readBack = [&] {
    GFile file;
    ASSERT_TRUE(file.IFile(PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting), path.c_str(),
                           GFile::kModeReadGameFile));
    ASSERT_TRUE(rig.app->ReadGameFile(&file, nullptr));
  };
  for (const int32_t side : {1, 2}) {
    rig.app->SetSideToPlay(side);
    rig.app->SetFogOfWarOption(2);
    rig.app->Autosave(false);
    rig.app->SetFogOfWarOption(0);
    readBack();
    EXPECT_EQ(rig.app->GetOption(10), side == 1 ? 2 : 0) << side;
  }
}

TEST(QuickBattleTest, TheEditorsBattleIsReadBackAndGoesToTheSideScreenAsQuickBattle) {
  ShellRig rig(true);
  LinkAllBitmaps(rig.folder);
  WRApplication& app = *rig.app;
  Battle* edited = app.GetBattle();
  edited->lastTurn = 15;
  edited->title.Assign("Generated");
  app.SetEditor(&rig.editor);
  app.StartQuickBattle();
  EXPECT_EQ(app.GetEditor(), nullptr);
  ASSERT_NE(app.GetBattle(), nullptr);
  EXPECT_EQ(app.GetBattle()->lastTurn, 15);
  EXPECT_STREQ(app.GetBattle()->title.CStr(), "Quick Battle");
  EXPECT_STREQ(app.FileSettings().gameName.CStr(), "Quick Battle");
  // The editor stored no side: the player chooses it on the side-and-options screen, and the
  // save panel offers the game's name.
  EXPECT_EQ(app.GetSideToPlay(), 2);
  EXPECT_NE(app.GetFogPopup(), nullptr);
  app.ShowSavePanel(false);
  ASSERT_NE(app.GetSaveEntry(), nullptr);
  GString255 name;
  app.GetSaveName(name);
  EXPECT_STREQ(name.CStr(), "Quick Battle");
}

TEST(TestGamesTest, TheBuildsGamesOpenInTheProgram) {
  ShellRig rig(false);
  struct Game {
    const char* path;
    int32_t mode;
    int32_t side;
  };
  for (const Game& game : {Game{"/Scenarios/Test Scenario.wrb", GFile::kModeReadGameFile, 0},
                           Game{"/Saved Games/Test Saved Game.wrb", GFile::kModeReadGameFile, 0},
                           Game{"/PBEM/Test Turn.txt", GFile::kModeReadEmail, 0}}) {
    const std::string path = PPath::ToProgram(std::string(TARVANE_TEST_GAMES_DIR) + game.path);
    GFile file;
    ASSERT_TRUE(file.IFile(PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting), path.c_str(), game.mode))
        << game.path;
    ASSERT_TRUE(rig.app->ReadGameFile(&file, nullptr)) << game.path;
    ASSERT_NE(rig.app->GetBattle(), nullptr);
    EXPECT_EQ(rig.app->GetBattle()->UnitCount(), 6) << game.path;
    EXPECT_EQ(rig.app->GetSideToPlay(), game.side) << game.path;
  }
}

}  // namespace
