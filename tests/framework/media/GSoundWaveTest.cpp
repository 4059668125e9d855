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
  // A file cut short inside its data keeps what it holds, as a file whose writer did not know
  // the sizes does.
  std::string truncated = Wave(body);
  truncated.resize(truncated.size() - 30);
  ASSERT_EQ(LoadBytes(truncated, count, samples), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(samples.get()), count), body.substr(0, 70));
  // The RIFF size is right but "data" claims 2 GB: the data runs to the end of the RIFF.
  std::string lying = Wave(body);
  lying.replace(lying.size() - 104, 4, Le32(0x7FFFFF00u));
  ASSERT_EQ(LoadBytes(lying + "tail", count, samples), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(samples.get()), count), body);
  // A "fmt " chunk that runs past the file is still refused.
  EXPECT_NE(LoadBytes(Chunk("RIFF", "WAVE" + Chunk("fmt ", FmtBody(1))).substr(0, 30), count, samples), 0);
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

// Sizes a writer did not know (sox to a pipe: 0x7FFFF000; others 0 or 0xFFFFFFFF) run to the
// end of the file; so does a RIFF size that counts a final pad byte the file lacks.
TEST(GSoundWave, UnknownSizesRunToTheEndOfTheFile) {
  const std::string second = Pattern(88200, 5);
  for (uint32_t unknown : {0x7FFFF000u, 0u, 0xFFFFFFFFu}) {
    std::string wave = Wave(second);
    wave.replace(4, 4, Le32(unknown));
    wave.replace(wave.size() - second.size() - 4, 4, Le32(unknown));
    uint32_t count = 0;
    std::unique_ptr<uint8_t[]> samples;
    ASSERT_EQ(LoadBytes(wave, count, samples), 0) << unknown;
    ASSERT_EQ(count, second.size());
    EXPECT_EQ(std::string(reinterpret_cast<char*>(samples.get()), count), second);
  }
  std::string odd = Wave(Pattern(7, 1));
  odd.pop_back();  // the pad byte the RIFF size counts
  uint32_t count = 0;
  std::unique_ptr<uint8_t[]> samples;
  ASSERT_EQ(LoadBytes(odd, count, samples), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(samples.get()), count), Pattern(7, 1));
}

// A sound of another format loads as it stands and says so in one log line.
TEST(GSoundData, ASoundOfAnotherFormatIsLoggedOnce) {
  TestFolder folder(true);
  TestHost host;
  std::string fmt = FmtBody(1);
  fmt.replace(4, 4, Le32(22050));
  fmt.replace(14, 2, Le16(8));
  folder.WriteFile(FileName(151), Chunk("RIFF", "WAVE" + Chunk("fmt ", fmt) + Chunk("data", Pattern(30))));
  folder.WriteFile(FileName(152), Wave(Pattern(30)));
  GSoundData data;
  ASSERT_TRUE(data.Load(151, false, host));
  EXPECT_EQ(data.GetByteCount(), 30u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data.GetSamples()), 30), Pattern(30));
  GSoundData plain;
  ASSERT_TRUE(plain.Load(152, false, host));
  GErrorLog::Close();
  EXPECT_EQ(folder.ReadFile("ERRORLOG.TXT"), "Sound " + folder.Program() + "WAV\\00000151.wav" +
                                                 " is format 1, 8-bit, 22050 Hz, 1 channel(s); played as 16-bit 44100 Hz\r\n");
}

}  // namespace
