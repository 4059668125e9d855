#include "framework/core/GFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <algorithm>
#include <vector>

#include "GFileTestSupport.h"
#include "framework/core/GEmailBlockWriter.h"
#include "framework/core/GMemoryFile.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "platform/PSystem.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(GFileTyped, StoresBigEndianFields) {
  GFileTestFolder folder;
  {
    auto f = folder.Open("t.bin", GFile::kModeWrite);
    f->WriteU32(16909060);
    f->WriteU16(0xBEEF);
    f->WriteByte(0x80);
    f->WriteFloat(1.0f);
    f->WriteFloat(-2.5f);
    uint16_t pair[2] = {1, 0xFFFF};
    f->WriteU16Array(pair, 2);
    f->WriteZeros(6);
    const char block[] = "ab";
    f->Write(block, 2);
  }
  Bytes expected = {1,    2,    3, 4, 0xBE, 0xEF, 0x80, 0x3F, 0x80, 0, 0, 0xC0, 0x20, 0, 0,
                    0,    1,    0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 'a', 'b'};
  EXPECT_EQ(folder.Get("t.bin"), expected);

  auto f = folder.Open("t.bin", GFile::kModeRead);
  EXPECT_EQ(f->ReadU32(), 16909060u);
  EXPECT_EQ(f->ReadU16(), 0xBEEF);
  EXPECT_EQ(f->ReadByte(), -128);
  EXPECT_EQ(f->ReadFloat(), 1.0f);
  EXPECT_EQ(f->ReadFloat(), -2.5f);
  uint16_t pair[2];
  f->ReadU16Array(pair, 2);
  EXPECT_EQ(pair[0], 1);
  EXPECT_EQ(pair[1], 0xFFFF);
  f->Skip(6);
  char block[2];
  f->Read(block, 2);
  EXPECT_EQ(std::memcmp(block, "ab", 2), 0);
  EXPECT_FALSE(f->HasError());
  EXPECT_EQ(f->BytesLeft(), 0u);
}

TEST(GFileTyped, ScaledFloatsRoundHalfUpTruncateAndWrap) {
  GFileTestFolder folder;
  {
    auto f = folder.Open("s.bin", GFile::kModeWrite);
    f->WriteScaled(0.004f, 1000.0f);       // 4.0 + 0.5 truncated: 4
    f->WriteScaled(1.26f, 100.0f);         // 126
    f->WriteScaled(-1.26f, 100.0f);        // trunc(-126.5) = -126
    f->WriteScaled(400.0f, 100.0f);        // 40000 wraps to -25536
    f->WriteScaled(-0.3f, 1.0f);           // trunc(-0.8) = 0
    f->WriteScaled(1e10f, 1.0f);           // beyond 32 bits: low 16 bits of the lowest value
    f->WriteScaled(std::nanf(""), 1.0f);   // likewise
    f->WriteScaled(70000.0f, 1.0f);        // 70000 = 0x11170: low 16 bits 0x1170
  }
  Bytes expected = {0, 4, 0, 126, 0xFF, 0x82, 0x9C, 0x40, 0, 0, 0, 0, 0, 0, 0x11, 0x70};
  EXPECT_EQ(folder.Get("s.bin"), expected);
  auto f = folder.Open("s.bin", GFile::kModeRead);
  EXPECT_EQ(f->ReadScaled(1000.0f), 0.004f);
  EXPECT_EQ(f->ReadScaled(100.0f), 1.26f);
  EXPECT_EQ(f->ReadScaled(100.0f), -1.26f);
  EXPECT_EQ(f->ReadScaled(100.0f), -255.36f);
}

