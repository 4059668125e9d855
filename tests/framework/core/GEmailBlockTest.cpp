#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GFileTestSupport.h"
#include "framework/core/Crc32.h"
#include "framework/core/GEmailBlockReader.h"
#include "framework/core/GEmailBlockWriter.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string Wrap(const Bytes& data, uint32_t* checksum = nullptr) {
  std::string text;
  GEmailBlockWriter writer([&text](const uint8_t* b, size_t n) { text.append(b, b + n); });
  writer.Put(data.data(), data.size());
  writer.Finish();
  if (checksum) *checksum = writer.Checksum();
  return text;
}

bool Unwrap(const std::string& text, Bytes& out, uint32_t* checksum = nullptr, size_t piece = 0) {
  out.clear();
  GEmailBlockReader reader([&out](const uint8_t* b, size_t n) { out.insert(out.end(), b, b + n); });
  if (piece == 0) piece = text.size() + 1;
  for (size_t i = 0; i < text.size(); i += piece)
    if (reader.Put(reinterpret_cast<const uint8_t*>(text.data()) + i, std::min(piece, text.size() - i)))
      break;
  bool ok = reader.Finish();
  if (checksum) *checksum = reader.Checksum();
  return ok;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size());  // every line ends with CR LF
  return lines;
}

// The format's fixed lines, written out here so that a slip in the writer's own constants
// fails the tests.
const std::string kHeader = "----------------- Play-By-Email Data Follows This Line -----------------";
const std::string kEnd = "---------------------- End of Play-By-Email Data -----------------------";
const std::string kMarker = "aQ3&zX9!pL0#tY7*eR5+uI2=oP8-sD4.fG6(hJ1)kL3[cV5]bN7,mW9'yT2^qE4$";

TEST(GEmailBlock, TheFixedLinesHaveTheirLengths) {
  EXPECT_EQ(kHeader.size(), 72u);
  EXPECT_EQ(kEnd.size(), 72u);
  EXPECT_EQ(kMarker.size(), 64u);
  EXPECT_EQ(GEmailBlockWriter::kMarkerLength, 64);
}

TEST(Crc32, IsThePublishedCrc) {
  uint32_t crc = 0xFFFFFFFFu;
  for (char c : std::string("123456789")) crc = Crc32Update(crc, static_cast<uint8_t>(c));
  EXPECT_EQ(crc ^ 0xFFFFFFFFu, 0xCBF43926u);
  EXPECT_EQ(Crc32Update(0, 0), 0u);
  EXPECT_EQ(Crc32Update(0, 1), 0x77073096u);
}

TEST(GEmailBlockWriter, AlphabetAndGroups) {
  for (unsigned v = 0; v < 64; ++v) EXPECT_EQ(GEmailBlockWriter::Value(GEmailBlockWriter::Character(v)), v);
  EXPECT_EQ(GEmailBlockWriter::Character(10), '?');
  EXPECT_EQ(GEmailBlockWriter::Character(11), '@');
  EXPECT_EQ(GEmailBlockWriter::Character(12), 'A');
  EXPECT_EQ(GEmailBlockWriter::Character(38), 'a');
  EXPECT_EQ(GEmailBlockWriter::Character(63), 'z');
  EXPECT_EQ(Lines(Wrap({0, 16, 131}))[1], kMarker + "0123;");
  EXPECT_EQ(Lines(Wrap({255, 255, 255}))[1], kMarker + "zzzz;");
}

TEST(GEmailBlockWriter, OneByteBlockWholeText) {
  // 65 with two zero filler bytes: the group 16 16 0 0; the checksum takes 0, 0, 65.
  uint32_t crc = Crc32Update(Crc32Update(Crc32Update(0, 0), 0), 65);
  uint32_t written = 0;
  std::string text = Wrap({65}, &written);
  EXPECT_EQ(written, crc);
  auto c = [](unsigned v) { return static_cast<char>(GEmailBlockWriter::Character(v)); };
  std::string sum = {c(crc >> 26), c((crc >> 20) & 63), c((crc >> 14) & 63), c((crc >> 8) & 63),
                     c((crc >> 2) & 63), c((crc & 3) << 4)};
  EXPECT_EQ(text, kHeader + "\r\n" + kMarker + "EE00;\r\n" + sum + "\r\n" + kEnd + "\r\n");
  EXPECT_EQ(Wrap({}), "");
}

TEST(GEmailBlockWriter, EighteenGroupsALine) {
  // 20 groups fill line 2 (2 groups) and line 3 (18) exactly: ";" closes line 3.
  std::vector<std::string> lines = Lines(Wrap(NoiseBytes(60, 1)));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], kHeader);
  EXPECT_EQ(lines[1].size(), 72u);
  EXPECT_EQ(lines[2].size(), 73u);
  EXPECT_EQ(lines[2].back(), ';');
  EXPECT_EQ(lines[3].size(), 6u);
  EXPECT_EQ(lines[4], kEnd);
  // One byte more: a 21st group (with filler) alone on line 4.
  lines = Lines(Wrap(NoiseBytes(61, 1)));
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[2].size(), 72u);
  EXPECT_EQ(lines[3].size(), 5u);
  for (const std::string& line : Lines(Wrap(NoiseBytes(5000, 2)))) EXPECT_LE(line.size(), 73u);
}

