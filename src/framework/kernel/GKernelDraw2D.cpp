// The kernel's 2-D drawing on the display's surfaces and the screen pixel format.
#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "platform/PDisplay.h"
#include "platform/PSurfaceOps.h"

namespace {

// Set by the first failed blit of the run: only that one is described in the log.
bool gBlitFailureLogged = false;


uint32_t SignExtend16(uint32_t value) {
  return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(static_cast<uint16_t>(value))));
}

void LogBlitFailure(bool toFront, PResult result, const PRect& source, int32_t x, int32_t y, int32_t width,
                    int32_t height) {
  GErrorLog::LogError(toFront ? "Drawing to front" : "Drawing to back");
  GErrorLog::LogValue("Blit result = ", PResultCode(result));
  static const struct {
    const char* label;
    uint32_t value;
  } kResults[] = {
      {"DDERR_EXCEPTION = ", 0x88760037u},    {"DDERR_GENERIC = ", 0x80004005u},
      {"DDERR_INVALIDOBJECT = ", 0x88760082u}, {"DDERR_INVALIDPARAMS = ", 0x80070057u},
      {"DDERR_INVALIDRECT = ", 0x88760096u},   {"DDERR_NOBLTHW = ", 0x8876023Fu},
      {"DDERR_SURFACEBUSY = ", 0x887601AEu},   {"DDERR_SURFACELOST = ", 0x887601C2u},
      {"DDERR_UNSUPPORTED = ", 0x80004001u},   {"DDERR_WASSTILLDRAWING = ", 0x8876021Cu},
  };
  for (const auto& r : kResults) GErrorLog::LogValue(r.label, static_cast<int32_t>(r.value));
  GErrorLog::LogValue("source->left = ", source.left);
  GErrorLog::LogValue("source->right = ", source.right);
  GErrorLog::LogValue("source->top = ", source.top);
  GErrorLog::LogValue("source->bottom = ", source.bottom);
  GErrorLog::LogValue("xDest = ", x);
  GErrorLog::LogValue("yDest = ", y);
  GErrorLog::LogValue("Quorl screen width = ", width);
  GErrorLog::LogValue("Quorl screen height = ", height);
}

}  // namespace

void GKernel::ResetBlitFailureMarkerForTests() { gBlitFailureLogged = false; }

void GKernel::Blit(PSurface* source, int32_t x, int32_t y, const GRect* rect) {
  PSurface* target = GetDrawingSurface();
  PRect sourceRect{};
  if (rect != nullptr) sourceRect = *rect;
  else if (source != nullptr) sourceRect = PRect{0, 0, source->Width(), source->Height()};
  PResult result = PResult::kInvalidObject;
  if (target != nullptr && source != nullptr) result = PSurfaceOps::BltFast(*target, x, y, *source, &sourceRect, false);
  if (result == PResult::kOk) return;

  if (!gBlitFailureLogged) {
    gBlitFailureLogged = true;
    LogBlitFailure(drawToFront_ != 0, result, sourceRect, x, y, screenWidth_, screenHeight_);
  }
  // The second try, as a plain copy between two rectangles.
  if (target != nullptr && source != nullptr) {
    const PRect destination{x, y, x + sourceRect.Width(), y + sourceRect.Height()};
    result = PSurfaceOps::Blt(*target, &destination, *source, &sourceRect, false);
  }
  if (result != PResult::kOk) FatalError(5283, "GKernel");
}

void GKernel::CopyRectToFront(const GRect& rect) {
  if (!active_) return;
  // An empty rectangle (a view clipped away entirely) has nothing to copy; it is no failure.
  if (rect.IsEmpty()) return;
  if (primary_ == nullptr || backBuffer_ == nullptr) FatalError(5326, "GKernel");
  const PRect r = rect;
  if (PSurfaceOps::BltFast(*primary_, r.left, r.top, *backBuffer_, &r, false) != PResult::kOk)
    FatalError(5326, "GKernel");
  // A frame shows the union of what its views copied once, at its end.
  if (display_ != nullptr && !inFrameUpdate_) display_->PresentArea(r);
}

void GKernel::FillRect(const GRect& rect, uint16_t colour) {
  if (is3D_) {
    if (!renderer2D_.fillRect) FatalError(__LINE__, "GKernel");
    renderer2D_.fillRect(rect, colour);
    return;
  }
  // The rectangle includes its right and bottom edges, up to the screen border.
  PRect r = rect;
  if (r.right < screenWidth_) r.right += 1;
  if (r.bottom < screenHeight_) r.bottom += 1;
  PSurface* surface = GetDrawingSurface();
  if (surface == nullptr) FatalError(5373, "GKernel");
  const PResult result = PSurfaceOps::ColorFill(*surface, &r, SignExtend16(colour));
  // A rectangle outside the surface draws nothing and is no error.
  if (result != PResult::kOk && result != PResult::kInvalidRect) FatalError(5376, "GKernel");
}

