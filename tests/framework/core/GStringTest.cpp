#include "framework/core/GString.h"

#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <string>

#include "framework/core/GString127.h"
#include "framework/core/GString15.h"
#include "framework/core/GString255.h"
#include "framework/core/GString31.h"
#include "framework/core/GString63.h"
#include "framework/core/Quorl.h"
#include "support/ResourceRecorder.h"
#include "platform/PSystem.h"
#include "support/TestFolder.h"

namespace {

std::string Text(const GString& s) { return std::string(s.CStr(), s.Length()); }

TEST(GString, FixedFormsStartEmptyWithTheirCapacity) {
  GString15 a;
  GString31 b;
  GString63 c;
  GString127 d;
  GString255 e;
  const GString* all[] = {&a, &b, &c, &d, &e};
  const int capacities[] = {15, 31, 63, 127, 255};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(all[i]->Length(), 0);
    EXPECT_EQ(all[i]->Capacity(), capacities[i]);
    EXPECT_STREQ(all[i]->CStr(), "");
    EXPECT_EQ(all[i]->PStr() + 1, reinterpret_cast<const uint8_t*>(all[i]->CStr()));
  }
}

TEST(GString, AssignCutsAtTheCapacityAndEndsWithNul) {
  GString31 s;
  std::string forty(40, 'x');
  for (int i = 0; i < 40; ++i) forty[static_cast<size_t>(i)] = static_cast<char>('A' + i % 26);
  s.Assign(forty.c_str());
  EXPECT_EQ(s.Length(), 31);
  EXPECT_EQ(Text(s), forty.substr(0, 31));
  EXPECT_EQ(s.PStr()[32], 0);
  s.Assign(nullptr);
  EXPECT_EQ(s.Length(), 0);
  EXPECT_EQ(s.PStr()[1], 0);
  s.Assign("abc");
  s.Clear();
  EXPECT_EQ(s.Length(), 0);
  EXPECT_STREQ(s.CStr(), "");

  // The length byte is unsigned: 200 bytes in a GString255.
  GString255 big;
  std::string twoHundred(200, 'q');
  big.Assign(twoHundred.c_str());
  EXPECT_EQ(big.Length(), 200);
}

TEST(GString, CopiesAndPStrings) {
  GString255 longer;
  longer.Assign("a text that is longer than fifteen bytes");
  GString31 copy(longer);
  EXPECT_EQ(Text(copy), "a text that is longer than fift");
  GString15 small;
  small = longer;
  EXPECT_EQ(Text(small), "a text that is ");
  GString15 copyOfSmall(small);
  EXPECT_EQ(Text(copyOfSmall), "a text that is ");
  const GString15& same = small;
  small = same;  // self-assignment leaves the text alone
  EXPECT_EQ(Text(small), "a text that is ");
  GString63 assigned;
  assigned = copy;
  EXPECT_TRUE(assigned.Equals(copy));

  const uint8_t pstring[] = {5, 'h', 'e', 'l', 'l', 'o'};
  GString15 p;
  p.AssignPString(pstring);
  EXPECT_EQ(Text(p), "hello");
  EXPECT_EQ(p.PStr()[6], 0);
  p.AssignPString(nullptr);
  EXPECT_EQ(p.Length(), 0);
}

TEST(GString, NumbersInDecimal) {
  GString31 s;
  s.AssignNumber(0);
  EXPECT_EQ(Text(s), "0");
  s.AssignNumber(-1234);
  EXPECT_EQ(Text(s), "-1234");
  s.AssignNumber(INT_MIN);
  EXPECT_EQ(Text(s), "-2147483648");
  s.AppendNumber(INT_MAX);
  EXPECT_EQ(Text(s), "-21474836482147483647");
}

