// Makes every numbered sound of the catalogue (data/sounds.txt) into the program's WAV
// folder: RIFF WAVE, 16-bit PCM at 44,100 Hz, mono for plain and positional sounds, stereo for
// streams, under the names the sound engine looks for. Usage:
//   make_sounds catalogue shown-name out-folder [--only N,N,...]
// Everything is made in memory first: a bad row, an argument out of range or a phrase that
// cannot be spoken stops the run with "shown-name:line: reason" before any file is written.
// With --only just those numbers are made (tests use it); otherwise stale numbered files
// that the catalogue no longer has are removed.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "framework/media/GSoundWave.h"
#include "sounds/SoundCatalogue.h"
#include "sounds/SoundRecipes.h"
#include "sounds/SoundSpeech.h"

namespace {

void Put16(std::string& b, uint32_t v) {
  b.push_back(static_cast<char>(v & 255));
  b.push_back(static_cast<char>((v >> 8) & 255));
}
void Put32(std::string& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// The bytes of a WAV file holding the signal as 16-bit samples (interleaved when stereo).
std::string WaveBytes(const SoundSignal& s) {
  const bool stereo = !s.right.empty();
  const uint32_t channels = stereo ? 2 : 1;
  const uint32_t frames = static_cast<uint32_t>(s.left.size());
  const uint32_t dataBytes = frames * channels * 2;
  std::string b;
  b.reserve(44 + dataBytes);
  b += "RIFF";
  Put32(b, 36 + dataBytes);
  b += "WAVEfmt ";
  Put32(b, 16);
  Put16(b, 1);
  Put16(b, channels);
  Put32(b, 44100);
  Put32(b, 44100 * channels * 2);
  Put16(b, channels * 2);
  Put16(b, 16);
  b += "data";
  Put32(b, dataBytes);
  auto sample = [](float v) {
    const double x = std::clamp(static_cast<double>(v) * 32767.0, -32767.0, 32767.0);
    return static_cast<uint32_t>(static_cast<uint16_t>(static_cast<int16_t>(std::lround(x))));
  };
  for (uint32_t i = 0; i < frames; ++i) {
    Put16(b, sample(s.left[i]));
    if (stereo) Put16(b, sample(s.right[i]));
  }
  return b;
}

std::string FileName(int number) {
  std::string name;
  GSoundWave::MakeWaveFileName(name, static_cast<int16_t>(number));
  return name.substr(name.find('\\') + 1);  // "WAV\" is the folder we write into
}

bool ParseOnly(const std::string& list, std::set<int>& only) {
  std::istringstream in(list);
  std::string item;
  while (std::getline(in, item, ',')) {
    char* end = nullptr;
    const long v = std::strtol(item.c_str(), &end, 10);
    if (item.empty() || *end != 0 || v < 1 || v > 32767) return false;
    only.insert(static_cast<int>(v));
  }
  return !only.empty();
}

}  // namespace

int main(int argc, char** argv) {
  const auto started = std::chrono::steady_clock::now();
  std::set<int> only;
  if ((argc != 4 && argc != 6) || (argc == 6 && (std::string(argv[4]) != "--only" || !ParseOnly(argv[5], only)))) {
    std::fprintf(stderr, "usage: make_sounds catalogue shown-name out-folder [--only N,N,...]\n");
    return 2;
  }
  SoundCatalogue catalogue;
  if (!catalogue.Load(argv[1], argv[2])) {
    std::fprintf(stderr, "%s\n", catalogue.Error().c_str());
    return 1;
  }
  std::vector<const SoundRow*> rows;
  for (const SoundRow& row : catalogue.Rows())
    if (only.empty() || only.count(row.number)) rows.push_back(&row);
  for (int n : only) {
    bool found = false;
    for (const SoundRow* r : rows) found = found || r->number == n;
    if (!found) {
      std::fprintf(stderr, "%s: no row for sound %d\n", argv[2], n);
      return 1;
    }
  }

  const size_t count = rows.size();
  std::vector<std::vector<short>> raw(count);  // speech at the engine's own rate
  std::vector<SoundSignal> made(count);
  std::vector<std::string> errors(count);

  // Every phrase is spoken first, before any thread starts (the speech engine forks); the
  // spoken phrases are then finished in parallel with the other sounds.
  const unsigned workers = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
  SoundSpeech speechEngine;
  {
    std::vector<SoundSpeech::Phrase> phrases;
    std::vector<size_t> phraseRow;
    for (size_t i = 0; i < count; ++i) {
      const SoundRow& r = *rows[i];
      if (!r.IsSpeech()) continue;
      auto arg = [&](const char* key, int def) {
        auto it = r.args.find(key);
        return it == r.args.end() ? def : std::atoi(it->second.c_str());
      };
      phrases.push_back({SoundRecipes::SpeechVoice(r.language), arg("speaker", 0), arg("pitch", 50), arg("rate", 200),
                         r.phrase});
      phraseRow.push_back(i);
    }
    std::vector<std::vector<short>> spoken;
    std::vector<std::string> reasons;
    speechEngine.SpeakAll(phrases, static_cast<int>(workers), spoken, reasons);
    for (size_t k = 0; k < phrases.size(); ++k) {
      const size_t i = phraseRow[k];
      raw[i] = std::move(spoken[k]);
      if (!reasons[k].empty()) errors[i] = catalogue.RowError(*rows[i], reasons[k]);
    }
  }
  {
    std::atomic<size_t> next{0};
    std::vector<std::thread> pool;
    for (unsigned w = 0; w < workers; ++w)
      pool.emplace_back([&] {
        for (size_t i = next++; i < count; i = next++) {
          const SoundRow& r = *rows[i];
          if (!errors[i].empty()) continue;
          std::string reason;
          std::vector<float> speech;
          if (r.IsSpeech() && !speechEngine.Resample(raw[i], speech, reason))
            errors[i] = catalogue.RowError(r, reason);
          else if (!SoundRecipes::Make(r, r.IsSpeech() ? &speech : nullptr, made[i], reason))
            errors[i] = catalogue.RowError(r, reason);
          else if (!r.IsStereo() && made[i].left.size() * 2 > SoundCatalogue::kMaxPlainBytes)
            errors[i] = catalogue.RowError(r, "the sound is longer than 1048576 bytes");
          raw[i] = {};
        }
      });
    for (std::thread& t : pool) t.join();
  }
  for (const std::string& e : errors)
    if (!e.empty()) {
      std::fprintf(stderr, "%s\n", e.c_str());
      return 1;
    }

  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path out(argv[3]);
  fs::create_directories(out, ec);
  std::set<std::string> names;
  uint64_t totalBytes = 0;
  for (size_t i = 0; i < count; ++i) {
    const std::string name = FileName(rows[i]->number);
    names.insert(name);
    const std::string bytes = WaveBytes(made[i]);
    totalBytes += bytes.size();
    const fs::path tmp = out / (name + ".tmp");
    {
      std::ofstream f(tmp, std::ios::binary);
      f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      if (!f) {
        std::fprintf(stderr, "%s: cannot be written\n", tmp.string().c_str());
        fs::remove(tmp, ec);
        return 1;
      }
    }
    fs::rename(tmp, out / name, ec);
    if (ec) {
      std::fprintf(stderr, "%s: cannot be written\n", (out / name).string().c_str());
      fs::remove(tmp, ec);
      return 1;
    }
  }
  if (only.empty()) {
    for (const fs::directory_entry& e : fs::directory_iterator(out, ec)) {
      const std::string n = e.path().filename().string();
      if (e.path().extension() == ".wav" && !names.count(n)) fs::remove(e.path(), ec);
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("make_sounds: %zu sounds, %.1f MB, in %.2f s\n", count, static_cast<double>(totalBytes) / 1e6, seconds);
  return 0;
}
