#include "game/units/tables/SurnameList.h"

#include <cstring>

#include "framework/core/Quorl.h"
#include "game/units/tables/DataTablesBlock.h"


const SurnameList& SurnameList::OfGroup(int32_t group) {
  static const SurnameList lists[kGroups] = {
      {kSurnames0, 430, 14}, {kSurnames1, 547, 12}, {kSurnames2, 431, 13},
      {kSurnames3, 238, 12}, {kSurnames4, 267, 13}, {kSurnames5, 320, 13},
  };
  if (group < 0 || group >= kGroups) FatalError(__LINE__, "Names.cpp");
  return lists[group];
}

std::string_view SurnameList::Name(int32_t i) const {
  if (i < 0 || i >= count_) FatalError(__LINE__, "Names.cpp");
  const char* entry = entries_ + static_cast<size_t>(i) * static_cast<size_t>(width_);
  const void* end = std::memchr(entry, 0, static_cast<size_t>(width_));
  return {entry, end == nullptr ? static_cast<size_t>(width_) : static_cast<size_t>(static_cast<const char*>(end) - entry)};
}
