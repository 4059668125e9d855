#pragma once
#include <cstdint>

#include "framework/core/GObject.h"

class GString;
struct DisplayPreset;

// The application object as the framework sees it. The kernel, the views, the renderer and
// the TCP/IP link call these operations; the defaults here do nothing, and the program's own
// application class overrides them.
class ApplicationBase : public GObject {
 public:
  ApplicationBase() = default;
  ~ApplicationBase() override = default;

  // Called by the kernel's start before the display is chosen.
  virtual void LoadPreferences() {}
  // Fills the kernel's display record from the stored preferences. Default: no stored preset.
  virtual void GetDisplayChoice(DisplayPreset* record);
  // Called by the kernel's quit with the display record to keep.
  virtual void SavePreferences(const DisplayPreset* /*record*/) {}
  // Called once, when the display is settled and 2-D drawing is on.
  virtual void StartApplication() {}
  virtual void WillMinimize() {}
  // The program became active again, after the gamma ramp and the surfaces were restored.
  virtual void Reactivated() {}
  // Keys and characters no focus view takes: arrow codes 1 left, 2 right, 3 up, 4 down.
  virtual void HandleKey(uint8_t /*key*/, bool /*alt*/, bool /*keypad*/) {}
  // Commands that climbed the view tree past the root view.
  virtual void DoCommand(int32_t /*command*/) {}
  // Inside each frame, once the application has started.
  virtual void DrawOverlay() {}
  // The periodic step of the idle chain, after the views' tick actions.
  virtual void Idle() {}
  virtual void ReportVideoMemory(int32_t /*kilobytes*/, bool /*agp*/) {}
  // The data folder's name on the alternate data drive. Default: empty.
  virtual void GetDataFolderName(GString& out);
  // The window system asks the program to close (the window's close button, the session
  // ending) after the application has started. The application answers it as its own quit
  // command; the default quits at once.
  virtual void CloseRequested();
  // The kernel is quitting: the application deletes the views it holds (and what owns views)
  // while it still exists, before the kernel deletes the views left and then the
  // application. An application that holds no views has nothing to do, hence the empty body.
  virtual void CloseViews() {}
};
