#pragma once
// The screen's part of the unit tests: counts the units' notices.
#include <cstdint>

#include "game/units/ports/UnitScreen.h"

class RecordingUnitScreen : public UnitScreen {
 public:
  void RefreshUnitPanel() override { ++panelRefreshes; }
  void OpenWaypointMenu(Unit& /*unit*/) override { ++waypointMenus; }
  void RefreshWaypointDisplay() override { ++waypointDisplayRefreshes; }
  void RefreshMap() override { ++mapRefreshes; }
  void AskVehicleQuestion(Unit& /*vehicle*/) override { ++vehicleQuestions; }

  int32_t panelRefreshes = 0;
  int32_t waypointMenus = 0;
  int32_t waypointDisplayRefreshes = 0;
  int32_t mapRefreshes = 0;
  int32_t vehicleQuestions = 0;
};
