#include <memory>
#include <string>

#include "app/ProgramStart.h"
#include "app/WRInstallPath.h"
#include "framework/kernel/GKernel.h"
#include "platform/PBackEnd.h"
#include "platform/PPath.h"
#include "platform/PSystem.h"

int main() {
  // The program folder is known before anything can be logged or fail.
  std::string message;
  if (!WRInstallPath::Check(PPath::ProgramFolder(), message)) PSystem::FatalExit(message.c_str());

  GKernel* kernel = new GKernel();
  bool ok = false;
  kernel->Init(nullptr, &ok);
  // Without a window the program ends quietly after the beep.
  if (ok) ProgramStart();
  delete kernel;
  return 0;
}
