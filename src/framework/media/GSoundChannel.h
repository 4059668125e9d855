#pragma once
#include <cstdint>
#include <memory>

#include "framework/core/GObject.h"

class GSoundEffect;
class PAudioBuffer;
class PRiffFile;
class PSignal;
struct GSoundWaveFormat;

// One playback channel: a secondary buffer of the mixer on which one sound plays at a time.
// Plain channels (1 MiB mono) play sounds without a position, 3-D channels (1 MiB mono) the
// positional ones, and the one stream channel (2 MiB stereo, two halves refilled in turn)
// the streamed sound. A sound's samples are copied into the buffer of the channel it gets.
class GSoundChannel : public GObject {
 public:
  static constexpr uint32_t kPlainBytes = 1048576;
  static constexpr uint32_t kStreamBytes = 2097152;
  static constexpr uint32_t kStreamHalfBytes = kStreamBytes / 2;
  static constexpr float kNoRankDistance = 99999.0f;

  GSoundChannel();
  // Releases the buffer. A sound still attached only forgets the channel.
  ~GSoundChannel() override;

  void Reset();
  void InitPlain(std::unique_ptr<PAudioBuffer> buffer);
  void Init3D(std::unique_ptr<PAudioBuffer> buffer);

  bool IsFree() const { return sound_ == nullptr; }
  // Copies the sound's samples into the buffer and starts it: a one-shot sound at the end of
  // the buffer (it ends when the cursor reaches the end), a looping one repeated from the
  // start. False when the sound has no samples.
  bool LoadSound(GSoundEffect* sound);
  // Detaches the sound, stops the buffer (a stream also closes its file and signals) and
  // tells the sound through its Stop operation.
  void Stop();
  // True when a sound is attached and the buffer no longer plays.
  bool HasStopped();
  // Forgets a sound that agrees to it, stopping nothing.
  void ReleaseIfDone();
  // Listener-space position; a source behind the listener is mirrored in front, a quarter
  // farther away. minDistance 0.0 keeps the buffer's minimum distance.
  void Set3DPosition(float x, float y, float z, float minDistance);
  // Moves the cursor of a looping sound back by one repetition once it is past the first.
  void WrapLoopPosition();

  // Opens the numbered file, fills both halves and starts the stream buffer looping. False,
  // logged, when the file is missing or cannot be read or holds no samples.
  bool StartStream(GSoundEffect* sound, int16_t number);
  // Refills the half that has just finished playing (firstHalf: the cursor reached the middle).
  void FillStreamHalf(bool firstHalf);

  // Ranking: the attached sound's values, or the channel's own when it has none.
  GSoundEffect* GetSound() const { return sound_; }
  float RankDistance() const;
  int32_t RankPriority() const;
  int32_t RankLimit() const;
  bool excess = false;
  bool duplicate = false;

  PAudioBuffer* GetBuffer() const { return buffer_.get(); }
  bool Is3D() const { return is3D_; }
  uint32_t GetStartOffset() const { return startOffset_; }
  PSignal* GetEvent(int index) const { return events_[index].get(); }
  bool IsEndOfData() const { return endOfData_; }

 protected:
  float rankDistance_ = kNoRankDistance;
  int32_t rankPriority_ = 0;
  int32_t rankLimit_ = 0;

 private:
  // Reads up to bytes of the streamed file's samples, never past the end of its "data" chunk.
  uint32_t ReadStream(uint8_t* destination, uint32_t bytes);
  // Fills bytes from the file; at the end a looping file starts over, another one is followed
  // by silence and sets endOfData. The count of sample bytes read.
  uint32_t FillFromStream(uint8_t* destination, uint32_t bytes);
  void CloseStream();
  uint8_t* LockOrDie(uint32_t offset, uint32_t bytes, bool entire, uint32_t* locked, int32_t line);

  std::unique_ptr<PAudioBuffer> buffer_;
  uint32_t startOffset_ = 0;
  std::unique_ptr<PSignal> events_[2];
  bool eventsRegistered_ = false;
  std::unique_ptr<PRiffFile> waveFile_;
  std::unique_ptr<GSoundWaveFormat> waveFormat_;
  bool endOfData_ = false;
  bool lastHalfPlaying_ = false;  // the half holding the file's last samples is playing
  bool streamLoops_ = false;
  int64_t dataStart_ = 0;
  int64_t dataEnd_ = 0;
  bool is3D_ = false;
  GSoundEffect* sound_ = nullptr;
};
