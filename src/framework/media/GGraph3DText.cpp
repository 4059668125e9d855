// The renderer's screen texts: the bitmap fonts, the text queue and the drawing of a text
// through the font mixer onto the back buffer.
#include <array>

#include "framework/core/GErrorLog.h"
#include "framework/core/GRect.h"
#include "framework/core/GString.h"
#include "framework/core/Quorl.h"
#include "framework/media/GBlackKeyGraphic.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DFontTables.h"
#include "framework/media/GGraph3DHost.h"
#include "framework/media/GQueuedText.h"
#include "platform/PSurfaceOps.h"

namespace {

namespace T = GGraph3DFontTables;

// Where each code's glyph lies in a font bitmap: its glyph number (row g / 32, column g mod
// 32; 0 for codes without a glyph), and for fonts 0 and 1 its x in the row.
struct GlyphLayout {
  std::array<uint8_t, T::kCodeCount> glyph{};
  std::array<std::array<uint16_t, T::kCodeCount>, 2> x{};
};

constexpr GlyphLayout MakeLayout() {
  GlyphLayout layout;
  int32_t count = 0;
  int32_t x[2] = {0, 0};  // the widths of the glyphs before this one in its row
  for (int32_t i = 0; i < T::kCodeCount; ++i) {
    if (T::kWidths[0][i] == 0) continue;
    if (count % T::kGlyphsPerRow == 0) x[0] = x[1] = 0;
    layout.glyph[i] = static_cast<uint8_t>(count++);
    for (int32_t f = 0; f < 2; ++f) {
      layout.x[f][i] = static_cast<uint16_t>(x[f]);
      x[f] += T::kWidths[f][i];
    }
  }
  return layout;
}

constexpr GlyphLayout kLayout = MakeLayout();
static_assert(kLayout.glyph['~' - 32] == 94 && kLayout.glyph[255 - 32] == T::kGlyphCount - 1,
              "the fonts have glyphs for 154 codes");

// The smallest bitmap that holds every glyph of a font where the glyph table puts it.
constexpr std::array<int32_t, 2> NeededFontSize(int32_t font) {
  int32_t width = 0;
  int32_t glyphs = 0;
  for (int32_t i = 0; i < T::kCodeCount; ++i) {
    if (T::kWidths[0][i] == 0) continue;
    const int32_t g = kLayout.glyph[i];
    const int32_t right = font == 2 ? (g % T::kGlyphsPerRow + 1) * T::kFixedAdvance : kLayout.x[font][i] + T::kWidths[font][i];
    if (right > width) width = right;
    if (g + 1 > glyphs) glyphs = g + 1;
  }
  return {width, (glyphs + T::kGlyphsPerRow - 1) / T::kGlyphsPerRow * T::kCellHeight[font]};
}

void CheckFont(int32_t font) {
  if (font < 0 || font >= T::kFontCount) FatalError(1190, "GGraph3D");
}

}  // namespace

bool GGraph3D::CreateFontMixer() {
  PResult result = host_->CreateSurface(host_->ScreenWidth(), T::kMixerHeight, PPixelFormat::kRGB565, mixer_);
  if (result != PResult::kOk) {
    GErrorLog::LogValue("font mixer failed = ", PResultCode(result));
    return false;
  }
  // White drops out when the mixer is copied to the screen.
  mixer_->SetColorKey(host_->RGBToPixel(255, 255, 255) & 0xFFFFu);
  return true;
}

void GGraph3D::LoadFont(int32_t n) {
  CheckFont(n);
  if (fonts_[n] != nullptr) return;
  GBlackKeyGraphic* font = new GBlackKeyGraphic;
  font->Load(1, T::kBitmapNumber[n], 2, false);
  fonts_[n] = font;
  // A bitmap too small for the glyph table would fail in the middle of drawing: found here.
  GRect bounds;
  font->GetBounds(bounds);
  const std::array<int32_t, 2> needed = NeededFontSize(n);
  if (bounds.right < needed[0] || bounds.bottom < needed[1]) {
    GGraphic::LogBitmapProblem(T::kBitmapNumber[n], "too small for its font");
    FatalError(1353, "GGraph3D");
  }
}

int32_t GGraph3D::TextWidth(const GString& text, int32_t font) const {
  return TextWidth(text.CStr(), text.Length(), font);
}

int32_t GGraph3D::TextWidth(const char* text, size_t length, int32_t font) const {
  if (text == nullptr) FatalError(1216, "GGraph3D");
  CheckFont(font);
  if (font == 2) return static_cast<int32_t>(length) * T::kFixedAdvance;
  int32_t width = 0;
  for (size_t i = 0; i < length; ++i) {
    const uint8_t c = static_cast<uint8_t>(text[i]);
    if (c >= T::kFirstCode) width += T::kWidths[font][c - T::kFirstCode];
  }
  return width;
}

