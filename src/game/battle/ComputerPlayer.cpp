#include "game/battle/ComputerPlayer.h"

namespace {
ComputerPlayer* gInstalled = nullptr;
}

ComputerPlayer* ComputerPlayer::Installed() { return gInstalled; }
void ComputerPlayer::Install(ComputerPlayer* planner) { gInstalled = planner; }