// Save, load and save again stores the same numbers, negative ones included: each value is
// written, read back and written a second time.
TEST(GFileTyped, ScaledValuesKeepTheirStoredNumberAcrossSaves) {
  GFileTestFolder folder;
  const float values[] = {-1.0f, -0.5f, -1.26f, -2.0f / 3.0f, -100.0f, -0.001f, 0.0f, 0.5f, 1.26f, 2.0f / 3.0f};
  const float scales[] = {3.0f, 100.0f, 1000.0f, 7.0f};
  {
    auto f = folder.Open("a.bin", GFile::kModeWrite);
    for (float scale : scales)
      for (float value : values) f->WriteScaled(value, scale);
  }
  std::vector<float> read;
  {
    auto f = folder.Open("a.bin", GFile::kModeRead);
    for (float scale : scales)
      for (size_t i = 0; i < std::size(values); ++i) read.push_back(f->ReadScaled(scale));
  }
  {
    auto f = folder.Open("b.bin", GFile::kModeWrite);
    size_t k = 0;
    for (float scale : scales)
      for (size_t i = 0; i < std::size(values); ++i) f->WriteScaled(read[k++], scale);
  }
  EXPECT_EQ(folder.Get("a.bin"), folder.Get("b.bin"));
  // -1.0 at 3 is -3 both times, not -2 then -1.
  EXPECT_EQ(read[0], -1.0f);
}

TEST(GFileTyped, ManyFieldsAcrossBufferBoundaries) {
  GFileTestFolder folder;
  Bytes block = NoiseBytes(40000, 3);
  {
    auto f = folder.Open("m.bin", GFile::kModeWrite);
    for (uint32_t i = 0; i < 20000; ++i) {
      f->WriteByte(static_cast<uint8_t>(i));
      f->WriteU16(static_cast<uint16_t>(i * 7));
      f->WriteU32(i * 2654435761u);
      if (i % 5000 == 17) f->Write(block.data(), static_cast<int32_t>(block.size()));
    }
  }
  EXPECT_EQ(folder.Get("m.bin").size(), 20000u * 7 + 4 * block.size());
  auto f = folder.Open("m.bin", GFile::kModeRead);
  Bytes back(block.size());
  for (uint32_t i = 0; i < 20000; ++i) {
    ASSERT_EQ(f->ReadByte(), static_cast<int8_t>(i));
    ASSERT_EQ(f->ReadU16(), static_cast<uint16_t>(i * 7));
    ASSERT_EQ(f->ReadU32(), i * 2654435761u);
    if (i % 5000 == 17) {
      f->Read(back.data(), static_cast<int32_t>(back.size()));
      ASSERT_EQ(back, block);
    }
  }
  EXPECT_FALSE(f->HasError());
}

TEST(GFileReading, PastTheEndGivesZerosAndAStickyError) {
  GFileTestFolder folder;
  folder.Put("short.bin", {1, 2, 3});
  auto f = folder.Open("short.bin", GFile::kModeRead);
  EXPECT_EQ(f->BytesLeft(), 3u);
  EXPECT_EQ(f->ReadU32(), 0x01020300u);
  EXPECT_TRUE(f->HasError());
  EXPECT_EQ(f->ReadU16(), 0);
  EXPECT_EQ(f->ReadByte(), 0);
  char block[5];
  std::memset(block, 'x', sizeof block);
  f->Read(block, 5);
  EXPECT_EQ(std::string(block, 5), std::string(5, '\0'));
  f->Rewind();
  EXPECT_EQ(f->ReadByte(), 1);
  EXPECT_TRUE(f->HasError());  // sticky for the rest of the file's life

  folder.Put("empty.bin", {});
  auto e = folder.Open("empty.bin", GFile::kModeRead);
  EXPECT_EQ(e->ReadFloat(), 0.0f);
  EXPECT_TRUE(e->HasError());
}

TEST(GFileReading, SkipWithinAndBeyondTheBufferAndPastTheEnd) {
  GFileTestFolder folder;
  Bytes data(50000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 13 + i / 256);
  folder.Put("k.bin", data);
  auto f = folder.Open("k.bin", GFile::kModeRead);
  f->Skip(0);
  EXPECT_EQ(static_cast<uint8_t>(f->ReadByte()), data[0]);
  f->Skip(10);
  EXPECT_EQ(static_cast<uint8_t>(f->ReadByte()), data[11]);
  f->Skip(30000);  // leaves the buffer
  EXPECT_EQ(static_cast<uint8_t>(f->ReadByte()), data[30012]);
  EXPECT_EQ(f->BytesLeft(), 50000u - 30013u);
  EXPECT_FALSE(f->HasError());
  f->Skip(19987);
  EXPECT_FALSE(f->HasError());
  EXPECT_EQ(f->BytesLeft(), 0u);
  f->Skip(1);
  EXPECT_TRUE(f->HasError());
}

