// The display list: the drivers, their 3-D devices and their modes read into a tree, and the
// candidates flattened from it in the order of trying.
#include "framework/kernel/GDisplayList.h"

#include <string>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/DisplayCandidate.h"
#include "framework/kernel/DisplayDeviceRecord.h"
#include "framework/kernel/DisplayDriverRecord.h"
#include "framework/kernel/DisplayModeRecord.h"
#include "framework/kernel/GKernel.h"
#include "platform/PDisplay.h"
#include "platform/PWindow.h"

namespace {

// What the enumeration's steps share while the display list is read.
struct Enumeration {
  PWindow* window = nullptr;
  DisplayDriverRecord* driver = nullptr;
  DisplayDeviceRecord* device = nullptr;
  PDisplay* display = nullptr;
  uint8_t secondPass = 0;
  int32_t maxWidth = 0;
  int32_t maxHeight = 0;
};
Enumeration gEnumeration;

std::string Number(int64_t n) { return std::to_string(n); }

// Keeps 16-bit modes from 640 x 480 up to the desktop, at most 1.35 times as wide as high;
// a software device only 640 x 480.
int32_t EnumDisplayModesCallback(const PDisplay::ModeInfo& mode, void* context) {
  auto* modes = static_cast<GObjectGroup*>(context);
  if (mode.bitsPerPixel != 16) return 1;
  if (mode.width < 640 || mode.width > gEnumeration.maxWidth) return 1;
  if (mode.height < 480 || mode.height > gEnumeration.maxHeight) return 1;
  if (static_cast<double>(mode.width) / static_cast<double>(mode.height) > 1.35) return 1;
  if (!gEnumeration.device->hardware && (mode.width > 640 || mode.height > 480)) return 1;
  auto* record = new DisplayModeRecord();
  record->width = static_cast<uint32_t>(mode.width);
  record->height = static_cast<uint32_t>(mode.height);
  record->refreshRate = static_cast<uint32_t>(mode.refreshRate);
  modes->Append(record);
  return 1;
}

// Keeps the hardware devices of every driver and the software devices of the primary one.
int32_t EnumDevicesCallback(const PDisplay::DeviceInfo& info, void* context) {
  auto* devices = static_cast<GObjectGroup*>(context);
  const bool hardware = info.hardware;
  if (!gEnumeration.driver->isPrimary && !hardware) return 1;
  auto* record = new DisplayDeviceRecord();
  record->isNullGuid = info.hasGuid ? 0 : 1;
  if (info.hasGuid) record->guid = info.guid;
  record->name.Assign(info.name.c_str());
  record->description.Assign(info.description.c_str());
  record->hardware = hardware ? 1 : 0;
  devices->Append(record);
  gEnumeration.device = record;
  // A mode list that cannot be read leaves the device without modes.
  std::vector<PDisplay::ModeInfo> modes;
  gEnumeration.display->EnumerateModes(modes);
  for (const PDisplay::ModeInfo& mode : modes) EnumDisplayModesCallback(mode, &record->modes);
  return 1;
}

int32_t EnumDisplayDriversCallback(const PDisplay::DriverInfo& info, void* context) {
  auto* tree = static_cast<GObjectGroup*>(context);
  // The primary display driver comes in both passes; the first one keeps it.
  if (gEnumeration.secondPass && !info.hasGuid) return 1;
  auto* record = new DisplayDriverRecord();
  record->isPrimary = info.hasGuid ? 0 : 1;
  if (info.hasGuid) record->guid = info.guid;
  record->name.Assign(info.name.c_str());
  record->description.Assign(info.description.c_str());
  record->nonDisplay = gEnumeration.secondPass;
  tree->Append(record);

  std::unique_ptr<PDisplay> display;
  if (PDisplay::Create(gEnumeration.window, info.hasGuid ? &info.guid : nullptr, display) != PResult::kOk)
    FatalError(1752, "GKernel");
  if (display->Query3D() != PResult::kOk) FatalError(1761, "GKernel");
  PDisplay::Caps caps;
  if (display->GetCaps(caps) != PResult::kOk) FatalError(1768, "GKernel");
  record->has3D = caps.has3D ? 1 : 0;
  record->videoMemoryKB = static_cast<int32_t>(caps.videoMemoryTotal >> 10);

  gEnumeration.driver = record;
  gEnumeration.display = display.get();
  std::vector<PDisplay::DeviceInfo> devices;
  if (display->EnumerateDevices(devices) != PResult::kOk) FatalError(1775, "GKernel");
  for (const PDisplay::DeviceInfo& device : devices) EnumDevicesCallback(device, &record->devices);
  gEnumeration.display = nullptr;
  return 1;
}

void AddModeCandidate(GObject* member, void* list) {
  auto* mode = static_cast<DisplayModeRecord*>(member);
  static_cast<GObjectGroup*>(list)->Append(new DisplayCandidate(gEnumeration.driver, gEnumeration.device, mode));
  GErrorLog::LogError(("    MODE: " + Number(mode->width) + " x " + Number(mode->height) + " @" +
                       Number(mode->refreshRate))
                          .c_str());
}

void CollectDeviceCandidates(GObject* member, void* list) {
  auto* device = static_cast<DisplayDeviceRecord*>(member);
  gEnumeration.device = device;
  GErrorLog::LogError((std::string("  DEVICE: ") + device->name.CStr()).c_str());
  device->modes.ForEach(AddModeCandidate, list);
}

void CollectDriverCandidates(GObject* member, void* list) {
  auto* driver = static_cast<DisplayDriverRecord*>(member);
  gEnumeration.driver = driver;
  GErrorLog::LogError(
      (std::string("DRIVER: ") + driver->name.CStr() + (driver->nonDisplay ? " (3D only)" : "")).c_str());
  driver->devices.ForEach(CollectDeviceCandidates, list);
}

}  // namespace

GDisplayList::~GDisplayList() { Delete(); }

void GDisplayList::Enumerate(PWindow* window, int32_t maxWidth, int32_t maxHeight) {
  GErrorLog::LogFileLine(1708, "GKernel");
  Delete();
  driverTree_ = new GObjectGroup();
  driverTree_->IGroup();
  candidates_ = new GObjectGroup();
  candidates_->IObjectGroup();

  gEnumeration = Enumeration{};
  gEnumeration.window = window;
  gEnumeration.maxWidth = maxWidth;
  gEnumeration.maxHeight = maxHeight;
  for (uint8_t pass = 0; pass < 2; ++pass) {
    GErrorLog::LogFileLine(pass == 0 ? 1714 : 1718, "GKernel");
    gEnumeration.secondPass = pass;
    std::vector<PDisplay::DriverInfo> drivers;
    if (PDisplay::EnumerateDrivers(pass != 0, drivers) != PResult::kOk) DirectXFatal(0);
    for (const PDisplay::DriverInfo& driver : drivers) EnumDisplayDriversCallback(driver, driverTree_);
  }
  GErrorLog::LogFileLine(1723, "GKernel");
  driverTree_->ForEach(CollectDriverCandidates, candidates_);
  candidates_->QuickSort(CompareCandidates, nullptr);
  gEnumeration = Enumeration{};
}

void GDisplayList::Delete() {
  // The candidates point into the tree: they go first.
  SafeDelete(candidates_);
  SafeDelete(driverTree_);
}
