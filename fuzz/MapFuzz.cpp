// Reads arbitrary bytes as a stored battle map, with no kernel and no display: a map that is
// refused must have raised the file's error flag, and there must be no fault, no leak and no
// read out of bounds. A map that is accepted is written, read and written again: the two
// writes must give the same bytes.
//
// An input whose first byte is odd is not read as it is: the rest is laid (exclusive or) over
// a small valid map with a tall building, a bridge, a wall, building damage records, a crater,
// a smoke cloud and a landmark, and whatever goes past its end is appended, so that the checks deep inside a map are reached as often as the first.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "game/map/Building.h"
#include "game/map/Crater.h"
#include "game/map/Landmark.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/map/MapObjectList.h"
#include "game/map/SmokeCloud.h"
#include "platform/PFile.h"
#include "platform/PPath.h"
#include "FuzzFolder.h"
#include "ReferenceMapApp.h"

namespace {

FuzzFolder& Folder() {
  static FuzzFolder folder("mapfuzz");
  return folder;
}

void Put(const std::string& path, const uint8_t* data, size_t size) {
  auto out = PFile::Open(path, PFile::kWrite, PFile::Disposition::kCreateAlways);
  if (!out) std::abort();
  if (size > 0 && out->Write(data, size) != static_cast<int64_t>(size)) std::abort();
}

std::vector<uint8_t> Get(const std::string& path) {
  auto in = PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting);
  if (!in) std::abort();
  std::vector<uint8_t> bytes(static_cast<size_t>(in->Size()));
  if (!bytes.empty() && in->Read(bytes.data(), bytes.size()) != static_cast<int64_t>(bytes.size())) std::abort();
  return bytes;
}

// Reads the file at path into a new map; the map when accepted, else null.
std::unique_ptr<Map> ReadMap(ReferenceMapApp& app, const std::string& path) {
  GFile file;
  if (!file.IFile(PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting), path.c_str(), GFile::kModeRead)) {
    std::abort();
  }
  auto map = std::make_unique<Map>(app);
  bool accepted = map->Read(&file);
  if (!accepted && !file.HasError()) std::abort();
  return accepted ? std::move(map) : nullptr;
}

std::vector<uint8_t> WriteMap(const Map& map, const std::string& path) {
  {
    GFile file;
    if (!file.IFile(PFile::Open(path, PFile::kRead | PFile::kWrite, PFile::Disposition::kCreateAlways), path.c_str(),
                    GFile::kModeWrite)) {
      std::abort();
    }
    map.Write(file);
  }
  return Get(path);
}

// The small valid map that odd inputs are laid over.
const std::vector<uint8_t>& Template(ReferenceMapApp& app, const std::string& folder) {
  static std::vector<uint8_t> bytes;
  if (!bytes.empty()) return bytes;
  Map map(app);
  if (!map.NewMap(60.0f, 40.0f, nullptr)) std::abort();
  map.terrain.tiles.At(1, 1).code = 25;
  map.terrain.tiles.At(0, 0).code = 83;
  map.terrain.tiles.At(1, 0).code = 92;
  map.terrain.tiles.At(2, 1).code = 112;
  map.terrain.tiles.At(2, 0).roadCode = 100;
  map.terrain.tileHeight.At(0, 1) = 10.0f;
  map.fire.state.SetU8(2, 1, 1);
  auto* crater = new Crater;
  crater->x = 30.0f;
  crater->y = 10.0f;
  crater->radius = 1.0f;
  map.objects.craters->Append(crater);
  map.objects.smallObjects->Append(new SmokeCloud(12.0f, 24.0f, 40, 800, 6.0f));
  map.objects.landmarks.Append(new Landmark(1, 0, "Mill"));
  // Buildings exist only once the map is read: read it, damage them, and store that.
  const std::string first = folder + "template-first.map";
  WriteMap(map, first);
  auto read = ReadMap(app, first);
  if (!read || read->objects.buildings->Count() < 2) std::abort();
  auto* tall = static_cast<Building*>(read->objects.buildings->GetItem(0));
  tall->damage = 120.0f;
  tall->Collapse(false, false, 0);
  static_cast<Building*>(read->objects.buildings->GetItem(1))->damage = 3000.0f;
  bytes = WriteMap(*read, folder + "template.map");
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ReferenceMapApp app(4);
  static int32_t runs = 0;
  const std::string& folder = Folder().path;
  // The log grows by a few lines a run: start it anew now and then.
  if (++runs % 512 == 0) GErrorLog::ResetForTests();
  const std::string input = folder + "input.map";
  if (size > 0 && (data[0] & 1) != 0) {
    std::vector<uint8_t> bytes = Template(app, folder);
    const size_t base = bytes.size();
    for (size_t i = 1; i < size; ++i) {
      if (i - 1 < base) bytes[i - 1] ^= data[i];
      else bytes.push_back(data[i]);
    }
    Put(input, bytes.data(), bytes.size());
  } else {
    Put(input, data, size);
  }
  auto map = ReadMap(app, input);
  if (!map) return 0;
  std::vector<uint8_t> first = WriteMap(*map, folder + "first.map");
  auto again = ReadMap(app, folder + "first.map");
  if (!again) std::abort();
  if (WriteMap(*again, folder + "second.map") != first) std::abort();
  return 0;
}
