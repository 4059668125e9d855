#include "DataTableCompiler.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "framework/core/Crc32.h"
#include "framework/core/GSplayEncoder.h"
#include "framework/core/LittleEndian.h"

namespace DataTableCompiler {

namespace {

using T = FieldType;
constexpr double kI32Low = -2147483648.0;
constexpr double kI32High = 2147483647.0;

Field F(const char* name, int32_t offset, FieldType type, double low, double high, double fallback = 0,
        int32_t count = 1) {
  return Field{name, offset, type, count, low, high, fallback};
}
Field Text(const char* name, int32_t offset, int32_t width) { return Field{name, offset, T::kText, width, 0, 0, 0}; }

std::vector<Field> VehicleFields() {
  std::vector<Field> f = {
      Text("name", 0, 35), Text("short_name", 35, 19),
      F("weight", 54, T::kI16, 0, 200), F("crew", 56, T::kU8, 0, 12), F("category", 60, T::kI32, 0, 39),
      F("type_code", 64, T::kI32, 0, 23, kRequired), F("main_weapon", 68, T::kI32, 0, 104, 104),
      F("ammo_row", 72, T::kI8, 0, 2), F("ammo_load", 74, T::kI16, 0, 255),
      F("value76", 76, T::kI32, kI32Low, kI32High), F("turret_speed", 80, T::kI32, 0, 5),
      F("traverse_limits", 84, T::kI16, -180, 180, 0, 2), F("bow_mg", 88, T::kI32, 0, 33, 33),
      F("coax_mg", 92, T::kI32, 0, 33, 33), F("coax_count", 96, T::kU8, 0, 4),
      F("coax_independent", 97, T::kU8, 0, 1), F("third_mg", 100, T::kI32, 0, 33, 33),
      F("third_count", 104, T::kU8, 0, 4), F("third_remote", 105, T::kU8, 0, 1),
      F("mg_ammo", 106, T::kU8, 0, 255, 0, 3), F("max_speed", 110, T::kI16, 0, 70),
      // Kind 0-6: the ground pressure of another kind stops the movement code. The ground
      // pressure (psi) is a float the tracked kind's movement and price read; no tracked vehicle
      // bears on the ground with more than 30.
      F("kind", 112, T::kI32, 0, 6), F("engine_power", 116, T::kI16, 0, 2000),
      F("ground_pressure", 120, T::kF32, 0, 30), F("turret", 124, T::kU8, 0, 1),
      F("top_armour", 168, T::kI16, 0, 200, 0, 2), F("draw_variant", 192, T::kI32, 0, 20),
      F("transport_class", 200, T::kI32, 0, 10), F("passengers", 204, T::kI8, 0, 2),
      F("passengers_protected", 205, T::kU8, 0, 1), F("size", 208, T::kF32, 0, 20),
      F("flags", 212, T::kU16, 0, 65535), F("value216", 216, T::kI32, kI32Low, kI32High),
      F("armour_page", 244, T::kU8, 0, 1), F("value248", 248, T::kI32, kI32Low, kI32High),
      F("smoke", 252, T::kI32, 0, 3), F("model", 256, T::kI32, 0, 98),
      // Who may buy it and when: the dates as YYMM, the choice weights as attacker and as
      // defender, the in-use byte and up to four force codes.
      F("first_date", 220, T::kI16, 4000, 4600, 4406), F("last_date", 222, T::kI16, 4000, 4600, 4505),
      F("weights", 224, T::kI32, 0, 100000, 1, 2), F("in_use", 232, T::kU8, 0, 1, 1),
      F("force_count", 233, T::kU8, 0, 4), F("forces", 234, T::kU8, 0, 18, 0, 4),
  };
  // Facing by facing (front, side, rear), each as turret, upper hull, lower hull: offset 140 is
  // the lower front plate, which the armoured test reads.
  static const char* const kArmour[9] = {"armour_turret_front", "armour_upper_front", "armour_lower_front",
                                         "armour_turret_side",  "armour_upper_side",  "armour_lower_side",
                                         "armour_turret_rear",  "armour_upper_rear",  "armour_lower_rear"};
  // Each entry: the thickness in mm and the slope in degrees from the vertical.
  for (int i = 0; i < 9; ++i) f.push_back(F(kArmour[i], 132 + 4 * i, T::kI16, -90, 400, 0, 2));
  return f;
}

std::vector<Field> InfantryFields() {
  return {
      Text("name", 0, 32), Text("short_name", 32, 18),
      F("squad", 50, T::kU8, 0, 1), F("demolition", 51, T::kU8, 0, 1), F("leader_level", 52, T::kI8, -1, 4),
      F("men", 54, T::kI16, 0, 20), F("main_weapon", 56, T::kI32, 0, 104, 104), F("ammo_row", 60, T::kI8, 0, 2),
      F("weapon_slots", 62, T::kI16, 0, 4), F("men_check", 64, T::kU8, 0, 1),
      F("slot_small_arms", 68, T::kI32, 0, 33, 33, 4), F("slot_men", 84, T::kI16, 0, 20, 0, 4),
      F("figure_kinds", 92, T::kI32, 0, 11, 0, 3), F("ordnance", 104, T::kI16, 0, 1),
      F("ammo_load", 106, T::kI16, 0, 255), F("speed_class", 108, T::kI32, 0, 4),
      F("class_code", 112, T::kI32, 0, 20), F("flags", 116, T::kI32, 0, 3),
      F("firepower_scale", 120, T::kI16, 0, 255, 60), F("value152", 152, T::kI16, -32768, 32767),
      // Who may buy it and when: the five-valued kind, the dates as YYMM, the choice weights as
      // attacker and as defender and up to five force codes.
      F("buy_kind", 124, T::kI32, 0, 4, 2), F("first_date", 128, T::kI16, 4000, 4600, 4406),
      F("last_date", 130, T::kI16, 4000, 4600, 4505), F("weights", 132, T::kI32, 0, 100000, 1, 2),
      F("force_count", 140, T::kU8, 0, 5), F("forces", 141, T::kU8, 0, 18, 0, 5),
  };
}

std::vector<Field> WeaponFields() {
  return {
      F("type", 0, T::kI32, 0, 8), F("calibre", 4, T::kF32, 0, 600),
      F("mass", 8, T::kF32, 0, 1000, 0, 5), F("velocity", 28, T::kF32, 0, 2000, 0, 5),
      F("heat_penetration", 48, T::kF32, 0, 600), F("explosive_fraction", 52, T::kF32, 0, 0.301),
      F("shot_type", 56, T::kI32, 0, 5), F("subcalibre", 60, T::kU8, 0, 1), F("count", 61, T::kI8, 0, 100),
      F("value62", 62, T::kU8, 0, 255),
      F("mix0", 64, T::kI8, 0, 100, 0, 2), F("mix0_count", 68, T::kI32, 0, 4),
      F("mix1", 72, T::kI8, 0, 100, 0, 2), F("mix1_count", 76, T::kI32, 0, 4),
      F("mix2", 80, T::kI8, 0, 100, 0, 2), F("mix2_count", 84, T::kI32, 0, 4),
      F("cost_class", 88, T::kI16, 0, 10, 0, 2), F("flags", 92, T::kU16, 0, 65535),
      F("min_range", 96, T::kF32, 0, 40000), F("max_range", 100, T::kF32, 0, 40000),
      F("sound", 104, T::kI16, 0, 32767), F("draw_kind", 108, T::kI32, 0, 24, 24),
      F("model_scale", 112, T::kF32, 0.05, 10, 1),
  };
}

std::vector<Field> SmallArmsFields() {
  return {
      Text("name", 0, 26), F("per_man", 26, T::kI16, 0, 100), F("firepower", 28, T::kF32, 0, 1000, 0, 11),
      F("max_range", 72, T::kI16, 0, 3000), F("anti_armour", 76, T::kI32, 0, 2), F("flag", 80, T::kI8, 0, 1),
  };
}

std::vector<Field> ModelFields() {
  return {
      F("sound", 0, T::kI16, 0, 32767), F("hatches", 2, T::kI8, 0, 5),
      // The crew shown on the hull: the count (also the exposed gunners), each place's pose kind,
      // then per place x, y, z (the figure stands at 0.04 times them, in model units), heading in
      // degrees and the turret pivot's y (0.0 for a place that does not turn with a turret).
      F("crew_places", 3, T::kU8, 0, 2), F("crew_kinds", 4, T::kI32, 0, 9, 0, 2),
      F("crew_place", 12, T::kF32, -360, 360, 0, 10), F("value52", 52, T::kF32, -1e6, 1e6),
      F("value56", 56, T::kF32, -1e6, 1e6), F("rider_height", 60, T::kF32, -10, 10),
      F("textures", 64, T::kI16, 0, 32767, 0, 5), F("extra_count", 74, T::kI16, 0, 11),
      F("extra_textures", 76, T::kI16, 0, 32767, 0, 11),
  };
}

std::vector<Field> DrawFields() {
  return {
      F("offset", 0, T::kF32, -200, 200, 0, 3), F("texture_count", 12, T::kI16, 0, 17),
      F("textures", 14, T::kI16, 0, 32767, 0, 17),
  };
}

std::vector<Field> FormationFields() {
  return {
      F("in_use", 0, T::kU8, 0, 1), Text("name", 1, 47), F("nation_count", 48, T::kU8, 0, 5),
      F("nations", 52, T::kI32, 0, 18, 0, 5), F("entry_count", 72, T::kU8, 0, 8),
      // Repeated: kind (4 = a nested formation), count, class.
      Field{"entry", 76, T::kEntry, 8, -32768, 32767, 0},
      F("first_date", 140, T::kI16, 4000, 4600), F("last_date", 142, T::kI16, 4000, 4600),
      F("selectors", 144, T::kI32, kI32Low, kI32High, 0, 2),
  };
}

std::string Where(const std::string& file, int line) { return file + ":" + std::to_string(line) + ": "; }

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

std::vector<std::string> Words(const std::string& s) {
  std::vector<std::string> words;
  std::istringstream in(s);
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

bool ParseNumber(const std::string& word, double& value) {
  if (word.empty()) return false;
  const char* text = word.c_str();
  char* end = nullptr;
  errno = 0;
  if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
    const unsigned long long v = std::strtoull(text + 2, &end, 16);
    if (*end != '\0' || errno != 0 || end == text + 2) return false;
    value = static_cast<double>(v);
    return true;
  }
  value = std::strtod(text, &end);
  return *end == '\0' && errno == 0 && std::isfinite(value);
}

bool IsInteger(FieldType t) { return t != T::kF32 && t != T::kText; }

void Store(uint8_t* at, FieldType type, double v) {
  switch (type) {
    case T::kI8:
    case T::kU8:
      *at = static_cast<uint8_t>(static_cast<int32_t>(v));
      break;
    case T::kI16:
    case T::kU16:
      StoreLE16(at, static_cast<uint16_t>(static_cast<int32_t>(v)));
      break;
    case T::kI32:
      StoreLE32(at, static_cast<uint32_t>(static_cast<int64_t>(v)));
      break;
    case T::kF32:
      StoreLEFloat(at, static_cast<float>(v));
      break;
    default:
      break;
  }
}

int32_t Width(FieldType type) {
  switch (type) {
    case T::kI8:
    case T::kU8:
      return 1;
    case T::kI16:
    case T::kU16:
      return 2;
    default:
      return 4;
  }
}

void ApplyFallbacks(const Table& table, uint8_t* record) {
  for (const Field& f : table.fields) {
    if (f.type == T::kText || f.type == T::kEntry || f.fallback == 0 || f.fallback == kRequired) continue;
    for (int32_t i = 0; i < f.count; ++i) Store(record + f.offset + i * Width(f.type), f.type, f.fallback);
  }
}

// The first field without a fallback that the record left out, or null.
const Field* MissingField(const Table& table, const std::set<std::string>& given) {
  for (const Field& f : table.fields)
    if (f.fallback == kRequired && given.count(f.name) == 0) return &f;
  return nullptr;
}

}  // namespace

const std::vector<Table>& Tables() {
  static const std::vector<Table> tables = {
      // Weight, then road speed, kind and engine power, then the nine plates and the two roofs.
      {"vehicles.txt", 260, 227, 0, VehicleFields(), {{54, 2}, {110, 8}, {132, 40}}},
      {"infantry.txt", 156, 243, 0, InfantryFields()},
      {"weapons.txt", 116, 105, 0, WeaponFields()},
      {"small_arms.txt", 84, 34, 0, SmallArmsFields()},
      {"vehicle_models.txt", 100, 99, 99, ModelFields()},
      {"weapon_draws.txt", 48, 24, 24, DrawFields()},
      {"formations.txt", 152, 129, 129, FormationFields()},
  };
  return tables;
}

namespace {

constexpr const char* kFiguresOf = "figures_of";

int32_t Family(std::map<int32_t, int32_t>& parent, int32_t n) {
  while (parent.count(n) != 0 && parent[n] != n) n = parent[n];
  return n;
}

bool SameFigures(const Table& table, const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  for (const Span& s : table.ownFigures) {
    if (std::memcmp(a.data() + s.offset, b.data() + s.offset, static_cast<size_t>(s.length)) != 0) return false;
  }
  return true;
}

// Every pair of records alike in their own figures must be linked by "figures_of"; a link must
// name a record of the table other than its own.
bool CheckOwnFigures(const Table& table, const std::map<int32_t, std::vector<uint8_t>>& byNumber,
                     const std::map<int32_t, std::pair<int32_t, int>>& links,
                     const std::map<int32_t, int>& recordLines, const std::string& fileName, std::string& error) {
  std::map<int32_t, int32_t> parent;
  for (const auto& [n, link] : links) {
    if (link.first == n || byNumber.count(link.first) == 0) {
      error = Where(fileName, link.second) + "'" + kFiguresOf + "' must name another record of the table";
      return false;
    }
    parent[Family(parent, n)] = Family(parent, link.first);
  }
  if (table.ownFigures.empty()) return true;
  for (auto a = byNumber.begin(); a != byNumber.end(); ++a) {
    for (auto b = std::next(a); b != byNumber.end(); ++b) {
      if (!SameFigures(table, a->second, b->second) || Family(parent, a->first) == Family(parent, b->first)) continue;
      error = Where(fileName, recordLines.at(b->first)) + "records " + std::to_string(a->first) + " and " +
              std::to_string(b->first) + " have the same figures: give each its own, or '" + kFiguresOf +
              "' when one takes the other's";
      return false;
    }
  }
  return true;
}

}  // namespace

bool CompileTable(const Table& table, const std::string& source, const std::string& fileName,
                  std::vector<uint8_t>& records, std::string& error) {
  std::map<int32_t, std::pair<int32_t, int>> links;  // record -> the record it takes figures of, line
  std::map<int32_t, int> recordLines;
  std::map<int32_t, std::vector<uint8_t>> byNumber;
  std::vector<uint8_t>* current = nullptr;
  int32_t currentNumber = 0;
  std::set<std::string> given;
  auto complete = [&](int at) {
    const Field* missing = current == nullptr ? nullptr : MissingField(table, given);
    if (missing == nullptr) return true;
    error = Where(fileName, at) + "record " + std::to_string(currentNumber) + " does not give '" + missing->name + "'";
    return false;
  };
  int32_t entries = 0;
  std::istringstream in(source);
  std::string raw;
  int line = 0;
  while (std::getline(in, raw)) {
    ++line;
    const std::string text = Trim(raw);
    if (text.empty() || text[0] == '#') continue;
    const size_t eq = text.find('=');
    if (eq == std::string::npos) {
      error = Where(fileName, line) + "expected 'field = value'";
      return false;
    }
    const std::string name = Trim(text.substr(0, eq));
    const std::string value = Trim(text.substr(eq + 1));
    if (name == "record") {
      double n = 0;
      if (!ParseNumber(value, n) || n != std::floor(n) || n < 0 || n > 9999) {
        error = Where(fileName, line) + "record number must be a whole number 0..9999";
        return false;
      }
      const int32_t number = static_cast<int32_t>(n);
      if (!complete(line)) return false;
      if (byNumber.count(number) != 0) {
        error = Where(fileName, line) + "record " + std::to_string(number) + " is given twice";
        return false;
      }
      current = &byNumber[number];
      currentNumber = number;
      recordLines[number] = line;
      current->assign(table.recordSize, 0);
      ApplyFallbacks(table, current->data());
      given.clear();
      entries = 0;
      continue;
    }
    if (current == nullptr) {
      error = Where(fileName, line) + "field before the first 'record = N'";
      return false;
    }
    if (name == kFiguresOf && !table.ownFigures.empty()) {
      double n = 0;
      if (links.count(currentNumber) != 0 || !ParseNumber(value, n) || n != std::floor(n) || n < 0 || n > 9999) {
        error = Where(fileName, line) + "'" + kFiguresOf + "' takes one record number, once";
        return false;
      }
      links[currentNumber] = {static_cast<int32_t>(n), line};
      continue;
    }
    const Field* field = nullptr;
    for (const Field& f : table.fields)
      if (name == f.name) field = &f;
    if (field == nullptr) {
      error = Where(fileName, line) + "unknown field '" + name + "'";
      return false;
    }
    if (field->type != T::kEntry && !given.insert(name).second) {
      error = Where(fileName, line) + "field '" + name + "' is given twice in the record";
      return false;
    }
    uint8_t* record = current->data();
    if (field->type == T::kText) {
      if (value.size() < 2 || value.front() != '"' || value.back() != '"') {
        error = Where(fileName, line) + "text must be in double quotes";
        return false;
      }
      const std::string body = value.substr(1, value.size() - 2);
      if (static_cast<int32_t>(body.size()) >= field->count || body.find('"') != std::string::npos) {
        error = Where(fileName, line) + "text longer than " + std::to_string(field->count - 1) + " characters";
        return false;
      }
      std::memcpy(record + field->offset, body.data(), body.size());
      continue;
    }
    const std::vector<std::string> words = Words(value);
    std::vector<double> numbers;
    for (const std::string& w : words) {
      double v = 0;
      if (!ParseNumber(w, v)) {
        error = Where(fileName, line) + "'" + w + "' is not a number";
        return false;
      }
      numbers.push_back(v);
    }
    if (field->type == T::kEntry) {
      if (numbers.size() != 3) {
        error = Where(fileName, line) + "an entry is three numbers: kind, count, class";
        return false;
      }
      if (entries >= field->count) {
        error = Where(fileName, line) + "more than " + std::to_string(field->count) + " entries";
        return false;
      }
      const FieldType parts[3] = {T::kI32, T::kI8, T::kI16};
      const double lows[3] = {0, 0, 0};
      const double highs[3] = {8, 100, 999};
      const int32_t offsets[3] = {0, 4, 6};
      for (int i = 0; i < 3; ++i) {
        if (numbers[i] != std::floor(numbers[i]) || numbers[i] < lows[i] || numbers[i] > highs[i]) {
          error = Where(fileName, line) + "entry value out of range";
          return false;
        }
        Store(record + field->offset + 8 * entries + offsets[i], parts[i], numbers[i]);
      }
      ++entries;
      continue;
    }
    if (numbers.empty() || static_cast<int32_t>(numbers.size()) > field->count) {
      error = Where(fileName, line) + "'" + name + "' takes " +
              (field->count == 1 ? std::string("one value") : "1 to " + std::to_string(field->count) + " values");
      return false;
    }
    for (size_t i = 0; i < numbers.size(); ++i) {
      const double v = numbers[i];
      if (IsInteger(field->type) && v != std::floor(v)) {
        error = Where(fileName, line) + "'" + name + "' takes whole numbers";
        return false;
      }
      if (v < field->low || v > field->high) {
        std::ostringstream range;
        range << field->low << ".." << field->high;
        error = Where(fileName, line) + "'" + name + "' out of range " + range.str();
        return false;
      }
      Store(record + field->offset + static_cast<int32_t>(i) * Width(field->type), field->type, v);
    }
  }
  if (!complete(line)) return false;
  const int32_t count = byNumber.empty() ? 0 : byNumber.rbegin()->first + 1;
  for (int32_t n = 0; n < count; ++n) {
    if (byNumber.count(n) == 0) {
      error = Where(fileName, line) + "record " + std::to_string(n) + " is missing";
      return false;
    }
  }
  if (count < table.minRecords || (table.exactRecords > 0 && count != table.exactRecords)) {
    error = Where(fileName, line) + std::to_string(count) + " records; the table needs " +
            (table.exactRecords > 0 ? "exactly " + std::to_string(table.exactRecords)
                                    : "at least " + std::to_string(table.minRecords));
    return false;
  }
  if (!CheckOwnFigures(table, byNumber, links, recordLines, fileName, error)) return false;
  records.clear();
  for (auto& [n, bytes] : byNumber) records.insert(records.end(), bytes.begin(), bytes.end());
  return true;
}

const std::vector<SurnameGroup>& SurnameGroups() {
  static const std::vector<SurnameGroup> groups = {
      {"german.txt", 430, 14}, {"american.txt", 547, 12}, {"british.txt", 431, 13},
      {"canadian.txt", 238, 12}, {"polish.txt", 267, 13}, {"french.txt", 320, 13},
  };
  return groups;
}

bool CompileSurnames(const SurnameGroup& group, const std::string& source, const std::string& fileName,
                     std::vector<char>& entries, std::string& error) {
  std::vector<std::string> stems, endings;
  std::set<std::string> names;
  double count = -1, width = -1, seed = -1;
  std::istringstream in(source);
  std::string raw;
  int line = 0;
  while (std::getline(in, raw)) {
    ++line;
    const std::string text = Trim(raw);
    if (text.empty() || text[0] == '#') continue;
    const size_t eq = text.find('=');
    if (eq == std::string::npos) {
      error = Where(fileName, line) + "expected 'key = value'";
      return false;
    }
    const std::string key = Trim(text.substr(0, eq));
    const std::vector<std::string> words = Words(text.substr(eq + 1));
    for (const std::string& w : words) {
      for (unsigned char c : w) {
        if (c < 0x21 || c > 0x7E || c == '=' || c == '#') {
          error = Where(fileName, line) + "'" + w + "' is not a plain ASCII name part";
          return false;
        }
      }
    }
    if (key == "count" || key == "width" || key == "seed") {
      double v = 0;
      if (words.size() != 1 || !ParseNumber(words[0], v) || v != std::floor(v) || v < 0 || v > 4294967295.0) {
        error = Where(fileName, line) + "'" + key + "' takes one whole number";
        return false;
      }
      (key == "count" ? count : key == "width" ? width : seed) = v;
    } else if (key == "stems") {
      stems.insert(stems.end(), words.begin(), words.end());
    } else if (key == "endings") {
      endings.insert(endings.end(), words.begin(), words.end());
    } else if (key == "names") {
      names.insert(words.begin(), words.end());
    } else {
      error = Where(fileName, line) + "unknown key '" + key + "'";
      return false;
    }
  }
  if (count != group.count || width != group.width) {
    error = Where(fileName, line) + "the list must have count = " + std::to_string(group.count) +
            " and width = " + std::to_string(group.width);
    return false;
  }
  if (seed < 0) {
    error = Where(fileName, line) + "no seed";
    return false;
  }
  std::set<std::string> candidates;
  for (const std::string& n : names)
    if (static_cast<int32_t>(n.size()) < group.width) candidates.insert(n);
  for (const std::string& s : stems) {
    for (const std::string& e : endings) {
      std::string name = s;
      if (e == "-") {
        // The stem alone.
      } else if (!name.empty() && name.back() == e.front()) {
        name += e.substr(1);
      } else {
        name += e;
      }
      if (static_cast<int32_t>(name.size()) < group.width) candidates.insert(name);
    }
  }
  std::vector<std::string> pool(candidates.begin(), candidates.end());
  if (static_cast<int32_t>(pool.size()) < group.count) {
    error = Where(fileName, line) + "only " + std::to_string(pool.size()) + " distinct names fit; " +
            std::to_string(group.count) + " are needed";
    return false;
  }
  // A fixed shuffle (a 32-bit linear congruential generator from the seed), then the first
  // count names in alphabetical order.
  uint32_t state = static_cast<uint32_t>(seed);
  for (size_t i = pool.size() - 1; i > 0; --i) {
    state = state * 1664525u + 1013904223u;
    const size_t j = static_cast<size_t>((static_cast<uint64_t>(state) * (i + 1)) >> 32);
    std::swap(pool[i], pool[j]);
  }
  pool.resize(static_cast<size_t>(group.count));
  std::sort(pool.begin(), pool.end());
  entries.assign(static_cast<size_t>(group.count) * static_cast<size_t>(group.width), '\0');
  for (size_t i = 0; i < pool.size(); ++i) std::memcpy(&entries[i * static_cast<size_t>(group.width)], pool[i].data(), pool[i].size());
  return true;
}

std::vector<uint8_t> FrameTables(const std::vector<std::vector<uint8_t>>& tables) {
  std::vector<uint8_t> out;
  for (const auto& t : tables) {
    const uint32_t n = static_cast<uint32_t>(t.size());
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(n >> shift));
    out.insert(out.end(), t.begin(), t.end());
  }
  return out;
}

