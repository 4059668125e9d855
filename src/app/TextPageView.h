#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/ui/GView.h"

class GLabel;

// A page of up to 32 text lines (a briefing), turned page by page; the page label shows the
// page number counted from 1.
class TextPageView : public GView {
 public:
  static constexpr int32_t kLinesPerPage = 32;

  TextPageView() = default;
  ~TextPageView() override = default;

  // Places the view at (0, 0) in the parent, 500 x 480, and takes the lines; page 0.
  void Init(GView* parent, std::vector<std::string> lines, GLabel* pageLabel);
  void TurnPage(bool forward);
  void Draw() override;

  int32_t GetPage() const { return page_; }
  int32_t GetPageCount() const { return pageCount_; }
  // The lines the current page shows (first index, count).
  int32_t FirstLineOnPage() const { return page_ * kLinesPerPage; }
  int32_t LinesOnPage() const;
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
  GLabel* pageLabel_ = nullptr;
  int32_t page_ = 0;
  int32_t pageCount_ = 0;
};
