// Turns data/animation/timing.txt into InfantryAnimationData.cpp: the number of keys and the
// key durations (ms) of every soldier figure kind (0..14) and posture (0..9). Each row is
//   kind posture d0 d1 ... dn
// with 2 to 18 durations, each at least 2 (a key picked at random lasts random(d x 4 / 5) +
// d / 5 + 2, so the draw's bound must never be 0). '#' starts a comment. Every kind and
// posture must have exactly one row. A broken row stops the build with "file:line: reason";
// the output is written under a temporary name, then renamed.
//
// With a second source, data/animation/poses.txt, the tool also compiles the key poses: the
// 20 joint angles of every key of every kind and posture. A block
//   pose KINDS POSTURES         (lists like 0-4,8,10-11)
//   key joint=value joint=value ...
// gives one key per key line, joints not named at 0.0. Every kind and posture needs exactly
// one block, with as many keys as its timing row (2 to 18); an angle must be finite, and no
// joint may jump more than 90 degrees from a cycle's last key back to its first. Without the
// pose source the pose table is all zero (the timing checks alone).
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kKinds = 15;
constexpr int kPostures = 10;
constexpr int kMaxKeys = 18;
constexpr int kJoints = 20;

// The joints in the order the figure drawing reads them.
constexpr const char* kJointNames[kJoints] = {
    "hip_spread_1",   "hip_spread_2",     "hip_swing_1",     "knee_1",         "hip_swing_2",
    "knee_2",         "shoulder_roll_1",  "shoulder_swing_1", "shoulder_turn_1", "elbow_1",
    "shoulder_roll_2", "shoulder_swing_2", "shoulder_turn_2", "elbow_2",        "item_twist",
    "item_swing",     "item_turn",        "head_turn",       "height",         "body_tilt"};

using Key = std::array<double, kJoints>;

struct Entry {
  bool present = false;
  std::vector<long> durations;
  bool posed = false;
  std::vector<Key> keys;
};

using Table = std::array<std::array<Entry, kPostures>, kKinds>;

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

// "0-4,8" into the numbers it names; false when malformed or outside 0..limit-1.
bool ParseList(const std::string& word, int limit, std::vector<int>& kinds) {
  std::istringstream parts(word);
  std::string part;
  while (std::getline(parts, part, ',')) {
    const size_t dash = part.find('-');
    long first = 0;
    long last = 0;
    if (dash == std::string::npos) {
      if (!ParseNumber(part, first)) return false;
      last = first;
    } else if (!ParseNumber(part.substr(0, dash), first) || !ParseNumber(part.substr(dash + 1), last)) {
      return false;
    }
    if (first < 0 || last >= limit || first > last) return false;
    for (long k = first; k <= last; ++k) kinds.push_back(static_cast<int>(k));
  }
  return !kinds.empty();
}

struct Block {
  int line = 0;
  std::vector<int> kinds;
  std::vector<int> postures;
  std::vector<Key> keys;
};

// Files a finished block into the table; the reason it is refused, or null.
const char* FileBlock(const Block& block, Table& table) {
  if (block.keys.size() < 2 || block.keys.size() > static_cast<size_t>(kMaxKeys)) return "a key count outside 2..18";
  const Key& first = block.keys.front();
  const Key& last = block.keys.back();
  for (int j = 0; j < kJoints; ++j) {
    if (std::fabs(last[static_cast<size_t>(j)] - first[static_cast<size_t>(j)]) > 90.0) {
      return "a joint jumps more than 90 degrees from the last key back to the first";
    }
  }
  for (const int kind : block.kinds) {
    for (const int posture : block.postures) {
      Entry& entry = table[static_cast<size_t>(kind)][static_cast<size_t>(posture)];
      if (entry.posed) return "kind and posture posed twice";
      if (entry.durations.size() != block.keys.size()) return "key count differs from the timing row";
      entry.posed = true;
      entry.keys = block.keys;
    }
  }
  return nullptr;
}

