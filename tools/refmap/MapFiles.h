#pragma once
#include <memory>
#include <string>

class GFile;
class Map;

// A map written to and read from a file on disk, as the map tools keep their maps.
class MapFiles {
 public:
  // The file opened for writing (created anew) or reading; null when it cannot be.
  static std::unique_ptr<GFile> Open(const std::string& path, bool write);
  // False when the file cannot be written whole.
  static bool Write(const Map& map, const std::string& path);
  // False when the file cannot be opened or the map refuses it.
  static bool Read(Map& map, const std::string& path);
};
