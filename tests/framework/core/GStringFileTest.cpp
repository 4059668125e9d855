#include <gtest/gtest.h>

#include <string>

#include "StoredForm.h"
#include "framework/core/GString15.h"
#include "framework/core/GString255.h"
#include "framework/core/GString31.h"

namespace {

TEST(GStringStoredForm, LengthByteThenTextWithoutNul) {
  GString31 s;
  s.Assign("Oak");
  EXPECT_EQ(StoredBytes([&](GFile& f) { s.Write(f); }), std::string("\x03Oak", 4));
  GString15 empty;
  EXPECT_EQ(StoredBytes([&](GFile& f) { empty.WriteText(f); }), std::string("\x00", 1));
}

TEST(GStringStoredForm, TwoHundredBytesComeBackWhole) {
  GString255 s;
  std::string text(200, 'k');
  text[0] = 'A';
  text[199] = 'Z';
  s.Assign(text.c_str());
  std::string bytes = StoredBytes([&](GFile& f) { s.Write(f); });
  ASSERT_EQ(bytes.size(), 201u);
  EXPECT_EQ(static_cast<uint8_t>(bytes[0]), 200);
  ReadStored(bytes, [&](GFile& f) {
    GString255 back;
    back.Read(f);
    EXPECT_FALSE(f.HasError());
    EXPECT_EQ(std::string(back.CStr(), back.Length()), text);
  });
}

TEST(GStringStoredForm, ALongerStoredTextIsCutAndTheStreamStaysInStep) {
  // "Panzerkampfwagen IV" (19 bytes) into a GString15, then a second string.
  std::string bytes = std::string("\x13Panzerkampfwagen IV", 20) + std::string("\x02ok", 3);
  ReadStored(bytes, [&](GFile& f) {
    GString15 name;
    GString15 next;
    name.ReadText(f);
    next.ReadText(f);
    EXPECT_FALSE(f.HasError());
    EXPECT_EQ(std::string(name.CStr(), name.Length()), "Panzerkampfwage");
    EXPECT_EQ(name.PStr()[16], 0);
    EXPECT_EQ(std::string(next.CStr(), next.Length()), "ok");
  });
}

TEST(GStringStoredForm, ATruncatedFileLeavesTheTextEmptyAndRaisesTheError) {
  ReadStored(std::string("\x09short", 6), [&](GFile& f) {
    GString31 s;
    s.Assign("before");
    s.ReadText(f);
    EXPECT_TRUE(f.HasError());
    EXPECT_EQ(s.Length(), 0);
    EXPECT_STREQ(s.CStr(), "");
  });
}

}  // namespace
