// Draws the program's interface bitmaps from the bitmap catalogue:
//   make_bitmaps <catalogue> <folder>          every row with a recipe as <folder>/<number>.bmp,
//                                              contact-ui.bmp (the 2-D pictures),
//                                              contact-textures.bmp (the 3-D textures) and
//                                              contact-skins.bmp (the vehicle skins and their
//                                              snow forms), all of them with numbers
//   make_bitmaps --table <catalogue> <out.cpp> the catalogue as a table the tests link
// The whole catalogue is read and checked before anything is written; a bad row stops the run
// with "file:line: reason". Each file is written under a temporary name and then renamed, so
// a failed run leaves no half-written bitmap. Nothing depends on the clock or the machine:
// the same catalogue gives the same bytes on every run. The textures are drawn on every core
// (each depends only on its row), then written in the catalogue's order.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "BitmapCatalogue.h"
#include "BitmapRecipes.h"
#include "Painter.h"
#include "framework/core/GErrorLog.h"
#include "platform/PBitmapFile.h"
#include "platform/PPath.h"

namespace {

bool WriteFile(const std::string& path, const std::string& bytes) {
  const std::string temporary = path + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return false;
  }
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

bool WriteTable(const BitmapCatalogue& catalogue, const std::string& path) {
  std::string text =
      "// Made by make_bitmaps --table from the bitmap catalogue; do not edit.\n"
      "#include \"BitmapCatalogueTable.h\"\n\n"
      "const BitmapCatalogueEntry kBitmapCatalogue[] = {\n";
  for (const BitmapCatalogue::Row& row : catalogue.Rows())
    text += "    {" + std::to_string(row.number) + ", " + std::to_string(row.width) + ", " + std::to_string(row.height) +
            ", " + std::to_string(row.strip) + ", " + (row.key ? "true" : "false") + "},\n";
  text += "};\nconst size_t kBitmapCatalogueSize = " + std::to_string(catalogue.Rows().size()) + ";\n";
  return WriteFile(path, text);
}

struct Drawn {
  int32_t number;
  int32_t width;
  int32_t height;
  std::vector<uint32_t> pixels;
};

// Every picture drawn, scaled into cells of a grid with its number under it.
std::vector<uint32_t> ContactSheet(const std::vector<const Drawn*>& pictures, int32_t& width, int32_t& height,
                                   int32_t kColumns, int32_t kCellW, int32_t kCellH) {
  const int32_t kBoxW = kCellW - 10, kBoxH = kCellH - 24;
  const int32_t rows = (static_cast<int32_t>(pictures.size()) + kColumns - 1) / kColumns;
  width = kColumns * kCellW;
  height = std::max(1, rows) * kCellH;
  Painter sheet(width, height);
  cairo_t* cr = sheet.Cr();
  cairo_set_source_rgb(cr, 0.2, 0.21, 0.18);
  cairo_paint(cr);
  for (size_t i = 0; i < pictures.size(); ++i) {
    const Drawn& d = *pictures[i];
    const double cx = static_cast<double>(i % kColumns) * kCellW, cy = static_cast<double>(i / kColumns) * kCellH;
    std::vector<uint32_t> argb(d.pixels.size());
    for (size_t k = 0; k < argb.size(); ++k) argb[k] = 0xFF000000u | d.pixels[k];
    cairo_surface_t* picture = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(argb.data()), CAIRO_FORMAT_RGB24, d.width, d.height, d.width * 4);
    const double scale = std::min({1.0, static_cast<double>(kBoxW) / d.width, static_cast<double>(kBoxH) / d.height});
    const double dw = d.width * scale, dh = d.height * scale;
    cairo_save(cr);
    cairo_translate(cr, std::round(cx + (kCellW - dw) / 2), std::round(cy + 4 + (kBoxH - dh) / 2));
    cairo_scale(cr, scale, scale);
    cairo_set_source_surface(cr, picture, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(picture);
    const std::string caption = std::to_string(d.number) + "  " + std::to_string(d.width) + "x" + std::to_string(d.height);
    sheet.Text(caption, cx + kCellW / 2.0, cy + kCellH - 12, 11, kCellW - 6, {0.95, 0.92, 0.75},
               Painter::Face::kSansBold, 0, false, false);
  }
  return sheet.Pixels(false);
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  Painter::ReleaseFonts();
  return 1;
}

int Make(char** argv, bool table) {
  const std::string catalogueFile = argv[table ? 2 : 1];
  const std::string out = argv[table ? 3 : 2];
  BitmapCatalogue catalogue;
  if (!catalogue.Load(catalogueFile)) return Fail(catalogue.Error());
  const std::string name = BitmapCatalogue::DisplayName(catalogueFile);
  for (const BitmapCatalogue::Row& row : catalogue.Rows()) {
    std::string reason;
    if (!BitmapRecipes::Check(row, reason)) return Fail(name + ":" + std::to_string(row.line) + ": " + reason);
  }
  if (table) {
    if (!WriteTable(catalogue, out)) return Fail(out + " cannot be written");
    return 0;
  }
  std::vector<const BitmapCatalogue::Row*> rows;
  for (const BitmapCatalogue::Row& row : catalogue.Rows())
    if (BitmapRecipes::Draws(row)) rows.push_back(&row);
  std::vector<Drawn> drawn(rows.size());
  // The 2-D pictures use the shared fonts and are drawn here; the textures use none and are
  // shared out among the cores.
  std::vector<size_t> textures;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i]->texture) {
      textures.push_back(i);
      continue;
    }
    drawn[i] = Drawn{rows[i]->number, rows[i]->width, rows[i]->height, BitmapRecipes::Draw(*rows[i], catalogue)};
  }
  const size_t workers = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 8);
  std::vector<std::thread> threads;
  for (size_t w = 0; w < workers; ++w)
    threads.emplace_back([&, w] {
      for (size_t k = w; k < textures.size(); k += workers) {
        const BitmapCatalogue::Row& row = *rows[textures[k]];
        drawn[textures[k]] = Drawn{row.number, row.width, row.height, BitmapRecipes::Draw(row, catalogue)};
      }
    });
  for (std::thread& t : threads) t.join();
  std::vector<const Drawn*> pictures, textureSheet, skinSheet;
  for (size_t i = 0; i < rows.size(); ++i) {
    const Drawn& d = drawn[i];
    const std::string path = out + "/" + std::to_string(d.number) + ".bmp";
    if (!WriteFile(path, PBitmapFile::Encode(d.pixels.data(), d.width, d.height)))
      return Fail(path + " cannot be written");
    const bool skin = d.number % 10000 >= 4100 && d.number % 10000 <= 4899;
    (!rows[i]->texture ? pictures : skin ? skinSheet : textureSheet).push_back(&d);
  }
  int32_t w = 0, h = 0;
  const std::vector<uint32_t> sheet = ContactSheet(pictures, w, h, 12, 170, 140);
  if (!WriteFile(out + "/contact-ui.bmp", PBitmapFile::Encode(sheet.data(), w, h)))
    return Fail(out + "/contact-ui.bmp cannot be written");
  const std::vector<uint32_t> texSheet = ContactSheet(textureSheet, w, h, 36, 110, 96);
  if (!WriteFile(out + "/contact-textures.bmp", PBitmapFile::Encode(texSheet.data(), w, h)))
    return Fail(out + "/contact-textures.bmp cannot be written");
  const std::vector<uint32_t> skins = ContactSheet(skinSheet, w, h, 36, 110, 96);
  if (!WriteFile(out + "/contact-skins.bmp", PBitmapFile::Encode(skins.data(), w, h)))
    return Fail(out + "/contact-skins.bmp cannot be written");
  Painter::ReleaseFonts();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool table = argc == 4 && std::string(argv[1]) == "--table";
  if (argc != 3 && !table) {
    std::fprintf(stderr, "usage: make_bitmaps <catalogue> <folder> | make_bitmaps --table <catalogue> <out.cpp>\n");
    return 2;
  }
  // The run's log (the terrain drawn for the textures writes to it) goes where the output
  // goes, not beside the tool, and is kept only when the run failed.
  const std::filesystem::path out = std::filesystem::absolute(argv[table ? 3 : 2]);
  const std::filesystem::path folder = table ? out.parent_path() : out;
  PPath::SetProgramFolder(folder.string() + "/");
  const int status = Make(argv, table);
  GErrorLog::Close();
  if (status == 0) std::filesystem::remove(folder / GErrorLog::kFileName);
  return status;
}
