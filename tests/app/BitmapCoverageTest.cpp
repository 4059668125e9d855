#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "BitmapCatalogueTable.h"
#include "app/ProgramStart.h"
#include "app/WRApplication.h"
#include "framework/core/GErrorLog.h"
#include "framework/kernel/GKernel.h"
#include "platform/PBackEnd.h"
#include "platform/PDisplay.h"
#include "support/ResourceRecorder.h"
#include "support/TestFolder.h"

// Headless runs of the real program with the build's bitmaps: every bitmap number it asks
// for in its own BMP folder must have a row in the bitmap catalogue.
namespace {

const std::filesystem::path kBuild = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path();

void CopyBuiltBitmaps(const TestFolder& folder) {
  std::filesystem::create_directories(folder.Native() + "BMP");
  for (const auto& entry : std::filesystem::directory_iterator(kBuild / "BMP")) {
    const std::string name = entry.path().filename().string();
    if (name == "contact-ui.bmp" || entry.path().extension() != ".bmp") continue;
    std::filesystem::copy_file(entry.path(), folder.Native() + "BMP/" + name);
  }
}

// A stored 640 x 480 choice of the software display, so the program starts its application.
std::string StoredPreset() {
  std::string prefs(105, '\0');
  prefs[1] = 1;
  prefs[1 + 2] = 1;
  const PGuid device = PDisplay::kDeviceGuid;
  for (int i = 0; i < 16; ++i) prefs[1 + 24 + i] = static_cast<char>(device.bytes[i]);
  prefs[1 + 40] = static_cast<char>(640 & 255);
  prefs[1 + 41] = static_cast<char>(640 >> 8);
  prefs[1 + 44] = static_cast<char>(480 & 255);
  prefs[1 + 45] = static_cast<char>(480 >> 8);
  for (int i = 0; i < 40; ++i) prefs[65 + i] = 1;
  return prefs;
}

// The numbers asked for in the program's BMP folder during one headless run.
std::set<int32_t> AskedFor(bool withPreset) {
  TestFolder folder(true);
  CopyBuiltBitmaps(folder);
  if (withPreset) folder.WriteFile("Tarvane Osmr Vel Prefs", StoredPreset());
  ResourceRecorder recorder;
  GErrorLog::ResetForTests();
  setenv(WRApplication::kQuitAfterVariable, "5", 1);
  auto* kernel = new GKernel();
  bool ok = false;
  kernel->Init(nullptr, &ok);
  EXPECT_TRUE(ok);
  if (ok) ProgramStart();
  delete kernel;
  unsetenv(WRApplication::kQuitAfterVariable);
  GErrorLog::ResetForTests();
  return recorder.Requests(PResourceObserver::Kind::kBitmap, folder.Program() + "BMP\\");
}

std::string WithoutRows(const std::set<int32_t>& asked) {
  std::set<int32_t> rows;
  for (size_t i = 0; i < kBitmapCatalogueSize; ++i) rows.insert(kBitmapCatalogue[i].number);
  std::string missing;
  for (int32_t n : asked)
    if (rows.count(n) == 0) missing += (missing.empty() ? "" : ", ") + std::to_string(n);
  return missing;
}

}  // namespace

TEST(BitmapCoverageTest, EveryBitmapTheProgramAsksForHasACatalogueRow) {
  for (bool withPreset : {false, true}) {
    SCOPED_TRACE(withPreset ? "stored display" : "first start");
    const std::set<int32_t> asked = AskedFor(withPreset);
    EXPECT_EQ(asked.count(30000), 1u);  // the renderer's fonts at least
    EXPECT_EQ(WithoutRows(asked), "") << "bitmaps asked for without a row in data/bitmaps.txt";
  }
}

TEST(BitmapCoverageTest, ANumberWithoutARowIsListed) {
  EXPECT_EQ(WithoutRows({30000, 2009, 5, 32000}), "5, 32000");
}
