// The vehicle models' contact sheet: every slot drawn by the game's own model routines on the
// software device, headless, from three angles (the right side, nearly orthographic; the front
// three-quarter from 30 degrees above; the top) in 192 x 144 cells, labelled with its slot and
// the vehicle its source depicts. Each view shows the whole model: one that leaves the usual
// frame (a trailer, a long gun) is drawn smaller, centred on what it draws. One sheet per batch
// of slots and one of all, as BMP files whose bytes are the same on every run.
//   model_sheet <models-directory> <output-directory> --entries
//   model_sheet <models-directory> <output-directory> --textures <bitmap-folder> <tables-folder> [snow]
// Either form may end in "--only <sheet>" (a file name such as models-b.bmp): only that sheet is
// drawn, which the tool's tests use to check a run's bytes without drawing every slot twice.
// --entries paints each texture entry in a flat colour of its own, so the groups of a model can
// be told apart. --textures draws each slot with the bitmaps the data tables give it, as the game
// loads them (entry 0 the running gear of the first class using the slot, entries 1 to 16 the
// model's texture numbers; snow: their snow forms, 10000 above); an entry the tables leave empty
// is drawn in magenta.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <memory>
#include <string>
#include <vector>

#include "ModelContract.h"
#include "ModelSource.h"
#include "Painter.h"
#include "framework/core/GErrorLog.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "framework/media/GGraph3DTexture.h"
#include "game/models/VehicleModelProgram.h"
#include "game/models/VehicleModelTable.h"
#include "platform/PBitmapFile.h"
#include "platform/PPath.h"
#include "platform/PSoft3DDevice.h"
#include "platform/PSurface.h"

namespace {

constexpr int32_t kCellWidth = 192;
constexpr int32_t kCellHeight = 144;
constexpr int32_t kSlotsPerRow = 4;
constexpr int32_t kEntries = 17;

// A texture of one colour.
class FlatTexture : public GGraph3DTexture {
 public:
  explicit FlatTexture(uint32_t rgb) : surface_(8, 8, PPixelFormat::kARGB1555) {
    const uint16_t pixel = static_cast<uint16_t>(PBitmapFile::ToPixel(rgb, PPixelFormat::kARGB1555) | 0x8000u);
    for (int32_t y = 0; y < 8; ++y)
      for (int32_t x = 0; x < 8; ++x) surface_.Row16(y)[x] = pixel;
  }
  const PSurface* GetTexture() const override { return &surface_; }

 private:
  PSurface surface_;
};

// The colours of the entries: the track, then hull, turret, gun and barrel roles, then details.
constexpr uint32_t kEntryColours[kEntries] = {0x383838, 0x7a8a3a, 0xb0a060, 0xc04030, 0x3060c0, 0x202020,
                                              0x60a0a0, 0xa060a0, 0xe0c020, 0x40c060, 0xd08040, 0x8080e0,
                                              0xe0e0e0, 0x905020, 0x20a0e0, 0xe06090, 0x50f0b0};

// A bitmap as the graphics store makes a texture of it: ARGB1555, magenta transparent.
class BitmapTexture : public GGraph3DTexture {
 public:
  explicit BitmapTexture(const PBitmapFile::Image& image) : surface_(image.width, image.height, PPixelFormat::kARGB1555) {
    for (int32_t y = 0; y < image.height; ++y)
      for (int32_t x = 0; x < image.width; ++x) {
        const uint32_t rgb = image.pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)];
        surface_.Row16(y)[x] =
            rgb == 0xFF00FF ? 0 : static_cast<uint16_t>(PBitmapFile::ToPixel(rgb, PPixelFormat::kARGB1555) | 0x8000u);
      }
  }
  const PSurface* GetTexture() const override { return &surface_; }

 private:
  PSurface surface_;
};

// The textures each entry binds while a slot is drawn.
std::vector<GGraph3DTexture*> gBound(kEntries, nullptr);

