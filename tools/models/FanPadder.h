#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Chooses the triangles of the fans whose size is not given: every fan 2 to 10, together the
// triangles left after the given ones; the last free fans are filled first. sizes holds one entry a fan, 0 where the size is free. Returns an empty string, or
// why the count cannot be met.
std::string PadFans(std::vector<int32_t>& sizes, int32_t triangles);
