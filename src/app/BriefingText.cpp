#include "app/BriefingText.h"

#include "StringIds.h"
#include "framework/core/GString255.h"

void BriefingText::AppendLines(const std::string& text, std::vector<std::string>& lines) {
  size_t pos = 0;
  std::string buffer;
  while ((pos < text.size() || !buffer.empty()) && lines.size() < kMaxLines) {
    bool full = false;
    // Bytes go into the line until a carriage return, 70 columns or the end of the text.
    while (pos < text.size()) {
      const auto byte = static_cast<uint8_t>(text[pos++]);
      if (byte == 0x0D) break;
      if (byte == 0x09) {
        buffer.append(3, ' ');
      } else if (byte >= 0x20) {
        buffer.push_back(static_cast<char>(byte));
      }
      if (buffer.size() >= static_cast<size_t>(kColumns)) {
        full = true;
        break;
      }
    }
    if (!full) {
      lines.push_back(buffer);
      buffer.clear();
      continue;
    }
    // A full line breaks at its last blank after the first column; without one it is cut
    // hard and what lay past the 70th column is lost.
    const size_t blank = buffer.find_last_of(' ');
    if (blank != std::string::npos && blank > 0) {
      lines.push_back(buffer.substr(0, blank));
      buffer.erase(0, blank + 1);
    } else {
      lines.push_back(buffer.substr(0, static_cast<size_t>(kColumns)));
      buffer.clear();
    }
  }
}

std::vector<std::string> BriefingText::Compose(const std::string* overall, const std::string* sideText,
                                               int32_t battle, int32_t battles) {
  std::vector<std::string> lines;
  if (overall == nullptr) {
    if (sideText != nullptr) AppendLines(*sideText, lines);
    return lines;
  }
  if (battle > 0) {
    GString255 heading;
    heading.LoadResource(kStrBattleNumber);
    heading.AppendNumber(battle);
    heading.AppendResource(kStrOf);
    heading.AppendNumber(battles);
    lines.emplace_back(heading.CStr());
    lines.emplace_back();
  }
  AppendLines(*overall, lines);
  if (sideText != nullptr) {
    while (lines.size() % kLinesPerPage != 0 && lines.size() < kMaxLines) lines.emplace_back();
    AppendLines(*sideText, lines);
  }
  return lines;
}
