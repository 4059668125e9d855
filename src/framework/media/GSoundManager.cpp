#include "framework/media/GSoundManager.h"

#include <algorithm>
#include <new>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/media/GSoundChannel.h"
#include "framework/media/GSoundData.h"
#include "framework/media/GSoundEffect.h"
#include "framework/media/GSoundHost.h"
#include "framework/media/GSoundOneShot.h"
#include "framework/media/GSoundProbeChannel.h"
#include "framework/media/GSoundStream.h"
#include "platform/PAudioDevice.h"

GSoundManager* gSoundManager = nullptr;

namespace {
constexpr const char* kSoundSource = "GSound";

GSoundChannel* ChannelOf(GObject* member) { return static_cast<GSoundChannel*>(member); }
GSoundEffect* SoundOf(GObject* member) { return static_cast<GSoundEffect*>(member); }

// Higher priority first; for equal priorities the nearer first; 0 when equal in both.
int32_t CompareChannels(GObject* x, GObject* y, void*) {
  const GSoundChannel* a = ChannelOf(x);
  const GSoundChannel* b = ChannelOf(y);
  if (a->RankPriority() != b->RankPriority()) return a->RankPriority() > b->RankPriority() ? -1 : 1;
  if (a->RankDistance() != b->RankDistance()) return a->RankDistance() < b->RankDistance() ? -1 : 1;
  return 0;
}

// Channels without the excess mark first, then as CompareChannels.
int32_t CompareChannelsMarked(GObject* x, GObject* y, void* arg) {
  if (ChannelOf(x)->excess != ChannelOf(y)->excess) return ChannelOf(x)->excess ? 1 : -1;
  return CompareChannels(x, y, arg);
}

int32_t CompareWaitingSounds(GObject* x, GObject* y, void*) {
  const GSoundEffect* a = SoundOf(x);
  const GSoundEffect* b = SoundOf(y);
  if (a->GetPriority() != b->GetPriority()) return a->GetPriority() > b->GetPriority() ? -1 : 1;
  if (a->GetDistance() != b->GetDistance()) return a->GetDistance() < b->GetDistance() ? -1 : 1;
  return 0;
}

// A group that only refers to its members.
void InitReferenceGroup(GGroup& group) {
  group.Init();
  group.SetOwnsMembers(false);
}
}  // namespace

GSoundManager::GSoundManager() {
  soundCache_.Init();
  oneShots_.Init();  // the manager deletes finished one-shot sounds
  plainChannels_.Init();
  channels3D_.Init();
  InitReferenceGroup(restartList_);
  InitReferenceGroup(waitingList_);
}

GSoundManager::~GSoundManager() {
  sweeping_ = true;
  restartList_.DeleteAll(false);
  waitingList_.DeleteAll(false);
  oneShots_.DeleteAll(true);
  SafeDelete(streamChannel_);
  plainChannels_.DeleteAll(true);
  channels3D_.DeleteAll(true);
  soundCache_.DeleteAll(true);
  device_.reset();
  if (gSoundManager == this) gSoundManager = nullptr;
}

GSoundChannel* GSoundManager::GetPlainChannel(int32_t i) const { return ChannelOf(plainChannels_.GetItem(i)); }
GSoundChannel* GSoundManager::Get3DChannel(int32_t i) const { return ChannelOf(channels3D_.GetItem(i)); }

const GSoundHost& GSoundManager::DefaultHost() {
  static const GSoundHost host;
  return host;
}

const GSoundHost& GSoundManager::GetHost() const { return host_ ? *host_ : DefaultHost(); }

int32_t GSoundManager::ChannelsForCPU(int32_t rating) {
  if (rating > 3000) return 17;
  double r = rating;
  auto n = static_cast<int32_t>(2.037e-7 * r * r + 0.004567 * r + 1.464);
  return std::clamp(n, 3, 17);
}

std::unique_ptr<PAudioBuffer> GSoundManager::MakeSoundBuffer(uint32_t bytes, bool stereo, uint32_t* cpuTotal) {
  PAudioBufferDesc desc;
  desc.bytes = bytes;
  desc.channels = stereo ? 2 : 1;
  desc.positionNotify = stereo;
  int32_t result = 0;
  std::unique_ptr<PAudioBuffer> buffer = device_->CreateBuffer(desc, &result);
  if (!buffer) {
    GErrorLog::LogValue("**MakeSoundBuffer failed ", result);
    return nullptr;
  }
  *cpuTotal += buffer->CpuOverhead();
  return buffer;
}

