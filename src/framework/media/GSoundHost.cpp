#include "framework/media/GSoundHost.h"

#include "platform/PPath.h"

bool GSoundHost::GetBaseFolder(std::string& out, bool /*alternate*/) const {
  out = PPath::ProgramFolder();
  return false;
}
