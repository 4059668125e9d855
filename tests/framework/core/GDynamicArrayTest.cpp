#include "framework/core/GDynamicArray.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "StoredForm.h"
#include "platform/PSystem.h"
#include "support/TestFolder.h"

namespace {

TEST(GDynamicArray, TypedAccessAndDimensions) {
  GDynamicArray bytes;
  bytes.Init(1, 3, 4);
  int32_t rows = 0, columns = 0;
  bytes.GetDimensions(rows, columns);
  EXPECT_EQ(rows, 3);
  EXPECT_EQ(columns, 4);
  bytes.Zero();
  bytes.SetU8(2, 3, 200);
  bytes.SetU8(1, 0, 7);
  EXPECT_EQ(bytes.GetU8(2, 3), 200);
  EXPECT_EQ(bytes.GetU8(1, 0), 7);
  EXPECT_EQ(bytes.GetU8(0, 0), 0);
  EXPECT_EQ(*bytes.ElementPtr(1, 0), 7);
  uint8_t copy[12];
  bytes.CopyDataTo(copy);
  EXPECT_EQ(copy[4], 7);  // row 1 starts at element 4
  EXPECT_EQ(copy[11], 200);

  GDynamicArray words;
  words.Init(2, 2, 2);
  words.SetU16(1, 1, 0xBEEF);
  EXPECT_EQ(words.GetU16(1, 1), 0xBEEF);
  GDynamicArray wide;
  wide.Init(4, 5, 5);
  wide.SetU32(4, 4, 0xDEADBEEFu);
  wide.SetFloat(0, 1, 2.5f);
  EXPECT_EQ(wide.GetU32(4, 4), 0xDEADBEEFu);
  EXPECT_EQ(wide.GetFloat(0, 1), 2.5f);

  // SetBytes copies exactly one element of any size.
  struct Cell {
    uint8_t b[7];
  };
  GDynamicArray cells;
  cells.Init(static_cast<int16_t>(sizeof(Cell)), 2, 3);
  cells.Zero();
  Cell c{{1, 2, 3, 4, 5, 6, 7}};
  cells.SetBytes(1, 1, &c);
  const uint8_t* p = cells.ElementPtr(1, 1);
  EXPECT_EQ(p[0], 1);
  EXPECT_EQ(p[6], 7);
  EXPECT_EQ(cells.ElementPtr(1, 2)[0], 0);
  EXPECT_EQ(cells.ElementPtr(1, 0)[6], 0);

  // A second Init replaces the block.
  bytes.Init(1, 10, 10);
  bytes.GetDimensions(rows, columns);
  EXPECT_EQ(rows * columns, 100);
}

TEST(GDynamicArray, ValidIndexesInSixtyFourBits) {
  GDynamicArray a;
  a.Init(1, 3, 4);
  EXPECT_TRUE(a.IsValidIndex(0, 0));
  EXPECT_TRUE(a.IsValidIndex(2, 3));
  EXPECT_FALSE(a.IsValidIndex(1, 4));  // element 8 exists, but column 4 does not
  EXPECT_FALSE(a.IsValidIndex(3, 0));
  EXPECT_FALSE(a.IsValidIndex(-1, 3));
  EXPECT_FALSE(a.IsValidIndex(0, -1));
  // row * columns wraps to 0 in 32 bits: 1073741824 * 4 = 2^32.
  EXPECT_FALSE(a.IsValidIndex(1073741824, 0));
  EXPECT_FALSE(a.IsValidIndex(INT_MIN, 0));
}

// Summaries of a grid (the burning-tile table) are kept while its revision stands, so every
// way of changing the elements must raise it and no read may.
TEST(GDynamicArray, EveryChangeRaisesTheRevisionAndReadsLeaveIt) {
  GDynamicArray a;
  uint64_t last = a.Revision();
  auto raised = [&] {
    const bool up = a.Revision() > last;
    last = a.Revision();
    return up;
  };
  a.Init(1, 3, 4);
  EXPECT_TRUE(raised());
  a.Zero();
  EXPECT_TRUE(raised());
  a.SetU8(1, 1, 3);
  EXPECT_TRUE(raised());
  const uint8_t value = 9;
  a.SetBytes(2, 2, &value);
  EXPECT_TRUE(raised());
  *a.ElementPtr(0, 0) = 1;
  EXPECT_TRUE(raised());
  const GDynamicArray& view = a;
  uint8_t copy[12];
  view.CopyDataTo(copy);
  EXPECT_EQ(view.GetU8(1, 1) + view.GetU8(2, 2) + copy[0], 13);
  EXPECT_FALSE(raised());
  // The wider setters, and a grid read from its stored form.
  GDynamicArray words;
  words.Init(2, 2, 2);
  uint64_t before = words.Revision();
  words.SetU16(1, 1, 7);
  EXPECT_GT(words.Revision(), before);
  GDynamicArray wide;
  wide.Init(4, 2, 2);
  before = wide.Revision();
  wide.SetU32(0, 1, 7);
  EXPECT_GT(wide.Revision(), before);
  before = wide.Revision();
  wide.SetFloat(1, 0, 0.5f);
  EXPECT_GT(wide.Revision(), before);
  const std::string bytes = StoredBytes([&](GFile& f) { a.Write(f); });
  GDynamicArray read;
  before = read.Revision();
  ReadStored(bytes, [&](GFile& f) { read.Read(f); });
  EXPECT_GT(read.Revision(), before);
}

TEST(GDynamicArrayStoredForm, ThreeByFourIsTwentySixBytes) {
  GDynamicArray a;
  a.Init(1, 3, 4);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 4; ++c) a.SetU8(r, c, static_cast<uint8_t>(0x10 * r + c));
  }
  std::string bytes = StoredBytes([&](GFile& f) { a.Write(f); });
  const std::string expected = std::string("\x00\x00\x00\x0C\x00\x01\x00\x00\x00\x04\x00\x00\x00\x00", 14) +
                               std::string("\x00\x01\x02\x03\x10\x11\x12\x13\x20\x21\x22\x23", 12);
  EXPECT_EQ(bytes, expected);

  ReadStored(bytes + "tail", [&](GFile& f) {
    GDynamicArray b;
    b.Read(f);
    EXPECT_FALSE(f.HasError());
    int32_t rows = 0, columns = 0;
    b.GetDimensions(rows, columns);
    EXPECT_EQ(rows, 3);
    EXPECT_EQ(columns, 4);
    EXPECT_EQ(b.GetU8(2, 1), 0x21);
    EXPECT_EQ(f.ReadByte(), 't');
  });
}

