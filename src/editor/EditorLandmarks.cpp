// The editor's reading and naming of the map's landmarks.
#include "editor/EditorLandmarks.h"

#include "framework/core/GString.h"
#include "game/map/Landmark.h"
#include "game/map/Map.h"

namespace {

Landmark* FindLandmark(const Map& map, int32_t column, int32_t row) {
  const GObjectGroup& list = map.objects.landmarks;
  for (int32_t i = 0; i < list.Count(); ++i) {
    auto* landmark = dynamic_cast<Landmark*>(list.GetItem(i));
    if (landmark != nullptr && landmark->tileX == column && landmark->tileY == row) return landmark;
  }
  return nullptr;
}

}  // namespace

void GetLandmarkNameAt(const Map& map, int32_t column, int32_t row, GString& out) {
  const Landmark* landmark = FindLandmark(map, column, row);
  if (landmark == nullptr) {
    out.Clear();
    return;
  }
  out.AssignString(landmark->name);
}

bool HasLandmarkAt(const Map& map, int32_t column, int32_t row) {
  const Landmark* landmark = FindLandmark(map, column, row);
  return landmark != nullptr && landmark->name.Length() > 0;
}

void SetLandmarkAt(Map& map, int32_t column, int32_t row, const GString& name) {
  Landmark* landmark = FindLandmark(map, column, row);
  if (name.Length() == 0) {
    if (landmark != nullptr) map.objects.landmarks.Remove(landmark, true);
    return;
  }
  if (landmark != nullptr) {
    landmark->name.AssignString(name);
    return;
  }
  map.objects.landmarks.Append(new Landmark(column, row, name.CStr()));
}
