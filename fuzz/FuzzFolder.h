// A folder of a fuzz target's own under the temporary folder, made the program folder so its
// files and error log go there, and removed with everything in it when the target ends.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "framework/core/GErrorLog.h"
#include "platform/PPath.h"

class FuzzFolder {
 public:
  explicit FuzzFolder(const std::string& name) {
    path = PPath::TempFolder() + "tarvane-" + name + "-" + std::to_string(getpid()) + "/";
    std::filesystem::create_directories(PPath::ToNative(path));
    PPath::SetProgramFolder(PPath::ToNative(path));
  }
  ~FuzzFolder() {
    GErrorLog::Close();
    std::error_code ec;
    std::filesystem::remove_all(PPath::ToNative(path), ec);
  }
  FuzzFolder(const FuzzFolder&) = delete;
  FuzzFolder& operator=(const FuzzFolder&) = delete;

  std::string path;  // program form, ending in the separator
};
