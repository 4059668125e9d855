#include "platform/PSurfaceOps.h"

#include <gtest/gtest.h>

#include "platform/PFailureInjection.h"

namespace {

int CountPixels(const PSurface& s, uint16_t value) {
  int n = 0;
  for (int32_t y = 0; y < s.Height(); ++y)
    for (int32_t x = 0; x < s.Width(); ++x) n += s.Row16(y)[x] == value;
  return n;
}

TEST(PSurfaceOps, ColorFillRefusesRectanglesLeavingTheSurface) {
  PSurface s(64, 48, PPixelFormat::kRGB565);
  const PRect crossing{60, 10, 65, 20};
  EXPECT_EQ(PSurfaceOps::ColorFill(s, &crossing, 0xFFFF), PResult::kInvalidRect);
  EXPECT_EQ(PResultCode(PSurfaceOps::ColorFill(s, &crossing, 0xFFFF)), -2005532522);
  const PRect above{0, -1, 5, 5};
  EXPECT_EQ(PSurfaceOps::ColorFill(s, &above, 0xFFFF), PResult::kInvalidRect);
  EXPECT_EQ(CountPixels(s, 0), 64 * 48);  // nothing drawn
  const PRect inside{60, 10, 64, 20};
  EXPECT_EQ(PSurfaceOps::ColorFill(s, &inside, 0xFFFFF81F), PResult::kOk);
  EXPECT_EQ(CountPixels(s, 0xF81F), 4 * 10);
  EXPECT_EQ(s.Row16(10)[60], 0xF81F);
  EXPECT_EQ(s.Row16(9)[60], 0);
  EXPECT_EQ(PSurfaceOps::ColorFill(s, nullptr, 0x1234), PResult::kOk);
  EXPECT_EQ(CountPixels(s, 0x1234), 64 * 48);
}

TEST(PSurfaceOps, PositionedCopySkipsKeyPixelsAndChecksRectangles) {
  PSurface src(4, 2, PPixelFormat::kRGB565);
  const uint16_t row0[4] = {0xF81F, 1, 2, 0xF81F};
  const uint16_t row1[4] = {3, 0xF81F, 4, 5};
  for (int x = 0; x < 4; ++x) {
    src.Row16(0)[x] = row0[x];
    src.Row16(1)[x] = row1[x];
  }
  src.SetColorKey(0xFFFFF81F);  // a sign-extended key still compares on 16 bits
  PSurface dst(10, 10, PPixelFormat::kRGB565);
  PSurfaceOps::ColorFill(dst, nullptr, 7);
  ASSERT_EQ(PSurfaceOps::BltFast(dst, 3, 4, src, nullptr, true), PResult::kOk);
  EXPECT_EQ(dst.Row16(4)[3], 7);
  EXPECT_EQ(dst.Row16(4)[4], 1);
  EXPECT_EQ(dst.Row16(4)[5], 2);
  EXPECT_EQ(dst.Row16(4)[6], 7);
  EXPECT_EQ(dst.Row16(5)[3], 3);
  EXPECT_EQ(dst.Row16(5)[4], 7);
  // Without the key flag every pixel is copied.
  ASSERT_EQ(PSurfaceOps::BltFast(dst, 0, 0, src, nullptr, false), PResult::kOk);
  EXPECT_EQ(dst.Row16(0)[0], 0xF81F);
  // A part of the source.
  const PRect part{1, 1, 3, 2};
  ASSERT_EQ(PSurfaceOps::BltFast(dst, 8, 9, src, &part, true), PResult::kOk);
  EXPECT_EQ(dst.Row16(9)[8], 7);
  EXPECT_EQ(dst.Row16(9)[9], 4);
  // Nothing is clipped: copies that would leave either surface are refused whole.
  EXPECT_EQ(PSurfaceOps::BltFast(dst, 9, 0, src, nullptr, false), PResult::kInvalidRect);
  EXPECT_EQ(PSurfaceOps::BltFast(dst, -1, 0, src, nullptr, false), PResult::kInvalidRect);
  EXPECT_EQ(PSurfaceOps::BltFast(dst, 0x7FFFFFFF, 0, src, nullptr, false), PResult::kInvalidRect);
  const PRect outside{2, 0, 5, 2};
  EXPECT_EQ(PSurfaceOps::BltFast(dst, 0, 0, src, &outside, false), PResult::kInvalidRect);
  PSurface wide(4, 4, PPixelFormat::kXRGB8888);
  EXPECT_EQ(PSurfaceOps::BltFast(wide, 0, 0, src, nullptr, false), PResult::kUnsupported);
  // The two-rectangle copy does not stretch.
  const PRect d{0, 0, 8, 4};
  EXPECT_EQ(PSurfaceOps::Blt(dst, &d, src, nullptr, false), PResult::kUnsupported);
  const PRect same{5, 5, 9, 7};
  EXPECT_EQ(PSurfaceOps::Blt(dst, &same, src, nullptr, false), PResult::kOk);
  EXPECT_EQ(dst.Row16(6)[8], 5);
  PFailureInjection::Arm("BltFast", PResult::kSurfaceBusy);
  EXPECT_EQ(PSurfaceOps::BltFast(dst, 0, 0, src, nullptr, false), PResult::kSurfaceBusy);
  EXPECT_EQ(PSurfaceOps::BltFast(dst, 0, 0, src, nullptr, false), PResult::kOk);
}

TEST(PSurfaceOps, CopyWithinOneSurfaceOverlapping) {
  PSurface s(8, 1, PPixelFormat::kRGB565);
  for (int x = 0; x < 8; ++x) s.Row16(0)[x] = static_cast<uint16_t>(x);
  const PRect r{0, 0, 6, 1};
  ASSERT_EQ(PSurfaceOps::BltFast(s, 2, 0, s, &r, false), PResult::kOk);
  const uint16_t expected[8] = {0, 1, 0, 1, 2, 3, 4, 5};
  for (int x = 0; x < 8; ++x) EXPECT_EQ(s.Row16(0)[x], expected[x]);
}

TEST(PSurfaceOps, LinesLeaveTheirEndPointOut) {
  PSurface s(32, 32, PPixelFormat::kRGB565);
  PSurfaceOps::DrawLine(s, 5, 6, 14, 6, 0xFFFF, 1);
  EXPECT_EQ(CountPixels(s, 0xFFFF), 9);
  for (int x = 5; x <= 13; ++x) EXPECT_EQ(s.Row16(6)[x], 0xFFFF) << x;
  EXPECT_EQ(s.Row16(6)[14], 0);
  EXPECT_EQ(s.Row16(6)[4], 0);

  PSurface d(32, 32, PPixelFormat::kRGB565);
  PSurfaceOps::DrawLine(d, 0, 0, 10, 10, 5, 1);  // a diagonal: one pixel per step
  EXPECT_EQ(CountPixels(d, 5), 10);
  EXPECT_EQ(d.Row16(9)[9], 5);
  EXPECT_EQ(d.Row16(10)[10], 0);

  PSurface c(16, 16, PPixelFormat::kRGB565);
  PSurfaceOps::DrawLine(c, -100, 3, 100, 3, 9, 1);  // clipped, never written outside
  EXPECT_EQ(CountPixels(c, 9), 16);
  PSurfaceOps::DrawLine(c, 4, 4, 4, 4, 9, 1);  // no length: nothing
  EXPECT_EQ(CountPixels(c, 9), 16);

  PSurface w(32, 32, PPixelFormat::kRGB565);
  PSurfaceOps::DrawLine(w, 10, 10, 20, 10, 3, 3);  // a wide pen: 3 rows, the end point left out
  EXPECT_EQ(w.Row16(10)[21], 0);
  EXPECT_EQ(w.Row16(10)[20], 3);  // the tip of the last step reaches it
  EXPECT_EQ(w.Row16(10)[8], 0);
  for (int x = 9; x <= 20; ++x) {
    EXPECT_EQ(w.Row16(9)[x], 3) << x;
    EXPECT_EQ(w.Row16(10)[x], 3) << x;
    EXPECT_EQ(w.Row16(11)[x], 3) << x;
  }
  EXPECT_EQ(w.Row16(8)[15], 0);
  EXPECT_EQ(w.Row16(12)[15], 0);
}

TEST(PSurface, FlipSwapsPixelsNotObjects) {
  PSurface a(4, 4, PPixelFormat::kRGB565);
  PSurface b(4, 4, PPixelFormat::kRGB565);
  a.Row16(0)[0] = 1;
  b.Row16(0)[0] = 2;
  uint16_t* before = a.Row16(0);
  ASSERT_TRUE(a.SwapPixels(b));
  EXPECT_EQ(a.Row16(0)[0], 2);
  EXPECT_EQ(b.Row16(0)[0], 1);
  EXPECT_NE(a.Row16(0), before);
  PSurface other(5, 4, PPixelFormat::kRGB565);
  EXPECT_FALSE(a.SwapPixels(other));
}

}  // namespace
