#include "framework/ui/GView.h"

#include <cstring>

#include "framework/core/GGroup.h"
#include "framework/core/GString.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraphic.h"
#include "framework/ui/GViewGuard.h"
#include "framework/ui/GViewHost.h"
#include "platform/PFont.h"
#include "platform/PSurface.h"
#include "platform/PSurfaceOps.h"

namespace {

// The view under the mouse that last received MouseMoved.
GView* gHoverView = nullptr;
// Counted up while DrawAll draws children: only the outermost call copies to the front.
int32_t gDrawingDepth = 0;
GView::Renderer3D gRenderer3D;

GViewHost& Host() {
  GViewHost* host = GViewHost::Current();
  if (host == nullptr) FatalError(__LINE__, "GView");
  return *host;
}

}  // namespace

GView* GView::GetHoverView() { return gHoverView; }
int32_t GView::GetDrawingDepth() { return gDrawingDepth; }
void GView::SetRenderer3D(Renderer3D renderer) { gRenderer3D = std::move(renderer); }
const GView::Renderer3D& GView::GetRenderer3D() { return gRenderer3D; }

GView::GView() : backColor_(gBlackPixel) {}

GView::~GView() {
  GViewGuard::ViewDestroyed(this);
  if (gHoverView == this) gHoverView = nullptr;
  GViewHost& host = Host();
  if (host.IsTicking()) FatalError(30, "GView");
  host.ForgetView(this);
  beingDeleted_ = 1;
  if (parent_ != nullptr) {
    parent_->RemoveChild(this);
  } else if (!host.IsQuitting()) {
    GView* root = host.GetRootView();
    if (root != nullptr && root != this) root->Invalidate();
  }
  // Each child finds this view being deleted and does not unlink itself.
  delete children_;
  children_ = nullptr;
}

// ---- Overridable operations ----

void GView::SetEnabled(uint8_t enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  if (IsVisible()) Invalidate();
}

void GView::Draw() {
  if (noFill_) return;
  GRect local;
  GetLocalBounds(local);
  FillRect(local, backColor_);
}

void GView::DoCommand(int32_t command) {
  if (parent_ != nullptr) {
    parent_->DoCommand(command);
    return;
  }
  Host().DoApplicationCommand(command);
}

void GView::MouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control) {
  if (parent_ == nullptr) return;
  LocalToGlobal(x, y);
  parent_->GlobalToLocal(x, y);
  parent_->MouseDown(x, y, doubleClick, shift, control);
}

void GView::Track(int32_t, int32_t, uint8_t, uint8_t) {}
void GView::MouseUp(int32_t, int32_t, uint8_t) {}
void GView::RightMouseDown(int32_t, int32_t) {}
void GView::MouseMoved(int32_t, int32_t) {}
void GView::MouseLeft() {}
void GView::TickAction() {}
void GView::ClickOutside() { Host().Beep(); }

// ---- Construction and placement ----

void GView::Place(GView* parent, int32_t x, int32_t y, int32_t width, int32_t height) {
  if (parent == nullptr) parent = Host().GetRootView();
  if (parent == nullptr || parent == this) {
    // The root view itself.
    parent = nullptr;
    rect_ = GRect{0, 0, Host().GetScreenWidth(), Host().GetScreenHeight()};
  } else {
    if (width < 1) width = parent->Width();
    if (height < 1) height = parent->Height();
    if (x < 0) x = (parent->Width() - width) / 2;
    if (y < 0) y = (parent->Height() - height) / 2;
    const GRect& p = parent->rect_;
    rect_ = GRect{p.left + x, p.top + y, p.left + x + width, p.top + y + height};
    parent->ClipRect(rect_);
    parent->AddChild(this);
  }
  parent_ = parent;
  Invalidate();
}

void GView::PlaceModal(GView* parent, int32_t x, int32_t y, int32_t width, int32_t height) {
  Place(parent, x, y, width, height);
  BeginModal();
}

void GView::PlaceFullScreen() {
  if (parent_ != nullptr) FatalError(93, "GView");
  GViewHost& host = Host();
  rect_ = GRect{0, 0, host.GetScreenWidth(), host.GetScreenHeight()};
  host.SetCursorPos(host.GetScreenWidth() / 2, host.GetScreenHeight() / 2);
}

void GView::AddChild(GView* view) {
  if (children_ == nullptr) {
    children_ = new GGroup;
    children_->IGroup();
  }
  children_->Append(view);
}

