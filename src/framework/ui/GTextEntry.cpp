#include "framework/ui/GTextEntry.h"

#include <cstdint>
#include <cstring>

#include "framework/core/GString.h"
#include "framework/core/GString15.h"
#include "framework/core/Quorl.h"
#include "framework/ui/GViewHost.h"

GTextEntry::GTextEntry() = default;

GTextEntry::~GTextEntry() {
  if (GViewHost* host = GViewHost::Current()) host->SetFocusChainMember(this, false);
  delete[] buffer_;
}

void GTextEntry::Init(GView* parent, int32_t x, int32_t y, int32_t columns, int32_t rows, uint8_t fullGrid,
                      uint8_t selectable) {
  fullGrid_ = fullGrid;
  selectable_ = selectable;
  selected_ = 0;
  if (columns < 1) columns = 1;
  if (columns > 255) columns = 255;
  if (rows < 1) rows = 1;
  // The height must stay an int.
  constexpr int32_t kMaxRows = (INT32_MAX - 6) / kCellHeight;
  if (rows > kMaxRows) rows = kMaxRows;
  columns_ = columns;
  rows_ = rows;
  Place(parent, x, y, columns * kCellWidth + 8, rows * kCellHeight + 6);
  SetBackColor(gWhitePixel);
  delete[] buffer_;
  buffer_ = new char[static_cast<size_t>(columns) * static_cast<size_t>(rows) + 1];
  buffer_[0] = 0;
  if (GViewHost::Current() == nullptr) FatalError(__LINE__, "GView");
  GViewHost::Current()->SetFocusChainMember(this, true);
  SetTickInterval(500);
  caretOn_ = 1;
}

int32_t GTextEntry::Length() const { return buffer_ != nullptr ? static_cast<int32_t>(std::strlen(buffer_)) : 0; }

int32_t GTextEntry::Capacity() const { return columns_ * rows_ - (fullGrid_ ? 0 : 1); }

void GTextEntry::GetText(GString* out) const {
  if (out != nullptr) out->Assign(Text());
}

void GTextEntry::AppendText(const GString* text) {
  if (text == nullptr || buffer_ == nullptr) return;
  int32_t length = Length();
  const int32_t capacity = Capacity();
  for (int32_t i = 0; i < text->Length() && length < capacity; ++i) buffer_[length++] = text->GetChar(i);
  buffer_[length] = 0;
}

void GTextEntry::Clear() {
  if (buffer_ != nullptr) buffer_[0] = 0;
  Invalidate();
}

void GTextEntry::SetSelected(uint8_t selected) {
  if (!selectable_ || selected_ == selected) return;
  selected_ = selected;
  Invalidate();
}

void GTextEntry::KeyChar(int8_t c) {
  if (buffer_ == nullptr) return;
  if (selected_) {
    Clear();
    selected_ = 0;
  }
  const int32_t length = Length();
  if (c == 8 || c == 127) {
    if (length > 0) {
      buffer_[length - 1] = 0;
      Invalidate();
    }
    return;
  }
  if (c >= 32 && c <= 126) {
    if (length < Capacity()) {
      buffer_[length] = static_cast<char>(c);
      buffer_[length + 1] = 0;
      Invalidate();
    }
  }
}

void GTextEntry::MouseDown(int32_t, int32_t, uint8_t, uint8_t, uint8_t) {
  if (GViewHost* host = GViewHost::Current()) host->FocusView(this);
}

void GTextEntry::BlinkCaret() {
  caretOn_ = caretOn_ ? 0 : 1;
  Invalidate();
}

void GTextEntry::Draw() {
  GViewHost* host = GViewHost::Current();
  const bool focused = host != nullptr && host->GetFocusView() == this;
  GRect r;
  GetLocalBounds(r);
  FrameRect(r, gBlackPixel);
  InflateRect(r, -1, -1);
  FrameRect(r, focused && !selected_ ? gBlackPixel : GetBackColor());
  InflateRect(r, -1, -1);
  const uint16_t fill = selected_ ? static_cast<uint16_t>(host->RGBToPixel(0, 255, 255)) : GetBackColor();
  FillRect(r, fill);

  int32_t column = 0;
  int32_t row = 0;
  GString15 cell;
  for (const char* p = Text(); *p != 0; ++p) {
    cell.Clear();
    cell.AppendChar(mask_ != 0 ? mask_ : *p);
    DrawText(&cell, column * kCellWidth + 4, row * kCellHeight + 12, -1, 2, 0, 0, 0);
    if (++column == columns_) {
      column = 0;
      ++row;
    }
  }
  if (caretOn_ && row < rows_ && !selected_ && focused) {
    const GRect caret{column * kCellWidth + 4, (row + 1) * kCellHeight, column * kCellWidth + 12,
                      (row + 1) * kCellHeight + 2};
    FillRect(caret, gBlackPixel);
  }
}
