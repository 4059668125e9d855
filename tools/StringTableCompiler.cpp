#include "StringTableCompiler.h"

#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "platform/PText.h"

namespace {

struct Row {
  uint32_t id;
  std::string text;  // Windows-1252
  std::string name;  // empty when the row has none
};

bool IsIdentifier(const std::string& s) {
  if (s.empty()) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    const bool digit = c >= '0' && c <= '9';
    if (!letter && !(digit && i > 0)) return false;
  }
  return true;
}

// Parses decimal digits only (no sign, no blanks) into id; false when out of range.
bool ParseId(const std::string& s, uint32_t& id) {
  if (s.empty() || s.size() > 5) return false;
  uint32_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint32_t>(c - '0');
  }
  if (v > 65535) return false;
  id = v;
  return true;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    if (tab == std::string::npos) {
      parts.push_back(line.substr(start));
      return parts;
    }
    parts.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
}

void AppendCString(std::ostringstream& o, const std::string& bytes) {
  o << '"';
  for (unsigned char c : bytes) {
    if (c == '"' || c == '\\') {
      o << '\\' << c;
    } else if (c < 0x20 || c >= 0x7F || c == '?') {
      // Octal escapes keep the source plain ASCII; '?' is escaped so no trigraph can form.
      char b[8];
      std::snprintf(b, sizeof b, "\\%03o", c);
      o << b;
    } else {
      o << c;
    }
  }
  o << '"';
}

}  // namespace

bool StringTableCompiler::IsRefusedId(uint32_t id) { return id == 1221 || id == 1222 || id == 1264; }

bool StringTableCompiler::Compile(const std::string& source, const std::string& sourceName, Output& out,
                                  std::string& error) {
  std::vector<Row> rows;
  std::set<std::string> names;
  int lineNo = 0;
  size_t pos = 0;
  auto fail = [&](const std::string& reason) {
    error = sourceName + ":" + std::to_string(lineNo) + ": " + reason;
    return false;
  };
  while (pos < source.size()) {
    size_t end = source.find('\n', pos);
    if (end == std::string::npos) end = source.size();
    std::string line = source.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;

    const std::vector<std::string> parts = SplitTabs(line);
    if (parts.size() < 2 || parts.size() > 3) return fail("expected id<TAB>text or id<TAB>text<TAB>name");
    uint32_t id = 0;
    if (!ParseId(parts[0], id)) return fail("bad id \"" + parts[0] + "\" (decimal 0 to 65535)");
    if (IsRefusedId(id)) return fail("id " + std::to_string(id) + " must stay absent (drawn as an empty line)");
    if (!rows.empty() && id == rows.back().id) return fail("id " + std::to_string(id) + " repeated");
    if (!rows.empty() && id < rows.back().id)
      return fail("id " + std::to_string(id) + " out of order (after " + std::to_string(rows.back().id) + ")");
    if (parts[1].empty()) return fail("empty text");
    Row row{id, {}, {}};
    if (!PText::Utf8ToCp1252(parts[1], row.text)) return fail("text has no Windows-1252 form");
    if (row.text.size() > kMaxTextBytes) return fail("text longer than 255 bytes");
    const bool reserved = id >= kReservedFirst && id <= kReservedLast;
    if (parts.size() == 3) {
      if (!IsIdentifier(parts[2])) return fail("bad name \"" + parts[2] + "\" (a C++ identifier)");
      if (!names.insert(parts[2]).second) return fail("name " + parts[2] + " repeated");
      row.name = parts[2];
    } else if (reserved) {
      return fail("id " + std::to_string(id) + " lies in 20000-20999 and needs a name column");
    }
    rows.push_back(std::move(row));
  }

  std::ostringstream t;
  t << "// Generated from data/strings.txt. Do not edit.\n#include <cstdint>\n"
       "struct PStringTableRow { uint32_t id; uint32_t length; const char* text; };\n"
       "extern const PStringTableRow kPStringTableRows[];\nextern const uint32_t kPStringTableCount;\n"
       "const PStringTableRow kPStringTableRows[] = {\n";
  for (const Row& r : rows) {
    t << "  {" << r.id << "u, " << r.text.size() << "u, ";
    AppendCString(t, r.text);
    t << "},\n";
  }
  if (rows.empty()) t << "  {0u, 0u, \"\"},\n";
  t << "};\nconst uint32_t kPStringTableCount = " << rows.size() << "u;\n";

  std::ostringstream h;
  h << "// Generated from data/strings.txt. Do not edit.\n"
       "// The string table's named texts, for PStringTable and GString::LoadResource.\n"
       "#pragma once\n#include <cstdint>\n\n";
  for (const Row& r : rows)
    if (!r.name.empty()) h << "constexpr uint16_t " << r.name << " = " << r.id << ";\n";

  out.tableSource = t.str();
  out.idsHeader = h.str();
  return true;
}

bool StringTableCompiler::WriteFileWhole(const std::string& path, const std::string& bytes) {
  const std::string temporary = path + ".part";
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}
