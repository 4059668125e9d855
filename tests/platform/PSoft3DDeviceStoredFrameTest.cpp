// The stored busy battlefield frame (bench/data/BusyFrame.frame, the frame benchmarks' scene):
// replayed into the software device it draws the very pixels it was recorded with, at any
// number of drawing threads and one pixel at a time alike; and its reader refuses a cut or
// damaged file with a clear error, never reading past the bytes it is given.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "StoredFrame.h"
#include "platform/PSoft3DDevice.h"
#include "platform/PSurface.h"
#include "support/PixelHash.h"

namespace {

std::vector<uint8_t> FrameBytes() {
  std::ifstream in(TARVANE_STORED_FRAME, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The frame drawn twice over on a fresh device (the second time over the first: the frame
// clears what it draws on), hashed with its depth.
uint64_t Replayed(const StoredFrame& frame, int32_t threads) {
  PSurface target(frame.Width(), frame.Height(), frame.Format());
  PSoft3DDevice device(&target, threads);
  for (int pass = 0; pass < 2; ++pass) {
    EXPECT_EQ(frame.Replay(device), 0);
    EXPECT_EQ(StoredFrame::PixelHash(target), frame.RecordedHash()) << threads << " threads, pass " << pass;
  }
  return PixelHash(target, device);
}

TEST(PSoft3DDeviceStoredFrame, DrawsThePixelsItWasRecordedWithAtAnyThreadCount) {
  const std::vector<uint8_t> bytes = FrameBytes();
  StoredFrame frame;
  ASSERT_TRUE(frame.Read(bytes.data(), bytes.size())) << frame.Error();
  EXPECT_GT(frame.Triangles(), 10000);
  const uint64_t one = Replayed(frame, 1);
  for (int32_t threads : {2, 3}) EXPECT_EQ(Replayed(frame, threads), one) << threads;
  PSoft3DDevice::SetWideSpans(false);
  EXPECT_EQ(Replayed(frame, 1), one);
  PSoft3DDevice::SetWideSpans(true);
}

TEST(PSoft3DDeviceStoredFrame, ReaderRefusesCutAndDamagedFiles) {
  const std::vector<uint8_t> bytes = FrameBytes();
  ASSERT_GT(bytes.size(), 1000u);
  StoredFrame frame;
  // Cut anywhere in the header and first texture, then at spread places through the calls:
  // each read stops with an error at or before the cut.
  std::vector<size_t> cuts;
  for (size_t n = 0; n < 600; ++n) cuts.push_back(n);
  for (size_t n = 600; n < bytes.size(); n += bytes.size() / 97 + 1) cuts.push_back(n);
  cuts.push_back(bytes.size() - 1);
  for (size_t n : cuts) {
    // A copy of exactly n bytes, so that a read past them is caught by the address sanitizer.
    const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_FALSE(frame.Read(cut.data(), cut.size())) << n;
    EXPECT_FALSE(frame.Error().empty()) << n;
    EXPECT_EQ(frame.CallCount(), 0u) << n;
  }
  // Damaged fields: the magic, the target size, the texture count, a texture's size, a
  // trailing byte.
  auto damaged = [&bytes](size_t at, uint32_t value) {
    std::vector<uint8_t> copy = bytes;
    for (int i = 0; i < 4; ++i) copy[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    return copy;
  };
  const struct {
    size_t at;
    uint32_t value;
    const char* error;
  } faults[] = {{0, 0x58585858u, "magic"},
                {8, 0u, "target size"},
                {12, 100000u, "target size"},
                {16, 7u, "target format"},
                {28, 0xFFFFFFFFu, "texture count"},
                {32, 4096u, "texture size"}};
  for (const auto& f : faults) {
    const std::vector<uint8_t> copy = damaged(f.at, f.value);
    EXPECT_FALSE(frame.Read(copy.data(), copy.size())) << f.error;
    EXPECT_NE(frame.Error().find(f.error), std::string::npos) << frame.Error();
  }
  std::vector<uint8_t> longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(frame.Read(longer.data(), longer.size()));
  EXPECT_NE(frame.Error().find("after the last call"), std::string::npos) << frame.Error();
}

}  // namespace
