// Briefings brought in from text files and written back out through the real file chooser:
// byte for byte, cut at 32,768 bytes, Cancel empties, a file that cannot be opened keeps the
// old text, an empty file leaves the briefing empty, and a failed write is told.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <string>

#include "EditorRig.h"
#include "framework/ui/GView.h"
#include "game/battle/Battle.h"
#include "platform/PFakeBackEnd.h"

namespace {

constexpr int32_t kAxis = 0;
constexpr int32_t kAllied = 1;
constexpr int32_t kOverall = 2;

Battle& TheBattle(EditorRig& rig) { return *rig.App().GetBattle(); }

// The explanatory dialog's OK with the files typed in order overall, Axis, Allied (empty: the
// dialog cancelled).
void Import(EditorRig& rig, const std::string& overall, const std::string& axis, const std::string& allied) {
  rig.App().DoCommand(107);
  ASSERT_NE(rig.State()->screenView, nullptr);
  for (const std::string* name : {&overall, &axis, &allied}) {
    if (name->empty()) rig.Cancel();
    else rig.Choose(*name);
  }
  rig.App().DoCommand(119);
}

}  // namespace

TEST(EditorBriefings, OkCancelOkEmptiesTheMiddleBriefingAndKeepsBytes) {
  EditorRig rig;
  const std::string overall = "Hold the ridge.\r\nAt all costs.\r\n\xE9\x01";
  const std::string allied = std::string("Take Hill 112\r\n") + '\0' + "by noon.";
  rig.shell.folder.WriteFile("BriefingOverall.txt", overall);
  rig.shell.folder.WriteFile("BriefingAllied.txt", allied);
  TheBattle(rig).briefing[kAxis] = "an old Axis text";
  Import(rig, "BriefingOverall.txt", "", "BriefingAllied.txt");
  EXPECT_EQ(TheBattle(rig).briefing[kOverall], overall);
  EXPECT_EQ(TheBattle(rig).briefing[kAxis], "");
  EXPECT_EQ(TheBattle(rig).briefing[kAllied], allied);
  EXPECT_EQ(rig.State()->modified, 1);
  EXPECT_EQ(rig.State()->screenView, nullptr);
  EXPECT_TRUE(rig.State()->mainView->IsVisible());
  EXPECT_EQ(rig.shell.fake->ScriptLeft(), 0u);
}

TEST(EditorBriefings, TheDialogsCancelButtonReadsNothing) {
  EditorRig rig;
  TheBattle(rig).briefing[kOverall] = "kept";
  rig.App().DoCommand(107);
  rig.App().DoCommand(120);
  EXPECT_EQ(TheBattle(rig).briefing[kOverall], "kept");
  EXPECT_EQ(rig.State()->screenView, nullptr);
}

TEST(EditorBriefings, LargeEmptyAndUnopenableFiles) {
  EditorRig rig;
  std::string big(40000, 'x');
  for (size_t i = 0; i < big.size(); i += 71) big[i] = '\n';
  rig.shell.folder.WriteFile("Big.txt", big);
  rig.shell.folder.WriteFile("Empty.txt", "");
  // A pipe in a file's place: the chooser lists it, but it cannot be opened as a file.
  ASSERT_EQ(mkfifo((rig.shell.folder.Native() + "Pipe.txt").c_str(), 0600), 0);
  TheBattle(rig).briefing[kAllied] = "old Allied text";
  TheBattle(rig).briefing[kAxis] = "old Axis text";
  const int32_t beeps = rig.shell.fake->BeepCount();
  Import(rig, "Big.txt", "Empty.txt", "Pipe.txt");
  EXPECT_EQ(TheBattle(rig).briefing[kOverall], big.substr(0, 32768));
  EXPECT_EQ(TheBattle(rig).briefing[kAxis], "");
  EXPECT_EQ(TheBattle(rig).briefing[kAllied], "old Allied text");
  EXPECT_EQ(rig.shell.fake->BeepCount(), beeps + 1);
  // The empty briefing is saved as none, and the save succeeds.
  rig.App().DoCommand(102);
  rig.Choose("Briefed");
  rig.App().DoCommand(102);
  EXPECT_EQ(rig.State()->modified, 0);
  EXPECT_TRUE(rig.Exists("Saved Games/Briefed.wrb"));
}

TEST(EditorBriefings, ExportWritesEachBriefingByteForByte) {
  EditorRig rig;
  const std::string overall = "Line one\r\nLine two\r\n";
  TheBattle(rig).briefing[kOverall] = overall;
  TheBattle(rig).briefing[kAllied] = "Allied\n";
  rig.State()->modified = 0;
  rig.shell.folder.WriteFile("Kept.txt", "kept");
  // Overall as proposed; Axis (empty) into a file of its own; Allied: the chooser asks before
  // replacing Kept.txt, and No then Cancel skips it.
  // Command 107 with Shift and Control held.
  const SDL_Keycode keys[2] = {SDLK_LSHIFT, SDLK_LCTRL};
  const SDL_Scancode codes[2] = {SDL_SCANCODE_LSHIFT, SDL_SCANCODE_LCTRL};
  for (int32_t i = 0; i < 2; ++i) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = keys[i];
    e.key.keysym.scancode = codes[i];
    e.key.keysym.mod = static_cast<uint16_t>(i == 0 ? KMOD_LSHIFT : KMOD_LSHIFT | KMOD_LCTRL);
    rig.shell.fake->ScriptEvent(e);
  }
  rig.Type("\r");
  rig.Choose("AxisOut.txt");
  rig.Choose("Kept.txt");
  rig.Type("n\x1b");
  rig.App().DoCommand(107);
  EXPECT_EQ(rig.shell.folder.ReadFile("BriefingOverall.txt"), overall);
  EXPECT_TRUE(rig.Exists("AxisOut.txt"));
  EXPECT_EQ(rig.shell.folder.ReadFile("AxisOut.txt"), "");
  EXPECT_EQ(rig.shell.folder.ReadFile("Kept.txt"), "kept");
  EXPECT_EQ(rig.State()->modified, 0);
  // Shift and Control let go; an imported CR LF file goes out unchanged.
  for (int32_t i = 0; i < 2; ++i) {
    SDL_Event e{};
    e.type = SDL_KEYUP;
    e.key.keysym.sym = keys[i];
    e.key.keysym.scancode = codes[i];
    rig.shell.fake->ScriptEvent(e);
  }
  Import(rig, "BriefingOverall.txt", "", "");
  EXPECT_EQ(TheBattle(rig).briefing[kOverall], overall);
}

TEST(EditorBriefings, AFailedWriteBeepsLogsAndGoesOn) {
  EditorRig rig;
  TheBattle(rig).briefing[kOverall] = std::string(200000, 'o');
  TheBattle(rig).briefing[kAxis] = "axis";
  rig.Choose("Full.txt");
  rig.Choose("Axis.txt");
  rig.Cancel();
  const int32_t beeps = rig.shell.fake->BeepCount();
  // Files may grow to 100,000 bytes only: the first write fails part-way.
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit low = old;
  low.rlim_cur = 100000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &low), 0);
  rig.State()->ExportBriefings();
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(rig.shell.fake->BeepCount(), beeps + 1);
  EXPECT_TRUE(rig.Logged("Briefing could not be written"));
  EXPECT_TRUE(rig.Logged("Full.txt"));
  EXPECT_EQ(rig.shell.folder.ReadFile("Axis.txt"), "axis");
}
