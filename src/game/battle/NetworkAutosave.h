#pragma once

class MapAppServices;

// The TCP/IP game's connection type.
inline constexpr int NetworkConnectionTcpIp = 2;

// In TCP/IP play the game is saved at each GO of the orders phase and at the start of each
// orders phase, so that a lost connection can be resumed from the autosave. Writing a file
// draws letters for its temporary name: the game's draws stay as they were.
void NetworkAutosave(MapAppServices& app);
