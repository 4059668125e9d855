#include "SoundCatalogue.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "SoundRecipes.h"

namespace {

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  size_t b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out;
  std::string field;
  std::istringstream in(s);
  while (std::getline(in, field, sep)) out.push_back(Trim(field));
  if (!s.empty() && s.back() == sep) out.push_back("");
  return out;
}

// A whole decimal number, nothing else.
bool ParseInt(const std::string& s, long& value) {
  if (s.empty() || s.size() > 9) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  value = std::strtol(s.c_str(), nullptr, 10);
  return true;
}

// A plain decimal number of seconds: digits, one optional point, digits.
bool ParseSeconds(const std::string& s, double& value) {
  if (s.empty() || s.size() > 12) return false;
  int points = 0;
  for (char c : s) {
    if (c == '.') ++points;
    else if (c < '0' || c > '9') return false;
  }
  if (points > 1 || s.front() == '.' || s.back() == '.') return false;
  value = std::strtod(s.c_str(), nullptr);
  return true;
}

bool ValidUtf8(const std::string& s) {
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + static_cast<size_t>(extra) >= s.size()) return false;
    for (int k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
    if (extra == 0 && c < 0x20) return false;
    i += extra + 1;
  }
  return true;
}

}  // namespace

bool SoundCatalogue::Fail(int line, const std::string& reason) {
  if (error_.empty()) error_ = fileName_ + ":" + std::to_string(line) + ": " + reason;
  return false;
}

std::string SoundCatalogue::RowError(const SoundRow& row, const std::string& reason) const {
  return fileName_ + ":" + std::to_string(row.line) + ": " + reason;
}

bool SoundCatalogue::Load(const std::string& path, const std::string& shownName) {
  fileName_ = shownName;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error_ = shownName + ": cannot be read";
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  return Parse(text.str(), shownName);
}

bool SoundCatalogue::Parse(const std::string& text, const std::string& fileName) {
  fileName_ = fileName;
  rows_.clear();
  error_.clear();
  std::set<int> numbers;
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string t = Trim(line);
    if (t.empty() || t[0] == '#') continue;
    if (t[0] == '[') {
      if (t.back() != ']' || t.size() < 3) return Fail(lineNo, "a section heading is \"[name]\"");
      continue;
    }
    if (!ParseRow(t, lineNo)) return false;
    if (!numbers.insert(rows_.back().number).second)
      return Fail(lineNo, "sound " + std::to_string(rows_.back().number) + " is repeated");
  }
  if (rows_.empty()) return Fail(lineNo, "no sound rows");
  return true;
}

bool SoundCatalogue::ParseRow(const std::string& text, int line) {
  const std::vector<std::string> f = Split(text, '|');
  if (f.size() != 6 && f.size() != 8)
    return Fail(line, "a row has 6 fields (8 for speech) separated by '|', not " + std::to_string(f.size()));
  SoundRow row;
  row.line = line;
  long number = 0;
  if (!ParseInt(f[0], number) || number < 1 || number > 32767)
    return Fail(line, "sound number \"" + f[0] + "\" is not a whole number from 1 to 32767");
  row.number = static_cast<int>(number);

  if (f[1] == "mono") row.form = SoundRow::Form::kMono;
  else if (f[1] == "mono-loop") row.form = SoundRow::Form::kMonoLoop;
  else if (f[1] == "stream") row.form = SoundRow::Form::kStream;
  else if (f[1] == "stream-loop") row.form = SoundRow::Form::kStreamLoop;
  else return Fail(line, "unknown form \"" + f[1] + "\" (mono, mono-loop, stream, stream-loop)");

  const std::vector<std::string> words = Split(f[3], ' ');
  std::vector<std::string> parts;
  for (const std::string& w : words)
    if (!w.empty()) parts.push_back(w);
  if (parts.empty()) return Fail(line, "no recipe");
  row.recipe = parts[0];
  for (size_t i = 1; i < parts.size(); ++i) {
    const size_t eq = parts[i].find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == parts[i].size())
      return Fail(line, "recipe argument \"" + parts[i] + "\" is not name=value");
    if (!row.args.emplace(parts[i].substr(0, eq), parts[i].substr(eq + 1)).second)
      return Fail(line, "recipe argument \"" + parts[i].substr(0, eq) + "\" is repeated");
  }
  row.player = f[4];
  row.purpose = f[5];
  if (row.player.empty() || row.purpose.empty()) return Fail(line, "the player and the purpose are needed");
  if (f.size() == 8) {
    row.language = f[6];
    row.phrase = f[7];
    if (row.phrase.empty()) return Fail(line, "an empty phrase cannot be spoken");
    if (!ValidUtf8(row.phrase)) return Fail(line, "the phrase is not UTF-8 text");
  }

  if (row.IsSpeech()) {
    if (f[2] != "speech") return Fail(line, "a spoken sound has the length \"speech\"");
    if (row.form != SoundRow::Form::kMono) return Fail(line, "a spoken sound is mono");
  } else {
    if (!ParseSeconds(f[2], row.seconds) || row.seconds <= 0.0)
      return Fail(line, "length \"" + f[2] + "\" is not a number of seconds above 0");
    const double bytes = std::round(row.seconds * kRate) * (row.IsStereo() ? 4.0 : 2.0);
    if (row.form == SoundRow::Form::kMono && bytes > kMaxPlainBytes)
      return Fail(line, "a plain sound holds at most 1048576 bytes (11.88 s)");
    if (row.form == SoundRow::Form::kMonoLoop && bytes > kMaxLoopBytes)
      return Fail(line, "a looped sound holds at most 524288 bytes (5.94 s), two whole copies in its buffer");
    if (row.form == SoundRow::Form::kStreamLoop &&
        (row.seconds < kMinLoopStreamSeconds || row.seconds > kMaxLoopStreamSeconds))
      return Fail(line, "a looping stream lasts 15 to 25 s");
    if (row.form == SoundRow::Form::kStream && row.seconds > kMaxStreamSeconds)
      return Fail(line, "a stream lasts at most 40 s");
    if (row.number == kQuitSound && row.seconds > kQuitSoundMaxSeconds)
      return Fail(line, "the quit sound lasts at most 1.40 s: the program closes 1.45 s after starting it");
  }
  std::string reason;
  if (!SoundRecipes::Check(row, reason)) return Fail(line, reason);
  rows_.push_back(std::move(row));
  return true;
}
