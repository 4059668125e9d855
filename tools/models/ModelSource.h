#pragma once
#include <functional>
#include <string>
#include <vector>

#include "ModelContract.h"
#include "ModelRecord.h"

// A vehicle model source (data/models/NNN.model, named by the routine's lowest slot): the model
// described in metres, compiled into the routine's record and held to its contract.
//
//   model 36                                   the routine's lowest slot, first
//   depicts "<name>" length width height wheels "<source>"   published figures, metres
//   hatch <name> x y z heading turret|hull     a crew hatch, metres and degrees
//   template <form>                            the routine's placeholder (form as the contract's)
//   let <name> = <expression>                  a named value
//   stage hull|variant|turret|gun|barrel       then its groups in the contract's order
//   group <entry>                              then the group's solids
//
// Numbers are expressions without spaces: + - * / and brackets over numbers, named values and
// pins (@footprint.x0 .y0 .x1 .y1, @pivot.x .y .z, @muzzle.x .y .z, @q.x .y .z, in metres).
// A bad line stops the compile with "file:line: slot S, stage, group G: rule (has H, wants W)".

struct ModelDepiction {
  std::string name;
  float length = 0, width = 0, height = 0;  // metres
  int32_t wheels = 0;                      // road wheels a side
  std::string source;
  int32_t line = 0;
};

struct ModelHatch {
  std::string name;
  float x = 0, y = 0, z = 0, heading = 0;  // model units and degrees
  bool turret = false;
  int32_t line = 0;
};

struct ModelSourceInfo {
  int32_t slot = -1;
  bool isTemplate = false;
  std::vector<ModelDepiction> depicts;
  std::vector<ModelHatch> hatches;
};

// Reads a shared part ("parts/...") for use; false when it cannot be read.
using ModelPartLoader = std::function<bool(const std::string& path, std::string& text)>;

// Compiles one source for its routine's contract (all: every contract, for routines shared).
// Returns an empty string, or the error in the form above.
std::string CompileModelSource(const std::string& text, const std::string& name, const ModelContract& contract,
                               const std::vector<ModelContract>& all, const ModelPartLoader& load,
                               ModelRecord& record, ModelSourceInfo* info = nullptr);

// The file a routine's source lives in: its lowest slot in three digits, "036.model".
std::string ModelSourceName(const ModelContract& contract);
