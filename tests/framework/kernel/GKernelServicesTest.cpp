#include <gtest/gtest.h>

#include "KernelRig.h"
#include "framework/core/GString255.h"
#include "framework/kernel/ApplicationBase.h"
#include "framework/kernel/GKernel.h"
#include "platform/PPath.h"

namespace {

class NamedApp : public ApplicationBase {
 public:
  void GetDataFolderName(GString& out) override { out.Assign("Tarvane Data"); }
};

}  // namespace

TEST(KernelServicesTest, TheBaseFolderIsTheProgramFolderUnlessAnAlternateDriveIsAskedForAndKnown) {
  GKernel kernel;
  kernel.FindProgramFolder();
  EXPECT_EQ(std::string(kernel.GetProgramFolder().CStr()), PPath::ProgramFolder());
  GString255 out;
  EXPECT_FALSE(kernel.GetBaseFolder(out, true));
  EXPECT_EQ(std::string(out.CStr()), PPath::ProgramFolder());
  kernel.SetAlternateDataDrive('E');
  EXPECT_FALSE(kernel.GetBaseFolder(out, false));
  EXPECT_EQ(std::string(out.CStr()), PPath::ProgramFolder());
  // Without an application (or with the base class's empty name): the drive's root.
  EXPECT_TRUE(kernel.GetBaseFolder(out, true));
  EXPECT_EQ(std::string(out.CStr()), "E:\\");
}

TEST(KernelServicesTest, TheAlternateFolderNamesTheApplicationsDataFolder) {
  KernelRig rig;
  auto* app = new NamedApp();
  rig.kernel->StartWithoutLoop(app);
  rig.kernel->SetAlternateDataDrive('E');
  GString255 out;
  EXPECT_TRUE(rig.kernel->GetBaseFolder(out, true));
  EXPECT_EQ(std::string(out.CStr()), "E:\\Tarvane Data");
}

TEST(KernelServicesTest, TheBaseApplicationHasNoDataFolderAndNoStoredPreset) {
  ApplicationBase app;
  GString255 name;
  name.Assign("x");
  app.GetDataFolderName(name);
  EXPECT_EQ(name.Length(), 0);
  DisplayPreset record;
  record.use3DPreset = record.use2DPreset = 1;
  record.width = 800;
  app.GetDisplayChoice(&record);
  EXPECT_EQ(record.use3DPreset, 0);
  EXPECT_EQ(record.use2DPreset, 0);
  EXPECT_EQ(record.width, 800u);
}

TEST(KernelServicesTest, Set3DModeOnACardThatDoesBothOnlyFlipsTheFlag) {
  GKernel kernel;
  kernel.Set3DMode(true);
  EXPECT_TRUE(kernel.Is3D());
  kernel.Set3DMode(false);
  EXPECT_FALSE(kernel.Is3D());
}

namespace {

// An allocator that refuses blocks above a limit and records every request.
std::vector<size_t> gRequests;
size_t gLimit = 0;
alignas(16) unsigned char gBlock[16];
void* LimitedAllocate(size_t size) {
  gRequests.push_back(size);
  return size <= gLimit ? gBlock : nullptr;
}

}  // namespace

TEST(KernelServicesTest, TheLargestBlockHalvesTheRequestUntilTheMachineGivesIt) {
  // Asked 1,000 bytes with 600 free: 600, then 300 once 600 is refused.
  gRequests.clear();
  gLimit = 400;
  uint32_t size = 1000;
  EXPECT_EQ(GKernel::AllocLargestBlockFrom(&size, 600, 1u << 30, &LimitedAllocate), gBlock);
  EXPECT_EQ(size, 300u);
  EXPECT_EQ(gRequests, (std::vector<size_t>{600, 300}));
  // Size 0 asks for everything free, capped by physical memory; 7 halves to 3 (truncated).
  gRequests.clear();
  gLimit = 3;
  size = 0;
  EXPECT_EQ(GKernel::AllocLargestBlockFrom(&size, 5000, 7, &LimitedAllocate), gBlock);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(gRequests, (std::vector<size_t>{7, 3}));
  // More free than 32 bits tell: the largest 32-bit size first.
  gRequests.clear();
  gLimit = 1u << 20;
  size = 0;
  EXPECT_NE(GKernel::AllocLargestBlockFrom(&size, 1ull << 40, 1ull << 40, &LimitedAllocate), nullptr);
  EXPECT_EQ(gRequests.front(), 0xFFFFFFFFu);
  EXPECT_LE(size, 1u << 20);
  EXPECT_GT(size, 1u << 19);
  // Nothing free: size 0 and null, nothing asked.
  gRequests.clear();
  size = 100;
  EXPECT_EQ(GKernel::AllocLargestBlockFrom(&size, 0, 1u << 30, &LimitedAllocate), nullptr);
  EXPECT_EQ(size, 0u);
  EXPECT_TRUE(gRequests.empty());
}

TEST(KernelServicesTest, ARealBlockOfTheAskedSizeCanBeWrittenAndFreed) {
  GKernel kernel;
  uint32_t size = 1u << 16;
  auto* block = static_cast<unsigned char*>(kernel.AllocLargestBlock(&size));
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(size, 1u << 16);
  block[0] = 1;
  block[size - 1] = 2;
  kernel.FreeMemory(block);
}

TEST(KernelServicesDeathTest, AMachineThatRefusesEveryByteEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  gLimit = 0;
  uint32_t size = 64;
  EXPECT_EXIT(GKernel::AllocLargestBlockFrom(&size, 1000, 1000, &LimitedAllocate), testing::ExitedWithCode(3),
              "ERROR: GKernel line 2726");
}
