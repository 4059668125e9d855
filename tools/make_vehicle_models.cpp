// Makes the vehicle models: reads the drawing contract and every routine's source in the models
// directory (data/models/NNN.model, named by the routine's lowest slot), compiles each source,
// checks the model against its contract with the validator and writes the records as C++ source.
// A malformed contract row, a bad source line or a model that breaks its contract stops the
// build, and nothing is written. An authored model must name the vehicle it depicts and fit
// that vehicle's published figures.
//   make_vehicle_models data/models out/VehicleModelGeometry.cpp
//   make_vehicle_models data/models --dump <slot|all>   the compiled models as JSON on stdout
// On success it reports the first half's running count of two-triangle fans.
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "ModelContract.h"
#include "ModelDump.h"
#include "ModelEmitter.h"
#include "ModelSource.h"
#include "ModelValidator.h"
#include "game/models/VehicleModelGeometry.h"


int main(int argc, char** argv) {
  const bool dump = argc == 4 && std::string(argv[2]) == "--dump";
  int32_t dumpSlot = -1;  // -1: all
  if (dump && std::string(argv[3]) != "all") {
    char* end = nullptr;
    const long slot = std::strtol(argv[3], &end, 10);
    if (end == argv[3] || *end != '\0' || slot < 0 || slot > 98) {
      std::fprintf(stderr, "--dump takes a slot 0..98 or all\n");
      return 2;
    }
    dumpSlot = static_cast<int32_t>(slot);
  }
  if (argc != 3 && !dump) {
    std::fprintf(stderr, "usage: make_vehicle_models models-directory VehicleModelGeometry.cpp\n"
                         "       make_vehicle_models models-directory --dump <slot|all>\n");
    return 2;
  }
  const std::string dir = argv[1];
  const std::string contractPath = dir + "/contract.txt";
  std::string text;
  if (!ReadModelFile(contractPath, text)) {
    std::fprintf(stderr, "%s: cannot be read\n", contractPath.c_str());
    return 1;
  }
  std::vector<ModelContract> contracts;
  std::string error;
  if (!ReadModelContracts(text, "contract.txt", contracts, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  if (contracts.size() != static_cast<size_t>(VehicleModelGeometry::kCount)) {
    std::fprintf(stderr, "%s: %zu routines, not %d\n", contractPath.c_str(), contracts.size(),
                 VehicleModelGeometry::kCount);
    return 1;
  }
  const ModelPartLoader load = ModelDirectoryLoader(dir);
  std::vector<ModelRecord> records(contracts.size());
  std::vector<bool> authored(contracts.size(), false);
  for (size_t i = 0; i < contracts.size(); ++i) {
    const std::string name = ModelSourceName(contracts[i]);
    std::string source;
    if (!ReadModelFile(dir + "/" + name, source)) {
      std::fprintf(stderr, "%s:1: slot %d: the source cannot be read\n", name.c_str(), contracts[i].slots.front());
      return 1;
    }
    ModelSourceInfo info;
    std::string why = CompileModelSource(source, name, contracts[i], contracts, load, records[i], &info);
    authored[i] = !info.isTemplate;
    if (why.empty()) {
      why = ValidateModel(contracts[i], records[i].View());
      if (!why.empty()) why = name + ":1: slot " + std::to_string(contracts[i].slots.front()) + ": " + why;
    }
    // An authored model names the vehicle it depicts and fits its published figures.
    if (why.empty() && !info.isTemplate && info.depicts.empty())
      why = name + ":1: slot " + std::to_string(contracts[i].slots.front()) + ": an authored model depicts no vehicle";
    for (size_t k = 0; why.empty() && !info.isTemplate && k < info.depicts.size(); ++k)
      why = CheckDepiction(name, contracts[i], records[i].View(), info.depicts[k], info.roadWheels);
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
  if (dump) {
    std::string json = "[\n";
    bool first = true;
    for (size_t i = 0; i < contracts.size(); ++i)
      for (int32_t slot : contracts[i].slots) {
        if (dumpSlot >= 0 && slot != dumpSlot) continue;
        json += first ? "" : ",\n";
        json += DumpModelJson(records[i], slot);
        first = false;
      }
    json += "]\n";
    std::fwrite(json.data(), 1, json.size(), stdout);
    return 0;
  }
  // The report: how far the first half's authored models have come toward its fan figure.
  std::printf("%s\n", HalfQuadFanReport(CountHalfQuadFans(contracts, records, authored)).c_str());
  const std::string output = EmitVehicleModels(records);
  std::string before;
  if (ReadModelFile(argv[2], before) && before == output) return 0;
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << output;
  if (!out) {
    std::fprintf(stderr, "%s: cannot be written\n", argv[2]);
    return 1;
  }
  return 0;
}