TEST(GString, AppendsStopAtTheCapacity) {
  GString15 s;
  s.Assign("abcdefghijkl");  // 12
  s.AppendSpaces(10);
  EXPECT_EQ(Text(s), "abcdefghijkl   ");
  s.AppendChar('z');
  s.AppendCString("more");
  s.AppendNewline();
  EXPECT_EQ(Text(s), "abcdefghijkl   ");

  GString15 t;
  t.Assign("ab");
  t.AppendSpaces(-3);
  t.AppendSpaces(0);
  EXPECT_EQ(Text(t), "ab");
  t.AppendNewline();
  EXPECT_EQ(Text(t), "ab\r\n");
  t.AppendCString("0123456789xyz");
  EXPECT_EQ(Text(t), "ab\r\n0123456789x");
  EXPECT_EQ(t.PStr()[16], 0);

  GString31 self;
  self.Assign("abc");
  self.Append(self);
  EXPECT_EQ(Text(self), "abcabc");

  GString31 padded;
  padded.Assign("Speed");
  padded.PadToWidth(8);
  EXPECT_EQ(Text(padded), "Speed   ");
  padded.PadToWidth(3);
  EXPECT_EQ(Text(padded), "Speed   ");
  padded.PadToWidth(100);
  EXPECT_EQ(padded.Length(), 31);
}

TEST(GString, AppendFloatTruncatesTheFraction) {
  struct Case {
    float value;
    int decimals;
    const char* text;
  } cases[] = {
      {3.14159f, 2, "3.14"}, {7.0f, 1, "7.0"},    {2.05f, 3, "2.049"},  {0.5f, 2, "0.50"},
      {12.0f, 3, "12.000"},  {1.999f, 1, "1.9"},  {100.01f, 2, "100.01"}, {-3.25f, 2, "-3.25"},
      {-0.5f, 1, "-0.5"},
  };
  for (const Case& c : cases) {
    GString63 s;
    s.Assign("=");
    s.AppendFloat(c.value, c.decimals);
    EXPECT_EQ(Text(s), std::string("=") + c.text) << c.value << " " << c.decimals;
  }
  GString15 full;
  full.Assign("0123456789abc");
  full.AppendFloat(1.5f, 2);
  EXPECT_EQ(Text(full), "0123456789abc1.");
}

TEST(GString, GetCharTruncateAndRemoveLast) {
  GString31 s;
  s.Assign("hello");
  EXPECT_EQ(s.GetChar(0), 'h');
  EXPECT_EQ(s.GetChar(4), 'o');
  EXPECT_EQ(s.GetCharFromEnd(0), 'o');
  EXPECT_EQ(s.GetCharFromEnd(4), 'h');
  s.Truncate(9, true);
  EXPECT_EQ(Text(s), "hello");
  s.Truncate(2, false);
  EXPECT_EQ(Text(s), "lo");
  EXPECT_EQ(s.PStr()[3], 0);
  s.Assign("hello");
  s.Truncate(3, true);
  EXPECT_EQ(Text(s), "hel");
  s.Truncate(-4, false);
  EXPECT_EQ(s.Length(), 0);
  s.Assign("file.txt");
  s.RemoveLast(4);
  EXPECT_EQ(Text(s), "file");
}

TEST(GString, EqualsAndCompare) {
  GString31 abc, ABC, ab, empty, empty2, abd;
  abc.Assign("abc");
  ABC.Assign("ABC");
  ab.Assign("AB");
  abd.Assign("abd");
  EXPECT_EQ(abc.Compare(ABC, false), 0);
  EXPECT_EQ(abc.Compare(ABC, true), 1);
  EXPECT_EQ(ABC.Compare(abc, true), -1);
  EXPECT_EQ(ab.Compare(ABC, true), -1);
  EXPECT_EQ(ABC.Compare(ab, true), 1);
  EXPECT_EQ(empty.Compare(empty2, true), 0);
  EXPECT_EQ(empty.Compare(abc, true), -1);
  EXPECT_EQ(abc.Compare(empty, false), 1);
  EXPECT_EQ(abc.Compare(abd, false), -1);
  // Bytes compare unsigned, and only a..z fold: '[' (0x5B) against '{' (0x7B) stays apart.
  GString15 high, low, bracket, brace;
  high.Assign("\xE9");
  low.Assign("z");
  EXPECT_EQ(high.Compare(low, true), 1);
  bracket.Assign("[");
  brace.Assign("{");
  EXPECT_EQ(bracket.Compare(brace, false), -1);
  GString15 e1, e2;
  e1.Assign("\xE9");
  e2.Assign("\xC9");
  EXPECT_EQ(e1.Compare(e2, false), 1);

  EXPECT_TRUE(abc.Equals(abc));
  EXPECT_FALSE(abc.Equals(ABC));
  EXPECT_FALSE(ab.Equals(ABC));
  EXPECT_TRUE(empty.Equals(empty2));
}

