// Turns data/animation/timing.txt into InfantryAnimationData.cpp: the number of keys and the
// key durations (ms) of every soldier figure kind (0..14) and posture (0..9). Each row is
//   kind posture d0 d1 ... dn
// with 2 to 18 durations, each at least 2 (a key picked at random lasts random(d x 4 / 5) +
// d / 5 + 2, so the draw's bound must never be 0). '#' starts a comment. Every kind and
// posture must have exactly one row. A broken row stops the build with "file:line: reason";
// the output is written under a temporary name, then renamed.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kKinds = 15;
constexpr int kPostures = 10;
constexpr int kMaxKeys = 18;

struct Entry {
  bool present = false;
  std::vector<long> durations;
};

int Fail(const std::string& file, int line, const char* reason) {
  std::fprintf(stderr, "%s:%d: %s\n", file.c_str(), line, reason);
  return 1;
}

bool ParseNumber(const std::string& word, long& value) {
  if (word.empty()) return false;
  char* end = nullptr;
  value = std::strtol(word.c_str(), &end, 10);
  return end != nullptr && *end == '\0' && value >= -1000000 && value <= 1000000;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_infantry_animation timing.txt InfantryAnimationData.cpp\n");
    return 2;
  }
  const std::string source = argv[1];
  std::ifstream in(source);
  if (!in) return Fail(source, 0, "cannot be read");
  std::array<std::array<Entry, kPostures>, kKinds> table{};
  std::string text;
  int lineNumber = 0;
  while (std::getline(in, text)) {
    ++lineNumber;
    const size_t hash = text.find('#');
    if (hash != std::string::npos) text.resize(hash);
    std::istringstream words(text);
    std::vector<long> numbers;
    std::string word;
    while (words >> word) {
      long value = 0;
      if (!ParseNumber(word, value)) return Fail(source, lineNumber, "not a whole number");
      numbers.push_back(value);
    }
    if (numbers.empty()) continue;
    if (numbers.size() < 2) return Fail(source, lineNumber, "a row needs a kind and a posture");
    const long kind = numbers[0];
    const long posture = numbers[1];
    if (kind < 0 || kind >= kKinds) return Fail(source, lineNumber, "figure kind outside 0..14");
    if (posture < 0 || posture >= kPostures) return Fail(source, lineNumber, "posture outside 0..9");
    Entry& entry = table[static_cast<size_t>(kind)][static_cast<size_t>(posture)];
    if (entry.present) return Fail(source, lineNumber, "kind and posture given twice");
    const size_t keys = numbers.size() - 2;
    if (keys < 2) return Fail(source, lineNumber, "a key count below 2");
    if (keys > kMaxKeys) return Fail(source, lineNumber, "more than 18 keys");
    for (size_t i = 2; i < numbers.size(); ++i) {
      if (numbers[i] < 2) return Fail(source, lineNumber, "a duration below 2");
    }
    entry.present = true;
    entry.durations.assign(numbers.begin() + 2, numbers.end());
  }
  for (int k = 0; k < kKinds; ++k) {
    for (int p = 0; p < kPostures; ++p) {
      if (!table[static_cast<size_t>(k)][static_cast<size_t>(p)].present) {
        char reason[64];
        std::snprintf(reason, sizeof reason, "no row for kind %d posture %d", k, p);
        return Fail(source, lineNumber, reason);
      }
    }
  }

  std::ostringstream out;
  out << "// Made by make_infantry_animation from data/animation/timing.txt; do not edit.\n"
      << "#include \"game/units/InfantryAnimation.h\"\n\n"
      << "const int32_t InfantryAnimation::kKeyCount[InfantryAnimation::kKinds][InfantryAnimation::kPostures] = {\n";
  for (int k = 0; k < kKinds; ++k) {
    out << "    {";
    for (int p = 0; p < kPostures; ++p) {
      out << (p != 0 ? ", " : "") << table[static_cast<size_t>(k)][static_cast<size_t>(p)].durations.size();
    }
    out << "},\n";
  }
  out << "};\n\nconst int32_t InfantryAnimation::kKeyDuration[InfantryAnimation::kKinds][InfantryAnimation::kPostures]"
      << "[InfantryAnimation::kMaxKeys] = {\n";
  for (int k = 0; k < kKinds; ++k) {
    out << "    {\n";
    for (int p = 0; p < kPostures; ++p) {
      const std::vector<long>& d = table[static_cast<size_t>(k)][static_cast<size_t>(p)].durations;
      out << "        {";
      for (int f = 0; f < kMaxKeys; ++f) {
        out << (f != 0 ? ", " : "") << (static_cast<size_t>(f) < d.size() ? d[static_cast<size_t>(f)] : 0L);
      }
      out << "},\n";
    }
    out << "    },\n";
  }
  out << "};\n";

  const std::string target = argv[2];
  const std::string temporary = target + ".tmp";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << out.str();
    if (!file) return Fail(target, 0, "cannot be written");
  }
  if (std::rename(temporary.c_str(), target.c_str()) != 0) return Fail(target, 0, "cannot be renamed into place");
  return 0;
}
