#pragma once
#include <string>
#include <vector>

#include "ModelContract.h"
#include "ModelRecord.h"

// A compiled model as JSON, for reading and comparing models: its slot, then its steps in drawing
// order, each with its operation, its figures (triangles, texture entry, strip side and sign,
// constants) and, for a primitive, its positions and texture coordinates.
std::string DumpModelJson(const ModelRecord& record, int32_t slot);

// The fans of exactly two triangles a compiled model draws, in every stage and variant part.
int32_t CountQuadFans(const ModelRecord& record);

// The first half's running figure: the two-triangle fans its authored routines draw (a routine
// counted once, however many slots it serves), toward the total the half reaches once every
// routine of it is authored.
struct HalfQuadFans {
  static constexpr int32_t kTarget = 3027;
  int32_t fans = 0;
  int32_t authored = 0;  // routines of the half with a source of their own
  int32_t routines = 0;  // routines of the half
};
// records and authored run in step with contracts.
HalfQuadFans CountHalfQuadFans(const std::vector<ModelContract>& contracts, const std::vector<ModelRecord>& records,
                               const std::vector<bool>& authored);
// "first half: 1204 of 3027 two-triangle fans (17 of 38 routines authored)"
std::string HalfQuadFanReport(const HalfQuadFans& count);
