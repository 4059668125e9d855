#pragma once
#include <string>

class HeadlessBattle;

// Reads a game file (a scenario or saved game, ".wrb") into a headless battle and prepares its
// battle for play as the battle screen prepares a battle it opens: sight, strength ratios and
// score shares. An operation the file holds is dropped; false, with the headless battle as it
// was, when the file cannot be read or holds no battle.
bool LoadGameFileForPlay(HeadlessBattle& headless, const std::string& path);
