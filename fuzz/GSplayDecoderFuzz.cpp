// Decodes arbitrary bytes as a compressed stream: it must end (complete or not) without a
// fault, never give more than eight bytes per input byte, and what it gives must survive being
// coded and decoded again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "framework/core/GSplayDecoder.h"
#include "framework/core/GSplayEncoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> out;
  GSplayDecoder decoder([&out](const uint8_t* b, size_t n) { out.insert(out.end(), b, b + n); });
  // Fed in two pieces split by the first byte, to cover a walk that spans pieces.
  size_t split = size > 0 ? data[0] % (size + 1) : 0;
  if (!decoder.Put(data, split)) decoder.Put(data + split, size - split);
  decoder.Finish();
  if (out.size() > size * 8) std::abort();

  std::vector<uint8_t> code;
  GSplayEncoder encoder([&code](const uint8_t* b, size_t n) { code.insert(code.end(), b, b + n); });
  encoder.Put(out.data(), out.size());
  encoder.Finish();
  std::vector<uint8_t> back;
  GSplayDecoder again([&back](const uint8_t* b, size_t n) { back.insert(back.end(), b, b + n); });
  again.Put(code.data(), code.size());
  if (!again.Finish() || back != out) std::abort();
  return 0;
}
