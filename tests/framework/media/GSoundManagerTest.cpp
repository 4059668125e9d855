#include "framework/media/GSoundManager.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "framework/media/GSoundChannel.h"
#include "framework/media/GSoundData.h"
#include "framework/media/SoundTestSupport.h"
#include "platform/PAudioDevice.h"
#include "platform/PClock.h"

namespace {
using namespace soundtest;

// Long enough to keep playing through a test.
const std::string kLong = Wave(Pattern(200000));

TEST(GSoundManager, PriorityDecidesWhoGetsABusyPlainChannel) {
  SoundFixture fixture;
  GSoundManager& m = fixture.manager();
  for (int16_t n : {101, 102, 103, 104}) fixture.WriteSound(n, kLong);
  m.PlaySound(101, 5);
  m.PlaySound(102, 5);
  GSoundChannel* first = m.GetPlainChannel(0);
  GSoundChannel* second = m.GetPlainChannel(1);
  ASSERT_EQ(first->GetSound()->GetNumber(), 101);
  ASSERT_EQ(second->GetSound()->GetNumber(), 102);

  m.PlaySound(103, 3);  // not heard
  EXPECT_EQ(first->GetSound()->GetNumber(), 101);
  EXPECT_EQ(second->GetSound()->GetNumber(), 102);
  m.Update();
  EXPECT_EQ(m.GetOneShotCount(), 2);  // the unheard one is gone

  m.PlaySound(104, 7);  // both at distance 0: the channel sorted last
  EXPECT_EQ(first->GetSound()->GetNumber(), 101);
  EXPECT_EQ(second->GetSound()->GetNumber(), 104);
  m.Update();
  EXPECT_EQ(m.GetOneShotCount(), 2);
}

TEST(GSoundManager, NearerPositionalSoundDisplacesTheFarthestOverTheLimit) {
  SoundFixture fixture;  // rating 0: three 3-D channels
  GSoundManager& m = fixture.manager();
  ASSERT_EQ(m.Get3DChannelCount(), 3);
  Camera camera;
  fixture.WriteSound(400, kLong);
  Loop3D near, middle, far;
  OneShot3D nearest;
  const std::pair<Loop3D*, float> placed[] = {{&near, 10.0f}, {&middle, 20.0f}, {&far, 30.0f}};
  for (const auto& [sound, z] : placed) {
    sound->Init(400, 5, 1.0f, 1);
    sound->SetPosition(0.0f, 0.0f, z);
    sound->Play();
    ASSERT_TRUE(sound->HasChannel());
  }
  nearest.Init(400, 5, 1.0f, 1);
  nearest.SetPosition(0.0f, 0.0f, 5.0f);
  GSoundChannel* farChannel = far.GetChannel();
  nearest.Play();
  EXPECT_EQ(nearest.GetChannel(), farChannel);
  EXPECT_TRUE(near.HasChannel());
  EXPECT_TRUE(middle.HasChannel());
  EXPECT_FALSE(far.HasChannel());
  // The looped sound waits, and plays again at the first update with a free channel.
  ASSERT_EQ(m.GetWaitingCount(), 1);
  m.Update();
  EXPECT_FALSE(far.HasChannel());
  nearest.Stop();
  m.Update();
  EXPECT_TRUE(far.HasChannel());
  EXPECT_EQ(m.GetWaitingCount(), 0);
}

namespace {

// A looped positional sound that counts its tries to play.
class CountingLoop : public Loop3D {
 public:
  void Play() override {
    ++tries;
    Loop3D::Play();
  }
  int tries = 0;
};

}  // namespace

TEST(GSoundManager, WaitingSoundsOfAPriorityThatFoundNoChannelAreNotTriedAgainInThatUpdate) {
  SoundFixture fixture;  // three 3-D channels
  GSoundManager& m = fixture.manager();
  Camera camera;
  fixture.WriteSound(400, kLong);
  Loop3D busy[3];
  for (int i = 0; i < 3; ++i) {
    busy[i].Init(400, 9, 1.0f, 0);
    busy[i].SetPosition(0.0f, 0.0f, 10.0f * static_cast<float>(i + 1));
    busy[i].Play();
    ASSERT_TRUE(busy[i].HasChannel());
  }
  // Waiting, in the order they are tried: priority 5 nearest first, then priority 2.
  CountingLoop first, second, third, lower;
  const std::pair<CountingLoop*, std::pair<int, float>> waiting[] = {
      {&third, {5, 60.0f}}, {&lower, {2, 1.0f}}, {&first, {5, 40.0f}}, {&second, {5, 50.0f}}};
  for (const auto& [sound, placing] : waiting) {
    sound->Init(400, placing.first, 1.0f, 0);
    sound->SetPosition(0.0f, 0.0f, placing.second);
    m.QueueSound(sound);
  }
  ASSERT_EQ(m.GetWaitingCount(), 4);
  m.Update();
  EXPECT_EQ(first.tries, 1);
  EXPECT_EQ(second.tries, 0);  // skipped: its priority already found no channel
  EXPECT_EQ(third.tries, 0);
  EXPECT_EQ(lower.tries, 1);  // another priority is tried
  EXPECT_EQ(m.GetWaitingCount(), 4);
  EXPECT_FALSE(first.HasChannel());
  // A free channel: the nearest of the highest waiting priority takes it, the rest wait.
  busy[2].Stop();
  m.DequeueSound(&busy[2]);  // a stopped loop would wait too, ahead of everyone
  m.Update();
  EXPECT_TRUE(first.HasChannel());
  EXPECT_EQ(second.tries, 1);
  EXPECT_EQ(m.GetWaitingCount(), 3);
}

TEST(GSoundManager, SwitchingSoundOffStopsEverythingAndLoopsComeBack) {
  SoundFixture fixture;
  GSoundManager& m = fixture.manager();
  fixture.WriteSound(401, kLong);
  Loop3D loop;
  loop.Init(401, 5, 1.0f, 999);
  loop.Play();
  m.PlaySound(401, 5);
  ASSERT_TRUE(loop.HasChannel());
  m.SetSoundsEnabled(false);
  EXPECT_FALSE(loop.HasChannel());
  EXPECT_TRUE(m.GetPlainChannel(0)->IsFree());
  m.PlaySound(401, 5);
  EXPECT_EQ(m.GetOneShotCount(), 1);  // only the stopped one, not yet swept
  m.Update();                             // does nothing while off
  EXPECT_FALSE(loop.HasChannel());
  m.SetSoundsEnabled(true);
  m.Update();
  EXPECT_TRUE(loop.HasChannel());
  EXPECT_EQ(m.GetOneShotCount(), 0);

  m.StopAllSounds();
  EXPECT_FALSE(loop.HasChannel());
  EXPECT_EQ(m.GetWaitingCount(), 0);
  m.Update();
  EXPECT_FALSE(loop.HasChannel());
  EXPECT_NE(fixture.Log().find("GSound 2503\r\nGSound 2509\r\n"), std::string::npos);
}

TEST(GSoundManager, DeletingASoundStopsItsChannelAndTakesItOffTheLists) {
  SoundFixture fixture;
  GSoundManager& m = fixture.manager();
  fixture.WriteSound(402, kLong);
  auto* playing = new Loop3D();
  playing->Init(402, 5, 1.0f, 999);
  playing->Play();
  GSoundChannel* channel = playing->GetChannel();
  ASSERT_NE(channel, nullptr);
  delete playing;
  EXPECT_TRUE(channel->IsFree());
  uint32_t status = 1;
  channel->GetBuffer()->GetStatus(&status);
  EXPECT_EQ(status, 0u);

  auto* waiting = new Loop3D();
  waiting->Init(402, 5, 1.0f, 999);
  m.QueueSound(waiting);
  m.QueueSound(waiting);
  EXPECT_EQ(m.GetWaitingCount(), 1);
  delete waiting;
  EXPECT_EQ(m.GetWaitingCount(), 0);
}

TEST(GSoundManager, LoadedSoundsAreCachedByNumberAndLoopedFlag) {
  SoundFixture fixture;
  GSoundManager& m = fixture.manager();
  fixture.WriteSound(500, Wave(Pattern(64)));
  GSoundData* once = m.GetSoundData(500, false);
  ASSERT_NE(once, nullptr);
  std::remove((fixture.folder.Native() + FileName(500)).c_str());
  EXPECT_EQ(m.GetSoundData(500, false), once);  // not read again
  EXPECT_EQ(m.GetSoundData(500, true), nullptr);  // the other flag loads again, and the file is gone
  fixture.WriteSound(500, Wave(Pattern(64)));
  const int16_t numbers[] = {500, 501, 500};
  const uint8_t looped[] = {1, 0, 0};
  m.PreloadSounds(3, numbers, looped);  // stops at the missing 501
  EXPECT_EQ(m.GetCachedSoundCount(), 2);
  EXPECT_TRUE(m.PreloadSound(500, true));
  EXPECT_FALSE(m.PreloadSound(501, true));
  std::string log = fixture.Log();
  EXPECT_NE(log.find("Problem loading sound # 500\r\nProblem loading sound # 501\r\nProblem loading sound # 501\r\n"),
            std::string::npos);
}

TEST(GSoundManager, PositionalSoundsGoToListenerSpaceWithTheDistanceOffset) {
  SoundFixture fixture;
  GSoundManager& m = fixture.manager();
  fixture.WriteSound(600, kLong);
  OneShot3D sound;
  sound.Init(600, 5, 2.5f, 2);
  EXPECT_FLOAT_EQ(sound.GetMinDistance(), 2.5f);
  sound.SetPosition(3.0f, 4.0f, 5.0f);  // no listener: far in front
  EXPECT_FLOAT_EQ(sound.GetZ(), 1000.0f);
  EXPECT_FLOAT_EQ(sound.GetDistance(), 1000.0f);

  Camera camera;
  m.SetDistanceOffset(500.0f);
  sound.SetPosition(0.0f, 60.0f, 80.0f);
  sound.Play();
  PAudioBuffer* buffer = sound.GetChannel()->GetBuffer();
  float x = 0, y = 0, z = 0;
  buffer->GetPosition(&x, &y, &z);
  EXPECT_FLOAT_EQ(y, 60.0f);  // starts unscaled, with its own minimum distance
  EXPECT_FLOAT_EQ(z, 80.0f);
  EXPECT_FLOAT_EQ(buffer->MinDistance(), 2.5f * 0.125f);
  sound.SetPosition(0.0f, 0.0f, 100.0f);
  buffer->GetPosition(&x, &y, &z);
  EXPECT_FLOAT_EQ(z, 600.0f);
  sound.SetPosition(0.0f, 0.0f, 0.0f);
  EXPECT_FLOAT_EQ(sound.GetDistance(), 0.0f);

  OneShot3D tiny, fine;
  tiny.Init(600, 5, 0.005f, 0);
  fine.InitFine(600, 5, 0.0005f, 0);
  EXPECT_FLOAT_EQ(tiny.GetMinDistance(), 0.01f);
  EXPECT_FLOAT_EQ(fine.GetMinDistance(), 0.001f);
}


}  // namespace

