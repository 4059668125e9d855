#pragma once
#include <cstdint>
#include <string>

// What the sound engine asks of the kernel: the processor rating that sizes the channel set
// and the folders that numbered sound files are found in. The kernel implements it; without
// one the defaults below serve (rating 0, the program folder, no alternate data folder).
class GSoundHost {
 public:
  virtual ~GSoundHost() = default;
  virtual int32_t GetCPURating() const { return 0; }
  // The folder to which "WAV\..." is appended. With alternate: the alternate data folder,
  // and true, when there is one; otherwise the program folder and false.
  virtual bool GetBaseFolder(std::string& out, bool alternate) const;
};
