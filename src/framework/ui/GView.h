#pragma once
#include <cstdint>
#include <functional>

#include "framework/core/GObject.h"
#include "framework/core/GRect.h"

class GGraphic;
class GGroup;
class GString;

// The base of everything that occupies a rectangle of the screen. Views form a tree: each
// has a parent and an owning group of children in drawing order (the last one is topmost).
// The kernel owns the root view (the whole screen) and the stack of modal views, routes the
// mouse into the tree, ticks it from its idle chain and redraws the views that asked for it.
// Drawing operations take coordinates local to the view and clip to its rectangle.
class GView : public GObject {
 public:
  // What a view needs of the 3-D renderer while 3-D drawing is on: its text routine and pick
  // sequence, which the renderer installs (SetRenderer3D). Without an installed route the
  // viewport, the projection and the transform stack go straight to the renderer (gGraph3D);
  // a view that needs a route that exists nowhere ends the program.
  struct Renderer3D {
    // Viewport and projection of a screen rectangle (left, top, width, height).
    std::function<void(int32_t, int32_t, int32_t, int32_t)> setViewport;
    std::function<void(int32_t, int32_t, int32_t, int32_t, float, float, float)> setProjection;
    // A text at a global point: text, x, y (baseline), align, font, r, g, b.
    std::function<void(const GString&, int32_t, int32_t, int32_t, int32_t, uint8_t, uint8_t, uint8_t)> writeString;
    std::function<void()> pushMatrix;
    std::function<void()> popMatrix;
    // Pick: point, view width, height, field of view, near and far plane.
    std::function<void(int32_t, int32_t, int32_t, int32_t, float, float, float)> beginPick;
    std::function<void()> finishPick;
    std::function<void()> endPick;
  };

  GView();
  GView(const GView&) = delete;
  GView& operator=(const GView&) = delete;
  // Leaves the hover slot, the kernel's modal and dirty groups, unlinks from the parent
  // (or invalidates the root view) and deletes the children. Fatal inside the tick pass.
  ~GView() override;