namespace {

// The summed loudness of each side of frames of the device's mix.
void MixLoudness(PAudioDevice& device, uint32_t frames, int64_t& left, int64_t& right) {
  std::vector<int16_t> mix(2 * static_cast<size_t>(frames));
  device.Render(mix.data(), frames);
  left = right = 0;
  for (uint32_t i = 0; i < frames; ++i) {
    left += std::abs(static_cast<int32_t>(mix[2 * i]));
    right += std::abs(static_cast<int32_t>(mix[2 * i + 1]));
  }
}

}  // namespace

TEST(GSound3D, ASoundToTheCamerasRightIsLouderOnTheRightChannel) {
  SoundFixture fixture;
  std::string samples;
  for (int i = 0; i < 20000; ++i) samples += Le16(i % 2 == 0 ? 6000 : static_cast<uint16_t>(-6000));
  fixture.WriteSound(470, Wave(samples));
  Camera camera;
  // A camera at (100, 5, 100) looking toward -z: its right is +x.
  camera.renderer().LoadIdentity();
  camera.renderer().LookAt(100.0f, 5.0f, 100.0f, 100.0f, 5.0f, 0.0f, 0.0f, 1.0f, 0.0f);
  PAudioDevice& device = *fixture.manager().GetDevice();
  for (const float side : {30.0f, -30.0f}) {
    SCOPED_TRACE(side);
    OneShot3D sound;
    sound.Init(470, 5, 10.0f, 0);
    sound.SetPosition(100.0f + side, 5.0f, 60.0f);  // 40 in front, 30 to one side
    EXPECT_FLOAT_EQ(sound.GetX(), side);
    EXPECT_FLOAT_EQ(sound.GetZ(), 40.0f);
    EXPECT_FLOAT_EQ(sound.GetDistance(), 50.0f);
    sound.Play();
    ASSERT_TRUE(sound.HasChannel());
    int64_t left = 0;
    int64_t right = 0;
    MixLoudness(device, 4000, left, right);
    ASSERT_GT(left + right, 0);
    if (side > 0) EXPECT_GT(right, left + left / 4);
    else EXPECT_GT(left, right + right / 4);
    sound.Stop();
  }
}