TEST(GFileModes, TemporaryFilesAreDeletedPlainFilesStay) {
  GFileTestFolder folder;
  {
    auto f = folder.Open("temp.bin", GFile::kModeTemporary);
    f->WriteU32(77);
    f->WriteU32(78);
    f->Rewind();
    EXPECT_EQ(f->ReadU32(), 77u);
    f->WriteU16(5);  // a write after a read goes where the reading stood
    f->Rewind();
    EXPECT_EQ(f->ReadU32(), 77u);
    EXPECT_EQ(f->ReadU32(), 0x0005004Eu);
    EXPECT_TRUE(folder.Exists("temp.bin"));
  }
  EXPECT_FALSE(folder.Exists("temp.bin"));
  { folder.Open("temp8.bin", GFile::kModeTemporaryWriting)->WriteByte(1); }
  EXPECT_FALSE(folder.Exists("temp8.bin"));
  folder.Put("keep.bin", {9});
  { EXPECT_EQ(folder.Open("keep.bin", GFile::kModeRead)->ReadByte(), 9); }
  EXPECT_TRUE(folder.Exists("keep.bin"));
  EXPECT_TRUE(folder.WorkFiles().empty());
}

TEST(GFileModes, PathAndBaseName) {
  GFileTestFolder folder;
  GFile f;
  auto handle = PFile::Open(folder.Path("Turn.3.txt"), PFile::kRead | PFile::kWrite,
                            PFile::Disposition::kCreateAlways);
  ASSERT_TRUE(f.IFile(std::move(handle), "C:\\Games\\Turn.3.txt", GFile::kModeRead));
  EXPECT_STREQ(f.GetBaseName().CStr(), "Turn.3");
  GString255 path;
  f.GetPath(path, false);
  EXPECT_STREQ(path.CStr(), "C:\\Games\\Turn.3.txt");
  f.GetPath(path, true);
  EXPECT_STREQ(path.CStr(), "C:\\Games\\Turn.3");
  GFile g;
  ASSERT_TRUE(g.IFile(nullptr, "C:\\Games.d\\Plain", GFile::kModeRead));
  EXPECT_STREQ(g.GetBaseName().CStr(), "Plain");
  g.GetPath(path, true);
  EXPECT_STREQ(path.CStr(), "C:\\Games.d\\Plain");
}

// ---- Compression ------------------------------------------------------------------------------

TEST(GFileCompression, GoldenBytes) {
  GFileTestFolder folder;
  folder.WriteIn("a.bin", GFile::kModeWriteCompressed, {65});
  EXPECT_EQ(folder.Get("a.bin"), (Bytes{0x42, 0x00, 0x80}));
  folder.WriteIn("z.bin", GFile::kModeWriteCompressed, {0});
  EXPECT_EQ(folder.Get("z.bin"), (Bytes{0x01, 0xE4}));
  folder.WriteIn("e.bin", GFile::kModeWriteCompressed, {});
  EXPECT_TRUE(folder.Get("e.bin").empty());
  folder.WriteIn("e6.bin", GFile::kModeWriteGameFile, {});
  EXPECT_TRUE(folder.Get("e6.bin").empty());
  // Fewer than 1024 bytes with the raw prefix: the bytes, then the starting end code.
  folder.WriteIn("r.bin", GFile::kModeWriteGameFile, {7, 8, 9});
  EXPECT_EQ(folder.Get("r.bin"), (Bytes{7, 8, 9, 0x00, 0x80}));
  // Exactly 1024: all raw, then the end code on its own.
  Bytes k(1024, 0x55);
  folder.WriteIn("k.bin", GFile::kModeWriteGameFile, k);
  Bytes stored = k;
  stored.push_back(0x00);
  stored.push_back(0x80);
  EXPECT_EQ(folder.Get("k.bin"), stored);
  EXPECT_TRUE(folder.WorkFiles().empty());
}

