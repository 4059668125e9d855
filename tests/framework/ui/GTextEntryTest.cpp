#include <gtest/gtest.h>

#include "UiRig.h"
#include "framework/core/GString255.h"
#include "framework/ui/GTextEntry.h"

namespace {

class GTextEntryTest : public UiRig {
 protected:
  GTextEntry* Make(int32_t columns, int32_t rows, uint8_t fullGrid, uint8_t selectable = 0) {
    auto* field = new GTextEntry;
    field->Init(nullptr, 100, 100, columns, rows, fullGrid, selectable);
    return field;
  }
  void Type(GTextEntry* field, const char* text) {
    for (const char* p = text; *p != 0; ++p) field->KeyChar(static_cast<int8_t>(*p));
  }
  // Whether any pixel of the local rectangle is black.
  bool AnyBlack(GView* view, GRect r) {
    for (int32_t y = r.top; y < r.bottom; ++y)
      for (int32_t x = r.left; x < r.right; ++x)
        if (Pixel(view->Bounds().left + x, view->Bounds().top + y) == 0) return true;
    return false;
  }
};

TEST_F(GTextEntryTest, CapacityFollowsTheGridAndSizesAreCorrected) {
  GTextEntry* field = Make(10, 1, 0);
  EXPECT_EQ(field->Width(), 88);
  EXPECT_EQ(field->Height(), 18);
  EXPECT_EQ(field->GetBackColor(), gWhitePixel);
  Type(field, "abcdefghijkl");
  EXPECT_STREQ(field->Text(), "abcdefghi");
  GTextEntry* full = Make(10, 1, 1);
  Type(full, "abcdefghijkl");
  EXPECT_STREQ(full->Text(), "abcdefghij");
  EXPECT_EQ(Make(0, 0, 0)->Columns(), 1);
  EXPECT_EQ(Make(0, 0, 1)->Capacity(), 1);
  GTextEntry* wide = Make(300, 2, 0);
  EXPECT_EQ(wide->Columns(), 255);
  EXPECT_EQ(wide->Capacity(), 509);

  // Appending cuts at the capacity and does not redraw.
  Redraw();
  GString255 more;
  more.Assign("0123456789");
  field->Clear();
  Redraw();
  field->AppendText(&more);
  EXPECT_STREQ(field->Text(), "012345678");
  EXPECT_EQ(DirtyCount(), 0);
  GString255 out;
  field->GetText(&out);
  EXPECT_STREQ(out.CStr(), "012345678");
}

TEST_F(GTextEntryTest, TypingEditsAndASelectedFieldIsReplaced) {
  GTextEntry* field = Make(10, 1, 0, 1);
  Type(field, "ab\x01\t");
  field->KeyChar(static_cast<int8_t>(200));
  EXPECT_STREQ(field->Text(), "ab");
  field->KeyChar(8);
  EXPECT_STREQ(field->Text(), "a");
  field->KeyChar(127);
  field->KeyChar(127);
  EXPECT_STREQ(field->Text(), "");
  Type(field, "old");
  field->SetSelected(1);
  EXPECT_TRUE(field->IsSelected());
  Type(field, "N");
  EXPECT_FALSE(field->IsSelected());
  EXPECT_STREQ(field->Text(), "N");
  field->SetSelected(1);
  field->KeyChar(8);
  EXPECT_STREQ(field->Text(), "");
  // A field that is not selectable never enters the state.
  GTextEntry* plain = Make(5, 1, 0, 0);
  plain->SetSelected(1);
  EXPECT_FALSE(plain->IsSelected());
}

TEST_F(GTextEntryTest, KeysReachTheFocusFieldThroughTheKernel) {
  GTextEntry* first = Make(8, 1, 0, 1);
  auto* second = new GTextEntry;
  second->Init(nullptr, 100, 200, 8, 1, 0, 1);
  Click(110, 205);
  EXPECT_EQ(kernel_->GetFocusView(), second);
  Char('x');
  Char('y');
  EXPECT_STREQ(second->Text(), "xy");
  EXPECT_STREQ(first->Text(), "");
  delete second;
  EXPECT_EQ(kernel_->GetFocusView(), nullptr);
  Click(110, 105);
  Char('z');
  EXPECT_STREQ(first->Text(), "z");
}

TEST_F(GTextEntryTest, CharactersAndCaretStandInTheirCells) {
  GTextEntry* field = Make(5, 2, 0);
  kernel_->FocusView(field);
  ASSERT_EQ(kernel_->GetFocusView(), field);
  Type(field, "IIIII");
  RedrawAll();
  // The outline, the focus outline inside it, the white inside.
  EXPECT_EQ(Pixel(100, 100), 0);
  EXPECT_EQ(Pixel(101, 101), 0);
  EXPECT_EQ(Pixel(102, 102), gWhitePixel);
  // A full first row puts the caret under the start of the second: an 8 x 2 bar at
  // (4, 24) as the kernel fills it (right and bottom edges included).
  for (int32_t x = 4; x <= 12; ++x)
    for (int32_t y = 24; y <= 26; ++y) EXPECT_EQ(Pixel(100 + x, 100 + y), 0) << x << "," << y;
  EXPECT_FALSE(AnyBlack(field, GRect{4, 13, 12, 24}));
  // The sixth character opens the second row.
  Type(field, "I");
  RedrawAll();
  EXPECT_TRUE(AnyBlack(field, GRect{4, 13, 12, 24}));
  EXPECT_FALSE(AnyBlack(field, GRect{4, 25, 12, 27}));
  EXPECT_EQ(Pixel(100 + 12, 100 + 24), 0);  // the caret moved to the next cell
  // The caret blinks with the tick and shows only in the focus field.
  field->BlinkCaret();
  Redraw();
  EXPECT_FALSE(AnyBlack(field, GRect{12, 24, 21, 27}));
  field->BlinkCaret();
  kernel_->FocusView(nullptr);
  kernel_->SetFocusView(nullptr);
  RedrawAll();
  EXPECT_FALSE(AnyBlack(field, GRect{12, 24, 21, 27}));
  EXPECT_EQ(Pixel(101, 101), gWhitePixel);
}

TEST_F(GTextEntryTest, ASelectedFieldIsFilledCyan) {
  GTextEntry* field = Make(6, 1, 0, 1);
  field->SetSelected(1);
  RedrawAll();
  EXPECT_EQ(Pixel(102, 102), Rgb(0, 255, 255));
  EXPECT_EQ(Pixel(101, 101), gWhitePixel);
}

}  // namespace
