// The sounds the build made: formats the sound engine copies as they stand, lengths the game
// relies on, levels the mixer can sum, loops without a click.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "framework/media/GSoundWave.h"
#include "tools/SoundTestRows.h"

namespace {
using soundrows::Made;
using soundrows::ReadMade;
using soundrows::ReadRows;
using soundrows::Row;
using soundrows::SoundPath;

TEST(SoundFiles, EveryRowHasItsFileAndNothingElseIsInTheFolder) {
  const auto rows = ReadRows();
  size_t files = 0;
  uintmax_t bytes = 0;
  for (const auto& entry : std::filesystem::directory_iterator(TARVANE_SOUND_DIR)) {
    if (entry.path().extension() != ".wav") continue;
    ++files;
    bytes += entry.file_size();
  }
  EXPECT_EQ(files, rows.size());
  EXPECT_LT(bytes, 100u * 1000u * 1000u);
  for (const auto& [n, r] : rows) EXPECT_TRUE(std::filesystem::exists(SoundPath(n))) << SoundPath(n);
  // The names are the engine's own: eight digits from 100 up, seven below.
  EXPECT_TRUE(std::filesystem::exists(std::string(TARVANE_SOUND_DIR) + "/0000030.wav"));
  EXPECT_TRUE(std::filesystem::exists(std::string(TARVANE_SOUND_DIR) + "/00000150.wav"));
  EXPECT_TRUE(std::filesystem::exists(std::string(TARVANE_SOUND_DIR) + "/00005010.wav"));
}

TEST(SoundFiles, LoadAsTheEngineDoesIn16Bit44100HzMonoOrStereoForStreams) {
  for (const auto& [n, r] : ReadRows()) {
    SCOPED_TRACE(n);
    uint32_t count = 0;
    std::unique_ptr<uint8_t[]> samples;
    ASSERT_EQ(GSoundWave::LoadWaveFile(SoundPath(n), count, samples), GSoundWave::kOk);
    EXPECT_GT(count, 0u);
    std::unique_ptr<PRiffFile> file;
    std::unique_ptr<GSoundWaveFormat> format;
    PRiffChunk riff;
    ASSERT_EQ(GSoundWave::OpenWaveFile(SoundPath(n), file, format, riff), GSoundWave::kOk);
    EXPECT_EQ(format->formatTag, 1);
    EXPECT_EQ(format->bitsPerSample, 16);
    EXPECT_EQ(format->samplesPerSec, 44100u);
    EXPECT_EQ(format->channels, r.Stereo() ? 2 : 1);
    EXPECT_EQ(format->blockAlign, format->channels * 2);
    EXPECT_EQ(format->avgBytesPerSec, 44100u * format->blockAlign);
    const int64_t size = GSoundWave::FindWaveData(*file, riff);
    // Plain sounds are never cut; a looped one fits twice in its channel.
    if (!r.Stereo()) {
      EXPECT_LE(size, r.Loop() ? 524288 : 1048576);
    }
    if (!r.Stereo() && !r.Loop()) {
      EXPECT_EQ(static_cast<int64_t>(count), size);
    }
    const double seconds = static_cast<double>(size) / format->avgBytesPerSec;
    if (r.length != "speech") {
      EXPECT_NEAR(seconds, std::atof(r.length.c_str()), 0.001);
    } else {
      EXPECT_LE(seconds, 2.5);  // a shout, not a speech
    }
    GSoundWave::CloseWaveFile(file, format);
  }
}

TEST(SoundFiles, IncomingRoundsLastExactlyTheirLeadTimeAndTheQuitSoundEndsInTime) {
  const double lead[8] = {2.93, 3.576, 3.187, 1.431, 1.788, 3.193, 1.091, 0.761};
  for (int v = 0; v < 8; ++v) {
    const Made m = ReadMade(SoundPath(620 + v));
    ASSERT_EQ(m.result, 0);
    EXPECT_NEAR(static_cast<double>(m.samples.size()) / 44100.0, lead[v], 0.010) << 620 + v;
  }
  const Made quit = ReadMade(SoundPath(171));
  ASSERT_EQ(quit.result, 0);
  EXPECT_LE(static_cast<double>(quit.samples.size()) / 44100.0, 1.40);
}

// RMS above -50 dBFS, peaks at or below -1 dBFS, fewer than 0.1 % of samples at full scale.
TEST(SoundFiles, EverySoundIsAudibleAndNeverClips) {
  for (const auto& [n, r] : ReadRows()) {
    SCOPED_TRACE(n);
    const Made m = ReadMade(SoundPath(n));
    ASSERT_EQ(m.result, 0);
    ASSERT_FALSE(m.samples.empty());
    double sum = 0.0;
    int peak = 0;
    size_t full = 0;
    for (int16_t s : m.samples) {
      sum += static_cast<double>(s) * s;
      peak = std::max(peak, std::abs(static_cast<int>(s)));
      if (s >= 32767 || s <= -32767) ++full;
    }
    const double rmsDb = 20.0 * std::log10(std::sqrt(sum / static_cast<double>(m.samples.size())) / 32768.0);
    EXPECT_GT(rmsDb, -50.0);
    EXPECT_LT(static_cast<double>(full), 0.001 * static_cast<double>(m.samples.size()));
    EXPECT_LE(peak, 29205);  // -1 dBFS
  }
}

// Loops: the step from the last sample back to the first is no larger than the 99th
// percentile of the steps between neighbouring samples inside the sound, channel by channel.
TEST(SoundFiles, LoopsJoinWithoutAClick) {
  int loops = 0;
  for (const auto& [n, r] : ReadRows()) {
    if (!r.Loop()) continue;
    ++loops;
    SCOPED_TRACE(n);
    const Made m = ReadMade(SoundPath(n));
    ASSERT_EQ(m.result, 0);
    const size_t channels = r.Stereo() ? 2 : 1;
    const size_t frames = m.samples.size() / channels;
    for (size_t c = 0; c < channels; ++c) {
      std::vector<int> steps;
      steps.reserve(frames);
      for (size_t i = 1; i < frames; ++i)
        steps.push_back(std::abs(m.samples[i * channels + c] - m.samples[(i - 1) * channels + c]));
      std::nth_element(steps.begin(), steps.begin() + static_cast<ptrdiff_t>(steps.size() * 99 / 100), steps.end());
      const int p99 = steps[steps.size() * 99 / 100];
      const int join = std::abs(m.samples[c] - m.samples[(frames - 1) * channels + c]);
      EXPECT_LE(join, p99) << "channel " << c;
    }
  }
  EXPECT_GE(loops, 10);  // the idle engine, the fire and the eight ambiences at least
}

}  // namespace

namespace {

// The stored form, byte for byte: a canonical 44-byte header before the samples.
TEST(SoundFiles, HeadersAreTheCanonicalFortyFourBytes) {
  auto header = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(44, '\0');
    in.read(bytes.data(), 44);
    return bytes;
  };
  auto le = [](uint32_t v, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
  };
  // Sound 30: 0.18 s mono, 7938 samples.
  EXPECT_EQ(header(SoundPath(30)), "RIFF" + le(36 + 15876, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(1, 2) +
                                       le(44100, 4) + le(88200, 4) + le(2, 2) + le(16, 2) + "data" + le(15876, 4));
  // The title music: 26 s of stereo frames.
  EXPECT_EQ(header(SoundPath(5010)), "RIFF" + le(36 + 4586400, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(2, 2) +
                                         le(44100, 4) + le(176400, 4) + le(4, 2) + le(16, 2) + "data" + le(4586400, 4));
}

}  // namespace