void GKernel::FrameRect(const GRect& rect, uint16_t colour) {
  DrawLine(rect.left, rect.top, rect.right, rect.top, colour, 1);
  DrawLine(rect.right, rect.top, rect.right, rect.bottom, colour, 1);
  DrawLine(rect.right, rect.bottom, rect.left, rect.bottom, colour, 1);
  DrawLine(rect.left, rect.bottom, rect.left, rect.top, colour, 1);
}

void GKernel::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t colour, int16_t width) {
  if (is3D_) {
    if (!renderer2D_.drawLine) FatalError(__LINE__, "GKernel");
    renderer2D_.drawLine(x1, y1, x2, y2, colour, width);
    return;
  }
  PSurface* surface = GetDrawingSurface();
  if (surface == nullptr) FatalError(__LINE__, "GKernel");
  // The pen takes the colour as 8-bit red, green and blue, which the surface stores in its
  // own format again.
  const uint32_t argb = PixelToARGB(colour);
  const uint32_t pixel = RGBToPixel((argb >> 16) & 255, (argb >> 8) & 255, argb & 255);
  PSurfaceOps::DrawLine(*surface, x1, y1, x2, y2, pixel, width < 1 ? 1 : width);
}

void GKernel::ReadPixelFormat() {
  if (backBuffer_ == nullptr) FatalError(__LINE__, "GKernel");
  const PSurfaceOps::FormatInfo format = PSurfaceOps::Format(*backBuffer_);
  if (format.bitCount != 16) FatalError(5539, "GKernel");
  const uint32_t masks[3] = {format.redMask, format.greenMask, format.blueMask};
  int32_t* shifts[3] = {&pixelFormat_.redShift, &pixelFormat_.greenShift, &pixelFormat_.blueShift};
  int32_t* losses[3] = {&pixelFormat_.redLoss, &pixelFormat_.greenLoss, &pixelFormat_.blueLoss};
  for (int i = 0; i < 3; ++i) {
    // The lowest set bit, giving up after bit 16 (shift 0, loss left as it was).
    int32_t shift = -1;
    for (int32_t bit = 0; bit <= 16; ++bit) {
      if (masks[i] & (1u << bit)) {
        shift = bit;
        break;
      }
    }
    if (shift < 0) {
      *shifts[i] = 0;
      continue;
    }
    *shifts[i] = shift;
    *losses[i] = (masks[i] >> shift) < 32 ? 3 : 2;
  }
  const uint32_t key = SignExtend16(RGBToPixel(255, 0, 255));
  pixelFormat_.colorKey.low = key;
  pixelFormat_.colorKey.high = key;
  GErrorLog::LogValue("Red bitmask   = ", static_cast<int32_t>(format.redMask));
  GErrorLog::LogValue("Green bitmask = ", static_cast<int32_t>(format.greenMask));
  GErrorLog::LogValue("Blue bitmask  = ", static_cast<int32_t>(format.blueMask));
  gBlackPixel = static_cast<uint16_t>(RGBToPixel(0, 0, 0));
  gWhitePixel = static_cast<uint16_t>(RGBToPixel(255, 255, 255));
}

uint32_t GKernel::RGBToPixel(int32_t r, int32_t g, int32_t b) const {
  const PixelFormat& f = pixelFormat_;
  return ((static_cast<uint32_t>(r) & 255) >> f.redLoss) << f.redShift |
         ((static_cast<uint32_t>(g) & 255) >> f.greenLoss) << f.greenShift |
         ((static_cast<uint32_t>(b) & 255) >> f.blueLoss) << f.blueShift;
}

uint32_t GKernel::PixelToARGB(uint16_t pixel) const {
  const PixelFormat& f = pixelFormat_;
  const int32_t extra = f.redLoss + f.greenLoss + f.blueLoss - 8;
  if (extra != 0 && extra != 1) FatalError(5570, "GKernel");
  const int32_t a = (8 - f.redLoss) + extra;
  const int32_t b = (16 - f.redLoss - f.greenLoss) + extra;
  const uint32_t p = pixel;
  // The red field is masked to its width: the unused top bit of a 5-5-5 pixel may be set
  // (white written as 0xFFFF), and must not make the value overflow.
  const uint32_t red = (p >> f.redShift) & ((1u << (8 - f.redLoss)) - 1);
  const uint32_t green = ((p << a) & 0xFFFF) >> (a + f.greenShift);
  const uint32_t blue = ((p << b) & 0xFFFF) >> (b + f.blueShift);
  auto widen = [](uint32_t value, int32_t loss) {
    const float fraction = static_cast<float>(value) / static_cast<float>((1 << (8 - loss)) - 1);
    return static_cast<uint32_t>(fraction * 255.0f);
  };
  return 0xFF000000u | widen(red, f.redLoss) << 16 | widen(green, f.greenLoss) << 8 | widen(blue, f.blueLoss);
}
