#include "framework/media/GSoundChannel.h"

#include <gtest/gtest.h>

#include "framework/media/GSoundManager.h"
#include "framework/media/GSoundProbeChannel.h"
#include "framework/media/SoundTestSupport.h"
#include "platform/PAudioDevice.h"

namespace {
using namespace soundtest;

TEST(GSoundChannel, OneShotSoundSitsAtTheEndOfTheBufferAndEndsThere) {
  SoundFixture fixture;
  GSoundManager& m = fixture.manager();
  const std::string samples = Pattern(1000);
  fixture.WriteSound(100, Wave(samples));
  m.PlaySound(100, 5);
  GSoundChannel* channel = m.GetPlainChannel(0);
  ASSERT_NE(channel->GetSound(), nullptr);
  EXPECT_EQ(channel->GetStartOffset(), 1047576u);
  EXPECT_EQ(Position(*channel->GetBuffer()), 1047576u);
  EXPECT_EQ(BufferBytes(*channel->GetBuffer(), 1047576, 1000), samples);

  m.Update();
  EXPECT_EQ(m.GetOneShotCount(), 1);  // still playing
  m.GetDevice()->Advance(500);
  EXPECT_TRUE(channel->HasStopped());
  m.Update();
  EXPECT_TRUE(channel->IsFree());
  EXPECT_EQ(m.GetOneShotCount(), 0);
}

TEST(GSoundChannel, LoopingSoundIsRepeatedThroughTheBufferAndWrapsByOneRepetition) {
  SoundFixture fixture;
  GSoundManager& m = fixture.manager();
  const std::string samples = Pattern(300000, 5);
  fixture.WriteSound(200, Wave(samples));
  Loop3D loop;
  loop.Init(200, 5, 1.0f, 999);
  loop.Play();
  GSoundChannel* channel = loop.GetChannel();
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(channel->GetStartOffset(), 300000u);
  EXPECT_EQ(Position(*channel->GetBuffer()), 0u);
  const std::string bytes = BufferBytes(*channel->GetBuffer());
  ASSERT_EQ(bytes.size(), 1048576u);
  EXPECT_EQ(bytes.substr(0, 300000), samples);
  EXPECT_EQ(bytes.substr(300000, 300000), samples);
  EXPECT_EQ(bytes.substr(600000, 300000), samples);
  EXPECT_EQ(bytes.substr(900000), samples.substr(0, 148576));

  m.GetDevice()->Advance(150000);  // 300000 bytes: not past one repetition
  m.UpdateLoopingChannels();
  EXPECT_EQ(Position(*channel->GetBuffer()), 300000u);
  m.GetDevice()->Advance(25000);
  m.UpdateLoopingChannels();
  EXPECT_EQ(Position(*channel->GetBuffer()), 50000u);
  EXPECT_FALSE(channel->HasStopped());
}

TEST(GSoundChannel, PositionsBehindTheListenerAreMirroredInFront) {
  SoundFixture fixture;
  GSoundChannel* channel = fixture.manager().Get3DChannel(0);
  PAudioBuffer* buffer = channel->GetBuffer();
  channel->Set3DPosition(1.0f, 2.0f, -4.0f, 2.5f);
  float x = 0, y = 0, z = 0;
  buffer->GetPosition(&x, &y, &z);
  EXPECT_FLOAT_EQ(x, 1.0f);
  EXPECT_FLOAT_EQ(y, 2.0f);
  EXPECT_FLOAT_EQ(z, 5.0f);
  EXPECT_FLOAT_EQ(buffer->MinDistance(), 0.3125f);
  channel->Set3DPosition(0.0f, 0.0f, 3.0f, 0.0f);  // keeps the minimum distance
  EXPECT_FLOAT_EQ(buffer->MinDistance(), 0.3125f);
}

TEST(GSoundChannel, SoundWithAnEmptyDataChunkLoadsButNeverPlays) {
  SoundFixture fixture;
  GSoundManager& m = fixture.manager();
  fixture.WriteSound(300, Wave(""));
  m.PlaySound(300, 5);
  EXPECT_TRUE(m.GetPlainChannel(0)->IsFree());
  EXPECT_EQ(m.GetCachedSoundCount(), 1);
  m.Update();
  EXPECT_EQ(m.GetOneShotCount(), 0);

  Loop3D loop;
  loop.Init(300, 5, 1.0f, 999);
  loop.Play();
  EXPECT_FALSE(loop.HasChannel());
  EXPECT_EQ(m.GetWaitingCount(), 0);
  for (int32_t i = 0; i < m.Get3DChannelCount(); ++i) EXPECT_TRUE(m.Get3DChannel(i)->IsFree());
}

TEST(GSoundManagerRanking, InstanceLimitsMarkTheExcessOfEachPriority) {
  // Priority 5 with limit 1 keeps two; priority 2 with limit 0 marks them all, the last
  // channel of the list too.
  GSoundProbeChannel a(10.0f, 5, 1), b(20.0f, 5, 1), c(30.0f, 5, 1), d(5.0f, 2, 0), e(1.0f, 2, 0), f(7.0f, 9, 999);
  GObjectGroup list;
  list.Init();
  list.SetOwnsMembers(false);
  for (GSoundChannel* channel : {&c, &d, &a, &e, &b, &f}) list.Append(channel);
  GSoundManager::RankChannels(list);
  const GSoundChannel* expected[] = {&f, &a, &b, &c, &e, &d};
  for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(list.GetItem(i), expected[i]) << i;
  EXPECT_FALSE(a.excess);
  EXPECT_FALSE(b.excess);
  EXPECT_TRUE(c.excess);
  EXPECT_TRUE(d.excess);
  EXPECT_TRUE(e.excess);

  GSoundProbeChannel lone(1.0f, 1, 0), high(1.0f, 3, 999);
  GObjectGroup two;
  two.Init();
  two.SetOwnsMembers(false);
  two.Append(&lone);
  two.Append(&high);
  GSoundManager::RankChannels(two);
  EXPECT_TRUE(lone.excess);  // last in the list and alone in its priority
  EXPECT_EQ(two.GetItem(1), &lone);
}

}  // namespace
