#pragma once
// A kernel for the file and movie tests: started on the fake back-end (display settled at
// 800 x 600, application started) in a fresh program folder, with helpers that script what
// the player types and clicks.
#include <memory>
#include <string>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/kernel/ApplicationBase.h"
#include "framework/kernel/DisplayPreset.h"
#include "framework/kernel/GKernel.h"
#include "platform/PFakeBackEnd.h"
#include "platform/PDisplay.h"
#include "platform/PMessage.h"
#include "support/KernelStartClock.h"
#include "support/RendererBitmaps.h"
#include "support/TestFolder.h"

// An application whose stored display choice is the usual display at 800 x 600, so that the
// display settles without a test.
class FileTestApplication : public ApplicationBase {
 public:
  void GetDisplayChoice(DisplayPreset* record) override {
    *record = DisplayPreset{};
    record->use3DPreset = 1;
    record->driverIsPrimary = 1;
    record->deviceGuid = PDisplay::kDeviceGuid;
    record->width = 800;
    record->height = 600;
  }
};

class FileKernelRig {
 public:
  FileKernelRig() : folder(true) {
    GErrorLog::ResetForTests();
    CopyRendererBitmaps(folder);
    auto backEnd = std::make_unique<PFakeBackEnd>();
    fake = backEnd.get();
    kernel = new GKernel();
    {
      KernelStartClock clock;
      kernel->Init(std::move(backEnd), &ok);
    }
    if (ok) kernel->StartWithoutLoop(new FileTestApplication());
  }
  ~FileKernelRig() {
    delete kernel;
    GErrorLog::ResetForTests();
  }

  static PMessage Message(PMessageType type, uint32_t param = 0, int32_t x = 0, int32_t y = 0) {
    PMessage m;
    m.type = type;
    m.param = param;
    m.x = x;
    m.y = y;
    return m;
  }
  void Type(const std::string& text) {
    for (char c : text) fake->ScriptMessage(Message(PMessageType::kChar, static_cast<uint8_t>(c)));
  }
  void Return() { Type("\r"); }
  void Escape() { Type("\x1b"); }

  // The log so far, as lines without their CR LF.
  std::vector<std::string> LogLines() { return folder.LogLines(); }


  TestFolder folder;
  PFakeBackEnd* fake = nullptr;
  GKernel* kernel = nullptr;
  bool ok = false;
};