std::unique_ptr<PAudioBuffer> GSoundManager::MakeSoundBuffer3D(uint32_t bytes, uint32_t* cpuTotal) {
  PAudioBufferDesc desc;
  desc.bytes = bytes;
  desc.channels = 1;
  desc.is3D = true;
  int32_t result = 0;
  std::unique_ptr<PAudioBuffer> buffer = device_->CreateBuffer(desc, &result);
  if (!buffer) {
    GErrorLog::LogValue("**MakeSoundBuffer3D failed ", result);
    return nullptr;
  }
  *cpuTotal += buffer->CpuOverhead();
  return buffer;
}

void GSoundManager::Init(const PAudioOptions& options) {
  uint32_t cpuTotal = 0;
  const int32_t n = ChannelsForCPU(GetHost().GetCPURating());

  int32_t result = 0;
  device_ = PAudioDevice::Create(options, &result);
  if (!device_) {
    GErrorLog::LogValue("DirectSound error at creation: ", result);
    FatalError(1756, kSoundSource);
  }

  result = device_->ObtainPrimary(true);
  if (result != PAudio::kOk) {
    GErrorLog::LogValue("DirectSound error at ObtainPrimaryBuffer: ", result);
    result = device_->ObtainPrimary(false);
    if (result != PAudio::kOk) GErrorLog::LogValue("DirectSound error #2 at ObtainPrimaryBuffer: ", result);
  }

  PAudioCaps caps;
  const bool haveCaps = device_->GetCaps(caps) == PAudio::kOk;
  int32_t limit3D;
  if (haveCaps) {
    uint32_t m = std::min(caps.maxHwMixingStaticBuffers, caps.maxHwMixingAllBuffers);
    uint32_t k = std::min(m - 3u, caps.maxHw3DStaticBuffers);  // below 3 the difference wraps
    if (k < 8) k = 8;
    limit3D = static_cast<int32_t>(std::min<uint32_t>(static_cast<uint32_t>(n), k));
    GErrorLog::LogError((caps.flags & PAudioCaps::kCertified) ? "Sound is Microsoft certified"
                                                                : "Sound is NOT Microsoft certified");
    if (caps.flags & PAudioCaps::kEmulatedDriver) {
      GErrorLog::LogError("  No DirectSound driver installed - emulation used");
    }
    if (!(caps.flags & PAudioCaps::kPrimary16Bit)) GErrorLog::LogError("  Does not support 16-bit primary buffer");
    if (!(caps.flags & PAudioCaps::kPrimaryStereo)) GErrorLog::LogError("  Does not support stereo primary buffer");
    GErrorLog::LogValue("  Sound card has memory (K) = ", static_cast<int32_t>(caps.totalHwMemBytes / 1024));
    GErrorLog::LogValue("  K/s download rate to hardware = ", static_cast<int32_t>(caps.unlockTransferRateHwBuffers));
    GErrorLog::LogValue("  Software overhead in CPU % = ", static_cast<int32_t>(caps.playCpuOverheadSwBuffers));
    GErrorLog::LogValue("  Max # of static buffers that can be mixed = ",
                        static_cast<int32_t>(caps.maxHwMixingStaticBuffers));
    GErrorLog::LogValue("  Max # of buffers (static or stream) that can be mixed = ",
                        static_cast<int32_t>(caps.maxHwMixingAllBuffers));
    GErrorLog::LogValue("  Max # of static 3D buffers = ", static_cast<int32_t>(caps.maxHw3DStaticBuffers));
  } else {
    limit3D = std::min(n, 5);
    GErrorLog::LogError("Error gathering sound capabilities!");
  }

  if (!device_->HasPrimary()) FatalError(1859, kSoundSource);
  if (device_->SetPrimaryFormat(PAudioFormat()) != PAudio::kOk) FatalError(1869, kSoundSource);
  // The listener stays at the origin looking along +z: positions are given in listener space.
  if (device_->SetRolloffFactor(0.4f) != PAudio::kOk) GErrorLog::LogError("FAILED to set rolloff");

  for (int i = 0; i < 2; ++i) {
    std::unique_ptr<PAudioBuffer> buffer = MakeSoundBuffer(GSoundChannel::kPlainBytes, false, &cpuTotal);
    if (!buffer) break;
    auto* channel = new GSoundChannel();
    channel->InitPlain(std::move(buffer));
    plainChannels_.Append(channel);
  }
  std::unique_ptr<PAudioBuffer> stereo = MakeSoundBuffer(GSoundChannel::kStreamBytes, true, &cpuTotal);
  if (!stereo) {
    GErrorLog::LogError("ERROR: Unable to create stereo buffer for ambient sound");
  } else {
    streamChannel_ = new GSoundChannel();
    streamChannel_->InitPlain(std::move(stereo));
  }
  GErrorLog::LogValue("# normal sound channels: ", plainChannels_.Count() + 1);
  GErrorLog::LogValue("% CPU usage for standard channels: ", static_cast<int32_t>(cpuTotal));

  for (int32_t i = 0; i < limit3D && MayAdd3DChannel(i, cpuTotal); ++i) {
    std::unique_ptr<PAudioBuffer> buffer = MakeSoundBuffer3D(GSoundChannel::kPlainBytes, &cpuTotal);
    if (!buffer) break;
    auto* channel = new GSoundChannel();
    channel->Init3D(std::move(buffer));
    channels3D_.Append(channel);
  }
  GErrorLog::LogValue("# 3D sound channels: ", channels3D_.Count());
  GErrorLog::LogValue("% Total CPU usage: ", static_cast<int32_t>(cpuTotal));

  initialised_ = enabled_ = plainChannels_.Count() > 0 || channels3D_.Count() > 0;
}

