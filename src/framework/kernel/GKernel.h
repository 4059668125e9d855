#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/core/GObject.h"
#include "framework/core/GRect.h"
#include "framework/core/GString255.h"
#include "framework/kernel/DisplayPreset.h"
#include "framework/media/GGraphicHost.h"
#include "framework/media/GLiveGraphics.h"
#include "framework/ui/GViewHost.h"
#include "platform/PAudioOptions.h"

class ApplicationBase;
class DisplayCandidate;
class GButton;
class GGraph3D;
class GGraphic;
class GGroup;
class GKernelRenderer;
class GKernelSound;
class GObjectGroup;
class GDisplayList;
class GProgramFiles;
class GViewRegistry;
class P3DDevice;
class GSoundChannel;
class GString;
class GView;
class PBackEnd;
class PDisplay;
class PFont;
class PSignal;
class PSurface;
class PTextureBudget;
class PWindow;
struct PMessage;

// Ends the program with the message of a display set-up that cannot go on: 1 every 2-D size
// was skipped, 2 no 3-D candidate is left, any other code the display cannot be used.
[[noreturn]] void DirectXFatal(int32_t code);

// The framework's singleton. It owns the main window, the display objects, the root view and
// the view bookkeeping (mouse tracker, modal views, dirty views, keyboard focus, default
// buttons, deferred deletion), the fonts and the frame clock, and holds the one application
// object. It starts and stops the program, runs the event loop and its idle chain, and draws
// the frames. In 2-D drawing the views draw with the kernel's bitmap copies, colour fills,
// outlines and lines; while 3-D drawing is on, fills, lines and text measuring go to the 3-D
// renderer's screen shapes instead. It owns the graphics store and is the graphics' host
// (GGraphicHost) and the views' host (GViewHost) while it lives. It is the façade of these
// services: some are served from classes of their own (the file operations from
// GProgramFiles, the modal and dirty views, focus and default buttons from GViewRegistry,
// the display list from GDisplayList, the live graphics from GLiveGraphics).
class GKernel : public GObject, public GGraphicHost, public GViewHost {
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

  // The product title: the window's title and class name.
  static constexpr const char* kTitle = "Tarvane: Ossmere";
  // The pending display-change request.
  enum DisplayRequest : int32_t {
    kNoDisplayRequest = 0,
    kAccept2D = 1,
    kSkip2D = 2,
    kAccept3D = 3,
    kSkip3D = 4,
  };

  // The constructor makes this the kernel singleton (gKernel) when there is none yet.
  GKernel();
  // Shut-down, in its fixed order (application, views, link, graphics, renderer, display,
  // groups, sound, window), with a trace line between the steps.
  ~GKernel() override;

  // ---- Start-up and shut-down ----
  // Opens the main window on the back-end (null: the system's) and creates the groups, the
  // root view, the sound manager and the fonts. ok is false when the window cannot be opened.
  void Init(std::unique_ptr<PBackEnd> backEnd, bool* ok);
  // Takes the application, reads its preferences and display choice, settles the display,
  // starts the application and runs the event loop until the quit.
  void Start(ApplicationBase* application);
  // Start's steps before the event loop: for drivers that run the loop pass by pass.
  void StartWithoutLoop(ApplicationBase* application);
  // Calls DoEvent until the quit flag is set.
  void Run();
  // Sets the quit flag (the loop ends after its pass) and hands the display record to the
  // application to keep.
  void Quit();
  bool IsQuitting() const override { return quit_ != 0; }
  ApplicationBase* GetApplication() const { return application_; }
  // Hands a command that climbed past the root view to the application, if there is one.
  void DoApplicationCommand(int32_t command) override;
  // The rating of the processor's speed: how many fixed passes of float arithmetic fit in
  // 100 ms, scaled; measured once at start-up.
  int32_t RateCPU();
  // The rating of count passes in elapsed milliseconds, held within 0 .. 2^31 - 1.
  static int32_t CPURatingFromCount(uint64_t count, uint32_t elapsed);
  int32_t GetCPURating() const { return cpuRating_; }
  // ---- Choosing the display ----
  // Tries the 3-D candidates in order until one is created: false when the stored preset's
  // candidate (or one taken after it) needs no test, true when its test screen is up. Ends
  // the program when no candidate is left.
  bool Select3DMode();
  // The display chain and the renderer for one candidate; false, with a "FAILED 3D: " line,
  // when a step fails that the next candidate may pass.
  bool CreateDevice3D(DisplayCandidate* candidate);
  // A 2-D full-screen display on the primary driver: true when its test screen is up, false
  // when the stored 2-D size was set without a test.
  bool SetUp2DMode();
  // Acts on an answer of the test screen: a skip tries the next candidate or size; an
  // acceptance stores the choice and settles the display (2-D drawing on, the root view over
  // the screen and, the first time, the application started: its slot 8).
  void FinishDisplaySetUp(bool accepted, bool is3D);
  // The test screen of a display mode; returns at once, the answer comes as the pending
  // display-change request. text may be null; a refresh rate of 0 is not shown.
  void ShowDirectXTest(bool is3DTest, bool software, const char* text, int32_t width, int32_t height,
                       int32_t refreshRate);
  // The 3-D device's render-state defaults (the renderer's set-up calls them).
  void SetDefaultRenderStates();
  // The driver tree and the candidates left, while the selection runs (null otherwise).
  GObjectGroup* GetDriverTree() const;
  GObjectGroup* GetCandidates() const;
  // Switches 3-D drawing on or off; on a separate 2-D/3-D card the display is rebuilt.
  void Set3DMode(bool on);
  // Deletes the renderer and releases the display objects, newest first; with restore the
  // window is first handed back to the desktop.
  void ReleaseDisplayObjects(bool restore);
  bool HasApplicationStarted() const;

