#pragma once
#include <cstdint>
#include <vector>

class Unit;

// The nationality code most of a side's units among units hold (vehicles of kind code 5 not
// counted), after the side's codes are folded together; 6 (side 0) or 0 (side 1) when none.
int32_t MainNationalityOf(const std::vector<Unit*>& units, int32_t sideIndex);
