// Reads arbitrary text as an e-mail turn: it must end without a fault, and a block it accepts
// must give the same bytes when written and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/core/GEmailBlockReader.h"
#include "framework/core/GEmailBlockWriter.h"

namespace {
bool Read(const uint8_t* data, size_t size, size_t piece, std::vector<uint8_t>& out, uint32_t& sum) {
  GEmailBlockReader reader([&out](const uint8_t* b, size_t n) { out.insert(out.end(), b, b + n); });
  for (size_t i = 0; i < size; i += piece)
    if (reader.Put(data + i, size - i < piece ? size - i : piece)) break;
  sum = reader.Checksum();
  return reader.Finish();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Inputs that begin with "!" get the marker put in front, so the fuzzer reaches the groups.
  std::string text(reinterpret_cast<const char*>(data), size);
  if (!text.empty() && text[0] == '!') text = GEmailBlockWriter::kMarker + text.substr(1);
  // Inputs that begin with "#" are a block the writer makes of the bytes after the second,
  // inside a mail: the second byte chooses headers before it (bit 0), a signature after it
  // (bit 1), and lines quoted with "> " (bit 2). Unquoted, the bytes must come back.
  if (size >= 2 && text[0] == '#') {
    const uint8_t how = data[1];
    const std::string payload = text.substr(2);
    std::string block;
    GEmailBlockWriter writer([&block](const uint8_t* b, size_t n) { block.append(b, b + n); });
    writer.Put(reinterpret_cast<const uint8_t*>(payload.data()), payload.size());
    writer.Finish();
    if ((how & 4) != 0) {
      std::string quoted = "> ";
      for (char c : block) {
        quoted.push_back(c);
        if (c == '\n') quoted += "> ";
      }
      block = quoted;
    }
    text = ((how & 1) != 0 ? "From: axis@example.org\r\nSubject: turn\r\n\r\nMy move.\r\n" : "") + block +
           ((how & 2) != 0 ? "\r\n-- \r\nsignature\r\n" : "");
    std::vector<uint8_t> out;
    uint32_t sum = 0;
    const bool ok = Read(reinterpret_cast<const uint8_t*>(text.data()), text.size(), 1 + how % 61, out, sum);
    if ((how & 4) == 0 && !payload.empty() &&
        (!ok || out.size() < payload.size() || std::memcmp(out.data(), payload.data(), payload.size()) != 0))
      std::abort();
    return 0;
  }
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text.data());
  std::vector<uint8_t> out;
  uint32_t sum = 0;
  bool ok = Read(bytes, text.size(), 1 + size % 13, out, sum);
  if (out.size() > text.size()) std::abort();
  if (!ok) return 0;
  if (out.size() % 3 != 0) std::abort();

  std::string wrapped;
  GEmailBlockWriter writer([&wrapped](const uint8_t* b, size_t n) { wrapped.append(b, b + n); });
  writer.Put(out.data(), out.size());
  writer.Finish();
  if (writer.Checksum() != sum) std::abort();
  std::vector<uint8_t> back;
  uint32_t sum2 = 0;
  if (!out.empty() &&
      (!Read(reinterpret_cast<const uint8_t*>(wrapped.data()), wrapped.size(), 4096, back, sum2) ||
       back != out || sum2 != sum))
    std::abort();
  return 0;
}