TEST(GFileCompression, RoundTripsManyLengthsWithAndWithoutRawPrefix) {
  GFileTestFolder folder;
  const size_t lengths[] = {0,    1,     2,     3,     100,   1022,  1023,  1024,  1025, 1026,
                            2047, 16383, 16384, 16385, 17408, 40000, 65537, 300000};
  for (size_t n : lengths) {
    for (int kind = 0; kind < 2; ++kind) {
      Bytes data = kind == 0 ? NoiseBytes(n, static_cast<uint32_t>(n)) : MapLikeBytes(n, 5);
      SCOPED_TRACE(testing::Message() << "length " << n << " kind " << kind);
      folder.WriteIn("c.bin", GFile::kModeWriteCompressed, data);
      bool ok = false, error = true;
      EXPECT_EQ(folder.ReadIn("c.bin", GFile::kModeReadCompressed, &ok, &error), data);
      EXPECT_TRUE(ok);
      EXPECT_FALSE(error);

      folder.WriteIn("g.bin", GFile::kModeWriteGameFile, data);
      Bytes stored = folder.Get("g.bin");
      size_t raw = std::min<size_t>(n, 1024);
      ASSERT_GE(stored.size(), raw);
      EXPECT_TRUE(std::equal(data.begin(), data.begin() + static_cast<long>(raw), stored.begin()));
      EXPECT_EQ(folder.ReadIn("g.bin", GFile::kModeReadGameFile, &ok, &error), data);
      EXPECT_TRUE(ok);
      EXPECT_FALSE(error);
    }
  }
  EXPECT_TRUE(folder.WorkFiles().empty());
}

TEST(GFileCompression, LargeFilesRoundTripAndRunsShrink) {
  GFileTestFolder folder;
  Bytes map = MapLikeBytes(3 * 1024 * 1024 + 5, 11);
  folder.WriteIn("big.bin", GFile::kModeWriteGameFile, map);
  EXPECT_LT(folder.Get("big.bin").size(), map.size() / 2);
  EXPECT_EQ(folder.ReadIn("big.bin", GFile::kModeReadGameFile), map);
}

TEST(GFileCompression, EachFileStartsFromTheStartingTree) {
  GFileTestFolder folder;
  Bytes a = NoiseBytes(5000, 1), b = MapLikeBytes(7000, 2);
  folder.WriteIn("a1.bin", GFile::kModeWriteCompressed, a);
  Bytes aAlone = folder.Get("a1.bin");
  folder.WriteIn("b1.bin", GFile::kModeWriteCompressed, b);
  folder.WriteIn("a2.bin", GFile::kModeWriteCompressed, a);
  EXPECT_EQ(folder.Get("a2.bin"), aAlone);
  folder.WriteIn("b2.bin", GFile::kModeWriteCompressed, b);
  EXPECT_EQ(folder.Get("b2.bin"), folder.Get("b1.bin"));
  // Decoding one after the other likewise.
  EXPECT_EQ(folder.ReadIn("b1.bin", GFile::kModeReadCompressed), b);
  EXPECT_EQ(folder.ReadIn("a1.bin", GFile::kModeReadCompressed), a);
}

TEST(GFileCompression, DamagedStreamsAreRefused) {
  GFileTestFolder folder;
  Bytes data = MapLikeBytes(60000, 4);
  folder.WriteIn("c.bin", GFile::kModeWriteCompressed, data);
  Bytes stored = folder.Get("c.bin");
  for (size_t cut : {size_t{1}, stored.size() / 3, stored.size() - 1}) {
    folder.Put("cut.bin", Bytes(stored.begin(), stored.begin() + static_cast<long>(cut)));
    bool ok = true, error = false;
    Bytes back = folder.ReadIn("cut.bin", GFile::kModeReadCompressed, &ok, &error);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(error);
    EXPECT_LE(back.size(), data.size());
    EXPECT_TRUE(std::equal(back.begin(), back.end(), data.begin()));
  }
  // A game file cut inside its raw prefix, and a short game file whose end code is wrong.
  folder.WriteIn("g.bin", GFile::kModeWriteGameFile, data);
  Bytes g = folder.Get("g.bin");
  folder.Put("gcut.bin", Bytes(g.begin(), g.begin() + 700));
  bool ok = true, error = false;
  EXPECT_EQ(folder.ReadIn("gcut.bin", GFile::kModeReadGameFile, &ok, &error).size(), 700u);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(error);
  folder.Put("one.bin", {0x80});
  folder.ReadIn("one.bin", GFile::kModeReadGameFile, &ok, &error);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(error);
  // Noise decodes to at most eight bytes per stored byte, and never hangs.
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    Bytes noise = NoiseBytes(3000 + seed * 37, seed);
    folder.Put("noise.bin", noise);
    for (int32_t mode : {GFile::kModeRead, GFile::kModeReadCompressed, GFile::kModeReadGameFile,
                         GFile::kModeReadEmail}) {
      auto f = folder.Open("noise.bin", mode, &ok);
      EXPECT_LE(f->GetSize(), noise.size() * 8);
      // Read beyond what was decoded: the flag is up at the latest then.
      f->Skip(static_cast<int32_t>(f->GetSize()));
      f->ReadByte();
      EXPECT_TRUE(f->HasError());
    }
  }
  EXPECT_TRUE(folder.WorkFiles().empty());
}

