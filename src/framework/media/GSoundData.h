#pragma once
#include <cstdint>
#include <memory>

#include "framework/core/GObject.h"

class GSoundHost;

// The samples of one numbered sound, as the manager's cache holds them: at most 1 MiB of
// 16-bit mono samples at 44100 Hz, copied into a channel's buffer to play.
class GSoundData : public GObject {
 public:
  GSoundData() = default;
  ~GSoundData() override = default;

  // Loads the numbered file from the base folder, or else from the alternate data folder.
  // On failure logs "Problem loading sound #" with the number and returns false.
  bool Load(int16_t number, bool looped, const GSoundHost& host);
  bool IsSameSoundData(int16_t number, bool looped) const { return number_ == number && looped_ == looped; }

  int16_t GetNumber() const { return number_; }
  bool IsLooped() const { return looped_ != 0; }
  const uint8_t* GetSamples() const { return samples_.get(); }
  uint32_t GetByteCount() const { return byteCount_; }

 private:
  int16_t number_ = 0;
  uint8_t looped_ = 0;
  std::unique_ptr<uint8_t[]> samples_;
  uint32_t byteCount_ = 0;
};
