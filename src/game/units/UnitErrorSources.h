#pragma once
// The source names the unit kinds' fatal errors report, one for every file of a kind.
inline constexpr const char* kInfantryFile = "Infantry";
inline constexpr const char* kAirplaneFile = "Airplane";
inline constexpr const char* kInanimateFile = "Inanimate";
