#pragma once
#include <cstdint>

#include "framework/core/GObject.h"
#include "framework/core/GObjectGroup.h"
#include "framework/core/GString31.h"
#include "framework/core/GString63.h"
#include "platform/PGuid.h"

// A 3-D device of a display driver that the selection may use, with the modes it may use
// (owned DisplayModeRecords).
class DisplayDeviceRecord : public GObject {
 public:
  DisplayDeviceRecord() { modes.IGroup(); }
  ~DisplayDeviceRecord() override = default;

  uint8_t isNullGuid = 0;  // the device has no GUID
  PGuid guid;
  GString31 name;
  GString63 description;
  uint8_t hardware = 0;  // 0: a software (emulation) device
  GObjectGroup modes;
};
