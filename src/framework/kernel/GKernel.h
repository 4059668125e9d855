#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "framework/core/GObject.h"
#include "framework/core/GRect.h"

class PDisplay;
class PFont;
class PSurface;

// The framework's kernel. This holds its screen side: the display objects it draws on, the
// 16-bit screen pixel format, the fonts and the 2-D drawing operations (bitmap copies, colour
// fills, outlines and lines) with which the views draw while 3-D drawing is off. While it is
// on, fills, lines and text measuring go to the 3-D renderer's screen shapes instead.
class GKernel : public GObject {
 public:
  // The transparent colour key: both values the pixel value of magenta.
  struct ColorKey {
    uint32_t low = 0;
    uint32_t high = 0;
  };
  // The screen's 16-bit format: for each channel the position of its lowest bit and how many
  // low bits of an 8-bit component it drops (3 for a 5-bit, 2 for a 6-bit channel).
  struct PixelFormat {
    int32_t redShift = 0;
    int32_t greenShift = 0;
    int32_t blueShift = 0;
    int32_t redLoss = 0;
    int32_t greenLoss = 0;
    int32_t blueLoss = 0;
    ColorKey colorKey;
  };
  // The renderer's screen-space shapes and text measuring, which take over while the 3-D
  // drawing flag is set.
  struct Renderer2D {
    std::function<void(const GRect&, uint16_t)> fillRect;
    std::function<void(int32_t, int32_t, int32_t, int32_t, uint16_t, int16_t)> drawLine;
    std::function<int32_t(const char*, size_t, int32_t)> textWidth;
  };

  // The constructor makes this the kernel singleton (gKernel) when there is none yet.
  GKernel();
  ~GKernel() override;

  // The error log (ERRORLOG.TXT).
  static void LogError(const char* text);
  static void LogFileLine(int32_t line, const char* file);

  // The display objects the 2-D drawing uses: the display, its front (primary) surface and
  // the back buffer. The display set-up creates and releases them.
  void SetDisplayObjects(PDisplay* display, PSurface* primary, PSurface* backBuffer);
  PDisplay* GetDirectDraw() const { return display_; }
  PSurface* GetPrimarySurface() const { return primary_; }
  PSurface* GetBackBuffer() const { return backBuffer_; }
  void SetScreenSize(int32_t width, int32_t height) {
    screenWidth_ = width;
    screenHeight_ = height;
  }
  int32_t GetScreenWidth() const { return screenWidth_; }
  int32_t GetScreenHeight() const { return screenHeight_; }
  bool Is3D() const { return is3D_; }
  // The 3-D drawing flag, as the display selection sets it.
  void Set3DFlag(bool on) { is3D_ = on; }
  void SetRenderer2D(Renderer2D renderer) { renderer2D_ = std::move(renderer); }
  // A text's width as the renderer draws it (3-D mode); fatal without a renderer route.
  int32_t MeasureIn3D(const char* text, size_t length, int32_t font) const;
  bool IsActive() const { return active_; }
  void SetActive(bool active) { active_ = active; }
  // 2-D drawing goes to the front surface (true) or the back buffer until the next event-loop
  // pass clears it. Fatal in 3-D mode.
  void SetDrawToFront(bool front);
  bool IsDrawingToFront() const { return drawToFront_; }
  // The surface 2-D drawing goes to: the front surface while drawing to front, else the back
  // buffer.
  PSurface* GetDrawingSurface() const { return drawToFront_ ? primary_ : backBuffer_; }

  // 2-D drawing.
  void Blit(PSurface* source, int32_t x, int32_t y, const GRect* rect);
  void CopyRectToFront(const GRect& rect);
  void FillRect(const GRect& rect, uint16_t colour);
  void FrameRect(const GRect& rect, uint16_t colour);
  void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t colour, int16_t width);

  // The screen pixel format and the colour conversions.
  void ReadPixelFormat();
  uint32_t RGBToPixel(int32_t r, int32_t g, int32_t b) const;
  uint32_t PixelToARGB(uint16_t pixel) const;
  const ColorKey* GetColorKey() const { return &pixelFormat_.colorKey; }
  const PixelFormat& GetPixelFormat() const { return pixelFormat_; }

  // The three fonts: 0 bold sans, 1 small sans, 2 fixed-width. Creating them fails fatally
  // when a font cannot be opened.
  void CreateFonts();
  // The font of an index 0..2; any other index is fatal.
  const PFont& SelectFont(int32_t index) const;

  void Beep();
  // The camera-activity counter: off sets 0, on sets 1 only when it is 0; raising adds 1
  // while below 999; lowering subtracts 1 while above 0.
  void SetCameraCounter(bool on);
  void RaiseCameraCounter();
  void LowerCameraCounter();
  int16_t GetCameraCounter() const { return cameraCounter_; }

  // Tests only: the next failed blit describes itself in the log again.
  static void ResetBlitFailureMarkerForTests();

 private:
  uint8_t drawToFront_ = 0;
  uint8_t is3D_ = 0;
  uint8_t active_ = 1;
  int32_t screenWidth_ = 0;
  int32_t screenHeight_ = 0;
  int16_t cameraCounter_ = 0;
  PixelFormat pixelFormat_;
  PDisplay* display_ = nullptr;
  PSurface* primary_ = nullptr;
  PSurface* backBuffer_ = nullptr;
  std::unique_ptr<PFont> fonts_[3];
  Renderer2D renderer2D_;
};

// The kernel singleton.
extern GKernel* gKernel;
// The pixel values of black and white, set when the pixel format is read.
extern uint16_t gBlackPixel;
extern uint16_t gWhitePixel;

// The width in pixels of a text in one of the kernel's fonts, as it will be drawn; 0 for a
// null text. In 3-D mode the renderer measures it.
int32_t TextWidth(const char* text, int32_t font);
int32_t TextWidth(const char* text, size_t length, int32_t font);
