#include <gtest/gtest.h>

#include <string>

#include "framework/core/GErrorLog.h"
#include "framework/media/ScreenTextRig.h"
#include "platform/PFakeBackEnd.h"

namespace {

constexpr uint16_t kBackground = 0x1234;

// The cursor picture as loaded: its pixel at (x, y).
uint16_t CursorPixel(int x, int y) {
  PBitmapFile::Image image;
  const std::string bytes = ReadWholeFile(BuildBitmapFolder() + "30010.bmp");
  EXPECT_TRUE(PBitmapFile::Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image));
  return static_cast<uint16_t>(PBitmapFile::ToPixel(image.pixels[static_cast<size_t>(y) * image.width + x],
                                                    PPixelFormat::kRGB565));
}

TEST(GGraph3DCursor, DrawnWithMagentaLeftOutAndNoWarpOnTheScreen) {
  ScreenTextRig rig(64, 48, true);
  ASSERT_TRUE(rig.r->HasSoftwareCursor());
  rig.Clear(kBackground);
  rig.r->DrawCursor(10, 5);
  int drawn = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const uint16_t c = CursorPixel(x, y);
      if (x + 10 >= 64 || y + 5 >= 48) continue;
      EXPECT_EQ(rig.At(x + 10, y + 5), c == 0xF81F ? kBackground : c) << x << "," << y;
      drawn += c != 0xF81F;
    }
  }
  EXPECT_GT(drawn, 50);
  EXPECT_TRUE(static_cast<PFakeBackEnd&>(rig.graphics.window.BackEnd()).Warps().empty());
}

TEST(GGraph3DCursor, HeldOnTheScreenAndTheSystemCursorMovedThere) {
  ScreenTextRig rig(64, 48, true);
  auto& backEnd = static_cast<PFakeBackEnd&>(rig.graphics.window.BackEnd());
  rig.Clear(kBackground);
  // At the bottom-right corner: drawn at (width - 2, height - 3), what fits of it.
  rig.r->DrawCursor(63, 47);
  EXPECT_EQ(rig.At(62, 45), CursorPixel(0, 0));
  EXPECT_EQ(rig.At(63, 47), CursorPixel(1, 2) == 0xF81F ? kBackground : CursorPixel(1, 2));
  int shown = 0;
  for (int cy = 0; cy < 3; ++cy)
    for (int cx = 0; cx < 2; ++cx) shown += CursorPixel(cx, cy) != 0xF81F;
  EXPECT_EQ(rig.Count(kBackground), 64 * 48 - shown);
  int x = 0, y = 0;
  rig.graphics.window.GetCursorPos(x, y);
  EXPECT_EQ(x, 62);
  EXPECT_EQ(y, 45);
  EXPECT_EQ(backEnd.Warps().size(), 1u);
  // Left of and above the screen it is held at the edge too.
  rig.r->DrawCursor(-5, -9);
  rig.graphics.window.GetCursorPos(x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(rig.At(0, 0), CursorPixel(0, 0));
}

TEST(GGraph3DCursor, HidingAndShowing) {
  {
    ScreenTextRig rig(64, 48, true);
    rig.Clear(kBackground);
    rig.r->ShowCursor(false);
    rig.r->DrawCursor(10, 10);
    EXPECT_EQ(rig.Count(kBackground), 64 * 48);
    rig.r->ShowCursor(true);
    rig.r->DrawCursor(10, 10);
    EXPECT_LT(rig.Count(kBackground), 64 * 48);
  }
  // Without a separate 3-D card there is no software cursor: the system cursor is shown
  // and hidden instead.
  ScreenTextRig plain(64, 48, false);
  auto& backEnd = static_cast<PFakeBackEnd&>(plain.graphics.window.BackEnd());
  EXPECT_FALSE(plain.r->HasSoftwareCursor());
  plain.r->ShowCursor(false);
  EXPECT_FALSE(backEnd.CursorVisible());
  plain.r->ShowCursor(true);
  EXPECT_TRUE(backEnd.CursorVisible());
  plain.Clear(kBackground);
  plain.r->DrawCursor(10, 10);
  EXPECT_EQ(plain.Count(kBackground), 64 * 48);
}

TEST(GGraph3DVideoMemory, LoggedAndReportedToTheApplication) {
  ScreenTextRig rig(64, 48);
  rig.graphics.Log();
  rig.r->GetTotalVRAM();
  const int32_t kib = static_cast<int32_t>(PDisplay::kVideoMemory / 1024);
  EXPECT_EQ(rig.graphics.Log(), "Total VRAM (K) =  " + std::to_string(kib) + "\r\n");
  ASSERT_EQ(rig.host.reports.size(), 1u);
  EXPECT_EQ(rig.host.reports[0], kib);
  EXPECT_FALSE(rig.host.reportedNonLocal);

  // Without the display's figures nothing is reported.
  PFailureInjection::Arm("GetCaps", PResult::kGeneric);
  rig.r->GetTotalVRAM();
  EXPECT_EQ(rig.graphics.Log(), "GGraph3D::GetTotalVRAM GetCaps failure =  -2147467259\r\n");
  EXPECT_EQ(rig.host.reports.size(), 1u);
}

}  // namespace
