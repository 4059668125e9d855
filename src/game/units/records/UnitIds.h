#pragma once
#include <cstdint>

class GFile;
class MapBattleServices;
class Unit;

// Units referred to in files by packed id: 0 none, list index + 1 for a unit of the battle's
// unit group, (side + 1) x 10000 + group x 500 + index for a unit waiting in a reinforcement
// group.

// The packed id of a unit, 0 for none. A unit found neither in the battle nor in its
// reinforcement groups is logged ("WriteUnitID Error", its side word and designation) and
// given 0: the reference is dropped rather than the saving stopped. A unit the id scheme
// cannot name (the 10,000th of the unit group and later, a group past the 20th or a unit past
// the 500th of its group) is logged and gives -1.
int16_t PackedUnitId(const Unit* unit);
// Writes the packed id of a unit as an i16; for a unit beyond the id scheme it raises the
// file's error flag (and writes 0), so the caller refuses the file it was writing.
void WriteUnitID(GFile& file, const Unit* unit);
// Reads a packed id (i16, sign-extended), unresolved.
int16_t ReadObjectRef(GFile& file);
// Reads a packed id and resolves it in the current battle; null for 0 and for an id without a
// unit (the caller decides what that means for its file).
Unit* ReadObjectRef(GFile& file, bool resolve);
// The unit of a packed id in the current battle: 1..9999 the unit group's member id - 1,
// from 10000 a unit waiting in a reinforcement group. Null for 0, for an id without a unit
// and without a battle.
Unit* UnitFromId(int32_t id);
// The same in a given battle or operation (null: none).
Unit* UnitFromId(MapBattleServices* battle, int32_t id);
// The first unit of the battle whose identity key is the key; null for 0 and for a key
// without a unit.
Unit* FindUnitByIdentity(MapBattleServices* battle, uint32_t key);

// Makes a blank unit of one kind for reading; each kind class registers its own.
using BlankUnitMaker = Unit* (*)();
// Registers (or with null removes) the blank maker of kind 0..3; another kind is fatal.
void RegisterBlankUnitMaker(int32_t kind, BlankUnitMaker maker);
// Reads one unit record: the kind byte, then a new unit of that kind reads itself. A kind
// outside 0..3 or a record the unit refuses raises the file's error flag (one log line) and
// gives null; the caller refuses the file. The unit is the caller's.
Unit* ReadUnit(GFile& file);
