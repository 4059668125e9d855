#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/ui/GView.h"
#include "game/map/BattlefieldView.h"
#include "game/map/Map.h"

class Battle;
class Campaign;
class GString;
class MapAppServices;
class Unit;

// The battlefield view: the full-width window above the control strip in which the map draws
// itself, with the status texts of the battle screen on top (the mode line, TCP/IP play's
// connection state, timer and radio lines, the set-up tips, the selection rectangle). The map
// owns it.
class MapView : public GView, public BattlefieldView {
 public:
  static constexpr int32_t kStripHeight = 90;
  static constexpr uint32_t kMessageMs = 1500;
  static constexpr int32_t kChatLines = 14;

  using ChatLayout = Map::ChatLayout;
  // A label's place and look: alignment -1 left, 0 centred, 1 right.
  struct Label {
    int32_t x = 0;
    int32_t y = 0;
    int32_t align = 0;
    uint8_t r = 0, g = 0, b = 0;
  };
  // One text the view draws over the map, with a black two-pixel shadow (alignment as above,
  // x and y in the view).
  struct Text {
    std::string text;
    int32_t x = 0;
    int32_t y = 0;
    int32_t align = 0;
    int32_t font = 0;
    uint8_t r = 0, g = 0, b = 0;
  };
  // One radio line as drawn: its text, the row it takes and the colour of its author.
  struct ChatRow {
    std::string text;
    int32_t row = 0;
    uint8_t r = 0, g = 0, b = 0;
  };

  // Makes a view of this size at the screen's top left, ticking every idle pass, on the map;
  // the caller hands it to the map.
  static MapView* Create(Map& map, int32_t width, int32_t height);
  static ChatLayout ChatLayoutFor(int32_t viewWidth, int32_t viewHeight, int32_t screenWidth) {
    return Map::ChatLayoutFor(viewWidth, viewHeight, screenWidth);
  }
  // The first chat line to draw and how many, walking back from the newest of the 14 lines.
  static void ChatLinesToDraw(const std::string (&lines)[kChatLines], int32_t shown, int32_t& first, int32_t& count);
  static Label PlaceLabel(int32_t x, int32_t y, int32_t colourCode, bool snow, int32_t viewWidth, int32_t viewHeight);
  // The green and blue of "Time Remaining: " for the seconds left.
  static uint8_t TimerShade(int32_t remaining) { return remaining <= 15 ? 125 : 220; }

  void Draw() override;
  // One or two lines of label text at a point of the view (a missing or empty first line
  // gives its place to the second); colour codes 1 orange, 2 yellow, 3 white (green on snow),
  // any other red.
  void DrawLabel(int32_t x, int32_t y, const GString* first, int32_t firstColour, const GString* second,
                 int32_t secondColour);
  // The lines such a label draws in a view of this size (none without a text).
  static std::vector<Text> LabelTexts(int32_t x, int32_t y, const char* first, int32_t firstColour, const char* second,
                                      int32_t secondColour, bool snow, int32_t viewWidth, int32_t viewHeight);

  // A short text that replaces the mode line for 1.5 s of frame time (empty hides it).
  void ShowMessage(const char* text, uint32_t frameTick);
  void ShowMessage(const char* text) override;
  // The mode line at this frame tick, or null for none; a message older than 1.5 s is still
  // given once, then dropped.
  const char* ModeLine(uint32_t frameTick, bool editor, bool setupPhase, bool locked);
  // The texts below the mode line for the application's state: TCP/IP play's connection
  // state, timer and requests, or the set-up tips.
  std::vector<Text> StatusTexts() const;
  // The radio lines to draw, on their rows.
  std::vector<ChatRow> ChatRows() const;

  Map* GetMap() const { return map_; }
  // The order overlay's texts, each with the black two-pixel shadow.
  void DrawOverlayTexts(const std::vector<Text>& texts) { DrawTexts(texts); }

  // ---- Mouse input: selection, picks and their completion (MapViewInput.cpp) ----
  void MouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control) override;
  void Track(int32_t x, int32_t y, uint8_t inside, uint8_t final) override;
  void MouseUp(int32_t x, int32_t y, uint8_t rightButton) override;
  void RightMouseDown(int32_t x, int32_t y) override;
  // Every idle pass: the replay's step, scrolling at the screen edge, in TCP/IP play the radio
  // lines' expiry and the transfer progress view's redraw, the camera counter, and the notice
  // of reinforcements that arrived for the side to play.
  void TickAction() override;
  // The arrival flags of the side (0 or 1) in the battle and the operation (either may be
  // null): true when either was set, and both are cleared.
  static bool TakeArrivalNotice(Battle* battle, Campaign* operation, int32_t side);
  // Turns or moves the camera by the screen edge's directions (shift slides sideways instead
  // of turning); nothing while the view is hidden or an alert is up (mode 9). A pick whose
  // unit or waypoint the scroll dropped ends. True when the camera moved.
  bool ScrollAtEdge(int32_t dx, int32_t dy, bool shift);
  // The selection steps of a press once the pick has found its unit (null on empty ground);
  // control is the keyboard's. MouseDown picks and then calls it.
  void ClickOn(int32_t x, int32_t y, Unit* picked, bool doubleClick, bool shift, bool control);
  // The unit a pick in progress found under the pointer (null for none) kept as the map's
  // hovered unit when the pick's mode allows it. Track picks and then calls it.
  void HoverOn(Unit* picked);
  // Draws the map twice for a pick at the point and takes the ground point under it.
  void PickAt(int32_t x, int32_t y);
  // The renderer's picked point as the map's picked ground point; false when there is none.
  bool PickGroundPoint();
  // The selected waypoint as it was before the last press (-1 for none).
  static int32_t waypointMemory;
  // ---- End of mouse input ----
  // The set-up tips show until the first orders menu opens.
  static bool showOrdersMenuTip;

 private:
  void DrawTexts(const std::vector<Text>& texts);
  // Gives the view the projection of the map's last frame, which its picks look through.
  void UseFrameProjection();
  void DrawChat();

  Map* map_ = nullptr;
  uint32_t messageTick_ = 0;
  bool messageShown_ = false;
  std::string message_;
  std::string modeLine_;  // the mode line's text from the string table
};
