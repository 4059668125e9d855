#pragma once

class GFile;
class GObject;

// The game-file list's header reading until the application reads game files itself: the
// kernel's listing filter (ReadListedGameFile) calls it through the hook that
// InstallGameFileHeaderReader sets.

// A new GameFileHeader read from the file, or null when its header cannot be read.
GObject* ReadListedGameFileHeader(GFile& file);
// Makes ReadListedGameFileHeader the kernel's header reader; the application calls it once
// before its first game-file list.
void InstallGameFileHeaderReader();
