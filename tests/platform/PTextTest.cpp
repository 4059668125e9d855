#include "platform/PText.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/PFileName.h"

namespace {

bool ToCp1252(const std::string& utf8, std::string& out) { return PText::Utf8ToCp1252(utf8, out); }

TEST(PText, StrictDecodingRefusesOverlongFormsSurrogatesAndCodePointsBeyondUnicode) {
  std::string out;
  EXPECT_TRUE(ToCp1252("caf\xC3\xA9 \xE2\x82\xAC", out));
  EXPECT_EQ(out, "caf\xE9 \x80");
  // "..\" in two-byte overlong forms must never become a path.
  EXPECT_FALSE(ToCp1252("\xC0\xAE\xC0\xAE\xC0\xAFoutside.sav", out));
  EXPECT_FALSE(ToCp1252("\xC1\xBF", out));                 // U+007F overlong
  EXPECT_FALSE(ToCp1252("\xE0\x80\xAE", out));             // "." in three bytes
  EXPECT_FALSE(ToCp1252("\xE0\x82\xA0", out));             // U+00A0 in three bytes
  EXPECT_FALSE(ToCp1252("\xF0\x80\x80\xAE", out));         // "." in four bytes
  EXPECT_FALSE(ToCp1252("\xED\xA0\x80", out));             // a surrogate
  EXPECT_FALSE(ToCp1252("\xF4\x90\x80\x80", out));         // above U+10FFFF
  EXPECT_FALSE(ToCp1252("\xF0\x9F\x98\x80", out));         // valid, but no Windows-1252 form
  EXPECT_FALSE(ToCp1252("\xC3", out));                     // cut short
  EXPECT_FALSE(ToCp1252("\xC3\x28", out));                 // not a continuation byte
  EXPECT_FALSE(ToCp1252("\xF8\x88\x80\x80\x80", out));     // five-byte form
}

TEST(PText, EveryWindows1252ByteGoesToUtf8AndBack) {
  for (int c = 1; c < 256; ++c) {
    const std::string one(1, static_cast<char>(c));
    std::string back;
    ASSERT_TRUE(PText::Utf8ToCp1252(PText::Cp1252ToUtf8(one), back)) << c;
    EXPECT_EQ(back, one) << c;
  }
}

TEST(PFileName, ListedNamesAreTakenOnlyWhenTheyMapBothWaysAndArePlainNames) {
  std::string name;
  EXPECT_TRUE(PFileName::FromListing("Caf\xC3\xA9 \xC3\x9C" "ber.wrb", name));
  EXPECT_EQ(name, "Caf\xE9 \xDC" "ber.wrb");
  for (const char* refused : {"\xC0\xAE\xC0\xAE\xC0\xAFoutside.sav", "a\\b.wrb", "..", ".", "tab\there.wrb",
                              "\xE6\x97\xA5\xE6\x9C\xAC.wrb", "c1\xC2\x81.wrb", "nul.wrb", "", "star*.wrb",
                              "trailing."}) {
    EXPECT_FALSE(PFileName::FromListing(refused, name)) << refused;
    EXPECT_EQ(name, "");
  }
}

}  // namespace