void BindFlat(int32_t entry) {
  if (gGraph3D != nullptr && entry >= 0 && entry < kEntries) gGraph3D->SetTexture(gBound[static_cast<size_t>(entry)]);
}

// The records of a data table source, each as its keys and values.
std::vector<std::map<std::string, std::string>> TableRecords(const std::string& path) {
  std::vector<std::map<std::string, std::string>> records;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    const size_t equals = line.find(" = ");
    if (line.empty() || line[0] == '#' || equals == std::string::npos) continue;
    if (line.compare(0, equals, "record") == 0) records.emplace_back();
    if (!records.empty()) records.back()[line.substr(0, equals)] = line.substr(equals + 3);
  }
  return records;
}

// Each slot's texture numbers by entry, as the game loads them; false when a table cannot be read.
bool SlotTextureNumbers(const std::string& tables, bool snow, std::vector<std::array<int32_t, kEntries>>& out) {
  const auto models = TableRecords(tables + "/vehicle_models.txt");
  const auto classes = TableRecords(tables + "/vehicles.txt");
  if (models.size() != static_cast<size_t>(VehicleModelTable::kSlots) || classes.empty()) return false;
  out.assign(models.size(), {});
  std::vector<bool> geared(models.size(), false);
  for (const auto& c : classes) {
    const auto model = c.find("model"), kind = c.find("kind"), flags = c.find("flags");
    if (model == c.end() || kind == c.end()) return false;
    const size_t slot = static_cast<size_t>(std::atoi(model->second.c_str()));
    if (slot >= out.size() || geared[slot]) continue;
    geared[slot] = true;
    const int32_t k = std::atoi(kind->second.c_str());
    const long f = flags == c.end() ? 0 : std::strtol(flags->second.c_str(), nullptr, 0);
    out[slot][0] = (k >= 0 && k <= 2 ? 4026 : (f & 0x1000) != 0 ? 4023 : 4020) + (snow ? 2 : 0);
  }
  for (size_t slot = 0; slot < models.size(); ++slot) {
    if (!geared[slot]) out[slot][0] = snow ? 4022 : 4020;
    std::istringstream numbers((models[slot].count("textures") ? models[slot].at("textures") : "") + " " +
                               (models[slot].count("extra_textures") ? models[slot].at("extra_textures") : ""));
    int32_t n = 0;
    for (size_t entry = 1; entry < kEntries && numbers >> n; ++entry) out[slot][entry] = n > 0 && snow ? n + 10000 : n;
  }
  return true;
}

struct NoHost {
  void DrawMuzzleFlash(float, float, float, float) {}
  void TranslateRecoil(float) {}
};

// Where a view looks and how much it takes in. The side and top views are all but orthographic:
// a far eye and a narrow field, looking at (a, b) on the view's own axes (side: model y to the
// right and z up; top: x to the right and y up) and taking in `across` model units across the
// cell. The front three-quarter view looks from `distance` away, 30 degrees above.
struct ViewFrame {
  float a = 0.0f, b = 0.0f;
  float across = 0.36f;
  float distance = 0.8f;
};

// The usual frames: 0.36 model units across, about (y, z) = (0.02, 0.08) from the side and
// (x, y) = (0, 0.02) from above.
ViewFrame UsualFrame(int32_t view) {
  ViewFrame f;
  if (view == 0) {
    f.a = 0.02f;
    f.b = 0.08f;
  } else if (view == 2) {
    f.b = 0.02f;
  }
  return f;
}

