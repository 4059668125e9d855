#include <gtest/gtest.h>

#include <filesystem>

#include <cstdlib>
#include <unistd.h>
#include <string>

#include "app/ProgramStart.h"
#include "app/WRApplication.h"
#include "game/units/tables/Hack.h"
#include "game/units/ports/UnitServices.h"
#include "framework/core/GErrorLog.h"
#include "game/map/TerrainCodeTable.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "platform/PBackEnd.h"
#include "platform/PDisplay.h"
#include "platform/PFakeBackEnd.h"
#include "framework/ui/GView.h"
#include "game/map/OrderState.h"
#include "support/KernelStartClock.h"
#include "support/RendererBitmaps.h"
#include "support/ScreenBitmaps.h"
#include "support/ResourceRecorder.h"
#include "support/SoundCatalogueRows.h"
#include "support/TestFolder.h"

namespace {

const char* kPrefs = "Tarvane Osmr Vel Prefs";

std::string StoredFile(uint8_t format, uint8_t width2DLow) {
  std::string bytes(105, '\0');
  bytes[0] = static_cast<char>(format);
  bytes[1] = 1;                                    // 3-D preset stored
  bytes[1 + 40] = static_cast<char>(0x20);         // width 800 = 0x320
  bytes[1 + 41] = static_cast<char>(0x03);
  bytes[1 + 56] = static_cast<char>(width2DLow);
  // Values each option can take: 0 or 1 alternately for the ranged options, i + 3 for the
  // reserved ones past them.
  for (int i = 0; i < 40; ++i) bytes[65 + i] = static_cast<char>(i <= 20 ? i % 2 : i + 3);
  return bytes;
}

}  // namespace

TEST(WRApplicationTest, WithoutAPreferencesFileTheOptionsTakeTheirDefaults) {
  TestFolder folder(true);
  {
    WRApplication app;
    app.LoadPreferences();
    const int8_t expected[25] = {2, 0, 2, 1, 2, 0, 0, 0, 1, 0, 2, 1, 1, 0, 1, 2, 1, 1, 2, 1, 0, 0, 0, 0, 0};
    for (int i = 0; i < 25; ++i) EXPECT_EQ(app.GetOption(i), expected[i]) << i;
    for (int i = 25; i < 40; ++i) EXPECT_EQ(app.GetOption(i), 0) << i;
    EXPECT_EQ(app.GetOption(40), 0);
    for (int i = 41; i < 45; ++i) EXPECT_EQ(app.GetOption(i), 1) << i;
    DisplayPreset record;
    record.use3DPreset = 1;
    app.GetDisplayChoice(&record);
    EXPECT_EQ(record.use3DPreset, 0);
    EXPECT_EQ(record.use2DPreset, 0);
  }
  // The file is written at the end: format 0, the record, options 0 to 39.
  const std::string written = folder.ReadFile(kPrefs);
  ASSERT_EQ(written.size(), 105u);
  EXPECT_EQ(written[0], 0);
  EXPECT_EQ(written[65], 2);
  EXPECT_EQ(written[67], 2);
}

TEST(WRApplicationTest, AStoredFileIsReadAndWrittenBackByteForByteWithTheRecordFromTheQuit) {
  TestFolder folder(true);
  folder.WriteFile(kPrefs, StoredFile(0, 0x58));
  {
    WRApplication app;
    app.LoadPreferences();
    DisplayPreset record;
    app.GetDisplayChoice(&record);
    EXPECT_EQ(record.use3DPreset, 1);
    EXPECT_EQ(record.width, 800u);
    EXPECT_EQ(record.width2D, 0x58u);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(app.GetOption(i), i <= 20 ? i % 2 : i + 3) << i;
    // Not stored: set anew at every start.
    EXPECT_EQ(app.GetOption(40), 0);
    EXPECT_EQ(app.GetOption(44), 1);
    record.height2D = 600;
    app.SavePreferences(&record);
  }
  std::string expected = StoredFile(0, 0x58);
  expected[1 + 60] = static_cast<char>(0x58);
  expected[1 + 61] = static_cast<char>(0x02);
  EXPECT_EQ(folder.ReadFile(kPrefs), expected);
}

