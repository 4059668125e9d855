#include <gtest/gtest.h>

#include <string>

#include "framework/core/GErrorLog.h"
#include "framework/kernel/GKernel.h"
#include "platform/PFailureInjection.h"
#include "platform/PSurfaceOps.h"
#include "support/TestFolder.h"

namespace {

// A kernel drawing on two in-memory screen buffers, logging into a test folder.
class GKernelDraw2D : public testing::Test {
 protected:
  explicit GKernelDraw2D(PPixelFormat format = PPixelFormat::kRGB565)
      : folder_(true), front_(640, 480, format), back_(640, 480, format) {
    GErrorLog::ResetForTests();
    GKernel::ResetBlitFailureMarkerForTests();
    PFailureInjection::Reset();
    kernel_.SetDisplayObjects(nullptr, &front_, &back_);
    kernel_.SetScreenSize(640, 480);
    kernel_.ReadPixelFormat();
  }
  ~GKernelDraw2D() override {
    GErrorLog::ResetForTests();
    PFailureInjection::Reset();
  }

  std::string Log() {
    GErrorLog::Close();
    return folder_.ReadFile(GErrorLog::kFileName);
  }
  static int Count(const PSurface& s, uint16_t value) {
    int n = 0;
    for (int32_t y = 0; y < s.Height(); ++y)
      for (int32_t x = 0; x < s.Width(); ++x) n += s.Row16(y)[x] == value;
    return n;
  }

