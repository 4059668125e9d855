#pragma once
#include <cstdint>

class GString;
class Map;

// The map's landmarks as the editor names them: at most one per tile.
// The name of the first landmark at the tile; empty when there is none.
void GetLandmarkNameAt(const Map& map, int32_t column, int32_t row, GString& out);
bool HasLandmarkAt(const Map& map, int32_t column, int32_t row);
// An empty name deletes the landmark at the tile (nothing when there is none); another name
// renames it, or appends a new landmark for the tile.
void SetLandmarkAt(Map& map, int32_t column, int32_t row, const GString& name);
