#include "StringTableCompiler.h"

#include <gtest/gtest.h>

#include <string>

#include "support/TestFolder.h"

namespace {

// The error the compiler gives for source, or "" when it accepts it.
std::string ErrorOf(const std::string& source) {
  StringTableCompiler::Output out;
  std::string error;
  if (StringTableCompiler::Compile(source, "data/strings.txt", out, error)) return "";
  EXPECT_TRUE(out.tableSource.empty());
  EXPECT_TRUE(out.idsHeader.empty());
  return error;
}

TEST(StringTableCompiler, GeneratesTheTableAndTheNamesByteForByte) {
  const std::string source =
      "# comment\r\n"
      "\n"
      "7\t  (\r\n"
      "504\tFallschirmj\xC3\xA4ger\n"
      "600\tsay \"hi\" \\ ok??\tkStrSay\n"
      "20000\tSight Blocked\tkStrSightBlocked";
  StringTableCompiler::Output out;
  std::string error;
  ASSERT_TRUE(StringTableCompiler::Compile(source, "data/strings.txt", out, error)) << error;
  EXPECT_EQ(out.tableSource,
            "// Generated from data/strings.txt. Do not edit.\n#include <cstdint>\n"
            "struct PStringTableRow { uint32_t id; uint32_t length; const char* text; };\n"
            "extern const PStringTableRow kPStringTableRows[];\nextern const uint32_t kPStringTableCount;\n"
            "const PStringTableRow kPStringTableRows[] = {\n"
            "  {7u, 3u, \"  (\"},\n"
            "  {504u, 15u, \"Fallschirmj\\344ger\"},\n"
            "  {600u, 15u, \"say \\\"hi\\\" \\\\ ok\\077\\077\"},\n"
            "  {20000u, 13u, \"Sight Blocked\"},\n"
            "};\nconst uint32_t kPStringTableCount = 4u;\n");
  EXPECT_EQ(out.idsHeader,
            "// Generated from data/strings.txt. Do not edit.\n"
            "// The string table's named texts, for PStringTable and GString::LoadResource.\n"
            "#pragma once\n#include <cstdint>\n\n"
            "constexpr uint16_t kStrSay = 600;\n"
            "constexpr uint16_t kStrSightBlocked = 20000;\n");
}

TEST(StringTableCompiler, AnEmptySourceGivesAnEmptyTable) {
  StringTableCompiler::Output out;
  std::string error;
  ASSERT_TRUE(StringTableCompiler::Compile("# nothing\n", "s", out, error));
  EXPECT_NE(out.tableSource.find("{0u, 0u, \"\"}"), std::string::npos);
  EXPECT_NE(out.tableSource.find("kPStringTableCount = 0u;"), std::string::npos);
}

TEST(StringTableCompiler, RefusesMalformedRows) {
  EXPECT_EQ(ErrorOf("1\tok\n2 no tab\n"), "data/strings.txt:2: expected id<TAB>text or id<TAB>text<TAB>name");
  EXPECT_EQ(ErrorOf("1\ta\tkA\textra\n"), "data/strings.txt:1: expected id<TAB>text or id<TAB>text<TAB>name");
  EXPECT_EQ(ErrorOf("\ttext\n"), "data/strings.txt:1: bad id \"\" (decimal 0 to 65535)");
  EXPECT_EQ(ErrorOf(" 5\ttext\n"), "data/strings.txt:1: bad id \" 5\" (decimal 0 to 65535)");
  EXPECT_EQ(ErrorOf("+5\ttext\n"), "data/strings.txt:1: bad id \"+5\" (decimal 0 to 65535)");
  EXPECT_EQ(ErrorOf("65536\ttext\n"), "data/strings.txt:1: bad id \"65536\" (decimal 0 to 65535)");
  EXPECT_EQ(ErrorOf("5\t\n"), "data/strings.txt:1: empty text");
  EXPECT_EQ(ErrorOf("65535\tlast\n"), "");
}

TEST(StringTableCompiler, RefusesRepeatedAndUnorderedIds) {
  EXPECT_EQ(ErrorOf("1\ta\n# between\n1\tb\n"), "data/strings.txt:3: id 1 repeated");
  EXPECT_EQ(ErrorOf("10\ta\n9\tb\n"), "data/strings.txt:2: id 9 out of order (after 10)");
}

TEST(StringTableCompiler, RefusesTheIdsTheKeyHelpLeavesEmpty) {
  for (const char* id : {"1221", "1222", "1264"})
    EXPECT_EQ(ErrorOf(std::string(id) + "\tx\n"),
              "data/strings.txt:1: id " + std::string(id) + " must stay absent (drawn as an empty line)");
  EXPECT_EQ(ErrorOf("1220\tx\n1223\ty\n1263\tz\n1265\tw\n"), "");
}

TEST(StringTableCompiler, ChecksNamesAndRequiresThemInTheReservedBlock) {
  EXPECT_EQ(ErrorOf("19999\tfree\n20999\tlast\tkLast\n21000\tfree\n"), "");
  EXPECT_EQ(ErrorOf("20000\tx\n"), "data/strings.txt:1: id 20000 lies in 20000-20999 and needs a name column");
  EXPECT_EQ(ErrorOf("20999\tx\n"), "data/strings.txt:1: id 20999 lies in 20000-20999 and needs a name column");
  EXPECT_EQ(ErrorOf("20000\tx\t\n"), "data/strings.txt:1: bad name \"\" (a C++ identifier)");
  EXPECT_EQ(ErrorOf("20000\tx\t2abc\n"), "data/strings.txt:1: bad name \"2abc\" (a C++ identifier)");
  EXPECT_EQ(ErrorOf("20000\tx\tk Str\n"), "data/strings.txt:1: bad name \"k Str\" (a C++ identifier)");
  EXPECT_EQ(ErrorOf("5\tx\tkA\n20000\ty\tkA\n"), "data/strings.txt:2: name kA repeated");
  EXPECT_EQ(ErrorOf("5\tx\t_k9\n"), "");
}

TEST(StringTableCompiler, RefusesLongTextsAndTextsWithoutAWindows1252Form) {
  EXPECT_EQ(ErrorOf("1\t" + std::string(255, 'a') + "\n"), "");
  EXPECT_EQ(ErrorOf("1\t" + std::string(256, 'a') + "\n"), "data/strings.txt:1: text longer than 255 bytes");
  // 255 characters of two UTF-8 bytes each are 255 bytes in Windows-1252.
  std::string umlauts;
  for (int i = 0; i < 255; ++i) umlauts += "\xC3\xA4";
  EXPECT_EQ(ErrorOf("1\t" + umlauts + "\n"), "");
  EXPECT_EQ(ErrorOf("1\tok\n2\t\xE2\x86\x90 arrow\n"), "data/strings.txt:2: text has no Windows-1252 form");
  EXPECT_EQ(ErrorOf("1\tbad \xC3\n"), "data/strings.txt:1: text has no Windows-1252 form");
}

TEST(StringTableCompiler, WritesAFileWholeOrNotAtAll) {
  TestFolder folder;
  const std::string path = folder.Native() + "StringIds.h";
  ASSERT_TRUE(StringTableCompiler::WriteFileWhole(path, "first"));
  EXPECT_EQ(folder.ReadFile("StringIds.h"), "first");
  ASSERT_TRUE(StringTableCompiler::WriteFileWhole(path, "second"));
  EXPECT_EQ(folder.ReadFile("StringIds.h"), "second");
  // A folder that does not exist: nothing is written and no temporary is left.
  EXPECT_FALSE(StringTableCompiler::WriteFileWhole(folder.Native() + "none/x.h", "x"));
  EXPECT_EQ(folder.ReadFile("StringIds.h"), "second");
}

}  // namespace
