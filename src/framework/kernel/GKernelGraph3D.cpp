#include "framework/kernel/GKernelGraph3D.h"

#include "framework/core/GErrorLog.h"
#include "framework/core/GString.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/ApplicationBase.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraph3D.h"
#include "framework/ui/GView.h"
#include "platform/PDisplay.h"
#include "platform/PFont.h"

namespace {

// Screen texts while 3-D drawing is on, drawn at once with the kernel's fonts onto the back
// buffer the device draws into, so they lie over what the views drew before them. The same
// fonts measure them.
void WriteText(const GString& text, int32_t x, int32_t y, int32_t align, int32_t font, uint8_t r, uint8_t g,
               uint8_t b) {
  if (gKernel == nullptr || gKernel->GetBackBuffer() == nullptr) return;
  const PFont& face = gKernel->SelectFont(font);
  const int32_t width = face.TextWidth(text.CStr(), text.Length());
  if (align == 0) x -= width / 2;
  else if (align > 0) x -= width;
  face.DrawText(*gKernel->GetBackBuffer(), text.CStr(), text.Length(), x, y, gKernel->RGBToPixel(r, g, b));
}

int32_t MeasureText(const char* text, size_t length, int32_t font) {
  return gKernel->SelectFont(font).TextWidth(text, length);
}

}  // namespace

GKernelGraph3D::GKernelGraph3D(GKernel* kernel) : GGraph3DHost(nullptr, nullptr), kernel_(kernel) {}

GKernelGraph3D::~GKernelGraph3D() {
  RemoveRoutes();
  GGraph3D* renderer = renderer_;
  renderer_ = nullptr;
  if (gGraph3D == renderer) gGraph3D = nullptr;
  delete renderer;
}

bool GKernelGraph3D::Init() {
  if (renderer_ != nullptr) FatalError(__LINE__, "GKernel");
  renderer_ = new GGraph3D(this);
  gGraph3D = renderer_;
  InstallRoutes();
  return renderer_->Init3D();
}

void GKernelGraph3D::InstallRoutes() {
  GGraph3D* r = renderer_;
  GKernel::Renderer2D routes;
  routes.fillRect = [r](const GRect& rect, uint16_t colour) { r->FillRect2D(rect, colour); };
  routes.drawLine = [r](int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t colour, int16_t width) {
    r->DrawLine2D(x1, y1, x2, y2, colour, width);
  };
  routes.textWidth = MeasureText;
  kernel_->SetRenderer2D(std::move(routes));

  GView::Renderer3D views;
  views.setViewport = [r](int32_t left, int32_t top, int32_t width, int32_t height) {
    r->SetViewport(left, top, width, height);
  };
  views.setProjection = [r](int32_t left, int32_t top, int32_t width, int32_t height, float fieldOfView,
                            float nearZ, float farZ) {
    r->SetProjection(left, top, width, height, fieldOfView, nearZ, farZ);
  };
  views.writeString = WriteText;
  views.pushMatrix = [r] { r->PushMatrix(); };
  views.popMatrix = [r] { r->PopMatrix(); };
  GView::SetRenderer3D(std::move(views));
}

void GKernelGraph3D::RemoveRoutes() {
  kernel_->SetRenderer2D(GKernel::Renderer2D{});
  GView::SetRenderer3D(GView::Renderer3D{});
}

bool GKernelGraph3D::IsReady() const { return renderer_ != nullptr && renderer_->IsReady(); }

bool GKernelGraph3D::RenderBegin() { return renderer_->RenderBegin(); }

void GKernelGraph3D::RenderEnd() { renderer_->RenderEnd(); }

void GKernelGraph3D::DrawCursor(int32_t /*x*/, int32_t /*y*/) {
  // The system cursor shows on the window on every card; there is no cursor to draw.
}

void GKernelGraph3D::ShowCursor(bool show) { kernel_->ShowSystemCursor(show); }

void GKernelGraph3D::GetTotalVRAM() {
  PDisplay* display = kernel_->GetDirectDraw();
  if (display == nullptr) return;
  PDisplay::Caps caps;
  if (display->GetCaps(caps) != PResult::kOk) return;
  GErrorLog::LogValue("Total VRAM (K) = ", static_cast<int32_t>(caps.videoMemoryTotal / 1024));
  const uint32_t free = caps.videoMemoryFree != 0 ? caps.videoMemoryFree : caps.videoMemoryTotal;
  if (kernel_->GetApplication() != nullptr)
    kernel_->GetApplication()->ReportVideoMemory(static_cast<int32_t>(free / 1024), caps.texturesFromSystemMemory);
}

P3DDevice* GKernelGraph3D::Device() const { return kernel_->GetDevice3D(); }

PSurface* GKernelGraph3D::BackBuffer() const { return kernel_->GetBackBuffer(); }

int32_t GKernelGraph3D::ScreenWidth() const { return kernel_->GetScreenWidth(); }

int32_t GKernelGraph3D::ScreenHeight() const { return kernel_->GetScreenHeight(); }

bool GKernelGraph3D::IsHardwareDevice() const { return kernel_->IsHardwareDevice(); }

bool GKernelGraph3D::IsSeparate3DCard() const { return kernel_->IsSeparate3DCard(); }

bool GKernelGraph3D::IsQuitting() const { return kernel_->IsQuitting(); }

void GKernelGraph3D::SetDefaultRenderStates() { kernel_->SetDefaultRenderStates(); }

PResult GKernelGraph3D::Flip() {
  PDisplay* display = kernel_->GetDirectDraw();
  return display != nullptr ? display->Flip() : PResult::kInvalidObject;
}

void GKernelGraph3D::FlipToGDISurface() {
  if (PDisplay* display = kernel_->GetDirectDraw()) display->FlipToGDISurface();
}

uint32_t GKernelGraph3D::PixelToARGB(uint16_t pixel) const { return kernel_->PixelToARGB(pixel); }
