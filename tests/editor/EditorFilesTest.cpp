// The scenario file commands through the real file chooser: save, open, tournament save, the
// confirmations, and the faults the commands must not have (a cancelled or refused open, a
// failed save).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "EditorRig.h"
#include "app/AlertTable.h"
#include "app/GameFile.h"
#include "editor/EditorScenarioLabel.h"
#include "framework/core/GFile.h"
#include "framework/core/GMemoryFile.h"
#include "framework/core/GString255.h"
#include "framework/core/GString127.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPopup.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/map/OrderState.h"
#include "game/units/Unit.h"
#include "game/units/tables/UnitCodes.h"
#include "platform/PFile.h"

namespace {

// The players and side bytes of a stored game file, decoded.
struct StoredPlay {
  int32_t savedGame = -1;
  int32_t players = -1;
  int32_t side = -1;
};

StoredPlay ReadPlay(const EditorRig& rig, const std::string& relative) {
  StoredPlay out;
  const std::string raw = rig.shell.folder.ReadFile(relative);
  if (raw.size() < 3) return out;
  out.savedGame = static_cast<uint8_t>(raw[2]);
  const std::string path = rig.shell.folder.Native() + relative;
  GFile file;
  if (!file.IFile(PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting), path.c_str(),
                  GFile::kModeReadGameFile))
    return out;
  file.Skip(1 + 1 + 1 + 4 + 4 + 2 + 2);
  GString127 title;
  title.ReadText(file);
  for (int32_t i = 0; i < 1024; ++i) {
    if (file.ReadByte() != 0) return out;
  }
  out.players = static_cast<uint8_t>(file.ReadByte());
  out.side = static_cast<uint8_t>(file.ReadByte());
  return out;
}

Unit* AddUnit(Battle& battle, int32_t sideIndex, float x, float y) {
  Unit* unit = CreateUnit(0, 0, sideIndex == 0 ? 6 : 0, 2);
  battle.PlaceUnitAt(unit, x, y);
  return unit;
}

const char* LabelName(EditorState& state) { return state.scenarioLabel->GetName().CStr(); }

}  // namespace

TEST(EditorFiles, SaveWritesAnEditorFileAndKeepsTheEditingState) {
  EditorRig rig;
  EditorState& state = *rig.State();
  Battle* battle = rig.App().GetBattle();
  Unit* unit = AddUnit(*battle, 0, 300.0f, 300.0f);
  battle->forcePoints[0] = 900;
  battle->forcePoints[1] = 700;
  state.modified = 1;
  rig.Choose("Ridge");
  rig.App().DoCommand(102);
  ASSERT_TRUE(rig.Exists("Saved Games/Ridge.wrb"));
  const StoredPlay play = ReadPlay(rig, "Saved Games/Ridge.wrb");
  EXPECT_EQ(play.savedGame, 0);
  EXPECT_EQ(play.players, 0);
  EXPECT_EQ(play.side, 2);
  EXPECT_EQ(state.modified, 0);
  EXPECT_EQ(state.editorSaving, 0);
  EXPECT_STREQ(LabelName(state), "Ridge");
  EXPECT_EQ(unit->identificationLevel, 4);
  EXPECT_EQ(battle->forcePoints[0], 0);
  EXPECT_EQ(battle->forcePoints[1], 0);
  // Opened again: the file held the units for play, the editor takes them back for editing.
  rig.Choose("Ridge.wrb");
  rig.App().DoCommand(101);
  Battle* opened = rig.App().GetBattle();
  ASSERT_NE(opened, nullptr);
  EXPECT_NE(opened, battle);
  EXPECT_EQ(opened->baseFlag, 1);
  ASSERT_EQ(opened->UnitCount(), 1);
  EXPECT_EQ(opened->UnitAt(0)->identificationLevel, 4);
  EXPECT_EQ(opened->forcePoints[0], 0);
  EXPECT_STREQ(LabelName(state), "Ridge");
  EXPECT_FALSE(rig.Logged("Rejected setup!"));
}

