#include "app/RadioLog.h"

#include <utility>

namespace {

bool IsBreak(char c) { return c == ' ' || c == ',' || c == ':' || c == ';' || c == '-'; }

// The length of the first line of text at the width (at least one character).
size_t FirstLineLength(const std::string& text, int32_t width, const RadioLog::WidthOf& widthOf) {
  size_t lastBreak = 0;  // length up to and with the last break point; 0 none
  bool wordSeen = !IsBreak(text[0]);
  for (size_t n = 2; n <= text.size(); ++n) {
    const char c = text[n - 1];
    const bool fits = widthOf(text.substr(0, n)) <= width;
    const bool isBreak = wordSeen && IsBreak(c);
    if (!IsBreak(c)) wordSeen = true;
    if (fits) {
      if (isBreak) lastBreak = n;
      continue;
    }
    if (isBreak && c == ' ') lastBreak = n;
    return lastBreak != 0 ? lastBreak : n - 1;
  }
  return text.size();
}

}  // namespace

void RadioLog::Add(const std::string& text, int32_t side, uint32_t tick, int32_t width, const WidthOf& widthOf) {
  std::string rest = text.substr(0, kMaxText);
  // Each pass stores one line and takes at least one character of the text.
  bool continuation = false;
  while (!rest.empty()) {
    if (widthOf(rest) <= width) {
      Append(rest, side, tick);
      return;
    }
    size_t length = FirstLineLength(rest, width, widthOf);
    // A continuation's six blanks alone never make a line: the text moves on.
    if (continuation && length <= 6) length = rest.size() > 7 ? 7 : rest.size();
    Append(rest.substr(0, length), side, tick);
    size_t start = length;
    while (start < rest.size() && rest[start] == ' ') ++start;
    if (start >= rest.size()) return;
    rest = "      " + rest.substr(start);
    continuation = true;
  }
}

void RadioLog::Append(const std::string& text, int32_t side, uint32_t tick) {
  if (count_ == kLines) {
    for (int32_t i = 1; i < kLines; ++i) lines_[i - 1] = std::move(lines_[i]);
    count_ = kLines - 1;
  }
  Line& line = lines_[count_++];
  line.text = text.substr(0, kMaxText);
  line.side = side;
  line.tick = tick;
}

void RadioLog::Expire(uint32_t now) {
  int32_t old = 0;
  while (old < count_ && now - lines_[old].tick >= kLifetimeMs) ++old;
  if (old == 0) return;
  for (int32_t i = old; i < count_; ++i) lines_[i - old] = std::move(lines_[i]);
  for (int32_t i = count_ - old; i < kLines; ++i) lines_[i] = Line();
  count_ -= old;
}

void RadioLog::Clear() {
  for (Line& line : lines_) line = Line();
  count_ = 0;
}