TEST(WRApplicationTest, AForeignOrShortFileIsIgnoredRecordIncluded) {
  TestFolder folder(true);
  for (const std::string& bytes : {StoredFile(1, 0x58), StoredFile(0, 0x58).substr(0, 60)}) {
    folder.WriteFile(kPrefs, bytes);
    WRApplication app;
    app.LoadPreferences();
    DisplayPreset record;
    app.GetDisplayChoice(&record);
    EXPECT_EQ(record.use3DPreset, 0);
    EXPECT_EQ(app.GetOption(0), 2);
  }
}

// The real kernel on the SDL back-end with the dummy drivers: start-up without preferences
// (the display test screen comes up), some passes of the loop, and the quit through the
// application's quit command.
TEST(WRApplicationTest, VideoMemoryChoosesTheDownsampleLevelAndFineTextures) {
  // Without AGP: 3 below 2,100 K, 2 below 3,450 K, 1 below 5,400 K, else 0.
  EXPECT_EQ(WRApplication::DownsampleLevelFor(2099, false), 3);
  EXPECT_EQ(WRApplication::DownsampleLevelFor(2100, false), 2);
  EXPECT_EQ(WRApplication::DownsampleLevelFor(3449, false), 2);
  EXPECT_EQ(WRApplication::DownsampleLevelFor(3450, false), 1);
  EXPECT_EQ(WRApplication::DownsampleLevelFor(5399, false), 1);
  EXPECT_EQ(WRApplication::DownsampleLevelFor(5400, false), 0);
  // With AGP: 1 below 1,000 K, else 0.
  EXPECT_EQ(WRApplication::DownsampleLevelFor(999, true), 1);
  EXPECT_EQ(WRApplication::DownsampleLevelFor(1000, true), 0);
  EXPECT_EQ(WRApplication::DownsampleLevelFor(0, true), 1);

  TestFolder folder(true);
  GErrorLog::ResetForTests();
  WRApplication app;
  app.ReportVideoMemory(7000, false);
  EXPECT_EQ(app.GetDownsampleLevel(), 0);
  EXPECT_FALSE(app.HasFineTextures());  // more than 7,000 K are needed
  app.ReportVideoMemory(7001, true);
  EXPECT_TRUE(app.HasFineTextures());
  app.ReportVideoMemory(8000, false);
  EXPECT_TRUE(app.HasFineTextures());
  app.ReportVideoMemory(800, true);
  EXPECT_EQ(app.GetDownsampleLevel(), 1);
  EXPECT_FALSE(app.HasFineTextures());  // a reduced level never loads finer
  GErrorLog::ResetForTests();
  EXPECT_EQ(folder.ReadFile("ERRORLOG.TXT"),
            "VRAM available (K):  7000\r\nNo AGP\r\nVRAM available (K):  7001\r\nHas AGP\r\n"
            "VRAM available (K):  8000\r\nNo AGP\r\nVRAM available (K):  800\r\nHas AGP\r\n");
}

TEST(WRApplicationTest, KeysOnlyBeepWhileADialogIsUp) {
  TestFolder folder(true);
  GErrorLog::ResetForTests();
  {
    GKernel kernel;
    auto backEnd = std::make_unique<PFakeBackEnd>();
    PFakeBackEnd* fake = backEnd.get();
    bool ok = false;
    kernel.Init(std::move(backEnd), &ok);
    ASSERT_TRUE(ok);
    WRApplication app;
    auto* dialog = new GView();
    dialog->PlaceModal(nullptr, 10, 10, 100, 100);
    app.HandleKey(27, false, false);        // Escape
    app.HandleKey('q', true, false);        // Alt+Q
    app.HandleKey(27, true, false);
    EXPECT_EQ(fake->BeepCount(), 3);
    EXPECT_EQ(fake->MinimizeCount(), 0);
    EXPECT_FALSE(kernel.IsQuitting());
    delete dialog;
    // Without the dialog Escape minimises, with or without Alt.
    app.HandleKey(27, false, false);
    app.HandleKey(27, true, false);
    EXPECT_EQ(fake->MinimizeCount(), 2);
    EXPECT_EQ(fake->BeepCount(), 3);
    app.HandleKey('Q', true, false);
    EXPECT_TRUE(kernel.IsQuitting());
  }
  GErrorLog::ResetForTests();
}

