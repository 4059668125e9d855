#include "platform/PSurfaceOps.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/PFailureInjection.h"

namespace {

bool Inside(const PRect& r, const PSurface& s) {
  return r.left >= 0 && r.top >= 0 && r.right <= s.Width() && r.bottom <= s.Height() && r.left < r.right &&
         r.top < r.bottom;
}

void PutPixel(PSurface& s, int32_t x, int32_t y, uint32_t pixel) {
  if (x < 0 || y < 0 || x >= s.Width() || y >= s.Height()) return;
  if (s.BytesPerPixel() == 2) s.Row16(y)[x] = static_cast<uint16_t>(pixel);
  else s.Row32(y)[x] = pixel;
}

void CopyRows(PSurface& dst, int32_t x, int32_t y, const PSurface& src, const PRect& r, bool keyed) {
  const int32_t w = r.Width();
  const int32_t h = r.Height();
  const int32_t bpp = src.BytesPerPixel();
  // Copying within one surface: take the source out first, so overlapping areas come out whole.
  std::vector<uint8_t> copy;
  const uint8_t* base = src.Pixels();
  int32_t pitch = src.Pitch();
  int32_t sx = r.left;
  int32_t sy = r.top;
  if (&dst == &src) {
    pitch = w * bpp;
    copy.resize(static_cast<size_t>(pitch) * h);
    for (int32_t row = 0; row < h; ++row)
      std::memcpy(copy.data() + static_cast<size_t>(row) * pitch,
                  src.Pixels() + static_cast<size_t>(r.top + row) * src.Pitch() + static_cast<size_t>(r.left) * bpp,
                  static_cast<size_t>(pitch));
    base = copy.data();
    sx = 0;
    sy = 0;
  }
  for (int32_t row = 0; row < h; ++row) {
    const uint8_t* from = base + static_cast<size_t>(sy + row) * pitch + static_cast<size_t>(sx) * bpp;
    uint8_t* to = dst.Pixels() + static_cast<size_t>(y + row) * dst.Pitch() + static_cast<size_t>(x) * bpp;
    if (!keyed) {
      std::memcpy(to, from, static_cast<size_t>(w) * bpp);
    } else if (bpp == 2) {
      const uint16_t key = static_cast<uint16_t>(src.ColorKey());
      uint16_t p;
      for (int32_t i = 0; i < w; ++i) {
        std::memcpy(&p, from + 2 * i, 2);
        if (p != key) std::memcpy(to + 2 * i, &p, 2);
      }
    } else {
      const uint32_t key = src.ColorKey();
      uint32_t p;
      for (int32_t i = 0; i < w; ++i) {
        std::memcpy(&p, from + 4 * i, 4);
        if (p != key) std::memcpy(to + 4 * i, &p, 4);
      }
    }
  }
}

void Stamp(PSurface& s, int32_t cx, int32_t cy, uint32_t pixel, int32_t width) {
  // A round pen tip of the given diameter, centred on the pixel (between four pixels for even
  // widths).
  const double half = width / 2.0;
  const double offset = (width % 2 == 0) ? 0.5 : 0.0;
  for (int32_t dy = -(width - 1) / 2; dy <= width / 2; ++dy)
    for (int32_t dx = -(width - 1) / 2; dx <= width / 2; ++dx) {
      const double fx = dx - offset;
      const double fy = dy - offset;
      if (fx * fx + fy * fy <= half * half) PutPixel(s, cx + dx, cy + dy, pixel);
    }
}

}  // namespace

PSurfaceOps::FormatInfo PSurfaceOps::Format(const PSurface& surface) {
  FormatInfo f;
  switch (surface.Format()) {
    case PPixelFormat::kRGB565:
      f = FormatInfo{16, 0xF800, 0x07E0, 0x001F, 0};
      break;
    case PPixelFormat::kARGB1555:
      f = FormatInfo{16, 0x7C00, 0x03E0, 0x001F, 0x8000};
      break;
    case PPixelFormat::kXRGB8888:
      f = FormatInfo{32, 0xFF0000, 0x00FF00, 0x0000FF, 0};
      break;
  }
  return f;
}

PResult PSurfaceOps::Lock(PSurface& surface, LockInfo& out) {
  PResult r = PFailureInjection::Check("Lock");
  if (r != PResult::kOk) return r;
  out.pixels = surface.Pixels();
  out.pitch = surface.Pitch();
  out.width = surface.Width();
  out.height = surface.Height();
  out.format = Format(surface);
  return PResult::kOk;
}

