#include "platform/PBitmapFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TestFolder.h"

namespace {

void Put16(std::string& s, size_t at, uint32_t v) {
  s[at] = static_cast<char>(v & 255);
  s[at + 1] = static_cast<char>((v >> 8) & 255);
}
void Put32(std::string& s, size_t at, uint32_t v) {
  Put16(s, at, v & 0xFFFF);
  Put16(s, at + 2, v >> 16);
}

// A bitmap file with a 40-byte header, the given extra bytes (masks, palette) after it and the
// rows as given (already padded).
std::string MakeBmp(int32_t width, int32_t height, int bitCount, uint32_t compression, const std::string& extra,
                    const std::string& rows, uint32_t colorsUsed = 0) {
  std::string s(54, '\0');
  s[0] = 'B';
  s[1] = 'M';
  const uint32_t off = static_cast<uint32_t>(54 + extra.size());
  Put32(s, 2, static_cast<uint32_t>(off + rows.size()));
  Put32(s, 10, off);
  Put32(s, 14, 40);
  Put32(s, 18, static_cast<uint32_t>(width));
  Put32(s, 22, static_cast<uint32_t>(height));
  Put16(s, 26, 1);
  Put16(s, 28, static_cast<uint32_t>(bitCount));
  Put32(s, 30, compression);
  Put32(s, 46, colorsUsed);
  return s + extra + rows;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

bool Decode(const std::string& file, PBitmapFile::Image& image) {
  return PBitmapFile::Decode(reinterpret_cast<const uint8_t*>(file.data()), file.size(), image);
}

TEST(PBitmapFile, DecodesEveryDepthInBothRowOrders) {
  PBitmapFile::Image img;
  // 24 bits, 2 x 2, bottom-up: the first row in the file is the bottom one.
  const std::string rows24 = Bytes({0, 0, 255, 0, 255, 0, 0, 0,  // bottom: red, green, pad
                                    255, 0, 0, 255, 255, 255, 0, 0});  // top: blue, white
  ASSERT_TRUE(Decode(MakeBmp(2, 2, 24, 0, "", rows24), img));
  EXPECT_EQ(img.pixels, (std::vector<uint32_t>{0x0000FF, 0xFFFFFF, 0xFF0000, 0x00FF00}));
  ASSERT_TRUE(Decode(MakeBmp(2, -2, 24, 0, "", rows24), img));  // top-down
  EXPECT_EQ(img.pixels, (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}));

  // 1 bit with a two-colour palette: 9 pixels in one row.
  const std::string pal1 = Bytes({0, 0, 0, 0, 10, 20, 30, 0});
  ASSERT_TRUE(Decode(MakeBmp(9, 1, 1, 0, pal1, Bytes({0xA5, 0x80, 0, 0})), img));
  EXPECT_EQ(img.pixels, (std::vector<uint32_t>{0x1E140A, 0, 0x1E140A, 0, 0, 0x1E140A, 0, 0x1E140A, 0x1E140A}));

  // 4 bits, three palette entries used.
  const std::string pal4 = Bytes({1, 1, 1, 0, 2, 2, 2, 0, 3, 3, 3, 0});
  ASSERT_TRUE(Decode(MakeBmp(3, 1, 4, 0, pal4, Bytes({0x21, 0x00, 0, 0}), 3), img));
  EXPECT_EQ(img.pixels, (std::vector<uint32_t>{0x030303, 0x020202, 0x010101}));

  // 8 bits.
  std::string pal8;
  for (int i = 0; i < 256; ++i) pal8 += Bytes({i, 0, 0, 0});
  ASSERT_TRUE(Decode(MakeBmp(2, 1, 8, 0, pal8, Bytes({7, 200, 0, 0})), img));
  EXPECT_EQ(img.pixels, (std::vector<uint32_t>{7, 200}));

  // 16 bits plain (5-5-5) and with 5-6-5 bit fields.
  ASSERT_TRUE(Decode(MakeBmp(2, 1, 16, 0, "", Bytes({0xFF, 0x7F, 0x1F, 0x00})), img));
  EXPECT_EQ(img.pixels, (std::vector<uint32_t>{0xFFFFFF, 0x0000FF}));
  const std::string masks565 = Bytes({0, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0});
  ASSERT_TRUE(Decode(MakeBmp(2, 1, 16, 3, masks565, Bytes({0x00, 0xF8, 0x20, 0x00})), img));
  EXPECT_EQ(img.pixels, (std::vector<uint32_t>{0xFF0000, 0x000400}));

  // 32 bits plain and with bit fields.
  ASSERT_TRUE(Decode(MakeBmp(1, 1, 32, 0, "", Bytes({1, 2, 3, 99})), img));
  EXPECT_EQ(img.pixels, (std::vector<uint32_t>{0x030201}));
  const std::string masksRgba = Bytes({0, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0});
  ASSERT_TRUE(Decode(MakeBmp(1, 1, 32, 3, masksRgba, Bytes({9, 3, 2, 1})), img));
  EXPECT_EQ(img.pixels, (std::vector<uint32_t>{0x010203}));
}

TEST(PBitmapFile, RefusesMalformedFiles) {
  PBitmapFile::Image img;
  const std::string row = Bytes({0, 0, 255, 0});
  const std::string good = MakeBmp(1, 1, 24, 0, "", row);
  ASSERT_TRUE(Decode(good, img));
  EXPECT_FALSE(Decode(good.substr(0, good.size() - 1), img));   // cut short
  EXPECT_FALSE(Decode(good.substr(0, 30), img));
  EXPECT_FALSE(Decode(MakeBmp(0, 1, 24, 0, "", row), img));      // zero width
  EXPECT_FALSE(Decode(MakeBmp(1, 0, 24, 0, "", row), img));      // zero height
  EXPECT_FALSE(Decode(MakeBmp(-1, 1, 24, 0, "", row), img));     // negative width
  EXPECT_FALSE(Decode(MakeBmp(4097, 1, 24, 0, "", std::string(12292, '\0')), img));  // too wide
  EXPECT_FALSE(Decode(MakeBmp(1, 4097, 24, 0, "", std::string(4 * 4097, '\0')), img));
  EXPECT_FALSE(Decode(MakeBmp(1, -4097, 24, 0, "", std::string(4 * 4097, '\0')), img));
  EXPECT_FALSE(Decode(MakeBmp(1, static_cast<int32_t>(0x80000000u), 24, 0, "", row), img));
  EXPECT_FALSE(Decode(MakeBmp(1, 1, 24, 1, "", row), img));      // run-length compression
  EXPECT_FALSE(Decode(MakeBmp(1, 1, 24, 3, "", row), img));      // bit fields need 16 or 32 bits
  EXPECT_FALSE(Decode(MakeBmp(1, 1, 7, 0, "", row), img));       // no such depth
  // A palette index past the palette's two entries.
  const std::string pal = Bytes({0, 0, 0, 0, 1, 1, 1, 0});
  EXPECT_FALSE(Decode(MakeBmp(1, 1, 8, 0, pal, Bytes({2, 0, 0, 0}), 2), img));
  EXPECT_TRUE(Decode(MakeBmp(1, 1, 8, 0, pal, Bytes({1, 0, 0, 0}), 2), img));
  EXPECT_FALSE(Decode(MakeBmp(1, 1, 1, 0, pal, Bytes({0, 0, 0, 0}), 3), img));  // more colours than bits
  std::string notBm = good;
  notBm[0] = 'X';
  EXPECT_FALSE(Decode(notBm, img));
  std::string hugeOffset = good;
  Put32(hugeOffset, 10, 0xFFFFFFF0u);
  EXPECT_FALSE(Decode(hugeOffset, img));
  EXPECT_TRUE(img.pixels.empty());
  EXPECT_FALSE(PBitmapFile::Decode(nullptr, 0, img));
}

TEST(PBitmapFile, ConvertsByTruncationAndWritesGoldenBytes) {
  EXPECT_EQ(PBitmapFile::ToPixel(0xFFFFFF, PPixelFormat::kRGB565), 0xFFFFu);
  EXPECT_EQ(PBitmapFile::ToPixel(0xFF00FF, PPixelFormat::kRGB565), 0xF81Fu);
  EXPECT_EQ(PBitmapFile::ToPixel(0x070307, PPixelFormat::kRGB565), 0u);  // low bits dropped
  EXPECT_EQ(PBitmapFile::ToPixel(0x080408, PPixelFormat::kRGB565), 0x0821u);
  EXPECT_EQ(PBitmapFile::ToPixel(0xFF00FF, PPixelFormat::kARGB1555), 0x7C1Fu);
  EXPECT_EQ(PBitmapFile::ToPixel(0x0F0F0F, PPixelFormat::kARGB1555), 0x0421u);

  const uint32_t pixels[2] = {0x112233, 0xAABBCC};
  const std::string bytes = PBitmapFile::Encode(pixels, 2, 1);
  const std::string expected = Bytes({'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
                                      40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,
                                      8, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                      0x33, 0x22, 0x11, 0xCC, 0xBB, 0xAA, 0, 0});
  EXPECT_EQ(bytes, expected);

  // A surface written and read back: the same 16-bit pixels.
  TestFolder folder;
  PSurface s(3, 2, PPixelFormat::kRGB565);
  const uint16_t values[6] = {0x0000, 0xFFFF, 0xF81F, 0x07E0, 0x1234, 0x8421};
  for (int i = 0; i < 6; ++i) s.Row16(i / 3)[i % 3] = values[i];
  ASSERT_TRUE(PBitmapFile::WriteSurface(s, folder.Program() + "shot.bmp"));
  PBitmapFile::Image img;
  ASSERT_TRUE(PBitmapFile::Load(folder.Program() + "SHOT.BMP", img));
  PSurface back(3, 2, PPixelFormat::kRGB565);
  PBitmapFile::CopyToSurface(img, back);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(back.Row16(i / 3)[i % 3], values[i]) << i;
  EXPECT_FALSE(PBitmapFile::Load(folder.Program() + "missing.bmp", img));

  // A picture copied into a surface of either 16-bit format gives ToPixel's pixel everywhere,
  // whatever the top byte holds.
  PBitmapFile::Image spread;
  spread.width = 64;
  spread.height = 4;
  uint32_t state = 12345;
  for (int i = 0; i < 256; ++i) {
    state = state * 1103515245u + 12345u;
    spread.pixels.push_back(state ^ (state << 13));
  }
  for (PPixelFormat format : {PPixelFormat::kRGB565, PPixelFormat::kARGB1555}) {
    PSurface target(64, 4, format);
    PBitmapFile::CopyToSurface(spread, target);
    for (int i = 0; i < 256; ++i) {
      EXPECT_EQ(target.Row16(i / 64)[i % 64], PBitmapFile::ToPixel(spread.pixels[static_cast<size_t>(i)], format)) << i;
    }
  }
}

// The same with a 56-byte header holding the red, green, blue and alpha masks.
std::string MakeBmpWithMasks(int32_t width, int32_t height, int bitCount, const uint32_t (&masks)[4],
                             const std::string& rows) {
  std::string s = MakeBmp(width, height, bitCount, 3, "", rows);
  std::string header(16, '\0');
  for (int i = 0; i < 4; ++i) Put32(header, 4 * static_cast<size_t>(i), masks[i]);
  s.insert(54, header);
  Put32(s, 10, 70);
  Put32(s, 14, 56);
  Put32(s, 2, static_cast<uint32_t>(s.size()));
  return s;
}

std::string Masks(uint32_t r, uint32_t g, uint32_t b) {
  std::string s(12, '\0');
  Put32(s, 0, r);
  Put32(s, 4, g);
  Put32(s, 8, b);
  return s;
}

std::string Pixels16(std::initializer_list<uint32_t> values) {
  std::string s;
  for (uint32_t v : values) s += Bytes({static_cast<int>(v & 255), static_cast<int>(v >> 8)});
  return s;
}

// Bit-field masks of any contiguous run of up to 8 bits give the full colours; masks that
// overlap, have gaps, are empty or lie outside the pixel make the file damaged.
TEST(PBitmapFile, DecodesBitFieldMasksAndRefusesUnsoundOnes) {
  PBitmapFile::Image img;
  ASSERT_TRUE(Decode(MakeBmp(4, 1, 16, 3, Masks(0xF800, 0x07E0, 0x001F), Pixels16({0xF800, 0x07E0, 0x001F, 0x8410})),
                     img));
  EXPECT_EQ(img.pixels, (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0x848284}));
  ASSERT_TRUE(Decode(MakeBmp(2, 1, 16, 3, Masks(0x7C00, 0x03E0, 0x001F), Pixels16({0x7FFF, 0x4210})), img));
  EXPECT_EQ(img.pixels, (std::vector<uint32_t>{0xFFFFFF, 0x848484}));
  ASSERT_TRUE(Decode(MakeBmp(2, 1, 16, 3, Masks(0x0F00, 0x00F0, 0x000F), Pixels16({0xFF00, 0x0123})), img));
  EXPECT_EQ(img.pixels, (std::vector<uint32_t>{0xFF0000, 0x112233}));
  // 8-8-8-8 with alpha in the larger header, and 5-6-5 there too.
  ASSERT_TRUE(Decode(MakeBmpWithMasks(2, 1, 32, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},
                                      Bytes({0x33, 0x22, 0x11, 0x80, 0xFF, 0, 0, 0})),
                     img));
  EXPECT_EQ(img.pixels, (std::vector<uint32_t>{0x112233, 0x0000FF}));
  ASSERT_TRUE(Decode(MakeBmpWithMasks(2, 1, 16, {0xF800, 0x07E0, 0x001F, 0}, Pixels16({0xF800, 0x07E0})), img));
  EXPECT_EQ(img.pixels, (std::vector<uint32_t>{0xFF0000, 0x00FF00}));

  const std::string rows = Pixels16({0xFFFF, 0});
  EXPECT_FALSE(Decode(MakeBmp(2, 1, 16, 3, Masks(0xF800, 0x0FE0, 0x001F), rows), img));  // overlap
  EXPECT_FALSE(Decode(MakeBmp(2, 1, 16, 3, Masks(0xF800, 0x07E0, 0x001B), rows), img));  // a gap
  EXPECT_FALSE(Decode(MakeBmp(2, 1, 16, 3, Masks(0xF800, 0x07E0, 0), rows), img));       // empty
  EXPECT_FALSE(Decode(MakeBmp(2, 1, 16, 3, Masks(0xF80000, 0x07E0, 0x001F), rows), img));  // past 16 bits
  EXPECT_FALSE(Decode(MakeBmpWithMasks(2, 1, 16, {0xF800, 0x07E0, 0x001F, 0x8000}, rows), img));  // alpha overlaps
  EXPECT_TRUE(img.pixels.empty());
}

