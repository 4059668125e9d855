#include "framework/ui/GPopup.h"

#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/ui/GPopupList.h"
#include "framework/ui/GViewHost.h"

GPopup::GPopup() = default;

GPopup::~GPopup() {
  if (list_ != nullptr) list_->ForgetPopup();
  for (GString255*& item : items_) SafeDelete(item);
}

void GPopup::Init(GView* parent, int32_t x, int32_t y, int32_t count, const GString* const* texts,
                  int32_t current) {
  if (count < 1) FatalError(33, "GPopup");
  if (current < 0 || current >= count) FatalError(34, "GPopup");
  if (parent == nullptr || texts == nullptr) FatalError(__LINE__, "GPopup");
  current_ = current;
  command_ = -1;
  count_ = count;
  enabled_.assign(static_cast<size_t>(count), 1);
  items_.assign(static_cast<size_t>(count), nullptr);
  int32_t widest = 0;
  for (int32_t i = count - 1; i >= 0; --i) {
    items_[i] = new GString255;
    if (texts[i] != nullptr) items_[i]->AssignString(*texts[i]);
    const int32_t width = TextWidth(items_[i]->CStr(), items_[i]->Length(), 0);
    if (width < 0) FatalError(60, "GPopup");
    if (width > widest) widest = width;
  }
  const int32_t width = widest + kExtraWidth;
  if (x < 0) x = 0;
  else if (x + width > parent->Width()) x = parent->Width() - width;
  if (y < 0) y = 0;
  else if (y + kHeight > parent->Height()) y = parent->Height() - kHeight;
  Place(parent, x, y, width, kHeight);
  SetBackColor(gWhitePixel);
}

const GString255* GPopup::GetItemText(int32_t index) const {
  if (index < 0) FatalError(170, "GPopup");
  if (index >= count_) FatalError(171, "GPopup");
  return items_[index];
}

void GPopup::SetItemEnabled(int32_t index, uint8_t enabled) {
  if (index < 0 || index >= count_) FatalError(106, "GPopup");
  enabled_[index] = enabled;
}

bool GPopup::IsItemEnabled(int32_t index) const {
  if (index < 0 || index >= count_) return false;
  return enabled_[index] != 0;
}

void GPopup::SetCurrentItem(int32_t index) {
  if (count_ < 1) return;
  if (index < 0) index = 0;
  if (index > count_ - 1) index = count_ - 1;
  if (index == current_ || !enabled_[index]) return;
  current_ = index;
  Invalidate();
}

void GPopup::SendCommand() {
  if (command_ > 0) DoCommand(command_);
}

void GPopup::Draw() {
  GView::Draw();
  GRect local;
  GetLocalBounds(local);
  FrameRect(local, gBlackPixel);
  if (current_ >= 0 && current_ < count_) DrawText(items_[current_], kTextX, 13, -1, 0, 0, 0, 0);
  // The down-pointing triangle: lines of 9, 7, 5, 3 and 1 pixels.
  for (int32_t i = 0; i < 5; ++i) DrawLine(5 + i, 6 + i, 14 - i, 6 + i, gBlackPixel, 1);
}

void GPopup::MouseDown(int32_t, int32_t, uint8_t, uint8_t, uint8_t) {
  // One list at a time: a second click cannot reach the popup while its list is modal.
  if (list_ != nullptr) return;
  GRect bounds;
  GetBounds(bounds);
  auto* list = new GPopupList;
  list->Open(this, bounds.left, bounds.top + 1 - current_ * GPopupList::kRowHeight, bounds.Width(),
             count_ * GPopupList::kRowHeight + 2, current_);
}
