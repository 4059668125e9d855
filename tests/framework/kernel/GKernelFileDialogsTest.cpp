#include <gtest/gtest.h>

#include <string>

#include "FileKernelRig.h"
#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "platform/PFileChooser.h"
#include "platform/PFileSystem.h"

namespace {

class GKernelFileDialogs : public testing::Test {
 protected:
  GKernelFileDialogs() {
    rig_.folder.WriteFile("Saved Games/game.wrb", "stored");
    rig_.folder.WriteFile("Saved Games/op.wrc", "operation");
  }
  GFile* Open(int32_t mode, bool* failed) {
    return rig_.kernel->OpenFileDialog("Saved Games", "wrb0", "wrc0", nullptr, nullptr, mode, failed);
  }
  GFile* Save(const char* name) { return rig_.kernel->SaveFileDialog("Saved Games", "wrb0", name, GFile::kModeWrite); }
  static std::string ReadAll(GFile* file) {
    std::string text;
    for (uint32_t n = file->GetSize(); n > 0; --n) text += static_cast<char>(file->ReadByte());
    return text;
  }

  FileKernelRig rig_;
};

TEST_F(GKernelFileDialogs, CancellingGivesNullWithTheErrorFlagClear) {
  ASSERT_TRUE(rig_.ok);
  bool failed = true;
  rig_.Type("game");
  rig_.Escape();
  const int presents = rig_.fake->PresentCount();
  EXPECT_EQ(Open(GFile::kModeRead, &failed), nullptr);
  EXPECT_FALSE(failed);
  EXPECT_GT(rig_.fake->PresentCount(), presents);  // the dialog was shown
  // Its title bar, dark blue, at the top of a box in the middle of the screen.
  ASSERT_EQ(rig_.fake->LastFrameWidth(), 800);
  const auto pixel = [&](int32_t x, int32_t y) { return rig_.fake->LastFrame()[static_cast<size_t>(y) * 800 + x]; };
  EXPECT_EQ(pixel(185, 135) & 0xFFFF00u, 0u);
  EXPECT_GT(pixel(185, 135) & 0xFFu, 100u);
  EXPECT_NE(pixel(185, 135), pixel(185, 125));
  EXPECT_EQ(rig_.fake->ScriptLeft(), 0u);
  // With nothing more to come the dialog ends as cancelled too.
  failed = true;
  EXPECT_EQ(Open(GFile::kModeRead, &failed), nullptr);
  EXPECT_FALSE(failed);
  EXPECT_EQ(Save("x"), nullptr);
  EXPECT_FALSE(PFileSystem::Exists(rig_.folder.Program() + "Saved Games\\x.wrb"));
}

TEST_F(GKernelFileDialogs, OpenReturnsTheChosenFileInTheMode) {
  bool failed = true;
  rig_.Type("op.wrc");
  rig_.Return();
  GFile* file = Open(GFile::kModeRead, &failed);
  ASSERT_NE(file, nullptr);
  EXPECT_FALSE(failed);
  EXPECT_EQ(file->Mode(), GFile::kModeRead);
  EXPECT_EQ(ReadAll(file), "operation");
  SafeDelete(file);
  // The default extension is the first code's; a missing name is refused until Escape.
  rig_.Type("missing");
  rig_.Return();
  rig_.Escape();
  EXPECT_EQ(Open(GFile::kModeRead, nullptr), nullptr);
  EXPECT_EQ(rig_.fake->BeepCount(), 1);
  rig_.Type("GAME");
  rig_.Return();
  file = Open(GFile::kModeRead, nullptr);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(ReadAll(file), "stored");
  SafeDelete(file);
}

TEST_F(GKernelFileDialogs, AChosenFileThatCannotBeOpenedInTheModeSetsTheFlag) {
  bool failed = false;
  rig_.Type("game");
  rig_.Return();
  // No e-mail text block in it.
  EXPECT_EQ(Open(GFile::kModeReadEmail, &failed), nullptr);
  EXPECT_TRUE(failed);
}

TEST_F(GKernelFileDialogs, SavingOverAnExistingFileAsksFirst) {
  rig_.Type("game");
  rig_.Return();
  rig_.Type("n");
  rig_.Escape();
  EXPECT_EQ(Save(""), nullptr);
  EXPECT_EQ(rig_.folder.ReadFile("Saved Games/game.wrb"), "stored");

  rig_.Return();
  rig_.Type("y");
  GFile* file = Save("game");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Mode(), GFile::kModeWrite);
  EXPECT_EQ(rig_.folder.ReadFile("Saved Games/game.wrb"), "");
  file->Write("new", 3);
  SafeDelete(file);
  EXPECT_EQ(rig_.folder.ReadFile("Saved Games/game.wrb"), "new");
}

TEST_F(GKernelFileDialogs, ANameTypedWithoutExtensionGetsTheDefaultOne) {
  rig_.Type("Battle 2");
  rig_.Return();
  GFile* file = Save("");
  ASSERT_NE(file, nullptr);
  SafeDelete(file);
  EXPECT_TRUE(PFileSystem::Exists(rig_.folder.Program() + "Saved Games\\Battle 2.wrb"));
  // The default name stands when nothing is typed.
  rig_.Return();
  file = Save("Proposed");
  ASSERT_NE(file, nullptr);
  SafeDelete(file);
  EXPECT_TRUE(PFileSystem::Exists(rig_.folder.Program() + "Saved Games\\Proposed.wrb"));
}

TEST_F(GKernelFileDialogs, ANameThatCannotBeAFileIsRefusedAndNothingIsWritten) {
  rig_.Type("..\\..\\outside");
  rig_.Return();
  rig_.Escape();
  EXPECT_EQ(Save(""), nullptr);
  EXPECT_EQ(rig_.fake->BeepCount(), 1);
  EXPECT_FALSE(PFileSystem::Exists(rig_.folder.Program() + "outside.wrb"));
}

TEST_F(GKernelFileDialogs, ClicksPickRowsAndPressButtons) {
  // The dialog sits in the middle of the 800 x 600 screen.
  PFileChooser::Settings settings;
  settings.root = rig_.folder.Program();
  const PFileChooser::Layout layout = PFileChooser(settings, 800, 600).GetLayout();
  const int32_t row1 = layout.list.top + 2 + PFileChooser::kRowHeight + 4;
  rig_.fake->ScriptMessage(FileKernelRig::Message(PMessageType::kLeftDoubleClick, 0, layout.list.left + 10, row1));
  GFile* file = Open(GFile::kModeRead, nullptr);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(ReadAll(file), "operation");
  SafeDelete(file);
  rig_.fake->ScriptMessage(
      FileKernelRig::Message(PMessageType::kLeftDown, 0, layout.cancelButton.left + 3, layout.cancelButton.top + 3));
  EXPECT_EQ(Open(GFile::kModeRead, nullptr), nullptr);
}

TEST_F(GKernelFileDialogs, WithoutAFolderOrFilterTheProgramFolderShowsEveryFile) {
  rig_.folder.WriteFile("readme", "text");
  rig_.Type("readme");
  rig_.Return();
  GFile* file = rig_.kernel->OpenFileDialog(nullptr, nullptr, nullptr, nullptr, nullptr, GFile::kModeRead, nullptr);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(ReadAll(file), "text");
  SafeDelete(file);
  rig_.Type("slot");
  rig_.Return();
  file = rig_.kernel->SaveFileDialog(nullptr, nullptr, "", GFile::kModeWrite);
  ASSERT_NE(file, nullptr);
  SafeDelete(file);
  EXPECT_TRUE(PFileSystem::Exists(rig_.folder.Program() + "slot"));
}

}  // namespace