PResult PSurfaceOps::BltFast(PSurface& destination, int32_t x, int32_t y, const PSurface& source,
                             const PRect* sourceRect, bool useSourceKey) {
  PResult injected = PFailureInjection::Check("BltFast");
  if (injected != PResult::kOk) return injected;
  if (destination.BytesPerPixel() != source.BytesPerPixel()) return PResult::kUnsupported;
  PRect r = sourceRect ? *sourceRect : PRect{0, 0, source.Width(), source.Height()};
  if (!Inside(r, source)) return PResult::kInvalidRect;
  // 64-bit sums: a far-away position must not wrap around into the surface.
  const int64_t right = static_cast<int64_t>(x) + r.Width();
  const int64_t bottom = static_cast<int64_t>(y) + r.Height();
  if (x < 0 || y < 0 || right > destination.Width() || bottom > destination.Height()) return PResult::kInvalidRect;
  CopyRows(destination, x, y, source, r, useSourceKey && source.HasColorKey());
  return PResult::kOk;
}

PResult PSurfaceOps::Blt(PSurface& destination, const PRect* destinationRect, const PSurface& source,
                         const PRect* sourceRect, bool useSourceKey) {
  PResult injected = PFailureInjection::Check("Blt");
  if (injected != PResult::kOk) return injected;
  if (destination.BytesPerPixel() != source.BytesPerPixel()) return PResult::kUnsupported;
  PRect s = sourceRect ? *sourceRect : PRect{0, 0, source.Width(), source.Height()};
  PRect d = destinationRect ? *destinationRect : PRect{0, 0, destination.Width(), destination.Height()};
  if (!Inside(s, source) || !Inside(d, destination)) return PResult::kInvalidRect;
  if (s.Width() != d.Width() || s.Height() != d.Height()) return PResult::kUnsupported;
  CopyRows(destination, d.left, d.top, source, s, useSourceKey && source.HasColorKey());
  return PResult::kOk;
}

PResult PSurfaceOps::ColorFill(PSurface& destination, const PRect* rect, uint32_t colour) {
  PResult injected = PFailureInjection::Check("ColorFill");
  if (injected != PResult::kOk) return injected;
  PRect r = rect ? *rect : PRect{0, 0, destination.Width(), destination.Height()};
  if (r.left < 0 || r.top < 0 || r.right > destination.Width() || r.bottom > destination.Height() ||
      r.right < r.left || r.bottom < r.top)
    return PResult::kInvalidRect;
  if (r.right == r.left || r.bottom == r.top) return PResult::kOk;
  // The first row is filled pixel by pixel and copied to the others.
  uint8_t* first = nullptr;
  if (destination.BytesPerPixel() == 2) {
    uint16_t* row = destination.Row16(r.top);
    std::fill(row + r.left, row + r.right, static_cast<uint16_t>(colour));
    first = reinterpret_cast<uint8_t*>(row + r.left);
  } else {
    uint32_t* row = destination.Row32(r.top);
    std::fill(row + r.left, row + r.right, colour);
    first = reinterpret_cast<uint8_t*>(row + r.left);
  }
  const size_t offset = static_cast<size_t>(r.left) * static_cast<size_t>(destination.BytesPerPixel());
  const size_t bytes = static_cast<size_t>(r.right - r.left) * static_cast<size_t>(destination.BytesPerPixel());
  for (int32_t y = r.top + 1; y < r.bottom; ++y)
    std::memcpy(destination.Pixels() + static_cast<size_t>(y) * static_cast<size_t>(destination.Pitch()) + offset,
                first, bytes);
  return PResult::kOk;
}

void PSurfaceOps::DrawLine(PSurface& destination, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t pixel,
                           int32_t width) {
  // Far-away end points are brought near first: beyond this every step lies off the surface.
  const int64_t limit = 1 << 20;
  auto clampc = [&](int32_t v) { return static_cast<int32_t>(v < -limit ? -limit : (v > limit ? limit : v)); };
  x1 = clampc(x1);
  y1 = clampc(y1);
  x2 = clampc(x2);
  y2 = clampc(y2);
  const int32_t dx = std::abs(x2 - x1);
  const int32_t dy = -std::abs(y2 - y1);
  const int32_t sx = x1 < x2 ? 1 : -1;
  const int32_t sy = y1 < y2 ? 1 : -1;
  int32_t err = dx + dy;
  int32_t x = x1;
  int32_t y = y1;
  const bool wide = width > 1;
  for (;;) {
    if (x == x2 && y == y2) break;  // the end point is left out
    if (wide) Stamp(destination, x, y, pixel, width);
    else PutPixel(destination, x, y, pixel);
    const int32_t e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}
