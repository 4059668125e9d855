// The battlefield view's sizes, chat walk, labels, timer shade and mode line.
#include <gtest/gtest.h>

#include <string>

#include "framework/ui/UiRig.h"
#include "game/ui/MapView.h"

namespace {
class MapViewRig : public UiRig {};
}  // namespace

TEST(MapViewLayout, ChatSizesFollowTheViewAndTheFontTheScreen) {
  const MapView::ChatLayout small = MapView::ChatLayoutFor(800, 510, 800);
  EXPECT_EQ(small.lines, 10);
  EXPECT_EQ(small.lineWidth, 200);
  EXPECT_EQ(small.columns, 33);
  EXPECT_EQ(small.entryX, 528);
  EXPECT_EQ(small.entryY, 468);
  EXPECT_EQ(small.font, 1);
  const MapView::ChatLayout large = MapView::ChatLayoutFor(1024, 678, 1024);
  EXPECT_EQ(large.lines, 14);
  EXPECT_EQ(large.lineWidth, 256);
  EXPECT_EQ(large.columns, 42);
  EXPECT_EQ(large.entryX, 680);
  EXPECT_EQ(large.entryY, 636);
  EXPECT_EQ(large.font, 0);
  // A tall view still shows at most 14 lines; a very wide one at most 85 columns.
  EXPECT_EQ(MapView::ChatLayoutFor(4000, 3000, 4000).lines, 14);
  EXPECT_EQ(MapView::ChatLayoutFor(4000, 3000, 4000).columns, 85);
}

TEST(MapViewChat, TheWalkBackFindsTheNewestLinesToShow) {
  std::string lines[MapView::kChatLines];
  lines[0] = "first";
  lines[1] = "second";
  int32_t first = -1;
  int32_t count = -1;
  MapView::ChatLinesToDraw(lines, 3, first, count);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(count, 2);
  for (std::string& line : lines) line = "full";
  MapView::ChatLinesToDraw(lines, 3, first, count);
  EXPECT_EQ(first, 11);
  EXPECT_EQ(count, 3);
  for (std::string& line : lines) line.clear();
  MapView::ChatLinesToDraw(lines, 3, first, count);
  EXPECT_EQ(count, 0);
}

TEST(MapViewLabels, AlignmentClampAndColours) {
  EXPECT_EQ(MapView::PlaceLabel(99, 100, 3, false, 800, 510).align, -1);
  EXPECT_EQ(MapView::PlaceLabel(700, 100, 3, false, 800, 510).align, 0);
  EXPECT_EQ(MapView::PlaceLabel(701, 100, 3, false, 800, 510).align, 1);
  EXPECT_EQ(MapView::PlaceLabel(400, 2, 3, false, 800, 510).y, 15);
  EXPECT_EQ(MapView::PlaceLabel(400, 600, 3, false, 800, 510).y, 490);
  EXPECT_EQ(MapView::PlaceLabel(-40, 100, 3, false, 800, 510).x, 5);
  const MapView::Label white = MapView::PlaceLabel(400, 100, 3, false, 800, 510);
  EXPECT_EQ(white.r + white.g + white.b, 255 * 3);
  const MapView::Label green = MapView::PlaceLabel(400, 100, 3, true, 800, 510);
  EXPECT_EQ(green.r, 0);
  EXPECT_EQ(green.g, 200);
  const MapView::Label other = MapView::PlaceLabel(400, 100, 9, false, 800, 510);
  EXPECT_EQ(other.g, 30);
  EXPECT_EQ(MapView::TimerShade(15), 125);
  EXPECT_EQ(MapView::TimerShade(16), 220);
}

TEST_F(MapViewRig, AMessageReplacesTheModeLineForOneAndAHalfSeconds) {
  MapView view;
  EXPECT_STREQ(view.ModeLine(0, false, true, false), "SETUP PHASE");
  EXPECT_STREQ(view.ModeLine(0, true, true, false), "PREVIEW");
  EXPECT_STREQ(view.ModeLine(0, false, false, true), "VIEW LOCKED TO UNIT");
  EXPECT_EQ(view.ModeLine(0, false, false, false), nullptr);
  view.ShowMessage("Zoom = x2", 10000);
  EXPECT_STREQ(view.ModeLine(11500, false, true, false), "Zoom = x2");
  // Past 1.5 s it is given once more, then the mode line returns.
  EXPECT_STREQ(view.ModeLine(11501, false, true, false), "Zoom = x2");
  EXPECT_STREQ(view.ModeLine(11502, false, true, false), "SETUP PHASE");
  // An empty message hides the mode line as long.
  view.ShowMessage("", 20000);
  EXPECT_STREQ(view.ModeLine(21000, false, true, false), "");
  view.ShowMessage(std::string(100, 'x').c_str(), 30000);
  EXPECT_EQ(std::string(view.ModeLine(30000, false, false, false)).size(), 63u);
}