void GView::RemoveChild(GView* view) {
  if (children_ == nullptr) FatalError(225, "GView");
  if (beingDeleted_) return;
  children_->Remove(view, false);
  if (view != nullptr && view->parent_ == this) view->parent_ = nullptr;
  if (children_->Count() == 0) {
    delete children_;
    children_ = nullptr;
  }
  Invalidate();
}

void GView::DeleteChildren() {
  beingDeleted_ = 1;
  delete children_;
  children_ = nullptr;
  beingDeleted_ = 0;
  Invalidate();
}

void GView::BeginModal() {
  modal_ = 1;
  Host().PushModalView(this);
}

// ---- Geometry ----

int32_t GView::GetChildCount() const { return children_ != nullptr ? children_->Count() : 0; }

GView* GView::GetChild(int32_t index) const {
  if (children_ == nullptr) FatalError(__LINE__, "GView");
  return static_cast<GView*>(children_->GetItem(index));
}

void GView::ClipRect(GRect& r) const {
  if (r.left < rect_.left) r.left = rect_.left;
  if (r.top < rect_.top) r.top = rect_.top;
  if (r.right > rect_.right) r.right = rect_.right;
  if (r.bottom > rect_.bottom) r.bottom = rect_.bottom;
  if (r.left > r.right) r.left = r.right;
  if (r.top > r.bottom) r.top = r.bottom;
}

bool GView::IsAncestorOf(const GView* v) const {
  if (children_ == nullptr) return false;
  if (v == nullptr) return true;
  for (const GView* p = v->parent_; p != nullptr; p = p->parent_) {
    if (p == this) return true;
  }
  return false;
}

// ---- State ----

bool GView::IsVisible() const {
  for (const GView* v = this; v != nullptr; v = v->parent_) {
    if (!v->visible_) return false;
  }
  return true;
}

bool GView::IsEnabled() const {
  for (const GView* v = this; v != nullptr; v = v->parent_) {
    if (!v->enabled_) return false;
  }
  return true;
}

void GView::SetVisible(uint8_t visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  if (visible) {
    if (parent_ == nullptr || parent_->IsVisible()) Invalidate();
  } else if (parent_ != nullptr && parent_->IsVisible()) {
    parent_->Invalidate();
  }
}

void GView::Invalidate() {
  if (IsVisible()) Host().InvalidateView2D(this);
}

// ---- Drawing ----

void GView::DrawText(const GString* text, int32_t x, int32_t y, int32_t align, int32_t font, uint8_t r, uint8_t g,
                     uint8_t b) {
  if (text == nullptr) return;
  if (x < 0) x = 0;
  if (x >= Width()) x = Width() - 1;
  if (y < 0) y = 0;
  if (y >= Height()) y = Height() - 1;
  LocalToGlobal(x, y);
  GViewHost& host = Host();
  if (host.Is3D()) {
    if (!gRenderer3D.writeString) FatalError(__LINE__, "GView");
    gRenderer3D.writeString(*text, x, y, align, font, r, g, b);
    return;
  }
  PSurface* surface = host.GetDrawingSurface();
  if (surface == nullptr) FatalError(339, "GView");
  const PFont& face = host.SelectFont(font);
  const char* chars = text->CStr();
  const size_t length = text->Length();
  const int32_t width = face.TextWidth(chars, length);
  if (align == 0) x -= width / 2;
  else if (align > 0) x -= width;
  const uint32_t pixel = host.RGBToPixel(r, g, b);

  // The text covers [x, x + width) and the font's cell height from its ascent above the
  // baseline. Only the part inside the view (and the surface) is drawn.
  GRect box{x, y - face.Ascent(), x + width, y - face.Ascent() + face.Height()};
  GRect clipped = box;
  ClipRect(clipped);
  if (clipped.left < 0) clipped.left = 0;
  if (clipped.top < 0) clipped.top = 0;
  if (clipped.right > surface->Width()) clipped.right = surface->Width();
  if (clipped.bottom > surface->Height()) clipped.bottom = surface->Height();
  if (clipped.IsEmpty()) return;
  if (clipped == box) {
    face.DrawText(*surface, chars, length, x, y, pixel);
    return;
  }
  // Partly outside: the text is drawn over a copy of the visible part and copied back.
  PSurface part(clipped.Width(), clipped.Height(), surface->Format());
  const PRect area = clipped;
  PSurfaceOps::BltFast(part, 0, 0, *surface, &area, false);
  face.DrawText(part, chars, length, x - clipped.left, y - clipped.top, pixel);
  PSurfaceOps::BltFast(*surface, clipped.left, clipped.top, part, nullptr, false);
}

