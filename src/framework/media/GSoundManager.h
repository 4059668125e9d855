#pragma once
#include <cstdint>
#include <memory>

#include "framework/core/GGroup.h"
#include "framework/core/GObject.h"
#include "framework/core/GObjectGroup.h"
#include "platform/PAudioOptions.h"

class GSoundChannel;
class GSoundData;
class GSoundEffect;
class GSoundHost;
class GSoundStream;
class PAudioBuffer;
class PAudioDevice;

// The sound engine: the audio device, the channels, the cache of loaded sounds and the lists
// through which sound objects get a channel, wait for one, or are deleted. It decides which
// sound gets a channel when all are busy and runs the engine's periodic work. One exists,
// reached through gSoundManager; everything here runs on the program's own thread.
class GSoundManager : public GObject {
 public:
  static constexpr uint32_t kUpdateIntervalMs = 333;

  GSoundManager();
  ~GSoundManager() override;

  // Start-up: the device, its primary format and listener, the plain, stream and 3-D channels
  // (as many 3-D channels as the processor rating and the device allow), with a report in
  // the error log. Sound is on when any plain or 3-D channel exists.
  void Init(const PAudioOptions& options = PAudioOptions());
  // The 3-D channel limit for a processor rating, 3 to 17.
  static int32_t ChannelsForCPU(int32_t rating);
  // Whether another 3-D channel may be made when made exist and the buffers so far cost
  // cpuTotal percent of the processor: the first three always, more up to 25 % in all.
  static bool MayAdd3DChannel(int32_t made, uint32_t cpuTotal) { return made < 3 || cpuTotal <= 25; }

  // The kernel's services, not owned. Null: the defaults.
  void SetHost(const GSoundHost* host) { host_ = host; }
  const GSoundHost& GetHost() const;
  static const GSoundHost& DefaultHost();

  // Plays a numbered sound once on a plain channel; nothing to keep or delete.
  void PlaySound(int16_t number, int32_t priority);
  // A streamed sound, owned by the caller, who deletes it to end it.
  GSoundStream* StartStreamedSound(int16_t number, int32_t priority, bool loop);
  void SetSoundsEnabled(bool on);
  bool IsEnabled() const { return enabled_; }
  bool IsInitialised() const { return initialised_; }
  // Every sound stops and no looped sound resumes by itself.
  void StopAllSounds();
  bool PreloadSound(int16_t number, bool looped);
  void PreloadSounds(int32_t count, const int16_t* numbers, const uint8_t* looped);
  void SetDistanceOffset(float offset) { distanceOffset_ = offset; }
  float GetDistanceOffset() const { return distanceOffset_; }
  int32_t Get3DChannelCount() const { return channels3D_.Count(); }
  void SetPhase(int32_t /*phase*/) {}

  // The periodic work: the kernel's idle chain (GKernel::IdleSound) runs Update at most every
  // 333 ms and UpdateLoopingChannels on every pass of its loop.
  void Update();
  void UpdateLoopingChannels();

  // For sound objects and channels.
  GSoundChannel* FindChannel(int32_t priority, int32_t instanceLimit, float distance, bool want3D, bool streamed);
  GSoundData* GetSoundData(int16_t number, bool looped);
  void Register(GSoundEffect* sound);
  void Unregister(GSoundEffect* sound);
  void QueueSound(GSoundEffect* sound);
  void QueueRestart(GSoundEffect* sound);
  void DequeueSound(GSoundEffect* sound);
  bool IsCreatingOneShot() const { return creatingOneShot_; }
  void CheckChannels();

  // Orders channels so that the last is the one a new sound may take: excess channels (over
  // their instance limit) last, then lower priority, then farther away.
  static void RankChannels(GObjectGroup& list);

  // Inspection, for the kernel's event loop and for tests.
  PAudioDevice* GetDevice() const { return device_.get(); }
  GSoundChannel* GetStreamChannel() const { return streamChannel_; }
  int32_t GetPlainChannelCount() const { return plainChannels_.Count(); }
  GSoundChannel* GetPlainChannel(int32_t i) const;
  GSoundChannel* Get3DChannel(int32_t i) const;
  int32_t GetWaitingCount() const { return waitingList_.Count(); }
  int32_t GetRestartCount() const { return restartList_.Count(); }
  int32_t GetOneShotCount() const { return oneShots_.Count(); }
  int32_t GetCachedSoundCount() const { return soundCache_.Count(); }

 private:
  std::unique_ptr<PAudioBuffer> MakeSoundBuffer(uint32_t bytes, bool stereo, uint32_t* cpuTotal);
  std::unique_ptr<PAudioBuffer> MakeSoundBuffer3D(uint32_t bytes, uint32_t* cpuTotal);
  GSoundData* FindCached(int16_t number, bool looped) const;
  void StopSoundsOn(const GObjectGroup& channels);
  GSoundData* LoadIntoCache(int16_t number, bool looped, int32_t line);

  float distanceOffset_ = 0.0f;
  std::unique_ptr<PAudioDevice> device_;
  GSoundChannel* streamChannel_ = nullptr;
  bool sweeping_ = false;
  GGroup soundCache_;  // owned
  bool initialised_ = false;
  bool enabled_ = false;
  GGroup oneShots_;              // owned: deleted once finished
  GObjectGroup plainChannels_;   // owned
  GObjectGroup channels3D_;      // owned
  GGroup restartList_;           // not owned
  GObjectGroup waitingList_;     // not owned
  bool creatingOneShot_ = false;
  const GSoundHost* host_ = nullptr;
};

// The program's sound manager; null until the kernel makes one.
extern GSoundManager* gSoundManager;