std::vector<uint8_t> Compress(const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> out;
  GSplayEncoder encoder([&out](const uint8_t* b, size_t n) { out.insert(out.end(), b, b + n); });
  if (!bytes.empty()) encoder.Put(bytes.data(), bytes.size());
  encoder.Finish();
  return out;
}

uint32_t Scramble(std::vector<uint8_t>& block) {
  while (block.size() % 4 != 0) block.push_back(0);
  uint32_t key = 0x5B21C7E4u;
  for (size_t at = 0; at < block.size(); at += 4) {
    uint8_t* g = block.data() + at;
    const uint8_t plain[4] = {g[0], g[1], g[2], g[3]};
    uint8_t n[4];
    for (int i = 0; i < 4; ++i) n[i] = static_cast<uint8_t>(plain[i] ^ (key >> (8 * i)));
    // Undo the reordering (new 0 = old 1, new 1 = old 3, 2 stays, new 3 = old 0), the bit
    // exchanges (their own inverse) and the inversions.
    uint8_t b0 = n[3], b1 = n[0], b2 = n[2], b3 = n[1];
    auto swapBits = [](uint8_t& byte, int a, int b) {
      if (((byte >> a) & 1) != ((byte >> b) & 1)) byte = static_cast<uint8_t>(byte ^ ((1 << a) | (1 << b)));
    };
    swapBits(b0, 2, 5);
    swapBits(b3, 4, 7);
    g[0] = b0;
    g[1] = static_cast<uint8_t>(~b1);
    g[2] = static_cast<uint8_t>(~b2);
    g[3] = b3;
    for (int i = 0; i < 4; ++i) key = Crc32Update(key, plain[i]);
  }
  return key;
}

