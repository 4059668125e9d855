#include <gtest/gtest.h>

#include <string>

#include "UiRig.h"
#include "framework/core/GString255.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GPopupList.h"

namespace {

class GPopupTest : public UiRig {
 protected:
  // A popup of count items "Item 0" ... on a panel covering the screen.
  GPopup* Make(int32_t x, int32_t y, int32_t count, int32_t current, int32_t command = 50) {
    if (panel_ == nullptr) {
      panel_ = new ProbeView;
      panel_->Place(nullptr, 0, 0, 0, 0);
    }
    std::vector<GString255> texts(static_cast<size_t>(count));
    std::vector<const GString*> pointers;
    for (int32_t i = 0; i < count; ++i) {
      texts[i].Assign(("Item " + std::to_string(i) + (i == 1 ? " is the longest" : "")).c_str());
      pointers.push_back(&texts[i]);
    }
    auto* popup = new GPopup;
    popup->Init(panel_, x, y, count, pointers.data(), current);
    popup->SetCommand(command);
    return popup;
  }
  GPopupList* OpenList() { return dynamic_cast<GPopupList*>(kernel_->GetTopModalView()); }

  ProbeView* panel_ = nullptr;
};

TEST_F(GPopupTest, SizedByTheWidestTextAndKeptInsideTheParent) {
  GPopup* popup = Make(10, 10, 2, 0);
  EXPECT_EQ(popup->Width(), TextWidth("Item 1 is the longest", 0) + 26);
  EXPECT_EQ(popup->Height(), 17);
  EXPECT_EQ(popup->GetBackColor(), gWhitePixel);
  EXPECT_STREQ(popup->GetItemText(1)->CStr(), "Item 1 is the longest");
  GPopup* right = Make(kernel_->GetScreenWidth() - 10, kernel_->GetScreenHeight() - 5, 2, 0);
  EXPECT_EQ(right->Bounds().right, kernel_->GetScreenWidth());
  EXPECT_EQ(right->Bounds().bottom, kernel_->GetScreenHeight());
  GPopup* left = Make(-1, -1, 2, 0);
  EXPECT_EQ(left->Bounds().left, 0);
  EXPECT_EQ(left->Bounds().top, 0);
}

TEST_F(GPopupTest, CurrentItemMovesOnlyToEnabledItems) {
  GPopup* popup = Make(10, 10, 4, 2);
  popup->SetCurrentItem(-5);
  EXPECT_EQ(popup->GetCurrentItem(), 0);
  popup->SetItemEnabled(3, 0);
  popup->SetCurrentItem(99);
  EXPECT_EQ(popup->GetCurrentItem(), 0);
  EXPECT_FALSE(popup->IsItemEnabled(3));
  EXPECT_FALSE(popup->IsItemEnabled(4));
  EXPECT_FALSE(popup->IsItemEnabled(-1));
  EXPECT_EQ(popup->GetItemCount(), 4);
}

TEST_F(GPopupTest, TheListOpensWithTheCurrentRowOverTheButton) {
  GPopup* popup = Make(200, 300, 6, 3);
  Click(210, 305);
  GPopupList* list = OpenList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Bounds(), (GRect{200, 300 + 1 - 45, 200 + popup->Width(), 300 + 1 - 45 + 6 * 15 + 2}));
  EXPECT_EQ(list->GetHighlighted(), 3);
  EXPECT_EQ(list->GetParent(), Root());
  // Row 3 lies under the mouse.
  int32_t x = 210;
  int32_t y = 305;
  list->GlobalToLocal(x, y);
  EXPECT_EQ(list->ItemAt(y), 3);
  EXPECT_EQ(list->ItemAt(0), 0);
  EXPECT_EQ(list->ItemAt(1), 0);
  EXPECT_EQ(list->ItemAt(500), 5);
  // The highlight follows the mouse over enabled rows only.
  popup->SetItemEnabled(4, 0);
  Move(210, 256 + 4 * 15 + 5);
  EXPECT_EQ(list->GetHighlighted(), 3);
  Move(210, 256 + 5 * 15 + 5);
  EXPECT_EQ(list->GetHighlighted(), 5);
  // A click on a row chooses it, closes the list and sends the command.
  Click(210, 256 + 5 * 15 + 5);
  EXPECT_EQ(OpenList(), nullptr);
  EXPECT_EQ(popup->GetCurrentItem(), 5);
  EXPECT_EQ(Commands(), (std::vector<int32_t>{50}));
}

