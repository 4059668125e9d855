#pragma once
// A kernel in a fresh program folder, as the built-in tables need one for their temporary
// file; the tables are freed when the rig goes.
#include "framework/kernel/GKernel.h"
#include "game/units/Hack.h"
#include "support/TestFolder.h"

class DataTablesRig {
 public:
  DataTablesRig() : folder_(true) { kernel_.FindProgramFolder(); }
  ~DataTablesRig() { Hack::FreeTables(); }

 private:
  TestFolder folder_;
  GKernel kernel_;
};