TEST(ProgramStartTest, TheKernelRunsHeadlessAndQuitsThroughTheApplication) {
  TestFolder folder(true);
  CopyRendererBitmaps(folder);
  CopyScreenBitmaps(folder);
  ResourceRecorder recorder;
  GErrorLog::ResetForTests();
  setenv(WRApplication::kQuitAfterVariable, "5", 1);
  auto* kernel = new GKernel();
  bool ok = false;
  {
    KernelStartClock clock;
    kernel->Init(nullptr, &ok);
  }
  ASSERT_TRUE(ok);
  ProgramStart();
  EXPECT_TRUE(kernel->IsQuitting());
  delete kernel;
  unsetenv(WRApplication::kQuitAfterVariable);
  GErrorLog::ResetForTests();

  const std::string log = folder.ReadFile("ERRORLOG.TXT");
  size_t at = 0;
  for (const char* line : {"CPU speed rated at ", "GKernel 634\r\n", "GKernel 778\r\n", "GKernel 397\r\n",
                           "Attempting 3D DRIVER: display (Primary Display Driver)  DEVICE: Software 3D  MODE: ",
                           "GKernel 1156\r\n", "GKernel 5644\r\n", "GKernel 2450\r\n",
                           "GKernel 118\r\n", "*** QUITTING ***\r\n", "GKernel 128\r\n", "GKernel 155\r\n",
                           "GKernel 180\r\n"}) {
    const size_t found = log.find(line, at);
    ASSERT_NE(found, std::string::npos) << line << "\n" << log;
    at = found;
  }
  EXPECT_EQ(folder.ReadFile(kPrefs).size(), 105u);
  // Without preferences the first display's test screen was up; the quit came before an
  // answer, so the application did not start and made no data folders.
  EXPECT_FALSE(std::filesystem::exists(folder.Native() + "Scenarios"));
  EXPECT_EQ(SoundsWithoutRows(recorder, folder.Program() + "WAV\\"), "");
}

namespace {

// One headless run of the program in the test's folder: the kernel on the SDL back-end,
// the application quitting after a few passes. The log, and whether the application was
// started (its first screen is a view on the root view).
struct ProgramRun {
  std::string log;
  bool started = false;
};

ProgramRun RunProgram(const TestFolder& folder) {
  ResourceRecorder recorder;
  GErrorLog::ResetForTests();
  setenv(WRApplication::kQuitAfterVariable, "3", 1);
  auto* kernel = new GKernel();
  bool ok = false;
  {
    KernelStartClock clock;
    kernel->Init(nullptr, &ok);
  }
  EXPECT_TRUE(ok);
  ProgramRun run;
  if (ok) ProgramStart();
  run.started = kernel->HasApplicationStarted();
  delete kernel;
  unsetenv(WRApplication::kQuitAfterVariable);
  GErrorLog::ResetForTests();
  run.log = folder.ReadFile("ERRORLOG.TXT");
  // Every sound the run asked for from the program's WAV folder has a catalogue row.
  EXPECT_EQ(SoundsWithoutRows(recorder, folder.Program() + "WAV\\"), "");
  return run;
}

}  // namespace

