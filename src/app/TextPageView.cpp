#include "app/TextPageView.h"

#include <algorithm>

#include "app/ScreenColours.h"
#include "framework/core/GString255.h"
#include "framework/ui/GLabel.h"

void TextPageView::Init(GView* parent, std::vector<std::string> lines, GLabel* pageLabel) {
  Place(parent, 0, 0, 500, 480);
  SetBackColor(ScreenColours::Pixel(ScreenColours::kBackground));
  lines_ = std::move(lines);
  pageLabel_ = pageLabel;
  page_ = 0;
  pageCount_ = (static_cast<int32_t>(lines_.size()) + kLinesPerPage - 1) / kLinesPerPage;
}

int32_t TextPageView::LinesOnPage() const {
  const int32_t left = static_cast<int32_t>(lines_.size()) - FirstLineOnPage();
  return std::clamp(left, 0, kLinesPerPage);
}

void TextPageView::TurnPage(bool forward) {
  const int32_t page = forward ? std::min(page_ + 1, pageCount_ - 1) : std::max(page_ - 1, 0);
  if (page == page_ || page < 0) return;
  page_ = page;
  Invalidate();
  if (pageLabel_ != nullptr) {
    GString255 text;
    text.AssignNumber(page_ + 1);
    pageLabel_->SetText(&text);
  }
}

void TextPageView::Draw() {
  GView::Draw();
  const int32_t first = FirstLineOnPage();
  for (int32_t i = 0; i < LinesOnPage(); ++i) {
    GString255 text;
    text.Assign(lines_[static_cast<size_t>(first + i)].c_str());
    DrawText(&text, 2, 12 + 15 * i, -1, 0, 0, 0, 0);
  }
}
