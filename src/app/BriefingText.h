#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A briefing's raw text broken into the lines of the briefing screen: at most 70 columns,
// cut at the last blank, a tab three columns, a carriage return a break, other control bytes
// dropped, and never more than 2,000 lines in the whole list.
class BriefingText {
 public:
  static constexpr int32_t kColumns = 70;
  static constexpr size_t kMaxLines = 2000;
  static constexpr size_t kLinesPerPage = 32;

  // Appends the text's lines to the list (an empty text adds none).
  static void AppendLines(const std::string& text, std::vector<std::string>& lines);
  // The screen's lines: with the overall text first, a heading "Battle #n of m" and an empty
  // line when an operation runs (battle > 0), and the side's text starting on a fresh page.
  static std::vector<std::string> Compose(const std::string* overall, const std::string* sideText, int32_t battle,
                                          int32_t battles);
};
