#include <cstdio>
#include <string>

#include "app/WRInstallPath.h"
#include "platform/PPath.h"
#include "platform/PSystem.h"

int main() {
  // The program folder is known before anything can be logged or fail.
  std::string message;
  if (!WRInstallPath::Check(PPath::ProgramFolder(), message)) PSystem::FatalExit(message.c_str());
  return 0;
}