// A stored display preset takes the program to its start without a test screen, and the
// quit stores it again for the next start.
TEST(ProgramStartTest, AStoredPresetStartsTheApplicationWithoutATestAndIsKeptForTheNextStart) {
  TestFolder folder(true);
  CopyRendererBitmaps(folder);
  CopyScreenBitmaps(folder);
  std::string prefs(105, '\0');
  prefs[1] = 1;  // use the 3-D preset
  prefs[1 + 2] = 1;  // on the primary display driver
  const PGuid device = PDisplay::kDeviceGuid;
  for (int i = 0; i < 16; ++i) prefs[1 + 24 + i] = static_cast<char>(device.bytes[i]);
  prefs[1 + 40] = static_cast<char>(640 & 255);
  prefs[1 + 41] = static_cast<char>(640 >> 8);
  prefs[1 + 44] = static_cast<char>(480 & 255);
  prefs[1 + 45] = static_cast<char>(480 >> 8);
  for (int i = 0; i < 40; ++i) prefs[65 + i] = 1;
  folder.WriteFile(kPrefs, prefs);

  for (int start = 0; start < 2; ++start) {
    SCOPED_TRACE(start);
    const ProgramRun run = RunProgram(folder);
    EXPECT_TRUE(run.started);
    EXPECT_NE(run.log.find("Attempting to locate 3D preset\r\nUsing 3D preset\r\nAttempting 3D DRIVER: display "
                           "(Primary Display Driver)  DEVICE: Software 3D  MODE: 640 x 480 @0\r\n"),
              std::string::npos)
        << run.log;
    // No test screen was shown.
    EXPECT_EQ(run.log.find("GKernel 1156"), std::string::npos);
    // The started application heard of the renderer's video memory.
    const size_t vram = run.log.find("VRAM available (K):  ");
    ASSERT_NE(vram, std::string::npos) << run.log;
    const size_t agp = run.log.find("AGP\r\n", vram);
    ASSERT_NE(agp, std::string::npos);
    const std::string agpLine = run.log.substr(run.log.rfind("\n", agp) + 1, agp + 5 - run.log.rfind("\n", agp) - 1);
    EXPECT_TRUE(agpLine == "Has AGP\r\n" || agpLine == "No AGP\r\n") << agpLine;
    EXPECT_EQ(folder.ReadFile(kPrefs), prefs);
    // The start made the three data folders.
    for (const char* name : {"Scenarios", "Saved Games", "PBEM"})
      EXPECT_TRUE(std::filesystem::is_directory(folder.Native() + name)) << name;
  }
}

TEST(WRApplicationTest, AsTheGamesServicesItResetsCameraOptionsAndKeepsTheInputMode) {
  TestFolder folder(true);
  WRApplication app;
  MapAppServices& services = app;
  app.SetOption(WRApplication::kOptionCameraDip, 5);
  app.SetOption(WRApplication::kOptionZoom, 3);
  services.Battlefield().ResetCameraDipAndZoom();
  EXPECT_EQ(services.GetOption(40), 0);
  EXPECT_EQ(services.GetOption(41), 1);
  services.SetInputMode(InputModes::kSelectionDrag);
  EXPECT_EQ(services.GetInputMode(), InputModes::kSelectionDrag);
  EXPECT_EQ(services.GetBattleOrOperation(), nullptr);
  EXPECT_EQ(services.GetOperation(), nullptr);
  // The terrain code table is built into the map: an imported grid decodes from the start.
  int16_t terrain = 0;
  int16_t road = 0;
  uint8_t fire = 0;
  TerrainCodeTable::DecodeTerrainCode(2, terrain, road, fire);
  EXPECT_EQ(terrain, 13);
}

// The start loads the built-in tables for the whole run; the application's end frees them.
TEST(WRApplicationTest, StartLoadsTheBuiltInTablesAndTheEndFreesThem) {
  TestFolder folder(true);
  GErrorLog::ResetForTests();
  {
    GKernel kernel;
    kernel.FindProgramFolder();
    // The temporary file's name comes from the generator: one of this process's own.
    SeedRandom(static_cast<uint32_t>(getpid()) * 2654435761u + TickCount());
    auto* app = new WRApplication();
    app->StartApplication();
    EXPECT_GE(gWeapons.Count(), 105);
    EXPECT_EQ(gFormations.Count(), 129);
    delete app;
    EXPECT_EQ(gWeapons.Count(), 0);
    EXPECT_EQ(gVehicleClasses.Count(), 0);
  }
  GErrorLog::ResetForTests();
}

// The unit code reaches the application through the battle services it holds and installs
// while it lives.
TEST(WRApplicationTest, TheApplicationServesTheUnitsWhileItLives) {
  TestFolder folder(true);
  GErrorLog::ResetForTests();
  {
    WRApplication app;
    EXPECT_EQ(GetUnitServices(), &app.Services());
    EXPECT_EQ(UnitApp(), &app);
    EXPECT_EQ(UnitBattle(), nullptr);
    EXPECT_FALSE(IsEditorOpen());
    EXPECT_EQ(UnitGameDate(), 4406);
  }
  EXPECT_EQ(GetUnitServices(), nullptr);
  EXPECT_EQ(UnitApp(), nullptr);
  GErrorLog::ResetForTests();
}
