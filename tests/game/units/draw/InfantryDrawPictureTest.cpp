// The soldiers as a picture: seven men side by side, one at each level of detail, and a squad of
// three in each uniform family, drawn on the software device at 320 x 240 with test textures.
// The picture is pinned and the same at one and two drawing threads. With
// TARVANE_SAVE_PICTURES set the pictures are kept as BMP files, and each army's squads at 12,
// 40 and 120 m are drawn in the build's own pictures as well.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "framework/media/GGraphic.h"
#include "framework/media/GGraphicFactory.h"
#include "framework/media/GraphicsTestHost.h"
#include "framework/media/RendererRig.h"
#include "game/units/draw/InfantryDraw.h"
#include "game/units/InfantryRig.h"
#include "platform/PBitmapFile.h"
#include "platform/PPath.h"
#include "support/PixelHash.h"

namespace {

// Bitmaps made on first request: faces in skin with eyes and a mouth, every other picture a
// muted cloth colour from its number with a darker band, so parts can be told apart.
class FigureTextureHost : public GraphicsTestHost {
 public:
  bool IsBitmapExcluded(int32_t number) override {
    std::vector<uint32_t> pixels(32 * 32);
    const auto n = static_cast<uint32_t>(number);
    const uint32_t hash = n * 2654435761u;
    const uint32_t cloth = 0x303020u + ((hash >> 8) & 0x1F1F1Fu);
    for (int32_t y = 0; y < 32; ++y) {
      for (int32_t x = 0; x < 32; ++x) {
        uint32_t c = cloth;
        if (number >= 5100 && number <= 5111) {
          c = 0xD8A080u;
          if (y >= 12 && y <= 14 && (x == 10 || x == 11 || x == 20 || x == 21)) c = 0x202020u;
          if (y == 22 && x >= 13 && x <= 18) c = 0x803030u;
        } else if ((y / 4) % 4 == 3) {
          c = (cloth >> 1) & 0x7F7F7Fu;
        }
        pixels[static_cast<size_t>(y * 32 + x)] = c;
      }
    }
    WriteBitmap(number, 32, 32, pixels);
    return false;
  }
};

// The build's own bitmaps, read from the folder the build drew them into.
class ContentTextureHost : public GraphicsTestHost {
 public:
  bool GetBaseFolder(std::string& out, bool) override {
    out = PPath::ToProgram(std::string(TARVANE_BITMAP_DIR) + "/../");
    return false;
  }
};

struct Scene {
  explicit Scene(bool editor) {
    rig.UseMap();
    rig.world.app.editorOpen = editor;
    rig.world.app.options[3] = 1;  // the third man shown
    Map& map = *rig.world.Battle().map;
    for (int32_t n = 0; n < 12; ++n) {
      GObject*& slot = map.display.textureSlots[static_cast<size_t>(Map::Slot::kDetailedTerrain + n)];
      if (slot == nullptr) slot = GGraphicFactory::NewTextureGraphic(5100 + n, GGraphicFactory::kNormalDetail);
    }
  }
  std::unique_ptr<Infantry> Squad(int32_t code, int32_t faces) {
    auto unit = rig.Make(InfantryRig::kSquad, code);
    unit->appearanceVariants = {static_cast<int16_t>(faces % 12), static_cast<int16_t>((faces + 5) % 12),
                                static_cast<int16_t>((faces + 9) % 12)};
    unit->PrepareAppearance();
    return unit;
  }
  InfantryRig rig;
};

// A man in mid stride, his arms swinging.
void Stride(Infantry& unit) {
  for (size_t i = 0; i < 3; ++i) {
    const float s = i == 1 ? -1.0f : 1.0f;
    unit.figurePose[2][i] = 20.0f * s;
    unit.figurePose[3][i] = -25.0f;
    unit.figurePose[4][i] = -15.0f * s;
    unit.figurePose[5][i] = -10.0f;
    unit.figurePose[7][i] = -25.0f * s;
    unit.figurePose[9][i] = 20.0f;
    unit.figurePose[11][i] = 20.0f * s;
    unit.figurePose[13][i] = 30.0f;
    unit.figurePose[17][i] = 10.0f * s;
  }
}

void Frame(RendererProbe& r, int32_t w, int32_t h, float eyeY, float eyeZ, float targetZ) {
  r.SetProjection(0, 0, w, h, 60.0f, 1.0f, 5000.0f);
  r.LookAt(0.0f, eyeY, eyeZ, 0.0f, 0.0f, targetZ, 0.0f, 0.0f, 1.0f);
}

uint64_t DrawAt(int32_t threads, const char* save) {
  PSurface screen(320, 240, PPixelFormat::kRGB565);
  PSoft3DDevice device(&screen, threads);
  GGraph3DHost host(&device, &screen);
  RendererProbe r(&host);
  gGraph3D = &r;
  r.Init3D();
  FigureTextureHost textures;
  Scene scene(true);
  r.RenderBegin();
  // Top row: the same man at levels 0 to 6, left to right, in the figure's own units.
  Frame(r, 320, 240, -650.0f, 260.0f, 40.0f);
  r.RotateZ(180.0f);
  auto man = scene.Squad(0, 2);
  Stride(*man);
  InfantryDraw::State().CurrentUniformCode = 0;
  for (int32_t level = 0; level < 7; ++level) {
    r.PushMatrix();
    r.Translate(270.0f - 90.0f * static_cast<float>(level), 0.0f, 100.0f);
    InfantryDraw::State().CurrentFaceVariant = 2 + level;
    InfantryDraw::DrawFigure(*man, level, 0, false);
    r.PopMatrix();
  }
  // Bottom row: squads of three in the uniform families, at level 0.
  const int32_t codes[6] = {0, 3, 4, 6, 7, 9};
  for (int32_t k = 0; k < 6; ++k) {
    auto squad = scene.Squad(codes[k], k);
    Stride(*squad);
    r.PushMatrix();
    r.Translate(-300.0f + 120.0f * static_cast<float>(k), 40.0f, -120.0f);
    r.Scale(0.6f, 0.6f, 0.6f);
    squad->DrawSquad(false, 0.02f);
    r.PopMatrix();
  }
  r.RenderEnd();
  gGraph3D = nullptr;
  if (save != nullptr) PBitmapFile::WriteSurface(screen, std::string(save) + "soldiers.bmp");
  return PixelHash(screen, device);
}

// Each army's squads at 12, 40 and 120 m in the build's pictures, at the scale the
// battlefield gives, one picture per force code: uniforms-<code>.bmp.
void SaveDistances(const char* save) {
  for (const int32_t code : {6, 7, 8, 0, 3, 12, 14, 17}) {
    PSurface screen(480, 240, PPixelFormat::kRGB565);
    PSoft3DDevice device(&screen, 2);
    GGraph3DHost host(&device, &screen);
    RendererProbe r(&host);
    gGraph3D = &r;
    r.Init3D();
    ContentTextureHost textures;
    Scene scene(true);
    const float distances[3] = {12.0f, 40.0f, 120.0f};
    r.RenderBegin();
    r.SetProjection(0, 0, 480, 240, 40.0f, 0.5f, 3000.0f);
    r.LookAt(0.0f, -8.0f, 1.7f, 0.0f, 60.0f, 1.0f, 0.0f, 0.0f, 1.0f);
    for (int32_t k = 0; k < 3; ++k) {
      auto squad = scene.Squad(code, k);
      Stride(*squad);
      r.PushMatrix();
      const float d = distances[k];
      r.Translate(-0.2f * d + 0.2f * d * static_cast<float>(k), d - 8.0f, 0.0f);
      r.RotateZ(200.0f);
      const float scale = 0.012990149669349194f;
      r.Scale(scale, scale, scale);
      // The battlefield's apparent size: about 20 / depth, times the figure scale.
      squad->DrawSquad(false, 20.0f / d * scale);
      r.PopMatrix();
    }
    r.RenderEnd();
    gGraph3D = nullptr;
    PBitmapFile::WriteSurface(screen, std::string(save) + "uniforms-" + std::to_string(code) + ".bmp");
  }
}

// Close up: men at level 0 holding the items of kinds 0 to 6, 9 and 10, a flamethrower man's
// tanks, and below them the crews' generic gun (seen at level 3) and a mortar.
uint64_t DrawItemsAt(int32_t threads, const char* save) {
  PSurface screen(320, 240, PPixelFormat::kRGB565);
  PSoft3DDevice device(&screen, threads);
  GGraph3DHost host(&device, &screen);
  RendererProbe r(&host);
  gGraph3D = &r;
  r.Init3D();
  FigureTextureHost textures;
  Scene scene(true);
  uint8_t* record = scene.rig.Class(InfantryRig::kSquad);
  uint8_t* weapon = scene.rig.Weapon(InfantryRig::kGunWeapon);
  r.RenderBegin();
  Frame(r, 320, 240, -650.0f, 200.0f, 40.0f);
  r.RotateZ(200.0f);
  auto man = scene.Squad(0, 2);
  Stride(*man);
  InfantryDraw::State().CurrentUniformCode = 0;
  const int32_t kinds[9] = {0, 1, 2, 3, 4, 5, 6, 9, 10};
  for (int32_t k = 0; k < 9; ++k) {
    InfantryRig::Put32(record + 92, kinds[k]);
    if (k == 8) {
      InfantryRig::Put32(record + 56, InfantryRig::kGunWeapon);
      InfantryRig::Put32(weapon, 6);  // the last man carries the flamethrower's tanks
    }
    r.PushMatrix();
    r.Translate(300.0f - 75.0f * static_cast<float>(k), 0.0f, 100.0f);
    InfantryDraw::DrawFigure(*man, 0, 0, false);
    r.PopMatrix();
  }
  InfantryRig::Put32(record + 92, 0);
  // The generic gun seen at level 3, and a mortar, in the crew's frame.
  InfantryRig::Put32(weapon + 108, 24);
  for (int32_t k = 0; k < 2; ++k) {
    InfantryRig::Put32(weapon, k == 0 ? 2 : 4);
    r.PushMatrix();
    r.Translate(120.0f - 240.0f * static_cast<float>(k), 60.0f, -120.0f);
    r.Scale(1.6f, 1.6f, 1.6f);
    InfantryDraw::DrawCrewWeapon(*man, false);
    r.PopMatrix();
  }
  InfantryRig::Put32(weapon, 2);
  InfantryRig::Put32(weapon + 108, 0);
  InfantryRig::Put32(record + 56, Infantry::kNoWeapon);
  r.RenderEnd();
  gGraph3D = nullptr;
  if (save != nullptr) PBitmapFile::WriteSurface(screen, std::string(save) + "crews-items.bmp");
  return PixelHash(screen, device);
}


// The tunic picture with its button line in red down the middle: only the front shows it.
class ButtonLineHost : public GraphicsTestHost {
 public:
  bool IsBitmapExcluded(int32_t number) override {
    std::vector<uint32_t> pixels(32 * 32, 0x606060u);
    if (number == kTorsoPicture) {
      for (int32_t y = 0; y < 32; ++y) {
        pixels[static_cast<size_t>(y * 32 + 15)] = 0xFF0000u;
        pixels[static_cast<size_t>(y * 32 + 16)] = 0xFF0000u;
      }
    }
    WriteBitmap(number, 32, 32, pixels);
    return false;
  }
  static constexpr int32_t kTorsoPicture = 5001;
};

// The red pixels across the chest of a lone man at a level, drawn facing +y with the camera
// in front of him (+y) or behind him, straight or through the clipping path (which culls
// back faces): how many, and their mean column (the man stands in the middle, column 80).
struct ButtonLine {
  int32_t pixels = 0;
  double column = 0.0;
};

ButtonLine ButtonLinePixels(int32_t level, bool front, bool clip) {
  PSurface screen(160, 240, PPixelFormat::kRGB565);
  PSoft3DDevice device(&screen, 1);
  GGraph3DHost host(&device, &screen);
  RendererProbe r(&host);
  gGraph3D = &r;
  r.Init3D();
  ButtonLineHost textures;
  Scene scene(true);
  auto man = scene.Squad(0, 2);
  r.RenderBegin();
  r.SetProjection(0, 0, 160, 240, 60.0f, 1.0f, 5000.0f);
  r.LookAt(0.0f, front ? 180.0f : -180.0f, 90.0f, 0.0f, 0.0f, 90.0f, 0.0f, 0.0f, 1.0f);
  InfantryDraw::State().CurrentUniformCode = 0;
  InfantryDraw::State().CurrentFaceVariant = 2;
  InfantryDraw::DrawFigure(*man, level, 0, clip);
  r.RenderEnd();
  gGraph3D = nullptr;
  ButtonLine line;
  int64_t columns = 0;
  for (int32_t y = 108; y < 132; ++y) {
    const uint16_t* row = screen.Row16(y);
    for (int32_t x = 0; x < 160; ++x) {
      if ((row[x] >> 11) > 24 && ((row[x] >> 5) & 63) < 8) {
        ++line.pixels;
        columns += x;
      }
    }
  }
  // The pixel's centre: a line two pixels wide about column 80 covers columns 79 and 80.
  if (line.pixels > 0) line.column = static_cast<double>(columns) / line.pixels + 0.5;
  return line;
}

// At every level the buttons run down the middle of the chest, seen from the front only.
TEST(InfantryDrawPicture, TheTunicsButtonsShowDownTheMiddleFromTheFrontOnly) {
  for (int32_t level = 0; level < 7; ++level) {
    for (const bool clip : {false, true}) {
      const ButtonLine front = ButtonLinePixels(level, true, clip);
      EXPECT_GT(front.pixels, 20) << "level " << level << " clip " << clip;
      EXPECT_NEAR(front.column, 80.0, 1.0) << "level " << level << " clip " << clip;
      EXPECT_EQ(ButtonLinePixels(level, false, clip).pixels, 0) << "level " << level << " clip " << clip;
    }
  }
}

// The pixels the crews' generic gun (piece 0) or mortar (piece 1) covers, seen from a bearing
// about it and a little above, with back faces culled as the battlefield draws them, or not.
int32_t PieceCover(int32_t piece, float bearing, bool culling) {
  PSurface screen(200, 200, PPixelFormat::kRGB565);
  PSoft3DDevice device(&screen, 1);
  GGraph3DHost host(&device, &screen);
  RendererProbe r(&host);
  gGraph3D = &r;
  r.Init3D();
  FigureTextureHost textures;
  Scene scene(true);
  auto crew = scene.Squad(0, 2);
  r.RenderBegin();
  r.SetProjection(0, 0, 200, 200, 60.0f, 1.0f, 5000.0f);
  const float distance = piece == 0 ? 380.0f : 250.0f;
  const float a = bearing * 3.14159265f / 180.0f;
  r.LookAt(distance * std::cos(a), distance * std::sin(a), distance / 3.0f, 0.0f, 100.0f, 40.0f, 0.0f, 0.0f, 1.0f);
  r.SetClipping(true);
  r.SetBackfaceCulling(culling);
  if (piece == 0) {
    InfantryDraw::DrawGenericWeaponModel(2.6f, *crew, true);
  } else {
    InfantryDraw::DrawMortarModel(*crew, 10.0f, true);
  }
  r.SetBackfaceCulling(true);
  r.RenderEnd();
  gGraph3D = nullptr;
  int32_t covered = 0;
  for (int32_t y = 0; y < 200; ++y) {
    const uint16_t* row = screen.Row16(y);
    for (int32_t x = 0; x < 200; ++x) covered += row[x] != 0 ? 1 : 0;
  }
  return covered;
}

// Every face of the crews' pieces that is meant to be seen faces outwards (or is drawn from both
// sides), so culling the back faces takes nothing away from any side: the mortar's base plate
// shows from above, the gun's shield and trails from behind. Only the wheels' open rims, which
// show their inner faces through the gap without culling, may differ.
TEST(InfantryDrawPicture, TheCrewsPiecesLoseNothingToBackFaceCullingFromAnySide) {
  for (int32_t piece = 0; piece < 2; ++piece) {
    for (int32_t step = 0; step < 8; ++step) {
      const float bearing = 45.0f * static_cast<float>(step);
      const int32_t all = PieceCover(piece, bearing, false);
      EXPECT_GT(all, 300) << "piece " << piece << " bearing " << bearing;
      EXPECT_GE(PieceCover(piece, bearing, true) * 100, all * 95) << "piece " << piece << " bearing " << bearing;
    }
  }
}

TEST(InfantryDrawPicture, ItemsTanksAndCrewWeaponsTheSameAtOneAndTwoThreads) {
  const char* save = std::getenv("TARVANE_SAVE_PICTURES");
  const uint64_t one = DrawItemsAt(1, save);
  EXPECT_EQ(DrawItemsAt(2, nullptr), one);
}

TEST(InfantryDrawPicture, SevenLevelsAndUniformFamiliesPinnedAtOneAndTwoThreads) {
  const char* save = std::getenv("TARVANE_SAVE_PICTURES");
  const uint64_t one = DrawAt(1, save);
  EXPECT_EQ(DrawAt(2, nullptr), one);
  EXPECT_EQ(one, 18429032277064532653ull) << one;
  if (save != nullptr) SaveDistances(save);
}

}  // namespace