void SetView(GGraph3D& g, int32_t view, const ViewFrame& f) {
  constexpr float kFar = 20.0f;
  const float narrow = 2.0f * std::atan(0.5f * f.across / kFar) * 57.29578f;
  switch (view) {
    case 0:
      g.SetProjection(0, 0, kCellWidth, kCellHeight, narrow, kFar - 1.0f, kFar + 1.0f);
      g.LookAt(kFar, f.a, f.b, 0.0f, f.a, f.b, 0.0f, 0.0f, 1.0f);
      break;
    case 1: {
      const float d = f.distance, up = 30.0f / 57.29578f, round = 45.0f / 57.29578f;
      g.SetProjection(0, 0, kCellWidth, kCellHeight, 30.0f, 0.1f, d + 2.2f);
      g.LookAt(d * std::cos(up) * std::sin(round), d * std::cos(up) * std::cos(round), 0.05f + d * std::sin(up), 0.0f,
               0.0f, 0.05f, 0.0f, 0.0f, 1.0f);
      break;
    }
    default:
      g.SetProjection(0, 0, kCellWidth, kCellHeight, narrow, kFar - 1.0f, kFar + 1.0f);
      g.LookAt(f.a, f.b, kFar, f.a, f.b, 0.0f, 0.0f, 1.0f, 0.0f);
      break;
  }
}

const uint16_t kBackground = static_cast<uint16_t>(PBitmapFile::ToPixel(0xc8d0c8, PPixelFormat::kRGB565));

// Draws one view of a slot into the screen.
void RenderView(GGraph3D& g, PSurface& screen, int32_t slot, int32_t view, const ViewFrame& frame) {
  for (int32_t y = 0; y < kCellHeight; ++y)
    for (int32_t x = 0; x < kCellWidth; ++x) screen.Row16(y)[x] = kBackground;
  g.RenderBegin();
  SetView(g, view, frame);
  g.SetColor(1.0f, 1.0f, 1.0f);
  std::array<float, 4> footprint{};
  ModelDrawValues values;
  values.footprint = &footprint;
  values.bind = BindFlat;
  const int32_t routine = VehicleModelTable::RoutineOf(slot);
  RunModelProgram(VehicleModelTable::Program(routine), g, static_cast<NoHost*>(nullptr), values, false,
                  VehicleModelTable::VariantFor(slot, 1));
  g.RenderEnd();
}

// The pixels a drawing covers: columns [left, right) and rows [top, bottom); empty when nothing
// was drawn.
struct PixelBox {
  int32_t left = kCellWidth, top = kCellHeight, right = 0, bottom = 0;
  bool Empty() const { return right <= left; }
};

PixelBox DrawnBox(const PSurface& screen) {
  PixelBox box;
  for (int32_t y = 0; y < kCellHeight; ++y)
    for (int32_t x = 0; x < kCellWidth; ++x)
      if (screen.Row16(y)[x] != kBackground) {
        box.left = std::min(box.left, x);
        box.right = std::max(box.right, x + 1);
        box.top = std::min(box.top, y);
        box.bottom = std::max(box.bottom, y + 1);
      }
  return box;
}

// The part of a cell a whole model should lie in: clear of the edges, and below the label.
constexpr int32_t kMargin = 3;
constexpr int32_t kLabelRows = 14;

bool Inside(const PixelBox& box) {
  return box.Empty() || (box.left >= kMargin && box.right <= kCellWidth - kMargin && box.top >= kLabelRows &&
                         box.bottom <= kCellHeight - kMargin);
}

// What a side or top view drew, on the view's axes (a to the right, b up) in model units.
struct Extent {
  float aLow, aHigh, bLow, bHigh;
};

Extent ExtentOf(const PixelBox& box, const ViewFrame& f) {
  const float unit = f.across / kCellWidth, halfWidth = 0.5f * kCellWidth, halfHeight = 0.5f * kCellHeight;
  return {f.a + (box.left - halfWidth) * unit, f.a + (box.right - halfWidth) * unit,
          f.b - (box.bottom - halfHeight) * unit, f.b - (box.top - halfHeight) * unit};
}

// The side or top frame, no closer than the usual, that holds an extent in the usable part.
ViewFrame Holding(const Extent& e, const ViewFrame& usual) {
  const float usableWidth = kCellWidth - 2.0f * kMargin, usableHeight = kCellHeight - kLabelRows - kMargin;
  ViewFrame f = usual;
  f.across = std::max(usual.across, kCellWidth * std::max((e.aHigh - e.aLow) / usableWidth, (e.bHigh - e.bLow) / usableHeight));
  f.a = 0.5f * (e.aLow + e.aHigh);
  // The usable rows' middle lies below the cell's.
  f.b = 0.5f * (e.bLow + e.bHigh) + 0.5f * (kLabelRows - kMargin) * f.across / kCellWidth;
  return f;
}

