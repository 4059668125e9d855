#pragma once
#include <cstdint>
#include <string>

#include "framework/ui/GView.h"

class Map;

// The battlefield view: the full-width window above the control strip in which the map draws
// itself, with the status texts of the battle screen on top (the mode line, the set-up tips,
// the selection rectangle). The map owns it.
class MapView : public GView {
 public:
  static constexpr int32_t kStripHeight = 90;
  static constexpr uint32_t kMessageMs = 1500;
  static constexpr int32_t kChatLines = 14;

  // The radio chat's sizes for a view of this size in TCP/IP play.
  struct ChatLayout {
    int32_t lines = 0;       // chat lines shown
    int32_t lineWidth = 0;   // pixels a chat line may take
    int32_t columns = 0;     // columns of the entry field
    int32_t entryX = 0;      // the entry field's place in the view
    int32_t entryY = 0;
    int32_t font = 0;        // 1 below 901 screen pixels wide, else 0
  };
  // A label's place and look: alignment -1 left, 0 centred, 1 right.
  struct Label {
    int32_t x = 0;
    int32_t y = 0;
    int32_t align = 0;
    uint8_t r = 0, g = 0, b = 0;
  };

  // Makes the view over the screen less the strip, ticking every idle pass, and gives it to
  // the map (which deletes it).
  static MapView* Create(Map& map, int32_t screenWidth, int32_t screenHeight);
  static ChatLayout ChatLayoutFor(int32_t viewWidth, int32_t viewHeight, int32_t screenWidth);
  // The first chat line to draw and how many, walking back from the newest of the 14 lines.
  static void ChatLinesToDraw(const std::string (&lines)[kChatLines], int32_t shown, int32_t& first, int32_t& count);
  static Label PlaceLabel(int32_t x, int32_t y, int32_t colourCode, bool snow, int32_t viewWidth, int32_t viewHeight);
  // The green and blue of "Time Remaining: " for the seconds left.
  static uint8_t TimerShade(int32_t remaining) { return remaining <= 15 ? 125 : 220; }

  void Draw() override;

  // A short text that replaces the mode line for 1.5 s of frame time (empty hides it).
  void ShowMessage(const char* text, uint32_t frameTick);
  // The mode line at this frame tick, or null for none; a message older than 1.5 s is still
  // given once, then dropped.
  const char* ModeLine(uint32_t frameTick, bool editor, bool setupPhase, bool locked);

  Map* GetMap() const { return map_; }
  // The set-up tips show until the first orders menu opens.
  static bool showOrdersMenuTip;

 private:
  Map* map_ = nullptr;
  uint32_t messageTick_ = 0;
  bool messageShown_ = false;
  std::string message_;
};
