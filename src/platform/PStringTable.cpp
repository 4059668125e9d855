#include "platform/PStringTable.h"

#include "platform/PResourceObserver.h"

#include <algorithm>
#include <cstring>

struct PStringTableRow {
  uint32_t id;
  uint32_t length;
  const char* text;
};
extern const PStringTableRow kPStringTableRows[];
extern const uint32_t kPStringTableCount;

const char* PStringTable::Find(uint32_t id, uint32_t* length) {
  PResourceObserver::Note(PResourceObserver::Kind::kString, static_cast<int32_t>(id));
  const PStringTableRow* begin = kPStringTableRows;
  const PStringTableRow* end = kPStringTableRows + kPStringTableCount;
  const PStringTableRow* it =
      std::lower_bound(begin, end, id, [](const PStringTableRow& r, uint32_t v) { return r.id < v; });
  if (it == end || it->id != id) return nullptr;
  if (length) *length = it->length;
  return it->text;
}

int PStringTable::LoadString(uint32_t id, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  uint32_t length = 0;
  const char* text = Find(id, &length);
  if (text == nullptr) {
    buffer[0] = 0;
    return 0;
  }
  size_t n = std::min<size_t>(length, size - 1);
  std::memcpy(buffer, text, n);
  buffer[n] = 0;
  return static_cast<int>(n);
}