// The frame that shows the whole of a slot in one view: the usual frame where the model fits in
// it, else one as near the usual as holds it all (a trailer, a long gun). The model is drawn
// first from twice as far to find where it lies, then in the frame chosen, which draws back
// until nothing reaches the cell's margins (a thin barrel may slip between the far drawing's
// pixels). The flat colours are bound meanwhile, so no texel of a skin can pass for the
// background.
ViewFrame FitView(GGraph3D& g, PSurface& screen, int32_t slot, int32_t view,
                  const std::vector<GGraph3DTexture*>& flat) {
  constexpr float kProbe = 2.0f;
  const std::vector<GGraph3DTexture*> bound = gBound;
  gBound = flat;
  const ViewFrame usual = UsualFrame(view);
  ViewFrame f = usual;
  RenderView(g, screen, slot, view, f);
  PixelBox box = DrawnBox(screen);
  if (!Inside(box)) {
    ViewFrame probe = usual;
    probe.across *= kProbe;
    probe.distance *= kProbe;
    RenderView(g, screen, slot, view, probe);
    const PixelBox far = DrawnBox(screen);
    if (view == 1) {
      // Seen in perspective, the drawing shrinks about as the eye draws back.
      const float halfWidth = 0.5f * kCellWidth, halfHeight = 0.5f * kCellHeight;
      const float reach = std::max({(halfWidth - far.left) / (halfWidth - kMargin), (far.right - halfWidth) / (halfWidth - kMargin),
                                    (halfHeight - far.top) / (halfHeight - kLabelRows),
                                    (far.bottom - halfHeight) / (halfHeight - kMargin)});
      f.distance = std::max(usual.distance, probe.distance * reach);
    } else {
      f = Holding(ExtentOf(far, probe), usual);
    }
    for (int32_t tries = 0; tries < 12; ++tries) {
      RenderView(g, screen, slot, view, f);
      box = DrawnBox(screen);
      if (Inside(box)) break;
      f.distance *= 1.05f;
      if (view != 1) {
        // Hold what this drawing reached, a little more on the sides it was cut at.
        Extent e = ExtentOf(box, f);
        const float grow = 0.05f * f.across;
        if (box.left < kMargin) e.aLow -= grow;
        if (box.right > kCellWidth - kMargin) e.aHigh += grow;
        if (box.top < kLabelRows) e.bHigh += grow;
        if (box.bottom > kCellHeight - kMargin) e.bLow -= grow;
        f = Holding(e, usual);
      }
    }
  }
  gBound = bound;
  return f;
}

// Draws one view of a slot, the whole model in the cell, and copies it into the sheet at (left,
// top).
void DrawCell(GGraph3D& g, PSurface& screen, int32_t slot, int32_t view, const std::vector<GGraph3DTexture*>& flat,
              std::vector<uint32_t>& sheet, int32_t sheetWidth, int32_t left, int32_t top) {
  RenderView(g, screen, slot, view, FitView(g, screen, slot, view, flat));
  for (int32_t y = 0; y < kCellHeight; ++y)
    for (int32_t x = 0; x < kCellWidth; ++x) {
      const uint16_t p = screen.Row16(y)[x];
      const uint32_t r = (p >> 11) & 31u, gr = (p >> 5) & 63u, b = p & 31u;
      sheet[static_cast<size_t>(top + y) * static_cast<size_t>(sheetWidth) + static_cast<size_t>(left + x)] =
          ((r << 3 | r >> 2) << 16) | ((gr << 2 | gr >> 4) << 8) | (b << 3 | b >> 2);
    }
}

