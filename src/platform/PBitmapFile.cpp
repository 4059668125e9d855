#include "platform/PBitmapFile.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "platform/PFile.h"
#include "platform/PPresenter.h"

namespace {

constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint32_t kCompressionRle4 = 2;
constexpr uint32_t kCompressionBitFields = 3;
// A file above this cannot be a picture within the size limit.
constexpr int64_t kMaxFileSize = int64_t{PBitmapFile::kMaxSide} * PBitmapFile::kMaxSide * 4 + (1 << 20);

uint32_t U16(const uint8_t* p) { return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8; }
uint32_t U32(const uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

// One colour channel given by a mask, widened or cut to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit Channel(uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    bits = 32 - std::countl_zero(m >> shift);
  }
  uint32_t Get(uint32_t pixel) const {
    if (bits == 0) return 0;
    const uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return (v >> (bits - 8)) & 255;
    // Repeat the value's bits downwards, so the largest value gives 255.
    uint32_t out = 0;
    for (int pos = 8 - bits;; pos -= bits) {
      out |= pos >= 0 ? v << pos : v >> -pos;
      if (pos <= 0) break;
    }
    return out & 255;
  }
};

// Bit-field masks must each be one unbroken, non-empty run of bits inside the pixel, and no
// two may share a bit (an alpha mask, when the header has one, takes part in that).
bool MasksAreSound(const uint32_t* masks, int count, uint32_t bitCount) {
  const uint32_t pixelBits = bitCount == 32 ? 0xFFFFFFFFu : (1u << bitCount) - 1;
  uint32_t used = 0;
  for (int i = 0; i < count; ++i) {
    const uint32_t m = masks[i];
    if (i == 3 && m == 0) continue;  // no alpha
    if (m == 0 || (m & ~pixelBits) != 0 || (m & used) != 0) return false;
    const uint32_t low = m >> std::countr_zero(m);
    if ((low & (low + 1)) != 0) return false;  // a gap in the run
    used |= m;
  }
  return true;
}

// Run-length coded 8- or 4-bit rows (bottom row first) into palette indices, rows from the
// top. Pixels that a delta or an end of line skips keep index 0. False for data that ends
// before the end-of-bitmap code, or a run, literal or delta that leaves the bitmap.
bool DecodeRunLength(const uint8_t* data, size_t size, bool fourBits, int64_t width, int64_t height,
                     std::vector<uint8_t>& indices) {
  indices.assign(static_cast<size_t>(width * height), 0);
  size_t pos = 0;
  int64_t x = 0;
  int64_t y = 0;  // counted from the bottom
  auto put = [&](int64_t count, auto value) {
    uint8_t* row = indices.data() + static_cast<size_t>((height - 1 - y) * width);
    for (int64_t i = 0; i < count; ++i) row[x + i] = value(i);
    x += count;
  };
  for (;;) {
    if (size - pos < 2) return false;
    const uint8_t first = data[pos];
    const uint8_t second = data[pos + 1];
    pos += 2;
    if (first > 0) {  // a run of one value (two alternating nibbles in 4 bits)
      if (y >= height || x + first > width) return false;
      put(first, [&](int64_t i) -> uint8_t {
        return fourBits ? static_cast<uint8_t>(i % 2 == 0 ? second >> 4 : second & 15) : second;
      });
      continue;
    }
    if (second == 0) {  // end of line
      x = 0;
      if (++y > height) return false;
    } else if (second == 1) {  // end of bitmap
      return true;
    } else if (second == 2) {  // delta: right and up
      if (size - pos < 2) return false;
      x += data[pos];
      y += data[pos + 1];
      pos += 2;
      if (x > width || y >= height) return false;
    } else {  // a literal of second values, padded to a whole 16-bit word
      const size_t bytes = fourBits ? (second + 1u) / 2 : second;
      if (size - pos < bytes) return false;
      if (y >= height || x + second > width) return false;
      const uint8_t* literal = data + pos;
      put(second, [&](int64_t i) -> uint8_t {
        return fourBits ? static_cast<uint8_t>(i % 2 == 0 ? literal[i / 2] >> 4 : literal[i / 2] & 15) : literal[i];
      });
      pos += std::min(bytes + (bytes & 1), size - pos);
    }
  }
}

}  // namespace

