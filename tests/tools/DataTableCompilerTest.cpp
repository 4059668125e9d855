#include "datatables/DataTableCompiler.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "framework/core/LittleEndian.h"

namespace {

const DataTableCompiler::Table& TableNamed(const char* file) {
  for (const auto& t : DataTableCompiler::Tables())
    if (std::string(t.file) == file) return t;
  std::abort();
}

// A small table of the given record size and minimum count, with a few fields.
DataTableCompiler::Table SmallTable(int32_t minRecords, int32_t exact = 0) {
  using DataTableCompiler::Field;
  using T = DataTableCompiler::FieldType;
  return {"test.txt", 16, minRecords, exact,
          {Field{"name", 0, T::kText, 6, 0, 0, 0}, Field{"a", 6, T::kI16, 1, -5, 5, 0},
           Field{"f", 8, T::kF32, 1, 0, 1, 0.5}, Field{"w", 12, T::kI32, 1, 0, 104, 104},
           Field{"pair", 12, T::kU8, 2, 0, 255, 0}}};
}

std::string Error(const DataTableCompiler::Table& table, const std::string& source) {
  std::vector<uint8_t> records;
  std::string error;
  EXPECT_FALSE(DataTableCompiler::CompileTable(table, source, "t.txt", records, error)) << source;
  return error;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST(DataTableCompiler, WritesEachFieldAtItsOffsetWithFallbacks) {
  std::vector<uint8_t> records;
  std::string error;
  const std::string source =
      "# two records\n"
      "record = 0\nname = \"Tiger\"\na = -5\nf = 0.25\n\n"
      "record = 1\nw = 0x2A\n";
  ASSERT_TRUE(DataTableCompiler::CompileTable(SmallTable(2), source, "t.txt", records, error)) << error;
  ASSERT_EQ(records.size(), 32u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(records.data())), "Tiger");
  EXPECT_EQ(LoadLEI16(&records[6]), -5);
  EXPECT_EQ(LoadLEFloat(&records[8]), 0.25f);
  EXPECT_EQ(LoadLEI32(&records[12]), 104);         // not given: its fallback
  EXPECT_EQ(LoadLEFloat(&records[16 + 8]), 0.5f);  // the fallback of the second record
  EXPECT_EQ(LoadLEI32(&records[16 + 12]), 42);
}

TEST(DataTableCompiler, MalformedSourcesStopWithFileLineAndReason) {
  const auto t = SmallTable(1);
  EXPECT_EQ(Error(t, "a = 1\n"), "t.txt:1: field before the first 'record = N'");
  EXPECT_EQ(Error(t, "record = 0\na 1\n"), "t.txt:2: expected 'field = value'");
  EXPECT_EQ(Error(t, "record = 0\nb = 1\n"), "t.txt:2: unknown field 'b'");
  EXPECT_EQ(Error(t, "record = 0\na = x\n"), "t.txt:2: 'x' is not a number");
  EXPECT_EQ(Error(t, "record = 0\na = 6\n"), "t.txt:2: 'a' out of range -5..5");
  EXPECT_EQ(Error(t, "record = 0\na = 1.5\n"), "t.txt:2: 'a' takes whole numbers");
  EXPECT_EQ(Error(t, "record = 0\na = 1 2\n"), "t.txt:2: 'a' takes one value");
  EXPECT_EQ(Error(t, "record = 0\npair = 1 2 3\n"), "t.txt:2: 'pair' takes 1 to 2 values");
  EXPECT_EQ(Error(t, "record = 0\na = 1\na = 2\n"), "t.txt:3: field 'a' is given twice in the record");
  EXPECT_EQ(Error(t, "record = 0\nname = Tiger\n"), "t.txt:2: text must be in double quotes");
  EXPECT_EQ(Error(t, "record = 0\nname = \"Panther\"\n"), "t.txt:2: text longer than 5 characters");
  EXPECT_EQ(Error(t, "record = 0\n\nrecord = 0\n"), "t.txt:3: record 0 is given twice");
  EXPECT_EQ(Error(t, "record = 0\nrecord = 2\n"), "t.txt:2: record 1 is missing");
  EXPECT_EQ(Error(t, "record = -1\n"), "t.txt:1: record number must be a whole number 0..9999");
  EXPECT_EQ(Error(SmallTable(3), "record = 0\nrecord = 1\n"), "t.txt:2: 2 records; the table needs at least 3");
  EXPECT_EQ(Error(SmallTable(1, 1), "record = 0\nrecord = 1\n"), "t.txt:2: 2 records; the table needs exactly 1");
  // A vehicle class names its type (no default: 0 would call it a heavy tank) from the 24 the
  // screens name, and its purchase page flag is 0 or 1.
  const auto& vehicles = TableNamed("vehicles.txt");
  EXPECT_EQ(Error(vehicles, "record = 0\nweight = 9\n\nrecord = 1\ntype_code = 12\n"),
            "t.txt:4: record 0 does not give 'type_code'");
  EXPECT_EQ(Error(vehicles, "record = 0\ntype_code = 12\n\nrecord = 1\n"), "t.txt:4: record 1 does not give 'type_code'");
  EXPECT_EQ(Error(vehicles, "record = 0\ntype_code = 24\n"), "t.txt:2: 'type_code' out of range 0..23");
  EXPECT_EQ(Error(vehicles, "record = 0\ntype_code = 1\narmour_page = 2\n"), "t.txt:3: 'armour_page' out of range 0..1");
  // Kinds 0-6 only (movement stops on any other); a tracked class's ground pressure is a float
  // in psi, as movement and price read it.
  EXPECT_EQ(Error(vehicles, "record = 0\ntype_code = 1\nkind = 7\n"), "t.txt:3: 'kind' out of range 0..6");
  EXPECT_EQ(Error(vehicles, "record = 0\ntype_code = 1\nground_pressure = 31\n"),
            "t.txt:3: 'ground_pressure' out of range 0..30");
  EXPECT_EQ(Error(vehicles, "record = 0\ntype_code = 1\nground_pressure = -1\n"),
            "t.txt:3: 'ground_pressure' out of range 0..30");
  DataTableCompiler::Table oneVehicle = vehicles;
  oneVehicle.minRecords = 1;
  std::vector<uint8_t> tank;
  std::string tankError;
  ASSERT_TRUE(DataTableCompiler::CompileTable(oneVehicle, "record = 0\ntype_code = 1\nkind = 4\nground_pressure = 12.7\n",
                                              "t.txt", tank, tankError))
      << tankError;
  EXPECT_EQ(LoadLEI32(&tank[112]), 4);
  EXPECT_EQ(LoadLEFloat(&tank[120]), 12.7f);
  // A weapon's model is drawn at its model scale: a scale of 0 would draw the crew's gun as a
  // point, so it is refused, and a weapon that gives none is drawn as built.
  const auto& weapons = TableNamed("weapons.txt");
  EXPECT_EQ(Error(weapons, "record = 0\nmodel_scale = 0\n"), "t.txt:2: 'model_scale' out of range 0.05..10");
  EXPECT_EQ(Error(weapons, "record = 0\nmodel_scale = -1\n"), "t.txt:2: 'model_scale' out of range 0.05..10");
  EXPECT_EQ(Error(weapons, "record = 0\nmodel_scale = inf\n"), "t.txt:2: 'inf' is not a number");
  DataTableCompiler::Table oneWeapon = weapons;
  oneWeapon.minRecords = 1;
  std::vector<uint8_t> records;
  std::string error;
  ASSERT_TRUE(DataTableCompiler::CompileTable(oneWeapon, "record = 0\ndraw_kind = 3\n", "t.txt", records, error))
      << error;
  EXPECT_EQ(LoadLEFloat(&records[112]), 1.0f);
}

TEST(DataTableCompiler, FormationEntriesFillTheirSlotsInTurn) {
  const auto& formations = TableNamed("formations.txt");
  std::string source;
  for (int n = 0; n < 129; ++n) source += "record = " + std::to_string(n) + "\n";
  source += "entry = 4 2 17\nentry = 1 3 226\n";
  std::vector<uint8_t> records;
  std::string error;
  ASSERT_TRUE(DataTableCompiler::CompileTable(formations, source, "f.txt", records, error)) << error;
  const uint8_t* last = &records[128 * 152];
  EXPECT_EQ(LoadLEI32(last + 76), 4);
  EXPECT_EQ(static_cast<int8_t>(last[80]), 2);
  EXPECT_EQ(LoadLEI16(last + 82), 17);
  EXPECT_EQ(LoadLEI32(last + 84), 1);
  EXPECT_EQ(LoadLEI16(last + 90), 226);
  std::string nine;
  for (int i = 0; i < 9; ++i) nine += "entry = 0 1 1\n";
  EXPECT_EQ(Error(formations, "record = 0\n" + nine), "t.txt:10: more than 8 entries");
  EXPECT_EQ(Error(formations, "record = 0\nentry = 0 1\n"), "t.txt:2: an entry is three numbers: kind, count, class");
}

// A class copied from its neighbour and left with the neighbour's weight, engine and plates
// (as the Polsten SP once kept the Crusader AA's) stops the build; a version of the same
// vehicle says whose figures it takes, directly or through another version, and the link is
// not stored.
TEST(DataTableCompiler, ClassesAlikeInTheirOwnFiguresMustSayWhoseTheyTake) {
  auto t = SmallTable(1);
  t.ownFigures = {{6, 2}, {12, 4}};
  const std::string copy = "record = 0\na = 3\nw = 7\n\nrecord = 1\na = 3\nw = 7\nf = 0.25\n";
  EXPECT_EQ(Error(t, copy),
            "t.txt:5: records 0 and 1 have the same figures: give each its own, or 'figures_of' when one takes "
            "the other's");
  // Figures outside the spans do not tell two records apart; one differing figure does.
  std::vector<uint8_t> records;
  std::string error;
  EXPECT_TRUE(DataTableCompiler::CompileTable(t, "record = 0\na = 3\nw = 7\n\nrecord = 1\na = 3\nw = 8\n", "t.txt",
                                              records, error))
      << error;
  // Linked, directly or through a third record alike in nothing else, the same bytes result.
  std::vector<uint8_t> unlinked;
  ASSERT_TRUE(DataTableCompiler::CompileTable(SmallTable(1), copy, "t.txt", unlinked, error)) << error;
  const std::string linked = "record = 0\na = 3\nw = 7\n\nrecord = 1\nfigures_of = 0\na = 3\nw = 7\nf = 0.25\n";
  ASSERT_TRUE(DataTableCompiler::CompileTable(t, linked, "t.txt", records, error)) << error;
  EXPECT_EQ(records, unlinked);
  const std::string chain =
      "record = 0\na = 3\nfigures_of = 2\n\nrecord = 1\na = 3\nfigures_of = 2\n\nrecord = 2\na = 1\n";
  EXPECT_TRUE(DataTableCompiler::CompileTable(t, chain, "t.txt", records, error)) << error;
  // A link names another record of the table, once; a table without the rule knows no such key.
  EXPECT_EQ(Error(t, "record = 0\nfigures_of = 0\n"), "t.txt:2: 'figures_of' must name another record of the table");
  EXPECT_EQ(Error(t, "record = 0\nfigures_of = 5\n"), "t.txt:2: 'figures_of' must name another record of the table");
  EXPECT_EQ(Error(t, "record = 0\nfigures_of = 1\nfigures_of = 1\n\nrecord = 1\n"),
            "t.txt:3: 'figures_of' takes one record number, once");
  EXPECT_EQ(Error(t, "record = 0\nfigures_of = x\n"), "t.txt:2: 'figures_of' takes one record number, once");
  EXPECT_EQ(Error(SmallTable(1), "record = 0\nfigures_of = 0\n"), "t.txt:2: unknown field 'figures_of'");
}

TEST(DataTableCompiler, SurnameListsHaveTheirCountAndWidth) {
  const DataTableCompiler::SurnameGroup group{"x.txt", 5, 6};
  std::vector<char> entries;
  std::string error;
  const std::string source = "count = 5\nwidth = 6\nseed = 3\nstems = Ab Cd\nendings = - er ran\nnames = Zed\n";
  ASSERT_TRUE(DataTableCompiler::CompileSurnames(group, source, "x.txt", entries, error)) << error;
  ASSERT_EQ(entries.size(), 30u);
  std::set<std::string> names;
  for (int i = 0; i < 5; ++i) {
    const std::string name(&entries[i * 6]);
    EXPECT_LT(name.size(), 6u);
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 5u);
  // The same source gives the same list; another seed may choose others but as many.
  std::vector<char> again;
  ASSERT_TRUE(DataTableCompiler::CompileSurnames(group, source, "x.txt", again, error));
  EXPECT_EQ(again, entries);
  // Another count or width stops the build; so do too few names and unknown keys.
  EXPECT_FALSE(DataTableCompiler::CompileSurnames(group, "count = 4\nwidth = 6\nseed = 1\n", "x.txt", entries, error));
  EXPECT_EQ(error, "x.txt:3: the list must have count = 5 and width = 6");
  EXPECT_FALSE(DataTableCompiler::CompileSurnames(group, "count = 5\nwidth = 6\nseed = 1\nnames = Ab\n", "x.txt", entries, error));
  EXPECT_EQ(error, "x.txt:4: only 1 distinct names fit; 5 are needed");
  EXPECT_FALSE(DataTableCompiler::CompileSurnames(group, "colour = red\n", "x.txt", entries, error));
  EXPECT_EQ(error, "x.txt:1: unknown key 'colour'");
  // The program's lists take exactly their sizes.
  const int counts[6] = {430, 547, 431, 238, 267, 320};
  const int widths[6] = {14, 12, 13, 12, 13, 13};
  for (int g = 0; g < 6; ++g) {
    EXPECT_EQ(DataTableCompiler::SurnameGroups()[g].count, counts[g]);
    EXPECT_EQ(DataTableCompiler::SurnameGroups()[g].width, widths[g]);
  }
}

TEST(DataTableCompiler, TheProgramsSourcesCompileToTheSameBytesEveryTime) {
  std::vector<std::vector<uint8_t>> first, second;
  for (int pass = 0; pass < 2; ++pass) {
    auto& out = pass == 0 ? first : second;
    for (const auto& table : DataTableCompiler::Tables()) {
      const std::string path = std::string(TARVANE_DATA_DIR) + "/tables/" + table.file;
      std::string error;
      out.emplace_back();
      ASSERT_TRUE(DataTableCompiler::CompileTable(table, ReadWhole(path), path, out.back(), error)) << error;
    }
  }
  EXPECT_EQ(first, second);
  std::vector<uint8_t> a = DataTableCompiler::Compress(DataTableCompiler::FrameTables(first));
  std::vector<uint8_t> b = DataTableCompiler::Compress(DataTableCompiler::FrameTables(second));
  EXPECT_EQ(DataTableCompiler::Scramble(a), DataTableCompiler::Scramble(b));
  EXPECT_EQ(a, b);
  // Framing: a big-endian length before each table.
  const std::vector<uint8_t> framed = DataTableCompiler::FrameTables({{1, 2, 3}, {}});
  EXPECT_EQ(framed, (std::vector<uint8_t>{0, 0, 0, 3, 1, 2, 3, 0, 0, 0, 0}));
}
