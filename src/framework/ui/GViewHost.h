#pragma once
#include <cstddef>
#include <cstdint>

#include "framework/core/GRect.h"

class GButton;
class GView;
class PFont;
class PSurface;

// What views need of the layer that runs them: the screen, the view bookkeeping (root view,
// modal views, dirty views, mouse tracker, keyboard focus, default buttons), 2-D drawing on
// the drawing surface and the application's commands. The kernel is the host while it lives
// (SetCurrent); views without a host end the program.
class GViewHost {
 public:
  virtual ~GViewHost() = default;

  // The host views use; null when none is installed.
  static GViewHost* Current();
  static void SetCurrent(GViewHost* host);

  // ---- Screen and state ----
  virtual int32_t GetScreenWidth() const = 0;
  virtual int32_t GetScreenHeight() const = 0;
  // 3-D drawing is on: drawing and measuring go to the renderer.
  virtual bool Is3D() const = 0;
  // Inside a frame update (views may draw only then).
  virtual bool IsDrawing() const = 0;
  // Inside the tick pass (views may not be deleted then).
  virtual bool IsTicking() const = 0;
  virtual bool IsQuitting() const = 0;
  virtual void Beep() = 0;

  // ---- View bookkeeping ----
  virtual GView* GetRootView() const = 0;
  // Drops a view that is going away from the modal-view and dirty-view groups.
  virtual void ForgetView(GView* view) = 0;
  virtual void PushModalView(GView* view) = 0;
  // Records a view for the next 2-D frame.
  virtual void InvalidateView2D(GView* view) = 0;
  virtual void SetMouseTracker(GView* view) = 0;
  virtual void GetCursorPos(int32_t& x, int32_t& y) const = 0;
  virtual void SetCursorPos(int32_t x, int32_t y) = 0;
  // A command that climbed the view tree past the root view: the application's.
  virtual void DoApplicationCommand(int32_t command) = 0;
  // Keyboard focus: joining or leaving the Tab chain, taking the focus, the focused view.
  virtual void SetFocusChainMember(GView* view, bool add) = 0;
  virtual void FocusView(GView* view) = 0;
  virtual GView* GetFocusView() const = 0;
  // The buttons Return presses, newest first.
  virtual void AddDefaultButton(GButton* button) = 0;
  virtual void RemoveDefaultButton(GButton* button) = 0;

  // ---- 2-D drawing in screen coordinates ----
  // The surface 2-D drawing goes to; null while there is none.
  virtual PSurface* GetDrawingSurface() const = 0;
  virtual void Blit(PSurface* source, int32_t x, int32_t y, const GRect* rect) = 0;
  virtual void CopyRectToFront(const GRect& rect) = 0;
  virtual void FillRect(const GRect& rect, uint16_t colour) = 0;
  virtual void FrameRect(const GRect& rect, uint16_t colour) = 0;
  virtual void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t colour, int16_t width) = 0;
  virtual uint32_t RGBToPixel(int32_t r, int32_t g, int32_t b) const = 0;
  // The font of an index 0..2 (0 bold sans, 1 small sans, 2 fixed-width).
  virtual const PFont& SelectFont(int32_t index) const = 0;
  // A text's width as the renderer draws it (3-D drawing).
  virtual int32_t MeasureIn3D(const char* text, size_t length, int32_t font) const = 0;
};

// The pixel values of black and white, set by the host when it reads the screen's format.
extern uint16_t gBlackPixel;
extern uint16_t gWhitePixel;

// The width in pixels of a text in one of the host's fonts, as it will be drawn; 0 for a
// null text. In 3-D drawing the renderer measures it.
int32_t TextWidth(const char* text, int32_t font);
int32_t TextWidth(const char* text, size_t length, int32_t font);