  // ---- Event loop and window procedure ----
  // One pass of the loop: the TCP/IP link, at most one message, the idle chain and sound.
  void DoEvent();
  // What the window procedure did with a message.
  enum WindowResult : int32_t {
    kHandled = 0,
    kDefaultHandling = 1,
  };
  WindowResult WindowProc(const PMessage& message);
  void DispatchPendingKeyUps();
  void ReadModifierKeys();
  bool IsLeftButtonDown() const { return leftButtonDown_ != 0; }
  bool IsRightButtonDown() const { return rightButtonDown_ != 0; }

  // ---- Frame update and idle chain ----
  void UpdateScreen();
  void MeasureFrameRate(uint32_t now);
  void ClearScreen(bool eraseRootChildren);
  void TickViews();
  bool IsTicking() const override { return ticking_ != 0; }
  // Deletes the view at the end of the current tick pass; only during one.
  void DeleteViewLater(GView* view);
  // Records a view for the next 2-D frame (only topmost views are kept).
  void InvalidateView2D(GView* view) override;
  // Drops a view that is going away from the modal-view and dirty-view groups.
  void ForgetView(GView* view) override;
  void PushModalView(GView* view) override;
  GView* GetTopModalView() const;
  GView* GetRootView() const override { return rootView_; }
  GView* GetMouseTracker() const { return tracker_; }
  void SetMouseTracker(GView* view) override { tracker_ = view; }
  void TrackScreenEdge(int32_t x, int32_t y);
  int32_t GetScreenEdgeX() const { return screenEdgeX_; }
  int32_t GetScreenEdgeY() const { return screenEdgeY_; }
  // The directions (-1, 0 or 1 on each axis) of the screen edge the pointer sits on.
  void GetEdgeScroll(int32_t& dx, int32_t& dy) const {
    dx = screenEdgeX_;
    dy = screenEdgeY_;
  }
  void ClearMouseTracker() { tracker_ = nullptr; }
  void IdleSound();
  // The streamed sounds' notification signals, which the loop polls: with a pair of
  // signals adds them for the owner; with null removes the owner's pair. The sound engine's
  // registry (GSoundWaitHandles) holds them.
  void SetWaitHandles(GSoundChannel* owner, PSignal* const* pair);
  int32_t GetWaitHandleCount() const;
  void RestoreAllSurfaces();

  // Keyboard focus and default buttons.
  void SetFocusChainMember(GView* view, bool add) override;
  GView* GetFocusView() const override;
  void SetFocusView(GView* view);
  void FocusView(GView* view) override;
  void FocusNext();
  void UpdateFocus();
  bool CanTakeFocus(GView* view) const;
  GGroup* GetFocusChain() const;
  void AddDefaultButton(GButton* button) override;
  void RemoveDefaultButton(GButton* button) override;
  GButton* FindDefaultButton() const;
  GGroup* GetDirtyViews() const;
  GGroup* GetModalViews() const;

  // How the next kernel opens its audio device (before Init). A silent device whose cursors move
  // only when told lets a scripted run play its sounds by its own clock, not the wall clock.
  static void SetAudioOptions(const PAudioOptions& options);

