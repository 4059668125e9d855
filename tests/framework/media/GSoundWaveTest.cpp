#include "framework/media/GSoundWave.h"

#include <gtest/gtest.h>

#include "framework/media/GSoundData.h"
#include "framework/media/SoundTestSupport.h"

namespace {
using namespace soundtest;

int32_t LoadBytes(const std::string& bytes, uint32_t& count, std::unique_ptr<uint8_t[]>& samples) {
  return GSoundWave::LoadWaveFile(PRiffFile::OpenMemory(bytes.data(), bytes.size()), count, samples);
}

TEST(GSoundWave, FileNamesGetTheirLeadingZeros) {
  std::string name;
  const std::pair<int16_t, const char*> cases[] = {{7, "WAV\\000007.wav"},
                                                   {42, "WAV\\0000042.wav"},
                                                   {150, "WAV\\00000150.wav"},
                                                   {5010, "WAV\\00005010.wav"},
                                                   {12000, "WAV\\00012000.wav"},
                                                   // Both sides of each step of the zeros.
                                                   {999, "WAV\\00000999.wav"},
                                                   {1000, "WAV\\00001000.wav"},
                                                   {9999, "WAV\\00009999.wav"},
                                                   {10000, "WAV\\00010000.wav"},
                                                   {32767, "WAV\\00032767.wav"}};
  for (const auto& [number, expected] : cases) {
    GSoundWave::MakeWaveFileName(name, number);
    EXPECT_EQ(name, expected);
  }
}

TEST(GSoundWave, LoadsSamplesWhereverTheDataChunkStands) {
  uint32_t count = 0;
  std::unique_ptr<uint8_t[]> samples;
  const std::string body = Pattern(1000);
  ASSERT_EQ(LoadBytes(Wave(body, 1, Chunk("LIST", "INFOabc"), Chunk("junk", "zz")), count, samples), 0);
  ASSERT_EQ(count, 1000u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(samples.get()), count), body);

  // "data" before "fmt ".
  std::string reversed = Chunk("RIFF", "WAVE" + Chunk("data", body) + Chunk("fmt ", FmtBody(1)));
  ASSERT_EQ(LoadBytes(reversed, count, samples), 0);
  EXPECT_EQ(count, 1000u);

  // A format other than 1 with its extra bytes loads (the format is not compared).
  std::string extra = Chunk("RIFF", "WAVE" + Chunk("fmt ", FmtBody(1, 2) + Le16(4) + "abcd") + Chunk("data", body));
  ASSERT_EQ(LoadBytes(extra, count, samples), 0);
  EXPECT_EQ(count, 1000u);

  // An empty data chunk loads with no samples.
  ASSERT_EQ(LoadBytes(Wave(""), count, samples), 0);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(samples, nullptr);
}

TEST(GSoundWave, LongSoundsAreCutToTheirFirstMebibyte) {
  uint32_t count = 0;
  std::unique_ptr<uint8_t[]> samples;
  const std::string body = Pattern(3000000);
  ASSERT_EQ(LoadBytes(Wave(body), count, samples), 0);
  ASSERT_EQ(count, 1048576u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(samples.get()), count), body.substr(0, 1048576));
}

TEST(GSoundWave, RefusesFilesThatAreNotWavesOrLie) {
  uint32_t count = 0;
  std::unique_ptr<uint8_t[]> samples;
  const std::string body = Pattern(100);
  // A "fmt " chunk of 14 bytes.
  EXPECT_EQ(LoadBytes(Chunk("RIFF", "WAVE" + Chunk("fmt ", FmtBody(1).substr(0, 14)) + Chunk("data", body)), count,
                      samples),
            GSoundWave::kErrNotWave);
  // Not WAVE.
  EXPECT_EQ(LoadBytes(Chunk("RIFF", "AVI " + Chunk("fmt ", FmtBody(1))), count, samples), GSoundWave::kErrNotWave);
  // A format other than 1 whose extra count lies outside the chunk.
  EXPECT_EQ(LoadBytes(Chunk("RIFF", "WAVE" + Chunk("fmt ", FmtBody(1, 2)) + Chunk("data", body)), count, samples),
            GSoundWave::kErrShortFormat);
  // More extra bytes announced than the chunk holds: nothing is allocated for them.
  EXPECT_EQ(LoadBytes(Chunk("RIFF", "WAVE" + Chunk("fmt ", FmtBody(1, 2) + Le16(60000) + "ab")) + Chunk("data", body),
                      count, samples),
            GSoundWave::kErrNotWave);
  // A file cut short inside its data.
  std::string truncated = Wave(body);
  truncated.resize(truncated.size() - 30);
  EXPECT_NE(LoadBytes(truncated, count, samples), 0);
  // The RIFF size is right but "data" claims 2 GB.
  std::string lying = Wave(body);
  lying.replace(lying.size() - 104, 4, Le32(0x7FFFFF00u));
  EXPECT_NE(LoadBytes(lying, count, samples), 0);
  // No "data" chunk at all.
  EXPECT_NE(LoadBytes(Chunk("RIFF", "WAVE" + Chunk("fmt ", FmtBody(1))), count, samples), 0);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(samples, nullptr);
  EXPECT_EQ(GSoundWave::LoadWaveFile("\\no\\such.wav", count, samples), GSoundWave::kErrCannotOpen);
}

TEST(GSoundData, LoadsFromTheProgramFolderThenTheAlternateFolderAndLogsAFailure) {
  TestFolder folder(true);
  TestFolder other;
  TestHost host;
  other.WriteFile(FileName(150), Wave(Pattern(20)));
  GSoundData data;
  EXPECT_FALSE(data.Load(150, false, host));
  host.alternate = other.Program();
  EXPECT_TRUE(data.Load(150, true, host));
  EXPECT_EQ(data.GetByteCount(), 20u);
  EXPECT_TRUE(data.IsSameSoundData(150, true));
  EXPECT_FALSE(data.IsSameSoundData(150, false));
  GErrorLog::Close();
  EXPECT_EQ(folder.ReadFile("ERRORLOG.TXT"), "Problem loading sound # 150\r\n");
}

}  // namespace
