#include "framework/kernel/GKernelGraph3D.h"

#include "framework/core/GString.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/ApplicationBase.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraph3D.h"
#include "framework/ui/GView.h"
#include "platform/PDisplay.h"

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
  routes.textWidth = [r](const char* text, size_t length, int32_t font) { return r->TextWidth(text, length, font); };
  kernel_->SetRenderer2D(std::move(routes));

  GView::Renderer3D views;
  views.setViewport = [r](int32_t left, int32_t top, int32_t width, int32_t height) {
    r->SetViewport(left, top, width, height);
  };
  views.setProjection = [r](int32_t left, int32_t top, int32_t width, int32_t height, float fieldOfView,
                            float nearZ, float farZ) {
    r->SetProjection(left, top, width, height, fieldOfView, nearZ, farZ);
  };
  // The views' alignment: below 0 left, 0 centred, above 0 right.
  views.writeString = [r](const GString& text, int32_t x, int32_t y, int32_t align, int32_t font, uint8_t red,
                          uint8_t green, uint8_t blue) {
    r->WriteString3D(text, x, y, align > 0 ? 1 : (align < 0 ? -1 : 0), font, red, green, blue);
  };
  views.pushMatrix = [r] { r->PushMatrix(); };
  views.popMatrix = [r] { r->PopMatrix(); };
  views.beginPick = [r](int32_t x, int32_t y, int32_t width, int32_t height, float fieldOfView, float nearZ,
                        float farZ) { r->BeginPick(x, y, width, height, fieldOfView, nearZ, farZ); };
  views.finishPick = [r] { r->FinishPick(); };
  views.endPick = [r] { r->EndPick(); };
  GView::SetRenderer3D(std::move(views));
}

void GKernelGraph3D::RemoveRoutes() {
  kernel_->SetRenderer2D(GKernel::Renderer2D{});
  GView::SetRenderer3D(GView::Renderer3D{});
}

bool GKernelGraph3D::IsReady() const { return renderer_ != nullptr && renderer_->IsReady(); }

bool GKernelGraph3D::RenderBegin() { return renderer_->RenderBegin(); }

void GKernelGraph3D::RenderEnd() { renderer_->RenderEnd(); }

void GKernelGraph3D::DrawCursor(int32_t x, int32_t y) { renderer_->DrawCursor(x, y); }

void GKernelGraph3D::ShowCursor(bool show) { renderer_->ShowCursor(show); }

void GKernelGraph3D::GetTotalVRAM() { renderer_->GetTotalVRAM(); }

P3DDevice* GKernelGraph3D::Device() const { return kernel_->GetDevice3D(); }

PSurface* GKernelGraph3D::BackBuffer() const { return kernel_->GetBackBuffer(); }

int32_t GKernelGraph3D::ScreenWidth() const { return kernel_->GetScreenWidth(); }

int32_t GKernelGraph3D::ScreenHeight() const { return kernel_->GetScreenHeight(); }

bool GKernelGraph3D::IsHardwareDevice() const { return kernel_->IsHardwareDevice(); }

bool GKernelGraph3D::IsSeparate3DCard() const { return kernel_->IsSeparate3DCard(); }

bool GKernelGraph3D::IsQuitting() const { return kernel_->IsQuitting(); }

void GKernelGraph3D::SetDefaultRenderStates() { kernel_->SetDefaultRenderStates(); }

void GKernelGraph3D::ReadPixelFormat() { kernel_->ReadPixelFormat(); }

PResult GKernelGraph3D::Flip() {
  PDisplay* display = kernel_->GetDirectDraw();
  return display != nullptr ? display->Flip() : PResult::kInvalidObject;
}

void GKernelGraph3D::FlipToGDISurface() {
  if (PDisplay* display = kernel_->GetDirectDraw()) display->FlipToGDISurface();
}

uint32_t GKernelGraph3D::PixelToARGB(uint16_t pixel) const { return kernel_->PixelToARGB(pixel); }

uint32_t GKernelGraph3D::RGBToPixel(int32_t r, int32_t g, int32_t b) const { return kernel_->RGBToPixel(r, g, b); }

PResult GKernelGraph3D::CreateSurface(int32_t width, int32_t height, PPixelFormat format,
                                      std::unique_ptr<PSurface>& out) {
  PDisplay* display = kernel_->GetDirectDraw();
  if (display == nullptr) {
    out.reset();
    return PResult::kInvalidObject;
  }
  return display->CreateSurface(width, height, format, out);
}

PResult GKernelGraph3D::GetDisplayCaps(PDisplay::Caps& out) const {
  PDisplay* display = kernel_->GetDirectDraw();
  return display != nullptr ? display->GetCaps(out) : PResult::kInvalidObject;
}

void GKernelGraph3D::ShowSystemCursor(bool show) { kernel_->ShowSystemCursor(show); }

void GKernelGraph3D::SetCursorPos(int32_t x, int32_t y) { kernel_->SetCursorPos(x, y); }

void GKernelGraph3D::ReportVideoMemory(int32_t freeKiB, bool nonLocalTextures) {
  if (kernel_->GetApplication() != nullptr) kernel_->GetApplication()->ReportVideoMemory(freeKiB, nonLocalTextures);
}
