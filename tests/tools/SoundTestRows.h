#pragma once
// The catalogue rows as the tool tests see them, read independently of the tool, and the
// samples of a made sound file.
#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "framework/media/GSoundWave.h"

namespace soundrows {

struct Row {
  int number = 0;
  std::string form, length, recipe, player, purpose, language, phrase;
  bool Stereo() const { return form == "stream" || form == "stream-loop"; }
  bool Loop() const { return form == "mono-loop" || form == "stream-loop"; }
  // The value of a recipe argument, or "".
  std::string Arg(const std::string& key) const {
    std::istringstream in(recipe);
    std::string word;
    while (in >> word)
      if (word.rfind(key + "=", 0) == 0) return word.substr(key.size() + 1);
    return "";
  }
};

inline std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(' ');
  const size_t b = s.find_last_not_of(' ');
  return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

inline std::map<int, Row> ReadRows() {
  std::map<int, Row> rows;
  std::ifstream in(TARVANE_SOUND_CATALOGUE_FILE);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] < '0' || line[0] > '9') continue;
    std::vector<std::string> f;
    std::istringstream fields(line);
    std::string field;
    while (std::getline(fields, field, '|')) f.push_back(Trim(field));
    Row r;
    r.number = std::stoi(f.at(0));
    r.form = f.at(1);
    r.length = f.at(2);
    r.recipe = f.at(3);
    r.player = f.at(4);
    r.purpose = f.at(5);
    if (f.size() == 8) {
      r.language = f[6];
      r.phrase = f[7];
    }
    rows[r.number] = r;
  }
  return rows;
}

inline std::string SoundPath(int number) {
  std::string name;
  GSoundWave::MakeWaveFileName(name, static_cast<int16_t>(number));
  return std::string(TARVANE_SOUND_DIR) + "/" + name.substr(4);
}

// A made file: its format and its samples (interleaved when stereo), all of them.
struct Made {
  int32_t result = -1;
  GSoundWaveFormat format;
  std::vector<int16_t> samples;
};

inline Made ReadMade(const std::string& path) {
  Made m;
  std::unique_ptr<PRiffFile> file;
  std::unique_ptr<GSoundWaveFormat> format;
  PRiffChunk riff;
  m.result = GSoundWave::OpenWaveFile(path, file, format, riff);
  if (m.result != GSoundWave::kOk) return m;
  m.format = *format;
  const int64_t size = GSoundWave::FindWaveData(*file, riff);
  if (size <= 0 || size % 2 != 0) {
    m.result = -2;
    return m;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  int64_t read = 0;
  GSoundWave::ReadWaveData(*file, static_cast<uint32_t>(size), bytes.data(), &read);
  GSoundWave::CloseWaveFile(file, format);
  if (read != size) {
    m.result = -3;
    return m;
  }
  m.samples.resize(bytes.size() / 2);
  for (size_t i = 0; i < m.samples.size(); ++i)
    m.samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return m;
}

}  // namespace soundrows