bool PBitmapFile::Decode(const uint8_t* data, size_t size, Image& out) {
  out = Image{};
  if (data == nullptr || size < 26 || data[0] != 'B' || data[1] != 'M') return false;
  const uint64_t offBits = U32(data + 10);
  const uint64_t headerSize = U32(data + 14);
  if (headerSize > size - 14) return false;

  int64_t width;
  int64_t height;
  uint32_t bitCount;
  uint32_t compression = kCompressionNone;
  uint64_t colorsUsed = 0;
  uint64_t paletteEntrySize = 4;
  uint32_t masks[4] = {0, 0, 0, 0};
  int maskCount = 3;
  bool haveMasks = false;
  uint64_t afterHeader = 14 + headerSize;
  if (headerSize == 12) {  // the old core header
    width = U16(data + 18);
    height = U16(data + 20);
    bitCount = U16(data + 24);
    paletteEntrySize = 3;
  } else if (headerSize >= 40) {
    width = static_cast<int32_t>(U32(data + 18));
    height = static_cast<int32_t>(U32(data + 22));
    bitCount = U16(data + 28);
    compression = U32(data + 30);
    colorsUsed = U32(data + 46);
    if (compression == kCompressionBitFields) {
      if (headerSize >= 52) {
        for (int i = 0; i < 3; ++i) masks[i] = U32(data + 54 + 4 * i);
        if (headerSize >= 56) {
          masks[3] = U32(data + 66);
          maskCount = 4;
        }
      } else {
        if (afterHeader + 12 > size) return false;
        for (int i = 0; i < 3; ++i) masks[i] = U32(data + afterHeader + 4 * i);
        afterHeader += 12;
      }
      haveMasks = true;
    }
  } else {
    return false;
  }

  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide) return false;
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
    return false;
  const bool runLength = compression == kCompressionRle8 || compression == kCompressionRle4;
  if (compression != kCompressionNone && compression != kCompressionBitFields && !runLength) return false;
  if (compression == kCompressionBitFields && bitCount != 16 && bitCount != 32) return false;
  if (compression == kCompressionBitFields && !MasksAreSound(masks, maskCount, bitCount)) return false;
  // Run-length rows are stored from the bottom up only.
  if (compression == kCompressionRle8 && (bitCount != 8 || topDown)) return false;
  if (compression == kCompressionRle4 && (bitCount != 4 || topDown)) return false;
  if (!haveMasks) {
    if (bitCount == 16) {
      masks[0] = 0x7C00;
      masks[1] = 0x03E0;
      masks[2] = 0x001F;
    } else {
      masks[0] = 0xFF0000;
      masks[1] = 0x00FF00;
      masks[2] = 0x0000FF;
    }
  }

  // The palette of the small depths.
  std::vector<uint32_t> palette;
  if (bitCount <= 8) {
    const uint64_t maxColors = uint64_t{1} << bitCount;
    const uint64_t count = colorsUsed == 0 ? maxColors : colorsUsed;
    if (count > maxColors) return false;
    if (afterHeader + count * paletteEntrySize > size) return false;
    palette.resize(count);
    for (uint64_t i = 0; i < count; ++i) {
      const uint8_t* e = data + afterHeader + i * paletteEntrySize;
      palette[i] = static_cast<uint32_t>(e[2]) << 16 | static_cast<uint32_t>(e[1]) << 8 | e[0];
    }
  }

  if (offBits > size) return false;
  if (runLength) {
    std::vector<uint8_t> indices;
    if (!DecodeRunLength(data + offBits, size - offBits, compression == kCompressionRle4, width, height, indices))
      return false;
    std::vector<uint32_t> pixels(indices.size());
    for (size_t i = 0; i < indices.size(); ++i) {
      if (indices[i] >= palette.size()) return false;
      pixels[i] = palette[indices[i]];
    }
    out.width = static_cast<int32_t>(width);
    out.height = static_cast<int32_t>(height);
    out.pixels = std::move(pixels);
    return true;
  }
  const uint64_t stride = ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
  if (stride * static_cast<uint64_t>(height) > size - offBits) return false;

  const Channel red(masks[0]);
  const Channel green(masks[1]);
  const Channel blue(masks[2]);
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int64_t y = 0; y < height; ++y) {
    const int64_t fileRow = topDown ? y : height - 1 - y;
    const uint8_t* row = data + offBits + static_cast<uint64_t>(fileRow) * stride;
    uint32_t* dst = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
    for (int64_t x = 0; x < width; ++x) {
      uint32_t c;
      switch (bitCount) {
        case 1:
        case 4:
        case 8: {
          const uint64_t bit = static_cast<uint64_t>(x) * bitCount;
          const uint32_t byte = row[bit / 8];
          const uint32_t index = (byte >> (8 - bitCount - bit % 8)) & ((1u << bitCount) - 1);
          if (index >= palette.size()) return false;
          c = palette[index];
          break;
        }
        case 16: {
          const uint32_t p = U16(row + 2 * x);
          c = red.Get(p) << 16 | green.Get(p) << 8 | blue.Get(p);
          break;
        }
        case 24:
          c = static_cast<uint32_t>(row[3 * x + 2]) << 16 | static_cast<uint32_t>(row[3 * x + 1]) << 8 | row[3 * x];
          break;
        default: {
          const uint32_t p = U32(row + 4 * x);
          c = red.Get(p) << 16 | green.Get(p) << 8 | blue.Get(p);
          break;
        }
      }
      dst[x] = c;
    }
  }
  out.width = static_cast<int32_t>(width);
  out.height = static_cast<int32_t>(height);
  out.pixels = std::move(pixels);
  return true;
}

namespace {

PBitmapFile::Loader& TheLoader() {
  static PBitmapFile::Loader loader;
  return loader;
}

}  // namespace