void GSoundManager::PlaySound(int16_t number, int32_t priority) {
  creatingOneShot_ = true;
  if (enabled_) {
    auto* sound = new GSoundOneShot();
    sound->Init(number, priority);
    sound->Play();
  }
  creatingOneShot_ = false;
}

GSoundStream* GSoundManager::StartStreamedSound(int16_t number, int32_t priority, bool loop) {
  auto* stream = new GSoundStream();
  stream->Init(number, priority, loop);
  if (enabled_) {
    stream->Play();
  } else {
    stream->OnChannelStopped();  // a looping stream waits on the restart list
  }
  return stream;
}

GSoundChannel* GSoundManager::FindChannel(int32_t priority, int32_t instanceLimit, float distance, bool want3D,
                                          bool streamed) {
  if (!enabled_) return nullptr;
  CheckChannels();
  if (streamed && !want3D) {
    if (streamChannel_ != nullptr) streamChannel_->Stop();
    return streamChannel_;
  }
  GObjectGroup& list = want3D ? channels3D_ : plainChannels_;
  GSoundChannel* chosen = nullptr;
  for (int32_t i = 0; i < list.Count(); ++i) {
    if (ChannelOf(list.GetItem(i))->IsFree()) {
      chosen = ChannelOf(list.GetItem(i));
      break;
    }
  }
  if (chosen == nullptr) {
    auto* probe = new (std::nothrow) GSoundProbeChannel(distance, priority, instanceLimit);
    if (probe == nullptr) FatalError(2262, kSoundSource);
    list.Append(probe);
    RankChannels(list);
    GObject* last = list.GetItem(list.Count() - 1);
    if (last != probe) chosen = ChannelOf(last);
    list.Remove(probe, false);
    delete probe;
  }
  if (chosen != nullptr) chosen->Stop();
  return chosen;
}

void GSoundManager::RankChannels(GObjectGroup& list) {
  const int32_t count = list.Count();
  for (int32_t i = 0; i < count; ++i) {
    GObject* member = list.GetItem(i);
    if (member == nullptr || member->Magic() != GObject::kMagic) FatalError(2281, kSoundSource);
    ChannelOf(member)->excess = false;
    ChannelOf(member)->duplicate = false;
  }
  list.Sort(CompareChannels, nullptr);
  // Among channels of one priority (nearest first) the first two are excess with a limit
  // below 1, the k-th from the third on with a limit below k - 1. Every channel is looked at,
  // the last one too, so a limit of 0 marks every channel of its priority.
  for (int32_t i = 0; i < count; ++i) {
    GSoundChannel* first = ChannelOf(list.GetItem(i));
    if (first->duplicate) continue;
    const int32_t p = first->RankPriority();
    if (first->RankLimit() < 1) first->excess = true;
    int32_t c = 1;
    for (int32_t j = i + 1; j < count; ++j) {
      GSoundChannel* later = ChannelOf(list.GetItem(j));
      if (later->RankPriority() != p) continue;
      later->duplicate = true;
      if (later->RankLimit() < c) later->excess = true;
      ++c;
    }
  }
  list.Sort(CompareChannelsMarked, nullptr);
}

void GSoundManager::CheckChannels() {
  if (!initialised_) return;
  for (const GObjectGroup* list : {&plainChannels_, &channels3D_}) {
    for (int32_t i = 0; i < list->Count(); ++i) {
      GSoundChannel* channel = ChannelOf(list->GetItem(i));
      if (channel->HasStopped()) channel->ReleaseIfDone();
    }
  }
}

