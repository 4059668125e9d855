#include "framework/media/GGraphicPixels.h"

#include <cstring>
#include <string>

#include "framework/core/Quorl.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GGraphicHost.h"
#include "platform/PDisplay.h"
#include "platform/PFileSystem.h"
#include "platform/PResourceObserver.h"
#include "platform/PSurfaceOps.h"
#include "platform/PTextureBudget.h"

namespace {

constexpr uint16_t kAlpha = 0x8000;
constexpr uint16_t kRed = 0x7C00;
constexpr uint16_t kGreen = 0x03E0;
constexpr uint16_t kBlue = 0x001F;
constexpr uint16_t kMagenta = 0x7C1F;

GGraphicHost* Host(int32_t line) {
  GGraphicHost* host = GGraphicHost::Current();
  if (host == nullptr) FatalError(line, "GGraphic");
  return host;
}

// Locks a texture for its texel work: it must be a 16-bit surface with an alpha bit.
PSurfaceOps::LockInfo LockTexture(PSurface& texture, int32_t lockLine, int32_t formatLine) {
  PSurfaceOps::LockInfo info;
  if (PSurfaceOps::Lock(texture, info) != PResult::kOk) FatalError(lockLine, "GGraphic");
  if (info.format.bitCount != 16 || info.format.alphaMask != kAlpha) FatalError(formatLine, "GGraphic");
  return info;
}

uint16_t* Row(const PSurfaceOps::LockInfo& info, int32_t y) {
  return reinterpret_cast<uint16_t*>(info.pixels + static_cast<size_t>(y) * info.pitch);
}

// A 5-bit field times a factor, truncated toward zero and held within the field.
uint16_t ScaleField(uint32_t field, float factor) {
  const float v = static_cast<float>(field) * factor;
  if (!(v > 0.0f)) return 0;  // also a factor that is not a number
  if (v >= 31.0f) return 31;
  return static_cast<uint16_t>(static_cast<int32_t>(v));
}

bool TryRead(const std::string& path, PBitmapFile::Image& out, bool& unreadable) {
  if (PBitmapFile::Load(path, out)) return true;
  if (PFileSystem::Exists(path)) unreadable = true;
  return false;
}

}  // namespace

bool ReadNumberedBitmap(int32_t number, bool alwaysRetry, PBitmapFile::Image& out, bool& unreadable) {
  GGraphicHost* host = Host(__LINE__);
  unreadable = false;
  const std::string name = GGraphic::BitmapName(number);
  std::string folder;
  host->GetBaseFolder(folder, false);
  // Observers hear of every number looked up in the program's own bitmap folder.
  if (PResourceObserver::Current() != nullptr)
    PResourceObserver::Note(PResourceObserver::Kind::kBitmap, number, (folder + "BMP\\").c_str());
  if (TryRead(folder + name, out, unreadable)) return true;
  std::string alternate;
  if (!host->GetBaseFolder(alternate, true) && !alwaysRetry) return false;
  return TryRead(alternate + name, out, unreadable);
}

PResult CreateBitmapSurface(int32_t width, int32_t height, bool texture, std::unique_ptr<PSurface>& out) {
  out.reset();
  GGraphicHost* host = Host(__LINE__);
  if (texture && host->GetTextureBudget() != nullptr) return host->GetTextureBudget()->CreateTexture(width, height, out);
  PDisplay* display = host->GetDirectDraw();
  if (display == nullptr) FatalError(__LINE__, "GGraphic");
  return display->CreateSurface(width, height, texture ? PPixelFormat::kARGB1555 : PPixelFormat::kRGB565, out);
}

bool PrepareTexturePixels(PSurface& texture, const float* colorScale) {
  const PSurfaceOps::LockInfo info = LockTexture(texture, 160, 165);
  const uint16_t alpha = static_cast<uint16_t>(info.format.alphaMask);
  const float one[3] = {1.0f, 1.0f, 1.0f};
  const float* f = colorScale != nullptr ? colorScale : one;
  const bool scaling = !(f[0] == 1.0f && f[1] == 1.0f && f[2] == 1.0f);
  bool transparent = false;
  for (int32_t y = 0; y < info.height; ++y) {
    uint16_t* row = Row(info, y);
    for (int32_t x = 0; x < info.width; ++x) {
      const uint16_t t = static_cast<uint16_t>(row[x] & ~alpha);
      if (t == kMagenta) {
        row[x] = 0;
        transparent = true;
      } else if (!scaling) {
        row[x] = static_cast<uint16_t>(t | alpha);
      } else {
        const uint16_t r = ScaleField((t & kRed) >> 10, f[0]);
        const uint16_t g = ScaleField((t & kGreen) >> 5, f[1]);
        const uint16_t b = ScaleField(t & kBlue, f[2]);
        row[x] = static_cast<uint16_t>(r << 10 | g << 5 | b | alpha);
      }
    }
  }
  return transparent;
}

