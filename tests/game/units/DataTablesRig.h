#pragma once
// A kernel in a fresh program folder, as the built-in tables need one for their temporary
// file; the tables are freed when the rig goes. The generator that names temporary files is
// seeded by the process, so that test programs started in the same millisecond do not make
// (and delete) each other's file.
#include <unistd.h>

#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "game/units/tables/Hack.h"
#include "support/TestFolder.h"

class DataTablesRig {
 public:
  DataTablesRig() : folder_(true) {
    kernel_.FindProgramFolder();
    SeedRandom(static_cast<uint32_t>(getpid()) * 2654435761u + TickCount());
  }
  ~DataTablesRig() { Hack::FreeTables(); }

 private:
  TestFolder folder_;
  GKernel kernel_;
};
