#pragma once
#include <cstdint>
#include <string_view>

// One of the six fixed lists of leader surnames, one per name group (German, American,
// British, Canadian, Polish, French): entries of a fixed width, NUL-padded.
class SurnameList {
 public:
  static constexpr int32_t kGroups = 6;
  static constexpr int32_t kLongest = 547;

  SurnameList(const char* entries, int32_t count, int32_t width) : entries_(entries), count_(count), width_(width) {}

  // The list of a group 0..5; another group is fatal.
  static const SurnameList& OfGroup(int32_t group);

  int32_t Count() const { return count_; }
  int32_t Width() const { return width_; }
  // Entry i (0..Count - 1; another index is fatal), without its padding.
  std::string_view Name(int32_t i) const;
  const char* Entries() const { return entries_; }

 private:
  const char* entries_;
  int32_t count_;
  int32_t width_;
};
