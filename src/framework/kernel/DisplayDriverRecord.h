#pragma once
#include <cstdint>

#include "framework/core/GObject.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/GString31.h"
#include "framework/core/GString63.h"
#include "platform/PGuid.h"

// A display driver as the display selection found it, with its accepted 3-D devices
// (owned DisplayDeviceRecords).
class DisplayDriverRecord : public GObject {
 public:
  DisplayDriverRecord() { devices.IGroup(); }
  ~DisplayDriverRecord() override = default;

  uint8_t isPrimary = 0;  // the primary display driver, which has no GUID
  PGuid guid;
  GString31 name;
  GString63 description;
  uint8_t nonDisplay = 0;  // a 3-D card that is not a display device
  uint8_t has3D = 0;
  int32_t videoMemoryKB = 0;
  GObjectGroup devices;
};
