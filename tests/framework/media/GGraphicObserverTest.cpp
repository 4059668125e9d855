#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "framework/media/GGraphic.h"
#include "framework/media/GraphicsTestHost.h"
#include "support/ResourceRecorder.h"

// Every numbered bitmap looked up is told to the resource observer with the program's own
// BMP folder, found or not; a handle that shares a loaded stub reads no file and is not told.
TEST(GGraphicObserver, BitmapLookUpsAreNotedWithTheProgramsBitmapFolder) {
  GraphicsTestHost host;
  host.WriteSolid(7, 2, 2, 0x808000);
  ResourceRecorder recorder;
  auto a = std::make_unique<GGraphic>();
  auto b = std::make_unique<GGraphic>();
  auto missing = std::make_unique<GGraphic>();
  ASSERT_TRUE(a->Load(0, 7));
  ASSERT_TRUE(b->Load(0, 7));
  EXPECT_FALSE(missing->Load(1, 9, 0, true));
  const std::string folder = host.folder.Program() + "BMP\\";
  EXPECT_EQ(recorder.Requests(PResourceObserver::Kind::kBitmap, folder), (std::set<int32_t>{7, 9}));
  EXPECT_TRUE(recorder.Requests(PResourceObserver::Kind::kBitmap, "Elsewhere\\BMP\\").empty());
  EXPECT_TRUE(recorder.Requests(PResourceObserver::Kind::kSound).empty());
}
