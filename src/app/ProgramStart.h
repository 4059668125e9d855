#pragma once
#include <functional>

class WRApplication;

// Creates the application object and starts the kernel with it; returns when the kernel's
// main loop has ended. Called once, after the kernel's start-up succeeded. The preparation,
// when given, sees the application before the kernel starts it (the program's entry installs
// the editor there).
void ProgramStart(const std::function<void(WRApplication&)>& prepare = nullptr);
