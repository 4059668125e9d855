#include "platform/PRiffFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Le32(uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

std::string Chunk(const std::string& id, const std::string& body, bool pad = true) {
  std::string s = id + Le32(static_cast<uint32_t>(body.size())) + body;
  if (pad && body.size() % 2 == 1) s += '\0';
  return s;
}

constexpr uint32_t kRiff = PRiffFile::FourCC('R', 'I', 'F', 'F');
constexpr uint32_t kData = PRiffFile::FourCC('d', 'a', 't', 'a');
constexpr uint32_t kFmt = PRiffFile::FourCC('f', 'm', 't', ' ');

TEST(PRiffFile, FindsChunksByNameSkippingOddSizedOnesWithTheirPad) {
  std::string bytes = Chunk("RIFF", "TEST" + Chunk("junk", "abc") + Chunk("data", "xyz!"));
  auto file = PRiffFile::OpenMemory(bytes.data(), bytes.size());
  PRiffChunk riff, data;
  ASSERT_EQ(file->Descend(riff, nullptr, 0), PRiffFile::kOk);
  EXPECT_EQ(riff.id, kRiff);
  EXPECT_EQ(riff.formType, PRiffFile::FourCC('T', 'E', 'S', 'T'));
  EXPECT_EQ(file->Tell(), 12);
  ASSERT_EQ(file->Descend(data, &riff, kData), PRiffFile::kOk);
  EXPECT_EQ(data.size, 4u);
  EXPECT_EQ(data.dataOffset, 12 + 8 + 4 + 8);
  char text[8] = {};
  EXPECT_EQ(file->Read(text, 100), 4);
  EXPECT_EQ(std::string(text), "xyz!");
  PRiffChunk missing;
  file->Seek(12);
  EXPECT_EQ(file->Descend(missing, &riff, kFmt), PRiffFile::kErrNotFound);
  EXPECT_EQ(file->Tell(), 12);
}

TEST(PRiffFile, RefusesChunksThatRunPastTheirParentOrTheFile) {
  // The RIFF chunk claims more than the file holds (a truncated file).
  std::string truncated = Chunk("RIFF", "WAVE" + Chunk("data", std::string(100, 'a')));
  truncated.resize(truncated.size() - 10);
  auto file = PRiffFile::OpenMemory(truncated.data(), truncated.size());
  PRiffChunk riff;
  EXPECT_EQ(file->Descend(riff, nullptr, 0), PRiffFile::kErrCorrupt);

  // A chunk inside that claims more than its parent.
  std::string lying = "RIFF" + Le32(4 + 8 + 4) + "WAVE" + "data" + Le32(0x7FFFFFF0u) + "abcd";
  file = PRiffFile::OpenMemory(lying.data(), lying.size());
  ASSERT_EQ(file->Descend(riff, nullptr, 0), PRiffFile::kOk);
  PRiffChunk data;
  EXPECT_EQ(file->Descend(data, &riff, kData), PRiffFile::kErrCorrupt);

  // A skipped chunk that claims more than its parent stops the search too.
  std::string skipped = "RIFF" + Le32(4 + 8 + 2 + 8) + "WAVE" + "junk" + Le32(1000) + "ab" + Chunk("data", "");
  file = PRiffFile::OpenMemory(skipped.data(), skipped.size());
  ASSERT_EQ(file->Descend(riff, nullptr, 0), PRiffFile::kOk);
  EXPECT_EQ(file->Descend(data, &riff, kData), PRiffFile::kErrCorrupt);

  // A RIFF chunk too small for its form type, and a header cut short.
  std::string tiny = "RIFF" + Le32(2) + "WA";
  file = PRiffFile::OpenMemory(tiny.data(), tiny.size());
  EXPECT_EQ(file->Descend(riff, nullptr, 0), PRiffFile::kErrCorrupt);
  std::string cut = "RIF";
  file = PRiffFile::OpenMemory(cut.data(), cut.size());
  EXPECT_EQ(file->Descend(riff, nullptr, 0), PRiffFile::kErrNotFound);
}

TEST(PRiffFile, PadByteOfTheLastChunkEndsTheSearch) {
  // "junk" has an odd size; its pad byte is the parent's last byte: no "data" follows.
  std::string bytes = "RIFF" + Le32(4 + 8 + 4) + "WAVE" + "junk" + Le32(3) + "abc" + std::string(1, '\0');
  auto file = PRiffFile::OpenMemory(bytes.data(), bytes.size());
  PRiffChunk riff, data;
  ASSERT_EQ(file->Descend(riff, nullptr, 0), PRiffFile::kOk);
  EXPECT_EQ(file->Descend(data, &riff, kData), PRiffFile::kErrNotFound);
  PRiffChunk junk;
  file->Seek(12);
  ASSERT_EQ(file->Descend(junk, &riff, 0), PRiffFile::kOk);
  ASSERT_EQ(file->Ascend(junk), PRiffFile::kOk);
  EXPECT_EQ(file->Tell(), 24);
}

TEST(PRiffFile, SeekStaysWithinTheFile) {
  std::string bytes(10, 'x');
  auto file = PRiffFile::OpenMemory(bytes.data(), bytes.size());
  EXPECT_EQ(file->Seek(10), 10);
  EXPECT_EQ(file->Seek(11), -1);
  EXPECT_EQ(file->Seek(-1), -1);
  EXPECT_EQ(file->Tell(), 10);
  char c;
  EXPECT_EQ(file->Read(&c, 1), 0);
  EXPECT_EQ(PRiffFile::Open("\\no\\such\\file.wav"), nullptr);
}

}  // namespace