void GView::DrawShadowedText(const GString* text, int32_t x, int32_t y, int32_t align, int32_t font, uint8_t r,
                             uint8_t g, uint8_t b, uint8_t shadowR, uint8_t shadowG, uint8_t shadowB,
                             uint8_t doubleShadow) {
  DrawText(text, x + 1, y + 1, align, font, shadowR, shadowG, shadowB);
  if (doubleShadow) DrawText(text, x + 2, y + 2, align, font, shadowR, shadowG, shadowB);
  DrawText(text, x, y, align, font, r, g, b);
}

bool GView::LocalToClippedGlobal(const GRect& local, GRect& global) const {
  global = local;
  OffsetRect(global, rect_.left, rect_.top);
  ClipRect(global);
  // A rectangle clipped away entirely draws nothing (the kernel's fill would otherwise still
  // cover its edge column and row).
  return !global.IsEmpty();
}

void GView::FillRect(const GRect& local, uint16_t pixel) {
  GRect r;
  if (LocalToClippedGlobal(local, r)) Host().FillRect(r, pixel);
}

void GView::FrameRect(const GRect& local, uint16_t pixel) {
  GRect r;
  if (LocalToClippedGlobal(local, r)) Host().FrameRect(r, pixel);
}

void GView::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t pixel, int16_t width) {
  LocalToGlobal(x1, y1);
  LocalToGlobal(x2, y2);
  auto clamp = [](int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); };
  x1 = clamp(x1, rect_.left, rect_.right);
  x2 = clamp(x2, rect_.left, rect_.right);
  y1 = clamp(y1, rect_.top, rect_.bottom);
  y2 = clamp(y2, rect_.top, rect_.bottom);
  Host().DrawLine(x1, y1, x2, y2, pixel, width);
}

void GView::DrawGraphic(GGraphic* graphic, int32_t x, int32_t y) {
  // A graphic whose bitmap could not be loaded shows nothing.
  if (graphic == nullptr || graphic->GetStub() == nullptr) return;
  GRect bounds;
  graphic->GetBounds(bounds);
  DrawGraphicPart(graphic, bounds, x, y);
}

void GView::DrawGraphicPart(GGraphic* graphic, const GRect& source, int32_t x, int32_t y) {
  if (graphic == nullptr || graphic->GetStub() == nullptr) return;
  const int32_t left = rect_.left + x;
  const int32_t top = rect_.top + y;
  GRect destination{left, top, left + source.Width(), top + source.Height()};
  ClipRect(destination);
  GRect from = source;
  from.left += destination.left - left;
  from.top += destination.top - top;
  from.right = from.left + destination.Width();
  from.bottom = from.top + destination.Height();
  if (destination.IsEmpty() || from.IsEmpty()) return;
  Host().Blit(graphic->GetSurface(), destination.left, destination.top, &from);
}

// ---- 3-D ----

namespace {

// The renderer's projection and transform stack: through the installed routes, else straight
// to the renderer.
void RendererProjection(const GRect& r, float fieldOfView, float nearPlane, float farPlane) {
  if (gRenderer3D.setProjection) {
    gRenderer3D.setProjection(r.left, r.top, r.Width(), r.Height(), fieldOfView, nearPlane, farPlane);
  } else if (gGraph3D != nullptr) {
    gGraph3D->SetProjection(r.left, r.top, r.Width(), r.Height(), fieldOfView, nearPlane, farPlane);
  } else {
    FatalError(__LINE__, "GView");
  }
}

void RendererPushMatrix() {
  if (gRenderer3D.pushMatrix) gRenderer3D.pushMatrix();
  else if (gGraph3D != nullptr) gGraph3D->PushMatrix();
  else FatalError(__LINE__, "GView");
}

void RendererPopMatrix() {
  if (gRenderer3D.popMatrix) gRenderer3D.popMatrix();
  else if (gGraph3D != nullptr) gGraph3D->PopMatrix();
  else FatalError(__LINE__, "GView");
}

}  // namespace

void GView::SetProjection(float fieldOfView, float nearPlane, float farPlane) {
  if (!Host().Is3D()) FatalError(561, "GView");
  RendererProjection(rect_, fieldOfView, nearPlane, farPlane);
  fieldOfView_ = fieldOfView;
  nearPlane_ = nearPlane;
  farPlane_ = farPlane;
}