void FillTransparentTexels(PSurface& texture) {
  const PSurfaceOps::LockInfo info = LockTexture(texture, 82, 87);
  const int32_t w = info.width;
  const int32_t h = info.height;
  for (int32_t y = 0; y < h; ++y) {
    uint16_t* row = Row(info, y);
    for (int32_t x = 0; x < w; ++x) {
      if (row[x] != 0) continue;
      const uint16_t neighbours[4] = {
          row[x == 0 ? w - 1 : x - 1],
          row[x == w - 1 ? 0 : x + 1],
          Row(info, y == 0 ? h - 1 : y - 1)[x],
          Row(info, y == h - 1 ? 0 : y + 1)[x],
      };
      uint32_t r = 0, g = 0, b = 0, n = 0;
      for (uint16_t p : neighbours) {
        if (p == 0) continue;
        r += (p & kRed) >> 10;
        g += (p & kGreen) >> 5;
        b += p & kBlue;
        ++n;
      }
      if (n != 0) row[x] = static_cast<uint16_t>((r / n) << 10 | (g / n) << 5 | (b / n));
    }
  }
}

bool HalveTexture(int32_t level, std::unique_ptr<PSurface>& texture, int32_t& width, int32_t& height) {
  if (level > 2) {
    if (!HalveTexture(level - 2, texture, width, height)) return false;
    level = 2;
  }
  const bool halveWidth = width > 8;
  const bool halveHeight = height > 8 && (level == 2 || !halveWidth);
  if (!halveWidth && !halveHeight) return true;
  const int32_t newWidth = halveWidth ? width / 2 : width;
  const int32_t newHeight = halveHeight ? height / 2 : height;
  std::unique_ptr<PSurface> halved;
  if (CreateBitmapSurface(newWidth, newHeight, true, halved) != PResult::kOk || !halved) return false;

  const PSurfaceOps::LockInfo to = LockTexture(*halved, 277, 277);
  const PSurfaceOps::LockInfo from = LockTexture(*texture, 282, 282);
  if (from.height != height || from.width != width) FatalError(285, "GGraphic");

  const int32_t stepX = halveWidth ? 2 : 1;
  const int32_t stepY = halveHeight ? 2 : 1;
  const int32_t k = stepX * stepY;
  int32_t e = 0;  // runs through the whole picture, not reset per row
  for (int32_t dy = 0; dy < newHeight; ++dy) {
    uint16_t* out = Row(to, dy);
    for (int32_t dx = 0; dx < newWidth; ++dx) {
      int32_t n = 0;
      uint32_t r = 0, g = 0, b = 0;
      for (int32_t j = 0; j < stepY; ++j) {
        const uint16_t* in = Row(from, dy * stepY + j);
        for (int32_t i = 0; i < stepX; ++i) {
          const uint16_t p = in[dx * stepX + i];
          if ((p & kAlpha) == 0) continue;
          r += p & kRed;
          g += p & kGreen;
          b += p & kBlue;
          ++n;
        }
      }
      uint16_t colour = 0;
      if (n > 0) {
        const double d = static_cast<double>(n);
        colour = static_cast<uint16_t>((static_cast<int32_t>(r / d + 511.5) & kRed) |
                                       (static_cast<int32_t>(g / d + 15.5) & kGreen) |
                                       (static_cast<int32_t>(b / d + 0.49) & kBlue));
      }
      if (e < n) {
        out[dx] = static_cast<uint16_t>(colour | kAlpha);
        e += k - n;
      } else {
        out[dx] = k == 2 ? 0 : colour;
        e -= n;
      }
    }
  }
  texture = std::move(halved);
  width = newWidth;
  height = newHeight;
  return true;
}
