#include "BitmapCatalogue.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace {

constexpr int32_t kLowest = 1;
constexpr int32_t kHighest = 32767;
constexpr int32_t kLargestSide = 4096;

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

// A whole decimal number within [low, high], nothing else.
bool ParseInt(const std::string& s, int64_t low, int64_t high, int32_t& out) {
  if (s.empty() || s.size() > 9) return false;
  int64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v < low || v > high) return false;
  out = static_cast<int32_t>(v);
  return true;
}

// Splits the first column into words; a quoted text (after '=') is one word with its quotes
// taken off. False on an unclosed quote.
bool Words(const std::string& s, std::vector<std::string>& out) {
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    if (i >= s.size()) break;
    std::string word;
    while (i < s.size() && s[i] != ' ' && s[i] != '\t') {
      if (s[i] == '"') {
        const size_t close = s.find('"', i + 1);
        if (close == std::string::npos) return false;
        word += s.substr(i + 1, close - i - 1);
        i = close + 1;
      } else {
        word += s[i++];
      }
    }
    out.push_back(word);
  }
  return true;
}

}  // namespace

int32_t BitmapCatalogue::FrameCount(int32_t style) {
  static constexpr int32_t kFrames[7] = {2, 2, 3, 3, 4, 1, 1};
  return style >= 0 && style <= 6 ? kFrames[style] : 0;
}

std::string BitmapCatalogue::DisplayName(const std::string& path) {
  const size_t last = path.find_last_of('/');
  if (last == std::string::npos || last == 0) return path;
  const size_t before = path.find_last_of('/', last - 1);
  return path.substr(before == std::string::npos ? 0 : before + 1);
}

bool BitmapCatalogue::Fail(int32_t line, const std::string& reason) {
  error_ = name_ + ":" + std::to_string(line) + ": " + reason;
  return false;
}

const BitmapCatalogue::Row* BitmapCatalogue::Find(int32_t number) const {
  for (const Row& row : rows_)
    if (row.number == number) return &row;
  return nullptr;
}

bool BitmapCatalogue::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error_ = DisplayName(path) + ":0: cannot be read";
    return false;
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return Parse(text, DisplayName(path));
}

bool BitmapCatalogue::Parse(const std::string& text, const std::string& name) {
  rows_.clear();
  error_.clear();
  name_ = name;
  std::string section;
  std::map<int32_t, bool> seen;  // number -> its row is shared
  std::istringstream lines(text);
  std::string raw;
  int32_t line = 0;
  int32_t previous = 0;  // the last number of the section
  while (std::getline(lines, raw)) {
    ++line;
    const std::string trimmed = Trim(raw);
    if (trimmed.empty()) continue;
    if (trimmed[0] == '#') {
      section = Trim(trimmed.substr(1));
      previous = 0;
      continue;
    }
    const size_t bar1 = trimmed.find('|');
    const size_t bar2 = bar1 == std::string::npos ? std::string::npos : trimmed.find('|', bar1 + 1);
    if (bar2 == std::string::npos || trimmed.find('|', bar2 + 1) != std::string::npos)
      return Fail(line, "a row has three columns separated by '|'");
    Row row;
    row.line = line;
    row.section = section;
    row.loadedBy = Trim(trimmed.substr(bar1 + 1, bar2 - bar1 - 1));
    row.purpose = Trim(trimmed.substr(bar2 + 1));
    if (row.loadedBy.empty()) return Fail(line, "the code that loads the bitmap is missing");
    if (row.purpose.empty()) return Fail(line, "the purpose is missing");
    std::vector<std::string> words;
    if (!Words(trimmed.substr(0, bar1), words)) return Fail(line, "a quoted text is not closed");
    if (words.size() < 4) return Fail(line, "a row needs a number, a size, a use and a recipe");
    if (!ParseInt(words[0], kLowest, kHighest, row.number))
      return Fail(line, "number '" + words[0] + "' is not between 1 and 32767");
    const size_t x = words[1].find('x');
    if (x == std::string::npos || !ParseInt(words[1].substr(0, x), 1, kLargestSide, row.width) ||
        !ParseInt(words[1].substr(x + 1), 1, kLargestSide, row.height))
      return Fail(line, "size '" + words[1] + "' is not WxH with both sides from 1 to 4096");
    if (words[2] == "tex") {
      row.texture = true;
    } else if (words[2] != "2d") {
      return Fail(line, "use '" + words[2] + "' is neither 2d nor tex");
    }
    size_t at = 3;
    for (; at < words.size(); ++at) {
      const std::string& w = words[at];
      if (w.rfind("strip:", 0) == 0) {
        if (row.strip >= 0) return Fail(line, "strip is given twice");
        if (!ParseInt(w.substr(6), 0, 6, row.strip)) return Fail(line, "strip style '" + w.substr(6) + "' is not 0 to 6");
      } else if (w == "key") {
        row.key = true;
      } else if (w == "shared") {
        row.shared = true;
      } else {
        break;
      }
    }
    if (at >= words.size()) return Fail(line, "the recipe is missing");
    row.recipe = words[at++];
    if (row.recipe.find('=') != std::string::npos) return Fail(line, "the recipe is missing before '" + row.recipe + "'");
    for (; at < words.size(); ++at) {
      const size_t eq = words[at].find('=');
      if (eq == std::string::npos || eq == 0) return Fail(line, "argument '" + words[at] + "' is not name=value");
      const std::string key = words[at].substr(0, eq);
      if (row.args.count(key) != 0) return Fail(line, "argument '" + key + "' is given twice");
      row.args[key] = words[at].substr(eq + 1);
    }
    if (row.strip >= 0 && row.height % FrameCount(row.strip) != 0)
      return Fail(line, "height " + std::to_string(row.height) + " does not divide into the " +
                            std::to_string(FrameCount(row.strip)) + " frames of strip style " +
                            std::to_string(row.strip));
    auto found = seen.find(row.number);
    if (found != seen.end()) {
      if (!found->second || !row.shared)
        return Fail(line, "number " + std::to_string(row.number) + " is repeated without 'shared'");
      return Fail(line, "number " + std::to_string(row.number) + " is shared: its uses belong in one row");
    }
    if (row.number <= previous)
      return Fail(line, "number " + std::to_string(row.number) + " is not above the section's previous row");
    previous = row.number;
    seen[row.number] = row.shared;
    rows_.push_back(std::move(row));
  }
  return true;
}
