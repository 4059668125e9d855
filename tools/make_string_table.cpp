// Turns data/strings.txt (rows of "id<TAB>text", UTF-8) into a C++ table of Windows-1252
// texts. Blank lines and lines starting with '#' are skipped. A row that is malformed, a
// repeated id, a character with no Windows-1252 form or a text over 255 bytes stops the build.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "platform/PText.h"



int main(int argc, char** argv) {
  if (argc != 3) { std::fprintf(stderr, "usage: make_string_table strings.txt out.cpp\n"); return 2; }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) { std::fprintf(stderr, "cannot read %s\n", argv[1]); return 1; }
  std::map<long, std::string> rows;
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    size_t tab = line.find('\t');
    if (tab == std::string::npos || tab == 0) { std::fprintf(stderr, "%s:%d: no id<TAB>text\n", argv[1], lineNo); return 1; }
    char* end = nullptr;
    const std::string idText = line.substr(0, tab);
    long id = std::strtol(idText.c_str(), &end, 10);
    if (*end != 0 || id < 0 || id > 65535) { std::fprintf(stderr, "%s:%d: bad id\n", argv[1], lineNo); return 1; }
    std::string text;
    if (!PText::Utf8ToCp1252(line.substr(tab + 1), text)) { std::fprintf(stderr, "%s:%d: text has no Windows-1252 form\n", argv[1], lineNo); return 1; }
    if (text.size() > 255) { std::fprintf(stderr, "%s:%d: text longer than 255 bytes\n", argv[1], lineNo); return 1; }
    if (!rows.emplace(id, text).second) { std::fprintf(stderr, "%s:%d: id %ld repeated\n", argv[1], lineNo, id); return 1; }
  }
  std::ostringstream o;
  o << "// Generated from data/strings.txt. Do not edit.\n#include <cstdint>\n"
       "struct PStringTableRow { uint32_t id; uint32_t length; const char* text; };\n"
       "extern const PStringTableRow kPStringTableRows[];\nextern const uint32_t kPStringTableCount;\n"
       "const PStringTableRow kPStringTableRows[] = {\n";
  for (const auto& [id, text] : rows) {
    o << "  {" << id << "u, " << text.size() << "u, \"";
    for (unsigned char c : text) {
      if (c == '"' || c == '\\') o << '\\' << c;
      else if (c < 0x20 || c >= 0x7F) { char b[8]; std::snprintf(b, sizeof b, "\\%03o", c); o << b; }
      else o << c;
    }
    o << "\"},\n";
  }
  if (rows.empty()) o << "  {0u, 0u, \"\"},\n";
  o << "};\nconst uint32_t kPStringTableCount = " << rows.size() << "u;\n";
  std::ofstream out(argv[2], std::ios::binary);
  out << o.str();
  return out ? 0 : 1;
}