void GSoundManager::Update() {
  if (!enabled_) return;
  CheckChannels();

  sweeping_ = true;
  oneShots_.RemoveIf(
      [](GObject* member, void*) {
        GSoundEffect* sound = SoundOf(member);
        if (!sound->IsOneShot()) FatalError(2395, kSoundSource);
        return sound->IsFinished();
      },
      nullptr, true);
  sweeping_ = false;

  if (restartList_.Count() > 0) {
    // Restarting may queue sounds again, so walk a copy.
    GGroup restarting;
    InitReferenceGroup(restarting);
    restarting.AppendGroup(restartList_);
    restartList_.DeleteAll(false);
    for (int32_t i = 0; i < restarting.Count(); ++i) static_cast<GSoundStream*>(restarting.GetItem(i))->Restart();
  }

  if (waitingList_.Count() > 0) {
    waitingList_.Sort(CompareWaitingSounds, nullptr);
    // Playing takes a sound off the real list, so walk a copy that shares its members.
    GGroup copy;
    InitReferenceGroup(copy);
    copy.AppendGroup(waitingList_);
    for (int32_t i = 0; i < copy.Count(); ++i) {
      GSoundEffect* sound = SoundOf(copy.GetItem(i));
      if (!waitingList_.Contains(sound)) continue;
      sound->Play();
      if (!sound->HasChannel()) {
        // No channel for this priority: the others of the same priority need not try.
        while (i + 1 < copy.Count() && SoundOf(copy.GetItem(i + 1))->GetPriority() == sound->GetPriority()) ++i;
      }
    }
  }
}

void GSoundManager::UpdateLoopingChannels() {
  if (!enabled_) return;
  for (int32_t i = 0; i < plainChannels_.Count(); ++i) GetPlainChannel(i)->WrapLoopPosition();
  for (int32_t i = 0; i < channels3D_.Count(); ++i) Get3DChannel(i)->WrapLoopPosition();
}

void GSoundManager::SetSoundsEnabled(bool on) {
  GErrorLog::LogFileLine(2503, kSoundSource);
  if (!initialised_ || on == enabled_) return;
  enabled_ = on;
  if (on) return;
  GErrorLog::LogFileLine(2509, kSoundSource);
  StopSoundsOn(plainChannels_);
  StopSoundsOn(channels3D_);
  if (streamChannel_ != nullptr && streamChannel_->GetSound() != nullptr) streamChannel_->GetSound()->Stop();
}

void GSoundManager::StopSoundsOn(const GObjectGroup& channels) {
  for (int32_t i = 0; i < channels.Count(); ++i) {
    GSoundEffect* sound = ChannelOf(channels.GetItem(i))->GetSound();
    if (sound != nullptr) sound->Stop();
  }
}

void GSoundManager::StopAllSounds() {
  if (!enabled_) return;
  SetSoundsEnabled(false);
  waitingList_.DeleteAll(false);
  SetSoundsEnabled(true);
}

GSoundData* GSoundManager::FindCached(int16_t number, bool looped) const {
  for (int32_t i = 0; i < soundCache_.Count(); ++i) {
    auto* data = static_cast<GSoundData*>(soundCache_.GetItem(i));
    if (data->IsSameSoundData(number, looped)) return data;
  }
  return nullptr;
}

GSoundData* GSoundManager::LoadIntoCache(int16_t number, bool looped, int32_t line) {
  auto* data = new (std::nothrow) GSoundData();
  if (data == nullptr) FatalError(line, kSoundSource);
  if (!data->Load(number, looped, GetHost())) {
    delete data;
    return nullptr;
  }
  soundCache_.Append(data);
  return data;
}

GSoundData* GSoundManager::GetSoundData(int16_t number, bool looped) {
  if (!enabled_) return nullptr;
  GSoundData* data = FindCached(number, looped);
  return data != nullptr ? data : LoadIntoCache(number, looped, 2407);
}

bool GSoundManager::PreloadSound(int16_t number, bool looped) {
  if (!enabled_) return false;
  return FindCached(number, looped) != nullptr || LoadIntoCache(number, looped, 2474) != nullptr;
}

void GSoundManager::PreloadSounds(int32_t count, const int16_t* numbers, const uint8_t* looped) {
  for (int32_t i = 0; i < count; ++i) {
    if (!PreloadSound(numbers[i], looped[i] != 0)) break;
  }
}

void GSoundManager::Register(GSoundEffect* sound) {
  if (sound->IsOneShot()) oneShots_.Append(sound);
}

void GSoundManager::Unregister(GSoundEffect* sound) {
  // Called from the sound's destructor, when its own kind can no longer be asked: it is taken
  // off every list it may be on. The sweep removes one-shot sounds itself.
  if (!sweeping_) oneShots_.RemoveObject(sound, false);
  restartList_.RemoveObject(sound, false);
  waitingList_.RemoveObject(sound, false);
}

void GSoundManager::QueueSound(GSoundEffect* sound) {
  if (!waitingList_.Contains(sound)) waitingList_.Append(sound);
}

void GSoundManager::QueueRestart(GSoundEffect* sound) { restartList_.Append(sound); }

void GSoundManager::DequeueSound(GSoundEffect* sound) { waitingList_.RemoveObject(sound, false); }