  // The pending answer of the display test screen, taken by the idle chain.
  static void SetDisplayRequest(int32_t request);
  static int32_t GetDisplayRequest();

  // ---- Error log, folders, digests ----
  static void LogError(const char* text);
  static void LogFileLine(int32_t line, const char* file);
  void FindProgramFolder();
  const GString255& GetProgramFolder() const { return programFolder_; }
  // The folder the bitmap, video and sound code append their own names to: the program
  // folder (false), or with alternate and a known alternate drive the application's data
  // folder on that drive (true).
  bool GetBaseFolder(GString& out, bool alternate) const;
  void SetAlternateDataDrive(uint8_t drive) { alternateDataDrive_ = drive; }
  static void DigestText(const GString* text, GString* out);

  // ---- Input and shell services ----
  bool IsShiftDown();
  bool IsControlDown();
  void SetScreenSize(int32_t width, int32_t height) {
    screenWidth_ = width;
    screenHeight_ = height;
  }
  int32_t GetScreenWidth() const override { return screenWidth_; }
  int32_t GetScreenHeight() const override { return screenHeight_; }
  void GetScreenSize(int32_t& width, int32_t& height) const {
    width = screenWidth_;
    height = screenHeight_;
  }
  bool Is3D() const override { return is3D_ != 0; }
  // The 3-D drawing flag, as the display selection sets it.
  void Set3DFlag(bool on) { is3D_ = on ? 1 : 0; }
  bool IsSeparate3DCard() const { return separateCard_ != 0; }
  bool IsHardwareDevice() const { return hardwareDevice_ != 0; }
  bool IsInHandler() const { return inHandler_ != 0; }
  bool IsDrawing() const override { return inFrameUpdate_ != 0; }
  uint32_t GetFrameTick() const { return lastFrameTick_; }
  uint32_t GetFrameTime() const { return frameTime_; }
  // The frame clock of the frame before the last one.
  uint32_t GetPreviousFrameTick() const { return lastFrameTick_ - frameTime_; }
  float GetFrameRate() const { return framesPerSecond_; }
  void SetMeasureFrameRate(bool on) { measureFrameRate_ = on ? 1 : 0; }
  void ShowSystemCursor(bool show);
  void ShowCursor(bool show);
  bool HideCursorAndRedraw();
  void MinimizeWindow();
  // As large a block of memory as can be had, at most *size bytes (0: no limit but what the
  // machine has): its free memory, capped by its physical memory, halving the request after
  // each refusal. *size becomes the size obtained; 0 and null when nothing is free. Free it
  // with FreeMemory. A machine that refuses even one byte ends the program.
  void* AllocLargestBlock(uint32_t* size);
  void FreeMemory(void* block);
  // The same on given memory figures and allocator (tests).
  static void* AllocLargestBlockFrom(uint32_t* size, uint64_t available, uint64_t totalPhysical,
                                     void* (*allocate)(size_t));
  void PrepareForSystemDialog(bool after);
  // The cursor in screen pixels, and moving it.
  void GetCursorPos(int32_t& x, int32_t& y) const override;
  void SetCursorPos(int32_t x, int32_t y) override;
  PWindow* GetWindow() const { return window_.get(); }
  bool IsActive() const { return active_ != 0; }
  // The program's window has the input focus.
  bool IsForeground() const { return active_ != 0; }
  void SetActive(bool active) { active_ = active ? 1 : 0; }
  void SetMessagePumpOnly(bool on) { messagePumpOnly_ = on ? 1 : 0; }
  bool IsMessagePumpOnly() const { return messagePumpOnly_ != 0; }
  // How long the next pass of the event loop may wait for a message while the program is
  // active: kIdleWaitMs after a pass that found nothing to do (no message, no mouse tracker,
  // no frame drawn), so that a screen where nothing changes sleeps until its next event or
  // frame time instead of polling; otherwise 0 (the pass only looks).
  static constexpr uint32_t kIdleWaitMs = 10;
  uint32_t IdleWaitMs() const { return lastPassIdle_ ? kIdleWaitMs : 0; }
  // Whether the pass draws a 3-D frame: at the display's rate while a message came, the mouse
  // is tracked or the camera moves, and a second after; at rest only now and then (always
  // with a fake clock).
  bool Is3DFrameDue(bool tookMessage);
  // A number of a bitmap that is never loaded, as the excluded-bitmap group holds it.
  class ExcludedBitmap : public GObject {
   public:
    int32_t number = 0;
  };
  bool IsBitmapExcluded(int32_t number) const;
  void ExcludeBitmap(int32_t number);
  GObjectGroup* GetExcludedBitmaps() const { return excludedBitmaps_; }
  const DisplayPreset& GetDisplayChoice() const { return displayChoice_; }
  DisplayPreset& DisplayChoice() { return displayChoice_; }
  float GetGamma() const { return gamma_; }
  // A new gamma ramp for the display; the kernel's gamma changes only when it was taken.
  void SetGamma(float gamma);

