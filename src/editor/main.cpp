#include <memory>
#include <string>

#include "app/ProgramStart.h"
#include "app/WRInstallPath.h"
#include "editor/EditorInstall.h"
#include "framework/kernel/GKernel.h"
#include "platform/PBackEnd.h"
#include "platform/PPath.h"
#include "platform/PSystem.h"

// The program's entry: it lies with the editor, the top layer, so that it can install the
// editor into the application.
int main() {
  // The program folder is known before anything can be logged or fail.
  std::string message;
  if (!WRInstallPath::Check(PPath::ProgramFolder(), message)) PSystem::FatalExit(message.c_str());

  GKernel* kernel = new GKernel();
  bool ok = false;
  kernel->Init(nullptr, &ok);
  // Without a window the program ends quietly after the beep.
  if (ok) ProgramStart([](WRApplication& app) { InstallEditor(app); });
  delete kernel;
  return 0;
}
