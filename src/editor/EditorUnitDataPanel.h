#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/ui/GView.h"

class EditorState;
class Unit;

// The purchase screen's panel under the lists: what the unit or catalogue type under the mouse
// is (its name, men and weapons, or a vehicle's type, guns, armour and speed), or the members
// of a formation. A catalogue type is shown on a temporary unit the panel makes and owns.
class EditorUnitDataPanel : public GView {
 public:
  // One line of the panel's text: left-aligned at (x, y) in font 2.
  struct Line {
    std::string text;
    int32_t x;
    int32_t y;
    uint8_t r, g, b;
  };
  static constexpr int32_t kFont = 2;

  explicit EditorUnitDataPanel(EditorState& state) : state_(state) {}
  // Deletes the temporary unit.
  ~EditorUnitDataPanel() override;

  // Placed with the dark red background, showing nothing.
  void Setup(GView* parent, int32_t x, int32_t y, int32_t width, int32_t height);
  // A bought unit, or nothing for null.
  void ShowUnit(Unit* unit);
  // A catalogue type of kind 0..4 (4 a formation) and class; the same type again changes
  // nothing. The temporary unit takes the chosen force and experience.
  void ShowEntry(int32_t kind, int16_t classIndex);
  // The lines Draw writes.
  std::vector<Line> Compose() const;
  void Draw() override;

  Unit* shownUnit = nullptr;  // owned while entryFlag is set
  bool entryFlag = false;
  int32_t entryKind = 0;
  int32_t entryClass = 0;
  // How many temporary units the panel has made (also those made only to name a member).
  mutable int32_t temporariesMade = 0;

 private:
  // A unit like a bought one, leaving the game's generator as it was; failing is fatal
  // with the line given.
  Unit* MakeTemporary(int32_t kind, int32_t classIndex, int32_t line) const;
  void DropTemporary();
  void ComposeFormation(std::vector<Line>& out) const;
  void ComposeInfantry(const Unit& unit, std::vector<Line>& out) const;
  void ComposeVehicle(const Unit& unit, std::vector<Line>& out) const;

  EditorState& state_;
};
