#pragma once
#include <cstdint>
#include <string>

#include "game/ui/PanelItem.h"

class Battle;
class Unit;

// The text helpers of the unit displays: string-table texts, numbers as the displays write
// them, padding to fixed columns of the fixed-pitch font, the colours, and what they ask of the
// game around them (the battle, whether play is over, a unit's name).
namespace BalloonText {

struct Colour {
  uint8_t r, g, b;
};
inline constexpr Colour kTitleBlue{100, 100, 255};
inline constexpr Colour kWhite{255, 255, 255};
inline constexpr Colour kPaleGrey{220, 220, 220};
inline constexpr Colour kMidGrey{200, 200, 200};
inline constexpr Colour kWarningRed{255, 100, 100};
inline constexpr Colour kTotalBlue{180, 230, 255};

// The text of a string-table entry (empty when missing).
std::string Load(uint32_t id);
std::string Number(int32_t value);
// The truncated integer part, a point and the given number of truncated decimals.
std::string Float(float value, int32_t decimals);
// Blanks up to the column (nothing when the text is that long already).
void PadTo(std::string& text, int32_t column);
// The number right-aligned in six columns.
void AppendRightIn6(std::string& text, int32_t value);
PanelItem Line(const std::string& text, int32_t x, int32_t y, int32_t font, Colour colour);
PanelItem Picture(int32_t number, int32_t x, int32_t y);

// The unit's name as the viewer sees it: the long form (a vehicle's full class name at level
// 4) or the short one.
std::string DisplayName(const Unit& unit, bool longForm);
// The battle in play, or null.
Battle* CurrentBattle();
// The battle is over (outside an operation), or the operation is.
bool PlayIsOver();

}  // namespace BalloonText
