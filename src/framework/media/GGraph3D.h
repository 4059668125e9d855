#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/core/GObject.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/GRect.h"
#include "framework/media/ColouredScreenVertex.h"
#include "framework/media/GGraphicRenderer.h"
#include "framework/media/GTransform.h"
#include "framework/media/TexturedScreenVertex.h"
#include "platform/P3DDevice.h"

class GGraph3DHost;
class GGraph3DTexture;
class GGraphic;
class GString;
class PSoft3DDevice;

// The 3-D renderer. It keeps a current transform with a stack of saved ones and its own
// perspective projection; it transforms, culls, clips and projects every triangle itself and
// hands the device only pre-transformed vertices. Translucent triangles are held back to the
// end of the frame and drawn farthest first, unless the device blends in any order.
//
// One renderer exists while the display runs in 3-D; gGraph3D leads to it. It draws through
// the device and onto the back buffer that its host names (GGraph3DHost).
//
// Besides the 3-D drawing it writes screen texts in three bitmap fonts (queued during the
// frame, drawn at its end over the 3-D drawing), draws a software mouse cursor when the 3-D
// card is not the one showing the desktop, and finds what lies under the mouse by drawing the
// scene again through a 7 x 7 pixel camera into a software target (picking).
class GGraph3D : public GObject, public GGraphicRenderer {
 public:
  static constexpr int32_t kStackSize = 100;
  // Clipping a triangle by six planes can give 9 corners, a quad 10.
  static constexpr int32_t kMaxPolygon = 16;
  static constexpr int32_t kBatchTriangles = 20;
  static constexpr size_t kQueueBytes = 819200;
  static constexpr size_t kQueueLimit = 818620;
  static constexpr size_t kAlphaBytes = 10000;
  // The last pick identifier the numbering pass draws.
  static constexpr int32_t kMaxPickPrimitive = 29998;
  // The pick camera's target is kPickSize pixels square; a pass holds at most kMaxPickMarks.
  static constexpr int32_t kPickSize = 7;
  static constexpr int32_t kMaxPickMarks = 99;
  static constexpr int32_t kFontCount = 3;
  static constexpr int32_t kCursorBitmap = 30010;

  // The renderer keeps the host; the host must outlive it. The release of the renderer is
  // registered with the fatal assertion, so that a fatal error gives the display back.
  explicit GGraph3D(GGraph3DHost* host);
  ~GGraph3D() override;

  // Completes the set-up on the host's device: default render states, the pick engine, the
  // font mixer, device capabilities, the fonts, identity transform, opaque white, the
  // software cursor. False when the pick engine or the font mixer cannot be made. Fonts and
  // the cursor are graphics of the graphics store: without a graphics host (GGraphicHost)
  // the renderer has none.
  bool Init3D();
  bool IsReady() const { return ready_; }
  GGraph3DHost* Host() const { return host_; }

  // Transform stack and projection. Angles are degrees; every call acts on the current
  // transform and applies its operation before the transform (camera first, then models).
  void Translate(float x, float y, float z);
  void TranslateY(float y);
  void TranslateZ(float z);
  void TranslateXY(float x, float y);
  void TranslateXZ(float x, float z);
  void TranslateYZ(float y, float z);
  void Scale(float x, float y, float z);
  void ScaleX(float x);
  void ScaleZ(float z);
  void RotateX(float degrees);
  void RotateY(float degrees);
  void RotateZ(float degrees);
  void RotateXY(float a, float b);
  void RotateYX(float a, float b);
  void RotateZX(float a, float b);
  void RotateYZ(float a, float b);
  void Mirror(bool x, bool y, bool z);
  void LoadIdentity();
  void LookAt(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ, float upX, float upY,
              float upZ);
  void SetViewport(int32_t left, int32_t top, int32_t width, int32_t height);
  // The field of view is horizontal, in degrees. Resets the current transform to identity.
  void SetProjection(int32_t left, int32_t top, int32_t width, int32_t height, float fieldOfView, float nearZ,
                     float farZ);
  void PushMatrix();
  void PopMatrix();
  const GTransform& CurrentTransform() const { return stack_[current_]; }
  const GTransform& InverseViewTransform() const { return inverse_; }

