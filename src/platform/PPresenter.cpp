#include "platform/PPresenter.h"

PPresenter::PPresenter() : ramp_(PGammaRamp::Identity()) {}

void PPresenter::SetGammaRamp(const PGammaRamp& ramp) {
  ramp_ = ramp;
  tableValid_ = false;
}

uint32_t PPresenter::ExpandPixel(uint16_t p, PPixelFormat format) {
  uint32_t r;
  uint32_t g;
  uint32_t b;
  if (format == PPixelFormat::kARGB1555) {
    r = (p >> 10) & 31;
    g = (p >> 5) & 31;
    b = p & 31;
    g = (g << 3) | (g >> 2);
  } else {
    r = p >> 11;
    g = (p >> 5) & 63;
    b = p & 31;
    g = (g << 2) | (g >> 4);
  }
  r = (r << 3) | (r >> 2);
  b = (b << 3) | (b >> 2);
  return r << 16 | g << 8 | b;
}

void PPresenter::BuildTable(PPixelFormat format) {
  table_.resize(65536);
  for (uint32_t p = 0; p < 65536; ++p) {
    const uint32_t c = ExpandPixel(static_cast<uint16_t>(p), format);
    const uint32_t r = ramp_.red[(c >> 16) & 255] >> 8;
    const uint32_t g = ramp_.green[(c >> 8) & 255] >> 8;
    const uint32_t b = ramp_.blue[c & 255] >> 8;
    table_[p] = r << 16 | g << 8 | b;
  }
  tableFormat_ = format;
  tableValid_ = true;
}

void PPresenter::Convert(const PSurface& screen) {
  width_ = screen.Width();
  height_ = screen.Height();
  frame_.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_));
  if (screen.Format() == PPixelFormat::kXRGB8888) {
    // A 32-bit picture only goes through the ramp.
    for (int32_t y = 0; y < height_; ++y) {
      const uint32_t* row = screen.Row32(y);
      uint32_t* out = frame_.data() + static_cast<size_t>(y) * width_;
      for (int32_t x = 0; x < width_; ++x) {
        const uint32_t c = row[x];
        out[x] = static_cast<uint32_t>(ramp_.red[(c >> 16) & 255] >> 8) << 16 |
                 static_cast<uint32_t>(ramp_.green[(c >> 8) & 255] >> 8) << 8 | (ramp_.blue[c & 255] >> 8);
      }
    }
    return;
  }
  if (!tableValid_ || tableFormat_ != screen.Format()) BuildTable(screen.Format());
  const uint32_t* table = table_.data();
  for (int32_t y = 0; y < height_; ++y) {
    const uint16_t* row = screen.Row16(y);
    uint32_t* out = frame_.data() + static_cast<size_t>(y) * width_;
    for (int32_t x = 0; x < width_; ++x) out[x] = table[row[x]];
  }
}
