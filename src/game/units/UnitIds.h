#pragma once
#include <cstdint>

class GFile;
class Unit;

// Units referred to in files by packed id: 0 none, list index + 1 for a unit of the battle's
// unit group, (side + 1) x 10000 + group x 500 + index for a unit waiting in a reinforcement
// group.

// The packed id of a unit, 0 for none. A unit found neither in the battle nor in its
// reinforcement groups is logged ("WriteUnitID Error", its side word and designation) and
// given 0: the reference is dropped rather than the saving stopped.
int16_t PackedUnitId(const Unit* unit);
// Writes the packed id of a unit as an i16.
void WriteUnitID(GFile& file, const Unit* unit);
// Reads a packed id (i16, sign-extended), unresolved.
int16_t ReadObjectRef(GFile& file);