  TestFolder folder_;
  PSurface front_;
  PSurface back_;
  GKernel kernel_;
};

class GKernelDraw2D555 : public GKernelDraw2D {
 protected:
  GKernelDraw2D555() : GKernelDraw2D(PPixelFormat::kARGB1555) {}
};

TEST_F(GKernelDraw2D, ReadsThe565FormatAndConvertsBothWays) {
  const GKernel::PixelFormat& f = kernel_.GetPixelFormat();
  EXPECT_EQ(f.redShift, 11);
  EXPECT_EQ(f.greenShift, 5);
  EXPECT_EQ(f.blueShift, 0);
  EXPECT_EQ(f.redLoss, 3);
  EXPECT_EQ(f.greenLoss, 2);
  EXPECT_EQ(f.blueLoss, 3);
  EXPECT_EQ(kernel_.RGBToPixel(255, 0, 255), 0xF81Fu);
  EXPECT_EQ(kernel_.RGBToPixel(0x1FF, 0x100, 0x2FF), 0xF81Fu);  // only the low 8 bits count
  EXPECT_EQ(kernel_.GetColorKey()->low, 0xFFFFF81Fu);
  EXPECT_EQ(kernel_.GetColorKey()->high, 0xFFFFF81Fu);
  EXPECT_EQ(gBlackPixel, 0);
  EXPECT_EQ(gWhitePixel, 0xFFFF);
  EXPECT_EQ(kernel_.PixelToARGB(0xFFFF), 0xFFFFFFFFu);
  EXPECT_EQ(kernel_.PixelToARGB(0), 0xFF000000u);
  EXPECT_EQ(kernel_.PixelToARGB(0xF81F), 0xFFFF00FFu);
  for (uint32_t p = 0; p < 65536; ++p) {
    const uint32_t argb = kernel_.PixelToARGB(static_cast<uint16_t>(p));
    ASSERT_EQ(argb >> 24, 0xFFu);
    ASSERT_EQ(kernel_.RGBToPixel((argb >> 16) & 255, (argb >> 8) & 255, argb & 255), p) << p;
  }
  EXPECT_EQ(Log(), "Red bitmask   =  63488\r\nGreen bitmask =  2016\r\nBlue bitmask  =  31\r\n");
}

TEST_F(GKernelDraw2D555, ReadsThe555FormatAndKeepsWhiteWhite) {
  const GKernel::PixelFormat& f = kernel_.GetPixelFormat();
  EXPECT_EQ(f.redShift, 10);
  EXPECT_EQ(f.greenShift, 5);
  EXPECT_EQ(f.blueShift, 0);
  EXPECT_EQ(f.redLoss, 3);
  EXPECT_EQ(f.greenLoss, 3);
  EXPECT_EQ(f.blueLoss, 3);
  EXPECT_EQ(kernel_.GetColorKey()->low, 0x7C1Fu);
  EXPECT_EQ(gWhitePixel, 0x7FFF);
  EXPECT_EQ(kernel_.PixelToARGB(0x7FFF), 0xFFFFFFFFu);
  // The unused top bit is not part of red: white written as 0xFFFF stays white.
  EXPECT_EQ(kernel_.PixelToARGB(0xFFFF), 0xFFFFFFFFu);
  EXPECT_EQ(kernel_.PixelToARGB(0x8000), 0xFF000000u);
  for (uint32_t p = 0; p < 32768; ++p) {
    const uint32_t argb = kernel_.PixelToARGB(static_cast<uint16_t>(p));
    ASSERT_EQ(kernel_.RGBToPixel((argb >> 16) & 255, (argb >> 8) & 255, argb & 255), p) << p;
  }
  // A line, an outline and a fill of one pixel value show the same colour.
  kernel_.FillRect(GRect{0, 0, 9, 9}, 0x3DEF);
  kernel_.FrameRect(GRect{20, 20, 30, 30}, 0x3DEF);
  kernel_.DrawLine(40, 5, 50, 5, 0x3DEF, 1);
  EXPECT_EQ(Count(back_, 0x3DEF), 100 + 40 + 10);
}

TEST_F(GKernelDraw2D, FillRectIncludesRightAndBottomUpToTheBorder) {
  kernel_.FillRect(GRect{0, 0, 639, 479}, 0x1234);
  EXPECT_EQ(Count(back_, 0x1234), 640 * 480);
  kernel_.FillRect(GRect{0, 0, 640, 480}, 0x4321);
  EXPECT_EQ(Count(back_, 0x4321), 640 * 480);
  kernel_.FillRect(GRect{100, 100, 109, 104}, 7);
  EXPECT_EQ(Count(back_, 7), 10 * 5);
  // A rectangle crossing the edge draws nothing and is no error.
  kernel_.FillRect(GRect{600, 10, 700, 20}, 9);
  kernel_.FillRect(GRect{-5, 10, 20, 20}, 9);
  EXPECT_EQ(Count(back_, 9), 0);
  EXPECT_EQ(Count(front_, 0), 640 * 480);  // the front buffer untouched
}

TEST_F(GKernelDraw2D, LinesOutlinesAndTheDrawingSurface) {
  kernel_.DrawLine(5, 6, 14, 6, 0xFFFF, 1);
  EXPECT_EQ(Count(back_, 0xFFFF), 9);
  for (int x = 5; x <= 13; ++x) EXPECT_EQ(back_.Row16(6)[x], 0xFFFF);
  kernel_.FrameRect(GRect{100, 100, 110, 105}, 0x07E0);
  EXPECT_EQ(Count(back_, 0x07E0), 2 * 11 + 2 * 4);  // right and bottom edges included
  EXPECT_EQ(back_.Row16(105)[110], 0x07E0);
  kernel_.DrawLine(200, 200, 200, 220, 0xF800, 3);
  EXPECT_EQ(back_.Row16(210)[199], 0xF800);
  EXPECT_EQ(back_.Row16(210)[201], 0xF800);

  kernel_.SetDrawToFront(true);
  EXPECT_EQ(kernel_.GetDrawingSurface(), &front_);
  kernel_.FillRect(GRect{0, 0, 0, 0}, 0x001F);
  EXPECT_EQ(front_.Row16(0)[0], 0x001F);
  EXPECT_EQ(Count(front_, 0x001F), 1);
  kernel_.SetDrawToFront(false);
}

TEST_F(GKernelDraw2D, CopyRectToFrontOnlyWhileActive) {
  kernel_.FillRect(GRect{0, 0, 639, 479}, 0x5555);
  kernel_.CopyRectToFront(GRect{10, 20, 30, 25});
  EXPECT_EQ(Count(front_, 0x5555), 20 * 5);
  kernel_.CopyRectToFront(GRect{50, 50, 50, 60});  // empty: nothing to copy, no failure
  EXPECT_EQ(Count(front_, 0x5555), 20 * 5);
  kernel_.SetActive(false);
  kernel_.CopyRectToFront(GRect{0, 0, 640, 480});
  EXPECT_EQ(Count(front_, 0x5555), 20 * 5);
}

TEST_F(GKernelDraw2D, BlitCopiesAndDescribesOnlyTheFirstFailure) {
  PSurface picture(4, 3, PPixelFormat::kRGB565);
  PSurfaceOps::ColorFill(picture, nullptr, 0xF81F);
  picture.SetColorKey(0xF81F);  // the kernel's blit copies without the key
  GRect all{0, 0, 4, 3};
  kernel_.Blit(&picture, 10, 10, &all);
  EXPECT_EQ(Count(back_, 0xF81F), 12);

  GErrorLog::ResetForTests();  // a fresh log without the pixel format lines
  PFailureInjection::Arm("BltFast", PResult::kSurfaceBusy, 2);
  GRect part{1, 0, 3, 2};
  kernel_.Blit(&picture, 100, 50, &part);  // the second try succeeds
  EXPECT_EQ(back_.Row16(51)[101], 0xF81F);
  const std::string first = Log();
  EXPECT_EQ(first,
            "Drawing to back\r\n"
            "Blit result =  -2005532242\r\n"
            "DDERR_EXCEPTION =  -2005532617\r\n"
            "DDERR_GENERIC =  -2147467259\r\n"
            "DDERR_INVALIDOBJECT =  -2005532542\r\n"
            "DDERR_INVALIDPARAMS =  -2147024809\r\n"
            "DDERR_INVALIDRECT =  -2005532522\r\n"
            "DDERR_NOBLTHW =  -2005532097\r\n"
            "DDERR_SURFACEBUSY =  -2005532242\r\n"
            "DDERR_SURFACELOST =  -2005532222\r\n"
            "DDERR_UNSUPPORTED =  -2147467263\r\n"
            "DDERR_WASSTILLDRAWING =  -2005532132\r\n"
            "source->left =  1\r\n"
            "source->right =  3\r\n"
            "source->top =  0\r\n"
            "source->bottom =  2\r\n"
            "xDest =  100\r\n"
            "yDest =  50\r\n"
            "Quorl screen width =  640\r\n"
            "Quorl screen height =  480\r\n");
  GErrorLog::ResetForTests();
  GErrorLog::LogError("start");
  kernel_.Blit(&picture, 200, 50, &part);  // fails again: nothing more in the log
  EXPECT_EQ(back_.Row16(51)[201], 0xF81F);
  EXPECT_EQ(Log(), "start\r\n");
}

TEST_F(GKernelDraw2D, ThreeDDrawingGoesToTheRenderer) {
  int fills = 0;
  int lines = 0;
  GKernel::Renderer2D routes;
  routes.fillRect = [&](const GRect& r, uint16_t c) { fills += r.right == 5 && c == 3; };
  routes.drawLine = [&](int32_t, int32_t, int32_t, int32_t, uint16_t, int16_t w) { lines += w; };
  routes.textWidth = [](const char*, size_t length, int32_t font) { return static_cast<int32_t>(length) * 100 + font; };
  kernel_.SetRenderer2D(routes);
  kernel_.Set3DFlag(true);
  kernel_.FillRect(GRect{0, 0, 5, 5}, 3);
  kernel_.DrawLine(0, 0, 5, 5, 3, 2);
  kernel_.FrameRect(GRect{0, 0, 5, 5}, 3);
  EXPECT_EQ(fills, 1);
  EXPECT_EQ(lines, 2 + 4);
  EXPECT_EQ(TextWidth("abc", 1), 301);
  EXPECT_EQ(Count(back_, 3), 0);
  kernel_.Set3DFlag(false);
}

TEST_F(GKernelDraw2D, CameraCounter) {
  kernel_.SetCameraCounter(true);
  EXPECT_EQ(kernel_.GetCameraCounter(), 1);
  kernel_.RaiseCameraCounter();
  kernel_.SetCameraCounter(true);  // only from 0
  EXPECT_EQ(kernel_.GetCameraCounter(), 2);
  for (int i = 0; i < 1200; ++i) kernel_.RaiseCameraCounter();
  EXPECT_EQ(kernel_.GetCameraCounter(), 999);
  kernel_.SetCameraCounter(false);
  kernel_.LowerCameraCounter();
  EXPECT_EQ(kernel_.GetCameraCounter(), 0);
}

using GKernelDraw2DDeathTest = GKernelDraw2D;

TEST_F(GKernelDraw2DDeathTest, FatalWhenBothBlitTriesFailOrInThreeDMode) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  PSurface picture(4, 3, PPixelFormat::kRGB565);
  GRect outside{0, 0, 5, 3};  // wider than the picture: both tries fail
  EXPECT_EXIT(kernel_.Blit(&picture, 0, 0, &outside), testing::ExitedWithCode(3), "ERROR: GKernel line 5283");
  EXPECT_EXIT(
      {
        kernel_.Set3DFlag(true);
        kernel_.SetDrawToFront(true);
      },
      testing::ExitedWithCode(3), "ERROR: GKernel line 4499");
  EXPECT_EXIT(
      {
        PSurface wide(8, 8, PPixelFormat::kXRGB8888);
        kernel_.SetDisplayObjects(nullptr, &front_, &wide);
        kernel_.ReadPixelFormat();
      },
      testing::ExitedWithCode(3), "ERROR: GKernel line 5539");
}

}  // namespace