  // ---- Overridable operations, in the order the subclasses rely on ----
  // Stores the enabled byte; invalidates the view when it changed while visible.
  virtual void SetEnabled(uint8_t enabled);
  // Fills the local rectangle with the background colour unless noFill is set.
  virtual void Draw();
  // Passes the command to the parent; the root view hands it to the application.
  virtual void DoCommand(int32_t command);
  // Local point. By default passed up to the parent in its own coordinates.
  virtual void MouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control);
  // Called on the mouse tracker while the button is held: local point, whether it lies in
  // the view, flag 1 only from BeginTrackingFinal.
  virtual void Track(int32_t x, int32_t y, uint8_t inside, uint8_t flag);
  // Called on the mouse tracker at the release (the kernel clears its tracker first).
  virtual void MouseUp(int32_t x, int32_t y, uint8_t rightButton);
  // Called on the tracker after a right-button mouse-down made the view the tracker.
  virtual void RightMouseDown(int32_t x, int32_t y);
  virtual void MouseMoved(int32_t x, int32_t y);
  // Called on the previous hover view when the hover view changes.
  virtual void MouseLeft();
  // Called by Tick when the tick interval has passed.
  virtual void TickAction();
  // Called on the top modal view for a mouse-down outside it; beeps by default.
  virtual void ClickOutside();

  // ---- Construction and placement ----
  // Null parent: the kernel's root view. Sizes below 1 take the parent's; a negative x or y
  // centres in that direction. The rectangle is clipped to the parent's.
  void Place(GView* parent, int32_t x, int32_t y, int32_t width, int32_t height);
  void PlaceModal(GView* parent, int32_t x, int32_t y, int32_t width, int32_t height);
  // The root view only: the whole screen, and the cursor to its centre.
  void PlaceFullScreen();
  void AddChild(GView* view);
  // Unlinks without deleting; the last child takes the removed one's place.
  void RemoveChild(GView* view);
  void DeleteChildren();
  void SetTickInterval(int32_t ms) { tickInterval_ = ms; }
  int32_t GetTickInterval() const { return tickInterval_; }
  void SetBackColor(uint16_t pixel) { backColor_ = pixel; }
  uint16_t GetBackColor() const { return backColor_; }
  void SetNoFill(uint8_t noFill) { noFill_ = noFill; }
  bool IsNoFill() const { return noFill_ != 0; }
  void SetTracking() { tracking_ = 1; }
  bool IsTracking() const { return tracking_ != 0; }
  // Joins the kernel's modal-view group as its top view.
  void BeginModal();
  bool IsModal() const { return modal_ != 0; }
  bool IsBeingDeleted() const { return beingDeleted_ != 0; }

  // ---- Geometry ----
  int32_t Width() const { return rect_.right - rect_.left; }
  int32_t Height() const { return rect_.bottom - rect_.top; }
  GView* GetParent() const { return parent_; }
  // The children in drawing order; null while there are none.
  GGroup* GetChildren() const { return children_; }
  int32_t GetChildCount() const;
  GView* GetChild(int32_t index) const;
  void GetBounds(GRect& out) const { out = rect_; }
  const GRect& Bounds() const { return rect_; }
  void GetLocalBounds(GRect& out) const { out = GRect{0, 0, Width(), Height()}; }
  void GetOrigin(int32_t& x, int32_t& y) const {
    x = rect_.left;
    y = rect_.top;
  }
  void GlobalToLocal(int32_t& x, int32_t& y) const {
    x -= rect_.left;
    y -= rect_.top;
  }
  void LocalToGlobal(int32_t& x, int32_t& y) const {
    x += rect_.left;
    y += rect_.top;
  }
  bool ContainsPoint(int32_t x, int32_t y) const { return rect_.Contains(x, y); }
  bool ContainsLocalPoint(int32_t x, int32_t y) const { return x >= 0 && x < Width() && y >= 0 && y < Height(); }
  // Clips a global rectangle to the view; a rectangle outside it becomes empty, never
  // inverted.
  void ClipRect(GRect& r) const;
  // A local rectangle in screen coordinates, clipped to the view; false when nothing is left.
  bool LocalToClippedGlobal(const GRect& local, GRect& global) const;
  // Whether v lies in this view's subtree; with null, whether the view has children.
  bool IsAncestorOf(const GView* v) const;

  // ---- State ----
  // This view's byte and every ancestor's.
  bool IsVisible() const;
  bool IsEnabled() const;
  void SetVisible(uint8_t visible);
  // Hands the view to the kernel's dirty-view group when it is visible.
  void Invalidate();

  // ---- Drawing (local coordinates, clipped to the view) ----
  void DrawText(const GString* text, int32_t x, int32_t y, int32_t align, int32_t font, uint8_t r, uint8_t g,
                uint8_t b);
  void DrawShadowedText(const GString* text, int32_t x, int32_t y, int32_t align, int32_t font, uint8_t r,
                        uint8_t g, uint8_t b, uint8_t shadowR, uint8_t shadowG, uint8_t shadowB,
                        uint8_t doubleShadow);
  void FillRect(const GRect& local, uint16_t pixel);
  void FrameRect(const GRect& local, uint16_t pixel);
  void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t pixel, int16_t width);
  void DrawGraphic(GGraphic* graphic, int32_t x, int32_t y);
  void DrawGraphicPart(GGraphic* graphic, const GRect& source, int32_t x, int32_t y);

  // ---- 3-D ----
  void SetProjection(float fieldOfView, float nearPlane, float farPlane);
  void SetRendererViewport();
  void BeginPick(int32_t x, int32_t y);
  void NextPickPass();
  void EndPick();
  float GetFieldOfView() const { return fieldOfView_; }
  float GetNearPlane() const { return nearPlane_; }
  float GetFarPlane() const { return farPlane_; }

  // ---- Mouse routing (global coordinates; the kernel calls these) ----
  // A tracking view becomes the kernel's mouse tracker and gets MouseDown then Track(1, 0);
  // any other view routes the click with RouteMouseDown.
  void HandleMouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control);
  void RouteMouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control);
  void HandleMouseMove(int32_t x, int32_t y);
  // The topmost visible child containing the point, or null.
  GView* FindChildAt(int32_t x, int32_t y) const;
  void BeginTracking();
  void BeginTrackingFinal();
  void TrackAt(int32_t x, int32_t y, uint8_t flag);

  // ---- Drawing and ticking (the kernel calls these) ----
  void DrawAll();
  void Tick(uint32_t now);

  // The view that last received MouseMoved, or null.
  static GView* GetHoverView();
  static int32_t GetDrawingDepth();
  static void SetRenderer3D(Renderer3D renderer);
  static const Renderer3D& GetRenderer3D();

 private:
  GRect rect_;
  GView* parent_ = nullptr;
  GGroup* children_ = nullptr;
  int32_t tickInterval_ = -1;
  uint32_t lastTick_ = 0;
  uint16_t backColor_ = 0;
  uint8_t visible_ = 1;
  uint8_t enabled_ = 1;
  uint8_t tracking_ = 0;
  uint8_t beingDeleted_ = 0;
  uint8_t modal_ = 0;
  uint8_t noFill_ = 0;
  float fieldOfView_ = 0.0f;
  float nearPlane_ = 0.0f;
  float farPlane_ = 0.0f;
};
