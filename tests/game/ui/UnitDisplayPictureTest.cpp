// The panel (overview and a tank) and the balloon (a tank and a squad) drawn with the build's
// bitmaps on the fake back-end and written as bitmap files into the test's folder (kept for a
// person to look at when TARVANE_SAVE_PICTURES names a path prefix); the test checks that the
// drawings put something on the screen.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "game/map/Map.h"
#include "game/ui/InfoPanel.h"
#include "game/ui/UnitDisplayRig.h"
#include "game/ui/UnitInfoBalloon.h"
#include "platform/PBitmapFile.h"

namespace {

namespace fs = std::filesystem;

class UnitDisplayPictureTest : public UnitDisplayRig {
 protected:
  static fs::path Built() { return fs::read_symlink("/proc/self/exe").parent_path().parent_path(); }
  // Copies the panel's bitmaps of the build into the test's program folder; false without them.
  bool CopyBitmaps() {
    std::vector<int32_t> numbers{10037};
    for (int32_t n = 420; n <= 425; ++n) numbers.push_back(n);
    for (int32_t n = 1000; n <= 1126; ++n) numbers.push_back(n);
    int32_t copied = 0;
    for (int32_t n : numbers) {
      std::ifstream in(Built() / "BMP" / (std::to_string(n) + ".bmp"), std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (bytes.empty()) continue;
      host_.folder.WriteFile("BMP/" + std::to_string(n) + ".bmp", bytes);
      folder_.WriteFile("BMP/" + std::to_string(n) + ".bmp", bytes);
      ++copied;
    }
    return copied > 50;
  }
  int32_t DistinctPixels(int32_t width, int32_t height) {
    std::vector<uint16_t> seen;
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        const uint16_t p = Pixel(x, y);
        if (std::find(seen.begin(), seen.end(), p) == seen.end()) seen.push_back(p);
      }
    }
    return static_cast<int32_t>(seen.size());
  }
  void Save(const std::string& name) {
    RedrawAll();
    EXPECT_TRUE(PBitmapFile::WriteSurface(Back(), folder_.Program() + name));
    if (const char* save = std::getenv("TARVANE_SAVE_PICTURES")) PBitmapFile::WriteSurface(Back(), save + name);
  }
};

TEST_F(UnitDisplayPictureTest, PanelAndBalloonPictures) {
  if (!CopyBitmaps()) GTEST_SKIP() << "the build's bitmaps are missing";
  const int32_t tank = FindClass(gVehicleClasses, [](const VehicleData& c) {
    return c.TurretSpeedClass() != 5 && c.MainArmour() > 0 && c.KindCode() != VehicleData::kKindEmplacement &&
           gWeapons.IsValid(c.MainWeapon()) && gWeapons[c.MainWeapon()].Type() >= 1 && gWeapons[c.MainWeapon()].Type() <= 3;
  });
  const int32_t squadClass = FindClass(gInfantryClasses, [](const InfantryData& c) {
    return c.IsSquad() != 0 && c.WeaponSlotCount() >= 3 && c.LeaderLevel() == 0;
  });
  ASSERT_GE(tank, 0);
  ASSERT_GE(squadClass, 0);
  Vehicle* v = AddVehicle(tank, 0);
  Infantry* squad = AddSquad(squadClass, 0);
  B().date = 4412;
  B().strengthRatio[0] = 0.9f;
  B().strengthRatio[1] = 0.75f;
  B().title.Assign("Hill 112");

  auto* panel = new InfoPanel;
  panel->SetUp(Root(), B());
  panel->SetScoreShares(0.62f, 0.38f);
  Save("unit_panel_overview.bmp");
  EXPECT_GT(DistinctPixels(365, 90), 4);
  B().selectedUnit = v;
  Save("unit_panel_tank.bmp");
  EXPECT_GT(DistinctPixels(365, 90), 4);
  B().selectedUnit = nullptr;
  delete panel;

  auto* balloon = new UnitInfoBalloon;
  balloon->Init(Root(), v);
  Save("unit_balloon_tank.bmp");
  EXPECT_GT(DistinctPixels(402, 390), 2);
  balloon->SetUnit(squad);
  Save("unit_balloon_squad.bmp");
  delete balloon;
}

}  // namespace