TEST_F(GPopupTest, ListsAreKeptOnTheScreenVertically) {
  const int32_t height = kernel_->GetScreenHeight();
  GPopup* low = Make(10, height - 20, 5, 0);
  Click(15, height - 15);
  ASSERT_NE(OpenList(), nullptr);
  EXPECT_EQ(OpenList()->Bounds().bottom, height);
  EXPECT_EQ(OpenList()->Height(), 77);
  Click(0, 0);  // outside: closed
  ASSERT_EQ(OpenList(), nullptr);
  EXPECT_EQ(low->GetCurrentItem(), 0);

  const int32_t count = height / 15 + 3;
  GPopup* tall = Make(300, 10, count, count - 1);
  Click(305, 15);
  ASSERT_NE(OpenList(), nullptr);
  EXPECT_EQ(OpenList()->Bounds(), (GRect{300, 0, 300 + tall->Width(), height}));
}

TEST_F(GPopupTest, DisabledRowsCloseTheListAndStillSend) {
  GPopup* popup = Make(100, 100, 3, 0);
  popup->SetItemEnabled(2, 0);
  Click(110, 105);
  ASSERT_NE(OpenList(), nullptr);
  Click(110, 100 + 2 * 15 + 5);
  EXPECT_EQ(OpenList(), nullptr);
  EXPECT_EQ(popup->GetCurrentItem(), 0);
  EXPECT_EQ(Commands(), (std::vector<int32_t>{50}));
  // Outside: closed with no command and no beep.
  const int beeps = fake_->BeepCount();
  Click(110, 105);
  Click(700, 500);
  EXPECT_EQ(OpenList(), nullptr);
  EXPECT_EQ(Commands().size(), 1u);
  EXPECT_EQ(fake_->BeepCount(), beeps);
  // A command of -1 or 0 is never sent.
  popup->SetCommand(0);
  Click(110, 105);
  Click(110, 100 + 15 + 5);
  EXPECT_EQ(popup->GetCurrentItem(), 1);
  EXPECT_EQ(Commands().size(), 1u);
}

TEST_F(GPopupTest, AListOpenedOnADisabledCurrentItemHighlightsNothing) {
  GPopup* popup = Make(100, 100, 3, 1);
  popup->SetItemEnabled(1, 0);
  Click(110, 105);
  GPopupList* list = OpenList();
  ASSERT_NE(list, nullptr);
  RedrawAll();
  const uint16_t band = Rgb(0, 230, 255);
  int banded = 0;
  for (int32_t y = list->Bounds().top; y < list->Bounds().bottom; ++y)
    for (int32_t x = list->Bounds().left; x < list->Bounds().right; ++x) banded += Pixel(x, y) == band;
  EXPECT_EQ(banded, 0);
  // An enabled row under the mouse is banded from x = 1 to the right edge.
  Move(110, list->Bounds().top + 2 * 15 + 5);
  EXPECT_EQ(list->GetHighlighted(), 2);
  Redraw();
  EXPECT_EQ(Pixel(list->Bounds().left + 1, list->Bounds().top + 2 * 15 + 5), band);
  EXPECT_EQ(Pixel(list->Bounds().left + 1, list->Bounds().top + 2 * 15 - 1), gWhitePixel);
  // The list redraws itself on every idle pass.
  Redraw();
  EXPECT_EQ(DirtyCount(), 0);
  kernel_->TickViews();
  EXPECT_TRUE(IsDirty(list));
  Click(0, 0);
}

TEST_F(GPopupTest, DeletingThePopupUnderItsOpenListLeavesTheListHarmless) {
  GPopup* popup = Make(100, 100, 3, 0);
  Click(110, 105);
  GPopupList* list = OpenList();
  ASSERT_NE(list, nullptr);
  delete popup;
  EXPECT_EQ(list->GetPopup(), nullptr);
  RedrawAll();
  Click(110, 105);
  EXPECT_EQ(OpenList(), nullptr);
  EXPECT_TRUE(Commands().empty());
}

}  // namespace