  // The renderer and the sound manager, reached through narrow interfaces. The 3-D set-up
  // makes the renderer; tests may put in their own.
  void InstallRenderer(std::unique_ptr<GKernelRenderer> renderer);
  GKernelRenderer* GetKernelRenderer() const { return renderer_.get(); }
  // The program's 3-D renderer while the kernel's 3-D set-up made one, else null.
  GGraph3D* GetGraph3D() const;
  void InstallSound(std::unique_ptr<GKernelSound> sound);
  GKernelSound* GetSound() const { return sound_.get(); }
  GGroup* GetLiveGraphics() const { return liveGraphics_ ? liveGraphics_->Group() : nullptr; }
  bool IsWalkingLiveGraphics() const { return liveGraphics_ && liveGraphics_->IsWalking(); }

  // ---- Graphics: the host the graphics use, and graphics by number ----
  GGraphicsStore* GetGraphicsStore() override { return graphicsStore_.get(); }
  bool IsBitmapExcluded(int32_t number) override;
  // Registers (add) or drops a live graphic (GGraphicFactory::TrackGraphic).
  void TrackGraphic(GGraphic* graphic, bool add) override;
  bool GetBaseFolder(std::string& folder, bool alternate) override;
  PDisplay* GetDirectDraw() override { return display_; }
  PDisplay* GetDirectDraw() const { return display_; }
  // Sized from the display's free video memory when a display is made; null before.
  PTextureBudget* GetTextureBudget() override { return textureBudget_.get(); }
  GGraphicRenderer* GetRenderer() override;
  GGraphic* NewGraphicOfKind(int32_t kind, int32_t number);
  GGraphic* TryNewGraphic(int32_t kind, int32_t number);
  GGraphic* NewTextureGraphic(int32_t number, int32_t detail);
  GGraphic* NewGraphic(int32_t number);
  GGraphic* NewDetailedTexture(int32_t number);
  GGraphic* NewTexture(int32_t number);

  // The display objects the 2-D drawing uses: the display, its front (primary) surface and
  // the back buffer. The display set-up creates and releases them.
  void SetDisplayObjects(PDisplay* display, PSurface* primary, PSurface* backBuffer);
  PSurface* GetPrimarySurface() const { return primary_; }
  P3DDevice* GetDevice3D() const { return device3D_; }
  PSurface* GetZBuffer() const { return zBuffer_.get(); }
  PSurface* GetBackBuffer() const { return backBuffer_; }
  void SetRenderer2D(Renderer2D renderer) { renderer2D_ = std::move(renderer); }
  // A text's width as the renderer draws it (3-D mode); fatal without a renderer route.
  int32_t MeasureIn3D(const char* text, size_t length, int32_t font) const override;
  // 2-D drawing goes to the front surface (true) or the back buffer until the next event-loop
  // pass clears it. Fatal in 3-D mode.
  void SetDrawToFront(bool front);
  bool IsDrawingToFront() const { return drawToFront_; }
  // The surface 2-D drawing goes to: the front surface while drawing to front, else the back
  // buffer.
  PSurface* GetDrawingSurface() const override { return drawToFront_ ? primary_ : backBuffer_; }