TEST(GDynamicArrayStoredForm, HostileHeadersAreRefusedWithoutAllocating) {
  auto header = [](uint32_t count, uint16_t size, uint32_t columns, uint32_t lock) {
    std::string h;
    for (int s = 24; s >= 0; s -= 8) h += static_cast<char>(count >> s);
    h += static_cast<char>(size >> 8);
    h += static_cast<char>(size);
    for (int s = 24; s >= 0; s -= 8) h += static_cast<char>(columns >> s);
    for (int s = 24; s >= 0; s -= 8) h += static_cast<char>(lock >> s);
    return h;
  };
  const std::string twelve(12, '\x05');
  const std::string cases[] = {
      header(0xFFFFFFF0u, 1, 16, 0) + twelve,  // gigabytes
      header(0x7FFFFFFFu, 1, 1, 0) + twelve,   // beyond the cap
      header(1u << 24, 1, 4096, 0) + twelve,   // plausible, but longer than the file
      header(12, 1, 5, 0) + twelve,            // count not rows x columns
      header(12, 1, 0, 0) + twelve,            // no columns
      header(12, 1, 4, 1) + twelve,            // locked
      header(12, 2, 4, 0) + twelve,            // wider elements
      header(12, 1, 4, 0) + twelve.substr(0, 5),  // truncated elements
      header(12, 1, 4, 0).substr(0, 9),        // truncated header
  };
  for (const std::string& bytes : cases) {
    ReadStored(bytes, [&](GFile& f) {
      GDynamicArray a;
      a.Read(f);
      EXPECT_TRUE(f.HasError());
      EXPECT_FALSE(a.HasBlock());
      EXPECT_EQ(a.Count(), 0);
      EXPECT_FALSE(a.IsValidIndex(0, 0));
    });
  }
}

TEST(GDynamicArrayDeathTest, MisuseIsFatal) {
  TestFolder folder(true);
  const auto fatal = testing::ExitedWithCode(PSystem::kFatalExitStatus);
  GDynamicArray a;
  a.Init(1, 3, 4);
  a.Zero();
  EXPECT_EXIT(a.GetU16(0, 0), fatal, "ERROR: GDynamicArray line 257\\.");
  EXPECT_EXIT(a.GetU8(3, 0), fatal, "ERROR: GDynamicArray line 225\\.");
  EXPECT_EXIT(a.GetU8(1073741824, 0), fatal, "ERROR: GDynamicArray line 225\\.");
  EXPECT_EXIT(a.SetU8(0, 4, 1), fatal, "ERROR: GDynamicArray line 197\\.");
  EXPECT_EXIT(a.SetU32(0, 0, 1), fatal, "ERROR: GDynamicArray line 456\\.");
  EXPECT_EXIT(a.GetFloat(0, 0), fatal, "ERROR: GDynamicArray line 315\\.");
  EXPECT_EXIT(a.Init(0, 1, 1), fatal, "ERROR: GDynamicArray line 46\\.");
  EXPECT_EXIT(a.Init(1, 1, 0), fatal, "ERROR: GDynamicArray line 48\\.");
  EXPECT_EXIT(a.Init(1, -1, 5), fatal, "ERROR: GDynamicArray line 50\\.");
  EXPECT_EXIT(a.Init(1, 65536, 65536), fatal, "ERROR: GDynamicArray line 50\\.");
  GDynamicArray empty;
  EXPECT_EXIT(empty.Zero(), fatal, "ERROR: GDynamicArray line 90\\.");
  GDynamicArray wide;
  wide.Init(2, 1, 1);
  EXPECT_EXIT(StoredBytes([&](GFile& f) { wide.Write(f); }), fatal, "ERROR: GDynamicArray line 149\\.");
  EXPECT_EXIT(ReadStored(std::string(14, '\0'), [&](GFile& f) { a.Read(f); }), fatal,
              "ERROR: GDynamicArray line 171\\.");
}

}  // namespace