  // Colour, texture and render state.
  void SetColor(float r, float g, float b);
  void SetAlpha(float a);
  void SwapColorScale(const float* newScale, float* oldScale);
  void SetColorScale(float s);
  void GetColorScale(float* out) const override;
  void SetTexture(GGraph3DTexture* graphic);
  void SetNoZWrite(bool on);
  void BeginScreenBounds();
  void EndScreenBounds(GRect& rect);
  void SetMipmapsAllowed(bool allowed);
  bool SetMipmapsWanted(bool wanted);
  void AddTextureMemory(int32_t bytes) override { textureMemory_ += bytes; }
  int32_t GetTextureMemory() const { return textureMemory_; }
  int32_t GetMaxTextureSize() const override { return maxTextureSize_; }
  // True when the current colour's alpha is below 255.
  bool IsTranslucent() const { return (colour_ >> 24) != 0xFF; }

  // Triangles of the frame so far (RenderBegin starts them at 0): those the drawing calls
  // were given, and those sent to the screen's device after culling, clipping and batching.
  struct TriangleCounts {
    int64_t given = 0;
    int64_t sent = 0;
  };
  const TriangleCounts& FrameTriangles() const { return triangles_; }
  void ResetTriangleCounts() { triangles_ = {}; }

  // Frame begin and end.
  bool RenderBegin();
  void RenderEnd();
  // Draws and empties the queued screen texts.
  void FlushTextQueue();

  // Screen text. Outside the end of the frame a text is only queued. y is the baseline;
  // alignment 0 centres on x, 1 puts the right end at x, anything else the left end. A text
  // whose x lies off the screen, or whose baseline is above the font's baseline offset or
  // below the screen, is dropped. Nothing in pick mode. A font outside 0..2 is fatal.
  void WriteString3D(const GString& text, int32_t x, int32_t y, int32_t alignment, int32_t font, uint8_t red,
                     uint8_t green, uint8_t blue);
  // Width in pixels as drawn: font 2 seven pixels a character, fonts 0 and 1 the sum of the
  // characters' widths (characters below 32 count 0). A null text is fatal.
  int32_t TextWidth(const GString& text, int32_t font) const;
  int32_t TextWidth(const char* text, size_t length, int32_t font) const;
  // Loads font n (0..2) unless it is loaded.
  void LoadFont(int32_t n);
  bool IsFontLoaded(int32_t n) const { return n >= 0 && n < kFontCount && fonts_[n] != nullptr; }

  // The software cursor (only when the 3-D card is a separate card): drawn at a screen
  // position, held on the screen; hidden and shown. Without one, showing and hiding go to
  // the system cursor.
  void DrawCursor(int32_t x, int32_t y);
  void ShowCursor(bool show);
  bool HasSoftwareCursor() const { return cursor_ != nullptr; }

  // Logs the display's video memory and reports it to the application.
  void GetTotalVRAM();

  // Picking. BeginPick starts the numbering pass for the point (x, y) of a view of the given
  // size and projection (the view's viewport and projection are current, its transform
  // pushed); FinishPick reads the pick target and starts the locating pass; EndPick ends the
  // pick (the view then restores its projection and pops its transform).
  bool SetUpPickEngine();
  bool SetUpPickViewport();
  void BeginPick(int32_t x, int32_t y, int32_t width, int32_t height, float fieldOfView, float nearZ, float farZ);
  void FinishPick();
  void EndPick();
  // Divides the primitives drawn so far from the following ones: an earlier group wins a pick
  // over later ones, whatever the depths. The 100th mark of a pass is fatal.
  void PushPickMark();
  void ClearPickHit() { pickHit_ = false; }
  bool GetPickHit() const { return pickHit_; }
  // The world point hit by the last pick, while it is valid (until the next BeginPick).
  bool GetPickPoint(float* x, float* y, float* z) const;

  // Primitive pipeline.
  bool IsPickMode() const { return pickMode_ != 0; }
  bool SetupTriangle(float x1, float y1, float z1, float x2, float y2, float z2, float x3, float y3, float z3);
  bool SetupQuad(float x1, float y1, float z1, float x2, float y2, float z2, float x3, float y3, float z3, float x4,
                 float y4, float z4);
  void EmitPrimitive();
  void TransformToCamera(float* x, float* y, float* z) const;
  void SetClipping(bool on);
  // The clipping setting SetClipping last made.
  bool GetClipping() const { return clipping_; }
  void SetBackfaceCulling(bool on) { backfaceCulling_ = on; }
  // The back-face culling state, for drawing that switches it and restores it.
  bool IsBackfaceCulling() const { return backfaceCulling_; }
  void SetCullWinding(bool on) { cullWinding_ = on; }
  bool IsCullWinding() const { return cullWinding_; }

