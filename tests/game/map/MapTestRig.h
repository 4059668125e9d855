#pragma once
// The map tests' rig: the test world, a program folder for the error log, and quick ways to
// write a map to bytes and read bytes into a new map.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "MapTestWorld.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GFileTestSupport.h"
#include "game/map/Map.h"
#include "support/TestFolder.h"

using Bytes = std::vector<uint8_t>;

class MapRig {
 public:
  Bytes Write(const Map& map) {
    {
      auto file = files.Open("write.map", GFile::kModeWrite);
      map.Write(*file);
    }
    return files.Get("write.map");
  }

  // Reads the bytes into a new map; ok tells whether it was accepted. A refused file must
  // have its error flag raised.
  std::unique_ptr<Map> Read(const Bytes& bytes, bool* ok = nullptr) {
    files.Put("read.map", bytes);
    auto file = files.Open("read.map", GFile::kModeRead);
    auto map = std::make_unique<Map>(app);
    bool accepted = map->Read(file.get());
    if (!accepted) {
      EXPECT_TRUE(file->HasError());
    }
    if (ok) {
      *ok = accepted;
    } else {
      EXPECT_TRUE(accepted);
    }
    return map;
  }

  // A flat new map of w x h tiles at level 2, edited, written and read back with every pass.
  std::unique_ptr<Map> Build(int32_t w, int32_t h, const std::function<void(Map&)>& edit = nullptr) {
    Map map(app);
    EXPECT_TRUE(map.NewMap(static_cast<float>(w) * 20.0f, static_cast<float>(h) * 20.0f, nullptr));
    if (edit) edit(map);
    return Read(Write(map));
  }

  // The default map (no stream) of the given size.
  std::unique_ptr<Map> Default(int32_t w = 40, int32_t h = 40) {
    auto map = std::make_unique<Map>(app);
    map->size.tilesX = w;
    map->size.tilesY = h;
    EXPECT_TRUE(map->Read(nullptr));
    return map;
  }

  // The log so far; the next line starts a new log.
  std::vector<std::string> Log() const {
    auto lines = logFolder.LogLines();
    GErrorLog::ResetForTests();
    return lines;
  }

  TestFolder logFolder{true};
  GFileTestFolder files;
  FakeApp app;
};

// Height of a whole number of levels on a map of the default height scale.
inline float Levels(float n) { return n * 2.5f; }
