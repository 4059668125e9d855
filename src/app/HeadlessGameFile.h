#pragma once
#include <string>

class GFile;
class HeadlessBattle;

// Reads a game file (a scenario or saved game, ".wrb") into a headless battle and prepares its
// battle for play as the battle screen prepares a battle it opens: sight, strength ratios and
// score shares. An operation the file holds is dropped; false, with the headless battle as it
// was, when the file cannot be read or holds no battle.
bool LoadGameFileForPlay(HeadlessBattle& headless, const std::string& path);
// The same from a file opened in the game file mode (on a disk or in memory).
bool LoadGameFileForPlay(HeadlessBattle& headless, GFile& file);