int DrawSheets(int argc, char** argv, bool textured, const std::string& only) {
  const std::string dir = argv[1], out = argv[2];
  std::vector<std::array<int32_t, kEntries>> slotNumbers;
  if (textured && !SlotTextureNumbers(argv[5], argc == 7, slotNumbers)) {
    std::fprintf(stderr, "%s: the vehicle tables cannot be read\n", argv[5]);
    return 1;
  }
  std::string text;
  std::vector<ModelContract> contracts;
  std::string error;
  if (!ReadModelFile(dir + "/contract.txt", text) || !ReadModelContracts(text, "contract.txt", contracts, error)) {
    std::fprintf(stderr, "%s\n", error.empty() ? "contract.txt cannot be read" : error.c_str());
    return 1;
  }
  // Each slot's label: its number and the vehicle its source depicts.
  std::vector<std::string> labels(VehicleModelTable::kSlots);
  for (int32_t slot = 0; slot < VehicleModelTable::kSlots; ++slot) labels[static_cast<size_t>(slot)] = std::to_string(slot);
  std::vector<int32_t> firstHalf;
  const ModelPartLoader load = ModelDirectoryLoader(dir);
  for (const ModelContract& c : contracts) {
    ModelRecord record;
    ModelSourceInfo info;
    std::string source;
    if (!ReadModelFile(dir + "/" + ModelSourceName(c), source)) continue;
    if (!CompileModelSource(source, ModelSourceName(c), c, contracts, load, record, &info).empty()) continue;
    for (int32_t slot : c.slots) {
      if (!info.depicts.empty()) labels[static_cast<size_t>(slot)] += "  " + info.depicts.front().name;
      if (c.firstHalf) firstHalf.push_back(slot);
    }
  }
  std::sort(firstHalf.begin(), firstHalf.end());
  std::vector<std::pair<std::string, std::vector<int32_t>>> sheets = {
      {"models-first-half.bmp", firstHalf},
      {"models-b.bmp", {35, 36, 46, 50, 51, 52, 53, 54, 55}},
      {"models-c.bmp", {37, 38, 39, 41, 42, 43, 44, 45, 49}},
      {"models-d.bmp", {40, 56, 58, 59, 62, 63, 66, 67, 70, 77}},
      {"models-e.bmp", {60, 68, 69, 71, 72, 73, 74, 75, 76, 78, 79}},
      {"models-f.bmp", {64, 65, 81, 82, 83, 84, 85, 91, 92}},
      {"models-g.bmp", {57, 61, 80, 86, 87, 88, 89, 90, 93, 94, 95}},
      {"models-all.bmp", {}}};
  for (int32_t slot = 0; slot < VehicleModelTable::kSlots; ++slot) sheets.back().second.push_back(slot);
  if (!only.empty()) {
    std::erase_if(sheets, [&](const auto& sheet) { return sheet.first != only; });
    if (sheets.empty()) {
      std::fprintf(stderr, "%s: there is no such sheet\n", only.c_str());
      return 1;
    }
  }

  PSurface screen(kCellWidth, kCellHeight, PPixelFormat::kRGB565);
  PSoft3DDevice device(&screen, 1);
  GGraph3DHost host(&device, &screen);
  GGraph3D g(&host);
  gGraph3D = &g;
  if (!g.Init3D()) {
    std::fprintf(stderr, "the software renderer does not start\n");
    return 1;
  }
  std::vector<std::unique_ptr<FlatTexture>> textures;
  for (uint32_t c : kEntryColours) textures.push_back(std::make_unique<FlatTexture>(c));
  std::vector<GGraph3DTexture*> flat;
  for (const auto& texture : textures) flat.push_back(texture.get());
  FlatTexture missing(0xff00ff);
  std::map<int32_t, std::unique_ptr<BitmapTexture>> bitmaps;
  // The slot's textures: the flat colours, or its bitmaps (a snow form falling back to the plain
  // one, as the game's loader does).
  auto bindSlot = [&](int32_t slot) -> bool {
    for (size_t entry = 0; entry < static_cast<size_t>(kEntries); ++entry) {
      if (!textured) {
        gBound[entry] = flat[entry];
        continue;
      }
      const int32_t number = slotNumbers[static_cast<size_t>(slot)][entry];
      gBound[entry] = &missing;
      if (number <= 0) continue;
      auto found = bitmaps.find(number);
      if (found == bitmaps.end()) {
        PBitmapFile::Image image;
        const std::string folder = argv[4];
        if (!PBitmapFile::Load(folder + "/" + std::to_string(number) + ".bmp", image) &&
            !(number > 10000 && PBitmapFile::Load(folder + "/" + std::to_string(number - 10000) + ".bmp", image))) {
          std::fprintf(stderr, "%s/%d.bmp: cannot be read\n", folder.c_str(), number);
          return false;
        }
        found = bitmaps.emplace(number, std::make_unique<BitmapTexture>(image)).first;
      }
      gBound[entry] = found->second.get();
    }
    return true;
  };
  int32_t status = 0;
  for (const auto& [name, slots] : sheets) {
    const int32_t count = static_cast<int32_t>(slots.size());
    const int32_t columns = std::min(count, kSlotsPerRow);
    const int32_t width = columns * 3 * kCellWidth, height = (count + kSlotsPerRow - 1) / kSlotsPerRow * kCellHeight;
    std::vector<uint32_t> sheet(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    for (int32_t i = 0; i < count; ++i) {
      if (!bindSlot(slots[static_cast<size_t>(i)])) return 1;
      for (int32_t view = 0; view < 3; ++view)
        DrawCell(g, screen, slots[static_cast<size_t>(i)], view, flat, sheet, width, (i % kSlotsPerRow * 3 + view) * kCellWidth,
                 i / kSlotsPerRow * kCellHeight);
    }
    Painter painter(width, height);
    std::vector<uint32_t> argb(sheet);
    for (uint32_t& p : argb) p |= 0xff000000u;
    painter.SetArgb(argb);
    for (int32_t i = 0; i < count; ++i)
      painter.Text(labels[static_cast<size_t>(slots[static_cast<size_t>(i)])],
                   static_cast<double>(i % kSlotsPerRow * 3 * kCellWidth + 4), static_cast<double>(i / kSlotsPerRow * kCellHeight + 10),
                   11.0, 3.0 * kCellWidth - 8.0, Painter::Colour{0.05, 0.05, 0.05}, Painter::Face::kSans, -1, false, false);
    const std::vector<uint32_t> pixels = painter.Pixels(false);
    if (!PBitmapFile::WritePixels(pixels.data(), width, height, out + "/" + name)) {
      std::fprintf(stderr, "%s/%s: cannot be written\n", out.c_str(), name.c_str());
      status = 1;
    }
  }
  gGraph3D = nullptr;
  Painter::ReleaseFonts();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  std::string only;
  if (argc >= 6 && std::string(argv[argc - 2]) == "--only") {
    only = argv[argc - 1];
    argc -= 2;
  }
  const bool entries = argc == 4 && std::string(argv[3]) == "--entries";
  const bool textured = (argc == 6 || (argc == 7 && std::string(argv[6]) == "snow")) && std::string(argv[3]) == "--textures";
  if (!entries && !textured) {
    std::fprintf(stderr, "usage: model_sheet models-directory output-directory --entries [--only sheet]\n"
                         "       model_sheet models-directory output-directory --textures bitmap-folder tables-folder [snow]"
                         " [--only sheet]\n");
    return 2;
  }
  // The run's log (the renderer's set-up writes to it) goes into the output folder, not beside
  // the tool, and is kept only when the run failed.
  const std::filesystem::path folder = std::filesystem::absolute(argv[2]);
  PPath::SetProgramFolder(folder.string() + "/");
  const int status = DrawSheets(argc, argv, textured, only);
  GErrorLog::Close();
  if (status == 0) std::filesystem::remove(folder / GErrorLog::kFileName);
  return status;
}