// Run-length coded rows decode to the pixels of their plain form.
TEST(PBitmapFile, DecodesRunLengthCodedRows) {
  PBitmapFile::Image coded;
  PBitmapFile::Image plain;
  std::string pal8;
  for (int i = 0; i < 256; ++i) pal8 += Bytes({i, 255 - i, 7, 0});
  // 6 x 3. Bottom: a run, a literal of 3 (padded), end of line. Middle: a run, then a delta
  // right and up into the top row's sixth column, a run of one there, end of bitmap. Skipped
  // pixels take palette entry 0.
  const std::string rle8 = Bytes({2, 7, 0, 3, 5, 6, 7, 0, 0, 0,  //
                                  3, 4, 0, 2, 2, 1, 1, 9, 0, 1});
  const std::string rows8 = Bytes({7, 7, 5, 6, 7, 0, 0, 0, 4, 4, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 0, 0});
  ASSERT_TRUE(Decode(MakeBmp(6, 3, 8, 1, pal8, rle8), coded));
  ASSERT_TRUE(Decode(MakeBmp(6, 3, 8, 0, pal8, rows8), plain));
  EXPECT_EQ(coded.width, 6);
  EXPECT_EQ(coded.height, 3);
  EXPECT_EQ(coded.pixels, plain.pixels);

  // 4 bits, 5 x 2: a delta, a run of alternating nibbles, end of line; a literal of 3 (two
  // bytes), a run of one, end of bitmap leaving the last pixel.
  std::string pal4;
  for (int i = 0; i < 16; ++i) pal4 += Bytes({i * 16, i, 255, 0});
  const std::string rle4 = Bytes({0, 2, 2, 0, 3, 0x12, 0, 0, 0, 3, 0x34, 0x50, 1, 0xF0, 0, 1});
  const std::string rows4 = Bytes({0x00, 0x12, 0x10, 0, 0x34, 0x5F, 0x00, 0});
  ASSERT_TRUE(Decode(MakeBmp(5, 2, 4, 0, pal4, rows4), plain));
  ASSERT_TRUE(Decode(MakeBmp(5, 2, 4, 2, pal4, rle4), coded));
  EXPECT_EQ(coded.pixels, plain.pixels);
  // A literal of 5 nibbles takes three bytes and a pad byte.
  ASSERT_TRUE(Decode(MakeBmp(5, 1, 4, 2, pal4, Bytes({0, 5, 0x12, 0x34, 0x50, 0, 0, 1})), coded));
  ASSERT_TRUE(Decode(MakeBmp(5, 1, 4, 0, pal4, Bytes({0x12, 0x34, 0x50, 0})), plain));
  EXPECT_EQ(coded.pixels, plain.pixels);

  // Damaged: a run past the row, a literal past the row, a delta past the bitmap, an end of
  // line past the top, data that ends before the end of bitmap or inside a literal, an index
  // past the palette, a coding that does not fit the depth, and rows stored top down.
  EXPECT_FALSE(Decode(MakeBmp(6, 3, 8, 1, pal8, Bytes({7, 1, 0, 1})), coded));
  EXPECT_FALSE(Decode(MakeBmp(6, 3, 8, 1, pal8, Bytes({4, 1, 0, 3, 1, 1, 1, 0, 0, 1})), coded));
  EXPECT_FALSE(Decode(MakeBmp(6, 3, 8, 1, pal8, Bytes({0, 2, 0, 3, 0, 1})), coded));
  EXPECT_FALSE(Decode(MakeBmp(6, 3, 8, 1, pal8, Bytes({0, 2, 7, 0, 0, 1})), coded));
  EXPECT_FALSE(Decode(MakeBmp(6, 1, 8, 1, pal8, Bytes({0, 0, 0, 0, 0, 1})), coded));
  EXPECT_TRUE(Decode(MakeBmp(6, 1, 8, 1, pal8, Bytes({0, 0, 0, 1})), coded));
  EXPECT_FALSE(Decode(MakeBmp(6, 3, 8, 1, pal8, rle8.substr(0, rle8.size() - 2)), coded));
  EXPECT_FALSE(Decode(MakeBmp(6, 3, 8, 1, pal8, Bytes({0, 3, 1, 2})), coded));
  EXPECT_FALSE(Decode(MakeBmp(6, 3, 8, 1, pal8.substr(0, 8), Bytes({1, 5, 0, 1}), 2), coded));
  EXPECT_FALSE(Decode(MakeBmp(5, 2, 4, 1, pal4, rle4), coded));
  EXPECT_FALSE(Decode(MakeBmp(6, 3, 8, 2, pal8, rle8), coded));
  EXPECT_FALSE(Decode(MakeBmp(6, -3, 8, 1, pal8, rle8), coded));
  EXPECT_FALSE(Decode(MakeBmp(5, 2, 4, 2, pal4, rle4.substr(0, 9)), coded));
  EXPECT_TRUE(coded.pixels.empty());
}

}  // namespace
