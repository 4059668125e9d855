// The vehicle models' contact sheet: the same bytes on every run, every view holding its whole
// model, and slot 36's barrel ending on its flash point in the side view. The runs draw only the
// sheet checked here (every slot is drawn by the model tests).
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/PBitmapFile.h"
#include "support/TestFolder.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ModelSheetTool, TheSheetsAreTheSameOnEveryRunHoldEachModelWholeAndSlot36StandsOnTheGround) {
  TestFolder folder;
  const std::string base = folder.Native() + "model_sheet_";
  std::string sheets[2];
  for (int run = 0; run < 2; ++run) {
    const std::string dir = base + std::to_string(run);
    ASSERT_EQ(std::system(("mkdir -p " + dir).c_str()), 0);
    const std::string command = std::string("SDL_VIDEODRIVER=dummy ") + MODEL_SHEET + " " TARVANE_MODEL_DIR " " + dir +
                                " --entries --only models-b.bmp >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    sheets[run] = ReadAll(dir + "/models-b.bmp");
  }
  ASSERT_FALSE(sheets[0].empty());
  EXPECT_EQ(sheets[0], sheets[1]);
  PBitmapFile::Image image;
  ASSERT_TRUE(PBitmapFile::Decode(reinterpret_cast<const uint8_t*>(sheets[0].data()), sheets[0].size(), image));
  // Nine slots, four a row of three 192 x 144 cells.
  EXPECT_EQ(image.width, 4 * 3 * 192);
  EXPECT_EQ(image.height, 3 * 144);
  // Slot 36 is the second. Its side view shows 0.36 model units across 192 pixels about (y, z) =
  // (0.02, 0.08), +y to the right: the barrel's tip is the rightmost drawn pixel and lies within
  // 2 pixels of the flash point (y 0.15815791, z 0.071137466).
  const int32_t left = 3 * 192;
  const uint32_t background = image.pixels[static_cast<size_t>(143 * image.width + left + 191)];
  const double perUnit = 192.0 / 0.36;
  const double flashX = 96.0 + (0.15815791 - 0.02) * perUnit, flashY = 72.0 + (0.08 - 0.071137466) * perUnit;
  int32_t tipX = -1, tipY = -1;
  for (int32_t y = 20; y < 144; ++y)
    for (int32_t x = 0; x < 192; ++x)
      if (image.pixels[static_cast<size_t>(y * image.width + left + x)] != background && x > tipX) {
        tipX = x;
        tipY = y;
      }
  EXPECT_NEAR(tipX + 0.5, flashX, 2.0);
  EXPECT_NEAR(tipY + 0.5, flashY, 2.0);
  // No view is cut off at its cell's edges: not the Churchill's trailer (slot 46, the third) nor
  // a long gun; the labels stand in the cells' top rows.
  for (int32_t cell = 0; cell < 9 * 3; ++cell) {
    const int32_t cellLeft = (cell / 3 % 4 * 3 + cell % 3) * 192, cellTop = cell / 12 * 144;
    int32_t touching = 0;
    for (int32_t y = 16; y < 144; ++y)
      for (int32_t x : {0, 191})
        touching += image.pixels[static_cast<size_t>((cellTop + y) * image.width + cellLeft + x)] != background ? 1 : 0;
    for (int32_t x = 0; x < 192; ++x)
      touching += image.pixels[static_cast<size_t>((cellTop + 143) * image.width + cellLeft + x)] != background ? 1 : 0;
    EXPECT_EQ(touching, 0) << "slot " << cell / 3 << " of the sheet, view " << cell % 3;
  }
}

}  // namespace
