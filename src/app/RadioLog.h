#pragma once
#include <cstdint>
#include <functional>
#include <string>

// The radio (chat) history of a TCP/IP battle: 14 lines, each with the side it belongs to (0
// Axis, 1 Allied, 2 a line of the program itself) and the frame tick it was added at. Used
// lines come first; a long text is wrapped into several lines at the radio's width.
class RadioLog {
 public:
  static constexpr int32_t kLines = 14;
  static constexpr uint32_t kLifetimeMs = 90000;
  static constexpr size_t kMaxText = 255;
  static constexpr int32_t kSystemSide = 2;
  // The width in pixels of a text in the radio's font.
  using WidthOf = std::function<int32_t(const std::string&)>;

  // Wraps the text to the width: a line ends after its last blank, ",", ":", ";" or "-" that
  // follows some other character, or (with none) before the first character that does not
  // fit; continuations begin with six blanks.
  void Add(const std::string& text, int32_t side, uint32_t tick, int32_t width, const WidthOf& widthOf);
  // Stores one line in the first free place, or drops the oldest when all 14 are used.
  void Append(const std::string& text, int32_t side, uint32_t tick);
  // Removes the leading lines at least 90 s older than now (ticks modulo 2^32).
  void Expire(uint32_t now);
  void Clear();

  int32_t Count() const { return count_; }
  // Line 0 (oldest) .. 13; empty beyond the count.
  const std::string& Text(int32_t index) const { return lines_[Slot(index)].text; }
  int32_t Side(int32_t index) const { return lines_[Slot(index)].side; }
  uint32_t Tick(int32_t index) const { return lines_[Slot(index)].tick; }

 private:
  struct Line {
    std::string text;
    int32_t side = kSystemSide;
    uint32_t tick = 0;
  };
  static int32_t Slot(int32_t index) { return index >= 0 && index < kLines ? index : kLines - 1; }
  Line lines_[kLines];
  int32_t count_ = 0;
};
