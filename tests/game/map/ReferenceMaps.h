#pragma once
#include <memory>
#include <string>

#include "MapTestWorld.h"

// The reference battle maps the build writes into its maps folder (tools/make_reference_map):
// ref250, ref250busy and ref248, each with a summary of what it holds. The map tests'
// regression guards and the map benchmark read them through these helpers.

// The file of a reference map by name ("ref250"), and its summary ("ref250.txt").
std::string ReferenceMapPath(const std::string& name);
std::string ReferenceSummaryPath(const std::string& name);
// The stored bytes of a file; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);
// Reads a reference map with every set-up pass into a new map of the application; null when
// the file is missing or refused.
std::unique_ptr<Map> LoadReferenceMap(FakeApp& app, const std::string& name);
// The stored form of a map, as Map::Write gives it.
std::string WrittenBytes(const Map& map);
// A number of a reference map's summary by its key ("building_list"); -1 when absent.
int32_t ReferenceSummaryValue(const std::string& name, const std::string& key);
