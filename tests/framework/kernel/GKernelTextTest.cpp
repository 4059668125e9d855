#include <gtest/gtest.h>

#include <cstring>

#include "framework/kernel/GKernel.h"
#include "platform/PFont.h"

namespace {

class GKernelText : public testing::Test {
 protected:
  GKernelText() : front_(640, 480, PPixelFormat::kRGB565), back_(640, 480, PPixelFormat::kRGB565) {
    kernel_.SetDisplayObjects(nullptr, &front_, &back_);
    kernel_.SetScreenSize(640, 480);
    kernel_.ReadPixelFormat();
    kernel_.CreateFonts();
  }
  PSurface front_;
  PSurface back_;
  GKernel kernel_;
};

TEST_F(GKernelText, MeasuresAsTheFontsDraw) {
  ASSERT_EQ(gKernel, &kernel_);
  EXPECT_EQ(TextWidth(nullptr, 0), 0);
  EXPECT_EQ(TextWidth("", 0), 0);
  EXPECT_EQ(TextWidth("Resolution", 2), 70);
  const char* text = "ACCEPT";
  for (int32_t font = 0; font < 3; ++font) {
    const int32_t width = TextWidth(text, font);
    EXPECT_EQ(width, kernel_.SelectFont(font).TextWidth(text, std::strlen(text)));
    PSurface s(200, 30, PPixelFormat::kRGB565);
    kernel_.SelectFont(font).DrawText(s, text, std::strlen(text), 10, 20, gWhitePixel);
    int32_t right = -1;
    for (int32_t y = 0; y < 30; ++y)
      for (int32_t x = 0; x < 200; ++x)
        if (s.Row16(y)[x] == gWhitePixel) right = std::max(right, x);
    EXPECT_LT(right, 10 + width);
    EXPECT_GE(right, 10 + width - 3);
  }
  EXPECT_GT(TextWidth("ACCEPT", 0), TextWidth("ACCEPT", 1));
}

TEST_F(GKernelText, FatalForAnotherFontIndex) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(TextWidth("x", 3), testing::ExitedWithCode(3), "ERROR: GKernel line 5072");
  EXPECT_EXIT(
      {
        kernel_.SetDisplayObjects(nullptr, nullptr, nullptr);
        TextWidth("x", 0);
      },
      testing::ExitedWithCode(3), "ERROR: Quorl line 206");
}

}  // namespace