void GView::SetRendererViewport() {
  if (gRenderer3D.setViewport) gRenderer3D.setViewport(rect_.left, rect_.top, Width(), Height());
  else if (gGraph3D != nullptr) gGraph3D->SetViewport(rect_.left, rect_.top, Width(), Height());
  else FatalError(__LINE__, "GView");
}

void GView::BeginPick(int32_t x, int32_t y) {
  if (!Host().Is3D()) FatalError(573, "GView");
  SetRendererViewport();
  if (!gRenderer3D.beginPick) FatalError(__LINE__, "GView");
  RendererPushMatrix();
  gRenderer3D.beginPick(x, y, Width(), Height(), fieldOfView_, nearPlane_, farPlane_);
}

void GView::NextPickPass() {
  if (!gRenderer3D.finishPick) FatalError(__LINE__, "GView");
  gRenderer3D.finishPick();
}

void GView::EndPick() {
  if (!Host().Is3D()) FatalError(592, "GView");
  if (!gRenderer3D.endPick) FatalError(__LINE__, "GView");
  gRenderer3D.endPick();
  RendererProjection(rect_, fieldOfView_, nearPlane_, farPlane_);
  RendererPopMatrix();
}

// ---- Mouse routing ----

void GView::HandleMouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control) {
  if (!tracking_) {
    RouteMouseDown(x, y, doubleClick, shift, control);
    return;
  }
  Host().SetMouseTracker(this);
  GlobalToLocal(x, y);
  // The mouse-down may fire a command that closes the screen this view stands on.
  GViewGuard guard(this);
  MouseDown(x, y, doubleClick, shift, control);
  if (guard.Alive()) Track(x, y, 1, 0);
}

void GView::RouteMouseDown(int32_t x, int32_t y, uint8_t doubleClick, uint8_t shift, uint8_t control) {
  if (!IsEnabled()) return;
  if (GView* child = FindChildAt(x, y)) {
    if (child->IsEnabled()) child->HandleMouseDown(x, y, doubleClick, shift, control);
    return;
  }
  GlobalToLocal(x, y);
  MouseDown(x, y, doubleClick, shift, control);
}

void GView::HandleMouseMove(int32_t x, int32_t y) {
  if (!IsVisible()) return;
  if (GView* child = FindChildAt(x, y)) {
    if (child->IsEnabled()) child->HandleMouseMove(x, y);
    return;
  }
  if (gHoverView != this) {
    if (gHoverView != nullptr) gHoverView->MouseLeft();
    gHoverView = IsEnabled() ? this : nullptr;
  }
  if (!IsEnabled()) return;
  GlobalToLocal(x, y);
  MouseMoved(x, y);
}

GView* GView::FindChildAt(int32_t x, int32_t y) const {
  for (int32_t i = GetChildCount() - 1; i >= 0; --i) {
    GView* child = GetChild(i);
    if (child->IsVisible() && child->ContainsPoint(x, y)) return child;
  }
  return nullptr;
}

void GView::BeginTracking() {
  GViewHost& host = Host();
  host.SetMouseTracker(this);
  int32_t x = 0;
  int32_t y = 0;
  host.GetCursorPos(x, y);
  TrackAt(x, y, 0);
}

void GView::BeginTrackingFinal() {
  GViewHost& host = Host();
  host.SetMouseTracker(this);
  int32_t x = 0;
  int32_t y = 0;
  host.GetCursorPos(x, y);
  TrackAt(x, y, 1);
}

void GView::TrackAt(int32_t x, int32_t y, uint8_t flag) {
  const uint8_t inside = ContainsPoint(x, y) ? 1 : 0;
  GlobalToLocal(x, y);
  Track(x, y, inside, flag);
}

// ---- Drawing and ticking ----

void GView::DrawAll() {
  GViewHost& host = Host();
  if (!host.IsDrawing()) FatalError(167, "GView");
  if (!IsVisible()) return;
  if (host.Is3D()) SetRendererViewport();
  Draw();
  if (children_ != nullptr) {
    ++gDrawingDepth;
    for (int32_t i = 0; i < GetChildCount(); ++i) GetChild(i)->DrawAll();
    --gDrawingDepth;
  }
  if (gDrawingDepth == 0 && !host.Is3D()) host.CopyRectToFront(rect_);
}

void GView::Tick(uint32_t now) {
  if (tickInterval_ >= 0 && now - lastTick_ >= static_cast<uint32_t>(tickInterval_)) {
    TickAction();
    lastTick_ = now;
  }
  // Children added by a tick action are ticked in the same pass; none can leave during it.
  for (int32_t i = 0; i < GetChildCount(); ++i) GetChild(i)->Tick(now);
}
