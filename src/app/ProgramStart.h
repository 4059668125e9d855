#pragma once

// Creates the application object and starts the kernel with it; returns when the kernel's
// main loop has ended. Called once, after the kernel's start-up succeeded.
void ProgramStart();
