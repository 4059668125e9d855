#pragma once
#include <cstdint>

// Results of the display layer's calls. 0 is success; the failure values are the 32-bit codes
// the kernel logs and compares, so they keep the numbers the program has always reported
// (the invalid-rectangle result of a colour fill, for instance, is -2005532522).
enum class PResult : int32_t {
  kOk = 0,
  kGeneric = static_cast<int32_t>(0x80004005u),
  kUnsupported = static_cast<int32_t>(0x80004001u),
  kInvalidParams = static_cast<int32_t>(0x80070057u),
  kOutOfMemory = static_cast<int32_t>(0x8007000Eu),
  kInvalidObject = static_cast<int32_t>(0x88760082u),
  kInvalidRect = static_cast<int32_t>(0x88760096u),
  kOutOfVideoMemory = static_cast<int32_t>(0x8876017Cu),
  kSurfaceBusy = static_cast<int32_t>(0x887601AEu),
  kSurfaceLost = static_cast<int32_t>(0x887601C2u),
  kInvalidDriver = static_cast<int32_t>(0x88760231u),
  kInvalidMode = static_cast<int32_t>(0x88760078u),
};

inline bool PSucceeded(PResult r) { return r == PResult::kOk; }
inline int32_t PResultCode(PResult r) { return static_cast<int32_t>(r); }