TEST(GFileCompression, SwitchToReadingThenCloseAndDelete) {
  GFileTestFolder folder;
  Bytes data = MapLikeBytes(20000, 8);
  auto f = folder.Open("sw.bin", GFile::kModeWriteCompressed);
  f->Write(data.data(), static_cast<int32_t>(data.size()));
  f->SwitchToReading();
  EXPECT_EQ(f->Mode(), GFile::kModeRead);
  Bytes stored = folder.Get("sw.bin");
  ASSERT_FALSE(stored.empty());
  EXPECT_EQ(f->GetSize(), stored.size());
  EXPECT_EQ(static_cast<uint8_t>(f->ReadByte()), stored[0]);
  f->CloseAndDelete();
  EXPECT_EQ(f->Mode(), GFile::kModeReadCompressed);
  EXPECT_FALSE(folder.Exists("sw.bin"));
  Bytes back(data.size());
  f->Read(back.data(), static_cast<int32_t>(back.size()));
  EXPECT_EQ(back, data);
  EXPECT_FALSE(f->HasError());
  EXPECT_EQ(folder.WorkFiles().size(), 1u);
  f.reset();
  EXPECT_TRUE(folder.WorkFiles().empty());

  // A temporary file: 8 becomes 2, then 7.
  auto t = folder.Open("tmp8.bin", GFile::kModeTemporaryWriting);
  t->Write(data.data(), 100);
  t->SwitchToReading();
  EXPECT_EQ(t->Mode(), GFile::kModeTemporary);
  t->CloseAndDelete();
  EXPECT_EQ(t->Mode(), GFile::kModeTemporaryDecoded);
  EXPECT_FALSE(folder.Exists("tmp8.bin"));
  Bytes head(100);
  t->Read(head.data(), 100);
  EXPECT_TRUE(std::equal(head.begin(), head.end(), data.begin()));
  t.reset();
  EXPECT_TRUE(folder.WorkFiles().empty());
}

TEST(GFileCompression, WorkFileNameTakesFortyTwoDraws) {
  GFileTestFolder folder;
  folder.WriteIn("x.bin", GFile::kModeWriteCompressed, {1, 2, 3});
  SeedRandom(4242);
  // The name's letters from the last one backward, a case draw and a letter draw each.
  std::string expected = "Junk File " + std::string(21, '?');
  for (int p = 30; p >= 10; --p) {
    bool upper = Random(2) == 0;
    expected[static_cast<size_t>(p)] = static_cast<char>((upper ? 'A' : 'a') + Random(26));
  }
  uint32_t after = RandomState();
  SeedRandom(4242);
  auto f = folder.Open("x.bin", GFile::kModeReadCompressed);
  EXPECT_EQ(RandomState(), after);
  ASSERT_EQ(folder.WorkFiles().size(), 1u);
  EXPECT_EQ(folder.WorkFiles()[0], expected);

  // Another program that drew the same name holds it: the name varies, the draws stay 42, so
  // the game's numbers do not depend on what the temporary folder holds.
  SeedRandom(4242);
  auto second = folder.Open("x.bin", GFile::kModeReadCompressed);
  EXPECT_EQ(RandomState(), after);
  std::vector<std::string> names = folder.WorkFiles();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_TRUE(std::find(names.begin(), names.end(), expected.substr(0, 29) + "ab") != names.end());
}

// ---- E-mail turns -----------------------------------------------------------------------------

std::string AsText(const Bytes& b) { return std::string(b.begin(), b.end()); }
Bytes AsBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

