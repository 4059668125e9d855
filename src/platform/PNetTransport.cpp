#include "platform/PNetTransport.h"

#include <chrono>
#include <cstring>

#include "platform/PNetSocketTransport.h"

namespace {

// Finds "name" as a whole field: at the start of the text or after a TAB.
const char* FindField(const char* text, const char* name) {
  size_t length = std::strlen(name);
  const char* p = text;
  while (p != nullptr && *p != '\0') {
    if (std::strncmp(p, name, length) == 0) return p + length;
    p = std::strchr(p, '\t');
    if (p != nullptr) ++p;
  }
  return nullptr;
}

// A decimal number of 1 to 5 digits up to max; *end is set past it.
bool ReadNumber(const char* p, uint32_t max, uint32_t* value, const char** end) {
  uint32_t v = 0;
  int digits = 0;
  while (*p >= '0' && *p <= '9') {
    if (++digits > 5) return false;
    v = v * 10 + static_cast<uint32_t>(*p - '0');
    ++p;
  }
  if (digits == 0 || v > max) return false;
  *value = v;
  *end = p;
  return true;
}

bool AtFieldEnd(const char* p) { return *p == '\0' || *p == '\t'; }

}  // namespace

bool PNetTransport::ParseConfig(const char* config, uint32_t* address, uint16_t* port) {
  if (config == nullptr) return false;
  const char* p = FindField(config, "IPaddr=");
  if (p == nullptr) return false;
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    uint32_t byte = 0;
    if (!ReadNumber(p, 255, &byte, &p)) return false;
    value |= byte << (8 * i);
    if (i < 3) {
      if (*p != '.') return false;
      ++p;
    }
  }
  if (!AtFieldEnd(p)) return false;
  p = FindField(config, "IPport=");
  if (p == nullptr) return false;
  uint32_t number = 0;
  if (!ReadNumber(p, 65535, &number, &p) || !AtFieldEnd(p)) return false;
  *address = value;
  *port = static_cast<uint16_t>(number);
  return true;
}

PNetTransport& PNetTransport::System() {
  static PNetSocketTransport transport;
  return transport;
}

uint64_t PNetTransport::Milliseconds() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
