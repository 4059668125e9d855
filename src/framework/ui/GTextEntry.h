#pragma once
#include <cstdint>

#include "framework/ui/GView.h"

class GString;

// A fixed-pitch text field of a number of columns and rows (cells of 8 x 12 pixels inside a
// 4-pixel margin) with a blinking caret, the kernel's keyboard focus and a selected state in
// which the next typed character replaces the whole text.
class GTextEntry : public GView {
 public:
  static constexpr int32_t kCellWidth = 8;
  static constexpr int32_t kCellHeight = 12;

  GTextEntry();
  // Leaves the kernel's focus chain and frees the text.
  ~GTextEntry() override;

  void Draw() override;
  // Asks the kernel for the keyboard focus.
  void MouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control) override;
  // The caret blinks: its phase flips on every tick.
  void TickAction() override { BlinkCaret(); }
  void BlinkCaret();
  // A typed character: Backspace and DEL remove the last character, 32..126 are appended up
  // to the capacity, everything else is ignored. A selected field is cleared first.
  virtual void KeyChar(int8_t c);

  // Columns are clamped to 1..255, rows raised to at least 1.
  void Init(GView* parent, int32_t x, int32_t y, int32_t columns, int32_t rows, uint8_t fullGrid,
            uint8_t selectable);
  void GetText(GString* out) const;
  const char* Text() const { return buffer_ != nullptr ? buffer_ : ""; }
  int32_t Length() const;
  // Appends while there is room; no redraw.
  void AppendText(const GString* text);
  void Clear();
  // Only a selectable field enters the selected state.
  void SetSelected(uint8_t selected);
  bool IsSelected() const { return selected_ != 0; }
  bool IsSelectable() const { return selectable_ != 0; }
  // columns x rows, less 1 unless every cell may hold a character.
  int32_t Capacity() const;
  int32_t Columns() const { return columns_; }
  int32_t Rows() const { return rows_; }
  bool IsCaretOn() const { return caretOn_ != 0; }
  // A field for a secret: every character is shown as this one (0 shows the text itself).
  void SetMask(char mask) { mask_ = mask; }

 private:
  char* buffer_ = nullptr;
  int32_t columns_ = 0;
  int32_t rows_ = 0;
  uint8_t fullGrid_ = 0;
  uint8_t selectable_ = 0;
  uint8_t selected_ = 0;
  uint8_t caretOn_ = 0;
  char mask_ = 0;
};
