#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The build-time compiler of the built-in tables and the surname lists. Sources are text:
// one file per table of records, each record a block of "field = value" lines that starts
// with "record = N"; one file per surname group of stems, endings and whole names. Every
// function reports a malformed source as "file:line: reason" in error and returns false.
namespace DataTableCompiler {

enum class FieldType { kI8, kU8, kI16, kU16, kI32, kF32, kText, kEntry };

struct Field {
  const char* name;
  int32_t offset;
  FieldType type;
  int32_t count;      // values on the line (array length; text width including the NUL)
  double low;         // accepted range of every value
  double high;
  double fallback;    // the value of an element a record does not give, or kRequired
};

// The fallback of a field that has none: every record must give it.
inline constexpr double kRequired = -1e300;

// A run of bytes in a record.
struct Span {
  int32_t offset;
  int32_t length;
};

struct Table {
  const char* file;        // in data/tables/
  uint32_t recordSize;
  int32_t minRecords;      // at least this many
  int32_t exactRecords;    // exactly this many when above 0
  std::vector<Field> fields;
  // The record's own figures (a vehicle's weight, speed, engine and plates): two records alike
  // in all of them are a copy left unfinished unless one names the other, directly or through
  // others, with the key "figures_of = N" (read by this tool only, not stored). Empty when the
  // table has no such rule.
  std::vector<Span> ownFigures = {};
};

// The seven tables in the order of the block.
const std::vector<Table>& Tables();

// Compiles one table's source into its records.
bool CompileTable(const Table& table, const std::string& source, const std::string& fileName,
                  std::vector<uint8_t>& records, std::string& error);

struct SurnameGroup {
  const char* file;  // in data/names/
  int32_t count;
  int32_t width;
};
const std::vector<SurnameGroup>& SurnameGroups();

// Builds a surname list: the whole names and every stem + ending (a doubled letter at the
// join written once) that fit the width, unique, ordered; count of them chosen by the
// source's seed; entries NUL-padded to the width.
bool CompileSurnames(const SurnameGroup& group, const std::string& source, const std::string& fileName,
                     std::vector<char>& entries, std::string& error);

// Seven tables, each a big-endian 32-bit length and its records, one after another.
std::vector<uint8_t> FrameTables(const std::vector<std::vector<uint8_t>>& tables);
// The whole-file coder's output for the bytes.
std::vector<uint8_t> Compress(const std::vector<uint8_t>& bytes);
// Pads the block with zeros to whole groups of four and scrambles it in place, so that the
// program's unscrambling gives back the padded bytes; returns the key it then ends with.
uint32_t Scramble(std::vector<uint8_t>& block);

// The generated C++ source holding the block, its end key and the six surname lists.
std::string GeneratedSource(const std::vector<uint8_t>& block, uint32_t endKey,
                            const std::vector<std::vector<char>>& surnames);

}  // namespace DataTableCompiler