TEST(GEmailBlockReader, ReadsBackWithFillerAndChecksum) {
  for (size_t n : {1, 2, 3, 4, 59, 60, 61, 16383, 16384, 40000}) {
    Bytes data = NoiseBytes(n, static_cast<uint32_t>(n));
    uint32_t written = 0, read = 1;
    std::string text = Wrap(data, &written);
    Bytes out;
    ASSERT_TRUE(Unwrap(text, out, &read, 1 + n % 7));
    EXPECT_EQ(read, written);
    ASSERT_EQ(out.size(), (n + 2) / 3 * 3);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()));
    for (size_t i = n; i < out.size(); ++i) EXPECT_EQ(out[i], 0);  // filler bytes are zeros
  }
}

TEST(GEmailBlockReader, FindsTheBlockInAMailMessage) {
  Bytes data = NoiseBytes(500, 4);
  std::string text = Wrap(data);
  // A partial marker broken by the byte that starts the marker, then the real one; an extra
  // line end between two groups; mail around everything.
  size_t at = text.find(kMarker) + kMarker.size() + 8;
  std::string mail = "Subject: my turn\r\n\r\n" + kMarker.substr(0, 20) + text.substr(0, at) + "\r\n\n" +
                     text.substr(at) + "\r\nbye\r\n" + kMarker;
  Bytes out;
  EXPECT_TRUE(Unwrap(mail, out));
  EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()));
  // "aaQ3&..." holds the marker after a one-character false start.
  EXPECT_TRUE(Unwrap("a" + text.substr(text.find(kMarker)), out));
}

TEST(GEmailBlockReader, RefusesDamagedBlocks) {
  std::string text = Wrap(NoiseBytes(300, 8));
  Bytes out;
  std::string altered = text;
  size_t sum = text.find(";\r\n") + 3;
  altered[sum + 5] = altered[sum + 5] == '0' ? 'P' : '0';
  EXPECT_FALSE(Unwrap(altered, out));
  std::string group = text;
  group[text.find(kMarker) + kMarker.size() + 1] ^= 1;
  EXPECT_FALSE(Unwrap(group, out));
  std::string noMarker = text;
  noMarker.erase(noMarker.find(kMarker), 1);
  EXPECT_FALSE(Unwrap(noMarker, out));
  // Cut anywhere before the checksum's last character (the end line itself is not needed).
  for (size_t cut = 0; cut < sum + 6; cut += 37) EXPECT_FALSE(Unwrap(text.substr(0, cut), out));
  EXPECT_FALSE(Unwrap(text.substr(0, sum + 5), out));
  EXPECT_TRUE(Unwrap(text.substr(0, sum + 6), out));
  EXPECT_FALSE(Unwrap("", out));
}

// A reply quotes the earlier turn above the new one; the quoted copy fails its checks, and
// reading goes on from the next marker. Nothing of a failed block reaches the output.
TEST(GEmailBlockReader, ReadsTheNewTurnBelowAQuotedOne) {
  auto quote = [](const std::string& text) {
    std::string quoted = "> ";
    for (size_t i = 0; i < text.size(); ++i) {
      quoted.push_back(text[i]);
      if (text[i] == '\n' && i + 1 < text.size()) quoted += "> ";
    }
    return quoted;
  };
  const Bytes oldTurn = NoiseBytes(700, 11);
  const Bytes newTurn = NoiseBytes(400, 12);
  const std::string reply = "Your move.\r\n\r\nOn Monday you wrote:\r\n" + quote(Wrap(oldTurn)) + "\r\n" +
                            Wrap(newTurn) + "\r\n";
  for (size_t piece : {size_t{0}, size_t{1}, size_t{97}}) {
    Bytes out;
    uint32_t read = 0, written = 0;
    Wrap(newTurn, &written);
    ASSERT_TRUE(Unwrap(reply, out, &read, piece));
    EXPECT_EQ(read, written);
    ASSERT_EQ(out.size(), (newTurn.size() + 2) / 3 * 3);
    EXPECT_TRUE(std::equal(newTurn.begin(), newTurn.end(), out.begin()));
  }
  // Two valid blocks give the first.
  Bytes out;
  ASSERT_TRUE(Unwrap(Wrap(oldTurn) + "--\r\n" + Wrap(newTurn), out));
  ASSERT_EQ(out.size(), (oldTurn.size() + 2) / 3 * 3);
  EXPECT_TRUE(std::equal(oldTurn.begin(), oldTurn.end(), out.begin()));
  // A block whose checksum fails, then a good one: only the good one's bytes come out.
  std::string damaged = Wrap(oldTurn);
  damaged[damaged.find(kMarker) + kMarker.size() + 3] ^= 1;
  ASSERT_TRUE(Unwrap(damaged + Wrap(newTurn), out));
  ASSERT_EQ(out.size(), (newTurn.size() + 2) / 3 * 3);
  EXPECT_TRUE(std::equal(newTurn.begin(), newTurn.end(), out.begin()));
  // A text whose only block is quoted is refused, small or large; so is a damaged one alone.
  EXPECT_FALSE(Unwrap("On Monday you wrote:\r\n" + quote(Wrap(oldTurn)), out));
  EXPECT_FALSE(Unwrap(quote(Wrap(NoiseBytes(2, 13))), out));
  EXPECT_FALSE(Unwrap(damaged, out));
  EXPECT_TRUE(out.empty());
}

}  // namespace