TEST(GFileEmail, WrittenAsTextAndReadBack) {
  GFileTestFolder folder;
  Bytes turn = MapLikeBytes(5000, 21);
  folder.WriteIn("turn.txt", GFile::kModeWriteEmail, turn);
  std::string text = AsText(folder.Get("turn.txt"));
  EXPECT_EQ(text.rfind("----------------- Play-By-Email Data Follows This Line -----------------\r\n", 0), 0u);
  EXPECT_EQ(text.substr(text.size() - 74),
            "---------------------- End of Play-By-Email Data -----------------------\r\n");
  for (char c : text) EXPECT_TRUE(c == '\r' || c == '\n' || (c >= 32 && c < 127));
  bool ok = false, error = true;
  auto f = folder.Open("turn.txt", GFile::kModeReadEmail, &ok);
  EXPECT_TRUE(ok);
  EXPECT_NE(f->GetBlockChecksum(), 0u);
  Bytes back(turn.size());
  f->Read(back.data(), static_cast<int32_t>(back.size()));
  EXPECT_EQ(back, turn);
  EXPECT_EQ(f->GetSize(), turn.size());
  f.reset();

  // Mail text around the block and an extra line end between groups change nothing.
  size_t secondLine = text.find("\r\n") + 2;
  size_t thirdLine = text.find("\r\n", secondLine) + 2;
  std::string mailed = "From: someone\r\nSubject: turn 3\r\n\r\n> quoted aQ3&zX\r\n" +
                       text.substr(0, thirdLine + 8) + "\r\n" + text.substr(thirdLine + 8) +
                       "\r\n-- \r\nsignature\r\n";
  folder.Put("mailed.txt", AsBytes(mailed));
  EXPECT_EQ(folder.ReadIn("mailed.txt", GFile::kModeReadEmail, &ok, &error), turn);
  EXPECT_TRUE(ok);
  EXPECT_FALSE(error);
  EXPECT_TRUE(folder.WorkFiles().empty());
}

// The usual reply: the earlier turn quoted with "> ", the new one below it.
TEST(GFileEmail, AReplyQuotingTheEarlierTurnReadsTheNewOne) {
  GFileTestFolder folder;
  const Bytes oldTurn = MapLikeBytes(3000, 31);
  const Bytes newTurn = MapLikeBytes(2000, 32);
  folder.WriteIn("old.txt", GFile::kModeWriteEmail, oldTurn);
  folder.WriteIn("new.txt", GFile::kModeWriteEmail, newTurn);
  std::string quoted = "> ";
  for (char c : AsText(folder.Get("old.txt"))) {
    quoted.push_back(c);
    if (c == '\n') quoted += "> ";
  }
  folder.Put("reply.txt", AsBytes("Re: turn 4\r\n\r\nYou wrote:\r\n" + quoted + "\r\n" + AsText(folder.Get("new.txt"))));
  bool ok = false, error = true;
  EXPECT_EQ(folder.ReadIn("reply.txt", GFile::kModeReadEmail, &ok, &error), newTurn);
  EXPECT_TRUE(ok);
  EXPECT_FALSE(error);
  folder.Put("quoted.txt", AsBytes(quoted));
  folder.Open("quoted.txt", GFile::kModeReadEmail, &ok);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(folder.WorkFiles().empty());
}

TEST(GFileEmail, DamagedTextsAreRefused) {
  GFileTestFolder folder;
  folder.WriteIn("turn.txt", GFile::kModeWriteEmail, NoiseBytes(400, 2));
  std::string text = AsText(folder.Get("turn.txt"));
  bool ok = true;

  // An altered checksum line.
  size_t end = text.find(";\r\n") + 3;
  std::string altered = text;
  altered[end] = altered[end] == 'A' ? 'B' : 'A';
  folder.Put("altered.txt", AsBytes(altered));
  folder.Open("altered.txt", GFile::kModeReadEmail, &ok);
  EXPECT_FALSE(ok);

  // The marker missing, the ruler lines still there.
  std::string noMarker = text;
  noMarker[noMarker.find("aQ3&") + 5] = 'Y';
  folder.Put("nomarker.txt", AsBytes(noMarker));
  folder.Open("nomarker.txt", GFile::kModeReadEmail, &ok);
  EXPECT_FALSE(ok);

  // Cut inside the data, and cut inside the checksum.
  folder.Put("cut.txt", AsBytes(text.substr(0, text.size() / 2)));
  folder.Open("cut.txt", GFile::kModeReadEmail, &ok);
  EXPECT_FALSE(ok);
  folder.Put("cut2.txt", AsBytes(text.substr(0, end + 3)));
  folder.Open("cut2.txt", GFile::kModeReadEmail, &ok);
  EXPECT_FALSE(ok);

  // An empty turn writes an empty text, which has no block.
  folder.WriteIn("empty.txt", GFile::kModeWriteEmail, {});
  EXPECT_TRUE(folder.Get("empty.txt").empty());
  folder.Open("empty.txt", GFile::kModeReadEmail, &ok);
  EXPECT_FALSE(ok);

  // A valid block around content that is no compressed stream: the block checks, the
  // decoding runs out before its end code.
  std::string block;
  GEmailBlockWriter writer([&block](const uint8_t* b, size_t n) { block.append(b, b + n); });
  const uint8_t content[3] = {0xFF, 0xFF, 0xFF};
  writer.Put(content, 3);
  writer.Finish();
  folder.Put("content.txt", AsBytes(block));
  bool error = false;
  folder.ReadIn("content.txt", GFile::kModeReadEmail, &ok, &error);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(error);
  EXPECT_TRUE(folder.WorkFiles().empty());
}

