#pragma once
// Display lists to offer the kernel, and the test screen as the tests find and click it.
#include <string>
#include <vector>

#include "KernelRig.h"
#include "framework/kernel/DisplayCandidate.h"
#include "framework/kernel/DisplayDeviceRecord.h"
#include "framework/kernel/DisplayDriverRecord.h"
#include "framework/kernel/DisplayModeRecord.h"
#include "framework/ui/GLabel.h"

inline PGuid TestGuid(uint8_t n) {
  PGuid g;
  g.bytes[0] = n;
  g.bytes[15] = 0xEE;
  return g;
}

inline PDisplay::DeviceInfo TestDevice(const char* name, uint8_t guid, bool hardware) {
  PDisplay::DeviceInfo d;
  d.hasGuid = guid != 0;
  if (guid != 0) d.guid = TestGuid(guid);
  d.name = name;
  d.description = std::string(name) + " device";
  d.hardware = hardware;
  return d;
}

inline PDisplay::ModeInfo TestMode(int32_t width, int32_t height, int32_t refreshRate, int32_t bits = 16) {
  return PDisplay::ModeInfo{width, height, bits, refreshRate};
}

// guid 0: the primary display driver.
inline PDisplay::OfferedDriver TestDriver(const char* name, const char* description, uint8_t guid, bool nonDisplay,
                                          bool has3D, uint32_t videoKB, std::vector<PDisplay::DeviceInfo> devices,
                                          std::vector<PDisplay::ModeInfo> modes) {
  PDisplay::OfferedDriver d;
  d.info.hasGuid = guid != 0;
  if (guid != 0) d.info.guid = TestGuid(guid);
  d.info.name = name;
  d.info.description = description;
  d.nonDisplay = nonDisplay;
  d.caps.has3D = has3D;
  d.caps.videoMemoryTotal = videoKB * 1024;
  d.caps.videoMemoryFree = videoKB * 1024;
  d.devices = std::move(devices);
  d.modes = std::move(modes);
  return d;
}

// "driver/device WxH@R" of a candidate.
inline std::string Describe(const DisplayCandidate& c) {
  return std::string(c.driver->name.CStr()) + "/" + c.device->name.CStr() + " " + std::to_string(c.mode->width) +
         "x" + std::to_string(c.mode->height) + "@" + std::to_string(c.mode->refreshRate);
}

inline std::vector<std::string> Remaining(GKernel& kernel) {
  std::vector<std::string> out;
  GObjectGroup* list = kernel.GetCandidates();
  for (int32_t i = 0; list != nullptr && i < list->Count(); ++i)
    out.push_back(Describe(*static_cast<DisplayCandidate*>(list->GetItem(i))));
  return out;
}

// The test screen on the root view: the backdrop, its panel, the text lines and the buttons.
struct TestScreen {
  GView* backdrop = nullptr;
  GView* panel = nullptr;
  std::vector<GLabel*> lines;
  GView* acceptFrame = nullptr;
  GView* skipFrame = nullptr;
  GView* accept = nullptr;
  GView* skip = nullptr;

  // Null members when the root view's top child is no test screen.
  static TestScreen Find(GKernel& kernel) {
    TestScreen s;
    GView* root = kernel.GetRootView();
    if (root == nullptr || root->GetChildCount() == 0) return s;
    GView* backdrop = root->GetChild(root->GetChildCount() - 1);
    if (backdrop->GetChildCount() != 1) return s;
    GView* panel = backdrop->GetChild(0);
    const int32_t n = panel->GetChildCount();
    if (n < 4) return s;
    for (int32_t i = 0; i < n - 2; ++i) {
      auto* label = dynamic_cast<GLabel*>(panel->GetChild(i));
      if (label == nullptr) return s;
      s.lines.push_back(label);
    }
    s.backdrop = backdrop;
    s.panel = panel;
    s.acceptFrame = panel->GetChild(n - 2);
    s.skipFrame = panel->GetChild(n - 1);
    s.accept = s.acceptFrame->GetChild(0)->GetChild(1);
    s.skip = s.skipFrame->GetChild(0)->GetChild(1);
    return s;
  }
  bool Up() const { return panel != nullptr; }
  std::string Line(size_t i) const { return i < lines.size() ? lines[i]->GetText().CStr() : ""; }
};

// A click (down and up) in the middle of a view, through the window procedure.
inline void Click(GKernel& kernel, const GView* view) {
  const GRect& r = view->Bounds();
  const int32_t x = (r.left + r.right) / 2;
  const int32_t y = (r.top + r.bottom) / 2;
  kernel.WindowProc(Message(PMessageType::kLeftDown, 0, x, y));
  kernel.WindowProc(Message(PMessageType::kLeftUp, 0, x, y));
}

inline size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}