namespace {

void AppendBytes(std::string& out, const uint8_t* bytes, size_t n) {
  char hex[8];
  for (size_t i = 0; i < n; ++i) {
    std::snprintf(hex, sizeof hex, "%u,", static_cast<unsigned>(bytes[i]));
    out += hex;
    if (i % 24 == 23) out += '\n';
  }
  out += '\n';
}

}  // namespace

std::string GeneratedSource(const std::vector<uint8_t>& block, uint32_t endKey,
                            const std::vector<std::vector<char>>& surnames) {
  std::string out;
  out.reserve(block.size() * 4 + 65536);
  out += "// Made by make_data_tables from data/tables/ and data/names/; do not edit.\n";
  out += "#include \"game/units/tables/DataTablesBlock.h\"\n\n";
  out += "const uint8_t kDataTablesBlock[] = {\n";
  AppendBytes(out, block.data(), block.size());
  out += "};\n";
  out += "const size_t kDataTablesBlockSize = " + std::to_string(block.size()) + ";\n";
  char key[32];
  std::snprintf(key, sizeof key, "0x%08Xu", endKey);
  out += std::string("const uint32_t kDataTablesEndKey = ") + key + ";\n";
  for (size_t g = 0; g < surnames.size(); ++g) {
    out += "\nconst char kSurnames" + std::to_string(g) + "[] = {\n";
    AppendBytes(out, reinterpret_cast<const uint8_t*>(surnames[g].data()), surnames[g].size());
    out += "};\n";
  }
  return out;
}

}  // namespace DataTableCompiler
