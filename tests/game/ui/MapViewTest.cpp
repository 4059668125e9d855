// The battlefield view's sizes, chat walk, labels, timer shade and mode line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/ui/UiRig.h"
#include "game/map/Map.h"
#include "game/map/WindowlessMapApp.h"
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

namespace {

// The application as the battlefield view reads it: TCP/IP play's state, timer and radio
// lines set by each test, and the view made through the factory the screen layer supplies.
class ViewApp : public WindowlessMapApp {
 public:
  int8_t GetOption(int32_t) const override { return 0; }
  int32_t GetInputMode() const override { return 0; }
  void SetInputMode(int32_t) override {}
  bool IsNetworkOrdersLocked() const override { return false; }
  int32_t GetCurrentSide() const override { return side; }
  int32_t GetHumanPlayers() const override { return 1; }
  int32_t GetHumanSide() const override { return side; }
  int32_t GetConnectionType() const override { return connection; }
  int32_t GetGameDate() const override { return 4406; }
  int32_t GetFileVersion() const override { return 4; }
  MapBattleServices* GetBattleOrOperation() override { return nullptr; }
  MapBattleServices* GetOperation() override { return nullptr; }
  int32_t GetScreenWidth() const override { return 800; }
  GObject* NewBattlefieldView(Map& map, int32_t width, int32_t height) override {
    return MapView::Create(map, width, height);
  }
  TurnExchange& Exchange() override { return link_; }
  bool UsesAlternateHeightBands() const override { return false; }
  float GetFrameRate() const override { return 40.0f; }
  int32_t GetFrameTime() const override { return 25; }
  bool CanBlend() const override { return false; }
  GObject* NewFigurePrototype(int32_t) override { return nullptr; }
  void PrepareFigureAppearance(GObject*) override {}
  void ReleaseFigureAppearance(GObject*) override {}
  void SetCurrentFileName(const char*) override {}
  int32_t side = 0;
  int32_t connection = 0;
  int32_t chatLines = 0;
  int32_t chatWidth = 0;
  int32_t state = 0;
  int32_t limit = 0;
  bool started = false;
  int32_t remaining = 0;
  bool stopped = false;
  bool noOrders = false;
  bool ownOff = false;
  bool opponentOff = false;
  std::string radio[MapView::kChatLines];
  int32_t authors[MapView::kChatLines] = {};

 private:
  struct Link : WindowlessExchange {
    explicit Link(ViewApp& app) : app(app) {}
    void SetChatSizes(int32_t lines, int32_t width) override {
      app.chatLines = lines;
      app.chatWidth = width;
    }
    int32_t GetChatLinesShown() const override { return app.chatLines; }
    int32_t GetNetworkStateForView() const override { return app.state; }
    int32_t GetTurnTimeLimit() const override { return app.limit; }
    bool IsOrdersClockStarted() const override { return app.started; }
    int32_t GetTimeRemaining() const override { return app.remaining; }
    bool IsTurnClockStopped() const override { return app.stopped; }
    bool IsNoOrdersTurn() const override { return app.noOrders; }
    bool IsTimerOffRequested(bool opponent) const override { return opponent ? app.opponentOff : app.ownOff; }
    const char* GetRadioLine(int32_t index, int32_t* author) const override {
      *author = app.authors[index];
      return app.radio[index].c_str();
    }
    ViewApp& app;
  } link_{*this};
};

class MapViewScreen : public UiRig {
 protected:
  MapViewScreen() { map_.Read(nullptr); }
  MapView& View() { return *dynamic_cast<MapView*>(map_.display.battleView); }
  std::vector<std::string> Lines() {
    std::vector<std::string> out;
    for (const MapView::Text& t : View().StatusTexts()) out.push_back(t.text);
    return out;
  }
  ViewApp app_;
  Map map_{app_};
};

}  // namespace

TEST_F(MapViewScreen, TheMapMakesItsViewOverTheScreenLessTheStripWithTheChatInTcpIpPlay) {
  map_.CreateView();
  ASSERT_NE(map_.display.battleView, nullptr);
  EXPECT_EQ(View().Width(), 800);
  EXPECT_EQ(View().Height(), 510);
  EXPECT_EQ(View().GetTickInterval(), 0);
  EXPECT_EQ(map_.chatEntry, nullptr);
  map_.DeleteView();
  EXPECT_EQ(map_.display.battleView, nullptr);

  app_.connection = 2;
  map_.CreateView();
  EXPECT_EQ(app_.chatLines, 10);
  EXPECT_EQ(app_.chatWidth, 200);
  auto* entry = dynamic_cast<GView*>(map_.chatEntry);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->Bounds().left, 528);
  EXPECT_EQ(entry->Bounds().top, 468);
  EXPECT_FALSE(entry->IsVisible());
  // The message through the map replaces the mode line.
  map_.ShowViewMessage("Camera Dip = 2");
  EXPECT_STREQ(View().ModeLine(gKernel->GetFrameTick(), false, true, false), "Camera Dip = 2");
  map_.DeleteView();
  map_.ShowViewMessage("nothing to show it");  // no view: nothing happens
}

