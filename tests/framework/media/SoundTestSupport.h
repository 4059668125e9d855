#pragma once
// WAV bytes, a kernel stand-in and a manager fixture for the sound tests.
#include <cstdint>
#include <string>

#include "framework/core/GErrorLog.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "framework/media/GSound3D.h"
#include "framework/media/GSoundHost.h"
#include "framework/media/GSoundManager.h"
#include "framework/media/GSoundWave.h"
#include "platform/PAudioBuffer.h"
#include "platform/PAudioOptions.h"
#include "platform/PRecording3DDevice.h"
#include "platform/PSurface.h"
#include "support/TestFolder.h"

namespace soundtest {

inline std::string Le16(uint16_t v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
inline std::string Le32(uint32_t v) { return Le16(static_cast<uint16_t>(v & 0xFFFF)) + Le16(static_cast<uint16_t>(v >> 16)); }

inline std::string Chunk(const std::string& id, const std::string& body) {
  std::string s = id + Le32(static_cast<uint32_t>(body.size())) + body;
  if (body.size() % 2 == 1) s += '\0';
  return s;
}

inline std::string FmtBody(uint16_t channels, uint16_t tag = 1) {
  return Le16(tag) + Le16(channels) + Le32(44100) + Le32(44100u * 2u * channels) + Le16(static_cast<uint16_t>(2 * channels)) +
         Le16(16);
}

// A WAV file of 16-bit samples at 44100 Hz; extra chunks may stand before or after "data".
inline std::string Wave(const std::string& samples, uint16_t channels = 1, const std::string& before = "",
                        const std::string& after = "") {
  return Chunk("RIFF", "WAVE" + Chunk("fmt ", FmtBody(channels)) + before + Chunk("data", samples) + after);
}

// count bytes whose value at byte i is a pattern of i, so positions can be told apart.
inline std::string Pattern(uint32_t count, uint32_t seed = 0) {
  std::string s(count, '\0');
  for (uint32_t i = 0; i < count; ++i) s[i] = static_cast<char>(((i + seed) * 2654435761u) >> 24);
  return s;
}

inline std::string FileName(int16_t number) {
  std::string name;
  GSoundWave::MakeWaveFileName(name, number);
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  return name;
}

class TestHost : public GSoundHost {
 public:
  int32_t rating = 0;
  std::string alternate;  // a program-form folder, or empty: none
  int32_t GetCPURating() const override { return rating; }
  bool GetBaseFolder(std::string& out, bool useAlternate) const override {
    if (useAlternate && !alternate.empty()) {
      out = alternate;
      return true;
    }
    return GSoundHost::GetBaseFolder(out, false);
  }
};

// A sound manager on the null back-end with its files in a fresh program folder.
class SoundFixture {
 public:
  explicit SoundFixture(int32_t rating = 0, PAudioOptions options = PAudioOptions()) : folder(true) {
    host.rating = rating;
    options.backend = PAudioOptions::Backend::kNull;
    gSoundManager = new GSoundManager();
    gSoundManager->SetHost(&host);
    gSoundManager->Init(options);
  }
  ~SoundFixture() { delete gSoundManager; }
  SoundFixture(const SoundFixture&) = delete;
  SoundFixture& operator=(const SoundFixture&) = delete;

  GSoundManager& manager() { return *gSoundManager; }
  void WriteSound(int16_t number, const std::string& bytes) { folder.WriteFile(FileName(number), bytes); }
  std::string Log() {
    GErrorLog::Close();
    return folder.ReadFile(GErrorLog::kFileName);
  }

  TestFolder folder;
  TestHost host;
};

// The two positional kinds, as the battlefield defines them.
class OneShot3D : public GSound3D {
 public:
  void Play() override { PlayOnce(); }
  float GetDistance() const override { return distance_; }
};
class Loop3D : public GSound3D {
 public:
  void Play() override { PlayLooped(); }
  bool IsFinished() override { return false; }
  bool OnChannelStopped() override { return OnLoopChannelStopped(); }
  bool IsLooping() const override { return true; }
  float GetDistance() const override { return distance_; }
};

// The program's renderer (gGraph3D) while it lives, on a recording device. Its camera stands
// at the world origin looking along +z unless a test moves it, so world positions are
// listener positions.
class Camera {
 public:
  Camera() : host_(&device_, &screen_), renderer_(&host_) {
    renderer_.LoadIdentity();
    renderer_.ScaleZ(-1.0f);  // the renderer's camera looks down -z
    gGraph3D = &renderer_;
  }
  ~Camera() {
    if (gGraph3D == &renderer_) gGraph3D = nullptr;
  }
  Camera(const Camera&) = delete;
  Camera& operator=(const Camera&) = delete;
  GGraph3D& renderer() { return renderer_; }

 private:
  PSurface screen_{64, 48, PPixelFormat::kRGB565};
  PRecording3DDevice device_;
  GGraph3DHost host_;
  GGraph3D renderer_;
};

// The bytes of a buffer as they stand.
inline std::string BufferBytes(PAudioBuffer& buffer, uint32_t offset = 0, uint32_t count = 0) {
  uint8_t* p = nullptr;
  uint32_t n = 0;
  if (buffer.Lock(offset, count, count == 0, &p, &n) != 0) return "";
  std::string bytes(reinterpret_cast<char*>(p), n);
  buffer.Unlock(p, n);
  return bytes;
}

inline uint32_t Position(PAudioBuffer& buffer) {
  uint32_t at = 0;
  buffer.GetCurrentPosition(&at);
  return at;
}

}  // namespace soundtest
