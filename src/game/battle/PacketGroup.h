#pragma once
#include "framework/core/GObjectGroup.h"

// The battle's packet list: a group that owns its packets from the start.
class PacketGroup : public GObjectGroup {
 public:
  PacketGroup() { SetOwnsMembers(true); }
};