// Decoding stops with an error as soon as its output passes what the file's own first bytes
// allow (the game file layer's answer), before more than that is written.
TEST(GFileCompression, DecodingStopsOnceItPassesTheDeclaredSize) {
  GFileTestFolder folder;
  const Bytes data = MapLikeBytes(200000, 9);
  folder.WriteIn("g.bin", GFile::kModeWriteGameFile, data);
  GFile::SetGameFileDecodeLimit([](const uint8_t*, size_t) -> uint64_t { return 100000; });
  bool ok = true;
  folder.ReadIn("g.bin", GFile::kModeReadGameFile, &ok);
  EXPECT_FALSE(ok);
  GFile::SetGameFileDecodeLimit([](const uint8_t*, size_t) -> uint64_t { return 200000; });
  EXPECT_EQ(folder.ReadIn("g.bin", GFile::kModeReadGameFile, &ok), data);
  EXPECT_TRUE(ok);
  GFile::SetGameFileDecodeLimit(nullptr);
  EXPECT_TRUE(folder.WorkFiles().empty());
}

// A file held in memory is coded and decoded in memory: the same bytes as on a disk, the
// generator moved alike (the work file's name is drawn all the same), no work file made, and
// a damaged or bomb-like stream refused as from a disk.
TEST(GFileCompression, InMemoryCodesAsOnDiskWithoutWorkFiles) {
  GFileTestFolder folder;
  const Bytes data = MapLikeBytes(40000, 5);
  const std::string content(data.begin(), data.end());
  std::string compressed;
  for (int32_t mode : {GFile::kModeWriteCompressed, GFile::kModeWriteGameFile, GFile::kModeWriteEmail}) {
    SCOPED_TRACE(mode);
    SeedRandom(77);
    folder.WriteIn("d.bin", mode, data);
    const uint32_t afterDisk = RandomState();
    const Bytes onDisk = folder.Get("d.bin");
    SeedRandom(77);
    GMemoryFile out(std::string(), mode);
    out.File().Write(data.data(), static_cast<int32_t>(data.size()));
    ASSERT_TRUE(out.File().Finish());
    EXPECT_EQ(RandomState(), afterDisk);
    const std::string stored = out.Bytes();
    EXPECT_EQ(Bytes(stored.begin(), stored.end()), onDisk);
    if (mode == GFile::kModeWriteCompressed) compressed = stored;

    const int32_t readMode = mode - 1;  // each coding mode's decoding mode
    GMemoryFile in(stored, readMode);
    ASSERT_FALSE(in.File().HasError());
    EXPECT_EQ(in.File().GetSize(), data.size());
    std::string back(data.size(), '\0');
    in.File().Read(back.data(), static_cast<int32_t>(back.size()));
    EXPECT_EQ(back, content);
    EXPECT_FALSE(in.File().HasError());

    std::string damaged = stored;
    damaged.resize(damaged.size() / 2);
    GMemoryFile cut(damaged, readMode);
    EXPECT_TRUE(cut.File().HasError());
  }
  // Switched to reading in place: the code is read from its start.
  GMemoryFile coded(std::string(), GFile::kModeWriteCompressed);
  coded.File().Write(data.data(), static_cast<int32_t>(data.size()));
  coded.File().SwitchToReading();
  std::string code(compressed.size(), '\0');
  coded.File().Read(code.data(), static_cast<int32_t>(code.size()));
  EXPECT_EQ(code, compressed);
  EXPECT_EQ(coded.File().BytesLeft(), 0u);
  // A game file decoding past the size its prefix allows is refused.
  GFile::SetGameFileDecodeLimit([](const uint8_t*, size_t) -> uint64_t { return 20000; });
  GMemoryFile game(std::string(), GFile::kModeWriteGameFile);
  game.File().Write(data.data(), static_cast<int32_t>(data.size()));
  ASSERT_TRUE(game.File().Finish());
  GMemoryFile bomb(game.Bytes(), GFile::kModeReadGameFile);
  EXPECT_TRUE(bomb.File().HasError());
  GFile::SetGameFileDecodeLimit(nullptr);
  EXPECT_TRUE(folder.WorkFiles().empty());
}

