#pragma once
#include "framework/core/GObject.h"
#include "framework/core/GString255.h"

// One file of a folder listing (GKernel::ListFiles): its name and its full path, and the
// game-file header the game-file list read for it (set by ReadListedGameFile; the header
// belongs to the group it was collected in, not to the entry).
class GFileEntry : public GObject {
 public:
  GFileEntry() = default;
  ~GFileEntry() override = default;

  GObject* header = nullptr;
  GString255 name;  // the name only
  GString255 path;  // program folder, folder and name
};

// How the game-file list reads a listed file's header: a new header object read from the
// file (opened for plain reading), or null when the file's header cannot be read (nothing is
// left over then). The application installs it; with none installed no header can be read.
using GameFileHeaderReader = GObject* (*)(GFile& file);
void SetGameFileHeaderReader(GameFileHeaderReader reader);

// The predicate with which the game-file list filters a listing (GObjectGroup::RemoveIf,
// target: the GGroup that collects the headers): true (drop the entry) when the entry's file
// cannot be opened or its header cannot be read, each logged with the file's name; otherwise
// the header is kept in the entry and appended to the target group, and the entry stays.
bool ReadListedGameFile(GObject* entry, void* target);