  // Drawing entry points. Strip and fan calls take the number of triangles n (n + 2 points);
  // clip says the geometry may reach outside the view volume.
  void DrawColouredTriangle(float x1, float y1, float z1, float x2, float y2, float z2, float x3, float y3,
                            float z3);
  void DrawColouredTriangleArray(const float p[9]);
  void DrawTexturedTriangle(float x1, float y1, float z1, float u1, float v1, float x2, float y2, float z2,
                            float u2, float v2, float x3, float y3, float z3, float u3, float v3);
  void DrawTexturedTriangleArray(const float p[9], const float uv[6]);
  void DrawColouredQuad(float x1, float y1, float z1, float x2, float y2, float z2, float x3, float y3, float z3,
                        float x4, float y4, float z4);
  void DrawTexturedQuad(float x1, float y1, float z1, float u1, float v1, float x2, float y2, float z2, float u2,
                        float v2, float x3, float y3, float z3, float u3, float v3, float x4, float y4, float z4,
                        float u4, float v4);
  void DrawTexturedQuadArray(const float p[12], const float uv[8]);
  void DrawTexturedStrip(bool clip, int32_t n, const float* xyz, const float* uv);
  void DrawTexturedFan(bool clip, int32_t n, const float* xyz, const float* uv);
  void DrawColouredStrip(bool clip, int32_t n, const float* xyz);
  void DrawColouredFan(bool clip, int32_t n, const float* xyz);

  // Deferred translucent triangles: queued, or drawn at once (see the implementation).
  void SubmitColouredTriangle();
  void SubmitColouredPolygon(int32_t n, P3DPrimitive type, const ColouredScreenVertex* vertices);
  void SubmitTexturedTriangle();
  void SubmitTexturedPolygon(int32_t n, P3DPrimitive type, const TexturedScreenVertex* vertices);

  // View-volume test, screen shapes and render-state setters.
  // 1 wholly inside the view volume, 0 partly (or undecided), -1 wholly outside.
  int32_t TestBox(float x, float y, float z, float hx, float hy, float hz) const;
  bool ProjectToScreen(float* x, float* y, float z, bool clamp) const;
  // Shapes in screen pixels over the 3-D frame, in a screen pixel colour. The rectangles of
  // FillRect2D and FrameRect2D include their right and bottom; FrameRect2D and
  // PrepareScreenRect write back the rectangle as they drew it.
  void FillRect2D(const GRect& rect, uint16_t pixel);
  void FrameRect2D(GRect& rect, uint16_t pixel);
  void DrawLine2D(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t pixel, int16_t width);
  bool PrepareScreenRect(GRect& rect, uint16_t pixel, ColouredScreenVertex out[4]) const;
  bool SetFog(bool on);
  void SetFogColor(float a, float b, float c);
  void SetFogRange(float start, float end);
  int32_t GetDownsampleLevel() const override { return downsampleLevel_; }
  void SetDownsampleLevel(int32_t level) { downsampleLevel_ = level; }
  // Raised by the bitmap loading when a texture could not be made; DownsampleTexture lowers it.
  bool TextureMemoryExhausted() const override { return textureMemoryExhausted_; }
  void NoteTextureMemoryExhausted() override { textureMemoryExhausted_ = true; }
  bool DownsampleTexture(int32_t* previousLevel = nullptr);

 protected:
  // A corner of the working polygon in clip space: x and y scaled by the projection, z the
  // mapped depth, w the distance in front of the camera, and the caller's u, v.
  struct ClipVertex {
    float x, y, z, w, u, v;
  };
  struct Polygon {
    int32_t count;
    ClipVertex v[kMaxPolygon];
  };
  // A queued translucent record, as sorted at the end of the frame.
  class TranslucentItem : public GObject {
   public:
    TranslucentItem(float k, size_t o, uint8_t a) : key(k), offset(o), alpha(a) {}
    ~TranslucentItem() override = default;
    float key;      // screen z of the first three corners, summed
    size_t offset;  // of the record in the queue
    uint8_t alpha;  // textured records: the colour's alpha when queued
  };

  GTransform& Current() { return stack_[current_]; }
  void PrepareColours();
  void DrawPrimitive(P3DDevice* device, P3DPrimitive type, uint32_t format, const void* vertices, int32_t count);
  bool ClipPolygon();
  void RecordPickPoint();
  void WidenScreenBounds(float x, float y);
  // Of two TranslucentItems: -1 when a is farther (drawn first), 1 when nearer, 0 when equal.
  static int32_t CompareTranslucentItems(GObject* a, GObject* b, void* unused);
  void Submit(P3DPrimitive type, int32_t n, const void* vertices, bool textured);
  void Queue(P3DPrimitive type, int32_t n, const void* vertices, bool textured);
  void DrawAtOnce(P3DPrimitive type, int32_t n, const void* vertices, bool textured);
  // The queue's records into translucentList_, sorted farthest first (equal keys in the order
  // they were queued); the list keeps its storage from frame to frame.
  void BuildTranslucentList();
  void DrawTranslucentItem(const TranslucentItem& item);
  void DrainTranslucentQueue();
  void DisableStage();
  void Fan(bool clip, int32_t n, const float* xyz, const float* uv);
  void Strip(bool clip, int32_t n, const float* xyz, const float* uv);
  void SendBatch(const float* xyz, const float* uv, const int32_t* points, int32_t count, P3DPrimitive type);
  bool UseBatch(bool clip) const;
  // One triangle of an array through the whole pipeline (uv null for coloured).
  void ArrayTriangle(const float* xyz, const float* uv, int32_t a, int32_t b, int32_t c);

