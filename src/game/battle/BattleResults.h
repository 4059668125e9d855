#pragma once
#include <cstdint>
#include <string>
#include <vector>

// What the end of a battle comes to: each side's score share, its losses by category, its men
// still fit and the killed-in-action figure, the victory level, and the texts of the results
// screen with their places. The battle fills it whether or not a screen shows it, so the
// headless player and the tests read the outcome from here.
class BattleResults {
 public:
  // Loss categories, in the order of the rows.
  enum Category { kCasualties, kCaptured, kMortars, kGuns, kPillboxes, kVehicles, kAirplanes };
  static constexpr int32_t kCategories = 7;
  static constexpr int32_t kLevels = 9;  // 0 "Axis Total Victory" .. 4 "Draw" .. 8 "Allied Total Victory"
  static constexpr int32_t kDrawLevel = 4;
  // The results view's size, the row step and the columns' and result line's places.
  static constexpr int32_t kWidth = 640;
  static constexpr int32_t kHeight = 480;
  static constexpr int32_t kRowStep = 25;
  static constexpr int32_t kTop = 50;
  static constexpr int32_t kLabelWidth = 150;
  static constexpr int32_t kResultX = 245;
  static constexpr int32_t kPicture = 11102;

  // One text of the view: its left edge, top, width and text.
  struct Label {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    std::string text;
  };
  // One strip button of the view: the command it sends, its picture and its place.
  struct Button {
    int32_t command = 0;
    int32_t picture = 0;
    int32_t x = 0;
    int32_t y = 0;
  };

  // The victory level 0..8 from the two shares, each held at 0.01 or more.
  static int32_t LevelFromShares(float share0, float share1);
  // "Axis Total Victory" .. "Allied Total Victory"; empty outside 0..8.
  static std::string LevelName(int32_t level);
  // "count word", the singular for a count of 1; the casualties row adds " (K KIA)".
  static std::string LossRow(int32_t category, int32_t count, int32_t killedInAction);
  // The killed-in-action figure of a side: a fixed fraction (20% to 33%) of its casualties
  // picked by the side's share and both sides' men OK, the same on every machine.
  static int32_t KilledInAction(float share, int32_t menOk0, int32_t menOk1, int32_t casualties);
  // ---- The operation's lines ----
  // "1 battle complete out of 10", "2 battles complete out of 10".
  static std::string BattlesComplete(int32_t done, int32_t battles);
  // How many battles are left before the first night battle from the counter on: "Night is
  // falling", "One more battle before nightfall", "n battles before nightfall"; empty when
  // none of the remaining battles falls at night.
  static std::string NightfallLine(int32_t counter, int32_t battles, int32_t nightEvery, int32_t openingSlot);
  // ---- End of the operation's lines ----
  // The score shown for a share: trunc(share x 100 + 0.49).
  static int32_t ScorePercent(float share);

  // The label whose text is the given one, or null.
  const Label* FindLabel(const std::string& text) const;

  float share[2] = {};
  int32_t losses[2][kCategories] = {};
  int32_t menOk[2] = {};
  int32_t killedInAction[2] = {};
  int32_t level = -1;           // in an operation: -1 until it is over, then 4 + its result
  bool inOperation = false;
  bool operationOver = false;
  int32_t columnSide[2] = {};   // the side shown in the left and the right column
  std::vector<std::string> rows[2];  // per side index, the loss rows shown
  std::string resultLine;
  std::string nightLine;  // in a running operation
  std::vector<Label> labels;    // every text of the view, in the order made
  std::vector<Button> buttons;
};