TEST(EditorFiles, OperationSavesAsWrcAndNamesComeFromTheFile) {
  EditorRig rig;
  EditorState& state = *rig.State();
  rig.App().DoCommand(100);
  Campaign* operation = rig.App().GetCampaign();
  ASSERT_NE(operation, nullptr);
  // The save stores the Allied reinforcement groups in arrival order, reserves last.
  for (int32_t arrival : {-2, 5, 2}) {
    auto* group = new ReinforcementGroup();
    group->arrivalTurn = arrival;
    operation->reinforcements[1].Append(group);
  }
  rig.Choose("Push");
  rig.App().DoCommand(102);
  EXPECT_TRUE(rig.Exists("Saved Games/Push.wrc"));
  std::vector<int32_t> arrivals;
  for (int32_t i = 0; i < operation->reinforcements[1].Count(); ++i)
    arrivals.push_back(operation->GroupAt(1, i)->arrivalTurn);
  EXPECT_EQ(arrivals, (std::vector<int32_t>{2, 5, -2}));
  EXPECT_FALSE(rig.Exists("Saved Games/Push.wrb"));
  // A name with dots names the scenario by its part before the first dot; the next save
  // proposes it.
  rig.App().DoCommand(99);
  rig.Choose("Hill.v2.wrb");
  rig.App().DoCommand(102);
  EXPECT_TRUE(rig.Exists("Saved Games/Hill.v2.wrb"));
  EXPECT_STREQ(LabelName(state), "Hill");
  rig.Type("\r");
  rig.App().DoCommand(102);
  EXPECT_TRUE(rig.Exists("Saved Games/Hill.wrb"));
  EXPECT_EQ(EditorState::ScenarioNameOf("C:\\x\\Saved Games\\.wrb"), "Untitled");
  EXPECT_EQ(EditorState::ScenarioNameOf("Saved Games\\Hill.v2.wrb"), "Hill");
}

TEST(EditorFiles, TournamentSaveIsRefusedByTheEditor) {
  EditorRig rig;
  EditorState& state = *rig.State();
  rig.App().DoCommand(103);
  ASSERT_NE(state.screenView, nullptr);
  EXPECT_FALSE(state.mainView->IsVisible());
  ASSERT_NE(state.firstPlayerPopup, nullptr);
  state.firstPlayerPopup->SetCurrentItem(1);
  const int32_t sideToPlay = rig.App().GetSideToPlay();
  Battle* battle = rig.App().GetBattle();
  battle->lastTurn = 77;
  rig.Choose("Cup");
  rig.App().DoCommand(117);
  const StoredPlay play = ReadPlay(rig, "Saved Games/Cup.wrb");
  EXPECT_EQ(play.players, 2);
  EXPECT_EQ(play.side, 1);
  EXPECT_EQ(rig.App().GetSideToPlay(), sideToPlay);
  EXPECT_EQ(battle->baseFlag, 1);
  EXPECT_EQ(state.tournamentSave, 0);
  EXPECT_EQ(state.screenView, nullptr);
  EXPECT_TRUE(state.mainView->IsVisible());
  // Reopened: refused, and a new untitled battle is there instead.
  rig.Choose("Cup.wrb");
  rig.App().DoCommand(101);
  EXPECT_TRUE(rig.Logged("Rejected setup!"));
  ASSERT_NE(rig.App().GetBattle(), nullptr);
  EXPECT_NE(rig.App().GetBattle()->lastTurn, 77);
  EXPECT_STREQ(LabelName(state), "Untitled");
  EXPECT_EQ(state.modified, 0);
}

TEST(EditorFiles, SavedGamePastSetUpIsRefused) {
  EditorRig rig;
  EditorState& state = *rig.State();
  rig.App().GetBattle()->setupPhase = 0;
  rig.Choose("Played");
  rig.App().DoCommand(102);
  ASSERT_TRUE(rig.Exists("Saved Games/Played.wrb"));
  rig.Choose("Played.wrb");
  rig.App().DoCommand(101);
  EXPECT_TRUE(rig.Logged("Rejected setup!"));
  EXPECT_EQ(rig.App().GetBattle()->setupPhase, 1);
  EXPECT_STREQ(LabelName(state), "Untitled");
}

