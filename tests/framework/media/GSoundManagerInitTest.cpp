#include <gtest/gtest.h>

#include "framework/media/GSoundChannel.h"
#include "framework/media/GSoundManager.h"
#include "framework/media/SoundTestSupport.h"
#include "platform/PAudioDevice.h"

namespace {
using namespace soundtest;

TEST(GSoundManagerInit, ChannelLimitFollowsTheProcessorRating) {
  const std::pair<int32_t, int32_t> table[] = {{0, 3},    {300, 3},   {500, 3},   {1000, 6},  {2000, 11},
                                               {2500, 14}, {3000, 16}, {3001, 17}, {90000, 17}};
  for (const auto& [rating, channels] : table) EXPECT_EQ(GSoundManager::ChannelsForCPU(rating), channels) << rating;
}

TEST(GSoundManagerInit, ReportsTheDeviceAndMakesItsChannels) {
  SoundFixture fixture(2000);
  GSoundManager& m = fixture.manager();
  EXPECT_TRUE(m.IsInitialised());
  EXPECT_TRUE(m.IsEnabled());
  EXPECT_EQ(m.GetPlainChannelCount(), 2);
  ASSERT_NE(m.GetStreamChannel(), nullptr);
  EXPECT_EQ(m.Get3DChannelCount(), 11);
  EXPECT_FLOAT_EQ(m.GetDevice()->RolloffFactor(), 0.4f);
  EXPECT_EQ(fixture.Log(),
            "Sound is NOT Microsoft certified\r\n"
            "  Sound card has memory (K) =  0\r\n"
            "  K/s download rate to hardware =  0\r\n"
            "  Software overhead in CPU % =  0\r\n"
            "  Max # of static buffers that can be mixed =  32\r\n"
            "  Max # of buffers (static or stream) that can be mixed =  32\r\n"
            "  Max # of static 3D buffers =  32\r\n"
            "# normal sound channels:  3\r\n"
            "% CPU usage for standard channels:  0\r\n"
            "# 3D sound channels:  11\r\n"
            "% Total CPU usage:  0\r\n");
}

TEST(GSoundManagerInit, CapabilitiesCapTheThreeDimensionalChannels) {
  {
    PAudioOptions options;
    options.capsResult = PAudio::kErrGeneric;
    SoundFixture fixture(3001, options);
    EXPECT_EQ(fixture.manager().Get3DChannelCount(), 5);
    EXPECT_NE(fixture.Log().find("Error gathering sound capabilities!\r\n# normal"), std::string::npos);
  }
  {
    // Two mixing buffers: the unsigned difference wraps, so the 3-D count alone caps it,
    // raised to 8.
    PAudioOptions options;
    options.caps.maxHwMixingStaticBuffers = 2;
    options.caps.maxHw3DStaticBuffers = 4;
    options.caps.flags = PAudioCaps::kCertified | PAudioCaps::kEmulatedDriver;
    SoundFixture fixture(3001, options);
    EXPECT_EQ(fixture.manager().Get3DChannelCount(), 8);
    std::string log = fixture.Log();
    EXPECT_EQ(log.rfind("Sound is Microsoft certified\r\n"
                        "  No DirectSound driver installed - emulation used\r\n"
                        "  Does not support 16-bit primary buffer\r\n"
                        "  Does not support stereo primary buffer\r\n",
                        0),
              0u);
  }
  {
    PAudioOptions options;
    options.caps.maxHwMixingStaticBuffers = 10;  // 10 - 3 = 7, raised to 8
    SoundFixture fixture(3001, options);
    EXPECT_EQ(fixture.manager().Get3DChannelCount(), 8);
  }
}

TEST(GSoundManagerInit, ProcessorOverheadStopsThreeDimensionalChannelsAfterTheThird) {
  PAudioOptions options;
  options.bufferCpuOverhead = 4;  // 3 standard buffers: 12; then 16, 20, 24, 28
  SoundFixture fixture(3001, options);
  EXPECT_EQ(fixture.manager().Get3DChannelCount(), 4);
  std::string log = fixture.Log();
  EXPECT_NE(log.find("% CPU usage for standard channels:  12\r\n"), std::string::npos);
  EXPECT_NE(log.find("% Total CPU usage:  28\r\n"), std::string::npos);
}

TEST(GSoundManagerInit, MoreThanThreeDimensionalChannelsOnlyUpToExactlyAQuarterOfTheProcessor) {
  EXPECT_TRUE(GSoundManager::MayAdd3DChannel(0, 1000));
  EXPECT_TRUE(GSoundManager::MayAdd3DChannel(2, 1000));
  EXPECT_TRUE(GSoundManager::MayAdd3DChannel(3, 25));  // exactly 25 % still takes one more
  EXPECT_FALSE(GSoundManager::MayAdd3DChannel(3, 26));
  EXPECT_TRUE(GSoundManager::MayAdd3DChannel(16, 0));
}

TEST(GSoundManagerInit, FailedBuffersMeanFewerChannelsAndNoBuffersMeanNoSound) {
  {
    PAudioOptions options;
    options.maxBuffers = 2;  // both plain channels, then nothing
    SoundFixture fixture(0, options);
    EXPECT_EQ(fixture.manager().GetStreamChannel(), nullptr);
    EXPECT_EQ(fixture.manager().Get3DChannelCount(), 0);
    EXPECT_TRUE(fixture.manager().IsEnabled());
    std::string log = fixture.Log();
    EXPECT_NE(log.find("**MakeSoundBuffer failed  -3\r\n"
                       "ERROR: Unable to create stereo buffer for ambient sound\r\n"
                       "# normal sound channels:  3\r\n"),
              std::string::npos);
    EXPECT_NE(log.find("**MakeSoundBuffer3D failed  -3\r\n# 3D sound channels:  0\r\n"), std::string::npos);
  }
  {
    PAudioOptions options;
    options.maxBuffers = 0;
    options.primaryFailures = 1;
    SoundFixture fixture(0, options);
    EXPECT_FALSE(fixture.manager().IsInitialised());
    EXPECT_FALSE(fixture.manager().IsEnabled());
    fixture.WriteSound(100, Wave(Pattern(100)));
    fixture.manager().PlaySound(100, 5);
    EXPECT_EQ(fixture.manager().GetOneShotCount(), 0);
    EXPECT_EQ(fixture.manager().GetSoundData(100, false), nullptr);
    EXPECT_EQ(fixture.Log().rfind("DirectSound error at ObtainPrimaryBuffer:  -6\r\n", 0), 0u);
  }
}

TEST(GSoundManagerInitDeathTest, NoDeviceOrNoPrimaryBufferIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  PAudioOptions options;
  options.createResult = -4;
  EXPECT_EXIT(SoundFixture fixture(0, options), testing::ExitedWithCode(3), "GSound line 1756");
  options.createResult = 0;
  options.primaryFailures = 2;
  EXPECT_EXIT(SoundFixture fixture(0, options), testing::ExitedWithCode(3), "GSound line 1859");
}

}  // namespace
