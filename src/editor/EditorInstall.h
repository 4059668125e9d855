#pragma once

class WRApplication;

// Installs the scenario editor into the application: its commands 57 (and the set-up screens)
// then make and open an EditorState. The program's entry and the test drivers call it.
void InstallEditor(WRApplication& app);