TEST_F(MapViewScreen, TcpIpTextsFollowTheConnectionAndTheClock) {
  map_.CreateView();
  // Outside TCP/IP play nothing but the set-up tips, and those only in the set-up phase.
  app_.state = 8;
  app_.limit = 120000;
  EXPECT_TRUE(Lines().empty());

  app_.connection = 2;
  app_.started = true;
  app_.remaining = 15;
  std::vector<MapView::Text> texts = View().StatusTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text, "TCP/IP: Waiting for opponent to complete orders");
  EXPECT_EQ(texts[0].y, 30);
  EXPECT_EQ(texts[1].text, "Time Remaining: 15");
  EXPECT_EQ(texts[1].x, 400 - 70);
  EXPECT_EQ(texts[1].align, -1);
  EXPECT_EQ(texts[1].g, 125);
  app_.remaining = 16;
  EXPECT_EQ(View().StatusTexts()[1].g, 220);
  // More than the limit left (the 75 s of grace) shows no time outside the set-up phase.
  app_.remaining = 121;
  EXPECT_EQ(Lines().size(), 1u);

  // The clock not started: disabled, unless the connection stopped it or the action computes.
  app_.started = false;
  EXPECT_EQ(Lines().back(), "Timer Disabled");
  app_.state = 15;
  EXPECT_EQ(Lines(), (std::vector<std::string>{"TCP/IP: Action being computed on opponent's computer..."}));
  app_.state = 4;
  EXPECT_EQ(Lines().size(), 1u);  // no timer while the scenario loads

  // The autosave notice and the opponent's request below it.
  app_.state = 0;
  app_.stopped = true;
  app_.noOrders = true;
  app_.opponentOff = true;
  texts = View().StatusTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].y, 60);
  EXPECT_EQ(texts[1].text, "Opponent requests that time limit be ignored for this turn.");
  EXPECT_EQ(texts[1].y, 75);
  app_.ownOff = true;
  EXPECT_EQ(View().StatusTexts()[1].text, "You have requested that the time limit be ignored for this turn.");
}

TEST_F(MapViewScreen, RadioLinesShowTheNewestOnesInTheirAuthorsColours) {
  app_.connection = 2;
  app_.side = 1;
  map_.CreateView();
  app_.chatLines = 3;
  app_.radio[0] = "hello";
  app_.authors[0] = 1;
  app_.radio[1] = "Connection made.";
  app_.authors[1] = 2;
  std::vector<MapView::ChatRow> rows = View().ChatRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].text, "hello");
  EXPECT_EQ(rows[0].b, 212);  // the side to play's own line
  EXPECT_EQ(rows[1].row, 1);
  EXPECT_EQ(rows[1].r, 180);  // a system line
  for (int32_t i = 0; i < MapView::kChatLines; ++i) {
    app_.radio[i] = "line " + std::to_string(i);
    app_.authors[i] = 0;
  }
  rows = View().ChatRows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].text, "line 11");
  EXPECT_EQ(rows[0].row, 0);
  EXPECT_EQ(rows[2].text, "line 13");
  EXPECT_EQ(rows[2].r + rows[2].g + rows[2].b, 255 * 3);  // the opponent's
  // A long line is drawn, clipped by the view.
  app_.radio[13] = std::string(250, 'w');
  RedrawAll();
}

TEST(MapViewLabels, AMissingFirstLineGivesItsPlaceToTheSecond) {
  std::vector<MapView::Text> lines = MapView::LabelTexts(400, 100, "", 1, "Heavily Damaged", 3, false, 800, 510);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, "Heavily Damaged");
  EXPECT_EQ(lines[0].y, 100);
  EXPECT_EQ(lines[0].r + lines[0].g + lines[0].b, 255 * 3);
  lines = MapView::LabelTexts(40, 600, "Pvt. Brandt", 2, "Rifle Squad", 1, true, 800, 510);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].y, 490);
  EXPECT_EQ(lines[1].y, 505);
  EXPECT_EQ(lines[0].align, -1);
  EXPECT_EQ(lines[1].g, 144);
  EXPECT_TRUE(MapView::LabelTexts(400, 100, nullptr, 1, "", 2, false, 800, 510).empty());
}