TEST(EditorFiles, ConfirmationsAndCancelledDialogs) {
  EditorRig rig;
  EditorState& state = *rig.State();
  Battle* battle = rig.App().GetBattle();
  battle->lastTurn = 77;
  state.modified = 1;
  rig.App().DoCommand(99);
  EXPECT_NE(rig.App().GetAlertBox(), nullptr);
  EXPECT_EQ(rig.App().GetBattle(), battle);
  // YES, then the save dialog cancelled: nothing changes and the scenario stays modified.
  rig.Cancel();
  rig.App().DoCommand(111);
  EXPECT_EQ(rig.App().GetBattle(), battle);
  EXPECT_EQ(state.modified, 1);
  // A cancelled open keeps the modified flag, so leaving still asks.
  rig.Cancel();
  rig.App().DoCommand(116);
  EXPECT_EQ(state.modified, 1);
  EXPECT_EQ(rig.App().GetBattle(), battle);
  rig.App().SetInputMode(InputModes::kNoPick);
  rig.App().DoCommand(108);
  EXPECT_NE(rig.App().GetAlertBox(), nullptr);
  EXPECT_EQ(rig.State(), &state);
  // NO gives a new battle without saving.
  rig.App().DoCommand(112);
  EXPECT_NE(rig.App().GetBattle()->lastTurn, 77);
  EXPECT_EQ(state.modified, 0);
  // YES with a completed save goes on: a new battle after the save.
  state.modified = 1;
  rig.App().GetBattle()->lastTurn = 66;
  rig.Choose("Chain");
  rig.App().DoCommand(111);
  EXPECT_TRUE(rig.Exists("Saved Games/Chain.wrb"));
  EXPECT_NE(rig.App().GetBattle()->lastTurn, 66);
  EXPECT_STREQ(LabelName(state), "Untitled");
}

TEST(EditorFiles, RefusedFileKeepsTheScenario) {
  EditorRig rig;
  EditorState& state = *rig.State();
  rig.shell.folder.WriteFile("Saved Games/Broken.wrb", std::string(40, '\x01'));
  Battle* battle = rig.App().GetBattle();
  state.modified = 1;
  rig.Choose("Broken.wrb");
  rig.App().DoCommand(116);
  EXPECT_EQ(rig.App().GetBattle(), battle);
  EXPECT_EQ(state.modified, 1);
  EXPECT_STREQ(LabelName(state), "Untitled");
  EXPECT_NE(rig.App().GetAlertBox(), nullptr);
  EXPECT_FALSE(rig.Logged("Rejected setup!"));
}

TEST(EditorFiles, FailedSaveLeavesTheOldFileAndStaysModified) {
  EditorRig rig;
  EditorState& state = *rig.State();
  // The target cannot be replaced: a folder of that name with a file in it.
  rig.shell.folder.WriteFile("Saved Games/Stuck.wrb/inside.txt", "kept");
  state.modified = 1;
  const std::string path = rig.shell.folder.Program() + "Saved Games\\Stuck.wrb";
  EXPECT_FALSE(state.SaveScenarioTo(path));
  EXPECT_EQ(state.modified, 1);
  EXPECT_EQ(state.editorSaving, 0);
  EXPECT_STREQ(LabelName(state), "Untitled");
  EXPECT_STREQ(rig.App().FileSettings().gameName.CStr(), "Untitled");
  EXPECT_NE(rig.App().GetAlertBox(), nullptr);
  EXPECT_EQ(rig.shell.folder.ReadFile("Saved Games/Stuck.wrb/inside.txt"), "kept");
  EXPECT_FALSE(rig.Exists("Saved Games/~Stuck.wrb"));
  // A previous file of the name survives a failed save untouched, and a save-then-go-on
  // chain stops.
  rig.shell.folder.WriteFile("Saved Games/Old.wrb", "previous");
  std::filesystem::create_directories(rig.shell.folder.Native() + "Saved Games/~Old.wrb/x");
  rig.App().SetInputMode(InputModes::kNoPick);
  Battle* battle = rig.App().GetBattle();
  rig.Choose("Old");
  rig.Type("y");
  rig.App().DoCommand(111);
  EXPECT_EQ(rig.shell.folder.ReadFile("Saved Games/Old.wrb"), "previous");
  EXPECT_EQ(rig.App().GetBattle(), battle);
  EXPECT_EQ(state.modified, 1);
}

