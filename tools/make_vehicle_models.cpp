// Makes the vehicle models: reads the drawing contract, makes each routine's placeholder from its
// block, checks it with the validator and writes the records as C++ source. A malformed contract
// row or a model that breaks its contract stops the build, and nothing is written.
//   make_vehicle_models data/models/contract.txt out/VehicleModelGeometry.cpp
#include <cstdio>
#include <fstream>
#include <sstream>

#include "ModelContract.h"
#include "ModelEmitter.h"
#include "ModelValidator.h"
#include "PlaceholderMaker.h"
#include "game/models/VehicleModelGeometry.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_vehicle_models contract.txt VehicleModelGeometry.cpp\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "%s: cannot be read\n", argv[1]);
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  std::vector<ModelContract> contracts;
  std::string error;
  if (!ReadModelContracts(text.str(), argv[1], contracts, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  if (contracts.size() != static_cast<size_t>(VehicleModelGeometry::kCount)) {
    std::fprintf(stderr, "%s: %zu routines, not %d\n", argv[1], contracts.size(), VehicleModelGeometry::kCount);
    return 1;
  }
  std::vector<ModelRecord> records(contracts.size());
  for (size_t i = 0; i < contracts.size(); ++i) {
    std::string why = MakePlaceholder(contracts[i], records[i], &contracts);
    if (!why.empty()) why = "routine " + std::to_string(contracts[i].routine) + ": " + why;
    if (why.empty()) why = ValidateModel(contracts[i], records[i].View());
    if (!why.empty()) {
      std::fprintf(stderr, "%s\n", why.c_str());
      return 1;
    }
  }
  std::vector<ModelProgram> programs;
  for (const ModelRecord& r : records) programs.push_back(r.View());
  if (const std::string why = ValidateSharing(contracts, programs); !why.empty()) {
    std::fprintf(stderr, "%s\n", why.c_str());
    return 1;
  }
  const std::string source = EmitVehicleModels(records);
  std::ifstream old(argv[2], std::ios::binary);
  std::stringstream before;
  if (old) before << old.rdbuf();
  if (before.str() == source) return 0;
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << source;
  if (!out) {
    std::fprintf(stderr, "%s: cannot be written\n", argv[2]);
    return 1;
  }
  return 0;
}