// Reads the pose source into the table (whose timing rows are read already); 0 or 1.
int ReadPoses(const std::string& source, Table& table) {
  std::ifstream in(source);
  if (!in) return Fail(source, 0, "cannot be read");
  Block block;
  bool open = false;
  std::string text;
  int lineNumber = 0;
  while (std::getline(in, text)) {
    ++lineNumber;
    const size_t hash = text.find('#');
    if (hash != std::string::npos) text.resize(hash);
    std::istringstream words(text);
    std::string word;
    if (!(words >> word)) continue;
    if (word == "pose") {
      if (open) {
        if (const char* reason = FileBlock(block, table)) return Fail(source, block.line, reason);
      }
      block = Block{};
      block.line = lineNumber;
      open = true;
      std::string kinds;
      std::string postures;
      if (!(words >> kinds >> postures) || !ParseList(kinds, kKinds, block.kinds)) {
        return Fail(source, lineNumber, "a pose needs kinds within 0..14 and postures");
      }
      if (!ParseList(postures, kPostures, block.postures)) return Fail(source, lineNumber, "posture outside 0..9");
      if (words >> word) return Fail(source, lineNumber, "more after the postures");
    } else if (word == "key") {
      if (!open) return Fail(source, lineNumber, "a key before any pose");
      Key key{};
      while (words >> word) {
        const size_t equals = word.find('=');
        int joint = -1;
        for (int j = 0; j < kJoints && equals != std::string::npos; ++j) {
          if (word.compare(0, equals, kJointNames[j]) == 0 && equals == std::strlen(kJointNames[j])) joint = j;
        }
        if (joint < 0) return Fail(source, lineNumber, "not a joint=value pair of a known joint");
        const std::string number = word.substr(equals + 1);
        char* end = nullptr;
        const double value = number.empty() ? 0.0 : std::strtod(number.c_str(), &end);
        if (number.empty() || end == nullptr || *end != '\0') return Fail(source, lineNumber, "not a number");
        if (!std::isfinite(value)) return Fail(source, lineNumber, "an angle that is not finite");
        key[static_cast<size_t>(joint)] = value;
      }
      block.keys.push_back(key);
    } else {
      return Fail(source, lineNumber, "a line must start with pose or key");
    }
  }
  if (open) {
    if (const char* reason = FileBlock(block, table)) return Fail(source, block.line, reason);
  }
  for (int k = 0; k < kKinds; ++k) {
    for (int p = 0; p < kPostures; ++p) {
      if (!table[static_cast<size_t>(k)][static_cast<size_t>(p)].posed) {
        char reason[64];
        std::snprintf(reason, sizeof reason, "no pose for kind %d posture %d", k, p);
        return Fail(source, lineNumber, reason);
      }
    }
  }
  return 0;
}

// A float literal that reads back as the same float on every compiler.
std::string FloatLiteral(double value) {
  char text[48];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(static_cast<float>(value)));
  std::string literal = text;
  if (literal.find_first_of(".e") == std::string::npos) literal += ".0";
  return literal + "f";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: make_infantry_animation timing.txt [poses.txt] InfantryAnimationData.cpp\n");
    return 2;
  }
  const std::string source = argv[1];
  std::ifstream in(source);
  if (!in) return Fail(source, 0, "cannot be read");
  Table table{};
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

  if (argc == 4 && ReadPoses(argv[2], table) != 0) return 1;

  std::ostringstream out;
  out << "// Made by make_infantry_animation from data/animation/timing.txt; do not edit.\n"
      << "#include \"game/units/tables/InfantryAnimation.h\"\n\n"
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
  out << "};\n\nconst float InfantryAnimation::kKeyPose[InfantryAnimation::kKinds][InfantryAnimation::kPostures]"
      << "[InfantryAnimation::kMaxKeys][InfantryAnimation::kJoints] = {\n";
  for (int k = 0; k < kKinds; ++k) {
    out << "    {\n";
    for (int p = 0; p < kPostures; ++p) {
      const std::vector<Key>& keys = table[static_cast<size_t>(k)][static_cast<size_t>(p)].keys;
      out << "        {\n";
      for (const Key& key : keys) {
        out << "            {";
        for (int j = 0; j < kJoints; ++j) out << (j != 0 ? ", " : "") << FloatLiteral(key[static_cast<size_t>(j)]);
        out << "},\n";
      }
      out << "        },\n";
    }
    out << "    },\n";
  }
  out << "};\n";

  const std::string target = argv[argc - 1];
  const std::string temporary = target + ".tmp";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file << out.str();
    if (!file) return Fail(target, 0, "cannot be written");
  }
  if (std::rename(temporary.c_str(), target.c_str()) != 0) return Fail(target, 0, "cannot be renamed into place");
  return 0;
}
