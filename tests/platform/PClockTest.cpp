#include "platform/PClock.h"

#include <gtest/gtest.h>

#include <ctime>

#include "platform/PText.h"

namespace {

TEST(PClock, CountsFromBootAndCanBeFaked) {
  timespec ts{};
  clock_gettime(CLOCK_BOOTTIME, &ts);
  uint64_t boot = static_cast<uint64_t>(ts.tv_sec) * 1000u;
  uint64_t now = PClock::TickCount64();
  EXPECT_GE(now + 1000, boot);  // from boot, not from program start
  PClock::SetFake([] { return uint64_t{0x100000005}; });
  EXPECT_TRUE(PClock::IsFake());
  EXPECT_EQ(PClock::TickCount(), 5u);  // 32 bits wrap
  PClock::SetFake(nullptr);
  EXPECT_FALSE(PClock::IsFake());
}

// A wait on the real clock sleeps (a spinning one would spend the wait on the processor); on
// a fake clock it returns as soon as the fake has moved the milliseconds on.
TEST(PClock, WaitsAsleepOnTheRealClockAndReadsAFakeOne) {
  auto cpuMs = [] {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
  };
  const uint64_t start = PClock::TickCount64();
  const double cpu = cpuMs();
  PClock::Wait(150);
  EXPECT_GE(PClock::TickCount64() - start, 150u);
  EXPECT_LT(cpuMs() - cpu, 30.0);

  uint64_t fake = 1000;
  int32_t reads = 0;
  PClock::SetFake([&] {
    ++reads;
    return fake++;
  });
  PClock::Wait(5);
  EXPECT_EQ(fake, 1006u);  // read at 1000 for the end, then until 1005
  EXPECT_EQ(reads, 6);
  PClock::SetFake(nullptr);
}

TEST(PText, RoundTripsEveryWindowsByte) {
  std::string all;
  for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
  std::string back;
  ASSERT_TRUE(PText::Utf8ToCp1252(PText::Cp1252ToUtf8(all), back));
  EXPECT_EQ(back, all);
  EXPECT_EQ(PText::Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");
  EXPECT_FALSE(PText::Utf8ToCp1252("\xE4\xB8\xAD", back));  // no Windows-1252 form
  EXPECT_FALSE(PText::Utf8ToCp1252("\xC3", back));          // cut short
}

}  // namespace
