#pragma once
#include <cstdint>

class Unit;

// Nationality codes, kind groups, figure styles, weapon groups and the unit factory.

// Kind group 0..5 of a nationality code 0..18; another code is fatal.
int32_t KindGroup(int32_t code);
// The first nationality code of a kind group; another group is fatal.
int32_t KindGroupFirstCode(int32_t group);
// The figure style 0..26 a nationality shows; flag A is tested before flag B. Another code
// is fatal.
int32_t FigureStyleIndex(int32_t code, bool flagA, bool flagB);
// 0 below weapon 25, 1 for 25 to 28, 2 from 29.
int32_t WeaponGroupOf(int32_t weapon);
// 0 when n < 1 or the editor is open; else by (a + b) mod n: 2 for 0, 1 for 1 when n > 2,
// else 0.
int32_t RotationPhase(int32_t a, int32_t n, int32_t b);

// Makes and initialises a unit of one kind; each kind class registers its own.
using UnitMaker = Unit* (*)(int32_t classIndex, int32_t code, int32_t flag);
// Registers (or with null removes) the maker of kind 0..3; another kind is fatal.
void RegisterUnitMaker(int32_t kind, UnitMaker maker);
// A new unit of kind 0..3 (owned by the caller). A kind outside 0..3, or one without a
// maker, is fatal.
Unit* CreateUnit(int32_t kind, int32_t classIndex, int32_t code, int32_t flag);
