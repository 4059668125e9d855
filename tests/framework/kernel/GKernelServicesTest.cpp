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
