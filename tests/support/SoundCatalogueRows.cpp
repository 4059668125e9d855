#include "support/SoundCatalogueRows.h"

#include <cctype>
#include <fstream>

std::set<int32_t> SoundCatalogueRows() {
  std::set<int32_t> rows;
  std::ifstream in(TARVANE_SOUND_CATALOGUE);
  std::string line;
  while (std::getline(in, line)) {
    // A row starts with its number; comments, headings and blank lines do not.
    if (line.empty() || !std::isdigit(static_cast<unsigned char>(line[0]))) continue;
    rows.insert(static_cast<int32_t>(std::stol(line)));
  }
  return rows;
}

std::string SoundsWithoutRows(const ResourceRecorder& recorder, const std::string& wavFolder) {
  const std::set<int32_t> rows = SoundCatalogueRows();
  std::string missing;
  for (int32_t n : recorder.Requests(PResourceObserver::Kind::kSound, wavFolder))
    if (rows.count(n) == 0) {
      if (!missing.empty()) missing += ", ";
      missing += std::to_string(n);
    }
  return missing.empty() ? "" : "sounds asked for without a row in data/sounds.txt: " + missing;
}