  // One character of a text onto the mixer: false when the pen has passed the width.
  void MixGlyph(int32_t font, uint8_t code, int32_t width, int32_t& pen);
  void DrawText(const GString& text, int32_t x, int32_t y, int32_t alignment, int32_t font, uint8_t red,
                uint8_t green, uint8_t blue);
  bool CreateFontMixer();

  GGraph3DHost* host_;
  // The pick engine: a 7 x 7 32-bit target and a software device drawing into it (whose own
  // 16-bit depth buffer is the pick depth buffer). pickDevice_ is the device the pipeline
  // draws identifiers on.
  std::unique_ptr<PSurface> pickTarget_;
  std::unique_ptr<PSoft3DDevice> pickEngine_;
  P3DDevice* pickDevice_ = nullptr;
  // Texts are put together here before they go to the screen: screen wide, as high as the
  // tallest font, white its transparent colour.
  std::unique_ptr<PSurface> mixer_;

  uint32_t colour_ = 0;
  ColouredScreenVertex coloured_[kMaxPolygon] = {};
  TexturedScreenVertex textured_[kMaxPolygon] = {};

  bool mipmapsAllowed_ = false;
  bool mipmapsWanted_ = false;
  bool ready_ = false;
  bool sortIndependent_ = false;
  bool fogCapable_ = false;
  bool cursorHidden_ = false;
  bool textPhase_ = false;  // while the queue is flushed, texts are drawn

  GGraphic* cursor_ = nullptr;
  GGraphic* fonts_[kFontCount] = {nullptr, nullptr, nullptr};
  GObjectGroup textQueue_;  // of GQueuedText, owned

  int32_t downsampleLevel_ = 0;
  bool textureMemoryExhausted_ = false;

  float colourScale_[3] = {1.0f, 1.0f, 1.0f};

  // Projection: viewport centre and half sizes, depth mapping, horizontal and vertical scale.
  float cx_ = 0, cy_ = 0, hw_ = 0, hh_ = 0;
  float depthScale_ = 0, depthOffset_ = 0;
  float sx_ = 0, sy_ = 0;

  int32_t current_ = 0;
  GTransform inverse_;
  GTransform stack_[kStackSize];

  bool texturedCall_ = false;
  bool backfaceCulling_ = true;
  bool clipping_ = true;
  bool cullWinding_ = true;
  bool recordingBounds_ = false;
  float boundsMinX_ = 0, boundsMinY_ = 0, boundsMaxY_ = 0, boundsMaxX_ = 0;
  Polygon poly_ = {};
  Polygon clip_ = {};

  int32_t pickMode_ = 0;
  int32_t primitiveCounter_ = 0;
  int32_t pickedPrimitive_ = 0;
  bool pickHit_ = false;
  bool pickPointValid_ = false;
  float pickPoint_[3] = {0, 0, 0};
  float pickAngles_[2] = {0, 0};  // vertical, horizontal (degrees)
  int32_t pickMarks_[kMaxPickMarks] = {};
  int32_t pickMarkCount_ = 0;

  bool noZWrite_ = false;
  float fixedDepth_ = 0.99999f;
  float pickFixedDepth_ = 0.99999f;

  GGraph3DTexture* texture_ = nullptr;
  // The surface the device was last given for texture_; what decides whether a graphic
  // needs binding (a graphic's address says nothing: a new one may take a deleted one's).
  const PSurface* boundSurface_ = nullptr;
  bool translucentPhase_ = false;

  std::vector<uint8_t> queue_;
  size_t queueWrite_ = 0;
  std::vector<TranslucentItem> translucentList_;
  int32_t maxTextureSize_ = 256;
  std::vector<uint8_t> alpha_;
  size_t alphaWrite_ = 0;
  size_t alphaRead_ = 0;
  int32_t textureMemory_ = 0;
  TriangleCounts triangles_;
};

// The renderer while the display runs in 3-D, else null.
extern GGraph3D* gGraph3D;
