#pragma once
#include <cstdint>

#include "framework/ui/GView.h"

// The base of the purchase screen's two lists: rows of 12 pixels, paged a page at a time.
class EditorUnitList : public GView {
 public:
  static constexpr int32_t kRowHeight = 12;

  EditorUnitList() = default;
  ~EditorUnitList() override = default;

  // Top row 0, no rows; as many rows per page as fit above the parent's last 87 pixels.
  void Setup(GView* parent, int32_t x, int32_t y, int32_t width);
  // Pages down or up; only a top row from 0 and below the row count is taken.
  bool StepPage(bool down);
  // The background and a one-pixel frame in (50, 50, 75).
  void Draw() override;

  // The row of a local y (y / 12 + the top row); may lie past the last row.
  int32_t RowAt(int32_t y) const { return y / kRowHeight + topRow; }
  // The colour of a catalogue entry's colour index or a unit's purchase code; an index
  // outside the 11 colours gives white.
  struct Rgb {
    uint8_t r, g, b;
  };
  static Rgb RowColour(int32_t index);

  int32_t topRow = 0;
  int32_t rowCount = 0;
  int32_t rowsPerPage = 0;
};
