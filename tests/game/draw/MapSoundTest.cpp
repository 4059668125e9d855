#include <gtest/gtest.h>

#include "framework/media/GSoundChannel.h"
#include "framework/media/SoundTestSupport.h"
#include "game/draw/MapSoundLoop.h"
#include "game/draw/MapSoundOneShot.h"
#include "platform/PAudioDevice.h"

namespace {
using namespace soundtest;

TEST(MapSound, OneShotPlaysOncePositionedAndFinishes) {
  SoundFixture fixture;
  Camera camera;
  fixture.WriteSound(810, Wave(Pattern(2000)));
  MapSoundOneShot shot;
  shot.Init(810, 4, 3.0f, 1);
  shot.SetPosition(30.0f, 0.0f, 40.0f);
  EXPECT_FLOAT_EQ(shot.GetDistance(), 50.0f);
  EXPECT_FALSE(shot.IsOneShot());
  EXPECT_FALSE(shot.IsLooping());
  shot.Play();
  GSoundChannel* channel = shot.GetChannel();
  ASSERT_NE(channel, nullptr);
  EXPECT_TRUE(channel->Is3D());
  EXPECT_EQ(channel->GetStartOffset(), 1048576u - 2000u);
  fixture.manager().GetDevice()->Advance(1000);
  fixture.manager().Update();
  EXPECT_TRUE(shot.IsFinished());
  EXPECT_EQ(fixture.manager().GetWaitingCount(), 0);
}

TEST(MapSound, LoopNeverFinishesAndWaitsWhenItLosesItsChannel) {
  SoundFixture fixture;
  Camera camera;
  fixture.WriteSound(820, Wave(Pattern(5000)));
  MapSoundLoop loop;
  loop.InitFine(820, 2, 0.0001f, 0);
  EXPECT_FLOAT_EQ(loop.GetMinDistance(), 0.001f);
  loop.SetPosition(0.0f, 0.0f, 12.0f);
  loop.Play();
  ASSERT_TRUE(loop.HasChannel());
  EXPECT_TRUE(loop.IsLooping());
  loop.Stop();
  EXPECT_FALSE(loop.IsFinished());
  ASSERT_EQ(fixture.manager().GetWaitingCount(), 1);
  fixture.manager().Update();
  EXPECT_TRUE(loop.HasChannel());
}

}  // namespace
