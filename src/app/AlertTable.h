#pragma once
#include <cstdint>

class GString;

// The program's numbered message boxes: the string ids of their one or two lines and the
// commands of their one ("OK") or two ("YES", "NO") buttons.
class AlertTable {
 public:
  struct Row {
    int32_t number;
    int32_t line1;    // string id; 0 for the play balance text, built by PlayBalanceText
    int32_t line2;    // string id, 0 for none
    int32_t command1; // OK or YES
    int32_t command2; // NO, or -1 for a box with one button
  };

  static constexpr int32_t kQuitQuestion = 15;
  static constexpr int32_t kPlayBalance = 8;
  static constexpr int32_t kReinforcements = 7;
  static constexpr int32_t kDamagedFile = 14;
  static constexpr int32_t kOverwrite = 24;
  static constexpr int32_t kNotSaved = 25;

  // The row of the number, or null for a number without a box (6 among them).
  static const Row* Find(int32_t number);
  // Numbers 0 to 5, the link's and the protocol's failures, replace an open box; the others
  // are dropped while one is open.
  static bool Replaces(int32_t number) { return number >= 0 && number <= 5; }
  // "Play Balance: Allied force has 25% extra troops": the value v as the battle keeps it,
  // v >= 2500 a force size of v - 5000 percent, else extra troops; negative names the Axis.
  static void PlayBalanceText(int32_t value, GString& text);
};
