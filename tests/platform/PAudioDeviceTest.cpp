#include "platform/PAudioDevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/PSignal.h"

namespace {

std::unique_ptr<PAudioDevice> NullDevice() {
  PAudioOptions options;
  options.backend = PAudioOptions::Backend::kNull;
  int32_t result = -1;
  auto device = PAudioDevice::Create(options, &result);
  EXPECT_EQ(result, PAudio::kOk);
  EXPECT_TRUE(device->IsNullBackend());
  return device;
}

std::unique_ptr<PAudioBuffer> MakeBuffer(PAudioDevice& device, uint32_t bytes, uint16_t channels, bool is3D = false,
                                         bool notify = false) {
  PAudioBufferDesc desc;
  desc.bytes = bytes;
  desc.channels = channels;
  desc.is3D = is3D;
  desc.positionNotify = notify;
  int32_t result = -1;
  auto buffer = device.CreateBuffer(desc, &result);
  EXPECT_EQ(result, PAudio::kOk);
  return buffer;
}

void Put16(uint8_t* p, int16_t v) {
  p[0] = static_cast<uint8_t>(v & 0xFF);
  p[1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}

// Fills a buffer with one sample value throughout.
void FillConstant(PAudioBuffer& buffer, int16_t value) {
  uint8_t* p = nullptr;
  uint32_t n = 0;
  ASSERT_EQ(buffer.Lock(0, 0, true, &p, &n), PAudio::kOk);
  for (uint32_t i = 0; i < n; i += 2) Put16(p + i, value);
  ASSERT_EQ(buffer.Unlock(p, n), PAudio::kOk);
}

TEST(PAudioDevice, OneShotAtTheEndRendersExactlyItsFramesToBothSidesThenStops) {
  auto device = NullDevice();
  auto buffer = MakeBuffer(*device, 1048576, 1);
  uint8_t* p = nullptr;
  uint32_t n = 0;
  ASSERT_EQ(buffer->Lock(0, 0, true, &p, &n), PAudio::kOk);
  ASSERT_EQ(n, 1048576u);
  const uint32_t start = n - 1000;
  for (uint32_t i = 0; i < 500; ++i) Put16(p + start + 2 * i, static_cast<int16_t>(i * 7 - 1700));
  ASSERT_EQ(buffer->Unlock(p, n), PAudio::kOk);
  ASSERT_EQ(buffer->SetCurrentPosition(start), PAudio::kOk);
  ASSERT_EQ(buffer->Play(false), PAudio::kOk);

  std::vector<int16_t> out(2 * 600, 123);
  device->Render(out.data(), 600);
  for (uint32_t i = 0; i < 500; ++i) {
    ASSERT_EQ(out[2 * i], static_cast<int16_t>(i * 7 - 1700)) << i;
    ASSERT_EQ(out[2 * i + 1], static_cast<int16_t>(i * 7 - 1700)) << i;
  }
  for (uint32_t i = 1000; i < 1200; ++i) ASSERT_EQ(out[i], 0) << i;
  uint32_t status = 99;
  ASSERT_EQ(buffer->GetStatus(&status), PAudio::kOk);
  EXPECT_EQ(status & PAudio::kStatusPlaying, 0u);
}

TEST(PAudioDevice, SamplesTakeMemoryAtTheirFirstLockOrPlayAndStartSilent) {
  auto device = NullDevice();
  auto locked = MakeBuffer(*device, 4000, 1);
  auto played = MakeBuffer(*device, 4000, 2, false, true);
  EXPECT_FALSE(locked->HasMemory());
  EXPECT_FALSE(played->HasMemory());
  EXPECT_EQ(locked->Bytes(), 4000u);
  // Cursor and notifications work on a buffer without memory.
  ASSERT_EQ(played->SetCurrentPosition(1000), PAudio::kOk);
  uint32_t position = 0;
  ASSERT_EQ(played->GetCurrentPosition(&position), PAudio::kOk);
  EXPECT_EQ(position, 1000u);
  EXPECT_FALSE(played->HasMemory());

  uint8_t* p = nullptr;
  uint32_t n = 0;
  ASSERT_EQ(locked->Lock(100, 200, false, &p, &n), PAudio::kOk);
  EXPECT_TRUE(locked->HasMemory());
  ASSERT_EQ(n, 200u);
  for (uint32_t i = 0; i < n; ++i) ASSERT_EQ(p[i], 0) << i;
  ASSERT_EQ(locked->Unlock(p, n), PAudio::kOk);

  // Played without ever being filled: silence, and the cursor runs to its end.
  ASSERT_EQ(played->Play(false), PAudio::kOk);
  EXPECT_TRUE(played->HasMemory());
  std::vector<int16_t> out(2 * 1000, 77);
  device->Render(out.data(), 1000);
  for (size_t i = 0; i < out.size(); ++i) ASSERT_EQ(out[i], 0) << i;
  uint32_t status = 99;
  ASSERT_EQ(played->GetStatus(&status), PAudio::kOk);
  EXPECT_EQ(status & PAudio::kStatusPlaying, 0u);
}

TEST(PAudioDevice, SumsSaturateAtTheSixteenBitLimits) {
  auto device = NullDevice();
  auto a = MakeBuffer(*device, 4000, 1);
  auto b = MakeBuffer(*device, 4000, 1);
  FillConstant(*a, 30000);
  FillConstant(*b, 30000);
  a->Play(true);
  b->Play(true);
  std::vector<int16_t> out(2 * 10);
  device->Render(out.data(), 10);
  for (int16_t v : out) EXPECT_EQ(v, 32767);
  FillConstant(*a, -30000);
  FillConstant(*b, -30000);
  device->Render(out.data(), 10);
  for (int16_t v : out) EXPECT_EQ(v, -32768);
  FillConstant(*b, 2768);
  device->Render(out.data(), 10);
  for (int16_t v : out) EXPECT_EQ(v, -27232);
}

TEST(PAudioDevice, NotificationsFireAtPlayStartAndExactlyAtTheMiddle) {
  auto device = NullDevice();
  auto buffer = MakeBuffer(*device, 2097152, 2, false, true);
  PSignal start, middle;
  PSignal* signals[2] = {&start, &middle};
  const uint32_t offsets[2] = {0, 1048576};
  ASSERT_EQ(buffer->SetNotificationPositions(2, offsets, signals), PAudio::kOk);
  buffer->Play(true);
  EXPECT_TRUE(start.Poll());
  device->Advance(262143);
  EXPECT_FALSE(middle.IsSet());
  device->Advance(1);
  EXPECT_TRUE(middle.Poll());
  EXPECT_FALSE(start.IsSet());
  device->Advance(262144);  // wraps to the start
  EXPECT_TRUE(start.Poll());
  EXPECT_FALSE(middle.IsSet());
  // Removed notifications are never set again.
  buffer->SetNotificationPositions(0, nullptr, nullptr);
  device->Advance(600000);
  EXPECT_FALSE(start.IsSet());
  EXPECT_FALSE(middle.IsSet());
}

TEST(PAudioDevice, StereoBuffersKeepTheirSidesAndLoopingWraps) {
  auto device = NullDevice();
  auto buffer = MakeBuffer(*device, 16, 2);  // four frames
  uint8_t* p = nullptr;
  uint32_t n = 0;
  ASSERT_EQ(buffer->Lock(0, 0, true, &p, &n), PAudio::kOk);
  for (int i = 0; i < 4; ++i) {
    Put16(p + 4 * i, static_cast<int16_t>(100 + i));
    Put16(p + 4 * i + 2, static_cast<int16_t>(-100 - i));
  }
  buffer->Unlock(p, n);
  buffer->SetCurrentPosition(8);
  buffer->Play(true);
  std::vector<int16_t> out(2 * 6);
  device->Render(out.data(), 6);
  const int16_t expected[] = {102, -102, 103, -103, 100, -100, 101, -101, 102, -102, 103, -103};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(out[i], expected[i]) << i;
  uint32_t position = 0;
  buffer->GetCurrentPosition(&position);
  EXPECT_EQ(position, 0u);
}

TEST(PAudioDevice, DistanceGainFollowsTheRolloffAndPanFollowsTheSide) {
  EXPECT_NEAR(PAudioDevice::DistanceGain(10.0f, 1.0f, 0.4f), 0.398f, 0.001f);
  EXPECT_FLOAT_EQ(PAudioDevice::DistanceGain(0.5f, 1.0f, 0.4f), 1.0f);

  auto device = NullDevice();
  ASSERT_EQ(device->ObtainPrimary(true), PAudio::kOk);
  ASSERT_EQ(device->SetRolloffFactor(0.4f), PAudio::kOk);
  auto buffer = MakeBuffer(*device, 2000, 1, true);
  FillConstant(*buffer, 10000);
  buffer->SetPosition(0.0f, 0.0f, 10.0f);
  buffer->Play(true);
  std::vector<int16_t> out(2 * 4);
  device->Render(out.data(), 4);
  EXPECT_NEAR(out[0], 3981, 10);
  EXPECT_EQ(out[0], out[1]);

  buffer->SetPosition(5.0f, 0.0f, 2.0f);  // to the right
  device->Render(out.data(), 4);
  EXPECT_GT(out[1], out[0]);
  buffer->SetPosition(-5.0f, 0.0f, 2.0f);  // to the left
  device->Render(out.data(), 4);
  EXPECT_GT(out[0], out[1]);
}

TEST(PAudioDevice, RefusesBadBufferRequestsAndLocks) {
  auto device = NullDevice();
  PAudioBufferDesc desc;
  int32_t result = 0;
  desc.bytes = 1001;  // not whole frames
  EXPECT_EQ(device->CreateBuffer(desc, &result), nullptr);
  EXPECT_EQ(result, PAudio::kErrInvalidParam);
  desc.bytes = 1000;
  desc.channels = 2;
  desc.is3D = true;
  EXPECT_EQ(device->CreateBuffer(desc, &result), nullptr);

  auto buffer = MakeBuffer(*device, 1000, 1);
  uint8_t* p = nullptr;
  uint32_t n = 0;
  EXPECT_EQ(buffer->Lock(900, 200, false, &p, &n), PAudio::kErrInvalidParam);
  EXPECT_EQ(buffer->SetCurrentPosition(1000), PAudio::kErrInvalidParam);
  ASSERT_EQ(buffer->Lock(500, 500, false, &p, &n), PAudio::kOk);
  uint8_t* q = nullptr;
  EXPECT_EQ(buffer->Lock(0, 10, false, &q, &n), PAudio::kErrInvalidCall);
  EXPECT_EQ(buffer->Unlock(p, 500), PAudio::kOk);
  EXPECT_EQ(buffer->SetPosition(1, 2, 3), PAudio::kErrUnsupported);
  EXPECT_EQ(device->SetPrimaryFormat(PAudioFormat()), PAudio::kErrInvalidCall);  // no primary yet
  device->ObtainPrimary(true);
  PAudioFormat mono;
  mono.channels = 1;
  EXPECT_EQ(device->SetPrimaryFormat(mono), PAudio::kErrUnsupported);
  EXPECT_EQ(device->SetPrimaryFormat(PAudioFormat()), PAudio::kOk);
}

// Uses SDL's dummy driver unless another is asked for; it runs the callback in real time, so
// the cursor must move within a few seconds.
TEST(PAudioDevice, SdlOutputRunsTheMixerFromItsCallback) {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  PAudioOptions options;
  int32_t result = -1;
  auto device = PAudioDevice::Create(options, &result);
  ASSERT_NE(device, nullptr);
  if (device->IsNullBackend()) {
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    ASSERT_FALSE(driver != nullptr && std::string(driver) == "dummy") << "the dummy driver must open";
    GTEST_SKIP() << "SDL opened no audio device";
  }
  auto buffer = MakeBuffer(*device, 441000, 1);
  buffer->Play(true);
  uint32_t position = 0;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (position == 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    buffer->GetCurrentPosition(&position);
  }
  EXPECT_GT(position, 0u);
}

}  // namespace