void GGraph3D::WriteString3D(const GString& text, int32_t x, int32_t y, int32_t alignment, int32_t font, uint8_t red,
                             uint8_t green, uint8_t blue) {
  if (pickMode_ != 0) return;
  CheckFont(font);
  if (x < 0 || x >= host_->ScreenWidth()) return;
  if (y < T::kBaselineOffset[font] || y >= host_->ScreenHeight()) return;
  if (!textPhase_) {
    textQueue_.Append(new GQueuedText(text, x, y, alignment, font, red, green, blue));
    return;
  }
  DrawText(text, x, y, alignment, font, red, green, blue);
}

void GGraph3D::FlushTextQueue() {
  if (textQueue_.Count() == 0) return;
  textPhase_ = true;
  for (int32_t i = 0; i < textQueue_.Count(); ++i) {
    const GQueuedText& q = *static_cast<GQueuedText*>(textQueue_.GetItem(i));
    WriteString3D(q.text, q.x, q.y, q.alignment, q.font, q.red, q.green, q.blue);
  }
  textQueue_.DeleteAll(true);
  textPhase_ = false;
}

void GGraph3D::MixGlyph(int32_t font, uint8_t code, int32_t width, int32_t& pen) {
  const int32_t index = code - T::kFirstCode;
  const int32_t glyph = kLayout.glyph[index];
  int32_t w;
  int32_t sourceX;
  if (font == 2) {
    w = T::kFixedAdvance;
    sourceX = glyph % T::kGlyphsPerRow * T::kFixedAdvance;
  } else {
    w = T::kWidths[font][index];
    sourceX = kLayout.x[font][index];
  }
  if (w == 0) return;
  if (pen + w > width) w = width - pen;
  const int32_t sourceY = glyph / T::kGlyphsPerRow * T::kCellHeight[font];
  const PRect source{sourceX, sourceY, sourceX + w, sourceY + T::kCellHeight[font]};
  // Black glyph pixels are the font's key: the fill colour stays there; the white around
  // the glyph is copied and drops out later.
  if (PSurfaceOps::BltFast(*mixer_, pen, 0, *fonts_[font]->GetSurface(), &source, true) != PResult::kOk)
    FatalError(1353, "GGraph3D");
  pen += w;
}

void GGraph3D::DrawText(const GString& text, int32_t x, int32_t y, int32_t alignment, int32_t font, uint8_t red,
                        uint8_t green, uint8_t blue) {
  int32_t width = TextWidth(text, font);
  if (width == 0) return;
  if (alignment == 0)
    x -= width / 2;
  else if (alignment == 1)
    x -= width;
  const int32_t screenWidth = host_->ScreenWidth();
  const int32_t screenHeight = host_->ScreenHeight();
  if (width > screenWidth) width = screenWidth;
  if (fonts_[font] == nullptr) FatalError(1305, "GGraph3D");

  // Pure white is the mixer's transparent colour: whites are drawn a little blue-less.
  if (red > 250 && green > 250 && blue > 250) blue = 244;
  uint32_t pixel = host_->RGBToPixel(red, green, blue) & 0xFFFFu;
  const uint32_t key = mixer_->ColorKey();
  if (pixel == key) {
    // A near-white that the screen format rounds to the key: one step less blue.
    const uint32_t blueMask = host_->RGBToPixel(0, 0, 255) & 0xFFFFu;
    pixel -= blueMask & (~blueMask + 1);
  }
  const PRect fill{0, 0, width, T::kMixerHeight};
  if (PSurfaceOps::ColorFill(*mixer_, &fill, pixel) != PResult::kOk) FatalError(1318, "GGraph3D");

  int32_t pen = 0;
  const int32_t length = text.Length();
  const char* chars = text.CStr();
  for (int32_t i = 0; i < length; ++i) {
    const uint8_t c = static_cast<uint8_t>(chars[i]);
    if (c < T::kFirstCode) continue;
    if (pen >= width) break;
    MixGlyph(font, c, width, pen);
  }

  // Onto the back buffer, clipped to the screen.
  const int32_t cell = T::kCellHeight[font];
  int32_t top = y - T::kBaselineOffset[font];
  PRect source{0, 0, width, cell};
  if (x < 0) {
    source.left = -x;
    if (source.left >= width) return;
    x = 0;
  }
  if (x + (source.right - source.left) > screenWidth) {
    source.right = source.left + (screenWidth - x);
    if (source.right <= source.left) return;
  }
  if (top + cell > screenHeight) source.bottom = screenHeight - top;
  PResult result = PSurfaceOps::BltFast(*host_->BackBuffer(), x, top, *mixer_, &source, true);
  if (result != PResult::kOk) GErrorLog::LogValue("GGraph3D::WriteString3D BltFast failure = ", PResultCode(result));
}