  // 2-D drawing.
  void Blit(PSurface* source, int32_t x, int32_t y, const GRect* rect) override;
  void CopyRectToFront(const GRect& rect) override;
  void FillRect(const GRect& rect, uint16_t colour) override;
  void FrameRect(const GRect& rect, uint16_t colour) override;
  void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint16_t colour, int16_t width) override;

  // The screen pixel format and the colour conversions.
  void ReadPixelFormat();
  uint32_t RGBToPixel(int32_t r, int32_t g, int32_t b) const override;
  uint32_t PixelToARGB(uint16_t pixel) const;
  const ColorKey* GetColorKey() const { return &pixelFormat_.colorKey; }
  const PixelFormat& GetPixelFormat() const { return pixelFormat_; }

  // The three fonts: 0 bold sans, 1 small sans, 2 fixed-width. Creating them fails fatally
  // when a font cannot be opened.
  void CreateFonts();
  // The font of an index 0..2; any other index is fatal.
  const PFont& SelectFont(int32_t index) const override;

  void Beep() override;
  // The camera-activity counter: off sets 0, on sets 1 only when it is 0; raising adds 1
  // while below 999; lowering subtracts 1 while above 0.
  void SetCameraCounter(bool on);
  void RaiseCameraCounter();
  void LowerCameraCounter();
  int16_t GetCameraCounter() const { return cameraCounter_; }

  // Tests only: the next failed blit describes itself in the log again.
  static void ResetBlitFailureMarkerForTests();

  // File-system operations, file dialogs and movies.
  // Game data lives in folders of the program folder; files are told apart by a type code
  // whose first three characters are the extension ("wrb0": ".wrb"). Folder names and file
  // names are plain names (no "\", "..", or characters file systems refuse): a name that is
  // not gives no file. Opening modes are GFile's.
  //
  // The open dialog, in program folder + folder (the program folder when null or empty),
  // filtered to the type codes given before the first null one (none: every file). Null when
  // cancelled or when the chosen file cannot be opened in the mode; the error flag is cleared
  // first and set only in the second case.
  GFile* OpenFileDialog(const char* folder, const char* type1, const char* type2, const char* type3,
                        const char* type4, int32_t mode, bool* openFailed);
  // The save dialog: the chosen file created empty (an existing one replaced after the
  // player agreed) in the mode, or null when cancelled or when it cannot be created (a beep).
  GFile* SaveFileDialog(const char* folder, const char* typeCode, const char* defaultName, int32_t mode);
  // The same dialog for a writer that replaces the file itself once its new form is complete:
  // the chosen path (an existing file untouched), or false when cancelled.
  bool SaveFileDialogPath(const char* folder, const char* typeCode, const char* defaultName, std::string& path);
  // The entry's file opened for reading in the mode; null on failure.
  GFile* OpenFileForReading(const class GFileEntry* entry, int32_t mode);
  // Program folder + name for reading and writing: an existing file (mode 0), or a file
  // created empty (mode 1); null on failure.
  GFile* OpenFileInProgramFolder(const char* name, bool existing);
  // A new file with a random name in the system's temporary folder, in mode 2 (or 8 with
  // alternate); fatal when it cannot be made.
  GFile* CreateTempFile(bool alternate);
  // Creates program folder + [folder "\"] + name + extension (the code's, or ".txt" in mode
  // 10 without a code) in the mode; null when it cannot be created.
  GFile* CreateGameFile(const char* typeCode, const GString& name, const char* folder, int32_t mode);
  // Deletes the file; one already gone is logged with a beep.
  void DeleteFile(const char* path);
  // Whether program folder + [folder "\"] + name + (".txt" with text, else "." and the code's
  // extension when a code is given) exists: that exact name, the case ignored.
  bool FileExists(const GString& name, const char* folder, const char* typeCode, bool text);
  // Creates the folder of that name in the program folder unless something of that name
  // exists; true when the name exists afterwards.
  bool EnsureFolder(const char* name);
  // Removes the work files that an earlier run, killed while saving, left in the folder of
  // that name in the program folder (null: the temporary folder): a save's file before its
  // rename, a copy beside a replaced file, the coder's work files. Those a running program
  // holds stay. The count removed.
  int32_t RemoveStaleWorkFiles(const char* folder);
  // A new owning group of the file entries of program folder + folder whose extensions are
  // those of the type codes (every file when the first is null), sorted by name. Sub-folders
  // are not listed.
  GObjectGroup* ListFiles(const char* folder, const char* type1, const char* type2 = nullptr,
                          const char* type3 = nullptr, const char* type4 = nullptr);
  // Removes a file name extension of up to three characters (its dot too) in place.
  static void StripExtension(GString& name);
  // Plays movie number ("MOV\" + number + ".mov" in the program folder, then in the alternate
  // data folder) full-screen and centred, enlarged when asked, until it ends, a key or click,
  // or the program loses activation. False when the movie or the movie library is missing.
  // Only in 2-D drawing (fatal otherwise).
  bool PlayMovie(int32_t number, bool enlarge, bool clearScreen);
  // Where a movie of that natural rectangle plays on the screen.
  static GRect FitMovieBox(const GRect& natural, int32_t screenWidth, int32_t screenHeight, bool enlarge);

 private:
  int32_t InitSystems();
  // The display list as a driver tree and the sorted candidate list.
  void EnumerateDisplays();
  void DeleteDisplayLists();
  // The 2-D set-up's steps once the display exists: tries sizes from the given one down.
  bool Try2DModes(int32_t width, int32_t height, bool change, bool stepFirst);
  // A texture budget of the display's free video memory.
  void SizeTextureBudget();
  friend void DirectXFatal(int32_t code);

  // Set until the application has been started, once per process.
  static uint8_t firstStart_;
  void MouseDown(const PMessage& message, bool right, bool doubleClick);
  void CharMessage(const PMessage& message);
  void ButtonUp(const PMessage& message, bool right);

  // Fields, in the order the kernel has always kept them.
  uint8_t hardwareDevice_ = 0;
  DisplayPreset displayChoice_;
  std::unique_ptr<PWindow> window_;
  uint8_t measureFrameRate_ = 1;
  int32_t frameRingIndex_ = 0;
  float framesPerSecond_ = 8.0f;
  uint32_t frameStamps_[6] = {};
  float gamma_ = 1.0f;
  uint8_t quit_ = 0;
  uint8_t separateCard_ = 0;
  GView* rootView_ = nullptr;
  GView* tracker_ = nullptr;
  uint8_t focusKeyTyped_ = 0;
  uint8_t active_ = 1;
  uint8_t drawToFront_ = 0;
  int32_t screenEdgeX_ = 0;
  int32_t screenEdgeY_ = 0;
  uint32_t lastFrameTick_ = 0;
  uint32_t frameTime_ = 0;
  int32_t screenWidth_ = 0;
  int32_t screenHeight_ = 0;
  int32_t cpuRating_ = 0;
  uint8_t ticking_ = 0;
  uint8_t inHandler_ = 0;
  uint8_t is3D_ = 0;
  uint8_t modifiersFromMessages_ = 0;
  uint8_t shiftDown_ = 0;
  uint8_t controlDown_ = 0;
  int16_t cameraCounter_ = 0;
  ApplicationBase* application_ = nullptr;  // owned
  std::unique_ptr<GGraphicsStore> graphicsStore_;
  GObjectGroup* deferredDeletions_ = nullptr;  // owning; only during a tick pass
  GObjectGroup* excludedBitmaps_ = nullptr;    // owning
  GString255 programFolder_;
  // The file operations, on the program folder above.
  std::unique_ptr<GProgramFiles> files_;
  // The modal and dirty views, the keyboard focus and the default buttons, from Init on.
  std::unique_ptr<GViewRegistry> views_;
  std::unique_ptr<GLiveGraphics> liveGraphics_;
  uint8_t skipNextIdle_ = 0;
  uint8_t messagePumpOnly_ = 0;
  uint8_t lastPassIdle_ = 0;      // the last pass found nothing to do (IdleWaitMs)
  uint32_t lastLivelyTick_ = 0;  // the last pass with a message, a tracker or a moving camera
  uint8_t alternateDataDrive_ = 0;
  std::unique_ptr<PFont> fonts_[3];
  PixelFormat pixelFormat_;
  // The display objects: the display the set-up made (owned) and the surfaces in use.
  std::unique_ptr<PDisplay> ownedDisplay_;
  std::unique_ptr<PSurface> zBuffer_;
  PDisplay* display_ = nullptr;
  PSurface* primary_ = nullptr;
  PSurface* backBuffer_ = nullptr;
  P3DDevice* device3D_ = nullptr;  // the display's
  uint8_t direct3D_ = 0;
  uint8_t gammaControl_ = 0;
  uint8_t viewport_ = 0;
  uint8_t inFrameUpdate_ = 0;
  // The desktop's size as Init found it: the largest mode the selection offers.
  int32_t desktopWidth_ = 0;
  int32_t desktopHeight_ = 0;
  // The display list while the selection runs.
  std::unique_ptr<GDisplayList> displays_;
  std::unique_ptr<PTextureBudget> textureBudget_;

  std::unique_ptr<GKernelRenderer> renderer_;
  std::unique_ptr<GKernelSound> sound_;
  Renderer2D renderer2D_;
  // The window procedure's button capture: at most one is set.
  uint8_t leftButtonDown_ = 0;
  uint8_t rightButtonDown_ = 0;
  // The sound step's last full update.
  uint32_t lastSoundUpdate_ = 0;
};

// The kernel singleton.
extern GKernel* gKernel;