namespace {

std::string Decode(const std::string& path) {
  GFile file;
  if (!file.IFile(PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting), path.c_str(),
                  GFile::kModeReadGameFile))
    return std::string();
  std::string bytes(file.GetSize(), '\0');
  file.Read(bytes.data(), static_cast<int32_t>(bytes.size()));
  return bytes;
}

void Encode(const std::string& path, const std::string& bytes) {
  auto* file = new GFile();
  if (!file->IFile(PFile::Open(path, PFile::kRead | PFile::kWrite, PFile::Disposition::kCreateAlways), path.c_str(),
                   GFile::kModeWriteGameFile)) {
    delete file;
    return;
  }
  file->Write(bytes.data(), static_cast<int32_t>(bytes.size()));
  delete file;
}

std::string Stored(Battle& battle) {
  GMemoryFile out;
  battle.Write(out.File());
  return out.Bytes();
}

// The number of the open alert among the file reader's.
int32_t OpenAlert(WRApplication& app) {
  GView* box = app.GetAlertBox();
  if (box == nullptr) return -1;
  for (int32_t number : {9, 10, 14}) {
    GString255 line;
    line.LoadResource(static_cast<uint32_t>(AlertTable::Find(number)->line1));
    for (int32_t i = 0; i < box->GetChildCount(); ++i) {
      auto* label = dynamic_cast<GLabel*>(box->GetChild(i));
      if (label != nullptr && std::string(label->GetText().CStr()) == line.CStr()) return number;
    }
  }
  return 0;
}

}  // namespace

TEST(EditorFiles, HostileFilesChangeNothing) {
  EditorRig rig;
  EditorState& state = *rig.State();
  Battle& battle = *rig.App().GetBattle();
  AddUnit(battle, 0, 300.0f, 300.0f);
  battle.groundCondition = 1;
  battle.lastTurn = 77;
  rig.Choose("Base");
  rig.App().DoCommand(102);
  const std::string folder = rig.shell.folder.Program() + "Saved Games\\";
  const std::string raw = rig.shell.folder.ReadFile("Saved Games/Base.wrb");
  const std::string decoded = Decode(folder + "Base.wrb");
  ASSERT_GT(raw.size(), 600u);
  ASSERT_GT(decoded.size(), 1100u);
  const std::string battlePart = Stored(battle);
  const size_t battleAt = decoded.find(battlePart.substr(0, 12));
  ASSERT_NE(battleAt, std::string::npos);
  const size_t playersAt = 15 + 1 + static_cast<uint8_t>(decoded[15]) + 1024;
  ASSERT_EQ(decoded[playersAt], 0);
  ASSERT_EQ(decoded[playersAt + 1], 2);
  rig.shell.folder.WriteFile("Saved Games/Cut.wrb", raw.substr(0, 500));
  std::string flipped = decoded;
  flipped[battleAt] = static_cast<char>(flipped[battleAt] ^ 0xFF);
  Encode(folder + "Flipped.wrb", flipped);
  std::string players = decoded;
  players[playersAt] = 9;
  Encode(folder + "Players.wrb", players);
  std::string version = decoded;
  version[1] = 5;
  Encode(folder + "Version.wrb", version);
  std::string format = decoded;
  format[0] = 3;
  Encode(folder + "Format.wrb", format);

  battle.lastTurn = 60;
  state.modified = 1;
  const std::string before = Stored(battle);
  struct Case {
    const char* file;
    int32_t alert;
  };
  for (const Case& c : {Case{"Cut.wrb", 14}, Case{"Flipped.wrb", 14}, Case{"Players.wrb", 14},
                        Case{"Version.wrb", 10}, Case{"Format.wrb", 9}}) {
    SCOPED_TRACE(c.file);
    rig.Choose(c.file);
    rig.App().DoCommand(116);
    EXPECT_EQ(OpenAlert(rig.App()), c.alert);
    rig.App().SetInputMode(InputModes::kNoPick);
    ASSERT_EQ(rig.App().GetBattle(), &battle);
    EXPECT_EQ(Stored(battle), before);
    EXPECT_EQ(state.modified, 1);
    EXPECT_STREQ(LabelName(state), "Base");
  }
  // A save still works afterwards.
  rig.Choose("After");
  rig.App().DoCommand(102);
  EXPECT_TRUE(rig.Exists("Saved Games/After.wrb"));
  EXPECT_EQ(state.modified, 0);
}
