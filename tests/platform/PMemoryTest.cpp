#include "platform/PMemory.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(PMemory, TheMachineReportsItsMemoryAndGivesBlocks) {
  const PMemory::Status status = PMemory::GetStatus();
  EXPECT_GT(status.totalPhysical, 0u);
  EXPECT_GT(status.available, 0u);
  EXPECT_EQ(PMemory::Allocate(0), nullptr);
  auto* block = static_cast<unsigned char*>(PMemory::Allocate(4096));
  ASSERT_NE(block, nullptr);
  std::memset(block, 0xA5, 4096);
  EXPECT_EQ(block[4095], 0xA5);
  PMemory::Free(block);
  PMemory::Free(nullptr);
}