void PBitmapFile::SetLoader(Loader loader) { TheLoader() = std::move(loader); }

bool PBitmapFile::Load(const std::string& path, Image& out) {
  if (TheLoader()) return TheLoader()(path, out);
  return LoadFromDisk(path, out);
}

bool PBitmapFile::LoadFromDisk(const std::string& path, Image& out) {
  out = Image{};
  auto file = PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting);
  if (!file) return false;
  const int64_t size = file->Size();
  if (size <= 0 || size > kMaxFileSize) return false;
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  size_t got = 0;
  while (got < bytes.size()) {
    const int64_t n = file->Read(bytes.data() + got, bytes.size() - got);
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  return Decode(bytes.data(), bytes.size(), out);
}

uint32_t PBitmapFile::ToPixel(uint32_t rgb, PPixelFormat format) {
  const uint32_t r = (rgb >> 16) & 255;
  const uint32_t g = (rgb >> 8) & 255;
  const uint32_t b = rgb & 255;
  switch (format) {
    case PPixelFormat::kRGB565: return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
    case PPixelFormat::kARGB1555: return (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
    case PPixelFormat::kXRGB8888: return rgb & 0xFFFFFF;
  }
  return 0;
}

void PBitmapFile::CopyToSurface(const Image& image, PSurface& surface) {
  const int32_t w = std::min(image.width, surface.Width());
  const int32_t h = std::min(image.height, surface.Height());
  const PPixelFormat format = surface.Format();
  const bool twoBytes = surface.BytesPerPixel() == 2;
  for (int32_t y = 0; y < h; ++y) {
    const uint32_t* src = image.pixels.data() + static_cast<size_t>(y) * image.width;
    if (twoBytes) {
      // ToPixel's conversions, written out for the two 16-bit formats: a picture is copied at
      // every load, pixel by pixel.
      uint16_t* dst = surface.Row16(y);
      if (format == PPixelFormat::kRGB565) {
        for (int32_t x = 0; x < w; ++x) {
          const uint32_t p = src[x];
          dst[x] = static_cast<uint16_t>(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x001F));
        }
      } else if (format == PPixelFormat::kARGB1555) {
        for (int32_t x = 0; x < w; ++x) {
          const uint32_t p = src[x];
          dst[x] = static_cast<uint16_t>(((p >> 9) & 0x7C00) | ((p >> 6) & 0x03E0) | ((p >> 3) & 0x001F));
        }
      } else {
        for (int32_t x = 0; x < w; ++x) dst[x] = static_cast<uint16_t>(ToPixel(src[x], format));
      }
    } else {
      uint32_t* dst = surface.Row32(y);
      for (int32_t x = 0; x < w; ++x) dst[x] = src[x] & 0xFFFFFF;
    }
  }
}

std::string PBitmapFile::Encode(const uint32_t* pixels, int32_t width, int32_t height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  const uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
  const uint32_t dataSize = stride * static_cast<uint32_t>(height);
  std::string out(54 + dataSize, '\0');
  auto put16 = [&](size_t at, uint32_t v) {
    out[at] = static_cast<char>(v & 255);
    out[at + 1] = static_cast<char>((v >> 8) & 255);
  };
  auto put32 = [&](size_t at, uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, 54 + dataSize);
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  put16(26, 1);
  put16(28, 24);
  put32(34, dataSize);
  put32(38, 2835);  // 72 dots per inch
  put32(42, 2835);
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* src = pixels + static_cast<size_t>(height - 1 - y) * width;
    size_t at = 54 + static_cast<size_t>(y) * stride;
    for (int32_t x = 0; x < width; ++x) {
      out[at++] = static_cast<char>(src[x] & 255);
      out[at++] = static_cast<char>((src[x] >> 8) & 255);
      out[at++] = static_cast<char>((src[x] >> 16) & 255);
    }
  }
  return out;
}

bool PBitmapFile::WritePixels(const uint32_t* pixels, int32_t width, int32_t height, const std::string& path) {
  const std::string bytes = Encode(pixels, width, height);
  auto file = PFile::Open(path, PFile::kWrite, PFile::Disposition::kCreateAlways);
  if (!file) return false;
  return file->Write(bytes.data(), bytes.size()) == static_cast<int64_t>(bytes.size());
}

bool PBitmapFile::WriteSurface(const PSurface& surface, const std::string& path) {
  std::vector<uint32_t> pixels(static_cast<size_t>(surface.Width()) * static_cast<size_t>(surface.Height()));
  for (int32_t y = 0; y < surface.Height(); ++y) {
    uint32_t* dst = pixels.data() + static_cast<size_t>(y) * surface.Width();
    for (int32_t x = 0; x < surface.Width(); ++x)
      dst[x] = surface.BytesPerPixel() == 2 ? PPresenter::ExpandPixel(surface.Row16(y)[x], surface.Format())
                                            : surface.Row32(y)[x] & 0xFFFFFF;
  }
  return WritePixels(pixels.data(), surface.Width(), surface.Height(), path);
}
