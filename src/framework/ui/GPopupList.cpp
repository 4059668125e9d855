#include "framework/ui/GPopupList.h"

#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GViewHost.h"

GPopupList::GPopupList() = default;

GPopupList::~GPopupList() {
  if (popup_ != nullptr && popup_->GetOpenList() == this) popup_->SetOpenList(nullptr);
}

void GPopupList::Open(GPopup* popup, int32_t x, int32_t y, int32_t width, int32_t height, int32_t current) {
  if (popup == nullptr || GViewHost::Current() == nullptr) FatalError(__LINE__, "GPopup");
  const int32_t screenHeight = GViewHost::Current()->GetScreenHeight();
  if (y < 0) {
    y = 0;
  } else if (y + height > screenHeight) {
    y = screenHeight - height;
    if (y < 0) {
      y = 0;
      height = screenHeight;
    }
  }
  Place(nullptr, x, y, width, height);
  SetBackColor(gWhitePixel);
  BeginModal();
  SetTickInterval(0);
  highlighted_ = current;
  popup_ = popup;
  popup->SetOpenList(this);
}

int32_t GPopupList::ItemAt(int32_t y) const {
  const int32_t count = popup_ != nullptr ? popup_->GetItemCount() : 1;
  int32_t row = (y - 1) / kRowHeight;
  if (row < 0) row = 0;
  if (row > count - 1) row = count - 1;
  return row;
}

void GPopupList::Draw() {
  GView::Draw();
  GRect local;
  GetLocalBounds(local);
  FrameRect(local, gBlackPixel);
  if (popup_ == nullptr) return;
  const int32_t count = popup_->GetItemCount();
  for (int32_t i = count - 1; i >= 0; --i) {
    const int32_t rowTop = i * kRowHeight;
    // A disabled row is never shown highlighted (the list may open on a disabled current
    // item).
    if (i == highlighted_ && popup_->IsItemEnabled(i)) {
      GRect band{1, rowTop + 1, Width() - 1, rowTop + 16};
      if (i == 0) band.top = 0;
      else if (i == count - 1) band.bottom = Height();
      FillRect(band, static_cast<uint16_t>(GViewHost::Current()->RGBToPixel(0, 230, 255)));
    }
    if (i == popup_->GetCurrentItem()) {
      // The right-pointing marker: vertical lines of 9, 7, 5, 3 and 1 pixels.
      for (int32_t k = 0; k < 5; ++k) DrawLine(5 + k, rowTop + 3 + k, 5 + k, rowTop + 12 - k, gBlackPixel, 1);
    }
    const bool enabled = popup_->IsItemEnabled(i);
    const uint8_t shade = enabled ? 0 : 145;
    DrawText(popup_->GetItemText(i), GPopup::kTextX, rowTop + 12, -1, 0, shade, shade, shade);
  }
}

void GPopupList::MouseMoved(int32_t x, int32_t y) {
  if (x < 0 || y < 0 || !ContainsLocalPoint(x, y) || popup_ == nullptr) return;
  const int32_t row = ItemAt(y);
  if (row != highlighted_ && popup_->IsItemEnabled(row)) {
    highlighted_ = row;
    Invalidate();
  }
}

void GPopupList::MouseDown(int32_t, int32_t y, uint8_t, uint8_t, uint8_t) {
  // The list goes away before the command is sent: what it needs afterwards is kept here.
  GPopup* popup = popup_;
  if (popup != nullptr) popup->SetCurrentItem(ItemAt(y));
  delete this;
  if (popup != nullptr) popup->SendCommand();
}

void GPopupList::TickAction() { Invalidate(); }

void GPopupList::ClickOutside() { delete this; }