TEST(GString, ToIntegerReadsLeadingDecimal) {
  struct Case {
    const char* text;
    int32_t value;
  } cases[] = {
      {"  -42xyz", -42},   {"abc", 0},          {"", 0},
      {"+5", 0},           {"- 5", 0},          {"007", 7},
      {"12 34", 12},       {"\t5", 0},          {"-2147483648", INT_MIN},
      {"2147483647", INT_MAX}, {"2147483648", INT_MIN}, {"4294967297", 1},
      {"-0", 0},           {"99999999999999999999", static_cast<int32_t>(1661992959u)},
  };
  for (const Case& c : cases) {
    GString31 s;
    s.Assign(c.text);
    EXPECT_EQ(s.ToInteger(), c.value) << c.text;
  }
}

TEST(GString, PadRandomDrawsTwicePerPositionFromTheEnd) {
  GString15 s;
  s.Assign("Junk");
  SeedRandom(77);
  s.PadRandom();
  EXPECT_EQ(s.Length(), 15);
  EXPECT_EQ(s.PStr()[16], 0);
  EXPECT_EQ(Text(s).substr(0, 4), "Junk");

  // The same letters, drawn by hand: the case, then the letter, from the last place back.
  SeedRandom(77);
  std::string expected(11, '?');
  for (int p = 10; p >= 0; --p) {
    bool upper = Random(2) == 0;
    expected[static_cast<size_t>(p)] = static_cast<char>((upper ? 'A' : 'a') + Random(26));
  }
  EXPECT_EQ(Text(s).substr(4), expected);
  uint32_t afterPad = RandomState();

  SeedRandom(77);
  for (int i = 0; i < 22; ++i) Random(2);
  EXPECT_EQ(RandomState(), afterPad);

  GString31 r;
  r.Assign("leftover");
  r.MakeRandom();
  EXPECT_EQ(r.Length(), 31);
  for (int i = 0; i < 31; ++i) EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(r.GetChar(i))));

  // A full string draws nothing.
  uint32_t before = RandomState();
  r.PadRandom();
  EXPECT_EQ(RandomState(), before);
}

TEST(GString, LoadResourceFromTheStringTable) {
  GString255 s;
  s.Assign("old");
  s.LoadResource(1);
  EXPECT_EQ(Text(s), "Tarvane: Ossmere");
  GString15 cut;
  cut.LoadResource(1);
  EXPECT_EQ(Text(cut), "Tarvane: Ossmer");
  EXPECT_EQ(cut.PStr()[16], 0);
  ResourceRecorder::ExpectAbsent(PResourceObserver::Kind::kString, 0xFFFFFF);
  s.LoadResource(0xFFFFFF);
  EXPECT_EQ(s.Length(), 0);
  s.Assign("Title ");
  s.AppendResource(1);
  EXPECT_EQ(Text(s), "Title Tarvane: Ossmere");
}

TEST(GString, BareStringHasNoText) {
  GString bare;
  EXPECT_EQ(bare.Length(), 0);
  EXPECT_EQ(bare.PStr(), nullptr);
  EXPECT_STREQ(bare.CStr(), "");
  GString15 s;
  s.Assign("x");
  s.Append(bare);
  EXPECT_EQ(Text(s), "x");
}

TEST(GStringDeathTest, MisuseIsFatal) {
  TestFolder folder(true);
  const auto fatal = testing::ExitedWithCode(PSystem::kFatalExitStatus);
  GString bare;
  EXPECT_EXIT(bare.Assign("x"), fatal, "ERROR: GString line 28\\.");
  EXPECT_EXIT(bare.AssignNumber(1), fatal, "ERROR: GString line 55\\.");
  EXPECT_EXIT(bare.AssignPString(nullptr), fatal, "ERROR: GString line 81\\.");
  EXPECT_EXIT(bare.LoadResource(1), fatal, "ERROR: GString line 4\\.");
  GString15 s;
  s.Assign("abc");
  EXPECT_EXIT(s.GetChar(3), fatal, "ERROR: GString line 353\\.");
  EXPECT_EXIT(s.GetChar(-1), fatal, "ERROR: GString line 353\\.");
  EXPECT_EXIT(s.AppendFloat(1.0f, 0), fatal, "ERROR: GString line 253\\.");
}

}  // namespace