// A file whose finishing fails (here the copy beside the stored file cannot be made: a folder
// is in its way) says so and leaves the stored file and no work file: the program goes on.
TEST(GFileCompression, AFailedReplacementLeavesTheStoredFileWholeAndSaysSo) {
  GFileTestFolder folder;
  Bytes data = MapLikeBytes(3000, 6);
  std::filesystem::create_directories(folder.Native("c.bin.copying"));
  {
    auto file = folder.Open("c.bin", GFile::kModeWriteCompressed);
    file->Write(data.data(), static_cast<int32_t>(data.size()));
    EXPECT_FALSE(file->Finish());
    EXPECT_TRUE(file->HasError());
  }
  EXPECT_EQ(folder.Get("c.bin"), data);
  EXPECT_TRUE(folder.WorkFiles().empty());
  std::filesystem::remove(folder.Native("c.bin.copying"));
}

// Whatever the program is doing when a fatal error ends it, its work files and temporary
// files go with it; files of the process that forked the dying one stay its own.
TEST(GFileDeathTest, AFatalErrorTakesTheWorkAndTemporaryFilesWithIt) {
  GTEST_FLAG_SET(death_test_style, "fast");
  GFileTestFolder folder;
  folder.WriteIn("a.bin", GFile::kModeWriteCompressed, MapLikeBytes(3000, 7));
  folder.WriteIn("b.bin", GFile::kModeWriteGameFile, MapLikeBytes(3000, 8));
  auto kept = folder.Open("a.bin", GFile::kModeReadCompressed);
  ASSERT_EQ(folder.WorkFiles().size(), 1u);
  EXPECT_EXIT(
      {
        auto decoded = folder.Open("b.bin", GFile::kModeReadGameFile);
        auto temporary = folder.Open("t.bin", GFile::kModeTemporary);
        temporary->WriteU32(1);
        if (folder.WorkFiles().size() == 2 && folder.Exists("t.bin")) FatalError(1, "Test");
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: Test line 1");
  EXPECT_EQ(folder.WorkFiles().size(), 1u);
  EXPECT_FALSE(folder.Exists("t.bin"));
  kept.reset();
  EXPECT_TRUE(folder.WorkFiles().empty());
}

TEST(GFileDeathTest, MisuseIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  GFileTestFolder folder;
  EXPECT_EXIT(
      {
        GFile f;
        f.IFile(nullptr, "x", GFile::kModeTemporaryDecoded);
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: GFile line 140");
  EXPECT_EXIT(folder.Open("a.bin", GFile::kModeWrite)->SwitchToReading(),
              testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: GFile line 482");
  EXPECT_EXIT(
      {
        char c;
        folder.Open("a.bin", GFile::kModeWrite)->Read(&c, 0);
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: GFile line 601");
  EXPECT_EXIT(folder.Open("a.bin", GFile::kModeWrite)->Write("x", 0),
              testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: GFile line 813");
  EXPECT_EXIT(GFile().CloseAndDelete(), testing::ExitedWithCode(PSystem::kFatalExitStatus),
              "ERROR: GFile line 514");
  EXPECT_EXIT(
      {
        GFile f;
        f.IFile(nullptr, "NoFolder.txt", GFile::kModeRead);
        f.GetBaseName();
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: GFile line 409");
}

}  // namespace
