#pragma once
#include <cstdint>
#include <vector>

#include "framework/ui/GView.h"

class GPopupList;
class GString;
class GString255;

// A pop-up choice button: a one-line box showing the current item's text with a small
// down-pointing triangle at its left. A click opens a GPopupList over it; choosing a row
// makes that item current and sends the popup's command up the view tree.
class GPopup : public GView {
 public:
  static constexpr int32_t kHeight = 17;
  // The button is as wide as its widest text plus this.
  static constexpr int32_t kExtraWidth = 26;
  static constexpr int32_t kTextX = 22;

  GPopup();
  // Deletes the item texts; an open list forgets the popup.
  ~GPopup() override;

  void Draw() override;
  // Opens the list so that the current item's row lies over the button.
  void MouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control) override;

  // Copies the count texts, sizes the button to the widest and places it inside the parent.
  // Fatal for no items or a current item out of range.
  void Init(GView* parent, int32_t x, int32_t y, int32_t count, const GString* const* texts, int32_t current);
  int32_t GetCurrentItem() const { return current_; }
  int32_t GetItemCount() const { return count_; }
  // Fatal for an index out of range.
  const GString255* GetItemText(int32_t index) const;
  // Fatal for an index out of range; no redraw.
  void SetItemEnabled(int32_t index, uint8_t enabled);
  // False for an index out of range.
  bool IsItemEnabled(int32_t index) const;
  // Clamped into range; moves only to an enabled item, and redraws then.
  void SetCurrentItem(int32_t index);
  void SetCommand(int32_t command) { command_ = command; }
  int32_t GetCommand() const { return command_; }
  // Sends the command up the view tree when it is above 0.
  void SendCommand();
  // The list open over this popup, or null.
  GPopupList* GetOpenList() const { return list_; }
  // The list's own bookkeeping.
  void SetOpenList(GPopupList* list) { list_ = list; }

 private:
  std::vector<GString255*> items_;
  int32_t count_ = 0;
  int32_t current_ = 0;
  int32_t command_ = -1;
  std::vector<uint8_t> enabled_;
  GPopupList* list_ = nullptr;
};
